#include "slideshow/slide_layout.h"

#include <algorithm>

#include "display/fit_size.h"
#include "image/dib.h"
#include "imaging_library/image_ops.h"
#include "viewer/slide_image.h"

namespace pelira {

PlacedPicture PlacePicture(const Dib& picture, int windowWidth, int windowHeight) {
  PlacedPicture placed;
  if (picture.Empty() || windowWidth <= 0 || windowHeight <= 0) return placed;
  const SizeI fit = FitSize(picture.Width(), picture.Height(), windowWidth, windowHeight);
  if (fit.width <= 0 || fit.height <= 0) return placed;
  const bool same = fit.width == picture.Width() && fit.height == picture.Height();
  // The smooth copy makes 1-bit pictures grey; a two-colour slide keeps its colours.
  placed.picture = SurfaceFromDib(same ? picture
                                       : ScaledCopy(picture.BitCount() == 1 ? ToTrueColor(picture) : picture,
                                                    fit.width, fit.height,
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

namespace {

// The origin along one direction: P when the picture fits there, else centred; no offset
// where the picture is not smaller than the window.
int Origin(int p, int extent, int window) {
  if (extent >= window) return 0;
  if (p >= 0 && static_cast<std::int64_t>(p) + extent <= window) return p;
  return std::max(0, CenteredOrigin(window, extent));
}

}  // namespace

PlacedPicture PlaceScriptPicture(Dib picture, const SlideProps& props, int windowWidth, int windowHeight,
                                 std::uint32_t fill) {
  PlacedPicture placed;
  if (picture.Empty() || windowWidth <= 0 || windowHeight <= 0) return placed;
  if (picture.BitCount() == 1) picture = ToTrueColor(picture);
  if (props.gamma != 100 && props.gamma > 0) SlideGamma(picture, props.gamma);
  if (props.rotate > 0) picture = Rotate(picture, 36000 - props.rotate * 100, fill & 0xFFFFFFu);
  const int w0 = picture.Width(), h0 = picture.Height();
  SizeI size{w0, h0};
  if (props.panelW > 0 && props.panelH > 0 && props.panelW < windowWidth && props.panelH < windowHeight) {
    size = FitSize(w0, h0, props.panelW, props.panelH);
  } else if (props.zoom > 0 && props.zoom != 100) {
    // The size first, in 64 bits: a huge Z must not become a huge allocation.
    const std::int64_t w = std::max<std::int64_t>(1, std::int64_t{w0} * props.zoom / 100);
    const std::int64_t h = std::max<std::int64_t>(1, std::int64_t{h0} * props.zoom / 100);
    if (w > windowWidth || h > windowHeight) {
      size = FitSize(w0, h0, windowWidth, windowHeight);
    } else {
      size = SizeI{static_cast<std::int32_t>(w), static_cast<std::int32_t>(h)};
    }
  } else {
    size = FitSize(w0, h0, windowWidth, windowHeight);
  }
  if (size.width > windowWidth || size.height > windowHeight) size = FitSize(size.width, size.height, windowWidth, windowHeight);
  if (size.width <= 0 || size.height <= 0) return placed;
  placed.picture = SurfaceFromDib(size.width == w0 && size.height == h0
                                      ? picture
                                      : ScaledCopy(picture, size.width, size.height, TRect{0, 0, w0, h0}, 4));
  const int x = Origin(props.posX, size.width, windowWidth);
  const int y = Origin(props.posY, size.height, windowHeight);
  placed.rect = TRect{x, y, x + size.width, y + size.height};
  return placed;
}

TRect TextPanelRect(const SlideProps& props, int textPosition, int windowWidth, int windowHeight) {
  const int cw = std::max(1, windowWidth), ch = std::max(1, windowHeight);
  if (textPosition == 1) return TRect{0, 0, cw, std::min(ch, kTextPanelHeight)};
  if (textPosition == 2) return TRect{0, std::max(0, ch - kTextPanelHeight), cw, ch};
  std::int64_t w = cw, h = ch;
  if (props.panelW > 0 && props.panelH > 0) {
    w = props.panelW;
    h = props.panelH;
  } else if (props.zoom > 0 && props.zoom != 100) {
    w = std::int64_t{cw} * props.zoom / 100;
    h = std::int64_t{ch} * props.zoom / 100;
  }
  const int pw = static_cast<int>(std::clamp<std::int64_t>(w, 1, cw));
  const int ph = static_cast<int>(std::clamp<std::int64_t>(h, 1, ch));
  const bool atP = props.posX >= 0 && props.posY >= 0 && std::int64_t{props.posX} + pw <= cw &&
                   std::int64_t{props.posY} + ph <= ch;
  const int x = atP ? props.posX : std::max(0, CenteredOrigin(cw, pw));
  const int y = atP ? props.posY : std::max(0, CenteredOrigin(ch, ph));
  return TRect{x, y, x + pw, y + ph};
}

TRect CommentStripRect(int textPosition, int windowWidth, int windowHeight) {
  const int h = std::min(std::max(0, windowHeight), kCommentStripHeight);
  if (textPosition == 1) return TRect{0, 0, windowWidth, h};
  return TRect{0, windowHeight - h, windowWidth, windowHeight};
}

}  // namespace pelira
