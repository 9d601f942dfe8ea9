// BMP readers on arbitrary bytes: the codec (frame and full reader), the packed-DIB reader
// and the header probe, then a write and read back of whatever loaded.
#include <cstddef>
#include <cstdint>

#include "image/bmp_graphic.h"
#include "image/bmp_reader.h"
#include "image/pixel_limit.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const bool init = [] {
    pelira::SetMaxImageBytes(16u << 20);
    return true;
  }();
  (void)init;
  const pelira::ByteSpan bytes(data, size);
  try {
    pelira::TBmpGraphic g;
    g.LoadFromBytes(bytes);
    const pelira::Bytes out = g.SaveToBytes();
    pelira::TBmpGraphic back;
    back.LoadFromBytes(out);
    if (back.Width() != g.Width() || back.Height() != g.Height()) __builtin_trap();
  } catch (const std::exception&) {
  }
  try {
    pelira::TBmpGraphic g;
    (void)g.ReadHeader(bytes);
  } catch (const std::exception&) {
  }
  try {
    (void)pelira::DibFromPacked(bytes);
  } catch (const std::exception&) {
  }
  return 0;
}
