#include <gtest/gtest.h>

#include <set>

#include "app/startup_state.h"
#include "support/test_support.h"

namespace pelira {
namespace {

TEST(ParseCommandLine, NamesOneExistingFile) {
  test::TempDir dir;
  const std::string spaced = (dir / "My Photos").string();
  std::filesystem::create_directory(spaced);
  const std::set<std::string> files = {spaced + "/Beach Day.JPG", spaced + "/Scan.BMP", spaced + "/Show.avl",
                                       spaced + "/README"};
  for (const std::string& f : files) test::WriteText(f, "x");
  auto exists = [&](const std::string& p) { return files.count(p) > 0; };

  struct Case {
    std::vector<std::string> args;
    std::string file, ext;
    bool pending, jpeg, show;
  };
  const Case cases[] = {
      // An unquoted path with blanks arrives in pieces and is joined with single blanks.
      {{(dir / "My").string(), "Photos/Beach", "Day.JPG"}, spaced + "/Beach Day.JPG", ".JPG", false, true, false},
      {{spaced + "/Scan.BMP"}, spaced + "/Scan.BMP", ".BMP", true, false, false},
      {{spaced + "/Show.avl"}, spaced + "/Show.avl", ".AVL", true, false, true},
      {{spaced + "/README"}, spaced + "/README", "", true, false, false},
  };
  for (const Case& c : cases) {
    const StartupState s = ParseCommandLine(c.args, exists);
    EXPECT_EQ(s.CommandLineFile, c.file);
    EXPECT_EQ(s.CurrentFile, c.file);  // the case of the path is kept
    EXPECT_EQ(s.CurrentExt, c.ext) << c.file;
    EXPECT_EQ(s.OpenPending, c.pending) << c.file;
    EXPECT_EQ(s.CommandLineJpeg, c.jpeg) << c.file;
    EXPECT_EQ(s.CommandLineShow, c.show) << c.file;
  }
}

TEST(ParseCommandLine, NoFileOrAMissingOneGivesTheMarker) {
  auto none = [](const std::string&) { return false; };
  for (const std::vector<std::string>& args : {std::vector<std::string>{}, {"/no/such/file.bmp"}, {""}}) {
    const StartupState s = ParseCommandLine(args, none);
    EXPECT_EQ(s.CommandLineFile, "*");
    EXPECT_FALSE(s.HasFile());
    EXPECT_TRUE(s.CurrentFile.empty());
    EXPECT_FALSE(s.OpenPending || s.CommandLineJpeg || s.CommandLineShow);
  }
}

TEST(ParseCommandLine, RelativePathsBecomeAbsolute) {
  std::string seen;
  const StartupState s = ParseCommandLine({"pics/../a.png"}, [&](const std::string& p) {
    seen = p;
    return true;
  });
  EXPECT_TRUE(std::filesystem::path(seen).is_absolute());
  EXPECT_EQ(std::filesystem::path(seen), std::filesystem::current_path() / "a.png");
  EXPECT_EQ(s.CurrentFile, seen);
}

TEST(IsJpegExtension, AnyExtensionHoldingDotJP) {
  for (const char* e : {".JPG", ".JPEG", ".JP", ".JPE", ".JP2"}) EXPECT_TRUE(IsJpegExtension(e)) << e;
  for (const char* e : {".PNG", "", ".AJPG", ".GIF"}) EXPECT_FALSE(IsJpegExtension(e)) << e;
}

}  // namespace
}  // namespace pelira
