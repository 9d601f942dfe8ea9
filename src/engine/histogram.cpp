#include "engine/histogram.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <mutex>
#include <vector>

#include "common/parallel_for.h"
#include "engine/color_filters.h"
#include "engine/hls.h"
#include "engine/tone_tables.h"

namespace pelira {

namespace {

bool TrueColor(const Dib& pic) { return !pic.Empty() && pic.BitCount() == 24; }

struct Counts {
  std::uint64_t r[256] = {}, g[256] = {}, b[256] = {}, l[256] = {}, s[256] = {}, h[256] = {};
};

std::int32_t Capped(std::uint64_t v) {
  return static_cast<std::int32_t>(std::min<std::uint64_t>(v, kHistogramCountLimit));
}

// Red, green, blue and lightness counts of rows first..last-1. Pixels are counted in pairs
// of channels (blue with green, red with lightness), two increments a pixel in place of
// four; the single-channel counts are the sums over the other channel of each pair. The
// 32-bit pair counters are folded into the 64-bit totals well before they could overflow.
void CountRgbl(const Dib& pic, int first, int last, Counts& out) {
  auto bg = std::make_unique<std::uint32_t[]>(65536);
  auto rl = std::make_unique<std::uint32_t[]>(65536);
  const int w = pic.Width();
  std::uint64_t pending = 0;
  auto fold = [&] {
    for (int hi = 0; hi < 256; ++hi) {
      for (int lo = 0; lo < 256; ++lo) {
        const std::uint32_t n1 = bg[hi << 8 | lo], n2 = rl[hi << 8 | lo];
        out.b[lo] += n1;
        out.g[hi] += n1;
        out.r[lo] += n2;
        out.l[hi] += n2;
      }
    }
    std::memset(bg.get(), 0, 65536 * sizeof(std::uint32_t));
    std::memset(rl.get(), 0, 65536 * sizeof(std::uint32_t));
    pending = 0;
  };
  for (int y = first; y < last; ++y) {
    const std::uint8_t* p = pic.ScanLine(y);
    for (int x = 0; x < w; ++x, p += 3) {
      const unsigned B = p[0], G = p[1], R = p[2];
      ++bg[B | G << 8];
      // (30R + 60G + 10B) div 100, the same as (3R + 6G + B) div 10.
      ++rl[R | ((3 * R + 6 * G + B) / 10) << 8];
    }
    pending += static_cast<std::uint64_t>(w);
    if (pending > (std::uint64_t{1} << 31)) fold();
  }
  fold();
}

void AddSums(ChannelSum& c, const std::uint64_t* counts) {
  for (int i = 0; i < 256; ++i) {
    c.sum += static_cast<std::int64_t>(counts[i]) * i;
    c.sumSq += static_cast<std::int64_t>(counts[i]) * i * i;
  }
}

void Store(Histogram& h, const std::uint64_t* counts, std::int32_t& peak) {
  h.fill(0);
  for (int i = 0; i < 256; ++i) {
    h[i] = Capped(counts[i]);
    peak = std::max(peak, h[i]);
  }
}

}  // namespace

HistogramResult DoCalcHistogram(const Dib& pic, HistogramPass pass) {
  const bool wantSat = pass.saturation, wantHue = pass.hue, wantStats = pass.stats;
  HistogramResult result;
  Histograms& hist = result.hist;
  result.stats.n = 0;

  Counts total;
  std::uint64_t pixels = 0;
  if (TrueColor(pic)) {
    const bool hls = wantSat || wantHue;
    std::mutex merge;
    const int w = pic.Width();
    ParallelRows(
        pic.Height(),
        [&](int first, int last) {
          auto local = std::make_unique<Counts>();
          if (hls) {
            for (int y = first; y < last; ++y) {
              const std::uint8_t* p = pic.ScanLine(y);
              for (int x = 0; x < w; ++x, p += 3) {
                const int B = p[0], G = p[1], R = p[2];
                ++local->r[R];
                ++local->g[G];
                ++local->b[B];
                ++local->l[LightnessIndex(R, G, B)];
                const Hls c = RGBToHLS(R, G, B);
                if (wantSat) ++local->s[std::min(255, c.s * 255 / kHlsMax)];
                if (wantHue) ++local->h[std::min(255, c.h * 255 / kHlsMax)];
              }
            }
          } else {
            CountRgbl(pic, first, last, *local);
          }
          std::lock_guard lock(merge);
          for (int i = 0; i < 256; ++i) {
            total.r[i] += local->r[i];
            total.g[i] += local->g[i];
            total.b[i] += local->b[i];
            total.l[i] += local->l[i];
            total.s[i] += local->s[i];
            total.h[i] += local->h[i];
          }
        },
        0, w);
    pixels = static_cast<std::uint64_t>(w) * static_cast<std::uint64_t>(pic.Height());
  }
  Store(hist.red, total.r, hist.peak);
  Store(hist.green, total.g, hist.peak);
  Store(hist.blue, total.b, hist.peak);
  Store(hist.lightness, total.l, hist.peak);
  if (wantSat) Store(hist.saturation, total.s, hist.peak);
  if (wantHue) Store(hist.hue, total.h, hist.peak);

  ChannelStats& st = result.stats;
  if (wantStats) {
    st.n = static_cast<std::int64_t>(pixels);
    AddSums(st.red, total.r);
    AddSums(st.green, total.g);
    AddSums(st.blue, total.b);
    AddSums(st.lightness, total.l);
    if (wantSat) AddSums(st.saturation, total.s);
    if (wantHue) AddSums(st.hue, total.h);
    st.brightest = st.lightness;
    st.darkest = st.lightness;
    for (const ChannelSum* c : {&st.red, &st.green, &st.blue}) {
      if (c->sum > st.brightest.sum) st.brightest = *c;
      if (c->sum < st.darkest.sum) st.darkest = *c;
    }
  }
  if (st.n == 0) st.n = 1;
  return result;
}

MidtoneResult DoCalcMidtones(const Dib& pic) {
  MidtoneResult result;
  ChannelStats& st = result.stats;
  st.n = 0;
  std::uint64_t counts[256] = {};
  if (TrueColor(pic)) {
    std::mutex merge;
    const int w = pic.Width();
    ParallelRows(
        pic.Height(),
        [&](int first, int last) {
          std::uint64_t local[256] = {};
          for (int y = first; y < last; ++y) {
            const std::uint8_t* p = pic.ScanLine(y);
            for (int x = 0; x < w; ++x, p += 3) ++local[LightnessIndex(p[2], p[1], p[0])];
          }
          std::lock_guard lock(merge);
          for (int i = 0; i < 256; ++i) counts[i] += local[i];
        },
        0, w);
  }
  Store(result.lightness, counts, result.peak);
  std::uint64_t n = 0;
  for (int i = 16; i <= 240; ++i) {
    n += counts[i];
    st.lightness.sum += static_cast<std::int64_t>(counts[i]) * i;
    st.lightness.sumSq += static_cast<std::int64_t>(counts[i]) * i * i;
  }
  st.n = static_cast<std::int64_t>(n);
  std::uint64_t running = 0;
  for (int i = 16; i <= 240; ++i) {
    running += counts[i];
    if (2 * running > n) {
      result.median = i;
      break;
    }
  }
  result.mode = 16;
  for (int i = 17; i <= 240; ++i)
    if (counts[i] > counts[result.mode]) result.mode = i;
  st.brightest = st.lightness;
  if (st.n == 0) st.n = 1;
  return result;
}

LevelRange SignificantRange(const Histogram& h, bool saturation) {
  LevelRange r;
  const int loEnd = saturation ? 250 : 252;
  const int hiEnd = saturation ? 4 : 3;
  for (int i = 0; i <= loEnd; ++i) {
    if (h[i] > 48 && h[i + 1] > 48 && h[i + 2] > 48 && h[i + 3] > 48) {
      r.lo = i;
      break;
    }
  }
  for (int n = 255; n >= hiEnd; --n) {
    if (h[n] > 48 && h[n - 1] > 48 && h[n - 2] > 48 && h[n - 3] > 48) {
      r.hi = n;
      break;
    }
  }
  if (r.hi == 254) r.hi = 255;
  return r;
}

void DoNormalize(Dib& pic, const ChannelStats& stats, int channel, int mean, int deviation) {
  // Identity tables but the one remapped, so the filter leaves the other channels alone.
  ToneTables t;
  mean = std::clamp(mean, 1, 255);
  deviation = std::clamp(deviation, 1, 255);
  const ChannelSum& c = stats.Of(channel);
  const double mu = stats.Mean(c);
  double sigma = stats.Deviation(c);
  if (sigma == 0) sigma = 1;
  ToneTable& tab = t.Table(channel >= 0 ? channel : kGreen);
  for (int i = 1; i < 256; ++i) {
    const double v = mean + deviation * (i - mu) / sigma;
    tab[i] = static_cast<std::uint8_t>(std::trunc(std::min(255.0, std::max(0.0, v))));
  }
  if (channel == kLightnessChannel) {
    LuminanceFilter(pic, t);
  } else if (channel == kSaturationChannel) {
    SaturationFilter(pic, t);
  } else {
    ColorFilter(pic, t);
  }
}

bool ConformChannel(Dib& pic, int channel, int mean, int deviation) {
  if (mean < 1 || mean > 254 || deviation < 1 || deviation > 254) return false;
  const HistogramResult measured = DoCalcHistogram(pic, {.saturation = true, .stats = true});
  DoNormalize(pic, measured.stats, channel, mean, deviation);
  return true;
}

void DoConformGammaRGB(Dib& pic, int tR, int tG, int tB) {
  const int target[3] = {std::clamp(tR, 1, 255), std::clamp(tG, 1, 255), std::clamp(tB, 1, 255)};
  const ChannelStats stats = DoCalcHistogram(pic, {.stats = true}).stats;
  // A channel's mean after a table is sum(count[c] x table[c]) / N: the search runs on the
  // counts and the picture is changed once, with the same decisions as full passes.
  std::uint64_t counts[3][256] = {};
  if (TrueColor(pic)) {
    const int w = pic.Width();
    for (int y = 0; y < pic.Height(); ++y) {
      const std::uint8_t* p = pic.ScanLine(y);
      for (int x = 0; x < w; ++x, p += 3) {
        ++counts[0][p[2]];
        ++counts[1][p[1]];
        ++counts[2][p[0]];
      }
    }
  }
  const std::int64_t n = stats.n;
  const ChannelSum* sums[3] = {&stats.red, &stats.green, &stats.blue};
  int g[3];
  bool done[3] = {false, false, false};
  for (int k = 0; k < 3; ++k) {
    const int m = static_cast<int>(RoundHalfEven(stats.Mean(*sums[k])));
    g[k] = m < target[k] ? 150 : 75;
  }
  ToneTables t;
  while (true) {
    for (int k = 0; k < 3; ++k) SetGammaLUT(t, g[k], k);
    for (int k = 0; k < 3; ++k) {
      std::int64_t s = 0;
      const ToneTable& tab = t.Table(k);
      for (int c = 0; c < 256; ++c) s += static_cast<std::int64_t>(counts[k][c]) * tab[c];
      const int m = static_cast<int>(RoundHalfEven(static_cast<double>(static_cast<long double>(s) / n)));
      if (done[k]) continue;
      if (std::abs(m - target[k]) <= 2 || g[k] <= 25 || g[k] >= 250) {
        done[k] = true;
      } else {
        g[k] += m > target[k] ? -(g[k] / 4) : g[k] / 4;
      }
    }
    if (done[0] && done[1] && done[2]) break;
  }
  // t holds the tables of the last attempt, built before its flags were decided.
  ColorFilter(pic, t);
}

void DoConformGamma(Dib& pic, int target) {
  target = std::clamp(target, 1, 255);
  const Dib original = pic;
  auto midtoneMean = [&pic] {
    const ChannelStats st = DoCalcMidtones(pic).stats;
    return static_cast<int>(std::trunc(st.Mean(st.brightest)));
  };
  int m = midtoneMean();
  int g = m < target ? 150 : 75;
  while (true) {
    ToneTables t;
    SetGammaLUT(t, g, kGreen);
    BalanceGammaFilter(pic, t);
    m = midtoneMean();
    if (std::abs(m - target) < 3 || g < 26 || g >= 250) break;
    pic = original;
    g = m > target ? g - g / 4 : g + g / 4;
  }
}

ToneTables BuildZeroMaps(const Histograms& hist) {
  ToneTables t;
  const Histogram* h[3] = {&hist.red, &hist.green, &hist.blue};
  for (int k = 0; k < 3; ++k) {
    ToneTable& tab = t.Table(k);
    int used = 0;
    for (int i = 0; i < 256; ++i) {
      tab[i] = static_cast<std::uint8_t>(used);
      if ((*h[k])[i] != 0) ++used;
    }
  }
  return t;
}

Shifts CenterShifts(const Histograms& hist) {
  const Histogram* h[3] = {&hist.red, &hist.green, &hist.blue};
  int edge[3];
  for (int k = 0; k < 3; ++k) {
    edge[k] = -1;
    for (int n = 254; n >= 1; --n) {
      if ((*h[k])[n] > 4 && (*h[k])[n] < (*h[k])[n - 1]) {
        edge[k] = n;
        break;
      }
    }
    if (edge[k] < 0) {
      // No highlight edge: the highest used level stands for it.
      edge[k] = 255;
      for (int n = 255; n >= 0; --n)
        if ((*h[k])[n] != 0) {
          edge[k] = n;
          break;
        }
    }
  }
  Shifts s;
  for (int lo = 16, hi = 240; lo < 96; lo += 8, hi -= 8) {
    int peak[3];
    for (int k = 0; k < 3; ++k) {
      peak[k] = 0;
      std::int64_t best = 0;
      for (int j = lo; j <= hi; ++j) {
        const std::int64_t sum = std::int64_t{(*h[k])[j - 1]} + (*h[k])[j] + (*h[k])[j + 1];
        if (sum > best) {
          best = sum;
          peak[k] = j;
        }
      }
    }
    const int m = std::max({peak[0], peak[1], peak[2]});
    bool fits = true;
    for (int k = 0; k < 3; ++k) {
      s.s[k] = m - peak[k];
      if (s.s[k] + edge[k] > 255) fits = false;
    }
    if (fits) break;
  }
  for (int k = 0; k < 3; ++k)
    if (s.s[k] + edge[k] > 255) s.s[k] = 255 - edge[k];
  return s;
}

NormTarget OptimizeTarget(double mu, double sigma) {
  double d = 0, f = 0;
  while (mu + (d + sigma + f) < 255 && mu - (d + sigma + f) > 1) {
    d = f * 0.5;
    f = f + 1;
  }
  return {static_cast<int>(RoundHalfEven(mu + d)), static_cast<int>(RoundHalfEven(sigma + f))};
}

int AutoGammaValue(double mu, double sigma) {
  int k = 0;
  while (mu + (sigma + 2 * k) < 255 && mu - (sigma + 2 * k) > 1) ++k;
  const double target = mu + k;
  const double x = mu / 255.0;
  int best = 100;
  double bestErr = 1e300;
  for (int t = 25; t <= 500; ++t) {
    const double err = std::fabs(255.0 * std::pow(x, 100.0 / t) - target);
    if (err < 2) {
      best = t;
      break;
    }
    // With no gamma close enough, the one with the least error.
    if (err < bestErr) {
      bestErr = err;
      best = t;
    }
  }
  return std::clamp(best, 100, 500);
}

int LowestSignificantLevel(const Histogram& h) {
  for (int i = 0; i < 256; ++i)
    if (h[i] > 48) return i;
  return 0;
}

}  // namespace pelira
