#include "viewer/viewer_jpeg_decoder.h"

#include <algorithm>
#include <fstream>
#include <mutex>

#include "image/jpeg_image.h"

namespace pelira {

namespace {

class TViewerJpegDecoder : public TJpegDecoder {
public:
  void ReadFile(const std::filesystem::path& path) override { jpeg_.LoadFromFile(path); }
  int Width() const override { return jpeg_.HeaderWidth(); }
  int Height() const override { return jpeg_.HeaderHeight(); }
  bool Grayscale() const override { return jpeg_.Grayscale(); }

  Dib Decode(const JpegDecodeRequest& request) override {
    const bool gray = jpeg_.Grayscale();
    jpeg_.SetPixelFormat(gray ? TJPEGPixelFormat::jf8Bit : TJPEGPixelFormat::jf24Bit);
    jpeg_.SetPerformance(TJPEGPerformance::jpBestSpeed);
    jpeg_.SetScale(ViewerJpegScale(request, jpeg_.HeaderWidth(), jpeg_.HeaderHeight()));
    Dib out(jpeg_.OutputWidth(), jpeg_.OutputHeight(), gray ? 8 : 24, Dib::Init::Uninitialised);
    jpeg_.DecodeInto(out, {}, 2);
    return out;
  }

private:
  TJPEGImage jpeg_;
};

}  // namespace

int ViewerJpegScale(const JpegDecodeRequest& request, int width, int height) {
  if (request.fitToWindow || request.slideshow) {
    // Twice the window: a fitted picture is never shrunk from less than half its shown size.
    const int limitW = std::clamp(request.windowWidth, 1, 1 << 29) * 2;
    const int limitH = std::clamp(request.windowHeight, 1, 1 << 29) * 2;
    return JpegScaleToFit(width, height, limitW, limitH);
  }
  return request.half ? 1 : 0;
}

std::optional<JpegFrameSize> ReadJpegFrameSize(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  auto byte = [&in]() -> int { return in.get(); };  // EOF is -1
  if (byte() != 0xFF || byte() != 0xD8) return std::nullopt;
  // A bounded walk: each step moves forward by a segment's own length.
  for (int segments = 0; segments < 4096; ++segments) {
    int marker = byte();
    if (marker != 0xFF) return std::nullopt;
    while (marker == 0xFF) marker = byte();  // fill bytes
    if (marker < 0) return std::nullopt;
    if (marker == 0xD8 || marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7)) continue;  // no length
    if (marker == 0xD9 || marker == 0xDA) return std::nullopt;  // image end or scan before any frame
    const int hi = byte(), lo = byte();
    if (lo < 0) return std::nullopt;
    const int length = hi << 8 | lo;
    if (length < 2) return std::nullopt;
    const bool frame = marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
    if (frame) {
      if (length < 7) return std::nullopt;
      byte();  // sample precision
      const int h1 = byte(), h0 = byte(), w1 = byte(), w0 = byte();
      if (w0 < 0) return std::nullopt;
      const JpegFrameSize size{w1 << 8 | w0, h1 << 8 | h0};
      if (size.width == 0 || size.height == 0) return std::nullopt;
      return size;
    }
    in.seekg(length - 2, std::ios::cur);
    if (!in) return std::nullopt;
  }
  return std::nullopt;
}

int JpegReduction(JpegFrameSize frame, int shownW, int shownH) {
  for (int factor : {2, 4, 8}) {
    if ((frame.width + factor - 1) / factor == shownW && (frame.height + factor - 1) / factor == shownH) return factor;
  }
  return 1;
}

std::unique_ptr<TJpegDecoder> NewViewerJpegDecoder() { return std::make_unique<TViewerJpegDecoder>(); }

void EnsureJpegDecoder() {
  static std::once_flag once;
  std::call_once(once, [] {
    if (!MakeJpegDecoder()) OverrideJpegDecoderFactory([] { return NewViewerJpegDecoder(); });
  });
}

}  // namespace pelira
