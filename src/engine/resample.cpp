#include "engine/resample.h"

#include <algorithm>
#include <exception>

#include "imaging_library/image_ops.h"

namespace pelira {

int ClampResampleSide(int side) { return std::clamp(side, 1, kResampleMaxSide); }

ResampleResult Resample(Dib& pic, int width, int height) {
  if (pic.Empty()) return ResampleResult::Unchanged;
  width = ClampResampleSide(width);
  height = ClampResampleSide(height);
  const int w0 = pic.Width(), h0 = pic.Height();
  if ((width == w0 && height == h0) || width <= 15 || height <= 15) return ResampleResult::Unchanged;
  const bool smooth = pic.BitCount() >= 8;
  const int option = smooth ? 4 : pic.BitCount() == 1 ? 1 : 4;
  const bool twoSteps = smooth ? (width < w0 || height < h0) : (height == h0 && width < w0);
  try {
    const TRect all{0, 0, w0, h0};
    Dib out;
    const int midW = std::min(2 * width, 2 * kResampleMaxSide), midH = std::min(2 * height, 2 * kResampleMaxSide);
    if (twoSteps && midW == w0 && midH == h0 && smooth && pic.BitCount() == 24) {
      // Twice the target is the picture itself: the smooth copy at the same size gives every
      // pixel back, so the second step alone runs.
      out = ScaledCopy(pic, width, height, all, option);
    } else if (twoSteps) {
      const Dib mid = ScaledCopy(pic, midW, midH, all, option);
      out = ScaledCopy(mid, width, height, TRect{0, 0, mid.Width(), mid.Height()}, option);
    } else {
      out = ScaledCopy(pic, width, height, all, option);
    }
    out.xPelsPerMeter = pic.xPelsPerMeter;
    out.yPelsPerMeter = pic.yPelsPerMeter;
    pic = std::move(out);
    return ResampleResult::Done;
  } catch (const std::exception&) {
    return ResampleResult::Failed;
  }
}

}  // namespace pelira
