#include "engine/hls.h"

#include <algorithm>

namespace pelira {

Hls RGBToHLS(int r, int g, int b) {
  const int cMax = std::max({r, g, b});
  const int cMin = std::min({r, g, b});
  const int sum = cMax + cMin;
  Hls out;
  out.l = (sum * kHlsMax + kRgbMax) / (2 * kRgbMax);
  if (cMax == cMin) {
    out.s = 0;
    out.h = kUndefinedHue;
    return out;
  }
  const int d = cMax - cMin;
  const int half = d / 2;
  if (out.l <= kHlsMax / 2) {
    out.s = (d * kHlsMax + sum / 2) / sum;
  } else {
    const int rest = 2 * kRgbMax - sum;
    out.s = (d * kHlsMax + rest / 2) / rest;
  }
  const int rd = ((cMax - r) * (kHlsMax / 6) + half) / d;
  const int gd = ((cMax - g) * (kHlsMax / 6) + half) / d;
  const int bd = ((cMax - b) * (kHlsMax / 6) + half) / d;
  int h;
  if (r == cMax) {
    h = bd - gd;
  } else if (g == cMax) {
    h = kHlsMax / 3 + rd - bd;
  } else {
    h = 2 * kHlsMax / 3 + gd - rd;
  }
  if (h < 0) h += kHlsMax;
  if (h > kHlsMax) h -= kHlsMax;
  out.h = h;
  return out;
}

int HueToRGB(int a, int b, int h) {
  if (h < 0) h += kHlsMax;
  if (h > kHlsMax) h -= kHlsMax;
  if (h < kHlsMax / 6) return a + ((b - a) * h + kHlsMax / 12) / (kHlsMax / 6);
  if (h < kHlsMax / 2) return b;
  if (h < kHlsMax * 2 / 3) return a + ((b - a) * (kHlsMax * 2 / 3 - h) + kHlsMax / 12) / (kHlsMax / 6);
  return a;
}

Rgb HLSToRGB(int h, int l, int s) {
  if (s == 0) {
    // Rounded: a truncating grey branch loses a level on almost half the greys.
    const int v = (l * kRgbMax + kHlsMax / 2) / kHlsMax;
    return {v, v, v};
  }
  const int m2 = l <= kHlsMax / 2 ? (l * (kHlsMax + s) + kHlsMax / 2) / kHlsMax
                                  : l + s - (l * s + kHlsMax / 2) / kHlsMax;
  const int m1 = 2 * l - m2;
  Rgb out;
  out.r = (HueToRGB(m1, m2, h + kHlsMax / 3) * kRgbMax + kHlsMax / 2) / kHlsMax;
  out.g = (HueToRGB(m1, m2, h) * kRgbMax + kHlsMax / 2) / kHlsMax;
  out.b = (HueToRGB(m1, m2, h - kHlsMax / 3) * kRgbMax + kHlsMax / 2) / kHlsMax;
  return out;
}

Rgb HLSToRGBClamped(int h, int l, int s) {
  Rgb c = HLSToRGB(h, l, s);
  c.r = std::clamp(c.r, 0, 255);
  c.g = std::clamp(c.g, 0, 255);
  c.b = std::clamp(c.b, 0, 255);
  return c;
}

}  // namespace pelira
