#pragma once
// A GeometryHost for the core tests: each dialog answers what the test set (unset: Cancel),
// the clipboard keeps what it was given, and the display steps are counted.
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "edit/geometry_commands.h"

namespace pelira::test {

class FakeGeometryHost : public GeometryHost {
public:
  std::function<std::optional<Block>(const Block& start)> selection;
  std::optional<GridAnswer> grid;
  std::optional<SizeAnswer> size;
  std::optional<BorderAnswer> border;
  std::optional<std::string> text;
  int slider = kDialogCancelled;
  std::optional<ColorValue> color;
  bool clipboardWorks = true;
  bool shift = false;
  std::pair<int, int> client{0, 0};

  std::vector<std::string> asked;  // the titles of the dialogs shown, in order
  std::optional<Dib> clipboard;
  int selectionsShown = 0;

  std::optional<Block> AskSelection(const Block& start, int, int) override {
    asked.push_back("Adjust Selection");
    return selection ? selection(start) : std::nullopt;
  }
  std::optional<GridAnswer> AskGrid(int, int, int, int) override {
    asked.push_back("Grid");
    return grid;
  }
  std::optional<SizeAnswer> AskSize(const std::string& title, int, int, int) override {
    asked.push_back(title);
    return size;
  }
  std::optional<BorderAnswer> AskBorder(int, int, std::uint32_t) override {
    asked.push_back("Set Border");
    return border;
  }
  std::optional<std::string> AskText(const std::string& title, const std::string&, const std::string&) override {
    asked.push_back(title);
    return text;
  }
  int AskSlider(const std::string& title, const SliderRequest&) override {
    asked.push_back(title);
    return slider;
  }
  bool ChooseFont(TextMarkStyle&) override { return false; }
  std::optional<ColorValue> ChooseColor(ColorValue) override { return color; }
  bool CopyToClipboard(const Dib& picture) override {
    if (!clipboardWorks) return false;
    clipboard = picture;
    return true;
  }
  void ShowSelection() override { ++selectionsShown; }
  bool ShiftHeld() override { return shift; }
  std::pair<int, int> ClientSize() override { return client; }
};

// Each character a solid box of 6 x 10 pixels with a one-pixel gap: enough to place and
// outline a mark without fonts.
class BoxGlyphs : public TextRenderer {
public:
  CoverageMask Render(const std::string& utf8, const TextFont&) const override {
    CoverageMask m;
    m.width = static_cast<int>(utf8.size()) * 7;
    m.height = 12;
    m.alpha.assign(static_cast<std::size_t>(m.width) * m.height, 0);
    for (int i = 0; i < static_cast<int>(utf8.size()); ++i)
      for (int y = 1; y < 11; ++y)
        for (int x = 0; x < 6; ++x) m.alpha[static_cast<std::size_t>(y) * m.width + i * 7 + x] = 255;
    return m;
  }
};

}  // namespace pelira::test
