#include "engine/gray_shades.h"

#include <algorithm>
#include <cstdlib>

#include "common/parallel_for.h"

namespace pelira {

namespace {

template <class Fn>
void ForPixels(Dib& pic, Fn fn) {
  if (pic.Empty() || pic.BitCount() != 24) return;
  const int w = pic.Width();
  ParallelRows(
      pic.Height(),
      [&](int first, int last) {
        for (int y = first; y < last; ++y) {
          std::uint8_t* p = pic.ScanLine(y);
          for (int x = 0; x < w; ++x, p += 3) fn(p);
        }
      },
      0, w);
}

}  // namespace

void DoFilmNoir(Dib& pic, int a, bool ccd, int b) {
  ForPixels(pic, [&](std::uint8_t* p) {
    const int bl = p[0], g = p[1], r = p[2];
    const int f = ccd ? (r + 2 * g + bl) / 4 : std::min({r, g, bl});
    const int hi = ccd ? r * 3 / 10 + g * 6 / 10 + bl / 10 : std::max({r, g, bl});
    const int l = std::max(1, std::abs(hi - f));
    const int m = std::max(f, std::min(hi, f + l * a / 255));
    for (int i = 0; i < 3; ++i) p[i] = static_cast<std::uint8_t>(std::min(255, b * m / 256 + p[i] * (255 - b) / 255));
  });
}

void RgbExtremeGray(Dib& pic, bool maximum) {
  ForPixels(pic, [&](std::uint8_t* p) {
    const std::uint8_t v = maximum ? std::max({p[0], p[1], p[2]}) : std::min({p[0], p[1], p[2]});
    p[0] = p[1] = p[2] = v;
  });
}

}  // namespace pelira
