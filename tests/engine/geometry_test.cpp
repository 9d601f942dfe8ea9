#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <numbers>

#include "engine/geometry.h"
#include "engine/resample.h"
#include "engine_test_util.h"
#include "imaging_library/image_ops.h"
#include "support/test_support.h"

namespace pelira {
namespace {

using test::PixelBytes;

Dib ReadPpm(const std::string& name) {
  const std::vector<std::uint8_t> b = test::ReadBytes(test::Fixture("engine/" + name));
  std::string head(b.begin(), b.begin() + std::min<std::size_t>(b.size(), 32));
  int w = 0, h = 0, maxv = 0, used = 0;
  EXPECT_EQ(std::sscanf(head.c_str(), "P6 %d %d %d%n", &w, &h, &maxv, &used), 3) << name;
  const std::size_t start = static_cast<std::size_t>(used) + 1;
  Dib d(w, h, 24);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const std::uint8_t* p = &b[start + 3 * (static_cast<std::size_t>(y) * w + x)];
      d.SetPixel(x, y, MakeColor(p[0], p[1], p[2]));
    }
  return d;
}

// Our operations against ImageMagick's on the same 23x17 picture (commands in the fixtures'
// README), byte for byte.
TEST(Geometry, MatchesImageMagick) {
  const Dib src = ReadPpm("filters_src.ppm");
  const struct {
    const char* file;
    std::function<Dib()> ours;
  } cases[] = {
      {"geometry_crop.ppm", [&] { return CopyBlock(src, {5, 3, 9, 7}); }},
      {"geometry_border.ppm", [&] {
         Dib d = src;
         MergeBorder(d, MakeColor(200, 30, 90), 3, 2);
         return d;
       }},
      {"geometry_flop.ppm", [&] {
         Dib d = src;
         Mirror(d, true, false);
         return d;
       }},
      {"geometry_flip.ppm", [&] {
         Dib d = src;
         Mirror(d, false, true);
         return d;
       }},
      // The library turns counter-clockwise; ImageMagick's angles are clockwise.
      {"geometry_rot90.ppm", [&] { return Rotate(src, 27000, 0); }},
      {"geometry_rot180.ppm", [&] { return Rotate(src, 18000, 0); }},
      {"geometry_rot270.ppm", [&] { return Rotate(src, 9000, 0); }},
      {"geometry_trim.ppm", [&] {
         const Dib framed = ReadPpm("geometry_trim_src.ppm");
         return CopyBlock(framed, TrimBlock(framed, {0, 0, framed.Width(), framed.Height()}));
       }},
  };
  for (const auto& c : cases) {
    const Dib want = ReadPpm(c.file);
    const Dib got = c.ours();
    ASSERT_EQ(got.Width(), want.Width()) << c.file;
    ASSERT_EQ(got.Height(), want.Height()) << c.file;
    EXPECT_EQ(PixelBytes(got), PixelBytes(want)) << c.file;
  }
}

// Right angles and mirrors keep depth and palette, and move the very indices.
TEST(Geometry, RightAnglesAndMirrorsKeepEveryDepth) {
  for (int bits : {1, 4, 8, 24}) {
    Dib d(13, 6, bits);
    const std::uint32_t levels = bits == 24 ? 0x1000000u : 1u << bits;
    for (int y = 0; y < 6; ++y)
      for (int x = 0; x < 13; ++x) d.SetIndex(x, y, static_cast<std::uint32_t>(x * 7 + y * 31 + x * y * 101) % levels);
    const Dib cw = Rotate(d, 27000, 0), ccw = Rotate(d, 9000, 0), half = Rotate(d, 18000, 0);
    ASSERT_EQ(cw.BitCount(), bits);
    ASSERT_EQ(cw.Width(), 6);
    Dib flop = d, flip = d;
    Mirror(flop, true, false);
    Mirror(flip, false, true);
    for (int y = 0; y < 6; ++y)
      for (int x = 0; x < 13; ++x) {
        const std::uint32_t v = d.Index(x, y);
        ASSERT_EQ(cw.Index(5 - y, x), v) << bits;
        ASSERT_EQ(ccw.Index(y, 12 - x), v) << bits;
        ASSERT_EQ(half.Index(12 - x, 5 - y), v) << bits;
        ASSERT_EQ(flop.Index(12 - x, y), v) << bits;
        ASSERT_EQ(flip.Index(x, 5 - y), v) << bits;
      }
    const Dib part = CopyBlock(d, {3, 1, 7, 4});
    EXPECT_EQ(part.BitCount(), bits);
    EXPECT_EQ(part.Colors(), d.Colors());
    for (int y = 0; y < 4; ++y)
      for (int x = 0; x < 7; ++x) ASSERT_EQ(part.Index(x, y), d.Index(x + 3, y + 1)) << bits;
  }
}

// Any angle: the fast path against the plain formula (bilinear in doubles), within rounding.
TEST(Geometry, FreeRotationFollowsTheFormula) {
  const Dib src = test::NoisePicture(57, 41, 5);
  const ColorValue fill = MakeColor(1, 2, 3);
  for (int angle : {3330, 4500, 12000, 33333}) {
    const Dib got = Rotate(src, angle, fill);
    const double t = angle / 100.0 * std::numbers::pi / 180.0, c = std::cos(t), s = std::sin(t);
    const int W = static_cast<int>(std::lround(std::abs(57 * c) + std::abs(41 * s)));
    const int H = static_cast<int>(std::lround(std::abs(57 * s) + std::abs(41 * c)));
    ASSERT_EQ(got.Width(), W);
    ASSERT_EQ(got.Height(), H);
    int worst = 0;
    for (int Y = 0; Y < H; ++Y)
      for (int X = 0; X < W; ++X) {
        const double dx = X + 0.5 - W / 2.0, dy = Y + 0.5 - H / 2.0;
        const double sx = dx * c - dy * s + 57 / 2.0 - 0.5, sy = dx * s + dy * c + 41 / 2.0 - 0.5;
        // Pixels right on the edge may fall either way.
        const double margin = 1e-6;
        if (sx < -0.5 - margin || sy < -0.5 - margin || sx > 56.5 + margin || sy > 40.5 + margin) {
          ASSERT_EQ(got.Pixel(X, Y), fill) << angle << " " << X << "," << Y;
          continue;
        }
        if (sx < -0.5 + margin || sy < -0.5 + margin || sx > 56.5 - margin || sy > 40.5 - margin) continue;
        const int x0 = std::clamp(static_cast<int>(std::floor(sx)), 0, 56), y0 = std::clamp(static_cast<int>(std::floor(sy)), 0, 40);
        const int x1 = std::min(x0 + 1, 56), y1 = std::min(y0 + 1, 40);
        const double fx = std::clamp(sx - x0, 0.0, 1.0), fy = std::clamp(sy - y0, 0.0, 1.0);
        for (int k = 0; k < 3; ++k) {
          auto ch = [&](int x, int y) { return (src.Pixel(x, y) >> (8 * k)) & 255; };
          const double v = (ch(x0, y0) * (1 - fx) + ch(x1, y0) * fx) * (1 - fy) + (ch(x0, y1) * (1 - fx) + ch(x1, y1) * fx) * fy;
          worst = std::max(worst, std::abs(static_cast<int>((got.Pixel(X, Y) >> (8 * k)) & 255) - static_cast<int>(std::lround(v))));
        }
      }
    EXPECT_LE(worst, 1) << angle;
  }
}

// Resampling to half skips the step through twice the target only because that step gives
// every pixel back.
TEST(Geometry, ResampleToHalfSkipsOnlyAnIdentityStep) {
  const Dib src = test::NoisePicture(640, 400, 9);
  const TRect all{0, 0, 640, 400};
  const Dib mid = ScaledCopy(src, 640, 400, all, 4);
  EXPECT_EQ(PixelBytes(mid), PixelBytes(src));
  Dib fast = src;
  ASSERT_EQ(Resample(fast, 320, 200), ResampleResult::Done);
  EXPECT_EQ(PixelBytes(fast), PixelBytes(ScaledCopy(mid, 320, 200, all, 4)));
}

TEST(Geometry, TrimTakesOffOnlyTheReferenceColoursEdges) {
  const ColorValue o = MakeColor(9, 9, 9);
  // A 10x8 field of o with two marks: the box is exactly the marks' bounds.
  Dib d = test::MakePicture(10, 8, [&](int x, int y) { return (x == 3 && y == 2) || (x == 6 && y == 5) ? 0xFFFFFFu : o; });
  EXPECT_EQ(TrimBlock(d, {0, 0, 10, 8}), (Block{3, 2, 4, 4}));
  // Within a selection the reference is the selection's own top left pixel: here a mark's
  // colour, so no edge goes.
  EXPECT_EQ(TrimBlock(d, {1, 1, 8, 6}), (Block{3, 2, 4, 4}));
  EXPECT_EQ(TrimBlock(d, {3, 2, 7, 6}), (Block{3, 2, 7, 6}));
  // One colour only: nothing is left.
  EXPECT_TRUE(TrimBlock(test::MakePicture(5, 5, [&](int, int) { return o; }), {0, 0, 5, 5}).Empty());
}

TEST(Geometry, LowResKeepsTheTopBits) {
  const struct { int bits; std::uint8_t mask; } cases[] = {{2, 0xC0}, {3, 0xE0}, {4, 0xF0}, {5, 0xF8}, {6, 0xFC}, {7, 0xFE}, {1, 0xFE}, {9, 0xFE}};
  for (const auto& c : cases) EXPECT_EQ(LowResMask(c.bits), c.mask) << c.bits;
  Dib d = test::MakePicture(2, 1, [](int x, int) { return x ? MakeColor(255, 31, 128) : MakeColor(0, 33, 224); });
  ASSERT_TRUE(LowRes(d, 3));
  EXPECT_EQ(d.Pixel(1, 0), MakeColor(224, 0, 128));
  EXPECT_EQ(d.Pixel(0, 0), MakeColor(0, 32, 224));
  Dib palette(4, 4, 8);
  EXPECT_FALSE(LowRes(palette, 3));
}

TEST(Geometry, BordersPaintTheEdgesAndKeepTheSize) {
  const ColorValue c = MakeColor(1, 2, 3), bg = MakeColor(200, 200, 200);
  Dib d = test::MakePicture(100, 50, [&](int, int) { return bg; });
  ASSERT_TRUE(MergeBorder(d, c, 10, 5));
  ASSERT_EQ(d.Width(), 100);
  ASSERT_EQ(d.Height(), 50);
  for (int y = 0; y < 50; ++y)
    for (int x = 0; x < 100; ++x) {
      const bool band = x < 10 || x >= 90 || y < 5 || y >= 45;
      ASSERT_EQ(d.Pixel(x, y), band ? c : bg) << x << "," << y;
    }
  Dib tb = test::MakePicture(20, 20, [&](int, int) { return bg; });
  ASSERT_TRUE(MergeBorderTopBot(tb, c, 3, 2));
  for (int y = 0; y < 20; ++y) EXPECT_EQ(tb.Pixel(10, y), y < 3 || y >= 18 ? c : bg) << y;
  EXPECT_EQ(tb.Pixel(0, 10), bg);
  // Bands wider than the picture cover all of it, nothing beyond.
  Dib small = test::MakePicture(4, 4, [&](int, int) { return bg; });
  ASSERT_TRUE(MergeBorder(small, c, 239, 239));
  EXPECT_EQ(small.Pixel(2, 2), c);
}

TEST(Geometry, TextTokensAreReplacedOnceAndNeverFormatted) {
  const std::optional<std::string> beach = std::string("beach");
  const struct {
    std::string text;
    std::optional<std::string> file;
    std::string want;
  } cases[] = {
      {"@@c @@F", beach, "\xC2\xA9 beach"},
      {"@@c @@F", std::nullopt, ""},
      {"Taken @@d", std::nullopt, "Taken 2026-12-11"},
      {"@@D @@D", std::nullopt, "2026-12-11 @@D"},
      {"%s%n%d {} \\n", beach, "%s%n%d {} \\n"},
      {"@@@CF", beach, "@\xC2\xA9" "F"},
  };
  for (const auto& c : cases) EXPECT_EQ(SubstituteTextTokens(c.text, "2026-12-11", c.file), c.want) << c.text;
  EXPECT_EQ(CleanTextMark("one\r\nDELETE\ttwo\x7f"), "one  DELETE two ");
  // A long text is cut, never inside a UTF-8 character.
  std::string euro;
  for (int i = 0; i < 40000; ++i) euro += "\xE2\x82\xAC";
  const std::string cut = CleanTextMark(euro);
  EXPECT_LE(cut.size(), kTextMarkMaxLength);
  EXPECT_EQ(cut.size() % 3, 0u);
}

// The mark on a box glyph: the ink at (1, 1) in the text's colour, a ring of outline round it.
TEST(Geometry, TextMarkSitsInItsCornerWithAnOutline) {
  CoverageMask box{4, 6, std::vector<std::uint8_t>(24, 255)};
  const ColorValue ink = MakeColor(250, 0, 0), ring = MakeColor(0, 0, 250), bg = MakeColor(9, 9, 9);
  const struct { int corner; int x0, y0; } cases[] = {
      // left 0 or right (W - 8) - 4; rows 0..20 centred, or H - 24 .. H - 1.
      {0, 0, 7}, {1, 40 - 8 - 4, 7}, {2, 0, 60 - 24 + 8}, {3, 28, 44},
  };
  for (const auto& c : cases) {
    Dib d = test::MakePicture(40, 60, [&](int, int) { return bg; });
    ASSERT_TRUE(DrawTextMark(d, box, c.corner, ink, ring));
    for (int y = 0; y < 60; ++y)
      for (int x = 0; x < 40; ++x) {
        const int mx = x - c.x0, my = y - c.y0;
        const bool inInk = mx >= 1 && mx < 5 && my >= 1 && my < 7;
        const bool inRing = mx >= 0 && mx < 6 && my >= 0 && my < 8;
        ASSERT_EQ(d.Pixel(x, y), inInk ? ink : inRing ? ring : bg) << c.corner << " " << x << "," << y;
      }
  }
  Dib narrow = test::MakePicture(31, 30, [&](int, int) { return bg; });
  EXPECT_FALSE(DrawTextMark(narrow, box, 0, ink, ring));
  EXPECT_EQ(narrow.Pixel(2, 9), bg);
}

TEST(Geometry, SelectionMathsRoundTrip) {
  const struct {
    int L, T, R, B;
    ViewScale v;
    Block want;
  } cases[] = {
      {10, 20, 59, 49, {false, 100}, {10, 20, 50, 30}},      // a 50-pixel frame is 50 pixels
      {20, 40, 118, 98, {false, 200}, {10, 20, 50, 30}},     // zoom 200: 2 screen pixels each
      {59, 49, 10, 20, {false, 100}, {10, 20, 50, 30}},      // dragged up and left
      {0, 0, 399, 299, {false, 100}, {0, 0, 200, 100}},      // clipped to the picture
      {0, 0, 99, 49, {true, 100, 100, 50}, {0, 0, 199, 99}},   // fit: the control shows 100x50
      {5, 5, 3, 3, {false, 100}, {3, 3, 3, 3}},
  };
  for (const auto& c : cases) EXPECT_EQ(AdjustSelection(c.L, c.T, c.R, c.B, c.v, 200, 100), c.want) << c.L << "," << c.R;
  EXPECT_EQ(DisplaySelection({10, 20, 50, 30}, {false, 200}, 200, 100), (ScreenRect{20, 40, 120, 100}));
  EXPECT_EQ(DisplaySelection({0, 0, 200, 100}, {true, 100, 100, 50}, 200, 100), (ScreenRect{0, 0, 100, 50}));
  EXPECT_EQ(GridBlock(1, 1, 2, 2, 100, 100), (Block{50, 50, 50, 50}));
  EXPECT_EQ(GridBlock(2, 0, 3, 1, 100, 70), (Block{66, 0, 33, 70}));
  EXPECT_TRUE(ClipToPicture(120, 0, 150, 10, 100, 100).Empty());
  EXPECT_EQ(ClipToPicture(-5, -5, 5, 5, 100, 100), (Block{0, 0, 5, 5}));
}

}  // namespace
}  // namespace pelira
