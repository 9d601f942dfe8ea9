#include "engine_test_util.h"

#include <fstream>
#include <random>

#include "image/bmp_graphic.h"
#include "support/test_support.h"

namespace pelira::test {

Dib MakePicture(int w, int h, const std::function<std::uint32_t(int, int)>& fn) {
  Dib d(w, h, 24);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) d.SetPixel(x, y, fn(x, y));
  return d;
}

Dib NoisePicture(int w, int h, std::uint32_t seed) {
  std::mt19937 rng(seed);
  Dib d(w, h, 24);
  for (int y = 0; y < h; ++y) {
    std::uint8_t* p = d.ScanLine(y);
    for (int i = 0; i < 3 * w; ++i) p[i] = static_cast<std::uint8_t>(rng() & 255);
  }
  return d;
}

Dib StatsPicture() {
  TBmpGraphic g;
  const auto bytes = ReadBytes(Fixture("engine/stats_src.bmp"));
  g.LoadFromBytes(bytes);
  return CodecToWorkingBitmap(g);
}

std::vector<std::uint8_t> PixelBytes(const Dib& d) {
  std::vector<std::uint8_t> out;
  const std::size_t rowBytes = (static_cast<std::size_t>(d.Width()) * d.BitCount() + 7) / 8;
  for (int y = 0; y < d.Height(); ++y) out.insert(out.end(), d.ScanLine(y), d.ScanLine(y) + rowBytes);
  return out;
}

bool SamePicture(const Dib& a, const Dib& b) {
  if (a.Width() != b.Width() || a.Height() != b.Height() || a.BitCount() != b.BitCount()) return false;
  if (a.Colors() != b.Colors()) return false;
  for (int y = 0; y < a.Height(); ++y)
    for (int x = 0; x < a.Width(); ++x)
      if (a.Index(x, y) != b.Index(x, y)) return false;
  return true;
}

std::vector<std::string> FixtureLines(const std::string& name) {
  std::ifstream in(Fixture(name));
  std::vector<std::string> lines;
  for (std::string l; std::getline(in, l);)
    if (!l.empty()) lines.push_back(l);
  return lines;
}

}  // namespace pelira::test
