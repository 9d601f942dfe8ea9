// Icon codec on arbitrary bytes: directory, header probe, every entry read, then a write and read back.
#include <cstddef>
#include <cstdint>
#include <exception>

#include "image/icon_graphic.h"
#include "image/pixel_limit.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const bool init = [] {
    pelira::SetMaxImageBytes(16u << 20);
    return true;
  }();
  (void)init;
  const pelira::ByteSpan bytes(data, size);
  try {
    pelira::TIconGraphic g;
    (void)g.ReadHeader(bytes);
    const int n = g.GetImageCount(bytes);
    for (int i = 1; i <= n && i <= 8; ++i) {
      try {
        g.ReadImage(bytes, i);
        pelira::TIconGraphic back;
        back.LoadFromBytes(g.SaveToBytes());
        if (back.Width() != pelira::kStandardIconSize) __builtin_trap();
      } catch (const std::exception&) {
      }
    }
  } catch (const std::exception&) {
  }
  return 0;
}
