#pragma once
// Colors › Tune › HLS: every pixel through the HLS model, its hue turned and its lightness
// and saturation moved. The result is the one of the plain per-pixel round trip
// (HlsTunePixel); the picture-wide routine only finds it faster (checked on every colour).
#include "engine/hls.h"
#include "image/dib.h"

namespace pelira {

// One colour: hue + dh (wrapped once into 0..3600), lightness + dl and saturation + ds (each
// limited to 0..3600), back to RGB limited to 255. A grey keeps saturation 0: its hue is
// undefined, and adding saturation to it would tint it blue.
Rgb HlsTunePixel(int r, int g, int b, int dh, int ds, int dl);

// ColorTuneHLS on a 24-bit picture (other depths are left alone); both cores.
void ColorTuneHLS(Dib& pic, int dh, int ds, int dl);

}  // namespace pelira
