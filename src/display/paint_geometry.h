#pragma once
// Where the picture control draws its bitmap: the destination of the normal path and the
// source and clip rectangles of the fast path, which repaints only the damaged part.
#include <cstdint>

#include "display/geometry.h"

namespace pelira {

// Normal path: the client rectangle when stretching; otherwise the bitmap's own size, centred
// in the control (truncating toward zero) or at the origin.
RectI NormalDestRect(bool stretch, bool center, SizeI control, SizeI bitmap);

enum class FastPaintKind {
  Nothing,   // empty bitmap, client or clip
  Copy,      // same size as the client: 1:1 from the same position
  Reduced,   // the bitmap is taller than the client
  Enlarged,  // shorter than the client (or only the widths differ): one stretched copy
};

struct FastPaintPlan {
  FastPaintKind kind = FastPaintKind::Nothing;
  RectI dest;    // control pixels to repaint: the clip, widened to whole source pixels
  RectI source;  // bitmap pixels shown there, rows counted from the top of the picture
};

// Fast path of a bitmap stretched over the whole client area. The clip is first cut to the
// client. In an enlarged view the clip's edges are moved out to multiples of the integer
// factor on each axis (client div bitmap, when > 1) so partial repaints leave no seams.
FastPaintPlan PlanFastPaint(SizeI bitmap, SizeI client, RectI clip);

// The bitmap row (from the top) that control row y shows in a view stretched to clientHeight:
// MulDiv(y, height, clientHeight), kept inside the bitmap. The same rule maps columns.
std::int32_t NearestSourceIndex(std::int32_t y, std::int32_t extent, std::int32_t clientExtent);

}  // namespace pelira
