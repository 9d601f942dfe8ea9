#include <gtest/gtest.h>

#include <latch>
#include <thread>
#include <vector>

#include "engine/color_filters.h"
#include "engine/composites.h"
#include "engine/histogram.h"
#include "engine/spatial_filters.h"
#include "engine/tone_tables.h"
#include "engine_test_util.h"

namespace pelira {
namespace {

// Everything one picture's measuring and editing leaves behind.
struct Outcome {
  HistogramResult measured;
  MidtoneResult midtones;
  Rgb white;
  HistogramResult finalPass;
  std::vector<std::uint8_t> pixels;
};

// Histograms, the measured tone corrections and the neighbourhood filters, in the order a
// worker (thumbnails, matching) or an automatic correction would run them. Nothing outside
// the picture and its own second image is touched.
Outcome Work(Dib pic) {
  Outcome o;
  o.measured = DoCalcHistogram(pic, {.saturation = true, .hue = true, .stats = true});
  o.midtones = DoCalcMidtones(pic);
  o.white = WhiteMax(pic);
  const Dib original = pic;

  const ChannelStats& st = o.measured.stats;
  for (int k = 0; k < 3; ++k) {
    const NormTarget n = OptimizeTarget(st.Mean(st.Of(k)), st.Deviation(st.Of(k)));
    DoNormalize(pic, st, k, n.mean, n.deviation);
  }
  ToneTables t;
  const LevelRange r = SignificantRange(DoCalcHistogram(pic).hist.lightness, false);
  for (int k = 0; k < 3; ++k) SetStretchLUT(t, r.lo, r.hi, k);
  SetGammaLUT(t, 140, kGreen);
  ColorFilter(pic, t);
  DoConformGammaRGB(pic, 120, 110, 100);
  CompositeMask(pic, original, 110, 60, false);

  GaussianBlur3x3(pic, 20, true, 8);
  UnSharpGaussianBlur5x5(pic, 10, 120);
  Median(pic, 2, 0);

  o.finalPass = DoCalcHistogram(pic, {.saturation = true, .stats = true});
  o.pixels = test::PixelBytes(pic);
  return o;
}

// Two threads measure and edit two pictures at once and get exactly what the same work gets
// one picture after the other: the engine keeps no state between or behind its calls. The
// pictures are large enough that each call splits its rows over further threads too.
TEST(ConcurrentPictures, TwoThreadsMatchTheSerialRuns) {
  const Dib pictures[2] = {
      test::NoisePicture(320, 240, 7),
      test::MakePicture(300, 260, [](int x, int y) { return MakeColor((x * 7) % 256, (y * 3) % 200, (x + y) % 160); }),
  };
  const Outcome serial[2] = {Work(pictures[0]), Work(pictures[1])};
  // The work changes the pictures, and differently, so a result crossing over would show.
  for (int i = 0; i < 2; ++i) ASSERT_NE(serial[i].pixels, test::PixelBytes(pictures[i])) << i;
  ASSERT_NE(serial[0].measured, serial[1].measured);
  ASSERT_NE(serial[0].pixels, serial[1].pixels);

  for (int round = 0; round < 2; ++round) {
    Outcome threaded[2];
    std::latch start(2);
    std::vector<std::thread> workers;
    for (int i = 0; i < 2; ++i)
      workers.emplace_back([&, i] {
        start.arrive_and_wait();  // both begin together
        threaded[i] = Work(pictures[i]);
      });
    for (auto& w : workers) w.join();
    for (int i = 0; i < 2; ++i) {
      EXPECT_EQ(threaded[i].measured, serial[i].measured) << "picture " << i << " round " << round;
      EXPECT_EQ(threaded[i].midtones, serial[i].midtones) << "picture " << i << " round " << round;
      EXPECT_EQ(threaded[i].white, serial[i].white) << "picture " << i << " round " << round;
      EXPECT_EQ(threaded[i].finalPass, serial[i].finalPass) << "picture " << i << " round " << round;
      EXPECT_EQ(threaded[i].pixels, serial[i].pixels) << "picture " << i << " round " << round;
    }
  }
}

}  // namespace
}  // namespace pelira
