#include <gtest/gtest.h>

#include <cstring>

#include "common/errors.h"
#include "image/pixel_limit.h"
#include "viewer/scan_frames.h"

namespace pelira {
namespace {

Dib Assemble(const std::vector<std::pair<ScanFrameFormat, std::vector<std::uint8_t>>>& frames) {
  ScanAssembler a;
  for (const auto& [f, data] : frames) {
    EXPECT_TRUE(a.BeginFrame(f)) << a.Error();
    // In uneven pieces, as a scanner hands them over.
    for (std::size_t at = 0; at < data.size(); at += 5)
      a.Feed(std::span(data).subspan(at, std::min<std::size_t>(5, data.size() - at)));
    a.EndFrame();
  }
  return a.Finish();
}

TEST(ScanFrames, GreyColourLineArtAndThreePassPages) {
  // 3 x 2 grey, rows padded to 4 bytes.
  const Dib grey = Assemble({{{ScanFrameKind::Gray, 4, 3, 2, 8, true}, {10, 20, 30, 99, 40, 50, 60, 99}}});
  ASSERT_EQ(grey.BitCount(), 8);
  EXPECT_EQ(grey.Index(2, 0), 30u);
  EXPECT_EQ(grey.Pixel(0, 1), MakeColor(40, 40, 40));

  const Dib rgb = Assemble({{{ScanFrameKind::Rgb, 6, 2, 1, 8, true}, {1, 2, 3, 4, 5, 6}}});
  ASSERT_EQ(rgb.BitCount(), 24);
  EXPECT_EQ(rgb.Pixel(0, 0), MakeColor(1, 2, 3));
  EXPECT_EQ(rgb.Pixel(1, 0), MakeColor(4, 5, 6));

  // 16-bit samples in host order: the high byte counts.
  std::vector<std::uint8_t> deep(4);
  const std::uint16_t samples[2] = {0x1234, 0xFF01};
  std::memcpy(deep.data(), samples, 4);
  const Dib g16 = Assemble({{{ScanFrameKind::Gray, 4, 2, 1, 16, true}, deep}});
  EXPECT_EQ(g16.Index(0, 0), 0x12u);
  EXPECT_EQ(g16.Index(1, 0), 0xFFu);

  // Line art: a set bit is black.
  const Dib art = Assemble({{{ScanFrameKind::Gray, 1, 8, 1, 1, true}, {0b10100000}}});
  ASSERT_EQ(art.BitCount(), 1);
  EXPECT_EQ(art.Pixel(0, 0), 0u);
  EXPECT_EQ(art.Pixel(1, 0), MakeColor(255, 255, 255));
  EXPECT_EQ(art.Pixel(2, 0), 0u);

  const Dib three = Assemble({{{ScanFrameKind::Red, 2, 2, 1, 8, false}, {10, 11}},
                              {{ScanFrameKind::Green, 2, 2, 1, 8, false}, {20, 21}},
                              {{ScanFrameKind::Blue, 2, 2, 1, 8, true}, {30, 31}}});
  ASSERT_EQ(three.BitCount(), 24);
  EXPECT_EQ(three.Pixel(1, 0), MakeColor(11, 21, 31));
}

TEST(ScanFrames, UnknownLengthsShortAndLongData) {
  // Lines unknown (hand scanners): as many whole rows as came.
  const Dib grown = Assemble({{{ScanFrameKind::Gray, 2, 2, -1, 8, true}, {1, 2, 3, 4, 5}}});
  EXPECT_EQ(grown.Height(), 2);
  // Short data keeps the rows that came; long data is cut at the announced lines.
  EXPECT_EQ(Assemble({{{ScanFrameKind::Gray, 2, 2, 5, 8, true}, {1, 2, 3, 4}}}).Height(), 2);
  const Dib cut = Assemble({{{ScanFrameKind::Gray, 2, 2, 1, 8, true}, {1, 2, 3, 4, 5, 6}}});
  EXPECT_EQ(cut.Height(), 1);
  EXPECT_EQ(cut.Index(1, 0), 2u);
  // No row at all: nothing.
  EXPECT_TRUE(Assemble({{{ScanFrameKind::Gray, 4, 3, 2, 8, true}, {1, 2}}}).Empty());
  // A three-pass page missing its blue frame has no complete row.
  EXPECT_TRUE(Assemble({{{ScanFrameKind::Red, 2, 2, 1, 8, false}, {1, 2}},
                        {{ScanFrameKind::Green, 2, 2, 1, 8, false}, {1, 2}}})
                  .Empty());
}

TEST(ScanFrames, BadFormatsAndPicturesOverTheLimitAreRefused) {
  struct Case { ScanFrameFormat f; };
  const Case bad[] = {
      {{ScanFrameKind::Gray, 2, 3, 1, 8, true}},    // line shorter than its pixels
      {{ScanFrameKind::Rgb, 5, 2, 1, 8, true}},
      {{ScanFrameKind::Gray, 4, 0, 1, 8, true}},
      {{ScanFrameKind::Gray, 0, 2, 1, 8, true}},
      {{ScanFrameKind::Gray, 4, 2, 1, 4, true}},    // depth
      {{ScanFrameKind::Rgb, 4, 8, 1, 1, true}},     // colour line art
  };
  for (const Case& c : bad) {
    ScanAssembler a;
    EXPECT_FALSE(a.BeginFrame(c.f));
    EXPECT_STRNE(a.Error(), "");
  }
  ScanAssembler mixed;
  ASSERT_TRUE(mixed.BeginFrame({ScanFrameKind::Red, 2, 2, 1, 8, false}));
  mixed.EndFrame();
  EXPECT_FALSE(mixed.BeginFrame({ScanFrameKind::Green, 4, 4, 1, 8, false}));

  ScanAssembler huge;
  EXPECT_THROW(huge.BeginFrame({ScanFrameKind::Rgb, 3 * 200000, 200000, 200000, 8, true}), EVistrelError);
  const std::uint64_t before = MaxImageBytes();
  SetMaxImageBytes(64);
  ScanAssembler growing;
  ASSERT_TRUE(growing.BeginFrame({ScanFrameKind::Gray, 8, 8, -1, 8, true}));
  growing.Feed(std::vector<std::uint8_t>(64, 1));
  EXPECT_THROW(growing.Feed(std::vector<std::uint8_t>(8, 1)), EVistrelError);
  SetMaxImageBytes(before);
}

}  // namespace
}  // namespace pelira
