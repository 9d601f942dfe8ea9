#include "viewer/jpeg_frame_size.h"

#include <fstream>

namespace pelira {

std::optional<JpegFrameSize> ReadJpegFrameSize(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  auto byte = [&in]() -> int { return in.get(); };  // EOF is -1
  if (byte() != 0xFF || byte() != 0xD8) return std::nullopt;
  // A bounded walk: each step moves forward by a segment's own length.
  for (int segments = 0; segments < 4096; ++segments) {
    int marker = byte();
    if (marker != 0xFF) return std::nullopt;
    while (marker == 0xFF) marker = byte();  // fill bytes
    if (marker < 0) return std::nullopt;
    if (marker == 0xD8 || marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7)) continue;  // no length
    if (marker == 0xD9 || marker == 0xDA) return std::nullopt;  // image end or scan before any frame
    const int hi = byte(), lo = byte();
    if (lo < 0) return std::nullopt;
    const int length = hi << 8 | lo;
    if (length < 2) return std::nullopt;
    const bool frame = marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
    if (frame) {
      if (length < 7) return std::nullopt;
      byte();  // sample precision
      const int h1 = byte(), h0 = byte(), w1 = byte(), w0 = byte();
      if (w0 < 0) return std::nullopt;
      const JpegFrameSize size{w1 << 8 | w0, h1 << 8 | h0};
      if (size.width == 0 || size.height == 0) return std::nullopt;
      return size;
    }
    in.seekg(length - 2, std::ios::cur);
    if (!in) return std::nullopt;
  }
  return std::nullopt;
}

int JpegReduction(JpegFrameSize frame, int shownW, int shownH) {
  for (int factor : {2, 4, 8}) {
    if ((frame.width + factor - 1) / factor == shownW && (frame.height + factor - 1) / factor == shownH) return factor;
  }
  return 1;
}

}  // namespace pelira
