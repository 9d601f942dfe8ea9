// The renderer against the python reference of the same rules (tests/fixtures/slideshow/
// transition_reference.py), and the properties every effect must have.
#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <set>
#include <sstream>

#include "common/crc_register.h"
#include "image/dib.h"
#include "slideshow/effects_table.h"
#include "slideshow/transition_frame.h"
#include "support/test_support.h"

namespace pelira {
namespace {

// The reference's pictures: pixel(x, y, salt) in 32-bit arithmetic.
Surface Picture(int w, int h, std::uint32_t salt) {
  Surface s(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      s.Row(y)[x] = 0xFF000000u | ((static_cast<std::uint32_t>(x * 73 + y * 151 + salt) * 2654435761u) >> 8);
  return s;
}

std::uint32_t FrameCrc(const Surface& s) {
  return CrcRegister(s.pixels.data(), s.pixels.size() * sizeof(std::uint32_t));
}

TEST(TransitionFrame, MatchesThePythonReferenceForEveryFamily) {
  std::ifstream in(test::Fixture("slideshow/transition_frames.txt"));
  ASSERT_TRUE(in) << "fixture missing";
  std::map<std::pair<int, int>, std::pair<Surface, Surface>> pictures;
  std::set<int> kindsSeen;
  std::string line;
  int rows = 0;
  while (std::getline(in, line)) {
    std::istringstream ls(line);
    int w, h, n, k;
    TransitionEffect fx;
    std::string crc;
    ls >> w >> h >> fx.kind >> fx.variant >> fx.parameter >> fx.speed >> fx.seed >> n >> k >> crc;
    ASSERT_FALSE(ls.fail()) << line;
    auto& pair = pictures[{w, h}];
    if (pair.first.width == 0) pair = {Picture(w, h, 1), Picture(w, h, 977)};
    ASSERT_EQ(TransitionFrameCount(fx), n) << line;
    const Surface frame = RenderTransitionFrame(pair.first, pair.second, fx, k);
    EXPECT_EQ(CrcRegisterText(FrameCrc(frame)), crc) << line;
    kindsSeen.insert(fx.kind);
    ++rows;
  }
  EXPECT_GT(rows, 0);
  // Every family the renderer draws is in the reference.
  for (int kind : {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 16, 17, 18, 19, 20, 21})
    EXPECT_TRUE(kindsSeen.count(kind)) << "kind " << kind;
}

// Frames of one entry at one speed, as CRCs, on a picture pair of the given size.
std::vector<std::uint32_t> Sequence(const Surface& o, const Surface& nw, const TransitionEffect& fx) {
  const TransitionPlan plan(nw, fx);
  std::vector<std::uint32_t> crcs;
  Surface out;
  const int n = plan.FrameCount();
  for (int k : {n / 4, n / 3, n / 2, 2 * n / 3, 3 * n / 4}) {
    plan.Render(o, nw, k, out);
    crcs.push_back(FrameCrc(out));
  }
  return crcs;
}

TEST(TransitionFrame, EveryConcreteTableEntryStartsOldEndsNewAndDiffersFromTheOthers) {
  const Surface o = Picture(130, 97, 1), nw = Picture(130, 97, 977);
  const EffectsTable& table = TheEffectsTable();
  for (int speed : {0, 3}) {
    std::map<std::vector<std::uint32_t>, int> seen;
    for (int i = 7; i < table.Count(); ++i) {
      TransitionEffect fx = MapEffect(table.Entry(i), o.width, o.height, speed, 800);
      fx.seed = 42;
      ASSERT_NE(fx.kind, 0) << table.Names()[i];
      const int n = TransitionFrameCount(fx);
      EXPECT_EQ(RenderTransitionFrame(o, nw, fx, 0), o) << table.Names()[i];
      EXPECT_EQ(RenderTransitionFrame(o, nw, fx, n), nw) << table.Names()[i];
      const auto [it, fresh] = seen.emplace(Sequence(o, nw, fx), i);
      EXPECT_TRUE(fresh) << table.Names()[i] << " draws the same frames as " << table.Names()[it->second];
    }
  }
}

TEST(TransitionFrame, SlowerSpeedsTakeMoreFrames) {
  TransitionEffect fx{1, 0, 1, 10, 255, 0, 0};
  int previous = 0;
  for (int speed = 0; speed <= 3; ++speed) {
    fx.speed = speed;
    const int n = TransitionFrameCount(fx);
    EXPECT_GT(n, previous);
    EXPECT_GE(n * 16, TransitionDurationMs(speed));
    previous = n;
  }
  EXPECT_EQ(TransitionFrameCount(TransitionEffect{}), 1);
}

TEST(TransitionFrame, FramesOutsideTheRangeClampAndTinyPicturesWork) {
  // One-pixel and one-row pictures exercise the empty halves and single cells.
  for (auto [w, h] : {std::pair{1, 1}, std::pair{1, 5}, std::pair{5, 1}, std::pair{2, 3}}) {
    const Surface o = Picture(w, h, 1), nw = Picture(w, h, 977);
    for (int kind : {1, 4, 5, 8, 9, 10, 13, 14, 16, 17, 18, 21}) {
      const TransitionEffect fx{kind, kind == 16 || kind == 17 ? 6 : 2, 65536 + 2, 0, 0, 1, 3};
      EXPECT_EQ(RenderTransitionFrame(o, nw, fx, -5), o) << kind;
      EXPECT_EQ(RenderTransitionFrame(o, nw, fx, 1000), nw) << kind;
    }
  }
  const Surface empty;
  EXPECT_EQ(RenderTransitionFrame(empty, empty, TransitionEffect{1, 0, 1, 0, 0, 1, 0}, 3).pixels.size(), 0u);
}

TEST(TransitionFrame, SurfacesCarryEveryDepthAsColour) {
  Dib pal(3, 2, 8);
  pal.SetIndex(0, 0, 255);  // white in the default 256-colour table
  Dib rgb(3, 2, 24);
  rgb.SetPixel(2, 1, 0x123456);
  const Surface a = SurfaceFromDib(pal), b = SurfaceFromDib(rgb);
  EXPECT_EQ(a.Row(0)[0], 0xFF000000u | (pal.Pixel(0, 0) & 0xFFFFFFu));
  EXPECT_EQ(b.Row(1)[2], 0xFF123456u);
  EXPECT_EQ(DibFromSurface(b).Pixel(2, 1), 0x123456u);
  Surface dst(4, 4, 0xFF000000u);
  DrawSurface(b, dst, 2, 3);  // clipped to one row of two pixels
  EXPECT_EQ(dst.Row(3)[2], b.Row(0)[0]);
  EXPECT_EQ(dst.Row(2)[2], 0xFF000000u);
}

}  // namespace
}  // namespace pelira
