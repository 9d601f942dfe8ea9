#pragma once
// Parsing of BMP files for both readers of the BMP codec:
//  - the frame reader of TBmpGraphic (strict: 1/4/8/24 bits, uncompressed, RLE4, RLE8,
//    bottom-up rows, the header sizes the frame knows), and
//  - the full reader that stands in for the platform's own BMP reader: also OS/2 2.x, V4
//    and V5 headers, 16 and 32 bits, bit fields, top-down rows. It gives a working bitmap
//    (1, 4, 8 or 24 bits; 16 and 32 bits become 24).
// Everything read is checked against the file's length with 64-bit arithmetic and against
// the pixel limit before any pixel buffer is allocated.
#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>

#include "image/dib.h"

namespace pelira {

struct BmpHeader {
  std::size_t base = 0;          // offset of "BM" (14 after a "BA" array header)
  std::uint32_t offBits = 0;     // pixel data offset from base
  std::uint32_t cbFix = 0;       // information header size
  std::int64_t width = 0;
  std::int64_t height = 0;       // negative: rows top-down
  std::uint16_t planes = 0;
  std::uint16_t bitCount = 0;
  std::uint32_t compression = 0;
  std::uint32_t sizeImage = 0;
  bool hasPpm = false;           // the header is long enough to hold both resolutions
  std::int32_t xPelsPerMeter = 0, yPelsPerMeter = 0;
  std::uint32_t clrUsed = 0;     // as stored (0 when the header has no such field)
  bool hasMasks = false;
  std::uint32_t masks[4] = {0, 0, 0, 0};  // red, green, blue, alpha
};

// Reads the file and information headers. Returns 0 or the frame's error code
// (5 bad magic, 6 bad size, 7 short file, 302 cbFix bad). `strict` applies the frame's rule
// for header sizes; otherwise 12, 16..64 and the V4/V5 sizes (108, 124) are read.
int ParseBmpHeader(std::span<const std::uint8_t> file, BmpHeader& h, bool strict);

// The platform-style reader: a whole BMP file to a bitmap. Raises EVistrelError with the
// pixel limit's message for oversized pictures and "Invalid bitmap" for anything else it
// cannot read.
Dib ReadBmpFile(std::span<const std::uint8_t> file);

// The same from a file. Uncompressed 1/4/8/24-bit rows go straight from the file into the
// bitmap's buffer (no copy of the whole file in memory); other files are read whole.
Dib ReadBmpPath(const std::filesystem::path& path);

// A packed device-independent bitmap (information header, colour table, pixels), as the
// imaging library, the clipboard and scanners hand them over.
Dib DibFromPacked(std::span<const std::uint8_t> block);

// Run-length decoding into a zeroed bottom-up buffer of `height` rows of `stride` bytes.
// Runs, absolute runs and moves are cut at the row end and at the last row; returns false
// when the data ends before an end-of-image code.
bool DecodeRle8(std::span<const std::uint8_t> data, std::uint8_t* bits, std::size_t stride,
                int width, int height);
bool DecodeRle4(std::span<const std::uint8_t> data, std::uint8_t* bits, std::size_t stride,
                int width, int height);

}  // namespace pelira
