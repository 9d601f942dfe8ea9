#pragma once
// Colors › Gray shades: greys made from each pixel's own components, on 24-bit pictures.
#include "image/dib.h"

namespace pelira {

// Naturalize (DoFilmNoir): a grey level between the pixel's low and high measure (CCD:
// (R+2G+B) div 4 and the 3/6/1 luma; RGB: min and max) at a of 255, blended with the colour
// by strength b of 256.
void DoFilmNoir(Dib& pic, int a, bool ccd, int b);

// RGB Maximum / Minimum: each pixel becomes the grey of its largest or smallest component.
void RgbExtremeGray(Dib& pic, bool maximum);

}  // namespace pelira
