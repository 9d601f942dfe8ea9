#pragma once
// What a long operation calls between its steps: pump pending events, show a status line and
// two bars, and poll AbortRequest. Opened with OpenProgress (platform/ui.h); the desktop box is
// TStatusForm, the headless one HeadlessProgress.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "common/request_flags.h"

namespace pelira {

enum class ProgressBar { Thumbs, Folders };

inline constexpr const char* kProgressInitialStatus = "One moment ...";
inline constexpr const char* kThumbsLabel = "Thumbs:";
inline constexpr const char* kFoldersLabel = "Folders:";

const char* DefaultBarLabel(ProgressBar bar);

class Progress {
public:
  virtual ~Progress() = default;

  // Processes pending events so the program stays responsive; headless: nothing.
  virtual void Pump() = 0;
  virtual void SetStatus(const std::string& text) = 0;
  virtual void SetBarLabel(ProgressBar bar, const std::string& text) = 0;
  // position of max; out-of-range positions are clamped.
  virtual void SetBar(ProgressBar bar, std::int64_t position, std::int64_t max) = 0;

  // Cancel or Esc in the box, or the program being minimised, asked the operation to stop.
  bool Aborted() const { return Flags().AbortRequest.load(); }
};

// Percent text is repainted only when the integer percent changes; Update says when.
class PercentTracker {
public:
  // True when position of max gives another integer percent than the last call (always true on
  // the first call after construction or Reset). max <= 0 counts as 0 %.
  bool Update(std::int64_t position, std::int64_t max);
  int Percent() const { return percent_; }
  void Reset() { percent_ = -1; }

private:
  int percent_ = -1;
};

// Integer percent 0..100 of position of max, exact for any 64-bit values.
int PercentOf(std::int64_t position, std::int64_t max);

// A bar widget counts in int: position and max mapped to a range that fits, same proportion.
struct BarRange {
  int value = 0;
  int maximum = 0;
};
BarRange ScaleForBar(std::int64_t position, std::int64_t max);

// Everything a headless progress box was told, kept after the box closes so a test can read it.
struct ProgressRecord {
  std::string title;
  std::vector<std::string> statuses;  // every status text, in order, starting with the initial one
  std::string labels[2] = {kThumbsLabel, kFoldersLabel};
  std::int64_t position[2] = {0, 0};
  std::int64_t max[2] = {0, 0};
  int pumps = 0;
  bool open = true;
};

// Sets CriticalProcess while it lives; Pump runs onPump (tests use it to press Cancel mid-way).
class HeadlessProgress : public Progress {
public:
  explicit HeadlessProgress(std::string title, std::function<void()> onPump = {});
  ~HeadlessProgress() override;

  void Pump() override;
  void SetStatus(const std::string& text) override;
  void SetBarLabel(ProgressBar bar, const std::string& text) override;
  void SetBar(ProgressBar bar, std::int64_t position, std::int64_t max) override;

  std::shared_ptr<const ProgressRecord> Record() const { return record_; }

private:
  std::shared_ptr<ProgressRecord> record_;
  std::function<void()> onPump_;
};

}  // namespace pelira
