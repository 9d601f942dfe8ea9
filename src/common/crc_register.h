#pragma once
// The CRC register of file checksums and thumbnail names: reflected CRC-32 (polynomial
// EDB88320), started at FFFFFFFF and returned WITHOUT the final inversion, i.e. the bitwise
// complement of the usual CRC-32. "" gives FFFFFFFF, "abc" gives CADBBE3D.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace pelira {

inline constexpr std::uint32_t kCrcRegisterStart = 0xFFFFFFFFu;

// Feeds n bytes into a register; chaining updates equals one update over the joined bytes.
std::uint32_t CrcRegisterUpdate(std::uint32_t reg, const void* data, std::size_t n);

// The register over n bytes, started at FFFFFFFF.
std::uint32_t CrcRegister(const void* data, std::size_t n);
std::uint32_t CrcRegister(std::string_view bytes);

// The register as 8 upper-case hex digits ("CADBBE3D").
std::string CrcRegisterText(std::uint32_t reg);

}  // namespace pelira
