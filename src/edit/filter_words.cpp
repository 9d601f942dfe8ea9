#include "edit/filter_words.h"

#include <exception>

#include "engine/resample.h"
#include "engine/spatial_filters.h"
#include "imaging_library/image_ops.h"

namespace pelira {

namespace {

bool In(int v, int lo, int hi) { return v >= lo && v <= hi; }

// DeLace and Enrich: the filter runs on a plain enlarged copy, which is then brought back
// smoothly to the starting size.
FilterWordResult Enlarged(Dib& pic, bool delace) {
  const int w = pic.Width(), h = pic.Height();
  try {
    Dib big = ScaledCopy(pic, delace ? w + w / 2 : 2 * w + w / 2, delace ? h + h / 2 : 2 * h + h / 2,
                         TRect{0, 0, w, h}, 0);
    if (delace) Median(big, 4, 0);
    else SharpGaussianBlur5x5(big, 239, 96);
    pic = ScaledCopy(big, w, h, TRect{0, 0, big.Width(), big.Height()}, 4);
    return FilterWordResult::SizeChanged;
  } catch (const std::exception&) {
    return FilterWordResult::Failed;
  }
}

}  // namespace

FilterWordResult RunFilterWord(const std::string& word, const std::array<int, 3>& a, Dib& pic) {
  using R = FilterWordResult;
  const int v = a[0], e = a[1];
  auto one = [&](int lo, int hi, auto run) {
    if (!In(v, lo, hi) || pic.Empty()) return R::Skipped;
    run();
    return R::Applied;
  };
  auto two = [&](auto run) {
    if (!In(v, 0, 255) || !In(e, 0, 255) || pic.Empty()) return R::Skipped;
    run();
    return R::Applied;
  };
  auto none = [&](auto run) {
    if (pic.Empty()) return R::Skipped;
    run();
    return R::Applied;
  };
  if (word == "GAUSSIAN") return one(1, 255, [&] { GaussianBlur3x3(pic, 255 - v, false, 9); });
  if (word == "OUTLIER") return one(1, 255, [&] { GaussianBlur3x3(pic, 255 - v, true, 8); });
  if (word == "DEFOCUS") return one(1, 255, [&] { DeFocus(pic, 255 - v); });
  if (word == "SOFTEN") return one(1, 10, [&] { Soften(pic, v); });
  if (word == "DESPECKLE") return one(1, 9, [&] { Median(pic, v, 0); });
  if (word == "UNSPOT") return one(-127, 127, [&] { Median(pic, 1, v); });
  if (word == "MEANREMOVAL") return one(1, 8, [&] { MeanRemoval(pic, v); });
  if (word == "HIGHPASSMEDIUM") return one(1, 4, [&] { HighPassMedium(pic, v); });
  if (word == "HIGHPASSLIGHT") return one(1, 4, [&] { HighPassLight(pic, v); });
  if (word == "UNSHARPMASK") return two([&] { UnSharpGaussianBlur5x5(pic, 255 - v, e); });
  if (word == "CLEAN") return two([&] { SharpGaussianBlur5x5(pic, v, e); });
  if (word == "DEFOG") return two([&] { DoDefog(pic, v, e); });
  if (word == "DESCREEN_LIGHT") return none([&] { Soften(pic, 7); });
  if (word == "DESCREEN_MEDIUM") return none([&] { DeScreen5x5(pic, 0); });
  if (word == "DESCREEN_STRONG") return none([&] { DeScreen5x5(pic, 1); });
  if (word == "DESCREEN_HIGH") return none([&] { DeScreen5x5(pic, 2); });
  if (word == "DEPIXELATE") return none([&] { DeMosiac2x2(pic, v != 0 ? 0 : 1); });
  if (word == "MOSAIC") return one(2, 16, [&] { Tile(pic, v); });
  if (word == "DELACE" || word == "ENRICH") return pic.Empty() ? R::Skipped : Enlarged(pic, word == "DELACE");
  if (word == "RESAMPLE") {
    if (!In(v, 1, kResampleMaxSide) || !In(e, 1, kResampleMaxSide) || pic.Empty()) return R::Skipped;
    switch (Resample(pic, v, e)) {
      case ResampleResult::Done: return R::SizeChanged;
      case ResampleResult::Failed: return R::Failed;
      case ResampleResult::Unchanged: return R::Skipped;
    }
  }
  return R::NotFilterWord;
}

}  // namespace pelira
