#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "cli/commands.h"
#include "support/test_support.h"

namespace pelira::cli {
namespace {

namespace fs = std::filesystem;

struct CliResult {
  int rc;
  std::string out, err;
};

CliResult Call(const Args& args) {
  std::ostringstream out, err;
  const int rc = Main(args, out, err);
  return {rc, out.str(), err.str()};
}

std::string F(const std::string& name) { return test::Fixture("jpeg_tools/" + name).string(); }

TEST(CliExif, PrintsTheReport) {
  const CliResult one = Call({"exif", F("comment_then_exif.jpg")});
  EXPECT_EQ(one.rc, 0) << one.err;
  EXPECT_NE(one.out.find("\nMake = Camera\n"), std::string::npos);
  EXPECT_NE(one.out.find("\nXResolution = 72/1\n"), std::string::npos);
  EXPECT_NE(one.out.find("\nExposureBiasValue = -33/100\n"), std::string::npos);
  EXPECT_EQ(one.out.substr(one.out.size() - 21), "Before EXIF\nline two\n");

  const CliResult two = Call({"exif", F("mac_header.jpg"), F("base.jpg"), F("cam_le.jpg") + ".missing"});
  EXPECT_EQ(two.rc, 1);
  EXPECT_EQ(two.out, "== " + F("mac_header.jpg") + "\n\nWarning: Mac header found!\n\nMac note\n== " + F("base.jpg") +
                         "\n== " + F("cam_le.jpg") + ".missing\n");
  EXPECT_NE(two.err.find("pelira-cli: " + F("cam_le.jpg") + ".missing: "), std::string::npos);
}

TEST(CliExif, RefusesOtherNamesAndBadFiles) {
  test::TempDir dir;
  fs::copy_file(F("cam_le.jpg"), dir / "cam.png");
  std::vector<std::uint8_t> cut = test::ReadBytes(F("cam_le.jpg"));
  cut.resize(100);
  test::WriteBytes(dir / "cut.jpg", cut);
  const CliResult r = Call({"exif", (dir / "cam.png").string(), (dir / "cut.jpg").string()});
  EXPECT_EQ(r.rc, 1);
  EXPECT_EQ(r.err, "pelira-cli: " + (dir / "cam.png").string() + ": not a JPEG file name (.jpg, .jpeg)\n" +
                       "pelira-cli: " + (dir / "cut.jpg").string() + ": File has bad JPEG markers.\n");
  EXPECT_EQ(Call({"exif"}).rc, 2);
  EXPECT_EQ(Call({"exif", "-x", F("base.jpg")}).rc, 2);
}

TEST(CliComment, AddReadStrip) {
  test::TempDir dir;
  const fs::path file = dir / "photo.jpg";
  fs::copy_file(F("trailer.jpg"), file);
  const auto original = test::ReadBytes(file);

  CliResult r = Call({"comment", file.string()});
  EXPECT_EQ(r.rc, 0);
  EXPECT_EQ(r.out, "note\n");

  r = Call({"comment", "--add", "Holiday\nday two", file.string()});
  EXPECT_EQ(r.rc, 0) << r.err;
  EXPECT_EQ(r.out, file.string() + ": comment added\n");
  EXPECT_EQ(test::ReadBytes(dir / "photo.bak"), original);
  EXPECT_EQ(Call({"comment", file.string()}).out, "Holiday\nday two\nnote\n");

  // The .bak exists now: without --yes the file is skipped.
  r = Call({"comment", "--strip", file.string()});
  EXPECT_EQ(r.rc, 1);
  EXPECT_EQ(r.err, "pelira-cli: " + file.string() + ": " + (dir / "photo.bak").string() + " exists; --yes overwrites it\n");
  r = Call({"comment", "--strip", "--yes", file.string()});
  EXPECT_EQ(r.rc, 0) << r.err;
  EXPECT_EQ(r.out, file.string() + ": Comments removed:" + std::to_string(4 + 18 + 4 + 4) + " bytes\n");
  r = Call({"comment", "--strip", "--all-extra", "--yes", file.string()});
  EXPECT_EQ(r.out, file.string() + ": Extra info removed:18 bytes\n");
  r = Call({"comment", "--strip", "--yes", file.string()});
  EXPECT_EQ(r.out, file.string() + ": No Comments found. File unchanged.\n");
  // What is left: the picture without APP0 and everything after its end marker.
  const auto now = test::ReadBytes(file);
  EXPECT_EQ(now.size(), original.size() - 8 - 18);
  EXPECT_TRUE(std::equal(now.end() - 7000, now.end(), original.end() - 7000));
}

TEST(CliComment, Usage) {
  EXPECT_EQ(Call({"comment"}).rc, 2);
  EXPECT_EQ(Call({"comment", F("base.jpg"), F("cam_le.jpg")}).rc, 2);
  EXPECT_EQ(Call({"comment", "--all-extra", F("base.jpg")}).rc, 2);
  EXPECT_EQ(Call({"comment", "--strip", "--bogus", F("base.jpg")}).rc, 2);
  EXPECT_EQ(Call({"comment", "--add"}).rc, 2);
  const CliResult big = Call({"comment", "--add", std::string(32001, 'x'), F("base.jpg")});
  EXPECT_EQ(big.rc, 1);
  EXPECT_EQ(big.err, "pelira-cli: " + F("base.jpg") + ": Comment too large; limit text to 32000 characters.\n");
  EXPECT_NE(Call({"--help"}).out.find("comment --strip [--all-extra]"), std::string::npos);
}

}  // namespace
}  // namespace pelira::cli
