#include "engine/compute.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "common/parallel_for.h"
#include "engine/composites.h"
#include "engine/filter_preview.h"
#include "engine/hls.h"
#include "engine/tone_tables.h"
#include "image/jpeg_image.h"

namespace pelira {

namespace {

// fn(p, d, n) over the n = 3 x width bytes of each row pair.
template <class Fn>
void ForRowBytes(Dib& pic, const Dib& second, Fn fn) {
  const int w = pic.Width();
  const std::size_t n = static_cast<std::size_t>(w) * 3;
  ParallelRows(
      pic.Height(),
      [&](int first, int last) {
        for (int y = first; y < last; ++y) fn(pic.ScanLine(y), second.ScanLine(y), n);
      },
      0, w);
}

// floor(t / 255) for 0 <= t <= 65025 without a division.
inline unsigned Div255(unsigned t) { return (t + 1 + (t >> 8)) >> 8; }

}  // namespace

bool Multiply(Dib& pic, const Dib& second) {
  if (!Ok2Compute(pic, second)) return false;
  ForRowBytes(pic, second, [](std::uint8_t* p, const std::uint8_t* d, std::size_t n) {
    for (std::size_t i = 0; i < n; ++i) p[i] = static_cast<std::uint8_t>(Div255(unsigned{p[i]} * d[i]));
  });
  return true;
}

bool Minimum(Dib& pic, const Dib& second) {
  if (!Ok2Compute(pic, second)) return false;
  ForRowBytes(pic, second, [](std::uint8_t* p, const std::uint8_t* d, std::size_t n) {
    for (std::size_t i = 0; i < n; ++i) p[i] = std::min(p[i], d[i]);
  });
  return true;
}

bool Difference(Dib& pic, const Dib& second) {
  if (!Ok2Compute(pic, second)) return false;
  ForRowBytes(pic, second, [](std::uint8_t* p, const std::uint8_t* d, std::size_t n) {
    for (std::size_t i = 0; i < n; ++i) p[i] = static_cast<std::uint8_t>(std::clamp(127 + p[i] - d[i], 0, 255));
  });
  return true;
}

bool Subtract(Dib& pic, const Dib& second) {
  if (!Ok2Compute(pic, second)) return false;
  ForRowBytes(pic, second, [](std::uint8_t* p, const std::uint8_t* d, std::size_t n) {
    for (std::size_t i = 0; i < n; ++i) p[i] = static_cast<std::uint8_t>(p[i] > d[i] ? p[i] - d[i] : 0);
  });
  return true;
}

std::optional<std::uint64_t> SumSquaredDifference(const Dib& pic, const Dib& second) {
  if (!Ok2Compute(pic, second)) return std::nullopt;
  const int h = pic.Height();
  const std::size_t n = static_cast<std::size_t>(pic.Width()) * 3;
  // One sum per row, added up in row order afterwards: the same total on any thread count.
  std::vector<std::uint64_t> rows(static_cast<std::size_t>(h));
  ParallelRows(
      h,
      [&](int first, int last) {
        for (int y = first; y < last; ++y) {
          const std::uint8_t* p = pic.ScanLine(y);
          const std::uint8_t* d = second.ScanLine(y);
          std::uint64_t s = 0;
          // A row of 3 x 65500 bytes of 65025 each stays far below 2^63.
          for (std::size_t i = 0; i < n; ++i) {
            const int t = p[i] - d[i];
            s += static_cast<std::uint32_t>(t * t);
          }
          rows[static_cast<std::size_t>(y)] = s;
        }
      },
      0, pic.Width());
  std::uint64_t total = 0;
  for (std::uint64_t s : rows) total += s;
  return total;
}

bool AverageField(Dib& pic, const Dib& second, int weight, int field) {
  if (!Ok2Compute(pic, second)) return false;
  const int k = field != 0 ? 1 : 0;
  const std::size_t n = static_cast<std::size_t>(pic.Width()) * 3;
  ParallelRows(
      pic.Height(),
      [&](int first, int last) {
        for (int y = first; y < last; ++y) {
          if ((y + k) % 2 == 0) continue;
          std::uint8_t* p = pic.ScanLine(y);
          const std::uint8_t* d = second.ScanLine(y);
          AverageRow(p, d, n, weight);
        }
      },
      0, pic.Width());
  return true;
}

int MixedTone(int v, int v2, int weight) {
  if (weight >= 99) return v;
  if (weight <= 0) return v2;
  return std::min(255, v * weight / 99 + v2 * (99 - weight) / 99);
}

namespace {

// The mid-tone and contrast masks share everything but the tone value.
template <class Tone>
bool BandMask127(Dib& pic, const Dib& second, int gamma100, int weight, Tone tone) {
  if (!Ok2Compute(pic, second)) return false;
  ToneTables t;
  SetMidToneLUT(t, gamma100);
  const ToneTable& g = t.green;
  const int w = pic.Width();
  ParallelRows(
      pic.Height(),
      [&](int first, int last) {
        for (int y = first; y < last; ++y) {
          std::uint8_t* p = pic.ScanLine(y);
          const std::uint8_t* d = second.ScanLine(y);
          for (int x = 0; x < w; ++x, p += 3, d += 3) {
            const int v = MixedTone(tone(p), weight < 99 ? tone(d) : 0, weight);
            // White's contrast is 255: the distance from the middle stops at 127.
            const int m = g[static_cast<std::size_t>(127 - std::min(127, std::abs(v - 127)))];
            for (int c = 0; c < 3; ++c)
              p[c] = static_cast<std::uint8_t>(std::min(255, p[c] * m / 127 + d[c] * (127 - m) / 127));
          }
        }
      },
      0, w);
  return true;
}

int LumaOf(const std::uint8_t* px) { return LumaY(px[2], px[1], px[0]); }
int ContrastOf(const std::uint8_t* px) {
  const Hls h = RGBToHLS(px[2], px[1], px[0]);
  return std::min(255, std::abs(h.l - h.s) * 255 / kHlsMax);
}

}  // namespace

bool CompositeMidTones(Dib& pic, const Dib& second, int gamma100, int weight) {
  return BandMask127(pic, second, gamma100, weight, LumaOf);
}

bool CompositeContrast(Dib& pic, const Dib& second, int gamma100, int mask) {
  return BandMask127(pic, second, gamma100, 99 - mask, ContrastOf);
}

bool CompositeGray(Dib& pic, const Dib& second) {
  if (!Ok2Compute(pic, second)) return false;
  const int w = pic.Width();
  ParallelRows(
      pic.Height(),
      [&](int first, int last) {
        for (int y = first; y < last; ++y) {
          std::uint8_t* p = pic.ScanLine(y);
          const std::uint8_t* d = second.ScanLine(y);
          for (int x = 0; x < w; ++x, p += 3, d += 3) {
            const Hls a = RGBToHLS(p[2], p[1], p[0]);
            const Hls b = RGBToHLS(d[2], d[1], d[0]);
            const Rgb c = HLSToRGBClamped(b.h, a.l, b.s);
            p[0] = static_cast<std::uint8_t>(c.b);
            p[1] = static_cast<std::uint8_t>(c.g);
            p[2] = static_cast<std::uint8_t>(c.r);
          }
        }
      },
      0, w);
  return true;
}

bool MaskEdges(Dib& pic, const Dib& second, int threshold, int effect, const FilterProgress& progress) {
  if (!Ok2Compute(pic, second)) return false;
  const int w = pic.Width(), h = pic.Height();
  if (w < 5 || h < 5) return true;
  const int e = std::clamp(effect, 0, 255);
  const Dib copy = pic;
  // Progress comes between bands of about 5 % of the rows, on the caller's thread.
  const int rows = h - 4;
  const int band = std::max(1, rows / 20);
  for (int start = 2; start < h - 2; start += band) {
    const int stop = std::min(h - 2, start + band);
    ParallelRows(
        stop - start,
        [&](int first, int last) {
          // Column sums of the five rows around the centre row, per channel.
          std::vector<int> col(static_cast<std::size_t>(w) * 3);
          for (int yy = start + first; yy < start + last; ++yy) {
            std::fill(col.begin(), col.end(), 0);
            for (int r = yy - 2; r <= yy + 2; ++r) {
              const std::uint8_t* s = copy.ScanLine(r);
              for (std::size_t i = 0; i < col.size(); ++i) col[i] += s[i];
            }
            std::uint8_t* p = pic.ScanLine(yy);
            const std::uint8_t* d = second.ScanLine(yy);
            const std::uint8_t* c = copy.ScanLine(yy);
            int sum[3] = {0, 0, 0};
            for (int x = 0; x < 5; ++x)
              for (int k = 0; k < 3; ++k) sum[k] += col[static_cast<std::size_t>(x) * 3 + k];
            for (int x = 2; x < w - 2; ++x) {
              if (x > 2)
                for (int k = 0; k < 3; ++k)
                  sum[k] += col[static_cast<std::size_t>(x + 2) * 3 + k] - col[static_cast<std::size_t>(x - 3) * 3 + k];
              const std::size_t o = static_cast<std::size_t>(x) * 3;
              const int lc = RGBToHLS(c[o + 2], c[o + 1], c[o]).l;
              const int lm = RGBToHLS(sum[2] / 25, sum[1] / 25, sum[0] / 25).l;
              if (std::abs(lc - lm) >= threshold) continue;
              for (int k = 0; k < 3; ++k)
                p[o + k] = static_cast<std::uint8_t>(std::min(255, p[o + k] * (255 - e) / 255 + d[o + k] * e / 255));
            }
          }
        },
        0, static_cast<std::int64_t>(w) * 25);
    if (progress && !progress(stop - 2, rows)) {
      pic = copy;
      return false;
    }
  }
  return true;
}

namespace {

// splitmix64: a small generator with a full 64-bit state; one per row.
struct RowRandom {
  std::uint64_t state;
  std::uint64_t Next() {
    std::uint64_t z = (state += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }
  // Uniform in [0, 1) with 53 bits.
  double Uniform() { return static_cast<double>(Next() >> 11) * 0x1.0p-53; }
};

}  // namespace

bool RandomNoise(Dib& pic, int r, int g, int b, std::uint64_t seed) {
  if (pic.Empty() || pic.BitCount() != 24) return false;
  r = std::clamp(r, 0, 255);
  g = std::clamp(g, 0, 255);
  b = std::clamp(b, 0, 255);
  const int a = std::max({r, g, b});
  if (a == 0) return true;
  const int w = pic.Width();
  ParallelRows(
      pic.Height(),
      [&](int first, int last) {
        for (int y = first; y < last; ++y) {
          RowRandom rng{seed * 0xD1B54A32D192ED03ull ^ (static_cast<std::uint64_t>(y) + 1) * 0x8CB92BA72F3D8DD7ull};
          std::uint8_t* p = pic.ScanLine(y);
          for (int x = 0; x < w; ++x, p += 3) {
            if (!(a > rng.Uniform() * 255)) continue;
            p[2] = static_cast<std::uint8_t>(rng.Uniform() * r);
            p[1] = static_cast<std::uint8_t>(rng.Uniform() * g);
            p[0] = static_cast<std::uint8_t>(rng.Uniform() * b);
          }
        }
      },
      0, w);
  return true;
}

namespace {

TJPEGImage Compressed(const Dib& pic, int scale) {
  TJPEGImage j;
  j.SetPixelFormat(TJPEGPixelFormat::jf24Bit);
  j.SetGrayMode(false);
  j.Assign(pic);
  j.Compress(false, true, 0, std::clamp(scale, 1, 255), true);
  return j;
}

}  // namespace

namespace {

// One band of rows through the round trip. The Huffman tables do not change a pixel, so the
// band skips their optimising pass.
void RoundTrip(Dib& band, int scale) {
  TJPEGImage j;
  j.SetPixelFormat(TJPEGPixelFormat::jf24Bit);
  j.SetGrayMode(false);
  j.Assign(band);
  j.Compress(false, false, 0, std::clamp(scale, 1, 255), true);
  Dib back = j.Decode();
  if (back.Width() != band.Width() || back.Height() != band.Height() || back.BitCount() != 24)
    throw EJPEG("JPEG round trip changed the picture's size");
  band = std::move(back);
}

}  // namespace

bool AddArtifact(Dib& pic, int scale) {
  if (pic.Empty() || pic.BitCount() != 24) return false;
  // Without subsampling every 8 x 8 block is encoded and decoded on its own, so bands whose
  // heights are multiples of 8 give the whole picture's pixels; the last band's edge rows are
  // padded as the whole picture's are. The bands run on the cores side by side.
  const int h = pic.Height(), w = pic.Width();
  const int threads = std::max(1, std::min(HardwareThreads(), h / 64));
  const int rows = ((h + threads - 1) / threads + 7) / 8 * 8;
  const int bands = (h + rows - 1) / rows;
  std::vector<Dib> out(static_cast<std::size_t>(bands));
  const std::size_t n = static_cast<std::size_t>(w) * 3;
  ParallelRows(
      bands,
      [&](int first, int last) {
        for (int b = first; b < last; ++b) {
          const int top = b * rows, count = std::min(rows, h - top);
          Dib band(w, count, 24, Dib::Init::Uninitialised);
          for (int y = 0; y < count; ++y) std::memcpy(band.ScanLine(y), pic.ScanLine(top + y), n);
          RoundTrip(band, scale);
          out[static_cast<std::size_t>(b)] = std::move(band);
        }
      },
      0, 1, 0);
  // Every band came back: only now does the picture change.
  for (int b = 0; b < bands; ++b) {
    const Dib& band = out[static_cast<std::size_t>(b)];
    for (int y = 0; y < band.Height(); ++y) std::memcpy(pic.ScanLine(b * rows + y), band.ScanLine(y), n);
  }
  return true;
}

std::uint64_t CompressedSize(const Dib& pic, int scale) {
  if (pic.Empty()) return 0;
  return Compressed(pic, scale).Data().size();
}

namespace {

bool WindowAt(const Dib& picture, const Dib& target, int left, int top) {
  const std::size_t n = static_cast<std::size_t>(target.Width()) * 3;
  for (int y = 0; y < target.Height(); ++y)
    if (std::memcmp(picture.ScanLine(top + y) + static_cast<std::size_t>(left) * 3, target.ScanLine(y), n) != 0)
      return false;
  return true;
}

Dib Cut(const Dib& d, int left, int top, int w, int h) {
  return ActualViewSource(d, TRect{left, top, left + w, top + h});
}

}  // namespace

Dib SecondForPreview(const Dib& picture, const Dib& duplicate, const Dib& target) {
  if (!Ok2Compute(picture, duplicate) || target.Empty() || target.BitCount() != 24) return {};
  const int tw = target.Width(), th = target.Height();
  if (tw == picture.Width() && th == picture.Height()) return duplicate;
  if (tw > picture.Width() || th > picture.Height()) return {};
  const FitSize fit = FitInBox(picture.Width(), picture.Height(), tw, th);
  if (fit.width == tw && fit.height == th) {
    const Dib scaled = FittedSource(picture, tw, th);
    if (scaled.Width() == tw && scaled.Height() == th && WindowAt(scaled, target, 0, 0)) return FittedSource(duplicate, tw, th);
  }
  for (int top = 0; top + th <= picture.Height(); ++top)
    for (int left = 0; left + tw <= picture.Width(); ++left)
      if (std::memcmp(picture.ScanLine(top) + static_cast<std::size_t>(left) * 3, target.ScanLine(0),
                      static_cast<std::size_t>(tw) * 3) == 0 &&
          WindowAt(picture, target, left, top))
        return Cut(duplicate, left, top, tw, th);
  return {};
}

}  // namespace pelira
