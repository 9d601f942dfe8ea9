// Decode speed of the PCX, Targa and GIF readers on 4000 x 3000 pictures, and the dithered
// reduction of a 4000 x 3000 photo to 256 colours. bench/peers.sh passes the files it also
// gives to ImageMagick (PELIRA_BENCH_PCX24, _PCX8, _TGA24, _TGARLE, _GIF, _PHOTO); without
// them the PCX and Targa inputs are made here with our writers and the rest is skipped.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "image/bmp_reader.h"
#include "image/color_depth.h"
#include "image/file_bytes.h"
#include "image/gif_graphic.h"
#include "image/pcx_graphic.h"
#include "image/tga_graphic.h"

namespace {

std::filesystem::path TempFolder() {
  static const std::filesystem::path d = [] {
    std::string t = (std::filesystem::temp_directory_path() / "pelira-bench-XXXXXX").string();
    if (!mkdtemp(t.data())) std::abort();
    return std::filesystem::path(t);
  }();
  return d;
}

pelira::Dib Pattern(int bits) {
  pelira::Dib d(4000, 3000, bits);
  for (int y = 0; y < d.Height(); ++y) {
    std::uint8_t* row = d.ScanLine(y);
    for (std::size_t i = 0; i < d.Stride(); ++i) row[i] = static_cast<std::uint8_t>(((i / 3) * 5 + static_cast<std::size_t>(y) / 2) & 255);
  }
  return d;
}

template <class Codec>
std::string MakeOrTake(const char* env, const char* name, int bits) {
  if (const char* p = std::getenv(env)) return p;
  const std::filesystem::path path = TempFolder() / name;
  if (!std::filesystem::exists(path)) {
    Codec c;
    pelira::WorkingBitmapToCodec(Pattern(bits), c);
    c.SaveToFile(path);
  }
  return path.string();
}

template <class Codec>
void Decode(benchmark::State& state, const std::string& path) {
  for (auto _ : state) {
    Codec g;
    g.LoadFromFile(path);
    benchmark::DoNotOptimize(g.Bits());
  }
}

void BM_Pcx24(benchmark::State& s) { Decode<pelira::TPcxGraphic>(s, MakeOrTake<pelira::TPcxGraphic>("PELIRA_BENCH_PCX24", "p24.pcx", 24)); }
void BM_Pcx8(benchmark::State& s) { Decode<pelira::TPcxGraphic>(s, MakeOrTake<pelira::TPcxGraphic>("PELIRA_BENCH_PCX8", "p8.pcx", 8)); }
void BM_Tga24(benchmark::State& s) { Decode<pelira::TTgaGraphic>(s, MakeOrTake<pelira::TTgaGraphic>("PELIRA_BENCH_TGA24", "t24.tga", 24)); }

void BM_TgaRle(benchmark::State& s) {
  const char* p = std::getenv("PELIRA_BENCH_TGARLE");
  if (!p) return s.SkipWithError("PELIRA_BENCH_TGARLE not set");
  Decode<pelira::TTgaGraphic>(s, p);
}

void BM_Gif(benchmark::State& state) {
  const char* p = std::getenv("PELIRA_BENCH_GIF");
  if (!p) return state.SkipWithError("PELIRA_BENCH_GIF not set");
  for (auto _ : state) {
    pelira::TGIFGraphic g;
    g.LoadFromFile(p);
    benchmark::DoNotOptimize(g.Bitmap().Bits());
  }
}

// The photo read from its BMP and reduced, as `convert photo.bmp -colors 256` reads and reduces.
void BM_Reduce256Dither(benchmark::State& state) {
  const char* p = std::getenv("PELIRA_BENCH_PHOTO");
  if (!p) return state.SkipWithError("PELIRA_BENCH_PHOTO not set");
  for (auto _ : state) {
    const pelira::Dib photo = pelira::ReadBmpPath(p);
    const pelira::Dib out = pelira::ReduceDepth(photo, pelira::DepthTarget::Colors256, 1);
    benchmark::DoNotOptimize(out.Bits());
  }
}

BENCHMARK(BM_Pcx24)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Pcx8)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Tga24)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_TgaRle)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Gif)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Reduce256Dither)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
