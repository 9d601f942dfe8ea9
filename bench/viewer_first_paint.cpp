// The viewer's open-to-first-paint: a 6000 x 4000 JPEG opened in fit mode in a real viewer
// window (offscreen): probe, decode at the scale the viewer picks, fit, first paint. The
// baseline is libjpeg alone reading the same file and decoding it at that scale with the same
// decoder settings; the viewer's overhead is the difference.
//
// Then scrolling a zoomed picture: each step paints the strip that came into view, so its
// cost must stay flat as the zoom grows (a whole-picture resample would grow with the zoom
// squared). The full repaint of the viewport is shown beside it for scale.
//
// The JPEG is made at start in a temporary folder, or taken from PELIRA_BENCH_JPEG.
#include <benchmark/benchmark.h>
#include <jpeglib.h>
#include <unistd.h>

#include <QApplication>
#include <QPaintEvent>
#include <QScrollArea>
#include <QScrollBar>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "display/forms/pix.h"
#include "image/file_bytes.h"
#include "image/jpeg_image.h"
#include "viewer/forms/web_form.h"

namespace {

constexpr int kWidth = 6000, kHeight = 4000;
constexpr QSize kWindow(760, 540);  // inside the offscreen screen of 800 x 600

std::filesystem::path TempFolder() {
  static const std::filesystem::path d = [] {
    std::string t = (std::filesystem::temp_directory_path() / "pelira-bench-XXXXXX").string();
    if (!mkdtemp(t.data())) std::abort();
    return std::filesystem::path(t);
  }();
  return d;
}

// A photo-like picture: smooth gradients under fine deterministic grain, so the entropy
// decoder has real work on every block.
pelira::Dib PhotoLike(int w, int h) {
  pelira::Dib d(w, h, 24, pelira::Dib::Init::Uninitialised);
  std::uint32_t seed = 12345;
  for (int y = 0; y < h; ++y) {
    std::uint8_t* row = d.ScanLine(y);
    for (int x = 0; x < w; ++x) {
      seed = seed * 1664525u + 1013904223u;
      const int grain = static_cast<int>(seed >> 28) - 8;
      row[3 * x + 0] = static_cast<std::uint8_t>(std::clamp(80 + x * 120 / w + grain, 0, 255));
      row[3 * x + 1] = static_cast<std::uint8_t>(std::clamp(60 + y * 150 / h + grain, 0, 255));
      row[3 * x + 2] = static_cast<std::uint8_t>(std::clamp(200 - (x + y) * 150 / (w + h) + grain, 0, 255));
    }
  }
  return d;
}

const std::string& Photo() {
  static const std::string path = [] {
    if (const char* p = std::getenv("PELIRA_BENCH_JPEG")) return std::string(p);
    const std::filesystem::path file = TempFolder() / "photo6000.jpg";
    pelira::TJPEGImage jpeg;
    jpeg.Quality = 85;
    jpeg.Assign(PhotoLike(kWidth, kHeight));
    jpeg.SaveToFile(file);
    return file.string();
  }();
  return path;
}

const std::string& Zoomable() {
  static const std::string path = [] {
    const std::filesystem::path file = TempFolder() / "photo2000.jpg";
    pelira::TJPEGImage jpeg;
    jpeg.Assign(PhotoLike(2000, 1500));
    jpeg.SaveToFile(file);
    return file.string();
  }();
  return path;
}

// Counts the picture control's painted pixels, to show what each step repaints.
class PaintCounter : public QObject {
public:
  bool eventFilter(QObject*, QEvent* e) override {
    if (e->type() == QEvent::Paint) {
      for (const QRect& r : static_cast<QPaintEvent*>(e)->region()) pixels += static_cast<double>(r.width()) * r.height();
    }
    return false;
  }
  double pixels = 0;
};

PaintCounter& Painted() {
  static PaintCounter counter;
  return counter;
}

// One viewer window for the whole run, in fit mode at a fixed size.
pelira::TWebForm& Viewer() {
  static pelira::TWebForm* form = [] {
    auto* f = new pelira::TWebForm;
    f->resize(kWindow);
    f->show();
    f->Sky95()->installEventFilter(&Painted());
    for (int i = 0; i < 20; ++i) QCoreApplication::processEvents();
    return f;
  }();
  return *form;
}

void SetFit(bool on) {
  pelira::TWebForm& f = Viewer();
  if (f.State().FitMode != on) f.mnuFitClick();
}

// The reduction the viewer chose for the big picture (1, 2, 4 or 8).
int ViewerFactor() {
  static const int factor = [] {
    SetFit(true);
    Viewer().OpenChosen(QString::fromStdString(Photo()));
    const int w = Viewer().Sky95()->Bitmap().Width();
    return w > 0 ? (kWidth + w - 1) / w : 1;
  }();
  return factor;
}

void OpenToFirstPaint(benchmark::State& state) {
  const QString path = QString::fromStdString(Photo());
  const int factor = ViewerFactor();
  pelira::TWebForm& f = Viewer();
  SetFit(true);
  Painted().pixels = 0;
  for (auto _ : state) {
    f.OpenChosen(path);
    f.repaint();  // the first paint of the window with the new picture
  }
  state.counters["painted_px"] = benchmark::Counter(Painted().pixels, benchmark::Counter::kAvgIterations);
  state.counters["factor"] = factor;
  state.counters["shown_w"] = f.Sky95()->width();
  state.counters["shown_h"] = f.Sky95()->height();
}

// libjpeg alone: the file's bytes, the same scale and decoder settings, rows into a buffer.
void BareLibjpegDecode(benchmark::State& state) {
  const int factor = ViewerFactor();
  std::vector<std::uint8_t> rows;
  for (auto _ : state) {
    const pelira::Bytes bytes = pelira::ReadFileBytes(Photo());
    jpeg_decompress_struct c{};
    jpeg_error_mgr err{};
    c.err = jpeg_std_error(&err);
    jpeg_create_decompress(&c);
    jpeg_mem_src(&c, bytes.data(), static_cast<unsigned long>(bytes.size()));
    jpeg_read_header(&c, TRUE);
    c.scale_num = 1;
    c.scale_denom = static_cast<unsigned>(factor);
    c.dct_method = JDCT_IFAST;
    c.do_block_smoothing = FALSE;
    c.out_color_space = JCS_EXT_BGR;
    jpeg_start_decompress(&c);
    const std::size_t stride = (static_cast<std::size_t>(c.output_width) * 3 + 3) & ~std::size_t{3};
    rows.resize(stride * c.output_height);
    while (c.output_scanline < c.output_height) {
      JSAMPROW row = rows.data() + stride * c.output_scanline;
      jpeg_read_scanlines(&c, &row, 1);
    }
    jpeg_finish_decompress(&c);
    jpeg_destroy_decompress(&c);
    benchmark::DoNotOptimize(rows.data());
  }
  state.counters["factor"] = factor;
}

void OpenZoomed(int zoom) {
  pelira::TWebForm& f = Viewer();
  SetFit(false);
  if (f.State().CurrentFile != Zoomable()) f.OpenChosen(QString::fromStdString(Zoomable()));
  f.State().Zoom = zoom;
  f.ApplyZoom();
  for (int i = 0; i < 5; ++i) QCoreApplication::processEvents();
}

// One hand-tool step of 16 pixels, then the paint it causes.
void ScrollStep(benchmark::State& state) {
  OpenZoomed(static_cast<int>(state.range(0)));
  QScrollBar* h = Viewer().ScrollBox()->horizontalScrollBar();
  int x = 0;
  Painted().pixels = 0;
  for (auto _ : state) {
    x = x + 16 > h->maximum() ? 0 : x + 16;
    h->setValue(x);
    QCoreApplication::processEvents();
  }
  state.counters["painted_px"] = benchmark::Counter(Painted().pixels, benchmark::Counter::kAvgIterations);
}

void FullViewportRepaint(benchmark::State& state) {
  OpenZoomed(static_cast<int>(state.range(0)));
  Painted().pixels = 0;
  for (auto _ : state) {
    Viewer().Sky95()->update();
    QCoreApplication::processEvents();
  }
  state.counters["painted_px"] = benchmark::Counter(Painted().pixels, benchmark::Counter::kAvgIterations);
}

}  // namespace

BENCHMARK(BareLibjpegDecode)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(OpenToFirstPaint)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(ScrollStep)->Arg(100)->Arg(400)->Arg(800)->Unit(benchmark::kMicrosecond);
BENCHMARK(FullViewportRepaint)->Arg(100)->Arg(400)->Arg(800)->Unit(benchmark::kMicrosecond);

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
