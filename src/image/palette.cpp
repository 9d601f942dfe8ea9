#include "image/palette.h"

#include <algorithm>

namespace pelira {

TPaletteRecord TPaletteRecord::From(const Palette& p) {
  TPaletteRecord r;
  r.count = static_cast<std::uint16_t>(std::min<std::size_t>(p.size(), 256));
  std::copy_n(p.begin(), r.count, r.entries.begin());
  return r;
}

namespace {

RgbQuad Bgr(int b, int g, int r) {
  return RgbQuad{static_cast<std::uint8_t>(b), static_cast<std::uint8_t>(g),
                 static_cast<std::uint8_t>(r), 0};
}

Palette GrayRamp(int n, int step) {
  Palette p;
  for (int i = 0; i < n; ++i) p.push_back(Bgr(i * step, i * step, i * step));
  return p;
}

// The table is given as (blue, green, red): entry 1 is red 170, entry 6 is (170,85,0).
Palette MakeColor16() {
  static const int t[16][3] = {{0, 0, 0},      {0, 0, 170},    {0, 170, 0},    {0, 170, 170},
                               {170, 0, 0},    {170, 0, 170},  {170, 85, 0},   {170, 170, 170},
                               {85, 85, 85},   {85, 85, 255},  {85, 255, 85},  {85, 255, 255},
                               {255, 85, 85},  {255, 85, 255}, {255, 255, 85}, {255, 255, 255}};
  Palette p;
  for (const auto& e : t) p.push_back(Bgr(e[0], e[1], e[2]));
  return p;
}

Palette MakeColor256() {
  Palette p = MakeColor16();
  static const int gray[16] = {0, 20, 32, 44, 56, 69, 81, 97, 113, 130, 146, 162, 182, 203, 227, 255};
  for (int g : gray) p.push_back(Bgr(g, g, g));
  static const int rings[9][5] = {{0, 65, 125, 190, 255},  {125, 158, 190, 223, 255},
                                  {182, 199, 219, 235, 255}, {0, 28, 56, 85, 113},
                                  {56, 69, 85, 97, 113},   {81, 89, 97, 105, 113},
                                  {0, 16, 32, 48, 65},     {32, 40, 48, 56, 65},
                                  {44, 48, 52, 60, 65}};
  for (const auto& L : rings) {
    for (int k = 0; k < 24; ++k) {
      if (k < 4) p.push_back(Bgr(L[k], L[0], L[4]));
      else if (k < 8) p.push_back(Bgr(L[4], L[0], L[8 - k]));
      else if (k < 12) p.push_back(Bgr(L[4], L[k - 8], L[0]));
      else if (k < 16) p.push_back(Bgr(L[16 - k], L[4], L[0]));
      else if (k < 20) p.push_back(Bgr(L[0], L[4], L[k - 16]));
      else p.push_back(Bgr(L[0], L[24 - k], L[4]));
    }
  }
  while (p.size() < 256) p.push_back(Bgr(0, 0, 0));
  return p;
}

int Distance(const RgbQuad& e, ColorValue c) {
  const int db = e.blue - BlueOf(c), dg = e.green - GreenOf(c), dr = e.red - RedOf(c);
  return db * db + dg * dg + dr * dr;
}

}  // namespace

const Palette& BlackWhitePalette() {
  static const Palette p = {Bgr(0, 0, 0), Bgr(255, 255, 255)};
  return p;
}
const Palette& Gray16Palette() {
  static const Palette p = GrayRamp(16, 17);
  return p;
}
const Palette& Gray256Palette() {
  static const Palette p = GrayRamp(256, 1);
  return p;
}
const Palette& Color16Palette() {
  static const Palette p = MakeColor16();
  return p;
}
const Palette& Color256Palette() {
  static const Palette p = MakeColor256();
  return p;
}

int NearestPaletteIndex(const RgbQuad* entries, int count, ColorValue c) {
  int best = -1, bestDist = 1 << 30;
  for (int i = 0; i < count; ++i) {
    const int d = Distance(entries[i], c);
    if (d < bestDist) {
      best = i;
      bestDist = d;
      if (d == 0) break;
    }
  }
  return best;
}

void TRgbToPaletteConverter::Reset(const TPaletteRecord* palette) {
  palette_ = palette;
  slots_.fill(Slot{});
  hits_ = misses_ = 0;
  byGreen_.clear();
  if (!palette_) return;
  const int n = std::min<int>(palette_->count, 256);
  for (int i = 0; i < n; ++i) byGreen_.push_back(static_cast<std::uint8_t>(i));
  std::stable_sort(byGreen_.begin(), byGreen_.end(), [this](std::uint8_t a, std::uint8_t b) {
    return palette_->entries[a].green < palette_->entries[b].green;
  });
}

int TRgbToPaletteConverter::Search(ColorValue c) const {
  // The first entry with the least distance is the least (distance, index) pair; walking out
  // from the query's green value, an entry whose green alone is farther than the best
  // distance cannot win, and neither can any entry beyond it.
  const int n = static_cast<int>(byGreen_.size());
  if (n == 0) return -1;
  const int g = GreenOf(c);
  const auto& e = palette_->entries;
  int up = static_cast<int>(std::lower_bound(byGreen_.begin(), byGreen_.end(), g,
                                             [&](std::uint8_t i, int v) { return e[i].green < v; }) -
                            byGreen_.begin());
  int down = up - 1;
  int best = -1, bestDist = 1 << 30;
  auto consider = [&](int idx) {
    const int d = Distance(e[idx], c);
    if (d < bestDist || (d == bestDist && idx < best)) {
      best = idx;
      bestDist = d;
    }
  };
  while (up < n || down >= 0) {
    if (up < n) {
      const int dg = e[byGreen_[up]].green - g;
      if (dg * dg > bestDist) up = n;
      else consider(byGreen_[up++]);
    }
    if (down >= 0) {
      const int dg = g - e[byGreen_[down]].green;
      if (dg * dg > bestDist) down = -1;
      else consider(byGreen_[down--]);
    }
  }
  return best;
}

int TRgbToPaletteConverter::Convert(ColorValue c) {
  c &= 0x00FFFFFF;
  Slot& s = slots_[c % kSlots];
  if (s.index >= 0 && s.color == c) {
    ++hits_;
    return s.index;
  }
  ++misses_;
  const int idx = Search(c);
  if (idx < 0) return -1;
  s.color = c;
  s.index = static_cast<std::int16_t>(idx);
  return idx;
}

}  // namespace pelira
