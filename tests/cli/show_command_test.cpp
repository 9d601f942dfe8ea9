// pelira-cli show frames: the files it writes are the renderer's frames of the two slides.
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "cli/commands.h"
#include "image/image_loader.h"
#include "slideshow/effects_table.h"
#include "slideshow/slide_layout.h"
#include "slideshow/transition_frame.h"
#include "support/test_support.h"

namespace pelira::cli {
namespace {

struct CliResult {
  int rc;
  std::string out, err;
};

CliResult Call(const Args& args) {
  std::ostringstream out, err;
  const int rc = Main(args, out, err);
  return {rc, out.str(), err.str()};
}

std::string F(const std::string& name) { return test::Fixture("viewer/" + name).string(); }

Surface Load(const std::filesystem::path& p) {
  TImageLoader l;
  EXPECT_EQ(l.Open(p.string()), OpenOutcome::Image) << p;
  return SurfaceFromDib(l.workingBitmap);
}

TEST(CliShowFrames, WritesEveryFrameOfTheRendererFromOldToNew) {
  test::TempDir dir;
  const std::string out = (dir / "frames").string();  // made when missing
  const CliResult r = Call({"show", "frames", "--effect", "168", F("gradient_24.bmp"), F("palette_8.bmp"), "--size",
                            "96x80", "--out", out, "--speed", "0"});
  ASSERT_EQ(r.rc, 0) << r.err;
  EXPECT_EQ(r.out, "Explode, Circle/Ellipse\tkind 17\tvariant 6\tparameter 262148\t20 frames\n");

  TImageLoader a, b;
  ASSERT_EQ(a.Open(F("gradient_24.bmp")), OpenOutcome::Image);
  ASSERT_EQ(b.Open(F("palette_8.bmp")), OpenOutcome::Image);
  const Surface before = ComposeSlide(a.workingBitmap, 96, 80), after = ComposeSlide(b.workingBitmap, 96, 80);
  ASSERT_NE(before, after);
  const TransitionEffect fx = MapEffect(TheEffectsTable().Entry(168), 96, 80, 0, 96);
  int files = 0;
  for (const auto& e : std::filesystem::directory_iterator(out)) files += e.is_regular_file();
  EXPECT_EQ(files, 20);
  EXPECT_EQ(Load(std::filesystem::path(out) / "frame_0000.png"), before);
  EXPECT_EQ(Load(std::filesystem::path(out) / "frame_0019.png"), after);
  const Surface middle = Load(std::filesystem::path(out) / "frame_0009.png");
  EXPECT_EQ(middle, RenderTransitionFrame(before, after, fx, 9));
  EXPECT_NE(middle, before);
  EXPECT_NE(middle, after);
}

TEST(CliShowFrames, RandomGroupsFollowTheSeedAndSpeedSetsTheFrameCount) {
  test::TempDir dir;
  auto run = [&](const char* seed, const char* speed) {
    return Call({"show", "frames", "--effect", "1", F("gradient_24.bmp"), F("photo.jpg"), "--size", "80x70", "--out",
                 (dir / "f").string(), "--seed", seed, "--speed", speed});
  };
  const CliResult a = run("5", "0"), b = run("5", "0"), slow = run("5", "3");
  ASSERT_EQ(a.rc, 0) << a.err;
  EXPECT_EQ(a.out, b.out);
  EXPECT_NE(a.out.find("Randomize ALL\tkind "), std::string::npos) << a.out;
  EXPECT_NE(slow.out.find("\t151 frames"), std::string::npos) << slow.out;
}

TEST(CliShowFrames, UsageErrorsAndUnreadablePictures) {
  test::TempDir dir;
  const std::string o = (dir / "o").string();
  const std::vector<Args> usage = {
      {"show"},
      {"show", "video"},
      {"show", "frames", F("gradient_24.bmp"), F("photo.jpg"), "--size", "80x70", "--out", o},
      {"show", "frames", "--effect", "174", F("gradient_24.bmp"), F("photo.jpg"), "--size", "80x70", "--out", o},
      {"show", "frames", "--effect", "8", F("gradient_24.bmp"), F("photo.jpg"), "--size", "80x0", "--out", o},
      {"show", "frames", "--effect", "8", F("gradient_24.bmp"), F("photo.jpg"), "--size", "80", "--out", o},
      {"show", "frames", "--effect", "8", F("gradient_24.bmp"), "--size", "80x70", "--out", o},
      {"show", "frames", "--effect", "8", F("gradient_24.bmp"), F("photo.jpg"), "--size", "80x70"},
      {"show", "frames", "--effect", "8", F("gradient_24.bmp"), F("photo.jpg"), "--size", "80x70", "--out", o,
       "--speed", "4"},
      {"show", "frames", "--effect", "8", F("gradient_24.bmp"), F("photo.jpg"), "--size", "80x70", "--out", o, "--x"},
  };
  for (const Args& a : usage) EXPECT_EQ(Call(a).rc, 2) << a.size();
  const CliResult broken = Call(
      {"show", "frames", "--effect", "8", F("broken.bmp"), F("photo.jpg"), "--size", "80x70", "--out", o});
  EXPECT_EQ(broken.rc, 1);
  EXPECT_EQ(broken.err.rfind("pelira-cli: " + F("broken.bmp") + ": ", 0), 0u) << broken.err;
  EXPECT_FALSE(std::filesystem::exists(o));
}

}  // namespace
}  // namespace pelira::cli
