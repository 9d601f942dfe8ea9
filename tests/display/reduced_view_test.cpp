#include <gtest/gtest.h>

#include "display/reduced_view.h"

namespace pelira {
namespace {

// A white 1-bit page with one-pixel black strokes: a column at x = 13 and a row at y = 22.
Dib Fax(int w, int h, bool blackIsZero) {
  Palette p = blackIsZero ? Palette{{0, 0, 0, 0}, {255, 255, 255, 0}} : Palette{{255, 255, 255, 0}, {0, 0, 0, 0}};
  Dib d(w, h, 1, p);
  const std::uint32_t black = blackIsZero ? 0 : 1;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) d.SetIndex(x, y, (x == 13 || y == 22) ? black : 1 - black);
  return d;
}

int CountIndex(const ClipPixels& c, std::uint8_t index) {
  int n = 0;
  for (int y = 0; y < c.height; ++y)
    for (int x = 0; x < c.width; ++x) n += c.Row(y)[x] == index;
  return n;
}

TEST(ReduceBlackWins, ThinStrokesSurviveAQuarterSizeView) {
  for (bool blackIsZero : {true, false}) {
    const Dib fax = Fax(64, 48, blackIsZero);
    const std::uint8_t black = blackIsZero ? 0 : 1;
    ClipPixels c;
    ReduceBlackWins(fax, {16, 12}, {0, 0, 16, 12}, c);
    ASSERT_EQ(c.width, 16);
    ASSERT_EQ(c.height, 12);
    // Column 13 lies in block 3 (12..15), row 22 in block 5 (20..23).
    for (int y = 0; y < 12; ++y) {
      for (int x = 0; x < 16; ++x) {
        EXPECT_EQ(c.Row(y)[x] == black, x == 3 || y == 5) << x << "," << y << " blackIsZero=" << blackIsZero;
      }
    }
    // Nearest sampling takes columns 0, 4, 8, 12, 16 ... and loses the stroke at 13.
    ClipPixels nearest;
    Dib as8(64, 48, 8);
    for (int y = 0; y < 48; ++y)
      for (int x = 0; x < 64; ++x) as8.SetIndex(x, y, fax.Index(x, y));
    SampleReducedView(as8, {16, 12}, {0, 0, 16, 12}, nearest);
    EXPECT_LT(CountIndex(nearest, black), CountIndex(c, black));
  }
}

TEST(ReduceBlackWins, PartialRepaintsMatchTheFullView) {
  const Dib fax = Fax(203, 157, true);
  const SizeI client{61, 47};
  ClipPixels full;
  ReduceBlackWins(fax, client, {0, 0, client.width, client.height}, full);
  const RectI clips[] = {{0, 0, 7, 5}, {13, 4, 20, 30}, {55, 40, 100, 100}, {-5, -5, 10, 10}};
  for (const RectI& clip : clips) {
    ClipPixels part;
    ReduceBlackWins(fax, client, clip, part);
    const int x0 = std::max(clip.left, 0), y0 = std::max(clip.top, 0);
    ASSERT_EQ(part.width, std::min<int>(clip.right(), client.width) - x0);
    for (int y = 0; y < part.height; ++y)
      for (int x = 0; x < part.width; ++x)
        ASSERT_EQ(part.Row(y)[x], full.Row(y0 + y)[x0 + x]) << clip.left << "," << clip.top << " at " << x << "," << y;
  }
}

TEST(ReduceBlackWins, EnlargedViewRepeatsPixels) {
  const Dib fax = Fax(20, 30, true);
  ClipPixels c;
  ReduceBlackWins(fax, {40, 60}, {26, 0, 2, 1}, c);  // control columns 26, 27 show column 13
  ASSERT_EQ(c.width, 2);
  EXPECT_EQ(c.Row(0)[0], 0);
  EXPECT_EQ(c.Row(0)[1], 0);
}

TEST(DarkerIndex, PicksTheDarkerEntry) {
  EXPECT_EQ(DarkerIndex({{0, 0, 0, 0}, {255, 255, 255, 0}}), 0);
  EXPECT_EQ(DarkerIndex({{255, 255, 255, 0}, {0, 0, 0, 0}}), 1);
  EXPECT_EQ(DarkerIndex({{255, 255, 255, 0}}), 1);  // a missing entry reads black
  EXPECT_EQ(DarkerIndex({{9, 9, 9, 0}, {9, 9, 9, 0}}), 0);
}

TEST(SampleReducedView, NearestPixelForEachDepth) {
  // 4 x 2 pictures shown 2 x 1: columns 0 and 2 of row 0.
  Dib rgb(4, 2, 24), idx8(4, 2, 8), idx4(4, 2, 4);
  for (int x = 0; x < 4; ++x) {
    rgb.SetPixel(x, 0, MakeColor(10 * x + 1, 10 * x + 2, 10 * x + 3));
    rgb.SetPixel(x, 1, MakeColor(200, 200, 200));
    idx8.SetIndex(x, 0, 100 + x);
    idx8.SetIndex(x, 1, 7);
    idx4.SetIndex(x, 0, 10 + x);  // 10..13: odd and even nibbles
    idx4.SetIndex(x, 1, 1);
  }
  ClipPixels c;
  SampleReducedView(rgb, {2, 1}, {0, 0, 2, 1}, c);
  ASSERT_EQ(c.bitsPerPixel, 24);
  EXPECT_EQ(std::vector<std::uint8_t>(c.Row(0), c.Row(0) + 6), (std::vector<std::uint8_t>{3, 2, 1, 23, 22, 21}));
  SampleReducedView(idx8, {2, 1}, {0, 0, 2, 1}, c);
  ASSERT_EQ(c.bitsPerPixel, 8);
  EXPECT_EQ(c.Row(0)[0], 100);
  EXPECT_EQ(c.Row(0)[1], 102);
  SampleReducedView(idx4, {3, 1}, {0, 0, 3, 1}, c);  // columns 0, 1, 3
  EXPECT_EQ(c.Row(0)[0], 10);
  EXPECT_EQ(c.Row(0)[1], 11);
  EXPECT_EQ(c.Row(0)[2], 13);
}

TEST(SampleReducedView, EmptyInputsGiveNothing) {
  ClipPixels c;
  SampleReducedView(Dib(), {10, 10}, {0, 0, 10, 10}, c);
  EXPECT_EQ(c.width, 0);
  SampleReducedView(Dib(4, 4, 24), {10, 10}, {20, 0, 10, 10}, c);
  EXPECT_TRUE(c.bytes.empty());
}

}  // namespace
}  // namespace pelira
