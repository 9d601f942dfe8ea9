#include <gtest/gtest.h>

#include <cmath>
#include <sstream>

#include "engine/color_filters.h"
#include "engine/composites.h"
#include "engine/histogram.h"
#include "engine/tone_tables.h"
#include "engine_test_util.h"

namespace pelira {
namespace {

using test::MakePicture;

TEST(Histogram, StatisticsMatchPythonPstdev) {
  const Dib pic = test::StatsPicture();
  const HistogramResult e = DoCalcHistogram(pic, {.saturation = true, .hue = true, .stats = true});
  const auto lines = test::FixtureLines("engine/stats.txt");
  ASSERT_EQ(lines.size(), 7u);
  EXPECT_EQ(lines[0], "n " + std::to_string(e.stats.n));
  const ChannelSum* sums[] = {&e.stats.red, &e.stats.green, &e.stats.blue, &e.stats.lightness, &e.stats.saturation,
                              &e.stats.hue};
  for (int i = 0; i < 6; ++i) {
    std::istringstream in(lines[i + 1]);
    std::string name;
    double mean, sd;
    in >> name >> mean >> sd;
    EXPECT_NEAR(e.stats.Mean(*sums[i]), mean, 1e-6) << name;
    EXPECT_NEAR(e.stats.Deviation(*sums[i]), sd, 1e-6) << name;
  }
}

// Channel counts against ImageMagick's -separate ... histogram:info:.
TEST(Histogram, ChannelCountsMatchImageMagick) {
  const Dib pic = test::StatsPicture();
  const HistogramResult e = DoCalcHistogram(pic);
  const std::pair<const char*, const Histogram*> channels[] = {
      {"engine/hist_R.txt", &e.hist.red}, {"engine/hist_G.txt", &e.hist.green}, {"engine/hist_B.txt", &e.hist.blue}};
  for (const auto& [file, h] : channels) {
    Histogram want{};
    for (const std::string& line : test::FixtureLines(file)) {
      // "    2: (0,0,0) #000000 gray(0)"
      int count = 0, level = 0;
      ASSERT_EQ(std::sscanf(line.c_str(), " %d: (%d", &count, &level), 2) << line;
      want[level] = count;
    }
    EXPECT_EQ(*h, want) << file;
  }
  std::int32_t peak = 0;
  for (const Histogram* h : {&e.hist.red, &e.hist.green, &e.hist.blue, &e.hist.lightness})
    for (int i = 0; i < 256; ++i) peak = std::max(peak, (*h)[i]);
  EXPECT_EQ(e.hist.peak, peak);
}

TEST(Histogram, BrightestAndDarkestSlots) {
  Dib pic = MakePicture(4, 4, [](int, int) { return MakeColor(200, 100, 20); });
  const HistogramResult e = DoCalcHistogram(pic, {.stats = true});
  EXPECT_EQ(e.stats.brightest.sum, 16 * 200);
  EXPECT_EQ(e.stats.darkest.sum, 16 * 20);
  EXPECT_EQ(e.stats.Deviation(e.stats.red), 0.0);
}

TEST(Histogram, EmptyPictureCountsOnePixel) {
  EXPECT_EQ(DoCalcHistogram(Dib(), {.saturation = true, .hue = true, .stats = true}).stats.n, 1);
  EXPECT_EQ(DoCalcMidtones(Dib()).stats.n, 1);
}

TEST(Histogram, MidtonesCountOnlyLevels16To240) {
  // 4 pixels at 10 (outside), 3 at 100, 5 at 200: N = 8, median 200, mode 200.
  Dib pic = MakePicture(12, 1, [](int x, int) {
    const int v = x < 4 ? 10 : x < 7 ? 100 : 200;
    return MakeColor(v, v, v);
  });
  const MidtoneResult e = DoCalcMidtones(pic);
  EXPECT_EQ(e.stats.n, 8);
  EXPECT_EQ(e.stats.brightest.sum, 3 * 100 + 5 * 200);
  EXPECT_EQ(e.median, 200);
  EXPECT_EQ(e.mode, 200);
  EXPECT_EQ(e.lightness[10], 4) << "levels outside still counted in the histogram";
}

TEST(Histogram, SignificantRange) {
  struct Case {
    const char* what;
    std::vector<std::pair<int, int>> filled;  // level, count
    bool sat;
    LevelRange want;
  };
  auto run = [](int from, int to, int count) {
    std::vector<std::pair<int, int>> v;
    for (int i = from; i <= to; ++i) v.push_back({i, count});
    return v;
  };
  const Case cases[] = {
      {"nothing significant", run(0, 255, 48), false, {0, 255}},
      {"run 30..90", run(30, 90, 49), false, {30, 90}},
      {"three levels only", run(30, 32, 500), false, {0, 255}},
      {"high end 254 becomes 255", run(100, 254, 49), false, {100, 255}},
      {"saturation high search stops at 4", run(0, 3, 100), true, {0, 255}},
  };
  for (const Case& c : cases) {
    Histogram h{};
    for (auto [level, count] : c.filled) h[level] = count;
    EXPECT_EQ(SignificantRange(h, c.sat), c.want) << c.what;
  }
}

TEST(Histogram, NormalizeMapsFlatPictureToTargetMean) {
  Dib pic = MakePicture(5, 5, [](int, int) { return MakeColor(90, 90, 90); });
  const HistogramResult e = DoCalcHistogram(pic, {.saturation = true, .stats = true});
  for (int ch = 0; ch < 3; ++ch) DoNormalize(pic, e.stats, ch, 140, 30);
  EXPECT_EQ(pic.Pixel(4, 4), MakeColor(140, 140, 140));
}

TEST(Histogram, ZeroMapsCloseGaps) {
  Dib pic = MakePicture(3, 1, [](int x, int) { return MakeColor(10 * (x + 1), 5, 255); });
  const HistogramResult e = DoCalcHistogram(pic);
  ColorFilter(pic, BuildZeroMaps(e.hist));
  EXPECT_EQ(RedOf(pic.Pixel(0, 0)), 0);
  EXPECT_EQ(RedOf(pic.Pixel(1, 0)), 1);
  EXPECT_EQ(RedOf(pic.Pixel(2, 0)), 2);
  EXPECT_EQ(BlueOf(pic.Pixel(2, 0)), 0);
}

TEST(Histogram, CenterWithCoincidingPeaksShiftsNothing) {
  Dib pic = MakePicture(32, 32, [](int x, int y) { const int v = y < 16 ? 120 : 60 + x; return MakeColor(v, v, v); });
  const HistogramResult e = DoCalcHistogram(pic);
  const Shifts s = CenterShifts(e.hist);
  EXPECT_EQ(s.s[0], 0);
  EXPECT_EQ(s.s[1], 0);
  EXPECT_EQ(s.s[2], 0);
}

TEST(Histogram, CenterAlignsPeaksOnHighest) {
  // Red peaks at 100, green at 140, blue at 120; the highlight edges leave room to shift.
  Dib pic = MakePicture(40, 10, [](int x, int) { return x < 30 ? MakeColor(100, 140, 120) : MakeColor(150, 180, 170); });
  const HistogramResult e = DoCalcHistogram(pic);
  const Shifts s = CenterShifts(e.hist);
  EXPECT_EQ(s.s[0], 40);
  EXPECT_EQ(s.s[1], 0);
  EXPECT_EQ(s.s[2], 20);
}

TEST(Histogram, OptimizeTargetAlreadyTouchingEnds) {
  const NormTarget t = OptimizeTarget(200.4, 60.6);
  EXPECT_EQ(t.mean, 200);
  EXPECT_EQ(t.deviation, 61);
}

TEST(Histogram, AutoGammaNeverDarkens) {
  for (double mu : {5.0, 60.0, 128.0, 200.0, 250.0})
    for (double sd : {1.0, 30.0, 80.0}) {
      const int t = AutoGammaValue(mu, sd);
      EXPECT_GE(t, 100) << mu << " " << sd;
      EXPECT_LE(t, 500);
    }
  // Mean 64, deviation 20: k = 22, target 86, met first near gamma 127.
  const int t = AutoGammaValue(64, 20);
  EXPECT_NEAR(t, 127, 3);
  EXPECT_LT(std::fabs(255 * std::pow(64 / 255.0, 100.0 / t) - 86), 2);
  EXPECT_GE(std::fabs(255 * std::pow(64 / 255.0, 100.0 / (t - 1)) - 86), 2) << "the first gamma that fits";
}

TEST(Histogram, ConformGammaRgbReachesTargets) {
  Dib pic = test::NoisePicture(60, 40, 2);
  DoConformGammaRGB(pic, 150, 90, 128);
  const HistogramResult e = DoCalcHistogram(pic, {.stats = true});
  EXPECT_NEAR(e.stats.Mean(e.stats.red), 150, 3);
  EXPECT_NEAR(e.stats.Mean(e.stats.green), 90, 3);
  EXPECT_NEAR(e.stats.Mean(e.stats.blue), 128, 3);
}

// The count-based search decides exactly as full passes restoring the picture would.
TEST(Histogram, ConformGammaRgbEqualsPassByPassSearch) {
  const Dib src = test::NoisePicture(50, 30, 4);
  Dib fast = src;
  DoConformGammaRGB(fast, 60, 200, 100);

  Dib slow = src;
  HistogramResult s = DoCalcHistogram(slow, {.stats = true});
  ToneTables tables;
  const int target[3] = {60, 200, 100};
  int g[3];
  bool done[3] = {};
  const ChannelSum* sums[3] = {&s.stats.red, &s.stats.green, &s.stats.blue};
  for (int k = 0; k < 3; ++k) g[k] = std::nearbyint(s.stats.Mean(*sums[k])) < target[k] ? 150 : 75;
  while (true) {
    slow = src;
    for (int k = 0; k < 3; ++k) SetGammaLUT(tables, g[k], k);
    ColorFilter(slow, tables);
    ResetMaps(tables);
    s = DoCalcHistogram(slow, {.stats = true});
    for (int k = 0; k < 3; ++k) {
      const int m = static_cast<int>(std::nearbyint(s.stats.Mean(*sums[k])));
      if (done[k]) continue;
      if (std::abs(m - target[k]) <= 2 || g[k] <= 25 || g[k] >= 250) done[k] = true;
      else g[k] += m > target[k] ? -(g[k] / 4) : g[k] / 4;
    }
    if (done[0] && done[1] && done[2]) break;
  }
  EXPECT_EQ(test::PixelBytes(fast), test::PixelBytes(slow));
}

TEST(Histogram, ConformGammaMovesMidtoneMean) {
  Dib pic = MakePicture(30, 30, [](int x, int y) { const int v = 40 + (x + y) % 40; return MakeColor(v, v, v); });
  DoConformGamma(pic, 90);
  const MidtoneResult e = DoCalcMidtones(pic);
  EXPECT_NEAR(e.stats.Mean(e.stats.brightest), 90, 4);
}

TEST(Composites, MaximumAverageMaskAndSwap) {
  Dib a = MakePicture(2, 1, [](int x, int) { return x ? MakeColor(0, 0, 0) : MakeColor(10, 200, 30); });
  Dib b = MakePicture(2, 1, [](int x, int) { return x ? MakeColor(255, 255, 255) : MakeColor(20, 100, 40); });
  Dib m = a;
  ASSERT_TRUE(Maximum(m, b));
  EXPECT_EQ(m.Pixel(0, 0), MakeColor(20, 200, 40));
  Dib avg = a;
  ASSERT_TRUE(AverageBitmap(avg, b, 50));
  EXPECT_EQ(avg.Pixel(1, 0), MakeColor(127, 127, 127)) << "each half truncated";
  EXPECT_FALSE(Maximum(m, Dib(3, 1, 24))) << "size mismatch changes nothing";
  EXPECT_EQ(m.Pixel(0, 0), MakeColor(20, 200, 40));

  EngineState e;
  e.duplicate = b;
  Dib pic = a;
  ASSERT_TRUE(SwapWithDuplicate(pic, e.duplicate));
  EXPECT_EQ(pic.Pixel(1, 0), 0xFFFFFFu);
  EXPECT_EQ(e.duplicate.Pixel(1, 0), 0u);

  // Highlights with gamma 100: m = Y; white keeps the picture's bytes at m = 254.
  Dib hi = b;
  ASSERT_TRUE(CompositeMask(hi, a, 100, 99, false));
  EXPECT_EQ(hi.Pixel(1, 0), MakeColor(254, 254, 254));
  {
    PreservedDuplicate keep(e.duplicate);
    e.duplicate = Dib(1, 1, 24);
  }
  EXPECT_EQ(e.duplicate.Width(), 2) << "the user's duplicate comes back";
}

}  // namespace
}  // namespace pelira

namespace pelira {
namespace {

// The channel-pair counting of the plain pass gives what the per-pixel HLS pass counts.
TEST(Histogram, PlainAndHlsPassesAgree) {
  const Dib pic = test::NoisePicture(301, 257, 12);
  const HistogramResult plain = DoCalcHistogram(pic, {.stats = true});
  const HistogramResult full = DoCalcHistogram(pic, {.saturation = true, .hue = true, .stats = true});
  EXPECT_EQ(plain.hist.red, full.hist.red);
  EXPECT_EQ(plain.hist.green, full.hist.green);
  EXPECT_EQ(plain.hist.blue, full.hist.blue);
  EXPECT_EQ(plain.hist.lightness, full.hist.lightness);
  EXPECT_EQ(plain.stats.lightness.sumSq, full.stats.lightness.sumSq);
  std::int64_t n = 0;
  for (int i = 0; i < 256; ++i) n += plain.hist.lightness[i];
  EXPECT_EQ(n, 301 * 257);
}

}  // namespace
}  // namespace pelira

namespace pelira {
namespace {

TEST(Histogram, ConformChannelTargetsAndLimits) {
  Dib pic = test::NoisePicture(80, 60, 21);
  ASSERT_TRUE(ConformChannel(pic, kRed, 100, 30));
  const HistogramResult e = DoCalcHistogram(pic, {.stats = true});
  EXPECT_NEAR(e.stats.Mean(e.stats.red), 100, 3);
  EXPECT_NEAR(e.stats.Deviation(e.stats.red), 30, 3);
  const Dib before = pic;
  for (auto [m, d] : {std::pair{0, 30}, std::pair{255, 30}, std::pair{100, 0}, std::pair{100, 255}}) {
    EXPECT_FALSE(ConformChannel(pic, kGreen, m, d)) << m << " " << d;
    EXPECT_EQ(test::PixelBytes(pic), test::PixelBytes(before));
  }
}

}  // namespace
}  // namespace pelira
