#include "image/icon_graphic.h"

#include <png.h>

#include <algorithm>
#include <cstring>
#include <memory>

#include "common/errors.h"
#include "image/byte_cursor.h"
#include "image/pixel_limit.h"

namespace pelira {

namespace {

[[noreturn]] void Invalid() { throw EVistrelError("Invalid image format"); }

constexpr std::uint8_t kPngSignature[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};

std::uint8_t OverBlack(std::uint8_t c, std::uint8_t a) {
  return static_cast<std::uint8_t>((static_cast<unsigned>(c) * a + 127) / 255);
}

// A PNG entry as blue, green, red, alpha rows from the top.
std::vector<std::uint8_t> DecodePng(ByteSpan data, int& w, int& h) {
  png_image img{};
  img.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_memory(&img, data.data(), data.size())) Invalid();
  struct Free {
    png_image* p;
    ~Free() { png_image_free(p); }
  } guard{&img};
  CheckPixelLimit(img.width, img.height, 32);
  img.format = PNG_FORMAT_BGRA;
  std::vector<std::uint8_t> px(PNG_IMAGE_SIZE(img));
  if (!png_image_finish_read(&img, nullptr, px.data(), 0, nullptr)) Invalid();
  w = static_cast<int>(img.width);
  h = static_cast<int>(img.height);
  return px;
}

}  // namespace

std::vector<IconEntry> ReadIconDirectory(ByteSpan f) {
  ByteCursor c(f);
  const int reserved = c.U16LE(), type = c.U16LE(), count = c.U16LE();
  if (!c.ok() || reserved != 0 || type != 1 || count == 0) Invalid();
  const std::uint64_t directoryEnd = 6 + 16 * static_cast<std::uint64_t>(count);
  if (directoryEnd > f.size()) Invalid();
  std::vector<IconEntry> entries(static_cast<std::size_t>(count));
  for (IconEntry& e : entries) {
    e.width = c.U8();
    e.height = c.U8();
    e.colorCount = c.U8();
    c.U8();
    e.planes = c.U16LE();
    e.bitCount = c.U16LE();
    e.bytes = c.U32LE();
    e.offset = c.U32LE();
    if (e.width == 0) e.width = 256;
    if (e.height == 0) e.height = 256;
    if (e.offset < directoryEnd || e.bytes == 0 ||
        static_cast<std::uint64_t>(e.offset) + e.bytes > f.size())
      Invalid();
  }
  return entries;
}

std::size_t ChooseIconEntry(const std::vector<IconEntry>& entries) {
  std::size_t best = 0;
  int bestBits = -1;
  for (std::size_t i = 0; i < entries.size(); ++i) {
    const IconEntry& e = entries[i];
    if (e.width != kStandardIconSize || e.height != kStandardIconSize) continue;
    int bits = e.bitCount;
    if (bits == 0) {
      bits = 8;
      for (int k = 1; k <= 8; ++k)
        if (e.colorCount == (1 << k)) bits = k;
    }
    if (bits > bestBits) bestBits = bits, best = i;
  }
  return best;
}

int TIconGraphic::GetImageCount(ByteSpan bytes) { return static_cast<int>(ReadIconDirectory(bytes).size()); }

THeaderInfo TIconGraphic::ReadHeader(ByteSpan bytes) {
  const std::vector<IconEntry> entries = ReadIconDirectory(bytes);
  const IconEntry& e = entries[ChooseIconEntry(entries)];
  THeaderInfo info;
  info.width = e.width;
  info.height = e.height;
  info.bitsPerPixel = 24;
  info.pageCount = static_cast<int>(entries.size());
  return info;
}

void TIconGraphic::ReadImage(ByteSpan f, int index) {
  const std::vector<IconEntry> entries = ReadIconDirectory(f);
  std::size_t which = ChooseIconEntry(entries);
  if (index > 1) {
    if (static_cast<std::size_t>(index) > entries.size()) Invalid();
    which = static_cast<std::size_t>(index - 1);
  }
  const IconEntry& e = entries[which];
  const ByteSpan data = f.subspan(e.offset, e.bytes);

  if (data.size() >= 8 && std::memcmp(data.data(), kPngSignature, 8) == 0) {
    int w = 0, h = 0;
    const std::vector<std::uint8_t> px = DecodePng(data, w, h);
    NewImageForRead(w, h, TImageFormat::TrueColor, nullptr, 0, 0);
    try {
      for (int y = 0; y < h; ++y) {
        std::uint8_t* o = ScanLine(y);
        const std::uint8_t* s = px.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(w) * 4;
        for (int x = 0; x < w; ++x, s += 4, o += 3) {
          o[0] = OverBlack(s[0], s[3]);
          o[1] = OverBlack(s[1], s[3]);
          o[2] = OverBlack(s[2], s[3]);
        }
        std::memset(o, 0, Stride() - static_cast<std::size_t>(w) * 3);
      }
    } catch (...) {
      FreeImage();
      throw;
    }
    return;
  }

  ByteCursor c(data);
  const std::uint32_t headerSize = c.U32LE();
  const std::int32_t width = c.I32LE(), doubleHeight = c.I32LE();
  const int planes = c.U16LE(), bits = c.U16LE();
  const std::uint32_t compression = c.U32LE();
  c.Skip(12);
  const std::uint32_t clrUsed = c.U32LE();
  if (!c.ok() || headerSize < 40 || headerSize > data.size() || width <= 0 || doubleHeight < 2 || planes > 1 ||
      compression != 0)
    Invalid();
  if (bits != 1 && bits != 4 && bits != 8 && bits != 24 && bits != 32) Invalid();
  const int w = width, h = doubleHeight / 2;
  CheckPixelLimit(w, h, bits);
  const std::uint64_t colors = bits <= 8 ? (clrUsed && clrUsed < (1u << bits) ? clrUsed : (1u << bits)) : 0;
  const std::uint64_t xorStride = RowStride(static_cast<std::uint64_t>(w), static_cast<std::uint64_t>(bits));
  const std::uint64_t andStride = RowStride(static_cast<std::uint64_t>(w), 1);
  const std::uint64_t xorAt = headerSize + 4 * colors;
  const std::uint64_t andAt = xorAt + xorStride * static_cast<std::uint64_t>(h);
  if (andAt > data.size()) Invalid();
  // Some writers leave the mask out of 32-bit entries: then every pixel is opaque.
  const bool hasMask = andAt + andStride * static_cast<std::uint64_t>(h) <= data.size();
  const std::uint8_t* table = data.data() + headerSize;
  const std::uint8_t* xorBits = data.data() + xorAt;
  const std::uint8_t* andBits = hasMask ? data.data() + andAt : nullptr;

  bool useAlpha = false;
  if (bits == 32)
    for (int y = 0; y < h && !useAlpha; ++y)
      for (int x = 0; x < w; ++x)
        if (xorBits[static_cast<std::size_t>(y) * xorStride + 4 * static_cast<std::size_t>(x) + 3]) {
          useAlpha = true;
          break;
        }

  NewImageForRead(w, h, TImageFormat::TrueColor, nullptr, 0, 0);
  try {
    for (int r = 0; r < h; ++r) {
      // Both bitmaps are bottom-up, like the image's buffer.
      std::uint8_t* o = Bits() + static_cast<std::size_t>(r) * Stride();
      const std::uint8_t* s = xorBits + static_cast<std::size_t>(r) * xorStride;
      const std::uint8_t* m = andBits ? andBits + static_cast<std::size_t>(r) * andStride : nullptr;
      for (int x = 0; x < w; ++x, o += 3) {
        std::uint8_t b = 0, g = 0, rd = 0;
        std::size_t index = 0;
        switch (bits) {
          case 1: index = (s[x / 8] >> (7 - x % 8)) & 1; break;
          case 4: index = (s[x / 2] >> (x % 2 ? 0 : 4)) & 15; break;
          case 8: index = s[x]; break;
          case 24: b = s[3 * x], g = s[3 * x + 1], rd = s[3 * x + 2]; break;
          case 32: {
            const std::uint8_t* p = s + 4 * x;
            if (useAlpha) b = OverBlack(p[0], p[3]), g = OverBlack(p[1], p[3]), rd = OverBlack(p[2], p[3]);
            else b = p[0], g = p[1], rd = p[2];
            break;
          }
        }
        if (bits <= 8 && index < colors) {
          const std::uint8_t* q = table + 4 * index;
          b = q[0], g = q[1], rd = q[2];
        }
        const bool masked = !useAlpha && m && ((m[x / 8] >> (7 - x % 8)) & 1);
        if (masked) b = g = rd = 0;
        o[0] = b;
        o[1] = g;
        o[2] = rd;
      }
      std::memset(o, 0, Stride() - static_cast<std::size_t>(w) * 3);
    }
  } catch (...) {
    FreeImage();
    throw;
  }
}

void TIconGraphic::SaveToStream(Bytes& stream) {
  constexpr int kSize = kStandardIconSize;
  constexpr std::size_t xorStride = kSize * 3;           // 96: already a multiple of 4
  constexpr std::size_t andStride = ((kSize + 31) / 32) * 4;
  constexpr std::size_t imageBytes = 40 + xorStride * kSize + andStride * kSize;
  Bytes out(6 + 16 + imageBytes, 0);
  auto put16 = [&](std::size_t at, unsigned v) {
    out[at] = static_cast<std::uint8_t>(v);
    out[at + 1] = static_cast<std::uint8_t>(v >> 8);
  };
  auto put32 = [&](std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) out[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(v >> (8 * i));
  };
  put16(2, 1);
  put16(4, 1);
  out[6] = kSize;
  out[7] = kSize;
  put16(10, 1);
  put16(12, 24);
  put32(14, static_cast<std::uint32_t>(imageBytes));
  put32(18, 22);
  put32(22, 40);
  put32(26, kSize);
  put32(30, 2 * kSize);
  put16(34, 1);
  put16(36, 24);
  put32(42, static_cast<std::uint32_t>(xorStride * kSize + andStride * kSize));
  // Colour rows bottom-up; what the image does not cover stays black, the mask all 0.
  std::uint8_t* colour = out.data() + 22 + 40;
  const int w = Empty() ? 0 : std::min(Width(), kSize), h = Empty() ? 0 : std::min(Height(), kSize);
  for (int y = 0; y < h; ++y) {
    std::uint8_t* o = colour + static_cast<std::size_t>(kSize - 1 - y) * xorStride;
    for (int x = 0; x < w; ++x, o += 3) {
      const ColorValue v = Pixels(x, y);
      o[0] = static_cast<std::uint8_t>(BlueOf(v));
      o[1] = static_cast<std::uint8_t>(GreenOf(v));
      o[2] = static_cast<std::uint8_t>(RedOf(v));
    }
  }
  stream.insert(stream.end(), out.begin(), out.end());
}

}  // namespace pelira
