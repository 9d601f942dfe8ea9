#include "viewer/window_sizing.h"

#include <algorithm>

namespace pelira {

namespace {

std::int32_t Clamp32(std::int64_t v) {
  return static_cast<std::int32_t>(std::clamp<std::int64_t>(v, INT32_MIN, INT32_MAX));
}

// Moves an origin left or up so that [origin, origin + extent) ends inside [0, screen).
std::int64_t PullInside(std::int64_t origin, std::int64_t extent, std::int64_t screen) {
  if (origin + extent > screen) origin = screen - extent;
  return origin;
}

}  // namespace

RectI SetWindowSize(PointI current, SizeI size, SizeI screen, bool autoSize, bool autoCenter) {
  std::int64_t left = current.x, top = current.y;
  if (autoSize) {
    left = PullInside(left, size.width, screen.width);
    top = PullInside(top, size.height, screen.height);
  }
  if (autoCenter) {
    left = (static_cast<std::int64_t>(screen.width) - size.width) / 2;
    top = (static_cast<std::int64_t>(screen.height) - size.height) / 2;
  }
  return {Clamp32(std::max<std::int64_t>(left, 0)), Clamp32(std::max<std::int64_t>(top, 0)), size.width,
          size.height};
}

std::int32_t GetWinMin(bool toolBarShown, bool merged, const std::vector<std::int32_t>& buttonWidths) {
  if (!toolBarShown || merged) return kMenuBarMinWidth;
  std::int64_t w = 16;
  for (std::size_t i = 1; i < buttonWidths.size(); ++i) w += std::max(buttonWidths[i], 0);
  return Clamp32(w);
}

SizeI WindowSizeForPicture(SizeI picture, const WindowMetrics& m, const MinWidthRules& rules) {
  std::int64_t w = static_cast<std::int64_t>(m.frameWidth) + picture.width;
  std::int64_t h = static_cast<std::int64_t>(m.chromeHeight) + picture.height + m.barsHeight;
  w = std::min<std::int64_t>(w, m.screen.width);
  h = std::min<std::int64_t>(h, m.screen.height);
  if (!rules.fitMode && rules.fitToEnabled) w = std::max<std::int64_t>(w, rules.winMin);
  if (rules.menuBarVisible) w = std::max<std::int64_t>(w, kMenuBarMinWidth);
  return {Clamp32(w), Clamp32(h)};
}

RectI SizeWindowToImage(SizeI image, PointI current, const WindowMetrics& m, const MinWidthRules& rules,
                        bool autoSize, bool autoCenter) {
  return SetWindowSize(current, WindowSizeForPicture(image, m, rules), m.screen, autoSize, autoCenter);
}

RectI AdjustWindow(SizeI control, PointI current, const WindowMetrics& m, const MinWidthRules& rules,
                   bool shiftHeld) {
  const SizeI size = WindowSizeForPicture(control, m, rules);
  if (rules.fitMode) return {current.x, current.y, size.width, size.height};
  return SetWindowSize(current, size, m.screen, true, !shiftHeld);
}

bool FitWinTo(SizeI image, int n, PointI current, const WindowMetrics& m, RectI& out) {
  if (n < 1) return false;
  std::int64_t w = image.width / n + static_cast<std::int64_t>(m.frameWidth);
  std::int64_t h = static_cast<std::int64_t>(m.chromeHeight) + image.height / n + m.barsHeight;
  w = std::min<std::int64_t>(w, m.screen.width);
  h = std::min<std::int64_t>(h, m.screen.height);
  if (w < kSmallestWindow || h < kSmallestWindow) return false;
  out = {current.x, current.y, Clamp32(w), Clamp32(h)};
  return true;
}

TileRects TileWindowRects(RectI area, SizeI screen, bool overlapped, bool explorerLeft, bool keepWidth,
                          std::int32_t explorerWidth) {
  TileRects t;
  if (keepWidth) {
    const std::int32_t w = std::clamp<std::int32_t>(explorerWidth, 1, std::max(screen.width, 1));
    t.explorer = {explorerLeft ? 0 : screen.width - w, 0, w, screen.height};
    t.viewer = overlapped ? t.explorer
                          : RectI{explorerLeft ? w : 0, 0, std::max(screen.width - w, 1), screen.height};
    return t;
  }
  const std::int32_t half = std::max(area.width / 2, 1);
  t.explorer = {explorerLeft ? area.left : area.left + area.width - half, area.top, half, area.height};
  t.viewer = overlapped ? t.explorer : RectI{explorerLeft ? area.left + half : area.left, area.top, half, area.height};
  return t;
}

SizeI CustomViewportLimit(const WindowMetrics& m) {
  const std::int64_t w = static_cast<std::int64_t>(m.screen.width) - m.frameWidth;
  const std::int64_t h = static_cast<std::int64_t>(m.screen.height) - m.chromeHeight - m.barsHeight;
  return {Clamp32(std::max<std::int64_t>(w, 1)), Clamp32(std::max<std::int64_t>(h, 1))};
}

RectI CustomViewportWindow(SizeI client, PointI current, const WindowMetrics& m) {
  const std::int64_t w = static_cast<std::int64_t>(client.width) + m.frameWidth;
  const std::int64_t h = static_cast<std::int64_t>(client.height) + m.chromeHeight + m.barsHeight;
  const SizeI size{Clamp32(std::min<std::int64_t>(w, m.screen.width)), Clamp32(std::min<std::int64_t>(h, m.screen.height))};
  return SetWindowSize(current, size, m.screen, true, false);
}

namespace {

// A stored rectangle is outside data: 64-bit so that extreme corners cannot overflow.
struct StoredBox {
  std::int64_t x, y, w, h;
};

StoredBox ClampStored(std::int32_t left, std::int32_t top, std::int32_t right, std::int32_t bottom, SizeI screen) {
  return {std::max<std::int64_t>(left, 0), std::max<std::int64_t>(top, 0),
          std::min<std::int64_t>(static_cast<std::int64_t>(right) - left, screen.width),
          std::min<std::int64_t>(static_cast<std::int64_t>(bottom) - top, screen.height)};
}

RectI OnScreen(const StoredBox& b, SizeI screen) {
  const std::int64_t x = std::max<std::int64_t>(PullInside(b.x, b.w, screen.width), 0);
  const std::int64_t y = std::max<std::int64_t>(PullInside(b.y, b.h, screen.height), 0);
  return {Clamp32(x), Clamp32(y), Clamp32(b.w), Clamp32(b.h)};
}

}  // namespace

RectI RestoreWindowBounds(std::int32_t left, std::int32_t top, std::int32_t right, std::int32_t bottom,
                          PointI current, SizeI screen, bool autoSize, bool autoCenter) {
  const StoredBox b = ClampStored(left, top, right, bottom, screen);
  if (b.w < kSmallestWindow || b.h < kSmallestWindow) {
    return SetWindowSize(current, {screen.width / 2, screen.height / 2}, screen, autoSize, autoCenter);
  }
  return OnScreen(b, screen);
}

RectI RestoreEditorBounds(std::int32_t left, std::int32_t top, std::int32_t right, std::int32_t bottom,
                          SizeI screen) {
  StoredBox b = ClampStored(left, top, right, bottom, screen);
  if (b.w < kSmallestWindow || b.h < kSmallestWindow) {
    b.w = screen.width / 2;
    b.h = static_cast<std::int64_t>(screen.height) * 3 / 4;
  }
  return OnScreen(b, screen);
}

}  // namespace pelira
