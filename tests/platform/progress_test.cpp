#include <gtest/gtest.h>

#include <climits>
#include <cstdint>

#include "common/request_flags.h"
#include "platform/progress.h"

namespace pelira {
namespace {

constexpr std::int64_t kMax64 = INT64_MAX;

TEST(PercentOf, ExactForAnySizeAndClamped) {
  struct Case {
    std::int64_t position, max;
    int expected;
  };
  const Case cases[] = {
      {0, 100, 0},         {1, 3, 33},           {2, 3, 66},        {99, 100, 99},
      {100, 100, 100},     {250, 100, 100},      {-5, 100, 0},      {5, 0, 0},
      {5, -1, 0},          {kMax64 / 2, kMax64, 49},                {kMax64 - 1, kMax64, 99},
      {kMax64, kMax64, 100}, {kMax64 / 100, kMax64, 0},             {(kMax64 / 100) * 3, kMax64, 2},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(PercentOf(c.position, c.max), c.expected) << c.position << " of " << c.max;
  }
}

TEST(PercentTracker, ReportsOnlyChangesOfTheIntegerPercent) {
  PercentTracker tracker;
  int changes = 0;
  for (std::int64_t i = 0; i <= 100000; ++i) {
    if (tracker.Update(i, 100000)) ++changes;
  }
  EXPECT_EQ(changes, 101);  // 0 % to 100 %, each once
  EXPECT_EQ(tracker.Percent(), 100);
  EXPECT_FALSE(tracker.Update(100000, 100000));

  tracker.Reset();
  EXPECT_TRUE(tracker.Update(100000, 100000));  // after a reset the first value is news

  // Fewer steps than percents: every step is a change.
  PercentTracker few;
  int fewChanges = 0;
  for (int i = 0; i <= 7; ++i) fewChanges += few.Update(i, 7) ? 1 : 0;
  EXPECT_EQ(fewChanges, 8);
}

TEST(ScaleForBar, FitsIntAndKeepsTheProportion) {
  EXPECT_EQ(ScaleForBar(5, 10).value, 5);
  EXPECT_EQ(ScaleForBar(5, 10).maximum, 10);
  EXPECT_EQ(ScaleForBar(20, 10).value, 10);
  EXPECT_EQ(ScaleForBar(-3, 10).value, 0);
  EXPECT_EQ(ScaleForBar(3, 0).maximum, 0);

  const std::int64_t big = std::int64_t{1} << 40;  // bytes of a large folder
  for (std::int64_t pos : {std::int64_t{0}, big / 4, big / 2, big}) {
    const BarRange r = ScaleForBar(pos, big);
    ASSERT_GT(r.maximum, 0);
    EXPECT_LE(r.value, r.maximum);
    EXPECT_EQ(PercentOf(r.value, r.maximum), PercentOf(pos, big));
  }
  const BarRange top = ScaleForBar(kMax64, kMax64);
  EXPECT_EQ(top.value, top.maximum);
}

TEST(HeadlessProgress, RecordsWhatTheBoxWasToldAndOutlivesIt) {
  Flags().CriticalProcess = false;
  std::shared_ptr<const ProgressRecord> record;
  {
    HeadlessProgress p("Removing redundant slides ...");
    record = p.Record();
    EXPECT_TRUE(Flags().CriticalProcess.load());
    p.SetStatus("/photos/a.jpg");
    p.SetBarLabel(ProgressBar::Folders, "Folder:");
    p.SetBar(ProgressBar::Thumbs, 12, 10);
    p.SetBar(ProgressBar::Folders, 3, -4);
    p.Pump();
  }
  EXPECT_FALSE(Flags().CriticalProcess.load());
  EXPECT_EQ(record->title, "Removing redundant slides ...");
  EXPECT_EQ(record->statuses, (std::vector<std::string>{"One moment ...", "/photos/a.jpg"}));
  EXPECT_EQ(record->labels[0], "Thumbs:");
  EXPECT_EQ(record->labels[1], "Folder:");
  EXPECT_EQ(record->position[0], 10);
  EXPECT_EQ(record->max[1], 0);
  EXPECT_EQ(record->position[1], 0);
  EXPECT_EQ(record->pumps, 1);
  EXPECT_FALSE(record->open);
}

}  // namespace
}  // namespace pelira
