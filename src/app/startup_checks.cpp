#include "app/startup_checks.h"

namespace pelira {

std::vector<std::string> StartupWarnings(int colorDepth, int screenHeight) {
  std::vector<std::string> warnings;
  if (colorDepth < 15) warnings.emplace_back(kColorDepthText);
  if (screenHeight < 600) warnings.emplace_back(kScreenSizeText);
  return warnings;
}

}  // namespace pelira
