#include "image/psd_graphic.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "image/byte_cursor.h"
#include "image/pixel_limit.h"

namespace pelira {

namespace {

[[noreturn]] void Invalid() { throw EInvalidGraphic("Invalid image format"); }

struct PsdLayout {
  int channels = 0;
  std::uint32_t width = 0, height = 0;
  int depth = 0;
  int mode = 0;
  TColorScheme scheme = TColorScheme::Unknown;
  int samples = 0;  // planes the picture is made from
  std::size_t colorDataAt = 0;
  std::uint32_t colorDataLength = 0;
  int compression = 0;
  std::size_t dataAt = 0;
};

bool ParseLayout(ByteSpan f, PsdLayout& L) {
  ByteCursor c(f);
  std::uint8_t sig[4];
  if (!c.Read(sig, 4) || std::memcmp(sig, "8BPS", 4) != 0) return false;
  // Version 2 files have wider section lengths: reading them as version 1 goes astray.
  if (c.U16BE() != 1) return false;
  c.Skip(6);
  L.channels = c.U16BE();
  L.height = c.U32BE();
  L.width = c.U32BE();
  L.depth = c.U16BE();
  L.mode = c.U16BE();
  if (!c.ok() || L.channels == 0 || L.width == 0 || L.height == 0) return false;
  if (L.depth != 8 && L.depth != 16) return false;
  switch (L.mode) {
    case 1:  // grayscale
    case 8:  // duotone: its ink data is passed over, the picture is the gray plane
      L.scheme = TColorScheme::Gray;
      L.samples = 1;
      break;
    case 2:
      if (L.depth != 8) return false;
      L.scheme = TColorScheme::Indexed;
      L.samples = 1;
      break;
    case 3:  // RGB
    case 7:  // multichannel
      // One channel is a gray picture; two cannot make RGB; a fourth is alpha.
      if (L.channels == 1) L.scheme = TColorScheme::Gray, L.samples = 1;
      else if (L.channels == 2) return false;
      else if (L.channels == 3) L.scheme = TColorScheme::RGB, L.samples = 3;
      else L.scheme = TColorScheme::RGBA, L.samples = 4;
      break;
    case 4:
      if (L.channels < 4) return false;
      L.scheme = TColorScheme::CMYK;
      L.samples = 4;
      break;
    case 9:
      if (L.channels < 3) return false;
      L.scheme = TColorScheme::CIELab;
      L.samples = 3;
      break;
    default:  // bitmap mode and modes we do not know
      return false;
  }
  L.colorDataLength = c.U32BE();
  L.colorDataAt = c.pos();
  if (!c.Skip(L.colorDataLength)) return false;
  if (!c.Skip(c.U32BE())) return false;  // image resources
  if (!c.Skip(c.U32BE())) return false;  // layer and mask information
  L.compression = c.U16BE();
  if (!c.ok() || L.compression > 1) return false;
  L.dataAt = c.pos();
  return true;
}

// The row byte counts of a run-length image: height x channels 16-bit values.
struct RowCounts {
  std::vector<std::uint32_t> counts;
  std::size_t dataAt = 0;  // first byte after the table
};

RowCounts ReadRowCounts(ByteSpan f, const PsdLayout& L) {
  RowCounts r;
  const std::uint64_t n = static_cast<std::uint64_t>(L.height) * static_cast<std::uint64_t>(L.channels);
  if (n * 2 > f.size() - L.dataAt) Invalid();
  r.counts.resize(static_cast<std::size_t>(n));
  const std::uint8_t* p = f.data() + L.dataAt;
  for (std::size_t i = 0; i < r.counts.size(); ++i) r.counts[i] = static_cast<std::uint32_t>((p[2 * i] << 8) | p[2 * i + 1]);
  r.dataAt = L.dataAt + static_cast<std::size_t>(n * 2);
  return r;
}

// Refuses a file whose data cannot make the picture, before anything is allocated: raw
// planes must all be there; run-length data needs its row table and rows that add up to at
// least what PackBits needs for full rows (2 bytes per 128) and no more than the file holds.
void CheckDataLength(ByteSpan f, const PsdLayout& L, std::uint64_t rowBytes, int planes) {
  const std::uint64_t rest = f.size() - L.dataAt;
  const std::uint64_t rows = static_cast<std::uint64_t>(L.height) * static_cast<std::uint64_t>(planes);
  if (L.compression == 0) {
    if (rowBytes * rows > rest) Invalid();
    return;
  }
  const std::uint64_t tableRows = static_cast<std::uint64_t>(L.height) * static_cast<std::uint64_t>(L.channels);
  if (tableRows * 2 > rest) Invalid();
  const std::uint8_t* p = f.data() + L.dataAt;
  std::uint64_t sum = 0;
  for (std::uint64_t i = 0; i < rows; ++i) sum += static_cast<std::uint64_t>((p[2 * i] << 8) | p[2 * i + 1]);
  if (sum > rest - tableRows * 2) Invalid();
  if (sum < rows * 2 * ((rowBytes + 127) / 128)) Invalid();
}

}  // namespace

std::size_t UnpackBits(ByteSpan in, std::uint8_t* out, std::size_t outSize) {
  std::size_t i = 0, o = 0;
  while (i < in.size() && o < outSize) {
    const int n = static_cast<std::int8_t>(in[i++]);
    if (n >= 0) {
      const std::size_t k = std::min({static_cast<std::size_t>(n) + 1, in.size() - i, outSize - o});
      std::memcpy(out + o, in.data() + i, k);
      o += k;
      i += k;
    } else if (n != -128) {
      if (i >= in.size()) break;
      const std::size_t k = std::min(static_cast<std::size_t>(1 - n), outSize - o);
      std::memset(out + o, in[i++], k);
      o += k;
    }
  }
  return o;
}

bool TPSDGraphic::CanLoad(ByteSpan b) const {
  if (b.size() < 27) return false;
  if (b[0] != '8' || (b[1] | 0x20) != 'b' || (b[2] | 0x20) != 'p' || (b[3] | 0x20) != 's') return false;
  return ((b[4] << 8) | b[5]) == 1;
}

bool TPSDGraphic::ReadImageInfo(ByteSpan bytes) {
  TGraphicX::ReadImageInfo(bytes);
  PsdLayout L;
  if (!ParseLayout(bytes, L)) return false;
  info_.version = 0;
  info_.options = TImageInfo::kBigEndian;
  info_.width = L.width;
  info_.height = L.height;
  info_.scheme = L.scheme;
  info_.bitsPerSample = static_cast<std::uint8_t>(L.depth);
  info_.samplesPerPixel = static_cast<std::uint8_t>(L.samples);
  info_.bitsPerPixel = static_cast<std::uint8_t>(std::min(L.samples * L.depth, 255));
  info_.compression = L.compression == 1 ? 3 : 1;
  info_.channels = static_cast<std::uint16_t>(L.channels);
  return true;
}

void TPSDGraphic::LoadFromStream(ByteSpan f) {
  bitmap_.Clear();
  alpha_.clear();
  if (!ReadImageInfo(f)) Invalid();
  if (HeaderOnly) return;
  PsdLayout L;
  ParseLayout(f, L);
  if (L.width > 0x7FFFFFFF || L.height > 0x7FFFFFFF) Invalid();
  const int w = static_cast<int>(L.width), h = static_cast<int>(L.height);
  const std::size_t bps = static_cast<std::size_t>(L.depth / 8);
  const bool oneSample = L.scheme == TColorScheme::Gray || L.scheme == TColorScheme::Indexed;

  TPixelConverter& cv = converter_;
  cv.SetSwapBytes(true);
  cv.SetSourceBitsPerSample(L.depth);
  cv.SetTargetBitsPerSample(8);
  cv.SetSourceSamplesPerPixel(L.samples);
  cv.SetSourceScheme(L.scheme);
  switch (L.scheme) {
    case TColorScheme::RGBA:
      cv.SetTargetScheme(TColorScheme::BGRA);
      cv.SetTargetSamplesPerPixel(4);
      break;
    case TColorScheme::Gray:
    case TColorScheme::Indexed:
      cv.SetTargetScheme(L.scheme);
      cv.SetTargetSamplesPerPixel(1);
      break;
    default:
      cv.SetTargetScheme(TColorScheme::BGR);
      cv.SetTargetSamplesPerPixel(3);
      cv.SetLabByteRange(L.scheme == TColorScheme::CIELab);
      cv.SetLabChromaOffset(L.scheme == TColorScheme::CIELab);
      break;
  }

  Palette pal;
  if (L.scheme == TColorScheme::Indexed) {
    // Three planes of L/3 bytes; more than 256 entries are not kept.
    const std::size_t third = L.colorDataLength / 3;
    if (third == 0) Invalid();
    const std::uint8_t* c = f.data() + L.colorDataAt;
    pal = TPixelConverter::MakeIndexedPalette(c, c + third, c + 2 * third, third);
  } else if (L.scheme == TColorScheme::Gray) {
    pal = cv.MakeGrayPalette((info_.options & TImageInfo::kWhiteIsZero) != 0);
  }

  const std::size_t rowBytes = static_cast<std::size_t>(w) * bps;
  CheckDataLength(f, L, rowBytes, L.samples);
  const int bitmapBits = oneSample ? 8 : 24;
  if (!oneSample) CheckPixelLimit(w, h, L.samples * L.depth);
  Dib bitmap(w, h, bitmapBits, pal, Dib::Init::Zero);

  if (oneSample) {
    std::vector<std::uint8_t> row(rowBytes, 0);
    std::vector<std::uint8_t> converted(static_cast<std::size_t>(w));
    auto store = [&](int y) {
      std::uint8_t* dst = bitmap.ScanLine(y);
      if (bps == 1) {
        std::memcpy(dst, row.data(), rowBytes);
      } else {
        const std::uint8_t* planes[1] = {row.data()};
        cv.ConvertPlanar(planes, static_cast<std::size_t>(w), 255, dst);
      }
    };
    if (L.compression == 1) {
      const RowCounts rc = ReadRowCounts(f, L);
      std::uint64_t sum = 0;
      for (int y = 0; y < h; ++y) sum += rc.counts[static_cast<std::size_t>(y)];
      if (sum > f.size() - rc.dataAt) Invalid();
      std::size_t at = rc.dataAt;
      for (int y = 0; y < h; ++y) {
        const std::size_t n = rc.counts[static_cast<std::size_t>(y)];
        std::fill(row.begin(), row.end(), 0);
        UnpackBits(f.subspan(at, n), row.data(), rowBytes);
        at += n;
        store(y);
      }
    } else {
      if (static_cast<std::uint64_t>(rowBytes) * static_cast<std::uint64_t>(h) > f.size() - L.dataAt) Invalid();
      for (int y = 0; y < h; ++y) {
        std::memcpy(row.data(), f.data() + L.dataAt + static_cast<std::size_t>(y) * rowBytes, rowBytes);
        store(y);
      }
    }
    bitmap_ = std::move(bitmap);
    return;
  }

  // Colour pictures: the planes the picture uses, one after another.
  CheckPixelLimit(w, h, L.samples * L.depth);
  const std::size_t planeSize = rowBytes * static_cast<std::size_t>(h);
  const std::size_t used = static_cast<std::size_t>(L.samples) * planeSize;
  std::vector<std::uint8_t> buffer(used, 0);
  if (L.compression == 1) {
    const RowCounts rc = ReadRowCounts(f, L);
    std::uint64_t sum = 0;
    for (std::uint32_t n : rc.counts) sum += n;
    if (sum > f.size() - rc.dataAt) Invalid();
    UnpackBits(f.subspan(rc.dataAt, static_cast<std::size_t>(sum)), buffer.data(), used);
  } else {
    if (used > f.size() - L.dataAt) Invalid();
    std::memcpy(buffer.data(), f.data() + L.dataAt, used);
  }
  // The file keeps ink as 255 - amount.
  if (L.scheme == TColorScheme::CMYK)
    for (std::size_t i = 0; i < 4 * planeSize; ++i) buffer[i] = static_cast<std::uint8_t>(255 - buffer[i]);

  const bool alpha = L.scheme == TColorScheme::RGBA;
  if (alpha) alpha_.assign(static_cast<std::size_t>(w) * static_cast<std::size_t>(h), 0);
  std::vector<std::uint8_t> out(static_cast<std::size_t>(w) * (alpha ? 4 : 3));
  for (int y = 0; y < h; ++y) {
    const std::uint8_t* planes[4];
    for (int s = 0; s < L.samples; ++s)
      planes[s] = buffer.data() + static_cast<std::size_t>(s) * planeSize + static_cast<std::size_t>(y) * rowBytes;
    std::uint8_t* dst = bitmap.ScanLine(y);
    if (!alpha) {
      cv.ConvertPlanar(planes, static_cast<std::size_t>(w), 255, dst);
      continue;
    }
    cv.ConvertPlanar(planes, static_cast<std::size_t>(w), 255, out.data());
    std::uint8_t* a = alpha_.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(w);
    for (int x = 0; x < w; ++x) {
      std::memcpy(dst + 3 * x, out.data() + 4 * x, 3);
      a[x] = out[static_cast<std::size_t>(4 * x + 3)];
    }
  }
  bitmap_ = std::move(bitmap);
}

}  // namespace pelira
