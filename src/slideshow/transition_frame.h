#pragma once
// The transition renderer: frame k of N of a change from the old picture to the new one is a
// pure function of the two pictures, the mapped effect and k. Frame 0 is the old picture,
// frame N the new one. Speed sets only the number of frames (slower = more); byte 3 and
// byte 4 set only how the player paces them (byte 4 != 255: the pause callback may stop it).
//
// Coordinates are local to the picture (w x h), x to the right, y down. The rules:
//
// W(region, direction, mode, d), the sliding step shared by wipes, blinds and curtains.
//   t = distance of a pixel from the region's entry edge along the motion (from Right: t =
//   right - 1 - x; from Left: t = x - left; from Bottom: t = bottom - 1 - y; from Top: t =
//   y - top); E = the region's extent along the motion. The pixel is covered when t < d and
//   shows New at t + E - d (modes 0 Scroll PUSH and 2 Scroll Over) or at t (1 Reveal PULL and
//   3 Reveal Over); otherwise it shows Old at t - d (modes 0 and 1: the old picture is pushed
//   or pulled out) or at t (2 and 3: it stays). "At t" means the pixel of the same region and
//   row (or column) at that distance from the entry edge.
// Wipes (kinds 1-4, right/left/bottom/top): W over the whole picture, d = floor(k E / N).
// Blinds (18-21): bands c = parameter >> 16 (at least 1) pixels wide along the motion, from
//   the left or top edge, the last one partial; each band is its own W with its own E.
// Curtains (5 out vertical, 6 in vertical, 7 out horizontal, 8 in horizontal): the halves
//   [0, floor(w/2)) and [floor(w/2), w) (or by rows at floor(h/2)), each its own W; out: the
//   new picture enters each half at the seam; in: at the outer edges.
// Tiles (10-13): cells b x b (b = parameter & 0xFFFF) from the top-left, the last row and
//   column partial, M cells; the first floor(k M / N) cells of the order show New. Orders:
//   Right: columns right to left, each top to bottom; Left: columns left to right, each top
//   to bottom; Bottom: rows bottom to top, each left to right; Top: rows top to bottom.
// Mosaic (9): cells b x b (variant 3: (parameter & 0xFFFF) wide, (parameter >> 16) high),
//   numbered row by row; order = Fisher-Yates over 0..M-1, i = M-1 down to 1, j = next
//   splitmix64 (state starting at the effect's seed) mod (i + 1), swap; first floor(k M / N)
//   cells of the order show New.
// Implode (16) and explode (17): U = |2x + 1 - w|, V = |2y + 1 - h|, a = k (explode) or
//   N - k (implode), m = min(w, h). Inside: Rectangle (4): U N < a w and V N < a h;
//   Circle/Ellipse (6): U^2 N^2 h^2 + V^2 N^2 w^2 < 2 a^2 w^2 h^2; Rounded Rectangle (5): 5 N U <
//   6 a w and 5 N V < 6 a h, and where u' = 5 N U - 6 a w + 3 a m > 0 and v' = 5 N V - 6 a h +
//   3 a m > 0 also u'^2 + v'^2 < (3 a m)^2. Inside shows New (explode) or Old (implode).
// Blur intro (14): B = box blur of New, radius R = max(1, floor(m/32)), rows then columns,
//   window 2R+1, edges replicated, each pass truncating; t = min(512, floor(512 k / N));
//   t <= 256: lerp(Old, B, t), else lerp(B, New, t - 256), lerp(a, b, t) = (a (256 - t) + b t
//   + 128) >> 8 per channel.
// Kind 0 and anything else: Old at frame 0, New after.
#include <cstdint>
#include <vector>

namespace pelira {

class Dib;

// A picture as the player draws it: top-down rows of 0xFFRRGGBB (the byte order of a
// 32-bit BGRX surface on a little-endian machine).
struct Surface {
  int width = 0;
  int height = 0;
  std::vector<std::uint32_t> pixels;

  Surface() = default;
  Surface(int w, int h, std::uint32_t fill = 0xFF000000u);
  std::uint32_t* Row(int y) { return pixels.data() + static_cast<std::size_t>(y) * width; }
  const std::uint32_t* Row(int y) const { return pixels.data() + static_cast<std::size_t>(y) * width; }
  bool operator==(const Surface&) const = default;
};

// Any bitmap onto a surface of its own size, and a surface back as a 24-bit bitmap.
Surface SurfaceFromDib(const Dib& dib);
Dib DibFromSurface(const Surface& s);
// src drawn at (x, y) onto dst, clipped.
void DrawSurface(const Surface& src, Surface& dst, int x, int y);

// The renderer's arguments: the table entry after mapping, the effects speed and the seed
// of the mosaic orders.
struct TransitionEffect {
  int kind = 0;
  int variant = 0;
  std::int64_t parameter = 0;
  int byte3 = 0;
  int byte4 = 0;
  int speed = 1;
  std::uint64_t seed = 0;
  bool operator==(const TransitionEffect&) const = default;
};

// 300, 600, 1200, 2400 ms for speeds 0..3 (outside: clamped).
int TransitionDurationMs(int speed);
// N: one frame per 16 ms of the duration, rounded up; 1 for kind 0.
int TransitionFrameCount(const TransitionEffect& fx);

// Precomputed parts of an effect (the blur, the mosaic order), so that rendering a sequence
// does not redo them for every frame. Built from the new picture and the effect.
class TransitionPlan {
public:
  TransitionPlan(const Surface& newPicture, const TransitionEffect& fx);
  const TransitionEffect& Effect() const { return fx_; }
  int FrameCount() const { return frames_; }
  // Frame k (clamped to 0..N) into out, resized to the pictures' size. oldPicture and
  // newPicture must be the same size.
  void Render(const Surface& oldPicture, const Surface& newPicture, int k, Surface& out) const;

private:
  TransitionEffect fx_;
  int frames_ = 1;
  Surface blurred_;
  std::vector<std::uint32_t> order_;  // mosaic and tile cell order, while the plan is made
  std::vector<std::uint32_t> rank_;   // each cell's place in that order
  int cellW_ = 1, cellH_ = 1, cols_ = 0, rows_ = 0;
};

// The pure form: frame k of N = TransitionFrameCount(fx).
Surface RenderTransitionFrame(const Surface& oldPicture, const Surface& newPicture, const TransitionEffect& fx, int k);

// The box blur of the blur intro (radius R, rows then columns, edges replicated, truncating).
Surface BoxBlur(const Surface& s, int radius);

}  // namespace pelira
