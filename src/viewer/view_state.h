#pragma once
// What the viewer holds about the current picture and how it is shown. One viewer exists;
// the editing commands read this state.
#include <cstdint>
#include <string>

namespace pelira {

inline constexpr const char* kUntitled = "Untitled";

struct SelectionBounds {
  std::int32_t left = 0, top = 0, right = 0, bottom = 0;  // right, bottom one past the last
};

enum class AspectModes { OneToOne = 1, Tv43 = 4, Wide169 = 9 };

struct ViewState {
  std::string CurrentFile = kUntitled;  // full path, case kept; "Untitled" when there is none
  std::string CurrentExt;               // upper-case extension with its dot
  std::int32_t ImageWidth = 0;
  std::int32_t ImageHeight = 0;
  std::int16_t ImageBits = 0;           // 1, 4, 8 or 24 once the picture is in the viewer
  std::int32_t PageCount = 0;           // 0 or 1 for single pictures
  std::int32_t PageIndex = 0;
  std::int32_t Zoom = 100;              // percent, 25..800
  bool FitMode = false;
  bool ImageLoaded = false;
  bool ImageModified = false;
  bool SlideshowRunning = false;
  bool MediaMode = false;
  AspectModes AspectMode = AspectModes::OneToOne;
  bool ResampleOnLoad = false;
  bool HalfJpeg = false;
  std::int32_t ScreenGamma = 100;       // View › Gamma, x 100, for every load; 100 is neutral
  std::int32_t SourceWidth = 0;         // the file's size when it was loaded reduced
  std::int32_t SourceHeight = 0;
  int ReducedScale = 1;                 // JPEG scale denominator of the last reduced decode
  bool SelectTool = false;
  SelectionBounds SelectionRect;
  SelectionBounds LastRegion;
  bool Scrollable = false;
  std::string StatusWord;
};

}  // namespace pelira
