#include <gtest/gtest.h>

#include "viewer/window_sizing.h"

namespace pelira {
namespace {

const SizeI kScreen{1280, 1024};

TEST(SetWindowSize, AutoSizePullsInsideAndAutoCenterCentres) {
  struct Case { PointI at; SizeI size; bool autoSize, autoCenter; RectI want; };
  const Case cases[] = {
      {{900, 800}, {500, 400}, false, false, {900, 800, 500, 400}},
      {{900, 800}, {500, 400}, true, false, {780, 624, 500, 400}},
      {{900, 800}, {500, 400}, true, true, {390, 312, 500, 400}},
      {{-20, -5}, {500, 400}, false, false, {0, 0, 500, 400}},
      {{10, 10}, {1400, 1100}, true, false, {0, 0, 1400, 1100}},  // pulled to -120: becomes 0
  };
  for (const Case& c : cases) {
    EXPECT_EQ(SetWindowSize(c.at, c.size, kScreen, c.autoSize, c.autoCenter), c.want);
  }
}

TEST(GetWinMin, MenuWidthOrButtonWidths) {
  const std::vector<std::int32_t> buttons{40, 50, 60, 70};
  EXPECT_EQ(GetWinMin(true, false, buttons), 16 + 50 + 60 + 70);
  EXPECT_EQ(GetWinMin(false, false, buttons), 360);
  EXPECT_EQ(GetWinMin(true, true, buttons), 360);
}

TEST(SizeWindowToImage, AddsFrameAndBarsClampsAndKeepsMinimumWidths) {
  const WindowMetrics m{kScreen, 8, 50, 70};
  struct Case { SizeI image; MinWidthRules rules; SizeI want; };
  const Case cases[] = {
      {{640, 480}, {false, true, true, 500}, {648, 600}},
      {{3000, 2000}, {false, true, true, 500}, {1280, 1024}},  // clamped to the screen
      {{100, 100}, {false, true, true, 500}, {500, 220}},      // GetWinMin outside fit mode
      {{100, 100}, {true, true, true, 500}, {360, 220}},       // fit mode: the menu bar's 360
      {{100, 100}, {false, false, false, 500}, {108, 220}},    // "Fit to" disabled, no menu bar
  };
  for (const Case& c : cases) {
    const RectI r = SizeWindowToImage(c.image, {0, 0}, m, c.rules, false, false);
    EXPECT_EQ((SizeI{r.width, r.height}), c.want) << c.image.width << "x" << c.image.height;
  }
}

TEST(AdjustWindow, FitModeKeepsTheCornerOtherwiseCentres) {
  const WindowMetrics m{kScreen, 8, 50, 70};
  const MinWidthRules fit{true, true, true, 360};
  const MinWidthRules zoom{false, true, true, 360};
  EXPECT_EQ(AdjustWindow({400, 300}, {1000, 900}, m, fit, false), (RectI{1000, 900, 408, 420}));
  EXPECT_EQ(AdjustWindow({400, 300}, {1000, 900}, m, zoom, false), (RectI{436, 302, 408, 420}));
  // Shift keeps Auto Size but not Auto Center: only pulled inside the screen.
  EXPECT_EQ(AdjustWindow({400, 300}, {1000, 900}, m, zoom, true), (RectI{872, 604, 408, 420}));
}

TEST(FitWinTo, ShowsOneNthOrRefusesTinyWindows) {
  const WindowMetrics m{kScreen, 8, 50, 70};
  RectI r;
  ASSERT_TRUE(FitWinTo({1600, 1200}, 2, {30, 40}, m, r));
  EXPECT_EQ(r, (RectI{30, 40, 808, 720}));
  ASSERT_TRUE(FitWinTo({8000, 8000}, 1, {30, 40}, m, r));
  EXPECT_EQ(r, (RectI{30, 40, 1280, 1024}));
  // 200 / 4 + 8 = 58 wide: below 64, nothing happens.
  r = {1, 2, 3, 4};
  EXPECT_FALSE(FitWinTo({200, 200}, 4, {30, 40}, m, r));
  EXPECT_EQ(r, (RectI{1, 2, 3, 4}));
  EXPECT_FALSE(FitWinTo({200, 200}, 0, {30, 40}, m, r));
}

TEST(CustomViewport, ClientAreaPlusFrameAndBarsMovedOntoTheScreenNeverCentred) {
  const WindowMetrics m{kScreen, 8, 50, 70};
  EXPECT_EQ(CustomViewportLimit(m), (SizeI{1272, 904}));
  // 640 x 480 of client: 648 x 600 outer, kept where it stands.
  EXPECT_EQ(CustomViewportWindow({640, 480}, {30, 40}, m), (RectI{30, 40, 648, 600}));
  // Near the corner it moves left and up just enough (Auto Size on, Auto Center off).
  EXPECT_EQ(CustomViewportWindow({640, 480}, {1000, 900}, m), (RectI{632, 424, 648, 600}));
  // The largest offered area fills the screen; anything larger is clamped to it.
  EXPECT_EQ(CustomViewportWindow(CustomViewportLimit(m), {5, 5}, m), (RectI{0, 0, 1280, 1024}));
  EXPECT_EQ(CustomViewportWindow({INT32_MAX, INT32_MAX}, {5, 5}, m), (RectI{0, 0, 1280, 1024}));
}

TEST(TileWindowRects, HalvesOverlapsAndKeptWidths) {
  const SizeI screen{1024, 768};
  const RectI usable{0, 0, 1024, 728};  // a 40-pixel task bar at the bottom
  TileRects t = TileWindowRects(usable, screen, false, false, false, 300);
  EXPECT_EQ(t.explorer, (RectI{512, 0, 512, 728}));
  EXPECT_EQ(t.viewer, (RectI{0, 0, 512, 728}));
  t = TileWindowRects({0, 0, 1024, 768}, screen, false, true, false, 300);  // Shift: the whole screen
  EXPECT_EQ(t.explorer, (RectI{0, 0, 512, 768}));
  EXPECT_EQ(t.viewer, (RectI{512, 0, 512, 768}));
  t = TileWindowRects(usable, screen, true, true, false, 300);
  EXPECT_EQ(t.explorer, t.viewer);
  EXPECT_EQ(t.explorer, (RectI{0, 0, 512, 728}));
  // Ctrl: the explorer keeps its width against its edge, the viewer takes the rest.
  t = TileWindowRects(usable, screen, false, false, true, 300);
  EXPECT_EQ(t.explorer, (RectI{724, 0, 300, 768}));
  EXPECT_EQ(t.viewer, (RectI{0, 0, 724, 768}));
  // A task bar on the left: the usable area starts right of it.
  t = TileWindowRects({60, 0, 964, 768}, screen, false, true, false, 300);
  EXPECT_EQ(t.explorer, (RectI{60, 0, 482, 768}));
  EXPECT_EQ(t.viewer, (RectI{542, 0, 482, 768}));
}

TEST(RestoreWindowBounds, ClampsMovesInsideOrTakesHalfTheScreen) {
  struct Case { std::int32_t l, t, r, b; RectI want; };
  const Case cases[] = {
      {100, 50, 900, 650, {100, 50, 800, 600}},
      {-10, -20, 790, 580, {0, 0, 800, 600}},
      {1000, 900, 1600, 1400, {680, 524, 600, 500}},     // moved left and up to fit
      {0, 0, 5000, 5000, {0, 0, 1280, 1024}},            // clamped to the screen
      {0, 0, 0, 0, {0, 0, 640, 512}},                    // first run: half the screen
      {100, 100, 150, 600, {0, 0, 640, 512}},            // too narrow
      {INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX, {0, 0, 1280, 1024}},  // hostile corners
      {INT32_MAX, 0, INT32_MIN, 100, {0, 0, 640, 512}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(RestoreWindowBounds(c.l, c.t, c.r, c.b, {0, 0}, kScreen, false, false), c.want)
        << c.l << "," << c.t << "," << c.r << "," << c.b;
  }
  // Half the screen goes through SetWindowSize with the settings in force.
  EXPECT_EQ(RestoreWindowBounds(0, 0, 0, 0, {0, 0}, kScreen, true, true), (RectI{320, 256, 640, 512}));
}

TEST(RestoreEditorBounds, ClampsOrTakesHalfWidthThreeQuartersHeightWhereItStands) {
  struct Case { std::int32_t l, t, r, b; RectI want; };
  const Case cases[] = {
      {100, 50, 900, 650, {100, 50, 800, 600}},
      {-10, -20, 790, 580, {0, 0, 800, 600}},
      {0, 0, 0, 0, {0, 0, 640, 768}},                    // never stored
      {1000, 900, 1030, 1000, {640, 256, 640, 768}},     // too narrow: the default size, pulled inside
      {INT32_MAX, 0, INT32_MIN, 100, {640, 0, 640, 768}},
      {INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX, {0, 0, 1280, 1024}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(RestoreEditorBounds(c.l, c.t, c.r, c.b, kScreen), c.want) << c.l << "," << c.t << "," << c.r << "," << c.b;
  }
}

}  // namespace
}  // namespace pelira
