#include <gtest/gtest.h>

#include <set>
#include <sstream>

#include "cli/cli_call.h"
#include "cli/commands.h"
#include "edit/operations.h"
#include "image/codec_registry.h"
#include "image/image_loader.h"
#include "support/test_support.h"
#include "support/test_pictures.h"

namespace pelira::cli {
namespace {
using namespace test;
namespace fs = std::filesystem;

Dib Load(const fs::path& p) {
  TImageLoader l;
  EXPECT_EQ(l.Open(p.string()), OpenOutcome::Image) << p;
  return l.workingBitmap;
}

struct Rig {
  Rig() {
    Dib d(41, 29, 24);
    for (int y = 0; y < d.Height(); ++y)
      for (int x = 0; x < d.Width(); ++x) d.SetPixel(x, y, MakeColor((x * 13) % 256, (y * 29 + x) % 256, (x * y) % 256));
    in = dir.path() / "in.png";
    WriteBytes(in, SaveWriterFor(3)(d, SaveOptions{}));
  }
  TempDir dir;
  fs::path in;
};

// The same line through `apply` and through a script `run` gives the same file.
TEST(CliApply, AgreesWithRunOnTheSameLines) {
  const std::vector<std::vector<std::string>> cases = {
      {"GAMMA=120,100,80"}, {"NEGATIVE"}, {"SOFTEN=5"}, {"AUTO_CONTRAST"}, {"MAP_RED=3,-2"},
      {"RESIZE%=50"}, {"MOSAIC=4"}, {"gamma_suppress=90,90,90", "UNSHARPMASK=160,48"},
      {"CLEAN=0,255"}, {"DUPLICATE", "NEGATIVE", "AVERAGE=50"}, {"GRAYSCALE"}, {"QUANTIZE16"},
  };
  for (const auto& steps : cases) {
    Rig rig;
    const fs::path applied = rig.dir.path() / "applied.png";
    Args a = {"apply"};
    a.insert(a.end(), steps.begin(), steps.end());
    a.push_back(rig.in.string());
    a.push_back(applied.string());
    const CliResult r = Call(a);
    ASSERT_EQ(r.rc, 0) << steps.front() << ": " << r.err;

    std::string script;
    for (const std::string& s : steps) script += s + "\r\n";
    script += "SAVE=_run\r\n";
    WriteText(rig.dir.path() / "s.bip", script);
    const CliResult run = Call({"run", (rig.dir.path() / "s.bip").string(), "--jobs", "1", rig.in.string()});
    ASSERT_EQ(run.rc, 0) << steps.front() << ": " << run.err;
    EXPECT_TRUE(SamePixels(Load(applied), Load(rig.dir.path() / "in_run.png"))) << steps.front();
  }
}

TEST(CliApply, RefusesWhatAScriptWouldSkipAndWritesNothing) {
  const struct {
    std::vector<std::string> steps;
    const char* says;
  } cases[] = {
      {{"FROBNICATE"}, "names no operation"},
      {{"GAMMA=0,100,100"}, "outside 1..500"},
      {{"GAMMA=120"}, "value 2 is 0"},
      {{"SOFTEN=11"}, "outside 1..10"},
      {{"NEGATIVE=3"}, "takes no values"},
      {{"SAVE=_x"}, "names no operation"},
      {{"GAMMA=1x"}, "whole numbers"},
  };
  for (const auto& c : cases) {
    Rig rig;
    const fs::path outFile = rig.dir.path() / "out.png";
    Args a = {"apply"};
    a.insert(a.end(), c.steps.begin(), c.steps.end());
    a.push_back(rig.in.string());
    a.push_back(outFile.string());
    const CliResult r = Call(a);
    EXPECT_EQ(r.rc, 2) << c.steps.front();
    EXPECT_NE(r.err.find(c.says), std::string::npos) << c.steps.front() << ": " << r.err;
    EXPECT_FALSE(fs::exists(outFile)) << c.steps.front();
  }
}

TEST(CliApply, ListsEveryBuiltOperationWithItsRanges) {
  const CliResult r = Call({"apply", "--list"});
  ASSERT_EQ(r.rc, 0);
  std::set<std::string> lines;
  std::istringstream in(r.out);
  for (std::string l; std::getline(in, l);) lines.insert(l);
  EXPECT_TRUE(lines.count("GAMMA=1..500,1..500,1..500\tRGB"));
  EXPECT_TRUE(lines.count("UNSPOT=-127..127\tUnSpot"));
  EXPECT_TRUE(lines.count("AUTO_CONTRAST\tAutoContrast"));
  std::size_t built = 0;
  for (const Operation& op : Operations())
    if (op.Word() && op.Built()) ++built;
  EXPECT_EQ(lines.size(), built);
}

}  // namespace
}  // namespace pelira::cli
