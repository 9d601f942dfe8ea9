// PNG, TIFF and JPEG files through the loading pipeline and the save writers.
#include <gtest/gtest.h>

#include "codecs/codec_test_util.h"
#include "image/codec_registry.h"
#include "image/image_loader.h"
#include "image/jpeg_image.h"
#include "image/library_codecs.h"
#include "image/png_graphic.h"
#include "image/tiff_graphic.h"
#include "support/test_support.h"

namespace pelira {
namespace {

using test::CodecFixture;
using test::ReadBytes;
using test::RgbOf;

struct Opened {
  OpenOutcome outcome;
  CurrentImageInfo info;
  Dib bitmap;
  std::string error;
};

Opened Open(const std::string& fixture, LoadSettings settings = {}) {
  TImageLoader l(settings);
  Opened o;
  o.outcome = l.Open(CodecFixture(fixture).string());
  o.info = l.info;
  o.bitmap = l.workingBitmap;
  o.error = l.LastError();
  return o;
}

std::vector<std::uint8_t> Rgb(const std::string& fixture) { return ReadBytes(CodecFixture(fixture)); }

// Each file with the route it takes and the depth it lands at; pixels as the independent
// decoders give them.
TEST(CodecPipeline, FilesOpenWithTheirPixelsAndDepth) {
  struct Case {
    const char* file;
    const char* expected;
    int depth;
    bool library;
    int tolerance = 0;  // 16-bit samples: libpng truncates, ImageMagick rounds
  };
  const Case cases[] = {
      {"png/rgb16.png", "png/rgb16.rgb", 24, false, 1},
      {"png/pal8.png", "png/pal8.rgb", 8, false},
      {"png/pal4.png", "png/pal4.rgb", 4, false},
      {"png/gray8.png", "png/gray8.rgb", 8, false},
      {"tiff/rgb_zip.tif", "tiff/rgb_zip.rgb", 24, false},
      {"tiff/pal8.tif", "tiff/pal8.rgb", 8, false},
      {"tiff/gray8_miw.tif", "tiff/gray8_miw.rgb", 8, false},
      // Deflate 1-bit pages stay with the codec; tiled min-is-white is not turned round twice.
      {"tiff/bw_miw_tiled.tif", "tiff/bw_miw_tiled.rgb", 1, false},
      // LZW, fax, other 1-bit and 2-bit files go to the imaging library.
      {"tiff/rgb_lzw.tif", "tiff/rgb.rgb", 24, true},
      {"tiff/pal8_lzw.tif", "tiff/pal8.rgb", 8, true},
      {"tiff/bw_miw_g4.tif", "tiff/bw_miw_g4.rgb", 1, true},
      {"tiff/bw_miw_g3_2d.tif", "tiff/bw_miw_g3_2d.rgb", 1, true},
      {"tiff/bw.tif", "tiff/bw.rgb", 1, true},
      {"tiff/gray2.tif", "tiff/gray2.rgb", 8, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    const Opened o = Open(c.file);
    ASSERT_EQ(o.outcome, OpenOutcome::Image) << o.error;
    EXPECT_EQ(o.info.libraryFlag, c.library);
    EXPECT_EQ(o.bitmap.BitCount(), c.depth);
    EXPECT_EQ(o.info.depth, c.depth);
    const int diff = test::MaxDifference(RgbOf(o.bitmap), Rgb(c.expected));
    EXPECT_GE(diff, 0);
    EXPECT_LE(diff, c.tolerance);
  }
}

TEST(CodecPipeline, PngPalettesArriveUnchanged) {
  TPngGraphic direct;
  direct.LoadFromFile(CodecFixture("png/pal1.png"));
  const Opened o = Open("png/pal1.png");
  ASSERT_EQ(o.bitmap.BitCount(), 1);
  ASSERT_EQ(o.bitmap.Colors().size(), 2u);
  EXPECT_EQ(o.bitmap.Colors()[0], direct.PaletteRecord().entries[0]);
  EXPECT_EQ(o.bitmap.Colors()[1], direct.PaletteRecord().entries[1]);
  EXPECT_EQ(RgbOf(o.bitmap), Rgb("png/pal1.rgb"));
}

TEST(CodecPipeline, PngTransparencyOnTheViewersBackground) {
  LoadSettings s;
  s.background = MakeColor(0, 0, 255);
  const Opened o = Open("png/rgba8.png", s);
  ASSERT_EQ(o.outcome, OpenOutcome::Image) << o.error;
  const int diff = test::MaxDifference(RgbOf(o.bitmap), Rgb("png/rgba8.blue.rgb"));
  EXPECT_GE(diff, 0);
  EXPECT_LE(diff, 1);
}

TEST(CodecPipeline, TiffPagesThroughTheLibrary) {
  TImageLoader l;
  ASSERT_EQ(l.Open(CodecFixture("tiff/multi.tif").string()), OpenOutcome::Image) << l.LastError();
  EXPECT_EQ(l.info.pageCount, 4);
  EXPECT_EQ(RgbOf(l.workingBitmap), Rgb("tiff/multi.p1.rgb"));
  for (int page = 2; page <= 4; ++page) {
    SCOPED_TRACE(page);
    ASSERT_TRUE(l.LoadByExtension(true, page - 1)) << l.LastError();
    EXPECT_EQ(RgbOf(l.workingBitmap), Rgb("tiff/multi.p" + std::to_string(page) + ".rgb"));
  }
  EXPECT_EQ(l.workingBitmap.BitCount(), 1);
}

TEST(CodecPipeline, JpegDecodeScales) {
  for (int scale = 0; scale < 4; ++scale) {
    SCOPED_TRACE(scale);
    LoadSettings s;
    s.jpegScale = scale;
    const Opened o = Open("jpeg/base420.jpg", s);
    ASSERT_EQ(o.outcome, OpenOutcome::Image) << o.error;
    const test::Pnm want = test::ReadPnm(CodecFixture("jpeg/expect/base420.s" + std::to_string(1 << scale) + ".pnm"));
    EXPECT_EQ(o.bitmap.Width(), want.width);
    EXPECT_EQ(RgbOf(o.bitmap), want.pixels);
  }
  // Fit to window: 37x23 in a 10x10 window decodes at the scale that fits twice the window.
  LoadSettings fit;
  fit.fitToWindow = true;
  fit.windowWidth = 10;
  fit.windowHeight = 10;
  EXPECT_EQ(Open("jpeg/base420.jpg", fit).bitmap.Width(), 19);
  // A gray file: 8 bits with the 256-level gray palette.
  const Opened gray = Open("jpeg/gray.jpg");
  EXPECT_EQ(gray.bitmap.BitCount(), 8);
  EXPECT_EQ(gray.bitmap.Colors().size(), 256u);
  // A damaged file ends on the blank picture with the library's error.
  const Opened bad = Open("jpeg/corrupt.jpg");
  EXPECT_EQ(bad.outcome, OpenOutcome::Blank);
  EXPECT_NE(bad.error.find("JPEG error #"), std::string::npos) << bad.error;
}

TEST(CodecPipeline, DamagedFilesEndOnTheBlankPicture) {
  test::TempDir dir;
  const Bytes png = ReadBytes(CodecFixture("png/rgb8.png"));
  const Bytes tif = ReadBytes(CodecFixture("tiff/rgb_zip.tif"));
  test::WriteBytes(dir / "cut.png", Bytes(png.begin(), png.begin() + 60));
  test::WriteBytes(dir / "cut.tif", Bytes(tif.begin(), tif.begin() + 12));
  test::WriteBytes(dir / "junk.tif", Bytes(100, 0x42));
  for (const char* name : {"cut.png", "cut.tif", "junk.tif"}) {
    SCOPED_TRACE(name);
    TImageLoader l;
    EXPECT_EQ(l.Open((dir / name).string()), OpenOutcome::Blank);
    EXPECT_FALSE(l.LastError().empty());
  }
}

Dib Picture(int bits) {
  Dib d(23, 7, bits);
  for (int y = 0; y < 7; ++y)
    for (int x = 0; x < 23; ++x) {
      if (bits == 24) d.SetIndex(x, y, MakeColor(x * 11, y * 30, 255 - x * 5));
      else d.SetIndex(x, y, static_cast<std::uint32_t>((x * 3 + y) % (1 << bits)));
    }
  d.xPelsPerMeter = d.yPelsPerMeter = 11811;
  return d;
}

TEST(CodecSave, WritersOfThePngJpegAndTiffTypes) {
  for (int bits : {1, 4, 8, 24}) {
    const Dib src = Picture(bits);
    for (int type : {3, 7, 8, 9, 10, 11, 12}) {
      if ((type == 10 || type == 11) && bits != 1) continue;
      SCOPED_TRACE(std::to_string(bits) + " bits, type " + std::to_string(type));
      const SaveWriter w = SaveWriterFor(type);
      ASSERT_TRUE(w);
      const Bytes out = w(src, SaveOptions{});
      std::unique_ptr<TDibGraphic> back;
      if (type == 3) back = std::make_unique<TPngGraphic>();
      else back = std::make_unique<TTiffGraphic>();
      back->LoadFromBytes(out);
      EXPECT_EQ(back->BitCount(), bits);
      EXPECT_EQ(RgbOf(*back), RgbOf(src));
    }
  }
  // TIFF types set their compression; fax types refuse colour pictures.
  const int tags[] = {0, 0, 0, 0, 0, 0, 0, 1, 32946, 8, 3, 4, 32773};
  for (int type = 7; type <= 12; ++type) {
    const Bytes out = SaveWriterFor(type)(Picture(1), SaveOptions{});
    TTiffGraphic t;
    EXPECT_EQ(t.ReadHeader(out).compression, tags[type]) << type;
  }
  EXPECT_THROW(SaveWriterFor(11)(Picture(24), SaveOptions{}), ETiffError);

  // JPEG: colour at the dialog's value, gray as 256 grays, progressive on request.
  const Dib photo = Picture(24);
  TJPEGImage colour, gray;
  colour.LoadFromStream(SaveWriterFor(5)(photo, SaveOptions{50, false}));
  EXPECT_FALSE(colour.Grayscale());
  EXPECT_FALSE(colour.ProgressiveEncoding);
  EXPECT_LE(test::MaxDifference(RgbOf(colour.Decode()), RgbOf(photo)), 64);
  gray.LoadFromStream(SaveWriterFor(4)(photo, SaveOptions{50, true}));
  EXPECT_TRUE(gray.Grayscale());
  EXPECT_TRUE(gray.ProgressiveEncoding);
  EXPECT_EQ(JpegSaveScale(200), 50);
  EXPECT_EQ(JpegSaveScale(128), 128);
  // PNG interlace follows the progressive option.
  const Bytes plain = SaveWriterFor(3)(photo, SaveOptions{50, false});
  EXPECT_EQ(plain[28], 0);
  EXPECT_EQ(SaveWriterFor(3)(photo, SaveOptions{50, true})[28], 1);
}

}  // namespace
}  // namespace pelira
