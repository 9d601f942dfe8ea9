#pragma once
// TTiffGraphic: the TIFF codec on libtiff, over memory streams. Reads any page: strip images
// of 1, 4, 8 and 24 bits directly, fax pages scanline by scanline, everything else through
// libtiff's RGBA reader. LZW is left to the imaging library ("LZW not supported"). Writes one
// page, or appends a page, uncompressed, PackBits, CCITT G3/G4 or Deflate.
#include <cstdint>
#include <filesystem>
#include <string>

#include "common/errors.h"
#include "image/dib_graphic.h"
#include "image/tiff_io.h"

namespace pelira {

// Write compressions of the codec (the compression property).
enum TTiffCompression : int {
  tcNone = 0,
  tcPackbits = 1,
  tcFaxG3_1D = 2,
  tcFaxG3_2D = 3,
  tcFaxG4 = 4,
  tcZLib = 5,
  tcJPEG = 6,
  tcZLibAdobe = 7,
};
// "None", "Packbits", "Fax Group 3, 1D", ... ("" outside 0..7).
const char* TiffCompressionName(int compression);
// Name of a Compression tag value found in a file ("Deflate", "LZW (unsupported)", ...).
const char* TiffCompressionTagName(int tag);

class TTiffGraphic : public TDibGraphic {
public:
  const char* ClassName() const override { return "TTiffGraphic"; }
  std::unique_ptr<TDibGraphic> CreateSame() const override { return std::make_unique<TTiffGraphic>(); }

  // Page is 1-based; -1 reads only the first page's header. The file is read in place: only
  // its directories and the page's strips, never the whole file into memory.
  void LoadTiff(const std::filesystem::path& fileName, int page);
  void LoadFromFile(const std::filesystem::path& path) override;
  // The probe's header read, in place.
  THeaderInfo ReadFileHeader(const std::filesystem::path& path);
  void ReadImage(ByteSpan bytes, int index) override;
  int GetImageCount(ByteSpan bytes) override;
  void SaveToStream(Bytes& stream) override;
  // The page written straight into an open file (a save's temporary), strip by strip.
  void SaveToDescriptor(int fd);
  void AppendImage(Bytes& stream) override;
  // The first page's header; pageCount and the Compression tag value included.
  THeaderInfo ReadHeader(ByteSpan bytes) override;
  // Resets the compression: Fax Group 4 for BlackWhite, Packbits for the rest.
  void NewImage(int width, int height, TImageFormat format, const TPaletteRecord* palette, int xDpi,
                int yDpi) override;

  int Compression() const { return compression_; }
  // Raises "%s compression not supported with %s images" when the image's format does not
  // allow it.
  void SetCompression(int compression);

  int HeaderWidth() const { return headerWidth_; }
  int HeaderHeight() const { return headerHeight_; }
  int HeaderDepth() const { return headerDepth_; }
  int CompressionTag() const { return compressionTag_; }

private:
  THeaderInfo ReadHeaderFrom(const TiffSource& source);
  void Read(const TiffSource& source, int page);
  void Write(Bytes& stream, bool append);
  void WritePage(TiffHandle& h);

  int compression_ = tcPackbits;
  int headerWidth_ = 0, headerHeight_ = 0, headerDepth_ = 0, compressionTag_ = 0, headerPages_ = 0;
};

}  // namespace pelira
