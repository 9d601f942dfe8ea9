// The explorer window driven through its keys, menu actions and views with fake dialogs, a
// scripted Ui, a folder trash and a monitor the test fires: listing, sorting, rename in place,
// open, delete, copy, comments, history, the watcher, drag and drop, and settings.
#include <QtTest>

#include <QAction>
#include <QComboBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QListView>
#include <QMimeData>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTreeView>
#include <deque>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <sys/stat.h>

#include "explorer/explorer_settings.h"
#include "explorer/forms/explorer_dialogs.h"
#include "explorer/forms/file_form.h"
#include "explorer/forms/file_list_model.h"
#include "explorer/forms/walk_form.h"
#include "explorer/thumbnail_source.h"
#include "platform/folder_monitor.h"
#include "platform/qt/qt_folder_monitor.h"
#include "platform/scripted_ui.h"
#include "platform/settings_store.h"
#include "platform/shell.h"

using namespace pelira;
namespace fs = std::filesystem;

namespace {

class FakeDialogs : public ExplorerDialogs {
 public:
  std::deque<std::optional<std::string>> folders, texts;
  std::deque<std::optional<int>> choices;
  std::vector<QString> titles;
  std::vector<std::string> opened;
  bool openResult = true;

  std::optional<std::string> ChooseFolder(QWidget*, WalkMode, const QString& title, const std::string&) override {
    titles.push_back(title);
    return Take(folders);
  }
  std::optional<std::string> AskText(QWidget*, const QString& title, const QString&, const std::string&) override {
    titles.push_back(title);
    return Take(texts);
  }
  std::optional<int> ChooseFromList(QWidget*, const QString& caption, const std::vector<std::string>&, int) override {
    titles.push_back(caption);
    if (choices.empty()) return std::nullopt;
    auto v = choices.front();
    choices.pop_front();
    return v;
  }
  bool OpenExternally(const std::string& path) override {
    opened.push_back(path);
    return openResult;
  }

 private:
  static std::optional<std::string> Take(std::deque<std::optional<std::string>>& q) {
    if (q.empty()) return std::nullopt;
    auto v = q.front();
    q.pop_front();
    return v;
  }
};

// Red thumbnails for JPEGs, none for the rest; remembers what it was asked and told to forget.
class FakeThumbs : public ThumbnailSource {
 public:
  std::vector<std::string> asked, forgotten;
  std::optional<Dib> Thumbnail(const std::string& path, int w, int h, std::int64_t) override {
    asked.push_back(path);
    if (path.size() < 4 || path.substr(path.size() - 4) != ".jpg") return std::nullopt;
    Dib d(std::min(w, 8), std::min(h, 6), 24);
    for (int y = 0; y < d.Height(); ++y)
      for (int x = 0; x < d.Width(); ++x) d.SetPixel(x, y, 0xFF0000);
    return d;
  }
  void Forget(const std::string& path) override { forgotten.push_back(path); }
};

// A file of size bytes last written long ago (the transit rule leaves new files out).
void Make(const fs::path& p, std::size_t size = 4) {
  fs::create_directories(p.parent_path());
  std::ofstream(p) << std::string(size, 'x');
  const struct timespec t[2] = {{1'000'000'000, 0}, {1'000'000'000, 0}};
  ::utimensat(AT_FDCWD, p.c_str(), t, 0);
}

}  // namespace

class FileFormTest : public QObject {
  Q_OBJECT
 private slots:
  void init() {
    QVERIFY(home_.isValid());
    qputenv("PELIRA_HOME", home_.path().toUtf8());
    ClearSilencedQuestions();
    files_ = std::make_unique<QTemporaryDir>();
    dir_ = files_->path().toStdString();
    Make(dir_ / "a.jpg", 30);
    Make(dir_ / "B.png", 300);
    Make(dir_ / "notes.doc", 3);
    fs::create_directory(dir_ / "sub");
    fs::create_directory(dir_ / ".trash");
    dialogs_ = std::make_unique<FakeDialogs>();
    ui_ = std::make_unique<ScriptedUi>();
    trash_ = std::make_unique<FolderTrashShell>(dir_ / ".trash");
    settings_.WriteString(kExplorerFolderValue, dir_.string());
    form_ = std::make_unique<TFileForm>(*dialogs_, *ui_, *trash_, monitor_, nullptr, &settings_);
    ExplorerHooks hooks;
    hooks.openInViewer = [this](const std::vector<std::string>& p) { viewer_ = p; };
    form_->SetHooks(hooks);
    form_->show();
  }
  void cleanup() {
    form_.reset();
    ui_.reset();
    dialogs_.reset();
    files_.reset();
  }

  void listsTheStoredFolderAndSorts() {
    QCOMPARE(form_->Folder(), dir_.string());
    QCOMPARE(form_->Model()->rowCount(), 4);  // sub, a.jpg, B.png, notes.doc; no dot names
    QCOMPARE(form_->Model()->index(0, 0).data().toString(), QString("sub"));
    form_->Action("mnuSort3")->trigger();  // Size -
    QCOMPARE(form_->Model()->index(0, 0).data().toString(), QString("B.png"));
    QCOMPARE(form_->Model()->index(0, TFileListModel::kSize).data().toString(), QString("300"));
    form_->SetView(ExplorerView::Details);
    QCOMPARE(form_->Model()->index(0, TFileListModel::kType).data().toString(), QString(".PNG"));
    // The header alternates: Name ascending, then descending (folders last).
    form_->DetailsView()->header()->sectionClicked(0);
    QCOMPARE(form_->Model()->index(0, 0).data().toString(), QString("sub"));
    form_->DetailsView()->header()->sectionClicked(0);
    QCOMPARE(form_->Model()->index(3, 0).data().toString(), QString("sub"));
  }

  void renameInPlaceThroughCore() {
    form_->SetView(ExplorerView::Details);
    QTreeView* view = form_->DetailsView();
    form_->SelectRows({form_->CurrentListing().RowOf("a.jpg")});
    view->setFocus();
    QTest::keyClick(view, Qt::Key_F2);
    auto* editor = view->findChild<QLineEdit*>();
    QVERIFY(editor != nullptr);
    editor->selectAll();
    QTest::keyClicks(editor, "renamed.jpg");
    QTest::keyClick(editor, Qt::Key_Return);
    QTRY_VERIFY(fs::exists(dir_ / "renamed.jpg"));
    QVERIFY(!fs::exists(dir_ / "a.jpg"));
    QTRY_VERIFY(form_->CurrentListing().RowOf("renamed.jpg") >= 0);

    // An illegal name is refused with the warning and the old name stays.
    const int row = form_->CurrentListing().RowOf("B.png");
    QVERIFY(!form_->Model()->setData(form_->Model()->index(row, 0), "x:y.png", Qt::EditRole));
    QCOMPARE(ui_->Texts().back(), std::string("Illegal characters.  Avoid these characters \\/:*?\"<>|"));
    QVERIFY(fs::exists(dir_ / "B.png"));
    // A taken name is refused too.
    QVERIFY(!form_->Model()->setData(form_->Model()->index(row, 0), "notes.doc", Qt::EditRole));
    QCOMPARE(ui_->Texts().back(), std::string("notes.doc\nalready used."));
    QCOMPARE(fs::file_size(dir_ / "notes.doc"), std::uintmax_t(3));
  }

  void openSendsPicturesToTheViewerAndEntersFolders() {
    const Listing& l = form_->CurrentListing();
    form_->SelectRows({l.RowOf("a.jpg"), l.RowOf("B.png")});
    form_->Action("mnuOpen")->trigger();
    QCOMPARE(viewer_, (std::vector<std::string>{(dir_ / "a.jpg").string(), (dir_ / "B.png").string()}));
    dialogs_->openResult = false;
    form_->SelectRows({l.RowOf("notes.doc")});
    form_->Action("mnuOpen")->trigger();
    QCOMPARE(dialogs_->opened.back(), (dir_ / "notes.doc").string());
    QCOMPARE(ui_->Texts().back(), std::string("Associated application not found."));
    // Enter on a folder enters it; Up comes back.
    form_->SetView(ExplorerView::Details);
    form_->DetailsView()->setFocus();
    form_->SelectRows({l.RowOf("sub")});
    emit form_->DetailsView()->activated(form_->Model()->index(l.RowOf("sub"), 0));
    QCOMPARE(form_->Folder(), (dir_ / "sub").string());
    form_->Action("mnuUp")->trigger();
    QCOMPARE(form_->Folder(), dir_.string());
    // Back and forward walk the visited folders.
    form_->Action("mnuBack")->trigger();
    QCOMPARE(form_->Folder(), (dir_ / "sub").string());
    form_->Action("mnuForward")->trigger();
    QCOMPARE(form_->Folder(), dir_.string());
  }

  void deleteTrashesAndPermanentDeleteAsksEveryTime() {
    const Listing& l = form_->CurrentListing();
    form_->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(form_.get()));
    form_->SelectRows({l.RowOf("a.jpg")});
    form_->IconView()->setFocus();
    QTest::keyClick(form_->IconView(), Qt::Key_Delete);
    QVERIFY(fs::exists(dir_ / ".trash/a.jpg"));
    QVERIFY(!fs::exists(dir_ / "a.jpg"));
    QCOMPARE(l.RowOf("a.jpg"), -1);

    form_->SelectRows({l.RowOf("B.png")});
    ui_->Queue(Button::Cancel);
    QTest::keyClick(form_->IconView(), Qt::Key_Delete, Qt::ShiftModifier);
    QVERIFY(fs::exists(dir_ / "B.png"));
    QCOMPARE(ui_->Texts().back(), std::string("Delete 1 files?"));
    ui_->Queue(Button::OK);
    form_->Action("mnuDeletePermanent")->trigger();
    QVERIFY(!fs::exists(dir_ / "B.png"));
    QVERIFY(!fs::exists(dir_ / ".trash/B.png"));

    // Folders in the selection: the ignorable question first; Cancel keeps them.
    form_->SelectRows({l.RowOf("sub")});
    ui_->Queue(Button::Cancel);
    form_->Action("mnuDelete")->trigger();
    QVERIFY(fs::exists(dir_ / "sub"));
    QVERIFY(ui_->Texts().back().rfind("Folder(s) selected for deletion.", 0) == 0);
  }

  void newFolderCopyAndMove() {
    form_->SetView(ExplorerView::Details);
    form_->Action("mnuNewFolder")->trigger();
    QVERIFY(fs::is_directory(dir_ / "New Folder"));
    auto* editor = form_->DetailsView()->findChild<QLineEdit*>();
    QVERIFY(editor != nullptr);  // renaming in place starts at once
    QCOMPARE(editor->text(), QString("New Folder"));
    QTest::keyClick(editor, Qt::Key_Escape);

    const Listing& l = form_->CurrentListing();
    form_->SelectRows({l.RowOf("a.jpg")});
    dialogs_->folders.push_back((dir_ / "sub").string());
    form_->Action("mnuCopyTo")->trigger();
    QCOMPARE(dialogs_->titles.back(), QString("Copy \"a.jpg\" to "));
    QVERIFY(fs::exists(dir_ / "sub/a.jpg"));
    QVERIFY(fs::exists(dir_ / "a.jpg"));
    // Again: the existing copy is kept unless the user says Replace.
    form_->SelectRows({l.RowOf("a.jpg")});
    dialogs_->folders.push_back((dir_ / "sub").string());
    ui_->Queue(Button::No);
    form_->Action("mnuCopyTo")->trigger();
    QVERIFY(ui_->Texts().back().find("already exists") != std::string::npos);
    // Into its own folder: refused.
    form_->SelectRows({l.RowOf("B.png")});
    dialogs_->folders.push_back(dir_.string());
    form_->Action("mnuMoveTo")->trigger();
    QCOMPARE(ui_->Texts().back(), std::string("Source (or parent) and destination folders are the same."));
    dialogs_->folders.push_back((dir_ / "sub").string());
    form_->Action("mnuMoveTo")->trigger();
    QVERIFY(fs::exists(dir_ / "sub/B.png"));
    QCOMPARE(l.RowOf("B.png"), -1);
  }

  void commentsAreWrittenAndQueried() {
    form_->SetView(ExplorerView::Details);
    const Listing& l = form_->CurrentListing();
    form_->SelectRows({l.RowOf("B.png")});
    dialogs_->texts.push_back("Sunset over the bay");
    form_->Action("mnuComment")->trigger();
    QVERIFY(fs::exists(dir_ / "FILELIST.PLX"));
    QCOMPARE(form_->Model()->index(l.RowOf("B.png"), TFileListModel::kComment).data().toString(),
             QString("Sunset over the bay"));
    dialogs_->texts.push_back("SUNSET");
    form_->Action("mnuQueryComments")->trigger();
    QCOMPARE(form_->SelectedRows(), std::vector<int>{l.RowOf("B.png")});
    dialogs_->texts.push_back("nothing");
    form_->Action("mnuQueryComments")->trigger();
    QCOMPARE(ui_->Texts().back(), std::string("No match found for\nnothing"));
  }

  void watcherBringsNewFilesInKeepingTheSelection() {
    const Listing& l = form_->CurrentListing();
    form_->SelectRows({l.RowOf("B.png")});
    Make(dir_ / "arrived.gif", 10);
    form_->MonitorTick();
    QCOMPARE(l.RowOf("arrived.gif"), -1);  // nothing noticed yet
    monitor_.MarkChanged();
    form_->MonitorTick();
    QVERIFY(l.RowOf("arrived.gif") >= 0);
    QCOMPARE(form_->SelectedRows(), std::vector<int>{l.RowOf("B.png")});
    QCOMPARE(monitor_.Watched().front(), dir_.string());
  }

  void theRealWatcherAndTheTransitTimer() {
    QtFolderMonitor real;
    TFileForm form(*dialogs_, *ui_, *trash_, real, nullptr, &settings_);
    QCOMPARE(form.Folder(), dir_.string());
    // A file still being written shows once it is 2 s old, on a later tick.
    std::ofstream(dir_ / "fresh.jpg") << "new";
    QTRY_VERIFY_WITH_TIMEOUT(form.CurrentListing().RowOf("fresh.jpg") >= 0, 10000);
  }

  void dragCarriesPathsAndDropsCopy() {
    const Listing& l = form_->CurrentListing();
    std::unique_ptr<QMimeData> m(form_->Model()->mimeData({form_->Model()->index(l.RowOf("a.jpg"), 0)}));
    QCOMPARE(m->urls().size(), 1);
    QCOMPARE(m->urls()[0].toLocalFile().toStdString(), (dir_ / "a.jpg").string());

    QTemporaryDir other;
    Make(fs::path(other.path().toStdString()) / "dropped.jpg", 5);
    QMimeData drop;
    drop.setUrls({QUrl::fromLocalFile(other.path() + "/dropped.jpg"), QUrl("file://elsewhere/x.jpg")});
    QVERIFY(form_->Model()->canDropMimeData(&drop, Qt::CopyAction, -1, -1, {}));
    form_->Model()->dropMimeData(&drop, Qt::CopyAction, -1, -1, {});
    QTRY_VERIFY(l.RowOf("dropped.jpg") >= 0);
    QVERIFY(fs::exists(other.path().toStdString() + "/dropped.jpg"));
    // With the link modifier: a link named after the file.
    form_->DropFiles({other.path().toStdString() + "/dropped.jpg"}, Qt::LinkAction);
    QVERIFY(fs::is_symlink(dir_ / "Shortcut to dropped.jpg.LNK"));
  }

  void selectionCommandsAndFind() {
    form_->Action("mnuSelectFiles")->trigger();
    QCOMPARE(form_->SelectedRows().size(), std::size_t(3));
    form_->Action("mnuSelectImages")->trigger();
    QCOMPARE(form_->SelectedRows().size(), std::size_t(2));
    form_->Action("mnuInvert")->trigger();
    QCOMPARE(form_->SelectedRows().size(), std::size_t(2));  // sub and notes.doc
    dialogs_->texts.push_back("NOTES");
    form_->Action("mnuFind")->trigger();
    QCOMPARE(form_->SelectedRows(), std::vector<int>{form_->CurrentListing().RowOf("notes.doc")});
    dialogs_->texts.push_back("zzz");
    form_->Action("mnuFind")->trigger();
    QCOMPARE(ui_->Texts().back(), std::string("No match found for\nzzz"));
  }

  void settingsAndHistorySurviveTheWindow() {
    form_->SetView(ExplorerView::Details);
    form_->Action("mnuSort7")->trigger();
    form_->SetFolder((dir_ / "sub").string());
    form_->close();
    const auto block = settings_.Read(kExplorerWindowValue);
    QVERIFY(block.has_value());
    QCOMPARE(block->size(), kExplorerRecordSize);
    const ExplorerSettings s = DecodeExplorerSettings(std::string(block->begin(), block->end()));
    QCOMPARE(s.view, 3);
    QCOMPARE(s.sortKey, 7);
    form_.reset();
    TFileForm again(*dialogs_, *ui_, *trash_, monitor_, nullptr, &settings_);
    QCOMPARE(again.Folder(), (dir_ / "sub").string());
    QCOMPARE(again.View(), ExplorerView::Details);
    QCOMPARE(again.CurrentListing().Key(), SortKey::Family);
    QVERIFY(again.History().Entries().size() >= 2);
  }

  void treeMenuRenamesCopiesAndRecyclesFolders() {
    Make(dir_ / "sub/inner/deep.jpg");
    form_->SetFolder((dir_ / "sub").string());
    // First child, then rename the folder shown: the list follows it.
    form_->Action("mnuTreeFirstChild")->trigger();
    QCOMPARE(form_->Folder(), (dir_ / "sub/inner").string());
    dialogs_->texts.push_back("renamed");
    form_->Action("mnuTreeRename")->trigger();
    QCOMPARE(form_->Folder(), (dir_ / "sub/renamed").string());
    QVERIFY(fs::exists(dir_ / "sub/renamed/deep.jpg"));
    // Copy the folder into itself: refused; elsewhere: copied.
    dialogs_->folders.push_back((dir_ / "sub/renamed").string());
    form_->Action("mnuTreeCopy")->trigger();
    QCOMPARE(ui_->Texts().back(), std::string("Source (or parent) and destination folders are the same."));
    dialogs_->folders.push_back(dir_.string());
    form_->Action("mnuTreeCopy")->trigger();
    QVERIFY(fs::exists(dir_ / "renamed/deep.jpg"));
    // Delete asks "Recycle folder ..." and moves the folder to the trash; the list steps up.
    ui_->Queue(Button::OK);
    form_->Action("mnuTreeDelete")->trigger();
    QCOMPARE(ui_->Calls().back().text, std::string("Recycle folder \"renamed\" ?"));
    QVERIFY(fs::exists(dir_ / ".trash/renamed/deep.jpg"));
    QCOMPARE(form_->Folder(), (dir_ / "sub").string());
  }

  void aFolderThatCannotBeReadKeepsTheOldOne() {
    QVERIFY(!form_->SetFolder((dir_ / "missing").string()));
    QCOMPARE(form_->Folder(), dir_.string());
    QVERIFY(ui_->Texts().back().rfind("Cannot access drive/folder.", 0) == 0);
  }

  void walkFormChoosesTypedOrTreeFolders() {
    TWalkForm::History().clear();
    TWalkForm walk(WalkMode::CopyTarget, "Copy", dir_.string(), *ui_);
    QCOMPARE(walk.OkButton()->text(), QString("C&opy"));
    walk.PathBox()->setEditText(QString::fromStdString((dir_ / "nowhere").string()));
    walk.btnOkClick();
    QVERIFY(ui_->Texts().back().rfind("Cannot access drive/folder.", 0) == 0);
    QVERIFY(walk.Chosen().empty());
    walk.PathBox()->setEditText(QString::fromStdString((dir_ / "sub").string()));
    walk.btnOkClick();
    QCOMPARE(walk.Chosen(), (dir_ / "sub").string());
    QCOMPARE(walk.result(), int(QDialog::Accepted));
    QCOMPARE(TWalkForm::History(), std::vector<std::string>{(dir_ / "sub").string()});
    // A start folder that is gone: its nearest existing ancestor.
    TWalkForm gone(WalkMode::Choose, "Folder", (dir_ / "gone/deeper").string(), *ui_);
    QCOMPARE(gone.OkButton()->text(), QString("&Ok"));
    QCOMPARE(gone.PathBox()->currentText().toStdString(), dir_.string());
  }

  void thumbnailsComeFromTheSourceWithKindIconsMeanwhile() {
    FakeThumbs thumbs;
    form_->SetThumbnails(&thumbs);
    form_->SetView(ExplorerView::Thumbnails);
    const Listing& l = form_->CurrentListing();
    const QIcon jpg = form_->Model()->index(l.RowOf("a.jpg"), 0).data(Qt::DecorationRole).value<QIcon>();
    const QImage img = jpg.pixmap(jpg.availableSizes().value(0, QSize(8, 6))).toImage();
    QCOMPARE(img.pixelColor(1, 1), QColor(255, 0, 0));
    QCOMPARE(thumbs.asked.back(), (dir_ / "a.jpg").string());
    const QIcon png = form_->Model()->index(l.RowOf("B.png"), 0).data(Qt::DecorationRole).value<QIcon>();
    QCOMPARE(png.cacheKey(), form_->Model()->KindIcon(l.At(l.RowOf("B.png"))).cacheKey());
    // Redo thumbs: nothing selected asks for a selection; else the source forgets them.
    form_->SelectRows({});
    form_->Action("mnuRedoThumbs")->trigger();
    QCOMPARE(ui_->Texts().back(), std::string("Please make a selection to redo thumbnails."));
    form_->SelectRows({l.RowOf("a.jpg")});
    form_->Action("mnuRedoThumbs")->trigger();
    QCOMPARE(thumbs.forgotten, std::vector<std::string>{(dir_ / "a.jpg").string()});
    // Info names the file, its folder and its size.
    form_->Action("mnuInfo")->trigger();
    QVERIFY(ui_->Texts().back().find("Size: 30 bytes") != std::string::npos);
    form_->SetThumbnails(nullptr);
  }

  void showExplorerWindowMakesOneWindowPerOwner() {
    QWidget owner;
    TFileForm* a = ShowExplorerWindow(&owner, {}, &settings_);
    TFileForm* b = ShowExplorerWindow(&owner, {}, &settings_);
    QCOMPARE(a, b);
    QVERIFY(a->isVisible());
    QCOMPARE(a->Folder(), dir_.string());
  }

  void twentyThousandFilesList() {
    const fs::path big = dir_ / "big";
    fs::create_directory(big);
    for (int i = 0; i < 20000; ++i) Make(big / ("p" + std::to_string(i) + ".jpg"), 1);
    QVERIFY(form_->SetFolder(big.string()));
    QCOMPARE(form_->Model()->rowCount(), 20000);
    form_->SetView(ExplorerView::Details);
    form_->DetailsView()->scrollToBottom();
    QCoreApplication::processEvents();
    QVERIFY(form_->DetailsView()->indexAt(QPoint(5, 5)).isValid());
  }

 private:
  QTemporaryDir home_;
  std::unique_ptr<QTemporaryDir> files_;
  fs::path dir_;
  MemorySettingsStore settings_;
  ManualFolderMonitor monitor_;
  std::unique_ptr<FakeDialogs> dialogs_;
  std::unique_ptr<ScriptedUi> ui_;
  std::unique_ptr<FolderTrashShell> trash_;
  std::unique_ptr<TFileForm> form_;
  std::vector<std::string> viewer_;
};

QTEST_MAIN(FileFormTest)
#include "file_form_test.moc"
