#include "tools/zip_archive.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <sstream>

#include "support/test_support.h"
#include "tools/zip_test_support.h"

namespace pelira {
namespace {

using test::Fixture;

std::string Capture(const std::string& command) {
  std::string out;
  FILE* p = ::popen(command.c_str(), "r");
  if (!p) return out;
  char buf[4096];
  std::size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, p)) > 0) out.append(buf, n);
  ::pclose(p);
  return out;
}

// python3's zipfile as the oracle of the directory: name, sizes, CRC per line.
std::string OracleListing(const std::filesystem::path& zip) {
  return Capture("python3 -c \"import sys,zipfile\n"
                 "for i in zipfile.ZipFile(sys.argv[1]).infolist():"
                 " print(i.filename, i.file_size, i.compress_size, i.CRC)\" '" +
                 zip.string() + "'");
}

std::string OurListing(const ZipArchive& z) {
  std::ostringstream s;
  for (const ZipEntry& e : z.Entries())
    s << e.name << " " << e.uncompressedSize << " " << e.compressedSize << " " << e.crc << "\n";
  return s.str();
}

TEST(ZipArchive, DirectoryMatchesPythonZipfile) {
  for (const char* name : {"mixed.zip", "infozip.zip", "infozip64.zip", "zip64_sizes.zip", "prepended.zip",
                           "cp437.zip", "traversal.zip", "symlinks.zip", "bomb_declared.zip"}) {
    SCOPED_TRACE(name);
    const auto path = Fixture(std::string("tools/") + name);
    ZipArchive z;
    ASSERT_TRUE(z.Open(path)) << z.Error();
    const std::string oracle = OracleListing(path);
    ASSERT_FALSE(oracle.empty());
    EXPECT_EQ(OurListing(z), oracle);
  }
}

TEST(ZipArchive, NamesAttributesAndTimes) {
  ZipArchive z;
  ASSERT_TRUE(z.Open(Fixture("tools/cp437.zip")));
  EXPECT_EQ(z.Entries().at(0).name, "caf\xC3\xA9.txt");  // 0x82 in code page 437 is é

  ASSERT_TRUE(z.Open(Fixture("tools/mixed.zip")));
  const auto& m = z.Entries();
  EXPECT_EQ(m.at(4).name, "na\xC3\xAFve caf\xC3\xA9.txt");  // flagged UTF-8
  EXPECT_TRUE(m.at(1).IsDirectory());
  EXPECT_FALSE(m.at(2).IsDirectory());
  EXPECT_EQ(ZipDateText(m.at(0).dosDate, m.at(0).dosTime), "2021-06-15 13:45:30");

  ASSERT_TRUE(z.Open(Fixture("tools/infozip.zip")));
  for (const ZipEntry& e : z.Entries()) {
    SCOPED_TRACE(e.name);
    ASSERT_TRUE(e.unixMtime.has_value());
    EXPECT_EQ(*e.unixMtime, 1600000000);
    if (e.name == "ro.txt") EXPECT_EQ(e.UnixMode(), 0444u);
    if (e.name == "run.sh") EXPECT_EQ(e.UnixMode(), 0755u);
  }

  ASSERT_TRUE(z.Open(Fixture("tools/symlinks.zip")));
  EXPECT_TRUE(z.Entries().at(0).IsSymlink());
  EXPECT_FALSE(z.Entries().at(3).IsSymlink());
}

TEST(ZipArchive, RefusesDamagedArchives) {
  const std::string good = test::StoredZip({{"a.txt", "alpha"}, {"b.txt", "beta"}});
  std::string countOff = good;
  countOff[countOff.size() - 12] = 3;  // three entries claimed, two present
  std::string cdPastEnd = good;
  cdPastEnd[cdPastEnd.size() - 6] = '\x7f';  // directory offset far past the file
  std::string badLocal = good;
  badLocal[0] = 'X';
  std::string multiDisk = good;
  multiDisk[good.size() - 18] = 1;
  const struct {
    const char* label;
    std::string bytes;
  } cases[] = {
      {"empty", ""},
      {"not a zip", std::string(100, 'x')},
      {"count off", countOff},
      {"directory offset past the end", cdPastEnd},
      {"local header signature", badLocal},
      {"another disk", multiDisk},
      {"cut", good.substr(0, good.size() - 1)},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.label);
    ZipArchive z;
    EXPECT_FALSE(z.Open(ZipMemorySource(c.bytes.data(), c.bytes.size())));
    EXPECT_FALSE(z.Error().empty());
    EXPECT_TRUE(z.Entries().empty());
  }
  for (const char* name : {"truncated.zip", "overlap.zip"}) {
    SCOPED_TRACE(name);
    ZipArchive z;
    EXPECT_FALSE(z.Open(Fixture(std::string("tools/") + name)));
  }
  ZipArchive z;
  ASSERT_TRUE(z.Open(ZipMemorySource(good.data(), good.size())));
  EXPECT_EQ(z.Entries().size(), 2u);
  // Bytes between the directory and the end record (a signature block) do not move it.
  std::string gap = good;
  gap.insert(gap.size() - 22, "0123456789");
  ASSERT_TRUE(z.Open(ZipMemorySource(gap.data(), gap.size()))) << z.Error();
  EXPECT_EQ(z.Entries().at(1).name, "b.txt");
}

struct ReadOutcome {
  ZipReadStatus status;
  std::string bytes;
};

ReadOutcome ReadMember(const char* fixture, const std::string& member) {
  ZipArchive z;
  EXPECT_TRUE(z.Open(Fixture(std::string("tools/") + fixture))) << z.Error();
  ZipMemberReader reader;
  for (const ZipEntry& e : z.Entries()) {
    if (e.name != member) continue;
    std::string got;
    const ZipReadResult r = reader.Read(z.Source(), e, [&](const std::uint8_t* p, std::size_t n) {
      got.append(reinterpret_cast<const char*>(p), n);
      return true;
    });
    return {r.status, got};
  }
  ADD_FAILURE() << "no member " << member;
  return {ZipReadStatus::ReadError, {}};
}

TEST(ZipMemberReader, ChecksSizeCrcAndMethod) {
  const struct {
    const char* fixture;
    const char* member;
    ZipReadStatus status;
  } cases[] = {
      {"mixed.zip", "big.bin", ZipReadStatus::Ok},
      {"mixed.zip", "photos/pic.bin", ZipReadStatus::Ok},
      {"mixed.zip", "photos/deep/empty.txt", ZipReadStatus::Ok},
      {"zip64_sizes.zip", "one.txt", ZipReadStatus::Ok},
      {"badcrc.zip", "data.txt", ZipReadStatus::BadCrc},
      {"short_stream.zip", "short.bin", ZipReadStatus::Corrupt},
      {"liar.zip", "liar.bin", ZipReadStatus::Corrupt},
      {"methods.zip", "bzip.bin", ZipReadStatus::Unsupported},
      {"methods.zip", "secret.txt", ZipReadStatus::Encrypted},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.fixture) + " " + c.member);
    const ReadOutcome r = ReadMember(c.fixture, c.member);
    EXPECT_EQ(r.status, c.status);
    if (c.status == ZipReadStatus::Ok) {
      const std::string oracle = Capture("python3 -c \"import sys,zipfile;sys.stdout.buffer.write("
                                         "zipfile.ZipFile(sys.argv[1]).read(sys.argv[2]))\" '" +
                                         Fixture(std::string("tools/") + c.fixture).string() + "' '" + c.member + "'");
      EXPECT_TRUE(r.bytes == oracle) << r.bytes.size() << " bytes against " << oracle.size();
    }
  }
  // A stream running past its declared size never hands out more than was declared.
  EXPECT_LE(ReadMember("liar.zip", "liar.bin").bytes.size(), 1000u);
}

TEST(ZipMemberReader, StopsWhenAsked) {
  ZipArchive z;
  ASSERT_TRUE(z.Open(Fixture("tools/mixed.zip")));
  ZipMemberReader reader;
  const ZipEntry& big = z.Entries().at(5);
  ASSERT_EQ(big.name, "big.bin");
  int calls = 0;
  const ZipReadResult r = reader.Read(
      z.Source(), big, [](const std::uint8_t*, std::size_t) { return true; },
      [&](std::uint64_t) { return ++calls < 2; });
  EXPECT_EQ(r.status, ZipReadStatus::Stopped);
  EXPECT_EQ(calls, 2);
  // The reader is fine for the next member after a stop.
  std::string got;
  EXPECT_TRUE(reader.Read(z.Source(), z.Entries().at(0), [&](const std::uint8_t* p, std::size_t n) {
    got.append(reinterpret_cast<const char*>(p), n);
    return true;
  }));
  EXPECT_EQ(got.size(), 5000u);
}

}  // namespace
}  // namespace pelira
