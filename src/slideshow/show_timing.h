#pragma once
// The slideshow's waits and the pacing of a transition's frames. Both sleep in the platform's
// event pump until a deadline or an event, never spin; the flags are read after each wake-up.
#include <cstdint>
#include <functional>

#include "common/request_flags.h"

namespace pelira {

// Milliseconds of a steady clock.
class ShowClock {
public:
  virtual ~ShowClock() = default;
  virtual std::int64_t NowMs() = 0;
};

class SteadyShowClock : public ShowClock {
public:
  std::int64_t NowMs() override;
};

class ShowPump {
public:
  virtual ~ShowPump() = default;
  // Handles events until one was handled or the clock reaches deadlineMs, whichever comes
  // first. userInput false leaves keys and clicks queued (a transition that cannot be stopped).
  virtual void PumpUntil(std::int64_t deadlineMs, bool userInput) = 0;
};

enum class WaitEnd { Elapsed, Skipped, Stopped };

// The slide wait: clears SkipRequest, returns at once when StopRequest is set, else pumps
// until ms have passed or StopRequest or SkipRequest is set.
WaitEnd WaitWithMessages(std::int64_t ms, ShowClock& clock, ShowPump& pump, RequestFlags& flags);

// A transition of frameCount frames over durationMs: frame k is due k x duration / N after
// the start; frames whose time has passed are skipped, frame N is always presented (frame 0,
// the old picture, is on the screen already). A stoppable transition (byte 4 != 255) pumps
// user input and ends early, without frame N, when StopRequest is set: false then.
bool PlayTransition(int frameCount, int durationMs, bool stoppable, const std::function<void(int k)>& present,
                    ShowClock& clock, ShowPump& pump, RequestFlags& flags);

}  // namespace pelira
