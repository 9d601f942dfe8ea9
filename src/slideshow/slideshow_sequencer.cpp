#include "slideshow/slideshow_sequencer.h"

#include <filesystem>

#include "common/kind_list.h"
#include "image/image_loader.h"

namespace pelira {

std::string SlideReport(std::size_t slide, std::size_t count, const std::string& path) {
  const std::filesystem::path p(path);
  return "\nSlide " + std::to_string(slide) + " of " + std::to_string(count) + "\nFolder: " +
         p.parent_path().string() + "\nFilename: " + p.filename().string();
}

std::string MissingSlideWarning(const std::string& report) { return kMissingSlideText + report; }

SlideshowSequencer::SlideshowSequencer(std::vector<std::string> entries, std::size_t index, std::vector<int> selection,
                                       std::int64_t delayMs, FileExistsFn exists)
    : entries_(std::move(entries)),
      selection_(std::move(selection)),
      waitMs_(delayMs < 1 ? kMinimumWaitMs : delayMs),
      exists_(std::move(exists)) {
  // The show starts with the entry after the current one; from entry 0 it starts there.
  const std::size_t n = entries_.size();
  index_ = n == 0 ? 0 : (index == 0 || index >= n ? n - 1 : index);
}

ShowStep SlideshowSequencer::Next(RandomSource& random) {
  ShowStep step;
  if (stopped_ || entries_.empty()) {
    stopped_ = true;
    step.report = report_;
    return step;
  }
  if (waitDue_) {
    waitDue_ = false;
    step.action = ShowAction::Wait;
    step.waitMs = waitMs_;
    return step;
  }
  const std::size_t n = entries_.size();
  index_ = (index_ + 1) % n;
  const std::string& path = entries_[index_];
  if (!exists_(path)) {
    stopped_ = true;
    report_ = SlideReport(index_ + 1, n, path);
    step.report = report_;
    return step;
  }
  step.path = path;
  step.caption = "Slide " + std::to_string(index_ + 1) + " of " + std::to_string(n) + " \n " + path;
  if (PathInKindList(path, kMediaList)) {
    step.action = ShowAction::PlayMedia;
  } else {
    step.action = ShowAction::ShowPicture;
    step.effectEntry = ChooseInstantEntry(selection_, random);
    waitDue_ = true;
  }
  return step;
}

void SlideshowSequencer::SlideFailed() {
  if (stopped_ || entries_.empty()) return;
  stopped_ = true;
  waitDue_ = false;
  report_ = SlideReport(index_ + 1, entries_.size(), entries_[index_]);
}

TransitionEffect SlideshowSequencer::EffectFor(int effectEntry, int width, int height, int speed, int screenWidth,
                                               RandomSource& random) {
  return chooser_.Choose(effectEntry, width, height, speed, screenWidth, random);
}

}  // namespace pelira
