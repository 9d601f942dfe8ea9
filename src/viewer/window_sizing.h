#pragma once
// Sizing the viewer window to its picture, as pure functions over the screen and the sizes of
// the window's frame and bars. Coordinates are relative to the screen's usable area; sizes
// are the window's outer size.
#include <cstdint>
#include <vector>

#include "display/geometry.h"

namespace pelira {

struct WindowMetrics {
  SizeI screen;                   // usable screen area
  std::int32_t frameWidth = 0;    // window width - client width
  std::int32_t chromeHeight = 0;  // window height - client height (title, menu bar, borders)
  std::int32_t barsHeight = 0;    // visible tool-bar panel + path-box panel + status bar
};

// Windows narrower than this would squeeze the menu bar into two lines.
inline constexpr std::int32_t kMenuBarMinWidth = 360;
// "Fit to" and restored bounds refuse windows smaller than this either way.
inline constexpr std::int32_t kSmallestWindow = 64;

// The outer rectangle for a window of size W x H that now stands at `current`: with autoSize
// moved left and up as far as needed to fit on the screen; with autoCenter centred; a
// negative coordinate becomes 0.
RectI SetWindowSize(PointI current, SizeI size, SizeI screen, bool autoSize, bool autoCenter);

// 360 with the tool bar hidden or merged into the path box; otherwise 16 plus the widths of
// all tool-bar buttons but the first.
std::int32_t GetWinMin(bool toolBarShown, bool merged, const std::vector<std::int32_t>& buttonWidths);

struct MinWidthRules {
  bool fitMode = false;
  bool fitToEnabled = true;   // the "Fit to" menu is enabled
  bool menuBarVisible = true;
  std::int32_t winMin = 0;    // GetWinMin
};

// Outer size showing a client picture area of `picture`: frame and bars added, each clamped
// to the screen, then at least winMin outside fit mode when "Fit to" is enabled and at least
// 360 with the menu bar shown.
SizeI WindowSizeForPicture(SizeI picture, const WindowMetrics& m, const MinWidthRules& rules);

// SizeWindowToImage: the window for the picture at 100 % through SetWindowSize.
RectI SizeWindowToImage(SizeI image, PointI current, const WindowMetrics& m, const MinWidthRules& rules,
                        bool autoSize, bool autoCenter);

// "&Window" under "&Adjust": the window for the picture control's current size. In fit mode
// the window keeps its left and top; otherwise it is placed with Auto Size on and Auto Center
// on unless shiftHeld.
RectI AdjustWindow(SizeI control, PointI current, const WindowMetrics& m, const MinWidthRules& rules,
                   bool shiftHeld);

// "Fit to" 1:n: the window that shows the picture at 1/n, keeping its left and top, or false
// when it would be below 64 pixels either way (nothing happens then).
bool FitWinTo(SizeI image, int n, PointI current, const WindowMetrics& m, RectI& out);

// "&Viewport" under "&Adjust": the largest client area the dialog offers (the screen less the
// frame, chrome and bars), and the window around a chosen client area, each side clamped to
// the screen, placed with Auto Size on and Auto Center off.
SizeI CustomViewportLimit(const WindowMetrics& m);
RectI CustomViewportWindow(SizeI client, PointI current, const WindowMetrics& m);

// Tools › Tile: the outer rectangles of the explorer and the viewer in `area` (the screen's
// usable part, or the whole screen). Side by side each takes half the width (the explorer
// the left half when explorerLeft); overlapped both take the explorer's half. keepWidth (Ctrl
// held): the explorer keeps its width at the full screen height against its edge, and the
// viewer takes the rest of the width.
struct TileRects {
  RectI explorer, viewer;
};
TileRects TileWindowRects(RectI area, SizeI screen, bool overlapped, bool explorerLeft, bool keepWidth,
                          std::int32_t explorerWidth);

// The stored bounds at start-up: negative left or top become 0, width and height are clamped
// to the screen; below 64 either way the window takes half the screen through SetWindowSize,
// otherwise it is moved left and up as far as needed to fit on the screen.
RectI RestoreWindowBounds(std::int32_t left, std::int32_t top, std::int32_t right, std::int32_t bottom,
                          PointI current, SizeI screen, bool autoSize, bool autoCenter);

// The batch editor's stored bounds: clamped the same way, but below 64 either way it takes
// half the screen's width and three quarters of its height where it stands.
RectI RestoreEditorBounds(std::int32_t left, std::int32_t top, std::int32_t right, std::int32_t bottom,
                          SizeI screen);

}  // namespace pelira
