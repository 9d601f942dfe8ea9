// Waits and transition pacing against a fake clock and a pump that plays scripted events.
#include <gtest/gtest.h>

#include <map>

#include "slideshow/show_timing.h"

namespace pelira {
namespace {

class FakeClock : public ShowClock {
public:
  std::int64_t now = 1000;
  std::int64_t NowMs() override { return now; }
};

// Jumps the clock to the deadline, or to the first scripted event before it and runs it.
class FakePump : public ShowPump {
public:
  explicit FakePump(FakeClock& c) : clock(c) {}
  FakeClock& clock;
  std::multimap<std::int64_t, std::function<void()>> events;  // by absolute time
  int calls = 0;
  std::vector<bool> userInput;
  void PumpUntil(std::int64_t deadline, bool input) override {
    ++calls;
    userInput.push_back(input);
    auto it = events.begin();
    if (input && it != events.end() && it->first <= deadline) {
      clock.now = std::max(clock.now, it->first);
      auto fn = it->second;
      events.erase(it);
      fn();
      return;
    }
    clock.now = std::max(clock.now, deadline);
  }
};

TEST(ShowTiming, WaitsEndAtTheirTimeOnSkipOrAtOnceOnStop) {
  RequestFlags flags;
  FakeClock clock;
  FakePump pump(clock);
  flags.SkipRequest = true;  // a skip from before the wait does not count
  EXPECT_EQ(WaitWithMessages(3000, clock, pump, flags), WaitEnd::Elapsed);
  EXPECT_EQ(clock.now, 4000);
  EXPECT_LE(pump.calls, 2);  // slept, did not spin

  pump.events.emplace(4500, [&] { flags.SkipRequest = true; });
  EXPECT_EQ(WaitWithMessages(10000, clock, pump, flags), WaitEnd::Skipped);
  EXPECT_EQ(clock.now, 4500);

  pump.events.emplace(4600, [] {});  // an unrelated event wakes the wait; it sleeps again
  pump.events.emplace(4700, [&] { flags.StopRequest = true; });
  EXPECT_EQ(WaitWithMessages(10000, clock, pump, flags), WaitEnd::Stopped);
  EXPECT_EQ(clock.now, 4700);
  const int calls = pump.calls;
  EXPECT_EQ(WaitWithMessages(10000, clock, pump, flags), WaitEnd::Stopped);  // at once
  EXPECT_EQ(pump.calls, calls);
}

TEST(ShowTiming, TransitionPresentsEveryFrameOnTimeAndEndsOnTheLast) {
  RequestFlags flags;
  FakeClock clock;
  FakePump pump(clock);
  std::vector<std::pair<int, std::int64_t>> shown;
  const std::int64_t start = clock.now;
  ASSERT_TRUE(PlayTransition(38, 600, true, [&](int k) { shown.emplace_back(k, clock.now - start); }, clock, pump,
                             flags));
  ASSERT_EQ(shown.size(), 38u);  // frames 1..38
  for (std::size_t i = 0; i < shown.size(); ++i) {
    const int k = shown[i].first;
    EXPECT_EQ(k, static_cast<int>(i) + 1);
    EXPECT_GE(shown[i].second * 38, k * 600ll) << k;  // never early
  }
  EXPECT_GE(shown.back().second, 600);
}

TEST(ShowTiming, LateFramesAreSkippedButTheLastIsAlwaysDrawn) {
  RequestFlags flags;
  FakeClock clock;
  FakePump pump(clock);
  std::vector<int> shown;
  // Every frame takes 50 ms to draw: only the frames due by then are drawn.
  ASSERT_TRUE(PlayTransition(19, 300, false, [&](int k) { shown.push_back(k); clock.now += 50; }, clock, pump, flags));
  ASSERT_FALSE(shown.empty());
  EXPECT_LT(shown.size(), 10u);
  EXPECT_EQ(shown.back(), 19);
  for (std::size_t i = 1; i < shown.size(); ++i) EXPECT_GT(shown[i], shown[i - 1]);
}

TEST(ShowTiming, OnlyStoppableTransitionsEndEarly) {
  for (bool stoppable : {true, false}) {
    RequestFlags flags;
    FakeClock clock;
    FakePump pump(clock);
    pump.events.emplace(clock.now + 100, [&] { flags.StopRequest = true; });
    std::vector<int> shown;
    const bool done = PlayTransition(75, 1200, stoppable, [&](int k) { shown.push_back(k); }, clock, pump, flags);
    EXPECT_EQ(done, !stoppable);
    EXPECT_EQ(!shown.empty() && shown.back() == 75, !stoppable);
    for (bool input : pump.userInput) EXPECT_EQ(input, stoppable);  // user input waits when not stoppable
  }
}

}  // namespace
}  // namespace pelira
