#include "explorer/recursive_walk.h"

#include <gtest/gtest.h>

#include <map>
#include <sstream>

#include "explorer/explorer_test_util.h"
#include "explorer/listing.h"
#include "viewer/bookmarks.h"

namespace pelira {
namespace {

namespace fs = std::filesystem;
using test::MakeFile;
using test::TempDir;

// Pre-order with children sorted as the walk sorts them, links never entered.
constexpr const char* kWalkOracle = R"PY(
import os, sys
root = sys.argv[1]
def key(n): return (n.encode().lower(), n.encode())
out = []
def walk(d):
    out.append(d)
    subs = sorted([e.name for e in os.scandir(d) if e.is_dir(follow_symlinks=False) and not e.name.startswith('.')], key=key)
    for s in subs: walk(os.path.join(d, s))
walk(root)
total = 0
for d in out:
    for e in os.scandir(d):
        if e.is_file(follow_symlinks=False): total += e.stat(follow_symlinks=False).st_size
print('\n'.join(out))
print(total)
)PY";

class WalkTree : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::create_directories(dir / "B/inner");
    fs::create_directories(dir / "a/deep/deeper");
    fs::create_directories(dir / ".hidden");
    fs::create_directories(dir / "c");
    MakeFile(dir / "top.jpg", 100);
    MakeFile(dir / "B/inner/x.PNG", 200);
    MakeFile(dir / "B/show.avl", 50);       // never taken
    MakeFile(dir / "B/empty.jpg", 0);       // never taken
    MakeFile(dir / "a/readme.txt", 30);     // counted in sizes only
    MakeFile(dir / "a/deep/deeper/z.gif", 6'000);
    MakeFile(dir / ".hidden/h.jpg", 7);
    fs::create_directory_symlink(".", dir / "loop");
    fs::create_directory_symlink("..", dir / "a/up");
    fs::create_directory_symlink("/", dir / "c/root");
    fs::create_symlink(dir / "top.jpg", dir / "c/link.jpg");
  }
  TempDir dir;
};

TEST_F(WalkTree, FolderPassMatchesTheOracleAndNeverFollowsLinks) {
  const FolderPass pass = ListFolders(dir.path());
  std::istringstream out(test::RunPython(kWalkOracle, "'" + dir.path().string() + "'"));
  std::vector<std::string> expected;
  for (std::string line; std::getline(out, line);) expected.push_back(line);
  ASSERT_GE(expected.size(), 2u) << "python3 oracle did not run";
  const std::string total = expected.back();
  expected.pop_back();
  std::vector<std::string> got;
  for (const fs::path& p : pass.folders) got.push_back(p.string());
  EXPECT_EQ(got, expected);
  EXPECT_EQ(pass.unreadable, 0);

  const SizeTotal size = FolderSize(dir.path());
  EXPECT_EQ(std::to_string(size.bytes), total);
}

TEST_F(WalkTree, FilePassTakesViewableKindsOnly) {
  const FolderPass folders = ListFolders(dir.path());
  std::vector<std::size_t> perFolder;
  const FilePass files = ListFiles(folders.folders, kExplorerImageAndMediaKinds, {},
                                   [&](std::size_t f, const FilePass&) { perFolder.push_back(f); });
  std::vector<std::string> names;
  for (const WalkFile& f : files.files) names.push_back(fs::path(f.path).lexically_relative(dir.path()).string());
  // Tree order: the start folder, then a, a/deep, a/deep/deeper, B, B/inner, c.
  EXPECT_EQ(names, (std::vector<std::string>{"top.jpg", "a/deep/deeper/z.gif", "B/inner/x.PNG", "c/link.jpg"}));
  EXPECT_EQ(perFolder.size(), folders.folders.size());
}

TEST_F(WalkTree, StopEndsThePassesAndBigSizesAdd) {
  int calls = 0;
  WalkOptions stop;
  stop.aborted = [&] { return ++calls > 2; };
  EXPECT_TRUE(ListFolders(dir.path(), stop).aborted);
  calls = 0;
  EXPECT_TRUE(FolderSize(dir.path(), stop).aborted);
}

// A reader that fails for chosen folders (running as root, permissions prove nothing).
class FailingReader : public DirectoryReader {
 public:
  std::map<std::string, int> failures;
  bool Read(const fs::path& p, Want want, std::string_view kinds, std::vector<WalkEntry>& out, int& err) override {
    auto it = failures.find(p.filename().string());
    if (it != failures.end()) {
      err = it->second;
      return false;
    }
    return SystemDirectoryReader().Read(p, want, kinds, out, err);
  }
  bool Identify(const fs::path& p, std::uint64_t& d, std::uint64_t& i, bool& pseudo) override {
    return SystemDirectoryReader().Identify(p, d, i, pseudo);
  }
};

TEST_F(WalkTree, UnreadableAndVanishedFoldersAreCountedAndSkipped) {
  FailingReader reader;
  reader.failures = {{"a", EACCES}, {"inner", ENOENT}};
  WalkOptions o;
  o.reader = &reader;
  const FolderPass pass = ListFolders(dir.path(), o);
  EXPECT_EQ(pass.unreadable, 2);
  std::vector<std::string> got;
  for (const fs::path& p : pass.folders) got.push_back(p.lexically_relative(dir.path()).string());
  EXPECT_EQ(got, (std::vector<std::string>{".", "a", "B", "B/inner", "c"}));
  const FilePass files = ListFiles(pass.folders, kExplorerImageAndMediaKinds, o);
  EXPECT_EQ(files.unreadable, 2);
  EXPECT_EQ(files.files.size(), 2u);  // top.jpg and c/link.jpg
}

TEST(WalkPseudo, ProcIsNeverEntered) {
  const FolderPass pass = ListFolders("/", WalkOptions{[n = 0]() mutable { return ++n > 200; }, {}, nullptr});
  for (const fs::path& p : pass.folders) {
    EXPECT_NE(p, fs::path("/proc"));
    EXPECT_NE(p, fs::path("/sys"));
  }
}

TEST(WalkTexts, ProgressAndInstantSlideshowFiles) {
  EXPECT_EQ(SlidesAddedText(12, 40, 1000), "12 slides added.  ");
  EXPECT_EQ(SlidesAddedText(12, 40, 2400), "12 slides added.    Files scanned: 40 ... Files/min: 1000");
  TempDir dir;
  const std::string plp = WriteInstantSlideshow(dir.path(), "_ABCDEF010001", {"/p/a.jpg", "/p/b.png"}, {"/p"});
  ASSERT_EQ(plp, (dir / "_ABCDEF010001.plp").string());
  std::vector<std::string> entries;
  std::string message;
  ASSERT_TRUE(ReadPlpFile(plp, entries, message));
  EXPECT_EQ(entries, (std::vector<std::string>{"/p/a.jpg", "/p/b.png"}));
  EXPECT_TRUE(fs::exists(dir / "_ABCDEF010001.dir"));
}

}  // namespace
}  // namespace pelira
