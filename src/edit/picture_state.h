#pragma once
// What is known about the current picture, apart from how it is shown: the file it came from,
// its size and depth, its pages and whether it has unsaved edits. The editing commands, the
// script run and the save read and change it; the viewer's PictureState adds the view on top.
#include <cstdint>
#include <string>

#include "image/dib.h"

namespace pelira {

inline constexpr const char* kUntitled = "Untitled";

inline constexpr const char* kStatusReady = "Ready.";
inline constexpr const char* kStatusBusy = "Busy...";
inline constexpr const char* kStatusLoading = "Loading...";
inline constexpr const char* kStatusError = "Error.";

struct SelectionBounds {
  std::int32_t left = 0, top = 0, right = 0, bottom = 0;  // right, bottom one past the last
};

struct PictureState {
  std::string CurrentFile = kUntitled;  // full path, case kept; "Untitled" when there is none
  std::string CurrentExt;               // upper-case extension with its dot
  std::int32_t ImageWidth = 0;
  std::int32_t ImageHeight = 0;
  std::int16_t ImageBits = 0;           // 1, 4, 8 or 24 once the picture is loaded
  std::int32_t PageCount = 0;           // 0 or 1 for single pictures
  std::int32_t PageIndex = 0;
  bool ImageLoaded = false;
  bool ImageModified = false;
  std::int32_t SourceWidth = 0;         // the file's size when it was loaded reduced
  std::int32_t SourceHeight = 0;
  int ReducedScale = 1;                 // JPEG scale denominator of the last reduced decode
  SelectionBounds SelectionRect;
  SelectionBounds LastRegion;
  bool SelectionDrawn = false;          // SelectionRect holds a selection the commands may use
  std::string StatusWord;
};

// Size and bits from the bitmap (1, 4, 8 or 24).
void SyncImageState(PictureState& s, const Dib& bitmap);

// MultiPageDisable.
inline void MultiPageDisable(PictureState& s) {
  s.PageIndex = 0;
  s.PageCount = 0;
}

// The blank picture: 32 x 32, 24 bits, filled with the viewport colour (platform colour).
Dib BlankBitmap(std::uint32_t platformColor);

// The state of a blank picture: with `untitled`, CurrentFile "Untitled", 32 x 32 x 24; then
// loaded, single page, "Ready." and not modified.
void BlankPictureState(PictureState& s, bool untitled);

}  // namespace pelira
