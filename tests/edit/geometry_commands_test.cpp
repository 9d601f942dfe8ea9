#include <gtest/gtest.h>

#include "edit/geometry_commands.h"
#include "edit/memory_edit_host.h"
#include "edit/tone_commands.h"
#include "platform/scripted_ui.h"
#include "support/fake_geometry_host.h"
#include "support/test_pictures.h"

namespace pelira {
namespace {
using test::SamePixels;
using G = GeometryCommand;

class Lines : public ScriptRecorder {
public:
  void RecordScriptLine(const std::string& l) override { lines.push_back(l); }
  void AppendLines(const std::vector<std::string>&) override {}
  std::vector<std::string> lines;
};

class NoFilters : public FilterRequester {
public:
  FilterAnswer RunFilterDialog(const std::string&, const std::string&, const std::string&, const TFilterDlgParam&) override {
    return {};
  }
};

class Host : public MemoryEditHost {
public:
  using MemoryEditHost::MemoryEditHost;
  void SelectHandTool() override { ++handTool; }
  int handTool = 0;
};

Dib Picture(int w, int h, const std::function<ColorValue(int, int)>& fn) {
  Dib d(w, h, 24);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) d.SetPixel(x, y, fn(x, y));
  return d;
}

struct Fixture {
  explicit Fixture(Dib picture) : edit(state), edits(state, engine, undo, edit, none), geometry(state, engine, edits, edit, view) {
    SetCurrentUi(&ui);
    geometry.SetRecorder(&rec);
    edits.SetMemoryProbe({[] { return std::uint64_t{1} << 40; }, [](std::uint64_t) { return true; }});
    edit.picture = std::move(picture);
    SyncImageState(state, edit.picture);
  }
  ~Fixture() { SetCurrentUi(nullptr); }
  ScriptedUi ui;
  PictureState state;
  EngineState engine;
  UndoStore undo;
  Host edit;
  NoFilters none;
  test::FakeGeometryHost view;
  Lines rec;
  ToneCommands edits;
  GeometryCommands geometry;
};

TEST(GeometryCommands, GridThenCropCutsTheCellAndRecordsItsCorners) {
  Fixture f(test::PatternPicture(100, 100));
  f.view.grid = GridAnswer{0, 0, 2, 2};
  ASSERT_EQ(f.geometry.Run(G::Grid), GeometryOutcome::Done);
  EXPECT_EQ(f.view.selectionsShown, 1);
  EXPECT_EQ(f.state.SelectionRect.right, 50);
  EXPECT_EQ(f.state.LastRegion.bottom, 50);
  ASSERT_EQ(f.geometry.Run(G::Crop), GeometryOutcome::Done);
  EXPECT_EQ(f.edit.picture.Width(), 50);
  EXPECT_EQ(f.edit.picture.Height(), 50);
  EXPECT_EQ(f.state.ImageWidth, 50);
  EXPECT_EQ(f.rec.lines, std::vector<std::string>{"CROP=0,3276850"});
  EXPECT_GE(f.edit.handTool, 1);
  // The crop is undone like any edit.
  ASSERT_TRUE(f.edits.Undo());
  EXPECT_EQ(f.edit.picture.Width(), 100);
  // The grid remembers its columns and rows; a picture under 64 x 64 is refused with a warning.
  EXPECT_EQ(f.geometry.Memory().gridColumns, 2);
  Fixture small(test::PatternPicture(63, 100));
  EXPECT_EQ(small.geometry.Run(G::Grid), GeometryOutcome::Refused);
  ASSERT_EQ(small.ui.Texts().size(), 1u);
  EXPECT_EQ(small.ui.Texts()[0], kGridTooSmallText);
  EXPECT_TRUE(small.view.asked.empty());
}

TEST(GeometryCommands, NoSelectionChangesNothing) {
  for (G c : {G::Crop, G::CopySelection}) {
    Fixture f(test::PatternPicture(40, 30));
    EXPECT_EQ(f.geometry.Run(c), GeometryOutcome::Unchanged);
    EXPECT_FALSE(f.undo.Available());
    EXPECT_FALSE(f.view.clipboard.has_value());
    // A selection wholly outside the picture is none.
    f.geometry.SetSelection({50, 0, 10, 10});
    EXPECT_FALSE(f.state.SelectionDrawn);
    EXPECT_EQ(f.geometry.Run(c), GeometryOutcome::Unchanged);
    EXPECT_EQ(f.edit.picture.Width(), 40);
  }
}

TEST(GeometryCommands, CropKeepsThePicturesDepthAndPalette) {
  Dib gray(30, 20, 8, Gray256Palette());
  for (int y = 0; y < 20; ++y)
    for (int x = 0; x < 30; ++x) gray.SetIndex(x, y, static_cast<std::uint32_t>(x * 8 + y));
  Fixture f(gray);
  f.geometry.SetSelection({-5, 2, 15, 100});  // clipped to the picture
  ASSERT_EQ(f.geometry.Run(G::Crop), GeometryOutcome::Done);
  const Dib& out = f.edit.picture;
  ASSERT_EQ(out.BitCount(), 8);
  EXPECT_EQ(out.Width(), 10);
  EXPECT_EQ(out.Height(), 18);
  EXPECT_EQ(out.Colors(), Gray256Palette());
  EXPECT_EQ(out.Index(3, 4), gray.Index(3, 6));
}

TEST(GeometryCommands, MaskAsksWithTheLastRegionOrTheWholePicture) {
  Fixture f(test::PatternPicture(80, 60));
  Block seen;
  f.view.selection = [&](const Block& start) {
    seen = start;
    return std::optional<Block>(Block{5, 6, 20, 10});
  };
  // Nothing drawn yet: the whole picture.
  ASSERT_EQ(f.geometry.Run(G::Mask), GeometryOutcome::Done);
  EXPECT_EQ(seen, (Block{0, 0, 80, 60}));
  EXPECT_EQ(f.state.SelectionRect.left, 5);
  EXPECT_EQ(f.state.SelectionRect.right, 25);
  EXPECT_EQ(f.state.SelectionRect.bottom, 16);
  // Again: the last region comes back as it was, width for width.
  f.geometry.Run(G::Mask);
  EXPECT_EQ(seen, (Block{5, 6, 20, 10}));
  // Shift held: the whole picture again.
  f.view.shift = true;
  f.geometry.Run(G::Mask);
  EXPECT_EQ(seen, (Block{0, 0, 80, 60}));
  // Cancel keeps the selection; Select all asks nothing.
  f.view.selection = nullptr;
  EXPECT_EQ(f.geometry.Run(G::Mask), GeometryOutcome::Cancelled);
  EXPECT_EQ(f.state.SelectionRect.right, 25);
  const std::size_t asked = f.view.asked.size();
  ASSERT_EQ(f.geometry.Run(G::SelectAll), GeometryOutcome::Done);
  EXPECT_EQ(f.view.asked.size(), asked);
  EXPECT_EQ(f.state.SelectionRect.right, 80);
  EXPECT_EQ(f.state.SelectionRect.bottom, 60);
}

TEST(GeometryCommands, TrimCutsTheUniformEdgesOfTheSelection) {
  const ColorValue o = MakeColor(200, 200, 200);
  Fixture f(Picture(30, 20, [&](int x, int y) { return x >= 8 && x < 12 && y >= 5 && y < 9 ? 0x102030u : o; }));
  ASSERT_EQ(f.geometry.Run(G::Trim), GeometryOutcome::Done);
  EXPECT_EQ(f.edit.picture.Width(), 4);
  EXPECT_EQ(f.edit.picture.Height(), 4);
  EXPECT_TRUE(f.rec.lines.empty());
  // A picture of one colour has nothing to trim: it stays, without an undo copy.
  Fixture flat(Picture(10, 10, [&](int, int) { return o; }));
  EXPECT_EQ(flat.geometry.Run(G::Trim), GeometryOutcome::Unchanged);
  EXPECT_EQ(flat.edit.picture.Width(), 10);
  EXPECT_FALSE(flat.undo.Available());
}

TEST(GeometryCommands, DialogsCancelledChangeNothing) {
  for (G c : {G::RotateNormal, G::RotateFine, G::Border, G::TextMarkTopLeft, G::ResizeInterpolate, G::Grid, G::Mask}) {
    Fixture f(test::PatternPicture(70, 70));
    const Dib before = f.edit.picture;
    EXPECT_EQ(f.geometry.Run(c), GeometryOutcome::Cancelled) << static_cast<int>(c);
    EXPECT_TRUE(SamePixels(f.edit.picture, before));
    EXPECT_TRUE(f.rec.lines.empty());
    EXPECT_FALSE(f.state.ImageModified);
  }
  Fixture f(test::PatternPicture(70, 70));
  f.geometry.Run(G::RotateNormal);
  f.geometry.Run(G::RotateFine);
  f.geometry.Run(G::TextMarkTopLeft);
  EXPECT_EQ(f.view.asked, (std::vector<std::string>{"Rotate image (deg.)", "Rotate image (1/100 deg.)", kTextMarkTitle}));
}

TEST(GeometryCommands, ClipboardFailureIsReported) {
  Fixture f(test::PatternPicture(20, 20));
  f.view.clipboardWorks = false;
  f.geometry.SetSelection({0, 0, 5, 5});
  EXPECT_EQ(f.geometry.Run(G::CopySelection), GeometryOutcome::Failed);
  ASSERT_EQ(f.ui.Texts().size(), 1u);
  EXPECT_EQ(f.ui.Texts()[0], kClipboardFailedText);
}

TEST(GeometryCommands, TextMarkRecordsOneCleanLine) {
  const test::BoxGlyphs glyphs;
  Fixture f(test::PatternPicture(120, 40));
  f.engine.textRenderer = &glyphs;
  f.view.text = "a\r\nDELETE";
  ASSERT_EQ(f.geometry.Run(G::TextMarkTopLeft), GeometryOutcome::Done);
  EXPECT_EQ(f.rec.lines, std::vector<std::string>{"TEXTMARK_TOPLEFT=a  DELETE"});
  EXPECT_EQ(f.geometry.Memory().textMark, "a  DELETE");
  EXPECT_TRUE(f.state.ImageModified);
  // The outline starts at the picture's corner, in the outline colour.
  EXPECT_EQ(f.edit.picture.Pixel(0, 5), f.engine.textMark.outline);
}

}  // namespace
}  // namespace pelira
