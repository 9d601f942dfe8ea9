// GIF reader on arbitrary bytes: header record, header-only load, full load; and the LZW decoder alone.
#include <cstddef>
#include <cstdint>
#include <exception>

#include "image/gif_graphic.h"
#include "image/pixel_limit.h"

#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const bool init = [] {
    pelira::SetMaxImageBytes(16u << 20);
    return true;
  }();
  (void)init;
  const pelira::ByteSpan bytes(data, size);
  try {
    pelira::TGIFGraphic g;
    (void)g.ReadImageInfo(bytes);
    g.HeaderOnly = true;
    g.LoadFromStream(bytes);
  } catch (const std::exception&) {
  }
  try {
    pelira::TGIFGraphic g;
    g.LoadFromStream(bytes);
    const pelira::Dib& d = g.Bitmap();
    if (!d.Empty() && d.BitCount() != 8) __builtin_trap();
  } catch (const std::exception&) {
  }
  if (size > 1) {
    std::vector<std::uint8_t> out(4096);
    const std::size_t n = pelira::GifLzwDecode(bytes.subspan(1), 2 + data[0] % 10, out.data(), out.size());
    if (n > out.size()) __builtin_trap();
  }
  return 0;
}
