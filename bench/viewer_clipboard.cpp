// The clipboard and printing on a 24-megapixel picture (6000 x 4000, 24 bits): what the
// user waits for when copying (the copy of the picture handed to QClipboard), the viewport
// copy, a paste of our own copy, the PNG another program waits for, and the PDF of a print.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QClipboard>

#include "viewer/clipboard_picture.h"
#include "viewer/forms/qt_clipboard.h"
#include "viewer/picture_pdf.h"

namespace {

using namespace pelira;

const Dib& Picture() {
  static const Dib d = [] {
    Dib p(6000, 4000, 24, Dib::Init::Uninitialised);
    for (int y = 0; y < p.Height(); ++y) {
      std::uint8_t* row = p.ScanLine(y);
      for (int x = 0; x < p.Width() * 3; ++x) row[x] = static_cast<std::uint8_t>((x * 7 + y * 13) ^ (x >> 5));
    }
    return p;
  }();
  return d;
}

void BM_CopyImage(benchmark::State& state) {
  QtClipboard clipboard;
  for (auto _ : state) {
    benchmark::DoNotOptimize(clipboard.Set(std::make_shared<const Dib>(Picture())));
  }
  clipboard.Clear();
}
BENCHMARK(BM_CopyImage)->Unit(benchmark::kMillisecond);

void BM_CopyViewport1080p(benchmark::State& state) {
  for (auto _ : state) {
    const RectI r = ViewportRegion(2000, 1500, 1920, 1080, 100, false, Picture().Width(), Picture().Height());
    benchmark::DoNotOptimize(CopyRegion(Picture(), r));
  }
}
BENCHMARK(BM_CopyViewport1080p)->Unit(benchmark::kMillisecond);

void BM_PasteOwnCopy(benchmark::State& state) {
  QtClipboard clipboard;
  clipboard.Set(std::make_shared<const Dib>(Picture()));
  for (auto _ : state) benchmark::DoNotOptimize(DecodeClipboard(clipboard.Get(), 0));
  clipboard.Clear();
}
BENCHMARK(BM_PasteOwnCopy)->Unit(benchmark::kMillisecond);

void BM_PngForAnotherProgram(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(EncodeClipboardPng(Picture()));
}
BENCHMARK(BM_PngForAnotherProgram)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_PasteAnotherProgramsPng(benchmark::State& state) {
  const QByteArray png = EncodeClipboardPng(Picture());
  ClipboardData d;
  d.format = ClipboardFormat::Png;
  d.bytes.assign(png.begin(), png.end());
  for (auto _ : state) benchmark::DoNotOptimize(DecodeClipboard(d, 0));
}
BENCHMARK(BM_PasteAnotherProgramsPng)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_PrintPdf(benchmark::State& state) {
  PdfPlacement p;
  p.x = 18;
  p.y = 100;
  p.w = 576;
  p.h = 384;
  for (auto _ : state) benchmark::DoNotOptimize(PicturePdf(Picture(), p, "Pelira Picture Graphic"));
}
BENCHMARK(BM_PrintPdf)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
