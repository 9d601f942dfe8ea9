#pragma once
// Histogram and statistics passes and the corrections that decide their own parameters
// from them. Passes only read the picture; they fill the engine's histograms and sums.
#include <cstdint>

#include "engine/engine_state.h"

namespace pelira {

// DoCalcHistogram: red, green, blue and lightness always; saturation and hue on request.
// With wantStats the channel sums (saturation and hue only when computed) and the
// brightest/darkest slots. Both cores count; the totals are the serial ones.
void DoCalcHistogram(const Dib& pic, EngineState& e, bool wantSat, bool wantHue, bool wantStats);

// DoCalcMidtones: the lightness histogram again; only levels 16..240 add to N and the
// lightness sums, which also go to the brightest slot. Sets MidtoneMedian and MidtoneMode.
void DoCalcMidtones(const Dib& pic, EngineState& e);

struct LevelRange {
  int lo = 0, hi = 255;
  friend bool operator==(const LevelRange&, const LevelRange&) = default;
};
// The significant range: four consecutive counts above 48 at each end (254 becomes 255).
LevelRange SignificantRange(const Histogram& h, bool saturation);

// Remap of one channel (0..2, -1 lightness, -2 saturation) to the mean FilterParam1 and the
// deviation FilterParam2, from the statistics of the last pass.
void DoNormalize(Dib& pic, EngineState& e, int channel);

// CONFORM_RED ... CONFORM_SAT: channel 0..2, -1 lightness, -2 saturation to a mean and a
// deviation; nothing unless both are within 1..254. True when the picture was remapped.
bool ConformChannel(Dib& pic, EngineState& e, int channel, int mean, int deviation);

// The script's conform searches toward target means; each attempt starts from the original.
void DoConformGammaRGB(Dib& pic, EngineState& e, int tR, int tG, int tB);
void DoConformGamma(Dib& pic, EngineState& e, int target);

// Map › Zero tables: entry i = the number of used levels below i, per channel.
void BuildZeroMaps(EngineState& e);
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
