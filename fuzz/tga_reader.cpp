// Targa codec on arbitrary bytes: header probe, full read, then a write and read back.
#include <cstddef>
#include <cstdint>
#include <exception>

#include "image/pixel_limit.h"
#include "image/tga_graphic.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const bool init = [] {
    pelira::SetMaxImageBytes(16u << 20);
    return true;
  }();
  (void)init;
  const pelira::ByteSpan bytes(data, size);
  try {
    pelira::TTgaGraphic g;
    (void)g.ReadHeader(bytes);
  } catch (const std::exception&) {
  }
  try {
    pelira::TTgaGraphic g;
    g.LoadFromBytes(bytes);
    if (g.BitCount() == 8 || g.BitCount() == 24) {
      pelira::TTgaGraphic back;
      back.LoadFromBytes(g.SaveToBytes());
      if (back.Width() != g.Width() || back.Height() != g.Height()) __builtin_trap();
    }
  } catch (const std::exception&) {
  }
  return 0;
}
