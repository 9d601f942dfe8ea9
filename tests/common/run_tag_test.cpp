#include "common/run_tag.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <regex>
#include <set>

namespace pelira {
namespace {

TEST(RunTag, Format) {
  struct Case {
    std::uint32_t random, handle;
    const char* tag;
  } const cases[] = {
      {0x0A1B2C3Du, 0x04F2u, "_0A1B2C3D04F2"},
      {0, 0, "_000000000000"},
      {268435454u, 0xFFFFu, "_0FFFFFFEFFFF"},   // the largest random number
      {0x00000001u, 0xABCDEu, "_00000001BCDE"},  // only 16 bits of the handle
      {268435455u, 7, "_000000000007"},          // out of range: reduced modulo 268435455
  };
  for (const auto& c : cases) EXPECT_EQ(FormatRunTag(c.random, c.handle), c.tag);
}

TEST(RunTag, UsesTheInjectedSource) {
  std::uint32_t asked = 0;
  TagRandom fixed = [&](std::uint32_t max) {
    asked = max;
    return 0x00C0FFEEu;
  };
  EXPECT_EQ(MakeRunTag(fixed, 0x1234), "_00C0FFEE1234");
  EXPECT_EQ(asked, 268435454u);
}

TEST(RunTag, RandomDigits) {
  EXPECT_EQ(RandomDigits("_0A1B2C3D04F2"), "0A1B2C3D");
  for (const char* bad : {"", "_", "0A1B2C3D04F2", "_0a1b2c3d04f2", "_0A1B2C3D04F", "_0A1B2C3D04F2X",
                          "_0A1B2C3G04F2"})
    EXPECT_EQ(RandomDigits(bad), "") << bad;
}

TEST(RunTag, DefaultSourceStaysInRange) {
  TagRandom src = DefaultRandomSource();
  std::set<std::uint32_t> seen;
  for (int i = 0; i < 1000; ++i) {
    const std::uint32_t v = src(kRunTagRandomMax);
    ASSERT_LE(v, kRunTagRandomMax);
    seen.insert(v);
  }
  EXPECT_GT(seen.size(), 990u);  // 1000 draws from 2^28 values: collisions are very rare
  for (int i = 0; i < 100; ++i) ASSERT_LE(src(3), 3u);
}

TEST(RunTag, ThisRunTagIsMadeOnce) {
  const std::string& tag = ThisRunTag();
  EXPECT_TRUE(std::regex_match(tag, std::regex("_0[0-9A-F]{7}[0-9A-F]{4}"))) << tag;
  EXPECT_EQ(&ThisRunTag(), &tag);
  char pid[8];
  std::snprintf(pid, sizeof pid, "%04X", static_cast<unsigned>(::getpid()) & 0xFFFFu);
  EXPECT_EQ(tag.substr(9), pid);
}

}  // namespace
}  // namespace pelira
