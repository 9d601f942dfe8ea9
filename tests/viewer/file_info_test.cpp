#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <ctime>

#include "support/test_support.h"
#include "common/crc_file.h"
#include "viewer/file_info.h"

namespace pelira {
namespace {

TEST(FileInfo, MemorySizeByDepth) {
  struct Case { int bits; std::int64_t want; };
  const Case cases[] = {{1, 15}, {4, 60}, {8, 120}, {15, 240}, {16, 240}, {24, 360}, {32, 480}, {2, -1}, {0, -1}};
  for (const Case& c : cases) EXPECT_EQ(PictureMemorySize(12, 10, c.bits), c.want) << c.bits;
  EXPECT_EQ(PictureMemorySize(32000, 32000, 24), 3072000000);
}

TEST(FileInfo, CrcOfTheFileIsTheRegisterOverAllItsBytes) {
  test::TempDir dir;
  test::WriteText(dir / "abc.txt", "abc");
  EXPECT_EQ(CRCFileRegister(dir / "abc.txt"), 0xCADBBE3Du);  // python3: zlib.crc32(b"abc") ^ 0xFFFFFFFF
  test::WriteText(dir / "empty", "");
  EXPECT_EQ(CRCFileRegister(dir / "empty"), 0xFFFFFFFFu);
  EXPECT_FALSE(CRCFileRegister(dir / "missing").has_value());
  // Longer than one read block: python3 zlib.crc32(bytes(i % 251 for i in range(3 << 20))) ^ 0xFFFFFFFF
  std::vector<std::uint8_t> big(3u << 20);
  for (std::size_t i = 0; i < big.size(); ++i) big[i] = static_cast<std::uint8_t>(i % 251);
  test::WriteBytes(dir / "big", big);
  EXPECT_EQ(CRCFileRegister(dir / "big"), 0x94914387u);
}

TEST(FileInfo, TextLinesInOrderWithPagesOnlyAboveOne) {
  FileInfoFacts f;
  f.description = "40x30(24) dib";
  f.name = "a.tif";
  f.folder = "/p";
  f.date = "2026-12-11 17:00:00";
  f.size = 1234;
  f.crc = 0xAB;
  f.pages = 3;
  f.uses = 3600;
  f.videoBits = 24;
  EXPECT_EQ(FileInfoText(f, true, "\n"),
            "40x30(24) dib\nName: a.tif\nPath: /p\nDate: 2026-12-11 17:00:00\nSize: 1234 bytes\nCRC: 000000AB\n"
            "Pages: 3\nUses: 3600 bytes\nVideo: 24 bpp");
  f.pages = 1;
  EXPECT_EQ(FileInfoText(f, false, "\r\n"),
            "40x30(24) dib\r\nDate: 2026-12-11 17:00:00\r\nSize: 1234 bytes\r\nCRC: 000000AB\r\n"
            "Uses: 3600 bytes\r\nVideo: 24 bpp");
}

TEST(FileInfo, FactsOfAFileAndNoneForAMissingOne) {
  test::TempDir dir;
  test::WriteText(dir / "abc.txt", "abc");
  setenv("TZ", "UTC", 1);
  tzset();
  // 2024-02-29 23:05:09 UTC
  const auto when = std::chrono::file_clock::from_sys(std::chrono::sys_seconds{std::chrono::seconds{1709247909}});
  std::filesystem::last_write_time(dir / "abc.txt", when);
  const auto f = ReadFileFacts(dir / "abc.txt");
  ASSERT_TRUE(f.has_value());
  EXPECT_EQ(f->name, "abc.txt");
  EXPECT_EQ(f->folder, dir.path().string());
  EXPECT_EQ(f->size, 3u);
  EXPECT_EQ(f->crc, 0xCADBBE3Du);
  EXPECT_EQ(f->date, "2024-02-29 23:05:09");
  EXPECT_FALSE(ReadFileFacts(dir / "nope").has_value());
  EXPECT_FALSE(ReadFileFacts(dir.path()).has_value());
}

}  // namespace
}  // namespace pelira
