#pragma once
// TGIFGraphic: reads the first image of a GIF file into an 8-bit bitmap with the file's
// colour table (the local table when the image has one). Transparency, delays and the
// images after the first are not used.
#include <cstdint>

#include "image/graphic_x.h"

namespace pelira {

class TGIFGraphic : public TGraphicX {
public:
  // At least 23 bytes and "GIF" (any case).
  bool CanLoad(ByteSpan bytes) const override;
  using TGraphicX::CanLoad;
  // Screen, tables and blocks up to the first image descriptor. True also when the trailer
  // comes first (width and height 0); false on a short file or a bad signature.
  bool ReadImageInfo(ByteSpan bytes) override;
  // EInvalidGraphic "Invalid image format" for a header that does not read, an LZW code
  // size outside 2..11 or a missing code size byte. Image data cut short by the end of the
  // file decodes as far as it goes; the rest stays index 0.
  void LoadFromStream(ByteSpan bytes) override;
};

// LZW decoding of GIF image data (the sub-blocks joined) into out[0..n). The table stops
// growing at 4096 entries; a first code after a reset that is not a literal, and codes past
// the next free one, are passed over; the end code ends the data. Returns the pixels
// written. minCodeSize must be 2..11.
std::size_t GifLzwDecode(ByteSpan data, int minCodeSize, std::uint8_t* out, std::size_t n);

}  // namespace pelira
