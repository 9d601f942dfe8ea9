#include "image/png_graphic.h"

#include <gtest/gtest.h>

#include <cstring>

#include "codecs/codec_test_util.h"
#include "image/pixel_limit.h"
#include "support/test_support.h"

namespace pelira {
namespace {

using test::CodecFixture;
using test::ReadBytes;
using test::RgbOf;

std::filesystem::path Png(const std::string& name) { return CodecFixture("png/" + name + ".png"); }
std::vector<std::uint8_t> Expected(const std::string& name) { return ReadBytes(CodecFixture("png/" + name + ".rgb")); }

std::uint32_t Be32(const std::uint8_t* p) {
  return (std::uint32_t(p[0]) << 24) | (std::uint32_t(p[1]) << 16) | (std::uint32_t(p[2]) << 8) | p[3];
}

// Data of the first chunk with the tag, empty when there is none.
std::vector<std::uint8_t> Chunk(const Bytes& png, const char* tag) {
  std::size_t i = 8;
  while (i + 8 <= png.size()) {
    const std::uint32_t n = Be32(&png[i]);
    if (std::memcmp(&png[i + 4], tag, 4) == 0) return {png.begin() + i + 8, png.begin() + i + 8 + n};
    i += 12 + n;
  }
  return {};
}

// Equal within tol; on failure names the first pixel that is not.
testing::AssertionResult Near(const std::vector<std::uint8_t>& got, const std::vector<std::uint8_t>& want, int tol) {
  if (got.size() != want.size())
    return testing::AssertionFailure() << "sizes " << got.size() << " and " << want.size();
  for (std::size_t i = 0; i < got.size(); ++i)
    if (std::abs(got[i] - want[i]) > tol) {
      const std::size_t p = i / 3 * 3;
      return testing::AssertionFailure() << "pixel " << p / 3 << ": got " << int(got[p]) << "," << int(got[p + 1])
                                         << "," << int(got[p + 2]) << " want " << int(want[p]) << ","
                                         << int(want[p + 1]) << "," << int(want[p + 2]);
    }
  return testing::AssertionSuccess();
}

// Every colour type, depth and interlace against ImageMagick's decode flattened on black;
// 16-bit and alpha files within 1 (libpng truncates and composites in integers, ImageMagick
// rounds).
TEST(PngRead, EveryTypeAndDepthMatchesImageMagick) {
  struct Case {
    const char* name;
    TImageFormat format;
    int tolerance;
  };
  const Case cases[] = {
      {"gray1", TImageFormat::BlackWhite, 0},   {"gray2", TImageFormat::Gray16, 0},
      {"gray2_i", TImageFormat::Gray16, 0},     {"gray4", TImageFormat::Gray16, 0},
      {"gray8", TImageFormat::Gray256, 0},      {"gray16", TImageFormat::Gray256, 1},
      {"graya8", TImageFormat::Gray256, 1},     {"graya16", TImageFormat::Gray256, 1},
      {"pal1", TImageFormat::BlackWhite, 0},    {"pal2", TImageFormat::Color16, 0},
      {"pal4", TImageFormat::Color16, 0},       {"pal8", TImageFormat::Color256, 0},
      {"pal8_i", TImageFormat::Color256, 0},    {"pal8_trns", TImageFormat::Color256, 1},
      {"rgb8", TImageFormat::TrueColor, 0},     {"rgb8_i", TImageFormat::TrueColor, 0},
      {"rgb16", TImageFormat::TrueColor, 1},    {"rgba8", TImageFormat::TrueColor, 1},
      {"rgba16", TImageFormat::TrueColor, 1},   {"rgba16_i", TImageFormat::TrueColor, 1},
      {"rgba8_bkgd", TImageFormat::TrueColor, 1}, {"pal8_trns_bkgd", TImageFormat::Color256, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TPngGraphic g;
    ASSERT_NO_THROW(g.LoadFromFile(Png(c.name)));
    EXPECT_EQ(g.Width(), 17);
    EXPECT_EQ(g.Height(), 11);
    EXPECT_EQ(g.Format(), c.format);
    EXPECT_TRUE(Near(RgbOf(g), Expected(c.name), c.tolerance));
  }
}

TEST(PngRead, PalettesStayPalettesWithTheFilesColours) {
  TPngGraphic g;
  g.LoadFromFile(Png("pal1"));
  ASSERT_EQ(g.Format(), TImageFormat::BlackWhite);
  ASSERT_EQ(g.PaletteRecord().count, 2);
  // ImageMagick picked two colours of the picture, neither black nor white.
  EXPECT_NE(g.PaletteRecord().entries[0], (RgbQuad{0, 0, 0, 0}));
  g.LoadFromFile(Png("pal8"));
  EXPECT_EQ(g.PaletteRecord().count, 40);
  // A white entry stays 255 (no detour that darkens it).
  TPngGraphic w;
  w.NewImage(2, 1, TImageFormat::Color256, nullptr, 0, 0);
  Palette p = {RgbQuad{255, 255, 255, 0}, RgbQuad{0, 0, 0, 0}};
  w.SetPaletteFromHandle(p);
  w.SetPaletteIndex(1, 0, 1);
  const Bytes out = w.SaveToBytes();
  TPngGraphic back;
  back.LoadFromBytes(out);
  EXPECT_EQ(back.Pixels(0, 0), MakeColor(255, 255, 255));
  EXPECT_EQ(back.Pixels(1, 0), MakeColor(0, 0, 0));
}

TEST(PngRead, TwoBitGrayLevelsAreEvenlySpread) {
  TPngGraphic g;
  g.LoadFromFile(Png("gray2"));
  ASSERT_EQ(g.Format(), TImageFormat::Gray16);
  for (int y = 0; y < g.Height(); ++y)
    for (int x = 0; x < g.Width(); ++x) {
      const int i = g.PaletteIndex(x, y);
      EXPECT_EQ(i % 5, 0) << x << "," << y;
    }
}

TEST(PngRead, BackgroundColours) {
  // Forced blue under an RGBA file.
  TPngGraphic g;
  g.ForceBackground = true;
  g.SetBackgroundColor(MakeColor(0, 0, 255));
  g.LoadFromFile(Png("rgba8"));
  EXPECT_TRUE(Near(RgbOf(g), Expected("rgba8.blue"), 1));

  // A gray file composites on the colour's luminance, not on black.
  TPngGraphic gray;
  gray.SetBackgroundColor(MakeColor(200, 100, 50));
  gray.LoadFromFile(Png("graya8"));
  EXPECT_TRUE(Near(RgbOf(gray), Expected("graya8.bg125"), 1));

  // The file's bKGD wins unless ours is forced.
  TPngGraphic own;
  own.SetBackgroundColor(MakeColor(0, 0, 255));
  own.LoadFromFile(Png("rgba8_bkgd"));
  EXPECT_TRUE(Near(RgbOf(own), Expected("rgba8_bkgd"), 1));
  own.ForceBackground = true;
  own.SetBackgroundColor(0);
  own.LoadFromFile(Png("rgba8_bkgd"));
  EXPECT_TRUE(Near(RgbOf(own), Expected("rgba8"), 1));
}

TEST(PngRead, HeaderOnlyAndResolution) {
  struct Case {
    const char* name;
    int depth;
  };
  for (const Case c : {Case{"rgb16", 48}, Case{"rgba8", 24}, Case{"gray2", 2}, Case{"pal4", 4}, Case{"gray16", 16}}) {
    SCOPED_TRACE(c.name);
    TPngGraphic g;
    const Bytes bytes = ReadBytes(Png(c.name));
    const THeaderInfo h = g.ReadHeader(bytes);
    EXPECT_EQ(h.width, 17);
    EXPECT_EQ(h.height, 11);
    EXPECT_EQ(h.bitsPerPixel, c.depth);
    EXPECT_TRUE(g.Empty());
  }
  TPngGraphic g;
  g.LoadPng(Png("rgb8_i"), true);
  EXPECT_TRUE(g.Empty());
  EXPECT_EQ(g.InterlaceType(), 1);
  EXPECT_EQ(g.ColorType(), 2);
  // No pHYs: the screen's resolution.
  g.LoadPng(Png("rgb8"), false);
  EXPECT_EQ(g.XDotsPerInch(), ScreenDpi());
}

// A picture of each format with a few distinct pixels.
std::unique_ptr<TPngGraphic> Sample(TImageFormat f) {
  auto p = std::make_unique<TPngGraphic>();
  TPngGraphic& g = *p;
  g.NewImage(13, 5, f, nullptr, 300, 150);
  for (int y = 0; y < 5; ++y)
    for (int x = 0; x < 13; ++x) {
      if (f == TImageFormat::TrueColor) g.SetPixels(x, y, MakeColor(x * 19, y * 50, (x * y * 7) & 255));
      else g.SetPaletteIndex(x, y, (x + 3 * y) % (1 << FormatBitCount(f)));
    }
  return p;
}

TEST(PngWrite, EveryFormatReadsBackAndHasTheChunks) {
  struct Case {
    TImageFormat format;
    int bitDepth, colorType;
  };
  const Case cases[] = {{TImageFormat::BlackWhite, 1, 0}, {TImageFormat::Gray16, 4, 0},
                        {TImageFormat::Gray256, 8, 0},    {TImageFormat::Color16, 4, 3},
                        {TImageFormat::Color256, 8, 3},   {TImageFormat::TrueColor, 8, 2}};
  for (const Case& c : cases) {
    for (bool interlace : {true, false}) {
      SCOPED_TRACE(std::string(FormatDisplayText(c.format)) + (interlace ? " interlaced" : ""));
      auto sample = Sample(c.format);
      TPngGraphic& g = *sample;
      g.Interlace = interlace;
      const Bytes out = g.SaveToBytes();
      const auto ihdr = Chunk(out, "IHDR");
      ASSERT_EQ(ihdr.size(), 13u);
      EXPECT_EQ(Be32(&ihdr[0]), 13u);
      EXPECT_EQ(ihdr[8], c.bitDepth);
      EXPECT_EQ(ihdr[9], c.colorType);
      EXPECT_EQ(ihdr[12], interlace ? 1 : 0);
      const auto gama = Chunk(out, "gAMA");
      ASSERT_EQ(gama.size(), 4u);
      EXPECT_EQ(Be32(&gama[0]), 50000u);
      const auto phys = Chunk(out, "pHYs");
      ASSERT_EQ(phys.size(), 9u);
      EXPECT_EQ(Be32(&phys[0]), 11811u);
      EXPECT_EQ(Be32(&phys[4]), 5906u);
      EXPECT_EQ(phys[8], 1);
      EXPECT_EQ(Chunk(out, "PLTE").empty(), c.colorType != 3);

      TPngGraphic back;
      back.LoadFromBytes(out);
      EXPECT_EQ(back.Format(), c.format);
      EXPECT_EQ(RgbOf(back), RgbOf(g));
      EXPECT_EQ(back.XDotsPerInch(), 300);
      EXPECT_EQ(back.YDotsPerInch(), 150);
    }
  }
}

TEST(PngWrite, ShortPaletteCoversEveryIndexUsed) {
  for (TImageFormat f : {TImageFormat::Color16, TImageFormat::Color256}) {
    SCOPED_TRACE(FormatDisplayText(f));
    TPngGraphic g;
    g.NewImage(5, 2, f, nullptr, 0, 0);
    g.SetPaletteFromHandle(Palette{RgbQuad{1, 2, 3, 0}, RgbQuad{4, 5, 6, 0}, RgbQuad{7, 8, 9, 0}});
    g.SetPaletteIndex(3, 1, 7);  // past the palette: black
    g.SetPaletteIndex(4, 0, 2);
    const Bytes out = g.SaveToBytes();
    EXPECT_EQ(Chunk(out, "PLTE").size(), 8u * 3);
    TPngGraphic back;
    back.LoadFromBytes(out);
    EXPECT_EQ(back.PaletteIndex(3, 1), 7);
    EXPECT_EQ(back.Pixels(3, 1), 0u);
    EXPECT_EQ(back.Pixels(4, 0), MakeColor(9, 8, 7));
  }
}

TEST(PngWrite, CompressionLevelReachesZlib) {
  // The zlib header's level field: 0 for level 1, 1 for 5, 3 for 9.
  const int want[] = {0, 1, 3};
  for (int c = 0; c < 3; ++c) {
    auto g = Sample(TImageFormat::TrueColor);
    g->Compression = c;
    const auto idat = Chunk(g->SaveToBytes(), "IDAT");
    ASSERT_GE(idat.size(), 2u);
    EXPECT_EQ(idat[1] >> 6, want[c]) << c;
  }
}

TEST(PngWrite, TwoColourPictureKeepsItsColours) {
  // White on index 0, black on 1: written as a palette, never as inverted gray.
  TPngGraphic g;
  g.NewImage(9, 2, TImageFormat::BlackWhite, nullptr, 0, 0);
  g.SetPaletteFromHandle(Palette{RgbQuad{255, 255, 255, 0}, RgbQuad{0, 0, 0, 0}});
  g.SetPaletteIndex(3, 1, 1);
  const Bytes out = g.SaveToBytes();
  EXPECT_EQ(Chunk(out, "IHDR")[9], 3);
  TPngGraphic back;
  back.LoadFromBytes(out);
  EXPECT_EQ(back.Format(), TImageFormat::BlackWhite);
  EXPECT_EQ(RgbOf(back), RgbOf(g));
  EXPECT_EQ(back.Pixels(0, 0), MakeColor(255, 255, 255));
}

// A written RGB file with its IHDR changed (and its CRC made right again).
Bytes MakePng(std::uint32_t w, std::uint32_t h, int depth, int type) {
  auto g = Sample(TImageFormat::TrueColor);
  g->Interlace = false;
  Bytes png = g->SaveToBytes();
  std::uint8_t* ihdr = &png[16];
  for (int i = 0; i < 4; ++i) ihdr[i] = std::uint8_t(w >> (24 - 8 * i)), ihdr[4 + i] = std::uint8_t(h >> (24 - 8 * i));
  ihdr[8] = std::uint8_t(depth);
  ihdr[9] = std::uint8_t(type);
  std::uint32_t crc = 0xFFFFFFFF;
  for (int i = 12; i < 12 + 17; ++i) {
    crc ^= png[i];
    for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1)));
  }
  crc ^= 0xFFFFFFFF;
  for (int i = 0; i < 4; ++i) png[29 + i] = std::uint8_t(crc >> (24 - 8 * i));
  return png;
}

TEST(PngRead, BadFilesFailCleanly) {
  const Bytes good = ReadBytes(Png("rgb8"));
  Bytes badCrc = good;
  badCrc[40] ^= 0x55;
  struct Case {
    const char* what;
    Bytes bytes;
  };
  const Case cases[] = {
      {"not a PNG", Bytes{'G', 'I', 'F', '8', '9', 'a', 0, 0, 0, 0}},
      {"short", Bytes(good.begin(), good.begin() + 5)},
      {"cut in the header", Bytes(good.begin(), good.begin() + 20)},
      {"cut in the pixels", Bytes(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(good.size() / 2))},
      {"damaged data", badCrc},
      {"palette type without PLTE", MakePng(13, 5, 8, 3)},
      {"16-bit palette", MakePng(13, 5, 16, 3)},
      {"huge", MakePng(1u << 30, 1u << 30, 8, 2)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TPngGraphic g;
    g.NewImage(3, 3, TImageFormat::TrueColor, nullptr, 0, 0);
    EXPECT_THROW(g.LoadFromBytes(c.bytes), EVistrelError);
    EXPECT_TRUE(g.Empty());
  }
  TPngGraphic g;
  try {
    g.LoadFromBytes(Bytes{'G', 'I', 'F', '8', '9', 'a', 0, 0, 0, 0});
    ADD_FAILURE() << "no error";
  } catch (const EPNGError& e) {
    EXPECT_STREQ(e.what(), "Invalid PNG file");
  }
}

}  // namespace
}  // namespace pelira
