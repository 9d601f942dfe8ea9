#include "batch/file_ops.h"

#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <map>

#include "platform/scripted_ui.h"
#include "platform/shell.h"
#include "support/test_support.h"

namespace pelira {
namespace {

namespace fs = std::filesystem;
using test::TempDir;

// name -> inode of every file under dir, dot-names included: nothing may vanish or double.
std::map<std::string, ino_t> Inodes(const fs::path& dir) {
  std::map<std::string, ino_t> out;
  for (const auto& e : fs::recursive_directory_iterator(dir)) {
    struct stat st;
    ::lstat(e.path().c_str(), &st);
    if (!S_ISDIR(st.st_mode)) out[fs::relative(e.path(), dir).string()] = st.st_ino;
  }
  return out;
}

std::string Text(const fs::path& p) {
  const auto b = test::ReadBytes(p);
  return std::string(b.begin(), b.end());
}

struct RenameCase {
  const char* label;
  std::vector<std::string> files;                          // made, each holding its own name
  std::vector<std::pair<std::string, std::string>> plan;  // from -> to
  std::map<std::string, std::string> after;               // name -> content it must hold
  int failures;
};

TEST(ApplyRenames, TargetsThatAreSourcesNeverReplaceAndForeignFilesAreKept) {
  const RenameCase cases[] = {
      {"swap", {"a", "b"}, {{"a", "b"}, {"b", "a"}}, {{"a", "b"}, {"b", "a"}}, 0},
      {"rotate three", {"1", "2", "3"}, {{"1", "2"}, {"2", "3"}, {"3", "1"}}, {{"1", "3"}, {"2", "1"}, {"3", "2"}}, 0},
      {"shift onto a taken name", {"pic2.jpg", "pic1.jpg"}, {{"pic2.jpg", "pic1.jpg"}, {"pic1.jpg", "pic2.jpg"}},
       {{"pic1.jpg", "pic2.jpg"}, {"pic2.jpg", "pic1.jpg"}}, 0},
      {"foreign target", {"a", "b", "x"}, {{"a", "x"}, {"b", "y"}}, {{"a", "a"}, {"x", "x"}, {"y", "b"}}, 1},
      {"two onto one", {"a", "b"}, {{"a", "c"}, {"b", "c"}}, {{"c", "a"}, {"b", "b"}}, 1},
      {"foreign target of a moved-aside source", {"a", "b", "c"}, {{"a", "b"}, {"b", "c"}},
       {{"a", "a"}, {"b", "b"}, {"c", "c"}}, 2},
  };
  for (const RenameCase& c : cases) {
    SCOPED_TRACE(c.label);
    TempDir dir;
    for (const std::string& f : c.files) test::WriteText(dir / f, f);
    const auto before = Inodes(dir.path());
    std::vector<RenameStep> plan;
    for (const auto& [from, to] : c.plan) plan.push_back({(dir / from).string(), (dir / to).string()});
    const RenameReport r = ApplyRenames(plan);
    EXPECT_EQ(static_cast<int>(r.failures.size()), c.failures);
    const auto now = Inodes(dir.path());
    ASSERT_EQ(now.size(), c.after.size());
    for (const auto& [name, content] : c.after) {
      ASSERT_TRUE(now.count(name)) << name;
      EXPECT_EQ(Text(dir / name), content) << name;
      EXPECT_EQ(now.at(name), before.at(content)) << name;
    }
  }
}

TEST(ApplyRenames, FailureNamesTheFile) {
  TempDir dir;
  test::WriteText(dir / "a.jpg", "a");
  test::WriteText(dir / "b.jpg", "b");
  const RenameReport r = ApplyRenames({{(dir / "a.jpg").string(), (dir / "b.jpg").string()}});
  ASSERT_EQ(r.failures.size(), 1u);
  EXPECT_EQ(r.failures[0], "Could not rename a.jpg");
  EXPECT_EQ(Text(dir / "b.jpg"), "b");
}

TEST(TransferFile, CopyOntoItselfIsRefusedAndTheSourceKept) {
  TempDir dir;
  test::WriteText(dir / "x.jpg", "picture");
  fs::create_directory(dir / "link");
  fs::create_symlink(dir / "x.jpg", dir / "link" / "x.jpg");
  for (const fs::path& folder : {dir.path(), dir / "link"}) {
    for (const TransferKind kind : {TransferKind::Copy, TransferKind::Move}) {
      const TransferResult r = TransferFile(dir / "x.jpg", folder, kind, {.overwrite = [](const std::string&) { return true; }});
      EXPECT_FALSE(r.ok);
      EXPECT_NE(r.message.find("onto itself"), std::string::npos) << r.message;
      EXPECT_EQ(Text(dir / "x.jpg"), "picture");
    }
  }
}

TEST(TransferFile, ExistingTargetIsReplacedOnlyWhenTheUserSaysSo) {
  for (const bool forceCopy : {false, true}) {
    for (const TransferKind kind : {TransferKind::Copy, TransferKind::Move}) {
      for (const bool yes : {false, true}) {
        SCOPED_TRACE(std::to_string(forceCopy) + std::to_string(static_cast<int>(kind)) + std::to_string(yes));
        TempDir dir;
        fs::create_directory(dir / "to");
        test::WriteText(dir / "x.jpg", "new");
        test::WriteText(dir / "to" / "x.jpg", "old");
        std::string asked;
        const TransferResult r = TransferFile(dir / "x.jpg", dir / "to", kind,
                                              {.overwrite = [&](const std::string& t) {
                                                 asked = t;
                                                 return yes;
                                               },
                                               .forceCopy = forceCopy});
        EXPECT_EQ(asked, (dir / "to" / "x.jpg").string());
        EXPECT_EQ(r.ok, yes);
        EXPECT_EQ(Text(dir / "to" / "x.jpg"), yes ? "new" : "old");
        EXPECT_EQ(fs::exists(dir / "x.jpg"), !(yes && kind == TransferKind::Move));
        EXPECT_EQ(Inodes(dir / "to").size(), 1u);  // no temporary left behind
      }
    }
  }
}

TEST(TransferFile, CopiedMoveKeepsContentModeAndTime) {
  TempDir dir;
  fs::create_directory(dir / "to");
  std::vector<std::uint8_t> bytes(3 << 20);
  for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<std::uint8_t>(i * 7 + i / 4096);
  test::WriteBytes(dir / "big.tif", bytes);
  ::chmod((dir / "big.tif").c_str(), 0640);
  const struct timespec times[2] = {{1000000000, 0}, {1078495387, 250000000}};
  ::utimensat(AT_FDCWD, (dir / "big.tif").c_str(), times, 0);
  const TransferResult r = TransferFile(dir / "big.tif", dir / "to", TransferKind::Move, {.forceCopy = true});
  ASSERT_TRUE(r.ok) << r.message;
  EXPECT_FALSE(fs::exists(dir / "big.tif"));
  EXPECT_EQ(test::ReadBytes(dir / "to" / "big.tif"), bytes);
  struct stat st;
  ::stat((dir / "to" / "big.tif").c_str(), &st);
  EXPECT_EQ(st.st_mode & 0777, 0640u);
  EXPECT_EQ(st.st_mtim.tv_sec, 1078495387);
  EXPECT_EQ(st.st_mtim.tv_nsec, 250000000);
}

// The copy path is the one a move across file systems takes; the process dies after the
// first chunk has been written.
TEST(TransferFile, AKilledMoveLeavesTheSourceWhole) {
  TempDir dir;
  fs::create_directory(dir / "to");
  std::vector<std::uint8_t> bytes(5 << 20, 0x5A);
  test::WriteBytes(dir / "big.bmp", bytes);
  const auto before = Inodes(dir.path());
  const pid_t pid = ::fork();
  ASSERT_GE(pid, 0);
  if (pid == 0) {
    TransferFile(dir / "big.bmp", dir / "to", TransferKind::Move,
                 {.forceCopy = true, .onChunk = [](std::uint64_t) { ::kill(::getpid(), SIGKILL); }});
    ::_exit(0);
  }
  int status = 0;
  ::waitpid(pid, &status, 0);
  ASSERT_TRUE(WIFSIGNALED(status));
  EXPECT_EQ(Inodes(dir.path()).at("big.bmp"), before.at("big.bmp"));
  EXPECT_EQ(test::ReadBytes(dir / "big.bmp"), bytes);
  EXPECT_FALSE(fs::exists(dir / "to" / "big.bmp"));
}

// Between two file systems for real when the machine has a tmpfs beside the test folder.
TEST(TransferFile, MoveAcrossFileSystems) {
  TempDir dir;
  struct stat a, b;
  if (::stat("/dev/shm", &b) != 0 || ::stat(dir.path().c_str(), &a) != 0 || a.st_dev == b.st_dev)
    GTEST_SKIP() << "no second file system";
  char templ[] = "/dev/shm/pelira-move-XXXXXX";
  ASSERT_NE(::mkdtemp(templ), nullptr);
  test::WriteText(dir / "x.png", "pixels");
  const TransferResult r = TransferFile(dir / "x.png", templ, TransferKind::Move);
  EXPECT_TRUE(r.ok) << r.message;
  EXPECT_FALSE(fs::exists(dir / "x.png"));
  EXPECT_EQ(Text(fs::path(templ) / "x.png"), "pixels");
  fs::remove_all(templ);
}

class DeleteFilesTest : public ::testing::Test {
protected:
  void SetUp() override {
    ClearSilencedQuestions();
    for (const char* n : {"a.jpg", "b.jpg"}) {
      test::WriteText(dir / n, n);
      files.push_back((dir / n).string());
    }
  }
  void TearDown() override { ClearSilencedQuestions(); }
  TempDir dir, trashDir;
  FolderTrashShell trash{trashDir / "trash"};
  ScriptedUi ui;
  std::vector<std::string> files;
};

TEST_F(DeleteFilesTest, RecycleAsksUnlessSilencedAndMovesToTheTrash) {
  ui.Queue(Button::No);
  EXPECT_TRUE(DeleteFiles(files, false, ui, trash).asked);
  EXPECT_TRUE(fs::exists(files[0]) && fs::exists(files[1]));
  ui.Queue(Button::Ignore);
  const DeleteReport r = DeleteFiles({files[0]}, false, ui, trash);
  EXPECT_EQ(r.removed, 1);
  EXPECT_EQ(Text(trashDir / "trash" / "a.jpg"), "a.jpg");
  DeleteFiles({files[1]}, false, ui, trash);  // silenced: no further box
  ASSERT_EQ(ui.Texts().size(), 2u);
  EXPECT_EQ(ui.Texts()[0], "Recycle 2 files?\n\n[Ignore] avoids this dialog (for experts).");
  EXPECT_EQ(ui.Texts()[1], "Recycle a.jpg\n\n[Ignore] avoids this dialog (for experts).");
  EXPECT_FALSE(fs::exists(files[1]));
}

TEST_F(DeleteFilesTest, PermanentDeleteAlwaysAsksWithoutIgnore) {
  SilenceQuestion(kRecycleQuestionKey);
  ui.Queue(Button::No);
  EXPECT_TRUE(DeleteFiles(files, true, ui, trash).asked);
  EXPECT_TRUE(fs::exists(files[0]));
  ui.Queue(Button::Yes);
  EXPECT_EQ(DeleteFiles(files, true, ui, trash).removed, 2);
  ASSERT_EQ(ui.Calls().size(), 2u);
  for (const UiCall& c : ui.Calls()) {
    EXPECT_EQ(c.text, "Delete 2 files?");
    EXPECT_EQ(c.buttons, Button::Yes | Button::No);
  }
  EXPECT_FALSE(fs::exists(files[0]) || fs::exists(files[1]));
  EXPECT_FALSE(fs::exists(trashDir / "trash" / "a.jpg"));
}

TEST_F(DeleteFilesTest, TrashFailureKeepsTheFile) {
  test::WriteText(trashDir / "blocked", "a file where the trash folder would be");
  FolderTrashShell broken(trashDir / "blocked" / "trash");
  ui.Queue(Button::Yes);
  const DeleteReport r = DeleteFiles(files, false, ui, broken);
  EXPECT_EQ(r.removed, 0);
  ASSERT_EQ(r.failures.size(), 2u);
  EXPECT_EQ(r.failures[0].rfind("Could not move " + files[0] + " to the trash.", 0), 0u) << r.failures[0];
  EXPECT_TRUE(fs::exists(files[0]) && fs::exists(files[1]));
}

TEST_F(DeleteFilesTest, PermanentDeleteRemovesALinkNotItsTarget) {
  fs::create_symlink(files[0], dir / "link.jpg");
  ui.Queue(Button::Yes);
  EXPECT_EQ(DeleteFiles({(dir / "link.jpg").string()}, true, ui, trash).removed, 1);
  EXPECT_EQ(ui.Texts().at(0), "Delete link.jpg permanently?");
  EXPECT_FALSE(fs::exists(fs::symlink_status(dir / "link.jpg")));
  EXPECT_EQ(Text(files[0]), "a.jpg");
}

}  // namespace
}  // namespace pelira
