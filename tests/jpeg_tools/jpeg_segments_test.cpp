#include "jpeg_tools/jpeg_segments.h"

#include <gtest/gtest.h>

#include "jpeg_tools/test_jpeg.h"
#include "support/test_support.h"

namespace pelira {
namespace {

using test::Fixture;
using test::Join;
using test::kEOI;
using test::kSOI;
using test::ReadBytes;
using test::Segment;
using Kind = JpegPiece::Kind;

std::vector<std::uint8_t> SegmentMarkers(const JpegWalk& w) {
  std::vector<std::uint8_t> m;
  for (const JpegPiece& p : w.pieces)
    if (p.kind == Kind::Segment) m.push_back(p.marker);
  return m;
}

// Pieces follow each other without gaps from the first byte.
void ExpectContiguous(const JpegWalk& w) {
  std::size_t at = 0;
  for (const JpegPiece& p : w.pieces) {
    EXPECT_EQ(p.offset, at);
    at += p.size;
  }
  EXPECT_EQ(w.walked, at);
}

TEST(JpegSegments, HeaderOfACjpegFile) {
  // The markers a python3 walk of base.jpg lists up to the scan, which ends at byte 623.
  const auto b = ReadBytes(Fixture("jpeg_tools/base.jpg"));
  const JpegWalk w = WalkJpeg(b, WalkExtent::Header);
  ASSERT_TRUE(w.ok);
  EXPECT_TRUE(w.reachedScan);
  EXPECT_EQ(SegmentMarkers(w), (std::vector<std::uint8_t>{0xE0, 0xDB, 0xDB, 0xC0, 0xC4, 0xC4, 0xC4, 0xC4, 0xDA}));
  EXPECT_EQ(w.walked, 623u);
  ExpectContiguous(w);
}

TEST(JpegSegments, WholeFileWithThumbnailAndTrailer) {
  // The thumbnail inside the EXIF segment holds FF D8 ... FF D9 of its own; the walk steps
  // over the segment. Bytes after the end marker form one trailer piece.
  const auto cam = ReadBytes(Fixture("jpeg_tools/cam_be.jpg"));
  const JpegWalk wc = WalkJpeg(cam, WalkExtent::Whole);
  ASSERT_TRUE(wc.ok);
  EXPECT_TRUE(wc.reachedEnd);
  EXPECT_EQ(wc.walked, cam.size());
  ExpectContiguous(wc);
  EXPECT_EQ(wc.pieces.back().kind, Kind::Marker);

  const auto t = ReadBytes(Fixture("jpeg_tools/trailer.jpg"));
  const JpegWalk wt = WalkJpeg(t, WalkExtent::Whole);
  ASSERT_TRUE(wt.ok);
  ExpectContiguous(wt);
  ASSERT_EQ(wt.pieces.back().kind, Kind::Trailer);
  EXPECT_EQ(wt.pieces.back().size, 7000u);
  EXPECT_EQ(wt.walked, t.size());
}

TEST(JpegSegments, FillStuffingRestartsAndStrayBytes) {
  const auto data = Join({kSOI, {0xFF, 0xFF}, Segment(0xE0, "JFIF"), {0x00, 0x01}, test::ScanWithData(),
                          {0xFF, 0xFF}, Segment(0xFE, "c"), {0xFF, 0x01}, kEOI});
  const JpegWalk w = WalkJpeg(data, WalkExtent::Whole);
  ASSERT_TRUE(w.ok);
  ExpectContiguous(w);
  std::vector<Kind> kinds;
  for (const auto& p : w.pieces) kinds.push_back(p.kind);
  EXPECT_EQ(kinds, (std::vector<Kind>{Kind::Marker, Kind::Fill, Kind::Segment, Kind::Fill, Kind::Segment,
                                      Kind::Entropy, Kind::Segment, Kind::Marker, Kind::Marker}));
  // The coded data keeps its stuffed FF 00, its restart marker and the fill FFs before the
  // next marker: 8 + 2 bytes.
  EXPECT_EQ(w.pieces[5].size, 10u);
  EXPECT_EQ(w.pieces[6].marker, 0xFE);
  EXPECT_EQ(w.pieces[7].marker, 0x01);
  EXPECT_TRUE(w.reachedEnd);
}

TEST(JpegSegments, BrokenStructures) {
  struct Case {
    const char* what;
    std::vector<std::uint8_t> bytes;
    bool ok;
  };
  const Case cases[] = {
      {"empty", {}, false},
      {"no start marker", {0x00, 0xD8, 0xFF, 0xD9}, false},
      {"segment past the end", Join({kSOI, {0xFF, 0xE1, 0x01, 0x00, 'E'}}), false},
      {"length below 2", Join({kSOI, {0xFF, 0xFE, 0x00, 0x01}, kEOI}), false},
      {"length field cut", Join({kSOI, {0xFF, 0xE0, 0x00}}), false},
      {"coded data up to the end, no end marker", Join({kSOI, test::ScanWithData()}), true},
      {"lone FF at the end", Join({kSOI, {0xFF}}), true},
      {"only the start marker", kSOI, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const JpegWalk w = WalkJpeg(c.bytes, WalkExtent::Whole);
    EXPECT_EQ(w.ok, c.ok);
    if (w.ok) {
      EXPECT_EQ(w.walked, c.bytes.size());
      ExpectContiguous(w);
    }
  }
}

TEST(JpegSegments, HeaderWalkStopsAtTheScan) {
  // A cut segment after the scan does not matter to a header walk.
  const auto data = Join({kSOI, Segment(0xFE, "a"), test::ScanWithData(), {0xFF, 0xFE, 0x40, 0x00}});
  const JpegWalk header = WalkJpeg(data, WalkExtent::Header);
  EXPECT_TRUE(header.ok);
  EXPECT_TRUE(header.reachedScan);
  EXPECT_EQ(header.pieces.back().marker, kMarkerSOS);
  EXPECT_FALSE(WalkJpeg(data, WalkExtent::Whole).ok);
}

TEST(JpegSegments, ForeignHeader) {
  const auto base = ReadBytes(Fixture("jpeg_tools/base.jpg"));
  EXPECT_EQ(ForeignHeaderLength(ReadBytes(Fixture("jpeg_tools/mac_header.jpg"))), 128u);
  // A stream that starts with its marker keeps everything, "JFIF" in a later APP0 or not.
  EXPECT_EQ(ForeignHeaderLength(ReadBytes(Fixture("jpeg_tools/cam_be.jpg"))), 0u);
  EXPECT_EQ(ForeignHeaderLength(base), 0u);
  const std::vector<std::uint8_t> noJfif(300, 'x');
  EXPECT_EQ(ForeignHeaderLength(noJfif), 0u);
  // "JFIF" must start at 7 or later, and leave 3 bytes after it.
  const std::string early = "abJFIFxxxxxxxxxxxx";
  EXPECT_EQ(ForeignHeaderLength(std::vector<std::uint8_t>(early.begin(), early.end())), 0u);
  const std::string atSeven = "0123456JFIF123";
  EXPECT_EQ(ForeignHeaderLength(std::vector<std::uint8_t>(atSeven.begin(), atSeven.end())), 1u);
  const std::string tooLate = "0123456789JFIF";
  EXPECT_EQ(ForeignHeaderLength(std::vector<std::uint8_t>(tooLate.begin(), tooLate.end())), 0u);
}

}  // namespace
}  // namespace pelira
