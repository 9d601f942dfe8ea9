#pragma once
// Reading ZIP archives: the end record (with its ZIP64 forms), the central directory and the
// members' data, stored or deflated. Every offset and size read from the archive is checked
// against the archive's length before use; members whose data overlap are refused at open,
// since a member's bytes must belong to it alone (overlaps are how the worst bombs are made).
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace pelira {

// Bytes at an offset: a file, or memory (tests and the fuzz target).
class ZipSource {
public:
  virtual ~ZipSource() = default;
  virtual std::uint64_t Size() const = 0;
  // Reads exactly n bytes at offset; false when the bytes are not all there.
  virtual bool ReadAt(std::uint64_t offset, void* buffer, std::size_t n) = 0;
};

// Opens path for reading; nullptr (and why in *error) when it cannot.
std::unique_ptr<ZipSource> OpenZipFile(const std::filesystem::path& path, std::string* error);
// Reads from bytes, which the caller keeps alive.
std::unique_ptr<ZipSource> ZipMemorySource(const void* bytes, std::size_t n);

inline constexpr std::uint16_t kZipStored = 0;
inline constexpr std::uint16_t kZipDeflated = 8;

struct ZipEntry {
  std::string name;  // UTF-8 (flag bit 11, or valid UTF-8, else code page 437), as stored
  std::uint16_t versionMadeBy = 0;
  std::uint16_t flags = 0;
  std::uint16_t method = 0;
  std::uint16_t dosTime = 0;
  std::uint16_t dosDate = 0;
  std::uint32_t crc = 0;
  std::uint32_t externalAttr = 0;
  std::uint64_t compressedSize = 0;
  std::uint64_t uncompressedSize = 0;
  std::uint64_t localHeaderOffset = 0;  // from the archive's start, prepended bytes included
  std::uint64_t dataOffset = 0;         // first byte of the member's data
  std::optional<std::int64_t> unixMtime;  // the extended timestamp field, when present

  int Host() const { return versionMadeBy >> 8; }  // 0 DOS/Windows, 3 Unix, ...
  bool IsDirectory() const;
  bool IsSymlink() const;
  bool IsEncrypted() const { return (flags & 1) != 0; }
  bool DosReadOnly() const { return (externalAttr & 1) != 0; }
  // Unix permission bits (mode & 0777) when the member was made on Unix and carries them.
  std::optional<unsigned> UnixMode() const;
};

// "YYYY-MM-DD hh:mm:ss" of the stored DOS date and time (local time, as the archive holds it).
std::string ZipDateText(std::uint16_t dosDate, std::uint16_t dosTime);
// The DOS date and time as seconds since 1970, taken as local time; nullopt when invalid.
std::optional<std::int64_t> DosTimeToUnix(std::uint16_t dosDate, std::uint16_t dosTime);
// Names not marked UTF-8 and not valid UTF-8 were written in code page 437.
std::string Cp437ToUtf8(const std::string& bytes);

class ZipArchive {
public:
  // Reads the directory of the archive at path; false (and Error()) when it is not a
  // readable ZIP archive.
  bool Open(const std::filesystem::path& path);
  bool Open(std::unique_ptr<ZipSource> source);

  const std::string& Error() const { return error_; }
  const std::vector<ZipEntry>& Entries() const { return entries_; }
  ZipSource& Source() { return *source_; }
  std::uint64_t Size() const { return source_ ? source_->Size() : 0; }

private:
  bool Fail(const std::string& why);
  bool ReadDirectory();

  std::unique_ptr<ZipSource> source_;
  std::vector<ZipEntry> entries_;
  std::string error_;
};

enum class ZipReadStatus {
  Ok,
  BadCrc,       // all bytes came, the checksum differs
  Corrupt,      // the data end early, run past the declared size or do not inflate
  Unsupported,  // a compression method other than stored or deflated
  Encrypted,
  ReadError,    // the archive file could not be read
  Stopped,      // the sink or the progress callback asked to stop
};

struct ZipReadResult {
  ZipReadStatus status = ZipReadStatus::Ok;
  std::string message;
  explicit operator bool() const { return status == ZipReadStatus::Ok; }
};

// Streams members' bytes, checked against their declared size and CRC. Buffers and the
// inflate state are kept between members.
class ZipMemberReader {
public:
  ZipMemberReader();
  ~ZipMemberReader();
  ZipMemberReader(const ZipMemberReader&) = delete;
  ZipMemberReader& operator=(const ZipMemberReader&) = delete;

  // Hands the member's bytes to sink in order (false from sink stops); progress gets the
  // bytes produced so far after each chunk (false stops). Never produces more than the
  // declared size: a stream that would is Corrupt.
  using Sink = std::function<bool(const std::uint8_t* data, std::size_t n)>;
  using Progress = std::function<bool(std::uint64_t produced)>;
  ZipReadResult Read(ZipSource& source, const ZipEntry& entry, const Sink& sink, const Progress& progress = {});

  static constexpr std::size_t kChunk = std::size_t{1} << 20;

private:
  struct State;
  std::unique_ptr<State> state_;
};

}  // namespace pelira
