#include "engine/hls_tune.h"

#include <algorithm>
#include <cstdint>

#include "common/parallel_for.h"

namespace pelira {

Rgb HlsTunePixel(int r, int g, int b, int dh, int ds, int dl) {
  const Hls c = RGBToHLS(r, g, b);
  const int l = std::clamp(c.l + dl, 0, kHlsMax);
  if (c.s == 0) return HLSToRGBClamped(c.h, l, 0);
  int h = c.h + dh;
  if (h < 0) h += kHlsMax;
  if (h > kHlsMax) h -= kHlsMax;
  return HLSToRGBClamped(h, l, std::clamp(c.s + ds, 0, kHlsMax));
}

namespace {

// The same round trip for n <= kChunk pixels at once, written without branches or tables so
// that the compiler turns it into vector code. The divisions by the colour's own sums go
// through float: every numerator stays below 2^24 and every quotient that is not whole lies
// at least 1/510 below the next whole number, far more than float's rounding, so the floor
// of the float quotient is the integer quotient.
constexpr int kChunk = 256;

struct Chunk {
  alignas(64) std::int32_t r[kChunk], g[kChunk], b[kChunk];
};

inline std::int32_t FloorDiv(std::int32_t num, std::int32_t den) {
  return static_cast<std::int32_t>(static_cast<float>(num) / static_cast<float>(den));
}

// HueToRGB and the scaling to 0..255 for a hue wrapped into 0..3600: the rising ramp below
// 600, m2 to 1800, the falling ramp to 2400, m1 after. Both ramps read m1 + (dm x t + 300)
// div 600 with t in 0..600, which is m1 at t = 0 and m2 at t = 600, so one clamped t serves
// all four ranges.
inline std::int32_t Ramp(std::int32_t m1, std::int32_t dm, std::int32_t hh) {
  hh += hh < 0 ? kHlsMax : 0;
  hh -= hh > kHlsMax ? kHlsMax : 0;
  std::int32_t t = std::min(hh, kHlsMax * 2 / 3 - hh);
  t = std::clamp(t, 0, kHlsMax / 6);
  const std::int32_t v = m1 + (dm * t + kHlsMax / 12) / (kHlsMax / 6);
  return std::min((v * kRgbMax + kHlsMax / 2) / kHlsMax, 255);
}

// Both sides of every choice are computed and one is kept: a division under a condition
// would keep the compiler from vector code (the build lets this file's float divisions run
// unconditionally: -fno-trapping-math).
__attribute__((target_clones("avx512f", "avx2", "default"))) void TuneChunk(Chunk& c, int n, int dh, int ds, int dl) {
  for (int i = 0; i < n; ++i) {
    const std::int32_t r = c.r[i], g = c.g[i], b = c.b[i];
    const std::int32_t hi = std::max(r, std::max(g, b)), lo = std::min(r, std::min(g, b));
    const std::int32_t sum = hi + lo, d = hi - lo;
    const std::int32_t l = (sum * kHlsMax + kRgbMax) / (2 * kRgbMax);
    const std::int32_t den = std::max(l <= kHlsMax / 2 ? sum : 2 * kRgbMax - sum, 1);
    const std::int32_t sq = FloorDiv(d * kHlsMax + den / 2, den);
    const std::int32_t s = d == 0 ? 0 : sq;
    // (k x 600 + d div 2) div d for k = hi - c is 0 for the largest component, 600 for the
    // smallest and needs a division only for the middle one.
    const std::int32_t mid = r + g + b - hi - lo;
    const std::int32_t qm = FloorDiv((hi - mid) * (kHlsMax / 6) + d / 2, std::max(d, 1));
    const std::int32_t qr = r == hi ? 0 : (r == lo ? kHlsMax / 6 : qm);
    const std::int32_t qg = g == hi ? 0 : (g == lo ? kHlsMax / 6 : qm);
    const std::int32_t qb = b == hi ? 0 : (b == lo ? kHlsMax / 6 : qm);
    const std::int32_t hr = qb - qg, hg = kHlsMax / 3 + qr - qb, hb = 2 * kHlsMax / 3 + qg - qr;
    std::int32_t h = r == hi ? hr : (g == hi ? hg : hb);
    h += h < 0 ? kHlsMax : 0;
    h -= h > kHlsMax ? kHlsMax : 0;
    h += dh;
    h += h < 0 ? kHlsMax : 0;
    h -= h > kHlsMax ? kHlsMax : 0;
    const std::int32_t l2 = std::clamp(l + dl, 0, kHlsMax);
    // A grey keeps saturation 0.
    const std::int32_t s2 = s == 0 ? 0 : std::clamp(s + ds, 0, kHlsMax);
    const std::int32_t m2dark = (l2 * (kHlsMax + s2) + kHlsMax / 2) / kHlsMax;
    const std::int32_t m2light = l2 + s2 - (l2 * s2 + kHlsMax / 2) / kHlsMax;
    const std::int32_t m2 = l2 <= kHlsMax / 2 ? m2dark : m2light;
    const std::int32_t m1 = 2 * l2 - m2, dm = m2 - m1;
    const std::int32_t grey = std::min((l2 * kRgbMax + kHlsMax / 2) / kHlsMax, 255);
    const std::int32_t or_ = Ramp(m1, dm, h + kHlsMax / 3), og = Ramp(m1, dm, h), ob = Ramp(m1, dm, h - kHlsMax / 3);
    c.r[i] = s2 == 0 ? grey : or_;
    c.g[i] = s2 == 0 ? grey : og;
    c.b[i] = s2 == 0 ? grey : ob;
  }
}

}  // namespace

void ColorTuneHLS(Dib& pic, int dh, int ds, int dl) {
  if (pic.Empty() || pic.BitCount() != 24) return;
  const int w = pic.Width();
  ParallelRows(
      pic.Height(),
      [&](int first, int last) {
        Chunk c;
        for (int y = first; y < last; ++y) {
          std::uint8_t* row = pic.ScanLine(y);
          for (int x0 = 0; x0 < w; x0 += kChunk) {
            const int n = std::min(kChunk, w - x0);
            std::uint8_t* p = row + 3 * x0;
            for (int i = 0; i < n; ++i) {
              c.b[i] = p[3 * i];
              c.g[i] = p[3 * i + 1];
              c.r[i] = p[3 * i + 2];
            }
            TuneChunk(c, n, dh, ds, dl);
            for (int i = 0; i < n; ++i) {
              p[3 * i] = static_cast<std::uint8_t>(c.b[i]);
              p[3 * i + 1] = static_cast<std::uint8_t>(c.g[i]);
              p[3 * i + 2] = static_cast<std::uint8_t>(c.r[i]);
            }
          }
        }
      },
      0, w);
}

}  // namespace pelira
