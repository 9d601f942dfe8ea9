#include "display/fit_size.h"

#include <algorithm>
#include <limits>

namespace pelira {

namespace {
std::int32_t Saturate(__int128 v) {
  constexpr auto lo = std::numeric_limits<std::int32_t>::min();
  constexpr auto hi = std::numeric_limits<std::int32_t>::max();
  if (v < lo) return lo;
  if (v > hi) return hi;
  return static_cast<std::int32_t>(v);
}
}  // namespace

std::int32_t MulDiv(std::int64_t a, std::int64_t b, std::int64_t c) {
  if (c == 0) return -1;
  __int128 p = static_cast<__int128>(a) * b;
  __int128 d = c;
  const bool negative = (p < 0) != (d < 0);
  if (p < 0) p = -p;
  if (d < 0) d = -d;
  const __int128 q = (p + d / 2) / d;
  return Saturate(negative ? -q : q);
}

SizeI FitSize(std::int32_t width, std::int32_t height, std::int32_t maxWidth,
              std::int32_t maxHeight) {
  // Zero or negative sizes made the doubling loop spin forever; there is nothing to fit.
  if (width <= 0 || height <= 0 || maxWidth <= 0 || maxHeight <= 0) return {};
  std::int64_t w = width, h = height;
  while (w < maxWidth || h < maxHeight) {
    w *= 2;
    h *= 2;
  }
  std::int64_t fw, fh;
  if (h < w) {
    fw = maxWidth;
    fh = MulDiv(h, maxWidth, w);
  } else {
    fh = maxHeight;
    fw = MulDiv(w, maxHeight, h);
  }
  if (fw > maxWidth) {
    fh = MulDiv(fh, maxWidth, fw);
    fw = maxWidth;
  }
  if (fh > maxHeight) {
    fw = MulDiv(fw, maxHeight, fh);
    fh = maxHeight;
  }
  // A sliver (1 x 100000) must still show as one pixel, not vanish.
  return {static_cast<std::int32_t>(std::max<std::int64_t>(fw, 1)),
          static_cast<std::int32_t>(std::max<std::int64_t>(fh, 1))};
}

}  // namespace pelira
