// The bookmark list's rules, its file and the recent links.
#include "viewer/bookmarks.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <cstdio>
#include <set>

#include "common/text_encoding.h"
#include "support/test_support.h"

using namespace pelira;
namespace fs = std::filesystem;

namespace {

using Entries = std::vector<std::string>;

BookmarkList ListOf(Entries e, std::size_t index) {
  BookmarkList l;
  l.Assign(std::move(e), index);
  return l;
}

// Files that "exist" for the sort tests: every name without "missing" in it.
bool FakeExists(const std::string& p) { return !p.empty() && p.find("missing") == std::string::npos; }

}  // namespace

TEST(Bookmarks, UpdateHistoryInsertsAfterTheCurrentEntry) {
  struct Case { Entries before; std::size_t index; std::string opened; Entries after; std::size_t indexAfter; };
  const Case cases[] = {
      {{}, 0, "a", {"a"}, 0},
      {{"a", "b"}, 0, "x", {"x", "a", "b"}, 0},            // index 0: in front of the first entry
      {{"a", "b", "c", "d", "e"}, 3, "x", {"a", "b", "c", "d", "x", "e"}, 4},
      {{"a", "b"}, 1, "x", {"a", "b", "x"}, 2},
      {{"a", "b"}, 1, "b", {"a", "b"}, 1},                 // the current file again: nothing
      {{"a", "B.jpg"}, 1, "b.jpg", {"a", "B.jpg", "b.jpg"}, 2},  // case differs: another file
  };
  for (const Case& c : cases) {
    BookmarkList l = ListOf(c.before, c.index);
    l.UpdateHistory(c.opened);
    EXPECT_EQ(l.Entries(), c.after) << c.opened;
    EXPECT_EQ(l.Index(), c.indexAfter) << c.opened;
  }
}

TEST(Bookmarks, RemoveCurrentKeepsTheIndexInRange) {
  struct Case { Entries before; std::size_t index; Entries after; std::size_t indexAfter; };
  const Case cases[] = {
      {{"a", "b", "c"}, 2, {"a", "b"}, 1},  // the last goes: its predecessor is current
      {{"a", "b", "c"}, 1, {"a", "c"}, 1},  // the successor takes its place
      {{"a", "b"}, 1, {"a"}, 0},
      {{"a"}, 0, {}, 0},
  };
  for (const Case& c : cases) {
    BookmarkList l = ListOf(c.before, c.index);
    EXPECT_TRUE(l.RemoveCurrent());
    EXPECT_EQ(l.Entries(), c.after);
    EXPECT_EQ(l.Index(), c.indexAfter);
  }
  BookmarkList empty;
  EXPECT_FALSE(empty.RemoveCurrent());
}

TEST(Bookmarks, StepsWrapAndMovesSwap) {
  enum Op { Next, Previous, First, Last, Up, Down };
  struct Case { Op op; Entries before; std::size_t index; bool changed; Entries after; std::size_t indexAfter; };
  const Case cases[] = {
      {Next, {"a", "b", "c"}, 2, true, {"a", "b", "c"}, 0},
      {Next, {"a", "b", "c"}, 0, true, {"a", "b", "c"}, 1},
      {Previous, {"a", "b", "c"}, 0, true, {"a", "b", "c"}, 2},
      {Next, {"a"}, 0, false, {"a"}, 0},
      {Previous, {"a"}, 0, false, {"a"}, 0},
      {First, {"a", "b", "c"}, 2, true, {"a", "b", "c"}, 0},
      {Last, {"a", "b", "c"}, 0, true, {"a", "b", "c"}, 2},
      {Last, {"a"}, 0, true, {"a"}, 0},
      {Up, {"a", "b", "c"}, 0, true, {"b", "a", "c"}, 0},
      {Up, {"a", "b", "c"}, 2, true, {"a", "c", "b"}, 1},
      {Down, {"a", "b", "c"}, 2, true, {"c", "b", "a"}, 0},
      {Down, {"a", "b", "c"}, 0, true, {"b", "a", "c"}, 1},
      {Down, {"a"}, 0, false, {"a"}, 0},
  };
  for (const Case& c : cases) {
    BookmarkList l = ListOf(c.before, c.index);
    bool changed = false;
    switch (c.op) {
      case Next: changed = l.Next(); break;
      case Previous: changed = l.Previous(); break;
      case First: changed = l.First(); break;
      case Last: changed = l.Last(); break;
      case Up: changed = l.MoveUp(); break;
      case Down: changed = l.MoveDown(); break;
    }
    EXPECT_EQ(changed, c.changed) << int(c.op) << " at " << c.index;
    EXPECT_EQ(l.Entries(), c.after) << int(c.op) << " at " << c.index;
    EXPECT_EQ(l.Index(), c.indexAfter) << int(c.op) << " at " << c.index;
  }
}

TEST(Bookmarks, SortsFoldCaseButKeepDistinctFiles) {
  struct Case { Entries before; Entries menuSort; Entries sortAll; };
  const Case cases[] = {
      // Names that differ in case are two files; a.jpg still comes first.
      {{"B.jpg", "a.jpg", "b.JPG"}, {"a.jpg", "B.jpg", "b.JPG"}, {"a.jpg", "B.jpg", "b.JPG"}},
      {{"c", "a", "c", "b", "a"}, {"a", "b", "c"}, {"a", "b", "c"}},
      {{"z", "missing1", "", "a"}, {"a", "z"}, {"a", "z"}},
      // Exact duplicates split by a case variant: the menu drops both, the dialog only
      // neighbours.
      {{"a", "A", "a"}, {"A", "a"}, {"a", "A", "a"}},
      // One entry left: the menu's sort keeps it even when missing, the dialog's does not.
      {{"missing", "missing"}, {"missing"}, {}},
  };
  for (const Case& c : cases) {
    BookmarkList l = ListOf(c.before, 1);
    l.Sort(FakeExists);
    EXPECT_EQ(l.Entries(), c.menuSort);
    EXPECT_EQ(l.Index(), 0u);
    Entries all = c.before;
    SortAllEntries(all, FakeExists);
    EXPECT_EQ(all, c.sortAll);
  }
}

TEST(Bookmarks, FileExistsRefusesEntriesNoFileCanHave) {
  test::TempDir dir;
  test::WriteText(dir / "x.jpg", "x");
  EXPECT_TRUE(BookmarkFileExists((dir / "x.jpg").string()));
  EXPECT_FALSE(BookmarkFileExists((dir / "X.JPG").string()));
  EXPECT_FALSE(BookmarkFileExists(dir.path().string()));  // a folder is no bookmark
  EXPECT_FALSE(BookmarkFileExists(""));
  EXPECT_FALSE(BookmarkFileExists((dir / "x.jpg").string() + std::string(1, '\0') + "tail"));
}

TEST(BookmarkFile, WritesCrlfAndReadsItBack) {
  test::TempDir dir;
  const Entries e = {"/pics/a.jpg", "/pics/B \xC3\xA9t\xC3\xA9.png", "", "/pics/c.tif"};
  const std::string text = PlpText(e);
  EXPECT_EQ(text, "/pics/a.jpg\r\n/pics/B \xC3\xA9t\xC3\xA9.png\r\n\r\n/pics/c.tif\r\n");
  test::WriteText(dir / "l.plp", text);
  Entries back;
  std::string why;
  ASSERT_TRUE(ReadPlpFile(dir / "l.plp", back, why)) << why;
  EXPECT_EQ(back, e);
}

TEST(BookmarkFile, ReadsWhatOtherWritersLeave) {
  struct Case { const char* name; std::string bytes; Entries entries; };
  const Case cases[] = {
      {"LF", "a\nb\n", {"a", "b"}},
      {"CR", "a\rb", {"a", "b"}},
      {"mixed and a blank line", "a\r\n\nb\rc", {"a", "", "b", "c"}},
      {"CP1252", "/p/caf\xE9.jpg\r\n", {"/p/caf\xC3\xA9.jpg"}},
      {"UTF-8 with its mark", "\xEF\xBB\xBF/p/x.jpg\r\n", {"/p/x.jpg"}},
      {"Windows paths stay as written", "C:\\Photos\\X.JPG\r\n", {"C:\\Photos\\X.JPG"}},
      {"NUL inside a line", std::string("a\0b\r\nc", 6), {std::string("a\0b", 3), "c"}},
      {"empty file", "", {}},
  };
  test::TempDir dir;
  for (const Case& c : cases) {
    test::WriteText(dir / "l.plp", c.bytes);
    Entries back;
    std::string why;
    ASSERT_TRUE(ReadPlpFile(dir / "l.plp", back, why)) << c.name;
    EXPECT_EQ(back, c.entries) << c.name;
  }
}

TEST(BookmarkFile, FailuresLeaveNoEntries) {
  test::TempDir dir;
  Entries back = {"stale"};
  std::string why;
  EXPECT_FALSE(ReadPlpFile(dir / "none.plp", back, why));
  EXPECT_TRUE(back.empty());
  EXPECT_NE(why.find("none.plp"), std::string::npos);
  EXPECT_FALSE(ReadPlpFile(dir.path(), back, why));  // a folder
  EXPECT_TRUE(back.empty());
  // Past the size limit nothing is read (a sparse file: no disk is used).
  test::WriteText(dir / "huge.plp", "a\r\n");
  fs::resize_file(dir / "huge.plp", kPlpMaxBytes + 1);
  back = {"stale"};
  EXPECT_FALSE(ReadPlpFile(dir / "huge.plp", back, why));
  EXPECT_TRUE(back.empty());
}

TEST(RecentLinks, OneLinkPerPathAndTheCrcSuffixForAnother) {
  test::TempDir dir;
  const fs::path recent = dir / "recent";
  const std::string x = "/photos/x.jpg", other = "/other/x.jpg";
  AddToAppRecent(recent, x);
  AddToAppRecent(recent, x);
  ASSERT_TRUE(fs::is_symlink(recent / "x.jpg in photos.lnk"));
  EXPECT_EQ(fs::read_symlink(recent / "x.jpg in photos.lnk").string(), x);

  // Same name from another folder's parent of the same name: the suffix is the register of
  // path + CRLF without the final inversion (zlib's CRC inverted).
  const std::string y = "/backup/photos/x.jpg";
  AddToAppRecent(recent, y);
  char hex[16];
  const std::string fed = y + "\r\n";
  std::snprintf(hex, sizeof hex, "%08lX",
                crc32(0, reinterpret_cast<const Bytef*>(fed.data()), static_cast<uInt>(fed.size())) ^ 0xFFFFFFFFul);
  const fs::path suffixed = recent / ("x.jpg in photos #" + std::string(hex) + ".lnk");
  ASSERT_TRUE(fs::is_symlink(suffixed)) << suffixed;
  EXPECT_EQ(fs::read_symlink(suffixed).string(), y);
  EXPECT_EQ(fs::read_symlink(recent / "x.jpg in photos.lnk").string(), x);  // untouched

  AddToAppRecent(recent, other);
  std::set<std::string> names;
  for (const auto& e : fs::directory_iterator(recent)) names.insert(e.path().filename().string());
  EXPECT_EQ(names, (std::set<std::string>{"x.jpg in photos.lnk", suffixed.filename().string(), "x.jpg in other.lnk"}));
}

TEST(RecentLinks, NamesAreCleanedAndBounded) {
  test::TempDir dir;
  struct Case { std::string path; std::string name; };
  const std::string longName(140, 'n');
  const std::string huge(300, 'h');
  const Case cases[] = {
      {"/photos/", "photos in Root"},                 // a folder, trailing slash removed
      {"/", "Root"},
      {"/a:b/c:d.jpg", "c d.jpg in a b"},
      {"/p/" + longName, longName},                     // past 128 characters: the name alone
      {"/p/" + huge, std::string(251, 'h')},            // 255 bytes with ".lnk"
  };
  for (const Case& c : cases) EXPECT_EQ(RecentLinkName(dir.path(), c.path), c.name) << c.path;
  // A plain file where the link would go cannot be read as a link: the suffix.
  test::WriteText(dir / "x in p.lnk", "not a link");
  EXPECT_EQ(RecentLinkName(dir.path(), "/p/x").rfind("x in p #", 0), 0u);
}

TEST(BookmarkTexts, DialogAndQuestionTexts) {
  EXPECT_EQ(ListCountText(3), "  3 item(s)");
  EXPECT_EQ(ListSelectedText(0, 3), "  Selected item 1 of 3");
  EXPECT_EQ(UnmarkQuestion("/p/a.jpg"), "Remove bookmark for a.jpg ?\n[Ignore] avoids this dialog (for experts).");
}
