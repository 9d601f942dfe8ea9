#include "engine/geometry.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "common/parallel_for.h"

namespace pelira {

Block ClipToPicture(int left, int top, int right, int bottom, int w, int h) {
  if (left > right) std::swap(left, right);
  if (top > bottom) std::swap(top, bottom);
  const int l = std::clamp(left, 0, std::max(w, 0)), r = std::clamp(right, 0, std::max(w, 0));
  const int t = std::clamp(top, 0, std::max(h, 0)), b = std::clamp(bottom, 0, std::max(h, 0));
  if (r <= l || b <= t) return {};
  return {l, t, r - l, b - t};
}

Dib CopyBlock(const Dib& pic, const Block& b) {
  const int bits = pic.BitCount();
  if (bits == 8 || bits == 24) {
    Dib out(b.width, b.height, bits, pic.Colors(), Dib::Init::Uninitialised);
    const std::size_t bpp = bits / 8, bytes = static_cast<std::size_t>(b.width) * bpp;
    for (int y = 0; y < b.height; ++y) {
      std::memcpy(out.ScanLine(y), pic.ScanLine(b.top + y) + static_cast<std::size_t>(b.left) * bpp, bytes);
      // The padding of each row stays defined.
      std::memset(out.ScanLine(y) + bytes, 0, out.Stride() - bytes);
    }
    out.xPelsPerMeter = pic.xPelsPerMeter;
    out.yPelsPerMeter = pic.yPelsPerMeter;
    return out;
  }
  if (bits == 1 || bits == 4) {
    Dib out(b.width, b.height, bits, pic.Colors());
    for (int y = 0; y < b.height; ++y)
      for (int x = 0; x < b.width; ++x) out.SetIndex(x, y, pic.Index(b.left + x, b.top + y));
    out.xPelsPerMeter = pic.xPelsPerMeter;
    out.yPelsPerMeter = pic.yPelsPerMeter;
    return out;
  }
  // Any other depth as 24 bits.
  Dib out(b.width, b.height, 24);
  for (int y = 0; y < b.height; ++y)
    for (int x = 0; x < b.width; ++x) out.SetPixel(x, y, pic.Pixel(b.left + x, b.top + y));
  return out;
}

namespace {

bool RowIs(const Dib& pic, int y, int x0, int w, std::uint32_t o) {
  for (int x = x0; x < x0 + w; ++x)
    if (pic.Index(x, y) != o) return false;
  return true;
}
bool ColumnIs(const Dib& pic, int x, int y0, int h, std::uint32_t o) {
  for (int y = y0; y < y0 + h; ++y)
    if (pic.Index(x, y) != o) return false;
  return true;
}

}  // namespace

Block TrimBlock(const Dib& pic, Block b) {
  if (b.Empty()) return {};
  // Whole pixels are compared: palette indices, or the three bytes of a true-colour pixel.
  const std::uint32_t o = pic.Index(b.left, b.top);
  while (b.height > 0 && RowIs(pic, b.top, b.left, b.width, o)) ++b.top, --b.height;
  while (b.height > 0 && RowIs(pic, b.top + b.height - 1, b.left, b.width, o)) --b.height;
  while (b.width > 0 && b.height > 0 && ColumnIs(pic, b.left, b.top, b.height, o)) ++b.left, --b.width;
  while (b.width > 0 && b.height > 0 && ColumnIs(pic, b.left + b.width - 1, b.top, b.height, o)) --b.width;
  if (b.Empty()) return {};
  return b;
}

std::uint8_t LowResMask(int bits) {
  switch (bits) {
    case 2: return 0xC0;
    case 3: return 0xE0;
    case 4: return 0xF0;
    case 5: return 0xF8;
    case 6: return 0xFC;
    default: return 0xFE;
  }
}

bool LowRes(Dib& pic, int bits) {
  if (pic.Empty() || pic.BitCount() != 24) return false;
  const std::uint8_t mask = LowResMask(bits);
  const std::size_t bytes = static_cast<std::size_t>(pic.Width()) * 3;
  ParallelRows(pic.Height(), [&](int first, int last) {
    for (int y = first; y < last; ++y) {
      std::uint8_t* p = pic.ScanLine(y);
      for (std::size_t i = 0; i < bytes; ++i) p[i] &= mask;
    }
  }, 0, pic.Width());
  return true;
}

namespace {

void FillBlock(Dib& pic, const Block& b, ColorValue c) {
  if (b.Empty()) return;
  const std::uint8_t px[3] = {static_cast<std::uint8_t>(BlueOf(c)), static_cast<std::uint8_t>(GreenOf(c)),
                              static_cast<std::uint8_t>(RedOf(c))};
  for (int y = b.top; y < b.top + b.height; ++y) {
    std::uint8_t* p = pic.ScanLine(y) + 3 * static_cast<std::size_t>(b.left);
    for (int x = 0; x < b.width; ++x, p += 3) std::memcpy(p, px, 3);
  }
}

}  // namespace

bool MergeBorder(Dib& pic, ColorValue c, int w, int h) {
  if (pic.Empty() || pic.BitCount() != 24) return false;
  const int W = pic.Width(), H = pic.Height();
  FillBlock(pic, ClipToPicture(0, 0, W, h, W, H), c);
  FillBlock(pic, ClipToPicture(0, H - h, W, H, W, H), c);
  FillBlock(pic, ClipToPicture(0, 0, w, H, W, H), c);
  FillBlock(pic, ClipToPicture(W - w, 0, W, H, W, H), c);
  return true;
}

bool MergeBorderTopBot(Dib& pic, ColorValue c, int top, int bottom) {
  if (pic.Empty() || pic.BitCount() != 24) return false;
  const int W = pic.Width(), H = pic.Height();
  FillBlock(pic, ClipToPicture(0, 0, W, top, W, H), c);
  FillBlock(pic, ClipToPicture(0, H - bottom, W, H, W, H), c);
  return true;
}

// --- the text mark ------------------------------------------------------------------------------

namespace {

// Position of needle in text, letters compared without regard to case (ASCII).
std::size_t FindNoCase(const std::string& text, std::string_view needle) {
  if (needle.size() > text.size()) return std::string::npos;
  for (std::size_t i = 0; i + needle.size() <= text.size(); ++i) {
    bool same = true;
    for (std::size_t k = 0; k < needle.size() && same; ++k) {
      const unsigned char a = static_cast<unsigned char>(text[i + k]), b = static_cast<unsigned char>(needle[k]);
      same = (a >= 'a' && a <= 'z' ? a - 32 : a) == (b >= 'a' && b <= 'z' ? b - 32 : b);
    }
    if (same) return i;
  }
  return std::string::npos;
}
}  // namespace

std::string CleanTextMark(std::string_view text) {
  std::string out;
  out.reserve(std::min(text.size(), kTextMarkMaxLength));
  for (const char ch : text) {
    const unsigned char u = static_cast<unsigned char>(ch);
    out += (u < 0x20 || u == 0x7F) ? ' ' : ch;
  }
  if (out.size() > kTextMarkMaxLength) {
    std::size_t cut = kTextMarkMaxLength;
    // Back to the start of a UTF-8 character.
    while (cut > 0 && (static_cast<unsigned char>(out[cut]) & 0xC0) == 0x80) --cut;
    out.resize(cut);
  }
  return out;
}

std::string SubstituteTextTokens(std::string text, const std::string& date, const std::optional<std::string>& fileStem) {
  if (const std::size_t at = FindNoCase(text, "@@D"); at != std::string::npos) text.replace(at, 3, date);
  if (const std::size_t at = FindNoCase(text, "@@C"); at != std::string::npos) text.replace(at, 3, "\xC2\xA9");
  if (const std::size_t at = FindNoCase(text, "@@F"); at != std::string::npos) {
    if (!fileStem) return {};
    text.replace(at, 3, *fileStem);
  }
  return text;
}

bool DrawTextMark(Dib& pic, const CoverageMask& text, int corner, ColorValue color, ColorValue outline) {
  if (pic.Empty() || pic.BitCount() != 24 || pic.Width() <= 31) return false;
  const int W = pic.Width(), H = pic.Height();
  const bool bottom = corner == 2 || corner == 3, right = corner == 1 || corner == 3;
  const int boxTop = bottom ? H - 24 : 0, boxBottom = bottom ? H - 1 : 20, boxRight = W - 8;
  const int x0 = right ? boxRight - text.width : 0;
  const int y0 = boxTop + (boxBottom - boxTop - text.height) / 2;
  auto ink = [&](int mx, int my) {
    return mx >= 0 && my >= 0 && mx < text.width && my < text.height && text.At(mx, my) >= 128;
  };
  // The outline is the text at offsets 0..2 in both directions; the text itself sits at (1, 1).
  const int left = std::max(0, x0), top = std::max(0, y0);
  const int rightEnd = std::min(W, x0 + text.width + 2), bottomEnd = std::min(H, y0 + text.height + 2);
  for (int y = top; y < bottomEnd; ++y) {
    std::uint8_t* row = pic.ScanLine(y);
    for (int x = left; x < rightEnd; ++x) {
      const int mx = x - x0, my = y - y0;
      ColorValue c;
      if (ink(mx - 1, my - 1)) {
        c = color;
      } else {
        bool any = false;
        for (int j = 0; j <= 2 && !any; ++j)
          for (int i = 0; i <= 2 && !any; ++i) any = ink(mx - i, my - j);
        if (!any) continue;
        c = outline;
      }
      std::uint8_t* p = row + 3 * static_cast<std::size_t>(x);
      p[0] = static_cast<std::uint8_t>(BlueOf(c));
      p[1] = static_cast<std::uint8_t>(GreenOf(c));
      p[2] = static_cast<std::uint8_t>(RedOf(c));
    }
  }
  return true;
}

// --- selection maths ------------------------------------------------------------------------------

namespace {
int Round(double v) { return static_cast<int>(std::nearbyint(v)); }
}  // namespace

Block AdjustSelection(int L, int T, int R, int B, const ViewScale& v, int w, int h) {
  if (L > R) std::swap(L, R);
  if (T > B) std::swap(T, B);
  int left, top, right, bottom;
  if (v.fit && v.shownW > 0 && v.shownH > 0) {
    left = Round(double(w) * L / v.shownW);
    top = Round(double(h) * T / v.shownH);
    right = Round(double(w) * R / v.shownW + 1);
    bottom = Round(double(h) * B / v.shownH + 1);
  } else {
    const int z = std::max(v.zoom, 1);
    left = Round(L * 100.0 / z);
    top = Round(T * 100.0 / z);
    right = Round(R * 100.0 / z + 1);
    bottom = Round(B * 100.0 / z + 1);
  }
  return ClipToPicture(left, top, std::min(right, w), std::min(bottom, h), w, h);
}

ScreenRect DisplaySelection(const Block& b, const ViewScale& v, int w, int h) {
  const int right = b.left + b.width, bottom = b.top + b.height;
  if (v.fit && w > 0 && h > 0) {
    return {Round(double(v.shownW) * b.left / w), Round(double(v.shownH) * b.top / h),
            Round(double(v.shownW) * right / w), Round(double(v.shownH) * bottom / h)};
  }
  const double z = v.zoom / 100.0;
  return {Round(b.left * z), Round(b.top * z), Round(right * z), Round(bottom * z)};
}

Block GridBlock(int column, int row, int columns, int rows, int w, int h) {
  columns = std::max(columns, 1);
  rows = std::max(rows, 1);
  const int cw = w / columns, ch = h / rows;
  return ClipToPicture(column * cw, row * ch, column * cw + cw, row * ch + ch, w, h);
}

}  // namespace pelira
