#include <gtest/gtest.h>

#include "app/options_rules.h"

namespace pelira {
namespace {

TEST(OptionsRules, DelayLabelVolumeAndPages) {
  const struct { std::int32_t ms; const char* label; } delays[] = {
      {12345, "&Delay = 12.3s"}, {0, "&Delay = 0.0s"}, {999, "&Delay = 0.9s"}, {3600000, "&Delay = 3600.0s"}};
  for (const auto& d : delays) EXPECT_EQ(DelayLabelText(d.ms), d.label) << d.ms;
  const struct { std::int32_t position, stored, player; } volumes[] = {
      {0, 1, -6908}, {-5, 1, -6908}, {1, 1, -6908}, {500, 500, -693}, {1000, 1000, 0}};
  for (const auto& v : volumes) {
    EXPECT_EQ(StoredVolumePosition(v.position), v.stored) << v.position;
    EXPECT_EQ(PlayerVolume(v.position), v.player) << v.position;
  }
  EXPECT_EQ(OptionsPageOf(7), OptionsPage::Viewer);
  EXPECT_EQ(OptionsPageOf(4), OptionsPage::Explorer);
  EXPECT_EQ(OptionsPageFor(true, true, false), OptionsPage::Multimedia);
  EXPECT_EQ(OptionsPageFor(false, true, false), OptionsPage::Graphics);
  EXPECT_EQ(OptionsPageFor(false, true, true), OptionsPage::Viewer);
  EXPECT_EQ(OptionsPageHelp(OptionsPage::Slideshow), 300);
  EXPECT_EQ(OptionsPageHelp(OptionsPage::Graphics), 103);
}

}  // namespace
}  // namespace pelira
