// Thumbnailing a folder of photos: one builder on one thread (time per picture), the worker
// pool with 1 and 2 workers over the whole folder (each picture decoded and its thumbnail
// written into a fresh cache), and the user-interface thread's share of starting an album of
// many slides (names, presence checks and jobs) and of applying results.
//
//   PELIRA_BENCH_THUMBS_DIR   folder of JPEGs (bench/peers.sh makes 1,000 of 4000x3000)
//   PELIRA_BENCH_THUMBS_OUT   scratch folder for the caches (default: beside the input)
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>
#include <vector>

#include "album/album_add.h"
#include "album/album_thumbs.h"
#include "thumbs/thumb_builder.h"
#include "thumbs/thumb_cache.h"
#include "thumbs/thumb_names.h"
#include "thumbs/thumb_pool.h"

namespace {

namespace fs = std::filesystem;
using namespace pelira;

std::vector<std::string> Inputs() {
  std::vector<std::string> files;
  const char* dir = std::getenv("PELIRA_BENCH_THUMBS_DIR");
  if (!dir) return files;
  for (const auto& e : fs::directory_iterator(dir))
    if (e.is_regular_file()) files.push_back(e.path().string());
  std::sort(files.begin(), files.end());
  return files;
}

fs::path Scratch() {
  const char* out = std::getenv("PELIRA_BENCH_THUMBS_OUT");
  const fs::path base = out ? fs::path(out) : fs::path(std::getenv("PELIRA_BENCH_THUMBS_DIR")).parent_path();
  return base / ("thumbs_cache_" + std::to_string(::getpid()));
}

void BM_ThumbnailOne(benchmark::State& state) {
  const auto files = Inputs();
  if (files.empty()) {
    state.SkipWithError("set PELIRA_BENCH_THUMBS_DIR");
    return;
  }
  ThumbBuilder builder;
  std::size_t i = 0;
  for (auto _ : state) {
    BuiltThumb b = builder.Build(files[i++ % files.size()], true);
    benchmark::DoNotOptimize(b.thumb.Bits());
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_ThumbnailOne)->Unit(benchmark::kMillisecond)->UseRealTime();

// The whole folder, as background thumbnailing does it: jobs in, thumbnails written.
void BM_ThumbnailFolder(benchmark::State& state) {
  const auto files = Inputs();
  if (files.empty()) {
    state.SkipWithError("set PELIRA_BENCH_THUMBS_DIR");
    return;
  }
  const fs::path data = Scratch();
  ThumbCache cache(data);
  std::vector<ThumbJob> jobs;
  for (std::size_t i = 0; i < files.size(); ++i) {
    ThumbJob j;
    j.id = i;
    j.source = files[i];
    j.subfolder = "2D00D7BC";
    j.cacheRoot = cache.Root();
    j.target = cache.PathOf(j.subfolder, ThumbFileName({"", files[i], 1, 2, 3}));
    jobs.push_back(j);
  }
  ThumbPool pool(static_cast<int>(state.range(0)));
  std::size_t failed = 0;
  for (auto _ : state) {
    pool.Submit(jobs);
    pool.WaitIdle();
    for (const ThumbDone& d : pool.TakeResults()) failed += d.written ? 0 : 1;
  }
  std::error_code ec;
  fs::remove_all(data, ec);
  if (failed) state.SkipWithError("a thumbnail was not written");
  state.counters["pictures"] = static_cast<double>(files.size());
  state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(files.size()));
}
BENCHMARK(BM_ThumbnailFolder)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);

// The user-interface thread's part of starting thumbnails over an album of n slides whose
// files exist (each checked in the cache) and of applying n results.
void BM_QueueAlbum(benchmark::State& state) {
  const auto files = Inputs();
  if (files.empty()) {
    state.SkipWithError("set PELIRA_BENCH_THUMBS_DIR");
    return;
  }
  const auto n = static_cast<std::size_t>(state.range(0));
  AlbumStore store;
  AddRequest req;
  req.mode = AddMode::InOrder;
  for (std::size_t i = 0; i < n; ++i) req.paths.push_back(files[i % files.size()]);
  AddSlides(store, req);
  const fs::path data = Scratch();
  ThumbCache cache(data);
  cache.EnsureFolders();
  for (auto _ : state) {
    for (SlideRecord& r : store.Records()) {
      r.thumbState = kThumbPending;
      r.SetThumbName({});
    }
    auto jobs = PendingThumbJobs(store, cache, 0, 40);
    benchmark::DoNotOptimize(jobs.data());
    for (const ThumbJob& j : jobs) {
      ThumbDone d;
      d.id = j.id;
      d.status = ThumbStatus::Done;
      d.written = true;
      ApplyThumbResult(store, d);
    }
  }
  std::error_code ec;
  fs::remove_all(data, ec);
}
BENCHMARK(BM_QueueAlbum)->Arg(20000)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
