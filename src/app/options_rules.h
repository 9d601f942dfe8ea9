#pragma once
// What the Options dialog edits and the rules it shows them by, apart from the widgets: the
// values (the viewer's record and the explorer's switches), the page it opens on, the delay
// label and the media volume's units.
#include <cstdint>
#include <string>

#include "app/viewer_settings.h"

namespace pelira {

// The explorer window's switches the dialog edits (its record keeps them).
struct ExplorerOptions {
  bool folderTree = true;
  bool toolBar = true;
  bool buttonText = true;
  bool statusBar = true;
  bool autoRefresh = true;
  bool saveProfile = true;  // on at every start, never stored
  bool useViewer = false;
  bool confirmDeletions = true;
  bool toolTips = true;
  std::int32_t clickStyle = 0;  // 0 double click, 1 single click, 2 single click with underlined items
  friend bool operator==(const ExplorerOptions&, const ExplorerOptions&) = default;
};

struct OptionsValues {
  ViewerSettings viewer;
  ExplorerOptions explorer;
  friend bool operator==(const OptionsValues&, const OptionsValues&) = default;
};

enum class OptionsPage { Viewer = 0, Graphics = 1, Slideshow = 2, Multimedia = 3, Explorer = 4 };

// The help context of each page.
int OptionsPageHelp(OptionsPage page);

// Any number outside 0..4 is the Viewer page.
OptionsPage OptionsPageOf(int page);

// The viewer's "&Options...": Multimedia while media plays, Graphics in full screen without
// its menus, else Viewer.
OptionsPage OptionsPageFor(bool mediaMode, bool fullScreen, bool fullScreenWithMenus);

// "&Delay = " + whole seconds + "." + tenths + "s" (12345 ms: "&Delay = 12.3s").
std::string DelayLabelText(std::int32_t ms);

// The volume position as stored: 0 or below becomes 1.
std::int32_t StoredVolumePosition(std::int32_t position);
// The player's volume for a position: round(1000 ln(position / 1000)), -6908 at 1, 0 at 1000.
std::int32_t PlayerVolume(std::int32_t position);

}  // namespace pelira
