#pragma once
// Size fitting shared by the viewer's fit mode and the thumbnails, and the rounded
// multiply-divide the picture maths is written in.
#include <cstdint>

#include "display/geometry.h"

namespace pelira {

// a * b / c rounded half away from zero, in 128-bit so no product overflows; the result
// saturates to the 32-bit range. c == 0 gives -1, as the platform routine it replaces did.
std::int32_t MulDiv(std::int64_t a, std::int64_t b, std::int64_t c);

// Fits width x height into maxWidth x maxHeight keeping the proportions: a size smaller than
// the box in either direction is doubled until it is not, then scaled to the box. Any size
// <= 0 gives 0 x 0 (nothing to fit); otherwise both results are at least 1.
SizeI FitSize(std::int32_t width, std::int32_t height, std::int32_t maxWidth,
              std::int32_t maxHeight);

// Top-left corner that centres an inner extent in an outer one, truncating toward zero.
inline std::int32_t CenteredOrigin(std::int32_t outer, std::int32_t inner) {
  return static_cast<std::int32_t>((static_cast<std::int64_t>(outer) - inner) / 2);
}

}  // namespace pelira
