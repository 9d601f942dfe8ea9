#include "jpeg_tools/comment_edit.h"

#include <gtest/gtest.h>

#include <cstdio>

#include "image/jpeg_image.h"
#include "jpeg_tools/jpeg_text.h"
#include "jpeg_tools/test_jpeg.h"
#include "support/test_support.h"

namespace pelira {
namespace {

using test::Fixture;
using test::Join;
using test::kSOI;
using test::ReadBytes;
using test::Segment;
using Bytes = std::vector<std::uint8_t>;

Bytes Load(const std::string& name) { return ReadBytes(Fixture("jpeg_tools/" + name)); }

Bytes Slice(const Bytes& b, std::size_t from, std::size_t to = std::string::npos) {
  return Bytes(b.begin() + static_cast<std::ptrdiff_t>(from),
               to == std::string::npos ? b.end() : b.begin() + static_cast<std::ptrdiff_t>(to));
}

// The decoded pixels, through libjpeg (what djpeg prints).
std::vector<std::uint8_t> Pixels(const Bytes& jpeg) {
  TJPEGImage j;
  j.LoadFromStream(jpeg);
  const Dib d = j.Decode();
  return std::vector<std::uint8_t>(d.Bits(), d.Bits() + d.ImageSize());
}

TEST(StripJpeg, RemovesExactlyTheNamedSegments) {
  const Bytes base = Load("base.jpg");  // APP0 is bytes 2..19
  const Bytes app14 = {0xFF, 0xEE, 0x00, 0x0E, 'A', 'd', 'o', 'b', 'e', 0, 0x64, 0, 0, 0, 0, 1};
  struct Case {
    const char* file;
    StripMode mode;
    Bytes want;
  };
  const Bytes trailer = Load("trailer.jpg");
  const Case cases[] = {
      // The comment goes; 7000 bytes after the end marker stay.
      {"trailer.jpg", StripMode::CommentsOnly, Join({base, Slice(trailer, base.size() + 8)})},
      // The foreign header goes with the comment.
      {"mac_header.jpg", StripMode::CommentsOnly, base},
      {"base.jpg", StripMode::CommentsOnly, base},
      // APP0, APP2 and the comment go; APP14 stays, it says how the colours decode.
      {"extras.jpg", StripMode::AllExtraInfo, Join({kSOI, app14, Slice(base, 20)})},
      {"extras.jpg", StripMode::CommentsOnly, Join({Slice(Load("extras.jpg"), 0, 20 + 38 + 16),
                                                    Slice(base, 20)})},
      {"exif_then_comment.jpg", StripMode::CommentsOnly, Load("cam_le.jpg")},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.file) + (c.mode == StripMode::CommentsOnly ? " comments" : " all"));
    const Bytes in = Load(c.file);
    const JpegEdit e = StripJpegSegments(in, c.mode);
    ASSERT_TRUE(e.ok) << e.error;
    EXPECT_EQ(e.bytes, c.want);
    EXPECT_EQ(e.removed, in.size() - c.want.size());
  }
}

TEST(StripJpeg, AllExtraInfoOfACameraFileKeepsThePixels) {
  for (const char* name : {"cam_be.jpg", "cam_le.jpg", "every_type_be.jpg"}) {
    SCOPED_TRACE(name);
    const Bytes in = Load(name);
    const JpegEdit e = StripJpegSegments(in, StripMode::AllExtraInfo);
    ASSERT_TRUE(e.ok);
    EXPECT_GT(e.removed, 400u);
    const JpegWalk w = WalkJpeg(e.bytes, WalkExtent::Whole);
    ASSERT_TRUE(w.ok);
    for (const JpegPiece& p : w.pieces) {
      if (p.kind == JpegPiece::Kind::Segment) {
        EXPECT_TRUE(p.marker < 0xE0 || p.marker > 0xEF) << int(p.marker);
      }
    }
    EXPECT_EQ(Pixels(e.bytes), Pixels(in));
    const JpegTextReport r = ReadJpegTextBytes(e.bytes);
    EXPECT_FALSE(r.exifFound);
  }
}

TEST(StripJpeg, BrokenFilesAreRefused) {
  const Bytes base = Load("base.jpg");
  for (const Bytes& bad : {Slice(base, 0, 100), Slice(base, 1), Bytes{}, Join({kSOI, {0xFF, 0xFE, 0x00, 0x00}})}) {
    const JpegEdit e = StripJpegSegments(bad, StripMode::CommentsOnly);
    EXPECT_FALSE(e.ok);
    EXPECT_EQ(e.error, kBadJpegMarkersText);
    EXPECT_TRUE(e.bytes.empty());
  }
  // Cut inside the coded data: what is there is kept.
  const JpegEdit cut = StripJpegSegments(Slice(base, 0, 640), StripMode::AllExtraInfo);
  ASSERT_TRUE(cut.ok);
  EXPECT_EQ(cut.bytes, Join({kSOI, Slice(base, 20, 640)}));
}

TEST(AddJpegComment, Placement) {
  const Bytes base = Load("base.jpg");
  const Bytes com = Segment(0xFE, std::string("hi\r\n"));
  // A JFIF file: right after APP0.
  EXPECT_EQ(AddJpegComment(base, "hi").bytes, Join({Slice(base, 0, 20), com, Slice(base, 20)}));
  // EXIF first, APP0 later: right after the start marker, before the EXIF segment.
  const Bytes exifFirst = Load("every_type_le.jpg");
  EXPECT_EQ(AddJpegComment(exifFirst, "hi").bytes, Join({kSOI, com, Slice(exifFirst, 2)}));
  // An FF E0 pair inside another segment is not an APP0.
  const Bytes inside = Join({kSOI, Segment(0xE1, Bytes{0xFF, 0xE0, 0, 4}), Slice(base, 20)});
  EXPECT_EQ(AddJpegComment(inside, "hi").bytes, Join({kSOI, com, Slice(inside, 2)}));
  // A foreign header is dropped.
  const JpegEdit mac = AddJpegComment(Load("mac_header.jpg"), "hi");
  ASSERT_TRUE(mac.ok);
  EXPECT_EQ(mac.removed, 128u);
  EXPECT_EQ(Slice(mac.bytes, 0, 20), Slice(base, 0, 20));
  EXPECT_EQ(Slice(mac.bytes, 20, 28), com);
}

TEST(AddJpegComment, TextAndLimits) {
  struct Case {
    std::string text;
    std::string payload;
  };
  const Case cases[] = {
      {"a\nb", "a\r\nb\r\n"}, {"a\r\nb\n", "a\r\nb\r\n"}, {"", ""}, {"\n\n", "\r\n\r\n"}, {"caf\xC3\xA9", "caf\xC3\xA9\r\n"},
  };
  for (const Case& c : cases) EXPECT_EQ(CommentPayload(c.text), c.payload) << c.text;

  EXPECT_FALSE(CommentTooLarge(std::string(32000, 'x')));
  EXPECT_TRUE(CommentTooLarge(std::string(32001, 'x')));
  // 32000 characters whose encoding would not fit one segment.
  std::string euros;
  for (int i = 0; i < 32000; ++i) euros += "\xE2\x82\xAC";
  EXPECT_TRUE(CommentTooLarge(euros));
  std::string lines;
  for (int i = 0; i < 16000; ++i) lines += "a\n";
  EXPECT_FALSE(CommentTooLarge(lines));  // 48000 bytes with CR LF: fits
  const JpegEdit big = AddJpegComment(Load("base.jpg"), std::string(40000, 'x'));
  EXPECT_FALSE(big.ok);
  EXPECT_EQ(big.error, kCommentTooLargeText);
  EXPECT_FALSE(AddJpegComment(Bytes{'n', 'o'}, "x").ok);
}

TEST(AddJpegComment, ReadsBackAndDecodes) {
  const Bytes base = Load("base.jpg");
  const JpegEdit e = AddJpegComment(base, "first line\nzweite Zeile \xC3\xBC");
  ASSERT_TRUE(e.ok);
  const JpegTextReport r = ReadJpegTextBytes(e.bytes);
  EXPECT_EQ(r.commentLines, (std::vector<std::string>{"first line", "zweite Zeile \xC3\xBC"}));
  EXPECT_EQ(Pixels(e.bytes), Pixels(base));
  // Strip takes it out again, byte for byte.
  EXPECT_EQ(StripJpegSegments(e.bytes, StripMode::CommentsOnly).bytes, base);
}

// rdjpgcom (libjpeg's own comment reader) finds the comment we add, as we wrote it.
TEST(AddJpegComment, RdjpgcomReadsIt) {
  test::TempDir dir;
  for (const char* name : {"base.jpg", "cam_be.jpg", "mac_header.jpg"}) {
    SCOPED_TRACE(name);
    const JpegEdit e = AddJpegComment(Load(name), "Hello there\nsecond line");
    ASSERT_TRUE(e.ok);
    test::WriteBytes(dir / "out.jpg", e.bytes);
    const std::string cmd = "rdjpgcom -raw '" + (dir / "out.jpg").string() + "'";
    FILE* p = ::popen(cmd.c_str(), "r");
    ASSERT_NE(p, nullptr);
    std::string out;
    char buf[256];
    for (std::size_t n; (n = std::fread(buf, 1, sizeof buf, p)) > 0;) out.append(buf, n);
    ASSERT_EQ(::pclose(p), 0) << "rdjpgcom (libjpeg-turbo-progs) must be installed";
    const std::string own = name == std::string("mac_header.jpg") ? "Mac note\n" : "";
    EXPECT_EQ(out, "Hello there\r\nsecond line\r\n\n" + (own.empty() ? "" : own));
  }
}

}  // namespace
}  // namespace pelira
