#include "engine/filter_preview.h"

#include <algorithm>
#include <cstring>

#include "imaging_library/image_ops.h"

namespace pelira {

TRect PreviewWindow(int width, int height, int x, int y, int boxW, int boxH) {
  const int w = std::clamp(boxW, 0, std::max(0, width));
  const int h = std::clamp(boxH, 0, std::max(0, height));
  const int left = std::clamp(x, 0, std::max(0, width) - w);
  const int top = std::clamp(y, 0, std::max(0, height) - h);
  return {left, top, left + w, top + h};
}

FitSize FitInBox(int width, int height, int boxW, int boxH) {
  if (width <= 0 || height <= 0 || boxW <= 0 || boxH <= 0) return {};
  if (width <= boxW && height <= boxH) return {width, height};
  // 64-bit cross products: the sides of a large picture multiply past 2^31.
  const std::int64_t byWidth = static_cast<std::int64_t>(height) * boxW / width;
  if (byWidth <= boxH) return {boxW, static_cast<int>(std::max<std::int64_t>(1, byWidth))};
  const std::int64_t byHeight = static_cast<std::int64_t>(width) * boxH / height;
  return {static_cast<int>(std::max<std::int64_t>(1, byHeight)), boxH};
}

Dib ActualViewSource(const Dib& picture, const TRect& window) {
  if (picture.Empty() || window.Width() <= 0 || window.Height() <= 0) return {};
  if (picture.BitCount() != 24) {
    // Only the window is promoted, never the whole picture.
    return ToTrueColor(ScaledCopy(picture, window.Width(), window.Height(), window, 0));
  }
  Dib out(window.Width(), window.Height(), 24, Dib::Init::Uninitialised);
  const std::size_t bytes = static_cast<std::size_t>(window.Width()) * 3;
  for (int y = 0; y < window.Height(); ++y)
    std::memcpy(out.ScanLine(y), picture.ScanLine(window.top + y) + static_cast<std::size_t>(window.left) * 3, bytes);
  return out;
}

Dib FittedSource(const Dib& picture, int boxW, int boxH) {
  const FitSize f = FitInBox(picture.Width(), picture.Height(), boxW, boxH);
  if (f.width == 0) return {};
  const TRect all{0, 0, picture.Width(), picture.Height()};
  Dib scaled = ScaledCopy(picture, f.width, f.height, all, 0);
  return scaled.BitCount() == 24 ? std::move(scaled) : ToTrueColor(scaled);
}

}  // namespace pelira
