#include "viewer/print_layout.h"

#include <algorithm>
#include <cstdio>

#include "display/fit_size.h"

namespace pelira {

SizeI AspectFit(std::int64_t w, std::int64_t h, std::int64_t boxW, std::int64_t boxH) {
  if (w <= 0 || h <= 0 || boxW <= 0 || boxH <= 0) return {};
  // The width limits when w / h >= boxW / boxH (compared without division); the limiting
  // side then is exactly the box, so rounding never leaves it a pixel short.
  const auto clamp32 = [](std::int64_t v) { return static_cast<std::int32_t>(std::clamp<std::int64_t>(v, 0, INT32_MAX)); };
  if (static_cast<__int128>(w) * boxH >= static_cast<__int128>(h) * boxW)
    return {clamp32(boxW), clamp32(static_cast<std::int64_t>(static_cast<__int128>(h) * boxW / w))};
  return {clamp32(static_cast<std::int64_t>(static_cast<__int128>(w) * boxH / h)), clamp32(boxH)};
}

std::int32_t ScaledByPercent(std::int32_t length, int percent) {
  percent = std::clamp(percent, 1, 100);
  return static_cast<std::int32_t>(static_cast<std::int64_t>(std::max(length, 0)) * percent / 100);
}

namespace {

// A bar over 0..range: its large step is range div 8, at least 1.
std::int32_t LargeStep(std::int32_t range) { return std::max(range / 8, 1); }

}  // namespace

PrintPlacement PlaceOnPage(std::int32_t w, std::int32_t h, const PrinterPage& page, int percent) {
  PrintPlacement p;
  // Doubling the picture before fitting (as a small picture is enlarged to the page) gives
  // the same proportions; the fit below is exact, so it is not needed.
  const SizeI fitted = AspectFit(w, h, page.pageW, page.pageH);
  p.W = ScaledByPercent(fitted.width, percent);
  p.H = ScaledByPercent(fitted.height, percent);
  p.rangeX = std::max(page.pageW - p.W, 0);
  p.rangeY = std::max(page.pageH - p.H, 0);
  p.stepX = LargeStep(p.rangeX);
  p.stepY = LargeStep(p.rangeY);
  p.X = p.rangeX / 2;
  p.Y = p.rangeY / 2;
  return p;
}

RectI SheetInPanel(std::int32_t panelW, std::int32_t panelH, const PrinterPage& page) {
  if (panelW <= 0 || panelH <= 0 || page.pageW <= 0 || page.pageH <= 0) return {};
  const SizeI s = FitSize(page.pageW, page.pageH, panelW, panelH);
  return {s.width < panelW ? (panelW - s.width) / 2 : 0, s.height < panelH ? (panelH - s.height) / 2 : 0, s.width,
          s.height};
}

SizeI PreviewPicture(std::int32_t w, std::int32_t h, std::int32_t sheetW, std::int32_t sheetH, int percent) {
  const SizeI fitted = AspectFit(w, h, sheetW, sheetH);
  return {ScaledByPercent(fitted.width, percent), ScaledByPercent(fitted.height, percent)};
}

std::int32_t PreviewOffset(std::int32_t pos, std::int32_t range, std::int32_t free) {
  // A page the picture fills leaves the bar no range: the picture stays at the edge.
  if (free <= 0 || range <= 0) return 0;
  pos = std::clamp(pos, 0, range);
  return static_cast<std::int32_t>(static_cast<std::int64_t>(pos) * free / range);
}

std::string UnitText(std::int64_t v, std::int32_t dpi, PrintUnit unit) {
  if (unit == PrintUnit::Pixels) return std::to_string(v);
  const double f = unit == PrintUnit::Inches ? 1.0 : 2.54;
  const double value = dpi > 0 ? static_cast<double>(v) / dpi * f : 0.0;
  char text[48];
  std::snprintf(text, sizeof text, "%3.1f", value);
  return text;
}

PrintLabels MakePrintLabels(const PrintPlacement& p, const PrinterPage& page, PrintUnit unit) {
  PrintLabels l;
  l.width = "Width : " + UnitText(p.W, page.dpiX, unit);
  l.height = "Height: " + UnitText(p.H, page.dpiY, unit);
  l.x = "&X pos : " + UnitText(p.X, page.dpiX, unit);
  l.y = "&Y pos : " + UnitText(p.Y, page.dpiY, unit);
  l.page = std::string(page.landscape ? "Landscape" : "Portrait ") + ": " + UnitText(page.pageW, page.dpiX, unit) +
           " x " + UnitText(page.pageH, page.dpiY, unit);
  l.settings = l.page + "  (" + std::to_string(page.dpiX) + " x " + std::to_string(page.dpiY) + " dpi)";
  return l;
}

std::string SizeLabel(int percent) { return "  Si&ze : " + std::to_string(percent) + "%"; }

std::string PrintSetupCaption(const std::string& fileName) { return "Print Setup: " + fileName; }

}  // namespace pelira
