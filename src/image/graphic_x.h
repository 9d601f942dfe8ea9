#pragma once
// TGraphicX: the base of the readers that give a bitmap rather than a codec image (GIF and
// PSD). It adds a header-only mode, a signature test and the image information record the
// viewer's probe reads. The bitmap is the working-bitmap kind (1, 4, 8 or 24 bits); a source
// with alpha keeps its alpha beside it, since the bitmap has no 32-bit layout.
//
// Use: create, set HeaderOnly if wanted, CanLoad, LoadFromFile (or LoadFromStream), then read
// ImageInfo() or take the bitmap.
#include <cstdint>
#include <filesystem>
#include <memory>
#include <vector>

#include "common/errors.h"
#include "image/dib.h"
#include "image/dib_graphic.h"
#include "image/pixel_converter.h"

namespace pelira {

// A header the reader cannot use: "Invalid image format".
class EInvalidGraphic : public EVistrelError {
public:
  using EVistrelError::EVistrelError;
};

struct TImageInfo {
  static constexpr std::uint32_t kBigEndian = 1u << 1;   // PSD samples
  static constexpr std::uint32_t kWhiteIsZero = 1u << 2;  // gray palettes run white to black

  std::int32_t version = 0;          // GIF: 87 or 89; PSD: 0
  std::uint32_t options = 0;
  std::uint32_t width = 0, height = 0;
  TColorScheme scheme = TColorScheme::Unknown;
  std::uint8_t bitsPerSample = 0;
  std::uint8_t samplesPerPixel = 0;
  std::uint8_t bitsPerPixel = 0;
  std::uint8_t compression = 0;      // 1 none, 3 run-length rows, 4 LZW
  float fileGamma = 1.0f;
  bool interlaced = false;
  bool localColorTable = false;
  std::uint16_t channels = 0;        // PSD: the header's channel count
};

class TGraphicX {
public:
  virtual ~TGraphicX() = default;

  bool HeaderOnly = false;

  // True when enough bytes are there and the signature matches.
  virtual bool CanLoad(ByteSpan) const { return false; }
  bool CanLoad(const std::filesystem::path& fileName) const;
  // Clears the record (file gamma 1.0) and fills it from the header; the base only clears.
  virtual bool ReadImageInfo(ByteSpan bytes);
  // The record, then (unless HeaderOnly) the pixels. EInvalidGraphic "Invalid image format"
  // when the header check fails; other errors are the reader's.
  virtual void LoadFromStream(ByteSpan bytes) = 0;
  void LoadFromFile(const std::filesystem::path& fileName);

  const TImageInfo& ImageInfo() const { return info_; }
  const Dib& Bitmap() const { return bitmap_; }
  Dib TakeBitmap() { return std::move(bitmap_); }
  // One byte per pixel, rows from the top, when the source had alpha; else empty.
  const std::vector<std::uint8_t>& Alpha() const { return alpha_; }

  // Copies the bitmap, and the record too (both are TGraphicX).
  void Assign(const TGraphicX& source);

protected:
  TImageInfo info_;
  Dib bitmap_;
  std::vector<std::uint8_t> alpha_;
  TPixelConverter converter_;
};

// A TGraphicX reader seen as a codec of the loading pipeline: the header read gives the
// record's size and bits per pixel, a full read adopts the bitmap. A reader that yields no
// picture (a GIF without images) fails with "Invalid image format".
class TGraphicXCodec : public TDibGraphic {
public:
  using Maker = std::unique_ptr<TGraphicX> (*)();
  TGraphicXCodec(const char* className, Maker make) : className_(className), make_(make) {}

  const char* ClassName() const override { return className_; }
  std::unique_ptr<TDibGraphic> CreateSame() const override {
    return std::make_unique<TGraphicXCodec>(className_, make_);
  }
  THeaderInfo ReadHeader(ByteSpan bytes) override;
  void ReadImage(ByteSpan bytes, int index) override;
  // Alpha of the last read (one byte per pixel, top row first), empty when it had none.
  const std::vector<std::uint8_t>& Alpha() const { return alpha_; }

private:
  const char* className_;
  Maker make_;
  std::vector<std::uint8_t> alpha_;
};

}  // namespace pelira
