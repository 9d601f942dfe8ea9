#pragma once
// TTgaGraphic: the Targa codec. Reads colour-mapped (8 bits, 24-bit map), true-colour (16,
// 24, 32 bits) and gray (8 bits) images, uncompressed or run-length; writes 8-bit images
// with a 256-entry map and 24-bit images, uncompressed and bottom-up.
#include <cstdint>
#include <filesystem>

#include "image/dib_graphic.h"

namespace pelira {

struct TgaHeader {
  int idLength = 0;
  int colorMapType = 0;
  int imageType = 0;
  int mapFirst = 0, mapLength = 0, mapEntrySize = 0;
  int width = 0, height = 0;
  int bitsPerPixel = 0;
  int descriptor = 0;
  bool RunLength() const { return imageType >= 9; }
  bool TopDown() const { return (descriptor & 0x20) != 0; }
  // Where the pixel data starts: after the header, the ID and the whole colour map.
  std::uint64_t DataOffset() const;
};

inline constexpr std::size_t kTgaHeaderSize = 18;

// Reads and checks the 18-byte header. Returns 0 or the frame's error code: 6 (size), 7
// (short file), 400 (bits per pixel), 401 (image type for the bits), 402 (map entry size),
// 403 (a colour-mapped image without a map, or a map type other than 0 and 1).
int ParseTgaHeader(ByteSpan file, TgaHeader& h);

class TTgaGraphic : public TDibGraphic {
public:
  const char* ClassName() const override { return "TTgaGraphic"; }
  std::unique_ptr<TDibGraphic> CreateSame() const override { return std::make_unique<TTgaGraphic>(); }

  // A Targa holds one image, so a load reads it whatever the multi-image flag says.
  void LoadFromStream(ByteSpan bytes) override { ReadImage(bytes, 1); }
  // EGbmError "gbm_read_header failed." or "gbm_read_data failed." (data ends before the
  // last pixel); the pixel limit's own message for huge pictures.
  void ReadImage(ByteSpan bytes, int index) override;
  // Gray256, Color256 and TrueColor only: anything else raises ETgaError "TGA image must
  // have 256 colors or true color".
  void SaveToStream(Bytes& stream) override;
  THeaderInfo ReadHeader(ByteSpan bytes) override;

  void ReadTgaHeader(const std::filesystem::path& fileName);
  int HeaderWidth() const { return headerWidth_; }
  int HeaderHeight() const { return headerHeight_; }
  int HeaderBits() const { return headerBits_; }

private:
  int headerWidth_ = 0, headerHeight_ = 0, headerBits_ = 0;
};

}  // namespace pelira
