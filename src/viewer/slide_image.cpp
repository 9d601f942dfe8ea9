#include "viewer/slide_image.h"

#include "display/fit_size.h"
#include "engine/color_filters.h"
#include "engine/engine_state.h"
#include "engine/tone_tables.h"
#include "imaging_library/image_ops.h"

namespace pelira {

namespace {

bool Larger(const SizeI& s, const SizeI& box) { return s.width > box.width || s.height > box.height; }

// The library's smooth copy; twice the size with a plain copy first where a single area
// average would lose too much.
Dib Resample(const Dib& src, SizeI to, bool twoStep) {
  const TRect all{0, 0, src.Width(), src.Height()};
  if (src.BitCount() == 1) return ScaledCopy(src, to.width, to.height, all, 32);
  if (!twoStep) return ScaledCopy(src, to.width, to.height, all, 4);
  const Dib twice = ScaledCopy(src, 2 * to.width, 2 * to.height, all, 0);
  return ScaledCopy(twice, to.width, to.height, {0, 0, twice.Width(), twice.Height()}, 4);
}

void ToneGamma(Dib& picture, int gamma100) {
  ToneTables t;
  for (int ch : {kRed, kGreen, kBlue}) SetGammaLUT(t, gamma100, ch);
  ColorFilter(picture, t);
}

}  // namespace

SizeI AspectTarget(int width, int height, AspectModes aspect) {
  switch (aspect) {
    case AspectModes::Tv43: return {static_cast<std::int32_t>(static_cast<std::int64_t>(height) * 4 / 3), height};
    case AspectModes::Wide169: return {static_cast<std::int32_t>(static_cast<std::int64_t>(height) * 16 / 9), height};
    default: return {width, height};
  }
}

Dib SlideResample(Dib picture, AspectModes aspect, SizeI box) {
  if (picture.Empty() || box.width <= 0 || box.height <= 0) return picture;
  const SizeI source{picture.Width(), picture.Height()};
  if (aspect != AspectModes::OneToOne) {
    const SizeI wanted = AspectTarget(source.width, source.height, aspect);
    const SizeI target = FitSize(wanted.width, wanted.height, box.width, box.height);
    if (target.width > 0 && target.height > 0 && !(target == source)) {
      const bool twoStep = target.width == source.height && target.height < source.width;
      picture = Resample(picture, target, twoStep);
    }
  }
  const SizeI now{picture.Width(), picture.Height()};
  if (Larger(now, box)) picture = Resample(picture, FitSize(now.width, now.height, box.width, box.height), true);
  // The window receives a true-colour bitmap of the result.
  if (picture.BitCount() != 24) picture = ToTrueColor(picture);
  return picture;
}

void SlideGamma(Dib& picture, int gamma100) {
  if (picture.Empty() || gamma100 == kNeutralGamma) return;
  if (gamma100 > kNeutralGamma) {
    ApplyGamma(picture, gamma100 / 100.0);
    return;
  }
  if (picture.BitCount() < 15) picture = ToTrueColor(picture);
  ToneGamma(picture, gamma100);
}

bool ScreenGamma(Dib& picture, int gamma100) {
  if (picture.Empty() || gamma100 == kNeutralGamma || picture.BitCount() < 3) return false;
  if (picture.BitCount() != 24) picture = ToTrueColor(picture);
  ToneGamma(picture, gamma100);
  return true;
}

std::string AspectQuestion(AspectModes aspect) {
  const char* what = aspect == AspectModes::Tv43 ? "resized to 4:3 TV aspect."
                     : aspect == AspectModes::Wide169 ? "resized to 16:9 widescreen aspect." : nullptr;
  if (!what) return "";
  return std::string("All images will be ") + what +
         "\nThis fixes raw, fullscreen DVD image captures (landscape).\nNormal 1:1 images will be distorted; video is "
         "not modified.";
}

}  // namespace pelira
