// Clipboard data from another program on arbitrary bytes: the first byte picks the format the
// clipboard claimed (PNG, BMP, packed bitmap), the rest is its data.
#include "fuzz_support.h"
#include "viewer/clipboard_picture.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace pelira;
  const ByteSpan bytes = fuzz::Start(data, size);
  if (bytes.empty()) return 0;
  ClipboardData d;
  d.format = static_cast<ClipboardFormat>(1 + bytes[0] % 3);
  d.bytes.assign(bytes.begin() + 1, bytes.end());
  fuzz::Quietly([&] {
    const Dib picture = DecodeClipboard(d, 0x808080);
    // A paste of it into a small picture at a corner selection.
    Dib target(7, 5, 24);
    PasteInto(target, picture, {3, 2, 90, 90});
  });
  return 0;
}
