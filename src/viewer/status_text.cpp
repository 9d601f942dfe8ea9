#include "viewer/status_text.h"

#include <filesystem>

#include "common/version.h"

namespace pelira {

std::string ImageDescription(const ViewState& s) {
  const bool reduced = s.ReducedScale > 1 && !s.ResampleOnLoad;
  const std::int32_t w = reduced ? s.SourceWidth : s.ImageWidth;
  const std::int32_t h = reduced ? s.SourceHeight : s.ImageHeight;
  std::string text = std::to_string(w) + "x" + std::to_string(h) + "(" + std::to_string(s.ImageBits) + ")";
  if (reduced) text += " [1:" + std::to_string(s.ReducedScale) + "]";
  return text + " dib";
}

std::string CaptionText(const std::string& currentFile) {
  const std::string name = std::filesystem::path(currentFile).filename().string();
  return (name.empty() ? currentFile : name) + " - " + kProductTitle;
}

std::string PageStatusText(int pageIndex, int pageCount) {
  return "Page " + std::to_string(pageIndex + 1) + " of " + std::to_string(pageCount);
}

std::string ZoomPanelText(bool fitMode, int zoom) {
  return fitMode ? std::string("Fit") : std::to_string(zoom) + "%";
}

}  // namespace pelira
