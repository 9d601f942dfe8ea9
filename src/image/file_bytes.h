#pragma once
// Whole-file and prefix reads, and the atomic write every saved picture goes through
// (temporary file beside the target, fsync, rename; the old file stays on failure).
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace pelira {

// Empty when path names a regular file (links followed); otherwise why it cannot be read as
// one: "File not found", or "Not a regular file: <path>" for FIFOs, devices, folders, sockets.
// A FIFO would block a reader for ever and a device may never end.
std::string RegularFileProblem(const std::filesystem::path& path);
std::string NotRegularFileText(const std::filesystem::path& path);

// Raises EVistrelError "Cannot open file <path>" / "Cannot read file <path>", or the
// not-a-regular-file text; never blocks on a FIFO.
std::vector<std::uint8_t> ReadFileBytes(const std::filesystem::path& path);
// At most maxBytes from the start (fewer when the file is shorter).
std::vector<std::uint8_t> ReadFilePrefix(const std::filesystem::path& path, std::size_t maxBytes);
// Raises EVistrelError "Cannot write file <path>: <cause>" ("No space left on device", "The
// file is read-only", ...) and leaves any old file in place.
void WriteFileAtomic(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes);

}  // namespace pelira
