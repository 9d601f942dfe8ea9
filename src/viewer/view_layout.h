#pragma once
// Zoom steps, fit-to-window placement and the scroll maths of the viewport.
#include <cstdint>

#include "display/geometry.h"

namespace pelira {

inline constexpr int kZoomMin = 25;
inline constexpr int kZoomMax = 800;
inline constexpr int kZoomStep = 25;
inline constexpr int kZoomDialogCancel = -999;

// "Zoom +" and "Zoom -": one step of 25 inside 25..800; at the ends nothing changes.
int ZoomIn(int zoom);
int ZoomOut(int zoom);
// "&Zoom to": the slider's value rounded down to a multiple of 25 inside 25..800; the cancel
// code leaves `current`.
int ZoomToValue(int dialogValue, int current);

// AutoZoom: the picture's displayed size, truncated.
SizeI ZoomedSize(SizeI image, int zoom);

// ResizeImage: the picture fitted into the box and centred in it. Without enlargement a
// picture smaller than the box both ways keeps its own size.
RectI ResizeImage(SizeI image, SizeI box, bool enlarge);

// The viewport's scroll box inside the area below the bars: at integer zoom factors f >= 2
// (outside fit mode) shrunk to multiples of f, the remainders taken off at the left and top.
RectI ScrollBoxRect(RectI area, int zoom, bool fitMode);

// A scroll position as a percentage of its range (content size); 0 without a range.
int ScrollPercent(std::int32_t position, std::int32_t range);

// A remembered percentage applied to a new range. At zoom factors above 1 a position whose
// view would pass the end is pulled back, and positions are rounded down to multiples of the
// factor. Never negative.
std::int32_t ScrollFromPercent(int percent, std::int32_t range, std::int32_t client, int zoom);

}  // namespace pelira
