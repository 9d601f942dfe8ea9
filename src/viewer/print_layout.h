#pragma once
// The print setup's arithmetic: where the picture goes on the printer's page, how large it is,
// the sheet preview and every label the dialog shows. Pure and integer-exact; the dialog only
// reads these numbers.
#include <cstdint>
#include <string>

#include "display/geometry.h"

namespace pelira {

// What the printer reports: its printable page in printer pixels and its resolution.
struct PrinterPage {
  std::int32_t pageW = 0;
  std::int32_t pageH = 0;
  std::int32_t dpiX = 0;
  std::int32_t dpiY = 0;
  bool landscape = false;
  bool color = true;
  // A page that cannot be printed on: no size or no resolution.
  bool Usable() const { return pageW > 0 && pageH > 0 && dpiX > 0 && dpiY > 0; }
};

enum class PrintUnit { Pixels = 0, Inches = 1, Centimetres = 2 };

// The largest w x h with the picture's proportions inside box: the limiting side is the box
// itself, the other side is scaled and truncated. Any size <= 0 gives 0 x 0.
SizeI AspectFit(std::int64_t w, std::int64_t h, std::int64_t boxW, std::int64_t boxH);

// percent of a length, truncated (1..100).
std::int32_t ScaledByPercent(std::int32_t length, int percent);

// The picture's rectangle on the page and the position bars' ranges and steps.
struct PrintPlacement {
  std::int32_t W = 0, H = 0;           // print size
  std::int32_t X = 0, Y = 0;           // position (the bars' positions)
  std::int32_t rangeX = 0, rangeY = 0; // the bars run 0..range
  std::int32_t stepX = 1, stepY = 1;   // their large steps
};

// The picture (w x h pixels) fitted to the page at percent (1..100) and centred.
PrintPlacement PlaceOnPage(std::int32_t w, std::int32_t h, const PrinterPage& page, int percent);

// The preview sheet inside the panel's client area: the page fitted and centred.
RectI SheetInPanel(std::int32_t panelW, std::int32_t panelH, const PrinterPage& page);
// The preview picture inside the sheet's client area at percent.
SizeI PreviewPicture(std::int32_t w, std::int32_t h, std::int32_t sheetW, std::int32_t sheetH, int percent);
// The preview picture's offset along one direction for a bar at pos of 0..range, when the
// sheet leaves free pixels: 0 when either is 0 or less.
std::int32_t PreviewOffset(std::int32_t pos, std::int32_t range, std::int32_t free);

// "%3.1f" of v / dpi x (1 for inches, 2.54 for cm.); the plain number for pixels.
std::string UnitText(std::int64_t v, std::int32_t dpi, PrintUnit unit);

struct PrintLabels {
  std::string width, height, x, y;  // "Width : 8.0", "Height: 5.3", "&X pos : 0.0", "&Y pos : 2.8"
  std::string page;                 // "Portrait : 4800 x 6600"
  std::string settings;             // page + "  (600 x 600 dpi)"
};
PrintLabels MakePrintLabels(const PrintPlacement& p, const PrinterPage& page, PrintUnit unit);

// "  Si&ze : " + percent + "%".
std::string SizeLabel(int percent);
// "Print Setup: " + file name.
std::string PrintSetupCaption(const std::string& fileName);

}  // namespace pelira
