#include "app/stored_settings.h"

namespace pelira {

StoredSettings ReadStoredSettings(const SettingsStore& store, int screenWidth) {
  StoredSettings s;
  const auto viewer = store.Read(kViewerSettingsValue);
  s.ViewerSettingsFound = viewer.has_value();
  s.viewer = ReadViewerSettings(viewer, screenWidth);
  if (auto explorer = store.Read(kExplorerSettingsValue); explorer && explorer->size() == kExplorerSettingsSize) {
    s.explorerRecord = *explorer;
    s.ExploreDir = store.ReadString(kExploreDirValue).value_or("");
  }
  s.ExplorerSettingsFound = s.ViewerSettingsFound;
  s.OpenDir = store.ReadString(kOpenDirValue).value_or("");
  s.SaveDir = store.ReadString(kSaveDirValue).value_or("");
  return s;
}

bool WriteViewerSettings(SettingsStore& store, const StoredSettings& settings) {
  bool ok = store.WriteString(kOpenDirValue, settings.OpenDir);
  ok = store.WriteString(kSaveDirValue, settings.SaveDir) && ok;
  const auto record = EncodeViewerSettings(settings.viewer);
  ok = store.Write(kViewerSettingsValue, std::vector<std::uint8_t>(record.begin(), record.end())) && ok;
  if (settings.jpegWizardRecord) ok = store.Write(kJpegWizardValue, *settings.jpegWizardRecord) && ok;
  return ok;
}

}  // namespace pelira
