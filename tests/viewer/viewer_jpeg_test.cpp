#include <gtest/gtest.h>

#include "support/test_support.h"
#include "viewer/picture_loader.h"
#include "viewer/jpeg_frame_size.h"

namespace pelira {
namespace {

// photo.jpg is 640 x 427: sky at the top, green hills at the bottom.
TEST(ViewerJpeg, DecodesAtTheScaleTheWindowNeeds) {
  const PictureLoader loader = DefaultPictureLoader();
  struct Case { const char* what; bool fit, half; int clientW, viewportH; int w, h; };
  const Case cases[] = {
      {"full size outside fit mode", false, false, 200, 150, 640, 427},
      {"half JPEG", false, true, 2000, 2000, 320, 214},
      {"fit: twice the window holds it", true, false, 320, 214, 640, 427},
      {"fit: one pixel short halves", true, false, 319, 214, 320, 214},
      {"fit: quarter", true, false, 100, 100, 160, 107},
      {"fit: eighth when a quarter is still too big", true, false, 20, 20, 80, 54},
      {"fit wins over half JPEG", true, true, 400, 400, 640, 427},
  };
  for (const Case& c : cases) {
    LoadRequest r;
    r.fitMode = c.fit;
    r.halfJpeg = c.half;
    r.clientWidth = c.clientW;
    r.viewportHeight = c.viewportH;
    LoadedPicture out;
    ASSERT_TRUE(loader(test::Fixture("viewer/photo.jpg").string(), r, out)) << c.what;
    EXPECT_EQ(out.bitmap.Width(), c.w) << c.what;
    EXPECT_EQ(out.bitmap.Height(), c.h) << c.what;
    EXPECT_EQ(out.bitmap.BitCount(), 24) << c.what;
    // Upright: blue sky in the first row, green in the last.
    const ColorValue top = out.bitmap.Pixel(out.bitmap.Width() / 4, 0);
    const ColorValue bottom = out.bitmap.Pixel(out.bitmap.Width() / 2, out.bitmap.Height() - 1);
    EXPECT_GT(BlueOf(top), RedOf(top) + 60) << c.what;
    EXPECT_GT(GreenOf(bottom), BlueOf(bottom) + 20) << c.what;
    EXPECT_EQ(out.statusText.rfind("Loaded ", 0), 0u) << c.what << ": " << out.statusText;
    // A reduced decode names the file's own size and the reduction.
    const int factor = 640 / c.w;
    EXPECT_EQ(out.reducedScale, factor) << c.what;
    EXPECT_EQ(out.sourceWidth, factor > 1 ? 640 : 0) << c.what;
    EXPECT_EQ(out.sourceHeight, factor > 1 ? 427 : 0) << c.what;
  }
}

TEST(ViewerJpeg, GrayFilesComeAsEightBitGrays) {
  LoadedPicture out;
  ASSERT_TRUE(DefaultPictureLoader()(test::Fixture("viewer/gray.jpg").string(), {}, out));
  ASSERT_EQ(out.bitmap.BitCount(), 8);
  EXPECT_EQ(out.bitmap.Width(), 64);
  // White at the top, black at the bottom, through a gray palette.
  const ColorValue top = out.bitmap.Pixel(10, 0), bottom = out.bitmap.Pixel(10, 47);
  EXPECT_GT(RedOf(top), 240);
  EXPECT_LT(RedOf(bottom), 15);
  EXPECT_EQ(RedOf(top), BlueOf(top));
}

TEST(ViewerJpeg, CutOffAndForeignBytesNeverCrash) {
  test::TempDir dir;
  const std::vector<std::uint8_t> whole = test::ReadBytes(test::Fixture("viewer/photo.jpg"));
  const PictureLoader loader = DefaultPictureLoader();
  // A file cut after its header still shows what arrived; one with no scan data fails.
  test::WriteBytes(dir / "cut.jpg", std::vector<std::uint8_t>(whole.begin(), whole.begin() + whole.size() / 2));
  test::WriteBytes(dir / "head.jpg", std::vector<std::uint8_t>(whole.begin(), whole.begin() + 2));
  test::WriteText(dir / "text.jpg", "not a JPEG at all");
  LoadedPicture cut;
  EXPECT_TRUE(loader((dir / "cut.jpg").string(), {}, cut));
  EXPECT_EQ(cut.bitmap.Width(), 640);
  for (const char* name : {"head.jpg", "text.jpg"}) {
    LoadedPicture out;
    EXPECT_FALSE(loader((dir / name).string(), {}, out)) << name;
  }
}

TEST(JpegFrameSize, ReadsTheFrameHeaderAndRefusesBrokenSegments) {
  test::TempDir dir;
  const std::vector<std::uint8_t> photo = test::ReadBytes(test::Fixture("viewer/photo.jpg"));
  // The photo with a large application segment and fill bytes put in before its own segments.
  std::vector<std::uint8_t> padded = {0xFF, 0xD8, 0xFF, 0xE1, 0xEA, 0x62};
  padded.resize(padded.size() + 0xEA62 - 2, 0x55);
  padded.insert(padded.end(), {0xFF, 0xFF});
  padded.insert(padded.end(), photo.begin() + 2, photo.end());
  using B = std::vector<std::uint8_t>;
  struct Case { const char* name; B bytes; int w, h; };
  const Case cases[] = {
      {"photo", photo, 640, 427},
      {"padded", padded, 640, 427},
      {"gray", test::ReadBytes(test::Fixture("viewer/gray.jpg")), 64, 48},
      {"not a JPEG", {'B', 'M', 0, 0}, 0, 0},
      {"only the start", {0xFF, 0xD8}, 0, 0},
      {"segment shorter than its length field", {0xFF, 0xD8, 0xFF, 0xE0, 0x00, 0x01}, 0, 0},
      {"segment past the end", {0xFF, 0xD8, 0xFF, 0xE0, 0x7F, 0xFF, 1, 2}, 0, 0},
      {"scan before any frame", {0xFF, 0xD8, 0xFF, 0xDA, 0x00, 0x02}, 0, 0},
      {"frame cut short", {0xFF, 0xD8, 0xFF, 0xC0, 0x00, 0x11, 8, 0x01}, 0, 0},
      {"zero width", {0xFF, 0xD8, 0xFF, 0xC0, 0x00, 0x0B, 8, 0x00, 0x10, 0x00, 0x00, 1, 1, 0x11, 0}, 0, 0},
      {"no marker after the start", {0xFF, 0xD8, 0x00, 0x00}, 0, 0},
  };
  for (const Case& c : cases) {
    const auto path = dir / "x.jpg";
    test::WriteBytes(path, c.bytes);
    const auto size = ReadJpegFrameSize(path);
    if (c.w == 0) {
      EXPECT_FALSE(size.has_value()) << c.name;
    } else {
      ASSERT_TRUE(size.has_value()) << c.name;
      EXPECT_EQ(size->width, c.w) << c.name;
      EXPECT_EQ(size->height, c.h) << c.name;
    }
  }
  EXPECT_FALSE(ReadJpegFrameSize(dir / "missing.jpg").has_value());
}

TEST(JpegFrameSize, ReductionIsThePowerOfTwoThatGivesTheShownSize) {
  struct Case { int w, h, shownW, shownH, factor; };
  const Case cases[] = {
      {640, 427, 640, 427, 1}, {640, 427, 320, 214, 2}, {640, 427, 160, 107, 4}, {640, 427, 80, 54, 8},
      {640, 427, 300, 200, 1},  // resampled, not a decoder reduction
      {6000, 4000, 750, 500, 8},
  };
  for (const Case& c : cases)
    EXPECT_EQ(JpegReduction({c.w, c.h}, c.shownW, c.shownH), c.factor) << c.shownW << "x" << c.shownH;
}

}  // namespace
}  // namespace pelira
