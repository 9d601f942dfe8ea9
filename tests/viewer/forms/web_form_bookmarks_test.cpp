// The bookmark list and Save as in the real viewer window: stepping with the keys, the
// wheel and the buttons, dropping missing files, the question before a modified picture is
// left, unmarking, the list dialog, bookmark files, and saves through the dialog seam, with
// overwrite questions and the batch mode of scripts.
#include <QtTest>

#include <QAction>
#include <QLineEdit>
#include <QListView>
#include <QScrollArea>
#include <QTemporaryDir>

#include <filesystem>
#include <set>
#include <memory>

#include "app/forms/program.h"
#include "album/forms/show_form.h"
#include "album/album_store.h"
#include "app/program_entry.h"
#include "common/app_paths.h"
#include "display/forms/pix.h"
#include "platform/scripted_ui.h"
#include "support/fake_dialogs.h"
#include "platform/settings_store.h"
#include "viewer/close_now.h"
#include "viewer/forms/list_dlg.h"
#include "viewer/forms/save_dialog.h"
#include "viewer/forms/web_form.h"

using namespace pelira;

namespace {

QString Fixture(const char* name) {
  return QString::fromLocal8Bit(qgetenv("PELIRA_FIXTURES")) + "/viewer/" + name;
}

// The window's dialogs: every start hands the window this fake.
FakeViewerDialogs g_dialogs;

struct Start {
  explicit Start(SettingsStore& store)
      : settings(ProgramEntry(store, false, 800).settings),
        form(std::make_unique<TWebForm>(store, settings, StartupFromArguments(QStringList{"pelira"}))) {
    form->SetDialogs(g_dialogs);
  }
  void Show() {
    form->show();
    QVERIFY(QTest::qWaitForWindowExposed(form.get()));
    QTRY_VERIFY(form->FirstActivationDone());
  }
  StoredSettings settings;
  std::unique_ptr<TWebForm> form;
};

QStringList g_open;
std::vector<std::optional<SaveChoice>> g_saveAnswers;
int g_saveDialogs = 0;
QString g_plpAnswer;

std::string Name(const std::string& path) { return std::filesystem::path(path).filename().string(); }

}  // namespace

class WebFormBookmarksTest : public QObject {
  Q_OBJECT
private slots:
  void init() {
    ui_ = std::make_unique<ScriptedUi>();
    SetCurrentUi(ui_.get());
    ClearSilencedQuestions();
    g_dialogs = FakeViewerDialogs{};
    g_dialogs.open = [](QWidget*, const QString&, const QString&) { return g_open; };
    g_saveAnswers.clear();
    g_saveDialogs = 0;
    g_dialogs.save = [](QWidget*, const SaveDialogSetup&) -> std::optional<SaveChoice> {
      ++g_saveDialogs;
      if (g_saveAnswers.empty()) return std::nullopt;
      auto a = g_saveAnswers.front();
      g_saveAnswers.erase(g_saveAnswers.begin());
      return a;
    };
    g_dialogs.bookmarkFile = [](QWidget*, bool, const QString&) { return g_plpAnswer; };
    QVERIFY(dir_.isValid());
    files_.clear();
    for (const char* f : {"gradient_24.bmp", "palette_8.bmp", "palette_4.bmp", "mono_1.bmp"}) {
      const QString to = dir_.filePath(f);
      QFile::remove(to);
      QVERIFY(QFile::copy(Fixture(f), to));
      files_ << to;
    }
  }
  void cleanup() {
    SetCurrentUi(nullptr);
    ui_.reset();
  }

  // Opens the four copies at once: the first is shown, the rest join the list.
  void OpenAll(Start& run) {
    run.Show();
    g_open = files_;
    run.form->BtnOpenClick();
    ui_->Clear();
    QCOMPARE(run.form->Bookmarks().Count(), std::size_t(4));
  }

  std::string Current(Start& run) { return Name(run.form->State().CurrentFile); }

  void keysStepThroughTheListAndWrap() {
    MemorySettingsStore store;
    Start run(store);
    OpenAll(run);
    QWidget* view = run.form->ScrollBox();
    view->setFocus();
    struct Step { Qt::Key key; const char* shown; };
    const Step steps[] = {
        {Qt::Key_PageDown, "palette_8.bmp"}, {Qt::Key_Right, "palette_4.bmp"}, {Qt::Key_Right, "mono_1.bmp"},
        {Qt::Key_Right, "gradient_24.bmp"},  // wraps to the first
        {Qt::Key_Left, "mono_1.bmp"},        // and back to the last
        {Qt::Key_PageUp, "palette_4.bmp"},   {Qt::Key_Home, "gradient_24.bmp"}, {Qt::Key_End, "mono_1.bmp"},
    };
    for (const Step& s : steps) {
      QTest::keyClick(view, s.key);
      QCOMPARE(Current(run), std::string(s.shown));
      QCOMPARE(Name(run.form->findChild<QLineEdit*>()->text().toStdString()), std::string(s.shown));
    }
    QVERIFY(ui_->Texts().empty());
    QVERIFY(run.form->Action("btnNext")->isEnabled());
    run.form->Action("btnBack")->trigger();
    QCOMPARE(Current(run), std::string("palette_4.bmp"));
  }

  void wheelStepsWhenItsSettingIsOn() {
    MemorySettingsStore store;
    Start run(store);
    OpenAll(run);
    QWidget* vp = run.form->ScrollBox()->viewport();
    QWheelEvent down(QPointF(5, 5), vp->mapToGlobal(QPointF(5, 5)), {}, QPoint(0, -120), Qt::NoButton, Qt::NoModifier,
                     Qt::NoScrollPhase, false);
    QApplication::sendEvent(vp, &down);
    QCOMPARE(Current(run), std::string("palette_8.bmp"));
    // A touchpad's small deltas: one step for each whole notch they add up to.
    auto roll = [&](int dy) {
      QWheelEvent e(QPointF(5, 5), vp->mapToGlobal(QPointF(5, 5)), {}, QPoint(0, dy), Qt::NoButton, Qt::NoModifier,
                    Qt::ScrollUpdate, false);
      QApplication::sendEvent(vp, &e);
    };
    for (int i = 0; i < 11; ++i) roll(-10);
    QCOMPARE(Current(run), std::string("palette_8.bmp"));  // 110: not yet a notch
    roll(-10);
    QCOMPARE(Current(run), std::string("palette_4.bmp"));
    for (int i = 0; i < 24; ++i) roll(10);  // two notches back
    QCOMPARE(Current(run), std::string("gradient_24.bmp"));
  }

  void aMissingFileIsDroppedAndItsSuccessorShown() {
    MemorySettingsStore store;
    Start run(store);
    OpenAll(run);
    QVERIFY(QFile::remove(files_[1]));
    run.form->BookmarkStep(1);
    QCOMPARE(Current(run), std::string("palette_4.bmp"));
    QCOMPARE(run.form->Bookmarks().Count(), std::size_t(3));
    QVERIFY(ui_->Texts().empty());
  }

  void leavingAModifiedPictureAsksFirst() {
    MemorySettingsStore store;
    Start run(store);
    OpenAll(run);
    run.form->State().ImageModified = true;
    ui_->Queue(Button::No);
    run.form->BookmarkStep(1);
    QCOMPARE(Current(run), std::string("gradient_24.bmp"));
    QCOMPARE(run.form->Bookmarks().Index(), std::size_t(0));
    QCOMPARE(ui_->Texts().back(), std::string(kDiscardImageText));
    ui_->Queue(Button::Yes);
    run.form->BookmarkStep(1);
    QCOMPARE(Current(run), std::string("palette_8.bmp"));
    // Inside a script nothing is asked.
    run.form->State().ImageModified = true;
    ui_->Clear();
    {
      OperationScope script;
      run.form->BookmarkStep(1);
    }
    QCOMPARE(Current(run), std::string("palette_4.bmp"));
    QVERIFY(ui_->Texts().empty());
  }

  void unmarkAsksUnlessIgnoredAndLeavesTheFile() {
    MemorySettingsStore store;
    Start run(store);
    OpenAll(run);
    run.form->BookmarkStep(1);  // palette_8 current
    ui_->Queue(Button::Cancel);
    QTest::keyClick(run.form->ScrollBox(), Qt::Key_U);
    QCOMPARE(run.form->Bookmarks().Count(), std::size_t(4));
    QCOMPARE(ui_->Texts().back(), std::string("Remove bookmark for palette_8.bmp ?\n[Ignore] avoids this dialog (for experts)."));
    ui_->Queue(Button::Ignore);
    QTest::keyClick(run.form->ScrollBox(), Qt::Key_U);
    QCOMPARE(run.form->Bookmarks().Count(), std::size_t(3));
    QCOMPARE(Current(run), std::string("palette_4.bmp"));
    QVERIFY(QFile::exists(files_[1]));
    const std::size_t asked = ui_->Texts().size();
    run.form->mnuUnmarkClick();  // silenced now
    QCOMPARE(ui_->Texts().size(), asked);
    QCOMPARE(Current(run), std::string("mono_1.bmp"));
  }

  void listDialogDeletesSortsAndChoosesTheCurrentEntry() {
    MemorySettingsStore store;
    Start run(store);
    OpenAll(run);
    run.form->Bookmarks().Append(dir_.filePath("gone.bmp").toStdString());
    bool ran = false;
    g_dialogs.list = [&](TListDlg& d) {
      ran = true;
      if (d.windowTitle() != "Bookmarked Files") return false;
      if (d.StatusText() != "  Selected item 1 of 5") return false;
      d.SelectRow(1);
      QTest::keyClick(d.View(), Qt::Key_Delete);  // palette_8 goes
      if (d.StatusText() != "  Selected item 2 of 4") return false;
      d.SortAll();  // the missing file goes; names in folded order
      if (d.Entries().size() != 3) return false;
      d.SelectRow(2);
      return true;
    };
    run.form->mnuBookmarksViewClick();
    QVERIFY(ran);
    const auto& e = run.form->Bookmarks().Entries();
    QCOMPARE(e.size(), std::size_t(3));
    QCOMPARE(Name(e[0]), std::string("gradient_24.bmp"));
    QCOMPARE(Name(e[1]), std::string("mono_1.bmp"));
    QCOMPARE(Name(e[2]), std::string("palette_4.bmp"));
    QCOMPARE(Current(run), std::string("palette_4.bmp"));
    g_dialogs.list = {};
  }

  void bookmarkFileRoundTripAndAFailedLoad() {
    MemorySettingsStore store;
    Start run(store);
    OpenAll(run);
    g_plpAnswer = dir_.filePath("list");  // the extension is added
    run.form->mnuBookmarksSaveClick();
    QFile f(dir_.filePath("list.plp"));
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(f.readAll(), (files_.join("\r\n") + "\r\n").toUtf8());
    run.form->mnuBookmarksClearClick();
    QCOMPARE(run.form->Bookmarks().Count(), std::size_t(0));
    QCOMPARE(run.form->State().CurrentFile, std::string(kUntitled));
    QVERIFY(!run.form->Action("btnNext")->isEnabled());
    g_plpAnswer = dir_.filePath("list.plp");
    run.form->mnuBookmarksLoadClick();
    QCOMPARE(run.form->Bookmarks().Count(), std::size_t(4));
    QCOMPARE(Current(run), std::string("gradient_24.bmp"));
    g_plpAnswer = dir_.filePath("nothing.plp");
    run.form->mnuBookmarksLoadClick();
    QCOMPARE(run.form->Bookmarks().Count(), std::size_t(0));
    QCOMPARE(ui_->Texts().back(), std::string("Could not load bookmarks."));
  }

  void saveAsCompletesTheNameAsksBeforeOverwritingAndMarksTheFile() {
    MemorySettingsStore store;
    Start run(store);
    OpenAll(run);
    run.form->State().ImageModified = true;
    const std::string typed = dir_.filePath("copy.tif").toStdString();
    g_saveAnswers = {SaveChoice{typed, 3, 50, false}};
    run.form->Action("mnuSaveAs")->trigger();
    const std::string png = dir_.filePath("copy.png").toStdString();
    QVERIFY(QFile::exists(QString::fromStdString(png)));
    QCOMPARE(run.form->State().CurrentFile, png);
    QVERIFY(!run.form->State().ImageModified);
    QCOMPARE(run.form->Bookmarks().Current(), png);
    QCOMPARE(run.form->windowTitle(), QString("copy.png - Pelira 7.7"));

    // Over the same file: No opens the dialog again, Cancel ends.
    g_saveDialogs = 0;
    g_saveAnswers = {SaveChoice{png, 3, 50, false}, SaveChoice{png, 3, 50, false}};
    ui_->Queue(Button::No);
    ui_->Queue(Button::Cancel);
    run.form->mnuSaveClick();
    QCOMPARE(g_saveDialogs, 2);
    QCOMPARE(ui_->Texts().back(), std::string("copy.png exists.\nOverwrite?"));
  }

  void batchSavesShowNoDialogForAnyType() {
    MemorySettingsStore store;
    Start run(store);
    OpenAll(run);
    // The first SAVE of a script chose the type; later ones show nothing.
    g_saveAnswers = {SaveChoice{dir_.filePath("first.tga").toStdString(), 6, 50, true}};
    run.form->mnuSaveClick(true);
    QCOMPARE(g_saveDialogs, 1);
    run.form->SetBatchMark(true, "_b");
    ui_->Clear();
    OperationScope script;
    for (int i = 0; i < 4; ++i) {
      run.form->BookmarkStep(1);
      run.form->mnuSaveClick(true);
    }
    QCOMPARE(g_saveDialogs, 1);
    QVERIFY(ui_->Texts().empty());
    for (const char* n : {"gradient_24_b.tga", "palette_8_b.tga", "palette_4_b.tga", "mono_1_b.tga"})
      QVERIFY2(QFile::exists(dir_.filePath(n)), n);
    // A batch save leaves the current file and the list alone.
    QCOMPARE(run.form->Bookmarks().Count(), std::size_t(4));
  }

  void pathBoxOpensFilesAndRefusesTheRest() {
    MemorySettingsStore store;
    Start run(store);
    OpenAll(run);
    auto* box = run.form->findChild<QLineEdit*>();
    const std::string shown = run.form->State().CurrentFile;
    struct Case { QString text; bool opens; const char* warning; };
    const Case cases[] = {
        {dir_.filePath("nothing.bmp"), false, "File not found."},
        {dir_.filePath("PALETTE_8.BMP"), false, "File not found."},  // another name on this system
        {dir_.path(), false, nullptr},                                // folders are left to the explorer
        {files_[2], true, nullptr},
    };
    for (const Case& c : cases) {
      ui_->Clear();
      box->setFocus();
      box->setText(c.text);
      QTest::keyClick(box, Qt::Key_Return);
      if (c.opens) {
        QCOMPARE(run.form->State().CurrentFile, c.text.toStdString());
        QCOMPARE(run.form->Bookmarks().Current(), c.text.toStdString());
      } else {
        QCOMPARE(run.form->State().CurrentFile, shown);
        QCOMPARE(box->text(), QString::fromStdString(shown));
      }
      if (c.warning) QCOMPARE(ui_->Texts(), std::vector<std::string>{c.warning});
      else QVERIFY(ui_->Texts().empty());
    }
  }

  void builtCommandsAreEnabled() {
    MemorySettingsStore store;
    Start run(store);
    OpenAll(run);
    for (const char* name : {"mnuSaveAs", "btnPath1", "btnNext", "btnBack", "mnuBookmarksView", "mnuUnmark",
                             "mnuBookmarksSort", "mnuMoveUp", "mnuBookmarksSave", "mnuBookmarksLoad"})
      QVERIFY2(run.form->Action(name)->isEnabled(), name);
  }

  // Every opened file gets a link in the recent folder, unless the setting is off.
  void openedFilesAreRecordedAsRecentLinks() {
    namespace fs = std::filesystem;
    // A program folder of its own: other tests open files too.
    QTemporaryDir home;
    const QByteArray oldHome = qgetenv("PELIRA_HOME");
    qputenv("PELIRA_HOME", home.path().toLocal8Bit());
    struct Restore {
      QByteArray old;
      ~Restore() { qputenv("PELIRA_HOME", old); }
    } restore{oldHome};
    auto targets = [] {
      std::set<std::string> out;
      std::error_code e;
      for (const auto& entry : fs::directory_iterator(AppPaths::Recent(), e))
        if (entry.is_symlink()) out.insert(fs::read_symlink(entry.path()).string());
      return out;
    };
    MemorySettingsStore store;
    Start run(store);
    OpenAll(run);
    QCOMPARE(targets(), std::set<std::string>{files_[0].toStdString()});
    run.form->Action("btnNext")->trigger();
    QCOMPARE(targets(), (std::set<std::string>{files_[0].toStdString(), files_[1].toStdString()}));
    run.settings.viewer.logVisitedFolders = 0;
    run.form->Action("btnNext")->trigger();
    QCOMPARE(targets().size(), std::size_t{2});
  }

  // Bookmarks › Album hands the list to the slide album in its own order; one entry is
  // not a list worth an album.
  void albumTakesTheListInItsOrder() {
    MemorySettingsStore store;
    Start run(store);
    OpenAll(run);
    QAction* item = run.form->Action("mnuBookmarksAlbum");
    QVERIFY(item && item->isEnabled());
    item->trigger();
    auto* album = run.form->findChild<TShowForm*>(QString(), Qt::FindDirectChildrenOnly);
    QVERIFY(album);
    QVERIFY(album->isVisible());
    std::vector<std::string> slides;
    for (std::size_t i = 0; i < album->Store().Count(); ++i)
      slides.push_back(album->Store().SlideFullPath(album->Store().At(i)).value_or("?"));
    QCOMPARE(slides, run.form->Bookmarks().Entries());
    album->close();

    run.form->Bookmarks().Assign({files_[0].toStdString()});
    run.form->HistoryControls();
    QVERIFY(!item->isEnabled());
  }

private:
  std::unique_ptr<ScriptedUi> ui_;
  QTemporaryDir dir_;
  QStringList files_;
};

QTEST_MAIN(WebFormBookmarksTest)
#include "web_form_bookmarks_test.moc"
