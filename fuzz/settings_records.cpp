// The stored settings records on arbitrary bytes: the input is cut into the values of the
// store ("VControls7500", "JPGwiz1", "EControls7700", "SControls7700", "selFX01" and the
// folders), each a length byte and that many bytes (255 gives the viewer's 168-byte record),
// and read as the program reads them at start; the viewer's record is also decoded field by
// field and written back.
#include <cstdint>
#include <string>
#include <vector>

#include "app/stored_settings.h"
#include "app/viewer_settings.h"
#include "fuzz_support.h"
#include "image/jpeg_wizard_settings.h"
#include "platform/settings_store.h"
#include "slideshow/effects_table.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace pelira;
  (void)fuzz::Start(data, size);
  static const char* kNames[] = {kViewerSettingsValue, kJpegWizardValue, kExplorerSettingsValue, kAlbumSettingsValue,
                                 kEffectsValue,        kOpenDirValue,    kSaveDirValue,          kExploreDirValue};
  MemorySettingsStore store;
  std::size_t at = 0;
  std::vector<std::uint8_t> viewer;
  for (const char* name : kNames) {
    if (at >= size) break;
    std::size_t n = data[at++];
    if (n == 255) n = kViewerSettingsSize;
    n = std::min(n, size - at);
    std::vector<std::uint8_t> value(data + at, data + at + n);
    at += n;
    if (std::string(name) == kViewerSettingsValue) viewer = value;
    store.Write(name, value);
  }
  const int screenWidth = size > 0 ? 640 + data[0] * 8 : 800;
  StoredSettings s = ReadStoredSettings(store, screenWidth);
  TJpegWizardRecord wizard;
  const TJpegWizardSettings w = wizard.Get(store);
  if (w.ToRecord().size() != kJpegWizardSize) __builtin_trap();
  if (const auto decoded = DecodeViewerSettings(viewer)) {
    const auto record = EncodeViewerSettings(ApplyReadRules(*decoded));
    if (!DecodeViewerSettings(record)) __builtin_trap();  // what we write we can read
  }
  MemorySettingsStore out;
  WriteViewerSettings(out, s);
  return 0;
}
