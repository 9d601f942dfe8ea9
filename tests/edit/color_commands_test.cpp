// The colour commands as the viewer and a script run them: the dialog each asks, the colour
// base a click sets, the line it records, what a replayed line reads, and the refusals.
#include <gtest/gtest.h>

#include <deque>

#include "edit/memory_edit_host.h"
#include "edit/operations.h"
#include "edit/tone_commands.h"
#include "engine/color_select.h"
#include "engine/hls_tune.h"
#include "platform/scripted_ui.h"
#include "support/test_pictures.h"

namespace pelira {
namespace {
using test::SamePixels;
using E = EditCommand;

// Answers with the queued slider positions (else the starts); before answering it may pick
// a colour from the before picture, as a click does.
class Requester : public FilterRequester {
public:
  FilterAnswer RunFilterDialog(const std::string& title, const std::string& lo, const std::string& hi,
                               const TFilterDlgParam& r) override {
    titles.push_back(title);
    labels.push_back(lo + "|" + hi);
    requests.push_back(r);
    if (pick && r.picked) r.picked(*pick);
    if (cancel) return {};
    FilterAnswer a;
    for (int i = 0; i < 3; ++i) a.values[i] = EffectiveSlider(r, i).start;
    if (!queued.empty()) {
      a.values = queued.front();
      queued.pop_front();
    }
    a.result = a.values[0];
    return a;
  }
  bool cancel = false;
  std::optional<ColorValue> pick;
  std::deque<std::array<int, 3>> queued;
  std::vector<std::string> titles, labels;
  std::vector<TFilterDlgParam> requests;
};

class Lines : public ScriptRecorder {
public:
  void RecordScriptLine(const std::string& l) override { lines.push_back(l); }
  void AppendLines(const std::vector<std::string>& l) override { lines.insert(lines.end(), l.begin(), l.end()); }
  std::vector<std::string> lines;
};

class Host : public MemoryEditHost {
public:
  using MemoryEditHost::MemoryEditHost;
  void ShowBusy(const std::string& text) override { busy.push_back(text); }
  std::vector<std::string> busy;
};

Dib Colourful(int w, int h) {
  Dib d(w, h, 24);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      d.SetPixel(x, y, MakeColor((x * 13 + y * 3) % 200 + 40, (x * 3 + 40) % 230, (y * 11 + x) % 180 + 20));
  return d;
}

struct Rig {
  Rig() : host(state), edits(state, engine, undo, host, ask) {
    SetCurrentUi(&ui);
    edits.SetRecorder(&rec);
    edits.SetMemoryProbe({[] { return std::uint64_t{1} << 40; }, [](std::uint64_t) { return true; }});
    Load(Colourful(30, 20));
  }
  ~Rig() { SetCurrentUi(nullptr); }
  void Load(Dib d) {
    host.picture = std::move(d);
    SyncImageState(state, host.picture);
    state.ImageLoaded = true;
    state.ImageModified = false;
  }
  // A script line through the operation table, as the interpreter and the command line run it.
  void Line(const char* word, Arguments a) {
    EditSession s{state, engine, host, edits, nullptr};
    edits.SetScriptRunning(true);
    ApplyOperation(*FindOperation(word), s, a);
    edits.SetScriptRunning(false);
  }
  ScriptedUi ui;
  PictureState state;
  EngineState engine;
  UndoStore undo;
  Host host;
  Requester ask;
  Lines rec;
  ToneCommands edits;
};

TEST(ColorCommands, HlsTuneAsksRecordsAndAppliesInSliderOrder) {
  Rig rig;
  rig.ask.queued = {{-120, 300, 500}};
  rig.edits.Run(E::TuneHLS);
  ASSERT_EQ(rig.ask.titles, std::vector<std::string>{"Adjust Hue-Luminance-Saturation"});
  const TFilterDlgParam& r = rig.ask.requests[0];
  EXPECT_EQ(r.kind, 150);
  EXPECT_EQ(r.labels[0], "-999 (mag)");
  EXPECT_EQ(r.labels[1], "+999 (yel)");
  EXPECT_EQ(r.labels[5], "+999 (more)");
  EXPECT_EQ(EffectiveSlider(r, 2).min, -999);
  EXPECT_EQ(EffectiveSlider(r, 2).page, 10);
  EXPECT_EQ(rig.rec.lines, std::vector<std::string>{"HLS=-120,300,500"});
  EXPECT_EQ(rig.host.busy.back(), "Adjusting HLS ...");
  // Hue -120, lightness +300, saturation 500 x 3600 div 999.
  Dib want = Colourful(30, 20);
  ColorTuneHLS(want, -120, 500 * 3600 / 999, 300);
  EXPECT_TRUE(SamePixels(rig.host.picture, want));
  EXPECT_TRUE(rig.state.ImageModified);
  // The line read back runs the same tune.
  Rig replay;
  replay.Line("HLS", {-120, 300, 500});
  EXPECT_TRUE(SamePixels(replay.host.picture, want));
  // Outside -999..999 the line does nothing.
  Rig outside;
  outside.Line("HLS", {0, 1000, 0});
  EXPECT_TRUE(SamePixels(outside.host.picture, Colourful(30, 20)));
}

// Each selection dialog: its title and kind, the half-width sliders, the colour a click
// picks as the base, the packed line, and the registers after the edit.
TEST(ColorCommands, SelectionDialogsPickTheBaseAndRecordPackedValues) {
  struct Case {
    EditCommand c;
    const char* title;
    int kind;
    const char* word;
    bool showMask;
  };
  const Case cases[] = {
      {E::ReplaceHlsForeground, "Replace Foreground Color Selection", 154, "REPLACE_HLSINV", false},
      {E::ReplaceHlsBackground, "Replace Background Color Selection", 153, "REPLACE_HLS", false},
      {E::MaskBackcolors, "Mask Background Color Selection", 151, "MASK_HLS", true},
      {E::MaskForecolors, "Mask Foreground Color Selection", 152, "MASK_HLSINV", true},
      {E::Airbrush, "Airbrush Color Selection", 155, "AIRBRUSH", true},
  };
  const ColorValue picked = MakeColor(200, 60, 40);
  const Hls base = RGBToHLS(200, 60, 40);
  for (const Case& c : cases) {
    Rig rig;
    rig.engine.duplicate = Colourful(30, 20);
    rig.ask.pick = picked;
    rig.ask.queued = {{400, 1000, 1700}};
    rig.edits.Run(c.c);
    ASSERT_EQ(rig.ask.titles, std::vector<std::string>{c.title});
    const TFilterDlgParam& r = rig.ask.requests[0];
    EXPECT_EQ(r.kind, c.kind) << c.title;
    EXPECT_EQ(EffectiveSlider(r, 0).start, 120);
    EXPECT_EQ(EffectiveSlider(r, 1).start, 1200);
    EXPECT_EQ(EffectiveSlider(r, 2).start, 1500);
    EXPECT_EQ(EffectiveSlider(r, 2).max, 1800);
    EXPECT_EQ(EffectiveSlider(r, 2).page, 60);
    EXPECT_EQ(r.panelColor, kSilverPanel);
    EXPECT_EQ(static_cast<bool>(r.maskPreview), c.showMask) << c.title;
    EXPECT_EQ(r.second != nullptr, c.c == E::MaskBackcolors || c.c == E::MaskForecolors) << c.title;
    const HlsSelection sel{base.h, base.l, base.s, 400, 1000, 1700};
    ASSERT_EQ(rig.rec.lines.size(), 1u);
    EXPECT_EQ(rig.rec.lines[0], FormatRecordedLine(c.word, {sel.PackedHue(), sel.PackedLightness(), sel.PackedSaturation()}));
    EXPECT_EQ(rig.engine.SelectionCentre[0], base.h);
    EXPECT_EQ(rig.engine.FilterParam1, 400);
    EXPECT_EQ(rig.engine.FilterParam3, 1700);
    EXPECT_TRUE(rig.state.ImageModified) << c.title;
    // The replayed line brings its own centres, whatever the base is now.
    Rig replay;
    replay.engine.duplicate = Colourful(30, 20);
    replay.Line(c.word, {sel.PackedHue(), sel.PackedLightness(), sel.PackedSaturation()});
    EXPECT_TRUE(SamePixels(replay.host.picture, rig.host.picture)) << c.word;
    EXPECT_EQ(replay.engine.SelectionCentre[1], base.l);
    EXPECT_EQ(replay.engine.FilterParam2, 1000) << "the half-widths stay in the registers";
  }
}

// The preview shows what Apply does, except that the thresholds keep the unselected colours
// there; Show mask shows the selection.
TEST(ColorCommands, PreviewsRunTheCommandsEdit) {
  Rig rig;
  rig.ask.queued = {{600, 1800, 1800}};
  rig.engine.SelectionCentre[0] = 100;
  rig.engine.SelectionCentre[1] = 1800;
  rig.engine.SelectionCentre[2] = 1800;
  rig.edits.Run(E::ReplaceHlsForeground);
  const TFilterDlgParam& r = rig.ask.requests[0];
  const HlsSelection sel{100, 1800, 1800, 600, 1800, 1800};
  Dib preview = Colourful(30, 20), want = Colourful(30, 20);
  r.preview(preview, {600, 1800, 1800});
  MaskColors(want, sel, false, false, false);
  EXPECT_TRUE(SamePixels(preview, want));
  Dib applied = Colourful(30, 20);
  MaskColors(applied, sel, false, false, true);
  EXPECT_TRUE(SamePixels(rig.host.picture, applied));

  Rig air;
  air.ask.queued = {{600, 1800, 1800}};
  air.edits.Run(E::Airbrush);
  Dib mask = Colourful(30, 20), wantMask = Colourful(30, 20);
  air.ask.requests[0].maskPreview(mask, {600, 1800, 1800});
  MaskColors(wantMask, HlsSelection{0, 0, 0, 600, 1800, 1800}, false, true, false);
  EXPECT_TRUE(SamePixels(mask, wantMask));
}

TEST(ColorCommands, ReplayedSelectionLinesWithForeignValuesDoNothing) {
  for (const char* word : {"REPLACE_HLS", "REPLACE_HLSINV", "MASK_HLS", "MASK_HLSINV", "AIRBRUSH"})
    for (const Arguments a : {Arguments{3601, 0, 0}, Arguments{0, 1801 * 65536, 0}, Arguments{-1, -1, -1}}) {
      Rig rig;
      rig.engine.duplicate = Colourful(30, 20);
      rig.Line(word, a);
      EXPECT_TRUE(SamePixels(rig.host.picture, Colourful(30, 20))) << word << " " << a[0];
    }
}

// The mask by colour needs a duplicate of the picture's size and a true-colour picture.
TEST(ColorCommands, MaskByColourRefusesWithoutAMatchingDuplicate) {
  struct Case {
    Dib picture, duplicate;
  };
  Dib palette(30, 20, 8);
  const Case cases[] = {{Colourful(30, 20), Dib()}, {Colourful(30, 20), Colourful(30, 21)}, {palette, Colourful(30, 20)}};
  for (const Case& c : cases)
    for (EditCommand cmd : {E::MaskBackcolors, E::MaskForecolors}) {
      Rig rig;
      rig.Load(c.picture);
      rig.engine.duplicate = c.duplicate;
      rig.edits.Run(cmd);
      EXPECT_TRUE(rig.ask.titles.empty());
      EXPECT_EQ(rig.ui.Texts(), std::vector<std::string>{kComputeCheckText});
      EXPECT_TRUE(SamePixels(rig.host.picture, c.picture));
      EXPECT_FALSE(rig.edits.UndoAvailable());
      EXPECT_FALSE(rig.state.ImageModified);
      // A script line is refused without a box.
      Rig script;
      script.Load(c.picture);
      script.engine.duplicate = c.duplicate;
      script.Line(cmd == E::MaskBackcolors ? "MASK_HLS" : "MASK_HLSINV", {65536 * 1800, 65536 * 1800, 65536 * 1800});
      EXPECT_TRUE(script.ui.Texts().empty());
      EXPECT_TRUE(SamePixels(script.host.picture, c.picture));
    }
}

TEST(ColorCommands, RgbThresholdsAskAndRecord) {
  for (bool fg : {true, false}) {
    Rig rig;
    const ColorValue c = rig.host.picture.Pixel(3, 4);
    rig.ask.queued = {{RedOf(c), GreenOf(c), BlueOf(c)}};
    rig.edits.Run(fg ? E::ReplaceRgbForeground : E::ReplaceRgbBackground);
    EXPECT_EQ(rig.ask.titles[0], std::string("Replace RGB color selection as ") + (fg ? "foreground" : "background"));
    EXPECT_EQ(rig.ask.requests[0].kind, fg ? 156 : 157);
    EXPECT_EQ(EffectiveSlider(rig.ask.requests[0], 1).start, 127);
    EXPECT_EQ(rig.rec.lines, std::vector<std::string>{FormatRecordedLine(fg ? "REPLACE_RGB" : "REPLACE_RGBINV",
                                                                         {RedOf(c), GreenOf(c), BlueOf(c)})});
    EXPECT_EQ(rig.host.picture.Pixel(3, 4), fg ? MakeColor(255, 255, 255) : MakeColor(0, 0, 0));
  }
}

// Both Naturalize commands start from the values last applied by either.
TEST(ColorCommands, NaturalizeRemembersItsSlidersAcrossBothCommands) {
  Rig rig;
  rig.edits.Run(E::NaturalizeCcd);
  EXPECT_EQ(rig.ask.titles[0], "Set Film noir (CCD minmax) effect to");
  EXPECT_EQ(rig.ask.requests[0].kind, 243);
  EXPECT_EQ(EffectiveSlider(rig.ask.requests[0], 0).start, 128);
  EXPECT_EQ(EffectiveSlider(rig.ask.requests[0], 1).start, 52);
  EXPECT_EQ(rig.ask.requests[0].labels[3], "255 (strong)");
  EXPECT_EQ(rig.host.busy.back(), "Adjusting gray scale ...");
  rig.ask.queued = {{30, 200, 0}};
  rig.edits.Run(E::NaturalizeRgb);
  EXPECT_EQ(rig.ask.titles[1], "Set Film noir (RGB minmax) effect to");
  EXPECT_EQ(rig.rec.lines, (std::vector<std::string>{"NATURALIZE_CCD=128,52", "NATURALIZE_RGB=30,200"}));
  rig.edits.Run(E::NaturalizeCcd);
  EXPECT_EQ(EffectiveSlider(rig.ask.requests[2], 0).start, 30);
  EXPECT_EQ(EffectiveSlider(rig.ask.requests[2], 1).start, 200);
  // A replayed line leaves the remembered values alone.
  rig.Line("NATURALIZE_RGB", {1, 2, 0});
  EXPECT_EQ(rig.engine.naturalize, 30);
}

TEST(ColorCommands, RedEyeWorksOnTheLastMaskRectangleOnly) {
  Dib red(10, 10, 24);
  for (int y = 0; y < 10; ++y)
    for (int x = 0; x < 10; ++x) red.SetPixel(x, y, MakeColor(220, 30, 40));
  Rig none;
  none.Load(red);
  none.edits.Run(E::RedEye);
  EXPECT_TRUE(SamePixels(none.host.picture, red));
  EXPECT_FALSE(none.edits.UndoAvailable()) << "no rectangle: no undo copy either";
  EXPECT_FALSE(none.state.ImageModified);

  Rig rig;
  Dib pal(10, 10, 8);
  pal.Colors().resize(1);
  pal.Colors()[0] = RgbQuad{40, 30, 220, 0};
  rig.Load(pal);
  rig.state.LastRegion = {2, 3, 12, 6};
  rig.edits.Run(E::RedEye);
  EXPECT_EQ(rig.host.picture.BitCount(), 24);
  for (int y = 0; y < 10; ++y)
    for (int x = 0; x < 10; ++x)
      EXPECT_EQ(rig.host.picture.Pixel(x, y), x >= 2 && y >= 3 && y < 6 ? MakeColor(40, 30, 40) : MakeColor(220, 30, 40))
          << x << "," << y;
  EXPECT_TRUE(rig.rec.lines.empty()) << "Red Eye records nothing";
  EXPECT_TRUE(rig.state.ImageModified);
  EXPECT_TRUE(rig.edits.UndoAvailable());
}

TEST(ColorCommands, GreyShadesRecordTheirWords) {
  struct Case {
    EditCommand c;
    const char* line;
  };
  for (const Case c : {Case{E::RgbMaximum, "RGBMAX"}, Case{E::RgbMinimum, "RGBMIN"}}) {
    Rig rig;
    rig.edits.Run(c.c);
    EXPECT_EQ(rig.rec.lines, std::vector<std::string>{c.line});
    const ColorValue p = rig.host.picture.Pixel(5, 5);
    EXPECT_TRUE(RedOf(p) == GreenOf(p) && GreenOf(p) == BlueOf(p));
    EXPECT_TRUE(rig.state.ImageModified);
  }
}

// On 1-, 4- and 8-bit pictures every colour command works on the true-colour picture: the
// result is the one of the same command on the picture promoted first, and Undo brings back
// the palette picture.
TEST(ColorCommands, PalettePicturesGiveTheirTrueColourResult) {
  for (int bits : {1, 4, 8}) {
    Dib pal(30, 20, bits);
    Palette colours;
    for (int i = 0; i < (1 << bits); ++i)
      colours.push_back(RgbQuad{static_cast<std::uint8_t>(i * 37 % 256), static_cast<std::uint8_t>(i * 91 % 256),
                                static_cast<std::uint8_t>(255 - i * 13 % 256), 0});
    pal.SetColors(colours);
    for (int y = 0; y < 20; ++y)
      for (int x = 0; x < 30; ++x) pal.SetIndex(x, y, (x + 3 * y) % (1 << bits));
    Dib promoted(30, 20, 24);
    for (int y = 0; y < 20; ++y)
      for (int x = 0; x < 30; ++x) promoted.SetPixel(x, y, pal.Pixel(x, y));
    for (EditCommand c : {E::TuneHLS, E::ReplaceHlsForeground, E::ReplaceHlsBackground, E::ReplaceRgbForeground,
                          E::ReplaceRgbBackground, E::Airbrush, E::NaturalizeCcd, E::NaturalizeRgb, E::RgbMaximum,
                          E::RgbMinimum, E::RedEye}) {
      auto run = [&](Rig& rig, const Dib& picture) {
        rig.Load(picture);
        rig.state.LastRegion = {0, 0, 30, 20};
        rig.engine.SelectionCentre[0] = 3000;
        rig.engine.SelectionCentre[1] = 1800;
        rig.engine.SelectionCentre[2] = 1800;
        rig.ask.queued = {{300, 1500, 1700}};
        if (c == E::ReplaceRgbForeground || c == E::ReplaceRgbBackground) rig.ask.queued = {{242, 91, 37}};  // palette entry 1
        rig.edits.Run(c);
      };
      Rig fromPalette, fromTrueColour;
      run(fromPalette, pal);
      run(fromTrueColour, promoted);
      const std::string name = std::string(EditCommandName(c)) + " at " + std::to_string(bits) + " bits";
      EXPECT_EQ(fromPalette.host.picture.BitCount(), 24) << name;
      EXPECT_TRUE(SamePixels(fromPalette.host.picture, fromTrueColour.host.picture)) << name;
      ASSERT_TRUE(fromPalette.edits.Undo()) << name;
      EXPECT_EQ(fromPalette.host.picture.BitCount(), bits) << name;
      EXPECT_EQ(fromPalette.state.ImageBits, bits) << name;
    }
  }
}

// The Gray shades submenu's True Grayscale is the Colors item's command and records its word.
TEST(ColorCommands, GrayShadesTrueGrayscaleIsTheSameCommand) {
  const Operation* item = OperationByMenuName("mnuGrayShadesGrayscale");
  ASSERT_NE(item, nullptr);
  EXPECT_EQ(std::get<DepthCommand>(item->run), DepthCommand::TrueGrayscale);
  EXPECT_STREQ(RecordedWord(*item), "GRAYSCALE");
  for (const char* word : {"HLS", "MASK_HLS", "MASK_HLSINV", "REPLACE_HLS", "REPLACE_HLSINV", "REPLACE_RGB",
                           "REPLACE_RGBINV", "AIRBRUSH", "RGBMAX", "RGBMIN", "NATURALIZE_RGB", "NATURALIZE_CCD"}) {
    ASSERT_NE(FindOperation(word), nullptr) << word;
    EXPECT_TRUE(FindOperation(word)->Built()) << word;
  }
}

}  // namespace
}  // namespace pelira
