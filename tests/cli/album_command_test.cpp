#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "album/album_test_util.h"
#include "cli/commands.h"
#include "common/app_paths.h"

namespace pelira::cli {
namespace {

namespace fs = std::filesystem;
using test::MakeFile;
using test::TempDir;

struct CliResult {
  int rc;
  std::string out, err;
};

CliResult Call(const Args& args) {
  std::ostringstream out, err;
  const int rc = Main(args, out, err);
  return {rc, out.str(), err.str()};
}

std::vector<std::string> Column(const std::string& text, int col) {
  std::vector<std::string> out;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) {
    std::size_t from = 0;
    for (int i = 0; i < col; ++i) from = line.find('\t', from) + 1;
    out.push_back(line.substr(from, line.find('\t', from) - from));
  }
  return out;
}

TEST(CliAlbum, NewListAddConvertValidate) {
  TempDir dir;
  const auto a = MakeFile(dir / "pics/a.jpg", 2048);
  const auto b = MakeFile(dir / "pics/sub/b.png", 10);
  MakeFile(dir / "pics/notes.doc", 1);  // not a slide kind: folders leave it out
  const auto c = MakeFile(dir / "c.mp3", 5);
  const std::string avc = (dir / "trip.avc").string();

  CliResult r = Call({"album", "new", avc, (dir / "pics").string(), c});
  ASSERT_EQ(r.rc, 0) << r.err;
  r = Call({"album", "list", avc});
  ASSERT_EQ(r.rc, 0) << r.err;
  // Added from the last named to the first, each at the end: the album window's Add.
  EXPECT_EQ(Column(r.out, 1), (std::vector<std::string>{c, b, a}));
  EXPECT_EQ(Column(r.out, 0), (std::vector<std::string>{"1", "2", "3"}));
  EXPECT_EQ(Column(r.out, 2)[2], "2048");
  EXPECT_EQ(Column(r.out, 4)[0], " --- ");  // a sound has no background

  const auto d = MakeFile(dir / "d.gif", 3);
  ASSERT_EQ(Call({"album", "add", avc, d}).rc, 0);
  const std::string avl = (dir / "trip.avl").string();
  ASSERT_EQ(Call({"album", "convert", avc, avl}).rc, 0);
  // The script alone holds the album: with its side files gone it decodes the same list.
  for (const auto& e : fs::directory_iterator(AppPaths::Data()))
    if (e.path().filename().string().rfind("trip.avl.", 0) == 0) fs::remove(e.path());
  r = Call({"album", "list", avl});
  ASSERT_EQ(r.rc, 0) << r.err;
  EXPECT_EQ(Column(r.out, 1), (std::vector<std::string>{c, b, a, d}));

  r = Call({"album", "validate", avc});
  EXPECT_EQ(r.rc, 0) << r.out << r.err;
  fs::remove(b);
  r = Call({"album", "validate", avc});
  EXPECT_EQ(r.rc, 1);
  EXPECT_NE(r.out.find("missing\t2\t" + b + "\n"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("4 slides\t1 missing\tside files"), std::string::npos) << r.out;

  const std::string plp = (dir / "trip.plp").string();
  ASSERT_EQ(Call({"album", "convert", avc, plp}).rc, 0);
  // A list keeps the missing file as a slide; validate finds it again.
  EXPECT_EQ(Column(Call({"album", "list", plp}).out, 1), (std::vector<std::string>{c, b, a, d}));
  EXPECT_EQ(Call({"album", "validate", plp}).rc, 1);
}

TEST(CliAlbum, ErrorsAndUsage) {
  TempDir dir;
  struct Case {
    Args args;
    int rc;
    const char* err;
  } cases[] = {
      {{"album"}, 2, "usage"},
      {{"album", "frobnicate"}, 2, "unknown subcommand"},
      {{"album", "list"}, 2, "usage"},
      {{"album", "list", (dir / "none.avl").string()}, 1, "Bad AVL file."},
      {{"album", "new", (dir / "x,y.avc").string(), (dir / "none.jpg").string()}, 1, "no such file"},
      {{"album", "new", (dir / "x[1].avc").string()}, 2, "usage"},
  };
  for (const auto& c : cases) {
    const CliResult r = Call(c.args);
    EXPECT_EQ(r.rc, c.rc) << c.args.back();
    EXPECT_NE(r.err.find(c.err), std::string::npos) << r.err;
  }
  MakeFile(dir / "a.jpg", 1);
  const CliResult r = Call({"album", "new", (dir / "x,y.avc").string(), (dir / "a.jpg").string()});
  EXPECT_EQ(r.rc, 1);
  EXPECT_NE(r.err.find("Filename must NOT contain"), std::string::npos);
  EXPECT_FALSE(fs::exists(dir / "x,y.avc"));
}

}  // namespace
}  // namespace pelira::cli
