#include "image/pixel_converter.h"

#include <algorithm>
#include <cmath>

namespace pelira {

namespace {

bool HasAlpha(TColorScheme s) {
  return s == TColorScheme::GrayAlpha || s == TColorScheme::RGBA || s == TColorScheme::BGRA;
}
bool RgbFamily(TColorScheme s) {
  return s == TColorScheme::RGB || s == TColorScheme::RGBA || s == TColorScheme::BGR || s == TColorScheme::BGRA;
}
bool BgrOrder(TColorScheme s) { return s == TColorScheme::BGR || s == TColorScheme::BGRA; }

std::uint8_t Clamp255(double v) {
  const long r = std::lround(v);
  return static_cast<std::uint8_t>(std::clamp<long>(r, 0, 255));
}

void CheckBits(int bits) {
  if (bits < 1 || bits > 16) throw EColorConversionError("Invalid color depth.");
}
void CheckSamples(int n) {
  if (n < 1 || n > 4) throw EColorConversionError("Invalid pixel depth and target samples.");
}

}  // namespace

TPixelConverter::TPixelConverter() {
  for (int i = 0; i < 256; ++i) gamma_[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(i);
}

void TPixelConverter::SetSourceBitsPerSample(int bits) {
  CheckBits(bits);
  srcBits_ = bits;
  dirty_ = true;
}
void TPixelConverter::SetTargetBitsPerSample(int bits) {
  CheckBits(bits);
  dstBits_ = bits;
  dirty_ = true;
}
void TPixelConverter::SetSourceSamplesPerPixel(int n) {
  CheckSamples(n);
  srcSamples_ = n;
  dirty_ = true;
}
void TPixelConverter::SetTargetSamplesPerPixel(int n) {
  CheckSamples(n);
  dstSamples_ = n;
  dirty_ = true;
}
void TPixelConverter::SetSourceScheme(TColorScheme s) {
  srcScheme_ = s;
  dirty_ = true;
}
void TPixelConverter::SetTargetScheme(TColorScheme s) {
  dstScheme_ = s;
  dirty_ = true;
}
void TPixelConverter::SetSwapBytes(bool on) {
  swapBytes_ = on;
  dirty_ = true;
}
void TPixelConverter::SetApplyGamma(bool on) {
  applyGamma_ = on;
  dirty_ = true;
}
void TPixelConverter::SetGamma(double gamma) {
  for (int i = 0; i < 256; ++i) {
    const double v = gamma > 0 ? 255.0 * std::pow(i / 255.0, 1.0 / gamma) : i;
    gamma_[static_cast<std::size_t>(i)] = Clamp255(v);
  }
  dirty_ = true;
}
void TPixelConverter::SetLabByteRange(bool on) {
  labByteRange_ = on;
  dirty_ = true;
}
void TPixelConverter::SetLabChromaOffset(bool on) {
  labChromaOffset_ = on;
  dirty_ = true;
}

int TPixelConverter::TargetPixelFormat() const {
  const int s = dstSamples_, b = dstBits_;
  if (s == 1) {
    if (b == 1) return 1;
    if (b >= 2 && b <= 4) return 4;
    if (b >= 8 && b <= 16) return 8;
    return 0;
  }
  if (s == 3) return b <= 5 ? 15 : 24;
  if (s == 4 && b > 7) return 32;
  return 0;
}

void TPixelConverter::Choose() {
  const bool srcIndexed = srcScheme_ == TColorScheme::Indexed || srcScheme_ == TColorScheme::Gray ||
                          srcScheme_ == TColorScheme::GrayAlpha;
  const bool dstIndexed = dstScheme_ == TColorScheme::Indexed || dstScheme_ == TColorScheme::Gray;
  if (srcIndexed != dstIndexed)
    throw EColorConversionError("Indexed and non-indexed conversion not supported.");
  routine_ = Routine::None;
  const bool sampleBitsOk = srcBits_ == 8 || srcBits_ == 16;
  if (srcIndexed) {
    const bool sameKind = (srcScheme_ == TColorScheme::Indexed) == (dstScheme_ == TColorScheme::Indexed);
    if (sameKind && dstBits_ == 8 && sampleBitsOk)
      routine_ = srcBits_ == 8 ? Routine::Copy8 : Routine::Gray16To8;
  } else if (dstBits_ == 8 && sampleBitsOk && RgbFamily(dstScheme_)) {
    const int need = HasAlpha(dstScheme_) ? 4 : 3;
    if (dstSamples_ >= need) {
      if (RgbFamily(srcScheme_) && srcSamples_ >= (HasAlpha(srcScheme_) ? 4 : 3)) routine_ = Routine::RgbToBgr;
      else if (srcScheme_ == TColorScheme::CMYK && srcSamples_ >= 4) routine_ = Routine::CmykToBgr;
      else if (srcScheme_ == TColorScheme::CIELab && srcSamples_ >= 3) routine_ = Routine::LabToBgr;
    }
  }
  dirty_ = false;
}

std::uint8_t TPixelConverter::Sample(const std::uint8_t* const* planes, bool planar, std::size_t i,
                                     int s) const {
  const std::size_t bytes = srcBits_ == 16 ? 2 : 1;
  const std::uint8_t* p = planar ? planes[s] + i * bytes
                                 : planes[0] + (i * static_cast<std::size_t>(srcSamples_) + static_cast<std::size_t>(s)) * bytes;
  if (bytes == 1) return *p;
  const unsigned v = swapBytes_ ? (static_cast<unsigned>(p[0]) << 8) | p[1] : (static_cast<unsigned>(p[1]) << 8) | p[0];
  return static_cast<std::uint8_t>(v * 255u / 65535u);
}

void TPixelConverter::Convert(const std::uint8_t* const* planes, bool planar, std::size_t count,
                              std::uint8_t mask, std::uint8_t* target) {
  if (dirty_) Choose();
  if (routine_ == Routine::None) throw EColorConversionError("Color conversion failed.");
  const std::size_t step = static_cast<std::size_t>(dstSamples_);
  const bool gamma = applyGamma_;
  // The PSD case, planar 8-bit RGB to BGR over whole rows, runs without per-sample calls.
  if (routine_ == Routine::RgbToBgr && planar && srcBits_ == 8 && mask == 255 && !gamma &&
      !BgrOrder(srcScheme_) && BgrOrder(dstScheme_)) {
    const std::uint8_t *r = planes[0], *g = planes[1], *b = planes[2];
    const std::uint8_t* a = HasAlpha(srcScheme_) ? planes[3] : nullptr;
    const bool alpha = HasAlpha(dstScheme_);
    for (std::size_t i = 0; i < count; ++i, target += step) {
      target[0] = b[i];
      target[1] = g[i];
      target[2] = r[i];
      if (alpha && a) target[3] = a[i];
    }
    return;
  }
  for (std::size_t i = 0; i < count; ++i, target += step) {
    if (!(mask & (0x80u >> (i % 8)))) continue;
    switch (routine_) {
      case Routine::Copy8:
      case Routine::Gray16To8:
        target[0] = Sample(planes, planar, i, 0);
        break;
      case Routine::RgbToBgr: {
        const bool srcBgr = BgrOrder(srcScheme_);
        std::uint8_t r = Sample(planes, planar, i, srcBgr ? 2 : 0);
        std::uint8_t g = Sample(planes, planar, i, 1);
        std::uint8_t b = Sample(planes, planar, i, srcBgr ? 0 : 2);
        if (gamma) r = gamma_[r], g = gamma_[g], b = gamma_[b];
        const bool dstBgr = BgrOrder(dstScheme_);
        target[0] = dstBgr ? b : r;
        target[1] = g;
        target[2] = dstBgr ? r : b;
        // Alpha is copied when both sides have it; a target alpha byte is left otherwise.
        if (HasAlpha(dstScheme_) && HasAlpha(srcScheme_)) target[3] = Sample(planes, planar, i, 3);
        break;
      }
      case Routine::CmykToBgr: {
        const int c = Sample(planes, planar, i, 0), m = Sample(planes, planar, i, 1);
        const int y = Sample(planes, planar, i, 2), k = Sample(planes, planar, i, 3);
        auto ch = [k](int v) { return static_cast<std::uint8_t>(std::clamp(v * k / 255 - k - v + 255, 0, 255)); };
        std::uint8_t r = ch(c), g = ch(m), b = ch(y);
        if (gamma) r = gamma_[r], g = gamma_[g], b = gamma_[b];
        const bool dstBgr = BgrOrder(dstScheme_);
        target[0] = dstBgr ? b : r;
        target[1] = g;
        target[2] = dstBgr ? r : b;
        break;
      }
      case Routine::LabToBgr: {
        const int lv = Sample(planes, planar, i, 0), av = Sample(planes, planar, i, 1), bv = Sample(planes, planar, i, 2);
        const double L = labByteRange_ ? lv * 100.0 / 255.0 : lv;
        const double A = labChromaOffset_ ? av - 128.0 : static_cast<std::int8_t>(av);
        const double B = labChromaOffset_ ? bv - 128.0 : static_cast<std::int8_t>(bv);
        const double fy = (L + 16.0) / 116.0;
        double X, Y, Z;
        if (L < 7.9996) {
          Y = L / 903.3;
          X = Y + A / 3893.5;
          Z = Y - B / 1557.4;
        } else {
          Y = fy * fy * fy;
          const double fx = fy + A / 500.0, fz = fy - B / 200.0;
          X = fx * fx * fx;
          Z = fz * fz * fz;
        }
        std::uint8_t r = Clamp255((2.998 * X - 1.458 * Y - 0.541 * Z) * 255.0);
        std::uint8_t g = Clamp255((-0.952 * X + 1.893 * Y + 0.059 * Z) * 255.0);
        std::uint8_t b = Clamp255((0.099 * X - 0.198 * Y + 1.099 * Z) * 255.0);
        if (gamma) r = gamma_[r], g = gamma_[g], b = gamma_[b];
        const bool dstBgr = BgrOrder(dstScheme_);
        target[0] = dstBgr ? b : r;
        target[1] = g;
        target[2] = dstBgr ? r : b;
        break;
      }
      case Routine::None:
        break;
    }
  }
}

void TPixelConverter::ConvertPlanar(const std::uint8_t* const* planes, std::size_t count, std::uint8_t mask,
                                    std::uint8_t* target) {
  Convert(planes, true, count, mask, target);
}

void TPixelConverter::ConvertInterleaved(const std::uint8_t* source, std::size_t count, std::uint8_t mask,
                                         std::uint8_t* target) {
  const std::uint8_t* planes[1] = {source};
  Convert(planes, false, count, mask, target);
}

Palette TPixelConverter::MakeIndexedPalette(const std::uint8_t* red, const std::uint8_t* green,
                                            const std::uint8_t* blue, std::size_t count) {
  Palette p(std::min<std::size_t>(count, 256));
  for (std::size_t i = 0; i < p.size(); ++i) p[i] = RgbQuad{blue[i], green[i], red[i], 0};
  return p;
}

Palette TPixelConverter::MakeGrayPalette(bool whiteIsZero) const {
  const int bits = std::min(dstBits_ * dstSamples_, 8);
  const int count = 1 << bits;
  const int step = 255 / (count - 1);
  Palette p(static_cast<std::size_t>(count));
  for (int i = 0; i < count; ++i) {
    std::uint8_t v = static_cast<std::uint8_t>(i * step);
    if (applyGamma_) v = gamma_[v];
    p[static_cast<std::size_t>(whiteIsZero ? count - 1 - i : i)] = RgbQuad{v, v, v, 0};
  }
  return p;
}

}  // namespace pelira
