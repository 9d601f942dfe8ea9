#include <gtest/gtest.h>

#include "common/errors.h"
#include "image/bmp_graphic.h"
#include "image/pixel_limit.h"
#include "support/test_pictures.h"
#include "support/test_support.h"
#include "viewer/clipboard_picture.h"

namespace pelira {
namespace {

using test::Fixture;
using test::ReadBytes;

TEST(ViewportRegion, ScreenPixelsBecomePicturePixels) {
  struct Case { int sx, sy, cw, ch, zoom; bool fit; int w, h; RectI want; };
  const Case cases[] = {
      {0, 0, 800, 600, 100, false, 500, 300, {0, 0, 500, 300}},       // smaller than the viewport: whole
      {100, 50, 800, 600, 100, false, 2000, 1000, {100, 50, 800, 600}},
      {1500, 900, 800, 600, 100, false, 2000, 1000, {1500, 900, 500, 100}},  // cut at the edges
      {200, 100, 800, 600, 200, false, 2000, 1000, {100, 50, 400, 300}},
      {0, 0, 801, 601, 200, false, 2000, 1000, {0, 0, 401, 301}},     // half-shown pixels count
      {10, 10, 800, 600, 25, false, 4000, 4000, {40, 40, 3200, 2400}},
      {999, 999, 800, 600, 100, true, 4000, 3000, {0, 0, 4000, 3000}},  // fitted: the whole picture
      {0, 0, 0, 0, 100, false, 40, 30, {0, 0, 0, 0}},
      {5000, 0, 800, 600, 100, false, 40, 30, {40, 0, 0, 30}},
      {0, 0, 800, 600, 100, false, 0, 0, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.sx << "," << c.sy << " " << c.cw << "x" << c.ch << " @" << c.zoom);
    EXPECT_EQ(ViewportRegion(c.sx, c.sy, c.cw, c.ch, c.zoom, c.fit, c.w, c.h), c.want);
  }
}

TEST(CopyRegion, KeepsDepthPaletteAndPixelsAtEveryDepth) {
  const Dib colour = test::PatternPicture(37, 23);
  for (int bits : {1, 4, 8, 24}) {
    SCOPED_TRACE(bits);
    Dib d(37, 23, bits);
    for (int y = 0; y < 23; ++y)
      for (int x = 0; x < 37; ++x) d.SetIndex(x, y, bits == 24 ? colour.Index(x, y) : (x * 3 + y) % (1 << std::min(bits, 8)));
    const Dib part = CopyRegion(d, {9, 5, 20, 30});  // taller than what is left: cut
    ASSERT_EQ(part.Width(), 20);
    ASSERT_EQ(part.Height(), 18);
    EXPECT_EQ(part.BitCount(), bits);
    EXPECT_EQ(part.Colors(), d.Colors());
    for (int y = 0; y < 18; ++y)
      for (int x = 0; x < 20; ++x) ASSERT_EQ(part.Index(x, y), d.Index(x + 9, y + 5)) << x << "," << y;
  }
  EXPECT_TRUE(CopyRegion(colour, {40, 0, 5, 5}).Empty());
}

TEST(PasteBlock, OneWiderThanTheSelectionAndCutAtBothPictures) {
  struct Case { SelectionBounds s; int pw, ph, cw, ch; RectI want; };
  const Case cases[] = {
      {{0, 0, 10, 10}, 100, 100, 50, 50, {0, 0, 11, 11}},
      {{10, 10, 0, 0}, 100, 100, 50, 50, {0, 0, 11, 11}},        // drawn from the other corner
      {{90, 95, 120, 140}, 100, 100, 50, 50, {90, 95, 10, 5}},   // cut at the picture
      {{0, 0, 60, 60}, 100, 100, 8, 4, {0, 0, 8, 4}},             // cut at the clipboard picture
      {{100, 0, 110, 10}, 100, 100, 50, 50, {}},                  // outside
      {{-5, 0, 3, 3}, 100, 100, 50, 50, {}},
      {{0, 0, 2147483647, 2147483647}, 100, 100, 50, 50, {0, 0, 50, 50}},
  };
  for (const Case& c : cases) EXPECT_EQ(PasteBlock(c.s, c.pw, c.ph, c.cw, c.ch), c.want);
}

TEST(PasteInto, CopiesTheBlockAndConvertsDepths) {
  Dib picture(30, 20, 24);
  const Dib clip = test::PatternPicture(12, 12, 7);
  PasteInto(picture, clip, {5, 4, 14, 13});  // 10 x 10
  for (int y = 0; y < 20; ++y)
    for (int x = 0; x < 30; ++x) {
      const bool inside = x >= 5 && x < 15 && y >= 4 && y < 14;
      ASSERT_EQ(picture.Pixel(x, y), inside ? clip.Pixel(x - 5, y - 4) : 0u) << x << "," << y;
    }
  // A 1-bit clip into a 24-bit picture lands as its colours; into a 1-bit picture as indices.
  Dib mono(9, 9, 1);
  mono.SetIndex(2, 3, 1);
  Dib target = test::PatternPicture(9, 9);
  PasteInto(target, mono, {0, 0, 8, 8});
  EXPECT_EQ(target.Pixel(2, 3), MakeColor(255, 255, 255));
  EXPECT_EQ(target.Pixel(3, 3), 0u);
  Dib monoTarget(9, 9, 1);
  EXPECT_FALSE(PasteNeedsTrueColor(monoTarget, mono));
  PasteInto(monoTarget, mono, {0, 0, 8, 8});
  EXPECT_TRUE(test::SamePixels(monoTarget, mono));
  EXPECT_TRUE(PasteNeedsTrueColor(Dib(9, 9, 8), mono));
  EXPECT_FALSE(PasteNeedsTrueColor(Dib(9, 9, 24), mono));
}

TEST(DecodeClipboard, PngAndBmpBytesFromOtherProgramsAndOurOwnPicture) {
  // rgb8.png and v3_8.bmp against ImageMagick's decode of them.
  struct Case { ClipboardFormat format; const char* file; const char* rgb; };
  const Case cases[] = {
      {ClipboardFormat::Png, "codecs/png/rgb8.png", "codecs/png/rgb8.rgb"},
      {ClipboardFormat::Bmp, "image/v3_8.bmp", "image/v3_8.rgb"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    ClipboardData data;
    data.format = c.format;
    data.bytes = ReadBytes(Fixture(c.file));
    const Dib d = DecodeClipboard(data, 0);
    const auto want = ReadBytes(Fixture(c.rgb));
    ASSERT_EQ(want.size(), static_cast<std::size_t>(d.Width()) * d.Height() * 3);
    for (int y = 0; y < d.Height(); ++y)
      for (int x = 0; x < d.Width(); ++x) {
        const std::size_t o = (static_cast<std::size_t>(y) * d.Width() + x) * 3;
        ASSERT_EQ(d.Pixel(x, y), MakeColor(want[o], want[o + 1], want[o + 2])) << x << "," << y;
      }
  }
  // A packed bitmap (header, colours, pixels) as scanners and some programs hand them.
  Dib eight(5, 3, 8);
  eight.SetIndex(4, 2, 200);
  const Bytes file = SaveWorkingBitmapBmp(eight);
  ClipboardData packed;
  packed.format = ClipboardFormat::PackedDib;
  packed.bytes.assign(file.begin() + 14, file.end());
  EXPECT_TRUE(test::SamePixels(DecodeClipboard(packed, 0), eight));
}

TEST(DecodeClipboard, BadDataAndPicturesOverTheLimitFail) {
  ClipboardData none;
  EXPECT_THROW(DecodeClipboard(none, 0), EVistrelError);
  ClipboardData junk;
  junk.format = ClipboardFormat::Png;
  junk.bytes = {0x89, 'P', 'N', 'G', 1, 2, 3};
  EXPECT_ANY_THROW(DecodeClipboard(junk, 0));
  junk.format = ClipboardFormat::Bmp;
  EXPECT_ANY_THROW(DecodeClipboard(junk, 0));
  ClipboardData big;
  big.format = ClipboardFormat::Png;
  big.bytes = ReadBytes(Fixture("codecs/png/rgb8.png"));
  const std::uint64_t before = MaxImageBytes();
  SetMaxImageBytes(64);
  EXPECT_ANY_THROW(DecodeClipboard(big, 0));
  SetMaxImageBytes(before);
}

TEST(MemoryClipboard, HoldsOnePictureOrOneOtherCopy) {
  MemoryClipboard c;
  EXPECT_FALSE(c.HasBitmap());
  EXPECT_FALSE(c.Set(std::make_shared<const Dib>()));  // nothing to put there
  auto picture = std::make_shared<const Dib>(test::PatternPicture(4, 4));
  ASSERT_TRUE(c.Set(picture));
  EXPECT_TRUE(c.HasBitmap());
  EXPECT_EQ(c.Get().picture, picture);
  c.SetBytes(ClipboardFormat::Png, {1, 2, 3});
  EXPECT_EQ(c.Get().picture, nullptr);
  EXPECT_EQ(c.Get().format, ClipboardFormat::Png);
  c.Clear();
  EXPECT_FALSE(c.HasBitmap());
  c.SetRefusing(true);
  EXPECT_FALSE(c.Set(picture));
  EXPECT_FALSE(c.HasBitmap());
}

}  // namespace
}  // namespace pelira
