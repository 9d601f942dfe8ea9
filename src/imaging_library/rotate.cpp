// Rotation and mirroring of bitmaps. Right angles move bytes; other angles walk each output row
// once, with the source position stepping by the angle's cosine and sine, and interpolate
// true-colour pixels in integers (weights in 1/256). Rows are split over worker threads; each
// row depends only on its own index, so the result is the same however the rows are split.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <numbers>
#include <vector>

#include "common/errors.h"
#include "common/parallel_for.h"
#include "image/palette.h"
#include "imaging_library/image_ops.h"

namespace pelira {

namespace {

// A quarter or half turn by copying: out (X, Y) takes src (x, y).
Dib RightAngle(const Dib& src, int angle) {
  const int w = src.Width(), h = src.Height();
  const bool quarter = angle != 18000;
  Dib out(quarter ? h : w, quarter ? w : h, src.BitCount(), src.Colors(), Dib::Init::Uninitialised);
  out.xPelsPerMeter = quarter ? src.yPelsPerMeter : src.xPelsPerMeter;
  out.yPelsPerMeter = quarter ? src.xPelsPerMeter : src.yPelsPerMeter;
  const int W = out.Width(), H = out.Height();
  // Source (x, y) of output (X, Y).
  auto at = [&](int X, int Y, int& x, int& y) {
    if (angle == 9000) x = w - 1 - Y, y = X;          // counter-clockwise quarter
    else if (angle == 18000) x = w - 1 - X, y = h - 1 - Y;
    else x = Y, y = h - 1 - X;                         // clockwise quarter
  };
  const int bits = src.BitCount();
  const std::size_t bpp = bits / 8;
  const bool bytes = bits == 24 || bits == 8;
  ParallelRows(H, [&](int first, int last) {
    for (int Y = first; Y < last; ++Y) std::memset(out.ScanLine(Y), 0, out.Stride());
    if (bytes && angle != 18000) {
      // A quarter turn reads source rows along output columns: square tiles keep the rows
      // being written and the rows being read in the cache (and their pages in the TLB).
      constexpr int kTile = 32;
      const std::ptrdiff_t step = angle == 9000 ? -static_cast<std::ptrdiff_t>(bpp) : static_cast<std::ptrdiff_t>(bpp);
      const std::uint8_t* from[kTile];
      for (int Y0 = first; Y0 < last; Y0 += kTile) {
        const int n = std::min(kTile, last - Y0);
        for (int X0 = 0; X0 < W; X0 += kTile) {
          const int m = std::min(kTile, W - X0);
          // The source pixel of output (X0 + j, Y0): one source row per output column.
          for (int j = 0; j < m; ++j) {
            int x, y;
            at(X0 + j, Y0, x, y);
            from[j] = src.ScanLine(y) + x * bpp;
          }
          for (int i = 0; i < n; ++i) {
            // Along Y the source column steps by +1 (clockwise) or -1 (counter-clockwise).
            const std::ptrdiff_t off = step * i;
            std::uint8_t* o = out.ScanLine(Y0 + i) + X0 * bpp;
            if (bpp == 3) {
              for (int j = 0; j < m; ++j, o += 3) {
                const std::uint8_t* s = from[j] + off;
                o[0] = s[0], o[1] = s[1], o[2] = s[2];
              }
            } else {
              for (int j = 0; j < m; ++j) o[j] = from[j][off];
            }
          }
        }
      }
      return;
    }
    for (int Y = first; Y < last; ++Y) {
      std::uint8_t* o = out.ScanLine(Y);
      if (bytes) {
        const std::uint8_t* s = src.ScanLine(h - 1 - Y);
        for (int X = 0; X < W; ++X) std::memcpy(o + X * bpp, s + (w - 1 - X) * bpp, bpp);
        continue;
      }
      for (int X = 0; X < W; ++X) {
        int x, y;
        at(X, Y, x, y);
        out.SetIndex(X, Y, src.Index(x, y));
      }
    }
  }, 0, W);
  return out;
}

}  // namespace

Dib Rotate(const Dib& src, int angle, ColorValue fill) {
  if (src.Empty()) throw EVistrelError("Invalid image");
  angle %= 36000;
  if (angle < 0) angle += 36000;
  const int w = src.Width(), h = src.Height();
  if (angle == 0) return src;
  if (angle % 9000 == 0) return RightAngle(src, angle);
  const double t = angle / 100.0 * std::numbers::pi / 180.0;
  const double c = std::cos(t), s = std::sin(t);
  const int W = std::max(1, static_cast<int>(std::lround(std::abs(w * c) + std::abs(h * s))));
  const int H = std::max(1, static_cast<int>(std::lround(std::abs(w * s) + std::abs(h * c))));
  const double cx = w / 2.0, cy = h / 2.0, CX = W / 2.0, CY = H / 2.0;
  Dib out(W, H, src.BitCount(), src.Colors(), Dib::Init::Uninitialised);
  out.xPelsPerMeter = src.xPelsPerMeter;
  out.yPelsPerMeter = src.yPelsPerMeter;
  std::uint32_t fillIndex = fill;
  if (src.HasPalette()) {
    const int i = NearestPaletteIndex(src.Colors().data(), static_cast<int>(src.Colors().size()), fill);
    fillIndex = i < 0 ? 0u : static_cast<std::uint32_t>(i);
  }
  const std::uint8_t fb = static_cast<std::uint8_t>(BlueOf(fill)), fg = static_cast<std::uint8_t>(GreenOf(fill)),
                     fr = static_cast<std::uint8_t>(RedOf(fill));
  const bool trueColor = src.BitCount() == 24;
  const std::uint8_t* base = src.Bits();
  const std::size_t stride = src.Stride();
  ParallelRows(H, [&](int first, int last) {
    for (int Y = first; Y < last; ++Y) {
      std::uint8_t* o = out.ScanLine(Y);
      std::memset(o, 0, out.Stride());
      // Inverse of a counter-clockwise turn on screen (y grows downwards): the source point of
      // output pixel X is (ax + X c, ay + X s).
      const double dy = Y + 0.5 - CY;
      const double ax = (0.5 - CX) * c - dy * s + cx - 0.5, ay = (0.5 - CX) * s + dy * c + cy - 0.5;
      if (!trueColor) {
        for (int X = 0; X < W; ++X) {
          const double sx = ax + X * c, sy = ay + X * s;
          if (sx < -0.5 || sy < -0.5 || sx > w - 0.5 || sy > h - 0.5) {
            out.SetIndex(X, Y, fillIndex);
            continue;
          }
          const int nx = std::clamp(static_cast<int>(std::lround(sx)), 0, w - 1);
          const int ny = std::clamp(static_cast<int>(std::lround(sy)), 0, h - 1);
          out.SetIndex(X, Y, src.Index(nx, ny));
        }
        continue;
      }
      // True colour: the source point in 32.32 fixed point, stepped along the row (the error
      // stays far below a 256th of a pixel over any row), weights in 256ths.
      constexpr double kOne = 4294967296.0;
      std::int64_t fx = std::llround(ax * kOne), fy = std::llround(ay * kOne);
      const std::int64_t dx = std::llround(c * kOne), dyStep = std::llround(s * kOne);
      const std::int64_t lo = -(std::int64_t{1} << 31);
      const std::int64_t hiX = (static_cast<std::int64_t>(w) << 32) - (std::int64_t{1} << 31);
      const std::int64_t hiY = (static_cast<std::int64_t>(h) << 32) - (std::int64_t{1} << 31);
      std::uint8_t* p = o;
      for (int X = 0; X < W; ++X, fx += dx, fy += dyStep, p += 3) {
        if (fx < lo || fy < lo || fx > hiX || fy > hiY) {
          p[0] = fb, p[1] = fg, p[2] = fr;
          continue;
        }
        int x0 = static_cast<int>(fx >> 32), y0 = static_cast<int>(fy >> 32);
        // Weights rounded to 256ths: 0..256.
        int wx = static_cast<int>(((fx & 0xFFFFFFFF) + (std::int64_t{1} << 23)) >> 24);
        int wy = static_cast<int>(((fy & 0xFFFFFFFF) + (std::int64_t{1} << 23)) >> 24);
        // Half a pixel outside the first row or column: that pixel alone.
        if (x0 < 0) x0 = 0, wx = 0;
        if (y0 < 0) y0 = 0, wy = 0;
        const int x1 = x0 + 1 < w ? x0 + 1 : x0, y1 = y0 + 1 < h ? y0 + 1 : y0;
        const std::uint8_t* r0 = base + (h - 1 - y0) * stride;
        const std::uint8_t* r1 = base + (h - 1 - y1) * stride;
        const std::uint8_t* a = r0 + 3 * x0;
        const std::uint8_t* b = r0 + 3 * x1;
        const std::uint8_t* d = r1 + 3 * x0;
        const std::uint8_t* e = r1 + 3 * x1;
        for (int k = 0; k < 3; ++k) {
          const int top = a[k] * (256 - wx) + b[k] * wx;
          const int bot = d[k] * (256 - wx) + e[k] * wx;
          p[k] = static_cast<std::uint8_t>((top * (256 - wy) + bot * wy + 32768) >> 16);
        }
      }
    }
  }, 0, W);
  return out;
}

void Mirror(Dib& d, bool horizontal, bool vertical) {
  if (d.Empty()) return;
  const int w = d.Width(), h = d.Height();
  if (vertical) {
    std::vector<std::uint8_t> tmp(d.Stride());
    for (int y = 0; y < h / 2; ++y) {
      std::memcpy(tmp.data(), d.ScanLine(y), d.Stride());
      std::memcpy(d.ScanLine(y), d.ScanLine(h - 1 - y), d.Stride());
      std::memcpy(d.ScanLine(h - 1 - y), tmp.data(), d.Stride());
    }
  }
  if (!horizontal) return;
  const int bits = d.BitCount();
  ParallelRows(h, [&](int first, int last) {
    std::vector<std::uint8_t> row(bits == 24 ? 3 * static_cast<std::size_t>(w) : 0);
    for (int y = first; y < last; ++y) {
      std::uint8_t* p = d.ScanLine(y);
      if (bits == 24) {
        // Reversed into a row of its own, then copied back: plain loops the compiler unrolls.
        std::memcpy(row.data(), p, 3 * static_cast<std::size_t>(w));
        const std::uint8_t* q = row.data() + 3 * static_cast<std::size_t>(w - 1);
        for (int x = 0; x < w; ++x, q -= 3, p += 3) p[0] = q[0], p[1] = q[1], p[2] = q[2];
      } else if (bits == 8) {
        std::reverse(p, p + w);
      } else {
        for (int x = 0; x < w / 2; ++x) {
          const std::uint32_t a = d.Index(x, y), b = d.Index(w - 1 - x, y);
          d.SetIndex(x, y, b);
          d.SetIndex(w - 1 - x, y, a);
        }
      }
    }
  }, 0, w);
}

}  // namespace pelira
