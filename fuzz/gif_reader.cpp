// GIF reader on arbitrary bytes: header record, header-only load, full load; and the LZW decoder alone.
#include <vector>

#include "fuzz_support.h"
#include "image/gif_graphic.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace pelira;
  const ByteSpan bytes = fuzz::Start(data, size);
  fuzz::Quietly([&] {
    TGIFGraphic g;
    (void)g.ReadImageInfo(bytes);
    g.HeaderOnly = true;
    g.LoadFromStream(bytes);
  });
  fuzz::Quietly([&] {
    TGIFGraphic g;
    g.LoadFromStream(bytes);
    const Dib& d = g.Bitmap();
    if (!d.Empty() && d.BitCount() != 8) __builtin_trap();
  });
  if (size > 1) {
    std::vector<std::uint8_t> out(4096);
    const std::size_t n = GifLzwDecode(bytes.subspan(1), 2 + data[0] % 10, out.data(), out.size());
    if (n > out.size()) __builtin_trap();
  }
  return 0;
}
