#pragma once
// TBmpGraphic: the BMP codec. Its own frame reader takes the bitmaps it knows (1, 4, 8, 24
// bits; uncompressed, RLE4, RLE8; bottom-up); every other BMP goes to the full reader that
// stands in for the platform's (16/32 bits, bit fields, V4/V5, top-down rows), so any
// bitmap the platform could open is read. Writes are uncompressed BMPs.
#include <filesystem>

#include "image/dib_graphic.h"

namespace pelira {

class TBmpGraphic : public TDibGraphic {
public:
  const char* ClassName() const override { return "TBmpGraphic"; }
  std::unique_ptr<TDibGraphic> CreateSame() const override { return std::make_unique<TBmpGraphic>(); }

  // Frame reader, else the full reader (UsedPlatformReader set). Only the full reader's
  // error reaches the caller. The resolution is taken when the header holds it.
  void ReadImage(ByteSpan bytes, int index) override;
  // Uncompressed BMP: 54-byte headers, palette entries, pixels as stored.
  void SaveToStream(Bytes& stream) override;
  // Bitmaps the frame reads uncompressed go from the file straight into the pixel buffer;
  // the result equals LoadFromBytes of the whole file.
  void LoadFromFile(const std::filesystem::path& path) override;
  // Header only; EGbmError "gbm_read_header failed." when neither reader knows it.
  THeaderInfo ReadHeader(ByteSpan bytes) override;

  // Reads the header of a file (only its first bytes) into HeaderWidth/Height/Bits;
  // a failure raises EGbmError and changes nothing.
  void ReadBmpHeader(const std::filesystem::path& fileName);
  int HeaderWidth() const { return headerWidth_; }
  int HeaderHeight() const { return headerHeight_; }
  int HeaderBits() const { return headerBits_; }
  bool UsedPlatformReader() const { return usedPlatformReader_; }

private:
  void ReadWithFrame(ByteSpan bytes, int index);

  int headerWidth_ = 0, headerHeight_ = 0, headerBits_ = 0;
  bool usedPlatformReader_ = false;
};

// The viewer's BMP save and backup of the working bitmap: an uncompressed BMP with the
// pixel data right after the colour table (2^bits entries), colours used and important 0.
Bytes SaveWorkingBitmapBmp(const Dib& bitmap);
// The info header of the working bitmap's BMP file; an empty bitmap cannot be written.
BitmapInfoHeader WorkingBitmapHeader(const Dib& bitmap);

// How many leading bytes of a BMP the header reads need (bitmap array, file and V5 header).
inline constexpr std::size_t kBmpHeaderPrefix = 14 + 14 + 124 + 16;

}  // namespace pelira
