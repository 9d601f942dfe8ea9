#pragma once
// Histogram and statistics passes and the corrections that decide their own parameters
// from them. Every input is a parameter and every result comes back by value: nothing here
// reads or writes the engine's shared state.
#include <cstdint>

#include "engine/engine_state.h"

namespace pelira {

// Which optional parts a histogram pass computes. Red, green, blue and lightness are always
// counted; the HLS conversion runs only for saturation or hue.
struct HistogramPass {
  bool saturation = false;
  bool hue = false;
  bool stats = false;  // the channel sums and the brightest/darkest slots
};

// The histograms and statistics of one pass. Without stats, n is 1 and the sums are 0.
struct HistogramResult {
  Histograms hist;
  ChannelStats stats;
  friend bool operator==(const HistogramResult&, const HistogramResult&) = default;
};

// DoCalcHistogram: red, green, blue and lightness always; saturation and hue on request.
// With pass.stats the channel sums (saturation and hue only when computed) and the
// brightest/darkest slots. Both cores count; the totals are the serial ones. Reads only the
// picture, so two threads may measure two pictures at once.
HistogramResult DoCalcHistogram(const Dib& pic, HistogramPass pass = {});

// The mid-tone pass's results. The lightness histogram and peak count every level; only
// levels 16..240 add to n and the lightness sums, which also fill the brightest slot (the
// other channel sums stay 0).
struct MidtoneResult {
  Histogram lightness{};
  std::int32_t peak = 0;
  ChannelStats stats;
  int median = 0;  // MidtoneMedian
  int mode = 0;    // MidtoneMode
  friend bool operator==(const MidtoneResult&, const MidtoneResult&) = default;
};
MidtoneResult DoCalcMidtones(const Dib& pic);

struct LevelRange {
  int lo = 0, hi = 255;
  friend bool operator==(const LevelRange&, const LevelRange&) = default;
};
// The significant range: four consecutive counts above 48 at each end (254 becomes 255).
LevelRange SignificantRange(const Histogram& h, bool saturation);

// Remap of one channel (0..2, -1 lightness, -2 saturation) to a target mean and deviation
// (both limited to 1..255), from the channel statistics given (those of the picture before
// the remap; the commands measure the whole picture once, also for a preview window).
void DoNormalize(Dib& pic, const ChannelStats& stats, int channel, int mean, int deviation);

// CONFORM_RED ... CONFORM_SAT: channel 0..2, -1 lightness, -2 saturation to a mean and a
// deviation; nothing unless both are within 1..254. True when the picture was remapped.
bool ConformChannel(Dib& pic, int channel, int mean, int deviation);

// The script's conform searches toward target means; each attempt starts from the original.
void DoConformGammaRGB(Dib& pic, int tR, int tG, int tB);
void DoConformGamma(Dib& pic, int target);

// Map › Zero tables: entry i = the number of used levels below i, per channel.
ToneTables BuildZeroMaps(const Histograms& h);
// Map › Center shifts (red, green, blue) from the channel histograms.
struct Shifts {
  int s[3] = {0, 0, 0};
};
Shifts CenterShifts(const Histograms& h);

// Optimize's target mean and deviation for a channel of mean mu and deviation sigma.
struct NormTarget {
  int mean = 0, deviation = 0;
};
NormTarget OptimizeTarget(double mu, double sigma);

// AutoGamma's gamma (x 100) for a mid-tone mean and deviation: never below 100.
int AutoGammaValue(double mu, double sigma);

// The lowest level whose count exceeds 48 (0 when none): Brightness › Zero's start.
int LowestSignificantLevel(const Histogram& h);

}  // namespace pelira
