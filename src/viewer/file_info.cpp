#include "viewer/file_info.h"

#include <chrono>
#include <cstdio>
#include <ctime>
#include <fstream>
#include <vector>

#include "common/crc_file.h"
#include "common/crc_register.h"

namespace pelira {

std::int64_t PictureMemorySize(std::int64_t w, std::int64_t h, int bits) {
  const std::int64_t n = w * h;
  switch (bits) {
    case 1: return n / 8;
    case 4: return n / 2;
    case 8: return n;
    case 15:
    case 16: return 2 * n;
    case 24: return 3 * n;
    case 32: return 4 * n;
    default: return -1;
  }
}

std::string LocalDateTimeText(std::filesystem::file_time_type t) {
  const auto system = std::chrono::time_point_cast<std::chrono::system_clock::duration>(std::chrono::file_clock::to_sys(t));
  const std::time_t tt = std::chrono::system_clock::to_time_t(system);
  std::tm local{};
  localtime_r(&tt, &local);
  char text[32];
  std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &local);
  return text;
}

std::string FileInfoText(const FileInfoFacts& f, bool withNameAndPath, const std::string& br) {
  std::string s = f.description + br;
  if (withNameAndPath) s += "Name: " + f.name + br + "Path: " + f.folder + br;
  s += "Date: " + f.date + br;
  s += "Size: " + std::to_string(f.size) + " bytes" + br;
  char crc[16];
  std::snprintf(crc, sizeof crc, "%08X", f.crc);
  s += std::string("CRC: ") + crc + br;
  if (f.pages > 1) s += "Pages: " + std::to_string(f.pages) + br;
  s += "Uses: " + std::to_string(f.uses) + " bytes" + br;
  s += "Video: " + std::to_string(f.videoBits) + " bpp";
  return s;
}

std::optional<FileInfoFacts> ReadFileFacts(const std::filesystem::path& path) {
  std::error_code ec;
  if (!std::filesystem::is_regular_file(path, ec)) return std::nullopt;
  FileInfoFacts f;
  f.name = path.filename().string();
  f.folder = path.parent_path().string();
  f.size = std::filesystem::file_size(path, ec);
  if (ec) return std::nullopt;
  const auto time = std::filesystem::last_write_time(path, ec);
  if (!ec) f.date = LocalDateTimeText(time);
  f.crc = CRCFileRegister(path).value_or(0);
  return f;
}

}  // namespace pelira
