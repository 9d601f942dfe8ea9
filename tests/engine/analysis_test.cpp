#include "engine/analysis.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>

#include "engine/engine_test_util.h"
#include "imaging_library/image_ops.h"
#include "support/test_pictures.h"
#include "support/test_support.h"

namespace pelira {
namespace {

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

bool Has(const std::vector<std::string>& lines, const std::string& line) {
  return std::find(lines.begin(), lines.end(), line) != lines.end();
}

AnalysisSubject Subject(std::uint64_t size) {
  AnalysisSubject s;
  s.name = "a.ppm";
  s.folder = "/pictures/";
  s.fileSize = size;
  return s;
}

// The statistics lines against python3's statistics module over the same pixels.
TEST(Analysis, StatisticsMatchPython) {
  const AnalysisResult r = AnalyzePicture(ReadPpm("compute_a.ppm"), Subject(400));
  for (const std::string& want : test::FixtureLines("engine/analysis_a.txt")) EXPECT_TRUE(Has(r.lines, want)) << want;
  ASSERT_GE(r.lines.size(), 4u);
  EXPECT_EQ(r.lines[0], "Filename: a.ppm");
  EXPECT_EQ(r.lines[1], "Location: /pictures/");
  EXPECT_EQ(r.lines[2], "");
  EXPECT_EQ(r.lines[3].rfind("Red values:  Mean = ", 0), 0u);
  EXPECT_EQ(r.pixels, 19u * 11u);
}

// The report's order and blank lines, with and without comparison mode.
TEST(Analysis, LineLayout) {
  const Dib pic = test::PatternPicture(40, 30, 2);
  AnalysisOptions o;
  o.complexity = true;
  const auto full = AnalyzePicture(pic, Subject(1000), o).lines;
  const char* order[] = {"Filename:", "Location:", "", "Red values:", "", "Grn values:", "", "Blu values:", "",
                         "Gry values:", "", "", "Sat values:", "", "Hue values:", "", "Estimated Unique Colors:",
                         "Filesize:", "Color Diversity Index =", "JPEG Quality Index =", "Smoothness Index =",
                         "Detail Index =", "Overall Rating =", "Complexity Rating =", ""};
  ASSERT_EQ(full.size(), std::size(order));
  for (std::size_t i = 0; i < full.size(); ++i) EXPECT_EQ(full[i].rfind(order[i], 0), 0u) << i << ": " << full[i];
  o.comparison = true;
  o.complexity = false;
  const auto cmp = AnalyzePicture(pic, Subject(1000), o).lines;
  const auto blanks = std::count(cmp.begin(), cmp.end(), "");
  EXPECT_EQ(blanks, 1);  // only the one before the saturation line
}

TEST(Analysis, SizeRatioAndFlatPictures) {
  // A grey picture: three equal gamuts, so the ratio is against N bytes, not 3N.
  Dib grey(20, 10, 24);
  for (int y = 0; y < 10; ++y)
    for (int x = 0; x < 20; ++x) grey.SetPixel(x, y, MakeColor(x * 12, x * 12, x * 12));
  EXPECT_TRUE(Has(AnalyzePicture(grey, Subject(100)).lines, "Filesize: 100 bytes (2 : 1 compression)"));
  EXPECT_TRUE(Has(AnalyzePicture(test::PatternPicture(20, 10, 1), Subject(400)).lines,
                  "Filesize: 400 bytes (1.5 : 1 compression)"));
  // No file size: no ratio to give.
  EXPECT_TRUE(Has(AnalyzePicture(grey, Subject(0)).lines, "Filesize: 0 bytes"));
  // A flat picture changes under no filter: every index is a number, the rating 0.
  Dib flat(16, 16, 24);
  const AnalysisResult r = AnalyzePicture(flat, Subject(50));
  EXPECT_EQ(r.rating, 0.0);
  for (const std::string& l : r.lines) EXPECT_EQ(l.find("nan"), std::string::npos) << l;
  EXPECT_TRUE(Has(r.lines, "Overall Rating = 0 (higher is better)"));
}

// A palette picture is measured in true colour, never in its indices.
TEST(Analysis, PalettePicturesAreMeasuredAsTrueColour) {
  Dib pal(30, 20, 8);
  for (int y = 0; y < 20; ++y)
    for (int x = 0; x < 30; ++x) pal.SetIndex(x, y, static_cast<std::uint32_t>((x * 7 + y * 3) % 256));
  EXPECT_EQ(AnalyzePicture(pal, Subject(300)).lines, AnalyzePicture(ToTrueColor(pal), Subject(300)).lines);
}

TEST(Analysis, NumberFormats) {
  struct Case {
    double v;
    const char* fixed;
    const char* hash;
  };
  const Case cases[] = {{127.125, "127.12", "127.12"}, {0.5, "0.50", ".5"}, {2.0, "2.00", "2"},
                        {1.567, "1.57", "1.57"},       {0.0, "0.00", "0"},  {0.004, "0.00", "0"},
                        {12345.6, "12345.60", "12345.6"}};
  for (const Case& c : cases) {
    EXPECT_EQ(FormatFixed2(c.v), c.fixed) << c.v;
    EXPECT_EQ(FormatFloatHash2(c.v), c.hash) << c.v;
  }
}

TEST(Analysis, TheBetterOfTwo) {
  auto R = [](std::uint64_t px, std::uint64_t size, double q, double smooth, double detail, double rating) {
    AnalysisResult r;
    r.pixels = px;
    r.fileSize = size;
    r.jpegQuality = q;
    r.smoothness = smooth;
    r.detail = detail;
    r.rating = rating;
    return r;
  };
  struct Case {
    AnalysisResult a, b;
    int better;
  };
  const Case cases[] = {
      // The second is smaller and loses quality, and is softer: the first.
      {R(100, 2000, 5, 10, 8, 50), R(100, 1500, 4, 11, 8, 50), 1},
      // The second is larger, keeps more and has more detail: the second.
      {R(100, 1500, 4, 10, 8, 50), R(100, 2000, 5, 10, 9, 50), 2},
      // Smaller but better quality: neither rule holds.
      {R(100, 2000, 4, 10, 8, 50), R(100, 1500, 5, 10, 8, 50), 0},
      // Different pixel counts are never compared.
      {R(100, 2000, 5, 10, 8, 50), R(101, 1500, 4, 11, 7, 40), 0},
  };
  for (const Case& c : cases) EXPECT_EQ(BetterPicture(c.a, c.b), c.better);
  const AnalysisSubject first = Subject(2000), second{"b.jpg", "/other/", 1500, false, false};
  const auto lines = ComparisonReport(cases[0].a, first, cases[0].b, second);
  ASSERT_GE(lines.size(), 3u);
  EXPECT_EQ(lines[lines.size() - 3], "");
  EXPECT_EQ(lines[lines.size() - 2], "/pictures/");
  EXPECT_EQ(lines.back(), "a.ppm is better.");
}

}  // namespace
}  // namespace pelira
