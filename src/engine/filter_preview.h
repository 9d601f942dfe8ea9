#pragma once
// Where the preview dialog's pictures come from: a 1:1 window of the working picture at the
// before picture's scroll position, or the whole picture reduced to fit the box.
#include "image/dib.h"
#include "image/dib_graphic.h"

namespace pelira {

// The window of a width x height picture seen at scroll (x, y) in a box of boxW x boxH:
// never larger than either, always inside the picture.
TRect PreviewWindow(int width, int height, int x, int y, int boxW, int boxH);

// The largest size of the picture's aspect inside the box (at least 1 x 1); a picture that
// already fits keeps its size.
struct FitSize {
  int width = 0, height = 0;
};
FitSize FitInBox(int width, int height, int boxW, int boxH);

// The after picture's source, always 24 bits (the commands work on true colour).
Dib ActualViewSource(const Dib& picture, const TRect& window);
Dib FittedSource(const Dib& picture, int boxW, int boxH);

}  // namespace pelira
