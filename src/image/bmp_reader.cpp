#include "image/bmp_reader.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <bit>
#include <cerrno>
#include <cstring>
#include <functional>

#include "common/errors.h"
#include "image/file_bytes.h"
#include "image/pixel_limit.h"

namespace pelira {

namespace {

using Span = std::span<const std::uint8_t>;

std::uint16_t U16(Span f, std::size_t o) { return static_cast<std::uint16_t>(f[o] | (f[o + 1] << 8)); }
std::uint32_t U32(Span f, std::size_t o) {
  return static_cast<std::uint32_t>(f[o]) | (static_cast<std::uint32_t>(f[o + 1]) << 8) |
         (static_cast<std::uint32_t>(f[o + 2]) << 16) | (static_cast<std::uint32_t>(f[o + 3]) << 24);
}
std::int32_t I32(Span f, std::size_t o) { return static_cast<std::int32_t>(U32(f, o)); }

bool FrameHeaderSize(std::uint32_t cb) {
  return cb == 12 || (cb >= 16 && cb <= 64 && cb % 4 == 0) || cb == 42 || cb == 46;
}

// Reads the information header at `at` (the file header, if any, is already read).
int ParseInfo(Span f, std::size_t at, BmpHeader& h, bool strict) {
  if (f.size() < at + 4) return 7;
  h.cbFix = U32(f, at);
  const bool sizeOk = FrameHeaderSize(h.cbFix) || (!strict && (h.cbFix == 108 || h.cbFix == 124));
  if (!sizeOk) return 302;
  if (static_cast<std::uint64_t>(at) + h.cbFix > f.size()) return 7;
  if (h.cbFix == 12) {
    h.width = U16(f, at + 4);
    h.height = U16(f, at + 6);
    h.planes = U16(f, at + 8);
    h.bitCount = U16(f, at + 10);
  } else {
    h.width = I32(f, at + 4);
    h.height = I32(f, at + 8);
    h.planes = U16(f, at + 12);
    h.bitCount = U16(f, at + 14);
    if (h.cbFix > 16) h.compression = U32(f, at + 16);
    if (h.cbFix > 20) h.sizeImage = U32(f, at + 20);
    // Only a header that holds both fields gives a resolution.
    if (h.cbFix >= 32) {
      h.hasPpm = true;
      h.xPelsPerMeter = I32(f, at + 24);
      h.yPelsPerMeter = I32(f, at + 28);
    }
    if (h.cbFix > 32) h.clrUsed = U32(f, at + 32);
    // Colour masks: inside V2..V5 headers (not the OS/2 2.x 64-byte one), or right after a
    // 40-byte header that asks for bit fields.
    const bool bitFields = h.compression == 3 || h.compression == 6;
    if (h.cbFix >= 52 && h.cbFix != 64) {
      h.hasMasks = true;
      for (int i = 0; i < 3; ++i) h.masks[i] = U32(f, at + 40 + 4 * i);
      if (h.cbFix >= 56) h.masks[3] = U32(f, at + 52);
    } else if (h.cbFix == 40 && bitFields) {
      const std::size_t n = h.compression == 6 ? 4 : 3;
      if (static_cast<std::uint64_t>(at) + 40 + 4 * n > f.size()) return 7;
      h.hasMasks = true;
      for (std::size_t i = 0; i < n; ++i) h.masks[i] = U32(f, at + 40 + 4 * i);
    }
  }
  if (h.width == 0 || h.height == 0) return 6;
  return 0;
}

[[noreturn]] void Invalid() { throw EVistrelError("Invalid bitmap"); }

struct Channel {
  std::uint32_t mask = 0;
  int shift = 0, bits = 0;
  explicit Channel(std::uint32_t m) : mask(m) {
    if (!m) return;
    shift = std::countr_zero(m);
    bits = std::popcount(m);  // holes in a mask are not meaningful; count what is set
  }
  std::uint8_t Of(std::uint32_t px) const {
    if (!bits) return 0;
    std::uint32_t v = (px & mask) >> shift;
    if (bits >= 8) return static_cast<std::uint8_t>(v >> (bits - 8));
    // Short fields are widened by repeating their bits (5 bits: v << 3 | v >> 2).
    std::uint32_t out = v << (8 - bits);
    for (int s = bits; s < 8; s *= 2) out |= out >> s;
    return static_cast<std::uint8_t>(out);
  }
};

// The platform-style decode of an information header at `infoAt`; pixels at pixelStart
// (absent: right after the colour table).
// Reads n bytes at a file offset into dst; false when the file cannot give them.
using Fetch = std::function<bool(std::uint64_t offset, std::uint8_t* dst, std::size_t n)>;

// f holds the headers and colour table (the whole file unless fetch is given, which then
// supplies the rows of uncompressed 1/4/8/24-bit pictures); fileSize bounds every offset.
Dib Decode(Span f, const BmpHeader& h, std::size_t infoAt, std::optional<std::uint64_t> pixelStart,
           std::uint64_t fileSize, const Fetch* fetch) {
  if (h.width <= 0 || h.planes != 1) Invalid();
  const bool topDown = h.height < 0;
  const std::int64_t height = topDown ? -h.height : h.height;
  const int bits = h.bitCount;
  if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32) Invalid();
  std::uint32_t comp = h.cbFix == 12 ? 0 : h.compression;
  switch (comp) {
    case 0: break;
    case 1: if (bits != 8 || topDown) Invalid(); break;
    case 2: if (bits != 4 || topDown) Invalid(); break;
    case 3:
    case 6: if ((bits != 16 && bits != 32) || h.cbFix == 64) Invalid(); break;
    default: Invalid();
  }
  const int outBits = bits <= 8 ? bits : 24;
  CheckPixelLimit(h.width, height, outBits);
  const int width = static_cast<int>(h.width);
  const int rows = static_cast<int>(height);

  // Colour table, after the header and any masks that follow a 40-byte header.
  std::uint64_t tableAt = static_cast<std::uint64_t>(infoAt) + h.cbFix;
  if (h.cbFix == 40 && (comp == 3 || comp == 6)) tableAt += comp == 6 ? 16 : 12;
  Palette pal;
  std::uint64_t tableEnd = tableAt;
  if (bits <= 8) {
    const std::uint32_t full = 1u << bits;
    const int entrySize = h.cbFix == 12 ? 3 : 4;
    std::uint32_t count = full;
    if (h.cbFix != 12 && h.clrUsed != 0) count = std::min(h.clrUsed, full);
    // OS/2 1.x files may carry fewer entries: the pixel offset tells.
    if (h.cbFix == 12 && pixelStart && *pixelStart > tableAt && *pixelStart < tableAt + 3 * full)
      count = static_cast<std::uint32_t>((*pixelStart - tableAt) / 3);
    tableEnd = tableAt + static_cast<std::uint64_t>(count) * entrySize;
    if (tableEnd > f.size()) Invalid();
    pal.resize(full);
    for (std::uint32_t i = 0; i < count; ++i) {
      const std::size_t o = static_cast<std::size_t>(tableAt + static_cast<std::uint64_t>(i) * entrySize);
      pal[i] = RgbQuad{f[o], f[o + 1], f[o + 2], 0};
    }
  }
  std::uint64_t start = pixelStart && *pixelStart != 0 ? *pixelStart : tableEnd;
  if (start > fileSize) Invalid();
  const std::uint64_t srcStride = RowStride(static_cast<std::uint64_t>(width), bits);
  const std::uint64_t need = srcStride * static_cast<std::uint64_t>(rows);

  if (fetch && (comp != 0 || (bits != 24 && bits > 8))) Invalid();
  if (comp == 1 || comp == 2) {
    if (h.sizeImage != 0 && start + h.sizeImage > f.size()) Invalid();
    const std::uint64_t len = h.sizeImage ? h.sizeImage : f.size() - start;
    Dib d(width, rows, bits, pal, Dib::Init::Zero);
    const Span data = f.subspan(static_cast<std::size_t>(start), static_cast<std::size_t>(len));
    if (comp == 1) DecodeRle8(data, d.Bits(), d.Stride(), width, rows);
    else DecodeRle4(data, d.Bits(), d.Stride(), width, rows);
    d.xPelsPerMeter = h.xPelsPerMeter;
    d.yPelsPerMeter = h.yPelsPerMeter;
    return d;
  }
  if (start + need > fileSize) Invalid();

  Dib d(width, rows, outBits, pal, Dib::Init::Uninitialised);
  d.xPelsPerMeter = h.xPelsPerMeter;
  d.yPelsPerMeter = h.yPelsPerMeter;
  if (fetch) {
    if (!topDown) {
      if (!(*fetch)(start, d.Bits(), d.ImageSize())) Invalid();
    } else {
      for (int r = 0; r < rows; ++r)
        if (!(*fetch)(start + static_cast<std::uint64_t>(rows - 1 - r) * srcStride,
                      d.Bits() + static_cast<std::size_t>(r) * d.Stride(), d.Stride()))
          Invalid();
    }
    return d;
  }
  const std::uint8_t* src = f.data() + start;
  auto srcRow = [&](int bufferRow) {  // bufferRow counts from the bottom, as stored
    const int fileRow = topDown ? rows - 1 - bufferRow : bufferRow;
    return src + static_cast<std::size_t>(fileRow) * srcStride;
  };
  if (bits <= 8 || bits == 24) {
    if (!topDown) {
      std::memcpy(d.Bits(), src, d.ImageSize());
    } else {
      for (int r = 0; r < rows; ++r)
        std::memcpy(d.Bits() + static_cast<std::size_t>(r) * d.Stride(), srcRow(r), d.Stride());
    }
    return d;
  }
  std::uint32_t masks[3];
  if (comp == 0) {
    if (bits == 16) masks[0] = 0x7C00, masks[1] = 0x03E0, masks[2] = 0x001F;
    else masks[0] = 0xFF0000, masks[1] = 0xFF00, masks[2] = 0xFF;
  } else {
    for (int i = 0; i < 3; ++i) masks[i] = h.masks[i];
  }
  const Channel red(masks[0]), green(masks[1]), blue(masks[2]);
  const bool plain32 = bits == 32 && masks[0] == 0xFF0000 && masks[1] == 0xFF00 && masks[2] == 0xFF;
  const std::size_t pad = d.Stride() - static_cast<std::size_t>(width) * 3;
  for (int r = 0; r < rows; ++r) {
    const std::uint8_t* s = srcRow(r);
    std::uint8_t* o = d.Bits() + static_cast<std::size_t>(r) * d.Stride();
    if (plain32) {
      for (int x = 0; x < width; ++x, s += 4) {
        *o++ = s[0];
        *o++ = s[1];
        *o++ = s[2];
      }
    } else if (bits == 32) {
      for (int x = 0; x < width; ++x, s += 4) {
        const std::uint32_t px = static_cast<std::uint32_t>(s[0]) | (static_cast<std::uint32_t>(s[1]) << 8) |
                                 (static_cast<std::uint32_t>(s[2]) << 16) | (static_cast<std::uint32_t>(s[3]) << 24);
        *o++ = blue.Of(px);
        *o++ = green.Of(px);
        *o++ = red.Of(px);
      }
    } else {
      for (int x = 0; x < width; ++x, s += 2) {
        const std::uint32_t px = static_cast<std::uint32_t>(s[0]) | (static_cast<std::uint32_t>(s[1]) << 8);
        *o++ = blue.Of(px);
        *o++ = green.Of(px);
        *o++ = red.Of(px);
      }
    }
    std::memset(o, 0, pad);
  }
  return d;
}

}  // namespace

int ParseBmpHeader(Span f, BmpHeader& h, bool strict) {
  h = BmpHeader{};
  if (f.size() < 2) return 7;
  std::size_t base = 0;
  if (f[0] == 'B' && f[1] == 'A') {
    base = 14;
    if (f.size() < base + 2) return 7;
  }
  if (f[base] != 'B' || f[base + 1] != 'M') return 5;
  if (f.size() < base + 14) return 7;
  h.base = base;
  h.offBits = U32(f, base + 10);
  return ParseInfo(f, base + 14, h, strict);
}

Dib ReadBmpFile(Span file) {
  BmpHeader h;
  if (ParseBmpHeader(file, h, false) != 0) Invalid();
  const std::optional<std::uint64_t> start =
      h.offBits == 0 ? std::nullopt : std::optional<std::uint64_t>(static_cast<std::uint64_t>(h.base) + h.offBits);
  return Decode(file, h, h.base + 14, start, file.size(), nullptr);
}

Dib DibFromPacked(Span block) {
  BmpHeader h;
  if (ParseInfo(block, 0, h, false) != 0) Invalid();
  return Decode(block, h, 0, std::nullopt, block.size(), nullptr);
}

Dib ReadBmpPath(const std::filesystem::path& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) throw EVistrelError("Cannot open file " + path.string());
  struct Closer {
    int fd;
    ~Closer() { ::close(fd); }
  } closer{fd};
  struct stat st {};
  if (::fstat(fd, &st) != 0 || st.st_size < 0) Invalid();
  if (!S_ISREG(st.st_mode)) throw EVistrelError(NotRegularFileText(path));
  const std::uint64_t fileSize = static_cast<std::uint64_t>(st.st_size);
  const Fetch fetch = [fd, fileSize](std::uint64_t off, std::uint8_t* dst, std::size_t n) {
    if (off > fileSize || n > fileSize - off) return false;
    std::size_t done = 0;
    while (done < n) {
      const ssize_t got = ::pread(fd, dst + done, n - done, static_cast<off_t>(off + done));
      if (got < 0 && errno == EINTR) continue;
      if (got <= 0) return false;
      done += static_cast<std::size_t>(got);
    }
    return true;
  };
  // Headers and colour table always lie within the first 4 KiB.
  std::vector<std::uint8_t> head(static_cast<std::size_t>(std::min<std::uint64_t>(fileSize, 4096)));
  if (!fetch(0, head.data(), head.size())) Invalid();
  BmpHeader h;
  const bool direct = ParseBmpHeader(head, h, false) == 0 && (h.cbFix == 12 || h.compression == 0) &&
                      (h.bitCount == 1 || h.bitCount == 4 || h.bitCount == 8 || h.bitCount == 24);
  if (!direct || head.size() == fileSize) return ReadBmpFile(ReadFileBytes(path));
  const std::optional<std::uint64_t> start =
      h.offBits == 0 ? std::nullopt : std::optional<std::uint64_t>(static_cast<std::uint64_t>(h.base) + h.offBits);
  return Decode(head, h, h.base + 14, start, fileSize, &fetch);
}

bool DecodeRle8(Span data, std::uint8_t* bits, std::size_t stride, int width, int height) {
  std::size_t i = 0;
  const std::size_t n = data.size();
  std::int64_t x = 0;
  std::int64_t row = 0;
  auto fill = [&](int count, std::uint8_t v) {
    if (row < height && x < width) {
      const std::int64_t end = std::min<std::int64_t>(width, x + count);
      std::memset(bits + static_cast<std::size_t>(row) * stride + static_cast<std::size_t>(x), v,
                  static_cast<std::size_t>(end - x));
    }
    x += count;
  };
  while (row < height) {
    if (i + 2 > n) return false;
    const std::uint8_t c = data[i++], v = data[i++];
    if (c > 0) {
      fill(c, v);
    } else if (v == 0) {
      ++row;
      x = 0;
    } else if (v == 1) {
      return true;
    } else if (v == 2) {
      if (i + 2 > n) return false;
      x += data[i++];
      row += data[i++];
    } else {
      const std::size_t avail = std::min<std::size_t>(v, n - i);
      for (std::size_t k = 0; k < avail; ++k) fill(1, data[i + k]);
      if (avail < v) return false;
      i += v;
      if (v & 1) ++i;
    }
  }
  return true;
}

bool DecodeRle4(Span data, std::uint8_t* bits, std::size_t stride, int width, int height) {
  std::size_t i = 0;
  const std::size_t n = data.size();
  std::int64_t x = 0;
  std::int64_t row = 0;
  auto put = [&](std::uint8_t nibble) {
    if (row < height && x < width) {
      std::uint8_t& b = bits[static_cast<std::size_t>(row) * stride + static_cast<std::size_t>(x >> 1)];
      b = (x & 1) ? static_cast<std::uint8_t>((b & 0xF0) | nibble) : static_cast<std::uint8_t>((b & 0x0F) | (nibble << 4));
    }
    ++x;
  };
  while (row < height) {
    if (i + 2 > n) return false;
    const std::uint8_t c = data[i++], v = data[i++];
    if (c > 0) {
      if (row >= height || x >= width) {
        x += c;
        continue;
      }
      for (int k = 0; k < c; ++k) put((k & 1) ? (v & 15) : (v >> 4));
    } else if (v == 0) {
      ++row;
      x = 0;
    } else if (v == 1) {
      return true;
    } else if (v == 2) {
      if (i + 2 > n) return false;
      x += data[i++];
      row += data[i++];
    } else {
      const std::size_t bytes = (static_cast<std::size_t>(v) + 1) / 2;
      for (int k = 0; k < v; ++k) {
        const std::size_t at = i + static_cast<std::size_t>(k / 2);
        if (at >= n) return false;
        put((k & 1) ? (data[at] & 15) : (data[at] >> 4));
      }
      i += bytes;
      if (bytes & 1) ++i;
    }
  }
  return true;
}

}  // namespace pelira
