#include "jpeg_tools/jpeg_segments.h"

#include <cstring>

namespace pelira {

std::size_t ForeignHeaderLength(JpegBytes b) {
  // A stream that starts with its marker has no foreign header, whatever "JFIF" text its
  // thumbnail or coded data may hold further on.
  if (b.size() < 14) return 0;
  if (b[0] == 0xFF && b[1] == kMarkerSOI) return 0;
  for (std::size_t i = 7; i + 7 <= b.size(); ++i)
    if (b[i] == 'J' && b[i + 1] == 'F' && b[i + 2] == 'I' && b[i + 3] == 'F') return i - 6;
  return 0;
}

bool StandaloneMarker(std::uint8_t m) { return m == 0x01 || (m >= 0xD0 && m <= 0xD9); }

namespace {

// Adds a fill piece, joining it to a fill piece just before it.
void AddFill(JpegWalk& w, std::size_t offset, std::size_t size) {
  if (!w.pieces.empty() && w.pieces.back().kind == JpegPiece::Kind::Fill &&
      w.pieces.back().offset + w.pieces.back().size == offset) {
    w.pieces.back().size += size;
    return;
  }
  w.pieces.push_back({JpegPiece::Kind::Fill, 0, offset, size});
}

// End of the coded data that starts at pos: the first FF that begins a marker other than a
// restart marker. Stuffed FF 00 and restart markers belong to the data; of a run of FF the
// last one begins the marker.
std::size_t EntropyEnd(JpegBytes b, std::size_t pos) {
  const std::size_t n = b.size();
  while (pos < n) {
    const void* hit = std::memchr(b.data() + pos, 0xFF, n - pos);
    if (!hit) return n;
    pos = static_cast<std::size_t>(static_cast<const std::uint8_t*>(hit) - b.data());
    if (pos + 1 >= n) return n;
    const std::uint8_t next = b[pos + 1];
    if (next == 0x00 || (next >= 0xD0 && next <= 0xD7)) {
      pos += 2;
    } else if (next == 0xFF) {
      pos += 1;
    } else {
      return pos;
    }
  }
  return n;
}

}  // namespace

JpegWalk WalkJpeg(JpegBytes b, WalkExtent extent) {
  JpegWalk w;
  const std::size_t n = b.size();
  if (n < 2 || b[0] != 0xFF || b[1] != kMarkerSOI) {
    w.ok = false;
    return w;
  }
  std::size_t pos = 0;
  while (pos < n) {
    if (b[pos] != 0xFF) {
      // Stray bytes where a marker belongs: kept as they are, up to the next FF.
      const void* hit = std::memchr(b.data() + pos, 0xFF, n - pos);
      const std::size_t end = hit ? static_cast<std::size_t>(static_cast<const std::uint8_t*>(hit) - b.data()) : n;
      AddFill(w, pos, end - pos);
      pos = end;
      continue;
    }
    if (pos + 1 >= n) {
      AddFill(w, pos, 1);
      pos = n;
      break;
    }
    const std::uint8_t m = b[pos + 1];
    if (m == 0xFF) {  // fill byte before a marker
      AddFill(w, pos, 1);
      pos += 1;
      continue;
    }
    if (m == 0x00) {  // not a marker outside coded data
      AddFill(w, pos, 2);
      pos += 2;
      continue;
    }
    if (StandaloneMarker(m)) {
      w.pieces.push_back({JpegPiece::Kind::Marker, m, pos, 2});
      pos += 2;
      if (m == kMarkerEOI) {
        w.reachedEnd = true;
        if (extent == WalkExtent::Whole && pos < n) {
          w.pieces.push_back({JpegPiece::Kind::Trailer, 0, pos, n - pos});
          pos = n;
        }
        break;
      }
      continue;
    }
    if (pos + 4 > n) {
      w.ok = false;
      break;
    }
    const std::size_t len = ReadBigEndian16(&b[pos + 2]);
    if (len < 2 || pos + 2 + len > n) {
      w.ok = false;
      break;
    }
    w.pieces.push_back({JpegPiece::Kind::Segment, m, pos, 2 + len});
    pos += 2 + len;
    if (m == kMarkerSOS) {
      w.reachedScan = true;
      if (extent == WalkExtent::Header) break;
      const std::size_t end = EntropyEnd(b, pos);
      if (end > pos) w.pieces.push_back({JpegPiece::Kind::Entropy, 0, pos, end - pos});
      pos = end;
    }
  }
  w.walked = w.pieces.empty() ? 0 : w.pieces.back().offset + w.pieces.back().size;
  return w;
}

}  // namespace pelira
