#include <gtest/gtest.h>

#include <cmath>
#include <set>
#include <sstream>

#include "formats/format_expect.h"
#include "image/color_depth.h"

namespace pelira {
namespace {

// The committed 96 x 64 plasma (binary PPM, 6142 colours).
Dib Photo() {
  const Bytes b = test::FormatBytes("depth_photo.ppm");
  std::istringstream head(std::string(b.begin(), b.begin() + 20));
  std::string magic;
  int w = 0, h = 0, max = 0;
  head >> magic >> w >> h >> max;
  const std::size_t at = b.size() - static_cast<std::size_t>(w) * static_cast<std::size_t>(h) * 3;
  Dib d(w, h, 24);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const std::uint8_t* p = b.data() + at + (static_cast<std::size_t>(y) * static_cast<std::size_t>(w) + static_cast<std::size_t>(x)) * 3;
      d.SetPixel(x, y, MakeColor(p[0], p[1], p[2]));
    }
  return d;
}

std::size_t DistinctColours(const Dib& d) {
  std::set<ColorValue> s;
  for (int y = 0; y < d.Height(); ++y)
    for (int x = 0; x < d.Width(); ++x) s.insert(d.Pixel(x, y));
  return s.size();
}

// Mean absolute difference per channel against the source (for gray targets, against the
// source's gray value).
double MeanError(const Dib& src, const Dib& out, bool gray) {
  double sum = 0;
  for (int y = 0; y < src.Height(); ++y)
    for (int x = 0; x < src.Width(); ++x) {
      const ColorValue a = src.Pixel(x, y), b = out.Pixel(x, y);
      if (gray) {
        sum += 3 * std::abs(TrueGrayOf(RedOf(a), GreenOf(a), BlueOf(a)) - RedOf(b));
      } else {
        sum += std::abs(RedOf(a) - RedOf(b)) + std::abs(GreenOf(a) - GreenOf(b)) + std::abs(BlueOf(a) - BlueOf(b));
      }
    }
  return sum / (3.0 * src.Width() * src.Height());
}

// The same over 4 x 4 box averages: how well the dithered picture keeps the tones.
double BoxError(const Dib& src, const Dib& out, bool gray) {
  double sum = 0;
  int n = 0;
  for (int y = 0; y + 4 <= src.Height(); y += 4)
    for (int x = 0; x + 4 <= src.Width(); x += 4) {
      int a[3] = {}, b[3] = {};
      for (int j = 0; j < 4; ++j)
        for (int i = 0; i < 4; ++i) {
          const ColorValue p = src.Pixel(x + i, y + j), q = out.Pixel(x + i, y + j);
          if (gray) {
            const int v = TrueGrayOf(RedOf(p), GreenOf(p), BlueOf(p));
            a[0] += v, a[1] += v, a[2] += v;
          } else {
            a[0] += RedOf(p), a[1] += GreenOf(p), a[2] += BlueOf(p);
          }
          b[0] += RedOf(q), b[1] += GreenOf(q), b[2] += BlueOf(q);
        }
      for (int c = 0; c < 3; ++c) sum += std::abs(a[c] - b[c]) / 16.0;
      n += 3;
    }
  return sum / n;
}

TEST(ColorDepth, OptionTable) {
  struct Case {
    DepthTarget target;
    int method, colours, option;
  };
  const Case cases[] = {
      {DepthTarget::BlackWhite, 1, 2, 2},   {DepthTarget::BlackWhite, 2, 2, 4},  {DepthTarget::BlackWhite, 0, 2, 1},
      {DepthTarget::Colors16, 1, 16, 36},   {DepthTarget::Colors16, 2, 16, 68},  {DepthTarget::Colors16, 7, 16, 20},
      {DepthTarget::Colors256, 1, 256, 36}, {DepthTarget::Colors256, 2, 256, 68}, {DepthTarget::Colors256, 3, 256, 20},
      {DepthTarget::Grays256, 1, 256, 44},  {DepthTarget::Grays256, 2, 256, 76}, {DepthTarget::Grays256, 0, 256, 28},
  };
  for (const Case& c : cases) {
    const ReductionOptions o = ReductionOptionsFor(c.target, c.method);
    EXPECT_EQ(o.colours, c.colours) << static_cast<int>(c.target) << "/" << c.method;
    EXPECT_EQ(o.option, c.option) << static_cast<int>(c.target) << "/" << c.method;
  }
  EXPECT_EQ(PosterizeOptionsFor(4).colours, 16);
  EXPECT_EQ(PosterizeOptionsFor(8).option, 32);
  EXPECT_THROW(PosterizeOptionsFor(5), EColorDepthError);
}

// Each reduction of the photo: at most the colours asked, the depth that holds them, and
// errors against the 24-bit source (gray targets: against its gray value) under bounds: the
// mean error per channel, and the same over 4 x 4 box averages (the tones a dithered picture
// keeps). For 256 and 16 colours the bounds are 1.1 x (pixel) and 1.5 x (box) what
// `convert -colors N` gives on this photo (5.16 / 0.74 and 13.99 / 4.15); B/W is held to
// ImageMagick's Floyd-Steinberg remap to black and white (box 14.25); the fixed palette has
// no peer and is held near what it gives (26.3 / 2.7). `identify -format %k` on the outputs
// counted at most the colours asked (tests/fixtures/README.md).
TEST(ColorDepth, ReductionsKeepToTheirColoursAndStayClose) {
  const Dib photo = Photo();
  struct Case {
    const char* what;
    DepthTarget target;
    int method;
    std::size_t colours;
    int bits;
    double maxPixel, maxBox;
  };
  const Case cases[] = {
      {"256 standard", DepthTarget::Colors256, 1, 256, 8, 5.7, 1.1},
      {"256 optimal", DepthTarget::Colors256, 2, 256, 8, 5.7, 1.1},
      {"256 fixed", DepthTarget::Colors256, 0, 256, 8, 30.0, 3.5},
      {"16 standard", DepthTarget::Colors16, 1, 16, 4, 15.4, 6.2},
      {"16 optimal", DepthTarget::Colors16, 2, 16, 4, 15.4, 6.2},
      {"grays", DepthTarget::Grays256, 1, 256, 8, 0.5, 0.5},
      {"b/w", DepthTarget::BlackWhite, 1, 2, 1, 128.0, 14.25},
      {"b/w optimal", DepthTarget::BlackWhite, 2, 2, 1, 128.0, 14.25},
  };
  for (const Case& c : cases) {
    const Dib out = ReduceDepth(photo, c.target, c.method);
    EXPECT_EQ(out.BitCount(), c.bits) << c.what;
    EXPECT_LE(DistinctColours(out), c.colours) << c.what;
    EXPECT_LE(out.Colors().size(), c.colours) << c.what;
    const bool gray = c.target == DepthTarget::Grays256 || c.target == DepthTarget::BlackWhite;
    EXPECT_LE(MeanError(photo, out, gray), c.maxPixel) << c.what;
    EXPECT_LE(BoxError(photo, out, gray), c.maxBox) << c.what;
  }
  // A gray reduction keeps white white and its palette gray.
  Dib white(4, 4, 24);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 4; ++x) white.SetPixel(x, y, x ? MakeColor(255, 255, 255) : MakeColor(255, 0, 0));
  const Dib g = ReduceDepth(white, DepthTarget::Grays256, 2);
  EXPECT_EQ(g.Pixel(3, 3), MakeColor(255, 255, 255));
  for (const RgbQuad& q : g.Colors()) EXPECT_TRUE(q.red == q.green && q.green == q.blue);
  EXPECT_THROW(ReduceDepth(Dib(), DepthTarget::Colors16, 1), EColorDepthError);
}

TEST(ColorDepth, PosterizePromotesThenReduces) {
  const Dib photo = Photo();
  const Dib four = ReduceDepth(photo, DepthTarget::Colors16, 2);
  const Dib p = Posterize(four, 4);
  EXPECT_EQ(p.BitCount(), 4);
  EXPECT_LE(DistinctColours(p), 16u);
  // Posterize does not dither: every pixel takes the nearest palette entry, the first of
  // equals (the library's fast search must agree with the plain one everywhere).
  const Dib p8 = Posterize(photo, 8);
  EXPECT_EQ(p8.BitCount(), 8);
  for (int y = 0; y < photo.Height(); ++y)
    for (int x = 0; x < photo.Width(); ++x) {
      const int i = NearestPaletteIndex(p8.Colors().data(), static_cast<int>(p8.Colors().size()), photo.Pixel(x, y));
      ASSERT_EQ(p8.Index(x, y), static_cast<std::uint32_t>(i)) << x << "," << y;
    }
  EXPECT_THROW(Posterize(photo, 2), EColorDepthError);
}

TEST(ColorDepth, Promotions) {
  Dib bw(9, 3, 1, Palette{{0, 0, 200, 0}, {255, 10, 0, 0}});
  for (int x = 0; x < 9; ++x) bw.SetIndex(x, 1, x % 2);
  const Dib to8 = Promote(bw, 8);
  EXPECT_EQ(to8.BitCount(), 8);
  EXPECT_EQ(DistinctColours(to8), 2u);
  EXPECT_TRUE(test::SameColors(bw, to8));
  EXPECT_TRUE(test::SameColors(bw, Promote(bw, 4)));
  EXPECT_TRUE(test::SameColors(bw, Promote(bw, 24)));
  EXPECT_EQ(Promote(bw, 24).BitCount(), 24);
  // A deeper source takes the nearest entry of the default palette.
  Dib rgb(2, 1, 24);
  rgb.SetPixel(0, 0, MakeColor(250, 5, 5));
  rgb.SetPixel(1, 0, MakeColor(255, 255, 255));
  const Dib to4 = Promote(rgb, 4);
  EXPECT_EQ(to4.Colors(), DefaultPaletteForBits(4));
  EXPECT_EQ(to4.Pixel(1, 0), MakeColor(255, 255, 255));
  const Palette& p16 = DefaultPaletteForBits(4);
  EXPECT_EQ(to4.Pixel(0, 0), ColorOf(p16[static_cast<std::size_t>(NearestPaletteIndex(p16.data(), 16, MakeColor(250, 5, 5)))]));
  EXPECT_THROW(Promote(rgb, 16), EColorDepthError);
}

TEST(ColorDepth, TrueGrayscaleKeepsWhiteWhite) {
  struct Case {
    ColorValue in;
    int gray;
  };
  const Case cases[] = {{MakeColor(255, 255, 255), 255}, {MakeColor(255, 0, 0), 76}, {MakeColor(0, 255, 0), 153},
                        {MakeColor(0, 0, 255), 25},      {MakeColor(0, 0, 0), 0},     {MakeColor(10, 20, 30), 18}};
  Dib d(6, 1, 24);
  for (int i = 0; i < 6; ++i) d.SetPixel(i, 0, cases[i].in);
  const Dib g = TrueGrayscale(d);
  for (int i = 0; i < 6; ++i) EXPECT_EQ(g.Pixel(i, 0), MakeColor(cases[i].gray, cases[i].gray, cases[i].gray)) << i;
  // Palette pictures come out 24-bit.
  Dib pal(3, 1, 8);
  pal.SetPixel(0, 0, MakeColor(255, 255, 255));
  EXPECT_EQ(TrueGrayscale(pal).BitCount(), 24);
}

}  // namespace
}  // namespace pelira
