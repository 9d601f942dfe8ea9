#pragma once
// Fixed-width upper-case hexadecimal numbers, as the program's names and ids carry them.
#include <cstdint>
#include <string>

namespace pelira {

// The low 4*digits bits of value as exactly `digits` upper-case hex digits (1..16).
inline std::string HexUpper(std::uint64_t value, int digits) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  if (digits < 1) digits = 1;
  if (digits > 16) digits = 16;
  std::string out(static_cast<std::size_t>(digits), '0');
  for (int i = digits - 1; i >= 0; --i) {
    out[static_cast<std::size_t>(i)] = kDigits[value & 0xF];
    value >>= 4;
  }
  return out;
}

// Eight digits: CRC registers, volume serial numbers, the random part of the run tag.
inline std::string Hex8(std::uint32_t value) { return HexUpper(value, 8); }

}  // namespace pelira
