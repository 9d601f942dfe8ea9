#pragma once
// How the viewer shows the current picture: zoom, fit, aspect, the slideshow and media modes.
// What the picture itself is (file, size, depth, modified) is the PictureState it extends.
#include <cstdint>
#include <string>

#include "edit/picture_state.h"

namespace pelira {

enum class AspectModes { OneToOne = 1, Tv43 = 4, Wide169 = 9 };

struct ViewState : PictureState {
  std::int32_t Zoom = 100;              // percent, 25..800
  bool FitMode = false;
  bool SlideshowRunning = false;
  bool MediaMode = false;
  AspectModes AspectMode = AspectModes::OneToOne;
  bool ResampleOnLoad = false;
  bool HalfJpeg = false;
  std::int32_t ScreenGamma = 100;       // View › Gamma, x 100, for every load; 100 is neutral
  bool SelectTool = false;
  bool Scrollable = false;
};

}  // namespace pelira
