#include <gtest/gtest.h>

#include "viewer/print_layout.h"

namespace pelira {
namespace {

const PrinterPage kLetter600{4800, 6600, 600, 600, false, true};

TEST(PrintLayout, PlacementOfTheWorkedPageAtSeveralSizes) {
  struct Case { int percent; PrintPlacement want; };
  const Case cases[] = {
      {100, {4800, 3200, 0, 1700, 0, 3400, 1, 425}},
      {50, {2400, 1600, 1200, 2500, 2400, 5000, 300, 625}},
      // 29 % of 3200 is 928 exactly (a binary 0.29 would make it 927).
      {29, {1392, 928, 1704, 2836, 3408, 5672, 426, 709}},
      {1, {48, 32, 2376, 3284, 4752, 6568, 594, 821}},
  };
  for (const Case& c : cases) {
    const PrintPlacement p = PlaceOnPage(600, 400, kLetter600, c.percent);
    SCOPED_TRACE(c.percent);
    EXPECT_EQ(p.W, c.want.W);
    EXPECT_EQ(p.H, c.want.H);
    EXPECT_EQ(p.X, c.want.X);
    EXPECT_EQ(p.Y, c.want.Y);
    EXPECT_EQ(p.rangeX, c.want.rangeX);
    EXPECT_EQ(p.rangeY, c.want.rangeY);
    EXPECT_EQ(p.stepX, c.want.stepX);
    EXPECT_EQ(p.stepY, c.want.stepY);
  }
}

TEST(PrintLayout, AspectFitKeepsTheLimitingSideOnTheBox) {
  struct Case { std::int64_t w, h, bw, bh; SizeI want; };
  const Case cases[] = {
      {1, 99, 4800, 6600, {66, 6600}},      // float scaling would leave 6599
      {99, 1, 4800, 6600, {4800, 48}},
      {1, 1, 4800, 6600, {4800, 4800}},
      {32000, 32000, 1, 1, {1, 1}},
      {32000, 1, 100, 100, {100, 0}},        // a hair-thin picture truncates to nothing
      {2147483647, 2147483647, 2147483647, 1, {1, 1}},
      {0, 10, 100, 100, {0, 0}},
      {10, -1, 100, 100, {0, 0}},
      {10, 10, 0, 100, {0, 0}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.w << "x" << c.h << " in " << c.bw << "x" << c.bh);
    EXPECT_EQ(AspectFit(c.w, c.h, c.bw, c.bh), c.want);
  }
}

TEST(PrintLayout, ZeroSizesAndFullPagesGiveNoDivisionAndStepOne) {
  // A picture that fills the page leaves the bars no range; the large step stays 1.
  const PrintPlacement full = PlaceOnPage(4800, 6600, kLetter600, 100);
  EXPECT_EQ(full.rangeX, 0);
  EXPECT_EQ(full.rangeY, 0);
  EXPECT_EQ(full.stepX, 1);
  EXPECT_EQ(full.stepY, 1);
  EXPECT_EQ(PreviewOffset(0, 0, 0), 0);
  EXPECT_EQ(PreviewOffset(5, 0, 40), 0);

  const PrintPlacement none = PlaceOnPage(0, 0, kLetter600, 100);
  EXPECT_EQ(none.W, 0);
  EXPECT_EQ(none.X, 2400);
  const PrintPlacement noPage = PlaceOnPage(600, 400, PrinterPage{}, 100);
  EXPECT_EQ(noPage.W, 0);
  EXPECT_EQ(noPage.rangeX, 0);
  EXPECT_EQ(noPage.stepY, 1);
  EXPECT_FALSE(PrinterPage{}.Usable());
  EXPECT_TRUE(kLetter600.Usable());
  // Percent outside the bar's range is held to it.
  EXPECT_EQ(PlaceOnPage(600, 400, kLetter600, 0).W, 48);
  EXPECT_EQ(PlaceOnPage(600, 400, kLetter600, 250).W, 4800);
}

TEST(PrintLayout, PreviewSheetPictureAndOffsets) {
  // The page fitted in a 200 x 200 panel and centred.
  EXPECT_EQ(SheetInPanel(200, 200, kLetter600), (RectI{27, 0, 145, 200}));
  EXPECT_EQ(SheetInPanel(0, 200, kLetter600), RectI{});
  EXPECT_EQ(PreviewPicture(600, 400, 143, 198, 100), (SizeI{143, 95}));
  EXPECT_EQ(PreviewPicture(600, 400, 143, 198, 50), (SizeI{71, 47}));
  // The bar's end puts the picture at the sheet's edge, its middle half way.
  EXPECT_EQ(PreviewOffset(3400, 3400, 103), 103);
  EXPECT_EQ(PreviewOffset(1700, 3400, 103), 51);
  EXPECT_EQ(PreviewOffset(9999, 3400, 103), 103);
  EXPECT_EQ(PreviewOffset(-5, 3400, 103), 0);
  EXPECT_EQ(PreviewOffset(2147483647, 2147483647, 2147483647), 2147483647);
}

TEST(PrintLayout, LabelsInEveryUnit) {
  const PrintPlacement p = PlaceOnPage(600, 400, kLetter600, 100);
  struct Case { PrintUnit unit; const char *w, *h, *x, *y, *page; };
  const Case cases[] = {
      {PrintUnit::Pixels, "Width : 4800", "Height: 3200", "&X pos : 0", "&Y pos : 1700", "Portrait : 4800 x 6600"},
      {PrintUnit::Inches, "Width : 8.0", "Height: 5.3", "&X pos : 0.0", "&Y pos : 2.8", "Portrait : 8.0 x 11.0"},
      {PrintUnit::Centimetres, "Width : 20.3", "Height: 13.5", "&X pos : 0.0", "&Y pos : 7.2",
       "Portrait : 20.3 x 27.9"},
  };
  for (const Case& c : cases) {
    const PrintLabels l = MakePrintLabels(p, kLetter600, c.unit);
    EXPECT_EQ(l.width, c.w);
    EXPECT_EQ(l.height, c.h);
    EXPECT_EQ(l.x, c.x);
    EXPECT_EQ(l.y, c.y);
    EXPECT_EQ(l.page, c.page);
  }
  PrinterPage landscape = kLetter600;
  landscape.landscape = true;
  landscape.dpiY = 300;
  EXPECT_EQ(MakePrintLabels(p, landscape, PrintUnit::Pixels).settings, "Landscape: 4800 x 6600  (600 x 300 dpi)");
  // Exact halves round to the even digit; no resolution shows 0.0 rather than dividing by 0.
  EXPECT_EQ(UnitText(150, 600, PrintUnit::Inches), "0.2");
  EXPECT_EQ(UnitText(450, 600, PrintUnit::Inches), "0.8");
  EXPECT_EQ(UnitText(450, 0, PrintUnit::Inches), "0.0");
  EXPECT_EQ(SizeLabel(29), "  Si&ze : 29%");
  EXPECT_EQ(PrintSetupCaption("a.bmp"), "Print Setup: a.bmp");
}

}  // namespace
}  // namespace pelira
