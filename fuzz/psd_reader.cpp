// PSD reader on arbitrary bytes: header record, header-only load, full load; and PackBits alone.
#include <vector>

#include "fuzz_support.h"
#include "image/psd_graphic.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace pelira;
  const ByteSpan bytes = fuzz::Start(data, size);
  fuzz::Quietly([&] {
    TPSDGraphic g;
    (void)g.ReadImageInfo(bytes);
    g.HeaderOnly = true;
    g.LoadFromStream(bytes);
  });
  fuzz::Quietly([&] {
    TPSDGraphic g;
    g.LoadFromStream(bytes);
    const Dib& d = g.Bitmap();
    if (!g.Alpha().empty() && g.Alpha().size() != static_cast<std::size_t>(d.Width()) * static_cast<std::size_t>(d.Height()))
      __builtin_trap();
  });
  std::vector<std::uint8_t> out(1024);
  if (UnpackBits(bytes, out.data(), out.size()) > out.size()) __builtin_trap();
  return 0;
}
