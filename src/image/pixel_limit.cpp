#include "image/pixel_limit.h"

#include <atomic>
#include <string>

#include "common/errors.h"

namespace pelira {

namespace {
std::atomic<std::uint64_t> g_maxBytes{kDefaultMaxImageBytes};
}

std::uint64_t MaxImageBytes() { return g_maxBytes.load(); }
void SetMaxImageBytes(std::uint64_t bytes) { g_maxBytes.store(bytes); }

std::uint64_t CheckPixelLimit(std::int64_t width, std::int64_t height, int bitsPerPixel) {
  if (width <= 0 || height <= 0 || width > 0x7FFFFFFF || height > 0x7FFFFFFF || bitsPerPixel <= 0 ||
      bitsPerPixel > 64)
    throw EVistrelError("Invalid image size");
  const std::uint64_t bytes =
      RowStride(static_cast<std::uint64_t>(width), static_cast<std::uint64_t>(bitsPerPixel)) *
      static_cast<std::uint64_t>(height);
  if (bytes > MaxImageBytes() || bytes > static_cast<std::uint64_t>(PTRDIFF_MAX))
    throw EVistrelError("Image too large: " + std::to_string(width) + "x" + std::to_string(height) +
                        " at " + std::to_string(bitsPerPixel) + " bits per pixel");
  return bytes;
}

}  // namespace pelira
