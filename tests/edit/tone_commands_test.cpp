#include <gtest/gtest.h>

#include <deque>
#include <map>

#include "common/request_flags.h"
#include "engine/color_filters.h"
#include "engine/tone_tables.h"
#include "platform/scripted_ui.h"
#include "edit/memory_edit_host.h"
#include "viewer/open_flow.h"
#include "edit/tone_commands.h"
#include "support/test_pictures.h"

namespace pelira {
namespace {
using test::SamePixels;

class FakeHost : public MemoryEditHost {
public:
  using MemoryEditHost::MemoryEditHost;
  void ShowBusy(const std::string& text) override { busy.push_back(text); }
  void StatusReady() override { ++ready; }
  void SetStatusWord(const std::string& w) override { word = w; }
  void Refresh() override { ++refreshes; }
  void EnableUndo(bool on) override { undoEnabled = on; }
  void ShowHistogram(const std::string& title, const Histograms& h) override {
    histogramTitle = title;
    histogramPeak = h.peak;
  }

  std::vector<std::string> busy;
  int ready = 0, refreshes = 0;
  std::string word, histogramTitle;
  bool undoEnabled = false;
  std::int32_t histogramPeak = 0;
};

// Answers every request with the values queued, else moves each slider off its start.
class FakeRequester : public FilterRequester {
public:
  FilterAnswer RunFilterDialog(const std::string& title, const std::string& lo, const std::string& hi,
                               const TFilterDlgParam& r) override {
    titles.push_back(title);
    labels.push_back(lo + "|" + hi);
    requests.push_back(r);
    if (cancel) return {};
    FilterAnswer a;
    for (int i = 0; i < 3; ++i) {
      const SliderSpec s = EffectiveSlider(r, i);
      a.values[i] = std::clamp(s.start + (s.max - s.min) / 5, s.min, s.max);
    }
    if (!queued.empty()) {
      a.values = queued.front();
      queued.pop_front();
    }
    a.result = a.values[0];
    return a;
  }
  bool cancel = false;
  std::deque<std::array<int, 3>> queued;
  std::vector<std::string> titles, labels;
  std::vector<TFilterDlgParam> requests;
};

class Lines : public ScriptRecorder {
public:
  void RecordScriptLine(const std::string& l) override { lines.push_back(l); }
  void AppendLines(const std::vector<std::string>& l) override { appended = l; }
  std::vector<std::string> lines, appended;
};

Dib Colourful(int w, int h) {
  Dib d(w, h, 24);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      d.SetPixel(x, y, MakeColor((x * 7 + y * 3) % 200 + 20, (x * 3 + 40) % 230, (y * 11 + x) % 180 + 40));
  return d;
}

struct Rig {
  Rig() : host(state), edits(state, engine, undo, host, ask) {
    SetCurrentUi(&ui);
    edits.SetRecorder(&rec);
    edits.SetMemoryProbe({[] { return std::uint64_t{1} << 40; }, [](std::uint64_t) { return true; }});
    Load(Colourful(64, 48));
  }
  ~Rig() { SetCurrentUi(nullptr); }
  void Load(Dib d) {
    host.picture = std::move(d);
    SyncImageState(state, host.picture);
    state.ImageLoaded = true;
    state.ImageModified = false;
  }
  ScriptedUi ui;
  PictureState state;
  EngineState engine;
  UndoStore undo;
  FakeHost host;
  FakeRequester ask;
  Lines rec;
  ToneCommands edits;
};

// What some commands need besides the picture: the mask by colour a duplicate of the
// picture's size, Red Eye a mask rectangle (here the whole picture).
void GiveOperands(Rig& rig) {
  Dib dup = Colourful(rig.host.picture.Width(), rig.host.picture.Height());
  Negative(dup);
  rig.engine.duplicate = dup;
  rig.state.LastRegion = {0, 0, rig.host.picture.Width(), rig.host.picture.Height()};
}
bool NeedsTrueColor(EditCommand c) { return c == EditCommand::MaskBackcolors || c == EditCommand::MaskForecolors; }

// Every command: it changes the picture (or at least runs), takes an undo copy, and Undo
// brings back the very pixels, palette and depth it started from.
TEST(ToneCommands, EveryCommandUndoesToIdenticalPixels) {
  for (EditCommand c : AllEditCommands()) {
    for (int bits : {24, 8}) {
      Rig rig;
      Dib start = Colourful(64, 48);
      if (bits == 8) {
        Dib pal(64, 48, 8);
        for (int y = 0; y < 48; ++y)
          for (int x = 0; x < 64; ++x) pal.SetIndex(x, y, (x * 5 + y) % 256);
        start = pal;
      }
      rig.Load(start);
      GiveOperands(rig);
      if (bits == 8 && NeedsTrueColor(c)) continue;  // refused with a warning
      rig.edits.Run(c);
      ASSERT_TRUE(rig.edits.UndoAvailable()) << EditCommandName(c);
      EXPECT_TRUE(rig.host.undoEnabled) << EditCommandName(c);
      EXPECT_TRUE(rig.state.ImageModified) << EditCommandName(c);
      EXPECT_EQ(rig.host.picture.BitCount(), 24) << EditCommandName(c) << " works in true colour";
      ASSERT_TRUE(rig.edits.Undo()) << EditCommandName(c);
      EXPECT_TRUE(SamePixels(rig.host.picture, start)) << EditCommandName(c) << " at " << bits << " bits";
      EXPECT_EQ(rig.state.ImageBits, bits) << EditCommandName(c);
      EXPECT_FALSE(rig.edits.UndoAvailable());
      EXPECT_FALSE(rig.host.undoEnabled);
      EXPECT_TRUE(rig.state.ImageModified) << "an undone picture still counts as modified";
    }
  }
}

// Cancel in any dialog leaves the picture as it was, depth and modified flag included.
TEST(ToneCommands, CancelRestoresPictureAndModifiedFlag) {
  for (EditCommand c : AllEditCommands()) {
    Rig rig;
    Dib pal(20, 10, 4);
    for (int x = 0; x < 20; ++x) pal.SetIndex(x, 3, x % 16);
    rig.Load(pal);
    GiveOperands(rig);
    rig.ask.cancel = true;
    rig.edits.Run(c);
    if (rig.ask.titles.empty()) continue;  // no dialog
    EXPECT_TRUE(SamePixels(rig.host.picture, pal)) << EditCommandName(c);
    EXPECT_FALSE(rig.state.ImageModified) << EditCommandName(c);
    EXPECT_TRUE(rig.rec.lines.empty()) << EditCommandName(c);
  }
}

TEST(ToneCommands, DialogRequestsAndRecordedLines) {
  struct Case {
    EditCommand c;
    std::array<int, 3> answer;
    const char* title;
    const char* labels;
    int kind;
    const char* line;
  };
  const Case cases[] = {
      {EditCommand::GammaGlobal, {150, 0, 0}, "Adjust Gamma (1/100)", "1 (dark)|500 (bright)", 101, "GAMMA=150,150,150"},
      {EditCommand::GammaSuppress, {90, 80, 70}, "Suppress Gamma (1/100)", "1 (bright)|500 (dark)", 102, "GAMMA_SUPRESS=90,80,70"},
      {EditCommand::GammaSaturation, {130, 0, 0}, "Saturation  Gamma (1/100)", "1 (less)|500 (more)", 103, "GAMMA_SATURATION=130"},
      {EditCommand::BrightnessRGB, {10, -20, 30}, "Adjust Brightness", "-127 (less)|+127 (more)", 110, "BRIGHTNESS=10,-20,30"},
      {EditCommand::BrightnessShift, {5, 5, 5}, "Adjust Brightness (by Shifting)", "-127 (less)|+127 (more)", 112, "SHIFT=5,5,5"},
      // Sliders moved off the measured levels: the line is the shift that was applied.
      {EditCommand::BrightnessZero, {-3, -3, -3}, "Adjust Brightness (by Shifting)", "-127 (less)|+127 (more)", 113, "SHIFT=-3,-3,-3"},
      {EditCommand::ContrastGlobal, {40, 0, 0}, "Adjust Contrast", "-127 (less)|+127 (more)", 121, "CONTRAST=40,40,40"},
      {EditCommand::EnhanceGlobal, {10, 240, 0}, "Enhance Shadows/Highlights (Global)", "0 (less)|255 (more)", 130, "ENHANCE=10,240"},
      {EditCommand::ContrastSuppress, {10, 240, 0}, "Supress Shadows/Highlights", "0 (less)|255 (more)", 134, "SUPRESS=10,240"},
      {EditCommand::EnhanceHighlights, {200, 210, 220}, "Enhance Highlights (RGB)", "0 (more)|255 (less)", 132, "HIGHLIGHTS=200,210,220"},
      {EditCommand::LimitRed, {50, 128, 255}, "Limit Intensities (Red)", "|", 401, "LIMIT_RED=50,128,255"},
      {EditCommand::ParametricEqBlue, {127, 63, 20}, "Parametric Equalizer [Blue channel]", "|", 143, "PARAMETRIC_EQ_BLU=127,63,20"},
      {EditCommand::TuneRGB, {130, 60, 0}, "Tune RGB color map", "|", 416, "MAP_RGB=2,-4"},
      {EditCommand::MapEqualize, {100, 50, 0}, "Normalize Map (Equalize)", "|", 410, "MAP_EQ=100,50"},
  };
  for (const Case& c : cases) {
    Rig rig;
    rig.ask.queued.push_back(c.answer);
    rig.edits.Run(c.c);
    ASSERT_EQ(rig.ask.titles.size(), 1u) << c.title;
    EXPECT_EQ(rig.ask.titles[0], c.title);
    EXPECT_EQ(rig.ask.labels[0], c.labels) << c.title;
    EXPECT_EQ(rig.ask.requests[0].kind, c.kind) << c.title;
    ASSERT_EQ(rig.rec.lines.size(), 1u) << c.title;
    EXPECT_EQ(rig.rec.lines[0], c.line);
  }
}

TEST(ToneCommands, CommandsWithoutDialogRecordTheirWord) {
  const std::pair<EditCommand, const char*> cases[] = {
      {EditCommand::Negative, "NEGATIVE"},        {EditCommand::UnWash, "UNWASH"},
      {EditCommand::UnCook, "UNCOOK"},            {EditCommand::Attenuate, "ATTENUATE"},
      {EditCommand::AutoContrast, "AUTO_CONTRAST"}, {EditCommand::AutoBalance, "AUTO_BALANCE"},
      // The mode words record their menu mode, so a replay cannot take an earlier line's.
      {EditCommand::AutoGamma, "AUTO_GAMMA=0"},   {EditCommand::AutoFlash, "AUTO_FLASH=0"},
      {EditCommand::AutoWhite, "AUTO_WHITE=0"},   {EditCommand::Reference, "REFERENCE=0"},
      {EditCommand::Normalize, "NORMALIZE"},      {EditCommand::EQualize, "EQUALIZE"},
      {EditCommand::Optimize, "OPTIMIZE"},        {EditCommand::MapZero, "ZEROMAP"},
      {EditCommand::MapCenter, "CENTER"},
  };
  for (const auto& [c, word] : cases) {
    Rig rig;
    rig.edits.Run(c);
    EXPECT_TRUE(rig.ask.titles.empty()) << word;
    EXPECT_EQ(rig.rec.lines, std::vector<std::string>{word});
  }
}

TEST(ToneCommands, GammaGlobalAppliesOneCurveToAllChannels) {
  Rig rig;
  const Dib before = rig.host.picture;
  rig.ask.queued.push_back({180, 0, 0});
  rig.edits.Run(EditCommand::GammaGlobal);
  Dib want = before;
  ToneTables t;
  for (int k = 0; k < 3; ++k) SetGammaLUT(t, 180, k);
  ColorFilter(want, t);
  EXPECT_TRUE(SamePixels(rig.host.picture, want));
  EXPECT_EQ(rig.host.busy.back(), "Gamma ...");
}

// Shadows 50, Median 128: level 100 maps once, to Round(50 x 128 / 78) = 82.
TEST(ToneCommands, LimitRemapsShadowsOnce) {
  Rig rig;
  rig.Load(Dib(4, 4, 24));
  rig.host.picture.SetPixel(1, 1, MakeColor(100, 100, 100));
  rig.ask.queued.push_back({50, 128, 255});
  rig.edits.Run(EditCommand::LimitAll);
  EXPECT_EQ(rig.host.picture.Pixel(1, 1), MakeColor(82, 82, 82));
  Rig id;
  const Dib before = id.host.picture;
  id.ask.queued.push_back({0, 128, 255});
  id.edits.Run(EditCommand::LimitAll);
  EXPECT_TRUE(SamePixels(id.host.picture, before)) << "0, 128, 255 changes nothing";
}

TEST(ToneCommands, TuneRgbAtStartChangesNothing) {
  Rig rig;
  const Dib before = rig.host.picture;
  rig.ask.queued.push_back({128, 64, 0});
  rig.edits.Run(EditCommand::TuneRGB);
  EXPECT_TRUE(SamePixels(rig.host.picture, before));
  EXPECT_EQ(rig.rec.lines, std::vector<std::string>{"MAP_RGB=0,0"});
}

TEST(ToneCommands, AutoCorrectionsPutTheUsersDuplicateBack) {
  for (EditCommand c : {EditCommand::AutoGamma, EditCommand::AutoFlash, EditCommand::AutoWhite}) {
    Rig rig;
    rig.engine.duplicate = Dib(5, 3, 24);
    rig.engine.duplicate.SetPixel(2, 1, 0x123456);
    rig.edits.Run(c);
    ASSERT_EQ(rig.engine.duplicate.Width(), 5) << EditCommandName(c);
    EXPECT_EQ(rig.engine.duplicate.Pixel(2, 1), 0x123456u);
    EXPECT_FALSE(rig.edits.ScriptRunning());
    EXPECT_FALSE(Flags().OperationInProgress);
  }
}

TEST(ToneCommands, ReadOnlyPassesLeaveTheModifiedFlag) {
  Rig rig;
  Dib pal(8, 8, 8);
  rig.Load(pal);
  rig.edits.ShowHistogram("a.bmp");
  EXPECT_EQ(rig.host.histogramTitle, "Histogram [a.bmp]");
  EXPECT_EQ(rig.host.histogramPeak, 64);
  EXPECT_FALSE(rig.state.ImageModified);
  EXPECT_EQ(rig.host.picture.BitCount(), 8) << "a view does not promote the picture";
  rig.edits.AppendRgbInfo();
  EXPECT_FALSE(rig.state.ImageModified);
  ASSERT_EQ(rig.rec.appended.size(), 8u);
  EXPECT_EQ(rig.rec.appended[0], std::string(30, '-'));
  EXPECT_EQ(rig.rec.appended[1], ">CONFORM_RED=0,0");
  EXPECT_EQ(rig.rec.appended[6], ">CONFORM_GAMMA=0");
}

TEST(ToneCommands, ScriptRunKeepsTheInterpretersCopy) {
  Rig rig;
  ASSERT_TRUE(rig.edits.AutoBackUp());
  const Dib original = rig.host.picture;
  rig.host.picture.SetPixel(0, 0, 0xABCDEF);  // the run's first change
  {
    OperationScope run;
    rig.edits.SetScriptRunning(true);
    rig.engine.FilterParam1 = rig.engine.FilterParam2 = rig.engine.FilterParam3 = 140;
    rig.edits.Run(EditCommand::GammaRGB);
    rig.edits.Run(EditCommand::Negative);
    rig.edits.SetScriptRunning(false);
  }
  EXPECT_TRUE(rig.ask.titles.empty()) << "no dialog inside a script";
  EXPECT_TRUE(rig.rec.lines.empty()) << "nothing recorded inside a script";
  ASSERT_TRUE(rig.edits.UndoAvailable());
  ASSERT_TRUE(rig.edits.Undo());
  EXPECT_TRUE(SamePixels(rig.host.picture, original));
}

TEST(ToneCommands, FailedUndoKeepsThePicture) {
  Rig rig;
  rig.edits.Run(EditCommand::Negative);
  const Dib edited = rig.host.picture;
  rig.undo.Stream().resize(20);
  EXPECT_FALSE(rig.edits.Undo());
  EXPECT_TRUE(SamePixels(rig.host.picture, edited));
  EXPECT_EQ(rig.ui.Texts(), std::vector<std::string>{"Undo failed."});
  EXPECT_FALSE(rig.edits.UndoAvailable());
}

TEST(ToneCommands, LowMemoryRefusesAndRecovers) {
  Rig rig;
  rig.state.ImageModified = false;
  bool low = true;
  rig.edits.SetMemoryProbe({[&] { return low ? std::uint64_t{4096} : std::uint64_t{1} << 40; },
                            [](std::uint64_t) { return true; }});
  rig.state.CurrentFile = "/pics/a.jpg";
  const Dib before = rig.host.picture;
  // The recovery check after the failure finds memory again.
  int asked = 0;
  rig.edits.SetMemoryProbe({[&] { return asked++ == 0 ? std::uint64_t{4096} : std::uint64_t{1} << 40; },
                            [](std::uint64_t) { return true; }});
  EXPECT_FALSE(rig.edits.AutoBackUp());
  const auto texts = rig.ui.Texts();
  ASSERT_EQ(texts.size(), 2u);
  EXPECT_EQ(texts[0], LowMemoryText(8192, 4096));
  EXPECT_EQ(texts[1], "\nBackup failed. Free memory is fragmented or running low.\nSelect Tools | Memory to clear and "
                      "check buffers.\n\nIt is recommended that you save modifications\nto a file now; then close and "
                      "restart application.");
  EXPECT_TRUE(Flags().AbortRequest);
  Flags().AbortRequest = false;
  EXPECT_EQ(rig.state.CurrentFile, kUntitled);
  EXPECT_TRUE(SamePixels(rig.host.picture, before)) << "the picture survives under Untitled";
  EXPECT_TRUE(rig.state.ImageModified);
  EXPECT_FALSE(rig.edits.UndoAvailable());
}

}  // namespace
}  // namespace pelira

namespace pelira {
namespace {

class OneSlider : public SliderRequester {
public:
  int RunSliderDialog(const std::string& title, const std::string& lo, const std::string& hi,
                      const SliderRequest& r) override {
    asked.push_back(title + "|" + lo + "|" + hi + "|" + std::to_string(r.min) + ".." + std::to_string(r.max));
    return answer;
  }
  int answer = 2;
  std::vector<std::string> asked;
};

TEST(ViewerEditsDepth, EveryDepthCommandUndoesAndRecords) {
  struct Case {
    DepthCommand c;
    int bits;          // depth after the command
    const char* line;  // recorded word, "" for none
    bool asks;
  };
  const Case cases[] = {
      {DepthCommand::TrueGrayscale, 24, "GRAYSCALE", false}, {DepthCommand::Reduce256Dither, 8, "", true},
      {DepthCommand::Reduce256Poster, 8, "QUANTIZE256", false}, {DepthCommand::Reduce256Grays, 8, "", true},
      {DepthCommand::Reduce16Dither, 4, "", true},             {DepthCommand::Reduce16Poster, 4, "QUANTIZE16", false},
      {DepthCommand::ReduceBW, 1, "", true},                   {DepthCommand::Promote24, 24, "TRUECOLOR", false},
      {DepthCommand::Promote8, 8, "", false},                  {DepthCommand::Promote4, 4, "", false},
  };
  for (const Case& c : cases) {
    Rig rig;
    OneSlider s;
    rig.edits.SetSliderRequester(&s);
    Dib start(30, 20, 8);
    for (int y = 0; y < 20; ++y)
      for (int x = 0; x < 30; ++x) start.SetIndex(x, y, static_cast<std::uint32_t>((x * 7 + y) % 200));
    if (c.c == DepthCommand::Promote8) start = Dib(30, 20, 1);
    if (c.c == DepthCommand::Promote4) start = Dib(30, 20, 1);
    rig.Load(start);
    rig.edits.RunDepth(c.c);
    EXPECT_EQ(rig.state.ImageBits, c.bits) << static_cast<int>(c.c);
    EXPECT_EQ(rig.host.picture.BitCount(), c.bits);
    EXPECT_EQ(s.asked.size(), c.asks ? 1u : 0u);
    if (c.asks) EXPECT_EQ(s.asked[0], "Color reduction method|Standard|Optimal|1..2");
    EXPECT_EQ(rig.rec.lines, *c.line ? std::vector<std::string>{c.line} : std::vector<std::string>{});
    ASSERT_TRUE(rig.edits.Undo()) << static_cast<int>(c.c);
    EXPECT_TRUE(SamePixels(rig.host.picture, start)) << static_cast<int>(c.c);
  }
}

TEST(ViewerEditsDepth, CancelledMethodChangesNothing) {
  Rig rig;
  OneSlider s;
  s.answer = kDialogCancelled;
  rig.edits.SetSliderRequester(&s);
  const Dib before = rig.host.picture;
  rig.edits.RunDepth(DepthCommand::ReduceBW);
  EXPECT_TRUE(SamePixels(rig.host.picture, before));
  EXPECT_FALSE(rig.edits.UndoAvailable());
  EXPECT_FALSE(rig.state.ImageModified);
}

}  // namespace
}  // namespace pelira
