#pragma once
// TPcxGraphic: the PCX codec. Reads 1 bit (1 plane), 4 bits (1 plane, or 4 bit planes),
// 8 bits (1 plane, palette in the 769-byte trailer) and 24 bits (3 planes); writes every
// image format as 1, 4, 8 or 24 bits. It also carries the viewer's disk backups and
// exports, so every working-bitmap depth survives a round trip (1-bit palettes excepted:
// a 1-bit file holds black and white only).
#include <cstdint>
#include <filesystem>

#include "image/dib_graphic.h"

namespace pelira {

struct PcxHeader {
  int version = 0;
  int encoding = 0;
  int bitsPerPlane = 0;
  int planes = 0;
  int width = 0, height = 0;
  int bytesPerLine = 0;
  int xDpi = 0, yDpi = 0;
  std::uint8_t palette16[48] = {};  // red, green, blue
  int BitsPerPixel() const { return bitsPerPlane * planes; }
};

inline constexpr std::size_t kPcxHeaderSize = 128;

// Reads and checks the 128-byte header. Returns 0 or the frame's error code: 5 (not a PCX),
// 6 (bad size, or lines too short for the width), 7 (short file), 700 (version), 701
// (encoding), 702 (bits and planes).
int ParsePcxHeader(ByteSpan file, PcxHeader& h);

class TPcxGraphic : public TDibGraphic {
public:
  const char* ClassName() const override { return "TPcxGraphic"; }
  std::unique_ptr<TDibGraphic> CreateSame() const override { return std::make_unique<TPcxGraphic>(); }

  // EGbmError "gbm_read_header failed." (header or palette) or "gbm_read_data failed."
  // (data ends before the last line); the pixel limit's own message for huge pictures.
  void ReadImage(ByteSpan bytes, int index) override;
  // EGbmError "gbm_write failed." for an empty image or one too large for the header.
  void SaveToStream(Bytes& stream) override;
  THeaderInfo ReadHeader(ByteSpan bytes) override;

  // Header only, from the first 128 bytes of a file; a failure raises EGbmError and
  // changes nothing.
  void ReadPcxHeader(const std::filesystem::path& fileName);
  int HeaderWidth() const { return headerWidth_; }
  int HeaderHeight() const { return headerHeight_; }
  int HeaderBits() const { return headerBits_; }

private:
  int headerWidth_ = 0, headerHeight_ = 0, headerBits_ = 0;
};

}  // namespace pelira
