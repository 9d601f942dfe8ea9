#include <gtest/gtest.h>
#include <zlib.h>

#include <cstdio>
#include <sstream>

#include "engine/tone_tables.h"
#include "engine_test_util.h"

namespace pelira {
namespace {

std::string Crc(const void* data, std::size_t n) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "%08lx", crc32(0L, static_cast<const Bytef*>(data), static_cast<uInt>(n)));
  return buf;
}

// Every builder across its argument range against the python3 tables (tables.txt).
TEST(ToneTables, BuildersMatchOracleAcrossRanges) {
  const auto lines = test::FixtureLines("engine/tables.txt");
  ASSERT_GT(lines.size(), 3000u);
  for (const std::string& line : lines) {
    std::istringstream in(line);
    std::string name, want;
    int a = 0, b = 0, c = 0;
    in >> name >> a >> b;
    if (name == "eq") in >> c;
    in >> want;
    ToneTables t;
    // Piecewise builders start from the identity, as in the oracle.
    const int ch = (a + b) % 3;
    std::string got;
    if (name == "gamma") {
      SetGammaLUT(t, a, ch);
    } else if (name == "midtone") {
      SetMidToneLUT(t, a);
    } else if (name == "bright") {
      SetBrightLUT(t, a, ch);
    } else if (name == "brightex") {
      SetBrightLUTex(t, a, ch);
      got = Crc(t.wide.data(), 512);
    } else if (name == "shift") {
      SetShiftLUT(t, a, ch);
    } else if (name == "contrast") {
      SetContrastLUT(t, a, ch);
    } else if (name == "supress") {
      SetSupressLUT(t, a, b, ch);
    } else if (name == "stretch") {
      SetStretchLUT(t, a, b, ch);
    } else if (name == "loremap") {
      SetLoRemap(t, a, b, ch);
    } else if (name == "hiremap") {
      SetHiRemap(t, a, b, ch);
    } else if (name == "eq") {
      SetEqLUT(t, a, b, ch, c);
    } else {
      FAIL() << "unknown builder " << name;
    }
    if (got.empty()) got = Crc((name == "midtone" ? t.green : t.Table(ch)).data(), 256);
    EXPECT_EQ(got, want) << line;
  }
}

TEST(ToneTables, EdgeValues) {
  ToneTables t;
  SetBrightLUT(t, 127, kRed);
  EXPECT_EQ(t.red[127], 254);
  EXPECT_EQ(t.red[128], 255);
  SetBrightLUT(t, -127, kRed);
  for (int i = 0; i < 256; ++i) ASSERT_EQ(t.red[i], 0) << i;
  SetShiftLUT(t, 50, kGreen);
  EXPECT_EQ(t.green[0], 0);
  EXPECT_EQ(t.green[1], 51);
  EXPECT_EQ(t.green[204], 254);
  EXPECT_EQ(t.green[205], 255);
  SetContrastLUT(t, -127, kBlue);
  EXPECT_EQ(t.blue[0], 0);
  EXPECT_EQ(t.blue[1], 127);
  EXPECT_EQ(t.blue[127], 127);
  EXPECT_EQ(t.blue[128], 128);
  EXPECT_EQ(t.blue[255], 128);
  SetStretchLUT(t, 0, 2, kRed);
  EXPECT_EQ(t.red[1], 128) << "127.5 rounds to the even neighbour";
  SetStretchLUT(t, 100, 100, kRed);
  EXPECT_EQ(t.red[99], 0);
  EXPECT_EQ(t.red[100], 255);
  SetEqLUT(t, 128, 64, kGreen, 32);
  EXPECT_EQ(t.green[128], 164);
  EXPECT_EQ(t.green[63], 63);
  EXPECT_EQ(t.green[193], 193);
}

TEST(ToneTables, IdentityArguments) {
  const std::function<void(ToneTables&)> builders[] = {
      [](ToneTables& t) { SetGammaLUT(t, 100, kGreen); },    [](ToneTables& t) { SetBrightLUT(t, 0, kGreen); },
      [](ToneTables& t) { SetShiftLUT(t, 0, kGreen); },      [](ToneTables& t) { SetContrastLUT(t, 0, kGreen); },
      [](ToneTables& t) { SetContrastLUT(t, 1, kGreen); },   [](ToneTables& t) { SetStretchLUT(t, 0, 255, kGreen); },
      [](ToneTables& t) { SetEqLUT(t, 100, 20, kGreen, 0); },
  };
  int n = 0;
  for (const auto& build : builders) {
    ToneTables t;
    t.green.fill(7);
    build(t);
    for (int i = 0; i < 256; ++i) ASSERT_EQ(t.green[i], i) << "builder " << n << " entry " << i;
    ++n;
  }
}

// Arguments outside the dialogs' ranges (scripts pass anything) are clamped: no write past
// a table, no wrapped byte, no division by zero.
TEST(ToneTables, OutOfRangeArgumentsAreClamped) {
  struct Case {
    const char* what;
    std::function<void(ToneTables&)> build;
    std::function<void(ToneTables&)> same;
  };
  const Case cases[] = {
      {"gamma 0", [](ToneTables& t) { SetGammaLUT(t, 0, kRed); }, [](ToneTables& t) { SetGammaLUT(t, 1, kRed); }},
      {"gamma -50", [](ToneTables& t) { SetGammaLUT(t, -50, kRed); }, [](ToneTables& t) { SetGammaLUT(t, 1, kRed); }},
      {"gamma 9000", [](ToneTables& t) { SetGammaLUT(t, 9000, kRed); }, [](ToneTables& t) { SetGammaLUT(t, 500, kRed); }},
      {"bright -300", [](ToneTables& t) { SetBrightLUT(t, -300, kRed); }, [](ToneTables& t) { SetBrightLUT(t, -127, kRed); }},
      {"bright 300", [](ToneTables& t) { SetBrightLUT(t, 300, kRed); }, [](ToneTables& t) { SetBrightLUT(t, 127, kRed); }},
      {"shift 999", [](ToneTables& t) { SetShiftLUT(t, 999, kRed); }, [](ToneTables& t) { SetShiftLUT(t, 127, kRed); }},
      {"stretch -5..300", [](ToneTables& t) { SetStretchLUT(t, -5, 300, kRed); }, [](ToneTables& t) { SetStretchLUT(t, 0, 255, kRed); }},
      {"loremap -9..400", [](ToneTables& t) { SetLoRemap(t, -9, 400, kRed); }, [](ToneTables& t) { SetLoRemap(t, 0, 255, kRed); }},
      {"hiremap 400..-9", [](ToneTables& t) { SetHiRemap(t, 400, -9, kRed); }, [](ToneTables& t) { SetHiRemap(t, 255, 0, kRed); }},
      {"eq band 0", [](ToneTables& t) { SetEqLUT(t, 128, 0, kRed, 50); }, [](ToneTables& t) { SetEqLUT(t, 128, 1, kRed, 50); }},
  };
  for (const Case& c : cases) {
    ToneTables a, b;
    c.build(a);
    c.same(b);
    EXPECT_EQ(a.red, b.red) << c.what;
    EXPECT_EQ(a.green, b.green) << c.what;
  }
}

}  // namespace
}  // namespace pelira
