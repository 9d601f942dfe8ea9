#include "engine/analysis.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <future>

#include "engine/compute.h"
#include "engine/histogram.h"
#include "engine/spatial_filters.h"
#include "engine/tone_tables.h"
#include "image/jpeg_image.h"
#include "imaging_library/image_ops.h"

namespace pelira {

std::string FormatFixed2(double v) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.2f", v);
  return buf;
}

std::string FormatFloatHash2(double v) {
  std::string s = FormatFixed2(v);
  if (s.find('.') != std::string::npos) {
    while (s.back() == '0') s.pop_back();
    if (s.back() == '.') s.pop_back();
  }
  const bool negative = !s.empty() && s[0] == '-';
  std::string digits = negative ? s.substr(1) : s;
  if (digits == "0" || digits.empty()) return "0";
  if (digits.rfind("0.", 0) == 0) digits.erase(0, 1);
  return negative ? "-" + digits : digits;
}

namespace {

constexpr int kMeasureScale = 66;

// The sum of squared byte differences a change makes, as an index: D x 10 / N.
template <class Change>
double ChangeIndex(const Dib& pic, std::uint64_t n, Change change) {
  Dib copy = pic;
  change(copy);
  const std::uint64_t d = SumSquaredDifference(copy, pic).value_or(0);
  return static_cast<double>(d) * 10.0 / static_cast<double>(n);
}

int Used(const Histogram& h) {
  int used = 0;
  for (int i = 0; i < 256; ++i) used += h[static_cast<std::size_t>(i)] != 0;
  return std::min(used, 255);
}

bool MeanRemovalZero(Dib& pic) {
  const Kernel3x3 k{-1, -1, -1, -1, 17, -1, -1, -1, -1};
  return Spatial3x3(pic, k, 9);
}

}  // namespace

AnalysisResult AnalyzePicture(const Dib& source, const AnalysisSubject& subject, const AnalysisOptions& options) {
  AnalysisResult out;
  auto& lines = out.lines;
  const bool cmp = options.comparison;
  // Only a palette picture needs a copy of its own; the measures copy what they change.
  Dib promoted;
  if (source.BitCount() != 24) promoted = ToTrueColor(source);
  const Dib& pic = source.BitCount() == 24 ? source : promoted;
  const std::uint64_t n = std::max<std::uint64_t>(
      1, static_cast<std::uint64_t>(pic.Width()) * static_cast<std::uint64_t>(pic.Height()));
  out.pixels = static_cast<std::uint64_t>(pic.Width()) * static_cast<std::uint64_t>(pic.Height());
  out.fileSize = subject.fileSize.value_or(0);

  std::string first = "Filename: " + subject.name;
  if (subject.modified) first += " (modified)";
  else if (subject.regionOfInterest) first += " (region of interest)";
  lines.push_back(first);
  lines.push_back("Location: " + subject.folder);
  if (!cmp) lines.emplace_back();

  HistogramPass pass;
  pass.saturation = pass.hue = pass.stats = true;
  const HistogramResult hr = DoCalcHistogram(pic, pass);
  const ChannelStats& st = hr.stats;
  struct Channel {
    const char* label;
    const ChannelSum* sum;
  };
  const Channel channels[] = {{"Red", &st.red},        {"Grn", &st.green},     {"Blu", &st.blue},
                              {"Gry", &st.lightness},  {"Sat", &st.saturation}, {"Hue", &st.hue}};
  int gamut[6] = {};
  for (int i = 0; i < 6; ++i) {
    if (i == 4) lines.emplace_back();
    const double mean = st.Mean(*channels[i].sum);
    const double sd = st.Deviation(*channels[i].sum);
    const long long rm = std::llround(RoundHalfEven(mean)), rs = std::llround(RoundHalfEven(sd));
    gamut[i] = static_cast<int>(std::llabs(std::min(255LL, rm + rs) - std::max(0LL, rm - rs)));
    lines.push_back(std::string(channels[i].label) + " values:  Mean = " + FormatFixed2(mean) +
                    "  sd. = " + FormatFixed2(sd) + "  gamut = " + std::to_string(gamut[i]));
    if (!cmp) lines.emplace_back();
  }

  const double e = (gamut[0] * static_cast<double>(Used(hr.hist.red)) / 255) *
                   (gamut[1] * static_cast<double>(Used(hr.hist.green)) / 255) *
                   (gamut[2] * static_cast<double>(Used(hr.hist.blue)) / 255);
  lines.push_back("Estimated Unique Colors: " + std::to_string(std::llround(RoundHalfEven(e))));

  const std::uint64_t raw = gamut[0] == gamut[1] && gamut[1] == gamut[2] ? out.pixels : 3 * out.pixels;
  // A size of 0 has no ratio.
  if (out.fileSize == 0)
    lines.push_back("Filesize: 0 bytes");
  else
    lines.push_back("Filesize: " + std::to_string(out.fileSize) + " bytes (" +
                    FormatFloatHash2(static_cast<double>(raw) / static_cast<double>(out.fileSize)) +
                    " : 1 compression)");
  const double diversity = e / (255.0 * 255.0 * 255.0) * 10000.0;
  lines.push_back("Color Diversity Index = " + FormatFixed2(diversity) + " (higher is better)");

  // The JPEG round trip runs on one thread of its own while the filters use the others; a
  // picture the encoder refuses has no JPEG measure.
  auto jpeg = std::async(std::launch::async, [&pic, n] {
    try {
      return ChangeIndex(pic, n, [](Dib& d) { AddArtifact(d, kMeasureScale); });
    } catch (const EVistrelError&) {
      return 0.0;
    }
  });
  out.smoothness = ChangeIndex(pic, n, [](Dib& d) { GaussianBlur3x3(d, 0, false, 9); });
  out.detail = ChangeIndex(pic, n, [](Dib& d) { MeanRemoval(d, 2); });
  out.jpegQuality = jpeg.get();
  lines.push_back("JPEG Quality Index = " + FormatFixed2(out.jpegQuality));
  lines.push_back("Smoothness Index = " + FormatFixed2(out.smoothness) + " (lower is softer)");
  lines.push_back("Detail Index = " + FormatFixed2(out.detail) + " (higher is sharper)");

  // A flat picture changes under neither filter: its term is 0, not 0/0.
  const double denominator = out.detail + std::sqrt(out.smoothness);
  out.rating = out.jpegQuality + (denominator > 0 ? diversity * out.detail / denominator : 0.0);
  lines.push_back("Overall Rating = " + FormatFloatHash2(out.rating) + " (higher is better)");

  if (options.complexity) {
    Dib copy = pic;
    out.complexity = ComplexityIndex(copy, kMeasureScale, options.complexityBase);
    lines.push_back("Complexity Rating = " + std::to_string(out.complexity) + " (higher has more texture)");
    lines.emplace_back();
  }
  return out;
}

int BetterPicture(const AnalysisResult& a, const AnalysisResult& b) {
  if (a.pixels != b.pixels) return 0;
  if (b.jpegQuality < a.jpegQuality && b.fileSize < a.fileSize &&
      (a.smoothness < 1.03 * b.smoothness || b.detail < a.detail || b.rating < a.rating))
    return 1;
  if (b.jpegQuality > a.jpegQuality && b.fileSize > a.fileSize &&
      (b.smoothness < 1.03 * a.smoothness || b.detail > a.detail || b.rating > a.rating))
    return 2;
  return 0;
}

std::vector<std::string> ComparisonReport(const AnalysisResult& first, const AnalysisSubject& firstSubject,
                                          const AnalysisResult& second, const AnalysisSubject& secondSubject) {
  std::vector<std::string> lines = first.lines;
  lines.emplace_back();
  lines.emplace_back();
  lines.insert(lines.end(), second.lines.begin(), second.lines.end());
  if (const int better = BetterPicture(first, second)) {
    const AnalysisSubject& s = better == 1 ? firstSubject : secondSubject;
    lines.emplace_back();
    lines.push_back(s.folder);
    lines.push_back(s.name + " is better.");
  }
  return lines;
}

std::int64_t ComplexityIndex(Dib& pic, int q, std::uint64_t base) {
  if (pic.Empty()) return 0;
  if (pic.BitCount() != 24) pic = ToTrueColor(pic);
  if (base == 0) base = 3ull * static_cast<std::uint64_t>(pic.Width()) * static_cast<std::uint64_t>(pic.Height());
  const int scale = ((q % 128) + 128) % 128;
  try {
    const std::uint64_t s1 = CompressedSize(pic, scale);
    MeanRemovalZero(pic);
    const std::uint64_t s2 = CompressedSize(pic, scale);
    const auto term = [base](std::uint64_t s) {
      return static_cast<std::int64_t>(static_cast<double>(s) / static_cast<double>(base) * 1e9);
    };
    return term(s1) + term(s2);
  } catch (const EVistrelError&) {
    return 0;
  }
}

std::uint64_t ThumbnailComplexityBase(int thumbWidth, int thumbHeight) {
  return 3ull * static_cast<std::uint64_t>(std::max(0, thumbWidth)) * static_cast<std::uint64_t>(std::max(0, thumbHeight));
}

}  // namespace pelira
