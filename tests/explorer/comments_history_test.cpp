#include <gtest/gtest.h>
#include <sys/stat.h>

#include "common/text_encoding.h"
#include "explorer/explorer_settings.h"
#include "explorer/explorer_test_util.h"
#include "explorer/folder_comments.h"
#include "explorer/visit_history.h"

namespace pelira {
namespace {

namespace fs = std::filesystem;
using test::TempDir;

std::string Read(const fs::path& p) {
  const auto b = test::ReadBytes(p);
  return std::string(b.begin(), b.end());
}

TEST(FolderComments, FirstCommentMakesBothFilesAndPairsHold) {
  TempDir dir;
  FolderComments c;
  c.Load(dir.path());
  EXPECT_EQ(c.GetState(), FolderComments::State::Absent);
  EXPECT_EQ(c.Set("b.jpg", "Beach at noon"), "");
  EXPECT_EQ(c.Set("a.jpg", "two\r\nlines"), "");
  EXPECT_EQ(c.Set("b.jpg", "replaced"), "");
  EXPECT_EQ(Read(dir / "FILELIST.PLX"), "b.jpg\r\na.jpg\r\n");
  EXPECT_EQ(Read(dir / "FILETEXT.PLX"), "replaced\r\ntwo  lines\r\n");

  FolderComments again;
  again.Load(dir.path());
  EXPECT_EQ(again.GetState(), FolderComments::State::Loaded);
  EXPECT_EQ(again.Find("a.jpg"), "two  lines");
  EXPECT_EQ(again.Find("B.JPG"), "replaced");  // folded as a fallback
  EXPECT_EQ(again.Query("BEACH", {"a.jpg", "b.jpg"}), std::vector<std::string>{});
  EXPECT_EQ(again.Query("REPLACED", {"a.jpg", "b.jpg"}), std::vector<std::string>{"b.jpg"});
  EXPECT_TRUE(again.Query("", {"a.jpg", "b.jpg"}).empty());
}

TEST(FolderComments, ExactNameWinsAndOnlyAnExactEntryIsReplaced) {
  TempDir dir;
  test::WriteText(dir / "FILELIST.PLX", "A.JPG\r\na.jpg\r\n");
  test::WriteText(dir / "FILETEXT.PLX", "upper\r\nlower\r\n");
  FolderComments c;
  c.Load(dir.path());
  EXPECT_EQ(c.Find("a.jpg"), "lower");
  EXPECT_EQ(c.Find("A.JPG"), "upper");
  EXPECT_EQ(c.Find("a.JPG"), "upper");  // first folded match
  EXPECT_EQ(c.Set("a.JPG", "third"), "");
  EXPECT_EQ(c.Names().size(), 3u);
  EXPECT_EQ(c.Find("A.JPG"), "upper");
}

TEST(FolderComments, HostileFilesGiveEmptyOrFailedSetsAndNeverWriteThroughLinks) {
  // Unequal counts, blank lines, mixed line ends, CP1252.
  TempDir dir;
  test::WriteText(dir / "FILELIST.PLX", "a.jpg\n\r\nc.jpg\rd.jpg");
  test::WriteText(dir / "FILETEXT.PLX", "caf\xE9\r\n\r\nsee\r\n");
  FolderComments c;
  c.Load(dir.path());
  ASSERT_EQ(c.Names().size(), 4u);
  EXPECT_EQ(c.Find("a.jpg"), "caf\xC3\xA9");
  EXPECT_EQ(c.Find("c.jpg"), "see");
  EXPECT_EQ(c.Find("d.jpg"), "");

  // A planted link named FILELIST.PLX: not read, and a user file behind it never written.
  TempDir linked;
  test::WriteText(linked / "victim.txt", "mine");
  fs::create_symlink(linked / "victim.txt", linked / "FILELIST.PLX");
  FolderComments l;
  l.Load(linked.path());
  EXPECT_EQ(l.GetState(), FolderComments::State::Failed);
  EXPECT_EQ(l.Set("x.jpg", "text"), kCannotWriteCommentsText);
  EXPECT_EQ(Read(linked / "victim.txt"), "mine");

  // A FIFO does not hang the load; a failed folder is never written.
  TempDir fifo;
  ASSERT_EQ(::mkfifo((fifo / "FILELIST.PLX").c_str(), 0644), 0);
  FolderComments f;
  f.Load(fifo.path());
  EXPECT_EQ(f.GetState(), FolderComments::State::Failed);
  EXPECT_EQ(f.Set("x.jpg", "t"), kCannotWriteCommentsText);

  EXPECT_FALSE(FolderComments::CanComment("bad\nname.jpg"));
  EXPECT_FALSE(FolderComments::CanComment("caf\xE9.jpg"));
  EXPECT_TRUE(FolderComments::CanComment("caf\xC3\xA9.jpg"));
}

TEST(FolderComments, ASaveInterruptedAfterTheNamesFileKeepsThePairs) {
  // Names are written first: after a crash between the two writes the names file holds one
  // more line, whose comment reads empty, and every older pair still matches.
  TempDir dir;
  test::WriteText(dir / "FILELIST.PLX", "a.jpg\r\nb.jpg\r\nnew.jpg\r\n");
  test::WriteText(dir / "FILETEXT.PLX", "for a\r\nfor b\r\n");
  FolderComments c;
  c.Load(dir.path());
  EXPECT_EQ(c.Find("b.jpg"), "for b");
  EXPECT_EQ(c.Find("new.jpg"), "");
  EXPECT_EQ(c.Set("new.jpg", "now"), "");
  EXPECT_EQ(Read(dir / "FILETEXT.PLX"), "for a\r\nfor b\r\nnow\r\n");
}

TEST(VisitHistory, RecordingBackAndForward) {
  VisitHistory h;
  h.Record("/A");
  h.Record("/B");
  h.Record("/A");
  h.Record("/A");
  EXPECT_EQ(h.Entries(), (std::vector<std::string>{"/A/", "/B/", "/A/"}));
  const auto all = [](const std::string&) { return true; };
  EXPECT_EQ(h.Back(all), "/B/");
  EXPECT_EQ(h.Back(all), "/A/");
  EXPECT_EQ(h.Position(), 0u);
  EXPECT_EQ(h.Back(all), "/A/");  // wraps to the last
  EXPECT_EQ(h.Position(), 2u);
  EXPECT_EQ(h.Forward(all), "/A/");  // wraps to the first
  EXPECT_EQ(h.Position(), 0u);

  VisitHistory one;
  one.Record("/only");
  EXPECT_EQ(one.Back(all), "");

  VisitHistory full;
  for (int i = 0; i < 257; ++i) full.Record("/f" + std::to_string(i));
  EXPECT_EQ(full.Entries().size(), kHistoryCapacity);
  EXPECT_EQ(full.Entries().front(), "/f1/");
}

TEST(VisitHistory, GoneFoldersDisappearWhenReached) {
  VisitHistory h;
  for (const char* f : {"/a", "/b", "/c", "/d"}) h.Record(f);
  // Back from /d reaches /c, which is gone: the entry now at that position is /d.
  const auto exists = [](const std::string& f) { return f != "/c/"; };
  EXPECT_EQ(h.Back(exists), "/d/");
  EXPECT_EQ(h.Entries(), (std::vector<std::string>{"/a/", "/b/", "/d/"}));
  // The last entry gone: the position wraps to the first.
  VisitHistory w;
  for (const char* f : {"/a", "/b", "/c"}) w.Record(f);
  w.SetPosition(0);
  EXPECT_EQ(w.Back([](const std::string& f) { return f != "/c/"; }), "/a/");
  // None left.
  VisitHistory n;
  n.Record("/x");
  n.Record("/y");
  EXPECT_EQ(n.Forward([](const std::string&) { return false; }), "");
  EXPECT_TRUE(n.Entries().empty());
}

TEST(VisitHistory, FileKeepsTheLast256UsableLines) {
  TempDir dir;
  std::string text = "\r\nrelative/path\r\nc:\\windows\\\r\n";
  for (int i = 0; i < 300; ++i) text += "/p" + std::to_string(i) + "\n";
  test::WriteText(dir / "HistoryList.txt", text);
  VisitHistory h;
  h.Load(dir / "HistoryList.txt");
  ASSERT_EQ(h.Entries().size(), kHistoryCapacity);
  EXPECT_EQ(h.Entries().front(), "/p44/");
  EXPECT_EQ(h.Position(), kHistoryCapacity - 1);
  h.Save(dir / "out.txt");
  VisitHistory back;
  back.Load(dir / "out.txt");
  EXPECT_EQ(back.Entries(), h.Entries());
  h.Save(dir / "no/such/folder/x.txt");  // ignored
}

TEST(RecentLinks, KillAllRemovesOnlyLinks) {
  TempDir dir;
  fs::create_directories(dir / "recent");
  test::WriteText(dir / "target.jpg", "t");
  fs::create_symlink(dir / "target.jpg", dir / "recent/target.jpg in x.lnk");
  EXPECT_EQ(KillRecentLinks(dir / "recent"), 1);
  EXPECT_FALSE(fs::exists(dir / "recent"));
  EXPECT_TRUE(fs::exists(dir / "target.jpg"));
  fs::create_directories(dir / "recent");
  test::WriteText(dir / "recent/user file.txt", "keep");
  EXPECT_EQ(KillRecentLinks(dir / "recent"), 0);
  EXPECT_TRUE(fs::exists(dir / "recent/user file.txt"));
}

TEST(ExplorerSettings, RoundTripAndDefaults) {
  ExplorerSettings s;
  s.left = -100;
  s.top = 20;
  s.right = 900;
  s.bottom = 700;
  s.tree = false;
  s.confirmDeletions = false;
  s.view = 3;
  s.thumbStep = 5;
  s.sortKey = 7;
  s.treeWidth = 321;
  s.rest[10] = 0xAB;
  const std::string b = EncodeExplorerSettings(s);
  ASSERT_EQ(b.size(), kExplorerRecordSize);
  EXPECT_EQ(static_cast<unsigned char>(b[0]), 0x9C);  // -100 little-endian
  EXPECT_EQ(b[18], 0);                                 // tree switch
  EXPECT_EQ(b[36], 7);                                 // sort key
  const ExplorerSettings d = DecodeExplorerSettings(b);
  EXPECT_TRUE(d.stored);
  EXPECT_EQ(d.left, -100);
  EXPECT_EQ(d.bottom, 700);
  EXPECT_FALSE(d.tree);
  EXPECT_FALSE(d.confirmDeletions);
  EXPECT_TRUE(d.toolBar);
  EXPECT_EQ(d.view, 3);
  EXPECT_EQ(d.thumbStep, 5);
  EXPECT_EQ(d.sortKey, 7);
  EXPECT_EQ(d.treeWidth, 321);
  EXPECT_EQ(d.rest[10], 0xAB);
  EXPECT_FALSE(DecodeExplorerSettings(b.substr(1)).stored);
  std::string wild = b;
  wild[36] = 99;
  wild[32] = 0;
  EXPECT_EQ(DecodeExplorerSettings(wild).sortKey, 7);
  EXPECT_EQ(DecodeExplorerSettings(wild).thumbStep, 1);
}

}  // namespace
}  // namespace pelira

namespace pelira {
namespace {

TEST(WalkHistory, SixteenFoldersAtMostWithoutDuplicates) {
  std::vector<std::string> h;
  AddWalkHistory(h, "/Photos");
  AddWalkHistory(h, "/Photos");
  AddWalkHistory(h, "/photos");  // another folder here
  EXPECT_EQ(h.size(), 2u);
  for (int i = 0; i < 20; ++i) AddWalkHistory(h, "/d" + std::to_string(i));
  EXPECT_EQ(h.size(), kWalkHistoryCapacity);
  EXPECT_EQ(h.front(), "/d4");
  EXPECT_EQ(h.back(), "/d19");
}

TEST(WalkHistory, UnusableFoldersFallBackToAnExistingAncestor) {
  test::TempDir dir;
  std::filesystem::create_directories(dir / "a/b");
  EXPECT_EQ(UsableFolder((dir / "a/b/gone/deeper").string()), (dir / "a/b").string());
  EXPECT_EQ(UsableFolder((dir / "a").string()), (dir / "a").string());
  const char* oldHome = std::getenv("HOME");
  const std::string saved = oldHome != nullptr ? oldHome : "";
  ::setenv("HOME", dir.path().c_str(), 1);
  EXPECT_EQ(UsableFolder(""), dir.path().string());
  EXPECT_EQ(UsableFolder("relative/path"), dir.path().string());
  if (oldHome != nullptr) ::setenv("HOME", saved.c_str(), 1);
}

}  // namespace
}  // namespace pelira
