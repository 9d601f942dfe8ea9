// The PNG codec on arbitrary bytes: header probe, full read on a coloured background, then
// a write and read back of whatever loaded.
#include "fuzz_support.h"
#include "image/png_graphic.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace pelira;
  const ByteSpan bytes = fuzz::Start(data, size);
  fuzz::ProbeHeader<TPngGraphic>(bytes);
  fuzz::Quietly([&] {
    TPngGraphic g;
    g.SetBackgroundColor(MakeColor(10, 200, 30));
    g.ForceBackground = size > 0 && (data[size - 1] & 1);
    g.LoadFromBytes(bytes);
    g.Interlace = size > 1 && (data[size - 2] & 1);
    TPngGraphic back;
    back.LoadFromBytes(g.SaveToBytes());
    if (back.Width() != g.Width() || back.Height() != g.Height() || back.Format() != g.Format()) __builtin_trap();
  });
  return 0;
}
