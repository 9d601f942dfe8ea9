#include "image/jpeg_image.h"

#include <gtest/gtest.h>

#include "codecs/codec_test_util.h"
#include "image/pixel_limit.h"
#include "support/test_support.h"

namespace pelira {
namespace {

using test::CodecFixture;
using test::ReadBytes;
using test::ReadPnm;
using test::RgbOf;

TJPEGImage Loaded(const std::string& name) {
  TJPEGImage j;
  j.LoadFromFile(CodecFixture("jpeg/" + name + ".jpg"));
  return j;
}

// The decoded pixels as djpeg writes them: RGB for colour, one byte per pixel for gray.
std::vector<std::uint8_t> AsPnmPixels(const Dib& d, int channels) {
  std::vector<std::uint8_t> rgb = RgbOf(d);
  if (channels == 3) return rgb;
  std::vector<std::uint8_t> gray;
  for (std::size_t i = 0; i < rgb.size(); i += 3) gray.push_back(rgb[i]);
  return gray;
}

// Every fixture at 1/1, 1/2, 1/4 and 1/8 against djpeg -dct fast -scale 1/N.
TEST(JpegDecode, MatchesDjpegAtEveryScale) {
  const char* files[] = {"base420", "base422", "base444",   "prog",      "gray",      "restart",
                         "im422",   "improg",  "imgray",    "truncated", "exif_thumb"};
  for (const char* name : files) {
    for (int scale = 0; scale < 4; ++scale) {
      SCOPED_TRACE(std::string(name) + " scale " + std::to_string(scale));
      TJPEGImage j = Loaded(name);
      j.SetScale(scale);
      const test::Pnm want =
          ReadPnm(CodecFixture("jpeg/expect/" + std::string(name) + ".s" + std::to_string(1 << scale) + ".pnm"));
      ASSERT_EQ(j.OutputWidth(), want.width);
      ASSERT_EQ(j.OutputHeight(), want.height);
      const Dib d = j.Decode();
      ASSERT_EQ(d.Width(), want.width);
      ASSERT_EQ(d.Height(), want.height);
      EXPECT_EQ(d.BitCount(), want.channels == 1 ? 8 : 24);
      EXPECT_EQ(j.HeaderDepth(), want.channels == 1 ? 8 : 24);
      EXPECT_EQ(AsPnmPixels(d, want.channels), want.pixels);
    }
  }
}

TEST(JpegDecode, GrayFileGetsTheFullGrayPalette) {
  TJPEGImage j = Loaded("gray");
  EXPECT_TRUE(j.Grayscale());
  const Dib d = j.Decode();
  ASSERT_EQ(d.Colors().size(), 256u);
  for (int i = 0; i < 256; ++i) EXPECT_EQ(d.Colors()[i], (RgbQuad{std::uint8_t(i), std::uint8_t(i), std::uint8_t(i), 0}));
  // Rows are padded to 4 bytes and the padding is clear.
  EXPECT_EQ(d.Stride(), 40u);
  for (int y = 0; y < d.Height(); ++y)
    for (std::size_t x = 37; x < 40; ++x) EXPECT_EQ(d.ScanLine(y)[x], 0);
}

// Gray output of a colour file and the 236-colour quantiser, against djpeg.
TEST(JpegDecode, GrayModeAndEightBitOutputMatchDjpeg) {
  struct Case {
    bool gray;
    int dither;
    const char* expect;
  } cases[] = {{true, 2, "base420.gray"}, {false, 2, "base420.q236none"}, {false, 0, "base420.q236ordered"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.expect);
    TJPEGImage j = Loaded("base420");
    j.SetGrayMode(c.gray);
    if (!c.gray) j.SetPixelFormat(TJPEGPixelFormat::jf8Bit);
    Dib d(37, 23, 8);
    j.DecodeInto(d, {}, c.dither);
    const test::Pnm want = ReadPnm(CodecFixture("jpeg/expect/" + std::string(c.expect) + ".pnm"));
    EXPECT_EQ(AsPnmPixels(d, want.channels), want.pixels);
    if (!c.gray) EXPECT_LE(d.Colors().size(), 236u);
  }
}

TEST(JpegDecode, ProgressStepsByFiveAndCancelStopsQuietly) {
  const std::vector<std::uint8_t> bytes = ReadBytes(CodecFixture("jpeg/base444.jpg"));
  // A taller picture so that rows arrive in many batches.
  TJPEGImage src;
  Dib tall(8, 200, 24);
  for (int y = 0; y < 200; ++y)
    for (int x = 0; x < 8; ++x) tall.SetIndex(x, y, MakeColor(y, x * 30, 255 - y));
  src.Assign(tall);
  Bytes encoded;
  src.SaveToStream(encoded);

  TJPEGImage j;
  j.LoadFromStream(encoded);
  std::vector<int> seen;
  Dib d(8, 200, 24);
  j.DecodeInto(d, [&](int pct) {
    seen.push_back(pct);
    return true;
  });
  ASSERT_FALSE(seen.empty());
  for (std::size_t i = 0; i < seen.size(); ++i) {
    EXPECT_EQ(seen[i] % 5, 0);
    if (i) EXPECT_GT(seen[i], seen[i - 1]);
  }
  EXPECT_EQ(seen.back(), 100);
  EXPECT_GE(seen.size(), 15u);

  int calls = 0;
  Dib c(8, 200, 24);
  EXPECT_NO_THROW(j.DecodeInto(c, [&](int) { return ++calls < 3; }));
  EXPECT_EQ(calls, 3);
}

TEST(JpegDecode, StripsAndWindowGiveTheSamePicture) {
  TJPEGImage j = Loaded("base420");
  const Dib full = j.Decode();

  Dib into24(37, 23, 24);
  j.DecodeThroughStrips(into24);
  EXPECT_EQ(RgbOf(into24), RgbOf(full));

  // A gray decode into a 24-bit target, and into a 4-bit gray target (nearest entry).
  TJPEGImage g = Loaded("gray");
  const Dib gray = g.Decode();
  Dib gray24(37, 23, 24);
  g.DecodeThroughStrips(gray24);
  EXPECT_EQ(RgbOf(gray24), RgbOf(gray));
  Palette ramp16;
  for (int i = 0; i < 16; ++i) ramp16.push_back(RgbQuad{std::uint8_t(i * 17), std::uint8_t(i * 17), std::uint8_t(i * 17), 0});
  Dib gray4(37, 23, 4, ramp16);
  g.DecodeThroughStrips(gray4);
  for (int y = 0; y < 23; ++y)
    for (int x = 0; x < 37; ++x) {
      const int v = static_cast<int>(gray.Index(x, y));
      const int got = static_cast<int>(gray4.Index(x, y)) * 17;
      EXPECT_LE(std::abs(got - v), 8) << x << "," << y;
    }

  Dib window;
  std::vector<std::pair<int, int>> shown;
  j.DecodeToWindow(window, [&](int first, int count) { shown.emplace_back(first, count); });
  EXPECT_EQ(RgbOf(window), RgbOf(full));
  int next = 0;
  for (auto [first, count] : shown) {
    EXPECT_EQ(first, next);
    EXPECT_TRUE(count == 4 || first + count == 23);
    next = first + count;
  }
  EXPECT_EQ(next, 23);
}

TEST(JpegDecode, WrongBitmapIsRefused) {
  TJPEGImage j = Loaded("base420");
  Dib small(10, 10, 24);
  EXPECT_THROW(j.DecodeInto(small), EVistrelError);
  Dib eight(37, 23, 8);
  EXPECT_THROW(j.DecodeInto(eight), EVistrelError);
}

// A foreign header before a JFIF stream is dropped; an EXIF file whose thumbnail holds "JFIF"
// keeps its head and shows the main picture.
TEST(JpegLoad, ForeignHeaderRule) {
  const std::vector<std::uint8_t> base = ReadBytes(CodecFixture("jpeg/base420.jpg"));
  TJPEGImage foreign = Loaded("foreign");
  ASSERT_EQ(foreign.Data().size(), base.size());
  EXPECT_TRUE(std::equal(base.begin(), base.end(), foreign.Data().begin()));
  EXPECT_EQ(RgbOf(foreign.Decode()), RgbOf(Loaded("base420").Decode()));

  const std::vector<std::uint8_t> exif = ReadBytes(CodecFixture("jpeg/exif_thumb.jpg"));
  TJPEGImage e = Loaded("exif_thumb");
  EXPECT_EQ(e.Data().size(), exif.size());
  EXPECT_EQ(e.HeaderWidth(), 37);
  EXPECT_EQ(e.HeaderHeight(), 23);
}

TEST(JpegLoad, BadDataFailsWithTheLibraryCode) {
  struct Case {
    const char* what;
    std::vector<std::uint8_t> bytes;
  };
  std::vector<Case> cases = {
      {"corrupt Huffman table", ReadBytes(CodecFixture("jpeg/corrupt.jpg"))},
      {"empty", {}},
      {"short", {0xFF, 0xD8, 0xFF}},
      {"short foreign", {'a', 'b', 'c', 'J', 'F', 'I', 'F', 0, 1}},
      {"text", std::vector<std::uint8_t>(200, 'x')},
      {"only markers", {0xFF, 0xD8, 0xFF, 0xD9}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TJPEGImage j;
    try {
      j.LoadFromStream(c.bytes);
      // A header may read; the decode must then fail.
      j.Decode();
      ADD_FAILURE() << "no error";
    } catch (const EJPEG& e) {
      EXPECT_EQ(std::string(e.what()), "JPEG error #" + std::to_string(TJPEGImage::LastJpegError()));
      EXPECT_GT(TJPEGImage::LastJpegError(), 0);
    }
  }
  TJPEGImage none;
  EXPECT_THROW(none.Decode(), EJPEG);
}

// A header that claims a huge picture is refused before any pixel buffer is made.
TEST(JpegLoad, PixelLimitHoldsBeforeDecoding) {
  std::vector<std::uint8_t> b = ReadBytes(CodecFixture("jpeg/base420.jpg"));
  std::size_t sof = 0;
  for (std::size_t i = 0; i + 9 < b.size(); ++i)
    if (b[i] == 0xFF && b[i + 1] == 0xC0) {
      sof = i;
      break;
    }
  ASSERT_GT(sof, 0u);
  b[sof + 5] = 0xEA;  // height 60000
  b[sof + 6] = 0x60;
  b[sof + 7] = 0xEA;  // width 60000
  b[sof + 8] = 0x60;
  TJPEGImage j;
  j.LoadFromStream(b);
  EXPECT_EQ(j.HeaderWidth(), 60000);
  EXPECT_THROW(j.Decode(), EVistrelError);
  j.SetScale(3);
  const std::uint64_t old = MaxImageBytes();
  SetMaxImageBytes(1 << 20);
  EXPECT_THROW(j.Decode(), EVistrelError);
  SetMaxImageBytes(old);
}

TEST(JpegDecode, ScaleToFit) {
  struct Case {
    int w, h, lw, lh, scale;
  } cases[] = {
      {4000, 3000, 1600, 1200, 2},  // 800 x 600 area: one quarter
      {4000, 3000, 600, 400, 3},    // 300 x 200 area: one eighth
      {100, 80, 200, 200, 0},
      {3000, 2000, 1600, 1200, 1},
      {1600, 1200, 1600, 1200, 0},
      {1601, 10, 1600, 1200, 1},
  };
  for (const Case& c : cases)
    EXPECT_EQ(JpegScaleToFit(c.w, c.h, c.lw, c.lh), c.scale) << c.w << "x" << c.h << " in " << c.lw << "x" << c.lh;
}

TEST(JpegDecode, ReducedDecodeCoversTheTarget) {
  TJPEGImage j = Loaded("base420");
  j.SetReducedDecode(10, 6, 2);
  Dib d;
  j.DecodeReduced(d);
  const test::Pnm want = ReadPnm(CodecFixture("jpeg/expect/base420.s4.pnm"));
  ASSERT_EQ(d.Width(), want.width);
  ASSERT_EQ(d.Height(), want.height);
  EXPECT_EQ(RgbOf(d), want.pixels);

  TJPEGImage bad;
  bad.LoadFromStream(ReadBytes(CodecFixture("jpeg/base420.jpg")));
  EXPECT_THROW(bad.LoadFromStream(std::vector<std::uint8_t>{}), EJPEG);  // nothing kept
  EXPECT_THROW(bad.DecodeReduced(d), EJPEG);
}

// ------------------------------------------------------------------------------------
// Encoding

// Bytes from the first marker after SOI and APP0 to the end: tables, frame and scans.
std::vector<std::uint8_t> AfterApp0(const std::vector<std::uint8_t>& f) {
  const std::size_t n = (static_cast<std::size_t>(f[4]) << 8) | f[5];
  return std::vector<std::uint8_t>(f.begin() + static_cast<std::ptrdiff_t>(4 + n), f.end());
}

Dib Source() {
  const test::Pnm p = ReadPnm(CodecFixture("jpeg/src.ppm"));
  return test::DibFromRgb(p.width, p.height, p.pixels);
}

// Our encoder against cjpeg on the same pixels: the same tables and scan data.
TEST(JpegEncode, MatchesCjpeg) {
  struct Case {
    const char* reference;
    bool standard, gray, progressive, subsample;
    int scale, smoothing, quality;
  } cases[] = {
      {"save75", false, false, false, false, 50, 0, 0},
      {"save75p", false, false, true, false, 50, 0, 0},
      {"save75gray", false, true, false, false, 50, 0, 0},
      {"scale48", false, false, false, false, 48, 0, 0},
      {"scale250", false, false, false, false, 250, 0, 0},
      {"smooth30", false, false, false, true, 50, 30, 0},
      {"standard90", true, false, false, false, 0, 0, 90},
      {"standard90p", true, false, true, false, 0, 0, 90},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.reference);
    TJPEGImage j;
    if (c.gray) {
      const test::Pnm p = ReadPnm(CodecFixture("jpeg/src_gray.pgm"));
      j.Assign(test::DibFromGray(p.width, p.height, p.pixels));
      j.SetGrayMode(true);
    } else {
      j.Assign(Source());
    }
    j.ProgressiveEncoding = c.progressive;
    if (c.standard) j.Quality = c.quality;
    else j.Compress(c.subsample, true, c.smoothing, c.scale, true);
    Bytes ours;
    j.SaveToStream(ours);
    const std::vector<std::uint8_t> ref = ReadBytes(CodecFixture("jpeg/enc/" + std::string(c.reference) + ".jpg"));
    EXPECT_EQ(AfterApp0(ours), AfterApp0(ref));
  }
}

// The quantisation tables of a baseline file, in file order.
std::vector<int> QuantTables(const Bytes& f) {
  std::vector<int> out;
  for (std::size_t i = 2; i + 4 < f.size();) {
    if (f[i] != 0xFF) break;
    const int marker = f[i + 1];
    const std::size_t len = (static_cast<std::size_t>(f[i + 2]) << 8) | f[i + 3];
    if (marker == 0xDB)
      for (std::size_t k = i + 4; k + 65 <= i + 2 + len; k += 65)
        for (std::size_t q = 1; q <= 64; ++q) out.push_back(f[k + q]);
    if (marker == 0xDA) break;
    i += 2 + len;
  }
  return out;
}

TEST(JpegEncode, ScaleOneGivesAllOnesAndSmoothingIsClamped) {
  TJPEGImage j;
  j.Assign(Source());
  j.Compress(false, true, 0, 1, true);
  Bytes ones;
  j.SaveToStream(ones);
  const std::vector<int> q = QuantTables(ones);
  ASSERT_EQ(q.size(), 128u);
  for (int v : q) EXPECT_EQ(v, 1);

  Bytes at100, at500;
  j.Compress(true, true, 100, 50, true);
  j.SaveToStream(at100);
  j.Compress(true, true, 500, 50, true);
  j.SaveToStream(at500);
  EXPECT_EQ(at100, at500);
}

TEST(JpegEncode, WithoutSubsamplingEveryComponentIsOneByOne) {
  for (bool subsample : {false, true}) {
    TJPEGImage j;
    j.Assign(Source());
    j.Compress(subsample, true, 0, 50, true);
    Bytes f;
    j.SaveToStream(f);
    std::size_t sof = 0;
    for (std::size_t i = 0; i + 1 < f.size(); ++i)
      if (f[i] == 0xFF && f[i + 1] == 0xC0) {
        sof = i;
        break;
      }
    ASSERT_GT(sof, 0u);
    ASSERT_EQ(f[sof + 9], 3);
    EXPECT_EQ(f[sof + 11], subsample ? 0x22 : 0x11);
    EXPECT_EQ(f[sof + 14], 0x11);
    EXPECT_EQ(f[sof + 17], 0x11);
  }
}

TEST(JpegEncode, PaletteBitmapsEncodeTheirColours) {
  Palette pal = {RgbQuad{0, 0, 255, 0}, RgbQuad{255, 0, 0, 0}};  // red, blue
  Dib d(16, 16, 1, pal);
  for (int y = 0; y < 16; ++y)
    for (int x = 8; x < 16; ++x) d.SetIndex(x, y, 1);
  TJPEGImage j;
  j.Assign(d);
  j.Compress(false, true, 0, 10, true);
  Bytes f;
  j.SaveToStream(f);
  TJPEGImage back;
  back.LoadFromStream(f);
  const Dib got = back.Decode();
  EXPECT_NEAR(RedOf(got.Pixel(2, 5)), 255, 6);
  EXPECT_NEAR(BlueOf(got.Pixel(2, 5)), 0, 6);
  EXPECT_NEAR(BlueOf(got.Pixel(13, 5)), 255, 6);
  EXPECT_NEAR(RedOf(got.Pixel(13, 5)), 0, 6);
}

TEST(JpegComment, FollowsTheFirstSegmentAndTheFileStillDecodes) {
  const std::vector<std::uint8_t> src = ReadBytes(CodecFixture("jpeg/enc/save75.jpg"));
  const std::string text = BatchJpegCommentText();
  EXPECT_EQ(text.rfind("Encoded with Pelira 7.7 - ", 0), 0u);
  const Bytes out = InsertJpegComment(src, text);
  const std::size_t first = 4 + ((static_cast<std::size_t>(src[4]) << 8) | src[5]);
  ASSERT_EQ(out.size(), src.size() + 4 + text.size());
  EXPECT_TRUE(std::equal(src.begin(), src.begin() + first, out.begin()));
  EXPECT_EQ(out[first], 0xFF);
  EXPECT_EQ(out[first + 1], 0xFE);
  EXPECT_EQ((out[first + 2] << 8) | out[first + 3], static_cast<int>(text.size() + 2));
  EXPECT_EQ(std::string(out.begin() + first + 4, out.begin() + first + 4 + text.size()), text);
  EXPECT_TRUE(std::equal(src.begin() + first, src.end(), out.begin() + first + 4 + text.size()));

  TJPEGImage a, b;
  a.LoadFromStream(src);
  b.LoadFromStream(out);
  EXPECT_EQ(RgbOf(a.Decode()), RgbOf(b.Decode()));

  // No first segment: right after SOI. Not a JPEG: unchanged.
  const std::vector<std::uint8_t> bare = {0xFF, 0xD8, 0xFF, 0xDB, 0x00};
  const Bytes c = InsertJpegComment(bare, "x");
  EXPECT_EQ(c, (Bytes{0xFF, 0xD8, 0xFF, 0xFE, 0x00, 0x03, 'x', 0xFF, 0xDB, 0x00}));
  const std::vector<std::uint8_t> junk = {1, 2, 3};
  EXPECT_EQ(InsertJpegComment(junk, "x"), Bytes(junk.begin(), junk.end()));
}

TEST(JpegEncode, SaveAsFileAndReload) {
  test::TempDir dir;
  TJPEGImage j;
  j.Assign(Source());
  j.Compress(false, true, 0, 50, true);
  j.SaveToFile(dir / "out.jpg");
  TJPEGImage back;
  back.LoadFromFile(dir / "out.jpg");
  EXPECT_EQ(back.HeaderWidth(), 37);
  EXPECT_EQ(back.HeaderHeight(), 23);
  EXPECT_FALSE(back.ProgressiveEncoding);
  // Quality 75 on a smooth picture stays close to the source.
  EXPECT_LE(test::MaxDifference(RgbOf(back.Decode()), RgbOf(Source())), 48);
}

}  // namespace
}  // namespace pelira
