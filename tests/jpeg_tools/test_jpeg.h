#pragma once
// Builders of small JPEG and EXIF byte blocks for the JPEG tools tests.
#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

namespace pelira::test {

struct TiffEntry {
  std::uint16_t tag;
  std::uint16_t type;
  std::uint32_t count;
  std::uint32_t field;  // value or offset, written in the block's byte order
};

// A TIFF block as an EXIF segment holds it: header, then directories placed by hand.
struct TiffBlock {
  explicit TiffBlock(bool little) : little(little) {
    bytes = little ? std::vector<std::uint8_t>{'I', 'I', 42, 0, 8, 0, 0, 0}
                   : std::vector<std::uint8_t>{'M', 'M', 0, 42, 0, 0, 0, 8};
  }
  void Put16(std::size_t at, std::uint32_t v) {
    if (bytes.size() < at + 2) bytes.resize(at + 2);
    bytes[at + (little ? 0 : 1)] = static_cast<std::uint8_t>(v);
    bytes[at + (little ? 1 : 0)] = static_cast<std::uint8_t>(v >> 8);
  }
  void Put32(std::size_t at, std::uint32_t v) {
    Put16(at + (little ? 0 : 2), v & 0xFFFF);
    Put16(at + (little ? 2 : 0), v >> 16);
  }
  // A directory at offset with these entries and a zero next-directory pointer.
  void Directory(std::size_t at, const std::vector<TiffEntry>& entries) {
    Put16(at, static_cast<std::uint32_t>(entries.size()));
    std::size_t p = at + 2;
    for (const TiffEntry& e : entries) {
      Put16(p, e.tag);
      Put16(p + 2, e.type);
      Put32(p + 4, e.count);
      Put32(p + 8, e.field);
      p += 12;
    }
    Put32(p, 0);
  }
  // "Exif", two zeros, the block: an APP1 payload.
  std::vector<std::uint8_t> Payload() const {
    std::vector<std::uint8_t> p = {'E', 'x', 'i', 'f', 0, 0};
    p.insert(p.end(), bytes.begin(), bytes.end());
    return p;
  }
  bool little;
  std::vector<std::uint8_t> bytes;
};

// FF marker, big-endian length, payload.
inline std::vector<std::uint8_t> Segment(std::uint8_t marker, const std::vector<std::uint8_t>& payload) {
  std::vector<std::uint8_t> s = {0xFF, marker, static_cast<std::uint8_t>((payload.size() + 2) >> 8),
                                 static_cast<std::uint8_t>((payload.size() + 2) & 0xFF)};
  s.insert(s.end(), payload.begin(), payload.end());
  return s;
}

inline std::vector<std::uint8_t> Segment(std::uint8_t marker, const std::string& payload) {
  return Segment(marker, std::vector<std::uint8_t>(payload.begin(), payload.end()));
}

inline std::vector<std::uint8_t> Join(std::initializer_list<std::vector<std::uint8_t>> parts) {
  std::vector<std::uint8_t> out;
  for (const auto& p : parts) out.insert(out.end(), p.begin(), p.end());
  return out;
}

inline const std::vector<std::uint8_t> kSOI = {0xFF, 0xD8};
inline const std::vector<std::uint8_t> kEOI = {0xFF, 0xD9};

// A minimal stream shape: start of scan header and some coded data with a stuffed FF 00 and a
// restart marker.
inline std::vector<std::uint8_t> ScanWithData() {
  return Join({Segment(0xDA, std::vector<std::uint8_t>{1, 1, 0, 0, 63, 0}),
               {0x12, 0xFF, 0x00, 0x34, 0xFF, 0xD0, 0x56, 0x78}});
}

}  // namespace pelira::test
