#pragma once
// Where a slide's picture goes in the show's window: fitted to the window as the viewer's
// fit mode does, centred, on the background colour.
#include <cstdint>

#include "image/dib_graphic.h"
#include "slideshow/transition_frame.h"

namespace pelira {

class Dib;

// The slide picture as drawn: fitted to the window (FitSize, smooth scaling) and centred.
struct PlacedPicture {
  Surface picture;
  TRect rect;  // inside the window
};
PlacedPicture PlacePicture(const Dib& picture, int windowWidth, int windowHeight);

// The picture scaled (smooth) to FitSize of the window and centred on a width x height
// surface filled with background (0x00RRGGBB).
Surface ComposeSlide(const Dib& picture, int width, int height, std::uint32_t background = 0);

}  // namespace pelira
