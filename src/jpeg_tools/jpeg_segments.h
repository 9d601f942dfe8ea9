#pragma once
// The JPEG marker structure of a file's bytes, walked without decoding anything. Every read is
// bounded by the buffer: a segment whose length runs past the end stops the walk with an
// error, and the walk never moves backwards, so hostile bytes cannot make it loop.
//
// The EXIF report, the comment editor and the picture loader's foreign-header rule all use
// this one walk.
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace pelira {

using JpegBytes = std::span<const std::uint8_t>;

inline constexpr std::uint8_t kMarkerSOI = 0xD8;
inline constexpr std::uint8_t kMarkerEOI = 0xD9;
inline constexpr std::uint8_t kMarkerSOS = 0xDA;
inline constexpr std::uint8_t kMarkerCOM = 0xFE;
inline constexpr std::uint8_t kMarkerAPP0 = 0xE0;
inline constexpr std::uint8_t kMarkerAPP1 = 0xE1;
inline constexpr std::uint8_t kMarkerAPP14 = 0xEE;

// The error of every JPEG tool when the marker structure cannot be followed.
inline constexpr const char* kBadJpegMarkersText = "File has bad JPEG markers.";

// Where the JPEG stream starts in data. Data that does not begin with FF D8 may carry a
// foreign header (a Mac resource header, for one) before a JFIF stream: when "JFIF" occurs
// from position 7 on, the stream starts 6 bytes before it. Otherwise 0.
std::size_t ForeignHeaderLength(JpegBytes data);

// True for markers that stand alone, without a length: SOI, EOI, RST0..7, TEM.
bool StandaloneMarker(std::uint8_t marker);

// One piece of the file, in file order. Pieces cover the walked bytes without gaps.
struct JpegPiece {
  enum class Kind {
    Marker,   // a standalone marker (2 bytes)
    Segment,  // marker, 2-byte length L and L - 2 payload bytes
    Entropy,  // coded data after a start-of-scan segment, up to the next real marker
    Fill,     // FF fill bytes and stray bytes between segments
    Trailer,  // everything after the end-of-image marker (motion video, extra pictures)
  };
  Kind kind;
  std::uint8_t marker = 0;  // Marker and Segment
  std::size_t offset = 0;   // of the first byte (the FF of a marker)
  std::size_t size = 0;     // bytes in the piece, marker included

  std::size_t PayloadOffset() const { return offset + 4; }
  std::size_t PayloadSize() const { return kind == Kind::Segment ? size - 4 : 0; }
};

struct JpegWalk {
  std::vector<JpegPiece> pieces;
  bool ok = true;            // false: the data does not start with SOI, or a segment is cut
  bool reachedScan = false;  // a start-of-scan segment was met
  bool reachedEnd = false;   // the end-of-image marker was met
  std::size_t walked = 0;    // bytes covered by pieces
};

enum class WalkExtent {
  Header,  // stop after the first start-of-scan segment: the metadata of a file
  Whole,   // through the coded data to the end-of-image marker and the trailer after it
};

// Walks data, which must start with FF D8 (apply ForeignHeaderLength first).
JpegWalk WalkJpeg(JpegBytes data, WalkExtent extent);

// Big-endian 16-bit value at p (the caller has checked the bounds).
inline unsigned ReadBigEndian16(const std::uint8_t* p) { return (unsigned{p[0]} << 8) | p[1]; }

}  // namespace pelira
