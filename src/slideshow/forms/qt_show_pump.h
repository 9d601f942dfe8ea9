#pragma once
// The slideshow's pump on the Qt event loop: sleeps in the event dispatcher until an event
// arrives or a single-shot timer fires at the deadline, so waits cost no CPU.
#include "slideshow/show_timing.h"

namespace pelira {

class QtShowPump : public ShowPump {
public:
  explicit QtShowPump(ShowClock& clock) : clock_(clock) {}
  void PumpUntil(std::int64_t deadlineMs, bool userInput) override;

private:
  ShowClock& clock_;
};

}  // namespace pelira
