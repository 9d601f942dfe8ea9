#pragma once
// The tool-bar pictures, drawn once at start in two states (normal grey and highlighted).
#include <QIcon>

namespace pelira {

enum class ToolGlyph {
  Back, Next, Screen, Adjust, Fit, ZoomOut, ZoomIn, Info, Scroll, Select, Page,
  Explore, Save, Slideshow, CopyMove, Delete, Unmark, Bookmarks,
};

QIcon ToolIcon(ToolGlyph glyph);

}  // namespace pelira
