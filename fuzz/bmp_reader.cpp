// BMP readers on arbitrary bytes: the codec (frame and full reader), the packed-DIB reader
// and the header probe, then a write and read back of whatever loaded.
#include "fuzz_support.h"
#include "image/bmp_graphic.h"
#include "image/bmp_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace pelira;
  const ByteSpan bytes = fuzz::Start(data, size);
  fuzz::Quietly([&] {
    TBmpGraphic g;
    g.LoadFromBytes(bytes);
    fuzz::RoundTrip(g);
  });
  fuzz::ProbeHeader<TBmpGraphic>(bytes);
  fuzz::Quietly([&] { (void)DibFromPacked(bytes); });
  return 0;
}
