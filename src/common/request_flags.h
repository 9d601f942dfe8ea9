#pragma once
// The flags that keys, buttons and the progress box set, and that long operations poll
// between steps. Everything runs on the user-interface thread; atomics only so that worker
// bands of a pixel loop may read AbortRequest safely.
#include <atomic>

namespace pelira {

struct RequestFlags {
  std::atomic<bool> AbortRequest{false};        // stop the running operation
  std::atomic<bool> StopRequest{false};         // stop the slideshow
  std::atomic<bool> SkipRequest{false};         // end the current wait of the slideshow
  std::atomic<bool> CriticalProcess{false};     // the progress box is open
  std::atomic<bool> OperationInProgress{false}; // an edit or batch script runs

  void ClearRequests() {
    AbortRequest = false;
    StopRequest = false;
    SkipRequest = false;
  }
};

// The process-wide flags the viewer, the progress box and the operations share.
RequestFlags& Flags();

// Text shown when closing, opening or a slideshow is refused while CriticalProcess is set.
inline constexpr const char* kCriticalProcessText =
    "A critical process is being executed.\nCancel the process to proceed.";

// Sets OperationInProgress for a scope and restores the earlier value.
class OperationScope {
public:
  OperationScope() : previous_(Flags().OperationInProgress.exchange(true)) {}
  ~OperationScope() { Flags().OperationInProgress = previous_; }
  OperationScope(const OperationScope&) = delete;
  OperationScope& operator=(const OperationScope&) = delete;

private:
  bool previous_;
};

}  // namespace pelira
