#include <gtest/gtest.h>

#include "engine/filter_preview.h"
#include "image/palette.h"

namespace pelira {
namespace {

TEST(PreviewWindow, StaysInsideThePictureAndTheBox) {
  struct Case {
    int w, h, x, y, boxW, boxH;
    TRect expected;
  } cases[] = {
      {1000, 800, 100, 50, 360, 360, {100, 50, 460, 410}},
      {1000, 800, 900, 700, 360, 360, {640, 440, 1000, 800}},  // scrolled past the end
      {1000, 800, -20, -5, 360, 360, {0, 0, 360, 360}},
      {200, 100, 30, 30, 360, 360, {0, 0, 200, 100}},          // smaller than the box
      {0, 0, 0, 0, 360, 360, {0, 0, 0, 0}},
  };
  for (const Case& c : cases) {
    const TRect r = PreviewWindow(c.w, c.h, c.x, c.y, c.boxW, c.boxH);
    EXPECT_EQ(r.left, c.expected.left) << c.w << "x" << c.h << " at " << c.x;
    EXPECT_EQ(r.top, c.expected.top) << c.w << "x" << c.h << " at " << c.y;
    EXPECT_EQ(r.right, c.expected.right) << c.w << "x" << c.h;
    EXPECT_EQ(r.bottom, c.expected.bottom) << c.w << "x" << c.h;
  }
}

TEST(FitInBox, KeepsTheAspect) {
  struct Case {
    int w, h, boxW, boxH, fw, fh;
  } cases[] = {
      {6000, 4000, 360, 360, 360, 240}, {4000, 6000, 360, 360, 240, 360}, {300, 200, 360, 360, 300, 200},
      {100000, 10, 360, 360, 360, 1},  // never 0 high
      {2000000000, 2000000000, 372, 360, 360, 360},  // sides whose product overflows 32 bits
      {0, 10, 360, 360, 0, 0},
  };
  for (const Case& c : cases) {
    const FitSize f = FitInBox(c.w, c.h, c.boxW, c.boxH);
    EXPECT_EQ(f.width, c.fw) << c.w << "x" << c.h;
    EXPECT_EQ(f.height, c.fh) << c.w << "x" << c.h;
  }
}

TEST(PreviewSource, WindowIsCopiedAtOneToOneAndPromoted) {
  Palette gray;
  for (int i = 0; i < 256; ++i) gray.push_back({static_cast<std::uint8_t>(i), static_cast<std::uint8_t>(i),
                                                static_cast<std::uint8_t>(i), 0});
  Dib p(50, 40, 8, gray);
  for (int y = 0; y < 40; ++y)
    for (int x = 0; x < 50; ++x) p.ScanLine(y)[x] = static_cast<std::uint8_t>(x * 5 + y);
  const Dib w = ActualViewSource(p, {10, 5, 30, 25});
  ASSERT_EQ(w.BitCount(), 24);
  ASSERT_EQ(w.Width(), 20);
  ASSERT_EQ(w.Height(), 20);
  for (int y = 0; y < 20; ++y)
    for (int x = 0; x < 20; ++x) {
      const int v = (x + 10) * 5 + y + 5;
      ASSERT_EQ(w.Pixel(x, y), MakeColor(v, v, v)) << x << "," << y;
    }
  const Dib f = FittedSource(p, 25, 25);
  EXPECT_EQ(f.Width(), 25);
  EXPECT_EQ(f.Height(), 20);
  EXPECT_EQ(f.BitCount(), 24);
}

}  // namespace
}  // namespace pelira
