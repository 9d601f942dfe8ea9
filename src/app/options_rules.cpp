#include "app/options_rules.h"

#include <algorithm>
#include <cmath>

namespace pelira {

int OptionsPageHelp(OptionsPage page) {
  switch (page) {
    case OptionsPage::Slideshow: return 300;
    case OptionsPage::Multimedia: return 500;
    case OptionsPage::Explorer: return 102;
    default: return 103;
  }
}

OptionsPage OptionsPageOf(int page) {
  return page >= 0 && page <= 4 ? static_cast<OptionsPage>(page) : OptionsPage::Viewer;
}

OptionsPage OptionsPageFor(bool mediaMode, bool fullScreen, bool fullScreenWithMenus) {
  if (mediaMode) return OptionsPage::Multimedia;
  if (fullScreen && !fullScreenWithMenus) return OptionsPage::Graphics;
  return OptionsPage::Viewer;
}

std::string DelayLabelText(std::int32_t ms) {
  const std::int32_t v = std::max(ms, 0);
  return "&Delay = " + std::to_string(v / 1000) + "." + std::to_string((v % 1000) / 100) + "s";
}

std::int32_t StoredVolumePosition(std::int32_t position) { return position <= 0 ? 1 : std::min(position, 1000); }

std::int32_t PlayerVolume(std::int32_t position) {
  return static_cast<std::int32_t>(std::lround(1000.0 * std::log(StoredVolumePosition(position) / 1000.0)));
}

}  // namespace pelira
