#pragma once
// The pixels of one repaint of a reduced view, made from the working bitmap without touching
// the rest of it: the fast path samples them, the screen gets them 1:1.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "display/geometry.h"
#include "image/dib.h"

namespace pelira {

// Top-down rows padded to 4 bytes: palette indices (8 bits) or blue, green, red (24 bits).
struct ClipPixels {
  std::vector<std::uint8_t> bytes;
  std::int32_t width = 0;
  std::int32_t height = 0;
  std::size_t stride = 0;
  int bitsPerPixel = 0;
  const std::uint8_t* Row(std::int32_t y) const { return bytes.data() + static_cast<std::size_t>(y) * stride; }
};

// The control rectangle dest of a bitmap stretched over `client`: every control pixel shows
// the nearest source pixel (NearestSourceIndex on each axis), without averaging. 4- and 8-bit
// pictures give palette indices, 24-bit pictures their colours. 1-bit pictures go through
// ReduceBlackWins. dest is cut to the client.
void SampleReducedView(const Dib& dib, SizeI client, RectI dest, ClipPixels& out);

// 1-bit reduction in which black wins: control pixel (x, y) covers source columns
// [x*w/CW, (x+1)*w/CW) and rows likewise (at least one each) and is black when any of them is,
// so thin strokes of faxes and scans stay visible. The result holds the two palette indices.
void ReduceBlackWins(const Dib& dib, SizeI client, RectI dest, ClipPixels& out);

// The darker of a 1-bit picture's two palette entries (a missing entry reads black); 0 on a tie.
int DarkerIndex(const Palette& palette);

}  // namespace pelira
