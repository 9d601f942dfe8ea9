#pragma once
// The smooth resample of Image › Resize, and the plain and smooth copies DeLace and Enrich
// scale through. Each works on a copy and hands the picture back only on success.
#include "image/dib.h"

namespace pelira {

inline constexpr int kResampleMaxSide = 16384;

enum class ResampleResult { Unchanged, Done, Failed };

// Sizes are limited to 1..16384. Nothing happens unless the size differs and both sides
// exceed 15. Pictures of 8 bits or more take the smooth copy, through twice the target size
// when either side shrinks. Smaller depths take the interpolating resize the size dialog
// presets (a 1-bit picture keeps black), in two steps only when the height stays and the
// width shrinks. Failed: the copy could not be made (too large); the picture is as it was.
ResampleResult Resample(Dib& pic, int width, int height);

// The size Resample works towards: both sides limited to 1..16384.
int ClampResampleSide(int side);

}  // namespace pelira
