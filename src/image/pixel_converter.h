#pragma once
// TPixelConverter: turns rows of samples in one colour scheme (planes or interleaved, 1..16
// bits per sample) into rows of another, the way the PSD reader needs it: indexed and gray
// rows, RGB(A) to BGR(A), CMYK to BGR and CIE L*a*b* to BGR. Settings are changed first; the
// next row conversion chooses its routine again.
#include <array>
#include <cstdint>

#include "common/errors.h"
#include "image/palette.h"

namespace pelira {

// Colour scheme codes, shared with the image information record of TGraphicX.
enum class TColorScheme : std::uint8_t {
  Unknown = 0,
  Indexed = 1,
  Gray = 2,
  GrayAlpha = 3,
  RGB = 4,
  RGBA = 5,
  BGR = 6,
  BGRA = 7,
  CMY = 8,
  CMYK = 9,
  CIELab = 10,
};

// "Invalid color depth.", "Invalid pixel depth and target samples.", "Indexed and
// non-indexed conversion not supported.", "Color conversion failed."
class EColorConversionError : public EVistrelError {
public:
  using EVistrelError::EVistrelError;
};

class TPixelConverter {
public:
  TPixelConverter();

  void SetSourceBitsPerSample(int bits);    // 1..16
  void SetTargetBitsPerSample(int bits);
  void SetSourceSamplesPerPixel(int n);     // 1..4
  void SetTargetSamplesPerPixel(int n);
  void SetSourceScheme(TColorScheme s);
  void SetTargetScheme(TColorScheme s);
  void SetSwapBytes(bool on);               // 16-bit samples are big-endian
  void SetApplyGamma(bool on);
  void SetGamma(double gamma);              // builds the 256-entry table (1 = identity)
  void SetLabByteRange(bool on);            // L* stored 0..255 for 0..100
  void SetLabChromaOffset(bool on);         // a*, b* stored with 128 added

  int SourceBitsPerSample() const { return srcBits_; }
  int TargetBitsPerSample() const { return dstBits_; }
  int SourceSamplesPerPixel() const { return srcSamples_; }
  int TargetSamplesPerPixel() const { return dstSamples_; }
  TColorScheme SourceScheme() const { return srcScheme_; }
  TColorScheme TargetScheme() const { return dstScheme_; }

  // Bits per pixel of the target from its samples and bits: 1, 4, 8, 15, 24, 32, or 0 for a
  // layout the bitmap has no format for.
  int TargetPixelFormat() const;

  // Converts `count` pixels from one pointer per plane (planar sources) into `target`,
  // written interleaved at the target's samples and bits. mask selects the pixels of each
  // group of eight that are written (bit 7 the first; 255 all). Raises
  // EColorConversionError when the settings have no routine.
  void ConvertPlanar(const std::uint8_t* const* planes, std::size_t count, std::uint8_t mask,
                     std::uint8_t* target);
  // The same from one pointer to interleaved samples.
  void ConvertInterleaved(const std::uint8_t* source, std::size_t count, std::uint8_t mask,
                          std::uint8_t* target);

  // A palette of count entries (at most 256) from three colour planes.
  static Palette MakeIndexedPalette(const std::uint8_t* red, const std::uint8_t* green,
                                    const std::uint8_t* blue, std::size_t count);
  // 2^min(target bits x target samples, 8) levels, step 255 div (count - 1), through the
  // gamma table when it is on; reversed when whiteIsZero.
  Palette MakeGrayPalette(bool whiteIsZero) const;

private:
  enum class Routine { None, Copy8, Gray16To8, RgbToBgr, CmykToBgr, LabToBgr };
  void Choose();
  // Sample s of pixel i, reduced to 8 bits.
  std::uint8_t Sample(const std::uint8_t* const* planes, bool planar, std::size_t i, int s) const;
  void Convert(const std::uint8_t* const* planes, bool planar, std::size_t count, std::uint8_t mask,
               std::uint8_t* target);

  int srcBits_ = 8, dstBits_ = 8;
  int srcSamples_ = 3, dstSamples_ = 3;
  TColorScheme srcScheme_ = TColorScheme::RGB;
  TColorScheme dstScheme_ = TColorScheme::BGR;
  bool swapBytes_ = false, applyGamma_ = false, labByteRange_ = false, labChromaOffset_ = false;
  std::array<std::uint8_t, 256> gamma_{};
  bool dirty_ = true;
  Routine routine_ = Routine::None;
};

}  // namespace pelira
