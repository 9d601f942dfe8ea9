#include "tools/zip_archive.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zlib.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>

#include "common/text_encoding.h"

namespace pelira {

namespace {

constexpr std::uint32_t kLocalSig = 0x04034b50;
constexpr std::uint32_t kCentralSig = 0x02014b50;
constexpr std::uint32_t kEndSig = 0x06054b50;
constexpr std::uint32_t kEnd64Sig = 0x06064b50;
constexpr std::uint32_t kLocator64Sig = 0x07064b50;
constexpr std::size_t kEndSize = 22;
constexpr std::size_t kCentralSize = 46;
constexpr std::size_t kLocalSize = 30;

std::uint16_t U16(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] | (p[1] << 8)); }
std::uint32_t U32(const std::uint8_t* p) {
  return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
         (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}
std::uint64_t U64(const std::uint8_t* p) { return U32(p) | (static_cast<std::uint64_t>(U32(p + 4)) << 32); }

// offset + n <= size without overflow.
bool Fits(std::uint64_t offset, std::uint64_t n, std::uint64_t size) { return offset <= size && n <= size - offset; }

class FileSource : public ZipSource {
public:
  FileSource(int fd, std::uint64_t size) : fd_(fd), size_(size) {}
  ~FileSource() override { ::close(fd_); }
  std::uint64_t Size() const override { return size_; }
  bool ReadAt(std::uint64_t offset, void* buffer, std::size_t n) override {
    if (!Fits(offset, n, size_)) return false;
    auto* p = static_cast<char*>(buffer);
    while (n > 0) {
      const ssize_t r = ::pread(fd_, p, n, static_cast<off_t>(offset));
      if (r < 0 && errno == EINTR) continue;
      if (r <= 0) return false;
      p += r;
      n -= static_cast<std::size_t>(r);
      offset += static_cast<std::uint64_t>(r);
    }
    return true;
  }

private:
  int fd_;
  std::uint64_t size_;
};

class MemorySource : public ZipSource {
public:
  MemorySource(const void* bytes, std::size_t n) : bytes_(static_cast<const std::uint8_t*>(bytes)), size_(n) {}
  std::uint64_t Size() const override { return size_; }
  bool ReadAt(std::uint64_t offset, void* buffer, std::size_t n) override {
    if (!Fits(offset, n, size_)) return false;
    if (n > 0) std::memcpy(buffer, bytes_ + offset, n);
    return true;
  }

private:
  const std::uint8_t* bytes_;
  std::uint64_t size_;
};

constexpr std::uint16_t kCp437High[128] = {
    0x00C7, 0x00FC, 0x00E9, 0x00E2, 0x00E4, 0x00E0, 0x00E5, 0x00E7, 0x00EA, 0x00EB, 0x00E8, 0x00EF, 0x00EE,
    0x00EC, 0x00C4, 0x00C5, 0x00C9, 0x00E6, 0x00C6, 0x00F4, 0x00F6, 0x00F2, 0x00FB, 0x00F9, 0x00FF, 0x00D6,
    0x00DC, 0x00A2, 0x00A3, 0x00A5, 0x20A7, 0x0192, 0x00E1, 0x00ED, 0x00F3, 0x00FA, 0x00F1, 0x00D1, 0x00AA,
    0x00BA, 0x00BF, 0x2310, 0x00AC, 0x00BD, 0x00BC, 0x00A1, 0x00AB, 0x00BB, 0x2591, 0x2592, 0x2593, 0x2502,
    0x2524, 0x2561, 0x2562, 0x2556, 0x2555, 0x2563, 0x2551, 0x2557, 0x255D, 0x255C, 0x255B, 0x2510, 0x2514,
    0x2534, 0x252C, 0x251C, 0x2500, 0x253C, 0x255E, 0x255F, 0x255A, 0x2554, 0x2569, 0x2566, 0x2560, 0x2550,
    0x256C, 0x2567, 0x2568, 0x2564, 0x2565, 0x2559, 0x2558, 0x2552, 0x2553, 0x256B, 0x256A, 0x2518, 0x250C,
    0x2588, 0x2584, 0x258C, 0x2590, 0x2580, 0x03B1, 0x00DF, 0x0393, 0x03C0, 0x03A3, 0x03C3, 0x00B5, 0x03C4,
    0x03A6, 0x0398, 0x03A9, 0x03B4, 0x221E, 0x03C6, 0x03B5, 0x2229, 0x2261, 0x00B1, 0x2265, 0x2264, 0x2320,
    0x2321, 0x00F7, 0x2248, 0x00B0, 0x2219, 0x00B7, 0x221A, 0x207F, 0x00B2, 0x25A0, 0x00A0,
};

std::string DecodeName(const std::string& raw, std::uint16_t flags) {
  if (IsValidUtf8(raw)) return raw;  // marked UTF-8 (bit 11) or plain ASCII / UTF-8 anyway
  (void)flags;
  return Cp437ToUtf8(raw);
}

}  // namespace

std::unique_ptr<ZipSource> OpenZipFile(const std::filesystem::path& path, std::string* error) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    if (error) *error = std::strerror(errno);
    return nullptr;
  }
  struct stat st {};
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    if (error) *error = S_ISDIR(st.st_mode) ? "Is a directory" : "Not a regular file";
    ::close(fd);
    return nullptr;
  }
  return std::make_unique<FileSource>(fd, static_cast<std::uint64_t>(st.st_size));
}

std::unique_ptr<ZipSource> ZipMemorySource(const void* bytes, std::size_t n) {
  return std::make_unique<MemorySource>(bytes, n);
}

std::string Cp437ToUtf8(const std::string& bytes) {
  std::string out;
  out.reserve(bytes.size() * 2);
  for (unsigned char c : bytes) AppendUtf8(out, c < 0x80 ? c : kCp437High[c - 0x80]);
  return out;
}

bool ZipEntry::IsDirectory() const {
  if (!name.empty() && (name.back() == '/' || name.back() == '\\')) return true;
  return (externalAttr & 0x10) != 0 && uncompressedSize == 0 && Host() == 0;
}

bool ZipEntry::IsSymlink() const { return Host() == 3 && ((externalAttr >> 16) & 0170000) == 0120000; }

std::optional<unsigned> ZipEntry::UnixMode() const {
  const unsigned mode = externalAttr >> 16;
  if (Host() != 3 || mode == 0) return std::nullopt;
  return mode & 0777;
}

std::string ZipDateText(std::uint16_t dosDate, std::uint16_t dosTime) {
  char text[32];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", 1980 + (dosDate >> 9), (dosDate >> 5) & 15,
                dosDate & 31, dosTime >> 11, (dosTime >> 5) & 63, (dosTime & 31) * 2);
  return text;
}

std::optional<std::int64_t> DosTimeToUnix(std::uint16_t dosDate, std::uint16_t dosTime) {
  std::tm tm{};
  tm.tm_year = 80 + (dosDate >> 9);
  tm.tm_mon = ((dosDate >> 5) & 15) - 1;
  tm.tm_mday = dosDate & 31;
  tm.tm_hour = dosTime >> 11;
  tm.tm_min = (dosTime >> 5) & 63;
  tm.tm_sec = (dosTime & 31) * 2;
  tm.tm_isdst = -1;
  if (tm.tm_mon < 0 || tm.tm_mon > 11 || tm.tm_mday < 1 || tm.tm_hour > 23 || tm.tm_min > 59 || tm.tm_sec > 59)
    return std::nullopt;
  const std::time_t t = std::mktime(&tm);
  if (t == static_cast<std::time_t>(-1)) return std::nullopt;
  return static_cast<std::int64_t>(t);
}

bool ZipArchive::Fail(const std::string& why) {
  error_ = why;
  entries_.clear();
  return false;
}

bool ZipArchive::Open(const std::filesystem::path& path) {
  std::string why;
  auto source = OpenZipFile(path, &why);
  if (!source) {
    source_.reset();
    return Fail(why);
  }
  return Open(std::move(source));
}

bool ZipArchive::Open(std::unique_ptr<ZipSource> source) {
  source_ = std::move(source);
  error_.clear();
  entries_.clear();
  return ReadDirectory();
}

bool ZipArchive::ReadDirectory() {
  ZipSource& src = *source_;
  const std::uint64_t size = src.Size();
  if (size < kEndSize) return Fail("not a ZIP archive (too short)");

  // The end record sits in the last 22 + 65535 bytes; the last one whose comment fits wins.
  const std::uint64_t tailLen = std::min<std::uint64_t>(size, kEndSize + 0xFFFF);
  std::vector<std::uint8_t> tail(static_cast<std::size_t>(tailLen));
  const std::uint64_t tailStart = size - tailLen;
  if (!src.ReadAt(tailStart, tail.data(), tail.size())) return Fail("cannot read the archive");
  std::int64_t endAt = -1;
  for (std::int64_t i = static_cast<std::int64_t>(tail.size() - kEndSize); i >= 0; --i) {
    const std::uint8_t* p = tail.data() + i;
    if (U32(p) == kEndSig && static_cast<std::uint64_t>(i) + kEndSize + U16(p + 20) <= tail.size()) {
      endAt = i;
      break;
    }
  }
  if (endAt < 0) return Fail("not a ZIP archive (no end of central directory)");
  const std::uint8_t* e = tail.data() + endAt;
  const std::uint64_t endPos = tailStart + static_cast<std::uint64_t>(endAt);
  std::uint64_t disk = U16(e + 4), cdDisk = U16(e + 6), count = U16(e + 10), cdSize = U32(e + 12),
                cdOffset = U32(e + 16);
  std::uint64_t cdEnd = endPos;  // where the directory must stop
  bool zip64 = false;

  // A ZIP64 locator just before the end record points at the ZIP64 end record.
  if (endPos >= 20) {
    std::uint8_t loc[20];
    if (!src.ReadAt(endPos - 20, loc, sizeof loc)) return Fail("cannot read the archive");
    if (U32(loc) == kLocator64Sig) {
      std::uint64_t e64Pos = U64(loc + 8);
      if (U32(loc + 4) != 0 || U32(loc + 16) > 1) return Fail("multi-disk archives are not supported");
      std::uint8_t e64[56];
      // Prepended bytes shift the recorded position: the record then ends right at the locator.
      if (!Fits(e64Pos, sizeof e64, endPos - 20) || !src.ReadAt(e64Pos, e64, sizeof e64) || U32(e64) != kEnd64Sig) {
        if (endPos - 20 < sizeof e64) return Fail("bad ZIP64 end of central directory");
        e64Pos = endPos - 20 - sizeof e64;
        if (!src.ReadAt(e64Pos, e64, sizeof e64) || U32(e64) != kEnd64Sig)
          return Fail("bad ZIP64 end of central directory");
      }
      zip64 = true;
      disk = U32(e64 + 16);
      cdDisk = U32(e64 + 20);
      count = U64(e64 + 32);
      cdSize = U64(e64 + 40);
      cdOffset = U64(e64 + 48);
      cdEnd = e64Pos;
    }
  }
  if (disk != 0 || cdDisk != 0) return Fail("multi-disk archives are not supported");
  if (cdSize > cdEnd) return Fail("central directory larger than the archive");

  // The directory where the end record says; else right before the end record, with bytes
  // prepended to the archive (a self-extractor's stub) shifting every offset alike.
  std::uint64_t cdStart = cdEnd - cdSize;
  std::uint64_t shift = 0;
  std::uint8_t sig[4];
  if (cdSize > 0 && Fits(cdOffset, cdSize, cdEnd) && src.ReadAt(cdOffset, sig, 4) && U32(sig) == kCentralSig) {
    cdStart = cdOffset;
  } else {
    if (cdOffset > cdStart) return Fail("central directory outside the archive");
    shift = cdStart - cdOffset;
  }

  if (count > cdSize / kCentralSize) return Fail("entry count does not match the central directory");
  std::vector<std::uint8_t> cd(static_cast<std::size_t>(cdSize));
  if (!src.ReadAt(cdStart, cd.data(), cd.size())) return Fail("cannot read the central directory");

  std::vector<ZipEntry> entries;
  entries.reserve(static_cast<std::size_t>(count));
  std::size_t at = 0;
  while (at < cd.size()) {
    if (cd.size() - at < kCentralSize || U32(cd.data() + at) != kCentralSig)
      return Fail("damaged central directory entry");
    const std::uint8_t* h = cd.data() + at;
    ZipEntry z;
    z.versionMadeBy = U16(h + 4);
    z.flags = U16(h + 8);
    z.method = U16(h + 10);
    z.dosTime = U16(h + 12);
    z.dosDate = U16(h + 14);
    z.crc = U32(h + 16);
    z.compressedSize = U32(h + 20);
    z.uncompressedSize = U32(h + 24);
    const std::size_t nameLen = U16(h + 28), extraLen = U16(h + 30), commentLen = U16(h + 32);
    std::uint64_t startDisk = U16(h + 34);
    z.externalAttr = U32(h + 38);
    z.localHeaderOffset = U32(h + 42);
    const std::size_t total = kCentralSize + nameLen + extraLen + commentLen;
    if (cd.size() - at < total) return Fail("damaged central directory entry");
    const std::string rawName(reinterpret_cast<const char*>(h + kCentralSize), nameLen);

    // Extra fields: ZIP64 sizes and offset, the extended timestamp, the UTF-8 path.
    const std::uint8_t* x = h + kCentralSize + nameLen;
    std::size_t xi = 0;
    std::string unicodeName;
    while (extraLen - xi >= 4) {
      const std::uint16_t id = U16(x + xi), len = U16(x + xi + 2);
      if (len > extraLen - xi - 4) break;  // a cut field is ignored, as the rest is unusable
      const std::uint8_t* f = x + xi + 4;
      if (id == 0x0001) {
        std::size_t fi = 0;
        auto next = [&](std::uint64_t* v) {
          if (len - fi < 8) return false;
          *v = U64(f + fi);
          fi += 8;
          return true;
        };
        if (z.uncompressedSize == 0xFFFFFFFF && !next(&z.uncompressedSize)) return Fail("damaged ZIP64 field");
        if (z.compressedSize == 0xFFFFFFFF && !next(&z.compressedSize)) return Fail("damaged ZIP64 field");
        if (z.localHeaderOffset == 0xFFFFFFFF && !next(&z.localHeaderOffset)) return Fail("damaged ZIP64 field");
        if (startDisk == 0xFFFF && len - fi >= 4) startDisk = U32(f + fi);
      } else if (id == 0x5455 && len >= 5 && (f[0] & 1)) {
        z.unixMtime = static_cast<std::int32_t>(U32(f + 1));
      } else if (id == 0x7075 && len >= 5 && f[0] == 1) {
        // Valid only while it still describes the stored name.
        const std::uint32_t nameCrc = static_cast<std::uint32_t>(
            crc32(0, reinterpret_cast<const Bytef*>(rawName.data()), static_cast<uInt>(rawName.size())));
        std::string u(reinterpret_cast<const char*>(f + 5), len - 5u);
        if (U32(f + 1) == nameCrc && IsValidUtf8(u)) unicodeName = std::move(u);
      }
      xi += 4u + len;
    }
    if (startDisk != 0 && !(zip64 && startDisk == 0xFFFF)) return Fail("multi-disk archives are not supported");
    z.name = !unicodeName.empty() ? unicodeName : DecodeName(rawName, z.flags);
    if (z.localHeaderOffset > cdOffset) return Fail("member outside the archive");
    z.localHeaderOffset += shift;
    entries.push_back(std::move(z));
    at += total;
  }
  // The end record's count is 16 bits wide in archives written without ZIP64 records.
  if (zip64 ? entries.size() != count : (entries.size() & 0xFFFF) != count)
    return Fail("entry count does not match the central directory");

  // Local headers: where each member's data starts, and that it ends before the directory.
  for (ZipEntry& z : entries) {
    std::uint8_t lh[kLocalSize];
    if (!Fits(z.localHeaderOffset, kLocalSize, cdStart) || !src.ReadAt(z.localHeaderOffset, lh, sizeof lh) ||
        U32(lh) != kLocalSig)
      return Fail("damaged local header of " + z.name);
    z.dataOffset = z.localHeaderOffset + kLocalSize + U16(lh + 26) + U16(lh + 28);
    if (!Fits(z.dataOffset, z.compressedSize, cdStart)) return Fail("data of " + z.name + " runs past its end");
  }
  // Each member's header and data must be its own.
  std::vector<const ZipEntry*> order;
  order.reserve(entries.size());
  for (const ZipEntry& z : entries) order.push_back(&z);
  std::sort(order.begin(), order.end(),
            [](const ZipEntry* a, const ZipEntry* b) { return a->localHeaderOffset < b->localHeaderOffset; });
  for (std::size_t i = 1; i < order.size(); ++i) {
    const ZipEntry& prev = *order[i - 1];
    if (order[i]->localHeaderOffset < prev.dataOffset + prev.compressedSize)
      return Fail("members " + prev.name + " and " + order[i]->name + " overlap");
  }
  entries_ = std::move(entries);
  return true;
}

// --- member data --------------------------------------------------------------------------------

struct ZipMemberReader::State {
  std::vector<std::uint8_t> in = std::vector<std::uint8_t>(kChunk);
  std::vector<std::uint8_t> out = std::vector<std::uint8_t>(kChunk);
  z_stream zs{};
  bool zsReady = false;
  ~State() {
    if (zsReady) inflateEnd(&zs);
  }
};

ZipMemberReader::ZipMemberReader() : state_(std::make_unique<State>()) {}
ZipMemberReader::~ZipMemberReader() = default;

ZipReadResult ZipMemberReader::Read(ZipSource& source, const ZipEntry& entry, const Sink& sink,
                                    const Progress& progress) {
  if (entry.IsEncrypted()) return {ZipReadStatus::Encrypted, "encrypted"};
  if (entry.method != kZipStored && entry.method != kZipDeflated)
    return {ZipReadStatus::Unsupported, "compression method " + std::to_string(entry.method) + " is not supported"};
  if (!Fits(entry.dataOffset, entry.compressedSize, source.Size())) return {ZipReadStatus::Corrupt, "data past the end"};

  State& s = *state_;
  std::uint64_t produced = 0;
  uLong crc = crc32(0, nullptr, 0);
  const std::uint64_t want = entry.uncompressedSize;

  auto emit = [&](const std::uint8_t* data, std::size_t n) -> ZipReadResult {
    crc = crc32_z(crc, data, n);
    produced += n;
    if (n > 0 && !sink(data, n)) return {ZipReadStatus::Stopped, "stopped"};
    if (progress && !progress(produced)) return {ZipReadStatus::Stopped, "stopped"};
    return {};
  };

  if (entry.method == kZipStored) {
    if (entry.compressedSize != want) return {ZipReadStatus::Corrupt, "stored sizes differ"};
    std::uint64_t pos = entry.dataOffset, left = want;
    while (left > 0) {
      const std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(left, kChunk));
      if (!source.ReadAt(pos, s.in.data(), n)) return {ZipReadStatus::ReadError, "cannot read the archive"};
      if (auto r = emit(s.in.data(), n); !r) return r;
      pos += n;
      left -= n;
    }
  } else {
    if (!s.zsReady) {
      s.zs = z_stream{};
      if (inflateInit2(&s.zs, -MAX_WBITS) != Z_OK) return {ZipReadStatus::ReadError, "inflate cannot start"};
      s.zsReady = true;
    } else {
      inflateReset(&s.zs);
    }
    z_stream& zs = s.zs;
    std::uint64_t pos = entry.dataOffset, inLeft = entry.compressedSize;
    zs.avail_in = 0;
    bool ended = false;
    while (!ended) {
      if (zs.avail_in == 0 && inLeft > 0) {
        const std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(inLeft, kChunk));
        if (!source.ReadAt(pos, s.in.data(), n)) return {ZipReadStatus::ReadError, "cannot read the archive"};
        pos += n;
        inLeft -= n;
        zs.next_in = s.in.data();
        zs.avail_in = static_cast<uInt>(n);
      }
      // One byte more than is still owed shows a stream that runs past the declared size.
      const std::uint64_t owed = want - produced;
      const std::size_t room = static_cast<std::size_t>(std::min<std::uint64_t>(owed + 1, kChunk));
      zs.next_out = s.out.data();
      zs.avail_out = static_cast<uInt>(room);
      const uInt inBefore = zs.avail_in;
      const int rc = inflate(&zs, Z_NO_FLUSH);
      const std::size_t got = room - zs.avail_out;
      if (rc == Z_STREAM_END) {
        ended = true;
      } else if (rc != Z_OK && rc != Z_BUF_ERROR) {
        return {ZipReadStatus::Corrupt, zs.msg ? zs.msg : "inflate failed"};
      }
      if (got > owed) return {ZipReadStatus::Corrupt, "data longer than the declared size"};
      if (got == 0 && !ended && zs.avail_in == inBefore && (inLeft == 0 || zs.avail_in > 0))
        return {ZipReadStatus::Corrupt, "data end early"};
      if (auto r = emit(s.out.data(), got); !r) return r;
    }
  }
  if (produced != want) return {ZipReadStatus::Corrupt, "data shorter than the declared size"};
  if (static_cast<std::uint32_t>(crc) != entry.crc) return {ZipReadStatus::BadCrc, "bad CRC"};
  return {};
}

}  // namespace pelira
