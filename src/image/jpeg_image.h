#pragma once
// TJPEGImage: JPEG files through libjpeg (6-series API). The object keeps a file's compressed
// bytes and decodes them on demand at 1/1, 1/2, 1/4 or 1/8 size, straight into the rows of a
// bitmap; it compresses bitmaps with the library's quality scale (the standard encoder) or
// with linear table scaling (Compress).
//
// Library errors leave libjpeg by longjmp into the C++ frame that called it and are then
// thrown as EJPEG "JPEG error #<message code>"; warnings (a truncated file among them) do not
// stop a decode, so a cut-off file decodes as far as its data goes; the first is kept.
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>

#include "common/errors.h"
#include "image/dib.h"
#include "image/dib_graphic.h"

namespace pelira {

class EJPEG : public EVistrelError {
public:
  using EVistrelError::EVistrelError;
};

enum class TJPEGPixelFormat { jf24Bit = 0, jf8Bit = 1 };
enum class TJPEGPerformance { jpBestQuality = 0, jpBestSpeed = 1 };

// Decode progress: called with 5, 10, ... 100 as rows arrive; returning false cancels the
// decode quietly (the rows done so far stay).
using JpegProgress = std::function<bool(int percent)>;
// Rows [firstRow, firstRow + count) of the bitmap are ready (DecodeToWindow).
using JpegRowsReady = std::function<void(int firstRow, int count)>;

// The fit-to-window rule: factor 1, halved at most twice while the image exceeds the limit,
// then 8. Returns the scale 0..3 (factor 1, 2, 4, 8).
int JpegScaleToFit(int imageWidth, int imageHeight, int limitWidth, int limitHeight);

class TJPEGImage {
public:
  TJPEGImage();
  ~TJPEGImage();
  TJPEGImage(const TJPEGImage&) = delete;
  TJPEGImage& operator=(const TJPEGImage&) = delete;
  TJPEGImage(TJPEGImage&&) noexcept;
  TJPEGImage& operator=(TJPEGImage&&) noexcept;

  // Keeps the bytes and reads the header. Data not starting with a JPEG marker loses any
  // foreign header before "JFIF" (the data then starts 6 bytes before it).
  void LoadFromStream(ByteSpan bytes);
  void LoadFromFile(const std::filesystem::path& path);
  bool Empty() const { return !data_; }
  // The compressed bytes as kept (empty when there are none).
  ByteSpan Data() const;

  int HeaderWidth() const { return headerWidth_; }
  int HeaderHeight() const { return headerHeight_; }
  // 8 for grayscale files, 24 otherwise; -1 after a failed DecodeReduced.
  int HeaderDepth() const { return headerDepth_; }
  bool Grayscale() const;

  // --- properties ---------------------------------------------------------------------
  bool BlockSmoothing = false;
  int Quality = 90;              // 1..100, standard encoder
  bool ProgressiveDisplay = false;
  bool ProgressiveEncoding = false;  // set from the file on load

  bool GrayMode() const { return grayMode_; }
  void SetGrayMode(bool on);
  TJPEGPixelFormat PixelFormat() const { return pixelFormat_; }
  void SetPixelFormat(TJPEGPixelFormat f);
  TJPEGPerformance Performance() const { return performance_; }
  void SetPerformance(TJPEGPerformance p);
  int Scale() const { return scale_; }  // 0 full, 1 half, 2 quarter, 3 eighth
  void SetScale(int scale);

  // Output size for the current settings (from the header; no decode).
  void ReadOutputSize();
  int OutputWidth();
  int OutputHeight();

  // --- decoding -----------------------------------------------------------------------
  // Into a bitmap already of the output size, 8 bits for 8-bit or gray output, else 24.
  // dither: 0 ordered, 2 none, anything else Floyd-Steinberg (8-bit colour output only).
  // An 8-bit decode gives the bitmap its palette (256 grays, or the quantiser's colours).
  void DecodeInto(Dib& bitmap, const JpegProgress& progress = {}, int dither = 2);
  // Into a bitmap of the output size and any depth, through a 4-row strip whose rows are
  // converted to the bitmap's depth (nearest palette entry for palette bitmaps).
  void DecodeThroughStrips(Dib& bitmap, const JpegProgress& progress = {});
  // Makes bitmap a 24-bit bitmap of the output size and reports every 4 rows as they are
  // copied in, so a window can show them while the decode runs.
  void DecodeToWindow(Dib& bitmap, const JpegRowsReady& rowsReady);
  // A new bitmap of the output size: 8 bits for gray or 8-bit output, else 24; no dithering.
  Dib Decode(const JpegProgress& progress = {});

  // The thumbnail makers' decode: smallest reduction that still covers the target.
  void SetReducedDecode(int targetWidth, int targetHeight, int dither);
  void DecodeReduced(Dib& bitmap);

  // The decoded bitmap at the current settings, made on first use and kept until a
  // decoding property changes.
  const Dib& Bitmap();

  // --- encoding -----------------------------------------------------------------------
  // The bitmap becomes the decoded picture and the compressed data is dropped.
  void Assign(const Dib& bitmap);
  // Shares the other image's compressed data (and copies its decoded bitmap).
  void Assign(const TJPEGImage& other);
  // Linear table scaling: standard tables x scale / 100, clamped to 1..255. Without
  // subsample every component is sampled 1x1. smoothing is clamped to 0..100.
  void Compress(bool subsample, bool optimize, int smoothing, int scale, bool floatDct);
  // Writes the compressed bytes, running the standard encoder first when there are none.
  void SaveToStream(Bytes& out);
  void SaveToFile(const std::filesystem::path& path);  // atomic

  // Message code of the library's last error, shared by every JPEG object.
  static int LastJpegError();
  // The library's first warning of this thread's last decode ("Premature end of JPEG file"
  // for a truncated one), or "" when it had none.
  static std::string LastDecodeWarning();

private:
  struct Payload;
  struct DecodeSettings;
  void SetData(std::shared_ptr<const Payload> data);
  void ReadHeaderOf(const std::shared_ptr<Payload>& data);
  DecodeSettings CurrentSettings(int dither) const;
  void Encode(bool standard, bool subsample, bool optimize, int smoothing, int scale, bool floatDct);
  void FreeBitmap();

  std::shared_ptr<const Payload> data_;
  std::unique_ptr<Dib> bitmap_;
  int headerWidth_ = 0, headerHeight_ = 0, headerDepth_ = 0;
  int outputWidth_ = 0, outputHeight_ = 0;
  bool outputStale_ = true;
  bool grayMode_ = false;
  TJPEGPixelFormat pixelFormat_ = TJPEGPixelFormat::jf24Bit;
  TJPEGPerformance performance_ = TJPEGPerformance::jpBestSpeed;
  int scale_ = 0;
  int reducedWidth_ = 0, reducedHeight_ = 0, reducedDither_ = 2;
};

// The batch conversion's comment: the first segment after the start-of-image marker is kept
// in front, then an FF FE segment with the text (cut to what one segment holds), then the
// rest. Data without a readable first segment gets the comment right after FF D8; data that
// is not a JPEG is returned unchanged.
Bytes InsertJpegComment(ByteSpan jpeg, const std::string& text);
// "Encoded with Pelira 7.7 - " and the program's web address.
std::string BatchJpegCommentText();

}  // namespace pelira
