#include "image/dib_graphic.h"

#include <atomic>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "common/errors.h"
#include "image/file_bytes.h"
#include "image/pixel_limit.h"

namespace pelira {

namespace {

std::atomic<int> g_screenDpi{96};

CanvasFactory& Canvases() {
  static CanvasFactory f;
  return f;
}
FrameTimerFactory& Timers() {
  static FrameTimerFactory f;
  return f;
}

void Put16(std::uint8_t* p, std::uint16_t v) {
  p[0] = static_cast<std::uint8_t>(v);
  p[1] = static_cast<std::uint8_t>(v >> 8);
}
void Put32(std::uint8_t* p, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<std::uint8_t>(v >> (8 * i));
}
std::uint16_t Get16(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] | (p[1] << 8)); }
std::uint32_t Get32(const std::uint8_t* p) {
  return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
         (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

TImageFormat FormatForBits(int bits) {
  switch (bits) {
    case 1: return TImageFormat::BlackWhite;
    case 4: return TImageFormat::Color16;
    case 8: return TImageFormat::Color256;
    default: return TImageFormat::TrueColor;
  }
}

}  // namespace

int FormatBitCount(int format) {
  static const int bits[6] = {1, 4, 8, 4, 8, 24};
  if (format < 0 || format > 5) throw EVistrelError("Invalid image format");
  return bits[format];
}

const char* FormatDisplayText(TImageFormat f) {
  static const char* texts[6] = {"B/W", "4bpp gray", "8bpp gray", "4bpp color", "8bpp color",
                                 "24bpp color"};
  const int i = static_cast<int>(f);
  if (i < 0 || i > 5) throw EVistrelError("Invalid image format");
  return texts[i];
}

const Palette& DefaultPaletteOf(int format) {
  static const Palette none;
  switch (format) {
    case 0: return BlackWhitePalette();
    case 1: return Gray16Palette();
    case 2: return Gray256Palette();
    case 3: return Color16Palette();
    case 4: return Color256Palette();
    case 5: return none;
    default: throw EVistrelError("Invalid image format");
  }
}

int ScreenDpi() { return g_screenDpi.load(); }
void SetScreenDpi(int dpi) { g_screenDpi.store(dpi > 0 ? dpi : 96); }

// nearbyint rounds halves to even in the default rounding mode.
int DpiFromPpm(std::int64_t pixelsPerMeter) {
  return static_cast<int>(std::nearbyint(static_cast<double>(pixelsPerMeter) * 0.0254));
}
std::int32_t PpmFromDpi(std::int64_t dotsPerInch) {
  const double v = std::nearbyint(static_cast<double>(dotsPerInch) / 0.0254);
  if (v > 2147483647.0) return 2147483647;
  if (v < -2147483648.0) return -2147483647 - 1;
  return static_cast<std::int32_t>(v);
}

void BitmapInfoHeader::WriteTo(std::uint8_t* o) const {
  Put32(o, size);
  Put32(o + 4, static_cast<std::uint32_t>(width));
  Put32(o + 8, static_cast<std::uint32_t>(height));
  Put16(o + 12, planes);
  Put16(o + 14, bitCount);
  Put32(o + 16, compression);
  Put32(o + 20, sizeImage);
  Put32(o + 24, static_cast<std::uint32_t>(xPelsPerMeter));
  Put32(o + 28, static_cast<std::uint32_t>(yPelsPerMeter));
  Put32(o + 32, clrUsed);
  Put32(o + 36, clrImportant);
}

BitmapInfoHeader BitmapInfoHeader::ReadFrom(const std::uint8_t* p) {
  BitmapInfoHeader h;
  h.size = Get32(p);
  h.width = static_cast<std::int32_t>(Get32(p + 4));
  h.height = static_cast<std::int32_t>(Get32(p + 8));
  h.planes = Get16(p + 12);
  h.bitCount = Get16(p + 14);
  h.compression = Get32(p + 16);
  h.sizeImage = Get32(p + 20);
  h.xPelsPerMeter = static_cast<std::int32_t>(Get32(p + 24));
  h.yPelsPerMeter = static_cast<std::int32_t>(Get32(p + 28));
  h.clrUsed = Get32(p + 32);
  h.clrImportant = Get32(p + 36);
  return h;
}

void SetCanvasFactory(CanvasFactory f) { Canvases() = std::move(f); }
void SetFrameTimerFactory(FrameTimerFactory f) { Timers() = std::move(f); }

TDibGraphic::TDibGraphic() { header_ = BitmapInfoHeader{}; header_.size = 0; header_.planes = 0; }

TDibGraphic::~TDibGraphic() {
  if (timer_) timer_->Stop();
  timer_.reset();
  frames_.clear();
  FreeImage();
}

std::unique_ptr<TDibGraphic> TDibGraphic::CreateSame() const { return std::make_unique<TDibGraphic>(); }

int TDibGraphic::GetImageCount(ByteSpan) { return 1; }
void TDibGraphic::ReadImage(ByteSpan, int) {}
void TDibGraphic::AppendImage(Bytes&) {
  char buf[160];
  std::snprintf(buf, sizeof buf, "The %s format does not support multiple images", ClassName());
  throw EVistrelError(buf);
}
void TDibGraphic::SaveToStream(Bytes&) {}
THeaderInfo TDibGraphic::ReadHeader(ByteSpan) { throw EVistrelError("Invalid image format"); }

void TDibGraphic::MakeImage(int width, int height, TImageFormat format, const TPaletteRecord* palette,
                            int xDpi, int yDpi, Dib::Init init) {
  FreeImage();
  try {
    const int f = static_cast<int>(format);
    const int bits = FormatBitCount(f);
    TPaletteRecord pal;
    if (format != TImageFormat::TrueColor) {
      if (palette) {
        pal = *palette;
        pal.version = 0x0300;
        const int most = 1 << bits;
        if (pal.count > most) pal.count = static_cast<std::uint16_t>(most);
      } else {
        pal = TPaletteRecord::From(DefaultPaletteOf(f));
      }
    }
    Dib d(width, height, bits, pal.ToPalette(), init);
    header_ = BitmapInfoHeader{};
    header_.width = width;
    header_.height = height;
    header_.bitCount = static_cast<std::uint16_t>(bits);
    header_.sizeImage = static_cast<std::uint32_t>(d.ImageSize());
    header_.clrUsed = format == TImageFormat::TrueColor ? 0 : pal.count;
    header_.xPelsPerMeter = PpmFromDpi(xDpi ? xDpi : ScreenDpi());
    header_.yPelsPerMeter = PpmFromDpi(yDpi ? yDpi : ScreenDpi());
    d.xPelsPerMeter = header_.xPelsPerMeter;
    d.yPelsPerMeter = header_.yPelsPerMeter;
    dib_ = std::move(d);
    format_ = format;
    palette_ = pal;
    converter_.Reset(&palette_);
  } catch (...) {
    FreeImage();
    throw;
  }
}

void TDibGraphic::NewImage(int width, int height, TImageFormat format, const TPaletteRecord* palette,
                           int xDpi, int yDpi) {
  MakeImage(width, height, format, palette, xDpi, yDpi, Dib::Init::Zero);
}

void TDibGraphic::NewImageForRead(int width, int height, TImageFormat format,
                                  const TPaletteRecord* palette, int xDpi, int yDpi) {
  MakeImage(width, height, format, palette, xDpi, yDpi, Dib::Init::Uninitialised);
}

void TDibGraphic::FreeImage() {
  canvas_.reset();
  dib_.Clear();
  header_ = BitmapInfoHeader{};
  header_.size = 0;
  header_.planes = 0;
  palette_ = TPaletteRecord{};
  converter_.Reset(nullptr);
}

void TDibGraphic::SetWidth(int) { throw EVistrelError("Dimensions must be changed with NewImage"); }
void TDibGraphic::SetHeight(int) { throw EVistrelError("Dimensions must be changed with NewImage"); }

std::uint8_t* TDibGraphic::ScanLine(int y) {
  if (Empty() || y < 0 || y >= Height()) return nullptr;
  return dib_.ScanLine(y);
}
const std::uint8_t* TDibGraphic::ScanLine(int y) const {
  if (Empty() || y < 0 || y >= Height()) return nullptr;
  return dib_.ScanLine(y);
}

namespace {
void CheckInside(const Dib& d, int x, int y) {
  if (d.Empty() || x < 0 || y < 0 || x >= d.Width() || y >= d.Height())
    throw EVistrelError("Pixel out of range");
}
}  // namespace

ColorValue TDibGraphic::Pixels(int x, int y) const {
  CheckInside(dib_, x, y);
  if (format_ == TImageFormat::TrueColor) return dib_.Index(x, y);
  const std::uint32_t i = dib_.Index(x, y);
  return i < palette_.count ? ColorOf(palette_.entries[i]) : 0;
}

void TDibGraphic::SetPixels(int x, int y, ColorValue c) {
  CheckInside(dib_, x, y);
  if (format_ == TImageFormat::TrueColor) {
    dib_.SetIndex(x, y, c & 0x00FFFFFF);
    return;
  }
  const int i = converter_.Convert(c);
  dib_.SetIndex(x, y, i < 0 ? 0u : static_cast<std::uint32_t>(i));
}

int TDibGraphic::PaletteIndex(int x, int y) const {
  if (!Empty() && format_ == TImageFormat::TrueColor)
    throw EVistrelError("The image does not have a palette");
  CheckInside(dib_, x, y);
  return static_cast<int>(dib_.Index(x, y));
}

void TDibGraphic::SetPaletteIndex(int x, int y, int index) {
  if (!Empty() && format_ == TImageFormat::TrueColor)
    throw EVistrelError("The image does not have a palette");
  CheckInside(dib_, x, y);
  dib_.SetIndex(x, y, static_cast<std::uint32_t>(index));
}

void TDibGraphic::SetXDotsPerInch(int dpi) {
  header_.xPelsPerMeter = PpmFromDpi(dpi);
  dib_.xPelsPerMeter = header_.xPelsPerMeter;
}
void TDibGraphic::SetYDotsPerInch(int dpi) {
  header_.yPelsPerMeter = PpmFromDpi(dpi);
  dib_.yPelsPerMeter = header_.yPelsPerMeter;
}
void TDibGraphic::SetPelsPerMeter(std::int32_t x, std::int32_t y) {
  header_.xPelsPerMeter = dib_.xPelsPerMeter = x;
  header_.yPelsPerMeter = dib_.yPelsPerMeter = y;
}

const TPaletteRecord* TDibGraphic::PaletteHandle() const {
  if (Empty() || format_ == TImageFormat::TrueColor) return nullptr;
  return &palette_;
}

void TDibGraphic::SetPaletteFromHandle(const TPaletteRecord* handle) {
  if (!handle || handle->count == 0) return;
  TPaletteRecord p = *handle;
  p.version = 0x0300;
  if (p.count > 256) p.count = 256;
  palette_ = p;
  // The colour table and the cache follow the new palette so that pixel reads, writes
  // and every writer see the same colours.
  if (!Empty() && format_ != TImageFormat::TrueColor) {
    dib_.SetColors(palette_.ToPalette());
    header_.clrUsed = static_cast<std::uint32_t>(dib_.Colors().size());
  }
  converter_.Reset(&palette_);
}

void TDibGraphic::SetPaletteFromHandle(const Palette& p) {
  const TPaletteRecord r = TPaletteRecord::From(p);
  SetPaletteFromHandle(&r);
}

void TDibGraphic::ImportNewBitmap(const Dib& bitmap) {
  if (bitmap.Empty()) throw EVistrelError("ImportNewBitmap failed");
  const TImageFormat f = FormatForBits(bitmap.BitCount());
  NewImageForRead(bitmap.Width(), bitmap.Height(), f, nullptr, 0, 0);
  std::memcpy(dib_.Bits(), bitmap.Bits(), dib_.ImageSize());
}

void TDibGraphic::ImportBitmapHandle(const Dib& bitmap) {
  if (bitmap.Empty()) throw EVistrelError("Invalid bitmap");
  const int bits = bitmap.BitCount();
  if (bits != 1 && bits != 4 && bits != 8 && bits != 24) throw EVistrelError("Unsupported bit count");
  TPaletteRecord pal;
  const TPaletteRecord* palArg = nullptr;
  if (bitmap.HasPalette() && !bitmap.Colors().empty()) {
    pal = TPaletteRecord::From(bitmap.Colors());
    palArg = &pal;
  }
  auto dpiOf = [](std::int32_t ppm) {
    if (ppm <= 0) return 0;
    const int dpi = DpiFromPpm(ppm);
    return (dpi > 65535 || dpi < 0) ? 0 : dpi;
  };
  NewImageForRead(bitmap.Width(), bitmap.Height(), FormatForBits(bits), palArg,
                  dpiOf(bitmap.xPelsPerMeter), dpiOf(bitmap.yPelsPerMeter));
  std::memcpy(dib_.Bits(), bitmap.Bits(), dib_.ImageSize());
}

void TDibGraphic::AdoptBitmap(Dib&& bitmap) {
  if (bitmap.Empty()) throw EVistrelError("Invalid bitmap");
  const int bits = bitmap.BitCount();
  FreeImage();
  format_ = FormatForBits(bits);
  palette_ = TPaletteRecord{};
  if (bitmap.HasPalette()) palette_ = TPaletteRecord::From(bitmap.Colors());
  header_ = BitmapInfoHeader{};
  header_.width = bitmap.Width();
  header_.height = bitmap.Height();
  header_.bitCount = static_cast<std::uint16_t>(bits);
  header_.sizeImage = static_cast<std::uint32_t>(bitmap.ImageSize());
  header_.clrUsed = bitmap.HasPalette() ? palette_.count : 0;
  header_.xPelsPerMeter = bitmap.xPelsPerMeter;
  header_.yPelsPerMeter = bitmap.yPelsPerMeter;
  dib_ = std::move(bitmap);
  converter_.Reset(&palette_);
}

void TDibGraphic::Assign(const TDibGraphic* source) {
  if (source == this) return;
  FreeImage();
  if (!source || source->Empty() || source->Width() <= 0 || source->Height() <= 0) return;
  MakeImage(source->Width(), source->Height(), source->format_,
            source->format_ == TImageFormat::TrueColor ? nullptr : &source->palette_, 0, 0,
            Dib::Init::Uninitialised);
  SetPelsPerMeter(source->header_.xPelsPerMeter, source->header_.yPelsPerMeter);
  frameInterval_ = source->frameInterval_;
  std::memcpy(dib_.Bits(), source->dib_.Bits(), dib_.ImageSize());
}

void TDibGraphic::AssignTo(Dib& bitmap) const {
  if (Empty()) {
    bitmap.Clear();
    return;
  }
  Dib out(Width(), Height(), 24, Dib::Init::Uninitialised);
  out.xPelsPerMeter = header_.xPelsPerMeter;
  out.yPelsPerMeter = header_.yPelsPerMeter;
  if (format_ == TImageFormat::TrueColor) {
    std::memcpy(out.Bits(), dib_.Bits(), out.ImageSize());
  } else {
    for (int y = 0; y < Height(); ++y) {
      std::uint8_t* o = out.ScanLine(y);
      for (int x = 0; x < Width(); ++x) {
        const std::uint32_t i = dib_.Index(x, y);
        const RgbQuad q = i < palette_.count ? palette_.entries[i] : RgbQuad{};
        *o++ = q.blue;
        *o++ = q.green;
        *o++ = q.red;
      }
      std::memset(o, 0, out.Stride() - static_cast<std::size_t>(Width()) * 3);
    }
  }
  bitmap = std::move(out);
}

Bytes TDibGraphic::ExportPackedDib() const { return pelira::ExportPackedDib(dib_); }

void TDibGraphic::Draw(TImageCanvas& canvas, const TRect& rect) const {
  if (Empty()) return;
  canvas.StretchDraw(rect, dib_, format_ != TImageFormat::TrueColor);
}

TImageCanvas* TDibGraphic::Canvas() {
  if (!canvas_ && !Empty() && Canvases()) canvas_ = Canvases()(*this);
  return canvas_.get();
}

void TDibGraphic::LoadFromClipboardFormat(int format, const Dib* bitmap) {
  if (format != kClipboardBitmap || !bitmap || bitmap->Empty())
    throw EVistrelError("Unknown clipboard format, " + std::to_string(format));
  ImportBitmapHandle(*bitmap);
}

Dib TDibGraphic::SaveToClipboardFormat() const {
  if (Empty()) throw EVistrelError("CopyBitmap: CreateBitmap failed");
  if (format_ == TImageFormat::BlackWhite) {
    Dib d(Width(), Height(), 1, palette_.ToPalette(), Dib::Init::Uninitialised);
    std::memcpy(d.Bits(), dib_.Bits(), d.ImageSize());
    return d;
  }
  Dib d;
  AssignTo(d);
  return d;
}

Bytes TDibGraphic::SaveToBytes() {
  Bytes out;
  SaveToStream(out);
  return out;
}

void TDibGraphic::LoadFromFile(const std::filesystem::path& path) {
  const Bytes bytes = ReadFileBytes(path);
  LoadFromStream(bytes);
}

void TDibGraphic::SaveToFile(const std::filesystem::path& path) {
  WriteFileAtomic(path, SaveToBytes());
}

void TDibGraphic::LoadFromStream(ByteSpan bytes) {
  const bool wasAnimating = animate_;
  SetAnimate(false);
  struct Restore {
    TDibGraphic* g;
    bool on;
    ~Restore() { g->SetAnimate(on); }
  } restore{this, wasAnimating};
  if (!multiImage) {
    ReadImage(bytes, imageIndex);
    return;
  }
  const int count = GetImageCount(bytes);
  if (count == 1) {
    multiImage = false;
    ReadImage(bytes, imageIndex);
    return;
  }
  ClearFrames();
  for (int i = 1; i <= count; ++i) {
    std::unique_ptr<TDibGraphic> frame = CreateSame();
    frame->ReadImage(bytes, i);
    frames_.push_back(std::move(frame));
  }
  if (!frames_.empty()) SetFrame(1);
}

void TDibGraphic::ClearFrames() {
  frames_.clear();
  currentFrame_ = -1;
}

void TDibGraphic::SetFrame(int n) {
  if (n == currentFrame_) return;
  if (n < 1 || n > FrameCount()) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "Frame %d does not exist", n);
    throw EVistrelError(buf);
  }
  Assign(frames_[static_cast<std::size_t>(n - 1)].get());
  currentFrame_ = n;
  if (onChange) onChange();
}

void TDibGraphic::SetAnimate(bool on) {
  animate_ = on;
  if (on && !frames_.empty()) {
    if (!timer_ && Timers()) timer_ = Timers()(*this);
    if (timer_) timer_->Start(frameInterval_);
  } else if (timer_) {
    timer_->Stop();
  }
}

void TDibGraphic::advanceFrame() {
  if (frames_.empty()) return;
  if (timer_) timer_->Stop();
  const int next = currentFrame_ >= FrameCount() || currentFrame_ < 1 ? 1 : currentFrame_ + 1;
  SetFrame(next);
  if (timer_ && animate_) timer_->Start(frameInterval_);
}

Dib TDibGraphic::TakeWorkingBitmap() {
  if (Empty()) return Dib();
  Dib out = std::move(dib_);
  if (format_ == TImageFormat::TrueColor) {
    out.xPelsPerMeter = header_.xPelsPerMeter;
    out.yPelsPerMeter = header_.yPelsPerMeter;
  }
  FreeImage();
  return out;
}

Dib CodecToWorkingBitmap(const TDibGraphic& image) {
  if (image.Empty()) return Dib();
  if (image.Format() == TImageFormat::TrueColor) {
    Dib d;
    image.AssignTo(d);
    return d;
  }
  return image.AsDib();
}

void WorkingBitmapToCodec(const Dib& bitmap, TDibGraphic& image) {
  if (bitmap.HasPalette()) {
    image.Assign(bitmap);
    image.SetPaletteFromHandle(bitmap.Colors());
  } else {
    image.ImportNewBitmap(bitmap);
  }
}

Bytes ExportPackedDib(const Dib& bitmap) {
  if (bitmap.Empty()) return {};
  const std::size_t tableEntries = bitmap.HasPalette() ? (std::size_t{1} << bitmap.BitCount()) : 0;
  const std::size_t headerAndTable = 40 + 4 * tableEntries;
  const std::size_t total = ((headerAndTable + bitmap.ImageSize() + 4096) / 16) * 16;
  Bytes block(total, 0);
  BitmapInfoHeader h;
  h.width = bitmap.Width();
  h.height = bitmap.Height();
  h.bitCount = static_cast<std::uint16_t>(bitmap.BitCount());
  h.sizeImage = static_cast<std::uint32_t>(bitmap.ImageSize());
  h.xPelsPerMeter = bitmap.xPelsPerMeter;
  h.yPelsPerMeter = bitmap.yPelsPerMeter;
  h.clrUsed = static_cast<std::uint32_t>(tableEntries);
  h.WriteTo(block.data());
  std::uint8_t* t = block.data() + 40;
  for (std::size_t i = 0; i < tableEntries && i < bitmap.Colors().size(); ++i) {
    const RgbQuad& q = bitmap.Colors()[i];
    t[4 * i] = q.blue;
    t[4 * i + 1] = q.green;
    t[4 * i + 2] = q.red;
    t[4 * i + 3] = 0;
  }
  std::memcpy(block.data() + headerAndTable, bitmap.Bits(), bitmap.ImageSize());
  return block;
}

}  // namespace pelira
