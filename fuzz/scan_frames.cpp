// Scanner frames on arbitrary bytes: up to three frame formats taken from the input, then the
// rest fed in pieces, then the page assembled.
#include "fuzz_support.h"
#include "viewer/scan_frames.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace pelira;
  ByteSpan bytes = fuzz::Start(data, size);
  fuzz::Quietly([&] {
    ScanAssembler a;
    for (int frame = 0; frame < 3 && bytes.size() >= 8; ++frame) {
      ScanFrameFormat f;
      f.kind = static_cast<ScanFrameKind>(bytes[0] % 5);
      f.bytesPerLine = bytes[1] | (bytes[2] << 8);
      f.pixelsPerLine = bytes[3] | (bytes[4] << 8);
      f.lines = bytes[5] == 255 ? -1 : bytes[5];
      f.depth = bytes[6] % 3 == 0 ? 1 : (bytes[6] % 3 == 1 ? 8 : 16);
      const std::size_t length = std::min<std::size_t>(bytes[7] * 16u, bytes.size() - 8);
      const ByteSpan payload = bytes.subspan(8, length);
      bytes = bytes.subspan(8 + length);
      if (!a.BeginFrame(f)) continue;
      for (std::size_t at = 0; at < payload.size(); at += 7)
        a.Feed(payload.subspan(at, std::min<std::size_t>(7, payload.size() - at)));
      a.EndFrame();
    }
    (void)a.Finish();
  });
  return 0;
}
