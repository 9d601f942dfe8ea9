#pragma once
// Image › I&nfo: the text about the current file and picture, and the facts it is made of.
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

namespace pelira {

inline constexpr const char* kBadHeaderText = "Bad header; corrupted.";

// Bytes the picture takes in memory by its depth: 1 bit w x h / 8, 4 bits w x h / 2, 8 bits
// w x h, 15 or 16 bits 2 w h, 24 bits 3 w h, 32 bits 4 w h; -1 for any other depth.
std::int64_t PictureMemorySize(std::int64_t w, std::int64_t h, int bits);

// Local time "YYYY-MM-DD hh:mm:ss" of a file time.
std::string LocalDateTimeText(std::filesystem::file_time_type t);

struct FileInfoFacts {
  std::string description;  // ImageDescription
  std::string name, folder, date;
  std::uint64_t size = 0;
  std::uint32_t crc = 0;
  int pages = 0;
  std::int64_t uses = 0;
  int videoBits = 0;
};

// The text; withNameAndPath adds "Name: " and "Path: " (the plain display, not the JPEG
// window, which names the file itself). br is the line break.
std::string FileInfoText(const FileInfoFacts& f, bool withNameAndPath, const std::string& br);

// The facts of a file on disk (size, date, CRC, name, folder); none when it is missing.
std::optional<FileInfoFacts> ReadFileFacts(const std::filesystem::path& path);

}  // namespace pelira
