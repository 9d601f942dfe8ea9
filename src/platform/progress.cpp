#include "platform/progress.h"

#include <algorithm>
#include <climits>
#include <utility>

namespace pelira {

namespace {

// Positions come from file counts and byte sizes: clamp into 0..max before any arithmetic.
std::int64_t Clamp(std::int64_t position, std::int64_t max) { return std::clamp<std::int64_t>(position, 0, max); }

int Index(ProgressBar bar) { return bar == ProgressBar::Thumbs ? 0 : 1; }

}  // namespace

const char* DefaultBarLabel(ProgressBar bar) { return bar == ProgressBar::Thumbs ? kThumbsLabel : kFoldersLabel; }

int PercentOf(std::int64_t position, std::int64_t max) {
  if (max <= 0) return 0;
  const auto p = static_cast<unsigned __int128>(Clamp(position, max));
  return static_cast<int>(p * 100 / static_cast<unsigned __int128>(max));
}

bool PercentTracker::Update(std::int64_t position, std::int64_t max) {
  const int percent = PercentOf(position, max);
  if (percent == percent_) return false;
  percent_ = percent;
  return true;
}

BarRange ScaleForBar(std::int64_t position, std::int64_t max) {
  if (max <= 0) return {0, 0};
  const std::int64_t p = Clamp(position, max);
  if (max <= INT_MAX) return {static_cast<int>(p), static_cast<int>(max)};
  constexpr int kSteps = 1 << 30;
  const auto scaled = static_cast<unsigned __int128>(p) * kSteps / static_cast<unsigned __int128>(max);
  return {static_cast<int>(scaled), kSteps};
}

HeadlessProgress::HeadlessProgress(std::string title, std::function<void()> onPump)
    : record_(std::make_shared<ProgressRecord>()), onPump_(std::move(onPump)) {
  record_->title = std::move(title);
  record_->statuses.push_back(kProgressInitialStatus);
  Flags().CriticalProcess = true;
}

HeadlessProgress::~HeadlessProgress() {
  record_->open = false;
  Flags().CriticalProcess = false;
}

void HeadlessProgress::Pump() {
  ++record_->pumps;
  if (onPump_) onPump_();
}

void HeadlessProgress::SetStatus(const std::string& text) { record_->statuses.push_back(text); }

void HeadlessProgress::SetBarLabel(ProgressBar bar, const std::string& text) { record_->labels[Index(bar)] = text; }

void HeadlessProgress::SetBar(ProgressBar bar, std::int64_t position, std::int64_t max) {
  const int i = Index(bar);
  record_->max[i] = std::max<std::int64_t>(max, 0);
  record_->position[i] = Clamp(position, record_->max[i]);
}

}  // namespace pelira
