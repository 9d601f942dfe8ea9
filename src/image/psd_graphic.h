#pragma once
// TPSDGraphic: reads the flattened composite image of a PSD file (version 1). Gray and
// duotone give an 8-bit gray bitmap, indexed an 8-bit bitmap with the file's palette, RGB,
// CMYK and L*a*b* a 24-bit bitmap; RGB with a fourth channel keeps it as alpha. 8 and 16
// bits per channel, raw or run-length (PackBits) data. Bitmap mode is refused.
#include <cstdint>

#include "image/graphic_x.h"

namespace pelira {

class TPSDGraphic : public TGraphicX {
public:
  // At least 27 bytes, "8BPS" (any case) and version 1.
  bool CanLoad(ByteSpan bytes) const override;
  using TGraphicX::CanLoad;
  // The 26-byte header ("8BPS" exactly), then the three sections and the compression word.
  // False for bitmap mode, unknown modes, channel counts the mode cannot use, depths other
  // than 8 and 16, empty sizes, compression other than raw and run-length, and sections
  // past the end of the file.
  bool ReadImageInfo(ByteSpan bytes) override;
  // EInvalidGraphic "Invalid image format" when ReadImageInfo fails or the pixel data is
  // shorter than the header and the row counts say.
  void LoadFromStream(ByteSpan bytes) override;
};

// PackBits into out[0..outSize): n 0..127 copies n + 1 bytes, -1..-127 repeats the next byte
// 1 - n times, -128 does nothing; input and output are clipped. Returns the bytes written.
std::size_t UnpackBits(ByteSpan in, std::uint8_t* out, std::size_t outSize);

}  // namespace pelira
