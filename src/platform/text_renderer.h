#pragma once
// Drawing one line of text as coverage, for marks drawn into pictures. Core asks through this
// interface; the Qt implementation (platform/qt/qt_text_renderer.h) draws with QPainter.
#include <cstdint>
#include <string>
#include <vector>

namespace pelira {

struct TextFont {
  std::string family = "DejaVu Sans";
  int pixelSize = 13;
  bool bold = false;
  bool italic = false;
};

// The drawn text: one byte per pixel, 0 (none) .. 255 (ink), rows top first; the height is
// the font's line height.
struct CoverageMask {
  int width = 0, height = 0;
  std::vector<std::uint8_t> alpha;
  std::uint8_t At(int x, int y) const { return alpha[static_cast<std::size_t>(y) * width + x]; }
};

// Draws one line of text, upright, without antialiasing (marks keep exact colours).
class TextRenderer {
public:
  virtual ~TextRenderer() = default;
  virtual CoverageMask Render(const std::string& utf8, const TextFont& font) const = 0;
};

// The renderer the program installed at start-up (the window and the command line install
// the Qt one); nullptr when none was.
const TextRenderer* InstalledTextRenderer();
void InstallTextRenderer(const TextRenderer* renderer);

}  // namespace pelira
