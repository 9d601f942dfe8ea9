#pragma once
// The one place that decides whether a picture may be allocated. Every image buffer is
// checked here with 64-bit arithmetic before any allocation, so a hostile header cannot
// make us reserve gigabytes or overflow a size computation. The default allows the
// largest New picture (32000 x 32000 at 24 bits); fuzz targets lower it.
#include <cstdint>

namespace pelira {

// Bytes of one row padded to 4 bytes; 64-bit so that no width overflows it.
constexpr std::uint64_t RowStride(std::uint64_t width, std::uint64_t bitsPerPixel) {
  return ((width * bitsPerPixel + 31) / 32) * 4;
}

inline constexpr std::uint64_t kDefaultMaxImageBytes = RowStride(32000, 24) * 32000;

// Largest pixel buffer (stride x height bytes) any image may have.
std::uint64_t MaxImageBytes();
void SetMaxImageBytes(std::uint64_t bytes);

// Raises EVistrelError "Image too large: WxH at B bits per pixel" (or "Invalid image size"
// for a side that is not positive or exceeds 2^31 - 1) unless the picture fits. Returns the
// buffer size in bytes.
std::uint64_t CheckPixelLimit(std::int64_t width, std::int64_t height, int bitsPerPixel);

}  // namespace pelira
