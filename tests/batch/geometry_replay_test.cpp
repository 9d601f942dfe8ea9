// The geometry commands record lines that a script replays to the very pixels the menu made.
#include <gtest/gtest.h>

#include "batch/headless_host.h"
#include "batch/script_interpreter.h"
#include "edit/geometry_commands.h"
#include "edit/memory_edit_host.h"
#include "edit/tone_commands.h"
#include "platform/scripted_ui.h"
#include "support/fake_geometry_host.h"
#include "support/test_pictures.h"

namespace pelira {
namespace {
using test::SamePixels;

class Lines : public ScriptRecorder {
public:
  void RecordScriptLine(const std::string& l) override { lines.push_back(l); }
  void AppendLines(const std::vector<std::string>& l) override { lines.insert(lines.end(), l.begin(), l.end()); }
  std::vector<std::string> lines;
};

class Sliders : public FilterRequester {
public:
  FilterAnswer RunFilterDialog(const std::string&, const std::string&, const std::string&,
                               const TFilterDlgParam& r) override {
    FilterAnswer a;
    a.values[0] = r.slider[0].start + 2;
    a.result = a.values[0];
    return a;
  }
};

const test::BoxGlyphs kGlyphs;

void SameTextSetup(EngineState& e) {
  e.textRenderer = &kGlyphs;
  e.today = [] { return std::string("11/12/2026"); };
  e.background = MakeColor(12, 34, 56);
}

struct Menu {
  Menu() : edit(state), edits(state, engine, undo, edit, sliders), filters(state, engine, edits, edit, sliders),
           geometry(state, engine, edits, edit, view) {
    SetCurrentUi(&ui);
    SameTextSetup(engine);
    geometry.SetRecorder(&rec);
    filters.SetRecorder(&rec);
    edits.SetMemoryProbe({[] { return std::uint64_t{1} << 40; }, [](std::uint64_t) { return true; }});
  }
  ~Menu() { SetCurrentUi(nullptr); }
  ScriptedUi ui;
  PictureState state;
  EngineState engine;
  UndoStore undo;
  MemoryEditHost edit;
  Sliders sliders;
  test::FakeGeometryHost view;
  Lines rec;
  ToneCommands edits;
  FilterCommands filters;
  GeometryCommands geometry;
};

Dib Replay(const Dib& start, const std::vector<std::string>& script, const std::string& file) {
  HeadlessScriptHost host;
  host.SetPictureDirect(start, file);
  SameTextSetup(host.Engine());
  ScriptInterpreter run(host, [&] { return script; });
  run.Run();
  return host.Picture();
}

TEST(GeometryReplay, EveryRecordedLineReplaysToTheSamePixels) {
  const Dib start = test::PatternPicture(96, 72, 3);
  using G = GeometryCommand;
  const struct {
    const char* name;
    std::function<void(Menu&)> run;
    std::string line;  // what the menu records
  } cases[] = {
      {"crop", [](Menu& m) {
         m.geometry.SetSelection({10, 7, 40, 30});
         m.geometry.Run(G::Crop);
       }, "CROP=458762,2424882"},
      {"rotate 90", [](Menu& m) { m.geometry.Run(G::Rotate90); }, "ROTATE=90"},
      {"rotate 270", [](Menu& m) { m.geometry.Run(G::Rotate270); }, "ROTATE=270"},
      {"rotate normal", [](Menu& m) {
         m.view.slider = 33;
         m.geometry.Run(G::RotateNormal);
       }, "ROTATE=33"},
      {"rotate fine", [](Menu& m) {
         m.view.slider = 4500;
         m.geometry.Run(G::RotateFine);
       }, "ROTATE=45"},
      {"border", [](Menu& m) {
         m.view.border = BorderAnswer{6, 4, 0x3020F0};
         m.geometry.Run(G::Border);
       }, "BORDER=3154160,6,4"},
      {"text mark", [](Menu& m) {
         m.view.text = "@@c @@F %s";
         m.state.CurrentFile = "/photos/beach.jpg";
         m.geometry.Run(G::TextMarkBottomRight);
       }, "TEXTMARK_BOTTOMRIGHT=@@c @@F %s"},
      {"interpolate", [](Menu& m) {
         m.view.size = SizeAnswer{50, 72, 0};
         m.geometry.Run(G::ResizeInterpolate);
       }, "RESIZE=50,72"},
      {"auto resize", [](Menu& m) {
         m.view.client = {48, 100};
         m.geometry.Run(G::AutoResize);
       }, "RESAMPLE=48,36"},
      {"posterize", [](Menu& m) { m.filters.Run(FilterCommand::Posterize); }, "POSTERIZE=5"},
  };
  for (const auto& c : cases) {
    Menu m;
    m.edit.picture = start;
    SyncImageState(m.state, start);
    c.run(m);
    ASSERT_EQ(m.rec.lines, std::vector<std::string>{c.line}) << c.name;
    EXPECT_FALSE(SamePixels(m.edit.picture, start)) << c.name;
    EXPECT_TRUE(SamePixels(Replay(start, m.rec.lines, "/photos/beach.jpg"), m.edit.picture)) << c.name;
  }
}

// Commands that change the picture but record nothing, and lines a replay must skip.
TEST(GeometryReplay, UnrecordedCommandsAndSkippedLines) {
  const Dib start = test::PatternPicture(64, 48, 1);
  using G = GeometryCommand;
  for (G c : {G::MirrorVertical, G::MirrorHorizontal, G::Trim}) {
    Menu m;
    m.edit.picture = start;
    SyncImageState(m.state, start);
    m.geometry.Run(c);
    EXPECT_TRUE(m.rec.lines.empty()) << static_cast<int>(c);
  }
  // Copy › Selection leaves the picture and records nothing.
  Menu copy;
  copy.edit.picture = start;
  copy.geometry.SetSelection({1, 2, 10, 5});
  EXPECT_EQ(copy.geometry.Run(G::CopySelection), GeometryOutcome::Done);
  EXPECT_TRUE(copy.rec.lines.empty());
  ASSERT_TRUE(copy.view.clipboard.has_value());
  EXPECT_EQ(copy.view.clipboard->Width(), 10);
  EXPECT_TRUE(SamePixels(copy.edit.picture, start));
  // A text mark whose file token has no file draws nothing; the same on replay.
  EXPECT_TRUE(SamePixels(Replay(start, {"TEXTMARK_TOPLEFT=@@F"}, ""), start));
  for (const char* line : {"ROTATE=0", "ROTATE=360", "BORDER=16777216,2,2", "BORDER=0,0,2", "BORDER=0,2,240", "POSTERIZE=1", "POSTERIZE=8"})
    EXPECT_TRUE(SamePixels(Replay(start, {line}, ""), start)) << line;
}

}  // namespace
}  // namespace pelira
