#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "common/errors.h"
#include "image/bmp_graphic.h"
#include "image/bmp_reader.h"
#include "image/file_bytes.h"
#include "image/gbm_frame.h"
#include "image/image_loader.h"
#include "image/pixel_limit.h"
#include "support/test_support.h"

namespace pelira {
namespace {

using test::Fixture;
using test::ReadBytes;

// Compares every pixel with ImageMagick's decode (R,G,B bytes, top row first).
void ExpectPixelsEqual(const TDibGraphic& g, const std::string& rgbName) {
  const Bytes want = ReadBytes(Fixture("image/" + rgbName));
  ASSERT_EQ(want.size(), static_cast<std::size_t>(g.Width()) * g.Height() * 3) << rgbName;
  for (int y = 0; y < g.Height(); ++y)
    for (int x = 0; x < g.Width(); ++x) {
      const std::size_t o = (static_cast<std::size_t>(y) * g.Width() + x) * 3;
      ASSERT_EQ(g.Pixels(x, y), MakeColor(want[o], want[o + 1], want[o + 2]))
          << rgbName << " at " << x << "," << y;
    }
}

struct ReadCase {
  const char* name;
  TImageFormat format;
  bool platformReader;
};

class BmpRead : public ::testing::TestWithParam<ReadCase> {};

TEST_P(BmpRead, MatchesImageMagickDecode) {
  const ReadCase c = GetParam();
  TBmpGraphic g;
  g.LoadFromFile(Fixture(std::string("image/") + c.name + ".bmp"));
  EXPECT_EQ(g.Format(), c.format);
  EXPECT_EQ(g.UsedPlatformReader(), c.platformReader);
  ExpectPixelsEqual(g, std::string(c.name) + ".rgb");
}

INSTANTIATE_TEST_SUITE_P(
    Fixtures, BmpRead,
    ::testing::Values(ReadCase{"v3_24", TImageFormat::TrueColor, false},
                      ReadCase{"os2_24", TImageFormat::TrueColor, false},
                      ReadCase{"os2_4", TImageFormat::Color16, false},
                      ReadCase{"v3_8", TImageFormat::Color256, false},
                      ReadCase{"v3_4", TImageFormat::Color16, false},
                      ReadCase{"v3_1", TImageFormat::BlackWhite, false},
                      ReadCase{"white_first_1", TImageFormat::BlackWhite, false},
                      ReadCase{"used0_8", TImageFormat::Color256, false},
                      ReadCase{"used300_8", TImageFormat::Color256, false},
                      ReadCase{"rle8", TImageFormat::Color256, false},
                      ReadCase{"rle4", TImageFormat::Color16, false},
                      ReadCase{"rle8_eoi", TImageFormat::Color256, false},
                      ReadCase{"array_24", TImageFormat::TrueColor, false},
                      ReadCase{"dpi300", TImageFormat::TrueColor, false},
                      // Beyond the frame: the full reader.
                      ReadCase{"v5_24", TImageFormat::TrueColor, true},
                      ReadCase{"v5_32", TImageFormat::TrueColor, true},
                      ReadCase{"rgb565", TImageFormat::TrueColor, true},
                      ReadCase{"rgb555", TImageFormat::TrueColor, true},
                      ReadCase{"topdown_24", TImageFormat::TrueColor, true},
                      ReadCase{"topdown_8", TImageFormat::Color256, true}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(BmpCodec, PaletteOrderAndCounts) {
  TBmpGraphic g;
  g.LoadFromFile(Fixture("image/white_first_1.bmp"));
  EXPECT_EQ(g.PaletteRecord().entries[0], (RgbQuad{255, 255, 255, 0})) << "file order kept";
  for (const char* name : {"used0_8", "used300_8"}) {
    g.LoadFromFile(Fixture(std::string("image/") + name + ".bmp"));
    EXPECT_EQ(g.PaletteRecord().count, 256) << name;
  }
  g.LoadFromFile(Fixture("image/rle8_eoi.bmp"));
  for (int y = 0; y < 10; ++y) EXPECT_EQ(g.PaletteIndex(1, y), 0) << "rows after end of image are 0";
  EXPECT_EQ(g.PaletteIndex(1, 19), 10);
}

TEST(BmpCodec, ResolutionOnlyFromHeadersThatHoldIt) {
  SetScreenDpi(96);
  TBmpGraphic g;
  g.LoadFromFile(Fixture("image/dpi300.bmp"));
  EXPECT_EQ(g.XDotsPerInch(), 300);
  EXPECT_EQ(g.YDotsPerInch(), 300);
  // The OS/2 header has pixel bytes where a Windows header keeps the resolution.
  g.LoadFromFile(Fixture("image/os2_24.bmp"));
  EXPECT_EQ(g.XDotsPerInch(), 96);
  EXPECT_EQ(g.YDotsPerInch(), 96);
  Bytes b = ReadBytes(Fixture("image/dpi300.bmp"));
  b[38] = 0xFF, b[39] = 0xFF, b[40] = 0xFF, b[41] = 0xFF;  // -1 pixels per metre
  g.LoadFromBytes(b);
  EXPECT_EQ(g.XDotsPerInch(), 0);
  EXPECT_EQ(g.YDotsPerInch(), 300);
}

TEST(BmpCodec, HostileFilesFailCleanly) {
  const std::uint64_t old = MaxImageBytes();
  SetMaxImageBytes(64 << 20);
  for (const char* name : {"neg_width", "huge", "offset_past_eof", "truncated_pixels", "bad_cbfix",
                           "palette_past_eof", "rle_size_past_eof", "short_header", "not_bmp"}) {
    TBmpGraphic g;
    EXPECT_THROW(g.LoadFromFile(Fixture(std::string("image/") + name + ".bmp")), EVistrelError) << name;
    EXPECT_TRUE(g.Empty()) << name;
  }
  SetMaxImageBytes(old);
  TBmpGraphic g;
  try {
    g.LoadFromFile(Fixture("image/huge.bmp"));
    FAIL();
  } catch (const EVistrelError& e) {
    EXPECT_STREQ(e.what(), "Image too large: 2147483647x2147483647 at 24 bits per pixel");
  }
  // Empty and tiny inputs.
  for (std::size_t n : {0, 1, 2, 13, 17, 30}) {
    Bytes b = ReadBytes(Fixture("image/v3_24.bmp"));
    b.resize(n);
    EXPECT_THROW(g.LoadFromBytes(b), EVistrelError) << n;
  }
}

TEST(BmpCodec, RunsPastThePictureStayInside) {
  TBmpGraphic g;
  g.LoadFromFile(Fixture("image/rle8_overrun.bmp"));
  EXPECT_EQ(g.Width(), 4);
  EXPECT_EQ(g.Height(), 3);
  EXPECT_EQ(g.PaletteIndex(3, 2), 5) << "the 200-pixel run fills the bottom row and stops there";
  // Decoders called directly with every truncation of the data never touch outside.
  const Bytes file = ReadBytes(Fixture("image/rle4.bmp"));
  for (std::size_t cut = 0; cut < 40; ++cut) {
    std::vector<std::uint8_t> buf(4 * 3, 0);
    DecodeRle4(ByteSpan(file).subspan(118, cut), buf.data(), 4, 7, 3);
    DecodeRle8(ByteSpan(file).subspan(118, cut), buf.data(), 4, 4, 3);
  }
}

TEST(BmpCodec, HeaderReadsOnlyThePrefix) {
  TBmpGraphic g;
  g.ReadBmpHeader(Fixture("image/v5_32.bmp"));
  EXPECT_EQ(g.HeaderWidth(), 17);
  EXPECT_EQ(g.HeaderHeight(), 3);
  EXPECT_EQ(g.HeaderBits(), 32);
  g.ReadBmpHeader(Fixture("image/os2_4.bmp"));
  EXPECT_EQ(g.HeaderBits(), 4);
  try {
    g.ReadBmpHeader(Fixture("image/bad_cbfix.bmp"));
    FAIL();
  } catch (const EGbmError& e) {
    EXPECT_STREQ(e.what(), "gbm_read_header failed.");
  }
  EXPECT_EQ(g.HeaderWidth(), 17) << "a failed read changes nothing";
  EXPECT_EQ(g.HeaderBits(), 4);
}

TEST(BmpCodec, WriteLayoutAndGoldenFiles) {
  // Each golden file was written by this writer and checked with ImageMagick (see the
  // fixtures README): it decodes to the same pixels as its source.
  const char* env = std::getenv("PELIRA_REGEN_GOLDEN");
  for (const char* name : {"v3_24", "v3_8", "v3_4", "v3_1", "rle4", "v5_32", "dpi300"}) {
    TBmpGraphic g;
    g.LoadFromFile(Fixture(std::string("image/") + name + ".bmp"));
    const Bytes out = g.SaveToBytes();
    const std::string golden = std::string("image/written/") + name + ".bmp";
    if (env) WriteFileAtomic(Fixture(golden), out);
    EXPECT_EQ(out, ReadBytes(Fixture(golden))) << name;
    TBmpGraphic back;
    back.LoadFromBytes(out);
    EXPECT_FALSE(back.UsedPlatformReader());
    ExpectPixelsEqual(back, std::string(name) + ".rgb");
  }
  TBmpGraphic g;
  g.NewImage(10, 3, TImageFormat::Color256, nullptr, 300, 300);
  const Bytes out = g.SaveToBytes();
  EXPECT_EQ(out.size(), 54u + 1024 + 3 * 12);
  EXPECT_EQ(out[10], 1078 & 255);
  EXPECT_EQ(out[11], 1078 >> 8);
  EXPECT_EQ(BitmapInfoHeader::ReadFrom(out.data() + 14).xPelsPerMeter, 11811);
}

TEST(BmpCodec, WorkingBitmapSaveHasFullTableAndNoColourCounts) {
  Dib d(5, 2, 4, Palette(3, RgbQuad{1, 2, 3, 0}));
  d.SetIndex(4, 1, 2);
  const Bytes out = SaveWorkingBitmapBmp(d);
  EXPECT_EQ(out.size(), 54u + 64 + 2 * 4);
  const BitmapInfoHeader h = BitmapInfoHeader::ReadFrom(out.data() + 14);
  EXPECT_EQ(h.clrUsed, 0u);
  EXPECT_EQ(h.clrImportant, 0u);
  EXPECT_EQ(h.bitCount, 4);
  const Dib back = ReadBmpFile(out);
  EXPECT_EQ(back.Index(4, 1), 2u);
  EXPECT_EQ(back.Colors()[2], (RgbQuad{1, 2, 3, 0}));
}

TEST(BmpCodec, FileReadEqualsReadingTheBytes) {
  // Larger files take the path that reads rows straight from the file.
  test::TempDir dir;
  for (int bits : {1, 4, 8, 24}) {
    Dib d(300, 40, bits);
    for (int y = 0; y < 40; ++y)
      for (int x = 0; x < 300; ++x) d.SetIndex(x, y, static_cast<std::uint32_t>((x * 31 + y * 7) & (bits == 24 ? 0xFFFFFF : (1 << bits) - 1)));
    d.xPelsPerMeter = 11811;
    d.yPelsPerMeter = -3;
    Bytes file = SaveWorkingBitmapBmp(d);
    const auto path = dir / "x.bmp";
    test::WriteBytes(path, file);
    TBmpGraphic a, b;
    a.LoadFromFile(path);
    b.LoadFromBytes(file);
    EXPECT_EQ(a.Format(), b.Format()) << bits;
    EXPECT_EQ(a.XDotsPerInch(), 300);
    EXPECT_EQ(a.YDotsPerInch(), b.YDotsPerInch());
    EXPECT_EQ(a.PaletteRecord().count, b.PaletteRecord().count);
    EXPECT_TRUE(std::equal(a.PaletteRecord().entries.begin(), a.PaletteRecord().entries.end(), b.PaletteRecord().entries.begin()));
    ASSERT_EQ(a.ImageSize(), b.ImageSize());
    EXPECT_EQ(0, std::memcmp(a.Bits(), b.Bits(), a.ImageSize())) << bits;
    const Dib viaPath = ReadBmpPath(path);
    EXPECT_EQ(0, std::memcmp(viaPath.Bits(), b.Bits(), b.ImageSize()));
    // Cut short: both refuse.
    file.resize(file.size() - 1);
    test::WriteBytes(path, file);
    EXPECT_THROW(a.LoadFromFile(path), EVistrelError) << bits;
    EXPECT_THROW(ReadBmpPath(path), EVistrelError);
  }
}

TEST(GbmFrame, FormatTableOptionsAndTexts) {
  EXPECT_EQ(GbmGuessFileType("File.bmp"), 0);
  EXPECT_EQ(GbmGuessFileType("x.RL8"), 0);
  EXPECT_EQ(GbmGuessFileType("File.pcx"), 1);
  EXPECT_EQ(GbmGuessFileType("a.Vst"), 2);
  EXPECT_EQ(GbmGuessFileType("a.png"), -1);
  EXPECT_EQ(GbmGuessFileType("noext"), -1);
  EXPECT_TRUE(GbmHasOption("a, INV\tb", "inv"));
  EXPECT_FALSE(GbmHasOption("invb", "inv"));
  EXPECT_EQ(GbmErrorText(5), "bad magic number / signiture block");
  EXPECT_EQ(GbmErrorText(303), "compression type not uncompressed, RLE4 or RLE8");
  EXPECT_EQ(GbmErrorText(77), "general error");
}

}  // namespace
}  // namespace pelira

namespace pelira {
namespace {

// The smallest OS/2 bitmaps (a 12-byte header, files of 30 and 36 bytes) open through the
// loader: its probe must not need the 54 bytes of the larger headers.
TEST(BmpCodec, TinyOs2BitmapsOpen) {
  auto le16 = [](std::vector<std::uint8_t>& v, int x) {
    v.push_back(static_cast<std::uint8_t>(x));
    v.push_back(static_cast<std::uint8_t>(x >> 8));
  };
  auto le32 = [&](std::vector<std::uint8_t>& v, int x) {
    le16(v, x & 0xFFFF);
    le16(v, x >> 16);
  };
  auto os2 = [&](int bits, std::vector<std::uint8_t> palette, std::vector<std::uint8_t> row) {
    std::vector<std::uint8_t> f = {'B', 'M'};
    const int offset = 26 + static_cast<int>(palette.size());
    le32(f, offset + static_cast<int>(row.size()));
    le32(f, 0);
    le32(f, offset);
    le32(f, 12);
    le16(f, 1);
    le16(f, 1);
    le16(f, 1);
    le16(f, bits);
    f.insert(f.end(), palette.begin(), palette.end());
    f.insert(f.end(), row.begin(), row.end());
    return f;
  };
  const struct {
    const char* name;
    std::vector<std::uint8_t> bytes;
    ColorValue pixel;
  } cases[] = {
      {"24-bit, 30 bytes", os2(24, {}, {156, 44, 7, 0}), MakeColor(7, 44, 156)},
      {"1-bit, 36 bytes", os2(1, {0, 0, 0, 255, 255, 255}, {0x80, 0, 0, 0}), MakeColor(255, 255, 255)},
  };
  for (const auto& c : cases) {
    test::TempDir dir;
    const auto path = dir / "tiny.bmp";
    test::WriteBytes(path, c.bytes);
    ASSERT_EQ(std::filesystem::file_size(path), c.bytes.size());
    TImageLoader l;
    ASSERT_EQ(l.Open(path.string()), OpenOutcome::Image) << c.name << ": " << l.LastError();
    ASSERT_EQ(l.workingBitmap.Width(), 1) << c.name;
    ASSERT_EQ(l.workingBitmap.Height(), 1) << c.name;
    EXPECT_EQ(l.workingBitmap.Pixel(0, 0), c.pixel) << c.name;
  }
}

}  // namespace
}  // namespace pelira
