#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstring>

#include "image/bmp_graphic.h"
#include "image/jpeg_image.h"
#include "support/test_pictures.h"
#include "support/test_support.h"
#include "thumbs/thumb_builder.h"
#include "thumbs/thumb_cache.h"
#include "thumbs/thumb_names.h"

namespace pelira {
namespace {

using test::Fixture;
using test::ReadBytes;
using test::TempDir;
using test::WriteBytes;

// Geometry agreed by independent thumbnailers (4:3 and 3:2 photos) and by the doubling rule
// (tiny and sliver pictures keep at least one pixel).
TEST(ThumbGeometry, FittedAndCentred) {
  struct Case {
    int w, h;
    RectI r;
  };
  const Case cases[] = {
      {4000, 3000, {1, 1, 165, 124}},  {3000, 2000, {1, 7, 166, 111}}, {10, 10, {22, 1, 124, 124}},
      {1, 65535, {83, 1, 1, 124}},     {65535, 1, {1, 62, 166, 1}},    {166, 124, {1, 1, 166, 124}},
      {3000, 4000, {37, 1, 93, 124}},
  };
  for (const Case& c : cases) {
    const RectI r = ThumbRect(c.w, c.h);
    EXPECT_EQ(r.left, c.r.left) << c.w << "x" << c.h;
    EXPECT_EQ(r.top, c.r.top) << c.w << "x" << c.h;
    EXPECT_EQ(r.width, c.r.width) << c.w << "x" << c.h;
    EXPECT_EQ(r.height, c.r.height) << c.w << "x" << c.h;
  }
}

// The JPEG road: the reduced decode, then the nearest stretch, pixel for pixel as djpeg's
// decode stretched by python (tests/fixtures/thumbs/make_thumb_fixtures.py).
TEST(ThumbBuilder, JpegThumbnailMatchesTheIndependentDecode) {
  ThumbBuilder b;
  const BuiltThumb t = b.Build(Fixture("thumbs/photo_400x300.jpg").string(), true);
  ASSERT_EQ(t.status, ThumbStatus::Done) << t.reason;
  EXPECT_EQ(t.width, 400);
  EXPECT_EQ(t.height, 300);
  const auto expected = ReadBytes(Fixture("thumbs/photo_400x300.thumb.bmp"));
  ASSERT_EQ(expected.size(), kThumbFileBytes);
  const std::string mine = EncodeThumbnail(t.thumb);
  ASSERT_EQ(mine.size(), kThumbFileBytes);
  int differing = 0;
  for (std::size_t i = 54; i < mine.size(); ++i)
    if (static_cast<std::uint8_t>(mine[i]) != expected[i]) ++differing;
  EXPECT_EQ(differing, 0);
}

// A JPEG whose frame header claims another size (the data stays 400x300).
std::vector<std::uint8_t> JpegClaiming(int w, int h) {
  auto b = ReadBytes(Fixture("thumbs/photo_400x300.jpg"));
  for (std::size_t i = 2; i + 9 < b.size(); ++i) {
    if (b[i] == 0xFF && (b[i + 1] == 0xC0 || b[i + 1] == 0xC2)) {
      b[i + 5] = static_cast<std::uint8_t>(h >> 8);
      b[i + 6] = static_cast<std::uint8_t>(h);
      b[i + 7] = static_cast<std::uint8_t>(w >> 8);
      b[i + 8] = static_cast<std::uint8_t>(w);
      return b;
    }
  }
  ADD_FAILURE() << "no frame header";
  return b;
}

// A BMP header claiming w x h at 24 bits, with almost no pixels behind it.
std::vector<std::uint8_t> BmpClaiming(int w, int h) {
  Dib small(2, 2, 24);
  Bytes b = SaveWorkingBitmapBmp(small);
  std::memcpy(b.data() + 18, &w, 4);
  std::memcpy(b.data() + 22, &h, 4);
  return std::vector<std::uint8_t>(b.begin(), b.end());
}

TEST(ThumbBuilder, LargeAndHostilePicturesFailTheSlideNotTheProgram) {
  TempDir dir;
  WriteBytes(dir / "huge.jpg", JpegClaiming(65000, 65000));
  WriteBytes(dir / "photo45mp.jpg", JpegClaiming(8192, 5464));
  WriteBytes(dir / "huge.bmp", BmpClaiming(30000, 30000));
  WriteBytes(dir / "wide.bmp", BmpClaiming(6000, 6000));
  WriteBytes(dir / "junk.jpg", {0xFF, 0xD8, 0xFF, 0xE0, 0x00, 0x10, 'J', 'F', 'I', 'F', 0});
  WriteBytes(dir / "empty.png", {});
  ASSERT_EQ(::mkfifo((dir / "pipe.jpg").c_str(), 0644), 0);
  ASSERT_EQ(::mkfifo((dir / "pipe.png").c_str(), 0644), 0);
  std::filesystem::create_directory(dir / "folder.jpg");
  struct Case {
    const char* name;
    ThumbStatus background;
    ThumbStatus foreground;
  };
  const Case cases[] = {
      // Even an eighth of it is above the limit on both sides.
      {"huge.jpg", ThumbStatus::Retry, ThumbStatus::Failed},
      // 45 megapixels decode at 1/8 (1024x683): no reason to hold them back.
      {"photo45mp.jpg", ThumbStatus::Done, ThumbStatus::Done},
      {"huge.bmp", ThumbStatus::Retry, ThumbStatus::Failed},
      {"wide.bmp", ThumbStatus::Retry, ThumbStatus::Failed},
      {"junk.jpg", ThumbStatus::Failed, ThumbStatus::Failed},
      {"empty.png", ThumbStatus::Failed, ThumbStatus::Failed},
      {"pipe.jpg", ThumbStatus::Failed, ThumbStatus::Failed},
      {"pipe.png", ThumbStatus::Failed, ThumbStatus::Failed},
      {"folder.jpg", ThumbStatus::Failed, ThumbStatus::Failed},
      {"missing.gif", ThumbStatus::Failed, ThumbStatus::Failed},
  };
  ThumbBuilder b;
  for (const Case& c : cases) {
    const BuiltThumb bg = b.Build((dir / c.name).string(), true);
    EXPECT_EQ(bg.status, c.background) << c.name << ": " << bg.reason;
    const BuiltThumb fg = b.Build((dir / c.name).string(), false);
    EXPECT_EQ(fg.status, c.foreground) << c.name << ": " << fg.reason;
    if (fg.status != ThumbStatus::Done) EXPECT_FALSE(fg.reason.empty()) << c.name;
  }
  const BuiltThumb big = b.Build((dir / "photo45mp.jpg").string(), true);
  EXPECT_EQ(big.width, 8192);
  EXPECT_EQ(big.height, 5464);
}

// Other kinds go through the loader, reduced by the same power of two as a JPEG: one picture
// saved as BMP and as a high-quality JPEG gets nearly the same thumbnail.
TEST(ThumbBuilder, OtherKindsMatchTheirJpegTwin) {
  TempDir dir;
  Dib pic(700, 500, 24);
  for (int y = 0; y < 500; ++y)
    for (int x = 0; x < 700; ++x) pic.SetPixel(x, y, MakeColor(x * 255 / 699, y * 255 / 499, 128));
  const Bytes bmp = SaveWorkingBitmapBmp(pic);
  WriteBytes(dir / "p.bmp", std::vector<std::uint8_t>(bmp.begin(), bmp.end()));
  TJPEGImage jpeg;
  jpeg.Assign(pic);
  jpeg.Quality = 100;
  jpeg.SaveToFile(dir / "p.jpg");
  ThumbBuilder b;
  const BuiltThumb fromBmp = b.Build((dir / "p.bmp").string(), true);
  const BuiltThumb fromJpeg = b.Build((dir / "p.jpg").string(), true);
  ASSERT_EQ(fromBmp.status, ThumbStatus::Done) << fromBmp.reason;
  ASSERT_EQ(fromJpeg.status, ThumbStatus::Done) << fromJpeg.reason;
  EXPECT_EQ(fromBmp.width, 700);
  EXPECT_EQ(fromBmp.height, 500);
  const RectI r = ThumbRect(700, 500);
  int worst = 0;
  for (int y = 0; y < kThumbHeight; ++y)
    for (int x = 0; x < kThumbWidth; ++x) {
      const std::uint8_t* a = fromBmp.thumb.ScanLine(y) + 3 * x;
      const std::uint8_t* c = fromJpeg.thumb.ScanLine(y) + 3 * x;
      for (int k = 0; k < 3; ++k) worst = std::max(worst, std::abs(a[k] - c[k]));
      const bool inside = x >= r.left && x < r.left + r.width && y >= r.top && y < r.top + r.height;
      if (!inside) EXPECT_EQ(fromBmp.thumb.Pixel(x, y), 0xFFFFFFu) << x << "," << y;
    }
  EXPECT_LE(worst, 12);
}

TEST(ThumbBuilder, OtherKindsGetTheirIcon) {
  ThumbBuilder b;
  const BuiltThumb t = b.Build("/nowhere/sound.wav", true);
  ASSERT_EQ(t.status, ThumbStatus::Done);
  // The 63x63 icon sits at (52, 31); everything around it stays white.
  int inside = 0, outside = 0;
  for (int y = 0; y < kThumbHeight; ++y)
    for (int x = 0; x < kThumbWidth; ++x) {
      if (t.thumb.Pixel(x, y) == 0xFFFFFFu) continue;
      const bool in = x >= 52 && x < 52 + 63 && y >= 31 && y < 31 + 63;
      ++(in ? inside : outside);
    }
  EXPECT_GT(inside, 0);
  EXPECT_EQ(outside, 0);
}

TEST(ThumbBuilder, ReducedDisplayTakesTheSpacedRowsAndColumns) {
  Dib stored = test::PatternPicture(kThumbWidth, kThumbHeight, 3);
  const Dib small = ReduceThumbnail(stored, 64, 48);
  ASSERT_EQ(small.Width(), 64);
  ASSERT_EQ(small.Height(), 48);
  // The last column is the stored last column, the first row the first row.
  EXPECT_EQ(small.Pixel(63, 0), stored.Pixel(167, 0));
  EXPECT_EQ(small.Pixel(0, 47), stored.Pixel(0, 122));
  // The stored thumbnail is not touched (reducing it in place would smear row 0 downwards).
  EXPECT_TRUE(test::SamePixels(stored, test::PatternPicture(kThumbWidth, kThumbHeight, 3)));
}

}  // namespace
}  // namespace pelira
