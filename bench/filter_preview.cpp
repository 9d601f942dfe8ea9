// One slider refresh of the filter preview on a 6000 x 4000 picture: the window is cut from
// the picture and the command's own edit runs on it, as the dialog does after each move.
// The commands run for real; the requester runs the timing loop while the request (and the
// edit it carries) is live, then cancels. The reduced whole picture is made once per dialog.
#include <benchmark/benchmark.h>

#include <random>
#include <type_traits>

#include "engine/filter_preview.h"
#include "image/dib.h"
#include "platform/scripted_ui.h"
#include "platform/ui.h"
#include "edit/memory_edit_host.h"
#include "viewer/open_flow.h"
#include "edit/tone_commands.h"
#include "edit/filter_commands.h"

namespace {

using namespace pelira;

Dib MakePhoto() {
  Dib p(6000, 4000, 24);
  std::mt19937 rng(1);
  for (int y = 0; y < p.Height(); ++y) {
    std::uint8_t* row = p.ScanLine(y);
    for (int i = 0; i < 3 * p.Width(); ++i) row[i] = static_cast<std::uint8_t>((i / 3 + y) / 40 + (rng() & 31));
  }
  return p;
}

struct HostView {
  ViewState view;
};

class Host : private HostView, public MemoryEditHost {
public:
  Host() : MemoryEditHost(view) { picture = MakePhoto(); }
};

Host& TheHost() {
  static Host h;
  return h;
}

class TimingRequester : public FilterRequester {
public:
  TimingRequester(benchmark::State& s, bool fitted) : state_(s), fitted_(fitted) {}
  FilterAnswer RunFilterDialog(const std::string&, const std::string&, const std::string&,
                               const TFilterDlgParam& r) override {
    const Dib& pic = TheHost().Picture();
    const Dib reduced = fitted_ ? FittedSource(pic, 360, 360) : Dib();
    const TRect window = PreviewWindow(pic.Width(), pic.Height(), 2800, 1900, 360, 360);
    int step = 0;
    for (auto _ : state_) {
      Dib after = fitted_ ? reduced : ActualViewSource(pic, window);
      const SliderSpec s = EffectiveSlider(r, 0);
      std::array<int, 3> v{s.min + (step++ * 7) % (s.max - s.min + 1), EffectiveSlider(r, 1).start,
                           EffectiveSlider(r, 2).start};
      r.preview(after, v);
      benchmark::DoNotOptimize(after.Bits());
    }
    return {};
  }

private:
  benchmark::State& state_;
  bool fitted_;
};

// One command run with the timing requester; a filter command goes through the filters, and
// its slider 1 walks the whole range, so the strongest levels count.
template <typename Command>
void Refresh(benchmark::State& state, Command c, bool fitted = false) {
  static ScriptedUi ui;
  SetCurrentUi(&ui);
  ViewState view;
  SyncImageState(view, TheHost().Picture());
  EngineState engine;
  UndoStore undo;
  TimingRequester ask(state, fitted);
  ToneCommands edits(view, engine, undo, TheHost(), ask);
  if constexpr (std::is_same_v<Command, FilterCommand>) {
    FilterCommands filters(view, engine, edits, TheHost(), ask);
    filters.Run(c);
  } else {
    edits.Run(c);
  }
  SetCurrentUi(nullptr);
}

void BM_PreviewGammaRGB(benchmark::State& s) { Refresh(s, EditCommand::GammaRGB, false); }
void BM_PreviewParametricEq(benchmark::State& s) { Refresh(s, EditCommand::ParametricEqAll, false); }
void BM_PreviewMapEqualize(benchmark::State& s) { Refresh(s, EditCommand::MapEqualize, false); }
void BM_PreviewEnhanceSaturation(benchmark::State& s) { Refresh(s, EditCommand::EnhanceSaturation, false); }
void BM_PreviewGammaRGBFitted(benchmark::State& s) { Refresh(s, EditCommand::GammaRGB, true); }
void BM_PreviewDespeckle(benchmark::State& s) { Refresh(s, FilterCommand::Despeckle); }
void BM_PreviewUnsharpMask(benchmark::State& s) { Refresh(s, FilterCommand::UnsharpMask); }
void BM_PreviewDeFog(benchmark::State& s) { Refresh(s, FilterCommand::DeFog); }

// The reduced whole picture, made when the actual view is switched off.
void BM_FittedSource(benchmark::State& state) {
  const Dib& pic = TheHost().Picture();
  for (auto _ : state) {
    Dib d = FittedSource(pic, 360, 360);
    benchmark::DoNotOptimize(d.Bits());
  }
}

// Fixed iteration counts: each run takes a real undo copy of the whole picture first.
BENCHMARK(BM_PreviewGammaRGB)->Unit(benchmark::kMillisecond)->Iterations(200)->UseRealTime();
BENCHMARK(BM_PreviewParametricEq)->Unit(benchmark::kMillisecond)->Iterations(200)->UseRealTime();
BENCHMARK(BM_PreviewMapEqualize)->Unit(benchmark::kMillisecond)->Iterations(200)->UseRealTime();
BENCHMARK(BM_PreviewEnhanceSaturation)->Unit(benchmark::kMillisecond)->Iterations(200)->UseRealTime();
BENCHMARK(BM_PreviewGammaRGBFitted)->Unit(benchmark::kMillisecond)->Iterations(200)->UseRealTime();
BENCHMARK(BM_PreviewDespeckle)->Unit(benchmark::kMillisecond)->Iterations(90)->UseRealTime();
BENCHMARK(BM_PreviewUnsharpMask)->Unit(benchmark::kMillisecond)->Iterations(200)->UseRealTime();
BENCHMARK(BM_PreviewDeFog)->Unit(benchmark::kMillisecond)->Iterations(200)->UseRealTime();
BENCHMARK(BM_FittedSource)->Unit(benchmark::kMillisecond)->Iterations(10)->UseRealTime();

}  // namespace
