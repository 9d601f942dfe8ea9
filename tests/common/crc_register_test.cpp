#include "common/crc_register.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace pelira {
namespace {

// Expected registers from python3: "%08X" % (zlib.crc32(b) ^ 0xFFFFFFFF)
struct CrcCase {
  std::string bytes;
  std::uint32_t reg;
};

TEST(CrcRegister, KnownValues) {
  const CrcCase cases[] = {
      {"", 0xFFFFFFFFu},
      {"a", 0x174841BCu},
      {std::string(1, '\0'), 0x2DFD1072u},
      {"\xFF", 0x00FFFFFFu},
      {"abc", 0xCADBBE3Du},
      {"123456789", 0x340BC6D9u},
      {"The quick brown fox jumps over the lazy dog", 0xBEB05CC6u},
      // A thumbnail folder text: two CRLF-ended lines.
      {"PHOTOS.1B2C3D4E\r\n/HOME/USER/PICS/\r\n", 0x46BA7115u},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(CrcRegister(c.bytes), c.reg) << c.bytes;
    EXPECT_EQ(CrcRegister(c.bytes.data(), c.bytes.size()), c.reg) << c.bytes;
  }
}

TEST(CrcRegister, OneMegabyte) {
  // python3: b = bytes((i*7+3) & 0xFF for i in range(1 << 20)); zlib.crc32(b) ^ 0xFFFFFFFF
  std::vector<std::uint8_t> data(1u << 20);
  for (std::size_t i = 0; i < data.size(); ++i) data[i] = static_cast<std::uint8_t>(i * 7 + 3);
  EXPECT_EQ(CrcRegister(data.data(), data.size()), 0xB5DB2705u);

  // Chained over uneven blocks, as a file read in pieces would be.
  std::uint32_t reg = kCrcRegisterStart;
  std::size_t pos = 0;
  for (std::size_t block : {1u, 2047u, 2048u, 3u, 100000u}) {
    reg = CrcRegisterUpdate(reg, data.data() + pos, block);
    pos += block;
  }
  reg = CrcRegisterUpdate(reg, data.data() + pos, data.size() - pos);
  EXPECT_EQ(reg, 0xB5DB2705u);
}

TEST(CrcRegister, ChainedUpdates) {
  // python3: zlib.crc32(b"hello world") ^ 0xFFFFFFFF
  std::uint32_t reg = CrcRegister("hello");
  reg = CrcRegisterUpdate(reg, " ", 1);
  reg = CrcRegisterUpdate(reg, nullptr, 0);  // an empty update changes nothing
  reg = CrcRegisterUpdate(reg, "world", 5);
  EXPECT_EQ(reg, 0xF2B5EE7Au);
}

TEST(CrcRegister, Text) {
  EXPECT_EQ(CrcRegisterText(0xCADBBE3Du), "CADBBE3D");
  EXPECT_EQ(CrcRegisterText(0x00FFFFFFu), "00FFFFFF");  // leading zeros kept
}

}  // namespace
}  // namespace pelira
