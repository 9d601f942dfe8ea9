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

// ShowText: a text file in a panel; PlaySound: a sound played in the background while the
// show goes on; PlayCd: a CD track.
enum class ShowAction { ShowPicture, PlayMedia, Wait, Stop, ShowText, PlaySound, PlayCd };

// A script slide's own properties; an instant slide has the defaults (script false).
struct SlideProps {
  bool script = false;
  std::int32_t background = -1;  // 0x00BBGGRR, -1: none
  int zoom = 100;                // percent
  int gamma = 100;               // x 100
  int rotate = 0;                // degrees, 0..359
  int posX = -1, posY = -1;      // -1: centred
  int panelW = 0, panelH = 0;    // 0: no panel
  std::string comment;
};

struct ShowStep {
  ShowAction action = ShowAction::Stop;
  std::string path;         // ShowPicture, PlayMedia, ShowText, PlaySound
  std::string caption;      // the window caption while the slide shows
  int effectEntry = 0;      // ShowPicture: the effects table index chosen for it
  std::int64_t waitMs = 0;  // Wait
  int track = 0;            // PlayCd
  SlideProps props;
  std::string report;       // Stop: the missing-file report, "" when nothing went wrong
  std::string error;        // Stop: an error to show instead ("Bad AVL file.")
};

// "\nSlide i of n\nFolder: dir\nFilename: name".
std::string SlideReport(std::size_t slide, std::size_t count, const std::string& path);
// The warning shown when a show ends on a report.
std::string MissingSlideWarning(const std::string& report);

// What the player asks of a show's order of slides: instant (the bookmark list) or script.
class ShowSequence {
public:
  virtual ~ShowSequence() = default;
  virtual bool TooFewSlides() const = 0;
  virtual ShowStep Next(RandomSource& random) = 0;
  virtual void SlideFailed() = 0;
  virtual TransitionEffect EffectFor(int effectEntry, int width, int height, int speed, int screenWidth,
                                     RandomSource& random) = 0;
  virtual bool ScriptMode() const { return false; }
  // A script that cannot be played at all ("Bad AVL file.").
  virtual bool Bad() const { return false; }
};

class SlideshowSequencer : public ShowSequence {
public:
  // entries and index: the bookmark list when the show starts; selection: "selFX01";
  // delayMs: the Options delay.
  SlideshowSequencer(std::vector<std::string> entries, std::size_t index, std::vector<int> selection,
                     std::int64_t delayMs, FileExistsFn exists = BookmarkFileExists);

  // Fewer than two slides: the show does not start.
  bool TooFewSlides() const override { return entries_.size() < 2; }
  // The next action: each slide's picture is followed by its wait; a media slide has none.
  ShowStep Next(RandomSource& random) override;
  // The slide just handed out could not be loaded or drawn: the next step stops with its report.
  void SlideFailed() override;
  // The bookmark index of the slide showing (the viewer's current bookmark at the end).
  std::size_t Index() const { return index_; }
  std::size_t Count() const { return entries_.size(); }
  // The effect for the picture of the last ShowPicture step, now that its size is known.
  TransitionEffect EffectFor(int effectEntry, int width, int height, int speed, int screenWidth,
                             RandomSource& random) override;

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
