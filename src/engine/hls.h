#pragma once
// Integer HLS colour model on a scale of 3600 (hue in tenths of a degree), RGB on 0..255.
// A grey has saturation 0 and the undefined hue 2400. Pure integer arithmetic so the HLS
// filters stay one pass without floating point per pixel.
#include <cstdint>

namespace pelira {

inline constexpr int kHlsMax = 3600;
inline constexpr int kRgbMax = 255;
inline constexpr int kUndefinedHue = 2400;

struct Hls {
  int h = 0, l = 0, s = 0;
  friend bool operator==(const Hls&, const Hls&) = default;
};

struct Rgb {
  int r = 0, g = 0, b = 0;
  friend bool operator==(const Rgb&, const Rgb&) = default;
};

Hls RGBToHLS(int r, int g, int b);
int HueToRGB(int a, int b, int h);
// Components may exceed 255 by rounding; callers clamp (HLSToRGBClamped does).
Rgb HLSToRGB(int h, int l, int s);
Rgb HLSToRGBClamped(int h, int l, int s);

// Luminance as the composites and balance filters use it: three separately truncated
// terms, at most 254.
inline int LumaY(int r, int g, int b) { return r * 3 / 10 + g * 6 / 10 + b / 10; }
// The lightness index of the histograms: weights 30/60/10.
inline int LightnessIndex(int r, int g, int b) {
  const int v = (30 * r + 60 * g + 10 * b) / 100;
  return v > 255 ? 255 : v;
}

}  // namespace pelira
