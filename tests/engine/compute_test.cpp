#include "engine/compute.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <functional>
#include <string>

#include "engine/analysis.h"
#include "engine/composites.h"
#include "engine/filter_preview.h"
#include "engine/hls.h"
#include "engine/tone_tables.h"
#include "image/jpeg_image.h"
#include "support/test_pictures.h"
#include "support/test_support.h"

namespace pelira {
namespace {

using test::SamePixels;

Dib ReadPpm(const std::string& name) {
  const std::vector<std::uint8_t> b = test::ReadBytes(test::Fixture("engine/" + name));
  const std::string head(b.begin(), b.begin() + std::min<std::size_t>(b.size(), 32));
  int w = 0, h = 0, maxv = 0, used = 0;
  EXPECT_EQ(std::sscanf(head.c_str(), "P6 %d %d %d%n", &w, &h, &maxv, &used), 3) << name;
  const std::size_t start = static_cast<std::size_t>(used) + 1;
  Dib d(w, h, 24);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const std::size_t o = start + 3 * (static_cast<std::size_t>(y) * w + x);
      d.SetPixel(x, y, MakeColor(b[o], b[o + 1], b[o + 2]));
    }
  return d;
}

int At(const Dib& d, int x, int y, int c) { return d.ScanLine(y)[x * 3 + c]; }
void Put(Dib& d, int x, int y, int c, int v) { d.ScanLine(y)[x * 3 + c] = static_cast<std::uint8_t>(v); }

// The per-component operations and the average, byte for byte against ImageMagick.
TEST(Compute, PerComponentMatchesImageMagick) {
  const Dib a = ReadPpm("compute_a.ppm"), b = ReadPpm("compute_b.ppm");
  struct Case {
    const char* fixture;
    std::function<bool(Dib&, const Dib&)> run;
  };
  const Case cases[] = {
      {"compute_min.ppm", Minimum},
      {"compute_max.ppm", Maximum},
      {"compute_diff.ppm", Difference},
      {"compute_sub.ppm", Subtract},
      {"compute_mul.ppm", Multiply},
      {"compute_avg50.ppm", [](Dib& p, const Dib& d) { return AverageBitmap(p, d, 50); }},
  };
  for (const Case& c : cases) {
    Dib p = a;
    ASSERT_TRUE(c.run(p, b)) << c.fixture;
    EXPECT_TRUE(SamePixels(p, ReadPpm(c.fixture))) << c.fixture;
  }
}

// Multiply's division by 255 without a divide holds for every pair of bytes.
TEST(Compute, MultiplyIsExactForEveryPair) {
  Dib p(256, 256, 24), d(256, 256, 24);
  for (int y = 0; y < 256; ++y)
    for (int x = 0; x < 256; ++x)
      for (int c = 0; c < 3; ++c) {
        Put(p, x, y, c, x);
        Put(d, x, y, c, y);
      }
  ASSERT_TRUE(Multiply(p, d));
  for (int y = 0; y < 256; ++y)
    for (int x = 0; x < 256; ++x) ASSERT_EQ(At(p, x, y, 1), x * y / 255) << x << "," << y;
}

// The average's division without a divide holds for every pair of bytes and every weight.
TEST(Compute, AverageIsExactForEveryPairAndWeight) {
  Dib p(256, 256, 24), d(256, 256, 24);
  for (int y = 0; y < 256; ++y)
    for (int x = 0; x < 256; ++x)
      for (int c = 0; c < 3; ++c) {
        Put(p, x, y, c, x);
        Put(d, x, y, c, y);
      }
  for (int w = 0; w <= 100; ++w) {
    Dib q = p;
    ASSERT_TRUE(AverageBitmap(q, d, w));
    for (int y = 0; y < 256; ++y)
      for (int x = 0; x < 256; ++x)
        ASSERT_EQ(At(q, x, y, 0), std::min(255, x * (100 - w) / 100 + y * w / 100)) << w << " " << x << "," << y;
  }
}

TEST(Compute, SelfDifferenceIsMidGreyAndSelfSubtractIsBlack) {
  const Dib a = ReadPpm("compute_a.ppm");
  Dib diff = a, sub = a;
  ASSERT_TRUE(Difference(diff, a));
  ASSERT_TRUE(Subtract(sub, a));
  for (int y = 0; y < a.Height(); ++y)
    for (int x = 0; x < a.Width(); ++x) {
      EXPECT_EQ(diff.Pixel(x, y), MakeColor(127, 127, 127));
      EXPECT_EQ(sub.Pixel(x, y), MakeColor(0, 0, 0));
    }
}

// A second image of another size or depth, or a picture that is not true colour, is refused
// before any pixel changes, by every two-image operation.
TEST(Compute, MismatchChangesNothing) {
  const Dib a = ReadPpm("compute_a.ppm");
  Dib narrow(a.Width() - 1, a.Height(), 24), low(a.Width(), a.Height() - 1, 24), grey(a.Width(), a.Height(), 8);
  Dib greyPic(a.Width(), a.Height(), 8);
  using Op = std::function<bool(Dib&, const Dib&)>;
  const Op ops[] = {
      Multiply, Minimum, Maximum, Difference, Subtract, CompositeGray,
      [](Dib& p, const Dib& d) { return AverageBitmap(p, d, 40); },
      [](Dib& p, const Dib& d) { return AverageField(p, d, 40, 1); },
      [](Dib& p, const Dib& d) { return CompositeMask(p, d, 100, 50, true); },
      [](Dib& p, const Dib& d) { return CompositeMidTones(p, d, 150, 50); },
      [](Dib& p, const Dib& d) { return CompositeContrast(p, d, 150, 50); },
      [](Dib& p, const Dib& d) { return MaskEdges(p, d, 255, 255); },
  };
  for (const Op& op : ops) {
    for (const Dib* second : std::initializer_list<const Dib*>{&narrow, &low, &grey, nullptr}) {
      Dib p = second ? a : greyPic;
      const Dib before = p;
      EXPECT_FALSE(op(p, second ? *second : a));
      EXPECT_TRUE(SamePixels(p, before));
    }
  }
  EXPECT_FALSE(SumSquaredDifference(a, narrow).has_value());
}

// The sum passes 2^32 long before a big picture is done.
TEST(Compute, SquaredDifferenceSumsIn64Bits) {
  Dib black(1500, 1000, 24), white(1500, 1000, 24);
  for (int y = 0; y < white.Height(); ++y) std::fill_n(white.ScanLine(y), 1500 * 3, 255);
  EXPECT_EQ(SumSquaredDifference(black, white).value(), 1500ull * 1000 * 3 * 255 * 255);
  EXPECT_EQ(SumSquaredDifference(white, white).value(), 0u);
}

TEST(Compute, InterlaceChangesEveryOtherRowMatchingPython) {
  const Dib a = ReadPpm("compute_a.ppm"), b = ReadPpm("compute_b.ppm");
  for (int field : {0, 1}) {
    Dib p = a;
    ASSERT_TRUE(AverageField(p, b, 30, field));
    EXPECT_TRUE(SamePixels(p, ReadPpm("compute_interlace30_f" + std::to_string(field) + ".ppm"))) << field;
  }
  // Field 0 keeps the top row and changes row 1.
  Dib black(4, 3, 24), white(4, 3, 24);
  for (int y = 0; y < 3; ++y) std::fill_n(white.ScanLine(y), 12, 255);
  ASSERT_TRUE(AverageField(black, white, 50, 0));
  EXPECT_EQ(black.Pixel(0, 0), 0u);
  EXPECT_EQ(black.Pixel(0, 1), MakeColor(127, 127, 127));
  EXPECT_EQ(black.Pixel(0, 2), 0u);
}

// A script's weight above 100 makes the picture's share negative: still bytes in 0..255.
TEST(Compute, AverageOutsideTheSliderStaysInRange) {
  Dib p(3, 1, 24), d(3, 1, 24);
  for (int x = 0; x < 3; ++x) {
    p.SetPixel(x, 0, MakeColor(255, 200, 0));
    d.SetPixel(x, 0, MakeColor(10, 255, 255));
  }
  ASSERT_TRUE(AverageBitmap(p, d, 255));
  EXPECT_EQ(p.Pixel(0, 0), MakeColor(0, 255, 255));
}

// Plain evaluations of the band masks, one pixel at a time.
Dib RefBand(const Dib& a, const Dib& b, int gamma, int weight, bool contrast) {
  ToneTables t;
  SetMidToneLUT(t, gamma);
  auto tone = [contrast](const Dib& d, int x, int y) {
    const int r = At(d, x, y, 2), g = At(d, x, y, 1), bl = At(d, x, y, 0);
    if (!contrast) return LumaY(r, g, bl);
    const Hls h = RGBToHLS(r, g, bl);
    return std::min(255, std::abs(h.l - h.s) * 255 / 3600);
  };
  const int w = contrast ? 99 - weight : weight;
  Dib o = a;
  for (int y = 0; y < a.Height(); ++y)
    for (int x = 0; x < a.Width(); ++x) {
      const int v = w >= 99 ? tone(a, x, y) : w <= 0 ? tone(b, x, y)
                                                     : std::min(255, tone(a, x, y) * w / 99 + tone(b, x, y) * (99 - w) / 99);
      const int dist = std::min(127, std::abs(v - 127));
      const int m = t.green[static_cast<std::size_t>(127 - dist)];
      for (int c = 0; c < 3; ++c) Put(o, x, y, c, std::min(255, At(a, x, y, c) * m / 127 + At(b, x, y, c) * (127 - m) / 127));
    }
  return o;
}

TEST(Compute, MidtoneAndContrastMasksFollowTheirFormulas) {
  const Dib a = ReadPpm("compute_a.ppm"), b = ReadPpm("compute_b.ppm");
  for (bool contrast : {false, true})
    for (int gamma : {1, 150, 500})
      for (int weight : {0, 40, 99}) {
        Dib p = a;
        ASSERT_TRUE(contrast ? CompositeContrast(p, b, gamma, weight) : CompositeMidTones(p, b, gamma, weight));
        EXPECT_TRUE(SamePixels(p, RefBand(a, b, gamma, weight, contrast))) << contrast << " " << gamma << " " << weight;
      }
}

TEST(Compute, MaskGrayscalePutsTheDuplicatesColourOnThePicturesLightness) {
  const Dib a = ReadPpm("compute_a.ppm"), b = ReadPpm("compute_b.ppm");
  Dib p = a;
  ASSERT_TRUE(CompositeGray(p, b));
  for (int y = 0; y < a.Height(); ++y)
    for (int x = 0; x < a.Width(); ++x) {
      const Hls pa = RGBToHLS(At(a, x, y, 2), At(a, x, y, 1), At(a, x, y, 0));
      const Hls pb = RGBToHLS(At(b, x, y, 2), At(b, x, y, 1), At(b, x, y, 0));
      const Rgb want = HLSToRGBClamped(pb.h, pa.l, pb.s);
      EXPECT_EQ(p.Pixel(x, y), MakeColor(want.r, want.g, want.b)) << x << "," << y;
    }
}

Dib RefEdges(const Dib& a, const Dib& b, int threshold, int e) {
  Dib o = a;
  for (int y = 2; y + 2 < a.Height(); ++y)
    for (int x = 2; x + 2 < a.Width(); ++x) {
      int s[3] = {0, 0, 0};
      for (int j = -2; j <= 2; ++j)
        for (int i = -2; i <= 2; ++i)
          for (int c = 0; c < 3; ++c) s[c] += At(a, x + i, y + j, c);
      const int lc = RGBToHLS(At(a, x, y, 2), At(a, x, y, 1), At(a, x, y, 0)).l;
      const int lm = RGBToHLS(s[2] / 25, s[1] / 25, s[0] / 25).l;
      if (std::abs(lc - lm) >= threshold) continue;
      for (int c = 0; c < 3; ++c) Put(o, x, y, c, std::min(255, At(a, x, y, c) * (255 - e) / 255 + At(b, x, y, c) * e / 255));
    }
  return o;
}

TEST(Compute, MaskEdgesBlendsFlatAreasOnly) {
  const Dib a = ReadPpm("compute_a.ppm"), b = ReadPpm("compute_b.ppm");
  // A larger picture runs over several bands and both cores.
  const Dib big = test::PatternPicture(131, 97, 4), bigB = test::PatternPicture(131, 97, 9);
  for (int threshold : {1, 600, 4000})
    for (int e : {1, 128, 255}) {
      Dib p = a, q = big;
      ASSERT_TRUE(MaskEdges(p, b, threshold, e));
      ASSERT_TRUE(MaskEdges(q, bigB, threshold, e));
      EXPECT_TRUE(SamePixels(p, RefEdges(a, b, threshold, e))) << threshold << " " << e;
      EXPECT_TRUE(SamePixels(q, RefEdges(big, bigB, threshold, e))) << threshold << " " << e;
    }
  // Under 5 pixels no window fits.
  for (auto [w, h] : {std::pair{4, 9}, std::pair{9, 4}}) {
    Dib p = test::PatternPicture(w, h, 1);
    const Dib before = p;
    EXPECT_TRUE(MaskEdges(p, test::PatternPicture(w, h, 2), 4000, 255));
    EXPECT_TRUE(SamePixels(p, before));
  }
  // Stopped half way: the picture is as it was.
  Dib p = big;
  int calls = 0;
  EXPECT_FALSE(MaskEdges(p, bigB, 4000, 255, [&](int, int) { return ++calls < 3; }));
  EXPECT_TRUE(SamePixels(p, big));
}

TEST(Compute, RandomNoiseIsReproducibleAndHasTheExpectedStatistics) {
  const int w = 400, h = 300;
  Dib black(w, h, 24);
  Dib n1 = black, n2 = black, n3 = black;
  ASSERT_TRUE(RandomNoise(n1, 128, 64, 32, 77));
  ASSERT_TRUE(RandomNoise(n2, 128, 64, 32, 77));
  ASSERT_TRUE(RandomNoise(n3, 128, 64, 32, 78));
  EXPECT_TRUE(SamePixels(n1, n2));
  EXPECT_FALSE(SamePixels(n1, n3));
  // Replaced with probability 128/255; the replaced pixels' channels are uniform below the
  // limits (a replaced pixel may come out black, so the count is of draws, not changes).
  long long changed = 0;
  double sum[3] = {0, 0, 0};
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const int r = At(n1, x, y, 2), g = At(n1, x, y, 1), b = At(n1, x, y, 0);
      EXPECT_LT(r, 128);
      EXPECT_LT(g, 64);
      EXPECT_LT(b, 32);
      sum[0] += r;
      sum[1] += g;
      sum[2] += b;
      changed += (r | g | b) != 0;
    }
  const double n = double{w} * h, p = 128.0 / 255;
  // Means over all pixels: p x (limit - 1) / 2, within four standard errors.
  const double limits[3] = {128, 64, 32};
  for (int c = 0; c < 3; ++c) {
    const double mean = p * (limits[c] - 1) / 2;
    const double sd = std::sqrt(p * (limits[c] * limits[c] - 1) / 12 + p * (1 - p) * std::pow((limits[c] - 1) / 2, 2));
    EXPECT_NEAR(sum[c] / n, mean, 4 * sd / std::sqrt(n)) << c;
  }
  EXPECT_NEAR(static_cast<double>(changed) / n, p, 4 * std::sqrt(p * (1 - p) / n) + 0.001);
  // Each row draws from its own generator: the top rows of a picture get the same noise as a
  // picture of those rows alone, so no split of the rows over threads can change a pixel.
  Dib top(w, 7, 24);
  ASSERT_TRUE(RandomNoise(top, 128, 64, 32, 77));
  for (int y = 0; y < 7; ++y)
    EXPECT_EQ(std::memcmp(top.ScanLine(y), n1.ScanLine(y), static_cast<std::size_t>(w) * 3), 0) << y;
  // All limits 0: nothing changes.
  Dib pattern = test::PatternPicture(30, 20, 3);
  const Dib before = pattern;
  EXPECT_TRUE(RandomNoise(pattern, 0, 0, 0, 5));
  EXPECT_TRUE(SamePixels(pattern, before));
}

// The JPEG round trip is libjpeg's: cjpeg at the matching quality, then djpeg -dct fast.
TEST(Compute, ArtifactsAndCompressedSizeMatchCjpeg) {
  const Dib a = ReadPpm("compute_a.ppm");
  Dib p = a;
  ASSERT_TRUE(AddArtifact(p, 48));
  EXPECT_TRUE(SamePixels(p, ReadPpm("compute_artifact48.ppm")));
  EXPECT_EQ(CompressedSize(a, 66), test::ReadBytes(test::Fixture("engine/compute_a_q67.jpg")).size());
}

// The round trip runs in bands of whole block rows: the pixels are those of one round trip of
// the whole picture (with optimised tables, which change no pixel), the odd last rows too.
TEST(Compute, ArtifactsInBandsEqualOneWholeRoundTrip) {
  for (auto [w, h] : {std::pair{37, 203}, std::pair{64, 1000}, std::pair{5, 130}}) {
    const Dib pic = test::PatternPicture(w, h, 6);
    TJPEGImage j;
    j.Assign(pic);
    j.Compress(false, true, 0, 120, true);
    Dib p = pic;
    ASSERT_TRUE(AddArtifact(p, 120));
    EXPECT_TRUE(SamePixels(p, j.Decode())) << w << "x" << h;
  }
}

TEST(Compute, ComplexityIndexFromBothCompressedSizes) {
  const double s1 = static_cast<double>(test::ReadBytes(test::Fixture("engine/compute_a_q67.jpg")).size());
  const double s2 = static_cast<double>(test::ReadBytes(test::Fixture("engine/compute_a_mr0_q67.jpg")).size());
  const Dib a = ReadPpm("compute_a.ppm");
  for (std::uint64_t base : {std::uint64_t{5000}, std::uint64_t{0}, ThumbnailComplexityBase()}) {
    const double b = base ? static_cast<double>(base) : 3.0 * a.Width() * a.Height();
    Dib p = a;
    EXPECT_EQ(ComplexityIndex(p, 66, base),
              static_cast<std::int64_t>(s1 / b * 1e9) + static_cast<std::int64_t>(s2 / b * 1e9))
        << base;
  }
  // q counts modulo 128.
  Dib p = a, q = a;
  EXPECT_EQ(ComplexityIndex(p, 66 + 128, 5000), ComplexityIndex(q, 66, 5000));
}

TEST(Compute, PreviewSecondImageMatchesWhatThePreviewShows) {
  const Dib pic = test::PatternPicture(90, 60, 1), dup = test::PatternPicture(90, 60, 2);
  // The whole picture.
  EXPECT_TRUE(SamePixels(SecondForPreview(pic, dup, pic), dup));
  // A 1:1 window.
  const TRect win{17, 9, 17 + 40, 9 + 30};
  EXPECT_TRUE(SamePixels(SecondForPreview(pic, dup, ActualViewSource(pic, win)), ActualViewSource(dup, win)));
  // The whole picture fitted into a box.
  EXPECT_TRUE(SamePixels(SecondForPreview(pic, dup, FittedSource(pic, 45, 45)), FittedSource(dup, 45, 45)));
  // No matching duplicate: nothing to blend with.
  EXPECT_TRUE(SecondForPreview(pic, test::PatternPicture(91, 60, 2), pic).Empty());
}

}  // namespace
}  // namespace pelira
