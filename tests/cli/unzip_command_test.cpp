#include <gtest/gtest.h>

#include <sstream>

#include "cli/commands.h"
#include "support/test_support.h"
#include "tools/zip_test_support.h"

namespace pelira::cli {
namespace {

namespace fs = std::filesystem;
using test::Fixture;
using test::TempDir;

struct Outcome {
  int rc;
  std::string out, err;
};

Outcome Call(const Args& args) {
  std::ostringstream out, err;
  const int rc = Main(args, out, err);
  return {rc, out.str(), err.str()};
}

std::string Zip(const char* name) { return Fixture(std::string("tools/") + name).string(); }

TEST(CliUnzip, ListsMembers) {
  const Outcome o = Call({"unzip", "--list", Zip("infozip.zip")});
  EXPECT_EQ(o.rc, 0) << o.err;
  std::istringstream lines(o.out);
  std::vector<std::string> names;
  for (std::string line; std::getline(lines, line);) {
    std::vector<std::string> f;
    std::istringstream fields(line);
    for (std::string x; std::getline(fields, x, '\t');) f.push_back(x);
    ASSERT_EQ(f.size(), 6u) << line;
    EXPECT_EQ(f[0], Zip("infozip.zip"));
    names.push_back(f[1]);
    if (f[1] == "ro.txt") {
      EXPECT_EQ(f[3], "10");
      EXPECT_EQ(f[4], "0");  // stored: nothing saved
    }
  }
  EXPECT_EQ(names, (std::vector<std::string>{"a.txt", "ro.txt", "run.sh", "sub/", "sub/b.bin"}));

  const Outcome bad = Call({"unzip", "--list", Zip("truncated.zip"), Zip("cp437.zip")});
  EXPECT_EQ(bad.rc, 1);
  EXPECT_NE(bad.err.find(Zip("truncated.zip") + ": is incomplete or corrupted"), std::string::npos);
  EXPECT_NE(bad.out.find("caf\xC3\xA9.txt"), std::string::npos);
}

TEST(CliUnzip, ExtractsIntoAFolderOrBesideTheArchive) {
  TempDir dir;
  const fs::path to = dir.path() / "made" / "here";
  Outcome o = Call({"unzip", "--to", to.string(), Zip("mixed.zip"), Zip("prepended.zip")});
  EXPECT_EQ(o.rc, 0) << o.err;
  EXPECT_EQ(o.out, "6 file(s) unzipped.\n");
  EXPECT_TRUE(fs::exists(to / "photos" / "deep" / "empty.txt"));
  EXPECT_TRUE(fs::exists(to / "inside.txt"));

  fs::copy_file(Zip("cp437.zip"), dir.path() / "c.zip");
  o = Call({"unzip", (dir.path() / "c.zip").string()});
  EXPECT_EQ(o.rc, 0) << o.err;
  EXPECT_TRUE(fs::exists(dir.path() / "caf\xC3\xA9.txt"));
  EXPECT_TRUE(fs::exists(dir.path() / "c.zip"));  // never recycled
}

TEST(CliUnzip, ExceptionsGoToStderrWithStatus1) {
  TempDir dir;
  test::WriteFile(dir.path() / "good.txt", "mine");
  const Outcome o = Call({"unzip", "--to", dir.path().string(), Zip("traversal.zip"), Zip("badcrc.zip")});
  EXPECT_EQ(o.rc, 1);
  EXPECT_EQ(o.out, "2 file(s) unzipped.\n");  // ok.txt, d/sub/ok.txt
  EXPECT_NE(o.err.find("pelira-cli: ../evil.txt in " + Zip("traversal.zip") + " has an unsafe name; skipped.\n"),
            std::string::npos);
  EXPECT_NE(o.err.find("pelira-cli: data.txt in " + Zip("badcrc.zip") + " is corrupted (bad CRC).\n"),
            std::string::npos);
  EXPECT_NE(o.err.find("pelira-cli: good.txt in " + Zip("badcrc.zip") + " exists; skipped.\n"), std::string::npos);
  EXPECT_EQ(test::ReadFile(dir.path() / "good.txt"), "mine");
  EXPECT_FALSE(fs::exists(dir.path().parent_path() / "evil.txt"));
}

TEST(CliUnzip, UsageErrors) {
  for (const Args& args : {Args{"unzip"}, Args{"unzip", "--list"}, Args{"unzip", "--to"},
                           Args{"unzip", "--bogus", "a.zip"}}) {
    const Outcome o = Call(args);
    EXPECT_EQ(o.rc, 2) << args.size();
    EXPECT_NE(o.err.find("pelira-cli unzip: "), std::string::npos);
  }
  EXPECT_NE(Call({"--help"}).out.find("unzip [--list] [--to DIR] ARCHIVE..."), std::string::npos);
}

}  // namespace
}  // namespace pelira::cli
