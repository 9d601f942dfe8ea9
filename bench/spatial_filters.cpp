// Speed of the neighbourhood filters on a 6000 x 4000 photo: the thresholded 3 x 3 box mean
// (Gaussian at full strength), the 3 x 3, 5 x 5 and 7 x 7 medians (Despeckle 2, 6 and 9),
// Auto Sharpen's unsharp mask and Clean. bench/peers.sh passes the photo it also gives to
// ImageMagick and libvips (PELIRA_BENCH_FILTER_PHOTO, a binary PPM); without it a plasma-like
// pattern is made here. Only the filter is timed: the picture is put back between runs.
#include <benchmark/benchmark.h>

#include <algorithm>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "engine/spatial_filters.h"

namespace {

pelira::Dib ReadPpm(const char* path) {
  std::ifstream in(path, std::ios::binary);
  std::vector<char> b((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  int w = 0, h = 0, maxv = 0, used = 0;
  const std::string head(b.begin(), b.begin() + std::min<std::size_t>(b.size(), 64));
  if (std::sscanf(head.c_str(), "P6 %d %d %d%n", &w, &h, &maxv, &used) != 3 || maxv != 255) std::abort();
  pelira::Dib d(w, h, 24);
  const char* px = b.data() + used + 1;
  for (int y = 0; y < h; ++y) {
    std::uint8_t* row = d.ScanLine(y);
    for (int x = 0; x < w; ++x, px += 3) {
      row[3 * x] = static_cast<std::uint8_t>(px[2]);
      row[3 * x + 1] = static_cast<std::uint8_t>(px[1]);
      row[3 * x + 2] = static_cast<std::uint8_t>(px[0]);
    }
  }
  return d;
}

const pelira::Dib& Photo() {
  static const pelira::Dib photo = [] {
    if (const char* p = std::getenv("PELIRA_BENCH_FILTER_PHOTO")) return ReadPpm(p);
    pelira::Dib d(6000, 4000, 24);
    std::uint32_t seed = 12345;
    for (int y = 0; y < d.Height(); ++y) {
      std::uint8_t* row = d.ScanLine(y);
      for (int i = 0; i < 3 * d.Width(); ++i) {
        seed = seed * 1664525u + 1013904223u;
        row[i] = static_cast<std::uint8_t>(((i / 3) / 7 + y / 5 + (i % 3) * 60 + (seed >> 28)) & 255);
      }
    }
    return d;
  }();
  return photo;
}

template <class Fn>
void Run(benchmark::State& state, Fn fn) {
  pelira::Dib pic = Photo();
  for (auto _ : state) {
    fn(pic);
    benchmark::DoNotOptimize(pic.Bits());
    state.PauseTiming();
    std::memcpy(pic.Bits(), Photo().Bits(), pic.ImageSize());
    state.ResumeTiming();
  }
}

void BM_GaussianBlur3x3(benchmark::State& s) { Run(s, [](pelira::Dib& d) { pelira::GaussianBlur3x3(d, 0, false, 9); }); }
void BM_Soften(benchmark::State& s) { Run(s, [](pelira::Dib& d) { pelira::Soften(d, 3); }); }
void BM_Median(benchmark::State& s) {
  const int level = static_cast<int>(s.range(0));
  Run(s, [level](pelira::Dib& d) { pelira::Median(d, level, 0); });
}
void BM_UnsharpMask(benchmark::State& s) { Run(s, [](pelira::Dib& d) { pelira::UnSharpGaussianBlur5x5(d, 160, 48); }); }
void BM_Clean(benchmark::State& s) { Run(s, [](pelira::Dib& d) { pelira::SharpGaussianBlur5x5(d, 95, 240); }); }
void BM_DeScreen(benchmark::State& s) { Run(s, [](pelira::Dib& d) { pelira::DeScreen5x5(d, 2); }); }

BENCHMARK(BM_GaussianBlur3x3)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Soften)->Unit(benchmark::kMillisecond)->UseRealTime();
// Despeckle levels 2, 6 and 9: the 3 x 3, 5 x 5 and 7 x 7 squares.
BENCHMARK(BM_Median)->Arg(2)->Arg(6)->Arg(9)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_UnsharpMask)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Clean)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_DeScreen)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
