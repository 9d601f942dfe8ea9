// BMP loading speed: a 6000 x 4000 24-bit photo-sized bitmap and a 1-bit fax page of
// 1728 x 2200, through the codec and through the whole loading pipeline. The files are
// made at start in a temporary folder, or taken from PELIRA_BENCH_BMP24 / PELIRA_BENCH_FAX
// (bench/peers.sh passes the files it also gives to the peer tools).
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

#include "image/bmp_graphic.h"
#include "image/bmp_reader.h"
#include "image/file_bytes.h"
#include "image/image_loader.h"

namespace {

std::filesystem::path TempFolder() {
  static const std::filesystem::path d = [] {
    std::string t = (std::filesystem::temp_directory_path() / "pelira-bench-XXXXXX").string();
    if (!mkdtemp(t.data())) std::abort();
    return std::filesystem::path(t);
  }();
  return d;
}

std::string MakeOrTake(const char* env, const char* name, int w, int h, int bits) {
  if (const char* p = std::getenv(env)) return p;
  const std::filesystem::path path = TempFolder() / name;
  if (!std::filesystem::exists(path)) {
    pelira::Dib d(w, h, bits);
    for (int y = 0; y < h; ++y) {
      std::uint8_t* row = d.ScanLine(y);
      for (std::size_t i = 0; i < d.Stride(); ++i) row[i] = static_cast<std::uint8_t>((i * 7 + static_cast<std::size_t>(y) * 13) & 255);
    }
    pelira::WriteFileAtomic(path, pelira::SaveWorkingBitmapBmp(d));
  }
  return path.string();
}

const std::string& Photo() {
  static const std::string p = MakeOrTake("PELIRA_BENCH_BMP24", "photo24.bmp", 6000, 4000, 24);
  return p;
}
const std::string& Fax() {
  static const std::string p = MakeOrTake("PELIRA_BENCH_FAX", "fax1.bmp", 1728, 2200, 1);
  return p;
}

void Codec(benchmark::State& state, const std::string& path) {
  for (auto _ : state) {
    pelira::TBmpGraphic g;
    g.LoadFromFile(path);
    benchmark::DoNotOptimize(g.Bits());
  }
}

void Pipeline(benchmark::State& state, const std::string& path) {
  for (auto _ : state) {
    pelira::TImageLoader l;
    if (l.Open(path) != pelira::OpenOutcome::Image) state.SkipWithError("load failed");
    benchmark::DoNotOptimize(l.workingBitmap.Bits());
  }
}

void BM_Bmp24_Codec(benchmark::State& s) { Codec(s, Photo()); }
void BM_Bmp24_Pipeline(benchmark::State& s) { Pipeline(s, Photo()); }
void BM_Fax1_Codec(benchmark::State& s) { Codec(s, Fax()); }
void BM_Fax1_Pipeline(benchmark::State& s) { Pipeline(s, Fax()); }

void BM_Bmp24_FromMemory(benchmark::State& state) {
  const auto bytes = pelira::ReadFileBytes(Photo());
  for (auto _ : state) {
    pelira::Dib d = pelira::ReadBmpFile(bytes);
    benchmark::DoNotOptimize(d.Bits());
  }
}

}  // namespace

BENCHMARK(BM_Bmp24_Codec)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Bmp24_Pipeline)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Bmp24_FromMemory)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Fax1_Codec)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Fax1_Pipeline)->Unit(benchmark::kMillisecond)->UseRealTime();
