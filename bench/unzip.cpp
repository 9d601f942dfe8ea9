// Extracting a ZIP archive of photos ($PELIRA_BENCH_ZIP) into a fresh folder, as the UnZipper
// does (checked members, temporary then rename); the folder is removed outside the timing.
// bench/peers.sh compares it with `unzip -o -q`.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "tools/zip_archive.h"
#include "tools/zip_extract.h"

namespace {

namespace fs = std::filesystem;

std::string Archive(benchmark::State& state) {
  const char* p = std::getenv("PELIRA_BENCH_ZIP");
  if (!p || !*p) state.SkipWithError("set PELIRA_BENCH_ZIP to a ZIP archive");
  return p ? p : "";
}

void BM_UnzipExtract(benchmark::State& state) {
  const std::string zip = Archive(state);
  if (zip.empty()) return;
  const char* outEnv = std::getenv("PELIRA_BENCH_ZIP_OUT");
  const fs::path base = outEnv && *outEnv ? fs::path(outEnv) : fs::temp_directory_path() / "pelira-bench-unzip";
  std::uint64_t bytes = 0;
  int run = 0;
  for (auto _ : state) {
    state.PauseTiming();
    const fs::path out = base / std::to_string(run++);
    fs::remove_all(out);
    fs::create_directories(out);
    state.ResumeTiming();
    const pelira::ZipExtractResult r = pelira::ExtractZip(zip, out, {});
    if (r.failed || !r.log.empty()) state.SkipWithError("extraction reported exceptions");
    state.PauseTiming();
    fs::remove_all(out);
    state.ResumeTiming();
  }
  pelira::ZipArchive a;
  if (a.Open(zip))
    for (const auto& e : a.Entries()) bytes += e.uncompressedSize;
  state.SetBytesProcessed(static_cast<std::int64_t>(bytes) * state.iterations());
}
BENCHMARK(BM_UnzipExtract)->Unit(benchmark::kMillisecond)->UseRealTime();

// The reader alone: inflate and CRC of every member into nothing.
void BM_UnzipInflateOnly(benchmark::State& state) {
  const std::string zip = Archive(state);
  if (zip.empty()) return;
  pelira::ZipArchive a;
  if (!a.Open(zip)) {
    state.SkipWithError("cannot open the archive");
    return;
  }
  pelira::ZipMemberReader reader;
  for (auto _ : state)
    for (const auto& e : a.Entries())
      benchmark::DoNotOptimize(reader.Read(a.Source(), e, [](const std::uint8_t*, std::size_t) { return true; }));
}
BENCHMARK(BM_UnzipInflateOnly)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
