// The PNG codec on arbitrary bytes: header probe, full read on a coloured background, then
// a write and read back of whatever loaded.
#include <cstddef>
#include <cstdint>

#include "image/pixel_limit.h"
#include "image/png_graphic.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const bool init = [] {
    pelira::SetMaxImageBytes(16u << 20);
    return true;
  }();
  (void)init;
  const pelira::ByteSpan bytes(data, size);
  try {
    pelira::TPngGraphic g;
    (void)g.ReadHeader(bytes);
  } catch (const std::exception&) {
  }
  try {
    pelira::TPngGraphic g;
    g.SetBackgroundColor(pelira::MakeColor(10, 200, 30));
    g.ForceBackground = size > 0 && (data[size - 1] & 1);
    g.LoadFromBytes(bytes);
    g.Interlace = size > 1 && (data[size - 2] & 1);
    const pelira::Bytes out = g.SaveToBytes();
    pelira::TPngGraphic back;
    back.LoadFromBytes(out);
    if (back.Width() != g.Width() || back.Height() != g.Height() || back.Format() != g.Format()) __builtin_trap();
  } catch (const std::exception&) {
  }
  return 0;
}
