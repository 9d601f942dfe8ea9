#include <gtest/gtest.h>

#include <cstdlib>

#include "formats/format_expect.h"
#include "image/graphic_x.h"
#include "image/pixel_converter.h"
#include "image/pixel_limit.h"
#include "image/psd_graphic.h"

namespace pelira {
namespace {

using test::FormatBytes;
using test::PixelsMatch;

struct PsdCase {
  const char* file;
  const char* rgb;
  int bits;
  TColorScheme scheme;
};

class PsdRead : public ::testing::TestWithParam<PsdCase> {};

TEST_P(PsdRead, CompositeMatchesImageMagick) {
  const PsdCase c = GetParam();
  TPSDGraphic g;
  const Bytes b = FormatBytes(c.file);
  ASSERT_TRUE(g.CanLoad(b));
  g.LoadFromStream(b);
  EXPECT_EQ(g.ImageInfo().scheme, c.scheme);
  EXPECT_EQ(g.Bitmap().BitCount(), c.bits);
  EXPECT_TRUE(PixelsMatch(g.Bitmap(), c.rgb));
}

INSTANTIATE_TEST_SUITE_P(
    Fixtures, PsdRead,
    ::testing::Values(PsdCase{"psd_im_rgb.psd", "psd_im_rgb.psd.0.rgb", 24, TColorScheme::RGB},
                      PsdCase{"psd_im_raw.psd", "psd_im_raw.psd.0.rgb", 24, TColorScheme::RGB},
                      PsdCase{"psd_im_gray.psd", "psd_im_gray.psd.0.rgb", 8, TColorScheme::Gray},
                      PsdCase{"psd_im_indexed.psd", "psd_im_indexed.psd.0.rgb", 8, TColorScheme::Indexed},
                      PsdCase{"psd_rgba.psd", "psd_rgba.psd.rgb", 24, TColorScheme::RGBA},
                      PsdCase{"psd_5ch.psd", "psd_rgba.psd.rgb", 24, TColorScheme::RGBA},
                      PsdCase{"psd_rgb16.psd", "psd_rgba.psd.rgb", 24, TColorScheme::RGB}),
    [](const auto& info) {
      std::string n = info.param.file;
      return n.substr(0, n.find('.'));
    });

TEST(PsdGraphic, CmykWithinOneLevelOfImageMagick) {
  TPSDGraphic g;
  g.LoadFromStream(FormatBytes("psd_im_cmyk.psd"));
  const Dib& d = g.Bitmap();
  const Bytes want = FormatBytes("psd_im_cmyk.psd.0.rgb");
  ASSERT_EQ(want.size(), static_cast<std::size_t>(d.Width() * d.Height() * 3));
  int worst = 0;
  for (int y = 0; y < d.Height(); ++y)
    for (int x = 0; x < d.Width(); ++x) {
      const ColorValue c = d.Pixel(x, y);
      const std::size_t o = static_cast<std::size_t>(y * d.Width() + x) * 3;
      worst = std::max({worst, std::abs(RedOf(c) - want[o]), std::abs(GreenOf(c) - want[o + 1]),
                        std::abs(BlueOf(c) - want[o + 2])});
    }
  EXPECT_LE(worst, 1);
}

TEST(PsdGraphic, ModeRules) {
  TPSDGraphic g;
  g.LoadFromStream(FormatBytes("psd_cmyk_noink.psd"));
  EXPECT_EQ(g.Bitmap().Pixel(3, 3), MakeColor(255, 255, 255));
  // Duotone reads as gray with its colour data passed over.
  g.LoadFromStream(FormatBytes("psd_duotone.psd"));
  EXPECT_EQ(g.ImageInfo().scheme, TColorScheme::Gray);
  EXPECT_EQ(g.Bitmap().BitCount(), 8);
  // The fourth channel of an RGB file is kept as alpha.
  g.LoadFromStream(FormatBytes("psd_rgba.psd"));
  ASSERT_EQ(g.Alpha().size(), 23u * 7u);
  EXPECT_EQ(g.Alpha()[5], 55);
  EXPECT_EQ(g.ImageInfo().bitsPerPixel, 32);
  // Bitmap mode is refused; a lower-case signature passes CanLoad but not the header.
  const Bytes bitmap = FormatBytes("psd_bitmap.psd");
  EXPECT_FALSE(g.ReadImageInfo(bitmap));
  try {
    g.LoadFromStream(bitmap);
    FAIL();
  } catch (const EInvalidGraphic& e) {
    EXPECT_STREQ(e.what(), "Invalid image format");
  }
  const Bytes lower = FormatBytes("psd_lower.psd");
  EXPECT_TRUE(g.CanLoad(lower));
  EXPECT_FALSE(g.ReadImageInfo(lower));
}

// The header fields of psd_im_rgb.psd patched one at a time.
TEST(PsdGraphic, LyingHeadersAreRefused) {
  const Bytes good = FormatBytes("psd_rgba.psd");
  struct Patch {
    const char* what;
    std::size_t at;
    std::vector<std::uint8_t> bytes;
  };
  const Patch patches[] = {
      {"version 2", 4, {0, 2}},
      {"no channels", 12, {0, 0}},
      {"two RGB channels", 12, {0, 2}},
      {"zero height", 14, {0, 0, 0, 0}},
      {"depth 1 in RGB", 22, {0, 1}},
      {"depth 32", 22, {0, 32}},
      {"unknown mode", 24, {0, 5}},
      {"colour data past the end", 26, {0x7F, 0xFF, 0xFF, 0xFF}},
      {"huge width", 18, {0xFF, 0xFF, 0xFF, 0xFF}},
  };
  const std::uint64_t old = MaxImageBytes();
  SetMaxImageBytes(64 << 20);
  for (const Patch& p : patches) {
    Bytes b = good;
    std::copy(p.bytes.begin(), p.bytes.end(), b.begin() + static_cast<std::ptrdiff_t>(p.at));
    TPSDGraphic g;
    EXPECT_ANY_THROW(g.LoadFromStream(b)) << p.what;
    EXPECT_TRUE(g.Bitmap().Empty()) << p.what;
  }
  SetMaxImageBytes(old);
  // Row counts that add up to more than the file holds; a file cut in its data.
  for (std::size_t cut : {good.size() - 1, good.size() / 2, std::size_t{40}}) {
    Bytes b(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(cut));
    TPSDGraphic g;
    EXPECT_THROW(g.LoadFromStream(b), EInvalidGraphic) << cut;
  }
}

// A header over no pixel data is refused for the missing data before anything is allocated:
// under a pixel limit below the claimed picture the refusal is still the data's, not the
// limit's.
TEST(PsdGraphic, MissingDataIsFoundBeforeAllocation) {
  const auto header = [](std::uint16_t channels, std::uint32_t side, std::uint16_t mode, std::uint16_t compression,
                         std::size_t extra) {
    Bytes b = {'8', 'B', 'P', 'S', 0, 1, 0, 0, 0, 0, 0, 0};
    const auto put16 = [&](std::uint32_t v) { b.push_back(static_cast<std::uint8_t>(v >> 8)), b.push_back(v & 255); };
    const auto put32 = [&](std::uint32_t v) { put16(v >> 16), put16(v & 0xFFFF); };
    put16(channels), put32(side), put32(side), put16(8), put16(mode);
    put32(0), put32(0), put32(0);  // colour data, resources, layers
    put16(compression);
    b.resize(b.size() + extra, 0);
    return b;
  };
  struct Case {
    const char* what;
    Bytes bytes;
  };
  const Case cases[] = {
      {"raw RGB, no data", header(3, 2000, 3, 0, 52)},
      {"raw gray, no data", header(1, 2000, 1, 0, 52)},
      {"run-length RGB, row table cut", header(3, 2000, 3, 1, 100)},
      // Rows of zero bytes cannot make a 2000-pixel row.
      {"run-length RGB, empty rows", header(3, 2000, 3, 1, 2000 * 3 * 2)},
      {"run-length gray, empty rows", header(1, 2000, 1, 1, 2000 * 2)},
  };
  const std::uint64_t old = MaxImageBytes();
  SetMaxImageBytes(1 << 20);
  for (const Case& c : cases) {
    TPSDGraphic g;
    std::string error;
    try {
      g.LoadFromStream(c.bytes);
    } catch (const std::exception& e) {
      error = e.what();
    }
    EXPECT_EQ(error, "Invalid image format") << c.what;
  }
  SetMaxImageBytes(old);
}

TEST(PsdGraphic, HeaderOnlyAndPipelineCodec) {
  TPSDGraphic g;
  g.HeaderOnly = true;
  g.LoadFromStream(FormatBytes("psd_im_rgb.psd"));
  EXPECT_TRUE(g.Bitmap().Empty());
  EXPECT_EQ(g.ImageInfo().width, 23u);
  EXPECT_EQ(g.ImageInfo().compression, 3);
  EXPECT_TRUE(g.ImageInfo().options & TImageInfo::kBigEndian);
  TGraphicXCodec codec("TPSDGraphic", [] { return std::unique_ptr<TGraphicX>(new TPSDGraphic); });
  const THeaderInfo h = codec.ReadHeader(FormatBytes("psd_im_gray.psd"));
  EXPECT_EQ(h.width, 23);
  EXPECT_EQ(h.bitsPerPixel, 8);
  codec.LoadFromBytes(FormatBytes("psd_im_indexed.psd"));
  EXPECT_EQ(codec.Format(), TImageFormat::Color256);
  EXPECT_TRUE(PixelsMatch(codec, "psd_im_indexed.psd.0.rgb"));
}

TEST(UnpackBits, RunsLiteralsAndClipping) {
  struct Case {
    std::vector<std::uint8_t> in;
    std::size_t outSize;
    std::vector<std::uint8_t> want;
  };
  const Case cases[] = {
      {{2, 'a', 'b', 'c', 0xFE, 'x'}, 16, {'a', 'b', 'c', 'x', 'x', 'x'}},
      {{0x80, 0, 'q'}, 16, {'q'}},                        // -128 is nothing
      {{0x81, 'z'}, 4, {'z', 'z', 'z', 'z'}},             // a run of 128 cut at the output
      {{5, 'a', 'b'}, 16, {'a', 'b'}},                    // a literal cut by the input
      {{0xFD}, 16, {}},                                   // a run with no value byte
  };
  for (const Case& c : cases) {
    std::vector<std::uint8_t> out(c.outSize, 0);
    const std::size_t n = UnpackBits(c.in, out.data(), out.size());
    out.resize(n);
    EXPECT_EQ(out, c.want);
  }
}

TEST(PixelConverter, RoutinesAndErrors) {
  TPixelConverter cv;
  EXPECT_THROW(cv.SetSourceBitsPerSample(0), EColorConversionError);
  EXPECT_THROW(cv.SetTargetBitsPerSample(17), EColorConversionError);
  EXPECT_THROW(cv.SetSourceSamplesPerPixel(5), EColorConversionError);
  // CMYK: red = C x K div 255 - K - C + 255 on the inverted file bytes.
  cv.SetSourceScheme(TColorScheme::CMYK);
  cv.SetSourceSamplesPerPixel(4);
  cv.SetTargetScheme(TColorScheme::BGR);
  cv.SetTargetSamplesPerPixel(3);
  const std::uint8_t c[1] = {100}, m[1] = {0}, y[1] = {255}, k[1] = {50};
  const std::uint8_t* planes[4] = {c, m, y, k};
  std::uint8_t out[3] = {};
  cv.ConvertPlanar(planes, 1, 255, out);
  EXPECT_EQ(out[2], 100 * 50 / 255 - 50 - 100 + 255);
  EXPECT_EQ(out[1], 205);
  EXPECT_EQ(out[0], 0);
  // L*a*b* in byte range with the chroma offset: white and black.
  cv.SetSourceScheme(TColorScheme::CIELab);
  cv.SetSourceSamplesPerPixel(3);
  cv.SetLabByteRange(true);
  cv.SetLabChromaOffset(true);
  const std::uint8_t L[2] = {255, 0}, A[2] = {128, 128}, B[2] = {128, 128};
  const std::uint8_t* lab[3] = {L, A, B};
  std::uint8_t px[6] = {};
  cv.ConvertPlanar(lab, 2, 255, px);
  EXPECT_GE(px[0], 250);
  EXPECT_GE(px[2], 250);
  EXPECT_EQ(px[3], 0);
  // Indexed to BGR has no routine across the kinds.
  cv.SetSourceScheme(TColorScheme::Indexed);
  try {
    cv.ConvertPlanar(lab, 1, 255, px);
    FAIL();
  } catch (const EColorConversionError& e) {
    EXPECT_STREQ(e.what(), "Indexed and non-indexed conversion not supported.");
  }
  cv.SetSourceScheme(TColorScheme::CMY);
  try {
    cv.ConvertPlanar(lab, 1, 255, px);
    FAIL();
  } catch (const EColorConversionError& e) {
    EXPECT_STREQ(e.what(), "Color conversion failed.");
  }
  // The mask skips pixels: only the first of eight is written.
  cv.SetSourceScheme(TColorScheme::RGB);
  std::uint8_t rgbOut[6] = {9, 9, 9, 9, 9, 9};
  const std::uint8_t r2[2] = {1, 2}, g2[2] = {3, 4}, b2[2] = {5, 6};
  const std::uint8_t* rgb[3] = {r2, g2, b2};
  cv.ConvertPlanar(rgb, 2, 0x80, rgbOut);
  EXPECT_EQ(rgbOut[0], 5);
  EXPECT_EQ(rgbOut[2], 1);
  EXPECT_EQ(rgbOut[3], 9);
}

TEST(PixelConverter, GrayPaletteAndFormats) {
  TPixelConverter cv;
  cv.SetTargetSamplesPerPixel(1);
  cv.SetTargetBitsPerSample(8);
  EXPECT_EQ(cv.TargetPixelFormat(), 8);
  const Palette p = cv.MakeGrayPalette(false), r = cv.MakeGrayPalette(true);
  ASSERT_EQ(p.size(), 256u);
  EXPECT_EQ(p[255].red, 255);
  EXPECT_EQ(r[0].red, 255);
  cv.SetTargetBitsPerSample(2);
  EXPECT_EQ(cv.TargetPixelFormat(), 4);
  EXPECT_EQ(cv.MakeGrayPalette(false)[1].green, 85);
  cv.SetTargetSamplesPerPixel(3);
  EXPECT_EQ(cv.TargetPixelFormat(), 15);
  cv.SetTargetSamplesPerPixel(4);
  cv.SetTargetBitsPerSample(8);
  EXPECT_EQ(cv.TargetPixelFormat(), 32);
}

}  // namespace
}  // namespace pelira
