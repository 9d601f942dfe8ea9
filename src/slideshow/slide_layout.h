#pragma once
// Where a slide's picture goes in the show's window: fitted to the window as the viewer's
// fit mode does, centred, on the background colour.
#include <cstdint>

#include "image/dib_graphic.h"
#include "slideshow/slideshow_sequencer.h"
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

// A script slide's picture: gamma G, rotation by -Y degrees (corners in fill, 0x00RRGGBB),
// then the size: fitted into the panel U when it is smaller than the window both ways, else
// Z % of its own size when Z is not 100, else fitted to the window as an instant slide; a
// result larger than the window is fitted into it. Placed at P when it fits there, else
// centred (only along a direction in which it is smaller than the window).
PlacedPicture PlaceScriptPicture(Dib picture, const SlideProps& props, int windowWidth, int windowHeight,
                                 std::uint32_t fill);

// Where a text slide's panel goes. textPosition 1 Top, 2 Bottom: the full width, 48 pixels
// high at that edge; otherwise U when set, else the window, or Z % of it when Z is set and not
// 100, clamped to the window, at P when it fits there, else centred.
TRect TextPanelRect(const SlideProps& props, int textPosition, int windowWidth, int windowHeight);
inline constexpr int kTextPanelHeight = 48;

// The comment strip: the full width, 24 pixels high, at the top (textPosition 1) or bottom.
TRect CommentStripRect(int textPosition, int windowWidth, int windowHeight);
inline constexpr int kCommentStripHeight = 24;

// A platform colour (0x00BBGGRR) as 0x00RRGGBB.
constexpr std::uint32_t RgbFromPlatform(std::uint32_t c) {
  return ((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF);
}

}  // namespace pelira
