// Targa codec on arbitrary bytes: header probe, full read, then a write and read back.
#include "fuzz_support.h"
#include "image/tga_graphic.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace pelira;
  const ByteSpan bytes = fuzz::Start(data, size);
  fuzz::ProbeHeader<TTgaGraphic>(bytes);
  fuzz::Quietly([&] {
    TTgaGraphic g;
    g.LoadFromBytes(bytes);
    if (g.BitCount() == 8 || g.BitCount() == 24) fuzz::RoundTrip(g);
  });
  return 0;
}
