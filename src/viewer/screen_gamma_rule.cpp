#include "viewer/screen_gamma_rule.h"

#include <filesystem>
#include <system_error>

namespace pelira {

bool NamesRegularFile(const std::string& path) {
  if (path.empty()) return false;
  std::error_code ec;
  return std::filesystem::is_regular_file(std::filesystem::path(path), ec);
}

ScreenGammaStep ScreenGammaStepFor(const ScreenGammaFacts& f) {
  if (!f.imageModified && f.reloadEnabled && NamesRegularFile(f.pathBoxText)) return ScreenGammaStep::Reload;
  if (f.gammaOn && f.pictureShown) return ScreenGammaStep::InPlace;
  return ScreenGammaStep::Nothing;
}

}  // namespace pelira
