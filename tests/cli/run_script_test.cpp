#include <gtest/gtest.h>

#include <sstream>

#include "cli/cli_call.h"
#include "cli/commands.h"
#include "engine/color_filters.h"
#include "image/codec_registry.h"
#include "image/image_loader.h"
#include "support/test_support.h"

namespace pelira::cli {
namespace {
using namespace test;
namespace fs = std::filesystem;

Dib Picture(int w, int h, int seed) {
  Dib d(w, h, 24);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) d.SetPixel(x, y, MakeColor((x * 9 + seed) % 256, (y * 7 + seed * 3) % 256, (x + y) % 256));
  return d;
}

std::vector<std::string> Names(const fs::path& dir) {
  std::vector<std::string> n;
  for (const auto& e : fs::directory_iterator(dir)) n.push_back(e.path().filename().string());
  std::sort(n.begin(), n.end());
  return n;
}

struct Rig {
  Rig() {
    for (int i = 0; i < 3; ++i) {
      const fs::path p = dir.path() / ("in" + std::to_string(i) + ".png");
      WriteBytes(p, SaveWriterFor(3)(Picture(30 + i, 20, i * 50), SaveOptions{}));
      files.push_back(p.string());
    }
    script = (dir.path() / "s.bip").string();
  }
  void Script(const std::string& text) { WriteText(script, text); }
  TempDir dir;
  std::vector<std::string> files;
  std::string script;
};

TEST(CliRun, SavesEachFileUnderItsStemAndSuffixNeverReplacing) {
  Rig rig;
  rig.Script("NEGATIVE\r\nSAVE=_neg\r\nsave\r\nSAVE=../escape\r\n");
  const fs::path out = rig.dir.path() / "out";
  fs::create_directory(out);
  WriteText(out / "in0_neg.png", "keep me");  // taken: the run must pick in0_neg-1.png
  Args args = {"run", rig.script, "--out", out.string(), "--jobs", "1"};
  args.insert(args.end(), {rig.files[0], rig.files[1], rig.files[0]});
  const CliResult r = Call(args);
  // The escaping SAVE saves nothing, and says so.
  EXPECT_EQ(r.rc, 1) << r.err;
  EXPECT_NE(r.err.find("'SAVE=../escape' saves nothing"), std::string::npos) << r.err;
  EXPECT_EQ(Names(out), (std::vector<std::string>{"in0-1.png", "in0.png", "in0_neg-1.png", "in0_neg-2.png",
                                                  "in0_neg.png", "in1.png", "in1_neg.png"}));
  const auto kept = ReadBytes(out / "in0_neg.png");
  EXPECT_EQ(std::string(kept.begin(), kept.end()), "keep me");
  // The saved picture is the negative of the source, read back through the loader.
  TImageLoader l;
  ASSERT_EQ(l.Open((out / "in1_neg.png").string()), OpenOutcome::Image);
  Dib want = Picture(31, 20, 50);
  Negative(want);
  ASSERT_EQ(l.workingBitmap.Width(), 31);
  for (int y = 0; y < 20; ++y)
    for (int x = 0; x < 31; ++x) ASSERT_EQ(l.workingBitmap.Pixel(x, y), want.Pixel(x, y)) << x << "," << y;
  // Nothing was written above the folder, no staging file stays behind.
  EXPECT_FALSE(fs::exists(rig.dir.path() / "escape.png"));
}

TEST(CliRun, ParallelJobsGiveTheNamesAndBytesOfOneJob) {
  Rig rig;
  rig.Script("AUTO_CONTRAST\nSAVE\nDELETE\nNEGATIVE\nSAVE=_n\n");
  std::map<std::string, std::vector<std::uint8_t>> first;
  std::string firstErr;
  for (const char* jobs : {"1", "3"}) {
    const fs::path out = rig.dir.path() / (std::string("out") + jobs);
    fs::create_directory(out);
    Args args = {"run", rig.script, "--type", "5", "--out", out.string(), "--jobs", jobs};
    args.insert(args.end(), {rig.files[0], rig.files[1], rig.files[2], rig.files[1]});
    const CliResult r = Call(args);
    EXPECT_EQ(r.rc, 0) << r.err;
    std::map<std::string, std::vector<std::uint8_t>> got;
    for (const std::string& n : Names(out)) got[n] = ReadBytes(out / n);
    EXPECT_EQ(got.size(), 8u);
    if (first.empty()) {
      first = got;
      firstErr = r.err;
    } else {
      EXPECT_EQ(got, first);
      EXPECT_EQ(r.err, firstErr);
    }
  }
  // DELETE refused per file, the sources still there.
  EXPECT_NE(firstErr.find("DELETE is refused"), std::string::npos);
  for (const auto& f : rig.files) EXPECT_TRUE(fs::exists(f));
}

// A script is read before the first file: one that never saves is said to write nothing.
TEST(CliRun, ChecksTheScriptBeforeTheFirstFile) {
  Rig rig;
  const fs::path out = rig.dir.path() / "out";
  fs::create_directory(out);
  rig.Script("NEGATIVE\n>SAVE\n");
  const CliResult r = Call({"run", rig.script, "--out", out.string(), rig.files[0]});
  EXPECT_EQ(r.rc, 0);
  EXPECT_NE(r.err.find("no SAVE line; nothing will be written"), std::string::npos) << r.err;
}

TEST(CliRun, BadArgumentsAndInputs) {
  Rig rig;
  rig.Script("NEGATIVE\r\nSAVE\r\n");
  const struct {
    Args args;
    int rc;
  } cases[] = {
      {{"run"}, 2},
      {{"run", rig.script}, 2},
      {{"run", rig.script, "--type", "13", rig.files[0]}, 2},
      {{"run", rig.script, "--jobs", "0", rig.files[0]}, 2},
      {{"run", rig.script, "--quality", "x", rig.files[0]}, 2},
      {{"run", rig.script, "--frobnicate", rig.files[0]}, 2},
      {{"run", (rig.dir.path() / "none.bip").string(), rig.files[0]}, 1},
      {{"run", rig.script, "--out", (rig.dir.path() / "nofolder").string(), rig.files[0]}, 1},
      {{"run", rig.script, (rig.dir.path() / "missing.png").string()}, 1},
      {{"run", rig.script, "--type", "10", rig.files[0]}, 1},  // fax TIFF needs a 1-bit picture
  };
  for (const auto& c : cases) {
    const CliResult r = Call(c.args);
    EXPECT_EQ(r.rc, c.rc) << c.args.back();
    EXPECT_FALSE(r.err.empty()) << c.args.back();
  }
}

}  // namespace
}  // namespace pelira::cli
