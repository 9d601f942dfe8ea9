#include <gtest/gtest.h>

#include "common/errors.h"
#include "formats/format_expect.h"
#include "image/gbm_frame.h"
#include "image/pcx_graphic.h"
#include "image/pixel_limit.h"

namespace pelira {
namespace {

using test::FormatBytes;
using test::PixelsMatch;

struct PcxCase {
  const char* name;
  TImageFormat format;
};

class PcxRead : public ::testing::TestWithParam<PcxCase> {};

TEST_P(PcxRead, MatchesImageMagickDecode) {
  const PcxCase c = GetParam();
  TPcxGraphic g;
  g.LoadFromBytes(FormatBytes(std::string(c.name) + ".pcx"));
  EXPECT_EQ(g.Format(), c.format);
  EXPECT_TRUE(PixelsMatch(g, std::string(c.name) + ".pcx.rgb"));
}

INSTANTIATE_TEST_SUITE_P(Fixtures, PcxRead,
                         ::testing::Values(PcxCase{"pcx_im_8", TImageFormat::Color256},
                                           PcxCase{"pcx_im_24", TImageFormat::TrueColor},
                                           PcxCase{"pcx_1", TImageFormat::BlackWhite},
                                           PcxCase{"pcx_4x1", TImageFormat::Color16},
                                           PcxCase{"pcx_4", TImageFormat::Color16},
                                           PcxCase{"pcx_runs_8", TImageFormat::Color256}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(PcxCodec, HeaderChecks) {
  const Bytes good = FormatBytes("pcx_4x1.pcx");
  struct Patch {
    std::size_t at;
    std::uint8_t value;
    bool reads;
  };
  // Versions 0..3 and 5 are read, 4 and above 5 refused; encoding must be 1; only the five
  // bit/plane combinations are known.
  const Patch patches[] = {{1, 0, true},  {1, 1, true},  {1, 3, true},  {1, 5, true},  {1, 4, false},
                           {1, 6, false}, {2, 0, false}, {2, 2, false}, {0, 11, false}, {3, 2, false},
                           {65, 3, false}, {65, 2, false}};
  for (const Patch& p : patches) {
    Bytes b = good;
    b[p.at] = p.value;
    TPcxGraphic g;
    if (p.reads) {
      EXPECT_NO_THROW(g.LoadFromBytes(b)) << p.at << "=" << int(p.value);
      EXPECT_TRUE(PixelsMatch(g, "pcx_4x1.pcx.rgb"));
    } else {
      EXPECT_THROW(g.LoadFromBytes(b), EGbmError) << p.at << "=" << int(p.value);
      EXPECT_TRUE(g.Empty());
    }
  }
  PcxHeader h;
  Bytes b = good;
  b[1] = 4;
  EXPECT_EQ(ParsePcxHeader(b, h), 700);
  EXPECT_EQ(GbmErrorText(700), "version number not 4 or 5");
  b = good;
  b[65] = 2;
  EXPECT_EQ(ParsePcxHeader(b, h), 702);
  b = good;
  b[8] = 0, b[9] = 0, b[4] = 5;  // xmax 0 < xmin 5
  EXPECT_EQ(ParsePcxHeader(b, h), 6);
}

TEST(PcxCodec, TrailerAndTruncation) {
  Bytes b = FormatBytes("pcx_im_8.pcx");
  b[b.size() - 769] = 11;
  TPcxGraphic g;
  try {
    g.LoadFromBytes(b);
    FAIL() << "a trailer not starting with 12 reads";
  } catch (const EGbmError& e) {
    EXPECT_STREQ(e.what(), "gbm_read_header failed.");
  }
  // Data that ends before the last line.
  b = FormatBytes("pcx_im_24.pcx");
  b.resize(b.size() / 2);
  try {
    g.LoadFromBytes(b);
    FAIL() << "a truncated file reads";
  } catch (const EGbmError& e) {
    EXPECT_STREQ(e.what(), "gbm_read_data failed.");
  }
  EXPECT_TRUE(g.Empty());
  for (std::size_t n : {0, 1, 60, 127}) {
    Bytes s = FormatBytes("pcx_1.pcx");
    s.resize(n);
    EXPECT_THROW(g.LoadFromBytes(s), EGbmError) << n;
  }
}

TEST(PcxCodec, HostileSizesAndLines) {
  // Lines shorter than the width would leave pixels the file never gives.
  Bytes b = FormatBytes("pcx_im_24.pcx");
  b[66] = 10, b[67] = 0;
  TPcxGraphic g;
  EXPECT_THROW(g.LoadFromBytes(b), EGbmError);
  // A 65536 x 65536 24-bit header is refused by the pixel limit before anything is made.
  const std::uint64_t old = MaxImageBytes();
  SetMaxImageBytes(64 << 20);
  b = FormatBytes("pcx_im_24.pcx");
  b[8] = b[9] = b[10] = b[11] = 0xFF;
  b[66] = 0, b[67] = 0;  // 65536 bytes per line does not fit: 0 is too short
  EXPECT_THROW(g.LoadFromBytes(b), EGbmError);
  b[66] = 0xFF, b[67] = 0xFF;
  b[8] = 0xFE;  // 65535 wide, 65536 high
  try {
    g.LoadFromBytes(b);
    FAIL() << "a huge picture is made";
  } catch (const EVistrelError& e) {
    EXPECT_STREQ(e.what(), "Image too large: 65535x65536 at 24 bits per pixel");
  }
  SetMaxImageBytes(old);
  EXPECT_TRUE(g.Empty());
  // Lines longer than the row (bytes per line past the stride) and runs past the last line
  // are cut, never written outside the picture.
  b = FormatBytes("pcx_im_8.pcx");
  PcxHeader h;
  ASSERT_EQ(ParsePcxHeader(b, h), 0);
  Bytes longLines(b.begin(), b.begin() + 128);
  longLines[66] = 200;  // 200 bytes per line, 23 pixels wide
  for (int y = 0; y < h.height; ++y) {
    longLines.push_back(192 + 63);
    longLines.push_back(static_cast<std::uint8_t>(y));
    longLines.push_back(192 + 63);
    longLines.push_back(static_cast<std::uint8_t>(y));
    longLines.push_back(192 + 63);
    longLines.push_back(static_cast<std::uint8_t>(y));
    longLines.push_back(192 + 11);
    longLines.push_back(static_cast<std::uint8_t>(y));
  }
  for (int i = 0; i < 50; ++i) longLines.push_back(192 + 63), longLines.push_back(99);
  longLines.insert(longLines.end(), b.end() - 769, b.end());
  g.LoadFromBytes(longLines);
  for (int y = 0; y < h.height; ++y) {
    EXPECT_EQ(g.PaletteIndex(0, y), y);
    EXPECT_EQ(g.PaletteIndex(h.width - 1, y), y);
  }
}

TEST(PcxCodec, HeaderOnlyRead) {
  test::TempDir dir;
  test::WriteBytes(dir / "a.pcx", FormatBytes("pcx_4x1.pcx"));
  TPcxGraphic g;
  g.ReadPcxHeader(dir / "a.pcx");
  EXPECT_EQ(g.HeaderWidth(), 23);
  EXPECT_EQ(g.HeaderHeight(), 7);
  EXPECT_EQ(g.HeaderBits(), 4);
  test::WriteBytes(dir / "b.pcx", Bytes{10, 4, 1});
  EXPECT_THROW(g.ReadPcxHeader(dir / "b.pcx"), EGbmError);
  EXPECT_THROW(g.ReadPcxHeader(dir / "missing.pcx"), EGbmError);
  EXPECT_EQ(g.HeaderWidth(), 23) << "a failed read changes nothing";
}

// Fills an image with a pattern that uses every palette entry of its depth.
void Pattern(TDibGraphic& g) {
  for (int y = 0; y < g.Height(); ++y)
    for (int x = 0; x < g.Width(); ++x) {
      if (g.Format() == TImageFormat::TrueColor)
        g.SetPixels(x, y, MakeColor(x * 2 + y, 255 - x, (x * y) & 255));
      else
        g.SetPaletteIndex(x, y, (x / 3 + y * 7) % static_cast<int>(g.PaletteRecord().count));
    }
}

struct WriteCase {
  TImageFormat format;
  int bitsPerPlane, planes, bytesPerLine;
};

class PcxWrite : public ::testing::TestWithParam<WriteCase> {};

TEST_P(PcxWrite, HeaderAndRoundTrip) {
  const WriteCase c = GetParam();
  TPcxGraphic g;
  g.NewImage(101, 9, c.format, nullptr, 150, 75);
  Pattern(g);
  const Bytes out = g.SaveToBytes();
  ASSERT_GE(out.size(), 128u);
  EXPECT_EQ(out[0], 10);
  EXPECT_EQ(out[1], 5);
  EXPECT_EQ(out[2], 1);
  EXPECT_EQ(out[3], c.bitsPerPlane);
  EXPECT_EQ(out[65], c.planes);
  EXPECT_EQ(out[66] | (out[67] << 8), c.bytesPerLine);
  EXPECT_EQ(out[68], 1);
  EXPECT_EQ(out[8] | (out[9] << 8), 100);
  EXPECT_EQ(out[12] | (out[13] << 8), 150);
  EXPECT_EQ(out[14] | (out[15] << 8), 75);
  TPcxGraphic back;
  back.LoadFromBytes(out);
  EXPECT_EQ(back.BitCount(), g.BitCount());
  EXPECT_EQ(back.XDotsPerInch(), 150);
  EXPECT_EQ(back.YDotsPerInch(), 75);
  EXPECT_TRUE(test::SameColors(back.AsDib(), g.AsDib()));
}

// 101 pixels: 1 bit 13 bytes -> 14, 4 bits 51 -> 52, 8 bits 101 -> 102, 24 bits 101 -> 102.
INSTANTIATE_TEST_SUITE_P(Formats, PcxWrite,
                         ::testing::Values(WriteCase{TImageFormat::BlackWhite, 1, 1, 14},
                                           WriteCase{TImageFormat::Gray16, 4, 1, 52},
                                           WriteCase{TImageFormat::Color16, 4, 1, 52},
                                           WriteCase{TImageFormat::Gray256, 8, 1, 102},
                                           WriteCase{TImageFormat::Color256, 8, 1, 102},
                                           WriteCase{TImageFormat::TrueColor, 8, 3, 102}));

TEST(PcxCodec, WriteDetails) {
  // Gray16: a 4-bit single-plane file with the gray ramp in the header palette.
  TPcxGraphic g;
  g.NewImage(5, 2, TImageFormat::Gray16, nullptr, 0, 0);
  Bytes out = g.SaveToBytes();
  for (int i = 0; i < 16; ++i)
    for (int k = 0; k < 3; ++k) EXPECT_EQ(out[16 + 3 * i + k], i * 17) << i;
  // Only 4-bit images carry the header palette; 8-bit ones end with 12 and 256 entries.
  g.NewImage(5, 2, TImageFormat::Color256, nullptr, 0, 0);
  out = g.SaveToBytes();
  for (int i = 16; i < 64; ++i) EXPECT_EQ(out[i], 0);
  ASSERT_GT(out.size(), 769u);
  EXPECT_EQ(out[out.size() - 769], 12);
  EXPECT_EQ(out[out.size() - 768 + 3 * 32], 255) << "entry 32 of the default table is red";
  // Runs: 2..63 equal bytes, or one byte of 192 or more, as 192 + count and the value.
  g.NewImage(70, 1, TImageFormat::Gray256, nullptr, 0, 0);
  for (int x = 0; x < 70; ++x) g.SetPaletteIndex(x, 0, x < 66 ? 7 : x == 66 ? 200 : x == 67 ? 5 : 6);
  out = g.SaveToBytes();
  const Bytes want{192 + 63, 7, 192 + 3, 7, 192 + 1, 200, 5, 192 + 2, 6, 12};
  EXPECT_EQ(Bytes(out.begin() + 128, out.begin() + 128 + static_cast<long>(want.size())), want);
}

TEST(PcxCodec, BlackWhiteDarkerColourIsZero) {
  // White, black palette: every bit is inverted so that the file's 0 is black.
  TPcxGraphic g;
  const Palette wb{RgbQuad{255, 255, 255, 0}, RgbQuad{0, 0, 0, 0}};
  const TPaletteRecord rec = TPaletteRecord::From(wb);
  g.NewImage(10, 1, TImageFormat::BlackWhite, &rec, 0, 0);
  g.SetPaletteIndex(0, 0, 1);  // black at x = 0, white elsewhere
  Bytes out = g.SaveToBytes();
  // 10 pixels, 2 data bytes: 0111 1111 (a literal), then 11 and zero bits past the width
  // (192 or more, so written as a run of one).
  EXPECT_EQ(Bytes(out.begin() + 128, out.end()), (Bytes{0x7F, 192 + 1, 0xC0}));
  // The header palette says what 0 and 1 are, for readers that honour it.
  EXPECT_EQ(Bytes(out.begin() + 16, out.begin() + 22), (Bytes{0, 0, 0, 255, 255, 255}));
  TPcxGraphic back;
  back.LoadFromBytes(out);
  EXPECT_EQ(back.Pixels(0, 0), 0u);
  EXPECT_EQ(back.Pixels(1, 0), 0xFFFFFFu);
  EXPECT_TRUE(test::SameColors(back.AsDib(), g.AsDib()));
  // Black, white keeps the bits.
  g.NewImage(10, 1, TImageFormat::BlackWhite, nullptr, 0, 0);
  g.SetPaletteIndex(0, 0, 1);
  out = g.SaveToBytes();
  EXPECT_EQ(out[128], 0x80);
  EXPECT_EQ(Bytes(out.begin() + 16, out.begin() + 22), (Bytes{0, 0, 0, 255, 255, 255}));
}

TEST(PcxCodec, EmptyAndOversizeWritesFail) {
  TPcxGraphic g;
  EXPECT_THROW(g.SaveToBytes(), EGbmError);
  // 65537 pixels do not fit the 16-bit corner fields: refused rather than written wrapped.
  g.NewImage(65537, 1, TImageFormat::BlackWhite, nullptr, 0, 0);
  EXPECT_THROW(g.SaveToBytes(), EGbmError);
  g.NewImage(65536, 1, TImageFormat::BlackWhite, nullptr, 0, 0);
  TPcxGraphic back;
  back.LoadFromBytes(g.SaveToBytes());
  EXPECT_EQ(back.Width(), 65536);
}

TEST(PcxCodec, Golden) {
  // Each golden file decodes in ImageMagick to the source's decode (tests/fixtures/README.md).
  for (const char* name : {"pcx_im_24", "pcx_im_8", "pcx_4x1", "pcx_1"}) {
    TPcxGraphic g;
    g.LoadFromBytes(FormatBytes(std::string(name) + ".pcx"));
    test::ExpectGolden(g.SaveToBytes(), std::string(name) + ".pcx");
  }
}

}  // namespace
}  // namespace pelira
