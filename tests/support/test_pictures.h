#pragma once
// Picture helpers shared by every test program, the Qt ones included: no test framework here.
#include "image/dib.h"

namespace pelira::test {

// Same size, depth, palette and pixels (palette pictures by index, true colour by colour).
bool SamePixels(const Dib& a, const Dib& b);

// A deterministic true-colour picture whose neighbouring pixels all differ: edits show.
Dib PatternPicture(int width, int height, int seed = 0);

}  // namespace pelira::test
