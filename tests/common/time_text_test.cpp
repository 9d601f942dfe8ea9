#include "common/time_text.h"

#include <gtest/gtest.h>

namespace pelira {
namespace {

TEST(TimeText, SecondsAndTenths) {
  struct Case {
    std::int64_t ms;
    const char* text;
  } const cases[] = {
      {0, "0.0s"}, {99, "0.0s"}, {100, "0.1s"}, {1999, "1.9s"}, {2000, "2.0s"},
      {61234, "61.2s"}, {-5, "0.0s"},
  };
  for (const auto& c : cases) EXPECT_EQ(SecondsTenthsText(c.ms), c.text) << c.ms;
}

TEST(TimeText, LoadedTextTakesOff100msAbove200) {
  struct Case {
    std::int64_t ms;
    const char* text;
  } const cases[] = {
      {150, "Loaded 0.1s"}, {200, "Loaded 0.2s"}, {201, "Loaded 0.1s"},
      {299, "Loaded 0.1s"}, {300, "Loaded 0.2s"}, {1450, "Loaded 1.3s"},
  };
  for (const auto& c : cases) EXPECT_EQ(LoadedText(c.ms), c.text) << c.ms;
}

TEST(TimeText, SlidesPerMinute) {
  EXPECT_EQ(SlidesPerMinute(10, 6000), 100);
  EXPECT_EQ(SlidesPerMinute(7, 1201), 349);  // 7 * 60000 / 1201 = 349.7, truncated
  EXPECT_EQ(SlidesPerMinute(1, 120000), 0);
  EXPECT_EQ(SlidesPerMinute(5, 0), 0);
  EXPECT_EQ(SlidesPerMinuteText(10, 1200), "");  // not yet: 1.2 s have not passed
  EXPECT_EQ(SlidesPerMinuteText(10, 6000), "Slides/min: 100");
}

TEST(TimeText, RemainingTime) {
  struct Case {
    std::int64_t done, remaining, ms;
    const char* text;
  } const cases[] = {
      {10, 500, 1200, ""},                                             // shown only after 1.2 s
      {10, 500, 6000, "Slides/min: 100  ...  ~ 5 min. to finish"},
      {10, 150, 6000, "Slides/min: 100  ...  ~ 1 min. to finish"},    // 150 div 100 = 1
      {10, 250, 6000, "Slides/min: 100  ...  ~ 2 min. to finish"},
      {10, 0, 6000, "Slides/min: 100  ...  ~ 1 min. to finish"},
      {1, 90, 120000, "Slides/min: 1  ...  ~ 90 min. to finish"},     // rate 0 counts as 1
      {0, 30, 5000, "Slides/min: 1  ...  ~ 30 min. to finish"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(RemainingTimeText(c.done, c.remaining, c.ms), c.text)
        << c.done << " " << c.remaining << " " << c.ms;
}

}  // namespace
}  // namespace pelira
