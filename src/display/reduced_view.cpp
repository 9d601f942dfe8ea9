#include "display/reduced_view.h"

#include <algorithm>

#include "display/paint_geometry.h"

namespace pelira {

namespace {

// Cuts dest to the client and sizes out for it.
bool Prepare(const Dib& dib, SizeI client, RectI& dest, int bitsPerPixel, ClipPixels& out) {
  out.bytes.clear();
  out.width = out.height = 0;
  out.stride = 0;
  out.bitsPerPixel = bitsPerPixel;
  if (dib.Empty() || client.width <= 0 || client.height <= 0) return false;
  const std::int64_t x0 = std::clamp<std::int64_t>(dest.left, 0, client.width);
  const std::int64_t y0 = std::clamp<std::int64_t>(dest.top, 0, client.height);
  const std::int64_t x1 = std::clamp<std::int64_t>(dest.right(), x0, client.width);
  const std::int64_t y1 = std::clamp<std::int64_t>(dest.bottom(), y0, client.height);
  if (x0 >= x1 || y0 >= y1) return false;
  dest = {static_cast<std::int32_t>(x0), static_cast<std::int32_t>(y0), static_cast<std::int32_t>(x1 - x0),
          static_cast<std::int32_t>(y1 - y0)};
  out.width = dest.width;
  out.height = dest.height;
  out.stride = (static_cast<std::size_t>(dest.width) * (bitsPerPixel / 8) + 3) & ~static_cast<std::size_t>(3);
  out.bytes.assign(out.stride * static_cast<std::size_t>(dest.height), 0);
  return true;
}

int Luminance(const Palette& p, std::size_t i) {
  if (i >= p.size()) return 0;
  return 3 * p[i].red + 6 * p[i].green + p[i].blue;
}

// [floor(i * extent / client), floor((i + 1) * extent / client)), at least one, inside extent.
void Block(std::int64_t i, std::int64_t extent, std::int64_t client, std::int32_t& lo, std::int32_t& hi) {
  std::int64_t a = i * extent / client;
  std::int64_t b = (i + 1) * extent / client;
  a = std::clamp<std::int64_t>(a, 0, extent - 1);
  b = std::clamp<std::int64_t>(b, a + 1, extent);
  lo = static_cast<std::int32_t>(a);
  hi = static_cast<std::int32_t>(b);
}

}  // namespace

int DarkerIndex(const Palette& palette) {
  return Luminance(palette, 1) < Luminance(palette, 0) ? 1 : 0;
}

void SampleReducedView(const Dib& dib, SizeI client, RectI dest, ClipPixels& out) {
  if (dib.BitCount() == 1) {
    ReduceBlackWins(dib, client, dest, out);
    return;
  }
  const int outBits = dib.BitCount() == 24 ? 24 : 8;
  if (!Prepare(dib, client, dest, outBits, out)) return;
  const std::int32_t w = dib.Width(), h = dib.Height();
  std::vector<std::int32_t> cols(static_cast<std::size_t>(dest.width));
  for (std::int32_t i = 0; i < dest.width; ++i) cols[i] = NearestSourceIndex(dest.left + i, w, client.width);
  for (std::int32_t j = 0; j < dest.height; ++j) {
    const std::uint8_t* src = dib.ScanLine(NearestSourceIndex(dest.top + j, h, client.height));
    std::uint8_t* dst = out.bytes.data() + static_cast<std::size_t>(j) * out.stride;
    switch (dib.BitCount()) {
      case 24:
        for (std::int32_t i = 0; i < dest.width; ++i) {
          const std::uint8_t* p = src + static_cast<std::size_t>(cols[i]) * 3;
          dst[0] = p[0];
          dst[1] = p[1];
          dst[2] = p[2];
          dst += 3;
        }
        break;
      case 8:
        for (std::int32_t i = 0; i < dest.width; ++i) dst[i] = src[cols[i]];
        break;
      case 4:
        for (std::int32_t i = 0; i < dest.width; ++i) {
          const std::uint8_t b = src[cols[i] >> 1];
          dst[i] = (cols[i] & 1) ? (b & 0x0F) : (b >> 4);
        }
        break;
      default:
        return;
    }
  }
}

void ReduceBlackWins(const Dib& dib, SizeI client, RectI dest, ClipPixels& out) {
  if (dib.BitCount() != 1 || !Prepare(dib, client, dest, 8, out)) return;
  const std::int64_t w = dib.Width(), h = dib.Height();
  const int black = DarkerIndex(dib.Colors());
  const std::uint8_t white = static_cast<std::uint8_t>(1 - black);

  std::vector<std::int32_t> colLo(static_cast<std::size_t>(dest.width)), colHi(colLo.size());
  for (std::int32_t i = 0; i < dest.width; ++i) Block(dest.left + i, w, client.width, colLo[i], colHi[i]);
  const std::int32_t firstByte = colLo.front() >> 3;
  const std::int32_t lastByte = (colHi.back() - 1) >> 3;
  // Bits set where some source row of the block is black, over the bytes the clip needs.
  std::vector<std::uint8_t> mask(static_cast<std::size_t>(lastByte - firstByte + 1));
  // Bits past the width hold padding; only columns inside the picture are ever tested.
  const std::uint8_t flip = black == 0 ? 0xFF : 0x00;

  for (std::int32_t j = 0; j < dest.height; ++j) {
    std::int32_t rowLo, rowHi;
    Block(dest.top + j, h, client.height, rowLo, rowHi);
    std::fill(mask.begin(), mask.end(), 0);
    for (std::int32_t y = rowLo; y < rowHi; ++y) {
      const std::uint8_t* src = dib.ScanLine(y) + firstByte;
      for (std::size_t k = 0; k < mask.size(); ++k) mask[k] |= static_cast<std::uint8_t>(src[k] ^ flip);
    }
    std::uint8_t* dst = out.bytes.data() + static_cast<std::size_t>(j) * out.stride;
    for (std::int32_t i = 0; i < dest.width; ++i) {
      bool anyBlack = false;
      for (std::int32_t x = colLo[i]; x < colHi[i] && !anyBlack; ++x) {
        anyBlack = (mask[static_cast<std::size_t>((x >> 3) - firstByte)] >> (7 - (x & 7))) & 1;
      }
      dst[i] = anyBlack ? static_cast<std::uint8_t>(black) : white;
    }
  }
}

}  // namespace pelira
