#include "explorer/listing.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <map>
#include <sstream>

#include "common/kind_list.h"
#include "explorer/explorer_test_util.h"

namespace pelira {
namespace {

using test::MakeFile;
using test::TempDir;

// What the explorer lists and in which order under each key, from os.scandir and sorted().
constexpr const char* kOracle = R"PY(
import os, sys, time
d = os.fsencode(sys.argv[1]); now = time.time()
def fold(b): return b.lower()  # ASCII only on bytes
def dos(t):
    tm = time.localtime(t)
    if not 1980 <= tm.tm_year <= 2099: return 0
    return ((tm.tm_year-1980)<<25)|(tm.tm_mon<<21)|(tm.tm_mday<<16)|(tm.tm_hour<<11)|(tm.tm_min<<5)|(tm.tm_sec//2)
def ext(n):
    i = n.rfind(b'.')
    return n[i:].upper() if i >= 0 and i < len(n) - 1 else b''
rows = []
for e in os.scandir(d):
    n = e.name
    if n.startswith(b'.'): continue
    try: st = os.stat(e.path)
    except OSError: continue
    import stat as S
    isdir = S.S_ISDIR(st.st_mode)
    if not isdir and not S.S_ISREG(st.st_mode): continue
    if not isdir and (st.st_size == 0 or 0 <= now - st.st_mtime < 2): continue
    rows.append(dict(n=n, k=0 if isdir else 1, s=0 if isdir else st.st_size, d=dos(st.st_mtime), x=b'' if isdir else ext(n)))
def name(r): return (r['k'], fold(r['n']), r['n'])
def fam(r):
    i = r['n'].rfind(b' ')
    return r['n'] if i < 0 else r['n'][i:]
keys = {
 'name+': sorted(rows, key=name),
 'name-': list(reversed(sorted(rows, key=name))),
 'size+': sorted(rows, key=lambda r: (r['s'], name(r))),
 'size-': sorted(rows, key=lambda r: (-r['s'], name(r))),
 'date+': sorted(rows, key=lambda r: (r['d'], name(r))),
 'date-': sorted(rows, key=lambda r: (-r['d'], name(r))),
 'type': sorted(rows, key=lambda r: (r['k'], fold(r['x']), r['x'], fold(r['n']), r['n'])),
 'family': sorted(rows, key=lambda r: (fold(fam(r)), fam(r), name(r))),
}
for k, v in keys.items():
    sys.stdout.write(k + '\t' + '/'.join(r['n'].decode() for r in v) + '\n')
)PY";

class ListingTree : public ::testing::Test {
 protected:
  void SetUp() override {
    // Sizes and dates with ties, folders, names that differ in case and by blanks.
    MakeFile(dir / "Holiday 001.jpg", 300, 1'100'000'000);
    MakeFile(dir / "holiday 002.JPG", 300, 1'100'000'000);
    MakeFile(dir / "beach.png", 5000, 1'200'000'000);
    MakeFile(dir / "Beach.bmp", 10, 1'000'000'000);
    MakeFile(dir / "zebra", 77, 2'400'000'000);  // 2046: the packed date's top bit is set
    MakeFile(dir / "a b c.tif", 1, 1'300'000'000);
    MakeFile(dir / "notes.txt", 300, 1'100'000'000);
    std::filesystem::create_directory(dir / "Albums");
    std::filesystem::create_directory(dir / "zz folder");
    test::SetMtime(dir / "Albums", 1'150'000'000);
    test::SetMtime(dir / "zz folder", 1'050'000'000);
    // Left out: empty, hidden, FIFO, dangling link, still being written.
    MakeFile(dir / "empty.jpg", 0);
    MakeFile(dir / ".hidden.jpg", 10);
    ::mkfifo((dir / "pipe.jpg").c_str(), 0644);
    std::filesystem::create_symlink(dir / "nowhere", dir / "dangling.jpg");
    test::WriteText(dir / "fresh.jpg", "new");
    // Links show what they point at.
    std::filesystem::create_symlink(dir / "beach.png", dir / "link to beach.png");
    std::filesystem::create_directory_symlink(dir / "Albums", dir / "Albums link");
  }
  TempDir dir;
};

TEST_F(ListingTree, ListsWhatScandirShowsInEveryKeyOrder) {
  const FolderRead read = ReadFolder(dir.path());
  ASSERT_TRUE(read.ok);
  EXPECT_EQ(read.transit, 1);  // fresh.jpg comes with the transit timer
  std::map<std::string, std::string> expected;
  std::istringstream lines(test::RunPython(kOracle, "'" + dir.path().string() + "'"));
  for (std::string line; std::getline(lines, line);) {
    const auto tab = line.find('\t');
    expected[line.substr(0, tab)] = line.substr(tab + 1);
  }
  ASSERT_EQ(expected.size(), 8u) << "python3 oracle did not run";

  Listing listing;
  listing.Assign(dir.path().string(), read.records);
  for (int k = 0; k < kSortKeyCount; ++k) {
    const auto key = static_cast<SortKey>(k);
    listing.Sort(key);
    std::string got;
    for (std::size_t i = 0; i < listing.Count(); ++i) got += (i ? "/" : "") + listing.At(i).name;
    EXPECT_EQ(got, expected[SortKeyWord(key)]) << SortKeyWord(key);
  }
  // "Name -" puts folders after files.
  listing.Sort(SortKey::NameDown);
  EXPECT_TRUE(listing.At(listing.Count() - 1).folder);
  EXPECT_FALSE(listing.At(0).folder);
}

TEST_F(ListingTree, RecordsCarryTheTargetOfLinksAndTheUpperCaseExtension) {
  const FolderRead read = ReadFolder(dir.path());
  Listing listing;
  listing.Assign(dir.path().string(), read.records);
  const ListingRecord& link = listing.At(listing.RowOf("link to beach.png"));
  EXPECT_TRUE(link.link);
  EXPECT_EQ(link.size, 5000u);
  EXPECT_EQ(link.ext, ".PNG");
  const ListingRecord& dirLink = listing.At(listing.RowOf("Albums link"));
  EXPECT_TRUE(dirLink.folder);
  EXPECT_EQ(listing.At(listing.RowOf("zebra")).ext, "");
  EXPECT_EQ(listing.RowOf("pipe.jpg"), -1);
}

TEST_F(ListingTree, RevalidateAddsDropsUpdatesAndKeepsTheSelection) {
  // A clock 10 s ahead: nothing is in transit, in either read.
  const std::int64_t later = NowNs() + 10'000'000'000;
  Listing listing;
  listing.Assign(dir.path().string(), ReadFolder(dir.path(), later).records);
  listing.Sort(SortKey::SizeUp);
  listing.SelectOnly({listing.RowOf("beach.png"), listing.RowOf("notes.txt")});
  listing.At(listing.RowOf("notes.txt")).typeText = "kept";
  listing.At(listing.RowOf("notes.txt")).typeTextMade = true;
  listing.At(listing.RowOf("beach.png")).typeTextMade = true;

  std::filesystem::remove(dir / "Beach.bmp");
  MakeFile(dir / "beach.png", 6000, 1'250'000'000);
  MakeFile(dir / "new one.gif", 40, 1'000'000'000);
  const Listing::Change ch = listing.Revalidate(ReadFolder(dir.path(), later).records);
  EXPECT_EQ(ch.added, 1);
  EXPECT_EQ(ch.dropped, 1);
  EXPECT_EQ(ch.changed, 2);  // beach.png and the link that shows it
  EXPECT_EQ(listing.RowOf("Beach.bmp"), -1);
  ASSERT_GE(listing.RowOf("new one.gif"), 0);
  const ListingRecord& beach = listing.At(listing.RowOf("beach.png"));
  EXPECT_EQ(beach.size, 6000u);
  EXPECT_TRUE(beach.selected);
  EXPECT_FALSE(beach.typeTextMade);  // changed: made again when shown
  EXPECT_TRUE(listing.At(listing.RowOf("notes.txt")).selected);
  EXPECT_EQ(listing.At(listing.RowOf("notes.txt")).typeText, "kept");
  EXPECT_EQ(listing.SelectedRows().size(), 2u);
  // Still in the chosen order.
  for (std::size_t i = 1; i < listing.Count(); ++i)
    EXPECT_FALSE(RecordLess(listing.At(i), listing.At(i - 1), SortKey::SizeUp));
}

TEST(ListingText, FamilyTypeTextAndCollation) {
  EXPECT_EQ(FamilyOf("Holiday 001.jpg"), " 001.jpg");
  EXPECT_EQ(FamilyOf("single.jpg"), "single.jpg");
  EXPECT_LT(CollateNames("apple", "Banana"), 0);
  EXPECT_LT(CollateNames("B", "b"), 0);  // equal folded: the bytes decide
  EXPECT_EQ(CollateNames("same", "same"), 0);

  ListingRecord folder;
  folder.folder = true;
  EXPECT_EQ(TypeText(folder, std::nullopt), "Folder");
  ListingRecord jpg;
  jpg.ext = ".JPG";
  EXPECT_EQ(TypeText(jpg, PictureDims{640, 480, 24}), ".JPG 640x480(24)");
  EXPECT_EQ(TypeText(jpg, std::nullopt), ".JPG");
  ListingRecord txt;
  txt.ext = ".TXT";
  EXPECT_EQ(TypeText(txt, PictureDims{1, 1, 1}), ".TXT");
  jpg.ext = ".JPEG";
  EXPECT_LE(TypeText(jpg, PictureDims{123456, 123456, 24}).size(), kMaxTypeText);

  for (int k = 0; k < kSortKeyCount; ++k)
    EXPECT_EQ(SortKeyFromWord(SortKeyWord(static_cast<SortKey>(k))), static_cast<SortKey>(k));
  EXPECT_FALSE(SortKeyFromWord("bogus"));
}

TEST(ListingNames, BadBytesShowAsReplacementButTheNameStaysExact) {
  TempDir dir;
  const std::string raw = std::string("caf\xE9 ") + "x.jpg";  // CP1252 e-acute: not UTF-8
  MakeFile(dir.path() / raw, 5);
  const FolderRead read = ReadFolder(dir.path());
  ASSERT_EQ(read.records.size(), 1u);
  EXPECT_EQ(read.records[0].name, raw);
  EXPECT_EQ(read.records[0].display, "caf\xEF\xBF\xBD x.jpg");
  Listing listing;
  listing.Assign(dir.path().string(), read.records);
  EXPECT_TRUE(std::filesystem::exists(listing.PathAt(0)));
}

TEST(ListingFind, FindsTheNextMatchWrappingAndIgnoringCase) {
  Listing listing;
  std::vector<ListingRecord> recs(3);
  recs[0].name = recs[0].display = "alpha.jpg";
  recs[1].name = recs[1].display = "Beta.JPG";
  recs[2].name = recs[2].display = "gamma.png";
  for (ListingRecord& r : recs) r.ext = UpperExt(r.name);
  listing.Assign("/x", recs);
  EXPECT_EQ(listing.FindName("jpg", -1), 0);
  EXPECT_EQ(listing.FindName("jpg", 0), 1);
  EXPECT_EQ(listing.FindName("jpg", 1), 0);
  EXPECT_EQ(listing.FindName("delta", 0), -1);
  EXPECT_EQ(listing.FindName("", 0), -1);
  listing.SelectKinds(".JPG.PNG");
  EXPECT_EQ(listing.SelectedRows().size(), 3u);
  listing.InvertSelection();
  EXPECT_TRUE(listing.SelectedRows().empty());
}

TEST(ListingFolder, AnUnreadableFolderReportsItsError) {
  const FolderRead read = ReadFolder("/nonexistent/folder/here");
  EXPECT_FALSE(read.ok);
  EXPECT_EQ(read.error, ENOENT);
}

}  // namespace
}  // namespace pelira
