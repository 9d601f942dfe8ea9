#include "engine/hls_tune.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <vector>

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

// The RGB -> HLS -> RGB round trip split where its inputs part: lightness and saturation
// depend only on the largest and smallest component, so everything the tune does to them
// (down to the two HLS-to-RGB levels m1, m2) is one table entry per (max, min) pair; the
// hue needs the middle component, through a table of the rounded ratios. The expressions
// are those of hls.cpp, evaluated once per pair instead of once per pixel.

// Hue part: (k * HLSMAX/6 + d/2) div d for 0 <= k <= d <= 255.
const std::vector<std::int16_t>& HueSteps() {
  static const std::vector<std::int16_t> steps = [] {
    std::vector<std::int16_t> t(256 * 256, 0);
    for (int d = 1; d < 256; ++d)
      for (int k = 0; k <= d; ++k) t[d * 256 + k] = static_cast<std::int16_t>((k * (kHlsMax / 6) + d / 2) / d);
    return t;
  }();
  return steps;
}

struct PairEntry {
  std::int16_t m1 = 0, m2 = 0;  // the levels of HLSToRGB; unused for a grey result
  std::int16_t grey = -1;       // >= 0: the pixel becomes this grey whatever its hue
};

int Level(int v) { return std::clamp((v * kRgbMax + kHlsMax / 2) / kHlsMax, 0, 255); }

int Channel(int m1, int m2, int h) {
  if (h < 0) h += kHlsMax;
  if (h > kHlsMax) h -= kHlsMax;
  int v;
  if (h < kHlsMax / 6) v = m1 + ((m2 - m1) * h + kHlsMax / 12) / (kHlsMax / 6);
  else if (h < kHlsMax / 2) v = m2;
  else if (h < kHlsMax * 2 / 3) v = m1 + ((m2 - m1) * (kHlsMax * 2 / 3 - h) + kHlsMax / 12) / (kHlsMax / 6);
  else v = m1;
  return Level(v);
}

std::vector<PairEntry> PairTable(int ds, int dl) {
  std::vector<PairEntry> t(256 * 256);
  for (int hi = 0; hi < 256; ++hi)
    for (int lo = 0; lo <= hi; ++lo) {
      // Any colour with these extremes gives the same L and S; (hi, lo, lo) stands for them.
      const Hls c = RGBToHLS(hi, lo, lo);
      PairEntry& e = t[hi * 256 + lo];
      const int l = std::clamp(c.l + dl, 0, kHlsMax);
      const int s = c.s == 0 ? 0 : std::clamp(c.s + ds, 0, kHlsMax);
      if (s == 0) {
        e.grey = static_cast<std::int16_t>(std::clamp(HLSToRGB(0, l, 0).r, 0, 255));
        continue;
      }
      const int m2 = l <= kHlsMax / 2 ? (l * (kHlsMax + s) + kHlsMax / 2) / kHlsMax
                                      : l + s - (l * s + kHlsMax / 2) / kHlsMax;
      e.m1 = static_cast<std::int16_t>(2 * l - m2);
      e.m2 = static_cast<std::int16_t>(m2);
    }
  return t;
}

}  // namespace

void ColorTuneHLS(Dib& pic, int dh, int ds, int dl) {
  if (pic.Empty() || pic.BitCount() != 24) return;
  const std::vector<PairEntry> pairs = PairTable(ds, dl);
  const std::int16_t* steps = HueSteps().data();
  const int w = pic.Width();
  ParallelRows(
      pic.Height(),
      [&](int first, int last) {
        for (int y = first; y < last; ++y) {
          std::uint8_t* p = pic.ScanLine(y);
          std::uint32_t lastIn = 0xFFFFFFFF;
          std::uint8_t out[3] = {0, 0, 0};
          for (int x = 0; x < w; ++x, p += 3) {
            const int b = p[0], g = p[1], r = p[2];
            const std::uint32_t key = static_cast<std::uint32_t>(b | g << 8 | r << 16);
            if (key != lastIn) {
              lastIn = key;
              const int hi = std::max({r, g, b}), lo = std::min({r, g, b});
              const PairEntry& e = pairs[hi * 256 + lo];
              if (e.grey >= 0) {
                out[0] = out[1] = out[2] = static_cast<std::uint8_t>(e.grey);
              } else {
                const std::int16_t* q = steps + (hi - lo) * 256;
                int h;
                if (r == hi) h = q[hi - b] - q[hi - g];
                else if (g == hi) h = kHlsMax / 3 + q[hi - r] - q[hi - b];
                else h = 2 * kHlsMax / 3 + q[hi - g] - q[hi - r];
                if (h < 0) h += kHlsMax;
                if (h > kHlsMax) h -= kHlsMax;
                h += dh;
                if (h < 0) h += kHlsMax;
                if (h > kHlsMax) h -= kHlsMax;
                out[2] = static_cast<std::uint8_t>(Channel(e.m1, e.m2, h + kHlsMax / 3));
                out[1] = static_cast<std::uint8_t>(Channel(e.m1, e.m2, h));
                out[0] = static_cast<std::uint8_t>(Channel(e.m1, e.m2, h - kHlsMax / 3));
              }
            }
            p[0] = out[0];
            p[1] = out[1];
            p[2] = out[2];
          }
        }
      },
      0, w);
}

}  // namespace pelira
