// The JPEG tools over many files: the EXIF report of every file of a folder (the head of each
// file read up to its first scan), and stripping the comments of every file of a folder
// (each file read whole, its .bak written and the file replaced atomically).
//
//   PELIRA_BENCH_EXIF_DIR   folder of JPEGs to report on (bench/peers.sh makes 10,000)
//   PELIRA_BENCH_STRIP_DIR  folder of JPEGs with comments; each run strips fresh copies
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <unistd.h>
#include <vector>

#include "jpeg_tools/jpeg_file_edits.h"
#include "jpeg_tools/jpeg_text.h"
#include "platform/scripted_ui.h"

namespace {

namespace fs = std::filesystem;

std::vector<fs::path> FilesOf(const char* env) {
  std::vector<fs::path> files;
  const char* dir = std::getenv(env);
  if (!dir) return files;
  for (const auto& e : fs::directory_iterator(dir))
    if (e.is_regular_file()) files.push_back(e.path());
  return files;
}

void BM_ExifReport(benchmark::State& state) {
  const std::vector<fs::path> files = FilesOf("PELIRA_BENCH_EXIF_DIR");
  if (files.empty()) {
    state.SkipWithError("set PELIRA_BENCH_EXIF_DIR");
    return;
  }
  std::size_t lines = 0;
  for (auto _ : state) {
    for (const fs::path& f : files) {
      pelira::JpegTextReport r;
      pelira::ReadJpegText(f, &r);
      lines += r.exifLines.size() + r.commentLines.size();
    }
  }
  benchmark::DoNotOptimize(lines);
  state.counters["files"] = static_cast<double>(files.size());
}

void BM_StripComments(benchmark::State& state) {
  const std::vector<fs::path> sources = FilesOf("PELIRA_BENCH_STRIP_DIR");
  if (sources.empty()) {
    state.SkipWithError("set PELIRA_BENCH_STRIP_DIR");
    return;
  }
  const fs::path work = fs::path(std::getenv("PELIRA_BENCH_STRIP_DIR")).parent_path() /
                        ("strip_work_" + std::to_string(::getpid()));
  pelira::ScriptedUi ui;
  ui.SetDefaultAnswer(pelira::Button::Yes);
  for (auto _ : state) {
    state.PauseTiming();
    fs::remove_all(work);
    fs::create_directories(work);
    std::vector<fs::path> files;
    for (const fs::path& s : sources) {
      files.push_back(work / s.filename());
      fs::copy_file(s, files.back());
    }
    state.ResumeTiming();
    for (const fs::path& f : files) {
      if (pelira::StripJpegFile(ui, f, pelira::StripMode::CommentsOnly).status != pelira::JpegFileOutcome::Status::Changed)
        state.SkipWithError("a file was not stripped");
    }
  }
  fs::remove_all(work);
  state.counters["files"] = static_cast<double>(sources.size());
}

}  // namespace

BENCHMARK(BM_ExifReport)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_StripComments)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
