#include "jpeg_tools/jpeg_text.h"

#include <gtest/gtest.h>

#include <regex>

#include "jpeg_tools/test_jpeg.h"
#include "support/test_support.h"

namespace pelira {
namespace {

using test::Fixture;
using test::Join;
using test::kSOI;
using test::ReadBytes;
using test::Segment;
using Lines = std::vector<std::string>;

JpegTextReport Read(const std::string& name) { return ReadJpegTextFile(Fixture("jpeg_tools/" + name)); }

bool Has(const Lines& lines, const std::string& line) {
  return std::find(lines.begin(), lines.end(), line) != lines.end();
}

TEST(JpegText, ExifAndCommentsInEitherOrder) {
  const JpegTextReport le = Read("cam_le.jpg");
  ASSERT_TRUE(le.Found());
  EXPECT_TRUE(Has(le.exifLines, "Make = Camera"));
  EXPECT_TRUE(Has(le.exifLines, "XResolution = 72/1"));
  EXPECT_FALSE(le.commentFound);

  // A comment after the EXIF segment is read too (wrjpgcom puts it there).
  const JpegTextReport after = Read("exif_then_comment.jpg");
  EXPECT_EQ(after.exifLines, le.exifLines);
  EXPECT_EQ(after.commentLines, Lines{"After EXIF"});
  const JpegTextReport before = Read("comment_then_exif.jpg");
  EXPECT_EQ(before.exifLines, le.exifLines);
  EXPECT_EQ(before.commentLines, (Lines{"Before EXIF", "line two"}));
  // The collected lines: EXIF lines, then the comment's.
  const Lines all = before.CollectedLines();
  ASSERT_EQ(all.size(), le.exifLines.size() + 2);
  EXPECT_EQ(all.back(), "line two");
  EXPECT_EQ(before.TextBoxLines(), all);
}

TEST(JpegText, MacHeaderWarning) {
  const JpegTextReport r = Read("mac_header.jpg");
  ASSERT_TRUE(r.Found());
  EXPECT_TRUE(r.macHeader);
  EXPECT_EQ(r.TextBoxLines(), (Lines{"", "Warning: Mac header found!", "", "Mac note"}));
  EXPECT_EQ(r.CollectedLines(), Lines{"Mac note"});
}

TEST(JpegText, CommentTexts) {
  struct Case {
    const char* what;
    std::vector<std::uint8_t> payload;
    Lines want;
  };
  const Case cases[] = {
      {"Windows-1252", {'c', 'a', 'f', 0xE9}, {"caf\xC3\xA9"}},
      {"UTF-8", {'c', 'a', 'f', 0xC3, 0xA9}, {"caf\xC3\xA9"}},
      {"line ends of every kind, trailing zero", {'a', '\r', 'b', '\n', 'c', '\r', '\n', 0}, {"a", "b", "c"}},
      {"empty", {}, {}},
      // Longer than the 32766 bytes some readers stop at: a comment is read whole.
      {"40000 bytes", std::vector<std::uint8_t>(40000, 'z'), {std::string(40000, 'z')}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const auto jpeg = Join({kSOI, Segment(0xFE, c.payload), test::ScanWithData()});
    const JpegTextReport r = ReadJpegTextBytes(jpeg);
    ASSERT_TRUE(r.ok);
    EXPECT_TRUE(r.commentFound);
    EXPECT_EQ(r.commentLines, c.want);
  }
}

TEST(JpegText, HeadLongerThanTheFirstRead) {
  // Five 65 KB application segments before the comment: the reader goes on past its first
  // read of the head.
  std::vector<std::uint8_t> jpeg = kSOI;
  for (int i = 0; i < 5; ++i) {
    const auto app2 = Segment(0xE2, std::vector<std::uint8_t>(65000, static_cast<std::uint8_t>(i)));
    jpeg.insert(jpeg.end(), app2.begin(), app2.end());
  }
  jpeg = Join({jpeg, Segment(0xFE, std::string("far")), test::ScanWithData(), test::kEOI});
  test::TempDir dir;
  test::WriteBytes(dir / "far.jpg", jpeg);
  const JpegTextReport r = ReadJpegTextFile(dir / "far.jpg");
  ASSERT_TRUE(r.ok);
  EXPECT_EQ(r.commentLines, Lines{"far"});
}

TEST(JpegText, FailuresAndKinds) {
  test::TempDir dir;
  const auto base = ReadBytes(Fixture("jpeg_tools/base.jpg"));
  // A cut EXIF segment, a directory past its segment, a file that is not a JPEG.
  test::WriteBytes(dir / "cut.jpg", std::vector<std::uint8_t>(base.begin(), base.begin() + 15));
  test::TiffBlock t(true);
  t.Directory(8, {{0x010F, 2, 100, 8}});
  test::WriteBytes(dir / "dir.jpg", Join({kSOI, Segment(0xE1, t.Payload()), test::ScanWithData()}));
  test::WriteText(dir / "text.jpg", "this is no picture at all, just some words");
  for (const char* name : {"cut.jpg", "dir.jpg", "text.jpg"}) {
    SCOPED_TRACE(name);
    JpegTextReport r;
    EXPECT_FALSE(ReadJpegText(dir / name, &r));
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.error, kBadJpegMarkersText);
    EXPECT_TRUE(r.CollectedLines().empty());
  }
  JpegTextReport missing;
  EXPECT_FALSE(ReadJpegText(dir / "none.jpg", &missing));
  EXPECT_NE(missing.error.find("none.jpg"), std::string::npos);

  // Only .JPEG and .JPG names are read (in any case); others answer false at once.
  std::filesystem::copy_file(Fixture("jpeg_tools/cam_le.jpg"), dir / "cam.PNG");
  std::filesystem::copy_file(Fixture("jpeg_tools/cam_le.jpg"), dir / "cam.Jpeg");
  JpegTextReport r;
  EXPECT_FALSE(ReadJpegText(dir / "cam.PNG", &r));
  EXPECT_TRUE(r.ok);
  EXPECT_TRUE(r.exifLines.empty());
  EXPECT_TRUE(ReadJpegText(dir / "cam.Jpeg", &r));
  EXPECT_TRUE(Has(r.exifLines, "Make = Camera"));
}

TEST(JpegText, InfoLabel) {
  const std::string label = JpegInfoLabel(Fixture("jpeg_tools/base.jpg"));
  EXPECT_TRUE(std::regex_match(label, std::regex(R"(Size: 658 bytes\nDate: \d{4}-\d\d-\d\d \d\d:\d\d:\d\d)"))) << label;
  EXPECT_EQ(JpegInfoLabel(Fixture("jpeg_tools/base.jpg"), "16 x 8").substr(label.size()), "\nView: 16 x 8");
  EXPECT_EQ(JpegInfoLabel("/no/such/file.jpg"), "");
}

}  // namespace
}  // namespace pelira
