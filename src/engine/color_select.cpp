#include "engine/color_select.h"

#include <algorithm>
#include <cstdlib>

#include "common/parallel_for.h"

namespace pelira {

namespace {

bool TrueColor(const Dib& pic) { return !pic.Empty() && pic.BitCount() == 24; }

// fn(pixel pointer) over every pixel of a 24-bit picture, both cores.
template <class Fn>
void ForPixels(Dib& pic, Fn fn) {
  if (!TrueColor(pic)) return;
  const int w = pic.Width();
  ParallelRows(
      pic.Height(),
      [&](int first, int last) {
        for (int y = first; y < last; ++y) {
          std::uint8_t* p = pic.ScanLine(y);
          for (int x = 0; x < w; ++x, p += 3) fn(p);
        }
      },
      0, w);
}

void Put(std::uint8_t* p, int v) { p[0] = p[1] = p[2] = static_cast<std::uint8_t>(v); }

}  // namespace

std::optional<HlsSelection> UnpackSelection(std::int32_t hue, std::int32_t lightness, std::int32_t saturation) {
  HlsSelection s;
  const std::int32_t packed[3] = {hue, lightness, saturation};
  int* centre[3] = {&s.h0, &s.l0, &s.s0};
  int* half[3] = {&s.dh, &s.dl, &s.ds};
  for (int k = 0; k < 3; ++k) {
    const auto u = static_cast<std::uint32_t>(packed[k]);
    const int c = static_cast<int>(u & 0xFFFF), h = static_cast<int>(u >> 16);
    if (c > kHlsMax || h > kSelectionHalfMax) return std::nullopt;
    *centre[k] = c;
    *half[k] = h;
  }
  return s;
}

void MaskColors(Dib& pic, const HlsSelection& sel, bool outside, bool posterize, bool blackout) {
  const int cut = posterize ? 0xF0 : 0xFF;
  ForPixels(pic, [&](std::uint8_t* p) {
    const int b = p[0] & cut, g = p[1] & cut, r = p[2] & cut;
    const bool inside = sel.Contains(RGBToHLS(r, g, b));
    if (inside != outside) {
      Put(p, 255);
    } else if (blackout) {
      Put(p, 0);
    } else {
      p[0] = static_cast<std::uint8_t>(b);
      p[1] = static_cast<std::uint8_t>(g);
      p[2] = static_cast<std::uint8_t>(r);
    }
  });
}

int ColorMaskWeight(const Hls& c, const HlsSelection& sel) {
  if (sel.Contains(c)) return 255;
  // Up to 3 x 3600^2 x 255: past 32 bits.
  const std::int64_t dh = c.h - sel.h0, dl = c.l - sel.l0, ds = c.s - sel.s0;
  const std::int64_t w = (dh * dh + dl * dl + ds * ds) * 255 / 38880000;
  return static_cast<int>(std::clamp<std::int64_t>(w, 0, 255));
}

bool DoColorMask(Dib& pic, const Dib& second, const HlsSelection& sel, int mode) {
  if (!TrueColor(pic) || second.BitCount() != 24 || second.Width() != pic.Width() || second.Height() != pic.Height())
    return false;
  const int w = pic.Width();
  ParallelRows(
      pic.Height(),
      [&](int first, int last) {
        for (int y = first; y < last; ++y) {
          std::uint8_t* p = pic.ScanLine(y);
          const std::uint8_t* d = second.ScanLine(y);
          for (int x = 0; x < w; ++x, p += 3, d += 3) {
            int k = ColorMaskWeight(RGBToHLS(p[2], p[1], p[0]), sel);
            if (mode == 0) k = 255 - k;
            for (int i = 0; i < 3; ++i)
              p[i] = static_cast<std::uint8_t>(std::min(255, (255 - k) * p[i] / 255 + k * d[i] / 255));
          }
        }
      },
      0, w);
  return true;
}

void AirBrush(Dib& pic, const HlsSelection& sel) {
  if (!TrueColor(pic)) return;
  const int w = pic.Width(), h = pic.Height();
  // The means are read from the picture as it was; only selected pixels need theirs.
  const Dib src = pic;
  ParallelRows(
      h,
      [&](int first, int last) {
        for (int y = first; y < last; ++y) {
          std::uint8_t* out = pic.ScanLine(y);
          const std::uint8_t* o = src.ScanLine(y);
          const bool rowFits = y >= 2 && y < h - 2;
          for (int x = 0; x < w; ++x, o += 3) {
            if (!sel.Contains(RGBToHLS(o[2] & 0xF0, o[1] & 0xF0, o[0] & 0xF0))) continue;
            // Where the 5 x 5 window does not fit the pixel stays.
            if (!rowFits || x < 2 || x >= w - 2) continue;
            int sum[3] = {0, 0, 0};
            for (int k = -2; k <= 2; ++k) {
              const std::uint8_t* q = src.ScanLine(y + k) + 3 * (x - 2);
              for (int j = 0; j < 15; ++j) sum[j % 3] += q[j];
            }
            const int mb = sum[0] / 25, mg = sum[1] / 25, mr = sum[2] / 25;
            if (std::abs(RGBToHLS(o[2], o[1], o[0]).l - RGBToHLS(mr, mg, mb).l) < 255) {
              out[3 * x] = static_cast<std::uint8_t>(mb);
              out[3 * x + 1] = static_cast<std::uint8_t>(mg);
              out[3 * x + 2] = static_cast<std::uint8_t>(mr);
            }
          }
        }
      },
      0, w);
}

void MaskRGB(Dib& pic, int r, int g, int b, bool foreground) {
  ForPixels(pic, [&](std::uint8_t* p) {
    const bool match = p[2] == r && p[1] == g && p[0] == b;
    Put(p, match == foreground ? 255 : 0);
  });
}

void RedEye(Dib& pic, int left, int top, int right, int bottom) {
  if (!TrueColor(pic)) return;
  left = std::max(left, 0);
  top = std::max(top, 0);
  right = std::min(right, pic.Width());
  bottom = std::min(bottom, pic.Height());
  if (left >= right || top >= bottom) return;
  // A frame more than five rows high leaves its two lowest rows alone.
  if (bottom - top > 5) bottom -= 2;
  for (int y = top; y < bottom; ++y) {
    std::uint8_t* p = pic.ScanLine(y) + 3 * left;
    for (int x = left; x < right; ++x, p += 3)
      if (p[1] + 8 < p[2] && p[0] + 8 < p[2]) p[2] = std::max(p[0], p[1]);
  }
}

}  // namespace pelira
