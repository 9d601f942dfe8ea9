#include "image/dib.h"

#include <sys/mman.h>

#include <cstdlib>
#include <cstring>
#include <new>

#include "common/errors.h"
#include "image/pixel_limit.h"

namespace pelira {

const Palette& DefaultPaletteForBits(int bitsPerPixel) {
  static const Palette none;
  switch (bitsPerPixel) {
    case 1: return BlackWhitePalette();
    case 4: return Color16Palette();
    case 8: return Color256Palette();
    default: return none;
  }
}

void Dib::Free::operator()(std::uint8_t* p) const { std::free(p); }

std::uint8_t* Dib::Allocate(std::size_t bytes) {
  constexpr std::size_t kHuge = std::size_t{2} << 20;
  if (bytes >= 2 * kHuge) {
    const std::size_t rounded = (bytes + kHuge - 1) / kHuge * kHuge;
    void* p = std::aligned_alloc(kHuge, rounded);
    if (p) ::madvise(p, rounded, MADV_HUGEPAGE);
    return static_cast<std::uint8_t*>(p);
  }
  return static_cast<std::uint8_t*>(std::malloc(bytes ? bytes : 1));
}

Dib::Dib(int width, int height, int bitsPerPixel, Init init)
    : Dib(width, height, bitsPerPixel, DefaultPaletteForBits(bitsPerPixel), init) {}

Dib::Dib(int width, int height, int bitsPerPixel, const Palette& palette, Init init) {
  if (bitsPerPixel != 1 && bitsPerPixel != 4 && bitsPerPixel != 8 && bitsPerPixel != 24)
    throw EVistrelError("Unsupported bit count");
  const std::uint64_t bytes = CheckPixelLimit(width, height, bitsPerPixel);
  bits_.reset(Allocate(static_cast<std::size_t>(bytes)));
  if (!bits_) throw EVistrelError("CreateDibSection failed");
  if (init == Init::Zero) std::memset(bits_.get(), 0, bytes);
  width_ = width;
  height_ = height;
  bpp_ = bitsPerPixel;
  stride_ = static_cast<std::size_t>(RowStride(static_cast<std::uint64_t>(width), bitsPerPixel));
  if (HasPalette()) SetColors(palette);
}

Dib::Dib(const Dib& other)
    : xPelsPerMeter(other.xPelsPerMeter), yPelsPerMeter(other.yPelsPerMeter),
      width_(other.width_), height_(other.height_), bpp_(other.bpp_), stride_(other.stride_),
      palette_(other.palette_) {
  if (other.bits_) {
    bits_.reset(Allocate(other.ImageSize()));
    if (!bits_) throw EVistrelError("CreateDibSection failed");
    std::memcpy(bits_.get(), other.bits_.get(), other.ImageSize());
  }
}

Dib& Dib::operator=(const Dib& other) {
  if (this != &other) {
    Dib copy(other);
    *this = std::move(copy);
  }
  return *this;
}

Dib::Dib(Dib&& other) noexcept
    : xPelsPerMeter(other.xPelsPerMeter), yPelsPerMeter(other.yPelsPerMeter),
      width_(other.width_), height_(other.height_), bpp_(other.bpp_), stride_(other.stride_),
      bits_(std::move(other.bits_)), palette_(std::move(other.palette_)) {
  other.width_ = other.height_ = other.bpp_ = 0;
  other.stride_ = 0;
  other.palette_.clear();
}

Dib& Dib::operator=(Dib&& other) noexcept {
  if (this != &other) {
    xPelsPerMeter = other.xPelsPerMeter;
    yPelsPerMeter = other.yPelsPerMeter;
    width_ = other.width_;
    height_ = other.height_;
    bpp_ = other.bpp_;
    stride_ = other.stride_;
    bits_ = std::move(other.bits_);
    palette_ = std::move(other.palette_);
    other.width_ = other.height_ = other.bpp_ = 0;
    other.stride_ = 0;
    other.palette_.clear();
  }
  return *this;
}

void Dib::SetColors(const Palette& p) {
  palette_ = p;
  const std::size_t most = HasPalette() ? (std::size_t{1} << bpp_) : 0;
  if (palette_.size() > most) palette_.resize(most);
}

std::uint32_t Dib::Index(int x, int y) const {
  const std::uint8_t* row = ScanLine(y);
  switch (bpp_) {
    case 1: return (row[x >> 3] >> (7 - (x & 7))) & 1;
    case 4: return (x & 1) ? (row[x >> 1] & 15) : (row[x >> 1] >> 4);
    case 8: return row[x];
    default: {
      const std::uint8_t* p = row + static_cast<std::size_t>(x) * 3;
      return MakeColor(p[2], p[1], p[0]);
    }
  }
}

void Dib::SetIndex(int x, int y, std::uint32_t index) {
  std::uint8_t* row = ScanLine(y);
  switch (bpp_) {
    case 1: {
      const std::uint8_t mask = static_cast<std::uint8_t>(0x80 >> (x & 7));
      row[x >> 3] = (index & 1) ? (row[x >> 3] | mask) : (row[x >> 3] & ~mask);
      break;
    }
    case 4: {
      std::uint8_t& b = row[x >> 1];
      b = (x & 1) ? static_cast<std::uint8_t>((b & 0xF0) | (index & 15))
                  : static_cast<std::uint8_t>((b & 0x0F) | ((index & 15) << 4));
      break;
    }
    case 8: row[x] = static_cast<std::uint8_t>(index); break;
    default: {
      std::uint8_t* p = row + static_cast<std::size_t>(x) * 3;
      p[0] = static_cast<std::uint8_t>(BlueOf(index));
      p[1] = static_cast<std::uint8_t>(GreenOf(index));
      p[2] = static_cast<std::uint8_t>(RedOf(index));
    }
  }
}

ColorValue Dib::Pixel(int x, int y) const {
  const std::uint32_t i = Index(x, y);
  if (!HasPalette()) return i;
  return i < palette_.size() ? ColorOf(palette_[i]) : 0;
}

void Dib::SetPixel(int x, int y, ColorValue c) {
  if (!HasPalette()) {
    SetIndex(x, y, c);
    return;
  }
  const int i = NearestPaletteIndex(palette_.data(), static_cast<int>(palette_.size()), c);
  SetIndex(x, y, i < 0 ? 0u : static_cast<std::uint32_t>(i));
}

}  // namespace pelira
