#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "engine/hls.h"
#include "engine/resample.h"
#include "engine/spatial_filters.h"
#include "engine_test_util.h"
#include "support/test_support.h"

namespace pelira {
namespace {

using test::NoisePicture;
using test::PixelBytes;

// Byte c (0 blue, 1 green, 2 red) of pixel (x, y).
int At(const Dib& d, int x, int y, int c) { return d.ScanLine(y)[3 * x + c]; }
void Put(Dib& d, int x, int y, int c, int v) { d.ScanLine(y)[3 * x + c] = static_cast<std::uint8_t>(v); }

Dib ReadPpm(const std::string& name) {
  const std::vector<std::uint8_t> b = test::ReadBytes(test::Fixture("engine/" + name));
  // "P6\n<w> <h>\n255\n" then RGB triples
  std::string head(b.begin(), b.begin() + std::min<std::size_t>(b.size(), 32));
  int w = 0, h = 0, maxv = 0, used = 0;
  EXPECT_EQ(std::sscanf(head.c_str(), "P6 %d %d %d%n", &w, &h, &maxv, &used), 3);
  const std::size_t start = static_cast<std::size_t>(used) + 1;
  Dib d(w, h, 24);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      for (int c = 0; c < 3; ++c) Put(d, x, y, 2 - c, b[start + 3 * (static_cast<std::size_t>(y) * w + x) + c]);
  return d;
}

// --- plain evaluations of the formulas, pixel by pixel --------------------------------------

Dib RefSpatial(const Dib& s, const Kernel3x3& k, int div) {
  Dib o = s;
  for (int y = 1; y + 1 < s.Height(); ++y)
    for (int x = 1; x + 1 < s.Width(); ++x)
      for (int c = 0; c < 3; ++c) {
        int sum = 0;
        for (int j = 0; j < 3; ++j)
          for (int i = 0; i < 3; ++i) sum += k[static_cast<std::size_t>(j * 3 + i)] * At(s, x + i - 1, y + j - 1, c);
        Put(o, x, y, c, std::clamp(sum / div, 0, 255));
      }
  return o;
}

Dib RefBoxMean(const Dib& s, int t, bool exclude, int div) {
  Dib o = s;
  for (int y = 1; y + 1 < s.Height(); ++y)
    for (int x = 1; x + 1 < s.Width(); ++x)
      for (int c = 0; c < 3; ++c) {
        int sum = 0;
        for (int j = -1; j <= 1; ++j)
          for (int i = -1; i <= 1; ++i)
            if (!(exclude && i == 0 && j == 0)) sum += At(s, x + i, y + j, c);
        const int m = std::min(255, sum / div);
        if (std::abs(At(s, x, y, c) - m) > t) Put(o, x, y, c, m);
      }
  return o;
}

Dib RefMedian(const Dib& s, int level, int spot) {
  Dib o = s;
  const int w = s.Width(), h = s.Height();
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      for (int c = 0; c < 3; ++c) {
        std::vector<int> v;
        for (int dy = -3; dy <= 3; ++dy)
          for (int dx = -3; dx <= 3; ++dx)
            if (MedianWindowHas(level, dx, dy))
              v.push_back(At(s, std::clamp(x + dx, 0, w - 1), std::clamp(y + dy, 0, h - 1), c));
        std::sort(v.begin(), v.end());
        const int med = v[(v.size() - 1) / 2];
        const int in = At(s, x, y, c);
        bool replace = spot == 0;
        if (spot > 0) replace = in > 4 * spot && in > med;
        if (spot < 0) replace = in > -4 * spot && in < med;
        if (replace) Put(o, x, y, c, med);
      }
  return o;
}

Dib RefDeScreen(const Dib& s, int mode) {
  Dib o = s;
  const auto& wt = DeScreenWeights(mode);
  for (int y = 2; y + 2 < s.Height(); ++y)
    for (int x = 2; x + 2 < s.Width(); ++x)
      for (int c = 0; c < 3; ++c) {
        int sum = 0;
        for (int j = 0; j < 5; ++j)
          for (int i = 0; i < 5; ++i) sum += wt[static_cast<std::size_t>(j * 5 + i)] * At(s, x + i - 2, y + j - 2, c);
        Put(o, x, y, c, std::min(255, sum / DeScreenDivisor(mode)));
      }
  return o;
}

Dib RefGuided(const Dib& s, int t, int a, bool unsharp) {
  Dib o = s;
  for (int y = 2; y + 2 < s.Height(); ++y)
    for (int x = 2; x + 2 < s.Width(); ++x) {
      int m[3];
      for (int c = 0; c < 3; ++c) {
        int sum = 0;
        for (int j = -2; j <= 2; ++j)
          for (int i = -2; i <= 2; ++i) sum += At(s, x + i, y + j, c);
        m[c] = sum / 25;
      }
      const Hls ho = RGBToHLS(At(s, x, y, 2), At(s, x, y, 1), At(s, x, y, 0));
      const int d = ho.l - RGBToHLS(m[2], m[1], m[0]).l;
      if (!unsharp) {
        if (std::abs(d) < t)
          for (int c = 0; c < 3; ++c) Put(o, x, y, c, At(s, x, y, c) + (m[c] - At(s, x, y, c)) * a / 255);
      } else if (std::abs(d) > t) {
        const int l = d > 0 ? std::min(3600, ho.l + a * 2 * std::abs(d) / 255) : std::max(0, ho.l - a * 2 * std::abs(d) / 255);
        const Rgb r = HLSToRGB(ho.h, l, ho.s);
        Put(o, x, y, 2, std::clamp(r.r, 0, 255));
        Put(o, x, y, 1, std::clamp(r.g, 0, 255));
        Put(o, x, y, 0, std::clamp(r.b, 0, 255));
      }
    }
  return o;
}

Dib RefDefog(const Dib& s, int strength, int sat) {
  Dib o = s;
  for (int y = 0; y < s.Height(); ++y)
    for (int x = 0; x < s.Width(); ++x) {
      const int r = At(s, x, y, 2), g = At(s, x, y, 1), b = At(s, x, y, 0);
      const int w = (255 - r) * (255 - r) + (255 - g) * (255 - g) + (255 - b) * (255 - b);
      const Hls h = RGBToHLS(r, g, b);
      const int s2 = std::min(3599, h.s * w / 195075 * sat / 128 + h.s);
      Rgb c = HLSToRGB(h.h, h.l, s2);
      c = {std::clamp(c.r, 0, 255), std::clamp(c.g, 0, 255), std::clamp(c.b, 0, 255)};
      const int f = (std::min({c.r, c.g, c.b}) * w / 195075) * strength / 255;
      Put(o, x, y, 2, c.r - f);
      Put(o, x, y, 1, c.g - f);
      Put(o, x, y, 0, c.b - f);
    }
  return o;
}

Dib RefPairs(const Dib& s, int variant) {
  Dib o = s;
  for (int y = 0; y + 1 < s.Height(); y += 2)
    for (int x = 1; x < s.Width(); ++x)
      for (int c = 0; c < 3; ++c) {
        const int a = At(s, x - 1, y, c), b = At(s, x, y, c), cc = At(s, x - 1, y + 1, c), d = At(s, x, y + 1, c);
        const int v = variant == 0 ? (2 * a + cc + b + 2 * d) / 6 : (a + 2 * cc + 2 * b + d) / 6;
        Put(o, x, y, c, v);
        Put(o, x, y + 1, c, v);
      }
  return o;
}

// --- every fast path against its plain evaluation on random pictures -------------------------

struct Case {
  std::string name;
  std::function<void(Dib&)> fast;
  std::function<Dib(const Dib&)> plain;
};

std::vector<Case> AllCases() {
  std::vector<Case> cases;
  auto kernel = [&](const std::string& name, const Kernel3x3& k) {
    cases.push_back({name, [k](Dib& d) { Spatial3x3(d, k, KernelSum(k)); },
                     [k](const Dib& s) { return RefSpatial(s, k, KernelSum(k)); }});
  };
  for (int l = 1; l <= 10; ++l) kernel("Soften" + std::to_string(l), SoftenKernel(l));
  for (int a : {0, 1, 60, 143, 254}) kernel("DeFocus" + std::to_string(a), DeFocusKernel(a));
  for (int s = 1; s <= 8; ++s) kernel("MeanRemoval" + std::to_string(s), MeanRemovalKernel(s));
  for (int s = 1; s <= 4; ++s) {
    kernel("HighPassMedium" + std::to_string(s), HighPassMediumKernel(s));
    kernel("HighPassLight" + std::to_string(s), HighPassLightKernel(s));
  }
  for (auto [t, ex, dv] : {std::tuple{0, false, 9}, {40, false, 9}, {254, false, 9}, {10, true, 8}, {3, false, 7}, {-5, true, 9}, {300, false, 9}}) {
    cases.push_back({"Box" + std::to_string(t) + "/" + std::to_string(ex) + "/" + std::to_string(dv),
                     [=](Dib& d) { GaussianBlur3x3(d, t, ex, dv); },
                     [=](const Dib& s) { return RefBoxMean(s, t, ex, dv); }});
  }
  for (int level = 1; level <= 9; ++level)
    for (int spot : {0, 3, -2}) {
      cases.push_back({"Median" + std::to_string(level) + "/" + std::to_string(spot),
                       [=](Dib& d) { Median(d, level, spot); }, [=](const Dib& s) { return RefMedian(s, level, spot); }});
    }
  for (int m = 0; m <= 2; ++m)
    cases.push_back({"DeScreen" + std::to_string(m), [m](Dib& d) { DeScreen5x5(d, m); },
                     [m](const Dib& s) { return RefDeScreen(s, m); }});
  for (auto [t, a] : {std::pair{240, 64}, {95, 240}, {3000, 255}}) {
    cases.push_back({"Clean" + std::to_string(t), [=](Dib& d) { SharpGaussianBlur5x5(d, t, a); },
                     [=](const Dib& s) { return RefGuided(s, t, a, false); }});
  }
  for (auto [t, a] : {std::pair{95, 48}, {160, 48}, {0, 255}}) {
    cases.push_back({"Unsharp" + std::to_string(t), [=](Dib& d) { UnSharpGaussianBlur5x5(d, t, a); },
                     [=](const Dib& s) { return RefGuided(s, t, a, true); }});
  }
  for (auto [st, sa] : {std::pair{255, 64}, {64, 255}, {1, 1}})
    cases.push_back({"DeFog" + std::to_string(st), [=](Dib& d) { DoDefog(d, st, sa); },
                     [=](const Dib& s) { return RefDefog(s, st, sa); }});
  for (int v : {0, 1})
    cases.push_back({"Pairs" + std::to_string(v), [v](Dib& d) { DeMosiac2x2(d, v); },
                     [v](const Dib& s) { return RefPairs(s, v); }});
  return cases;
}

TEST(SpatialFilters, FastPathsEqualThePlainFormulaOnRandomPictures) {
  // Odd sizes, the sizes where windows barely fit or do not fit, and one large enough to be
  // split over the cores.
  const std::pair<int, int> sizes[] = {{1, 9}, {9, 1}, {2, 2}, {3, 3}, {4, 7}, {5, 5}, {17, 2}, {31, 23}, {301, 230}};
  std::uint32_t seed = 1;
  for (const Case& c : AllCases()) {
    for (auto [w, h] : sizes) {
      const bool big = w * h > 10000;
      // The large one for a sample of cases only; the plain median of 49 is slow here.
      if (big && (c.name.rfind("Median", 0) == 0 && c.name != "Median9/0" && c.name != "Median2/0" &&
                  c.name != "Median5/3"))
        continue;
      const Dib src = NoisePicture(w, h, seed++);
      Dib fast = src;
      c.fast(fast);
      const Dib plain = c.plain(src);
      ASSERT_EQ(PixelBytes(fast), PixelBytes(plain)) << c.name << " on " << w << "x" << h;
    }
  }
}

// Smooth pictures with specks: medians and thresholds meet long runs of equal values there,
// which noise never gives.
TEST(SpatialFilters, FastPathsEqualThePlainFormulaOnSmoothPictures) {
  const Dib src = ReadPpm("filters_src.ppm");
  for (const Case& c : AllCases()) {
    Dib fast = src;
    c.fast(fast);
    ASSERT_EQ(PixelBytes(fast), PixelBytes(c.plain(src))) << c.name;
  }
}

// --- independent tools -----------------------------------------------------------------------

TEST(SpatialFilters, SquareMediansMatchImageMagick) {
  const Dib src = ReadPpm("filters_src.ppm");
  for (auto [level, file] : {std::pair{2, "filters_median3.ppm"}, {6, "filters_median5.ppm"}, {9, "filters_median7.ppm"}}) {
    Dib d = src;
    ASSERT_TRUE(Median(d, level, 0));
    EXPECT_EQ(PixelBytes(d), PixelBytes(ReadPpm(file))) << file;
  }
}

TEST(SpatialFilters, KernelsMatchImageMagickCorrelateWithinRounding) {
  const Dib src = ReadPpm("filters_src.ppm");
  struct K {
    std::function<void(Dib&)> run;
    const char* file;
    int h;
  };
  const K ks[] = {{[](Dib& d) { Soften(d, 3); }, "filters_soften3.ppm", 1},
                  {[](Dib& d) { DeScreen5x5(d, 2); }, "filters_descreen2.ppm", 2}};
  for (const K& k : ks) {
    Dib d = src;
    k.run(d);
    const Dib im = ReadPpm(k.file);
    int worst = 0, changed = 0;
    for (int y = k.h; y + k.h < d.Height(); ++y)
      for (int x = k.h; x + k.h < d.Width(); ++x)
        for (int c = 0; c < 3; ++c) {
          worst = std::max(worst, std::abs(At(d, x, y, c) - At(im, x, y, c)));
          changed += At(d, x, y, c) != At(src, x, y, c);
        }
    EXPECT_LE(worst, 1) << k.file;
    EXPECT_GT(changed, 100) << k.file;
  }
}

// --- kernels and guards ----------------------------------------------------------------------

TEST(SpatialFilters, DeFocusKernelEnds) {
  // strength 255 (a = 0): the plain average; strength 1 (a = 254): d = 10, c = 102.
  EXPECT_EQ(DeFocusKernel(0), (Kernel3x3{1, 1, 1, 1, 1, 1, 1, 1, 1}));
  EXPECT_EQ(DeFocusKernel(254), (Kernel3x3{1, 10, 1, 10, 102, 10, 1, 10, 1}));
  EXPECT_EQ(DeFocusKernel(100000), DeFocusKernel(254));
  EXPECT_EQ(DeFocusKernel(-5), DeFocusKernel(0));
}

TEST(SpatialFilters, LevelsOutsideTheirRangesGiveDefinedKernelsAndDivisors) {
  const struct {
    Kernel3x3 got, want;
  } cases[] = {
      {MeanRemovalKernel(9), MeanRemovalKernel(8)},  {MeanRemovalKernel(0), MeanRemovalKernel(1)},
      {HighPassMediumKernel(5), HighPassMediumKernel(4)}, {HighPassLightKernel(99), HighPassLightKernel(4)},
      {HighPassLightKernel(-1), HighPassLightKernel(1)},  {SoftenKernel(0), SoftenKernel(1)},
      {SoftenKernel(11), SoftenKernel(10)},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.got, c.want);
    EXPECT_GE(KernelSum(c.got), 1);
  }
  EXPECT_EQ(KernelSum(SoftenKernel(10)), 123);
  EXPECT_EQ(KernelSum(SoftenKernel(1)), 44);
  EXPECT_EQ(KernelSum(MeanRemovalKernel(8)), 1);
}

TEST(SpatialFilters, ZeroDivisorsDoNotDivideByZero) {
  const Dib src = NoisePicture(9, 8, 3);
  Dib a = src, b = src;
  Spatial3x3(a, MeanRemovalKernel(4), 0);
  EXPECT_EQ(PixelBytes(a), PixelBytes(RefSpatial(src, MeanRemovalKernel(4), 1)));
  GaussianBlur3x3(b, 0, false, 0);
  EXPECT_EQ(PixelBytes(b), PixelBytes(RefBoxMean(src, 0, false, 1)));
}

// Divisors other than the kernel's sum: saturating, odd and negative ones.
TEST(SpatialFilters, AnyDivisorDividesAsThePlainFormula) {
  const Dib src = NoisePicture(33, 12, 5);
  for (const Kernel3x3& k : {SoftenKernel(3), MeanRemovalKernel(2), DeFocusKernel(254)}) {
    for (int div : {1, 3, 7, 13, 250, -1, -7}) {
      Dib d = src;
      Spatial3x3(d, k, div);
      EXPECT_EQ(PixelBytes(d), PixelBytes(RefSpatial(src, k, div))) << div;
    }
  }
}

// --- the pictures the behaviour is defined on -------------------------------------------------

Dib Flat(int w, int h, int v) {
  return test::MakePicture(w, h, [v](int, int) { return static_cast<std::uint32_t>(v * 0x010101); });
}

TEST(SpatialFilters, MeanRemovalEightKeepsFlatAreasAndAmplifiesSteps) {
  Dib d = test::MakePicture(8, 5, [](int x, int) { return x < 4 ? 0x505050u : 0x545454u; });
  MeanRemoval(d, 8);
  EXPECT_EQ(At(d, 1, 2, 0), 0x50);
  EXPECT_EQ(At(d, 6, 2, 0), 0x54);
  // 9 x 0x50 - (3 x 0x50 + 3 x 0x54 + 2 x 0x50) ... at the step: 0x50 - 3 x 4 = 68
  EXPECT_EQ(At(d, 3, 2, 0), 0x50 - 3 * 4);
  EXPECT_EQ(At(d, 4, 2, 0), 0x54 + 3 * 4);
  Dib hard = test::MakePicture(8, 5, [](int x, int) { return x < 4 ? 0x000000u : 0xC0C0C0u; });
  MeanRemoval(hard, 8);
  EXPECT_EQ(At(hard, 3, 2, 1), 0);
  EXPECT_EQ(At(hard, 4, 2, 1), 255);
}

TEST(SpatialFilters, NarrowPicturesKeepTheirPixelsExceptUnderTheMedian) {
  for (auto [w, h] : {std::pair{1, 12}, {12, 2}}) {
    const Dib src = NoisePicture(w, h, 77);
    for (const Case& c : AllCases()) {
      if (c.name.rfind("Median", 0) == 0 || c.name.rfind("DeFog", 0) == 0 || c.name.rfind("Pairs", 0) == 0) continue;
      Dib d = src;
      c.fast(d);
      EXPECT_EQ(PixelBytes(d), PixelBytes(src)) << c.name << " " << w << "x" << h;
    }
    Dib m = src;
    Median(m, 2, 0);
    EXPECT_NE(PixelBytes(m), PixelBytes(src));
  }
}

TEST(SpatialFilters, GaussianAtStrengthOneReplacesOnlyFullDifferences) {
  Dib d = Flat(5, 5, 0);
  Put(d, 2, 2, 1, 255);  // mean 28: differs by 227
  Dib e = d;
  GaussianBlur3x3(d, 254, false, 9);
  EXPECT_EQ(PixelBytes(d), PixelBytes(e));
  GaussianBlur3x3(e, 0, false, 9);
  EXPECT_EQ(At(e, 2, 2, 1), 255 / 9);
}

TEST(SpatialFilters, UnSpotSaltRemovesWhiteSpecksPepperLeavesThem) {
  Dib salt = Flat(7, 7, 0);
  Put(salt, 3, 3, 0, 255);
  Put(salt, 3, 3, 1, 255);
  Put(salt, 3, 3, 2, 255);
  Dib pepper = salt;
  const Dib before = salt;
  Median(salt, 1, 8);
  EXPECT_EQ(PixelBytes(salt), PixelBytes(Flat(7, 7, 0)));
  Median(pepper, 1, -8);
  EXPECT_EQ(PixelBytes(pepper), PixelBytes(before));
}

TEST(SpatialFilters, MedianNineOnACheckerboardTakesTheMedianOf49) {
  // 25 white and 24 black cells around the centre: the median is white everywhere inside.
  Dib d = test::MakePicture(7, 7, [](int x, int y) { return (x + y) % 2 ? 0u : 0xFFFFFFu; });
  Median(d, 9, 0);
  EXPECT_EQ(At(d, 3, 3, 0), 255);
  EXPECT_EQ(PixelBytes(d), PixelBytes(RefMedian(test::MakePicture(7, 7, [](int x, int y) {
              return (x + y) % 2 ? 0u : 0xFFFFFFu;
            }), 9, 0)));
}

TEST(SpatialFilters, FlatAndWhiteAreasStayAsTheyAre) {
  for (int v : {0, 77, 255}) {
    for (int mode = 0; mode <= 2; ++mode) {
      Dib d = Flat(9, 9, v);
      DeScreen5x5(d, mode);
      EXPECT_EQ(PixelBytes(d), PixelBytes(Flat(9, 9, v))) << mode;
    }
  }
  Dib white = Flat(6, 4, 255);
  DoDefog(white, 255, 255);
  EXPECT_EQ(PixelBytes(white), PixelBytes(Flat(6, 4, 255)));
}

TEST(SpatialFilters, PalettePicturesAreLeftToTheCommands) {
  Dib d(8, 8, 8);
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 8; ++x) d.SetIndex(x, y, static_cast<std::uint32_t>((x * 37 + y * 11) & 255));
  const Dib before = d;
  Median(d, 2, 0);
  DeScreen5x5(d, 1);
  DeMosiac2x2(d, 0);
  Soften(d, 5);
  EXPECT_TRUE(test::SamePicture(d, before));
}

// --- progress and stopping ------------------------------------------------------------------

TEST(SpatialFilters, ProgressClimbsToTheLastRowAndAStopPutsThePictureBack) {
  const std::vector<std::pair<std::string, std::function<bool(Dib&, const FilterProgress&)>>> filters = {
      {"kernel", [](Dib& d, const FilterProgress& p) { return Soften(d, 3, p); }},
      {"box", [](Dib& d, const FilterProgress& p) { return GaussianBlur3x3(d, 0, false, 9, p); }},
      {"median", [](Dib& d, const FilterProgress& p) { return Median(d, 6, 0, p); }},
      {"descreen", [](Dib& d, const FilterProgress& p) { return DeScreen5x5(d, 0, p); }},
      {"clean", [](Dib& d, const FilterProgress& p) { return SharpGaussianBlur5x5(d, 255, 200, p); }},
      {"defog", [](Dib& d, const FilterProgress& p) { return DoDefog(d, 200, 200, p); }},
      {"pairs", [](Dib& d, const FilterProgress& p) { return DeMosiac2x2(d, 0, p); }},
  };
  const Dib src = NoisePicture(40, 101, 9);
  for (const auto& [name, run] : filters) {
    std::vector<int> rows;
    Dib d = src;
    EXPECT_TRUE(run(d, [&](int row, int total) {
      EXPECT_EQ(total, 101);
      rows.push_back(row);
      return true;
    })) << name;
    ASSERT_GE(rows.size(), 10u) << name;
    EXPECT_TRUE(std::is_sorted(rows.begin(), rows.end())) << name;
    EXPECT_NE(PixelBytes(d), PixelBytes(src)) << name;

    Dib stopped = src;
    int calls = 0;
    EXPECT_FALSE(run(stopped, [&](int, int) { return ++calls < 3; })) << name;
    EXPECT_EQ(calls, 3) << name;
    EXPECT_EQ(PixelBytes(stopped), PixelBytes(src)) << name;
  }
}

// --- resample --------------------------------------------------------------------------------

TEST(Resample, SizesAndTheCasesThatChangeNothing) {
  const struct {
    int w0, h0, bits, w, h;
    ResampleResult result;
    int wantW, wantH, wantBits;
  } cases[] = {
      {64, 48, 24, 32, 24, ResampleResult::Done, 32, 24, 24},
      {64, 48, 24, 100, 80, ResampleResult::Done, 100, 80, 24},
      {64, 48, 8, 32, 24, ResampleResult::Done, 32, 24, 24},
      {64, 48, 24, 64, 48, ResampleResult::Unchanged, 64, 48, 24},
      {64, 48, 24, 15, 40, ResampleResult::Unchanged, 64, 48, 24},
      {64, 48, 24, 40, 15, ResampleResult::Unchanged, 64, 48, 24},
      {64, 48, 24, 40, -3, ResampleResult::Unchanged, 64, 48, 24},
      {64, 48, 1, 32, 48, ResampleResult::Done, 32, 48, 1},
      {20, 20, 24, 99999, 16, ResampleResult::Done, kResampleMaxSide, 16, 24},
  };
  for (const auto& c : cases) {
    Dib d(c.w0, c.h0, c.bits);
    EXPECT_EQ(Resample(d, c.w, c.h), c.result) << c.w << "x" << c.h;
    EXPECT_EQ(d.Width(), c.wantW);
    EXPECT_EQ(d.Height(), c.wantH);
    EXPECT_EQ(d.BitCount(), c.wantBits);
  }
}

TEST(Resample, ShrinkingAverages) {
  // Columns alternate black and white: halving the width gives greys near the middle.
  Dib d = test::MakePicture(64, 32, [](int x, int) { return x % 2 ? 0xFFFFFFu : 0u; });
  ASSERT_EQ(Resample(d, 32, 16), ResampleResult::Done);
  for (int x = 0; x < 32; x += 7) EXPECT_NEAR(At(d, x, 8, 1), 128, 2) << x;
}

}  // namespace
}  // namespace pelira
