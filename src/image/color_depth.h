#pragma once
// Colour depth of the working bitmap: reductions through the imaging library (palette
// building and dithering), posterize, promotions and the true gray conversion. Pure
// functions on bitmaps: each returns the new working bitmap and leaves its input alone, so
// the command layer takes its undo copy, records its script line (the operation table says
// which) and refreshes the view around the call.
//
//   True Grayscale        TrueGrayscale(bmp)
//   256 colors (dither)   ReduceDepth(bmp, DepthTarget::Colors256, m)
//   256 colors (poster)   Posterize(bmp, 8)
//   256 grays (dither)    ReduceDepth(bmp, DepthTarget::Grays256, m)
//   16 colors (dither)    ReduceDepth(bmp, DepthTarget::Colors16, m)
//   16 colors (poster)    Posterize(bmp, 4)
//   B/W                   ReduceDepth(bmp, DepthTarget::BlackWhite, m)
//   16M colors            Promote(bmp, 24)
//   256, 16 colors        Promote(bmp, 8), Promote(bmp, 4)
//
// m is the answer of the "Color reduction method" dialog: 1 "Standard", 2 "Optimal", any
// other value the third choice (ReductionOptionsFor gives the colour count and option value
// the library receives). The new depth is the result's BitCount(): 1, 4 or 8 after a
// reduction, the asked bits after a promotion, 24 after TrueGrayscale.
//
// Failures raise EColorDepthError carrying the library's status text; the input bitmap is
// then unchanged, as the command requires.
#include <string>

#include "common/errors.h"
#include "image/dib.h"

namespace pelira {

class EColorDepthError : public EVistrelError {
public:
  using EVistrelError::EVistrelError;
};

enum class DepthTarget { BlackWhite, Colors16, Colors256, Grays256 };

struct ReductionOptions {
  int colours = 0;
  int option = 0;  // the library's option bits (see ReduceColors in imaging_library/image_ops.h)
};

// The table of the reductions: B/W 2 colours with option 2 / 4 / 1; 16 and 256 colours
// with 36 / 68 / 20; 256 grays with 44 / 76 / 28 (Standard / Optimal / other).
ReductionOptions ReductionOptionsFor(DepthTarget target, int method);
// Posterize: 16 (bits 4) or 256 (bits 8) colours, option 32 (median cut, no dithering).
ReductionOptions PosterizeOptionsFor(int bits);

// Through the imaging library: at most the target's colours, dithered as the method says;
// the result carries the palette the library built (2, up to 16 or up to 256 entries).
Dib ReduceDepth(const Dib& bitmap, DepthTarget target, int method);
// The bitmap made 24-bit, then reduced to 16 or 256 colours without dithering. Bits other
// than 4 and 8 raise EColorDepthError.
Dib Posterize(const Dib& bitmap, int bits);
// To 4, 8 or 24 bits keeping every colour the target can hold: palette bitmaps keep their
// indices and entries when the target is at least as deep; a deeper source is mapped to the
// nearest entry of the target's default palette. Other bit counts raise EColorDepthError.
Dib Promote(const Dib& bitmap, int bits);
// 24 bits, every pixel gray = (3R + 6G + B) div 10 in all three components: white stays
// white, pure red gives 76.
Dib TrueGrayscale(const Dib& bitmap);

// The gray value TrueGrayscale writes for a colour.
constexpr int TrueGrayOf(int red, int green, int blue) { return (3 * red + 6 * green + blue) / 10; }

}  // namespace pelira
