#pragma once
// The text mark's renderer: one line drawn with QPainter on a grey QImage, without
// antialiasing, so the mark's colours stay exact. QtGui only, so the command line draws it
// too (on the offscreen platform); a QGuiApplication must exist when Render runs.
#include <functional>
#include <string>

#include "platform/text_renderer.h"

namespace pelira {

class QtTextRenderer : public TextRenderer {
public:
  // before: called before each drawing (the command line starts Qt there, on first use).
  explicit QtTextRenderer(std::function<void()> before = {}) : before_(std::move(before)) {}
  CoverageMask Render(const std::string& utf8, const TextFont& style) const override;

private:
  std::function<void()> before_;
};

// Today's date in the system's short form ("@@D").
std::string QtShortDate();

}  // namespace pelira
