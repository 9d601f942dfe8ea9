#pragma once
// Whole-file and prefix reads, and the atomic write every saved picture goes through
// (temporary file beside the target, fsync, rename; the old file stays on failure).
#include <cstdint>
#include <filesystem>
#include <vector>

namespace pelira {

// Raises EVistrelError "Cannot open file <path>" / "Cannot read file <path>".
std::vector<std::uint8_t> ReadFileBytes(const std::filesystem::path& path);
// At most maxBytes from the start (fewer when the file is shorter).
std::vector<std::uint8_t> ReadFilePrefix(const std::filesystem::path& path, std::size_t maxBytes);
// Raises EVistrelError "Cannot write file <path>" and leaves any old file in place.
void WriteFileAtomic(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes);

}  // namespace pelira
