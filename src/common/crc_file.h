#pragma once
// CRCFile: the CRC register (crc_register.h) over a file's bytes, read in large blocks. Only
// regular files are read (a FIFO would block, a device may never end); a file that cannot be
// opened or read gives no value, never a register that looks computed.
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

namespace pelira {

std::optional<std::uint32_t> CRCFileRegister(const std::filesystem::path& path);
// The register as 8 upper-case hex digits; an empty file gives "FFFFFFFF".
std::optional<std::string> CRCFile(const std::filesystem::path& path);

}  // namespace pelira
