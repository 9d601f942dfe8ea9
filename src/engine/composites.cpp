#include "engine/composites.h"

#include <algorithm>
#include <array>

#include "common/parallel_for.h"
#include "engine/hls.h"
#include "engine/tone_tables.h"

namespace pelira {

bool Ok2Compute(const Dib& pic, const Dib& second) {
  return !pic.Empty() && pic.BitCount() == 24 && second.BitCount() == 24 && pic.Width() == second.Width() &&
         pic.Height() == second.Height();
}

namespace {

template <class Fn>
void ForRowPairs(Dib& pic, const Dib& second, Fn fn) {
  const int w = pic.Width();
  ParallelRows(
      pic.Height(),
      [&](int first, int last) {
        for (int y = first; y < last; ++y) fn(pic.ScanLine(y), second.ScanLine(y), w);
      },
      0, w);
}

}  // namespace

bool Maximum(Dib& pic, const Dib& second) {
  if (!Ok2Compute(pic, second)) return false;
  ForRowPairs(pic, second, [](std::uint8_t* p, const std::uint8_t* d, int w) {
    for (int i = 0; i < 3 * w; ++i) p[i] = std::max(p[i], d[i]);
  });
  return true;
}

void AverageRow(std::uint8_t* p, const std::uint8_t* d, std::size_t n, int weight) {
  if (weight >= 0 && weight <= 100) {
    // x div 100 = (x * 41944) >> 22 for every x up to 255 x 100: 16-bit products and their
    // high halves, which the compiler runs on many bytes at once.
    const auto a = static_cast<std::uint16_t>(100 - weight), b = static_cast<std::uint16_t>(weight);
    const auto div100 = [](std::uint16_t x) {
      return static_cast<std::uint16_t>(static_cast<std::uint16_t>((std::uint32_t{x} * 41944u) >> 16) >> 6);
    };
    for (std::size_t i = 0; i < n; ++i) {
      const unsigned v = div100(static_cast<std::uint16_t>(p[i] * a)) + div100(static_cast<std::uint16_t>(d[i] * b));
      p[i] = static_cast<std::uint8_t>(v > 255 ? 255 : v);
    }
    return;
  }
  // Script weights outside 0..100 make one share negative (truncated toward zero).
  for (std::size_t i = 0; i < n; ++i)
    p[i] = static_cast<std::uint8_t>(std::clamp(p[i] * (100 - weight) / 100 + d[i] * weight / 100, 0, 255));
}

bool AverageBitmap(Dib& pic, const Dib& second, int weight) {
  if (!Ok2Compute(pic, second)) return false;
  ForRowPairs(pic, second, [weight](std::uint8_t* p, const std::uint8_t* d, int w) {
    AverageRow(p, d, static_cast<std::size_t>(w) * 3, weight);
  });
  return true;
}

bool SwapWithDuplicate(Dib& pic, Dib& duplicate) {
  if (!Ok2Compute(pic, duplicate)) return false;
  std::swap(pic, duplicate);
  return true;
}

bool CompositeMask(Dib& pic, const Dib& second, int gamma100, int weight, bool shadows) {
  if (!Ok2Compute(pic, second)) return false;
  ToneTables t;
  SetGammaLUT(t, gamma100, kGreen);
  const ToneTable& g = t.green;
  const int w2 = weight;
  ForRowPairs(pic, second, [&](std::uint8_t* p, const std::uint8_t* d, int w) {
    for (int x = 0; x < w; ++x, p += 3, d += 3) {
      const int v = LumaY(p[2], p[1], p[0]);
      int t;
      if (w2 >= 99) {
        t = v;
      } else if (w2 <= 0) {
        t = LumaY(d[2], d[1], d[0]);
      } else {
        t = std::min(255, v * w2 / 99 + LumaY(d[2], d[1], d[0]) * (99 - w2) / 99);
      }
      const int m = g[shadows ? 255 - t : t];
      for (int k = 0; k < 3; ++k) p[k] = static_cast<std::uint8_t>(std::min(255, p[k] * m / 255 + d[k] * (255 - m) / 255));
    }
  });
  return true;
}

}  // namespace pelira
