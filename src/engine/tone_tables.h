#pragma once
// The table builders. Each rewrites some or all entries of one channel's table (ch: 0 red,
// 1 green, other blue); entries a builder does not write keep what the last one left. Every
// builder clamps its own arguments to the range its commands offer, so no argument writes
// outside a table, wraps a byte or divides by zero.
#include "engine/engine_state.h"

namespace pelira {

// Round: nearest integer, halves to the even neighbour.
double RoundHalfEven(double v);

void ResetMaps(ToneTables& t);
void SetGammaLUT(ToneTables& t, int gamma100, int ch);    // gamma x 100, 1..500
void SetBrightLUT(ToneTables& t, int v, int ch);          // -127..127
void SetBrightLUTex(ToneTables& t, int v, int ch);        // the wide table
void SetShiftLUT(ToneTables& t, int v, int ch);           // -127..127
void SetContrastLUT(ToneTables& t, int v, int ch);        // -127..127
void SetSupressLUT(ToneTables& t, int lo, int hi, int ch);
void SetStretchLUT(ToneTables& t, int lo, int hi, int ch);
void SetLoRemap(ToneTables& t, int lo, int hi, int ch);   // entries 0..hi-1
void SetHiRemap(ToneTables& t, int hi, int lo, int ch);   // entries lo..255; upper bound first
void SetMidToneLUT(ToneTables& t, int gamma100);          // green entries 0..127
void SetEqLUT(ToneTables& t, int centre, int band, int ch, int gain);

}  // namespace pelira
