#include <gtest/gtest.h>

#include <deque>
#include <functional>

#include "common/request_flags.h"
#include "engine/spatial_filters.h"
#include "imaging_library/imgman.h"
#include "platform/scripted_ui.h"
#include "edit/memory_edit_host.h"
#include "viewer/open_flow.h"
#include "edit/tone_commands.h"
#include "edit/filter_commands.h"
#include "support/test_pictures.h"

namespace pelira {
namespace {
using test::SamePixels;

class Host : public MemoryEditHost {
public:
  using MemoryEditHost::MemoryEditHost;
  void ShowBusy(const std::string& text) override { busy.push_back(text); }
  std::vector<std::string> busy;
};

class Asker : public FilterRequester {
public:
  FilterAnswer RunFilterDialog(const std::string& title, const std::string& lo, const std::string& hi,
                               const TFilterDlgParam& r) override {
    titles.push_back(title);
    labels.push_back(lo + "|" + hi);
    requests.push_back(r);
    if (cancel) return {};
    FilterAnswer a;
    a.values = answer;
    a.result = a.values[0];
    return a;
  }
  bool cancel = false;
  std::array<int, 3> answer{};
  std::vector<std::string> titles, labels;
  std::vector<TFilterDlgParam> requests;
};

class Lines : public ScriptRecorder {
public:
  void RecordScriptLine(const std::string& l) override { lines.push_back(l); }
  void AppendLines(const std::vector<std::string>&) override {}
  std::vector<std::string> lines;
};

// Counts the rows reported; can press Esc on a given pump.
class Bar : public Progress {
public:
  void Pump() override {
    if (++pumps == escAt) Flags().AbortRequest = true;
  }
  void SetStatus(const std::string&) override {}
  void SetBarLabel(ProgressBar, const std::string&) override {}
  void SetBar(ProgressBar, std::int64_t position, std::int64_t max) override {
    last = position;
    lastMax = max;
  }
  int pumps = 0, escAt = -1;
  std::int64_t last = -1, lastMax = -1;
};

Dib Photo(int w, int h) {
  Dib d(w, h, 24);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      d.SetPixel(x, y, MakeColor((x * 37 + y * 11) % 256, (x * x + 3 * y) % 256, (x * y + 90) % 256));
  return d;
}

Dib Palette8(int w, int h) {
  Dib d(w, h, 8);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) d.SetIndex(x, y, static_cast<std::uint32_t>((x * 29 + y * 7) % 256));
  return d;
}

struct Rig {
  Rig() : host(state), edits(state, engine, undo, host, ask), filters(state, engine, edits, host, ask) {
    SetCurrentUi(&ui);
    ImgInit();
    edits.SetRecorder(&rec);
    filters.SetRecorder(&rec);
    filters.SetProgress(&bar);
    edits.SetMemoryProbe({[] { return std::uint64_t{1} << 40; }, [](std::uint64_t) { return true; }});
    Load(Photo(40, 30));
  }
  ~Rig() {
    Flags().AbortRequest = false;
    SetCurrentUi(nullptr);
  }
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
  Host host;
  Asker ask;
  Lines rec;
  Bar bar;
  ToneCommands edits;
  FilterCommands filters;
};

using F = FilterCommand;

struct DialogCase {
  F c;
  std::array<int, 3> answer;
  const char* title;
  const char* labels;
  int kind, start;
  const char* line;
  const char* status;
  std::function<void(Dib&)> same;  // the routine the command must have run
};

const std::vector<DialogCase>& DialogCases() {
  static const std::vector<DialogCase> cases = {
      {F::Gaussian, {200}, "Set Smoothing (Gaussian) effect to", "1 (weak)|255 (strong)", 30, 192, "GAUSSIAN=200",
       "Blurring ...", [](Dib& d) { GaussianBlur3x3(d, 55, false, 9); }},
      {F::DeFocus, {30}, "Set Smoothing (Defocus) effect to", "1 (weak)|255 (strong)", 31, 112, "DEFOCUS=30",
       "Defocusing ...", [](Dib& d) { DeFocus(d, 225); }},
      {F::Soften, {9}, "Set Soften (Low Pass) effect to", "1 (weak)|10 (strong)", 3, 7, "SOFTEN=9", "Softening ...",
       [](Dib& d) { Soften(d, 9); }},
      {F::Outlier, {100}, "Set Outlier effect to", "1 (weak)|255 (strong)", 1, 255, "OUTLIER=100", "Cleaning ...",
       [](Dib& d) { GaussianBlur3x3(d, 155, true, 8); }},
      {F::Despeckle, {6}, "Set Despeckle (Median) effect to", "1 (weak)|9 (strong)", 4, 4, "DESPECKLE=6",
       "Cleaning ...", [](Dib& d) { Median(d, 6, 0); }},
      {F::UnSpot, {3}, "Set Spot Remover to clean", "-8 pepper|+8 salt", 36, -7, "UNSPOT=3", "Cleaning ...",
       [](Dib& d) { Median(d, 1, 3); }},
      {F::MeanRemoval, {8}, "Set Sharpening (Mean Removal) effect to", "1 (weak)|8 (strong)", 32, 4, "MEANREMOVAL=8",
       "Sharpening ...", [](Dib& d) { MeanRemoval(d, 8); }},
      {F::HighPassMedium, {2}, "Set Sharpening (Medium High Pass) effect to", "1 (weak)|4 (strong)", 33, 3,
       "HIGHPASSMEDIUM=2", "Sharpening ...", [](Dib& d) { HighPassMedium(d, 2); }},
      {F::HighPassLight, {4}, "Set Sharpening (Light High Pass) effect to", "1 (weak)|4 (strong)", 34, 3,
       "HIGHPASSLIGHT=4", "Sharpening ...", [](Dib& d) { HighPassLight(d, 4); }},
      {F::UnsharpMask, {200, 90}, "Set UnSharp Mask effect to", "1 (weak)|255 (strong)", 230, 160, "UNSHARPMASK=200,90",
       "Unsharp mask ...", [](Dib& d) { UnSharpGaussianBlur5x5(d, 55, 90); }},
      {F::Clean, {250, 120}, "Set Cleaning Mask effect to", "1 (weak)|255 (strong)", 231, 240, "CLEAN=250,120",
       "Cleaning mask ...", [](Dib& d) { SharpGaussianBlur5x5(d, 250, 120); }},
      {F::DeFog, {128, 200}, "Set DeFog effect to", "1 (weak)|255 (strong)", 241, 255, "DEFOG=128,200",
       "Defogging ...", [](Dib& d) { DoDefog(d, 128, 200); }},
  };
  return cases;
}

TEST(FilterCommands, DialogCommandsAskRunRecordAndRemember) {
  for (const DialogCase& c : DialogCases()) {
    Rig rig;
    rig.ask.answer = c.answer;
    Dib want = rig.host.picture;
    c.same(want);
    EXPECT_EQ(rig.filters.Run(c.c), FilterOutcome::Done) << c.title;
    ASSERT_EQ(rig.ask.titles.size(), 1u);
    EXPECT_EQ(rig.ask.titles[0], c.title);
    EXPECT_EQ(rig.ask.labels[0], c.labels);
    EXPECT_EQ(rig.ask.requests[0].kind, c.kind);
    EXPECT_EQ(rig.ask.requests[0].slider[0].start, c.start) << c.title;
    EXPECT_TRUE(SamePixels(rig.host.picture, want)) << c.title;
    EXPECT_EQ(rig.rec.lines, std::vector<std::string>{c.line});
    EXPECT_EQ(rig.host.busy.back(), c.status);
    EXPECT_TRUE(rig.state.ImageModified);
    EXPECT_TRUE(rig.edits.UndoAvailable());
    EXPECT_GT(rig.bar.pumps, 0) << c.title << " reports its rows";
    // The next run starts where the last one was left.
    rig.filters.Run(c.c);
    EXPECT_EQ(rig.ask.requests[1].slider[0].start, c.answer[0]) << c.title;
    if (FilterSliderCount(c.kind) == 2) {
      EXPECT_EQ(rig.ask.requests[1].slider[1].start, c.answer[1]) << c.title;
      EXPECT_TRUE(rig.ask.requests[1].ownLabels);
    }
  }
}

TEST(FilterCommands, SecondSlidersStartAtTheirOwnValues) {
  const std::pair<F, int> cases[] = {{F::UnsharpMask, 48}, {F::Clean, 64}, {F::DeFog, 64}};
  for (auto [c, start] : cases) {
    Rig rig;
    rig.ask.cancel = true;
    rig.filters.Run(c);
    ASSERT_EQ(rig.ask.requests.size(), 1u);
    EXPECT_EQ(EffectiveSlider(rig.ask.requests[0], 1).start, start);
    EXPECT_EQ(EffectiveLabels(rig.ask.requests[0], 1, "", "").second, "255 (strong)");
  }
}

// Cancel and Esc both leave the picture as it was: a palette picture keeps its depth.
TEST(FilterCommands, CancelAndEscRestoreThePicture) {
  for (const DialogCase& c : DialogCases()) {
    for (bool esc : {false, true}) {
      Rig rig;
      const Dib start = Palette8(30, 60);
      rig.Load(start);
      rig.ask.answer = c.answer;
      rig.ask.cancel = !esc;
      rig.bar.escAt = 2;
      const FilterOutcome r = rig.filters.Run(c.c);
      EXPECT_EQ(r, esc ? FilterOutcome::Stopped : FilterOutcome::Cancelled) << c.title;
      EXPECT_TRUE(SamePixels(rig.host.picture, start)) << c.title << (esc ? " esc" : " cancel");
      EXPECT_FALSE(rig.state.ImageModified) << c.title;
      EXPECT_EQ(rig.state.ImageBits, 8);
      EXPECT_TRUE(rig.rec.lines.empty()) << c.title;
    }
  }
}

TEST(FilterCommands, AnEscPressedBeforeTheCommandDoesNotStopIt) {
  Rig rig;
  rig.ask.answer = {9};
  Flags().AbortRequest = true;
  EXPECT_EQ(rig.filters.Run(F::Soften), FilterOutcome::Done);
}

TEST(FilterCommands, DescreenMakesPalettePicturesTrueColourAndRecords) {
  const struct {
    F c;
    std::function<void(Dib&)> same;
    const char* line;
  } cases[] = {
      {F::DescreenLight, [](Dib& d) { Soften(d, 7); }, "DESCREEN_LIGHT"},
      {F::DescreenMedium, [](Dib& d) { DeScreen5x5(d, 0); }, "DESCREEN_MEDIUM"},
      {F::DescreenStrong, [](Dib& d) { DeScreen5x5(d, 1); }, "DESCREEN_STRONG"},
      {F::DescreenHigh, [](Dib& d) { DeScreen5x5(d, 2); }, "DESCREEN_HIGH"},
  };
  for (const auto& c : cases) {
    Rig rig;
    rig.Load(Palette8(20, 16));
    Dib want(20, 16, 24);
    for (int y = 0; y < 16; ++y)
      for (int x = 0; x < 20; ++x) want.SetPixel(x, y, rig.host.picture.Pixel(x, y));
    c.same(want);
    EXPECT_EQ(rig.filters.Run(c.c), FilterOutcome::Done);
    EXPECT_TRUE(rig.ask.titles.empty());
    EXPECT_EQ(rig.host.picture.BitCount(), 24);
    EXPECT_TRUE(SamePixels(rig.host.picture, want)) << c.line;
    EXPECT_EQ(rig.rec.lines, std::vector<std::string>{c.line});
    EXPECT_EQ(rig.host.busy.back(), "Descreening...");
    EXPECT_TRUE(rig.state.ImageModified);
    ASSERT_TRUE(rig.edits.Undo());
    EXPECT_EQ(rig.host.picture.BitCount(), 8);
  }
}

TEST(FilterCommands, DePixelateSmoothsThenResamplesToHalfAndRecordsBoth) {
  Rig rig;
  rig.Load(Palette8(64, 40));
  EXPECT_EQ(rig.filters.Run(F::DePixelate), FilterOutcome::Done);
  EXPECT_EQ(rig.host.picture.Width(), 32);
  EXPECT_EQ(rig.host.picture.Height(), 20);
  EXPECT_EQ(rig.host.picture.BitCount(), 24);
  EXPECT_EQ(rig.state.ImageWidth, 32);
  EXPECT_EQ(rig.rec.lines, (std::vector<std::string>{"DEPIXELATE=1", "RESAMPLE=32,20"}));
  EXPECT_TRUE(rig.state.ImageModified);

  // Half of a small picture is 15 pixels or less: the smoothing alone.
  Rig small;
  const Dib start = Photo(30, 40);
  small.Load(start);
  Dib want = start;
  DeMosiac2x2(want, 0);
  small.filters.Run(F::DePixelate);
  EXPECT_TRUE(SamePixels(small.host.picture, want));
  EXPECT_EQ(small.rec.lines, std::vector<std::string>{"DEPIXELATE=1"});
}

TEST(FilterCommands, DePixelateWordSmoothsOnlyWithTheVariantOfItsArgument) {
  for (auto [n, variant] : {std::pair{1, 0}, {0, 1}, {-4, 0}}) {
    Rig rig;
    rig.edits.SetScriptRunning(true);
    Dib want = rig.host.picture;
    DeMosiac2x2(want, variant);
    rig.filters.DePixelateWord(n);
    EXPECT_TRUE(SamePixels(rig.host.picture, want)) << n;
    EXPECT_EQ(rig.host.picture.Width(), 40);
    EXPECT_TRUE(rig.rec.lines.empty());
  }
}

TEST(FilterCommands, ResampleTakesScriptSizesAsHeightThenWidth) {
  Rig rig;
  rig.edits.SetScriptRunning(true);
  rig.engine.FilterParam1 = 20;  // height
  rig.engine.FilterParam2 = 30;  // width
  EXPECT_EQ(rig.filters.Resample(0, 0), FilterOutcome::Done);
  EXPECT_EQ(rig.host.picture.Width(), 30);
  EXPECT_EQ(rig.host.picture.Height(), 20);
  EXPECT_TRUE(rig.rec.lines.empty());
  rig.engine.FilterParam1 = 15;
  EXPECT_EQ(rig.filters.Resample(0, 0), FilterOutcome::Unchanged);
  EXPECT_EQ(rig.host.picture.Height(), 20);
}

TEST(FilterCommands, TheResampleCommandKeepsAnUndoCopyOnlyWhenItChangesThePicture) {
  const struct {
    int w, h;
    FilterOutcome result;
    bool undo;
    const char* line;
  } cases[] = {
      {20, 16, FilterOutcome::Done, true, "RESAMPLE=20,16"},
      {40, 30, FilterOutcome::Unchanged, false, nullptr},
      {15, 30, FilterOutcome::Unchanged, false, nullptr},
  };
  for (const auto& c : cases) {
    Rig rig;
    const Dib start = rig.host.picture;
    EXPECT_EQ(rig.filters.ResampleCommand(c.w, c.h), c.result) << c.w;
    EXPECT_EQ(rig.edits.UndoAvailable(), c.undo) << c.w;
    EXPECT_EQ(rig.rec.lines, c.line ? std::vector<std::string>{c.line} : std::vector<std::string>{}) << c.w;
    if (c.undo) {
      EXPECT_EQ(rig.host.picture.Width(), c.w);
      EXPECT_EQ(rig.state.ImageHeight, c.h);
      ASSERT_TRUE(rig.edits.Undo());
    }
    EXPECT_TRUE(SamePixels(rig.host.picture, start)) << c.w;
  }
}

TEST(FilterCommands, ScriptRunsTakeTheFilterParametersAndKeepNoCopy) {
  Rig rig;
  rig.edits.SetScriptRunning(true);
  rig.engine.FilterParam1 = 200;
  rig.engine.FilterParam2 = 90;
  Dib want = rig.host.picture;
  UnSharpGaussianBlur5x5(want, 55, 90);
  EXPECT_EQ(rig.filters.Run(F::UnsharpMask), FilterOutcome::Done);
  EXPECT_TRUE(rig.ask.titles.empty());
  EXPECT_TRUE(SamePixels(rig.host.picture, want));
  EXPECT_FALSE(rig.edits.UndoAvailable());
  EXPECT_TRUE(rig.rec.lines.empty());
  // Out-of-range script values are limited to the slider's range.
  rig.engine.FilterParam1 = 50;
  Dib clamped = rig.host.picture;
  MeanRemoval(clamped, 8);
  rig.filters.Run(F::MeanRemoval);
  EXPECT_TRUE(SamePixels(rig.host.picture, clamped));
}

TEST(FilterCommands, DeLaceAndEnrichFilterAnEnlargedCopyAndKeepTheSize) {
  for (F c : {F::DeLace, F::Enrich}) {
    Rig rig;
    rig.Load(Palette8(24, 18));
    const Dib before = rig.host.picture;
    EXPECT_EQ(rig.filters.Run(c), FilterOutcome::Done);
    EXPECT_EQ(rig.host.picture.Width(), 24);
    EXPECT_EQ(rig.host.picture.Height(), 18);
    EXPECT_EQ(rig.host.picture.BitCount(), 24);
    EXPECT_EQ(rig.rec.lines, std::vector<std::string>{c == F::DeLace ? "DELACE" : "ENRICH"});
    EXPECT_EQ(rig.host.busy.back(), c == F::DeLace ? "Delacing..." : "Enriching...");
    // The picture went through the enlarged filter: not a plain copy of the palette colours.
    int moved = 0;
    for (int y = 0; y < 18; ++y)
      for (int x = 0; x < 24; ++x) moved += rig.host.picture.Pixel(x, y) != before.Pixel(x, y);
    EXPECT_GT(moved, 24 * 18 / 4);
    EXPECT_TRUE(rig.edits.UndoAvailable());
  }
}

TEST(FilterCommands, EnrichWithoutTheMemoryForItsEnlargedCopyChangesNothing) {
  Rig rig;
  const Dib start = Palette8(24, 18);
  rig.Load(start);
  // 2.5 x 2.5 of 24 x 18, three bytes a pixel, three copies: 60 x 45 x 9 bytes.
  rig.filters.SetAvailableMemory([] { return std::uint64_t{60 * 45 * 9 - 1}; });
  EXPECT_EQ(rig.filters.Run(F::Enrich), FilterOutcome::Refused);
  EXPECT_TRUE(SamePixels(rig.host.picture, start));
  EXPECT_FALSE(rig.state.ImageModified);
  EXPECT_TRUE(rig.rec.lines.empty());
  ASSERT_EQ(rig.ui.Texts().size(), 1u);
  rig.filters.SetAvailableMemory([] { return std::uint64_t{60 * 45 * 9}; });
  EXPECT_EQ(rig.filters.Run(F::Enrich), FilterOutcome::Done);
}

TEST(FilterCommands, MosaicAsksTheTileSizeAndRecordsIt) {
  Rig rig;
  rig.Load(Palette8(40, 30));
  Dib want(40, 30, 24);
  for (int y = 0; y < 30; ++y)
    for (int x = 0; x < 40; ++x) want.SetPixel(x, y, rig.host.picture.Pixel(x, y));
  Tile(want, 5);
  rig.ask.answer = {5};
  EXPECT_EQ(rig.filters.Run(F::Mosaic), FilterOutcome::Done);
  EXPECT_EQ(rig.ask.titles, std::vector<std::string>{"Set Mosaic Tile to"});
  EXPECT_EQ(rig.ask.labels[0], "2x2|16x16");
  EXPECT_EQ(rig.ask.requests[0].kind, 250);
  EXPECT_EQ(rig.ask.requests[0].slider[0].start, 2);
  EXPECT_TRUE(SamePixels(rig.host.picture, want));
  EXPECT_EQ(rig.rec.lines, std::vector<std::string>{"MOSAIC=5"});
  EXPECT_EQ(rig.host.busy.back(), "Tiling ...");
  rig.ask.cancel = true;
  const Dib before = rig.host.picture;
  EXPECT_EQ(rig.filters.Run(F::Mosaic), FilterOutcome::Cancelled);
  EXPECT_EQ(rig.ask.requests[1].slider[0].start, 5);
  EXPECT_TRUE(SamePixels(rig.host.picture, before));
  // A script's MOSAIC=0 is limited to 2 rather than dividing by zero.
  Rig script;
  script.edits.SetScriptRunning(true);
  script.engine.FilterParam1 = 0;
  Dib two = script.host.picture;
  Tile(two, 2);
  EXPECT_EQ(script.filters.Run(F::Mosaic), FilterOutcome::Done);
  EXPECT_TRUE(SamePixels(script.host.picture, two));
}

TEST(FilterCommands, AutoCleanAndSharpenCanBeUndone) {
  for (F c : {F::AutoClean, F::AutoSharpen}) {
    Rig rig;
    const Dib start = rig.host.picture;
    Dib want = start;
    if (c == F::AutoClean) SharpGaussianBlur5x5(want, 95, 240);
    else UnSharpGaussianBlur5x5(want, 160, 48);
    EXPECT_EQ(rig.filters.Run(c), FilterOutcome::Done);
    EXPECT_TRUE(SamePixels(rig.host.picture, want));
    EXPECT_TRUE(rig.ask.titles.empty());
    EXPECT_TRUE(rig.rec.lines.empty());
    ASSERT_TRUE(rig.edits.Undo());
    EXPECT_TRUE(SamePixels(rig.host.picture, start));
  }
}

}  // namespace
}  // namespace pelira
