#pragma once
// A one-page PDF with one picture on it, for printing without a printer (pelira-cli print):
// the pixels stored once at their own size, deflated (lossless), placed into a rectangle of
// the page. Sizes are in points (1/72 inch), the rectangle from the page's top-left corner.
#include <cstdint>
#include <string>
#include <vector>

#include "image/dib.h"

namespace pelira {

struct PdfPlacement {
  double pageW = 612, pageH = 792;  // US Letter
  double x = 0, y = 0, w = 0, h = 0;
};

// Raises EVistrelError for an empty picture or a placement without area.
std::vector<std::uint8_t> PicturePdf(const Dib& picture, const PdfPlacement& place, const std::string& title);

// Paper sizes by name ("letter", "a4", "legal", "a3", "a5"), in inches; false for others.
bool PaperInches(const std::string& name, double* width, double* height);

}  // namespace pelira
