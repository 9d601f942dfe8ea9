// JPEG, PNG and TIFF speed: the JPEG decode of a 6000 x 4000 photo at full size and at 1/8,
// the Save As encoder on it, the PNG decode of a 4000 x 3000 RGB picture and the TIFF Deflate
// decode of the same picture. Inputs come from PELIRA_BENCH_JPEG, PELIRA_BENCH_PPM (the
// encoder's source), PELIRA_BENCH_PNG and PELIRA_BENCH_TIFF (bench/peers.sh gives the peer
// tools the same files), or are made at start by our own writers.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cctype>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>

#include "image/file_bytes.h"
#include "image/jpeg_image.h"
#include "image/png_graphic.h"
#include "image/tiff_graphic.h"

namespace {

std::filesystem::path TempFolder() {
  static const std::filesystem::path d = [] {
    std::string t = (std::filesystem::temp_directory_path() / "pelira-bench-XXXXXX").string();
    if (!mkdtemp(t.data())) std::abort();
    return std::filesystem::path(t);
  }();
  return d;
}

// A smooth picture with some texture, so the encoders see photo-like data.
pelira::Dib Synthetic(int w, int h) {
  pelira::Dib d(w, h, 24);
  for (int y = 0; y < h; ++y) {
    std::uint8_t* row = d.ScanLine(y);
    for (int x = 0; x < w; ++x) {
      row[3 * x] = static_cast<std::uint8_t>(128 + 100 * std::sin(x / 50.0 + y / 90.0) + ((x * y) & 7));
      row[3 * x + 1] = static_cast<std::uint8_t>(128 + 100 * std::cos(x / 70.0 - y / 40.0) + ((x ^ y) & 7));
      row[3 * x + 2] = static_cast<std::uint8_t>((x + y) * 255 / (w + h));
    }
  }
  return d;
}

std::string Input(const char* env, const char* name, const std::function<pelira::Bytes()>& make) {
  if (const char* p = std::getenv(env)) return p;
  const std::filesystem::path path = TempFolder() / name;
  if (!std::filesystem::exists(path)) pelira::WriteFileAtomic(path, make());
  return path.string();
}

const std::string& Jpeg() {
  static const std::string p = Input("PELIRA_BENCH_JPEG", "photo.jpg", [] {
    pelira::TJPEGImage j;
    j.Assign(Synthetic(6000, 4000));
    j.Quality = 90;
    pelira::Bytes out;
    j.SaveToStream(out);
    return out;
  });
  return p;
}

const std::string& Png() {
  static const std::string p = Input("PELIRA_BENCH_PNG", "rgb.png", [] {
    pelira::TPngGraphic g;
    const pelira::Dib d = Synthetic(4000, 3000);
    pelira::WorkingBitmapToCodec(d, g);
    g.Interlace = false;
    return g.SaveToBytes();
  });
  return p;
}

const std::string& Tiff() {
  static const std::string p = Input("PELIRA_BENCH_TIFF", "rgb_zip.tif", [] {
    pelira::TTiffGraphic g;
    const pelira::Dib d = Synthetic(4000, 3000);
    pelira::WorkingBitmapToCodec(d, g);
    g.SetCompression(pelira::tcZLibAdobe);
    return g.SaveToBytes();
  });
  return p;
}

void BM_Jpeg_Decode(benchmark::State& state) {
  const std::string& path = Jpeg();
  for (auto _ : state) {
    pelira::TJPEGImage j;
    j.LoadFromFile(path);
    j.SetScale(static_cast<int>(state.range(0)));
    const pelira::Dib d = j.Decode();
    benchmark::DoNotOptimize(d.Bits());
  }
}
BENCHMARK(BM_Jpeg_Decode)->Arg(0)->Arg(3)->Unit(benchmark::kMillisecond)->UseRealTime();

// A binary PPM (P6, maxval 255) as a 24-bit bitmap.
pelira::Dib ReadPpm(const std::string& path) {
  const pelira::Bytes b = pelira::ReadFileBytes(path);
  std::size_t i = 0;
  auto token = [&] {
    while (i < b.size() && std::isspace(b[i])) ++i;
    std::string t;
    while (i < b.size() && !std::isspace(b[i])) t.push_back(static_cast<char>(b[i++]));
    return t;
  };
  if (token() != "P6") std::abort();
  const int w = std::stoi(token()), h = std::stoi(token());
  token();
  ++i;
  if (b.size() < i + static_cast<std::size_t>(w) * h * 3) std::abort();
  pelira::Dib d(w, h, 24);
  for (int y = 0; y < h; ++y) {
    std::uint8_t* row = d.ScanLine(y);
    const std::uint8_t* src = b.data() + i + static_cast<std::size_t>(y) * w * 3;
    for (int x = 0; x < w; ++x) row[3 * x] = src[3 * x + 2], row[3 * x + 1] = src[3 * x + 1], row[3 * x + 2] = src[3 * x];
  }
  return d;
}

// The Save As encoder: scale 50, optimised tables, float DCT, 1x1 sampling, progressive.
void BM_Jpeg_SaveAs(benchmark::State& state) {
  const char* ppm = std::getenv("PELIRA_BENCH_PPM");
  const pelira::Dib source = ppm ? ReadPpm(ppm) : Synthetic(6000, 4000);
  for (auto _ : state) {
    pelira::TJPEGImage j;
    j.Assign(source);
    j.ProgressiveEncoding = true;
    j.Compress(false, true, 0, 50, true);
    pelira::Bytes out;
    j.SaveToStream(out);
    benchmark::DoNotOptimize(out.data());
  }
}
BENCHMARK(BM_Jpeg_SaveAs)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_Png_Decode(benchmark::State& state) {
  const std::string& path = Png();
  for (auto _ : state) {
    pelira::TPngGraphic g;
    g.LoadFromFile(path);
    benchmark::DoNotOptimize(g.Bits());
  }
}
BENCHMARK(BM_Png_Decode)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_Tiff_Deflate_Decode(benchmark::State& state) {
  const std::string& path = Tiff();
  for (auto _ : state) {
    pelira::TTiffGraphic g;
    g.LoadFromFile(path);
    benchmark::DoNotOptimize(g.Bits());
  }
}
BENCHMARK(BM_Tiff_Deflate_Decode)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
