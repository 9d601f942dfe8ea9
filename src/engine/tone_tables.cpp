#include "engine/tone_tables.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace pelira {

namespace {

std::uint8_t Byte(double v) { return static_cast<std::uint8_t>(std::clamp(v, 0.0, 255.0)); }
int Clamp255(int v) { return std::clamp(v, 0, 255); }

void ZeroEntryZero(ToneTables& t) { t.red[0] = t.green[0] = t.blue[0] = 0; }

}  // namespace

double RoundHalfEven(double v) { return std::nearbyint(v); }

void ResetMaps(ToneTables& t) {
  for (int i = 0; i < 256; ++i) t.red[i] = t.green[i] = t.blue[i] = static_cast<std::uint8_t>(i);
}

void SetGammaLUT(ToneTables& t, int gamma100, int ch) {
  // Gamma 0 has no curve; below 1 the exponent explodes.
  const double g = std::clamp(gamma100, 1, 500) / 100.0;
  ToneTable& tab = t.Table(ch);
  tab[0] = 0;
  for (int i = 1; i < 256; ++i) tab[i] = Byte(RoundHalfEven(255.0 * std::pow(i / 255.0, 1.0 / g)));
}

namespace {
double BrightFactor(int v) {
  const int k = (v + 127) * 100 / 127;
  return k / 100.0;
}
}  // namespace

void SetBrightLUT(ToneTables& t, int v, int ch) {
  const double f = BrightFactor(std::clamp(v, -127, 127));
  ZeroEntryZero(t);
  ToneTable& tab = t.Table(ch);
  for (int i = 1; i < 256; ++i) tab[i] = Byte(std::min(255.0, RoundHalfEven(i * f)));
}

void SetBrightLUTex(ToneTables& t, int v, int /*ch*/) {
  // The balance filter's table is not clamped: 255 minus a dark reference red reaches
  // factors up to 3 and entries up to 765. Below -127 the factor would turn negative.
  const double f = BrightFactor(std::clamp(v, -127, 255));
  t.wide[0] = 0;
  for (int i = 1; i < 256; ++i) t.wide[i] = static_cast<std::uint16_t>(RoundHalfEven(i * f));
}

void SetShiftLUT(ToneTables& t, int v, int ch) {
  v = std::clamp(v, -127, 127);
  ZeroEntryZero(t);
  ToneTable& tab = t.Table(ch);
  for (int i = 1; i < 256; ++i) tab[i] = static_cast<std::uint8_t>(Clamp255(i + v));
}

void SetContrastLUT(ToneTables& t, int v, int ch) {
  v = std::clamp(v, -127, 127);
  ZeroEntryZero(t);
  ToneTable& tab = t.Table(ch);
  for (int i = 1; i < 256; ++i) {
    double e;
    if (v <= 0) {
      const int k = -v * 100 / 127;
      e = i >= 128 ? i - (i - 128) * k / 100.0 : i + (127 - i) * k / 100.0;
    } else {
      const int k = (v + 127) * 100 / 127 - 100;
      e = i >= 128 ? i + (i - 128) * k / 100.0 : i - (127 - i) * k / 100.0;
    }
    tab[i] = Byte(RoundHalfEven(std::clamp(e, 0.0, 255.0)));
  }
}

void SetSupressLUT(ToneTables& t, int lo, int hi, int ch) {
  lo = Clamp255(lo);
  hi = Clamp255(hi);
  ToneTable& tab = t.Table(ch);
  for (int i = 0; i < 256; ++i) tab[i] = Byte(lo + RoundHalfEven(i * (hi - lo) / 255.0));
}

void SetStretchLUT(ToneTables& t, int lo, int hi, int ch) {
  lo = Clamp255(lo);
  hi = Clamp255(hi);
  ToneTable& tab = t.Table(ch);
  for (int i = 0; i <= lo; ++i) tab[i] = 0;
  for (int i = hi; i < 256; ++i) tab[i] = 255;
  for (int j = 0; j < hi - lo; ++j) tab[lo + j] = Byte(RoundHalfEven(255.0 * j / (hi - lo)));
}

void SetLoRemap(ToneTables& t, int lo, int hi, int ch) {
  lo = Clamp255(lo);
  hi = Clamp255(hi);
  ToneTable& tab = t.Table(ch);
  for (int i = 0; i <= lo; ++i) tab[i] = 0;
  for (int j = 0; j < hi - lo; ++j) tab[lo + j] = Byte(RoundHalfEven(static_cast<double>(j) * hi / (hi - lo)));
}

void SetHiRemap(ToneTables& t, int hi, int lo, int ch) {
  lo = Clamp255(lo);
  hi = Clamp255(hi);
  ToneTable& tab = t.Table(ch);
  for (int i = hi; i < 256; ++i) tab[i] = 255;
  for (int j = 0; j < hi - lo; ++j)
    tab[lo + j] = Byte(std::min(255.0, lo + RoundHalfEven(static_cast<double>(j) * (255 - lo) / (hi - lo))));
}

void SetMidToneLUT(ToneTables& t, int gamma100) {
  const double g = std::clamp(gamma100, 1, 500) / 100.0;
  t.green[0] = 0;
  for (int i = 1; i < 128; ++i) t.green[i] = Byte(RoundHalfEven(127.0 * std::pow(i / 127.0, 1.0 / g)));
}

void SetEqLUT(ToneTables& t, int centre, int band, int ch, int gain) {
  gain = std::clamp(gain, -255, 255);
  if (gain == 0) {
    ResetMaps(t);
    return;
  }
  centre = Clamp255(centre);
  band = std::clamp(band, 1, 255);  // the band width divides
  std::array<int, 256> bump{};
  const int lo = centre - band, hi = centre + band;
  const int peak = Clamp255(centre + std::abs(gain));
  for (int i = lo; i <= hi; ++i) {
    if (i < 0 || i > 255) continue;
    const double s = std::sin(std::numbers::pi * (i - lo) / (hi - lo)) * (peak - lo);
    bump[i] = std::clamp(static_cast<int>(std::trunc(s)), 0, 255);
  }
  ToneTable& tab = t.Table(ch);
  for (int i = 0; i < 256; ++i) {
    const int b = bump[i] * bump[i] / 255;
    tab[i] = static_cast<std::uint8_t>(Clamp255(gain > 0 ? i + b : i - b));
  }
}

}  // namespace pelira
