#include <gtest/gtest.h>

#include "engine/color_filters.h"
#include "engine/tone_tables.h"
#include "engine_test_util.h"
#include "support/test_support.h"

namespace pelira {
namespace {

using test::MakePicture;
using test::NoisePicture;
using test::PixelBytes;

TEST(ColorFilters, NegativeMatchesImageMagickNegate) {
  Dib pic = test::StatsPicture();
  Negative(pic);
  // rgb: is red, green, blue per pixel, top row first.
  const auto want = test::ReadBytes(test::Fixture("engine/negate.rgb"));
  std::vector<std::uint8_t> got;
  for (int y = 0; y < pic.Height(); ++y)
    for (int x = 0; x < pic.Width(); ++x) {
      const ColorValue c = pic.Pixel(x, y);
      got.insert(got.end(), {static_cast<std::uint8_t>(RedOf(c)), static_cast<std::uint8_t>(GreenOf(c)),
                             static_cast<std::uint8_t>(BlueOf(c))});
    }
  EXPECT_EQ(got, want);
  Negative(pic);
  EXPECT_EQ(PixelBytes(pic), PixelBytes(test::StatsPicture())) << "twice restores every row and column";
}

TEST(ColorFilters, ColorFilterUsesEachChannelsTable) {
  Dib pic = MakePicture(3, 2, [](int x, int y) { return MakeColor(10 + x, 20 + y, 30); });
  ToneTables t;
  for (int i = 0; i < 256; ++i) {
    t.red[i] = static_cast<std::uint8_t>(255 - i);
    t.green[i] = static_cast<std::uint8_t>(i / 2);
    t.blue[i] = 7;
  }
  ColorFilter(pic, t);
  EXPECT_EQ(pic.Pixel(2, 1), MakeColor(255 - 12, 21 / 2, 7));
  Dib neg = MakePicture(1, 1, [](int, int) { return MakeColor(10, 20, 30); });
  NegColorFilter(neg, t);
  // 255 - table[255 - c]
  EXPECT_EQ(neg.Pixel(0, 0), MakeColor(255 - (255 - 245), 255 - 235 / 2, 255 - 7));
}

// Identity tables change nothing, where the index round trip alone would move colours.
TEST(ColorFilters, IdentityTablesKeepEveryPixel) {
  const Dib src = NoisePicture(64, 48, 3);
  for (auto filter : {&LuminanceFilter, &SaturationFilter, &ColorFilter, &NegColorFilter}) {
    Dib pic = src;
    filter(pic, ToneTables{});
    EXPECT_EQ(PixelBytes(pic), PixelBytes(src));
  }
  Dib grey = MakePicture(1, 1, [](int, int) { return MakeColor(128, 128, 128); });
  LuminanceFilter(grey, ToneTables{});
  EXPECT_EQ(grey.Pixel(0, 0), MakeColor(128, 128, 128));
}

TEST(ColorFilters, PointOperationsOnKnownPixels) {
  struct Case {
    const char* what;
    void (*op)(Dib&);
    ColorValue in, out;
  };
  // UnCook of (200,100,50): HLS (1/3 of the way to yellow); m = 50, Lm = 706, L' = 138,
  // HLSToRGB(h, 138, s) = (17, 8, 3) -> averages.
  const Case cases[] = {
      {"unwash", &MultiplyRGB, MakeColor(255, 128, 1), MakeColor(255, 64, 0)},
      {"negative", &Negative, MakeColor(0, 100, 255), MakeColor(255, 155, 0)},
      {"attenuate white", &MultiplyLuminance, MakeColor(255, 255, 255), MakeColor(255, 255, 255)},
      {"attenuate grey", &MultiplyLuminance, MakeColor(128, 128, 128), MakeColor(64, 64, 64)},
  };
  for (const Case& c : cases) {
    Dib pic = MakePicture(2, 1, [&](int, int) { return c.in; });
    c.op(pic);
    EXPECT_EQ(pic.Pixel(1, 0), c.out) << c.what;
  }
}

TEST(ColorFilters, UnCookAveragesWithDarkenedCopy) {
  Dib pic = MakePicture(1, 1, [](int, int) { return MakeColor(200, 100, 50); });
  const Hls h = RGBToHLS(200, 100, 50);
  const int lm = (2 * 50 * 3600 + 255) / 510;
  const Rgb d = HLSToRGBClamped(h.h, lm * lm / 3600, h.s);
  UnWashMore(pic);
  EXPECT_EQ(pic.Pixel(0, 0), MakeColor((200 + d.r) / 2, (100 + d.g) / 2, (50 + d.b) / 2));
}

TEST(ColorFilters, WhiteMaxKeepsLeastHueAndSaturation) {
  // Bottom-right pixel is visited first; only a pixel lower in both hue and saturation wins.
  Dib pic = MakePicture(2, 2, [](int x, int y) {
    if (x == 0 && y == 0) return MakeColor(250, 240, 235);  // hue ~ 120, low saturation
    if (x == 1 && y == 1) return MakeColor(255, 0, 0);      // hue 0, saturation 3600
    return MakeColor(0, 0, 255);
  });
  const Rgb c = WhiteMax(pic);
  const Hls want = RGBToHLS(250, 240, 235);
  EXPECT_EQ(c, HLSToRGBClamped(want.h, want.l, want.s));
}

TEST(ColorFilters, BalanceGammaLeavesWhiteAndBlack) {
  ToneTables t;
  SetGammaLUT(t, 300, kGreen);
  Dib pic = MakePicture(3, 1, [](int x, int) { return x == 0 ? 0u : x == 1 ? 0xFFFFFFu : MakeColor(40, 40, 40); });
  BalanceGammaFilter(pic, t);
  EXPECT_EQ(pic.Pixel(0, 0), 0u);
  // y = 254 for white: 254 x 255 div 255 + 255 x 1 div 255 = 255.
  EXPECT_EQ(pic.Pixel(1, 0), 0xFFFFFFu);
  const int y = 40 * 3 / 10 + 40 * 6 / 10 + 40 / 10;
  const int want = y * 40 / 255 + t.green[40] * (255 - y) / 255;
  EXPECT_EQ(pic.Pixel(2, 0), MakeColor(want, want, want));
}

TEST(ColorFilters, ParallelBandsGiveSerialResult) {
  // Large enough for both cores; every row checked against a one-row run.
  Dib pic = NoisePicture(300, 400, 9);
  ToneTables t;
  SetGammaLUT(t, 170, kRed);
  SetContrastLUT(t, 60, kGreen);
  Dib whole = pic;
  LuminanceFilter(whole, t);
  for (int y = 0; y < pic.Height(); y += 37) {
    Dib row(pic.Width(), 1, 24);
    std::copy(pic.ScanLine(y), pic.ScanLine(y) + 3 * pic.Width(), row.ScanLine(0));
    LuminanceFilter(row, t);
    ASSERT_TRUE(std::equal(row.ScanLine(0), row.ScanLine(0) + 3 * pic.Width(), whole.ScanLine(y))) << y;
  }
}

}  // namespace
}  // namespace pelira
