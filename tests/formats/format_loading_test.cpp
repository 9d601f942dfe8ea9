#include <gtest/gtest.h>

#include "formats/format_expect.h"
#include "image/image_loader.h"

namespace pelira {
namespace {

using test::FormatFixture;
using test::PixelsMatch;

// Every in-program format opens through the viewer's road at the depth of the bitmap made.
TEST(FormatLoading, OpensThroughThePipeline) {
  struct Case {
    const char* file;
    const char* rgb;
    int depth;
  };
  const Case cases[] = {
      {"pcx_im_8.pcx", "pcx_im_8.pcx.rgb", 8},        {"pcx_im_24.pcx", "pcx_im_24.pcx.rgb", 24},
      {"pcx_1.pcx", "pcx_1.pcx.rgb", 1},              {"pcx_4x1.pcx", "pcx_4x1.pcx.rgb", 4},
      {"tga_im_8_rle.tga", "tga_im_8_rle.tga.rgb", 8}, {"tga_im_32.tga", "tga_im_32.tga.rgb", 24},
      {"gif_im_interlaced.gif", "gif_im_interlaced.gif.rgb", 8},
      {"gif_local16.gif", "gif_local16.gif.rgb", 8},
      {"psd_im_rgb.psd", "psd_im_rgb.psd.0.rgb", 24}, {"psd_im_gray.psd", "psd_im_gray.psd.0.rgb", 8},
      {"psd_im_indexed.psd", "psd_im_indexed.psd.0.rgb", 8},
  };
  for (const Case& c : cases) {
    TImageLoader l;
    ASSERT_EQ(l.Open(FormatFixture(c.file).string()), OpenOutcome::Image) << c.file << ": " << l.LastError();
    EXPECT_EQ(l.info.depth, c.depth) << c.file;
    EXPECT_EQ(l.workingBitmap.BitCount(), c.depth) << c.file;
    EXPECT_TRUE(PixelsMatch(l.workingBitmap, c.rgb)) << c.file;
  }
}

TEST(FormatLoading, ProbeReadsHeadersOnly) {
  struct Case {
    const char* file;
    int width, height, depth;
  };
  // GIF probes by its colour table size (4 bits for 16 entries); 16 bits and more probe as 24.
  const Case cases[] = {{"gif_local16.gif", 23, 7, 4}, {"gif_deferred.gif", 160, 120, 8},
                        {"psd_im_rgb.psd", 23, 7, 24}, {"pcx_4.pcx", 23, 7, 4}, {"tga_16_rle.tga", 23, 7, 24}};
  for (const Case& c : cases) {
    TImageLoader l;
    l.info.fileName = FormatFixture(c.file).string();
    EXPECT_EQ(l.ProbeFile(), kProbeImage) << c.file << ": " << l.LastError();
    EXPECT_EQ(l.info.width, c.width) << c.file;
    EXPECT_EQ(l.info.height, c.height) << c.file;
    EXPECT_EQ(l.info.depth, c.depth) << c.file;
  }
}

TEST(FormatLoading, BadFilesEndOnTheBlankPicture) {
  for (const char* file : {"psd_bitmap.psd", "psd_lower.psd"}) {
    TImageLoader l;
    EXPECT_EQ(l.Open(FormatFixture(file).string()), OpenOutcome::Blank) << file;
    EXPECT_EQ(l.info.fileName, "Untitled");
    EXPECT_EQ(l.LastError(), "Invalid image format") << file;
  }
}

}  // namespace
}  // namespace pelira
