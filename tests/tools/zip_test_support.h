#pragma once
// Helpers of the ZIP tests: a small stored-only archive writer for cases that need names
// chosen by the test, and a view of a folder tree.
#include <zlib.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace pelira::test {

inline void PutLe(std::string& s, std::uint64_t v, int bytes) {
  for (int i = 0; i < bytes; ++i) s.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
}

// Members stored (no compression), DOS time 2021-06-15 13:45:30, made on DOS.
inline std::string StoredZip(const std::vector<std::pair<std::string, std::string>>& members) {
  std::string out, central;
  const std::uint16_t t = (13 << 11) | (45 << 5) | 15, d = ((2021 - 1980) << 9) | (6 << 5) | 15;
  for (const auto& [name, data] : members) {
    const std::uint32_t crc =
        static_cast<std::uint32_t>(crc32(0, reinterpret_cast<const Bytef*>(data.data()), static_cast<uInt>(data.size())));
    const std::size_t offset = out.size();
    PutLe(out, 0x04034b50, 4);
    PutLe(out, 20, 2);
    PutLe(out, 0, 2);
    PutLe(out, 0, 2);
    PutLe(out, t, 2);
    PutLe(out, d, 2);
    PutLe(out, crc, 4);
    PutLe(out, data.size(), 4);
    PutLe(out, data.size(), 4);
    PutLe(out, name.size(), 2);
    PutLe(out, 0, 2);
    out += name + data;
    PutLe(central, 0x02014b50, 4);
    PutLe(central, 20, 2);
    PutLe(central, 20, 2);
    PutLe(central, 0, 2);
    PutLe(central, 0, 2);
    PutLe(central, t, 2);
    PutLe(central, d, 2);
    PutLe(central, crc, 4);
    PutLe(central, data.size(), 4);
    PutLe(central, data.size(), 4);
    PutLe(central, name.size(), 2);
    PutLe(central, 0, 2);
    PutLe(central, 0, 2);
    PutLe(central, 0, 2);
    PutLe(central, 0, 2);
    PutLe(central, 0, 4);
    PutLe(central, offset, 4);
    central += name;
  }
  const std::size_t cdOffset = out.size();
  out += central;
  PutLe(out, 0x06054b50, 4);
  PutLe(out, 0, 4);
  PutLe(out, members.size(), 2);
  PutLe(out, members.size(), 2);
  PutLe(out, central.size(), 4);
  PutLe(out, cdOffset, 4);
  PutLe(out, 0, 2);
  return out;
}

inline void WriteFile(const std::filesystem::path& p, const std::string& bytes) {
  std::ofstream f(p, std::ios::binary | std::ios::trunc);
  f.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

inline std::string ReadFile(const std::filesystem::path& p) {
  std::ifstream f(p, std::ios::binary);
  return {std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>()};
}

// Every entry under root by relative path: file contents, "<dir>" for folders, "<link>" for links.
inline std::map<std::string, std::string> Tree(const std::filesystem::path& root) {
  namespace fs = std::filesystem;
  std::map<std::string, std::string> t;
  for (auto it = fs::recursive_directory_iterator(root); it != fs::recursive_directory_iterator(); ++it) {
    const std::string rel = it->path().lexically_relative(root).string();
    if (it->is_symlink())
      t[rel] = "<link>";
    else if (it->is_directory())
      t[rel] = "<dir>";
    else
      t[rel] = ReadFile(it->path());
  }
  return t;
}

}  // namespace pelira::test
