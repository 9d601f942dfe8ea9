// The review list, and the viewer's batch file commands reaching the batch core with the
// window's bookmarks and current file, through the injected dialogs.
#include <QAction>
#include <QDialogButtonBox>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

#include <filesystem>
#include <fstream>

#include "batch/file_ops.h"
#include "batch/forms/batch_file_dialogs.h"
#include "platform/scripted_ui.h"
#include "platform/shell.h"
#include "viewer/forms/web_form.h"

using namespace pelira;
namespace fs = std::filesystem;

namespace {

class FakeFileDialogs : public BatchFileDialogs {
public:
  bool Review(const std::string& caption, const std::vector<std::string>& files) override {
    asked.push_back(caption + " " + std::to_string(files.size()));
    return true;
  }
  std::optional<std::string> ChooseFolder(const std::string& title, const std::string&) override {
    asked.push_back(title);
    return folder;
  }
  std::optional<std::string> AskText(const std::string& caption, const std::string&, const std::string&) override {
    asked.push_back(caption);
    return text;
  }
  bool OpenFile(const std::string&) override { return true; }
  std::vector<std::string> asked;
  std::optional<std::string> folder, text;
};

void Touch(const fs::path& p) { std::ofstream(p) << p.filename().string(); }

}  // namespace

class BatchFileDialogsTest : public QObject {
  Q_OBJECT
  ScriptedUi ui;
  FakeFileDialogs fake;
  QTemporaryDir tmp;
  std::unique_ptr<FolderTrashShell> trash;

  fs::path Dir() const { return tmp.path().toStdString(); }

private slots:
  void initTestCase() {
    // A home of our own: the pictures opened here leave recent links, which other window
    // tests running at the same time count in theirs.
    qputenv("PELIRA_HOME", QFile::encodeName(tmp.path() + "/home"));
    SetCurrentUi(&ui);
    trash = std::make_unique<FolderTrashShell>(Dir() / "trash");
    SetCurrentShell(trash.get());
  }
  void cleanupTestCase() {
    SetCurrentShell(nullptr);
    SetCurrentUi(nullptr);
  }
  void init() {
    ui.Clear();
    fake.asked.clear();
    ClearSilencedQuestions();
  }

  void reviewListShowsTheFilesReadOnly() {
    const std::vector<std::string> files = {"/p/a.jpg", "/p/b.jpg", "/q/c.png"};
    TReviewDlg dialog("Batch Source Files to be Renamed", files);
    QCOMPARE(dialog.windowTitle(), QString("Batch Source Files to be Renamed"));
    QCOMPARE(dialog.List()->count(), 3);
    QCOMPARE(dialog.List()->item(2)->text(), QString("/q/c.png"));
    QCOMPARE(dialog.List()->editTriggers(), QAbstractItemView::NoEditTriggers);
    QCOMPARE(dialog.findChild<QLabel*>("lblCount")->text(), QString("3 file(s)"));
    dialog.show();
    dialog.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Cancel)->click();
    QCOMPARE(dialog.result(), int(QDialog::Rejected));
  }

  void menuItemsAreLive() {
    TWebForm f;
    for (const char* name : {"mnuCopyTo", "mnuMoveTo", "mnuDelete", "mnuBatchToJpg", "mnuBatchToPcx", "mnuDateName",
                             "mnuBatchRename", "mnuBatchMove", "mnuBatchDelete"}) {
      QAction* a = f.Action(name);
      QVERIFY2(a, name);
      QVERIFY2(a->isEnabled(), name);
    }
  }

  void renameFromTheMenuRenamesTheBookmarksAndClearsThem() {
    const fs::path dir = Dir() / "rename";
    fs::create_directories(dir);
    for (const char* n : {"pic2.jpg", "pic1.jpg"}) Touch(dir / n);
    TWebForm f;
    f.SetBatchFileDialogs(fake);
    f.Bookmarks().Assign({(dir / "pic2.jpg").string(), (dir / "pic1.jpg").string()});
    fake.text = "pic";
    f.Action("mnuBatchRename")->trigger();
    QCOMPARE(fake.asked, (std::vector<std::string>{"Batch Source Files to be Renamed 2",
                                                   "Enter filename prefix for image sequence."}));
    std::ifstream first(dir / "pic1.jpg");
    std::string content;
    first >> content;
    QCOMPARE(content, std::string("pic2.jpg"));
    QVERIFY(f.Bookmarks().Empty());
  }

  void shiftDeleteAsksEveryTimeAndDropsTheBookmark() {
    const fs::path dir = Dir() / "delete";
    fs::create_directories(dir);
    Touch(dir / "x.jpg");
    // The next bookmark is opened after the drop: a real picture, so it stays listed.
    fs::copy_file(fs::path(qgetenv("PELIRA_FIXTURES").toStdString()) / "codecs/jpeg/base444.jpg", dir / "y.jpg");
    TWebForm f;
    f.SetBatchFileDialogs(fake);
    f.Bookmarks().Assign({(dir / "x.jpg").string(), (dir / "y.jpg").string()});
    f.State().CurrentFile = (dir / "x.jpg").string();
    f.State().ImageLoaded = true;
    SilenceQuestion(kRecycleQuestionKey);  // silencing the trash question leaves this one
    ui.Queue(Button::Yes);
    f.BatchFileCommand(TWebForm::BatchMenu::DeleteOne, Qt::ShiftModifier);
    QCOMPARE(ui.Texts(), (std::vector<std::string>{"Delete x.jpg permanently?"}));
    QVERIFY(!fs::exists(dir / "x.jpg"));
    QVERIFY(!fs::exists(Dir() / "trash" / "x.jpg"));
    QCOMPARE(f.Bookmarks().Count(), std::size_t(1));
    QCOMPARE(f.Bookmarks().Entries()[0], (dir / "y.jpg").string());
  }

  void copyRemembersTheTargetFolder() {
    const fs::path dir = Dir() / "copy";
    fs::create_directories(dir / "to");
    Touch(dir / "z.jpg");
    TWebForm f;
    f.SetBatchFileDialogs(fake);
    f.State().CurrentFile = (dir / "z.jpg").string();
    f.State().ImageLoaded = true;
    fake.folder = (dir / "to").string();
    f.Action("mnuCopyTo")->trigger();
    QVERIFY(fs::exists(dir / "z.jpg"));
    QVERIFY(fs::exists(dir / "to" / "z.jpg"));
    QCOMPARE(fake.asked.back(), std::string("Copy \"z.jpg\" to"));
  }
};

QTEST_MAIN(BatchFileDialogsTest)
#include "batch_file_dialogs_test.moc"
