#include <gtest/gtest.h>

#include "viewer/view_layout.h"

namespace pelira {
namespace {

TEST(Zoom, StepsStopAtTheEnds) {
  EXPECT_EQ(ZoomIn(100), 125);
  EXPECT_EQ(ZoomIn(775), 800);
  EXPECT_EQ(ZoomIn(800), 800);
  EXPECT_EQ(ZoomOut(100), 75);
  EXPECT_EQ(ZoomOut(50), 25);
  EXPECT_EQ(ZoomOut(25), 25);
}

TEST(Zoom, ZoomToRoundsDownAndCancelKeeps) {
  struct Case { int value, current, want; };
  const Case cases[] = {{130, 100, 125}, {800, 100, 800}, {10, 100, 25}, {5000, 100, 800},
                        {-999, 350, 350}, {199, 100, 175}};
  for (const Case& c : cases) EXPECT_EQ(ZoomToValue(c.value, c.current), c.want) << c.value;
}

TEST(Zoom, ZoomedSizeTruncates) {
  EXPECT_EQ(ZoomedSize({101, 33}, 125), (SizeI{126, 41}));
  EXPECT_EQ(ZoomedSize({3, 3}, 25), (SizeI{0, 0}));
  EXPECT_EQ(ZoomedSize({6000, 4000}, 800), (SizeI{48000, 32000}));
  EXPECT_EQ(ZoomedSize({INT32_MAX, 1}, 800).width, INT32_MAX);
}

TEST(ResizeImage, FitsCentresAndEnlargesOnlyWhenAsked) {
  struct Case { SizeI image, box; bool enlarge; RectI want; };
  const Case cases[] = {
      {{100, 80}, {640, 480}, false, {270, 200, 100, 80}},
      {{100, 80}, {640, 480}, true, {20, 0, 600, 480}},
      {{1000, 500}, {400, 400}, false, {0, 100, 400, 200}},
      {{100, 600}, {640, 480}, false, {280, 0, 80, 480}},  // taller than the box: fitted
      {{0, 0}, {640, 480}, true, {320, 240, 0, 0}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ResizeImage(c.image, c.box, c.enlarge), c.want)
        << c.image.width << "x" << c.image.height << (c.enlarge ? " up" : "");
  }
}

TEST(ScrollBoxRect, IntegerZoomsKeepWholeMagnifiedPixels) {
  const RectI area{0, 30, 641, 479};
  EXPECT_EQ(ScrollBoxRect(area, 100, false), area);
  EXPECT_EQ(ScrollBoxRect(area, 175, false), area);
  EXPECT_EQ(ScrollBoxRect(area, 200, false), (RectI{1, 31, 640, 478}));
  EXPECT_EQ(ScrollBoxRect(area, 300, false), (RectI{2, 32, 639, 477}));
  EXPECT_EQ(ScrollBoxRect(area, 300, true), area);
}

TEST(Scroll, PercentagesCarryOverToTheNewRange) {
  EXPECT_EQ(ScrollPercent(250, 1000), 25);
  EXPECT_EQ(ScrollPercent(5, 0), 0);
  struct Case { int percent; std::int32_t range, client; int zoom; std::int32_t want; };
  const Case cases[] = {
      {25, 2000, 500, 100, 500},
      {50, 1001, 500, 100, 501},   // MulDiv rounds
      {50, 1001, 500, 200, 500},   // rounded down to a multiple of 2
      {90, 2000, 500, 300, 1500},  // 1800 + 500 passes 2000: pulled back to 1500
      {90, 400, 500, 200, 0},      // the view is larger than the range
      {0, 0, 500, 400, 0},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ScrollFromPercent(c.percent, c.range, c.client, c.zoom), c.want)
        << c.percent << "% of " << c.range << " at " << c.zoom;
  }
}

}  // namespace
}  // namespace pelira
