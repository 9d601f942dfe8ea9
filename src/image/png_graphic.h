#pragma once
// TPngGraphic: the PNG codec on libpng. Reading maps every colour type and bit depth onto one
// of the six formats (palette files keep their palette), composites transparency onto a
// background colour and takes the resolution from pHYs. Writing gives gray, palette or RGB
// files, Adam7-interlaced unless switched off.
//
// libpng errors leave the library by longjmp into the frame that called it and are thrown
// there as EPNGError with libpng's message; warnings are ignored.
#include <cstdint>
#include <filesystem>

#include "common/errors.h"
#include "image/dib_graphic.h"

namespace pelira {

class ReadOnlyFile;

class TPngGraphic : public TDibGraphic {
public:
  const char* ClassName() const override { return "TPngGraphic"; }
  std::unique_ptr<TDibGraphic> CreateSame() const override { return std::make_unique<TPngGraphic>(); }

  // The whole file is read; with headerOnly only the header fields are set.
  // Reads the file chunk by chunk (never whole).
  void LoadPng(const std::filesystem::path& fileName, bool headerOnly);
  void LoadFromFile(const std::filesystem::path& path) override;
  void ReadImage(ByteSpan bytes, int index) override;  // index ignored
  void SaveToStream(Bytes& stream) override;
  THeaderInfo ReadHeader(ByteSpan bytes) override;
  // The loader's colour value (blue low) becomes the background colour.
  void SetBackgroundColor(ColorValue c) override { BackgroundColor = ToPlatformColor(c); }

  // --- settings -------------------------------------------------------------------------
  double FileGamma = 0.5;             // written as gAMA
  std::uint32_t BackgroundColor = 0;  // under transparency; platform order, red in bits 0-7
  bool ForceBackground = false;       // use BackgroundColor even when the file has bKGD
  int Compression = 1;                // 0, 1, 2: zlib level 1, 5, 9
  bool Interlace = true;              // write Adam7

  // --- the last header read -------------------------------------------------------------
  int HeaderWidth() const { return headerWidth_; }
  int HeaderHeight() const { return headerHeight_; }
  // Bit depth, times 3 for colour types 2 and 6.
  int HeaderDepth() const { return headerDepth_; }
  int BitDepth() const { return bitDepth_; }
  int ColorType() const { return colorType_; }
  int InterlaceType() const { return interlaceType_; }
  int CompressionType() const { return compressionType_; }
  int FilterType() const { return filterType_; }

private:
  friend struct PngReader;
  void Read(ByteSpan bytes, bool headerOnly);
  void ReadFrom(ByteSpan bytes, const ReadOnlyFile* file, bool headerOnly);
  void AllocateForRead(int width, int height, TImageFormat format, const TPaletteRecord* palette, int xDpi,
                       int yDpi);

  int headerWidth_ = 0, headerHeight_ = 0, headerDepth_ = 0, bitDepth_ = 0;
  int colorType_ = 0, interlaceType_ = 0, compressionType_ = 0, filterType_ = 0;
};

// The zlib level written for a Compression value (0, 1, 2 -> 1, 5, 9; others 5).
int PngZlibLevel(int compression);

}  // namespace pelira
