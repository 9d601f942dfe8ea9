// HLS tune, the colour selections and the grey shades on a 6000 x 4000 24-bit picture.
// bench/peers.sh compares HLS tune with ImageMagick's -modulate; the per-pixel round trip
// shows what the picture-wide tune's vector loop saves.
#include <benchmark/benchmark.h>

#include <random>

#include "engine/color_select.h"
#include "engine/gray_shades.h"
#include "engine/hls_tune.h"
#include "image/dib.h"

namespace {

// A photo-like picture: smooth colour ramps with noise, so neighbours differ.
const pelira::Dib& Photo() {
  static const pelira::Dib d = [] {
    pelira::Dib p(6000, 4000, 24);
    std::mt19937 rng(1);
    for (int y = 0; y < p.Height(); ++y) {
      std::uint8_t* row = p.ScanLine(y);
      for (int x = 0; x < p.Width(); ++x) {
        row[3 * x] = static_cast<std::uint8_t>(x / 30 + (rng() & 31));
        row[3 * x + 1] = static_cast<std::uint8_t>(y / 20 + (rng() & 31));
        row[3 * x + 2] = static_cast<std::uint8_t>((x + y) / 50 + (rng() & 31));
      }
    }
    return p;
  }();
  return d;
}

pelira::Dib& Work() {
  static pelira::Dib w = Photo();
  return w;
}

// Each run starts from the photo again, outside the timing.
template <class Fn>
void Timed(benchmark::State& state, Fn fn) {
  pelira::Dib& w = Work();
  for (auto _ : state) {
    state.PauseTiming();
    w = Photo();
    state.ResumeTiming();
    fn(w);
    benchmark::ClobberMemory();
  }
}

// The menu's -modulate counterpart: hue +100, lightness +180, saturation +20 % of the range.
void BM_HlsTune(benchmark::State& state) {
  Timed(state, [](pelira::Dib& d) { pelira::ColorTuneHLS(d, 100, 720, 180); });
}
BENCHMARK(BM_HlsTune)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_HlsTunePerPixel(benchmark::State& state) {
  Timed(state, [](pelira::Dib& d) {
    for (int y = 0; y < d.Height(); ++y) {
      std::uint8_t* p = d.ScanLine(y);
      for (int x = 0; x < d.Width(); ++x, p += 3) {
        const pelira::Rgb c = pelira::HlsTunePixel(p[2], p[1], p[0], 100, 720, 180);
        p[0] = static_cast<std::uint8_t>(c.b);
        p[1] = static_cast<std::uint8_t>(c.g);
        p[2] = static_cast<std::uint8_t>(c.r);
      }
    }
  });
}
BENCHMARK(BM_HlsTunePerPixel)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_HlsThreshold(benchmark::State& state) {
  Timed(state, [](pelira::Dib& d) { pelira::MaskColors(d, {100, 1500, 1800, 300, 900, 1500}, false, false, true); });
}
BENCHMARK(BM_HlsThreshold)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_Airbrush(benchmark::State& state) {
  Timed(state, [](pelira::Dib& d) { pelira::AirBrush(d, {100, 1500, 1800, 300, 900, 1500}); });
}
BENCHMARK(BM_Airbrush)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_NaturalizeRgb(benchmark::State& state) {
  Timed(state, [](pelira::Dib& d) { pelira::DoFilmNoir(d, 128, false, 52); });
}
BENCHMARK(BM_NaturalizeRgb)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_RgbMaximum(benchmark::State& state) {
  Timed(state, [](pelira::Dib& d) { pelira::RgbExtremeGray(d, true); });
}
BENCHMARK(BM_RgbMaximum)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
