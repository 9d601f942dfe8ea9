#include <gtest/gtest.h>

#include "formats/format_expect.h"
#include "image/gif_graphic.h"
#include "image/graphic_x.h"

namespace pelira {
namespace {

using test::FormatBytes;
using test::PixelsMatch;

Dib LoadGif(const Bytes& b) {
  TGIFGraphic g;
  g.LoadFromStream(b);
  return g.TakeBitmap();
}

struct GifCase {
  const char* file;
  const char* rgb;
  bool interlaced;
};

class GifRead : public ::testing::TestWithParam<GifCase> {};

TEST_P(GifRead, FirstImageMatchesImageMagick) {
  const GifCase c = GetParam();
  const Bytes b = FormatBytes(c.file);
  TGIFGraphic g;
  ASSERT_TRUE(g.CanLoad(b));
  g.LoadFromStream(b);
  EXPECT_EQ(g.ImageInfo().interlaced, c.interlaced);
  EXPECT_EQ(g.Bitmap().BitCount(), 8);
  EXPECT_TRUE(PixelsMatch(g.Bitmap(), c.rgb));
}

INSTANTIATE_TEST_SUITE_P(
    Fixtures, GifRead,
    ::testing::Values(GifCase{"gif_im_plain.gif", "gif_im_plain.gif.rgb", false},
                      GifCase{"gif_im_interlaced.gif", "gif_im_interlaced.gif.rgb", true},
                      GifCase{"gif_im_anim.gif", "gif_im_anim.gif.0.rgb", false},
                      GifCase{"gif_local16.gif", "gif_local16.gif.rgb", false},
                      GifCase{"gif_deferred.gif", "gif_deferred.gif.rgb", true}),
    [](const auto& info) {
      std::string n = info.param.file;
      return n.substr(0, n.find('.'));
    });

TEST(GifGraphic, LocalTableGivesThePaletteItsSize) {
  TGIFGraphic g;
  g.LoadFromStream(FormatBytes("gif_local16.gif"));
  EXPECT_TRUE(g.ImageInfo().localColorTable);
  EXPECT_EQ(g.ImageInfo().bitsPerSample, 4);
  EXPECT_EQ(g.Bitmap().Colors().size(), 16u);
}

TEST(GifGraphic, HeaderRecord) {
  const Bytes b = FormatBytes("gif_im_plain.gif");
  TGIFGraphic g;
  g.HeaderOnly = true;
  g.LoadFromStream(b);
  EXPECT_TRUE(g.Bitmap().Empty());
  const TImageInfo& r = g.ImageInfo();
  EXPECT_EQ(r.version, 89);
  EXPECT_EQ(r.width, 23u);
  EXPECT_EQ(r.height, 7u);
  EXPECT_EQ(r.scheme, TColorScheme::Indexed);
  EXPECT_EQ(r.compression, 4);
  EXPECT_EQ(r.bitsPerPixel, r.bitsPerSample);
  // Lower-case signature; too short; not a GIF.
  Bytes lower = b;
  lower[0] = 'g', lower[1] = 'i', lower[2] = 'f';
  EXPECT_TRUE(g.CanLoad(lower));
  EXPECT_TRUE(g.ReadImageInfo(lower));
  EXPECT_FALSE(g.CanLoad(ByteSpan(b.data(), 22)));
  Bytes png = b;
  png[0] = 'P';
  EXPECT_FALSE(g.CanLoad(png));
  EXPECT_THROW(LoadGif(png), EInvalidGraphic);
}

// A GIF made of a screen, a global table of two colours and what the test appends.
Bytes TinyGif(int w, int h, const Bytes& tail) {
  Bytes b = {'G', 'I', 'F', '8', '7', 'a', static_cast<std::uint8_t>(w), 0, static_cast<std::uint8_t>(h), 0,
             0x80, 0, 0, 0, 0, 0, 255, 255, 255};
  b.insert(b.end(), tail.begin(), tail.end());
  return b;
}

TEST(GifGraphic, OnlyExtensionsAndTrailerReadAsZeroSize) {
  const Bytes b = TinyGif(4, 4, {0x21, 0xFE, 2, 'h', 'i', 0, 0x3B});
  TGIFGraphic g;
  ASSERT_TRUE(g.ReadImageInfo(b));
  EXPECT_EQ(g.ImageInfo().width, 0u);
  EXPECT_EQ(g.ImageInfo().version, 87);
  g.LoadFromStream(b);
  EXPECT_TRUE(g.Bitmap().Empty());
  // The pipeline's codec has no picture to give.
  TGraphicXCodec codec("TGIFGraphic", [] { return std::unique_ptr<TGraphicX>(new TGIFGraphic); });
  EXPECT_THROW(codec.LoadFromBytes(b), EInvalidGraphic);
}

TEST(GifGraphic, ZeroSizeDescriptorTakesTheScreen) {
  // 3x2 screen, descriptor 0x0 at (5, 5): a row of index 1, then a row of index 0 (LZW code
  // size 2, from the fixture script's encoder).
  const Bytes data = {0x8C, 0x81, 0x05};
  Bytes tail = {0x2C, 5, 0, 5, 0, 0, 0, 0, 0, 0, 2, static_cast<std::uint8_t>(data.size())};
  tail.insert(tail.end(), data.begin(), data.end());
  tail.push_back(0);
  tail.push_back(0x3B);
  const Dib d = LoadGif(TinyGif(3, 2, tail));
  ASSERT_EQ(d.Width(), 3);
  ASSERT_EQ(d.Height(), 2);
  EXPECT_EQ(d.Pixel(0, 0), MakeColor(255, 255, 255));
  EXPECT_EQ(d.Pixel(2, 0), MakeColor(255, 255, 255));
  EXPECT_EQ(d.Pixel(0, 1), 0u);
}

TEST(GifGraphic, ShortDataFillsOnlyWhatItReaches) {
  // A 3000 x 2000 screen over the data of six pixels: the first row starts with them, the
  // rest of the picture is index 0.
  const Bytes data = {0x8C, 0x81, 0x05};
  Bytes tail = {0x2C, 0, 0, 0, 0, 0xB8, 0x0B, 0xD0, 0x07, 0, 2, static_cast<std::uint8_t>(data.size())};
  tail.insert(tail.end(), data.begin(), data.end());
  tail.push_back(0);
  tail.push_back(0x3B);
  Bytes b = {'G', 'I', 'F', '8', '9', 'a', 0xB8, 0x0B, 0xD0, 0x07, 0x80, 0, 0, 0, 0, 0, 255, 255, 255};
  b.insert(b.end(), tail.begin(), tail.end());
  const Dib d = LoadGif(b);
  ASSERT_EQ(d.Width(), 3000);
  ASSERT_EQ(d.Height(), 2000);
  for (int x = 0; x < 3; ++x) EXPECT_EQ(d.Index(x, 0), 1u) << x;
  EXPECT_EQ(d.Index(3, 0), 0u);
  EXPECT_EQ(d.Index(2999, 1999), 0u);
}

TEST(GifGraphic, BadCodeSizesAndCutDataDoNotCrash) {
  const Bytes good = FormatBytes("gif_im_plain.gif");
  TGIFGraphic probe;
  probe.LoadFromStream(good);
  // The code size byte sits right after the descriptor (and its local table, none here).
  std::size_t at = 0;
  for (std::size_t i = 13 + 3 * probe.Bitmap().Colors().size(); i < good.size(); ++i)
    if (good[i] == 0x2C) {
      at = i + 10;
      break;
    }
  ASSERT_GT(at, 0u);
  for (std::uint8_t bad : {0, 1, 12, 200}) {
    Bytes b = good;
    b[at] = bad;
    EXPECT_THROW(LoadGif(b), EInvalidGraphic) << int(bad);
  }
  // Cut anywhere: either a refusal or a picture, never a read past the end.
  for (std::size_t n = 0; n < good.size(); n += 7) {
    Bytes b(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(n));
    try {
      LoadGif(b);
    } catch (const EInvalidGraphic&) {
    }
  }
}

TEST(GifLzw, TableRules) {
  std::uint8_t out[16] = {};
  // Size 2: clear(4) then 6, a code past the next free one (6 is next after a literal only):
  // it is passed over; then literal 1, 6 = "1 1" (the KwKwK case), end.
  // 3-bit codes LSB first: 4, 6, 1, 6, 5.
  const std::uint64_t codes = 4 | (6 << 3) | (1 << 6) | (6 << 9) | (5 << 12);
  const Bytes data = {static_cast<std::uint8_t>(codes), static_cast<std::uint8_t>(codes >> 8)};
  EXPECT_EQ(GifLzwDecode(data, 2, out, sizeof out), 3u);
  EXPECT_EQ(out[0], 1);
  EXPECT_EQ(out[1], 1);
  EXPECT_EQ(out[2], 1);
  // Code sizes outside 2..11 decode nothing.
  EXPECT_EQ(GifLzwDecode(data, 1, out, sizeof out), 0u);
  EXPECT_EQ(GifLzwDecode(data, 12, out, sizeof out), 0u);
  // Output is cut at n.
  EXPECT_EQ(GifLzwDecode(data, 2, out, 2), 2u);
}

TEST(GifLzw, StreamThatNeverEndsStopsAtTheData) {
  // 12-bit codes of the same literal over and over with no end code: the table fills, stays
  // full, and decoding stops when the data is used up.
  Bytes data(20000, 0);
  std::vector<std::uint8_t> out(1 << 20);
  const std::size_t n = GifLzwDecode(data, 8, out.data(), out.size());
  EXPECT_GT(n, 0u);
  EXPECT_LE(n, out.size());
}

}  // namespace
}  // namespace pelira
