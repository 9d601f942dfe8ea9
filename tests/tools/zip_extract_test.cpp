#include "tools/zip_extract.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <sys/wait.h>

#include <cstdlib>
#include <set>

#include "support/test_support.h"
#include "tools/zip_test_support.h"

namespace pelira {
namespace {

namespace fs = std::filesystem;
using test::Fixture;
using test::ReadFile;
using test::TempDir;
using test::Tree;
using test::WriteFile;

fs::path Zip(const char* name) { return Fixture(std::string("tools/") + name); }

// Temporaries of the extractor start with this; none may be left behind.
bool TempLeft(const fs::path& root) {
  for (const auto& [rel, _] : Tree(root))
    if (fs::path(rel).filename().string().rfind(".pelira-unzip-", 0) == 0) return true;
  return false;
}

TEST(ZipExtract, SameTreeAsUnzip) {
  for (const char* name : {"mixed.zip", "infozip.zip", "infozip64.zip", "zip64_sizes.zip", "prepended.zip"}) {
    SCOPED_TRACE(name);
    TempDir ours, theirs;
    const ZipExtractResult r = ExtractZip(Zip(name), ours.path(), {});
    EXPECT_FALSE(r.failed);
    EXPECT_TRUE(r.log.empty()) << r.log.front();
    // unzip exits 1 for a warning (the prepended bytes).
    const int rc = std::system(("unzip -q -o '" + Zip(name).string() + "' -d '" + theirs.path().string() + "'").c_str());
    ASSERT_TRUE(WIFEXITED(rc) && WEXITSTATUS(rc) <= 1) << rc;
    const auto expected = Tree(theirs.path());
    EXPECT_TRUE(Tree(ours.path()) == expected);
    int files = 0;
    for (const auto& [rel, content] : expected) files += content != "<dir>";
    EXPECT_EQ(r.filesExtracted, files);
  }
}

TEST(ZipExtract, KeepsModesAndTimes) {
  TempDir dir;
  const mode_t mask = ::umask(022);
  const ZipExtractResult r = ExtractZip(Zip("infozip.zip"), dir.path(), {});
  ::umask(mask);
  ASSERT_TRUE(r.log.empty());
  struct Want {
    const char* file;
    mode_t mode;
  } wants[] = {{"ro.txt", 0444}, {"run.sh", 0755}, {"sub/b.bin", 0640}, {"a.txt", 0644}};
  for (const Want& w : wants) {
    SCOPED_TRACE(w.file);
    struct stat st {};
    ASSERT_EQ(::stat((dir.path() / w.file).c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, w.mode);
    EXPECT_EQ(st.st_mtime, 1600000000);
  }
  TempDir cp;
  ASSERT_EQ(ExtractZip(Zip("cp437.zip"), cp.path(), {}).filesExtracted, 1);
  EXPECT_TRUE(fs::exists(cp.path() / "caf\xC3\xA9.txt"));
}

TEST(ZipExtract, SafeMemberPath) {
  using Parts = std::vector<std::string>;
  EXPECT_EQ(SafeMemberPath("a/b/c.txt"), (Parts{"a", "b", "c.txt"}));
  EXPECT_EQ(SafeMemberPath("a\\b\\c.txt"), (Parts{"a", "b", "c.txt"}));
  EXPECT_EQ(SafeMemberPath("./a//b/"), (Parts{"a", "b"}));
  EXPECT_EQ(SafeMemberPath("a..b/..c"), (Parts{"a..b", "..c"}));
  for (const char* bad : {"", "/", "/etc/passwd", "../x", "a/../../x", "a/..", "..\\x", "C:\\x", "c:x", "a\nb",
                          "./", "a\rb"})
    EXPECT_FALSE(SafeMemberPath(bad).has_value()) << bad;
  EXPECT_FALSE(SafeMemberPath(std::string("a\0b", 3)).has_value());
}

TEST(ZipExtract, NothingLandsOutsideTheTarget) {
  TempDir outer;
  const fs::path target = outer.path() / "target";
  const fs::path elsewhere = outer.path() / "elsewhere";
  fs::create_directories(target);
  fs::create_directories(elsewhere);
  // A link in the target pointing out must not be written through.
  fs::create_directory_symlink(elsewhere, target / "linkdir");
  WriteFile(outer.path() / "through_link.zip", test::StoredZip({{"linkdir/x.txt", "x"}, {"plain.txt", "p"}}));

  const std::string a = Zip("traversal.zip").string();
  const ZipExtractResult t = ExtractZip(Zip("traversal.zip"), target, {});
  fs::create_directory(target / "s");
  const ZipExtractResult s = ExtractZip(Zip("symlinks.zip"), target / "s", {});
  const ZipExtractResult l = ExtractZip(outer.path() / "through_link.zip", target, {});

  EXPECT_EQ(t.filesExtracted, 2);
  EXPECT_EQ(t.log, (std::vector<std::string>{
                       "../evil.txt in " + a + " has an unsafe name; skipped.",
                       "/abs.txt in " + a + " has an unsafe name; skipped.",
                       "C:\\win.txt in " + a + " has an unsafe name; skipped.",
                       "..\\back.txt in " + a + " has an unsafe name; skipped.",
                       "a/../../up.txt in " + a + " has an unsafe name; skipped.",
                   }));
  const std::string sa = Zip("symlinks.zip").string();
  EXPECT_EQ(s.log, (std::vector<std::string>{"abs_link in " + sa + " is a symbolic link; skipped.",
                                             "dir_link in " + sa + " is a symbolic link; skipped."}));
  EXPECT_EQ(l.filesExtracted, 1);
  EXPECT_EQ(l.log, std::vector<std::string>{"linkdir/x.txt in " + (outer.path() / "through_link.zip").string() +
                                            " has an unsafe name; skipped."});

  // The outer folder holds only what the test put there; no link was made.
  EXPECT_EQ(Tree(elsewhere).size(), 0u);
  std::set<std::string> outerNames;
  for (const auto& e : fs::directory_iterator(outer.path())) outerNames.insert(e.path().filename().string());
  EXPECT_EQ(outerNames, (std::set<std::string>{"target", "elsewhere", "through_link.zip"}));
  const auto tree = Tree(target);
  EXPECT_EQ(tree, (std::map<std::string, std::string>{{"d", "<dir>"},
                                                      {"d/sub", "<dir>"},
                                                      {"d/sub/ok.txt", "x\n"},
                                                      {"ok.txt", "x\n"},
                                                      {"s", "<dir>"},
                                                      {"s/ok.txt", "fine\n"},
                                                      {"s/dir_link", "<dir>"},
                                                      {"s/dir_link/planted.txt", "planted\n"},
                                                      {"linkdir", "<link>"},
                                                      {"plain.txt", "p"}}));
}

TEST(ZipExtract, AFileWhereAFolderMustBe) {
  TempDir dir;
  const fs::path zip = dir.path() / "f.zip";
  WriteFile(zip, test::StoredZip({{"a/", ""}, {"a/b.txt", "b"}}));
  const fs::path out = dir.path() / "out";
  fs::create_directory(out);
  WriteFile(out / "a", "a file");
  const ZipExtractResult r = ExtractZip(zip, out, {});
  EXPECT_EQ(r.log, (std::vector<std::string>{"a/ in " + zip.string() + " could not be written: Not a directory.",
                                             "a/b.txt in " + zip.string() + " could not be written: Not a directory."}));
  EXPECT_EQ(ReadFile(out / "a"), "a file");
}

TEST(ZipExtract, DamagedMembersNeverTakeTheirName) {
  const struct {
    const char* zip;
    const char* member;
    const char* line;  // after "member in archive "
    const char* good;
  } cases[] = {
      {"badcrc.zip", "data.txt", "is corrupted (bad CRC).", "good.txt"},
      {"short_stream.zip", "short.bin", "is corrupted (", "fine.txt"},
      {"liar.zip", "liar.bin", "is corrupted (data longer than the declared size).", nullptr},
      {"methods.zip", "bzip.bin", "uses compression method 12, which is not supported; skipped.", "plain.txt"},
      {"methods.zip", "secret.txt", "is encrypted; skipped.", "plain.txt"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.zip) + " " + c.member);
    TempDir dir;
    const ZipExtractResult r = ExtractZip(Zip(c.zip), dir.path(), {});
    EXPECT_FALSE(r.failed);
    const std::string start = std::string(c.member) + " in " + Zip(c.zip).string() + " " + c.line;
    bool found = false;
    for (const std::string& line : r.log) found |= line.rfind(start, 0) == 0;
    EXPECT_TRUE(found) << (r.log.empty() ? "no log" : r.log.front());
    EXPECT_FALSE(fs::exists(dir.path() / c.member));
    if (c.good) EXPECT_TRUE(fs::exists(dir.path() / c.good));
    EXPECT_FALSE(TempLeft(dir.path()));
  }
}

TEST(ZipExtract, UnreadableArchivesFailAsAWhole) {
  for (const char* name : {"truncated.zip", "overlap.zip"}) {
    SCOPED_TRACE(name);
    TempDir dir;
    const ZipExtractResult r = ExtractZip(Zip(name), dir.path(), {});
    EXPECT_TRUE(r.failed);
    ASSERT_EQ(r.log.size(), 1u);
    EXPECT_EQ(r.log[0].rfind(Zip(name).string() + " is incomplete or corrupted: ", 0), 0u) << r.log[0];
    EXPECT_EQ(r.filesExtracted, 0);
    EXPECT_TRUE(Tree(dir.path()).empty());
  }
}

TEST(ZipExtract, BombsAreRefused) {
  TempDir dir;
  // Declared 1 TiB: refused with the default limits before a byte is written.
  const ZipExtractResult whole = ExtractZip(Zip("bomb_declared.zip"), dir.path(), {});
  EXPECT_TRUE(whole.failed);
  ASSERT_EQ(whole.log.size(), 1u);
  EXPECT_NE(whole.log[0].find("beyond the set limits (possible ZIP bomb); nothing extracted."), std::string::npos);
  EXPECT_TRUE(Tree(dir.path()).empty());

  // 8 MiB of zeros in 8 KB beside incompressible data: the member is refused, the rest extracted.
  ZipExtractOptions o;
  o.limits.ratioFloor = 1 << 20;
  o.limits.maxRatio = 200;
  const ZipExtractResult member = ExtractZip(Zip("bomb_zeros.zip"), dir.path(), o);
  EXPECT_FALSE(member.failed);
  EXPECT_EQ(member.log, std::vector<std::string>{"zeros.bin in " + Zip("bomb_zeros.zip").string() +
                                                 " expands beyond the set limits (possible ZIP bomb); skipped."});
  EXPECT_FALSE(fs::exists(dir.path() / "zeros.bin"));
  EXPECT_TRUE(fs::exists(dir.path() / "noise.bin"));

  o.limits.maxTotal = 1 << 20;
  TempDir dir2;
  EXPECT_TRUE(ExtractZip(Zip("bomb_zeros.zip"), dir2.path(), o).failed);
  EXPECT_TRUE(Tree(dir2.path()).empty());
}

TEST(ZipExtract, ExistingFilesSkippedWhenAsked) {
  TempDir dir;
  ASSERT_EQ(ExtractZip(Zip("infozip.zip"), dir.path(), {}).filesExtracted, 4);
  ::chmod((dir.path() / "a.txt").c_str(), 0644);
  WriteFile(dir.path() / "a.txt", "mine");
  const ZipExtractResult again = ExtractZip(Zip("infozip.zip"), dir.path(), {});
  EXPECT_EQ(again.filesExtracted, 0);
  const std::string a = Zip("infozip.zip").string();
  EXPECT_EQ(again.log, (std::vector<std::string>{ExistsSkippedLine("a.txt", a), ExistsSkippedLine("ro.txt", a),
                                                 ExistsSkippedLine("run.sh", a), ExistsSkippedLine("sub/b.bin", a)}));
  EXPECT_EQ(ReadFile(dir.path() / "a.txt"), "mine");
}

TEST(ZipExtract, NumberedDuplicatesMoveTheOldFileAside) {
  EXPECT_EQ(NumberedName("Photo.JPG", 2), "Photo.2.jpg");
  EXPECT_EQ(NumberedName("notes", 1), "notes.1");
  EXPECT_EQ(NumberedName("a.tar.GZ", 7), "a.tar.7.gz");

  TempDir dir;
  const fs::path zip = dir.path() / "p.zip";
  WriteFile(zip, test::StoredZip({{"Photo.JPG", "new"}}));
  const fs::path out = dir.path() / "out";
  fs::create_directory(out);
  WriteFile(out / "Photo.JPG", "old");
  WriteFile(out / "Photo.1.jpg", "one");
  ZipExtractOptions o;
  o.skipDuplicates = false;
  const ZipExtractResult r = ExtractZip(zip, out, o);
  EXPECT_TRUE(r.log.empty());
  EXPECT_EQ(r.filesExtracted, 1);
  EXPECT_EQ(Tree(out), (std::map<std::string, std::string>{
                           {"Photo.JPG", "new"}, {"Photo.1.jpg", "one"}, {"Photo.2.jpg", "old"}}));
}

TEST(ZipExtract, NoNumberFreeOrBadDataKeepsEveryFile) {
  TempDir dir;
  const fs::path out = dir.path() / "out";
  fs::create_directory(out);
  WriteFile(out / "Photo.JPG", "old");
  for (int n = 1; n <= 999; ++n) WriteFile(out / ("Photo." + std::to_string(n) + ".jpg"), std::to_string(n));
  const fs::path zip = dir.path() / "p.zip";
  WriteFile(zip, test::StoredZip({{"Photo.JPG", "new"}}));
  ZipExtractOptions o;
  o.skipDuplicates = false;
  const auto before = Tree(out);
  const ZipExtractResult r = ExtractZip(zip, out, o);
  EXPECT_EQ(r.filesExtracted, 0);
  EXPECT_EQ(r.log, std::vector<std::string>{ExistsSkippedLine("Photo.JPG", zip.string())});
  EXPECT_TRUE(Tree(out) == before);

  // A member failing its CRC does not move the existing file aside.
  TempDir crc;
  WriteFile(crc.path() / "data.txt", "old");
  const ZipExtractResult bad = ExtractZip(Zip("badcrc.zip"), crc.path(), o);
  EXPECT_EQ(ReadFile(crc.path() / "data.txt"), "old");
  EXPECT_FALSE(fs::exists(crc.path() / "data.1.txt"));
  EXPECT_EQ(bad.log.at(0), BadCrcLine("data.txt", Zip("badcrc.zip").string()));
}

TEST(ZipExtract, OnlyMemberAndStop) {
  TempDir dir;
  ZipExtractOptions o;
  o.onlyMember = "photos/pic.bin";
  const ZipExtractResult one = ExtractZip(Zip("mixed.zip"), dir.path(), o);
  EXPECT_EQ(one.filesExtracted, 1);
  EXPECT_EQ(Tree(dir.path()).size(), 2u);  // photos and photos/pic.bin
  EXPECT_TRUE(fs::exists(dir.path() / "photos/pic.bin"));

  // Stopped inside big.bin (2.2 MB, several chunks): the cut member leaves nothing.
  TempDir cut;
  std::vector<std::uint64_t> totals;
  const ZipExtractResult r = ExtractZip(Zip("mixed.zip"), cut.path(), {},
                                        {[&](std::uint64_t done, std::uint64_t total) {
                                           totals.push_back(total);
                                           return done < 1500000;
                                         },
                                         {}});
  EXPECT_TRUE(r.stopped);
  EXPECT_FALSE(r.failed);
  EXPECT_FALSE(fs::exists(cut.path() / "big.bin"));
  EXPECT_TRUE(fs::exists(cut.path() / "readme.txt"));
  EXPECT_FALSE(TempLeft(cut.path()));
  ASSERT_FALSE(totals.empty());
  EXPECT_EQ(totals.front(), 5000u + 3000u + 0u + 8u + 1530000u);
}

TEST(ZipExtract, LogFileIsCrlfLines) {
  TempDir dir;
  std::string error;
  ASSERT_TRUE(WriteZipErrsLog(dir.path() / "ZipErrs_Log.txt", {"one", "two"}, &error)) << error;
  EXPECT_EQ(ReadFile(dir.path() / "ZipErrs_Log.txt"), "one\r\ntwo\r\n");
}

}  // namespace
}  // namespace pelira
