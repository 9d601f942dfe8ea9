#include "slideshow/transition_frame.h"

#include <algorithm>
#include <cstring>
#include <numeric>

#include "image/dib.h"

namespace pelira {

namespace {

constexpr std::uint32_t kOpaque = 0xFF000000u;

std::uint64_t SplitMix64(std::uint64_t& state) {
  std::uint64_t z = (state += 0x9E3779B97F4A7C15ull);
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
  return z ^ (z >> 31);
}

// One run of a line (a row for horizontal motion, a column of rows for vertical motion):
// len pixels at dst come from the old or new picture starting at src.
struct Run {
  int dst;
  bool fromNew;
  int src;
  int len;
};

// The sliding step W over [lo, hi) along one axis; far = the entry edge is at hi (from Right
// or from Bottom).
void AddSlide(std::vector<Run>& runs, int lo, int hi, bool far, int mode, int k, int n) {
  const int e = hi - lo;
  if (e <= 0) return;
  const int d = static_cast<int>(static_cast<std::int64_t>(k) * e / n);
  const bool scroll = mode == 0 || mode == 2;
  const bool moveOld = mode == 0 || mode == 1;
  if (!far) {
    if (d > 0) runs.push_back({lo, true, scroll ? hi - d : lo, d});
    if (e - d > 0) runs.push_back({lo + d, false, moveOld ? lo : lo + d, e - d});
  } else {
    if (e - d > 0) runs.push_back({lo, false, moveOld ? lo + d : lo, e - d});
    if (d > 0) runs.push_back({hi - d, true, scroll ? lo : hi - d, d});
  }
}

void ApplyColumns(const std::vector<Run>& runs, const Surface& o, const Surface& nw, Surface& out) {
  const int w = out.width;
  if (runs.size() * 16 <= static_cast<std::size_t>(w)) {
    for (int y = 0; y < out.height; ++y) {
      std::uint32_t* dst = out.Row(y);
      const std::uint32_t* srcO = o.Row(y);
      const std::uint32_t* srcN = nw.Row(y);
      for (const Run& r : runs)
        std::memcpy(dst + r.dst, (r.fromNew ? srcN : srcO) + r.src, static_cast<std::size_t>(r.len) * 4);
    }
    return;
  }
  // Narrow blinds make runs of a pixel or two: a per-column table beats a copy call per run.
  std::vector<std::int32_t> src(static_cast<std::size_t>(w));
  std::vector<std::uint32_t> mask(static_cast<std::size_t>(w));
  for (const Run& r : runs)
    for (int i = 0; i < r.len; ++i) {
      src[static_cast<std::size_t>(r.dst + i)] = r.src + i;
      mask[static_cast<std::size_t>(r.dst + i)] = r.fromNew ? 0xFFFFFFFFu : 0u;
    }
  const std::int32_t* sp = src.data();
  const std::uint32_t* mp = mask.data();
  for (int y = 0; y < out.height; ++y) {
    std::uint32_t* dst = out.Row(y);
    const std::uint32_t* srcO = o.Row(y);
    const std::uint32_t* srcN = nw.Row(y);
    for (int x = 0; x < w; ++x) dst[x] = (srcN[sp[x]] & mp[x]) | (srcO[sp[x]] & ~mp[x]);
  }
}

void ApplyRows(const std::vector<Run>& runs, const Surface& o, const Surface& nw, Surface& out) {
  const std::size_t bytes = static_cast<std::size_t>(out.width) * 4;
  for (const Run& r : runs)
    for (int i = 0; i < r.len; ++i)
      std::memcpy(out.Row(r.dst + i), (r.fromNew ? nw : o).Row(r.src + i), bytes);
}

bool Horizontal(int kind) {
  // Right and left entries, and the curtains with a vertical seam.
  return kind == 1 || kind == 2 || kind == 18 || kind == 19 || kind == 5 || kind == 6;
}
bool FarEntry(int kind) { return kind == 1 || kind == 3 || kind == 18 || kind == 20; }

std::uint32_t Lerp(std::uint32_t a, std::uint32_t b, std::uint32_t t) {
  const std::uint32_t u = 256 - t;
  const std::uint32_t rb = (((a & 0x00FF00FFu) * u + (b & 0x00FF00FFu) * t + 0x00800080u) >> 8) & 0x00FF00FFu;
  const std::uint32_t g = (((a & 0x0000FF00u) * u + (b & 0x0000FF00u) * t + 0x00008000u) >> 8) & 0x0000FF00u;
  return kOpaque | rb | g;
}

// Inside test of implode and explode for one pixel's U and V.
struct Burst {
  int shape;
  __int128 n, a, w, h, m;
  bool Inside(__int128 u, __int128 v) const {
    if (shape == 6) return u * u * n * n * h * h + v * v * n * n * w * w < 2 * a * a * w * w * h * h;
    if (shape == 5) {
      if (!(5 * n * u < 6 * a * w && 5 * n * v < 6 * a * h)) return false;
      const __int128 up = 5 * n * u - 6 * a * w + 3 * a * m;
      const __int128 vp = 5 * n * v - 6 * a * h + 3 * a * m;
      if (up > 0 && vp > 0) return up * up + vp * vp < (3 * a * m) * (3 * a * m);
      return true;
    }
    return u * n < a * w && v * n < a * h;
  }
};

}  // namespace

Surface::Surface(int w, int h, std::uint32_t fill)
    : width(std::max(0, w)), height(std::max(0, h)),
      pixels(static_cast<std::size_t>(std::max(0, w)) * static_cast<std::size_t>(std::max(0, h)), fill) {}

Surface SurfaceFromDib(const Dib& dib) {
  Surface s(dib.Width(), dib.Height());
  if (dib.BitCount() == 24) {
    for (int y = 0; y < s.height; ++y) {
      const std::uint8_t* p = dib.ScanLine(y);
      std::uint32_t* q = s.Row(y);
      for (int x = 0; x < s.width; ++x, p += 3)
        q[x] = kOpaque | (std::uint32_t(p[2]) << 16) | (std::uint32_t(p[1]) << 8) | p[0];
    }
  } else {
    for (int y = 0; y < s.height; ++y)
      for (int x = 0; x < s.width; ++x) s.Row(y)[x] = kOpaque | (dib.Pixel(x, y) & 0xFFFFFFu);
  }
  return s;
}

Dib DibFromSurface(const Surface& s) {
  Dib d(s.width, s.height, 24, Dib::Init::Zero);
  for (int y = 0; y < s.height; ++y) {
    const std::uint32_t* p = s.Row(y);
    std::uint8_t* q = d.ScanLine(y);
    for (int x = 0; x < s.width; ++x, q += 3) {
      q[0] = static_cast<std::uint8_t>(p[x]);
      q[1] = static_cast<std::uint8_t>(p[x] >> 8);
      q[2] = static_cast<std::uint8_t>(p[x] >> 16);
    }
  }
  return d;
}

void DrawSurface(const Surface& src, Surface& dst, int x, int y) {
  const int x0 = std::max(0, x), y0 = std::max(0, y);
  const int x1 = std::min(dst.width, x + src.width), y1 = std::min(dst.height, y + src.height);
  if (x0 >= x1 || y0 >= y1) return;
  for (int yy = y0; yy < y1; ++yy)
    std::memcpy(dst.Row(yy) + x0, src.Row(yy - y) + (x0 - x), static_cast<std::size_t>(x1 - x0) * 4);
}

int TransitionDurationMs(int speed) { return 300 << std::clamp(speed, 0, 3); }

int TransitionFrameCount(const TransitionEffect& fx) {
  switch (fx.kind) {
    case 1: case 2: case 3: case 4: case 5: case 6: case 7: case 8: case 9: case 10: case 11:
    case 12: case 13: case 14: case 16: case 17: case 18: case 19: case 20: case 21:
      return (TransitionDurationMs(fx.speed) + 15) / 16;
    default:
      return 1;
  }
}

Surface BoxBlur(const Surface& s, int radius) {
  Surface tmp(s.width, s.height), out(s.width, s.height);
  if (s.width == 0 || s.height == 0) return out;
  const int win = 2 * radius + 1;
  // Rows: a sliding sum per channel, the edge pixels repeated past the ends.
  for (int y = 0; y < s.height; ++y) {
    const std::uint32_t* p = s.Row(y);
    std::uint32_t* q = tmp.Row(y);
    auto at = [&](int x) { return p[std::clamp(x, 0, s.width - 1)]; };
    std::uint32_t sr = 0, sg = 0, sb = 0;
    for (int i = -radius; i <= radius; ++i) {
      const std::uint32_t c = at(i);
      sr += (c >> 16) & 255; sg += (c >> 8) & 255; sb += c & 255;
    }
    for (int x = 0; x < s.width; ++x) {
      q[x] = kOpaque | ((sr / win) << 16) | ((sg / win) << 8) | (sb / win);
      const std::uint32_t in = at(x + radius + 1), outp = at(x - radius);
      sr += ((in >> 16) & 255) - ((outp >> 16) & 255);
      sg += ((in >> 8) & 255) - ((outp >> 8) & 255);
      sb += (in & 255) - (outp & 255);
    }
  }
  // Columns, all of a row at once so the inner loop runs along memory.
  const int w = s.width;
  std::vector<std::uint32_t> sr(w), sg(w), sb(w);
  auto row = [&](int y) { return tmp.Row(std::clamp(y, 0, s.height - 1)); };
  for (int i = -radius; i <= radius; ++i) {
    const std::uint32_t* r = row(i);
    for (int x = 0; x < w; ++x) {
      sr[x] += (r[x] >> 16) & 255; sg[x] += (r[x] >> 8) & 255; sb[x] += r[x] & 255;
    }
  }
  for (int y = 0; y < s.height; ++y) {
    std::uint32_t* q = out.Row(y);
    const std::uint32_t* in = row(y + radius + 1);
    const std::uint32_t* gone = row(y - radius);
    for (int x = 0; x < w; ++x) {
      q[x] = kOpaque | ((sr[x] / win) << 16) | ((sg[x] / win) << 8) | (sb[x] / win);
      sr[x] += ((in[x] >> 16) & 255) - ((gone[x] >> 16) & 255);
      sg[x] += ((in[x] >> 8) & 255) - ((gone[x] >> 8) & 255);
      sb[x] += (in[x] & 255) - (gone[x] & 255);
    }
  }
  return out;
}

TransitionPlan::TransitionPlan(const Surface& newPicture, const TransitionEffect& fx)
    : fx_(fx), frames_(TransitionFrameCount(fx)) {
  const int w = newPicture.width, h = newPicture.height;
  if (fx.kind == 14 && w > 0 && h > 0) {
    blurred_ = BoxBlur(newPicture, std::max(1, std::min(w, h) / 32));
  } else if (fx.kind >= 9 && fx.kind <= 13 && w > 0 && h > 0) {
    const std::int64_t low = fx.parameter & 0xFFFF;
    const std::int64_t high = (fx.parameter >> 16) & 0xFFFF;
    const bool lines = fx.kind == 9 && fx.variant == 3;
    cellW_ = static_cast<int>(std::clamp<std::int64_t>(low, 1, w));
    cellH_ = static_cast<int>(std::clamp<std::int64_t>(lines ? high : low, 1, h));
    cols_ = (w + cellW_ - 1) / cellW_;
    rows_ = (h + cellH_ - 1) / cellH_;
    const std::size_t m = static_cast<std::size_t>(cols_) * static_cast<std::size_t>(rows_);
    order_.resize(m);
    if (fx.kind == 9) {
      std::iota(order_.begin(), order_.end(), 0u);
      std::uint64_t state = fx.seed;
      for (std::size_t i = m - 1; i >= 1; --i) {
        const std::size_t j = static_cast<std::size_t>(SplitMix64(state) % (i + 1));
        std::swap(order_[i], order_[j]);
      }
    } else {
      std::size_t p = 0;
      auto put = [&](int r, int c) { order_[p++] = static_cast<std::uint32_t>(r * cols_ + c); };
      if (fx.kind == 10) {
        for (int c = cols_ - 1; c >= 0; --c) for (int r = 0; r < rows_; ++r) put(r, c);
      } else if (fx.kind == 11) {
        for (int c = 0; c < cols_; ++c) for (int r = 0; r < rows_; ++r) put(r, c);
      } else if (fx.kind == 12) {
        for (int r = rows_ - 1; r >= 0; --r) for (int c = 0; c < cols_; ++c) put(r, c);
      } else {
        for (int r = 0; r < rows_; ++r) for (int c = 0; c < cols_; ++c) put(r, c);
      }
    }
    // Rendering asks of each cell where it stands in the order.
    rank_.resize(m);
    for (std::size_t i = 0; i < m; ++i) rank_[order_[i]] = static_cast<std::uint32_t>(i);
    order_.clear();
    order_.shrink_to_fit();
  }
}

void TransitionPlan::Render(const Surface& o, const Surface& nw, int k, Surface& out) const {
  const int w = nw.width, h = nw.height;
  if (out.width != w || out.height != h) out = Surface(w, h);
  if (w == 0 || h == 0) return;
  const int n = frames_;
  k = std::clamp(k, 0, n);
  const int kind = fx_.kind;
  const int mode = std::clamp(fx_.variant, 0, 3);

  if ((kind >= 1 && kind <= 8) || (kind >= 18 && kind <= 21)) {
    const bool horiz = Horizontal(kind);
    const int extent = horiz ? w : h;
    std::vector<Run> runs;
    if (kind <= 4) {
      AddSlide(runs, 0, extent, FarEntry(kind), mode, k, n);
    } else if (kind >= 18) {
      const std::int64_t c = std::max<std::int64_t>(1, fx_.parameter >> 16);
      for (std::int64_t lo = 0; lo < extent; lo += c)
        AddSlide(runs, static_cast<int>(lo), static_cast<int>(std::min<std::int64_t>(lo + c, extent)), FarEntry(kind),
                 mode, k, n);
    } else {
      const int seam = extent / 2;
      const bool out = kind == 5 || kind == 7;
      AddSlide(runs, 0, seam, out, mode, k, n);
      AddSlide(runs, seam, extent, !out, mode, k, n);
    }
    if (horiz)
      ApplyColumns(runs, o, nw, out);
    else
      ApplyRows(runs, o, nw, out);
    return;
  }

  if (kind >= 9 && kind <= 13) {
    const std::uint32_t count =
        static_cast<std::uint32_t>(static_cast<unsigned __int128>(k) * rank_.size() / static_cast<unsigned>(n));
    std::vector<std::uint32_t> mask(static_cast<std::size_t>(w));
    for (int r = 0; r < rows_; ++r) {
      const std::uint32_t* rank = rank_.data() + static_cast<std::size_t>(r) * cols_;
      bool anyNew = false, anyOld = false;
      for (int c = 0; c < cols_; ++c) {
        const bool shown = rank[c] < count;
        (shown ? anyNew : anyOld) = true;
        const int x0 = c * cellW_, x1 = std::min(w, x0 + cellW_);
        std::fill(mask.begin() + x0, mask.begin() + x1, shown ? 0xFFFFFFFFu : 0u);
      }
      const std::uint32_t* mp = mask.data();
      for (int y = r * cellH_; y < std::min(h, (r + 1) * cellH_); ++y) {
        std::uint32_t* q = out.Row(y);
        const std::uint32_t* po = o.Row(y);
        const std::uint32_t* pn = nw.Row(y);
        if (!anyNew || !anyOld) {
          std::memcpy(q, anyNew ? pn : po, static_cast<std::size_t>(w) * 4);
        } else {
          for (int x = 0; x < w; ++x) q[x] = (pn[x] & mp[x]) | (po[x] & ~mp[x]);
        }
      }
    }
    return;
  }

  if (kind == 16 || kind == 17) {
    const bool explode = kind == 17;
    const Burst b{fx_.variant == 5 || fx_.variant == 6 ? fx_.variant : 4, n, explode ? k : n - k, w, h, std::min(w, h)};
    const Surface& inside = explode ? nw : o;
    const Surface& outside = explode ? o : nw;
    // U grows from the centre outwards, and every shape's test only gets harder as it grows:
    // find the last inside column of the right half, the row's inside span mirrors it.
    const int firstRight = w / 2;  // the smallest x with 2x + 1 - w >= 0
    for (int y = 0; y < h; ++y) {
      const __int128 v = std::abs(2 * y + 1 - h);
      int lo = firstRight, hi = w;  // inside for x < lo is known; search [lo, hi)
      if (!b.Inside(2 * lo + 1 - w, v)) {
        hi = lo;
      } else {
        ++lo;
        while (lo < hi) {
          const int mid = lo + (hi - lo) / 2;
          if (b.Inside(2 * mid + 1 - w, v)) lo = mid + 1; else hi = mid;
        }
      }
      // Inside: [w - hi, hi), the mirror image of the right half's span; none when hi is
      // still the first column of the right half.
      const std::uint32_t* in = inside.Row(y);
      const std::uint32_t* ou = outside.Row(y);
      std::uint32_t* q = out.Row(y);
      const int a = hi > firstRight ? w - hi : 0, z = hi > firstRight ? hi : 0;
      if (a > 0) std::memcpy(q, ou, static_cast<std::size_t>(a) * 4);
      if (z > a) std::memcpy(q + a, in + a, static_cast<std::size_t>(z - a) * 4);
      if (w > z) std::memcpy(q + z, ou + z, static_cast<std::size_t>(w - z) * 4);
    }
    return;
  }

  if (kind == 14) {
    const int t = static_cast<int>(std::min<std::int64_t>(512, 512ll * k / n));
    const Surface& a = t <= 256 ? o : blurred_;
    const Surface& b = t <= 256 ? blurred_ : nw;
    const std::uint32_t tt = static_cast<std::uint32_t>(t <= 256 ? t : t - 256);
    const std::size_t count = out.pixels.size();
    const std::uint32_t* pa = a.pixels.data();
    const std::uint32_t* pb = b.pixels.data();
    std::uint32_t* q = out.pixels.data();
    for (std::size_t i = 0; i < count; ++i) q[i] = Lerp(pa[i], pb[i], tt);
    return;
  }

  out.pixels = k == 0 ? o.pixels : nw.pixels;
}

Surface RenderTransitionFrame(const Surface& oldPicture, const Surface& newPicture, const TransitionEffect& fx, int k) {
  Surface out;
  TransitionPlan(newPicture, fx).Render(oldPicture, newPicture, k, out);
  return out;
}

}  // namespace pelira
