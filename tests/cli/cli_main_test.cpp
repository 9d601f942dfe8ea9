#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <sstream>

#include "cli/cli_call.h"
#include "cli/commands.h"
#include "support/test_support.h"

namespace pelira::cli {
namespace {

TEST(CliMain, VersionPrintsTitle) {
  const CliResult r = Call({"--version"});
  EXPECT_EQ(r.rc, 0);
  EXPECT_EQ(r.out, "Pelira 7.7\n");
}

TEST(CliMain, HelpGoesToStdoutAndNamesExitStatus) {
  const CliResult r = Call({"--help"});
  EXPECT_EQ(r.rc, 0);
  EXPECT_NE(r.out.find("Usage: pelira-cli COMMAND"), std::string::npos);
  EXPECT_NE(r.out.find("2 for a usage error"), std::string::npos);
  EXPECT_TRUE(r.err.empty());
}

TEST(CliMain, UsageErrorsExitTwo) {
  for (const Args& args : {Args{}, Args{"no-such-command"}, Args{"--bogus"}}) {
    const CliResult r = Call(args);
    EXPECT_EQ(r.rc, 2);
    EXPECT_FALSE(r.err.empty());
  }
}

// Each command's options come from its table: an unknown option, a missing or refused value
// is a usage error naming the option; the help lists every option the table has.
TEST(CliMain, OptionTablesParseAndDescribeTheCommands) {
  const struct {
    Args args;
    const char* says;
  } cases[] = {
      {{"convert", "--bogus", "a.png", "b.png"}, "unknown option '--bogus'"},
      {{"convert", "a.png", "b.png", "--page"}, "--page needs a page number"},
      {{"convert", "--type", "13", "a.png", "b.png"}, "--type needs a save type 1..12"},
      {{"convert", "--quality", "-5", "a.png", "b.png"}, "--quality needs a compression value"},
      {{"run", "--jobs", "0", "s.bip", "a.png"}, "--jobs wants 1..256"},
      {{"run", "--out", "", "s.bip", "a.png"}, "--out wants a folder"},
      {{"apply", "--type", "x", "NEGATIVE", "a.png", "b.png"}, "--type needs a save type"},
      {{"apply", "--frob", "NEGATIVE", "a.png", "b.png"}, "unknown option '--frob'"},
  };
  for (const auto& c : cases) {
    const CliResult r = Call(c.args);
    EXPECT_EQ(r.rc, 2) << c.says;
    EXPECT_NE(r.err.find(c.says), std::string::npos) << r.err;
  }
  const std::string help = Call({"--help"}).out;
  for (const char* option : {"--page N", "--jpeg-scale N", "--fax-quality Q", "--background RRGGBB", "--out DIR",
                             "--jobs N", "--no-progressive", "--list"})
    EXPECT_NE(help.find(option), std::string::npos) << option;
}

// "--" ends the options, so a file whose name starts with "-" can be named.
TEST(CliMain, DoubleDashEndsTheOptions) {
  const CliResult r = Call({"convert", "--", "-missing.png", "-out.png"});
  EXPECT_EQ(r.rc, 1);
  EXPECT_NE(r.err.find("-missing.png"), std::string::npos) << r.err;
}

// One line a file whatever the name holds: a newline or a tab in a name is escaped in quotes.
TEST(CliMain, InfoKeepsOneLineAFileForOddNames) {
  test::TempDir dir;
  const std::filesystem::path odd = dir / "two\nlines\t.jpg";
  std::filesystem::copy_file(test::Fixture("viewer/photo.jpg"), odd);
  const CliResult r = Call({"info", "--", odd.string()});
  ASSERT_EQ(r.rc, 0) << r.err;
  EXPECT_EQ(std::count(r.out.begin(), r.out.end(), '\n'), 1);
  EXPECT_EQ(r.out.rfind("\"" + (dir / "two\\nlines\\t.jpg").string() + "\"\t640x427\t", 0), 0u) << r.out;
}

}  // namespace
}  // namespace pelira::cli
