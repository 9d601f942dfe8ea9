#include "batch/batch_commands.h"

#include <gtest/gtest.h>

#include <deque>
#include <set>

#include "batch/batch_convert.h"
#include "edit/save_as.h"
#include "image/image_loader.h"
#include "platform/scripted_ui.h"
#include "platform/shell.h"
#include "support/test_pictures.h"
#include "support/test_support.h"

namespace pelira {
namespace {

namespace fs = std::filesystem;
using test::TempDir;

// Answers from queues and records every question.
class FakeDialogs : public BatchFileDialogs {
public:
  bool Review(const std::string& caption, const std::vector<std::string>& files) override {
    asked.push_back("review: " + caption + " (" + std::to_string(files.size()) + ")");
    return reviewAnswer;
  }
  std::optional<std::string> ChooseFolder(const std::string& title, const std::string& start) override {
    asked.push_back("folder: " + title + " | " + start);
    return folder;
  }
  std::optional<std::string> AskText(const std::string& caption, const std::string& label,
                                     const std::string& initial) override {
    asked.push_back("text: " + caption + " | " + label + " | " + initial);
    return text;
  }
  bool OpenFile(const std::string& path) override {
    asked.push_back("open: " + path);
    return false;
  }
  bool reviewAnswer = true;
  std::optional<std::string> folder, text;
  std::vector<std::string> asked;
};

class BatchCommandsTest : public ::testing::Test {
protected:
  void SetUp() override {
    ClearSilencedQuestions();
    fs::create_directories(dir / "out");
    for (const char* n : {"a.png", "b.png"}) {
      test::WriteBytes(dir / n, EncodeForSave(test::PatternPicture(8, 6, n[0]), 3, {}));
      context.bookmarks.push_back((dir / n).string());
    }
    context.currentFile = context.bookmarks[0];
    context.programFolder = dir.path().string();
    context.logFolder = dir.path().string();
    context.ui = &ui;
    context.shell = &trash;
    context.dialogs = &dialogs;
  }
  void TearDown() override { ClearSilencedQuestions(); }
  TempDir dir, trashHome;
  ScriptedUi ui;
  FolderTrashShell trash{trashHome / "trash"};
  FakeDialogs dialogs;
  BatchContext context;
};

TEST_F(BatchCommandsTest, ConvertAsksInOrderAndReportsSkippedFiles) {
  test::WriteText(dir / "c.jpg", "broken");
  context.bookmarks.push_back((dir / "c.jpg").string());
  context.bookmarks.push_back(context.bookmarks[0]);  // a repeated bookmark is converted once
  context.lastTargetFolder = (dir / "gone").string();
  context.openScript = std::vector<std::string>{"NEGATIVE"};
  dialogs.folder = (dir / "out").string();
  ui.Queue(Button::No);   // no script
  ui.Queue(Button::Yes);  // view the log
  const BatchOutcome o = BatchConvertCommand(context, 2);
  EXPECT_TRUE(o.ran);
  EXPECT_EQ(o.lastTargetFolder, (dir / "out").string());
  EXPECT_EQ(o.written, (std::vector<std::string>{(dir / "out" / "a.png").string(), (dir / "out" / "b.png").string()}));
  const std::string log = (dir / kExceptionLogName).string();
  EXPECT_EQ(dialogs.asked, (std::vector<std::string>{"review: Batch Source Files to be Converted (3)",
                                                     "folder: Write 3 .PNG files in | " + dir.path().string(),
                                                     "open: " + log}));
  EXPECT_EQ(ui.Texts(), (std::vector<std::string>{kScriptQuestion, SkippedFilesQuestion(1), kTextViewerNotFound}));
  ASSERT_EQ(ui.Progresses().size(), 1u);
  EXPECT_EQ(ui.Progresses()[0]->statuses.back(), "3 file(s) processed.  100% done.");
  const auto bytes = test::ReadBytes(log);
  EXPECT_EQ(std::string(bytes.begin(), bytes.end()), "Skipped: " + (dir / "c.jpg").string() + "\r\n");
  // Answered No, the script did not run: the output decodes as its source.
  TImageLoader out, in;
  ASSERT_EQ(out.Open((dir / "out" / "a.png").string()), OpenOutcome::Image);
  ASSERT_EQ(in.Open((dir / "a.png").string()), OpenOutcome::Image);
  EXPECT_TRUE(test::SamePixels(out.workingBitmap, in.workingBitmap));
}

TEST_F(BatchCommandsTest, EarlyEndsLeaveEverythingAsItWas) {
  const struct {
    const char* label;
    bool modified, keepEdits, review, oneFile;
    std::size_t dialogsAsked;
  } cases[] = {
      {"unsaved edits kept", true, false, true, false, 0},
      {"review cancelled", false, true, false, false, 1},
      {"one file", false, true, true, true, 1},
      {"folder cancelled", false, true, true, false, 2},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.label);
    dialogs.asked.clear();
    BatchContext ctx = context;
    ctx.imageModified = c.modified;
    int editQuestions = 0;
    ctx.confirmUnsavedEdits = [&] {
      ++editQuestions;
      return c.keepEdits;
    };
    if (c.oneFile) ctx.bookmarks.resize(1);
    dialogs.reviewAnswer = c.review;
    dialogs.folder.reset();
    EXPECT_FALSE(BatchConvertCommand(ctx, 0).ran);
    EXPECT_FALSE(CopyMoveCommand(ctx, true, true).ran);
    EXPECT_EQ(editQuestions, c.modified ? 2 : 0);
    EXPECT_EQ(dialogs.asked.size(), 2 * c.dialogsAsked);
    EXPECT_TRUE(fs::is_empty(dir / "out"));
    EXPECT_TRUE(fs::exists(dir / "a.png") && fs::exists(dir / "b.png"));
  }
}

TEST_F(BatchCommandsTest, RenamesAskThenRenameAndClearTheBookmarks) {
  dialogs.text = "pic";
  const BatchOutcome r = RenumberCommand(context, false);
  EXPECT_TRUE(r.clearBookmarks);
  EXPECT_TRUE(fs::exists(dir / "pic1.png") && fs::exists(dir / "pic2.png"));
  EXPECT_EQ(dialogs.asked.back(), "text: Enter filename prefix for image sequence. | e.g., \"pic\" for pic00001 to pic99999 | ");

  // DateName offers an extension when the first file has none.
  fs::rename(dir / "pic1.png", dir / "scan");
  context.bookmarks = {(dir / "scan").string(), (dir / "pic2.png").string()};
  dialogs.text = "jpg";
  DateNameCommand(context, true);
  EXPECT_EQ(dialogs.asked.back(), "text: Add filename extension? | Registered types may have hidden extensions. | .jpg");
  std::set<std::string> names;  // the stamps before "~" depend on the clock
  for (const auto& e : fs::directory_iterator(dir.path()))
    if (e.is_regular_file()) names.insert(e.path().filename().string().substr(17));
  EXPECT_EQ(names, (std::set<std::string>{"~pic2.png.jpg", "~scan.jpg"}));
}

TEST_F(BatchCommandsTest, SingleMoveCopyAndDelete) {
  dialogs.folder = dir.path().string();
  const BatchOutcome self = CopyMoveCommand(context, false, false);
  EXPECT_EQ(dialogs.asked.back(), "folder: Copy \"a.png\" to | " + dir.path().string());
  EXPECT_FALSE(self.dropCurrent);
  EXPECT_EQ(ui.Texts().back(), "Cannot copy " + context.currentFile + " onto itself.");
  EXPECT_GT(fs::file_size(context.currentFile), 0u);

  dialogs.folder = (dir / "out").string();
  const BatchOutcome moved = CopyMoveCommand(context, true, false);
  EXPECT_TRUE(moved.dropCurrent);
  EXPECT_FALSE(fs::exists(dir / "a.png"));
  EXPECT_TRUE(fs::exists(dir / "out" / "a.png"));

  context.currentFile = context.bookmarks[1];
  ui.Queue(Button::Yes);
  const BatchOutcome gone = DeleteCommand(context, false, false);
  EXPECT_TRUE(gone.dropCurrent);
  EXPECT_EQ(ui.Texts().back(), "Recycle b.png\n\n[Ignore] avoids this dialog (for experts).");
  EXPECT_TRUE(fs::exists(trashHome / "trash" / "b.png"));
}

TEST_F(BatchCommandsTest, BatchDeleteAndMove) {
  ui.Queue(Button::No);
  EXPECT_FALSE(DeleteCommand(context, true, true).ran);
  EXPECT_EQ(dialogs.asked.back(), "review: Batch Source Files to be Deleted (2)");
  EXPECT_EQ(ui.Calls().back().buttons, Button::Yes | Button::No);
  dialogs.folder = (dir / "out").string();
  const BatchOutcome moved = CopyMoveCommand(context, true, true);
  EXPECT_EQ(dialogs.asked.back(), "folder: Move 2 files to | " + context.programFolder);
  EXPECT_TRUE(moved.clearBookmarks);
  EXPECT_EQ(moved.written.size(), 2u);
}

}  // namespace
}  // namespace pelira
