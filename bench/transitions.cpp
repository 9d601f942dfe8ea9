// Transition frames: every entry of the effects table at 1920x1080, and one entry per family
// at 3840x2160, rendering frames in turn across the whole transition (the player draws one
// per display refresh: the budget is 8 ms at 1080p and 16 ms at 4K). The plan (the blur of
// the blur intro, the mosaic order) is made once per slide, while the previous one shows,
// and is timed on its own.
#include <benchmark/benchmark.h>

#include <map>
#include <string>

#include "slideshow/effects_table.h"
#include "slideshow/transition_frame.h"

namespace {

using namespace pelira;

Surface Picture(int w, int h, std::uint32_t salt) {
  Surface s(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      s.Row(y)[x] = 0xFF000000u | ((static_cast<std::uint32_t>(x * 73 + y * 151 + salt) * 2654435761u) >> 8);
  return s;
}

const std::pair<Surface, Surface>& Pair(int w, int h) {
  static std::map<std::pair<int, int>, std::pair<Surface, Surface>> cache;
  auto& p = cache[{w, h}];
  if (p.first.width == 0) p = {Picture(w, h, 1), Picture(w, h, 977)};
  return p;
}

void Frames(benchmark::State& state, int entry, int w, int h) {
  const auto& [before, after] = Pair(w, h);
  TransitionEffect fx = MapEffect(TheEffectsTable().Entry(entry), w, h, 1, w);
  fx.seed = 7;
  const TransitionPlan plan(after, fx);
  const int n = plan.FrameCount();
  Surface out(w, h);
  int k = 1;
  for (auto _ : state) {
    plan.Render(before, after, k, out);
    benchmark::DoNotOptimize(out.pixels.data());
    k = k % (n - 1) + 1;  // frames 1..N-1: the ones that mix both pictures
  }
  state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(w) * h);
}

void Plan(benchmark::State& state, int entry, int w, int h) {
  const auto& after = Pair(w, h).second;
  const TransitionEffect fx = MapEffect(TheEffectsTable().Entry(entry), w, h, 1, w);
  for (auto _ : state) {
    TransitionPlan plan(after, fx);
    benchmark::DoNotOptimize(&plan);
  }
}

// One entry per family for the 4K runs and the plan timings.
const int kFamilies[] = {7, 8, 9, 11, 24, 40, 64, 69, 70, 166, 167, 168, 169, 172, 173};

const bool registered = [] {
  const EffectsTable& t = TheEffectsTable();
  for (int i = 7; i < t.Count(); ++i)
    benchmark::RegisterBenchmark(("1080p/" + std::to_string(i) + " " + t.Names()[static_cast<std::size_t>(i)]).c_str(),
                                 Frames, i, 1920, 1080)
        ->Unit(benchmark::kMillisecond);
  for (int i : kFamilies) {
    benchmark::RegisterBenchmark(("4K/" + std::to_string(i) + " " + t.Names()[static_cast<std::size_t>(i)]).c_str(),
                                 Frames, i, 3840, 2160)
        ->Unit(benchmark::kMillisecond);
  }
  for (int i : {7, 40, 64, 172})
    benchmark::RegisterBenchmark(("plan 1080p/" + t.Names()[static_cast<std::size_t>(i)]).c_str(), Plan, i, 1920, 1080)
        ->Unit(benchmark::kMillisecond);
  return true;
}();

}  // namespace
