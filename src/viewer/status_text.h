#pragma once
// The texts of the viewer's caption and status bar.
#include <string>

#include "viewer/view_state.h"

namespace pelira {


// "W" + "x" + "H" + "(" + bits + ")", with the file's own size and " [1:n]" when the last JPEG
// was decoded reduced and pictures are not resampled on load; then " dib" (the working bitmap
// is always device-independent here).
std::string ImageDescription(const ViewState& s);

// The file name part of CurrentFile + " - " + the product title.
std::string CaptionText(const std::string& currentFile);

// "Page " + (index + 1) + " of " + count.
std::string PageStatusText(int pageIndex, int pageCount);

// Status panel 1: the zoom followed by "%", or "Fit" in fit mode.
std::string ZoomPanelText(bool fitMode, int zoom);

}  // namespace pelira
