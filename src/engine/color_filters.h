#pragma once
// Filters that push a 24-bit picture's pixels through the tone tables, and the tone
// operations built only from them. Every routine takes the picture it works on, so the
// viewer's picture and a preview get the same result; pictures that are not 24-bit are left
// alone (the commands make them true colour first). Rows are independent, so the point
// filters split them over both cores; the result is the serial one.
#include "engine/engine_state.h"
#include "engine/hls.h"
#include "image/dib.h"

namespace pelira {

void ColorFilter(Dib& pic, const ToneTables& t);     // c -> table_k[c]
void NegColorFilter(Dib& pic, const ToneTables& t);  // c -> 255 - table_k[255 - c]
// Lightness through the green table. An entry equal to its index keeps L exactly: the
// index round trip alone would move greys and colours by a level or two.
void LuminanceFilter(Dib& pic, const ToneTables& t);
// Saturation through the green table, then the blue table; identity entries keep S.
void SaturationFilter(Dib& pic, const ToneTables& t);
void BalanceGammaFilter(Dib& pic, const ToneTables& t);
void BalanceFilter(Dib& pic, const ToneTables& t);

void MultiplyRGB(Dib& pic);         // UnWash: c x c div 255
void UnWashMore(Dib& pic);          // UnCook
void MultiplyLuminance(Dib& pic);   // Attenuate
void Negative(Dib& pic);            // 255 - c

// The reference colour: of the pixels, walked last to first, the one whose hue and
// saturation both undercut the kept ones. Serial, since the strict comparisons make the
// answer depend on that order. Returns the colour as red, green, blue; writes nothing.
Rgb WhiteMax(const Dib& pic);

}  // namespace pelira
