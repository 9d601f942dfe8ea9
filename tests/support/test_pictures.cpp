#include "support/test_pictures.h"

namespace pelira::test {

bool SamePixels(const Dib& a, const Dib& b) {
  if (a.Width() != b.Width() || a.Height() != b.Height() || a.BitCount() != b.BitCount()) return false;
  if (a.HasPalette() && a.Colors() != b.Colors()) return false;
  for (int y = 0; y < a.Height(); ++y)
    for (int x = 0; x < a.Width(); ++x)
      if (a.HasPalette() ? a.Index(x, y) != b.Index(x, y) : a.Pixel(x, y) != b.Pixel(x, y)) return false;
  return true;
}

Dib PatternPicture(int width, int height, int seed) {
  Dib d(width, height, 24);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      d.SetPixel(x, y, MakeColor((x * 37 + seed) % 256, (y * 53 + x * 7 + seed * 3) % 256, (x * y * 5 + seed) % 256));
  return d;
}

}  // namespace pelira::test
