#include "slideshow/forms/slideshow_commands.h"

#include <QWidget>

#include <random>

#include "platform/ui.h"
#include "slideshow/effects_table.h"
#include "slideshow/forms/qt_show_pump.h"
#include "slideshow/script_sequencer.h"

namespace pelira {

namespace {

std::uint64_t FreshSeed() {
  std::random_device rd;
  return (std::uint64_t{rd()} << 32) ^ rd();
}

ShowResult Play(QWidget* owner, ShowSequence& sequence, const ShowRequest& request) {
  ShowResult result;
  // The player lives for one show; a plain object, so nothing is left for a later event loop.
  TSlideshowPlayer player(owner);
  if (!request.options.fullScreen && owner) player.setGeometry(owner->geometry());
  SteadyShowClock clock;
  QtShowPump pump(clock);
  SeededRandom random(FreshSeed());
  result.report = player.Play(sequence, request.options, random, clock, pump, CurrentUi());
  result.started = player.Started();
  return result;
}

}  // namespace

ShowResult PlayInstantSlideshow(QWidget* owner, const std::vector<std::string>& entries, std::size_t index,
                                const ShowRequest& request, const SettingsStore* store) {
  SlideshowSequencer sequence(entries, index, store ? LoadEffectSelection(*store) : std::vector<int>{},
                              request.delayMs);
  ShowResult result = Play(owner, sequence, request);
  result.index = sequence.Index();
  return result;
}

ShowResult PlayScriptSlideshow(QWidget* owner, const std::string& path, const ShowRequest& request) {
  std::optional<std::string> bytes = ReadScriptFile(path);
  if (!bytes) {
    CurrentUi().Message(MessageKind::Warning, kAvlLoadFailedText, Button::OK);
    return {};
  }
  ScriptSequencer sequence(path, std::move(*bytes), request.jukebox);
  return Play(owner, sequence, request);
}

}  // namespace pelira
