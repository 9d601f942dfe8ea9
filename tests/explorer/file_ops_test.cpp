#include "explorer/file_ops.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "explorer/explorer_test_util.h"
#include "platform/shell.h"

namespace pelira {
namespace {

namespace fs = std::filesystem;
using test::InodeSet;
using test::MakeFile;
using test::TempDir;

std::string Read(const fs::path& p) {
  const auto b = test::ReadBytes(p);
  return std::string(b.begin(), b.end());
}

TEST(NewNames, IllegalNamesAreRefused) {
  const struct {
    std::string name;
    bool ok;
  } cases[] = {
      {"holiday.jpg", true}, {"with blank.jpg", true}, {"a:b.jpg", false},  {"a/b", false},      {"back\\slash", false},
      {"star*", false},      {"q?", false},            {"\"quoted\"", false}, {"<", false},        {">", false},
      {"pipe|", false},      {"", false},              {".", false},          {"..", false},       {"line\nbreak", false},
      {std::string("nul\0x", 5), false},               {std::string(256, 'a'), false},             {std::string(255, 'a'), true},
  };
  for (const auto& c : cases)
    EXPECT_EQ(CheckNewName(c.name).empty(), c.ok) << c.name;
  EXPECT_EQ(CheckNewName("a:b"), "Illegal characters.  Avoid these characters \\/:*?\"<>|");
}

TEST(NewNames, RenameNeverReplacesAndSaysWhy) {
  TempDir dir;
  MakeFile(dir / "pic1.jpg", 10);
  MakeFile(dir / "pic2.jpg", 20);
  const auto before = InodeSet(dir.path());
  const OpResult r = RenameItem(dir.path(), "pic2.jpg", "pic1.jpg");
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(r.message, "pic1.jpg\nalready used.");
  EXPECT_EQ(InodeSet(dir.path()), before);

  const OpResult bad = RenameItem(dir.path(), "pic2.jpg", "x:y.jpg");
  EXPECT_EQ(bad.message, kIllegalCharactersText);
  EXPECT_TRUE(fs::exists(dir / "pic2.jpg"));

  ASSERT_TRUE(RenameItem(dir.path(), "pic2.jpg", "Pic2.jpg").ok);
  EXPECT_EQ(InodeSet(dir.path()), before);
  EXPECT_TRUE(fs::exists(dir / "Pic2.jpg"));
}

TEST(NewNames, NewFolderTakesTheFirstFreeNumber) {
  TempDir dir;
  OpResult a = CreateNewFolder(dir.path());
  OpResult b = CreateNewFolder(dir.path());
  fs::remove(dir / "New Folder");
  MakeFile(dir / "New Folder", 1);  // a file takes the name too
  OpResult c = CreateNewFolder(dir.path());
  EXPECT_EQ(a.newName, "New Folder");
  EXPECT_EQ(b.newName, "New Folder (2)");
  EXPECT_EQ(c.newName, "New Folder (3)");
  EXPECT_TRUE(fs::is_directory(dir / "New Folder (3)"));
}

TEST(NewNames, DropLinkIsAShortcutNamedAfterTheTarget) {
  TempDir dir;
  MakeFile(dir / "a.jpg", 3);
  fs::create_directory(dir / "in");
  const OpResult r = MakeShortcut(dir / "a.jpg", dir / "in");
  ASSERT_TRUE(r.ok) << r.message;
  EXPECT_EQ(r.newName, "Shortcut to a.jpg.LNK");
  EXPECT_EQ(fs::read_symlink(dir / "in" / r.newName), dir / "a.jpg");
  EXPECT_FALSE(MakeShortcut(dir / "a.jpg", dir / "in").ok);
}

TEST(Open, DispatchByKind) {
  const struct {
    bool folder;
    const char* ext;
    bool media;
    OpenAction want;
  } cases[] = {
      {true, "", false, OpenAction::EnterFolder},   {false, ".JPG", false, OpenAction::Viewer},
      {false, ".WMF", false, OpenAction::Viewer},   {false, ".BIP", false, OpenAction::BatchEditor},
      {false, ".AVL", false, OpenAction::Album},    {false, ".ZIP", false, OpenAction::Unzipper},
      {false, ".MP3", false, OpenAction::Shell},    {false, ".MP3", true, OpenAction::Viewer},
      {false, ".DOC", false, OpenAction::Shell},    {false, "", false, OpenAction::Shell},
  };
  for (const auto& c : cases) EXPECT_EQ(OpenActionFor(c.folder, c.ext, c.media), c.want) << c.ext;

  const OpenPlan plan = PlanOpen({{"/p/A.jpg", false, ".JPG"},
                                  {"/p/sub", true, ""},
                                  {"/p/B.PNG", false, ".PNG"},
                                  {"/p/x.zip", false, ".ZIP"},
                                  {"/p/r.doc", false, ".DOC"},
                                  {"/p/C.gif", false, ".GIF"}},
                                 false);
  EXPECT_EQ(plan.viewerFirst, "/p/A.jpg");
  EXPECT_EQ(plan.bookmarks, (std::vector<std::string>{"/p/B.PNG", "/p/C.gif"}));  // case kept
  EXPECT_EQ(plan.archives, (std::vector<std::string>{"/p/x.zip"}));
  EXPECT_EQ(plan.shellOpen, (std::vector<std::string>{"/p/r.doc"}));
  EXPECT_EQ(PlanOpen({{"/p/sub", true, ""}}, false).enterFolder, "/p/sub");
}

TEST(Transfer, TitlesAndRefusals) {
  EXPECT_EQ(TransferTitle(TransferKind::Copy, {"a.jpg"}), "Copy \"a.jpg\" to ");
  EXPECT_EQ(TransferTitle(TransferKind::Move, {"a", "b", "c"}), "Move 3 items to ");

  TempDir dir;
  fs::create_directories(dir / "src/sub/deeper");
  MakeFile(dir / "src/a.jpg", 5);
  EXPECT_EQ(CheckTransfer({dir / "src/a.jpg"}, dir / "src"), kSameFolderText);  // its own folder
  EXPECT_EQ(CheckTransfer({dir / "src"}, dir.path()), kSameFolderText);          // a folder's parent
  EXPECT_EQ(CheckTransfer({dir / "src"}, dir / "src/sub/deeper"), kSameFolderText);  // inside itself
  EXPECT_EQ(CheckTransfer({dir / "src"}, dir / "src"), kSameFolderText);
  fs::create_directory(dir / "other");
  EXPECT_EQ(CheckTransfer({dir / "src"}, dir / "other"), "");
  // A copy into its own folder would truncate the source: refused before anything is written.
  const TransferReport r = Transfer(TransferKind::Copy, {dir / "src/a.jpg"}, dir / "src");
  EXPECT_EQ(r.done, 0);
  EXPECT_EQ(Read(dir / "src/a.jpg"), "xxxxx");
}

TEST(Transfer, ExistingTargetsAreReplacedOnlyWhenTheUserSaysSo) {
  TempDir dir;
  fs::create_directories(dir / "a");
  fs::create_directories(dir / "b");
  test::WriteText(dir / "a/x.jpg", "from a");
  test::WriteText(dir / "a/y.jpg", "y from a");
  test::WriteText(dir / "b/x.jpg", "from b");
  test::WriteText(dir / "b/y.jpg", "y from b");
  std::vector<fs::path> asked;
  const TransferReport skip = Transfer(TransferKind::Copy, {dir / "a/x.jpg", dir / "a/y.jpg"}, dir / "b",
                                       [&](const fs::path& t) {
                                         asked.push_back(t);
                                         return t.filename() == "y.jpg" ? ConflictAnswer::Replace : ConflictAnswer::Skip;
                                       });
  EXPECT_EQ(asked.size(), 2u);
  EXPECT_EQ(skip.done, 1);
  EXPECT_EQ(skip.skipped, 1);
  EXPECT_EQ(Read(dir / "b/x.jpg"), "from b");
  EXPECT_EQ(Read(dir / "b/y.jpg"), "y from a");
  EXPECT_EQ(Read(dir / "a/y.jpg"), "y from a");
  // No question asked: nothing is replaced; no stage file is left behind.
  const TransferReport none = Transfer(TransferKind::Move, {dir / "a/x.jpg"}, dir / "b");
  EXPECT_EQ(none.skipped, 1);
  EXPECT_TRUE(fs::exists(dir / "a/x.jpg"));
  EXPECT_EQ(Read(dir / "b/x.jpg"), "from b");
  int entries = 0;
  for ([[maybe_unused]] const auto& e : fs::directory_iterator(dir / "b")) ++entries;
  EXPECT_EQ(entries, 2);
  // Cancel stops the rest.
  const TransferReport cancel = Transfer(TransferKind::Copy, {dir / "a/x.jpg", dir / "a/y.jpg"}, dir / "b",
                                         [](const fs::path&) { return ConflictAnswer::Cancel; });
  EXPECT_TRUE(cancel.cancelled);
  EXPECT_EQ(cancel.done, 0);
}

TEST(Transfer, CopyAndMoveOfTreesKeepEveryFileAndLinksStayLinks) {
  TempDir dir;
  fs::create_directories(dir / "src/tree/sub");
  fs::create_directories(dir / "dst");
  MakeFile(dir / "src/tree/one.jpg", 11, 1'000'000'000);
  MakeFile(dir / "src/tree/sub/two.jpg", 22);
  fs::create_symlink("/etc", dir / "src/tree/sub/etc-link");
  const auto before = InodeSet(dir / "src");

  const TransferReport copy = Transfer(TransferKind::Copy, {dir / "src/tree"}, dir / "dst");
  EXPECT_EQ(copy.done, 1) << (copy.errors.empty() ? "" : copy.errors[0]);
  EXPECT_EQ(fs::file_size(dir / "dst/tree/sub/two.jpg"), 22u);
  EXPECT_EQ(fs::last_write_time(dir / "dst/tree/one.jpg"), fs::last_write_time(dir / "src/tree/one.jpg"));
  EXPECT_TRUE(fs::is_symlink(dir / "dst/tree/sub/etc-link"));
  EXPECT_EQ(InodeSet(dir / "src"), before);

  fs::create_directories(dir / "moved");
  const TransferReport move = Transfer(TransferKind::Move, {dir / "src/tree"}, dir / "moved");
  EXPECT_EQ(move.done, 1);
  EXPECT_FALSE(fs::exists(dir / "src/tree"));
  EXPECT_EQ(InodeSet(dir / "moved"), before);  // a rename: the same files
}

TEST(Transfer, MoveAcrossFileSystemsCopiesFirstThenRemovesTheSource) {
  TempDir here;
  std::error_code ec;
  const fs::path shm = "/dev/shm";
  struct stat a {}, b {};
  if (::stat(here.path().c_str(), &a) != 0 || ::stat(shm.c_str(), &b) != 0 || a.st_dev == b.st_dev)
    GTEST_SKIP() << "needs a second file system at /dev/shm";
  const fs::path other = shm / ("pelira-xdev-" + std::to_string(::getpid()));
  fs::create_directories(other / "tree");
  MakeFile(other / "tree/p.jpg", 1234);
  MakeFile(other / "single.jpg", 99);
  const TransferReport r = Transfer(TransferKind::Move, {other / "tree", other / "single.jpg"}, here.path());
  EXPECT_EQ(r.done, 2) << (r.errors.empty() ? "" : r.errors[0]);
  EXPECT_EQ(fs::file_size(here / "tree/p.jpg"), 1234u);
  EXPECT_EQ(fs::file_size(here / "single.jpg"), 99u);
  EXPECT_FALSE(fs::exists(other / "tree"));
  fs::remove_all(other, ec);
}

TEST(Delete, TrashKeepsFailuresAndPermanentNeverFollowsLinks) {
  TempDir dir;
  fs::create_directories(dir / "keep");
  MakeFile(dir / "keep/precious.jpg", 7);
  fs::create_directories(dir / "list");
  fs::create_directory_symlink(dir / "keep", dir / "list/linked");
  MakeFile(dir / "list/a.jpg", 3);

  const DeleteResult perm = DeleteItems({dir / "list/linked"}, true, CurrentShell());
  EXPECT_EQ(perm.done, 1);
  EXPECT_FALSE(fs::exists(fs::symlink_status(dir / "list/linked")));
  EXPECT_TRUE(fs::exists(dir / "keep/precious.jpg"));

  fs::create_directories(dir / "trash");
  FolderTrashShell trash(dir / "trash");
  const DeleteResult t = DeleteItems({dir / "list/a.jpg"}, false, trash);
  EXPECT_EQ(t.done, 1);
  EXPECT_TRUE(fs::exists(dir / "trash/a.jpg"));
  // The default shell refuses: the file stays, and the failure is reported.
  MakeFile(dir / "list/b.jpg", 3);
  const DeleteResult refused = DeleteItems({dir / "list/b.jpg"}, false, CurrentShell());
  EXPECT_EQ(refused.done, 0);
  EXPECT_EQ(refused.errors.size(), 1u);
  EXPECT_TRUE(fs::exists(dir / "list/b.jpg"));

  EXPECT_EQ(PermanentDeleteQuestion({dir / "x", dir / "y"}, false), "Delete 2 files?");
  EXPECT_EQ(TreeDeleteQuestion("x", false), "Recycle folder \"x\" ?");
  EXPECT_EQ(TreeDeleteQuestion("x", true), "Delete folder \"x\" ?");
}

}  // namespace
}  // namespace pelira
