#include "image/library_codecs.h"

#include "image/color_depth.h"
#include "image/jpeg_image.h"
#include "image/png_graphic.h"
#include "image/tiff_graphic.h"

namespace pelira {

namespace {

class LibJpegDecoder : public TJpegDecoder {
public:
  void ReadFile(const std::filesystem::path& path) override { jpeg_.LoadFromFile(path); }
  int Width() const override { return jpeg_.HeaderWidth(); }
  int Height() const override { return jpeg_.HeaderHeight(); }
  bool Grayscale() const override { return jpeg_.Grayscale(); }

  Dib Decode(const JpegDecodeRequest& r) override {
    int scale = 0;
    if (r.scale >= 0 && r.scale <= 3) scale = r.scale;
    else if (r.fitToWindow || r.slideshow) scale = JpegScaleToFit(Width(), Height(), 2 * r.windowWidth, 2 * r.windowHeight);
    else if (r.half) scale = 1;
    jpeg_.SetScale(scale);
    jpeg_.SetPerformance(TJPEGPerformance::jpBestSpeed);
    jpeg_.SetPixelFormat(jpeg_.Grayscale() ? TJPEGPixelFormat::jf8Bit : TJPEGPixelFormat::jf24Bit);
    Dib d = jpeg_.Decode();
    warning_ = TJPEGImage::LastDecodeWarning();
    return d;
  }
  std::string LastWarning() const override { return warning_; }

private:
  TJPEGImage jpeg_;
  std::string warning_;
};

// 256 grays, the values True Grayscale gives (white kept white).
Dib GrayOf(const Dib& src) {
  Dib out(src.Width(), src.Height(), 8, Gray256Palette(), Dib::Init::Uninitialised);
  out.xPelsPerMeter = src.xPelsPerMeter;
  out.yPelsPerMeter = src.yPelsPerMeter;
  for (int y = 0; y < src.Height(); ++y) {
    std::uint8_t* d = out.ScanLine(y);
    for (int x = 0; x < src.Width(); ++x) {
      const ColorValue c = src.Pixel(x, y);
      d[x] = static_cast<std::uint8_t>(TrueGrayOf(RedOf(c), GreenOf(c), BlueOf(c)));
    }
    for (std::size_t i = static_cast<std::size_t>(src.Width()); i < out.Stride(); ++i) d[i] = 0;
  }
  return out;
}

Bytes WriteJpeg(const Dib& bitmap, const SaveOptions& o, bool gray) {
  TJPEGImage j;
  if (gray) {
    j.Assign(GrayOf(bitmap));
    j.SetPixelFormat(TJPEGPixelFormat::jf8Bit);
    j.SetGrayMode(true);
  } else {
    j.Assign(bitmap);
  }
  j.ProgressiveEncoding = o.progressive;
  j.Compress(false, true, 0, JpegSaveScale(o.quality), true);
  Bytes out;
  j.SaveToStream(out);
  return out;
}

Bytes WritePng(const Dib& bitmap, const SaveOptions& o) {
  TPngGraphic png;
  WorkingBitmapToCodec(bitmap, png);
  png.Compression = 1;
  png.Interlace = o.progressive;
  return png.SaveToBytes();
}

Bytes WriteTiff(const Dib& bitmap, int compression) {
  TTiffGraphic tiff;
  WorkingBitmapToCodec(bitmap, tiff);
  tiff.SetCompression(compression);
  return tiff.SaveToBytes();
}

}  // namespace

int JpegSaveScale(int value) { return value < 0 || value > 128 ? 50 : value; }

std::unique_ptr<TJpegDecoder> NewLibJpegDecoder() { return std::make_unique<LibJpegDecoder>(); }

SaveWriter LibrarySaveWriter(int type) {
  switch (type) {
    case 3: return [](const Dib& b, const SaveOptions& o) { return WritePng(b, o); };
    case 4: return [](const Dib& b, const SaveOptions& o) { return WriteJpeg(b, o, true); };
    case 5: return [](const Dib& b, const SaveOptions& o) { return WriteJpeg(b, o, false); };
    case 7: return [](const Dib& b, const SaveOptions&) { return WriteTiff(b, tcNone); };
    case 8: return [](const Dib& b, const SaveOptions&) { return WriteTiff(b, tcZLib); };
    case 9: return [](const Dib& b, const SaveOptions&) { return WriteTiff(b, tcZLibAdobe); };
    case 10: return [](const Dib& b, const SaveOptions&) { return WriteTiff(b, tcFaxG3_1D); };
    case 11: return [](const Dib& b, const SaveOptions&) { return WriteTiff(b, tcFaxG4); };
    case 12: return [](const Dib& b, const SaveOptions&) { return WriteTiff(b, tcPackbits); };
    default: return nullptr;
  }
}

}  // namespace pelira
