// WMF and EMF on arbitrary bytes: parse, then play every record onto a canvas that checks what it is given.
#include <cstddef>
#include <cstdint>
#include <exception>

#include <cmath>

#include "image/metafile.h"
#include "fuzz_support.h"

namespace {

struct CheckingCanvas : pelira::TMetafileCanvas {
  void SetPen(const pelira::TMfPen&) override {}
  void SetBrush(const pelira::TMfBrush&) override {}
  void SetFont(const pelira::TMfFont& f) override {
    if (!(f.height > 0 && f.height <= 4096)) __builtin_trap();
  }
  void SetTextColor(pelira::ColorValue) override {}
  void SetBackground(pelira::ColorValue, bool) override {}
  void SetWindingFill(bool) override {}
  void DrawPath(const pelira::TMfPath& p, bool, bool) override {
    for (const auto& c : p.closeAfter)
      if (c >= p.elements.size()) __builtin_trap();
    for (const auto& e : p.elements)
      if (!(std::abs(e.p.x) <= 1e6 && std::abs(e.p.y) <= 1e6)) __builtin_trap();
  }
  void DrawText(pelira::TMfPoint, const std::string&, int) override {}
  void DrawBitmap(pelira::TMfPoint, pelira::TMfPoint, pelira::TMfPoint, const pelira::Dib& d) override {
    if (d.Empty()) __builtin_trap();
  }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const pelira::ByteSpan bytes = pelira::fuzz::Start(data, size);
  try {
    const pelira::TMetafile m = pelira::TMetafile::Parse(bytes);
    if (m.Width() < 1 || m.Height() < 1 || m.Width() > pelira::TMetafile::kMaxSide ||
        m.Height() > pelira::TMetafile::kMaxSide)
      __builtin_trap();
    CheckingCanvas canvas;
    m.Play(canvas);
  } catch (const std::exception&) {
  }
  return 0;
}
