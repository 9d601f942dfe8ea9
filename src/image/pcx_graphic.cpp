#include "image/pcx_graphic.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <vector>

#include "common/errors.h"
#include "image/byte_cursor.h"
#include "image/file_bytes.h"
#include "image/pixel_limit.h"

namespace pelira {

namespace {

[[noreturn]] void HeaderFailed() { throw EGbmError("gbm_read_header failed."); }
[[noreturn]] void DataFailed() { throw EGbmError("gbm_read_data failed."); }
[[noreturn]] void WriteFailed() { throw EGbmError("gbm_write failed."); }

bool KnownCombination(int bits, int planes) {
  return (bits == 1 && planes == 1) || (bits == 1 && planes == 4) || (bits == 4 && planes == 1) ||
         (bits == 8 && planes == 1) || (bits == 8 && planes == 3);
}

// Run-length decoder whose runs carry on from one line into the next.
class RleLines {
public:
  explicit RleLines(ByteSpan data) : p_(data.data()), end_(data.data() + data.size()) {}

  // Fills n bytes; false when the data ends first.
  bool Line(std::uint8_t* out, std::size_t n) {
    std::size_t i = 0;
    while (i < n) {
      if (run_) {
        const std::size_t k = std::min<std::size_t>(run_, n - i);
        std::memset(out + i, value_, k);
        i += k;
        run_ -= static_cast<unsigned>(k);
        continue;
      }
      // Literal stretches are the common case in photos: copy them in one go.
      const std::uint8_t* q = p_;
      const std::uint8_t* stop = p_ + std::min<std::size_t>(static_cast<std::size_t>(end_ - p_), n - i);
      while (q < stop && *q < 192) ++q;
      if (q > p_) {
        std::memcpy(out + i, p_, static_cast<std::size_t>(q - p_));
        i += static_cast<std::size_t>(q - p_);
        p_ = q;
        continue;
      }
      if (p_ == end_) return false;
      const std::uint8_t b = *p_++;
      if (p_ == end_) return false;
      run_ = b & 63u;
      value_ = *p_++;
    }
    return true;
  }

private:
  const std::uint8_t* p_;
  const std::uint8_t* end_;
  unsigned run_ = 0;
  std::uint8_t value_ = 0;
};

// For one plane byte, the bit of each of its eight pixels in the low bit of that pixel's
// nibble (leftmost pixel in the top nibble).
const std::array<std::uint32_t, 256>& PlaneSpread() {
  static const std::array<std::uint32_t, 256> t = [] {
    std::array<std::uint32_t, 256> r{};
    for (int b = 0; b < 256; ++b) {
      std::uint32_t v = 0;
      for (int i = 0; i < 8; ++i)
        if (b & (0x80 >> i)) v |= 1u << (28 - 4 * i);
      r[static_cast<std::size_t>(b)] = v;
    }
    return r;
  }();
  return t;
}

void PutRun(Bytes& out, const std::uint8_t* line, std::size_t n) {
  std::size_t i = 0;
  while (i < n) {
    const std::uint8_t v = line[i];
    std::size_t run = 1;
    while (i + run < n && run < 63 && line[i + run] == v) ++run;
    if (run > 1 || v >= 192) {
      out.push_back(static_cast<std::uint8_t>(192 + run));
      out.push_back(v);
    } else {
      out.push_back(v);
    }
    i += run;
  }
}

int Luminance(const RgbQuad& q) { return q.red * 30 + q.green * 60 + q.blue * 10; }

}  // namespace

int ParsePcxHeader(ByteSpan file, PcxHeader& h) {
  if (file.size() < kPcxHeaderSize) return file.empty() || file[0] == 10 ? 7 : 5;
  ByteCursor c(file);
  if (c.U8() != 10) return 5;
  h.version = c.U8();
  h.encoding = c.U8();
  h.bitsPerPlane = c.U8();
  const int xmin = c.U16LE(), ymin = c.U16LE(), xmax = c.U16LE(), ymax = c.U16LE();
  h.xDpi = c.U16LE();
  h.yDpi = c.U16LE();
  c.Read(h.palette16, 48);
  c.U8();
  h.planes = c.U8();
  h.bytesPerLine = c.U16LE();
  if (h.version == 4 || h.version > 5) return 700;
  if (h.encoding != 1) return 701;
  if (xmax < xmin || ymax < ymin) return 6;
  h.width = xmax - xmin + 1;
  h.height = ymax - ymin + 1;
  if (!KnownCombination(h.bitsPerPlane, h.planes)) return 702;
  // A line shorter than the width needs would leave pixels the file never gives.
  const std::int64_t needed = (static_cast<std::int64_t>(h.width) * h.bitsPerPlane + 7) / 8;
  if (h.bytesPerLine < needed) return 6;
  return 0;
}

void TPcxGraphic::ReadImage(ByteSpan f, int index) {
  if (index > 1) HeaderFailed();
  PcxHeader h;
  if (ParsePcxHeader(f, h) != 0) HeaderFailed();
  const int bits = h.BitsPerPixel();
  TImageFormat format = TImageFormat::TrueColor;
  TPaletteRecord pal;
  switch (bits) {
    case 1:
      format = TImageFormat::BlackWhite;
      pal = TPaletteRecord::From(BlackWhitePalette());
      break;
    case 4:
      format = TImageFormat::Color16;
      pal.count = 16;
      for (int i = 0; i < 16; ++i)
        pal.entries[static_cast<std::size_t>(i)] =
            RgbQuad{h.palette16[3 * i + 2], h.palette16[3 * i + 1], h.palette16[3 * i], 0};
      break;
    case 8: {
      format = TImageFormat::Color256;
      if (f.size() < kPcxHeaderSize + 769) HeaderFailed();
      const std::uint8_t* t = f.data() + f.size() - 769;
      if (t[0] != 12) HeaderFailed();
      pal.count = 256;
      for (int i = 0; i < 256; ++i)
        pal.entries[static_cast<std::size_t>(i)] = RgbQuad{t[1 + 3 * i + 2], t[1 + 3 * i + 1], t[1 + 3 * i], 0};
      break;
    }
    default:
      break;
  }
  NewImageForRead(h.width, h.height, format, format == TImageFormat::TrueColor ? nullptr : &pal, h.xDpi,
                  h.yDpi);
  try {
    const std::size_t bpl = static_cast<std::size_t>(h.bytesPerLine);
    const std::size_t planes = static_cast<std::size_t>(h.planes);
    const std::size_t stride = Stride();
    const std::size_t rowBytes = RowStride(static_cast<std::uint64_t>(h.width), static_cast<std::uint64_t>(bits)) ;
    std::vector<std::uint8_t> line(bpl * planes);
    RleLines rle(f.subspan(kPcxHeaderSize));
    const auto& spread = PlaneSpread();
    const std::size_t w = static_cast<std::size_t>(h.width);
    for (int y = 0; y < h.height; ++y) {
      if (!rle.Line(line.data(), line.size())) DataFailed();
      std::uint8_t* row = ScanLine(y);
      if (planes == 1) {
        const std::size_t n = std::min(bpl, rowBytes);
        std::memcpy(row, line.data(), n);
        if (n < stride) std::memset(row + n, 0, stride - n);
      } else if (planes == 3) {
        const std::uint8_t* r = line.data();
        const std::uint8_t* g = r + bpl;
        const std::uint8_t* b = g + bpl;
        std::uint8_t* o = row;
        for (std::size_t x = 0; x < w; ++x, o += 3) {
          o[0] = b[x];
          o[1] = g[x];
          o[2] = r[x];
        }
        std::memset(o, 0, stride - 3 * w);
      } else {
        // Four bit planes: plane p gives bit p of each pixel's value.
        std::memset(row, 0, stride);
        const std::uint8_t* p0 = line.data();
        const std::size_t groups = (w + 7) / 8;
        for (std::size_t g = 0; g < groups; ++g) {
          const std::uint32_t v = spread[p0[g]] | (spread[p0[bpl + g]] << 1) |
                                  (spread[p0[2 * bpl + g]] << 2) | (spread[p0[3 * bpl + g]] << 3);
          std::uint8_t* o = row + 4 * g;
          const std::size_t n = std::min<std::size_t>(4, stride - 4 * g);
          for (std::size_t k = 0; k < n; ++k) o[k] = static_cast<std::uint8_t>(v >> (24 - 8 * k));
        }
        // Bits past the width come from the file's padding; keep the row clean.
        if (w % 2) row[w / 2] &= 0xF0;
        if ((w + 1) / 2 < stride) std::memset(row + (w + 1) / 2, 0, stride - (w + 1) / 2);
      }
    }
  } catch (...) {
    FreeImage();
    throw;
  }
}

void TPcxGraphic::SaveToStream(Bytes& stream) {
  if (Empty()) WriteFailed();
  int bits = 0;
  switch (Format()) {
    case TImageFormat::BlackWhite: bits = 1; break;
    case TImageFormat::Gray16:
    case TImageFormat::Color16: bits = 4; break;
    case TImageFormat::Gray256:
    case TImageFormat::Color256: bits = 8; break;
    case TImageFormat::TrueColor: bits = 24; break;
  }
  const int w = Width(), hgt = Height();
  if (w > 65536 || hgt > 65536) WriteFailed();
  const int planeBits = bits == 24 ? 8 : bits;
  const int planes = bits == 24 ? 3 : 1;
  std::size_t dataBytes = (static_cast<std::size_t>(w) * static_cast<std::size_t>(planeBits) + 7) / 8;
  std::size_t bpl = dataBytes + (dataBytes & 1);
  if (bpl > 65535) WriteFailed();

  std::uint8_t hdr[kPcxHeaderSize] = {};
  hdr[0] = 10;
  hdr[1] = 5;
  hdr[2] = 1;
  hdr[3] = static_cast<std::uint8_t>(planeBits);
  auto put16 = [&](int at, unsigned v) {
    hdr[at] = static_cast<std::uint8_t>(v);
    hdr[at + 1] = static_cast<std::uint8_t>(v >> 8);
  };
  put16(8, static_cast<unsigned>(w - 1));
  put16(10, static_cast<unsigned>(hgt - 1));
  put16(12, static_cast<unsigned>(std::clamp(XDotsPerInch(), 0, 65535)));
  put16(14, static_cast<unsigned>(std::clamp(YDotsPerInch(), 0, 65535)));
  const TPaletteRecord& pal = PaletteRecord();
  if (bits == 4)
    for (int i = 0; i < 16 && i < pal.count; ++i) {
      hdr[16 + 3 * i] = pal.entries[static_cast<std::size_t>(i)].red;
      hdr[17 + 3 * i] = pal.entries[static_cast<std::size_t>(i)].green;
      hdr[18 + 3 * i] = pal.entries[static_cast<std::size_t>(i)].blue;
    }
  // A 1-bit file's 0 is black and 1 white (the bits are inverted below when needed); readers
  // that honour the header palette find those two colours there.
  if (bits == 1)
    for (int k = 0; k < 3; ++k) {
      hdr[16 + k] = 0;
      hdr[19 + k] = 255;
    }
  hdr[65] = static_cast<std::uint8_t>(planes);
  put16(66, static_cast<unsigned>(bpl));
  put16(68, 1);

  // The file's 0 is the darker colour of a 1-bit image.
  const bool invert = bits == 1 && pal.count >= 2 && Luminance(pal.entries[1]) < Luminance(pal.entries[0]);

  Bytes out;
  out.reserve(kPcxHeaderSize + static_cast<std::size_t>(hgt) * bpl * planes / 2 + 1024);
  out.insert(out.end(), hdr, hdr + kPcxHeaderSize);
  std::vector<std::uint8_t> line(bpl * static_cast<std::size_t>(planes), 0);
  for (int y = 0; y < hgt; ++y) {
    const std::uint8_t* row = ScanLine(y);
    if (bits == 24) {
      for (int x = 0; x < w; ++x) {
        line[static_cast<std::size_t>(x)] = row[3 * x + 2];
        line[bpl + static_cast<std::size_t>(x)] = row[3 * x + 1];
        line[2 * bpl + static_cast<std::size_t>(x)] = row[3 * x];
      }
      for (int p = 0; p < 3; ++p) PutRun(out, line.data() + static_cast<std::size_t>(p) * bpl, bpl);
      continue;
    }
    std::memcpy(line.data(), row, dataBytes);
    if (invert)
      for (std::size_t i = 0; i < dataBytes; ++i) line[i] = static_cast<std::uint8_t>(~line[i]);
    // Bits past the width are written as 0.
    const int usedBits = static_cast<int>((static_cast<std::size_t>(w) * static_cast<std::size_t>(bits)) % 8);
    if (usedBits) line[dataBytes - 1] &= static_cast<std::uint8_t>(0xFF << (8 - usedBits));
    PutRun(out, line.data(), bpl);
  }
  if (bits == 8) {
    out.push_back(12);
    for (int i = 0; i < 256; ++i) {
      const RgbQuad q = i < pal.count ? pal.entries[static_cast<std::size_t>(i)] : RgbQuad{};
      out.push_back(q.red);
      out.push_back(q.green);
      out.push_back(q.blue);
    }
  }
  stream.insert(stream.end(), out.begin(), out.end());
}

THeaderInfo TPcxGraphic::ReadHeader(ByteSpan bytes) {
  PcxHeader h;
  if (ParsePcxHeader(bytes, h) != 0) HeaderFailed();
  THeaderInfo info;
  info.width = h.width;
  info.height = h.height;
  info.bitsPerPixel = h.BitsPerPixel();
  info.planes = h.planes;
  info.compression = h.encoding;
  return info;
}

void TPcxGraphic::ReadPcxHeader(const std::filesystem::path& fileName) {
  Bytes prefix;
  try {
    prefix = ReadFilePrefix(fileName, kPcxHeaderSize);
  } catch (const EVistrelError&) {
    HeaderFailed();
  }
  const THeaderInfo info = ReadHeader(prefix);
  headerWidth_ = info.width;
  headerHeight_ = info.height;
  headerBits_ = info.bitsPerPixel;
}

}  // namespace pelira
