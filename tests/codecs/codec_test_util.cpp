#include "codecs/codec_test_util.h"

#include <cstdlib>
#include <stdexcept>

#include "support/test_support.h"

namespace pelira::test {

std::filesystem::path CodecFixture(const std::string& name) { return Fixture("codecs/" + name); }

Pnm ReadPnm(const std::filesystem::path& p) {
  const std::vector<std::uint8_t> b = ReadBytes(p);
  std::size_t i = 0;
  auto token = [&]() {
    while (i < b.size() && (b[i] == ' ' || b[i] == '\n' || b[i] == '\r' || b[i] == '\t')) ++i;
    std::string t;
    while (i < b.size() && !(b[i] == ' ' || b[i] == '\n' || b[i] == '\r' || b[i] == '\t'))
      t.push_back(static_cast<char>(b[i++]));
    return t;
  };
  Pnm out;
  const std::string magic = token();
  if (magic != "P5" && magic != "P6") throw std::runtime_error("not a PNM: " + p.string());
  out.channels = magic == "P5" ? 1 : 3;
  out.width = std::atoi(token().c_str());
  out.height = std::atoi(token().c_str());
  token();  // maxval 255
  ++i;      // one white space after the header
  const std::size_t n = static_cast<std::size_t>(out.width) * out.height * out.channels;
  if (i + n > b.size()) throw std::runtime_error("short PNM: " + p.string());
  out.pixels.assign(b.begin() + static_cast<std::ptrdiff_t>(i), b.begin() + static_cast<std::ptrdiff_t>(i + n));
  return out;
}

std::vector<std::uint8_t> RgbOf(const Dib& d) {
  std::vector<std::uint8_t> out;
  out.reserve(static_cast<std::size_t>(d.Width()) * d.Height() * 3);
  for (int y = 0; y < d.Height(); ++y)
    for (int x = 0; x < d.Width(); ++x) {
      const ColorValue c = d.Pixel(x, y);
      out.push_back(static_cast<std::uint8_t>(RedOf(c)));
      out.push_back(static_cast<std::uint8_t>(GreenOf(c)));
      out.push_back(static_cast<std::uint8_t>(BlueOf(c)));
    }
  return out;
}

std::vector<std::uint8_t> RgbOf(const TDibGraphic& g) {
  std::vector<std::uint8_t> out;
  for (int y = 0; y < g.Height(); ++y)
    for (int x = 0; x < g.Width(); ++x) {
      const ColorValue c = g.Pixels(x, y);
      out.push_back(static_cast<std::uint8_t>(RedOf(c)));
      out.push_back(static_cast<std::uint8_t>(GreenOf(c)));
      out.push_back(static_cast<std::uint8_t>(BlueOf(c)));
    }
  return out;
}

Dib DibFromRgb(int width, int height, const std::vector<std::uint8_t>& rgb) {
  Dib d(width, height, 24);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      const std::size_t i = (static_cast<std::size_t>(y) * width + x) * 3;
      d.SetIndex(x, y, MakeColor(rgb[i], rgb[i + 1], rgb[i + 2]));
    }
  return d;
}

Dib DibFromGray(int width, int height, const std::vector<std::uint8_t>& gray) {
  Dib d(width, height, 8, Gray256Palette());
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) d.SetIndex(x, y, gray[static_cast<std::size_t>(y) * width + x]);
  return d;
}

int MaxDifference(const std::vector<std::uint8_t>& a, const std::vector<std::uint8_t>& b) {
  if (a.size() != b.size()) return -1;
  int most = 0;
  for (std::size_t i = 0; i < a.size(); ++i) most = std::max(most, std::abs(a[i] - b[i]));
  return most;
}

}  // namespace pelira::test
