#include <gtest/gtest.h>

#include <string>

#include "cli/cli_call.h"
#include "common/crc_register.h"
#include "image/codec_registry.h"
#include "support/test_pictures.h"
#include "support/test_support.h"

namespace pelira::cli {
namespace {
using namespace test;
namespace fs = std::filesystem;

bool HasLine(const std::string& text, const std::string& line) {
  return ("\n" + text).find("\n" + line + "\n") != std::string::npos;
}

TEST(CliAnalyze, ReportOfOneAndOfTwoFiles) {
  TempDir dir;
  const fs::path a = dir / "a.png", b = dir / "b.png";
  WriteBytes(a, SaveWriterFor(3)(PatternPicture(40, 30, 1), SaveOptions{}));
  WriteBytes(b, SaveWriterFor(3)(PatternPicture(40, 30, 2), SaveOptions{}));

  const CliResult one = Call({"analyze", "--complexity", a.string()});
  ASSERT_EQ(one.rc, 0) << one.err;
  EXPECT_EQ(one.out.rfind("Filename: a.png\nLocation: " + dir.path().string() + "/\n\nRed values:  Mean = ", 0), 0u);
  EXPECT_NE(one.out.find("Filesize: " + std::to_string(fs::file_size(a)) + " bytes ("), std::string::npos);
  EXPECT_NE(one.out.find("\nComplexity Rating = "), std::string::npos);

  const CliResult two = Call({"analyze", a.string(), b.string()});
  ASSERT_EQ(two.rc, 0) << two.err;
  EXPECT_NE(two.out.find("Filename: a.png\n"), std::string::npos);
  EXPECT_NE(two.out.find("\n\n\nFilename: b.png\n"), std::string::npos);
  // The same picture twice: neither is better.
  const CliResult same = Call({"analyze", a.string(), a.string()});
  ASSERT_EQ(same.rc, 0);
  EXPECT_EQ(same.out.find("is better."), std::string::npos);

  for (const Args& bad : {Args{"analyze"}, Args{"analyze", "x", "y", "z"}, Args{"analyze", "--frob", a.string()}})
    EXPECT_EQ(Call(bad).rc, 2) << bad.back();
  const CliResult missing = Call({"analyze", (dir / "none.bmp").string()});
  EXPECT_EQ(missing.rc, 1);
  EXPECT_NE(missing.err.find("none.bmp"), std::string::npos);
  const CliResult missingOther = Call({"analyze", a.string(), (dir / "none.bmp").string()});
  EXPECT_EQ(missingOther.rc, 1);
  EXPECT_NE(missingOther.err.find("none.bmp not found."), std::string::npos);
}

TEST(CliCrc, OneLinePerFileAndFailuresNamed) {
  TempDir dir;
  WriteText(dir / "abc", "abc");
  WriteText(dir / "empty", "");
  const CliResult r = Call({"crc", (dir / "abc").string(), (dir / "empty").string()});
  ASSERT_EQ(r.rc, 0) << r.err;
  EXPECT_TRUE(HasLine(r.out, "CADBBE3D  " + (dir / "abc").string()));
  EXPECT_TRUE(HasLine(r.out, "FFFFFFFF  " + (dir / "empty").string()));
  const CliResult bad = Call({"crc", (dir / "abc").string(), dir.path().string()});
  EXPECT_EQ(bad.rc, 1);
  EXPECT_TRUE(HasLine(bad.out, "CADBBE3D  " + (dir / "abc").string()));
  EXPECT_NE(bad.err.find(dir.path().string()), std::string::npos);
  EXPECT_EQ(Call({"crc"}).rc, 2);
}

}  // namespace
}  // namespace pelira::cli
