// The EXIF report on arbitrary bytes, as an APP1 payload and inside a JPEG head: it must not
// read outside the segment, loop or exceed its text bound.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "jpeg_tools/exif_report.h"
#include "jpeg_tools/jpeg_text.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const pelira::JpegBytes bytes(data, size);
  // As a payload behind "Exif\0\0", whatever the bytes start with.
  std::vector<std::uint8_t> payload = {'E', 'x', 'i', 'f', 0, 0};
  payload.insert(payload.end(), data, data + size);
  const pelira::ExifReport r = pelira::ReadExifPayload(payload, 4096);
  std::size_t total = 0;
  for (const auto& line : r.lines) total += line.size();
  if (total > 4096 || (!r.ok && !r.lines.empty())) __builtin_trap();

  // As a whole file (foreign header, segments, comments).
  const pelira::JpegTextReport t = pelira::ReadJpegTextBytes(bytes);
  if (!t.ok && !t.CollectedLines().empty()) __builtin_trap();
  return 0;
}
