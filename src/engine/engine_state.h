#pragma once
// The editing session's lasting state: the tone tables, the filter parameters, the
// remembered Balance slider and the second images. The engine functions never read or write
// it behind their callers' backs: the commands hand them what they need (a second image as a
// Dib&, statistics as values), so a worker thread can run them on its own pictures.
#include <array>
#include <cstdint>
#include <functional>
#include <string>

#include "engine/geometry.h"
#include "image/dib.h"

namespace pelira {

// Channel numbers of the table builders: 0 red, 1 green, anything else blue.
enum Channel : int { kRed = 0, kGreen = 1, kBlue = 2 };
// Extra channel numbers of the normalising remap.
inline constexpr int kLightnessChannel = -1;
inline constexpr int kSaturationChannel = -2;

using ToneTable = std::array<std::uint8_t, 256>;

struct ToneTables {
  ToneTable red{}, green{}, blue{};
  std::array<std::uint16_t, 256> wide{};  // the balance filter's unclamped table

  ToneTables();
  ToneTable& Table(int ch) { return ch == kRed ? red : ch == kGreen ? green : blue; }
  const ToneTable& Table(int ch) const { return ch == kRed ? red : ch == kGreen ? green : blue; }
};

// Counters stop just below 2^30, as the histogram view and the album expect.
inline constexpr std::int32_t kHistogramCountLimit = (1 << 30) - 2;

using Histogram = std::array<std::int32_t, 360>;  // only 0..255 are filled

struct Histograms {
  Histogram red{}, green{}, blue{}, lightness{}, saturation{}, hue{};
  std::int32_t peak = 0;  // HistogramPeak
  friend bool operator==(const Histograms&, const Histograms&) = default;
};

// Exact sums of one channel's indices and of their squares.
struct ChannelSum {
  std::int64_t sum = 0;
  std::int64_t sumSq = 0;
  friend bool operator==(const ChannelSum&, const ChannelSum&) = default;
};

struct ChannelStats {
  std::int64_t n = 1;  // never 0 after a pass
  ChannelSum red, green, blue, lightness, saturation, hue;
  ChannelSum brightest, darkest;  // BrightestChannel, DarkestChannel

  double Mean(const ChannelSum& c) const;
  // Population deviation, computed from the exact sums; never negative.
  double Deviation(const ChannelSum& c) const;
  // 0 red, 1 green, 2 blue, -1 lightness, -2 saturation.
  const ChannelSum& Of(int channel) const;
  friend bool operator==(const ChannelStats&, const ChannelStats&) = default;
};

struct EngineState {
  ToneTables tables;
  std::int32_t FilterParam1 = 0, FilterParam2 = 0, FilterParam3 = 0, FilterValue = 0;

  // The remembered White Balance slider (lives as long as the program).
  int balanceSlider = 0;

  // Second images of the two-image operations.
  Dib duplicate;
  Dib backup;
  Dib scratch;

  // The colour base of the HLS selections (H, L, S of the last colour picked in a preview,
  // or the centres of the last replayed selection line), and the Naturalize sliders; both
  // live as long as the program.
  int SelectionCentre[3] = {0, 0, 0};
  int naturalize = 128, naturalizeEffect = 52;
  // Image › Text Mark: font and colours, the renderer (none: the one installed at start-up)
  // and today's date for "@@D" (none: the C library's short date).
  TextMarkStyle textMark;
  const TextRenderer* textRenderer = nullptr;
  std::function<std::string()> today;
  // The colour of the corners a rotation uncovers (the viewer's background).
  ColorValue background = 0;
};

}  // namespace pelira
