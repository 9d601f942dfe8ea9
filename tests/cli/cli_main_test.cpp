#include <gtest/gtest.h>

#include <sstream>

#include "cli/commands.h"

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

}  // namespace
}  // namespace pelira::cli
