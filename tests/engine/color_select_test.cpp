// HLS tune, the colour selections and the grey shades against pictures a python3 script
// worked out pixel by pixel from the rules (tests/fixtures/engine/make_colour_oracles.py),
// plus the edges the pictures do not reach.
#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <string>

#include "engine/color_select.h"
#include "engine/gray_shades.h"
#include "engine/hls_tune.h"
#include "engine_test_util.h"
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

// The selection the script uses: around the colour of pixel (5, 4), half-widths 300, 900,
// 1500.
HlsSelection ScriptSelection(const Dib& src) {
  const ColorValue c = src.Pixel(5, 4);
  const Hls base = RGBToHLS(RedOf(c), GreenOf(c), BlueOf(c));
  return {base.h, base.l, base.s, 300, 900, 1500};
}

TEST(ColorSelect, MatchesThePythonPictures) {
  const Dib src = ReadPpm("colour_src.ppm");
  const Dib dup = ReadPpm("colour_dup.ppm");
  const HlsSelection sel = ScriptSelection(src);
  struct Case {
    const char* file;
    std::function<void(Dib&)> run;
  };
  const Case cases[] = {
      // HLS tune: the menu's sliders hue, lightness, saturation (x 3600 div 999).
      {"colour_hls_tune0.ppm", [](Dib& d) { ColorTuneHLS(d, 0, 0, 0); }},
      {"colour_hls_tune1.ppm", [](Dib& d) { ColorTuneHLS(d, -100, 0, 0); }},
      {"colour_hls_tune2.ppm", [](Dib& d) { ColorTuneHLS(d, 250, 400 * 3600 / 999, -300); }},
      {"colour_hls_tune3.ppm", [](Dib& d) { ColorTuneHLS(d, 999, -999 * 3600 / 999, 999); }},
      {"colour_hls_tune4.ppm", [](Dib& d) { ColorTuneHLS(d, -999, 999 * 3600 / 999, 100); }},
      // Threshold by HLS: outside, posterize, blackout.
      {"colour_mask_001.ppm", [&](Dib& d) { MaskColors(d, sel, false, false, true); }},
      {"colour_mask_101.ppm", [&](Dib& d) { MaskColors(d, sel, true, false, true); }},
      {"colour_mask_100.ppm", [&](Dib& d) { MaskColors(d, sel, true, false, false); }},
      {"colour_mask_010.ppm", [&](Dib& d) { MaskColors(d, sel, false, true, false); }},
      {"colour_colormask0.ppm", [&](Dib& d) { EXPECT_TRUE(DoColorMask(d, dup, sel, 0)); }},
      {"colour_colormask1.ppm", [&](Dib& d) { EXPECT_TRUE(DoColorMask(d, dup, sel, 1)); }},
      {"colour_airbrush.ppm", [&](Dib& d) { AirBrush(d, sel); }},
      {"colour_maskrgb0.ppm", [](Dib& d) { MaskRGB(d, 200, 40, 40, false); }},
      {"colour_maskrgb1.ppm", [](Dib& d) { MaskRGB(d, 200, 40, 40, true); }},
      {"colour_noir0_128_52.ppm", [](Dib& d) { DoFilmNoir(d, 128, false, 52); }},
      {"colour_noir0_0_255.ppm", [](Dib& d) { DoFilmNoir(d, 0, false, 255); }},
      {"colour_noir0_255_200.ppm", [](Dib& d) { DoFilmNoir(d, 255, false, 200); }},
      {"colour_noir1_128_52.ppm", [](Dib& d) { DoFilmNoir(d, 128, true, 52); }},
      {"colour_noir1_0_255.ppm", [](Dib& d) { DoFilmNoir(d, 0, true, 255); }},
      {"colour_noir1_255_200.ppm", [](Dib& d) { DoFilmNoir(d, 255, true, 200); }},
      {"colour_rgbmax.ppm", [](Dib& d) { RgbExtremeGray(d, true); }},
      {"colour_rgbmin.ppm", [](Dib& d) { RgbExtremeGray(d, false); }},
      // Eight rows: the two lowest stay.
      {"colour_redeye.ppm", [](Dib& d) { RedEye(d, 3, 1, 20, 9); }},
  };
  for (const Case& c : cases) {
    Dib d = src;
    c.run(d);
    EXPECT_EQ(PixelBytes(d), PixelBytes(ReadPpm(c.file))) << c.file;
  }
}

// The picture-wide tune finds the per-pixel round trip's result, over a grid of the colour
// cube and the slider extremes (the fixture covers a few hundred colours only).
TEST(HlsTune, PictureRoutineEqualsTheRoundTripOnTheColourCube) {
  const int step = 3, n = 256 / step + 1;
  Dib cube(n * n, n, 24);
  for (int r = 0; r < n; ++r)
    for (int g = 0; g < n; ++g)
      for (int b = 0; b < n; ++b)
        cube.SetPixel(g * n + b, r, MakeColor(std::min(255, r * step), std::min(255, g * step), std::min(255, b * step)));
  struct Params {
    int dh, ds, dl;
  };
  for (const Params p : {Params{0, 0, 0}, Params{-999, -3600, 999}, Params{999, 3600, -999}, Params{37, -1200, 250}}) {
    Dib d = cube;
    ColorTuneHLS(d, p.dh, p.ds, p.dl);
    for (int y = 0; y < n; ++y)
      for (int x = 0; x < n * n; ++x) {
        const ColorValue c = cube.Pixel(x, y);
        const Rgb want = HlsTunePixel(RedOf(c), GreenOf(c), BlueOf(c), p.dh, p.ds, p.dl);
        ASSERT_EQ(d.Pixel(x, y), MakeColor(want.r, want.g, want.b)) << p.dh << " " << p.ds << " " << p.dl << " at " << x << "," << y;
      }
  }
}

// Adding saturation to a grey would tint it with the undefined hue (blue); greys stay grey
// and only their lightness moves.
TEST(HlsTune, GreysStayGrey) {
  for (int v : {0, 1, 128, 254, 255}) {
    EXPECT_EQ(HlsTunePixel(v, v, v, 300, 3600, 0), (Rgb{v, v, v})) << v;
    const Rgb lighter = HlsTunePixel(v, v, v, 0, 1000, 360);
    EXPECT_EQ(lighter.r, lighter.g);
    EXPECT_EQ(lighter.g, lighter.b);
  }
}

TEST(HlsTune, OtherDepthsAreLeftAlone) {
  Dib pal(4, 4, 8);
  pal.SetIndex(1, 1, 7);
  const Dib before = pal;
  ColorTuneHLS(pal, 500, 0, 0);
  EXPECT_TRUE(test::SamePicture(pal, before));
}

TEST(HlsSelection, WindowsAreStrictAndHueIsNotWrapped) {
  const HlsSelection red{0, 1800, 3600, 200, 1800, 1800};
  const Hls grey = RGBToHLS(128, 128, 128);
  EXPECT_FALSE(red.Contains(grey)) << "a grey's hue 2400 is far from red";
  EXPECT_TRUE(red.Contains({100, 1800, 3000}));
  EXPECT_FALSE(red.Contains({200, 1800, 3000})) << "the window's edge is outside";
  EXPECT_FALSE(red.Contains({3500, 1800, 3000})) << "no wrap past 0";
  HlsSelection none = red;
  none.dh = none.dl = none.ds = 0;
  EXPECT_FALSE(none.Contains({0, 1800, 3600})) << "half-widths 0 select nothing, not even the centre";
}

TEST(HlsSelection, PackedValuesRoundTripAndBadOnesAreRefused) {
  const HlsSelection s{3600, 17, 1800, 1800, 0, 42};
  EXPECT_EQ(s.PackedHue(), 1800 * 65536 + 3600);
  EXPECT_EQ(UnpackSelection(s.PackedHue(), s.PackedLightness(), s.PackedSaturation()), s);
  struct Bad {
    std::int32_t h, l, s;
  };
  for (const Bad b : {Bad{3601, 0, 0}, Bad{0, 1801 * 65536, 0}, Bad{0, 0, -1}, Bad{0, 0, 0x7FFFFFFF}})
    EXPECT_FALSE(UnpackSelection(b.h, b.l, b.s).has_value()) << b.h << " " << b.l << " " << b.s;
}

// The distance reaches 3 x 3600^2; times 255 that is past 32 bits.
TEST(ColorMask, FarColoursWeighWithoutOverflow) {
  const HlsSelection sel{1200, 0, 3600, 0, 0, 0};
  // (1200^2 + 3600^2 + 3600^2) x 255 div 38880000
  EXPECT_EQ(ColorMaskWeight({2400, 3600, 0}, sel), 179);
  EXPECT_EQ(ColorMaskWeight({1200, 0, 3600}, sel), 0);
  EXPECT_EQ(ColorMaskWeight({1200, 0, 3600}, HlsSelection{1200, 0, 3600, 1, 1, 1}), 255);
}

TEST(ColorMask, MismatchedSecondImageChangesNothing) {
  Dib pic = test::NoisePicture(8, 6, 3);
  const Dib before = pic;
  const HlsSelection sel{0, 0, 0, 1800, 1800, 1800};
  EXPECT_FALSE(DoColorMask(pic, test::NoisePicture(8, 5, 4), sel, 1));
  Dib palette(8, 6, 8);
  EXPECT_FALSE(DoColorMask(pic, palette, sel, 1));
  EXPECT_TRUE(test::SamePicture(pic, before));
}

// Rows of the half-open frame: up to five all, more than five all but the two lowest;
// columns left .. right - 1; clipped to the picture.
TEST(RedEye, RowsAndColumnsOfTheFrame) {
  const Dib red = test::MakePicture(6, 12, [](int, int) { return MakeColor(200, 20, 30); });
  struct Case {
    int left, top, right, bottom;
    int firstRow, lastRow, firstCol, lastCol;  // the changed pixels, inclusive; lastRow < firstRow: none
  };
  const Case cases[] = {
      {0, 0, 6, 3, 0, 2, 0, 5},     // three rows: all
      {0, 0, 6, 5, 0, 4, 0, 5},     // five rows: all
      {0, 2, 6, 12, 2, 9, 0, 5},    // ten rows: the top eight
      {2, 0, 4, 1, 0, 0, 2, 3},
      {-3, 10, 99, 99, 10, 11, 0, 5},  // clipped to the picture
      {4, 4, 4, 9, 1, 0, 0, -1},       // no width
      {0, 20, 6, 30, 1, 0, 0, -1},     // below the picture
  };
  for (const Case& c : cases) {
    Dib d = red;
    RedEye(d, c.left, c.top, c.right, c.bottom);
    for (int y = 0; y < 12; ++y)
      for (int x = 0; x < 6; ++x) {
        const bool changed = y >= c.firstRow && y <= c.lastRow && x >= c.firstCol && x <= c.lastCol;
        EXPECT_EQ(d.Pixel(x, y), changed ? MakeColor(30, 20, 30) : MakeColor(200, 20, 30))
            << c.left << "," << c.top << "," << c.right << "," << c.bottom << " at " << x << "," << y;
      }
  }
  // Only red well above both others changes.
  Dib d = test::MakePicture(3, 1, [](int x, int) { return x == 0 ? MakeColor(38, 30, 0) : x == 1 ? MakeColor(39, 30, 30) : MakeColor(39, 31, 0); });
  RedEye(d, 0, 0, 3, 1);
  EXPECT_EQ(d.Pixel(0, 0), MakeColor(38, 30, 0));
  EXPECT_EQ(d.Pixel(1, 0), MakeColor(30, 30, 30));
  EXPECT_EQ(d.Pixel(2, 0), MakeColor(39, 31, 0));
}

TEST(GrayShades, NaturalizeWithoutStrengthKeepsThePicture) {
  const Dib src = test::NoisePicture(9, 7, 5);
  for (bool ccd : {false, true})
    for (int a : {0, 128, 255}) {
      Dib d = src;
      DoFilmNoir(d, a, ccd, 0);
      EXPECT_TRUE(test::SamePicture(d, src)) << ccd << " " << a;
    }
}

TEST(ColorSelect, RgbThresholdWithAnAbsentColour) {
  const Dib src = ReadPpm("colour_src.ppm");
  for (bool fg : {true, false}) {
    Dib d = src;
    MaskRGB(d, 1, 2, 3, fg);
    for (int y = 0; y < d.Height(); ++y)
      for (int x = 0; x < d.Width(); ++x) ASSERT_EQ(d.Pixel(x, y), fg ? MakeColor(0, 0, 0) : MakeColor(255, 255, 255));
  }
}

}  // namespace
}  // namespace pelira
