#include "slideshow/slide_layout.h"

#include "display/fit_size.h"
#include "image/dib.h"
#include "imaging_library/image_ops.h"

namespace pelira {

Surface ComposeSlide(const Dib& picture, int width, int height, std::uint32_t background) {
  Surface out(width, height, 0xFF000000u | (background & 0xFFFFFFu));
  if (picture.Empty() || width <= 0 || height <= 0) return out;
  const SizeI fit = FitSize(picture.Width(), picture.Height(), width, height);
  if (fit.width <= 0 || fit.height <= 0) return out;
  const Dib scaled = fit.width == picture.Width() && fit.height == picture.Height()
                         ? ToTrueColor(picture)
                         : ScaledCopy(picture, fit.width, fit.height, TRect{0, 0, picture.Width(), picture.Height()}, 4);
  DrawSurface(SurfaceFromDib(scaled), out, CenteredOrigin(width, fit.width), CenteredOrigin(height, fit.height));
  return out;
}

}  // namespace pelira
