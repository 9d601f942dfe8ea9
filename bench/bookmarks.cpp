// The bookmark list at 1,000,000 entries: the menu's sort (fold-case order, duplicates
// dropped, missing files removed with one stat each), the list dialog's "Sort all", removal
// of missing files alone, and a bookmark file written and read back. Every run works on a
// fresh copy of the same shuffled list; a tenth of the entries name files that exist.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <unistd.h>

#include "viewer/bookmarks.h"

namespace {

namespace fs = std::filesystem;
constexpr int kEntries = 1000000;
constexpr int kFiles = 1000;

struct Fixture {
  fs::path dir;
  std::vector<std::string> entries;
  Fixture() {
    dir = fs::temp_directory_path() / ("pelira-bench-bookmarks-" + std::to_string(getpid()));
    fs::create_directories(dir);
    for (int i = 0; i < kFiles; ++i) std::ofstream(dir / ("File" + std::to_string(i) + ".jpg")) << "x";
    std::mt19937 rng(7);
    entries.reserve(kEntries);
    for (int i = 0; i < kEntries; ++i) {
      // One in ten an existing file (each about a hundred times), the rest missing; about a
      // third of the list repeats another entry.
      const unsigned r = rng();
      if (r % 10 == 0) entries.push_back((dir / ("File" + std::to_string(r / 10 % kFiles) + ".jpg")).string());
      else entries.push_back((dir / ("missing" + std::to_string(r % 700000) + ".JPG")).string());
    }
  }
  ~Fixture() {
    std::error_code ec;
    fs::remove_all(dir, ec);
  }
};

Fixture& Data() {
  static Fixture f;
  return f;
}

void BM_MenuSort(benchmark::State& state) {
  for (auto _ : state) {
    state.PauseTiming();
    pelira::BookmarkList l;
    l.Assign(Data().entries, 5);
    state.ResumeTiming();
    l.Sort();
    benchmark::DoNotOptimize(l.Count());
  }
}
BENCHMARK(BM_MenuSort)->Unit(benchmark::kMillisecond);

void BM_SortAll(benchmark::State& state) {
  for (auto _ : state) {
    state.PauseTiming();
    std::vector<std::string> e = Data().entries;
    state.ResumeTiming();
    pelira::SortAllEntries(e);
    benchmark::DoNotOptimize(e.size());
  }
}
BENCHMARK(BM_SortAll)->Unit(benchmark::kMillisecond);

void BM_RemoveMissing(benchmark::State& state) {
  for (auto _ : state) {
    state.PauseTiming();
    std::vector<std::string> e = Data().entries;
    state.ResumeTiming();
    pelira::RemoveMissingEntries(e);
    benchmark::DoNotOptimize(e.size());
  }
}
BENCHMARK(BM_RemoveMissing)->Unit(benchmark::kMillisecond);

void BM_PlpWriteRead(benchmark::State& state) {
  const fs::path file = Data().dir / "list.plp";
  for (auto _ : state) {
    std::ofstream(file, std::ios::binary) << pelira::PlpText(Data().entries);
    std::vector<std::string> back;
    std::string why;
    if (!pelira::ReadPlpFile(file, back, why)) state.SkipWithError(why.c_str());
    benchmark::DoNotOptimize(back.size());
  }
}
BENCHMARK(BM_PlpWriteRead)->Unit(benchmark::kMillisecond);

}  // namespace
