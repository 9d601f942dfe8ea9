#include "display/paint_geometry.h"

#include <algorithm>

#include "display/fit_size.h"

namespace pelira {

RectI NormalDestRect(bool stretch, bool center, SizeI control, SizeI bitmap) {
  if (stretch) return {0, 0, control.width, control.height};
  if (center) {
    return {CenteredOrigin(control.width, bitmap.width), CenteredOrigin(control.height, bitmap.height),
            bitmap.width, bitmap.height};
  }
  return {0, 0, bitmap.width, bitmap.height};
}

namespace {

// Cuts [lo, hi) to [0, extent).
void ClampSpan(std::int64_t& lo, std::int64_t& hi, std::int64_t extent) {
  lo = std::clamp<std::int64_t>(lo, 0, extent);
  hi = std::clamp<std::int64_t>(hi, lo, extent);
}

// Moves the edges of [lo, hi) out to multiples of k, staying inside [0, extent).
void AlignSpan(std::int64_t& lo, std::int64_t& hi, std::int64_t k, std::int64_t extent) {
  if (k <= 1) return;
  lo = lo / k * k;
  hi = std::min<std::int64_t>((hi + k - 1) / k * k, extent);
}

// The source span [MulDiv(lo), MulDiv(hi)) of a destination span; at least one pixel.
void SourceSpan(std::int64_t lo, std::int64_t hi, std::int64_t extent, std::int64_t client,
                std::int32_t& start, std::int32_t& length) {
  std::int64_t s = MulDiv(lo, extent, client);
  std::int64_t e = MulDiv(hi, extent, client);
  s = std::clamp<std::int64_t>(s, 0, extent - 1);
  e = std::clamp<std::int64_t>(e, s + 1, extent);
  start = static_cast<std::int32_t>(s);
  length = static_cast<std::int32_t>(e - s);
}

}  // namespace

FastPaintPlan PlanFastPaint(SizeI bitmap, SizeI client, RectI clip) {
  FastPaintPlan plan;
  const std::int64_t w = bitmap.width, h = bitmap.height;
  const std::int64_t CW = client.width, CH = client.height;
  if (w <= 0 || h <= 0 || CW <= 0 || CH <= 0) return plan;
  std::int64_t x0 = clip.left, x1 = clip.right(), y0 = clip.top, y1 = clip.bottom();
  ClampSpan(x0, x1, CW);
  ClampSpan(y0, y1, CH);
  if (x0 >= x1 || y0 >= y1) return plan;

  if (h == CH && w == CW) {
    // 1:1 only when both extents match; equal heights alone used to copy unscaled.
    plan.kind = FastPaintKind::Copy;
    plan.dest = {static_cast<std::int32_t>(x0), static_cast<std::int32_t>(y0),
                 static_cast<std::int32_t>(x1 - x0), static_cast<std::int32_t>(y1 - y0)};
    plan.source = plan.dest;
    return plan;
  }
  if (h > CH) {
    plan.kind = FastPaintKind::Reduced;
  } else {
    plan.kind = FastPaintKind::Enlarged;
    AlignSpan(x0, x1, w < CW ? CW / w : 1, CW);
    AlignSpan(y0, y1, h < CH ? CH / h : 1, CH);
  }
  plan.dest = {static_cast<std::int32_t>(x0), static_cast<std::int32_t>(y0),
               static_cast<std::int32_t>(x1 - x0), static_cast<std::int32_t>(y1 - y0)};
  SourceSpan(x0, x1, w, CW, plan.source.left, plan.source.width);
  SourceSpan(y0, y1, h, CH, plan.source.top, plan.source.height);
  return plan;
}

std::int32_t NearestSourceIndex(std::int32_t y, std::int32_t extent, std::int32_t clientExtent) {
  if (extent <= 0 || clientExtent <= 0) return 0;
  return std::clamp<std::int32_t>(MulDiv(y, extent, clientExtent), 0, extent - 1);
}

}  // namespace pelira
