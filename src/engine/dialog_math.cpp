#include "engine/dialog_math.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "engine/tone_tables.h"

namespace pelira {

namespace {

int Follow(long long side, int initialFrom, int initialTo) {
  if (initialFrom <= 0) return static_cast<int>(side);
  return static_cast<int>(RoundHalfEven(static_cast<double>(side) * initialTo / initialFrom));
}

}  // namespace

SizePair TypedSide(const SizeLimits& l, long long typed, bool typedHeight, bool keepAspect, int otherNow) {
  const int maxT = typedHeight ? l.maxHeight : l.maxWidth;
  const int maxO = typedHeight ? l.maxWidth : l.maxHeight;
  const int initT = typedHeight ? l.initialHeight : l.initialWidth;
  const int initO = typedHeight ? l.initialWidth : l.initialHeight;
  SizePair out;
  const long long t = std::clamp<long long>(typed, 1, maxT);
  out.beep = t != typed;
  int side = static_cast<int>(t);
  int other = otherNow;
  if (keepAspect) {
    other = Follow(side, initT, initO);
    if (other > maxO) {
      other = maxO;
      side = std::clamp(Follow(other, initO, initT), 1, maxT);
    }
    other = std::max(other, 1);
  }
  if (typedHeight) {
    out.height = side;
    out.width = other;
  } else {
    out.width = side;
    out.height = other;
  }
  return out;
}

SizePair TypedScale(const SizeLimits& l, double percent, bool forHeight, bool keepAspect, int otherNow) {
  const int maxT = forHeight ? l.maxHeight : l.maxWidth;
  const int initT = forHeight ? l.initialHeight : l.initialWidth;
  bool beep = false;
  long long side;
  const double p = std::trunc(percent * 100);
  if (!std::isfinite(p) || p < 0 || p > 1e15) {
    side = maxT;  // the "negative product" of an overflow
    beep = true;
  } else {
    const long long prod = static_cast<long long>(p) * initT + 5000;
    side = prod / 10000;
  }
  if (side > maxT) {
    side = maxT;
    beep = true;
  } else if (side <= 0) {
    side = 1;
    beep = true;
  }
  SizePair out = TypedSide(l, side, forHeight, keepAspect, otherNow);
  out.beep = out.beep || beep;
  return out;
}

std::string ScaleText(int side, int initial) {
  if (initial <= 0) return "0.0";
  const long long v = static_cast<long long>(side) * 100 / initial;
  return std::to_string(v) + ".0";
}

int GridCount(int requested, int pictureSide) {
  return std::clamp(requested, 1, std::clamp(pictureSide, 1, 8));
}

GridCell GridCellRect(int column, int row, int columns, int rows, int width, int height) {
  columns = GridCount(columns, width);
  rows = GridCount(rows, height);
  const int cw = width / columns, ch = height / rows;
  column = std::clamp(column, 0, columns - 1);
  row = std::clamp(row, 0, rows - 1);
  return {column * cw, row * ch, column * cw + cw - 1, row * ch + ch - 1};
}

std::string GridCaption(int columns, int rows, int width, int height, int column, int row, bool clicked) {
  columns = GridCount(columns, width);
  rows = GridCount(rows, height);
  const int cw = width / columns, ch = height / rows;
  std::string t = "Grid Select " + std::to_string(cw) + "x" + std::to_string(ch);
  if (!clicked) return t + "  Left=0  Top=0";
  return t + "  Left=" + std::to_string(column * cw) + "  Top=" + std::to_string(row * ch);
}

AreaSize GridArea(int width, int height) {
  if (width < 64 || height < 64) return {};
  // Fitted into 320 x 240, proportions kept.
  if (static_cast<long long>(width) * 240 >= static_cast<long long>(height) * 320)
    return {320, std::max(1, static_cast<int>(static_cast<long long>(height) * 320 / width))};
  return {std::max(1, static_cast<int>(static_cast<long long>(width) * 240 / height)), 240};
}

int HistogramBarHeight(std::int64_t count, std::int64_t peak, int zoom) {
  zoom = std::max(zoom, 1);
  const std::int64_t scale = std::max<std::int64_t>(1, peak / zoom);
  return static_cast<int>(std::clamp<std::int64_t>(count * 255 / scale, 0, 255));
}

std::string HistogramBinText(const Histograms& h, int bin) {
  bin = std::clamp(bin, 0, 255);
  auto n = [](std::int32_t v) { return std::to_string(v); };
  return "Bin:   " + std::to_string(bin) + "\n" + "Max: " + n(h.peak) + "\n" + "Red: " + n(h.red[bin]) + "\n" +
         "Grn:  " + n(h.green[bin]) + "\n" + "Blu:   " + n(h.blue[bin]) + "\n" + "Gry:   " + n(h.lightness[bin]) + "\n" +
         "Sat:   " + n(h.saturation[bin]);
}

}  // namespace pelira
