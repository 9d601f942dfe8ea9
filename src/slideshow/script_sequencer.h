#pragma once
// The script slideshow's order of events: the slides of an AVL script from its RUN slide
// on, endlessly repeated, each with its own properties. A slide naming another script hands
// the show over to it.
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "album/avl_script.h"
#include "slideshow/slideshow_sequencer.h"

namespace pelira {

inline constexpr const char* kAvlLoadFailedText = "Could not load AVL script.";
inline constexpr const char* kAvlRunningText = "Enhanced AVL slideshow already running.";

// A whole script file: nullopt when it is not a regular file, cannot be read or is larger
// than the reader accepts.
using ScriptReaderFn = std::function<std::optional<std::string>(const std::string& path)>;
std::optional<std::string> ReadScriptFile(const std::string& path);

class ScriptSequencer : public ShowSequence {
public:
  // bytes: the script at path. jukebox: "AVL &Jukebox" (sounds then play as media slides).
  ScriptSequencer(std::string path, std::string bytes, bool jukebox, FileExistsFn exists = BookmarkFileExists,
                  ScriptReaderFn reader = ReadScriptFile);

  // No "[1]", or a directory line out of sequence: "Bad AVL file.", the show does not start.
  bool Bad() const override { return bad_; }
  bool TooFewSlides() const override { return !bad_ && n_ < 2; }
  ShowStep Next(RandomSource& random) override;
  void SlideFailed() override;
  TransitionEffect EffectFor(int effectEntry, int width, int height, int speed, int screenWidth,
                             RandomSource& random) override;
  bool ScriptMode() const override { return true; }

  std::int64_t Count() const { return n_; }
  std::int64_t Slide() const { return i_; }
  const std::string& ScriptPath() const { return path_; }
  const AvlHeader& Header() const { return header_; }

private:
  bool Load(const std::string& path, std::string bytes);
  void Reopen();
  ShowStep StopStep();
  std::string Locate(const AvlSlide& slide);

  bool jukebox_;
  FileExistsFn exists_;
  ScriptReaderFn reader_;
  std::string path_, folder_;
  // The reader keeps views into the bytes: they stay put while the script plays.
  std::unique_ptr<std::string> bytes_;
  std::optional<AvlScript> script_;
  AvlHeader header_;  // directories found elsewhere replace their entries
  std::int64_t n_ = 0, i_ = 0;
  bool bad_ = false;
  bool stopped_ = false;
  bool waitDue_ = false;
  std::int64_t waitMs_ = kMinimumWaitMs;
  int handovers_ = 0;  // scripts taken over since the last slide that showed something
  std::string lastReport_, report_, error_;
  EffectChooser chooser_;
};

}  // namespace pelira
