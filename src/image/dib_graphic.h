#pragma once
// TDibGraphic: the device-independent image every in-program codec reads into and writes
// from. It owns a bottom-up pixel buffer (a Dib) in one of six formats, the palette record
// used for drawing, pixel reads and every writer, a resolution, optional frames of a
// multi-image file, and the codec interface (virtuals) the format classes override:
//
//   class TFooGraphic : public TDibGraphic {
//     const char* ClassName() const override { return "TFooGraphic"; }
//     std::unique_ptr<TDibGraphic> CreateSame() const override;   // for multi-image loads
//     THeaderInfo ReadHeader(ByteSpan bytes) override;              // the probe (header only)
//     void ReadImage(ByteSpan bytes, int index) override;           // NewImage + fill pixels
//     void SaveToStream(Bytes& out) override;                       // write the image
//     // optional: GetImageCount, AppendImage, LoadFromStream, NewImage
//   };
//
// Errors are exceptions with a message (EVistrelError or the format's own class). Images are
// used on one thread; the display, the canvas and the frame timer are supplied by the GUI
// through the small interfaces below.
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "image/dib.h"
#include "image/palette.h"

namespace pelira {

using ByteSpan = std::span<const std::uint8_t>;
using Bytes = std::vector<std::uint8_t>;

enum class TImageFormat : std::uint8_t {
  BlackWhite = 0,
  Gray16 = 1,
  Gray256 = 2,
  Color16 = 3,
  Color256 = 4,
  TrueColor = 5,
};

// Bits per pixel of a format value (0..5); any other value raises "Invalid image format".
int FormatBitCount(int format);
inline int FormatBitCount(TImageFormat f) { return FormatBitCount(static_cast<int>(f)); }
// "B/W", "4bpp gray", "8bpp gray", "4bpp color", "8bpp color", "24bpp color".
const char* FormatDisplayText(TImageFormat f);
// Default palette of a format (empty for TrueColor); raises "Invalid image format".
const Palette& DefaultPaletteOf(int format);

// The screen's dots per inch, used when an image is made with resolution 0. The GUI sets
// it from the primary screen; tests and the CLI keep the default 96.
int ScreenDpi();
void SetScreenDpi(int dpi);

// round(ppm x 0.0254) and round(dpi / 0.0254), halves to even.
int DpiFromPpm(std::int64_t pixelsPerMeter);
std::int32_t PpmFromDpi(std::int64_t dotsPerInch);

// The 40-byte bitmap information header (little-endian on disk).
struct BitmapInfoHeader {
  std::uint32_t size = 40;
  std::int32_t width = 0;
  std::int32_t height = 0;
  std::uint16_t planes = 1;
  std::uint16_t bitCount = 0;
  std::uint32_t compression = 0;
  std::uint32_t sizeImage = 0;
  std::int32_t xPelsPerMeter = 0;
  std::int32_t yPelsPerMeter = 0;
  std::uint32_t clrUsed = 0;
  std::uint32_t clrImportant = 0;

  void WriteTo(std::uint8_t* out40) const;
  static BitmapInfoHeader ReadFrom(const std::uint8_t* in40);
};

struct TRect {
  int left = 0, top = 0, right = 0, bottom = 0;  // right and bottom exclusive
  int Width() const { return right - left; }
  int Height() const { return bottom - top; }
};

// A drawing surface bound to an image's pixels: text and platform bitmaps are drawn onto
// images through it. The Qt implementation paints with QPainter.
class TImageCanvas {
public:
  virtual ~TImageCanvas() = default;
  virtual void SetFont(const std::string& family, int pixelHeight, bool bold, bool italic) = 0;
  virtual void SetTextColor(ColorValue c) = 0;
  virtual void TextOut(int x, int y, const std::string& utf8) = 0;
  virtual void FillRect(const TRect& r, ColorValue c) = 0;
  virtual void Draw(int x, int y, const Dib& bitmap) = 0;
  // smooth: halftone (palette images); otherwise plain pixel dropping.
  virtual void StretchDraw(const TRect& dst, const Dib& bitmap, bool smooth) = 0;
};

class TDibGraphic;
// Builds a canvas on an image's pixels; none is set in core-only programs.
using CanvasFactory = std::function<std::unique_ptr<TImageCanvas>(TDibGraphic&)>;
void SetCanvasFactory(CanvasFactory f);

// The frame timer of animated images. The GUI starts a platform timer and calls
// TDibGraphic::advanceFrame() on each tick.
class TFrameTimer {
public:
  virtual ~TFrameTimer() = default;
  virtual void Start(int intervalMs) = 0;
  virtual void Stop() = 0;
};
using FrameTimerFactory = std::function<std::unique_ptr<TFrameTimer>(TDibGraphic&)>;
void SetFrameTimerFactory(FrameTimerFactory f);

// What a header-only read reports (the probe).
struct THeaderInfo {
  int width = 0, height = 0, bitsPerPixel = 0, planes = 1, compression = 0, pageCount = 1;
};

class TDibGraphic {
public:
  TDibGraphic();
  virtual ~TDibGraphic();
  TDibGraphic(const TDibGraphic&) = delete;
  TDibGraphic& operator=(const TDibGraphic&) = delete;

  virtual const char* ClassName() const { return "TDibGraphic"; }
  virtual std::unique_ptr<TDibGraphic> CreateSame() const;

  // --- codec interface -------------------------------------------------------------
  virtual int GetImageCount(ByteSpan bytes);               // 1 in the base class
  virtual void ReadImage(ByteSpan bytes, int index);       // nothing in the base class
  // Raises "The %s format does not support multiple images" with the class name.
  virtual void AppendImage(Bytes& stream);
  virtual void SaveToStream(Bytes& stream);                // nothing in the base class
  // Header only, for the probe; the base raises "Invalid image format".
  virtual THeaderInfo ReadHeader(ByteSpan bytes);
  virtual void LoadFromStream(ByteSpan bytes);             // the multi-image rule
  // Colour that transparency is composited on (PNG); others ignore it.
  virtual void SetBackgroundColor(ColorValue) {}
  // Replaces the image by a new one, pixels zeroed. A null palette takes the format's
  // default; dpi 0 takes the screen's. A failure leaves the image empty.
  virtual void NewImage(int width, int height, TImageFormat format, const TPaletteRecord* palette,
                        int xDpi, int yDpi);

  void LoadFromBytes(ByteSpan bytes) { LoadFromStream(bytes); }
  Bytes SaveToBytes();
  virtual void LoadFromFile(const std::filesystem::path& path);
  void SaveToFile(const std::filesystem::path& path);  // atomic: temporary file + rename

  // --- image ------------------------------------------------------------------------
  void FreeImage();
  bool Empty() const { return dib_.Empty(); }
  int Width() const { return dib_.Width(); }
  int Height() const { return dib_.Height(); }
  [[noreturn]] void SetWidth(int);   // raise "Dimensions must be changed with NewImage"
  [[noreturn]] void SetHeight(int);
  TImageFormat Format() const { return format_; }
  int BitCount() const { return dib_.BitCount(); }
  std::size_t Stride() const { return dib_.Stride(); }
  std::size_t ImageSize() const { return dib_.ImageSize(); }
  const BitmapInfoHeader& Header() const { return header_; }

  std::uint8_t* Bits() { return dib_.Bits(); }
  const std::uint8_t* Bits() const { return dib_.Bits(); }
  // Logical row y (0 = top); null outside the image.
  std::uint8_t* ScanLine(int y);
  const std::uint8_t* ScanLine(int y) const;

  ColorValue Pixels(int x, int y) const;
  void SetPixels(int x, int y, ColorValue c);
  int PaletteIndex(int x, int y) const;  // "The image does not have a palette" for TrueColor
  void SetPaletteIndex(int x, int y, int index);

  int XDotsPerInch() const { return DpiFromPpm(header_.xPelsPerMeter); }
  int YDotsPerInch() const { return DpiFromPpm(header_.yPelsPerMeter); }
  void SetXDotsPerInch(int dpi);
  void SetYDotsPerInch(int dpi);

  const TPaletteRecord& PaletteRecord() const { return palette_; }
  // The palette to draw with: none for TrueColor.
  const TPaletteRecord* PaletteHandle() const;
  // Takes the entries of a palette; nothing for null or no entries. Also refreshes the
  // colour table and the nearest-colour cache so later writes and reads agree with it.
  void SetPaletteFromHandle(const TPaletteRecord* handle);
  void SetPaletteFromHandle(const Palette& p);

  // The pixels as a bitmap (palette included); empty when the image is empty.
  const Dib& AsDib() const { return dib_; }
  // The picture as the working bitmap (as CodecToWorkingBitmap makes it), moved out instead
  // of copied; the codec is left empty.
  Dib TakeWorkingBitmap();
  // Takes a 1/4/8/24-bit bitmap's buffer without copying: format by depth as
  // ImportBitmapHandle, its palette and its pixels per metre.
  void AdoptBitmap(Dib&& bitmap);

  // --- transfers with bitmaps -------------------------------------------------------
  // A copy of a bitmap by depth: 1 -> BlackWhite, 4 -> Color16, 8 -> Color256, else
  // TrueColor; the format's default palette and the screen resolution; pixels block-copied.
  void ImportNewBitmap(const Dib& bitmap);
  // A copy of a bitmap keeping its palette and resolution (ppm out of 0..65535 dpi -> screen).
  void ImportBitmapHandle(const Dib& bitmap);
  // Copy of another image (nothing, or an empty one, leaves this empty).
  void Assign(const TDibGraphic* source);
  void Assign(const Dib& bitmap) { ImportBitmapHandle(bitmap); }
  // Into a bitmap: always 24 bits, the image's size.
  void AssignTo(Dib& bitmap) const;
  void AssignTo(TDibGraphic& dest) const { dest.Assign(this); }

  // Header, colour table and pixels in one block, as the imaging library takes them.
  Bytes ExportPackedDib() const;

  void Draw(TImageCanvas& canvas, const TRect& rect) const;
  // A canvas on the pixels, or null when the program has none.
  TImageCanvas* Canvas();

  // Clipboard: only the bitmap format (2) is accepted.
  static constexpr int kClipboardBitmap = 2;
  void LoadFromClipboardFormat(int format, const Dib* bitmap);
  Dib SaveToClipboardFormat() const;

  // --- frames -----------------------------------------------------------------------
  int imageIndex = 1;         // image a plain load reads (1-based)
  bool multiImage = false;    // a load reads every image as a frame
  int FrameCount() const { return static_cast<int>(frames_.size()); }
  int CurrentFrame() const { return currentFrame_; }
  void SetFrame(int n);       // "Frame %d does not exist" outside 1..FrameCount
  int FrameInterval() const { return frameInterval_; }
  void SetFrameInterval(int ms) { frameInterval_ = ms; }
  bool Animate() const { return animate_; }
  void SetAnimate(bool on);
  void advanceFrame();        // the frame timer's tick
  void AddFrame(std::unique_ptr<TDibGraphic> frame) { frames_.push_back(std::move(frame)); }
  void ClearFrames();

  // Called after a frame is shown (the GUI repaints and lets pending events run).
  std::function<void()> onChange;

protected:
  // NewImage without clearing the pixels, for readers that write every byte.
  void NewImageForRead(int width, int height, TImageFormat format, const TPaletteRecord* palette,
                       int xDpi, int yDpi);
  // Resolution straight from pixels per metre.
  void SetPelsPerMeter(std::int32_t x, std::int32_t y);

private:
  void MakeImage(int width, int height, TImageFormat format, const TPaletteRecord* palette, int xDpi,
                 int yDpi, Dib::Init init);

  Dib dib_;
  BitmapInfoHeader header_{};
  TImageFormat format_ = TImageFormat::TrueColor;
  TPaletteRecord palette_{};
  TRgbToPaletteConverter converter_;
  std::unique_ptr<TImageCanvas> canvas_;
  std::vector<std::unique_ptr<TDibGraphic>> frames_;
  int frameInterval_ = 200;
  bool animate_ = false;
  int currentFrame_ = -1;
  std::unique_ptr<TFrameTimer> timer_;
};

// Transfers between the working bitmap and codec images.
// codec image -> working bitmap: TrueColor as 24 bits; palette images keep their depth and
// palette (the library route of the loading pipeline gives the same pixels).
Dib CodecToWorkingBitmap(const TDibGraphic& image);
// working bitmap -> codec image: a palette bitmap keeps its bits and palette; a 24-bit one
// comes in through ImportNewBitmap.
void WorkingBitmapToCodec(const Dib& bitmap, TDibGraphic& image);

// Packed DIB of a bitmap: 40-byte header, colour table (2^bits entries for palette
// bitmaps), pixels. The block is (header + table + image + 4096) rounded down to 16 bytes.
Bytes ExportPackedDib(const Dib& bitmap);

}  // namespace pelira
