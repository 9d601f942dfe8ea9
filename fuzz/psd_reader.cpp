// PSD reader on arbitrary bytes: header record, header-only load, full load; and PackBits alone.
#include <cstddef>
#include <cstdint>
#include <exception>

#include "image/pixel_limit.h"
#include "image/psd_graphic.h"

#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const bool init = [] {
    pelira::SetMaxImageBytes(16u << 20);
    return true;
  }();
  (void)init;
  const pelira::ByteSpan bytes(data, size);
  try {
    pelira::TPSDGraphic g;
    (void)g.ReadImageInfo(bytes);
    g.HeaderOnly = true;
    g.LoadFromStream(bytes);
  } catch (const std::exception&) {
  }
  try {
    pelira::TPSDGraphic g;
    g.LoadFromStream(bytes);
    const pelira::Dib& d = g.Bitmap();
    if (!g.Alpha().empty() && g.Alpha().size() != static_cast<std::size_t>(d.Width()) * static_cast<std::size_t>(d.Height()))
      __builtin_trap();
  } catch (const std::exception&) {
  }
  std::vector<std::uint8_t> out(1024);
  if (pelira::UnpackBits(bytes, out.data(), out.size()) > out.size()) __builtin_trap();
  return 0;
}
