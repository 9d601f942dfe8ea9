// Tone tables and histograms on a 6000 x 4000 24-bit picture, against the floor of one
// single-threaded memcpy of the same pixel buffer. bench/peers.sh compares Negative, gamma
// and auto contrast with ImageMagick's -negate, -gamma and -auto-level.
#include <benchmark/benchmark.h>

#include <cstring>
#include <random>

#include "engine/color_filters.h"
#include "engine/histogram.h"
#include "engine/tone_tables.h"
#include "image/dib.h"

namespace {

pelira::Dib& Photo() {
  static pelira::Dib d = [] {
    pelira::Dib p(6000, 4000, 24);
    std::mt19937 rng(1);
    for (int y = 0; y < p.Height(); ++y) {
      std::uint8_t* row = p.ScanLine(y);
      for (int i = 0; i < 3 * p.Width(); ++i) row[i] = static_cast<std::uint8_t>((i / 3 + y) / 40 + (rng() & 31));
    }
    return p;
  }();
  return d;
}

void BM_Memcpy(benchmark::State& state) {
  pelira::Dib& p = Photo();
  static std::vector<std::uint8_t> out(p.ImageSize());
  for (auto _ : state) {
    std::memcpy(out.data(), p.Bits(), p.ImageSize());
    benchmark::DoNotOptimize(out.data());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(p.ImageSize()));
}
BENCHMARK(BM_Memcpy)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_ThreeToneTables(benchmark::State& state) {
  pelira::Dib& p = Photo();
  pelira::ToneTables t;
  pelira::SetGammaLUT(t, 140, pelira::kRed);
  pelira::SetContrastLUT(t, 30, pelira::kGreen);
  pelira::SetBrightLUT(t, 20, pelira::kBlue);
  for (auto _ : state) {
    pelira::ColorFilter(p, t);
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_ThreeToneTables)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_HistogramPass(benchmark::State& state) {
  pelira::Dib& p = Photo();
  for (auto _ : state) {
    const pelira::HistogramResult r = pelira::DoCalcHistogram(p, {.stats = true});
    benchmark::DoNotOptimize(r.hist.peak);
  }
}
BENCHMARK(BM_HistogramPass)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_Negative(benchmark::State& state) {
  pelira::Dib& p = Photo();
  for (auto _ : state) {
    pelira::Negative(p);
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_Negative)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_Gamma(benchmark::State& state) {
  pelira::Dib& p = Photo();
  pelira::ToneTables t;
  for (auto _ : state) {
    for (int k = 0; k < 3; ++k) pelira::SetGammaLUT(t, 150, k);
    pelira::ColorFilter(p, t);
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_Gamma)->Unit(benchmark::kMillisecond)->UseRealTime();

// The AutoContrast command's work: a histogram pass, the significant range, three stretch
// tables and one filter pass.
void BM_AutoContrast(benchmark::State& state) {
  pelira::Dib& p = Photo();
  pelira::ToneTables t;
  for (auto _ : state) {
    const pelira::LevelRange r = pelira::SignificantRange(pelira::DoCalcHistogram(p).hist.lightness, false);
    for (int k = 0; k < 3; ++k) pelira::SetStretchLUT(t, r.lo, r.hi, k);
    pelira::ColorFilter(p, t);
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_AutoContrast)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
