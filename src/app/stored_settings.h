#pragma once
// The values the program keeps in the settings store, read once at start and written when
// the viewer closes. Records are decoded in core; the store only holds bytes.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "app/viewer_settings.h"
#include "platform/settings_store.h"

namespace pelira {

inline constexpr const char* kOpenDirValue = "OpenDir";
inline constexpr const char* kSaveDirValue = "SaveDir";
inline constexpr const char* kJpegWizardValue = "JPGwiz1";
inline constexpr const char* kExplorerSettingsValue = "EControls7700";
inline constexpr const char* kExploreDirValue = "ExploreDir";
inline constexpr const char* kAlbumSettingsValue = "SControls7700";
inline constexpr std::size_t kExplorerSettingsSize = 88;
inline constexpr std::size_t kJpegWizardSize = 16;

struct StoredSettings {
  bool ViewerSettingsFound = false;
  bool ExplorerSettingsFound = false;
  ViewerSettings viewer;                        // the record with its read rules, or the defaults
  std::vector<std::uint8_t> explorerRecord;     // 88 bytes when found, for the explorer window
  std::string ExploreDir;
  std::string OpenDir;                          // the open dialog's initial folder
  std::string SaveDir;                          // the save dialog's folder
  std::optional<std::vector<std::uint8_t>> jpegWizardRecord;  // set once read during this run
};

// Reads the values of the start. Until the explorer window exists nothing writes its record,
// so its settings count as found whenever the viewer's are (or every start would be a first
// run).
StoredSettings ReadStoredSettings(const SettingsStore& store, int screenWidth);

// What the viewer's close writes: "OpenDir", "SaveDir", "VControls7500" and, when it was read
// during this run, "JPGwiz1". False when any value could not be stored.
bool WriteViewerSettings(SettingsStore& store, const StoredSettings& settings);

}  // namespace pelira
