#pragma once
// The program entry and the first activation of the viewer, as decisions over the start-up
// state so that they can be tested without windows.
#include <string>

#include "app/startup_state.h"
#include "app/stored_settings.h"

namespace pelira {

struct EntryDecision {
  bool exitNow = false;  // another copy plays a script slideshow: no window is made
  StoredSettings settings;
};

// Reads the stored settings, then ends at once when another copy holds "AVL running".
EntryDecision ProgramEntry(const SettingsStore& store, bool otherCopyPlaysScript, int screenWidth);

// The one-shot delay of the deferred open of a command-line file.
inline constexpr int kDeferredOpenMs = 333;

inline constexpr int kWelcomeHelpContext = 103;
inline constexpr const char* kWelcomeText =
    "Thank you for choosing Pelira.  This is the default setup.\n"
    "Double-click a file in right window (Explorer) to open an\n"
    "image (or play multimedia file) in left window (Viewer).\n\n"
    "When opening multiple files, the first file will be shown\n"
    "and remaining files will be added to navigation bookmarks.\n\n"
    "To adjust thumbnail size in \"Explorer\" window, set Thumbnail\n"
    "slider to desired position to resize thumbnails automatically.\n\n"
    "Select Tools | Tile to arrange windows this way at anytime.\n"
    "For single-click interface, fit-to-window and other options,\n"
    "select View | Options or press <Alt-O>.";

// What the first activation does, after a command-line JPEG has been shown (or failed).
struct FirstActivationPlan {
  bool statusReady = false;      // "Ready." in the status panel
  bool blankUntitled = false;    // BlankPicture(true)
  bool firstRun = false;         // Auto Size and Auto Center off (also in the record), welcome box
  bool blankWithoutName = false;  // a command-line script: the picture is blanked, no "Untitled"
  bool deferredOpen = false;     // the 333 ms one-shot timer opens CommandLineFile
};

// The explorer steps (arranging, showing it, hiding the viewer when idle) are left out until
// the explorer window exists; the viewer always stays.
FirstActivationPlan PlanFirstActivation(const StartupState& startup, bool viewerSettingsFound,
                                        bool explorerSettingsFound, bool jpegShown);

}  // namespace pelira
