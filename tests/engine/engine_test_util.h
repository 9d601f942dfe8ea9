#pragma once
// Pictures and oracle files for the engine tests.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "image/dib.h"

namespace pelira::test {

// A 24-bit picture whose pixel (x, y) is fn(x, y) as 0x00RRGGBB.
Dib MakePicture(int w, int h, const std::function<std::uint32_t(int, int)>& fn);
// Deterministic noise, every channel over 0..255.
Dib NoisePicture(int w, int h, std::uint32_t seed);
// The committed 41x29 statistics picture (24-bit).
Dib StatsPicture();
// Rows' pixel bytes only (padding ignored), top row first.
std::vector<std::uint8_t> PixelBytes(const Dib& d);
// Equal size, depth, palette and pixel bytes.
bool SamePicture(const Dib& a, const Dib& b);
std::vector<std::string> FixtureLines(const std::string& name);

}  // namespace pelira::test
