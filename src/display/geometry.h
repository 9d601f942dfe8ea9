#pragma once
// Plain integer geometry of the picture display and the viewer's layout maths.
#include <cstdint>

namespace pelira {

struct SizeI {
  std::int32_t width = 0;
  std::int32_t height = 0;
  friend bool operator==(const SizeI&, const SizeI&) = default;
};

struct PointI {
  std::int32_t x = 0;
  std::int32_t y = 0;
  friend bool operator==(const PointI&, const PointI&) = default;
};

// left, top and an extent; right() and bottom() are one past the last column and row.
struct RectI {
  std::int32_t left = 0;
  std::int32_t top = 0;
  std::int32_t width = 0;
  std::int32_t height = 0;
  std::int64_t right() const { return static_cast<std::int64_t>(left) + width; }
  std::int64_t bottom() const { return static_cast<std::int64_t>(top) + height; }
  bool empty() const { return width <= 0 || height <= 0; }
  friend bool operator==(const RectI&, const RectI&) = default;
};

}  // namespace pelira
