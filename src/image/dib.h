#pragma once
// Dib: the working bitmap, the picture the display shows and every edit changes.
//
// Layout is that of a device-independent bitmap: rows bottom-up (logical row y, 0 = top,
// starts at byte (height - 1 - y) x stride), each padded to a multiple of 4 bytes; 1, 4, 8
// or 24 bits per pixel. 1-bit pixels are packed eight to a byte (leftmost in the top bit),
// 4-bit two to a byte (leftmost in the high nibble), 8-bit are palette indices, 24-bit are
// blue, green, red. Palette images (1, 4, 8 bits) carry up to 2^bits entries of B,G,R,0.
// Resolution is kept in pixels per metre (0 = not known).
//
// Copying makes a deep copy of the pixels (one memcpy); moving is O(1). Every constructor
// checks the pixel limit before allocating.
#include <cstddef>
#include <cstdint>
#include <memory>

#include "image/palette.h"

namespace pelira {

class Dib {
public:
  enum class Init { Zero, Uninitialised };

  Dib() = default;
  // Pixels zeroed (or left to the caller, who then writes every byte of every row).
  // Palette images get the default palette of their depth: black/white, the 16-colour
  // table or the 256-colour table. Raises EVistrelError on a bad size or bit count.
  Dib(int width, int height, int bitsPerPixel, Init init = Init::Zero);
  Dib(int width, int height, int bitsPerPixel, const Palette& palette, Init init = Init::Zero);

  Dib(const Dib& other);
  Dib& operator=(const Dib& other);
  Dib(Dib&& other) noexcept;
  Dib& operator=(Dib&& other) noexcept;
  ~Dib() = default;

  Dib Clone() const { return *this; }
  void Clear() { *this = Dib(); }

  bool Empty() const { return !bits_; }
  int Width() const { return width_; }
  int Height() const { return height_; }
  int BitCount() const { return bpp_; }
  bool HasPalette() const { return bpp_ > 0 && bpp_ <= 8; }
  std::size_t Stride() const { return stride_; }
  std::size_t ImageSize() const { return stride_ * static_cast<std::size_t>(height_); }

  std::uint8_t* Bits() { return bits_.get(); }
  const std::uint8_t* Bits() const { return bits_.get(); }
  // Start of logical row y (0 = top); y must be in 0..height-1.
  std::uint8_t* ScanLine(int y) { return bits_.get() + RowOffset(y); }
  const std::uint8_t* ScanLine(int y) const { return bits_.get() + RowOffset(y); }

  Palette& Colors() { return palette_; }
  const Palette& Colors() const { return palette_; }
  void SetColors(const Palette& p);  // at most 2^bits entries are kept

  // Colour value (0x00RRGGBB) of a pixel; palette pixels read their entry (an index past the
  // palette reads black). Writing a colour to a palette image stores the nearest entry.
  ColorValue Pixel(int x, int y) const;
  void SetPixel(int x, int y, ColorValue c);
  // Raw index of a palette pixel (the 24-bit value for 24-bit images).
  std::uint32_t Index(int x, int y) const;
  void SetIndex(int x, int y, std::uint32_t index);

  std::int32_t xPelsPerMeter = 0;
  std::int32_t yPelsPerMeter = 0;

private:
  std::size_t RowOffset(int y) const {
    return static_cast<std::size_t>(height_ - 1 - y) * stride_;
  }

  int width_ = 0, height_ = 0, bpp_ = 0;
  std::size_t stride_ = 0;
  struct Free {
    void operator()(std::uint8_t* p) const;
  };
  // Large buffers are aligned for transparent huge pages: far fewer page faults on a fresh
  // picture of tens of megabytes.
  static std::uint8_t* Allocate(std::size_t bytes);
  std::unique_ptr<std::uint8_t[], Free> bits_;
  Palette palette_;
};

// Default palette of a palette depth (1, 4, 8), empty for others.
const Palette& DefaultPaletteForBits(int bitsPerPixel);

}  // namespace pelira
