#include <gtest/gtest.h>

#include <climits>

#include "display/fit_size.h"

namespace pelira {
namespace {

TEST(MulDiv, RoundsHalvesAwayFromZeroAndNeverOverflows) {
  struct Case { std::int64_t a, b, c; std::int32_t want; };
  const Case cases[] = {
      {5, 1, 2, 3},    {-5, 1, 2, -3},  {7, 3, 2, 11},  {1, 1, 3, 0},
      {2, 1, 3, 1},    {10, 0, 7, 0},   {1, 1, 0, -1},
      {INT32_MAX, INT32_MAX, INT32_MAX, INT32_MAX},      // 2^62 intermediate
      {INT64_MAX / 2, 4, 1, INT32_MAX},                  // saturates
  };
  for (const Case& c : cases) {
    EXPECT_EQ(MulDiv(c.a, c.b, c.c), c.want) << c.a << "*" << c.b << "/" << c.c;
  }
}

TEST(FitSize, FitsWithDoublingAndProportions) {
  struct Case { int w, h, mw, mh; SizeI want; };
  const Case cases[] = {
      {100, 50, 168, 126, {168, 84}},    // doubles twice: 200x100 is still below 126 high
      {100, 50, 400, 400, {400, 200}},   // 800x400, then scaled
      {1000, 500, 400, 400, {400, 200}}, // no doubling
      {100, 80, 640, 480, {600, 480}},   // width first, then the height limit
      {80, 100, 640, 480, {384, 480}},   // portrait
      {50, 50, 168, 126, {126, 126}},    // square: height rules
      {1, 100000, 100, 100, {1, 100}},   // a sliver keeps one pixel
  };
  for (const Case& c : cases) {
    EXPECT_EQ(FitSize(c.w, c.h, c.mw, c.mh), c.want) << c.w << "x" << c.h << " in " << c.mw << "x" << c.mh;
  }
}

TEST(FitSize, EmptyOrNegativeSizesFitToNothingInsteadOfLooping) {
  const int sizes[][4] = {{0, 50, 100, 100}, {50, 0, 100, 100}, {-3, 50, 100, 100},
                          {50, 50, 0, 100},  {50, 50, 100, -1}, {0, 0, 0, 0}};
  for (const auto& s : sizes) {
    EXPECT_EQ(FitSize(s[0], s[1], s[2], s[3]), SizeI{}) << s[0] << "x" << s[1] << " in " << s[2] << "x" << s[3];
  }
}

TEST(FitSize, ExtremeSizesStayInsideTheBox) {
  // Doubling 1 x (2^31-1) up to a 2^31-1 box used to overflow 32 bits.
  const SizeI r = FitSize(1, INT32_MAX, INT32_MAX, INT32_MAX);
  EXPECT_EQ(r.height, INT32_MAX);
  EXPECT_EQ(r.width, 1);
  const SizeI big = FitSize(INT32_MAX, INT32_MAX - 1, 800, 600);
  EXPECT_LE(big.width, 800);
  EXPECT_LE(big.height, 600);
  EXPECT_EQ(big.width, 600);
}

TEST(CenteredOrigin, TruncatesTowardZero) {
  EXPECT_EQ(CenteredOrigin(200, 101), 49);
  EXPECT_EQ(CenteredOrigin(100, 51), 24);
  EXPECT_EQ(CenteredOrigin(100, 203), -51);  // -51.5 truncates toward zero
}

}  // namespace
}  // namespace pelira
