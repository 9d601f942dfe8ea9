#include "viewer/viewer_jpeg_decoder.h"

#include <algorithm>
#include <mutex>

#include "image/jpeg_image.h"

namespace pelira {

namespace {

thread_local ViewerJpegDecode t_lastDecode;

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
    t_lastDecode = {jpeg_.HeaderWidth(), jpeg_.HeaderHeight(), 1 << jpeg_.Scale()};
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

ViewerJpegDecode LastViewerJpegDecode() { return t_lastDecode; }
void ForgetViewerJpegDecode() { t_lastDecode = {}; }

std::unique_ptr<TJpegDecoder> NewViewerJpegDecoder() { return std::make_unique<TViewerJpegDecoder>(); }

void EnsureJpegDecoder() {
  static std::once_flag once;
  std::call_once(once, [] {
    if (!MakeJpegDecoder()) OverrideJpegDecoderFactory([] { return NewViewerJpegDecoder(); });
  });
}

}  // namespace pelira
