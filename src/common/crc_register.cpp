#include "common/crc_register.h"

#include <zlib.h>

#include "common/hex_text.h"

namespace pelira {

// zlib's crc32 keeps the register inverted on entry and exit, so its value for a register r
// is ~r; its braided inner loop is several times faster than a byte table.
std::uint32_t CrcRegisterUpdate(std::uint32_t reg, const void* data, std::size_t n) {
  if (n == 0) return reg;
  const auto* p = static_cast<const Bytef*>(data);
  return ~static_cast<std::uint32_t>(crc32_z(~reg, p, n));
}

std::uint32_t CrcRegister(const void* data, std::size_t n) {
  return CrcRegisterUpdate(kCrcRegisterStart, data, n);
}

std::uint32_t CrcRegister(std::string_view bytes) {
  return CrcRegister(bytes.data(), bytes.size());
}

std::string CrcRegisterText(std::uint32_t reg) { return Hex8(reg); }

}  // namespace pelira
