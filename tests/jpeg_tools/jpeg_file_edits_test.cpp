#include "jpeg_tools/jpeg_file_edits.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "jpeg_tools/jpeg_text.h"
#include "platform/scripted_ui.h"
#include "support/test_support.h"

namespace pelira {
namespace {

namespace fs = std::filesystem;
using test::Fixture;
using test::ReadBytes;
using Status = JpegFileOutcome::Status;

struct Workspace {
  test::TempDir dir;
  ScriptedUi ui;
  fs::path Copy(const std::string& fixture, const std::string& as) {
    fs::copy_file(Fixture("jpeg_tools/" + fixture), dir / as);
    return dir / as;
  }
};

unsigned Mode(const fs::path& p) {
  struct stat st {};
  ::stat(p.c_str(), &st);
  return st.st_mode & 07777;
}

TEST(JpegFileEdits, StripWritesTheFileAndABackup) {
  Workspace w;
  const fs::path file = w.Copy("trailer.jpg", "photo.jpg");
  ::chmod(file.c_str(), 0640);
  const auto original = ReadBytes(file);
  const JpegFileOutcome o = StripJpegFile(w.ui, file, StripMode::CommentsOnly);
  EXPECT_EQ(o.status, Status::Changed);
  EXPECT_EQ(o.kind, MessageKind::Information);
  EXPECT_EQ(o.text, "Comments removed:8 bytes");
  EXPECT_EQ(ReadBytes(w.dir / "photo.bak"), original);
  const auto now = ReadBytes(file);
  EXPECT_EQ(now.size(), original.size() - 8);
  EXPECT_TRUE(std::equal(now.end() - 7000, now.end(), original.end() - 7000));  // the trailer
  EXPECT_EQ(Mode(file), 0640u);
  EXPECT_TRUE(w.ui.Calls().empty());

  const JpegFileOutcome all = StripJpegFile(w.ui, w.Copy("cam_le.jpg", "cam.jpeg"), StripMode::AllExtraInfo);
  EXPECT_EQ(all.text, "Extra info removed:" + std::to_string(all.removed) + " bytes");
}

TEST(JpegFileEdits, NothingToStripWritesNothing) {
  Workspace w;
  const fs::path file = w.Copy("base.jpg", "plain.jpg");
  const JpegFileOutcome c = StripJpegFile(w.ui, file, StripMode::CommentsOnly);
  EXPECT_EQ(c.status, Status::Unchanged);
  EXPECT_EQ(c.text, "No Comments found.\nFile unchanged.");
  const JpegFileOutcome s = StripJpegFile(w.ui, w.Copy("every_type_le.jpg", "x.jpg"), StripMode::CommentsOnly);
  EXPECT_EQ(s.status, Status::Unchanged);
  EXPECT_FALSE(fs::exists(w.dir / "plain.bak"));
  EXPECT_FALSE(fs::exists(w.dir / "x.bak"));
  const auto stripped = StripJpegSegments(ReadBytes(Fixture("jpeg_tools/base.jpg")), StripMode::AllExtraInfo);
  test::WriteBytes(w.dir / "bare.jpg", stripped.bytes);
  EXPECT_EQ(StripJpegFile(w.ui, w.dir / "bare.jpg", StripMode::AllExtraInfo).text, "No extra info found.\nFile unchanged.");
}

TEST(JpegFileEdits, ExistingBackupIsAskedAbout) {
  for (const Button answer : {Button::No, Button::Yes}) {
    SCOPED_TRACE(ButtonName(answer));
    Workspace w;
    const fs::path file = w.Copy("trailer.jpg", "a.jpg");
    test::WriteText(w.dir / "a.bak", "old backup");
    const auto original = ReadBytes(file);
    w.ui.Queue(answer);
    const JpegFileOutcome o = AddCommentToJpegFile(w.ui, file, "note");
    ASSERT_EQ(w.ui.Calls().size(), 1u);
    EXPECT_EQ(w.ui.Calls()[0].kind, MessageKind::Warning);
    EXPECT_EQ(w.ui.Calls()[0].buttons, Button::Yes | Button::No);
    EXPECT_EQ(w.ui.Calls()[0].text,
              (w.dir / "a.bak").string() + " exists.\nOrignal file is copied to *.bak.\nOverwrite *.bak file?");
    if (answer == Button::No) {
      EXPECT_EQ(o.status, Status::Cancelled);
      EXPECT_EQ(ReadBytes(file), original);
      EXPECT_EQ(ReadBytes(w.dir / "a.bak"), std::vector<std::uint8_t>({'o', 'l', 'd', ' ', 'b', 'a', 'c', 'k', 'u', 'p'}));
    } else {
      EXPECT_EQ(o.status, Status::Changed);
      EXPECT_EQ(ReadBytes(w.dir / "a.bak"), original);
      EXPECT_EQ(ReadJpegTextFile(file).commentLines, (std::vector<std::string>{"note", "note"}));
    }
  }
}

TEST(JpegFileEdits, FailuresLeaveTheFileAlone) {
  Workspace w;
  // A file named .bak cannot be its own backup.
  const fs::path selfBak = w.Copy("trailer.jpg", "b.bak");
  const auto before = ReadBytes(selfBak);
  JpegFileOutcome o = StripJpegFile(w.ui, selfBak, StripMode::CommentsOnly);
  EXPECT_EQ(o.status, Status::Failed);
  EXPECT_EQ(o.kind, MessageKind::Error);
  EXPECT_EQ(o.text, "Could not create backup.  Aborting.");
  EXPECT_EQ(ReadBytes(selfBak), before);

  // A read-only file stays as it is, and gets no backup.
  const fs::path locked = w.Copy("trailer.jpg", "locked.jpg");
  ::chmod(locked.c_str(), 0444);
  o = StripJpegFile(w.ui, locked, StripMode::CommentsOnly);
  EXPECT_EQ(o.text, "Could not create destination file.  Aborting.");
  EXPECT_EQ(ReadBytes(locked), before);
  EXPECT_FALSE(fs::exists(w.dir / "locked.bak"));

  // Broken structure: the error, and the window closes.
  test::WriteBytes(w.dir / "cut.jpg", std::vector<std::uint8_t>(before.begin(), before.begin() + 30));
  o = AddCommentToJpegFile(w.ui, w.dir / "cut.jpg", "x");
  EXPECT_EQ(o.text, "File has bad JPEG markers.");
  EXPECT_TRUE(o.closeWindow);
  EXPECT_FALSE(fs::exists(w.dir / "cut.bak"));

  // Too much text: refused before anything is read.
  const fs::path big = w.Copy("base.jpg", "big.jpg");
  o = AddCommentToJpegFile(w.ui, big, std::string(40000, 'x'));
  EXPECT_EQ(o.kind, MessageKind::Warning);
  EXPECT_EQ(o.text, "Comment too large; limit text to 32000 characters.");
  EXPECT_FALSE(fs::exists(w.dir / "big.bak"));
  EXPECT_EQ(ReadBytes(big), ReadBytes(Fixture("jpeg_tools/base.jpg")));

  o = StripJpegFile(w.ui, w.dir / "missing.jpg", StripMode::CommentsOnly);
  EXPECT_EQ(o.status, Status::Failed);
  EXPECT_TRUE(w.ui.Calls().empty());
}

TEST(JpegFileEdits, SymbolicLinkStaysALink) {
  Workspace w;
  const fs::path real = w.Copy("trailer.jpg", "real.jpg");
  fs::create_symlink(real, w.dir / "link.jpg");
  const JpegFileOutcome o = StripJpegFile(w.ui, w.dir / "link.jpg", StripMode::CommentsOnly);
  EXPECT_EQ(o.status, Status::Changed);
  EXPECT_TRUE(fs::is_symlink(w.dir / "link.jpg"));
  EXPECT_FALSE(ReadJpegTextFile(real).commentFound);
  EXPECT_TRUE(ReadJpegTextFile(w.dir / "link.bak").commentFound);
}

ino_t Inode(const fs::path& p) {
  struct stat st {};
  ::stat(p.c_str(), &st);
  return st.st_ino;
}

// The backup is the old file itself under a second name; the edit makes a new file.
TEST(JpegFileEdits, BackupKeepsTheOldFile) {
  Workspace w;
  const fs::path file = w.Copy("trailer.jpg", "c.jpg");
  ::chmod(file.c_str(), 0604);
  const ino_t before = Inode(file);
  const auto original = ReadBytes(file);
  ASSERT_EQ(StripJpegFile(w.ui, file, StripMode::CommentsOnly).status, Status::Changed);
  EXPECT_EQ(Inode(w.dir / "c.bak"), before);
  EXPECT_NE(Inode(file), before);
  EXPECT_EQ(ReadBytes(w.dir / "c.bak"), original);
  EXPECT_EQ(Mode(w.dir / "c.bak"), 0604u);
  EXPECT_EQ(Mode(file), 0604u);
  // No temporary file is left beside them.
  EXPECT_EQ(std::distance(fs::directory_iterator(w.dir.path()), fs::directory_iterator()), 2);
}

// A link to a file on another filesystem: no hard link can reach it, so the backup is a copy.
TEST(JpegFileEdits, BackupAcrossFilesystemsIsACopy) {
  struct stat shm {}, tmp {};
  if (::stat("/dev/shm", &shm) != 0 || ::stat(fs::temp_directory_path().c_str(), &tmp) != 0 || shm.st_dev == tmp.st_dev)
    GTEST_SKIP() << "needs /dev/shm on a filesystem of its own";
  Workspace w;
  const fs::path far = fs::path("/dev/shm") / ("pelira-test-" + std::to_string(::getpid()) + ".jpg");
  fs::copy_file(Fixture("jpeg_tools/trailer.jpg"), far, fs::copy_options::overwrite_existing);
  fs::create_symlink(far, w.dir / "far.jpg");
  const auto original = ReadBytes(far);
  const JpegFileOutcome o = StripJpegFile(w.ui, w.dir / "far.jpg", StripMode::CommentsOnly);
  EXPECT_EQ(o.status, Status::Changed);
  EXPECT_EQ(ReadBytes(w.dir / "far.bak"), original);
  EXPECT_EQ(ReadBytes(far).size(), original.size() - 8);
  fs::remove(far);
}

TEST(JpegFileEdits, ShowOutcomeShowsTheBox) {
  ScriptedUi ui;
  JpegFileOutcome o;
  o.text = "Comments removed:8 bytes";
  ShowOutcome(ui, o);
  o.status = Status::Cancelled;
  ShowOutcome(ui, o);
  ASSERT_EQ(ui.Texts(), std::vector<std::string>{"Comments removed:8 bytes"});
  EXPECT_EQ(ui.Calls()[0].kind, MessageKind::Information);
}

}  // namespace
}  // namespace pelira
