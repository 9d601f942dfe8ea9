// The album window thumbnailing a large folder while its user-interface thread keeps
// answering: a zero-interval timer ticks whenever the event loop is free, and the longest gap
// between two ticks is the longest the window was unresponsive (the worst frame). Runs until
// every slide has its thumbnail.
//
//   PELIRA_BENCH_THUMBS_DIR      folder of JPEGs; the album gets N hard links to them
//   PELIRA_BENCH_ALBUM_SLIDES    N (default 20000)
//   PELIRA_BENCH_THUMBS_OUT      scratch folder (default: beside the input)
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "album/album_add.h"
#include "album/forms/album_dialogs.h"
#include "album/forms/album_model.h"
#include "album/forms/show_form.h"
#include "platform/scripted_ui.h"

namespace {

namespace fs = std::filesystem;
using namespace pelira;

void BM_AlbumWindowThumbnails(benchmark::State& state) {
  const char* dir = std::getenv("PELIRA_BENCH_THUMBS_DIR");
  if (!dir) {
    state.SkipWithError("set PELIRA_BENCH_THUMBS_DIR");
    return;
  }
  std::vector<fs::path> inputs;
  for (const auto& e : fs::directory_iterator(dir))
    if (e.is_regular_file()) inputs.push_back(e.path());
  std::sort(inputs.begin(), inputs.end());
  const char* n_env = std::getenv("PELIRA_BENCH_ALBUM_SLIDES");
  const std::size_t n = n_env ? std::stoul(n_env) : 20000;
  const char* out = std::getenv("PELIRA_BENCH_THUMBS_OUT");
  const fs::path scratch = (out ? fs::path(out) : fs::path(dir).parent_path()) / ("album_window_" + std::to_string(::getpid()));
  fs::create_directories(scratch / "pics");
  std::vector<std::string> paths;
  for (std::size_t i = 0; i < n && !inputs.empty(); ++i) {
    const fs::path p = scratch / "pics" / ("s" + std::to_string(i) + ".jpg");
    fs::create_hard_link(inputs[i % inputs.size()], p);
    paths.push_back(p.string());
  }
  qputenv("PELIRA_HOME", (scratch / "home").string().c_str());
  double worst = 0;
  for (auto _ : state) {
    fs::remove_all(scratch / "home");
    QtAlbumDialogs dialogs;
    ScriptedUi ui;
    TShowForm form(dialogs, ui);
    AddRequest req;
    req.paths = paths;
    req.mode = AddMode::InOrder;
    AddSlides(form.Store(), req);
    form.Model()->Reset();
    form.show();
    QApplication::processEvents();
    QElapsedTimer clock;
    qint64 last = 0, gap = 0;
    QTimer tick;
    tick.setInterval(0);
    QObject::connect(&tick, &QTimer::timeout, [&] {
      const qint64 now = clock.nsecsElapsed();
      gap = std::max(gap, now - last);
      last = now;
    });
    clock.start();
    tick.start();
    form.Action("mnuIcons")->trigger();
    while (form.ThumbsRunning()) QApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    const qint64 now = clock.nsecsElapsed();
    gap = std::max(gap, now - last);
    worst = std::max(worst, gap / 1e6);
    form.close();
  }
  fs::remove_all(scratch);
  state.counters["worst_frame_ms"] = worst;
  state.counters["slides"] = static_cast<double>(n);
}
BENCHMARK(BM_AlbumWindowThumbnails)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
