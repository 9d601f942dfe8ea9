#pragma once
// The arithmetic of the size, grid and histogram dialogs, kept here so it is testable
// without windows.
#include <cstdint>
#include <string>

#include "engine/engine_state.h"

namespace pelira {

// --- size dialog ---------------------------------------------------------------------------
struct SizeLimits {
  int initialWidth = 1, initialHeight = 1;  // the size the dialog opened with
  int maxWidth = 1, maxHeight = 1;
};
struct SizePair {
  int width = 0, height = 0;
  bool beep = false;  // a value was corrected
  friend bool operator==(const SizePair&, const SizePair&) = default;
};
// A typed width (or height, with typedHeight) limited to 1..max; with keepAspect the other
// side follows Round(typed x initial other / initial typed), and when that passes its
// maximum the other side is the maximum and the typed one follows it.
SizePair TypedSide(const SizeLimits& l, long long typed, bool typedHeight, bool keepAspect, int otherNow);
// A typed scale in percent (decimals allowed) for one side: Round((p x initial + 5000) div
// 10000) with p = Trunc(s x 100); above the maximum (or overflowing) the maximum, 0 or less
// 1, with a beep. 64-bit throughout.
SizePair TypedScale(const SizeLimits& l, double percent, bool forHeight, bool keepAspect, int otherNow);
// The scale box's text for a side: Trunc(side x 100 / initial), one decimal shown ("100.0").
std::string ScaleText(int side, int initial);

// --- grid dialog ---------------------------------------------------------------------------
struct GridCell {
  int left = 0, top = 0, right = 0, bottom = 0;  // inclusive, as the dialog returns it
  friend bool operator==(const GridCell&, const GridCell&) = default;
};
// Columns and rows limited to 1..8 and to the picture's size (no empty cells).
int GridCount(int requested, int pictureSide);
GridCell GridCellRect(int column, int row, int columns, int rows, int width, int height);
std::string GridCaption(int columns, int rows, int width, int height, int column, int row, bool clicked);
// The drawing area: the picture's proportions fitted into 320 x 240 (320 x 240 itself for
// pictures under 64 in either direction).
struct AreaSize {
  int width = 320, height = 240;
};
AreaSize GridArea(int width, int height);

// --- histogram view ------------------------------------------------------------------------
// Height of a bin's bar in the 256-pixel area, 0..255 (64-bit, never past the top).
int HistogramBarHeight(std::int64_t count, std::int64_t peak, int zoom);
// The label under the area for a bin.
std::string HistogramBinText(const Histograms& h, int bin);

}  // namespace pelira
