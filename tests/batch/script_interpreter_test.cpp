#include <gtest/gtest.h>

#include <deque>
#include <filesystem>

#include "batch/headless_host.h"
#include "batch/script_interpreter.h"
#include "imaging_library/imgman.h"
#include "common/request_flags.h"
#include "image/codec_registry.h"
#include "platform/scripted_ui.h"
#include "support/test_support.h"
#include "edit/memory_edit_host.h"
#include "viewer/open_flow.h"
#include "edit/filter_commands.h"
#include "engine/hls.h"
#include "support/test_pictures.h"

namespace pelira {
namespace {
using namespace test;

Dib Colourful(int w, int h, int seed = 0) {
  Dib d(w, h, 24);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      d.SetPixel(x, y, MakeColor((x * 7 + y * 3 + seed) % 200 + 20, (x * 3 + 40 + seed * 5) % 230,
                                 (y * 11 + x) % 180 + 40));
  return d;
}

// Moves each slider a fifth of its way up from its start, so every recorded value differs
// from the dialog's defaults.
class Sliders : public FilterRequester {
public:
  FilterAnswer RunFilterDialog(const std::string&, const std::string&, const std::string&,
                               const TFilterDlgParam& r) override {
    FilterAnswer a;
    for (int i = 0; i < 3; ++i) {
      const SliderSpec s = EffectiveSlider(r, i);
      a.values[i] = std::clamp(s.start + (s.max - s.min) / 5, s.min, s.max);
    }
    a.result = a.values[0];
    return a;
  }
};

class Lines : public ScriptRecorder {
public:
  void RecordScriptLine(const std::string& l) override { lines.push_back(l); }
  void AppendLines(const std::vector<std::string>& l) override { lines.insert(lines.end(), l.begin(), l.end()); }
  std::vector<std::string> lines;
};

class NoEdit : public MemoryEditHost {
public:
  using MemoryEditHost::MemoryEditHost;
  void PictureChanged() override { SyncImageState(state, picture); }
};

// The viewer's side: the menu command with its dialog, recording into a list.
struct Menu {
  Menu() : edit(state), edits(state, engine, undo, edit, sliders), filters(state, engine, edits, edit, sliders) {
    SetCurrentUi(&ui);
    edits.SetRecorder(&rec);
    filters.SetRecorder(&rec);
    edits.SetMemoryProbe({[] { return std::uint64_t{1} << 40; }, [](std::uint64_t) { return true; }});
  }
  ~Menu() { SetCurrentUi(nullptr); }
  ScriptedUi ui;
  ViewState state;
  EngineState engine;
  UndoStore undo;
  NoEdit edit;
  Sliders sliders;
  Lines rec;
  ToneCommands edits;
  FilterCommands filters;
};

Dib Replay(const Dib& start, const std::vector<std::string>& script, const std::vector<std::string>& before = {}) {
  HeadlessScriptHost host;
  host.SetPictureDirect(start, "");
  std::vector<std::string> all = before;
  all.insert(all.end(), script.begin(), script.end());
  ScriptInterpreter run(host, [&] { return all; });
  run.Run();
  return host.Picture();
}

// Every recordable command: the line it records replays to the very pixels the menu
// made, also after lines that left other values in the registers.
TEST(ScriptReplay, EveryRecordedLineReplaysToTheSamePixels) {
  const Dib start = Colourful(48, 40);
  auto check = [&](const std::string& name, const std::function<void(Menu&)>& command) {
    Menu m;
    m.edit.picture = start;
    SyncImageState(m.state, start);
    command(m);
    ASSERT_EQ(m.rec.lines.size(), 1u) << name;
    const std::string line = m.rec.lines[0];
    EXPECT_TRUE(SamePixels(Replay(start, {line}), m.edit.picture)) << name << " " << line;
    // A line earlier in the script leaves 2, 3, 4 in the registers (and changes no pixel).
    EXPECT_TRUE(SamePixels(Replay(start, {line}, {"NOMODIFYFLAG=2,3,4"}), m.edit.picture)) << name << " after other values " << line;
  };
  // The colour selections work around a colour base picked from the picture.
  const ColorValue base = start.Pixel(10, 10);
  const Hls centre = RGBToHLS(RedOf(base), GreenOf(base), BlueOf(base));
  using E = EditCommand;
  for (EditCommand c : AllEditCommands()) {
    // Red Eye records nothing; the masks need a duplicate (below).
    if (c == E::RedEye || c == E::MaskBackcolors || c == E::MaskForecolors) continue;
    check(EditCommandName(c), [c, centre](Menu& m) {
      m.engine.SelectionCentre[0] = centre.h;
      m.engine.SelectionCentre[1] = centre.l;
      m.engine.SelectionCentre[2] = centre.s;
      m.edits.Run(c);
    });
  }
  // The mask by colour blends with the duplicate; the script makes the same one first
  // (the negative, with the picture back as it was).
  for (EditCommand c : {E::MaskBackcolors, E::MaskForecolors}) {
    Menu m;
    m.edit.picture = start;
    SyncImageState(m.state, start);
    m.engine.duplicate = Replay(start, {"NEGATIVE"});
    m.engine.SelectionCentre[0] = centre.h;
    m.engine.SelectionCentre[1] = centre.l;
    m.engine.SelectionCentre[2] = centre.s;
    m.edits.Run(c);
    ASSERT_EQ(m.rec.lines.size(), 1u) << EditCommandName(c);
    EXPECT_FALSE(SamePixels(m.edit.picture, start)) << m.rec.lines[0];
    EXPECT_TRUE(SamePixels(Replay(start, {"NEGATIVE", "DUPLICATE", "NEGATIVE", m.rec.lines[0]}), m.edit.picture))
        << m.rec.lines[0];
  }
  for (DepthCommand d : {DepthCommand::TrueGrayscale, DepthCommand::Reduce16Poster, DepthCommand::Reduce256Poster})
    check("depth", [d](Menu& m) { m.edits.RunDepth(d); });
  check("resample", [](Menu& m) { m.filters.ResampleCommand(70, 33); });
}

// The filter commands too: their lines (DePixelate's two among them) replay to the pixels
// the menu made.
TEST(ScriptReplay, FilterCommandsReplayToTheSamePixels) {
  ImgInit();
  const Dib start = Colourful(48, 40);
  using F = FilterCommand;
  for (F c : {F::Gaussian, F::DeFocus, F::Soften, F::Outlier, F::Despeckle, F::UnSpot, F::Clean, F::DeLace,
              F::Enrich, F::MeanRemoval, F::HighPassMedium, F::HighPassLight, F::UnsharpMask, F::DescreenLight,
              F::DescreenMedium, F::DescreenStrong, F::DescreenHigh, F::DeFog, F::DePixelate, F::Mosaic}) {
    Menu m;
    FilterCommands filters(m.state, m.engine, m.edits, m.edit, m.sliders);
    filters.SetRecorder(&m.rec);
    m.edit.picture = start;
    SyncImageState(m.state, start);
    ASSERT_EQ(filters.Run(c), FilterOutcome::Done) << static_cast<int>(c);
    ASSERT_FALSE(m.rec.lines.empty()) << static_cast<int>(c);
    EXPECT_FALSE(SamePixels(m.edit.picture, start)) << m.rec.lines[0];
    EXPECT_TRUE(SamePixels(Replay(start, m.rec.lines), m.edit.picture)) << m.rec.lines[0];
    EXPECT_TRUE(SamePixels(Replay(start, m.rec.lines, {"NOMODIFYFLAG=2,3,4"}), m.edit.picture)) << m.rec.lines[0];
  }
  // Out of range: the line does nothing.
  for (const char* line : {"GAUSSIAN=0", "SOFTEN=11", "DESPECKLE=10", "MOSAIC=1", "UNSHARPMASK=256,3", "RESAMPLE=0,20"})
    EXPECT_TRUE(SamePixels(Replay(start, {line}), start)) << line;
}

TEST(ScriptReplay, CommandsRecordNothingInsideARun) {
  Menu m;
  m.edit.picture = Colourful(16, 16);
  {
    OperationScope busy;
    m.edits.Run(EditCommand::Negative);
  }
  EXPECT_TRUE(m.rec.lines.empty());
  m.edits.Run(EditCommand::Negative);
  EXPECT_EQ(m.rec.lines, std::vector<std::string>{"NEGATIVE"});
}

TEST(ScriptRun, RangesAndRegistersDecideWhatRuns) {
  const Dib start = Colourful(32, 24);
  const struct {
    std::vector<std::string> script;
    std::vector<std::string> same;  // what it must equal
  } cases[] = {
      {{"GAMMA=0,100,100"}, {}},                     // out of range: skipped
      {{"GAMMA=120,130,140 "}, {}},                  // trailing blank
      {{"gamma = 120,130,140"}, {"GAMMA=120,130,140"}},
      {{"BRIGHTNESS=10"}, {"BRIGHTNESS=10,0,0"}},
      {{"GAMMA=120,130,140", "ZERO"}, {"GAMMA=120,130,140", "ZERO=1,1,1"}},
      {{"GAMMA=200,200,2", "AUTO_FLASH"}, {"GAMMA=200,200,2", "AUTO_FLASH=2"}},
      {{">CONFORM_RED=100,50"}, {}},
      {{"//NEGATIVE"}, {}},
      {{"NEGATIVE", "CROP=-1,5"}, {"NEGATIVE"}},
      {{"CROP=65536,655360"}, {}},                   // bottom 10, right 0: empty
      {{"CROP=2,1572904"}, {}},                      // right 40 lies past the width of 32
  };
  for (const auto& c : cases) {
    const Dib got = Replay(start, c.script);
    const Dib want = c.same.empty() ? start : Replay(start, c.same);
    EXPECT_TRUE(SamePixels(got, want)) << c.script.front();
  }
  // A crop inside the picture cuts exactly that rectangle.
  const Dib cut = Replay(start, {"CROP=" + std::to_string(3 * 65536 + 2) + "," + std::to_string(20 * 65536 + 30)});
  ASSERT_EQ(cut.Width(), 28);
  ASSERT_EQ(cut.Height(), 17);
  EXPECT_EQ(cut.Pixel(0, 0), start.Pixel(2, 3));
  EXPECT_EQ(cut.Pixel(27, 16), start.Pixel(29, 19));
  // The replayed MAP_RED follows the recorded offset from the picture's own statistics.
  EXPECT_FALSE(SamePixels(Replay(start, {"MAP_RED=10,5"}), start));
}

TEST(ScriptRun, PromptsTraceAndLoop) {
  const Dib start = Colourful(8, 8);
  {
    HeadlessScriptHost host;
    host.SetPictureDirect(start, "/pics/holiday.jpg");
    std::deque<bool> answers = {false, true};
    host.SetAnswers([&](const std::string&) {
      const bool a = answers.front();
      answers.pop_front();
      return a;
    });
    int passes = 0;
    ScriptInterpreter run(host, [&] {
      ++passes;
      return std::vector<std::string>{"LOOP", "PROMPT", "NEGATIVE"};
    });
    EXPECT_FALSE(run.Run());  // the second pass's Yes ends it, LOOP or not
    EXPECT_EQ(passes, 2);
    EXPECT_TRUE(SamePixels(host.Picture(), Replay(start, {"NEGATIVE"})));
    EXPECT_EQ(host.Questions(), (std::vector<std::string>{"\nAbort batch processing?", "\nAbort batch processing?"}));
  }
  {
    HeadlessScriptHost host;
    host.SetPictureDirect(start, "/pics/holiday.jpg");
    ScriptInterpreter run(host, [] {
      return std::vector<std::string>{"PROMPT_NOT_FILESTRING=HOLI", "PROMPT_HAS_FILESTRING=day", "TRACE", "NEGATIVE",
                                      "UNKNOWN", "PROMPTSTRING=Go on?"};
    });
    EXPECT_TRUE(run.Run());
    EXPECT_EQ(host.Questions(),
              (std::vector<std::string>{"holiday.jpg contains \"day\"\nAbort?", "NEGATIVE\n\nAbort batch processing?",
                                        "PROMPTSTRING\n\nAbort batch processing?", "Go on?\nAbort batch processing?"}));
  }
  {
    // The command line allows no second pass.
    HeadlessScriptHost host;
    host.SetPictureDirect(start, "");
    host.SetLoopAllowed(false);
    int passes = 0;
    ScriptInterpreter run(host, [&] {
      ++passes;
      return std::vector<std::string>{"LOOP", "NEGATIVE"};
    });
    EXPECT_TRUE(run.Run());
    EXPECT_EQ(passes, 1);
  }
}

// Three bookmarked files: NEXT walks them, SAVE hands over each picture with its suffix.
TEST(ScriptRun, WalksBookmarksAndSavesEach) {
  TempDir dir;
  std::vector<std::string> files;
  std::vector<Dib> pictures;
  for (int i = 0; i < 3; ++i) {
    pictures.push_back(Colourful(20 + i, 10, i * 40));
    const auto path = dir.path() / ("p" + std::to_string(i) + ".png");
    const auto bytes = SaveWriterFor(3)(pictures.back(), SaveOptions{});
    WriteBytes(path, bytes);
    files.push_back(path.string());
  }
  HeadlessScriptHost host;
  ASSERT_TRUE(host.OpenBookmarks(files));
  std::vector<std::pair<std::string, Dib>> saved;
  host.SetSave([&](const Dib& p, const std::string& suffix) { saved.emplace_back(host.CurrentFileName() + suffix, p); });
  ScriptInterpreter run(host, [] {
    return std::vector<std::string>{"NEGATIVE", "SAVE=_neg", "NEXT", "NEGATIVE", "save", "NEXT", "NEGATIVE", "SAVE",
                                    "NEXT", "SAVE=../up", "SAVE=a/b"};
  });
  run.Run();
  ASSERT_EQ(saved.size(), 3u);  // the last NEXT stays on the last file; separators are refused
  EXPECT_EQ(saved[0].first, files[0] + "_neg");
  EXPECT_EQ(saved[1].first, files[1]);
  EXPECT_EQ(saved[2].first, files[2]);
  for (int i = 0; i < 3; ++i) EXPECT_TRUE(SamePixels(saved[i].second, Replay(pictures[i], {"NEGATIVE"}))) << i;
}

TEST(ScriptRun, SaveKeepsAReducedDepth) {
  HeadlessScriptHost host;
  host.SetPictureDirect(Colourful(16, 16), "");
  int bits = 0;
  host.SetSave([&](const Dib& p, const std::string&) { bits = p.BitCount(); });
  ScriptInterpreter run(host, [] { return std::vector<std::string>{"QUANTIZE16", "SAVE"}; });
  run.Run();
  EXPECT_EQ(bits, 4);
}

TEST(ScriptRun, DeleteAsksOnceAndUsesTheTrash) {
  TempDir dir;
  const auto a = dir.path() / "a.png", b = dir.path() / "b.png";
  WriteBytes(a, SaveWriterFor(3)(Colourful(4, 4), SaveOptions{}));
  WriteBytes(b, SaveWriterFor(3)(Colourful(4, 4), SaveOptions{}));
  for (bool yes : {false, true}) {
    HeadlessScriptHost host;
    ASSERT_TRUE(host.OpenBookmarks({a.string(), b.string()}));
    std::vector<std::string> trashed;
    host.SetDeletePolicy([&](const std::string&) { return yes; });
    host.SetTrash([&](const std::string& p) {
      trashed.push_back(p);
      return true;
    });
    ScriptInterpreter run(host, [] { return std::vector<std::string>{"DELETE", "NEXT", "DELETE"}; });
    run.Run();
    EXPECT_EQ(host.Questions().size(), 1u);
    const std::vector<std::string> want = yes ? std::vector<std::string>{a.string(), b.string()} : std::vector<std::string>{};
    EXPECT_EQ(trashed, want);
  }
}

TEST(ScriptRun, HostileLinesDoNoHarm) {
  const Dib start = Colourful(12, 10);
  const std::vector<std::string> script = {
      "GAMMA=99999999999,1,1", "BRIGHTNESS=2147483647,-2147483648,0", "WHITEBALANCE=2147483647,-2147483648,5",
      "MAP_RED=2147483647,2147483647", "MAP_EQ=-2147483648,2147483647", "LIMIT_ALL=-5,999,70000",
      "CONFORM_GAMMA_RGB=0,99999,-3", "CROP=2147483647,2147483647", "CROP=-2147483648,-1", "AVERAGE=50",
      "SWAP", "COPYFROMBACKUP", "TEXTMARK_TOPLEFT=" + std::string(100000, 'x'), "PROMPTSTRING",
      "HLS=-2147483648,999,-999", "MASK_HLS=-1,-1,-1", "AIRBRUSH=2147483647,0,118033408", "REPLACE_HLS=3600,0,0",
      "REPLACE_RGBINV=-5,999,70000", "NATURALIZE_CCD=-1,300", "NATURALIZE_RGB=255,255", "RGBMAX",
      "INTERLACE=2147483647,-1", "MASK_SHADOWS=-1,2147483647", "MASK_EDGES=2147483647,-2147483648", "ARTIFACT=0",
      "ARTIFACT=2147483647", "DUPLICATE", "MASK_CONTRAST=500,99", "MASK_MIDTONES=1,0", "MASK_EDGES=255,255",
      "ARTIFACT=255", "MULTIPLY", "SUBTRACT", "MASK_GRAYSCALE", "INTERLACE=255,1", "AVERAGE=255",
      "SWAP", "COPYFROMBACKUP", "TEXTMARK_TOPLEFT=" + std::string(100000, 'x'), "TEXTMARK_TOPLEFT=%s%n\nDELETE",
      "ROTATE=0", "ROTATE=360", "ROTATE=-2147483648", "BORDER=-1,5,5", "BORDER=255,0,999", "BORDER_TOPBOT=16777216,1,1",
      "POSTERIZE=99", "POSTERIZE=-7", "PROMPTSTRING",
      "LOADFILE=/dev/zero", "LOADFILE=/nonexistent", "SAVE=/etc/passwd", std::string("GAM\0MA=1", 8),
      std::string(1 << 16, '=')};
  HeadlessScriptHost host;
  host.SetPictureDirect(start, "");
  int saves = 0;
  host.SetSave([&](const Dib&, const std::string&) { ++saves; });
  ScriptInterpreter run(host, [&] { return script; });
  run.Run();
  EXPECT_EQ(saves, 0);
  EXPECT_EQ(host.Picture().Width(), 12);
  EXPECT_EQ(host.Picture().Height(), 10);
  EXPECT_TRUE(host.Missing().empty());
}

}  // namespace
}  // namespace pelira
