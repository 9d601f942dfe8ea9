// PCX codec on arbitrary bytes: header probe, full read, then a write and read back.
#include "fuzz_support.h"
#include "image/pcx_graphic.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace pelira;
  const ByteSpan bytes = fuzz::Start(data, size);
  fuzz::ProbeHeader<TPcxGraphic>(bytes);
  fuzz::Quietly([&] {
    TPcxGraphic g;
    g.LoadFromBytes(bytes);
    fuzz::RoundTrip(g);
  });
  return 0;
}
