#pragma once
// The instant slideshow's order of events: a snapshot of the bookmark list in, one action at
// a time out (show a picture, play a media file, wait, stop with a report). The player does
// the drawing, the waiting and the polling of StopRequest; the sequencer owns the position,
// the wait, the captions and the choice of effect.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "slideshow/effects_table.h"
#include "viewer/bookmarks.h"

namespace pelira {

inline constexpr const char* kTooFewSlidesText =
    "Two or more slides are required for slideshow.\nShow help regarding multiple file selection?";
inline constexpr int kTooFewSlidesHelpContext = 110;
inline constexpr const char* kMissingSlideText =
    "Missing or unsupported file in slideshow.\nPlease see FAQ to resolve this problem.\n";
// The shortest slide wait.
inline constexpr std::int64_t kMinimumWaitMs = 50;

enum class ShowAction { ShowPicture, PlayMedia, Wait, Stop };

struct ShowStep {
  ShowAction action = ShowAction::Stop;
  std::string path;         // ShowPicture, PlayMedia
  std::string caption;      // the window caption while the slide shows
  int effectEntry = 0;      // ShowPicture: the effects table index chosen for it
  std::int64_t waitMs = 0;  // Wait
  std::string report;       // Stop: the missing-file report, "" when nothing went wrong
};

// "\nSlide i of n\nFolder: dir\nFilename: name".
std::string SlideReport(std::size_t slide, std::size_t count, const std::string& path);
// The warning shown when a show ends on a report.
std::string MissingSlideWarning(const std::string& report);

class SlideshowSequencer {
public:
  // entries and index: the bookmark list when the show starts; selection: "selFX01";
  // delayMs: the Options delay.
  SlideshowSequencer(std::vector<std::string> entries, std::size_t index, std::vector<int> selection,
                     std::int64_t delayMs, FileExistsFn exists = BookmarkFileExists);

  // Fewer than two slides: the show does not start.
  bool TooFewSlides() const { return entries_.size() < 2; }
  // The next action: each slide's picture is followed by its wait; a media slide has none.
  ShowStep Next(RandomSource& random);
  // The slide just handed out could not be loaded or drawn: the next step stops with its report.
  void SlideFailed();
  // The bookmark index of the slide showing (the viewer's current bookmark at the end).
  std::size_t Index() const { return index_; }
  std::size_t Count() const { return entries_.size(); }
  // The effect for the picture of the last ShowPicture step, now that its size is known.
  TransitionEffect EffectFor(int effectEntry, int width, int height, int speed, int screenWidth, RandomSource& random);

private:
  std::vector<std::string> entries_;
  std::size_t index_;
  std::vector<int> selection_;
  std::int64_t waitMs_;
  FileExistsFn exists_;
  EffectChooser chooser_;
  bool waitDue_ = false;
  bool stopped_ = false;
  std::string report_;
};

}  // namespace pelira
