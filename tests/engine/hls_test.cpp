#include <gtest/gtest.h>
#include <zlib.h>

#include <cmath>
#include <sstream>

#include "engine/hls.h"
#include "engine_test_util.h"

namespace pelira {
namespace {

std::string Crc(const std::vector<std::int32_t>& v) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "%08lx",
                crc32(0L, reinterpret_cast<const Bytef*>(v.data()), static_cast<uInt>(v.size() * 4)));
  return buf;
}

TEST(Hls, ConversionsMatchIntegerOracleOnGrids) {
  const auto lines = test::FixtureLines("engine/hls.txt");
  ASSERT_EQ(lines.size(), 2u);
  std::vector<std::int32_t> fwd, inv;
  for (int r = 0; r < 256; r += 3)
    for (int g = 0; g < 256; g += 3)
      for (int b = 0; b < 256; b += 3) {
        const Hls c = RGBToHLS(r, g, b);
        fwd.insert(fwd.end(), {c.h, c.l, c.s});
      }
  for (int h = 0; h <= 3600; h += 45)
    for (int l = 0; l <= 3600; l += 45)
      for (int s = 0; s <= 3600; s += 45) {
        const Rgb c = HLSToRGBClamped(h, l, s);
        inv.insert(inv.end(), {c.r, c.g, c.b});
      }
  EXPECT_EQ("rgb_to_hls step3 " + Crc(fwd), lines[0]);
  EXPECT_EQ("hls_to_rgb step45 " + Crc(inv), lines[1]);
}

TEST(Hls, AgreesWithColorsysWithinTwoUnits) {
  for (const std::string& line : test::FixtureLines("engine/colorsys.txt")) {
    std::istringstream in(line);
    int r, g, b;
    double h, l, s;
    in >> r >> g >> b >> h >> l >> s;
    const Hls c = RGBToHLS(r, g, b);
    const double dh = std::fabs(c.h - h);
    EXPECT_LE(std::min(dh, 3600 - dh), 2.0) << line;
    EXPECT_LE(std::fabs(c.l - l), 2.0) << line;
    EXPECT_LE(std::fabs(c.s - s), 2.0) << line;
  }
}

TEST(Hls, PrimariesAndGreys) {
  EXPECT_EQ(RGBToHLS(255, 0, 0), (Hls{0, 1800, 3600}));
  EXPECT_EQ(RGBToHLS(0, 255, 0).h, 1200);
  EXPECT_EQ(RGBToHLS(0, 0, 255).h, 2400);
  // Every grey survives the round trip (the rounded grey branch).
  for (int v = 0; v < 256; ++v) {
    const Hls c = RGBToHLS(v, v, v);
    ASSERT_EQ(c.s, 0);
    ASSERT_EQ(c.h, kUndefinedHue);
    ASSERT_EQ(HLSToRGB(c.h, c.l, c.s), (Rgb{v, v, v})) << v;
  }
}

}  // namespace
}  // namespace pelira
