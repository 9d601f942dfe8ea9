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

}  // namespace
}  // namespace pelira::cli
