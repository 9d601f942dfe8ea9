#include <gtest/gtest.h>

#include "common/errors.h"
#include "formats/format_expect.h"
#include "image/gbm_frame.h"
#include "image/pixel_limit.h"
#include "image/tga_graphic.h"

namespace pelira {
namespace {

using test::FormatBytes;
using test::PixelsMatch;

struct TgaCase {
  const char* name;
  TImageFormat format;
};

class TgaRead : public ::testing::TestWithParam<TgaCase> {};

// ImageMagick's decodes, except tga_16_rle and tga_map300 whose decodes follow the codec's
// rules (x 8 scaling, a clipped map starting at its first entry).
TEST_P(TgaRead, MatchesExpectedDecode) {
  const TgaCase c = GetParam();
  TTgaGraphic g;
  g.LoadFromBytes(FormatBytes(std::string(c.name) + ".tga"));
  EXPECT_EQ(g.Format(), c.format);
  EXPECT_TRUE(PixelsMatch(g, std::string(c.name) + ".tga.rgb"));
}

INSTANTIATE_TEST_SUITE_P(Fixtures, TgaRead,
                         ::testing::Values(TgaCase{"tga_im_8", TImageFormat::Color256},
                                           TgaCase{"tga_im_8_rle", TImageFormat::Color256},
                                           TgaCase{"tga_im_24", TImageFormat::TrueColor},
                                           TgaCase{"tga_im_24_rle", TImageFormat::TrueColor},
                                           TgaCase{"tga_im_32", TImageFormat::TrueColor},
                                           TgaCase{"tga_im_32_rle", TImageFormat::TrueColor},
                                           TgaCase{"tga_im_gray_rle", TImageFormat::Color256},
                                           TgaCase{"tga_16_rle", TImageFormat::TrueColor},
                                           TgaCase{"tga_topdown_24", TImageFormat::TrueColor},
                                           TgaCase{"tga_map300", TImageFormat::Color256}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(TgaCodec, SixteenBitsScaleByEight) {
  TTgaGraphic g;
  g.LoadFromBytes(FormatBytes("tga_16_rle.tga"));
  // Columns 12.. are 0x7FFF; the run packets there cross every row end.
  EXPECT_EQ(g.Pixels(22, 0), MakeColor(248, 248, 248));
  EXPECT_EQ(g.Pixels(12, 1), MakeColor(248, 248, 248));
  // Gray images get the gray ramp palette.
  g.LoadFromBytes(FormatBytes("tga_im_gray_rle.tga"));
  EXPECT_EQ(g.PaletteRecord().count, 256);
  EXPECT_EQ(g.PaletteRecord().entries[77], (RgbQuad{77, 77, 77, 0}));
}

TEST(TgaCodec, HeaderChecks) {
  const Bytes good = FormatBytes("tga_im_8.tga");
  struct Patch {
    std::size_t at;
    std::uint8_t value;
    int code;
  };
  const Patch patches[] = {
      {16, 15, 400},  // 15 bits per pixel are refused
      {16, 12, 400}, {16, 16, 401},  // a colour-mapped image must be 8 bits
      {7, 16, 402},                  // map entries must be 24 bits
      {1, 0, 403},                   // a colour-mapped image without a map
      {2, 5, 401},  {2, 0, 401},  {12, 0, 6}, {14, 0, 6}};
  for (const Patch& p : patches) {
    Bytes b = good;
    b[p.at] = p.value;
    if (p.at == 12) b[13] = 0;
    if (p.at == 14) b[15] = 0;
    TgaHeader h;
    EXPECT_EQ(ParseTgaHeader(b, h), p.code) << p.at << "=" << int(p.value);
    TTgaGraphic g;
    try {
      g.LoadFromBytes(b);
      ADD_FAILURE() << p.at << "=" << int(p.value) << " reads";
    } catch (const EGbmError& e) {
      EXPECT_STREQ(e.what(), "gbm_read_header failed.");
    }
    EXPECT_TRUE(g.Empty());
  }
  EXPECT_EQ(GbmErrorText(400), "bits per pixel not 8, 16, 24 or 32");
  EXPECT_EQ(GbmErrorText(402), "color map entry size not 24 bits per pixel");
  // A true-colour image may carry a map of any entry size: it is passed over.
  Bytes b = FormatBytes("tga_im_24.tga");
  b[1] = 1;
  b[5] = 3, b[7] = 15;  // 3 entries of 15 bits: 6 bytes
  b.insert(b.begin() + 18, {1, 2, 3, 4, 5, 6});
  TTgaGraphic g;
  g.LoadFromBytes(b);
  EXPECT_TRUE(PixelsMatch(g, "tga_im_24.tga.rgb"));
}

TEST(TgaCodec, DataBounds) {
  TTgaGraphic g;
  for (const char* name : {"tga_im_24.tga", "tga_im_24_rle.tga", "tga_16_rle.tga"}) {
    Bytes b = FormatBytes(name);
    b.resize(b.size() - 20);
    try {
      g.LoadFromBytes(b);
      ADD_FAILURE() << name << " truncated reads";
    } catch (const EGbmError& e) {
      EXPECT_STREQ(e.what(), "gbm_read_data failed.") << name;
    }
    EXPECT_TRUE(g.Empty());
  }
  // A map longer than the file.
  Bytes b = FormatBytes("tga_map300.tga");
  b.resize(18 + 500);
  EXPECT_THROW(g.LoadFromBytes(b), EGbmError);
  // Packets past the last pixel are dropped: a repeat of 128 and a long literal at the end.
  b = FormatBytes("tga_im_24_rle.tga");
  for (int i = 0; i < 3; ++i) b.insert(b.end() - 26 * 0, {0xFF, 9, 9, 9});
  b.push_back(127);
  for (int i = 0; i < 10; ++i) b.insert(b.end(), {1, 2, 3});
  g.LoadFromBytes(b);
  EXPECT_TRUE(PixelsMatch(g, "tga_im_24_rle.tga.rgb"));
  // A huge header is refused before anything is made.
  const std::uint64_t old = MaxImageBytes();
  SetMaxImageBytes(64 << 20);
  b = FormatBytes("tga_im_24.tga");
  b[12] = b[13] = b[14] = b[15] = 0xFF;
  try {
    g.LoadFromBytes(b);
    ADD_FAILURE() << "a huge picture is made";
  } catch (const EVistrelError& e) {
    EXPECT_STREQ(e.what(), "Image too large: 65535x65535 at 24 bits per pixel");
  }
  SetMaxImageBytes(old);
}

TEST(TgaCodec, Write) {
  TTgaGraphic g;
  for (TImageFormat f : {TImageFormat::BlackWhite, TImageFormat::Gray16, TImageFormat::Color16}) {
    g.NewImage(4, 4, f, nullptr, 0, 0);
    try {
      g.SaveToBytes();
      ADD_FAILURE() << FormatDisplayText(f) << " written";
    } catch (const ETgaError& e) {
      EXPECT_STREQ(e.what(), "TGA image must have 256 colors or true color");
    }
  }
  struct Case {
    TImageFormat format;
    std::uint8_t mapType, imageType, bits;
    std::size_t size;
  };
  // 7 x 3: 8-bit files carry 256 map entries; rows are unpadded.
  for (const Case& c : {Case{TImageFormat::Gray256, 1, 1, 8, 18 + 768 + 21},
                        Case{TImageFormat::Color256, 1, 1, 8, 18 + 768 + 21},
                        Case{TImageFormat::TrueColor, 0, 2, 24, 18 + 63}}) {
    g.NewImage(7, 3, c.format, nullptr, 0, 0);
    for (int y = 0; y < 3; ++y)
      for (int x = 0; x < 7; ++x) g.SetPixels(x, y, MakeColor(x * 30, y * 80, 200 - x * y * 9));
    const Bytes out = g.SaveToBytes();
    ASSERT_EQ(out.size(), c.size);
    EXPECT_EQ(out[1], c.mapType);
    EXPECT_EQ(out[2], c.imageType);
    EXPECT_EQ(out[16], c.bits);
    EXPECT_EQ(out[17], 0) << "bottom-left origin";
    if (c.mapType) {
      EXPECT_EQ(out[5] | (out[6] << 8), 256);
      EXPECT_EQ(out[7], 24);
    }
    TTgaGraphic back;
    back.LoadFromBytes(out);
    EXPECT_TRUE(test::SameColors(back.AsDib(), g.AsDib()));
  }
}

TEST(TgaCodec, Golden) {
  for (const char* name : {"tga_im_24", "tga_im_8", "tga_im_gray_rle"}) {
    TTgaGraphic g;
    g.LoadFromBytes(FormatBytes(std::string(name) + ".tga"));
    test::ExpectGolden(g.SaveToBytes(), std::string(name) + ".tga");
  }
}

TEST(TgaCodec, HeaderOnlyRead) {
  test::TempDir dir;
  test::WriteBytes(dir / "a.tga", FormatBytes("tga_16_rle.tga"));
  TTgaGraphic g;
  g.ReadTgaHeader(dir / "a.tga");
  EXPECT_EQ(g.HeaderWidth(), 23);
  EXPECT_EQ(g.HeaderHeight(), 7);
  EXPECT_EQ(g.HeaderBits(), 16);
}

}  // namespace
}  // namespace pelira
