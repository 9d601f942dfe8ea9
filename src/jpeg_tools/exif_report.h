#pragma once
// The EXIF report: one line per entry of the first TIFF directory of an EXIF segment and of
// the EXIF directory it points to, as "Name = value". The fields are printed as they stand in
// the file (raw rationals, offsets), which is why this is our own reader over the bytes.
//
// Every read stays inside the segment; a directory or value that does not fit makes the
// report fail. Only the first directory and one EXIF directory are read, so offsets that point
// back cannot make it loop, and the text it makes is bounded.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "jpeg_tools/jpeg_segments.h"

namespace pelira {

// The report stops adding lines once it holds this much text.
inline constexpr std::size_t kMaxExifReportBytes = std::size_t{1} << 20;

inline constexpr std::uint16_t kTagExifOffset = 34665;

struct ExifReport {
  bool found = false;      // the payload is an EXIF segment
  bool ok = true;          // false: its directories do not fit the segment
  bool cut = false;        // lines were left out at kMaxExifReportBytes
  std::vector<std::string> lines;
};

// True when an APP1 payload (the bytes after the length) starts with "Exif" and a zero.
bool IsExifPayload(JpegBytes payload);

// The report of an APP1 payload; found is false for payloads that are not EXIF.
ExifReport ReadExifPayload(JpegBytes payload, std::size_t maxBytes = kMaxExifReportBytes);

// The name of a tag in the first directory (exifDirectory false) or in the EXIF directory;
// tags that directory's table does not name are four upper-case hexadecimal digits.
std::string ExifTagName(std::uint16_t tag, bool exifDirectory);

// Bytes per element of an entry type: 1 for 1, 2, 6, 7; 2 for 3, 8; 4 for 4, 9, 11; else 8.
unsigned ExifElementSize(unsigned type);

}  // namespace pelira
