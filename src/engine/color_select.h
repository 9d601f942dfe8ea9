#pragma once
// The colour selections: pixels chosen by HLS windows around a colour base, or by one exact
// RGB colour, and the edits over them (thresholds, the mask by colour with the duplicate
// image, Airbrush), plus Red Eye. Each routine takes everything it reads as arguments; only
// 24-bit pictures are changed.
#include <cstdint>
#include <optional>

#include "engine/hls.h"
#include "image/dib.h"

namespace pelira {

// Three windows in HLS units: centres h0, l0, s0, half-widths dh, dl, ds. Inside means
// strictly inside all three; hue is not wrapped.
struct HlsSelection {
  int h0 = 0, l0 = 0, s0 = 0;
  int dh = 0, dl = 0, ds = 0;

  bool Contains(const Hls& c) const {
    return h0 - dh < c.h && c.h < h0 + dh && l0 - dl < c.l && c.l < l0 + dl && s0 - ds < c.s && c.s < s0 + ds;
  }
  // The packed form of script lines: half-width x 65536 + centre, hue, lightness, saturation.
  std::int32_t PackedHue() const { return dh * 65536 + h0; }
  std::int32_t PackedLightness() const { return dl * 65536 + l0; }
  std::int32_t PackedSaturation() const { return ds * 65536 + s0; }
  friend bool operator==(const HlsSelection&, const HlsSelection&) = default;
};

inline constexpr int kSelectionHalfMax = 1800;
// Three packed values back into a selection; nullopt when a centre exceeds 3600 or a
// half-width 1800 (the value was not made by a selection dialog).
std::optional<HlsSelection> UnpackSelection(std::int32_t hue, std::int32_t lightness, std::int32_t saturation);

// Threshold by HLS: the test colour is the pixel (each component AND 0xF0 with posterize),
// the output the test colour (black with blackout); with outside, pixels outside the
// selection become white, else the pixels inside do.
void MaskColors(Dib& pic, const HlsSelection& sel, bool outside, bool posterize, bool blackout);

// Mask by colour: blends the picture with second by the HLS distance from the centres
// (inside: weight 255); mode 0 turns the weight round. False, nothing changed, unless both
// are 24-bit and of one size.
bool DoColorMask(Dib& pic, const Dib& second, const HlsSelection& sel, int mode);
// The weight of one colour (before mode 0 turns it round).
int ColorMaskWeight(const Hls& c, const HlsSelection& sel);

// Airbrush: the pixels whose colour, cut to four bits a component, lies in the selection
// take the 5 x 5 mean (where the window fits and the mean's lightness is within 255 of the
// pixel's).
void AirBrush(Dib& pic, const HlsSelection& sel);

// Threshold by RGB: pixels equal to (r, g, b) white and all others black (foreground), or
// the reverse.
void MaskRGB(Dib& pic, int r, int g, int b, bool foreground);

// Red Eye inside the half-open rectangle, clipped to the picture: a rectangle more than five
// rows high loses its two bottom rows; where green and blue both lie more than 8 below red,
// red becomes the larger of them.
void RedEye(Dib& pic, int left, int top, int right, int bottom);

}  // namespace pelira
