#pragma once
// How file sizes are written for people: the file list's size column and the other places
// that show a size in KB or MB.
#include <cstdint>
#include <string>
#include <string_view>

namespace pelira {

// Below 1024 bytes the number; below 1 MiB "%d KB", or "%d.%d KB" when the truncated tenth
// is not 0; below 4 GiB "%d MB" / "%d.%d MB" likewise; from 4 GiB on the MiB count with two
// decimals, halves rounded up ("4096.13 MB").
std::string SizeText(std::uint64_t bytes);

// The low-disk-space warning of saving and of batch runs:
// "Insufficient disk space.\nReq.: <required div 1024> Kb\nFree: <free div 1024> Kb\n\n" + last_line.
std::string InsufficientSpaceText(std::uint64_t required, std::uint64_t free,
                                  std::string_view last_line);

}  // namespace pelira
