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

// The largest file a whole-file read takes: what the pixel limit allows a picture, at up to
// 64 bits a pixel in the file against 24 in memory, plus room for metadata. A bigger file is
// refused before anything is read ("File too large: <path>").
std::uint64_t MaxFileBytes();

// Raises EVistrelError "Cannot open file <path>" / "Cannot read file <path>", the
// not-a-regular-file text or the too-large text; never blocks on a FIFO.
std::vector<std::uint8_t> ReadFileBytes(const std::filesystem::path& path);
// At most maxBytes from the start (fewer when the file is shorter).
std::vector<std::uint8_t> ReadFilePrefix(const std::filesystem::path& path, std::size_t maxBytes);
// A regular file open for reads at any offset, for readers that take only the parts they
// need (libtiff's directories and strips, libpng's chunks) instead of the whole file.
class ReadOnlyFile {
public:
  // Raises as ReadFileBytes does (not found, not a regular file); never blocks on a FIFO.
  explicit ReadOnlyFile(const std::filesystem::path& path);
  ~ReadOnlyFile();
  ReadOnlyFile(const ReadOnlyFile&) = delete;
  ReadOnlyFile& operator=(const ReadOnlyFile&) = delete;

  std::uint64_t size() const { return size_; }
  const std::filesystem::path& path() const { return path_; }
  // Up to n bytes at offset (fewer at the end of the file); -1 on a read error. Safe to call
  // from several threads at once.
  std::int64_t ReadAt(std::uint64_t offset, void* out, std::size_t n) const;

private:
  std::filesystem::path path_;
  int fd_ = -1;
  std::uint64_t size_ = 0;
};

// Raises EVistrelError "Cannot write file <path>: <cause>" ("No space left on device", "The
// file is read-only", ...) and leaves any old file in place.
void WriteFileAtomic(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes);

}  // namespace pelira
