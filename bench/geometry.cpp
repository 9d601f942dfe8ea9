// Speed of the geometry operations on a 6000 x 4000 photo: rotation by 33.3 degrees (clockwise,
// as ImageMagick's -rotate 33.3 and vips rotate 33.3), the smooth resize to half, crop, mirror
// and the quarter turn, beside one memcpy of the picture. bench/peers.sh passes the photo it
// also gives the peers (PELIRA_BENCH_GEOMETRY_PHOTO, a binary PPM); without it a noisy pattern
// is made here.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "engine/geometry.h"
#include "engine/resample.h"
#include "imaging_library/image_ops.h"

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
    if (const char* p = std::getenv("PELIRA_BENCH_GEOMETRY_PHOTO")) return ReadPpm(p);
    pelira::Dib d(6000, 4000, 24);
    std::uint32_t seed = 777;
    for (int y = 0; y < d.Height(); ++y) {
      std::uint8_t* row = d.ScanLine(y);
      for (int i = 0; i < 3 * d.Width(); ++i) {
        seed = seed * 1664525u + 1013904223u;
        row[i] = static_cast<std::uint8_t>(((i / 3) / 9 + y / 4 + (i % 3) * 70 + (seed >> 28)) & 255);
      }
    }
    return d;
  }();
  return photo;
}

void BM_Memcpy(benchmark::State& state) {
  const pelira::Dib& src = Photo();
  std::vector<std::uint8_t> dst(src.ImageSize());
  for (auto _ : state) {
    std::memcpy(dst.data(), src.Bits(), dst.size());
    benchmark::DoNotOptimize(dst.data());
  }
}

// Clockwise 33.3 degrees: the library turns counter-clockwise.
void BM_Rotate33(benchmark::State& state) {
  const pelira::Dib& src = Photo();
  for (auto _ : state) benchmark::DoNotOptimize(pelira::Rotate(src, 36000 - 3330, 0));
}

void BM_Rotate90(benchmark::State& state) {
  const pelira::Dib& src = Photo();
  for (auto _ : state) benchmark::DoNotOptimize(pelira::Rotate(src, 27000, 0));
}

// The smooth resize of Resample and Resize › Interpolate to 3000 x 2000.
void BM_ResizeHalf(benchmark::State& state) {
  const pelira::Dib& src = Photo();
  for (auto _ : state) {
    state.PauseTiming();
    pelira::Dib pic = src;
    state.ResumeTiming();
    pelira::Resample(pic, src.Width() / 2, src.Height() / 2);
    benchmark::DoNotOptimize(pic.Bits());
  }
}

// A crop of the middle 4000 x 3000.
void BM_Crop(benchmark::State& state) {
  const pelira::Dib& src = Photo();
  for (auto _ : state) benchmark::DoNotOptimize(pelira::CopyBlock(src, {1000, 500, 4000, 3000}));
}

void BM_MirrorHorizontal(benchmark::State& state) {
  pelira::Dib pic = Photo();
  for (auto _ : state) {
    pelira::Mirror(pic, true, false);
    benchmark::DoNotOptimize(pic.Bits());
  }
}

BENCHMARK(BM_Memcpy)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Rotate33)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Rotate90)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ResizeHalf)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Crop)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_MirrorHorizontal)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
