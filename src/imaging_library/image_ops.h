#pragma once
// Pixel operations behind the imaging library's calls, as free functions on bitmaps so the
// engine can use them directly too. None changes its input; each returns a new bitmap.
#include <cstdint>

#include "image/dib.h"
#include "image/dib_graphic.h"

namespace pelira {

// Scaled copy of src's rectangle r (clipped to src) at width x height.
//  0: plain copy (nearest pixel), depth and palette kept;
//  1, 2: a 1-bit picture resized keeping black (1) or white (2): a target pixel takes that
//        colour when any source pixel under it has it;
//  4: smooth copy (area average when shrinking, linear when enlarging); 24 bits, or 8-bit
//     grays for a 1-bit source;
//  32: a 1-bit page shrunk to gray shades: 8 bits with the 256-level gray palette, each
//      pixel the area average of the source under it.
// Other sources or options fall back to 0 (for 1, 2 on colour pictures) or 4.
Dib ScaledCopy(const Dib& src, int width, int height, const TRect& r, int option);

// Colour reduction to at most `colours` (2..256) colours. Option bits: 1, 2 or 4 dither with
// Floyd-Steinberg error diffusion (none of them: nearest colour only, a poster); 8 a gray
// palette of `colours` even levels from (3R + 6G + B) div 10; 16 the fixed default palette
// of that size; 64 median cut refined by two k-means passes; otherwise (32) median cut.
// Two colours without a palette bit give black and white, dithered on the gray value. Result: 1 bit for 2 colours, 4
// bits up to 16, else 8, palette holding only the colours made.
Dib ReduceColors(const Dib& src, int colours, int option);

// Any bitmap as 24 bits.
Dib ToTrueColor(const Dib& src);

// Rotation by angle hundredths of a degree, positive counter-clockwise; the corners the
// picture no longer covers take fill. Right angles are exact and keep depth and palette;
// other angles keep palette depths (nearest pixel) and interpolate 24-bit pictures.
Dib Rotate(const Dib& src, int angle, ColorValue fill);

// In place: horizontal swaps left and right, vertical top and bottom.
void Mirror(Dib& dib, bool horizontal, bool vertical);

// In place: out = 255 x (in / 255)^(1 / gamma) on every channel (the palette of palette
// pictures). gamma 1 leaves the picture as it is; gamma <= 0 is refused (false).
bool ApplyGamma(Dib& dib, double gamma);

// Draws src scaled into dst's rectangle r (nearest pixel), converting to dst's depth: indices
// are copied when both palettes agree, else every pixel takes dst's nearest entry.
void DrawInto(const Dib& src, const TRect& srcRect, Dib& dst, const TRect& dstRect);

}  // namespace pelira
