#include "engine/color_filters.h"

#include <algorithm>

#include "common/parallel_for.h"

namespace pelira {

namespace {

bool TrueColor(const Dib& pic) { return !pic.Empty() && pic.BitCount() == 24; }

// Runs fn(row pointer, width) over every row of a 24-bit picture, both cores.
template <class Fn>
void ForRows(Dib& pic, Fn fn) {
  if (!TrueColor(pic)) return;
  const int w = pic.Width();
  ParallelRows(
      pic.Height(),
      [&](int first, int last) {
        for (int y = first; y < last; ++y) fn(pic.ScanLine(y), w);
      },
      0, w);
}

template <class PixelFn>
void ForPixels(Dib& pic, PixelFn fn) {
  ForRows(pic, [&](std::uint8_t* p, int w) {
    for (int x = 0; x < w; ++x, p += 3) fn(p);
  });
}

void Store(std::uint8_t* p, const Rgb& c) {
  p[0] = static_cast<std::uint8_t>(c.b);
  p[1] = static_cast<std::uint8_t>(c.g);
  p[2] = static_cast<std::uint8_t>(c.r);
}

}  // namespace

void ColorFilter(Dib& pic, const ToneTables& t) {
  const ToneTable& r = t.red;
  const ToneTable& g = t.green;
  const ToneTable& b = t.blue;
  ForRows(pic, [&](std::uint8_t* p, int w) {
    for (int x = 0; x < w; ++x, p += 3) {
      p[0] = b[p[0]];
      p[1] = g[p[1]];
      p[2] = r[p[2]];
    }
  });
}

void NegColorFilter(Dib& pic, const ToneTables& t) {
  ForPixels(pic, [&](std::uint8_t* p) {
    p[0] = static_cast<std::uint8_t>(255 - t.blue[255 - p[0]]);
    p[1] = static_cast<std::uint8_t>(255 - t.green[255 - p[1]]);
    p[2] = static_cast<std::uint8_t>(255 - t.red[255 - p[2]]);
  });
}

void LuminanceFilter(Dib& pic, const ToneTables& t) {
  ForPixels(pic, [&](std::uint8_t* p) {
    Hls c = RGBToHLS(p[2], p[1], p[0]);
    const int idx = c.l * 255 / kHlsMax;
    const int v = t.green[idx];
    if (v == idx) return;
    c.l = v * kHlsMax / 255;
    Store(p, HLSToRGBClamped(c.h, c.l, c.s));
  });
}

void SaturationFilter(Dib& pic, const ToneTables& t) {
  ForPixels(pic, [&](std::uint8_t* p) {
    Hls c = RGBToHLS(p[2], p[1], p[0]);
    const int idx = c.s * 255 / kHlsMax;
    const int v = t.blue[t.green[idx]];
    if (v == idx) return;
    c.s = v * kHlsMax / 255;
    Store(p, HLSToRGBClamped(c.h, c.l, c.s));
  });
}

void BalanceGammaFilter(Dib& pic, const ToneTables& t) {
  ForPixels(pic, [&](std::uint8_t* p) {
    const int y = LumaY(p[2], p[1], p[0]);
    for (int k = 0; k < 3; ++k) {
      const int c = p[k];
      p[k] = static_cast<std::uint8_t>(std::min(255, y * c / 255 + t.green[c] * (255 - y) / 255));
    }
  });
}

void BalanceFilter(Dib& pic, const ToneTables& t) {
  ForPixels(pic, [&](std::uint8_t* p) {
    const int R = p[2], G = p[1], B = p[0];
    int r = t.wide[R], g = t.wide[G], b = t.wide[B];
    const int m = std::max({r, g, b});
    if (m > 0) {
      r = std::min(255, r * 255 / m);
      g = std::min(255, g * 255 / m);
      b = std::min(255, b * 255 / m);
    }
    const Hls h = RGBToHLS(r, g, b);
    const Rgb c2 = HLSToRGBClamped(h.h, h.l, h.s);
    const int y = std::min(255, LumaY(R, G, B));
    auto mix = [y](int c, int cc) { return static_cast<std::uint8_t>(std::min(255, (255 - y) * c / 255 + y * cc / 255)); };
    p[2] = mix(R, c2.r);
    p[1] = mix(G, c2.g);
    p[0] = mix(B, c2.b);
  });
}

void MultiplyRGB(Dib& pic) {
  ForPixels(pic, [](std::uint8_t* p) {
    for (int k = 0; k < 3; ++k) p[k] = static_cast<std::uint8_t>(p[k] * p[k] / 255);
  });
}

void UnWashMore(Dib& pic) {
  ForPixels(pic, [](std::uint8_t* p) {
    const Hls c = RGBToHLS(p[2], p[1], p[0]);
    const int m = std::min({p[0], p[1], p[2]});
    const int lm = (2 * m * kHlsMax + kRgbMax) / (2 * kRgbMax);
    const int l2 = std::min(kHlsMax, lm * lm / kHlsMax);
    const Rgb c2 = HLSToRGBClamped(c.h, l2, c.s);
    p[2] = static_cast<std::uint8_t>((p[2] + c2.r) / 2);
    p[1] = static_cast<std::uint8_t>((p[1] + c2.g) / 2);
    p[0] = static_cast<std::uint8_t>((p[0] + c2.b) / 2);
  });
}

void MultiplyLuminance(Dib& pic) {
  ForPixels(pic, [](std::uint8_t* p) {
    const Hls c = RGBToHLS(p[2], p[1], p[0]);
    Store(p, HLSToRGBClamped(c.h, std::min(kHlsMax, c.l * c.l / kHlsMax), c.s));
  });
}

void Negative(Dib& pic) {
  ForRows(pic, [](std::uint8_t* p, int w) {
    std::uint8_t* end = p + 3 * static_cast<std::size_t>(w);
    for (; p < end; ++p) *p = static_cast<std::uint8_t>(~*p);
  });
}

Rgb WhiteMax(const Dib& pic) {
  int keptH = 3599, keptS = 3599, keptL = 0;
  if (TrueColor(pic)) {
    for (int y = pic.Height() - 1; y >= 0; --y) {
      const std::uint8_t* row = pic.ScanLine(y);
      for (int x = pic.Width() - 1; x >= 0; --x) {
        const std::uint8_t* p = row + 3 * x;
        const Hls c = RGBToHLS(p[2], p[1], p[0]);
        if (c.h < keptH && c.s < keptS) {
          keptH = c.h;
          keptS = c.s;
          keptL = c.l;
        }
      }
    }
  }
  return HLSToRGBClamped(keptH, keptL, keptS);
}

}  // namespace pelira
