#include "slideshow/show_timing.h"

#include <algorithm>
#include <chrono>

namespace pelira {

std::int64_t SteadyShowClock::NowMs() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

WaitEnd WaitWithMessages(std::int64_t ms, ShowClock& clock, ShowPump& pump, RequestFlags& flags) {
  flags.SkipRequest = false;
  if (flags.StopRequest) return WaitEnd::Stopped;
  const std::int64_t deadline = clock.NowMs() + std::max<std::int64_t>(0, ms);
  for (;;) {
    if (flags.StopRequest) return WaitEnd::Stopped;
    if (flags.SkipRequest) return WaitEnd::Skipped;
    if (clock.NowMs() >= deadline) return WaitEnd::Elapsed;
    pump.PumpUntil(deadline, true);
  }
}

bool PlayTransition(int frameCount, int durationMs, bool stoppable, const std::function<void(int k)>& present,
                    ShowClock& clock, ShowPump& pump, RequestFlags& flags) {
  const std::int64_t n = std::max(1, frameCount);
  const std::int64_t d = std::max(0, durationMs);
  const std::int64_t start = clock.NowMs();
  std::int64_t next = 1;  // the first frame not yet presented; frame n waits for its time too
  for (;;) {
    if (stoppable && flags.StopRequest) return false;
    const std::int64_t elapsed = clock.NowMs() - start;
    // The latest frame whose time has come.
    const std::int64_t due = d == 0 ? n : std::min(n, elapsed * n / d);
    if (due >= n) break;
    if (due >= next) {
      present(static_cast<int>(due));
      next = due + 1;
      continue;
    }
    // Sleep until frame `next` is due: the first whole millisecond at or after next x d / n.
    pump.PumpUntil(start + (next * d + n - 1) / n, stoppable);
  }
  if (stoppable && flags.StopRequest) return false;
  present(static_cast<int>(n));
  return true;
}

}  // namespace pelira
