#pragma once
// The slideshow commands the other windows call: an instant show of a list of files, or an
// AVL script, played in a player window over owner with the real clock and event pump.
#include <QString>

#include <cstdint>
#include <string>
#include <vector>

#include "slideshow/forms/slideshow_player.h"

class QWidget;

namespace pelira {

class SettingsStore;

struct ShowRequest {
  PlayerOptions options;
  std::int64_t delayMs = 500;  // Options "&Delay"
  bool jukebox = false;        // "AVL &Jukebox"
};

struct ShowResult {
  bool started = false;   // the show ran (not refused)
  std::string report;     // the missing-file report, "" when the show was stopped
  std::size_t index = 0;  // instant: the entry showing when it ended
};

// The entries from the one after index on ("selFX01" read from store for the effects).
ShowResult PlayInstantSlideshow(QWidget* owner, const std::vector<std::string>& entries, std::size_t index,
                                const ShowRequest& request, const SettingsStore* store);
// The script at path; "Could not load AVL script." when it cannot be read.
ShowResult PlayScriptSlideshow(QWidget* owner, const std::string& path, const ShowRequest& request);

// The open dialog's filter for scripts.
inline constexpr const char* kAvlFilter = "AVL (AV List Slideshow) (*.avl)";

}  // namespace pelira
