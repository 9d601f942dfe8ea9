// Album files at 100,000 slides (and a million for the fast load): AVC save, the fast load
// from side files, AVL text encoding, the AVL slow load with file existence faked, and adding
// 20,000 real files. Targets: save <= 150 ms, fast load <= 100 ms (1 s at a million), AVL
// encode <= 100 ms, parse <= 200 ms, add 20,000 <= 300 ms. Files live in a temporary folder
// (tmpfs when /dev/shm exists), warm after the first run.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <map>

#include "album/album_add.h"
#include "album/album_commands.h"
#include "album/album_files.h"
#include "platform/scripted_ui.h"
#include "platform/volume_source.h"

namespace {

namespace fs = std::filesystem;
using namespace pelira;

fs::path BenchDir() {
  const fs::path base = fs::exists("/dev/shm") ? fs::path("/dev/shm") : fs::temp_directory_path();
  // Never destroyed: the clean-up at exit still needs it.
  static const fs::path* dir = new fs::path(base / ("pelira-bench-album-" + std::to_string(getpid())));
  fs::create_directories(*dir / "data");
  return *dir;
}

class StillVolumes : public VolumeSource {
 public:
  std::optional<VolumeInfo> Lookup(const fs::path&) override { return VolumeInfo{"BENCH", "0A0B0C0D", 0}; }
};

// An album of n slides in 500 folders, with comments and properties on every tenth slide.
AlbumStore& Album(std::size_t n) {
  static std::map<std::size_t, AlbumStore> albums;
  auto it = albums.find(n);
  if (it != albums.end()) return it->second;
  AlbumStore& s = albums[n];
  AddRequest req;
  req.mode = AddMode::InOrder;
  req.paths.reserve(n);
  for (std::size_t i = 0; i < n; ++i)
    req.paths.push_back("/bench/photos/folder" + std::to_string(i % 500) + "/IMG_" + std::to_string(i) + ".JPG");
  AddSlides(s, req);
  for (std::size_t i = 0; i < n; i += 10) s.SetSelected(i, true);
  ApplyProperty(s, SlideProperty::Comment, {0, 0, "holiday, beach [day 2]"});
  ApplyProperty(s, SlideProperty::Background, {0x336699});
  ApplyProperty(s, SlideProperty::Wait, {5});
  s.ClearSelection();
  return s;
}

AlbumSaveOptions SaveOpts() {
  AlbumSaveOptions o;
  o.screenWidth = 1920;
  o.screenHeight = 1080;
  o.dataDir = BenchDir() / "data";
  return o;
}

AlbumLoadOptions LoadOpts(ScriptedUi& ui) {
  AlbumLoadOptions o;
  o.ui = &ui;
  o.dataDir = BenchDir() / "data";
  o.stat = [](const std::string& p) {
    FileFacts f;
    f.exists = true;
    f.size = p.size() * 1000;
    return f;
  };
  return o;
}

void BM_AvcSave(benchmark::State& state) {
  AlbumStore& s = Album(static_cast<std::size_t>(state.range(0)));
  const std::string path = (BenchDir() / "save.avc").string();
  for (auto _ : state) {
    if (!SaveAlbum(s, path, SaveOpts()).ok) state.SkipWithError("save failed");
  }
}
BENCHMARK(BM_AvcSave)->Arg(100000)->Unit(benchmark::kMillisecond);

void BM_FastLoad(benchmark::State& state) {
  const auto n = static_cast<std::size_t>(state.range(0));
  const std::string path = (BenchDir() / ("fast" + std::to_string(n) + ".avc")).string();
  SaveAlbum(Album(n), path, SaveOpts());
  ScriptedUi ui;
  for (auto _ : state) {
    AlbumStore s;
    const auto r = LoadAlbum(s, path, LoadOpts(ui));
    if (!r.ok || s.Count() != n) state.SkipWithError("load failed");
    benchmark::DoNotOptimize(s.Count());
  }
}
BENCHMARK(BM_FastLoad)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);

void BM_AvlEncode(benchmark::State& state) {
  AlbumStore& s = Album(static_cast<std::size_t>(state.range(0)));
  AvlTextOptions o;
  for (auto _ : state) benchmark::DoNotOptimize(AlbumText(s, o).size());
}
BENCHMARK(BM_AvlEncode)->Arg(100000)->Unit(benchmark::kMillisecond);

void BM_AvlParse(benchmark::State& state) {
  const auto n = static_cast<std::size_t>(state.range(0));
  const std::string text = AlbumText(Album(n), AvlTextOptions{});
  ScriptedUi ui;
  for (auto _ : state) {
    AlbumStore s;
    if (!DecodeAvl(s, text, LoadOpts(ui)).ok || s.Count() != n) state.SkipWithError("parse failed");
  }
}
BENCHMARK(BM_AvlParse)->Arg(100000)->Unit(benchmark::kMillisecond);

void BM_AddFiles(benchmark::State& state) {
  const auto n = static_cast<std::size_t>(state.range(0));
  const fs::path dir = BenchDir() / "files";
  std::vector<std::string> paths;
  for (std::size_t i = 0; i < n; ++i) {
    const fs::path p = dir / ("d" + std::to_string(i % 40)) / ("photo_" + std::to_string(i) + ".jpg");
    if (!fs::exists(p)) {
      fs::create_directories(p.parent_path());
      std::ofstream(p) << "x";
    }
    paths.push_back(p.string());
  }
  StillVolumes volumes;
  for (auto _ : state) {
    AlbumStore s;
    AddRequest req;
    req.paths = paths;
    req.volumes = &volumes;
    if (AddSlides(s, req).added != n) state.SkipWithError("add failed");
  }
}
BENCHMARK(BM_AddFiles)->Arg(20000)->Unit(benchmark::kMillisecond);

struct Cleanup {
  ~Cleanup() {
    std::error_code ec;
    fs::remove_all(BenchDir(), ec);
  }
} cleanup;

}  // namespace
