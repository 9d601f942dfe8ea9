#pragma once
// Small helpers shared by the core tests.
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace pelira::test {

// Path of a committed fixture under tests/fixtures.
std::filesystem::path Fixture(const std::string& name);

// A fresh folder removed with everything in it when the object dies.
class TempDir {
public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::filesystem::path& path() const { return path_; }
  std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

private:
  std::filesystem::path path_;
};

std::vector<std::uint8_t> ReadBytes(const std::filesystem::path& p);
void WriteBytes(const std::filesystem::path& p, const std::vector<std::uint8_t>& bytes);
void WriteText(const std::filesystem::path& p, const std::string& text);

}  // namespace pelira::test
