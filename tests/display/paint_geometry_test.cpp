#include <gtest/gtest.h>

#include <algorithm>

#include "display/paint_geometry.h"

namespace pelira {
namespace {

TEST(NormalDestRect, StretchCenterOrOrigin) {
  const SizeI control{200, 100}, bitmap{101, 51};
  EXPECT_EQ(NormalDestRect(true, true, control, bitmap), (RectI{0, 0, 200, 100}));
  EXPECT_EQ(NormalDestRect(false, true, control, bitmap), (RectI{49, 24, 101, 51}));
  EXPECT_EQ(NormalDestRect(false, false, control, bitmap), (RectI{0, 0, 101, 51}));
}

TEST(PlanFastPaint, ChoosesThePathAndSourceRectangle) {
  struct Case {
    const char* what;
    SizeI bitmap, client;
    RectI clip;
    FastPaintKind kind;
    RectI dest, source;
  };
  const Case cases[] = {
      {"same size copies 1:1", {300, 200}, {300, 200}, {10, 20, 30, 40}, FastPaintKind::Copy,
       {10, 20, 30, 40}, {10, 20, 30, 40}},
      // Equal heights alone used to copy 1:1 and show a picture twice as wide cut off.
      {"equal heights, other width is stretched", {600, 200}, {300, 200}, {10, 20, 30, 40},
       FastPaintKind::Enlarged, {10, 20, 30, 40}, {20, 20, 60, 40}},
      {"reduced by 2", {600, 400}, {300, 200}, {10, 20, 30, 40}, FastPaintKind::Reduced,
       {10, 20, 30, 40}, {20, 40, 60, 80}},
      // k = 2: 5 wide at 10 grows to 6 (10..16), which covers source columns 5..8.
      {"enlarged by 2 widens to whole pixels", {100, 200}, {200, 400}, {10, 10, 5, 5},
       FastPaintKind::Enlarged, {10, 10, 6, 6}, {5, 5, 3, 3}},
      {"enlarged by 3 aligns both edges", {100, 100}, {300, 300}, {4, 7, 4, 1}, FastPaintKind::Enlarged,
       {3, 6, 6, 3}, {1, 2, 2, 1}},
      {"aligned edge stops at the client edge", {100, 100}, {301, 301}, {298, 298, 3, 3},
       FastPaintKind::Enlarged, {297, 297, 4, 4}, {99, 99, 1, 1}},
      {"clip outside the client is cut", {300, 200}, {300, 200}, {-10, 190, 50, 50}, FastPaintKind::Copy,
       {0, 190, 40, 10}, {0, 190, 40, 10}},
  };
  for (const Case& c : cases) {
    const FastPaintPlan p = PlanFastPaint(c.bitmap, c.client, c.clip);
    EXPECT_EQ(p.kind, c.kind) << c.what;
    EXPECT_EQ(p.dest, c.dest) << c.what;
    EXPECT_EQ(p.source, c.source) << c.what;
  }
}

TEST(PlanFastPaint, NothingToPaint) {
  EXPECT_EQ(PlanFastPaint({100, 0}, {200, 200}, {0, 0, 10, 10}).kind, FastPaintKind::Nothing);
  EXPECT_EQ(PlanFastPaint({100, 100}, {0, 200}, {0, 0, 10, 10}).kind, FastPaintKind::Nothing);
  EXPECT_EQ(PlanFastPaint({100, 100}, {200, 200}, {300, 0, 10, 10}).kind, FastPaintKind::Nothing);
  EXPECT_EQ(PlanFastPaint({100, 100}, {200, 200}, {0, 0, 0, 10}).kind, FastPaintKind::Nothing);
}

TEST(PlanFastPaint, EnlargedClipsCoverWholeSourcePixels) {
  // At an integer factor every widened clip covers the damage and maps exactly onto whole
  // source pixels, so partial repaints cannot leave seams.
  const SizeI bitmap{64, 48}, client{256, 192};
  for (int left = 0; left < 250; left += 7) {
    for (int width = 1; width < 12; width += 5) {
      const RectI clip{left, left / 2, width, width + 1};
      const FastPaintPlan p = PlanFastPaint(bitmap, client, clip);
      ASSERT_EQ(p.kind, FastPaintKind::Enlarged);
      EXPECT_LE(p.dest.left, clip.left);
      EXPECT_LE(p.dest.top, clip.top);
      EXPECT_GE(p.dest.right(), std::min<std::int64_t>(clip.right(), client.width));
      EXPECT_GE(p.dest.bottom(), clip.bottom());
      EXPECT_EQ(p.dest.left, p.source.left * 4) << left << "," << width;
      EXPECT_EQ(p.dest.width, p.source.width * 4) << left << "," << width;
      EXPECT_EQ(p.dest.top, p.source.top * 4);
      EXPECT_EQ(p.dest.height, p.source.height * 4);
    }
  }
}

TEST(NearestSourceIndex, RoundsAndStaysInside) {
  EXPECT_EQ(NearestSourceIndex(0, 600, 300), 0);
  EXPECT_EQ(NearestSourceIndex(1, 600, 300), 2);
  EXPECT_EQ(NearestSourceIndex(299, 600, 300), 598);
  EXPECT_EQ(NearestSourceIndex(1, 3, 2), 2);  // 1.5 rounds up
  EXPECT_EQ(NearestSourceIndex(1, 2, 2), 1);
  EXPECT_EQ(NearestSourceIndex(5, 0, 10), 0);
}

}  // namespace
}  // namespace pelira
