// Icon codec on arbitrary bytes: directory, header probe, every entry read, then a write and read back.
#include "fuzz_support.h"
#include "image/icon_graphic.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace pelira;
  const ByteSpan bytes = fuzz::Start(data, size);
  fuzz::Quietly([&] {
    TIconGraphic g;
    (void)g.ReadHeader(bytes);
    const int n = g.GetImageCount(bytes);
    for (int i = 1; i <= n && i <= 8; ++i) {
      fuzz::Quietly([&] {
        g.ReadImage(bytes, i);
        TIconGraphic back;
        back.LoadFromBytes(g.SaveToBytes());
        if (back.Width() != kStandardIconSize) __builtin_trap();
      });
    }
  });
  return 0;
}
