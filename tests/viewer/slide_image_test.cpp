#include <gtest/gtest.h>

#include <cmath>

#include "support/test_support.h"
#include "viewer/open_flow.h"
#include "viewer/picture_loader.h"
#include "viewer/slide_image.h"

namespace pelira {
namespace {

Dib Flat(int w, int h, ColorValue c, int bits = 24) {
  Dib d(w, h, bits);
  if (bits <= 8) {
    d.Colors()[0] = {static_cast<std::uint8_t>(BlueOf(c)), static_cast<std::uint8_t>(GreenOf(c)),
                     static_cast<std::uint8_t>(RedOf(c)), 0};
    return d;  // every index 0
  }
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) d.SetPixel(x, y, c);
  return d;
}

TEST(SlideImage, AspectTargets) {
  struct Case { int w, h; AspectModes mode; SizeI want; } cases[] = {
      {720, 480, AspectModes::Tv43, {640, 480}},
      {720, 576, AspectModes::Tv43, {768, 576}},
      {720, 480, AspectModes::Wide169, {853, 480}},
      {720, 480, AspectModes::OneToOne, {720, 480}},
      {1, 1, AspectModes::Wide169, {1, 1}},
  };
  for (const Case& c : cases) EXPECT_EQ(AspectTarget(c.w, c.h, c.mode), c.want) << c.w << "x" << c.h;
}

TEST(SlideImage, ResampleFitsTheBoxAndKeepsColours) {
  struct Case {
    const char* what;
    int w, h, bits;
    AspectModes mode;
    SizeI box, want;
  } cases[] = {
      {"best fit shrinks a large picture", 400, 300, 24, AspectModes::OneToOne, {200, 200}, {200, 150}},
      {"best fit leaves a small one its size", 100, 50, 24, AspectModes::OneToOne, {200, 200}, {100, 50}},
      {"a palette picture comes as true colour", 100, 50, 8, AspectModes::OneToOne, {200, 200}, {100, 50}},
      {"4:3 fills the box", 720, 480, 24, AspectModes::Tv43, {1000, 1000}, {1000, 750}},
      {"16:9 fills the box", 720, 480, 24, AspectModes::Wide169, {800, 600}, {800, 450}},
      {"a 4:3 capture larger than the box", 1440, 1152, 24, AspectModes::Tv43, {400, 300}, {400, 300}},
  };
  const ColorValue c = MakeColor(200, 90, 30);
  for (const Case& k : cases) {
    const Dib out = SlideResample(Flat(k.w, k.h, c, k.bits), k.mode, k.box);
    EXPECT_EQ(out.Width(), k.want.width) << k.what;
    EXPECT_EQ(out.Height(), k.want.height) << k.what;
    EXPECT_EQ(out.BitCount(), 24) << k.what;
    // A flat picture stays exactly its colour through every route.
    EXPECT_EQ(out.Pixel(0, 0), c) << k.what;
    EXPECT_EQ(out.Pixel(out.Width() - 1, out.Height() - 1), c) << k.what;
  }
}

TEST(SlideImage, OneBitPageShrinksThroughGrays) {
  Dib page(40, 40, 1);
  page.Colors()[0] = {0, 0, 0, 0};
  page.Colors()[1] = {255, 255, 255, 0};
  for (int y = 0; y < 40; ++y)
    for (int x = 0; x < 40; ++x) page.SetIndex(x, y, static_cast<std::uint32_t>((x + y) % 2));
  const Dib out = SlideResample(page, AspectModes::OneToOne, {10, 10});
  ASSERT_EQ(out.Width(), 10);
  ASSERT_EQ(out.BitCount(), 24);
  const int grey = RedOf(out.Pixel(5, 5));
  EXPECT_NEAR(grey, 128, 2);
  EXPECT_EQ(GreenOf(out.Pixel(5, 5)), grey);
}

int Curve(int v, double g) { return static_cast<int>(std::lround(255.0 * std::pow(v / 255.0, 1.0 / g))); }

TEST(SlideImage, ScreenGammaOnLoadedPictures) {
  const PictureLoader loader = DefaultPictureLoader();
  LoadRequest plain;
  LoadedPicture base;
  ASSERT_TRUE(loader(test::Fixture("viewer/gradient_24.bmp").string(), plain, base));
  LoadRequest gamma;
  gamma.screenGamma = 200;
  LoadedPicture bright;
  ASSERT_TRUE(loader(test::Fixture("viewer/gradient_24.bmp").string(), gamma, bright));
  ASSERT_EQ(bright.bitmap.Width(), base.bitmap.Width());
  for (int y = 0; y < base.bitmap.Height(); y += 3)
    for (int x = 0; x < base.bitmap.Width(); x += 3) {
      const ColorValue a = base.bitmap.Pixel(x, y), b = bright.bitmap.Pixel(x, y);
      ASSERT_NEAR(RedOf(b), Curve(RedOf(a), 2.0), 1) << x << "," << y;
      ASSERT_NEAR(BlueOf(b), Curve(BlueOf(a), 2.0), 1) << x << "," << y;
    }
  // A 1-bit page keeps its two colours; a palette picture turns true colour.
  LoadedPicture mono, palette;
  ASSERT_TRUE(loader(test::Fixture("viewer/mono_1.bmp").string(), gamma, mono));
  EXPECT_EQ(mono.bitmap.BitCount(), 1);
  ASSERT_TRUE(loader(test::Fixture("viewer/palette_8.bmp").string(), gamma, palette));
  EXPECT_EQ(palette.bitmap.BitCount(), 24);
}

TEST(SlideImage, GammaRoutesAgree) {
  // Above 100 the library's curve, below it the tone tables: both the same power curve.
  for (int g : {60, 150, 300}) {
    Dib d = Flat(4, 4, MakeColor(64, 128, 200));
    SlideGamma(d, g);
    const double e = g / 100.0;
    EXPECT_NEAR(RedOf(d.Pixel(1, 1)), Curve(64, e), 1) << g;
    EXPECT_NEAR(BlueOf(d.Pixel(1, 1)), Curve(200, e), 1) << g;
  }
  Dib same = Flat(4, 4, MakeColor(64, 128, 200), 8);
  SlideGamma(same, 100);
  EXPECT_EQ(same.BitCount(), 8);
  EXPECT_FALSE(ScreenGamma(same, 100));
}

// photo.jpg is 640 x 427.
TEST(SlideImage, ResampledLoadKeepsTheFileSize) {
  const PictureLoader loader = DefaultPictureLoader();
  struct Case {
    const char* what;
    AspectModes mode;
    int clientW, viewportH;
  } cases[] = {
      {"best fit, decoded at half first", AspectModes::OneToOne, 320, 200},
      {"16:9 into a wide window", AspectModes::Wide169, 1000, 600},
  };
  for (const Case& c : cases) {
    LoadRequest r;
    r.aspect = c.mode;
    r.resampleOnLoad = true;
    r.clientWidth = c.clientW;
    r.viewportHeight = c.viewportH;
    ViewState s;
    LoadedPicture out;
    ASSERT_EQ(LoadIntoState(s, test::Fixture("viewer/photo.jpg").string(), loader, r, out), OpenKind::Raster);
    ASSERT_TRUE(s.ImageLoaded) << c.what;
    EXPECT_LE(s.ImageWidth, c.clientW) << c.what;
    EXPECT_LE(s.ImageHeight, c.viewportH) << c.what;
    EXPECT_TRUE(s.ImageWidth == c.clientW || s.ImageHeight == c.viewportH) << c.what;
    EXPECT_EQ(s.SourceWidth, 640) << c.what;
    EXPECT_EQ(s.SourceHeight, 427) << c.what;
    EXPECT_EQ(s.ImageBits, 24) << c.what;
    if (c.mode == AspectModes::Wide169) EXPECT_NEAR(s.ImageWidth * 9.0 / 16.0, s.ImageHeight, 1.0);
  }
}

}  // namespace
}  // namespace pelira
