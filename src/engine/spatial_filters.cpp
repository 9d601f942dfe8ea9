#include "engine/spatial_filters.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <vector>

#include "common/parallel_for.h"
#include "engine/hls.h"

namespace pelira {

namespace {

using Band = std::function<void(int first, int last)>;

// Runs fn over rows first..last-1 in bands of about 5 %, each band split over the cores,
// reporting after each. A stop puts the kept copy back.
bool RunBands(Dib& pic, const Dib& kept, int first, int last, const FilterProgress& progress, const Band& fn,
              int rowStep = 1) {
  const int total = last - first;
  if (total <= 0) return true;
  const int units = (total + rowStep - 1) / rowStep;
  const int chunk = progress ? std::max(1, (units + 19) / 20) : units;
  const std::int64_t perRow = static_cast<std::int64_t>(pic.Width()) * rowStep;
  for (int u = 0; u < units; u += chunk) {
    const int uEnd = std::min(units, u + chunk);
    ParallelRows(
        uEnd - u,
        [&](int a, int b) {
          const int r0 = first + (u + a) * rowStep;
          const int r1 = std::min(last, first + (u + b) * rowStep);
          fn(r0, r1);
        },
        0, perRow);
    if (progress && !progress(std::min(last, first + uEnd * rowStep), pic.Height())) {
      std::memcpy(pic.Bits(), kept.Bits(), pic.ImageSize());
      return false;
    }
  }
  return true;
}

bool Usable(const Dib& pic) { return !pic.Empty() && pic.BitCount() == 24; }

inline std::uint8_t Clamp255(int v) { return static_cast<std::uint8_t>(v < 0 ? 0 : v > 255 ? 255 : v); }

// A table from sum - lo to the divided, limited byte: the division by a run-time divisor is
// the slow part of a kernel, and the sums of a kernel span a small range.
struct DivideTable {
  DivideTable(const Kernel3x3& k, int divisor) {
    int pos = 0, neg = 0;
    for (int w : k) (w > 0 ? pos : neg) += w;
    lo = neg * 255;
    const int hi = pos * 255;
    table.resize(static_cast<std::size_t>(hi - lo + 1));
    for (int s = lo; s <= hi; ++s) table[static_cast<std::size_t>(s - lo)] = Clamp255(s / divisor);
  }
  int lo = 0;
  std::vector<std::uint8_t> table;
};

}  // namespace

// --- kernels ---------------------------------------------------------------------------------

int KernelSum(const Kernel3x3& k) {
  int s = 0;
  for (int w : k) s += w;
  return s;
}

Kernel3x3 SoftenKernel(int level) {
  level = std::clamp(level, 1, 10);
  if (level == 8) return {10, 15, 10, 15, 20, 15, 10, 15, 10};
  if (level == 9) return {12, 14, 12, 14, 16, 14, 12, 14, 12};
  if (level == 10) return {13, 14, 13, 14, 15, 14, 13, 14, 13};
  static const std::int16_t centre[] = {32, 16, 8, 6, 5, 4, 3};
  const std::int16_t c = centre[level - 1];
  return {1, 2, 1, 2, c, 2, 1, 2, 1};
}

Kernel3x3 DeFocusKernel(int a) {
  // Limited so that the centre weight stays well inside 16 bits.
  a = std::clamp(a, 0, 254);
  int d = 12;
  while (a < d * d * 100 / (4 * d) && d > 1) --d;
  int c = d * d;
  while (c * 100 / (4 * d) < a) ++c;
  const auto D = static_cast<std::int16_t>(d), C = static_cast<std::int16_t>(c);
  return {1, D, 1, D, C, D, 1, D, 1};
}

Kernel3x3 MeanRemovalKernel(int s) {
  s = std::clamp(s, 1, 8);
  const auto c = static_cast<std::int16_t>(17 - s);
  return {-1, -1, -1, -1, c, -1, -1, -1, -1};
}

Kernel3x3 HighPassMediumKernel(int s) {
  s = std::clamp(s, 1, 4);
  const auto c = static_cast<std::int16_t>(9 - s);
  return {0, -1, 0, -1, c, -1, 0, -1, 0};
}

Kernel3x3 HighPassLightKernel(int s) {
  s = std::clamp(s, 1, 4);
  const auto c = static_cast<std::int16_t>(9 - s);
  return {1, -2, 1, -2, c, -2, 1, -2, 1};
}

// --- 3 x 3 convolution -----------------------------------------------------------------------

bool Spatial3x3(Dib& pic, const Kernel3x3& k, int divisor, const FilterProgress& progress) {
  if (!Usable(pic) || pic.Width() < 3 || pic.Height() < 3) return true;
  if (divisor == 0) divisor = 1;
  const Dib src = pic;
  const int w = pic.Width();
  const int n = 3 * (w - 2);  // bytes of the pixels 1..w-2
  int kk[9];
  for (int i = 0; i < 9; ++i) kk[i] = k[static_cast<std::size_t>(i)];
  // A positive divisor: a sum at or below 0 gives 0, and the quotient of a positive sum comes
  // from a float reciprocal corrected by one step, exact since sums stay far below 2^24. On
  // vectors this beats any table. A negative divisor takes the table.
  const std::optional<DivideTable> table = divisor < 0 ? std::optional<DivideTable>(DivideTable(k, divisor)) : std::nullopt;
  const float inv = 1.0f / static_cast<float>(divisor);
  const auto df = static_cast<float>(divisor);
  return RunBands(pic, src, 1, pic.Height() - 1, progress, [&](int first, int last) {
    std::vector<int> sums(static_cast<std::size_t>(n));
    for (int y = first; y < last; ++y) {
      const std::uint8_t* a = src.ScanLine(y - 1) + 3;
      const std::uint8_t* b = src.ScanLine(y) + 3;
      const std::uint8_t* c = src.ScanLine(y + 1) + 3;
      std::uint8_t* out = pic.ScanLine(y) + 3;
      if (table) {
        int* s = sums.data();
        for (int i = 0; i < n; ++i) {
          s[i] = kk[0] * a[i - 3] + kk[1] * a[i] + kk[2] * a[i + 3] + kk[3] * b[i - 3] + kk[4] * b[i] +
                 kk[5] * b[i + 3] + kk[6] * c[i - 3] + kk[7] * c[i] + kk[8] * c[i + 3];
        }
        const std::uint8_t* t = table->table.data() - table->lo;
        for (int i = 0; i < n; ++i) out[i] = t[s[i]];
        continue;
      }
      for (int i = 0; i < n; ++i) {
        const int s = kk[0] * a[i - 3] + kk[1] * a[i] + kk[2] * a[i + 3] + kk[3] * b[i - 3] + kk[4] * b[i] +
                      kk[5] * b[i + 3] + kk[6] * c[i - 3] + kk[7] * c[i] + kk[8] * c[i + 3];
        const auto v = static_cast<float>(s > 0 ? s : 0);
        auto q = static_cast<float>(static_cast<int>(v * inv));
        q += (q + 1.0f) * df <= v ? 1.0f : 0.0f;
        q -= q * df > v ? 1.0f : 0.0f;
        const int qi = static_cast<int>(q);
        out[i] = static_cast<std::uint8_t>(qi > 255 ? 255 : qi);
      }
    }
  });
}

bool Soften(Dib& pic, int level, const FilterProgress& p) {
  const Kernel3x3 k = SoftenKernel(level);
  return Spatial3x3(pic, k, KernelSum(k), p);
}
bool DeFocus(Dib& pic, int a, const FilterProgress& p) {
  const Kernel3x3 k = DeFocusKernel(a);
  return Spatial3x3(pic, k, KernelSum(k), p);
}
bool MeanRemoval(Dib& pic, int s, const FilterProgress& p) {
  const Kernel3x3 k = MeanRemovalKernel(s);
  return Spatial3x3(pic, k, KernelSum(k), p);
}
bool HighPassMedium(Dib& pic, int s, const FilterProgress& p) {
  const Kernel3x3 k = HighPassMediumKernel(s);
  return Spatial3x3(pic, k, KernelSum(k), p);
}
bool HighPassLight(Dib& pic, int s, const FilterProgress& p) {
  const Kernel3x3 k = HighPassLightKernel(s);
  return Spatial3x3(pic, k, KernelSum(k), p);
}

// --- thresholded box mean --------------------------------------------------------------------

namespace {

// D > 0 is a divisor known here, so the division becomes a multiplication; 0 takes `divisor`.
// Sixteen-bit lanes and a select instead of a branch let the compiler use vectors.
template <int D, bool Exclude>
void BoxMeanRows(const Dib& src, Dib& pic, int first, int last, int threshold, int divisor) {
  const int w = pic.Width();
  const int n = 3 * (w - 2);
  // Below -1 every byte is replaced anyway, above 255 none is.
  const auto t = static_cast<std::int16_t>(std::clamp(threshold, -1, 255));
  std::vector<std::uint16_t> vs(static_cast<std::size_t>(3 * w));
  for (int y = first; y < last; ++y) {
    const std::uint8_t* a = src.ScanLine(y - 1);
    const std::uint8_t* b = src.ScanLine(y);
    const std::uint8_t* c = src.ScanLine(y + 1);
    std::uint16_t* v = vs.data();
    for (int i = 0; i < 3 * w; ++i) v[i] = static_cast<std::uint16_t>(a[i] + b[i] + c[i]);
    const std::uint8_t* bc = b + 3;
    const std::uint16_t* vc = v + 3;
    std::uint8_t* out = pic.ScanLine(y) + 3;
    for (int i = 0; i < n; ++i) {
      auto s = static_cast<std::uint16_t>(vc[i - 3] + vc[i] + vc[i + 3]);
      if constexpr (Exclude) s = static_cast<std::uint16_t>(s - bc[i]);
      const auto q = static_cast<std::uint16_t>(D > 0 ? s / D : s / divisor);
      const auto m = static_cast<std::uint8_t>(q > 255 ? 255 : q);
      auto d = static_cast<std::int16_t>(bc[i] - m);
      d = static_cast<std::int16_t>(d < 0 ? -d : d);
      out[i] = d > t ? m : bc[i];
    }
  }
}

}  // namespace

bool GaussianBlur3x3(Dib& pic, int threshold, bool excludeCentre, int divisor, const FilterProgress& progress) {
  if (!Usable(pic) || pic.Width() < 3 || pic.Height() < 3) return true;
  divisor = std::max(1, divisor);
  const Dib src = pic;
  return RunBands(pic, src, 1, pic.Height() - 1, progress, [&](int first, int last) {
    if (divisor == 9 && !excludeCentre) BoxMeanRows<9, false>(src, pic, first, last, threshold, divisor);
    else if (divisor == 8 && excludeCentre) BoxMeanRows<8, true>(src, pic, first, last, threshold, divisor);
    else if (excludeCentre) BoxMeanRows<0, true>(src, pic, first, last, threshold, divisor);
    else BoxMeanRows<0, false>(src, pic, first, last, threshold, divisor);
  });
}

// --- median ----------------------------------------------------------------------------------

bool MedianWindowHas(int level, int dx, int dy) {
  const int ax = std::abs(dx), ay = std::abs(dy), d = ax + ay;
  switch (level) {
    case 2: return ax <= 1 && ay <= 1;
    case 3: return (dx == 0 || dy == 0) && d <= 2;
    case 4: return d <= 2;
    case 5: return d <= 2 || (d == 3 && (dx == 0 || dy == 0));
    case 6: return ax <= 2 && ay <= 2;
    case 7: return d <= 3;
    case 8: return d <= 4 && ax <= 3 && ay <= 3;
    case 9: return ax <= 3 && ay <= 3;
    default: return d <= 1;
  }
}

int MedianWindowRadius(int level) {
  switch (level) {
    case 2: return 1;
    case 3: case 4: case 6: return 2;
    case 5: case 7: case 8: case 9: return 3;
    default: return 1;
  }
}

int MedianWindowCells(int level) {
  const int r = MedianWindowRadius(level);
  int n = 0;
  for (int dy = -r; dy <= r; ++dy)
    for (int dx = -r; dx <= r; ++dx) n += MedianWindowHas(level, dx, dy) ? 1 : 0;
  return n;
}

namespace {

// The source with r pixels repeated on every side: the median's window reads edge pixels
// for positions outside the picture.
struct Padded {
  Padded(const Dib& src, int r) : r(r), w(src.Width()), h(src.Height()) {
    stride = static_cast<std::size_t>(3 * (w + 2 * r));
    bytes.resize(stride * static_cast<std::size_t>(h + 2 * r));
    ParallelRows(
        h + 2 * r,
        [&](int first, int last) {
          for (int py = first; py < last; ++py) {
            const std::uint8_t* s = src.ScanLine(std::clamp(py - r, 0, h - 1));
            std::uint8_t* d = bytes.data() + stride * static_cast<std::size_t>(py);
            for (int i = 0; i < r; ++i) std::memcpy(d + 3 * i, s, 3);
            std::memcpy(d + 3 * r, s, static_cast<std::size_t>(3 * w));
            for (int i = 0; i < r; ++i) std::memcpy(d + 3 * (r + w + i), s + 3 * (w - 1), 3);
          }
        },
        0, w);
  }
  // Byte 0 of pixel (x, y) of the picture; x in -r..w+r-1, y in -r..h+r-1.
  const std::uint8_t* At(int x, int y) const {
    return bytes.data() + stride * static_cast<std::size_t>(y + r) + static_cast<std::size_t>(3 * (x + r));
  }
  int r, w, h;
  std::size_t stride;
  std::vector<std::uint8_t> bytes;
};

inline std::uint8_t Masked(std::uint8_t o, std::uint8_t med, int spot, int floor) {
  if (spot == 0) return med;
  if (o <= floor) return o;
  return (spot > 0 ? o > med : o < med) ? med : o;
}

inline void Sort2(std::uint8_t& a, std::uint8_t& b) {
  const std::uint8_t lo = std::min(a, b), hi = std::max(a, b);
  a = lo;
  b = hi;
}

// 3 x 3 square: the nine bytes through a median network, every byte of the row at once, so
// the compiler can run it on vectors.
void MedianSquare3(const Padded& p, Dib& pic, int first, int last, int spot, int floor) {
  const int n = 3 * p.w;
  for (int y = first; y < last; ++y) {
    const std::uint8_t* r0 = p.At(0, y - 1);
    const std::uint8_t* r1 = p.At(0, y);
    const std::uint8_t* r2 = p.At(0, y + 1);
    std::uint8_t* out = pic.ScanLine(y);
    for (int i = 0; i < n; ++i) {
      std::uint8_t v0 = r0[i - 3], v1 = r0[i], v2 = r0[i + 3];
      std::uint8_t v3 = r1[i - 3], v4 = r1[i], v5 = r1[i + 3];
      std::uint8_t v6 = r2[i - 3], v7 = r2[i], v8 = r2[i + 3];
      Sort2(v1, v2); Sort2(v4, v5); Sort2(v7, v8);
      Sort2(v0, v1); Sort2(v3, v4); Sort2(v6, v7);
      Sort2(v1, v2); Sort2(v4, v5); Sort2(v7, v8);
      Sort2(v0, v3); Sort2(v5, v8); Sort2(v4, v7);
      Sort2(v3, v6); Sort2(v1, v4); Sort2(v2, v5);
      Sort2(v4, v7); Sort2(v4, v2); Sort2(v6, v4);
      Sort2(v4, v2);
      out[i] = Masked(r1[i], v4, spot, floor);
    }
  }
}

// Any window: per channel a 256-level histogram slides along the row, cells leaving at the
// left and entering at the right; the median moves from its last place by the counts.
struct Offset {
  int dx, dy;
};

void MedianSliding(const Padded& p, Dib& pic, int first, int last, int level, int spot, int floor) {
  const int r = MedianWindowRadius(level);
  std::vector<Offset> cells, leave, enter;
  for (int dy = -r; dy <= r; ++dy)
    for (int dx = -r; dx <= r; ++dx) {
      if (!MedianWindowHas(level, dx, dy)) continue;
      cells.push_back({dx, dy});
      if (!MedianWindowHas(level, dx - 1, dy)) leave.push_back({dx - 1, dy});  // at x: column x + dx - 1
      if (!MedianWindowHas(level, dx + 1, dy)) enter.push_back({dx, dy});
    }
  const int k = (static_cast<int>(cells.size()) - 1) / 2;
  const std::size_t stride = p.stride;
  for (int y = first; y < last; ++y) {
    std::uint8_t* out = pic.ScanLine(y);
    const std::uint8_t* row = p.At(0, y);
    std::uint16_t hist[3][256];
    int med[3], below[3];
    std::memset(hist, 0, sizeof hist);
    for (const Offset& o : cells) {
      const std::uint8_t* q = row + static_cast<std::ptrdiff_t>(o.dy) * static_cast<std::ptrdiff_t>(stride) + 3 * o.dx;
      ++hist[0][q[0]];
      ++hist[1][q[1]];
      ++hist[2][q[2]];
    }
    for (int c = 0; c < 3; ++c) {
      med[c] = 0;
      below[c] = 0;
    }
    for (int x = 0; x < p.w; ++x) {
      const std::uint8_t* base = row + 3 * x;
      if (x > 0) {
        for (const Offset& o : leave) {
          const std::uint8_t* q = base + static_cast<std::ptrdiff_t>(o.dy) * static_cast<std::ptrdiff_t>(stride) + 3 * o.dx;
          for (int c = 0; c < 3; ++c) {
            --hist[c][q[c]];
            below[c] -= q[c] < med[c];
          }
        }
        for (const Offset& o : enter) {
          const std::uint8_t* q = base + static_cast<std::ptrdiff_t>(o.dy) * static_cast<std::ptrdiff_t>(stride) + 3 * o.dx;
          for (int c = 0; c < 3; ++c) {
            ++hist[c][q[c]];
            below[c] += q[c] < med[c];
          }
        }
      }
      for (int c = 0; c < 3; ++c) {
        int m = med[c], lt = below[c];
        const std::uint16_t* h = hist[c];
        while (lt > k) lt -= h[--m];
        while (lt + h[m] <= k) lt += h[m++];
        med[c] = m;
        below[c] = lt;
        out[3 * x + c] = Masked(base[c], static_cast<std::uint8_t>(m), spot, floor);
      }
    }
  }
}

}  // namespace

bool Median(Dib& pic, int level, int spot, const FilterProgress& progress) {
  if (!Usable(pic)) return true;
  if (level < 1 || level > 9) level = 1;
  spot = std::clamp(spot, -127, 127);
  const int floor = 4 * std::abs(spot);
  const Dib src = pic;
  const Padded padded(src, MedianWindowRadius(level));
  return RunBands(pic, src, 0, pic.Height(), progress, [&](int first, int last) {
    if (level == 2) MedianSquare3(padded, pic, first, last, spot, floor);
    else MedianSliding(padded, pic, first, last, level, spot, floor);
  });
}

// --- descreen --------------------------------------------------------------------------------

const std::array<int, 25>& DeScreenWeights(int mode) {
  static const std::array<int, 25> w[3] = {
      {0, 1, 1, 1, 0, 0, 1, 2, 1, 0, 0, 2, 3, 2, 0, 0, 1, 2, 1, 0, 0, 1, 1, 1, 0},
      {1, 1, 1, 1, 1, 1, 1, 2, 1, 1, 1, 2, 3, 2, 1, 1, 1, 2, 1, 1, 1, 1, 1, 1, 1},
      {1, 1, 2, 1, 1, 1, 3, 0, 1, 1, 2, 0, 3, 0, 2, 1, 3, 0, 1, 1, 1, 1, 2, 1, 1}};
  return w[std::clamp(mode, 0, 2)];
}

int DeScreenDivisor(int mode) { return std::clamp(mode, 0, 2) == 0 ? 21 : 31; }

namespace {

template <int Mode>
void DeScreenRows(const Dib& src, Dib& pic, int first, int last) {
  constexpr int kW[3][25] = {
      {0, 1, 1, 1, 0, 0, 1, 2, 1, 0, 0, 2, 3, 2, 0, 0, 1, 2, 1, 0, 0, 1, 1, 1, 0},
      {1, 1, 1, 1, 1, 1, 1, 2, 1, 1, 1, 2, 3, 2, 1, 1, 1, 2, 1, 1, 1, 1, 1, 1, 1},
      {1, 1, 2, 1, 1, 1, 3, 0, 1, 1, 2, 0, 3, 0, 2, 1, 3, 0, 1, 1, 1, 1, 2, 1, 1}};
  constexpr int kDiv = Mode == 0 ? 21 : 31;
  const int n = 3 * (pic.Width() - 4);
  for (int y = first; y < last; ++y) {
    const std::uint8_t* rows[5];
    for (int j = 0; j < 5; ++j) rows[j] = src.ScanLine(y - 2 + j) + 6;
    std::uint8_t* out = pic.ScanLine(y) + 6;
    for (int i = 0; i < n; ++i) {
      int s = 0;
      for (int j = 0; j < 5; ++j)
        for (int dx = 0; dx < 5; ++dx) s += kW[Mode][j * 5 + dx] * rows[j][i + 3 * (dx - 2)];
      const int q = s / kDiv;
      out[i] = static_cast<std::uint8_t>(q > 255 ? 255 : q);
    }
  }
}

}  // namespace

bool DeScreen5x5(Dib& pic, int mode, const FilterProgress& progress) {
  if (!Usable(pic) || pic.Width() < 5 || pic.Height() < 5) return true;
  mode = std::clamp(mode, 0, 2);
  const Dib src = pic;
  return RunBands(pic, src, 2, pic.Height() - 2, progress, [&](int first, int last) {
    if (mode == 0) DeScreenRows<0>(src, pic, first, last);
    else if (mode == 1) DeScreenRows<1>(src, pic, first, last);
    else DeScreenRows<2>(src, pic, first, last);
  });
}

// --- Clean and Unsharp mask ------------------------------------------------------------------

namespace {

// The 5 x 5 means of pixels 2..w-3 of row y, as bytes: column sums of five rows, then five
// columns.
void BoxMean5Row(const Dib& src, int y, std::vector<std::uint16_t>& vs, std::vector<std::uint8_t>& mean) {
  const int w = src.Width();
  const std::uint8_t* r0 = src.ScanLine(y - 2);
  const std::uint8_t* r1 = src.ScanLine(y - 1);
  const std::uint8_t* r2 = src.ScanLine(y);
  const std::uint8_t* r3 = src.ScanLine(y + 1);
  const std::uint8_t* r4 = src.ScanLine(y + 2);
  std::uint16_t* v = vs.data();
  for (int i = 0; i < 3 * w; ++i) v[i] = static_cast<std::uint16_t>(r0[i] + r1[i] + r2[i] + r3[i] + r4[i]);
  const int n = 3 * (w - 4);
  const std::uint16_t* vc = v + 6;
  std::uint8_t* m = mean.data();
  for (int i = 0; i < n; ++i) m[i] = static_cast<std::uint8_t>((vc[i - 6] + vc[i - 3] + vc[i] + vc[i + 3] + vc[i + 6]) / 25);
}

template <class PixelFn>
bool Guided5x5(Dib& pic, const FilterProgress& progress, PixelFn fn) {
  if (!Usable(pic) || pic.Width() < 5 || pic.Height() < 5) return true;
  const Dib src = pic;
  const int w = pic.Width();
  return RunBands(pic, src, 2, pic.Height() - 2, progress, [&](int first, int last) {
    std::vector<std::uint16_t> vs(static_cast<std::size_t>(3 * w));
    std::vector<std::uint8_t> mean(static_cast<std::size_t>(3 * (w - 4)));
    for (int y = first; y < last; ++y) {
      BoxMean5Row(src, y, vs, mean);
      const std::uint8_t* o = src.ScanLine(y) + 6;
      std::uint8_t* out = pic.ScanLine(y) + 6;
      for (int x = 0; x < w - 4; ++x) fn(o + 3 * x, mean.data() + 3 * x, out + 3 * x);
    }
  });
}

}  // namespace

bool SharpGaussianBlur5x5(Dib& pic, int threshold, int amount, const FilterProgress& progress) {
  const int a = std::clamp(amount, 0, 255);
  return Guided5x5(pic, progress, [threshold, a](const std::uint8_t* o, const std::uint8_t* m, std::uint8_t* out) {
    const int lo = Lightness(o[2], o[1], o[0]);
    const int lm = Lightness(m[2], m[1], m[0]);
    if (std::abs(lo - lm) >= threshold) return;
    for (int c = 0; c < 3; ++c) out[c] = static_cast<std::uint8_t>(o[c] + (m[c] - o[c]) * a / 255);
  });
}

bool UnSharpGaussianBlur5x5(Dib& pic, int threshold, int amount, const FilterProgress& progress) {
  const int a = std::clamp(amount, 0, 255);
  return Guided5x5(pic, progress, [threshold, a](const std::uint8_t* o, const std::uint8_t* m, std::uint8_t* out) {
    const int lo = Lightness(o[2], o[1], o[0]);
    const int d = lo - Lightness(m[2], m[1], m[0]);
    const int ad = std::abs(d);
    if (ad <= threshold) return;
    const Hls hls = RGBToHLS(o[2], o[1], o[0]);
    const int step = a * 2 * ad / 255;
    const int l = d > 0 ? std::min(3600, lo + step) : std::max(0, lo - step);
    const Rgb c = HLSToRGBClamped(hls.h, l, hls.s);
    out[0] = static_cast<std::uint8_t>(c.b);
    out[1] = static_cast<std::uint8_t>(c.g);
    out[2] = static_cast<std::uint8_t>(c.r);
  });
}

// --- DeFog -----------------------------------------------------------------------------------

bool DoDefog(Dib& pic, int strength, int sat, const FilterProgress& progress) {
  if (!Usable(pic)) return true;
  strength = std::clamp(strength, 0, 255);
  sat = std::clamp(sat, 0, 255);
  // Only needed to put the picture back on a stop.
  const Dib kept = progress ? pic : Dib();
  const int w = pic.Width();
  return RunBands(pic, kept, 0, pic.Height(), progress, [&](int first, int last) {
    for (int y = first; y < last; ++y) {
      std::uint8_t* p = pic.ScanLine(y);
      for (int x = 0; x < w; ++x, p += 3) {
        const int b = p[0], g = p[1], r = p[2];
        const int wt = (255 - r) * (255 - r) + (255 - g) * (255 - g) + (255 - b) * (255 - b);
        const Hls hls = RGBToHLS(r, g, b);
        const int s = std::min(3599, hls.s * wt / 195075 * sat / 128 + hls.s);
        const Rgb c = HLSToRGBClamped(hls.h, hls.l, s);
        const int f = (std::min({c.r, c.g, c.b}) * wt / 195075) * strength / 255;
        p[0] = static_cast<std::uint8_t>(c.b - f);
        p[1] = static_cast<std::uint8_t>(c.g - f);
        p[2] = static_cast<std::uint8_t>(c.r - f);
      }
    }
  });
}

// --- pair smoothing --------------------------------------------------------------------------

bool DeMosiac2x2(Dib& pic, int variant, const FilterProgress& progress) {
  if (!Usable(pic) || pic.Width() < 2 || pic.Height() < 2) return true;
  const Dib src = pic;
  const int w = pic.Width();
  const int pairsEnd = pic.Height() / 2 * 2;
  return RunBands(
      pic, src, 0, pairsEnd, progress,
      [&](int first, int last) {
        for (int y = first; y < last; y += 2) {
          const std::uint8_t* top = src.ScanLine(y);
          const std::uint8_t* bot = src.ScanLine(y + 1);
          std::uint8_t* o0 = pic.ScanLine(y);
          std::uint8_t* o1 = pic.ScanLine(y + 1);
          for (int i = 3; i < 3 * w; ++i) {
            const int a = top[i - 3], b = top[i], c = bot[i - 3], d = bot[i];
            const int v = variant == 0 ? (2 * a + c + b + 2 * d) / 6 : (a + 2 * c + 2 * b + d) / 6;
            o0[i] = static_cast<std::uint8_t>(v);
            o1[i] = static_cast<std::uint8_t>(v);
          }
        }
      },
      2);
}

}  // namespace pelira
