#include "jpeg_tools/exif_report.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <map>
#include <regex>
#include <sstream>

#include "common/hex_text.h"
#include "jpeg_tools/jpeg_text.h"
#include "jpeg_tools/test_jpeg.h"
#include "support/test_support.h"

namespace pelira {
namespace {

using test::Fixture;

// --- the oracles: exiv2 -u -pv (types, counts, values) and exiftool -v3 (raw fields) -------

struct OracleEntry {
  std::string type;   // exiv2's type name
  int count = 0;
  std::string value;  // exiv2's value text
  unsigned long offset = 0;  // exiftool: file offset of the data (or of the inline field)
  std::vector<std::uint8_t> raw;
};

using OracleKey = std::pair<bool, unsigned>;  // (EXIF directory, tag)

std::string ReadText(const std::filesystem::path& p) {
  std::ifstream in(p);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

struct Oracle {
  std::map<OracleKey, OracleEntry> entries;  // of the first directory and the EXIF directory
  unsigned long tiffStart = 0;                // file offset of the TIFF header
};

Oracle LoadOracle(const std::string& name) {
  Oracle o;
  std::istringstream exiv2(ReadText(Fixture("jpeg_tools/" + name + ".exiv2.txt")));
  const std::regex exiv2Line(R"(^0x([0-9a-f]{4}) +(\w+) +\S+ +(\w+) +(\d+)  ?(.*)$)");
  for (std::string line; std::getline(exiv2, line);) {
    std::smatch m;
    if (!std::regex_match(line, m, exiv2Line)) continue;
    if (m[2] != "Image" && m[2] != "Photo") continue;
    OracleEntry& e = o.entries[{m[2] == "Photo", static_cast<unsigned>(std::stoul(m[1], nullptr, 16))}];
    e.type = m[3];
    e.count = std::stoi(m[4]);
    e.value = m[5];
  }
  std::istringstream tool(ReadText(Fixture("jpeg_tools/" + name + ".exiftool.txt")));
  const std::regex dirLine(R"(^ *((?:\| )*)\+ \[(\w+) directory)");
  const std::regex tagLine(R"(^ *((?:\| )*) *- Tag 0x([0-9a-f]{4}) )");
  const std::regex dumpLine(R"(^[ |]*([0-9a-f]{4,}): ((?:[0-9a-f]{2} )+))");
  std::map<std::size_t, std::string> dirAtDepth;
  bool wantApp1 = false;
  OracleEntry* pending = nullptr;
  for (std::string line; std::getline(tool, line);) {
    std::smatch m;
    if (line.rfind("JPEG APP1", 0) == 0 && o.tiffStart == 0) {
      wantApp1 = true;
    } else if (wantApp1 && std::regex_search(line, m, dumpLine)) {
      o.tiffStart = std::stoul(m[1], nullptr, 16) + 6;
      wantApp1 = false;
    } else if (std::regex_search(line, m, dirLine)) {
      dirAtDepth[m[1].length() / 2] = m[2];
    } else if (std::regex_search(line, m, tagLine)) {
      const std::string dir = dirAtDepth[m[1].length() / 2 - 1];
      pending = nullptr;
      if (dir != "IFD0" && dir != "ExifIFD") continue;
      auto it = o.entries.find({dir == "ExifIFD", static_cast<unsigned>(std::stoul(m[2], nullptr, 16))});
      if (it != o.entries.end()) pending = &it->second;
    } else if (pending && std::regex_search(line, m, dumpLine)) {
      pending->offset = std::stoul(m[1], nullptr, 16);
      std::istringstream hex(m[2].str());
      for (std::string byte; hex >> byte;) pending->raw.push_back(static_cast<std::uint8_t>(std::stoul(byte, nullptr, 16)));
      pending = nullptr;
    }
  }
  return o;
}

// The line the report must give for an oracle entry, or "" when it gives none.
std::string ExpectedLine(const OracleKey& key, const OracleEntry& e, const Oracle& o, bool little) {
  static const std::map<std::string, unsigned> kSizes = {
      {"Byte", 1},   {"Ascii", 1},  {"SByte", 1},     {"Undefined", 1}, {"Short", 2},  {"SShort", 2},
      {"Long", 4},   {"SLong", 4},  {"Float", 4},     {"Rational", 8},  {"SRational", 8}, {"Double", 8}};
  if (e.type == "Undefined" || key.second == kTagExifOffset) return "";
  const std::string name = ExifTagName(static_cast<std::uint16_t>(key.second), key.first);
  const unsigned long bytes = static_cast<unsigned long>(e.count) * kSizes.at(e.type);
  const bool integer = e.type == "Byte" || e.type == "Short" || e.type == "Long" || e.type == "SByte" ||
                       e.type == "SShort" || e.type == "SLong";
  if (e.type == "Ascii" || e.type == "Rational" || e.type == "SRational" || (integer && bytes <= 4))
    return name + " = " + e.value;
  if (bytes <= 4) {  // the raw field, read in the file's byte order
    std::uint32_t v = 0;
    for (std::size_t i = 0; i < 4; ++i) {
      const std::uint32_t b = i < e.raw.size() ? e.raw[i] : 0;
      v |= little ? b << (8 * i) : b << (8 * (3 - i));
    }
    return name + " = " + Hex8(v) + "(Hex)";
  }
  return name + " = " + Hex8(static_cast<std::uint32_t>(e.offset - o.tiffStart)) + " [Offset data]";
}

// The report of camera-like files written by exiftool, and of files with an entry of every
// TIFF type, both byte orders: every value as exiv2 reads it, every raw field where exiftool
// dumps it.
TEST(ExifReport, MatchesExiv2AndExiftool) {
  for (const std::string name : {"cam_le", "cam_be", "every_type_le", "every_type_be"}) {
    SCOPED_TRACE(name);
    const Oracle o = LoadOracle(name);
    ASSERT_GT(o.entries.size(), 15u);
    ASSERT_GT(o.tiffStart, 0u);
    std::vector<std::string> want;
    for (const auto& [key, entry] : o.entries) {
      const std::string line = ExpectedLine(key, entry, o, name.find("_le") != std::string::npos);
      if (!line.empty()) want.push_back(line);
    }
    const JpegTextReport r = ReadJpegTextFile(Fixture("jpeg_tools/" + name + ".jpg"));
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_TRUE(r.exifFound);
    std::vector<std::string> got = r.exifLines;
    std::sort(got.begin(), got.end());
    std::sort(want.begin(), want.end());
    EXPECT_EQ(got, want);
  }
}

// Lines in file order, the EXIF directory's lines where its pointer stands, names from the
// own directory's table only.
TEST(ExifReport, OrderAndNames) {
  const JpegTextReport r = ReadJpegTextFile(Fixture("jpeg_tools/every_type_le.jpg"));
  ASSERT_TRUE(r.ok);
  const std::vector<std::string> head(r.exifLines.begin(), r.exifLines.begin() + 13);
  EXPECT_EQ(head, (std::vector<std::string>{
                      "Make = Camera", "Model = M1", "Orientation = 6", "XResolution = 72/1",
                      "WhitePoint = 313/1000 329/1000", "0212 = 2 1", "YCbCrPositioning = 1",
                      "ExposureTime = 1/125", "ISOSpeedRatings = 200", "ExposureBiasValue = -1/3",
                      "ExifImageWidth = 4000", "0131 = Exif sw.", "C000 = 1 2 3"}));
  EXPECT_EQ(ExifTagName(34665, false), "ExifOffset");
  EXPECT_EQ(ExifTagName(34665, true), "8769");
  EXPECT_EQ(ExifTagName(41729, true), "ScenicType");
  EXPECT_EQ(ExifTagName(271, true), "010F");
}

TEST(ExifReport, ElementSizes) {
  const unsigned want[] = {8, 1, 1, 2, 4, 8, 1, 1, 2, 4, 8, 4, 8, 8, 8};
  for (unsigned type = 0; type < 15; ++type) EXPECT_EQ(ExifElementSize(type), want[type]) << type;
}

// --- hand-made segments: the rules the fixtures do not reach, and hostile directories --------

using test::TiffBlock;

TEST(ExifReport, RulesOnHandMadeEntries) {
  struct Case {
    const char* what;
    bool little;
    std::uint16_t type;
    std::uint32_t count;
    std::uint32_t field;  // as the file holds it, in its byte order
    std::string want;
  };
  const Case cases[] = {
      {"short text inline", true, 2, 4, 0x00435448, "0100 = HTC"},  // "HTC\0" stays in the field
      {"text without zero inline", false, 2, 2, 0x41420000, "0100 = AB"},
      {"long value, big-endian, full width", false, 4, 1, 70000, "0100 = 70000"},
      {"signed long", true, 9, 1, 0xFFFFFFFF, "0100 = -1"},
      {"short in a big-endian field's first bytes", false, 3, 1, 0x00070000, "0100 = 7"},
      {"count 0 integer", true, 3, 0, 0x12345678, "0100 = "},
      {"count 0 rational", true, 5, 0, 0x12345678, "0100 = 12345678(Hex)"},
      {"float", true, 11, 1, 0x3FC00000, "0100 = 3FC00000(Hex)"},
      {"unknown type, count 0", true, 99, 0, 0xAB, "0100 = 000000AB(Hex)"},
      {"unknown type", true, 0, 1, 0x40, "0100 = 00000040 [Offset data]"},
      {"type 13", true, 13, 1, 0x40, "0100 = 00000040 [Offset data]"},
      {"undefined: no line", true, 7, 2, 0, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TiffBlock t(c.little);
    t.Directory(8, {{0x0100, c.type, c.count, c.field}});
    const ExifReport r = ReadExifPayload(t.Payload());
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.lines, c.want.empty() ? std::vector<std::string>{} : std::vector<std::string>{c.want});
  }
}

TEST(ExifReport, SilentEntries) {
  TiffBlock t(true);
  t.Directory(8, {{37121, 3, 1, 1}, {37500, 4, 1, 5}, {271, 3, 1, 9}});
  EXPECT_EQ(ReadExifPayload(t.Payload()).lines, (std::vector<std::string>{"Make = 9"}));
}

TEST(ExifReport, NotExif) {
  const std::vector<std::uint8_t> xmp = {'h', 't', 't', 'p', ':', '/', '/'};
  EXPECT_FALSE(ReadExifPayload(xmp).found);
  const std::vector<std::uint8_t> noZero = {'E', 'x', 'i', 'f', 'X', 0, 'I', 'I'};
  EXPECT_FALSE(ReadExifPayload(noZero).found);
}

// Hostile directories fail cleanly (the file then reads as "bad JPEG markers"), never loop
// and never read outside the segment (the sanitizer run checks the last).
TEST(ExifReport, HostileDirectoriesFail) {
  struct Case {
    const char* what;
    TiffBlock block;
  };
  std::vector<Case> cases;
  {
    TiffBlock t(true);  // directory of 3 entries with room for 1
    t.Directory(8, {{0x0100, 3, 1, 1}});
    t.bytes[8] = 3;
    t.bytes.resize(8 + 2 + 12);
    cases.push_back({"truncated directory", t});
  }
  {
    TiffBlock t(true);
    t.Directory(8, {{0x010F, 2, 0xFFFFFFFF, 8}});
    cases.push_back({"text count 2^32 - 1", t});
  }
  {
    TiffBlock t(false);
    t.Directory(8, {{0x011A, 5, 0x20000000, 8}});
    cases.push_back({"rational count overflowing 32 bits", t});
  }
  {
    TiffBlock t(true);
    t.Directory(8, {{0x011A, 5, 1, 0xFFFFFFF8}});
    cases.push_back({"offset past the end", t});
  }
  {
    TiffBlock t(true);
    t.Directory(8, {{kTagExifOffset, 4, 1, 0x7FFFFFFF}});
    cases.push_back({"EXIF directory outside", t});
  }
  {
    TiffBlock t(true);
    t.bytes.resize(8);
    t.bytes[4] = 200;  // first directory past the end
    cases.push_back({"first directory outside", t});
  }
  {
    TiffBlock t(true);
    t.bytes.resize(4);
    cases.push_back({"header cut", t});
  }
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const ExifReport r = ReadExifPayload(c.block.Payload());
    EXPECT_TRUE(r.found);
    EXPECT_FALSE(r.ok);
    EXPECT_TRUE(r.lines.empty());
  }
}

TEST(ExifReport, PointersBackDoNotLoop) {
  // The EXIF directory points at the first directory, which points at itself again: each is
  // read once.
  TiffBlock t(true);
  t.Directory(8, {{0x010F, 3, 1, 1}, {kTagExifOffset, 4, 1, 8}});
  const ExifReport r = ReadExifPayload(t.Payload());
  ASSERT_TRUE(r.ok);
  EXPECT_EQ(r.lines, (std::vector<std::string>{"Make = 1", "010F = 1"}));

  // Many ExifOffset entries: only the first is followed.
  std::vector<test::TiffEntry> many(2000, {kTagExifOffset, 4, 1, 8});
  TiffBlock m(false);
  m.Directory(8, many);
  const ExifReport rm = ReadExifPayload(m.Payload());
  ASSERT_TRUE(rm.ok);
  EXPECT_EQ(rm.lines.size(), 0u);  // the first directory holds nothing but pointers
}

TEST(ExifReport, OutputIsBounded) {
  // 5000 entries pointing at one 1000-byte text fit a segment and would make 5 MB of lines.
  const std::uint32_t textAt = 8 + 2 + 5000 * 12 + 4;
  std::vector<test::TiffEntry> entries(5000, {0x010E, 2, 1000, textAt});
  TiffBlock t(true);
  t.Directory(8, entries);
  t.bytes.resize(textAt + 1000, 'x');
  ASSERT_LE(t.Payload().size(), 65533u);
  const ExifReport r = ReadExifPayload(t.Payload());
  ASSERT_TRUE(r.ok);
  EXPECT_TRUE(r.cut);
  std::size_t total = 0;
  for (const auto& l : r.lines) total += l.size();
  EXPECT_LE(total, kMaxExifReportBytes);
  EXPECT_GT(total, kMaxExifReportBytes - 1100);
}

}  // namespace
}  // namespace pelira
