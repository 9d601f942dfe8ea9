#include "slideshow/slide_layout.h"

#include <algorithm>

#include "display/fit_size.h"
#include "image/dib.h"
#include "imaging_library/image_ops.h"

namespace pelira {

PlacedPicture PlacePicture(const Dib& picture, int windowWidth, int windowHeight) {
  PlacedPicture placed;
  if (picture.Empty() || windowWidth <= 0 || windowHeight <= 0) return placed;
  const SizeI fit = FitSize(picture.Width(), picture.Height(), windowWidth, windowHeight);
  if (fit.width <= 0 || fit.height <= 0) return placed;
  placed.picture = SurfaceFromDib(fit.width == picture.Width() && fit.height == picture.Height()
                                      ? picture
                                      : ScaledCopy(picture, fit.width, fit.height,
                                                   TRect{0, 0, picture.Width(), picture.Height()}, 4));
  const int x = std::max(0, CenteredOrigin(windowWidth, fit.width));
  const int y = std::max(0, CenteredOrigin(windowHeight, fit.height));
  placed.rect = TRect{x, y, x + fit.width, y + fit.height};
  return placed;
}

Surface ComposeSlide(const Dib& picture, int width, int height, std::uint32_t background) {
  Surface out(width, height, 0xFF000000u | (background & 0xFFFFFFu));
  const PlacedPicture placed = PlacePicture(picture, width, height);
  if (!placed.picture.pixels.empty()) DrawSurface(placed.picture, out, placed.rect.left, placed.rect.top);
  return out;
}

}  // namespace pelira
