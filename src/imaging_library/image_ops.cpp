#include "imaging_library/image_ops.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <numbers>
#include <unordered_map>
#include <vector>

#include "common/errors.h"
#include "common/parallel_for.h"
#include "image/palette.h"

namespace pelira {

namespace {

int Gray(ColorValue c) { return (RedOf(c) * 3 + GreenOf(c) * 6 + BlueOf(c)) / 10; }

TRect Clip(const Dib& d, const TRect& r) {
  TRect c{std::max(0, r.left), std::max(0, r.top), std::min(d.Width(), r.right), std::min(d.Height(), r.bottom)};
  if (c.right <= c.left || c.bottom <= c.top) throw EVistrelError("Invalid rectangle");
  return c;
}

// Source positions of a nearest-pixel scale: out i -> first + i * len / n.
std::vector<int> NearestMap(int first, int len, int n) {
  std::vector<int> m(static_cast<std::size_t>(n));
  for (int i = 0; i < n; ++i)
    m[static_cast<std::size_t>(i)] = first + static_cast<int>(static_cast<std::int64_t>(i) * len / n);
  return m;
}

struct Tap {
  int src;
  float weight;
};

// Per output position, the source samples and their weights: box coverage when shrinking,
// linear interpolation between pixel centres when enlarging.
std::vector<std::vector<Tap>> Taps(int first, int len, int n) {
  std::vector<std::vector<Tap>> taps(static_cast<std::size_t>(n));
  if (n < len) {
    const double s = static_cast<double>(len) / n;
    for (int i = 0; i < n; ++i) {
      const double a = i * s, b = (i + 1) * s;
      for (int j = static_cast<int>(a); j < len && j < b; ++j) {
        const double w = std::min<double>(b, j + 1) - std::max<double>(a, j);
        if (w > 0) taps[static_cast<std::size_t>(i)].push_back({first + j, static_cast<float>(w / s)});
      }
    }
  } else if (n == len) {
    for (int i = 0; i < n; ++i) taps[static_cast<std::size_t>(i)].push_back({first + i, 1.0f});
  } else {
    for (int i = 0; i < n; ++i) {
      const double u = (i + 0.5) * len / n - 0.5;
      int j0 = static_cast<int>(std::floor(u));
      const double t = u - j0;
      const int a = std::clamp(j0, 0, len - 1), b = std::clamp(j0 + 1, 0, len - 1);
      taps[static_cast<std::size_t>(i)].push_back({first + a, static_cast<float>(1 - t)});
      taps[static_cast<std::size_t>(i)].push_back({first + b, static_cast<float>(t)});
    }
  }
  return taps;
}

std::uint8_t ToByte(float v) { return static_cast<std::uint8_t>(std::clamp(static_cast<int>(v + 0.5f), 0, 255)); }

// Separable: each source row is weighed horizontally once, then the output rows weigh those
// rows vertically. Output rows are split over worker threads; each band keeps a small ring of
// the horizontal rows it needs, so no plane of the whole picture is held. Every sum is taken
// in the same order as a serial pass, so the result does not depend on the split.
Dib SmoothCopy(const Dib& src, int width, int height, const TRect& r, bool gray) {
  const int C = gray ? 1 : 3;
  const bool trueColor = src.BitCount() == 24;
  // The same size in true colour: every weight is 1, every pixel comes back as it was.
  if (!gray && trueColor && width == r.Width() && height == r.Height()) {
    Dib out(width, height, 24, Dib::Init::Uninitialised);
    for (int j = 0; j < height; ++j) {
      std::memcpy(out.ScanLine(j), src.ScanLine(r.top + j) + 3 * static_cast<std::size_t>(r.left), 3 * static_cast<std::size_t>(width));
      std::memset(out.ScanLine(j) + 3 * static_cast<std::size_t>(width), 0, out.Stride() - 3 * static_cast<std::size_t>(width));
    }
    return out;
  }
  const auto tx = Taps(r.left, r.Width(), width);
  const auto ty = Taps(r.top, r.Height(), height);
  // Colour of every palette index, so rows are read without a per-pixel lookup.
  std::vector<ColorValue> lut;
  if (src.HasPalette()) {
    lut.assign(std::size_t{1} << src.BitCount(), 0);
    for (std::size_t i = 0; i < src.Colors().size(); ++i) lut[i] = ColorOf(src.Colors()[i]);
  }
  // Rows of the ring: the widest vertical window, plus one.
  int window = 1;
  for (const auto& taps : ty)
    if (!taps.empty()) window = std::max(window, taps.back().src - taps.front().src + 1);
  const int ringRows = window + 1;
  const std::size_t rowFloats = static_cast<std::size_t>(width) * C;
  Dib out = gray ? Dib(width, height, 8, Gray256Palette(), Dib::Init::Uninitialised) : Dib(width, height, 24, Dib::Init::Uninitialised);
  ParallelRows(height, [&](int first, int last) {
    std::vector<float> row(static_cast<std::size_t>(r.Width()) * C);
    std::vector<float> ring(static_cast<std::size_t>(ringRows) * rowFloats);
    std::vector<int> holds(static_cast<std::size_t>(ringRows), -1);
    auto horizontal = [&](int y) -> const float* {
      const std::size_t slot = static_cast<std::size_t>(y % ringRows);
      float* h = &ring[slot * rowFloats];
      if (holds[slot] == y) return h;
      holds[slot] = y;
      if (trueColor && !gray) {
        const std::uint8_t* p = src.ScanLine(y) + 3 * static_cast<std::size_t>(r.left);
        for (std::size_t i = 0; i < row.size(); ++i) row[i] = static_cast<float>(p[i]);
      } else {
        for (int x = r.left; x < r.right; ++x) {
          const ColorValue c = src.HasPalette() ? lut[src.Index(x, y)] : src.Index(x, y);
          float* o = &row[static_cast<std::size_t>(x - r.left) * C];
          if (gray) o[0] = static_cast<float>(Gray(c));
          else o[0] = static_cast<float>(BlueOf(c)), o[1] = static_cast<float>(GreenOf(c)), o[2] = static_cast<float>(RedOf(c));
        }
      }
      for (int i = 0; i < width; ++i) {
        const auto& taps = tx[static_cast<std::size_t>(i)];
        for (int k = 0; k < C; ++k) {
          float acc = 0;
          for (const Tap& t : taps) acc += t.weight * row[static_cast<std::size_t>(t.src - r.left) * C + k];
          h[static_cast<std::size_t>(i) * C + k] = acc;
        }
      }
      return h;
    };
    std::vector<const float*> rows;
    for (int j = first; j < last; ++j) {
      const auto& taps = ty[static_cast<std::size_t>(j)];
      rows.clear();
      for (const Tap& t : taps) rows.push_back(horizontal(t.src));
      std::uint8_t* o = out.ScanLine(j);
      for (std::size_t i = 0; i < rowFloats; ++i) {
        float acc = 0;
        for (std::size_t t = 0; t < taps.size(); ++t) acc += taps[t].weight * rows[t][i];
        o[i] = ToByte(acc);
      }
      std::memset(o + rowFloats, 0, out.Stride() - rowFloats);
    }
  }, 0, std::int64_t{width} * std::max<std::size_t>(ty.empty() ? 1 : ty[0].size(), 1));
  return out;
}

Dib NearestCopy(const Dib& src, int width, int height, const TRect& r) {
  Dib out(width, height, src.BitCount(), src.Colors());
  out.xPelsPerMeter = src.xPelsPerMeter;
  out.yPelsPerMeter = src.yPelsPerMeter;
  const auto mx = NearestMap(r.left, r.Width(), width);
  const auto my = NearestMap(r.top, r.Height(), height);
  for (int y = 0; y < height; ++y) {
    const int sy = my[static_cast<std::size_t>(y)];
    if (src.BitCount() == 24) {
      const std::uint8_t* s = src.ScanLine(sy);
      std::uint8_t* o = out.ScanLine(y);
      for (int x = 0; x < width; ++x) std::memcpy(o + 3 * x, s + 3 * mx[static_cast<std::size_t>(x)], 3);
    } else if (src.BitCount() == 8) {
      const std::uint8_t* s = src.ScanLine(sy);
      std::uint8_t* o = out.ScanLine(y);
      for (int x = 0; x < width; ++x) o[x] = s[mx[static_cast<std::size_t>(x)]];
    } else {
      for (int x = 0; x < width; ++x) out.SetIndex(x, y, src.Index(mx[static_cast<std::size_t>(x)], sy));
    }
  }
  return out;
}

Dib KeepColorCopy(const Dib& src, int width, int height, const TRect& r, bool keepBlack) {
  const Palette& p = src.Colors();
  const int g0 = p.size() > 0 ? Gray(ColorOf(p[0])) : 0, g1 = p.size() > 1 ? Gray(ColorOf(p[1])) : 255;
  const std::uint32_t black = g0 <= g1 ? 0 : 1;
  const std::uint32_t keep = keepBlack ? black : 1 - black;
  Dib out(width, height, 1, p);
  auto span = [](int i, int len, int n) {
    const int a = static_cast<int>(static_cast<std::int64_t>(i) * len / n);
    const int b = std::max(a + 1, static_cast<int>(static_cast<std::int64_t>(i + 1) * len / n));
    return std::pair<int, int>(a, b);
  };
  for (int y = 0; y < height; ++y) {
    const auto [y0, y1] = span(y, r.Height(), height);
    for (int x = 0; x < width; ++x) {
      const auto [x0, x1] = span(x, r.Width(), width);
      bool found = false;
      for (int sy = y0; sy < y1 && !found; ++sy)
        for (int sx = x0; sx < x1; ++sx)
          if (src.Index(r.left + sx, r.top + sy) == keep) {
            found = true;
            break;
          }
      out.SetIndex(x, y, found ? keep : 1 - keep);
    }
  }
  return out;
}

// --- colour reduction ------------------------------------------------------------------

struct Box {
  int lo[3], hi[3];  // inclusive, 5-bit per channel (r, g, b)
  std::uint64_t count = 0;
};

struct Histogram {
  // 32 levels per channel; counts and sums of the full 8-bit values.
  std::vector<std::uint32_t> count = std::vector<std::uint32_t>(32768, 0);
  std::vector<std::uint64_t> sum[3] = {std::vector<std::uint64_t>(32768, 0), std::vector<std::uint64_t>(32768, 0),
                                       std::vector<std::uint64_t>(32768, 0)};
  static int Bin(int r, int g, int b) { return ((r >> 3) << 10) | ((g >> 3) << 5) | (b >> 3); }
};

void Shrink(const Histogram& h, Box& b) {
  int lo[3] = {31, 31, 31}, hi[3] = {0, 0, 0};
  b.count = 0;
  for (int r = b.lo[0]; r <= b.hi[0]; ++r)
    for (int g = b.lo[1]; g <= b.hi[1]; ++g)
      for (int bl = b.lo[2]; bl <= b.hi[2]; ++bl) {
        const std::uint32_t n = h.count[static_cast<std::size_t>((r << 10) | (g << 5) | bl)];
        if (!n) continue;
        b.count += n;
        const int v[3] = {r, g, bl};
        for (int k = 0; k < 3; ++k) lo[k] = std::min(lo[k], v[k]), hi[k] = std::max(hi[k], v[k]);
      }
  if (b.count)
    for (int k = 0; k < 3; ++k) b.lo[k] = lo[k], b.hi[k] = hi[k];
}

Palette MedianCut(const Histogram& h, int colours) {
  std::vector<Box> boxes(1);
  boxes[0] = Box{{0, 0, 0}, {31, 31, 31}, 0};
  Shrink(h, boxes[0]);
  while (static_cast<int>(boxes.size()) < colours) {
    int best = -1;
    std::uint64_t bestScore = 0;
    for (std::size_t i = 0; i < boxes.size(); ++i) {
      const Box& b = boxes[i];
      const int range = std::max({b.hi[0] - b.lo[0], b.hi[1] - b.lo[1], b.hi[2] - b.lo[2]});
      const std::uint64_t score = b.count * static_cast<std::uint64_t>(range);
      if (range > 0 && score > bestScore) best = static_cast<int>(i), bestScore = score;
    }
    if (best < 0) break;
    Box b = boxes[static_cast<std::size_t>(best)];
    int axis = 0;
    for (int k = 1; k < 3; ++k)
      if (b.hi[k] - b.lo[k] > b.hi[axis] - b.lo[axis]) axis = k;
    // Population along the axis, split where half the pixels lie below.
    std::vector<std::uint64_t> along(32, 0);
    for (int r = b.lo[0]; r <= b.hi[0]; ++r)
      for (int g = b.lo[1]; g <= b.hi[1]; ++g)
        for (int bl = b.lo[2]; bl <= b.hi[2]; ++bl) {
          const int v[3] = {r, g, bl};
          along[static_cast<std::size_t>(v[axis])] += h.count[static_cast<std::size_t>((r << 10) | (g << 5) | bl)];
        }
    std::uint64_t acc = 0;
    int cut = b.lo[axis];
    for (int v = b.lo[axis]; v < b.hi[axis]; ++v) {
      acc += along[static_cast<std::size_t>(v)];
      cut = v;
      if (acc * 2 >= b.count) break;
    }
    Box a = b, c = b;
    a.hi[axis] = cut;
    c.lo[axis] = cut + 1;
    Shrink(h, a);
    Shrink(h, c);
    boxes[static_cast<std::size_t>(best)] = a;
    if (c.count) boxes.push_back(c);
  }
  Palette p;
  for (const Box& b : boxes) {
    std::uint64_t n = 0, s[3] = {0, 0, 0};
    for (int r = b.lo[0]; r <= b.hi[0]; ++r)
      for (int g = b.lo[1]; g <= b.hi[1]; ++g)
        for (int bl = b.lo[2]; bl <= b.hi[2]; ++bl) {
          const std::size_t i = static_cast<std::size_t>((r << 10) | (g << 5) | bl);
          n += h.count[i];
          for (int k = 0; k < 3; ++k) s[k] += h.sum[k][i];
        }
    if (n) p.push_back(QuadOf(MakeColor(static_cast<int>((s[0] + n / 2) / n), static_cast<int>((s[1] + n / 2) / n),
                                        static_cast<int>((s[2] + n / 2) / n))));
  }
  return p;
}

void Refine(const Histogram& h, Palette& p, int passes) {
  for (int pass = 0; pass < passes; ++pass) {
    std::vector<std::uint64_t> n(p.size(), 0), s0(p.size(), 0), s1(p.size(), 0), s2(p.size(), 0);
    for (std::size_t i = 0; i < h.count.size(); ++i) {
      if (!h.count[i]) continue;
      const std::uint32_t c = h.count[i];
      const ColorValue mean = MakeColor(static_cast<int>(h.sum[0][i] / c), static_cast<int>(h.sum[1][i] / c),
                                        static_cast<int>(h.sum[2][i] / c));
      const int k = NearestPaletteIndex(p.data(), static_cast<int>(p.size()), mean);
      n[static_cast<std::size_t>(k)] += c;
      s0[static_cast<std::size_t>(k)] += h.sum[0][i];
      s1[static_cast<std::size_t>(k)] += h.sum[1][i];
      s2[static_cast<std::size_t>(k)] += h.sum[2][i];
    }
    for (std::size_t k = 0; k < p.size(); ++k)
      if (n[k])
        p[k] = QuadOf(MakeColor(static_cast<int>((s0[k] + n[k] / 2) / n[k]), static_cast<int>((s1[k] + n[k] / 2) / n[k]),
                                static_cast<int>((s2[k] + n[k] / 2) / n[k])));
  }
}

int BitsFor(int colours) { return colours <= 2 ? 1 : colours <= 16 ? 4 : 8; }

// Exact nearest palette entry (least squared distance, first index on ties) through a grid of
// 16 x 16 x 16 cells, each listing only the entries that can be nearest to some colour in it:
// an entry whose least distance to the cell exceeds the smallest greatest distance of any
// entry to the cell never wins there. Dithered pictures meet millions of distinct colours,
// which a small cache cannot hold; this answers each in a handful of comparisons.
class NearestCells {
public:
  explicit NearestCells(const Palette& pal) : pal_(pal) {
    const int n = static_cast<int>(pal.size());
    for (int cell = 0; cell < 4096; ++cell) {
      const int lo[3] = {(cell >> 8) * 16, ((cell >> 4) & 15) * 16, (cell & 15) * 16};
      auto axis = [](int v, int lo0, bool far) {
        const int hi = lo0 + 15;
        if (far) return std::max(std::abs(v - lo0), std::abs(v - hi));
        return v < lo0 ? lo0 - v : v > hi ? v - hi : 0;
      };
      int bound = 1 << 30;
      for (int i = 0; i < n; ++i) {
        const RgbQuad& q = pal[static_cast<std::size_t>(i)];
        const int a = axis(q.red, lo[0], true), b = axis(q.green, lo[1], true), c = axis(q.blue, lo[2], true);
        bound = std::min(bound, a * a + b * b + c * c);
      }
      start_[static_cast<std::size_t>(cell)] = static_cast<std::uint32_t>(list_.size());
      for (int i = 0; i < n; ++i) {
        const RgbQuad& q = pal[static_cast<std::size_t>(i)];
        const int a = axis(q.red, lo[0], false), b = axis(q.green, lo[1], false), c = axis(q.blue, lo[2], false);
        if (a * a + b * b + c * c <= bound) list_.push_back(static_cast<std::uint8_t>(i));
      }
    }
    start_[4096] = static_cast<std::uint32_t>(list_.size());
  }
  int Find(int r, int g, int b) const {
    const std::size_t cell = static_cast<std::size_t>(((r >> 4) << 8) | ((g >> 4) << 4) | (b >> 4));
    int best = -1, bestDist = 1 << 30;
    for (std::uint32_t k = start_[cell]; k < start_[cell + 1]; ++k) {
      const RgbQuad& q = pal_[list_[k]];
      const int dr = q.red - r, dg = q.green - g, db = q.blue - b;
      const int d = dr * dr + dg * dg + db * db;
      if (d < bestDist) bestDist = d, best = list_[k];
    }
    return best;
  }

private:
  const Palette& pal_;
  std::array<std::uint32_t, 4097> start_{};
  std::vector<std::uint8_t> list_;
};

}  // namespace

Dib ToTrueColor(const Dib& src) {
  if (src.Empty()) return Dib();
  if (src.BitCount() == 24) return src;
  Dib out(src.Width(), src.Height(), 24, Dib::Init::Zero);
  out.xPelsPerMeter = src.xPelsPerMeter;
  out.yPelsPerMeter = src.yPelsPerMeter;
  std::vector<ColorValue> lut(std::size_t{1} << src.BitCount(), 0);
  for (std::size_t i = 0; i < src.Colors().size(); ++i) lut[i] = ColorOf(src.Colors()[i]);
  for (int y = 0; y < src.Height(); ++y) {
    std::uint8_t* o = out.ScanLine(y);
    for (int x = 0; x < src.Width(); ++x) {
      const ColorValue c = lut[src.Index(x, y)];
      *o++ = static_cast<std::uint8_t>(BlueOf(c));
      *o++ = static_cast<std::uint8_t>(GreenOf(c));
      *o++ = static_cast<std::uint8_t>(RedOf(c));
    }
  }
  return out;
}

Dib ScaledCopy(const Dib& src, int width, int height, const TRect& rect, int option) {
  if (src.Empty() || width <= 0 || height <= 0) throw EVistrelError("Invalid image size");
  const TRect r = Clip(src, rect);
  const bool oneBit = src.BitCount() == 1;
  switch (option) {
    case 1:
    case 2: return oneBit ? KeepColorCopy(src, width, height, r, option == 1) : NearestCopy(src, width, height, r);
    case 32: return SmoothCopy(src, width, height, r, oneBit);
    case 0: return NearestCopy(src, width, height, r);
    default: return SmoothCopy(src, width, height, r, oneBit);
  }
}

Dib ReduceColors(const Dib& srcIn, int colours, int option) {
  if (srcIn.Empty()) throw EVistrelError("Invalid image");
  colours = std::clamp(colours, 2, 256);
  const Dib src = ToTrueColor(srcIn);
  const int w = src.Width(), hgt = src.Height();
  const bool dither = (option & 7) != 0;
  // Black and white is a gray reduction too: dithering the colour channels one by one would
  // spread tones by their sum, not by how light they look (pure blue came out a third white).
  const bool gray = (option & 8) != 0 || (colours == 2 && !(option & (16 | 32 | 64)));

  Palette pal;
  if (gray) {
    for (int i = 0; i < colours; ++i) {
      const int v = (i * 255 + (colours - 1) / 2) / (colours - 1);
      pal.push_back(QuadOf(MakeColor(v, v, v)));
    }
  } else if (option & 16) {
    const Palette& fixed = colours <= 16 ? Color16Palette() : Color256Palette();
    pal.assign(fixed.begin(), fixed.begin() + std::min<std::size_t>(fixed.size(), static_cast<std::size_t>(colours)));
  } else {
    // Few colours: the exact set, in order of first appearance.
    std::unordered_map<ColorValue, int> seen;
    for (int y = 0; y < hgt && static_cast<int>(seen.size()) <= colours; ++y) {
      const std::uint8_t* s = src.ScanLine(y);
      for (int x = 0; x < w; ++x, s += 3) {
        const ColorValue c = MakeColor(s[2], s[1], s[0]);
        if (seen.emplace(c, static_cast<int>(seen.size())).second) {
          pal.push_back(QuadOf(c));
          if (static_cast<int>(seen.size()) > colours) break;
        }
      }
    }
    if (static_cast<int>(pal.size()) > colours) {
      Histogram h;
      for (int y = 0; y < hgt; ++y) {
        const std::uint8_t* s = src.ScanLine(y);
        for (int x = 0; x < w; ++x, s += 3) {
          const std::size_t i = static_cast<std::size_t>(Histogram::Bin(s[2], s[1], s[0]));
          ++h.count[i];
          h.sum[0][i] += s[2];
          h.sum[1][i] += s[1];
          h.sum[2][i] += s[0];
        }
      }
      pal = MedianCut(h, colours);
      if (option & 64) Refine(h, pal, 2);
    }
  }

  const int bits = BitsFor(colours);
  Dib out(w, hgt, bits, pal);
  out.xPelsPerMeter = src.xPelsPerMeter;
  out.yPelsPerMeter = src.yPelsPerMeter;
  const NearestCells cells(pal);
  auto nearest = [&](int r, int g, int b) {
    if (gray) {
      // Even gray levels: the nearest level directly.
      const int v = (r * 3 + g * 6 + b) / 10;
      return (v * (colours - 1) + 127) / 255;
    }
    return cells.Find(r, g, b);
  };
  if (!dither) {
    for (int y = 0; y < hgt; ++y) {
      const std::uint8_t* s = src.ScanLine(y);
      for (int x = 0; x < w; ++x, s += 3) out.SetIndex(x, y, static_cast<std::uint32_t>(nearest(s[2], s[1], s[0])));
    }
    return out;
  }
  // Floyd-Steinberg: 7/16 right, 3/16 below left, 5/16 below, 1/16 below right.
  std::vector<int> cur(static_cast<std::size_t>(w + 2) * 3, 0), next(cur.size(), 0);
  for (int y = 0; y < hgt; ++y) {
    std::fill(next.begin(), next.end(), 0);
    const std::uint8_t* s = src.ScanLine(y);
    for (int x = 0; x < w; ++x) {
      int* e = &cur[static_cast<std::size_t>(x + 1) * 3];
      int v[3];
      if (gray) {
        const int g = (s[3 * x + 2] * 3 + s[3 * x + 1] * 6 + s[3 * x]) / 10;
        v[0] = v[1] = v[2] = std::clamp(g + (e[0] >= 0 ? (e[0] + 8) / 16 : -((-e[0] + 8) / 16)), 0, 255);
      } else {
        for (int k = 0; k < 3; ++k) v[k] = std::clamp(s[3 * x + 2 - k] + (e[k] >= 0 ? (e[k] + 8) / 16 : -((-e[k] + 8) / 16)), 0, 255);
      }
      const int idx = nearest(v[0], v[1], v[2]);
      out.SetIndex(x, y, static_cast<std::uint32_t>(idx));
      const RgbQuad& q = pal[static_cast<std::size_t>(idx)];
      const int got[3] = {q.red, q.green, q.blue};
      for (int k = 0; k < (gray ? 1 : 3); ++k) {
        const int err = v[k] - got[k];
        cur[static_cast<std::size_t>(x + 2) * 3 + k] += err * 7;
        next[static_cast<std::size_t>(x) * 3 + k] += err * 3;
        next[static_cast<std::size_t>(x + 1) * 3 + k] += err * 5;
        next[static_cast<std::size_t>(x + 2) * 3 + k] += err;
      }
    }
    std::swap(cur, next);
  }
  return out;
}

// Rotate and Mirror live in rotate.cpp.

bool ApplyGamma(Dib& d, double gamma) {
  if (!(gamma > 0) || d.Empty()) return false;
  std::uint8_t lut[256];
  for (int i = 0; i < 256; ++i) lut[i] = static_cast<std::uint8_t>(std::lround(255.0 * std::pow(i / 255.0, 1.0 / gamma)));
  if (d.HasPalette()) {
    for (RgbQuad& q : d.Colors()) q.red = lut[q.red], q.green = lut[q.green], q.blue = lut[q.blue];
    return true;
  }
  for (int y = 0; y < d.Height(); ++y) {
    std::uint8_t* p = d.ScanLine(y);
    for (int x = 0; x < d.Width() * 3; ++x) p[x] = lut[p[x]];
  }
  return true;
}

void DrawInto(const Dib& src, const TRect& srcRect, Dib& dst, const TRect& dstRect) {
  if (src.Empty() || dst.Empty()) return;
  const TRect sr = Clip(src, srcRect);
  if (dstRect.Width() <= 0 || dstRect.Height() <= 0) return;
  const auto mx = NearestMap(sr.left, sr.Width(), dstRect.Width());
  const auto my = NearestMap(sr.top, sr.Height(), dstRect.Height());
  const bool sameIndices = src.HasPalette() && dst.HasPalette() && src.BitCount() <= dst.BitCount() &&
                           std::equal(src.Colors().begin(), src.Colors().end(), dst.Colors().begin(),
                                      dst.Colors().begin() + std::min(dst.Colors().size(), src.Colors().size())) &&
                           src.Colors().size() <= dst.Colors().size();
  std::vector<std::uint32_t> lut;
  const TPaletteRecord rec = TPaletteRecord::From(dst.Colors());
  TRgbToPaletteConverter conv(&rec);
  if (src.HasPalette()) {
    lut.assign(std::size_t{1} << src.BitCount(), 0);
    for (std::size_t i = 0; i < lut.size(); ++i) {
      const ColorValue c = i < src.Colors().size() ? ColorOf(src.Colors()[i]) : 0;
      if (sameIndices) lut[i] = static_cast<std::uint32_t>(i);
      else if (dst.HasPalette()) lut[i] = static_cast<std::uint32_t>(std::max(0, conv.Convert(c)));
      else lut[i] = c;
    }
  }
  const bool fast24 = src.BitCount() == 24 && dst.BitCount() == 24;
  // Rendering a whole page into a bitmap of its own size and format: one block copy.
  const bool whole = sr.left == 0 && sr.top == 0 && sr.right == src.Width() && sr.bottom == src.Height() &&
                     dstRect.left == 0 && dstRect.top == 0 && dstRect.right == dst.Width() &&
                     dstRect.bottom == dst.Height() && src.Width() == dst.Width() && src.Height() == dst.Height();
  if (whole && src.BitCount() == dst.BitCount() && (fast24 || sameIndices)) {
    std::memcpy(dst.Bits(), src.Bits(), dst.ImageSize());
    return;
  }
  for (int j = 0; j < dstRect.Height(); ++j) {
    const int Y = dstRect.top + j;
    if (Y < 0 || Y >= dst.Height()) continue;
    const int sy = my[static_cast<std::size_t>(j)];
    for (int i = 0; i < dstRect.Width(); ++i) {
      const int X = dstRect.left + i;
      if (X < 0 || X >= dst.Width()) continue;
      const int sx = mx[static_cast<std::size_t>(i)];
      if (fast24) {
        std::memcpy(dst.ScanLine(Y) + 3 * X, src.ScanLine(sy) + 3 * sx, 3);
        continue;
      }
      const std::uint32_t v = src.Index(sx, sy);
      if (src.HasPalette()) dst.SetIndex(X, Y, lut[v]);
      else if (dst.HasPalette()) dst.SetIndex(X, Y, static_cast<std::uint32_t>(std::max(0, conv.Convert(v))));
      else dst.SetIndex(X, Y, v);
    }
  }
}

}  // namespace pelira
