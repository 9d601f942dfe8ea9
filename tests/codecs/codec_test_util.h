#pragma once
// Helpers of the codec tests: PNM fixtures, raw RGB(A) dumps and bitmaps as top-down RGB.
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "image/dib.h"
#include "image/dib_graphic.h"

namespace pelira::test {

struct Pnm {
  int width = 0, height = 0, channels = 0;  // 1 for P5, 3 for P6
  std::vector<std::uint8_t> pixels;         // top-down, tightly packed
};
Pnm ReadPnm(const std::filesystem::path& p);

// A codec fixture: tests/fixtures/codecs/<name>.
std::filesystem::path CodecFixture(const std::string& name);

// Top-down R, G, B bytes of every pixel (palette pixels through their palette).
std::vector<std::uint8_t> RgbOf(const Dib& d);
std::vector<std::uint8_t> RgbOf(const TDibGraphic& g);
// A 24-bit bitmap from top-down R, G, B bytes.
Dib DibFromRgb(int width, int height, const std::vector<std::uint8_t>& rgb);
// An 8-bit bitmap with the 256-level gray palette from top-down gray bytes.
Dib DibFromGray(int width, int height, const std::vector<std::uint8_t>& gray);

// Largest absolute difference of two equally long byte strings (-1 when lengths differ).
int MaxDifference(const std::vector<std::uint8_t>& a, const std::vector<std::uint8_t>& b);

}  // namespace pelira::test
