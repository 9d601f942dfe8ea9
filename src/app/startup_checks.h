#pragma once
// The display checks of the viewer's creation: too few colours or too small a screen end the
// program after their warnings. Both checks run, so both warnings can appear.
#include <string>
#include <vector>

namespace pelira {

inline constexpr const char* kColorDepthText =
    "16-bit color mode (or better) required.\n\n1) Right-click on your desktop and select Properties.\n"
    "2) Click Settings tab to change Color Quality (or Colors).\n3) Choose \"16-bit\" (or better) mode.";
inline constexpr const char* kScreenSizeText =
    "800x600 (or better) screen resolution required.\n\n1) Right-click on your desktop and select Properties.\n"
    "2) Click Settings tab to change Screen resolution (or area).\n"
    "3) Adjust slider to \"800 by 600 pixels\" or (higher).";

// The warnings for a display of colorDepth bits per pixel and screenHeight pixels; empty when
// the program may run.
std::vector<std::string> StartupWarnings(int colorDepth, int screenHeight);

}  // namespace pelira
