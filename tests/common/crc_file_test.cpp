#include "common/crc_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <string>
#include <vector>

#include "support/test_support.h"

namespace pelira {
namespace {

std::vector<std::uint8_t> Pattern(std::size_t n) {
  std::vector<std::uint8_t> b(n);
  for (std::size_t i = 0; i < n; ++i) b[i] = static_cast<std::uint8_t>(i * 7 + 3);
  return b;
}

// python3: b = bytes((i*7+3) & 0xFF for i in range(n)); '%08X' % (zlib.crc32(b) ^ 0xFFFFFFFF).
// The sizes straddle the old 2048-byte block and the 1 MiB block read here.
TEST(CrcFile, MatchesTheRegisterOverTheWholeFile) {
  struct Case {
    std::size_t size;
    const char* text;
  };
  const Case cases[] = {{0, "FFFFFFFF"},    {3, "92A750CC"},    {2047, "4219E753"},
                        {2048, "462BA79E"}, {2049, "8EF8C45E"}, {(std::size_t{3} << 20) + 5, "77FA0093"}};
  test::TempDir dir;
  for (const Case& c : cases) {
    const auto path = dir / ("f" + std::to_string(c.size));
    test::WriteBytes(path, Pattern(c.size));
    const auto crc = CRCFile(path);
    ASSERT_TRUE(crc.has_value()) << c.size;
    EXPECT_EQ(*crc, c.text) << c.size;
  }
  test::WriteText(dir / "abc", "abc");
  EXPECT_EQ(CRCFile(dir / "abc").value_or(""), "CADBBE3D");
}

// What is not a readable regular file has no checksum: never "FFFFFFFF", which would read as
// an empty file, and never a wait on a FIFO or an endless device.
TEST(CrcFile, NoValueForWhatIsNotARegularReadableFile) {
  test::TempDir dir;
  ASSERT_EQ(::mkfifo((dir / "fifo").c_str(), 0600), 0);
  std::filesystem::create_directory(dir / "folder");
  for (const std::filesystem::path& p : {dir / "missing", dir / "fifo", dir / "folder", std::filesystem::path("/dev/zero")})
    EXPECT_FALSE(CRCFile(p).has_value()) << p;
  if (::geteuid() != 0) {
    test::WriteText(dir / "locked", "x");
    std::filesystem::permissions(dir / "locked", std::filesystem::perms::none);
    EXPECT_FALSE(CRCFile(dir / "locked").has_value());
  }
}

}  // namespace
}  // namespace pelira
