#include "viewer/clipboard_picture.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "common/errors.h"
#include "image/bmp_reader.h"
#include "image/png_graphic.h"

namespace pelira {

namespace {

std::int32_t Clamp32(std::int64_t v, std::int64_t lo, std::int64_t hi) {
  return static_cast<std::int32_t>(std::clamp(v, lo, std::max(lo, hi)));
}

// region cut at 0..w x 0..h.
RectI Cut(RectI r, int w, int h) {
  const std::int64_t left = std::clamp<std::int64_t>(r.left, 0, w), top = std::clamp<std::int64_t>(r.top, 0, h);
  const std::int64_t right = std::clamp<std::int64_t>(r.right(), left, w);
  const std::int64_t bottom = std::clamp<std::int64_t>(r.bottom(), top, h);
  return {static_cast<std::int32_t>(left), static_cast<std::int32_t>(top), static_cast<std::int32_t>(right - left),
          static_cast<std::int32_t>(bottom - top)};
}

}  // namespace

RectI ViewportRegion(int scrollX, int scrollY, int clientW, int clientH, int zoomPercent, bool fitMode, int picW,
                     int picH) {
  if (picW <= 0 || picH <= 0) return {};
  if (fitMode || zoomPercent <= 0) return {0, 0, picW, picH};
  // Screen pixels to picture pixels; the far edge rounds up so a partly shown pixel counts.
  const auto toPicture = [zoomPercent](std::int64_t v, bool up) {
    return up ? (v * 100 + zoomPercent - 1) / zoomPercent : v * 100 / zoomPercent;
  };
  const std::int64_t left = toPicture(std::max(scrollX, 0), false);
  const std::int64_t top = toPicture(std::max(scrollY, 0), false);
  const std::int64_t right = toPicture(static_cast<std::int64_t>(std::max(scrollX, 0)) + std::max(clientW, 0), true);
  const std::int64_t bottom = toPicture(static_cast<std::int64_t>(std::max(scrollY, 0)) + std::max(clientH, 0), true);
  const std::int32_t l = Clamp32(left, 0, picW), t = Clamp32(top, 0, picH);
  return {l, t, Clamp32(right, l, picW) - l, Clamp32(bottom, t, picH) - t};
}

Dib CopyRegion(const Dib& bitmap, RectI region) {
  const RectI r = Cut(region, bitmap.Width(), bitmap.Height());
  if (r.empty()) return {};
  Dib out(r.width, r.height, bitmap.BitCount(), bitmap.Colors(), Dib::Init::Zero);
  out.xPelsPerMeter = bitmap.xPelsPerMeter;
  out.yPelsPerMeter = bitmap.yPelsPerMeter;
  const int bpp = bitmap.BitCount();
  if (bpp >= 8) {
    const std::size_t bytes = static_cast<std::size_t>(r.width) * (bpp / 8);
    for (int y = 0; y < r.height; ++y)
      std::memcpy(out.ScanLine(y), bitmap.ScanLine(r.top + y) + static_cast<std::size_t>(r.left) * (bpp / 8), bytes);
  } else {
    for (int y = 0; y < r.height; ++y)
      for (int x = 0; x < r.width; ++x) out.SetIndex(x, y, bitmap.Index(r.left + x, r.top + y));
  }
  return out;
}

RectI PasteBlock(const SelectionBounds& s, int picW, int picH, int clipW, int clipH) {
  const std::int64_t w = std::llabs(static_cast<std::int64_t>(s.right) - s.left) + 1;
  const std::int64_t h = std::llabs(static_cast<std::int64_t>(s.bottom) - s.top) + 1;
  const std::int64_t left = std::min(s.left, s.right), top = std::min(s.top, s.bottom);
  if (left < 0 || top < 0 || left >= picW || top >= picH || clipW <= 0 || clipH <= 0) return {};
  const std::int64_t cw = std::min({w, static_cast<std::int64_t>(picW) - left, static_cast<std::int64_t>(clipW)});
  const std::int64_t ch = std::min({h, static_cast<std::int64_t>(picH) - top, static_cast<std::int64_t>(clipH)});
  return {static_cast<std::int32_t>(left), static_cast<std::int32_t>(top), static_cast<std::int32_t>(cw),
          static_cast<std::int32_t>(ch)};
}

bool PasteNeedsTrueColor(const Dib& picture, const Dib& clip) {
  if (picture.BitCount() == 24) return false;
  return picture.BitCount() != clip.BitCount() || !(picture.Colors() == clip.Colors());
}

void PasteInto(Dib& picture, const Dib& clip, const SelectionBounds& selection) {
  const RectI b = PasteBlock(selection, picture.Width(), picture.Height(), clip.Width(), clip.Height());
  if (b.empty()) return;
  if (picture.BitCount() == clip.BitCount() && picture.BitCount() >= 8 && !PasteNeedsTrueColor(picture, clip)) {
    const std::size_t px = picture.BitCount() / 8;
    for (int y = 0; y < b.height; ++y)
      std::memcpy(picture.ScanLine(b.top + y) + b.left * px, clip.ScanLine(y), static_cast<std::size_t>(b.width) * px);
    return;
  }
  if (picture.BitCount() == clip.BitCount() && !PasteNeedsTrueColor(picture, clip)) {
    for (int y = 0; y < b.height; ++y)
      for (int x = 0; x < b.width; ++x) picture.SetIndex(b.left + x, b.top + y, clip.Index(x, y));
    return;
  }
  for (int y = 0; y < b.height; ++y)
    for (int x = 0; x < b.width; ++x) picture.SetPixel(b.left + x, b.top + y, clip.Pixel(x, y));
}

Dib DecodeClipboard(const ClipboardData& data, ColorValue background) {
  switch (data.format) {
    case ClipboardFormat::PackedDib:
      if (data.picture) return *data.picture;
      return DibFromPacked(data.bytes);
    case ClipboardFormat::Bmp:
      return ReadBmpFile(data.bytes);
    case ClipboardFormat::Png: {
      TPngGraphic png;
      png.SetBackgroundColor(background);
      png.ReadImage(data.bytes, 0);
      return png.TakeWorkingBitmap();
    }
    case ClipboardFormat::None:
      break;
  }
  throw EVistrelError(kPasteFailedText);
}

}  // namespace pelira
