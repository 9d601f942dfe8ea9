// Peak memory of loading and saving a 24-megapixel picture (6000 x 4000), one case a process:
// bench/peak_memory.sh runs each benchmark alone under /usr/bin/time -f %M and holds the
// peak against the picture's pixel buffer (24-bit: 1.2x + 40 MB, palette: 2x + 40 MB).
//
//   bench_peak_memory make DIR      writes the inputs (24-bit and 8-bit BMP, PNG, TIFF, JPEG)
//   bench_peak_memory --benchmark_filter=^Load/tiff24$ ...   with PELIRA_PEAK_DIR=DIR
//
// Each benchmark also reports the process's peak so far (peak_mb) and the pixel buffer
// (picture_mb).
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <string>

#include "image/codec_registry.h"
#include "image/image_loader.h"
#include "image/picture_file.h"
#include "image/pixel_limit.h"

namespace {

using namespace pelira;

constexpr int kWidth = 6000, kHeight = 4000;

std::filesystem::path Dir() {
  const char* d = std::getenv("PELIRA_PEAK_DIR");
  return d ? d : "bench/out/peak";
}

double PeakMb() {
  rusage u{};
  getrusage(RUSAGE_SELF, &u);
  return static_cast<double>(u.ru_maxrss) / 1024.0;  // kilobytes on Linux
}

Dib Picture(int bits) {
  Dib d(kWidth, kHeight, bits);
  for (int y = 0; y < kHeight; ++y) {
    std::uint8_t* row = d.ScanLine(y);
    // A photo-like gradient with some texture, so compressed files are not trivially small.
    for (std::size_t i = 0; i < d.Stride(); ++i)
      row[i] = static_cast<std::uint8_t>((i * 7 / 3 + static_cast<std::size_t>(y) * 3 / 2 + ((i * 13) ^ static_cast<std::size_t>(y)) % 9) & 255);
  }
  return d;
}

int Make(const std::filesystem::path& dir) {
  std::filesystem::create_directories(dir);
  struct Out {
    const char* name;
    int bits, type;
  };
  // Save types: 1 BMP, 3 PNG, 5 JPEG, 7 TIFF uncompressed, 8 TIFF Deflate.
  const Out outs[] = {{"bmp24.bmp", 24, 1}, {"png24.png", 24, 3}, {"tiff24.tif", 24, 7}, {"zip24.tif", 24, 8},
                      {"jpeg24.jpg", 24, 5}, {"bmp8.bmp", 8, 1},   {"png8.png", 8, 3},    {"tiff8.tif", 8, 7}};
  for (const Out& o : outs) {
    Dib d = Picture(o.bits);
    SaveOptions options;
    options.quality = 80;
    options.progressive = false;
    const WriteResult r = SavePictureFile(dir / o.name, d, o.type, options);
    if (!r) {
      std::cerr << o.name << ": " << r.message << "\n";
      return 1;
    }
  }
  return 0;
}

void Report(benchmark::State& state, int bits) {
  state.counters["peak_mb"] = PeakMb();
  state.counters["picture_mb"] = static_cast<double>(RowStride(kWidth, bits) * kHeight) / (1024.0 * 1024.0);
}

void Load(benchmark::State& state, const char* name, int bits) {
  for (auto _ : state) {
    TImageLoader l;
    if (l.Open((Dir() / name).string()) != OpenOutcome::Image) {
      state.SkipWithError((std::string(name) + ": " + l.LastError()).c_str());
      return;
    }
    benchmark::DoNotOptimize(l.workingBitmap.Bits());
  }
  Report(state, bits);
}

// Load, then save in the given type: the save's share is the peak beyond the load's.
void Save(benchmark::State& state, const char* name, int bits, int type, const char* out) {
  for (auto _ : state) {
    TImageLoader l;
    if (l.Open((Dir() / name).string()) != OpenOutcome::Image) {
      state.SkipWithError((std::string(name) + ": " + l.LastError()).c_str());
      return;
    }
    const WriteResult r = SavePictureFile(Dir() / out, l.workingBitmap, type, {});
    if (!r) {
      state.SkipWithError(r.message.c_str());
      return;
    }
  }
  Report(state, bits);
}

#define PEAK_LOAD(tag, file, bits) \
  BENCHMARK_CAPTURE(Load, tag, file, bits)->Iterations(1)->Unit(benchmark::kMillisecond)
#define PEAK_SAVE(tag, file, bits, type, out) \
  BENCHMARK_CAPTURE(Save, tag, file, bits, type, out)->Iterations(1)->Unit(benchmark::kMillisecond)

PEAK_LOAD(bmp24, "bmp24.bmp", 24);
PEAK_LOAD(png24, "png24.png", 24);
PEAK_LOAD(tiff24, "tiff24.tif", 24);
PEAK_LOAD(zip24, "zip24.tif", 24);
PEAK_LOAD(jpeg24, "jpeg24.jpg", 24);
PEAK_LOAD(bmp8, "bmp8.bmp", 8);
PEAK_LOAD(png8, "png8.png", 8);
PEAK_LOAD(tiff8, "tiff8.tif", 8);
PEAK_SAVE(bmp24, "bmp24.bmp", 24, 1, "saved24.bmp");
PEAK_SAVE(tiff24, "bmp24.bmp", 24, 7, "saved24.tif");
PEAK_SAVE(zip24, "bmp24.bmp", 24, 8, "saved24z.tif");
PEAK_SAVE(bmp8, "bmp8.bmp", 8, 1, "saved8.bmp");
PEAK_SAVE(tiff8, "bmp8.bmp", 8, 7, "saved8.tif");

}  // namespace

int main(int argc, char** argv) {
  if (argc == 3 && std::string(argv[1]) == "make") return Make(argv[2]);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
