#include "viewer/view_layout.h"

#include <algorithm>

#include "display/fit_size.h"

namespace pelira {

int ZoomIn(int zoom) { return zoom < kZoomMax ? zoom + kZoomStep : zoom; }

int ZoomOut(int zoom) { return zoom > kZoomMin ? zoom - kZoomStep : zoom; }

int ZoomToValue(int dialogValue, int current) {
  if (dialogValue == kZoomDialogCancel) return current;
  const int v = std::clamp(dialogValue, kZoomMin, kZoomMax);
  return v / kZoomStep * kZoomStep;
}

SizeI ZoomedSize(SizeI image, int zoom) {
  auto scale = [zoom](std::int32_t v) {
    const std::int64_t s = static_cast<std::int64_t>(v) * zoom / 100;
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(s, 0, INT32_MAX));
  };
  return {scale(image.width), scale(image.height)};
}

RectI ResizeImage(SizeI image, SizeI box, bool enlarge) {
  SizeI size = FitSize(image.width, image.height, box.width, box.height);
  if (!enlarge && image.width < box.width && image.height < box.height) size = image;
  size.width = std::clamp(size.width, 0, std::max(box.width, 0));
  size.height = std::clamp(size.height, 0, std::max(box.height, 0));
  return {CenteredOrigin(box.width, size.width), CenteredOrigin(box.height, size.height), size.width,
          size.height};
}

RectI ScrollBoxRect(RectI area, int zoom, bool fitMode) {
  const int f = zoom / 100;
  if (fitMode || f < 2) return area;
  const std::int32_t rw = std::max(area.width, 0) % f;
  const std::int32_t rh = std::max(area.height, 0) % f;
  return {area.left + rw, area.top + rh, area.width - rw, area.height - rh};
}

int ScrollPercent(std::int32_t position, std::int32_t range) {
  if (range <= 0) return 0;
  return std::max(MulDiv(position, 100, range), 0);
}

std::int32_t ScrollFromPercent(int percent, std::int32_t range, std::int32_t client, int zoom) {
  std::int64_t p = range > 0 ? MulDiv(percent, range, 100) : 0;
  const int f = zoom / 100;
  if (f > 1) {
    if (p + client > range) p = static_cast<std::int64_t>(range) - client;
    if (p > 0) p -= p % f;
  }
  return static_cast<std::int32_t>(std::max<std::int64_t>(p, 0));
}

}  // namespace pelira
