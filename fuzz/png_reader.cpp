// The PNG codec on arbitrary bytes: header probe, full read on a coloured background, then
// a write and read back of whatever loaded.
#include <zlib.h>

#include <cstring>

#include "fuzz_support.h"
#include "image/png_graphic.h"

extern "C" std::size_t LLVMFuzzerMutate(std::uint8_t* data, std::size_t size, std::size_t maxSize);

namespace {

std::uint32_t Be32(const std::uint8_t* p) {
  return (std::uint32_t{p[0]} << 24) | (std::uint32_t{p[1]} << 16) | (std::uint32_t{p[2]} << 8) | p[3];
}

// Sets every whole chunk's CRC to the right value for its type and data.
void FixChunkCrcs(std::uint8_t* data, std::size_t size) {
  static const std::uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  if (size < 8 || std::memcmp(data, kSignature, 8) != 0) return;
  std::size_t at = 8;
  while (size - at >= 12) {
    const std::uint32_t length = Be32(data + at);
    if (length > size - at - 12) break;
    const std::uint32_t crc = static_cast<std::uint32_t>(::crc32(0, data + at + 4, length + 4));
    std::uint8_t* out = data + at + 8 + length;
    out[0] = static_cast<std::uint8_t>(crc >> 24);
    out[1] = static_cast<std::uint8_t>(crc >> 16);
    out[2] = static_cast<std::uint8_t>(crc >> 8);
    out[3] = static_cast<std::uint8_t>(crc);
    at += 12 + length;
  }
}

}  // namespace

// libpng refuses a chunk whose CRC is wrong, so almost every plain mutation would stop at the
// CRC check: the mutated input gets right CRCs before it is run.
extern "C" std::size_t LLVMFuzzerCustomMutator(std::uint8_t* data, std::size_t size, std::size_t maxSize,
                                               unsigned int) {
  size = LLVMFuzzerMutate(data, size, maxSize);
  FixChunkCrcs(data, size);
  return size;
}

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
