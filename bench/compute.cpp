// The two-image operations of Image › Compute on two 6000 x 4000 24-bit pictures, against the
// floor of copying both pictures once; the analysis report of one of them; the file checksum
// of the file named by PELIRA_BENCH_CRC_FILE (bench/peers.sh makes a 1 GB one). peers.sh
// compares the operations with ImageMagick's -composite equivalents and the checksum with
// python3's zlib.crc32.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <cstring>
#include <random>
#include <vector>

#include "common/crc_file.h"
#include "engine/analysis.h"
#include "engine/composites.h"
#include "engine/compute.h"
#include "image/dib.h"

namespace {

pelira::Dib MakePhoto(unsigned seed) {
  pelira::Dib p(6000, 4000, 24);
  std::mt19937 rng(seed);
  for (int y = 0; y < p.Height(); ++y) {
    std::uint8_t* row = p.ScanLine(y);
    for (int i = 0; i < 3 * p.Width(); ++i) row[i] = static_cast<std::uint8_t>((i / 3 + y * seed) / 40 + (rng() & 63));
  }
  return p;
}
pelira::Dib& Picture() {
  static pelira::Dib d = MakePhoto(1);
  return d;
}
const pelira::Dib& Duplicate() {
  static const pelira::Dib d = MakePhoto(3);
  return d;
}

void BM_MemcpyBoth(benchmark::State& state) {
  pelira::Dib& p = Picture();
  const pelira::Dib& d = Duplicate();
  static std::vector<std::uint8_t> out(p.ImageSize() * 2);
  for (auto _ : state) {
    std::memcpy(out.data(), p.Bits(), p.ImageSize());
    std::memcpy(out.data() + p.ImageSize(), d.Bits(), d.ImageSize());
    benchmark::DoNotOptimize(out.data());
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_MemcpyBoth)->Unit(benchmark::kMillisecond)->UseRealTime();

template <bool (*Op)(pelira::Dib&, const pelira::Dib&)>
void BM_Op(benchmark::State& state) {
  pelira::Dib& p = Picture();
  for (auto _ : state) {
    Op(p, Duplicate());
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_Op<pelira::Minimum>)->Name("BM_Minimum")->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Op<pelira::Maximum>)->Name("BM_Maximum")->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Op<pelira::Difference>)->Name("BM_Difference")->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Op<pelira::Subtract>)->Name("BM_Subtract")->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Op<pelira::Multiply>)->Name("BM_Multiply")->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_Average(benchmark::State& state) {
  pelira::Dib& p = Picture();
  for (auto _ : state) {
    pelira::AverageBitmap(p, Duplicate(), 50);
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_Average)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_SumSquaredDifference(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(pelira::SumSquaredDifference(Picture(), Duplicate()));
}
BENCHMARK(BM_SumSquaredDifference)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_AnalysisReport(benchmark::State& state) {
  pelira::AnalysisSubject s;
  s.name = "photo.jpg";
  s.folder = "/";
  s.fileSize = 5000000;
  for (auto _ : state) benchmark::DoNotOptimize(pelira::AnalyzePicture(Duplicate(), s).rating);
}
BENCHMARK(BM_AnalysisReport)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);

void BM_CRCFile(benchmark::State& state) {
  const char* path = std::getenv("PELIRA_BENCH_CRC_FILE");
  if (!path) {
    state.SkipWithError("PELIRA_BENCH_CRC_FILE is not set");
    return;
  }
  for (auto _ : state) benchmark::DoNotOptimize(pelira::CRCFileRegister(path));
}
BENCHMARK(BM_CRCFile)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);

}  // namespace
