#include "viewer/scan_frames.h"

#include <algorithm>
#include <cstring>

#include "common/errors.h"
#include "image/palette.h"
#include "image/pixel_limit.h"

namespace pelira {

namespace {

int Channels(ScanFrameKind k) { return k == ScanFrameKind::Rgb ? 3 : 1; }

int Plane(ScanFrameKind k) {
  switch (k) {
    case ScanFrameKind::Green: return 1;
    case ScanFrameKind::Blue: return 2;
    default: return 0;
  }
}

bool ThreePass(ScanFrameKind k) {
  return k == ScanFrameKind::Red || k == ScanFrameKind::Green || k == ScanFrameKind::Blue;
}

// One sample of row `row` at index i (in samples), as 8 bits.
std::uint8_t Sample8(const std::uint8_t* row, std::size_t i, int depth) {
  if (depth == 16) {
    std::uint16_t v;
    std::memcpy(&v, row + 2 * i, 2);  // host order
    return static_cast<std::uint8_t>(v >> 8);
  }
  return row[i];
}

}  // namespace

bool ScanAssembler::BeginFrame(const ScanFrameFormat& f) {
  if (f.pixelsPerLine <= 0 || f.bytesPerLine <= 0 || (f.depth != 1 && f.depth != 8 && f.depth != 16) ||
      (f.depth == 1 && f.kind != ScanFrameKind::Gray)) {
    error_ = "unsupported scan format";
    return false;
  }
  const std::uint64_t need = (static_cast<std::uint64_t>(f.pixelsPerLine) * f.depth * Channels(f.kind) + 7) / 8;
  if (need > static_cast<std::uint64_t>(f.bytesPerLine)) {
    error_ = "scan line shorter than its pixels";
    return false;
  }
  if (!started_) {
    first_ = f;
    color_ = f.kind != ScanFrameKind::Gray;
    started_ = true;
  } else if (!ThreePass(f.kind) || !ThreePass(first_.kind) || f.pixelsPerLine != first_.pixelsPerLine ||
             f.bytesPerLine != first_.bytesPerLine || f.depth != first_.depth || frames_ >= 3) {
    error_ = "scan frames do not match";
    return false;
  }
  if (f.lines > 0) CheckPixelLimit(f.pixelsPerLine, f.lines, color_ ? 24 : (f.depth == 1 ? 1 : 8));
  cur_ = f;
  plane_ = Plane(f.kind);
  planes_[plane_].clear();
  got_ = 0;
  return true;
}

bool ScanAssembler::Grow(std::size_t bytes) {
  const std::size_t bpl = static_cast<std::size_t>(cur_.bytesPerLine);
  const std::uint64_t rows = (static_cast<std::uint64_t>(got_) + bytes + bpl - 1) / bpl;
  // Unknown lengths grow only while the picture would stay under the limit.
  CheckPixelLimit(cur_.pixelsPerLine, static_cast<std::int64_t>(std::max<std::uint64_t>(rows, 1)),
                  color_ ? 24 : (cur_.depth == 1 ? 1 : 8));
  return true;
}

void ScanAssembler::Feed(std::span<const std::uint8_t> data) {
  if (!started_ || data.empty()) return;
  std::size_t take = data.size();
  if (cur_.lines >= 0) {
    const std::uint64_t cap = static_cast<std::uint64_t>(cur_.lines) * static_cast<std::uint64_t>(cur_.bytesPerLine);
    take = got_ >= cap ? 0 : static_cast<std::size_t>(std::min<std::uint64_t>(take, cap - got_));
  } else {
    Grow(take);
  }
  if (take == 0) return;
  planes_[plane_].insert(planes_[plane_].end(), data.begin(), data.begin() + static_cast<std::ptrdiff_t>(take));
  got_ += take;
}

void ScanAssembler::EndFrame() {
  if (started_) ++frames_;
}

Dib ScanAssembler::Finish() {
  if (!started_) return {};
  const ScanFrameFormat& f = first_;
  const std::size_t bpl = static_cast<std::size_t>(f.bytesPerLine);
  std::size_t rows = planes_[0].size() / bpl;
  const bool three = ThreePass(f.kind);
  if (three)
    for (int p = 1; p < 3; ++p) rows = std::min(rows, planes_[p].size() / bpl);
  if (f.lines >= 0) rows = std::min(rows, static_cast<std::size_t>(f.lines));
  if (rows == 0) return {};
  const int w = f.pixelsPerLine, h = static_cast<int>(rows);
  if (!color_ && f.depth == 1) {
    Dib out(w, h, 1, Dib::Init::Zero);
    const std::size_t bytes = (static_cast<std::size_t>(w) + 7) / 8;
    for (int y = 0; y < h; ++y) {
      const std::uint8_t* s = planes_[0].data() + y * bpl;
      std::uint8_t* o = out.ScanLine(y);
      for (std::size_t i = 0; i < bytes; ++i) o[i] = static_cast<std::uint8_t>(~s[i]);  // 1 is black
    }
    return out;
  }
  if (!color_) {
    Dib out(w, h, 8, Gray256Palette(), Dib::Init::Uninitialised);
    for (int y = 0; y < h; ++y) {
      const std::uint8_t* s = planes_[0].data() + y * bpl;
      std::uint8_t* o = out.ScanLine(y);
      for (int x = 0; x < w; ++x) o[x] = Sample8(s, static_cast<std::size_t>(x), f.depth);
      std::memset(o + w, 0, out.Stride() - static_cast<std::size_t>(w));
    }
    return out;
  }
  Dib out(w, h, 24, Dib::Init::Zero);
  for (int y = 0; y < h; ++y) {
    std::uint8_t* o = out.ScanLine(y);
    for (int x = 0; x < w; ++x) {
      std::uint8_t rgb[3];
      for (int c = 0; c < 3; ++c) {
        const std::size_t at = y * bpl;
        rgb[c] = three ? Sample8(planes_[c].data() + at, static_cast<std::size_t>(x), f.depth)
                       : Sample8(planes_[0].data() + at, static_cast<std::size_t>(x) * 3 + c, f.depth);
      }
      o[3 * x] = rgb[2];
      o[3 * x + 1] = rgb[1];
      o[3 * x + 2] = rgb[0];
    }
  }
  return out;
}

}  // namespace pelira
