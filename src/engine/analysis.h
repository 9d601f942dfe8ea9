#pragma once
// The image analysis report: colour statistics of the picture and four quality indices, each
// measured by changing a private copy (JPEG round trip, 3 x 3 smoothing, sharpening) and
// summing the squared byte differences. The picture itself, its modified flag and the
// session's second images are never touched. Also the complexity index the album's matching
// and complexity rating use.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "image/dib.h"

namespace pelira {

// What the report says about where the picture came from.
struct AnalysisSubject {
  std::string name;    // file name
  std::string folder;  // its folder, with a trailing '/'
  std::optional<std::uint64_t> fileSize;  // none: unknown (counted as 0)
  bool modified = false;          // " (modified)": edited, half-size JPEG or fit mode
  bool regionOfInterest = false;  // " (region of interest)"
};

struct AnalysisOptions {
  bool comparison = false;  // fewer blank lines: two reports share one box
  bool complexity = false;  // add the complexity rating
  std::uint64_t complexityBase = 0;
};

struct AnalysisResult {
  std::vector<std::string> lines;
  std::uint64_t pixels = 0;
  std::uint64_t fileSize = 0;
  double jpegQuality = 0, smoothness = 0, detail = 0, rating = 0;
  std::int64_t complexity = 0;
};

// One pass over a copy of pic (made true colour when it is not).
AnalysisResult AnalyzePicture(const Dib& pic, const AnalysisSubject& subject, const AnalysisOptions& options = {});

// The better of two analysed pictures of the same pixel count: 1 the first, 2 the second,
// 0 neither (or different pixel counts).
int BetterPicture(const AnalysisResult& first, const AnalysisResult& second);

// The comparison report: the first pass, two blank lines, the second pass, and when one is
// better a blank line, its folder and its name + " is better.".
std::vector<std::string> ComparisonReport(const AnalysisResult& first, const AnalysisSubject& firstSubject,
                                          const AnalysisResult& second, const AnalysisSubject& secondSubject);

// Delphi-style "%f": two decimals, halves of the binary value to even.
std::string FormatFixed2(double v);
// FormatFloat with a pattern of '#' digits and two decimals: no leading zero, no trailing
// zeros or point (0.5 -> ".5", 2.0 -> "2"); 0 gives "0".
std::string FormatFloatHash2(double v);

// ComplexityIndex: s1 = the compressed size of pic (as AddArtifact compresses, scale q mod
// 128), then pic is sharpened in place by the mean removal kernel of level 0 (centre 17,
// divisor 9) and s2 = its compressed size; the result is Trunc(s1 / base x 1e9) + Trunc(s2 /
// base x 1e9). base 0 counts as the picture's unrounded raw size (3 w h); a picture the
// encoder refuses gives 0.
std::int64_t ComplexityIndex(Dib& pic, int q, std::uint64_t base);
// The base of an album thumbnail: 168 x 126 x 3 at the default thumbnail size.
std::uint64_t ThumbnailComplexityBase(int thumbWidth = 168, int thumbHeight = 126);

}  // namespace pelira
