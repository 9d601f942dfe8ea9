// Slideshows from the real viewer window: Bookmarks › Run (Ctrl+R), key R and the Instant
// slideshow button play the bookmark list in the full-screen player, Esc brings the viewer
// back on the slide that was showing; an AVL script opened like a picture plays too.
#include <QtTest>

#include <QAction>
#include <QFile>
#include <QScrollArea>
#include <QTemporaryDir>
#include <QTimer>

#include <filesystem>
#include <memory>

#include "app/forms/program.h"
#include "app/program_entry.h"
#include "platform/scripted_ui.h"
#include "platform/settings_store.h"
#include "slideshow/forms/slideshow_player.h"
#include "support/fake_dialogs.h"
#include "viewer/forms/web_form.h"

using namespace pelira;

namespace {

QString Fixture(const char* name) {
  return QString::fromLocal8Bit(qgetenv("PELIRA_FIXTURES")) + "/viewer/" + name;
}

FakeViewerDialogs g_dialogs;
QStringList g_open;

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

std::string Name(const std::string& path) { return std::filesystem::path(path).filename().string(); }

// Watches the player while a show runs (the show is a nested loop inside the command): notes
// what it shows and presses Esc once the slide named stopAt is up.
struct Watcher {
  Watcher(TWebForm& form, QString stopAt) : form(form), stopAt(std::move(stopAt)) {
    timer.setInterval(5);
    QObject::connect(&timer, &QTimer::timeout, [this] { Look(); });
    timer.start();
  }
  void Look() {
    auto* player = form.findChild<TSlideshowPlayer*>();
    if (!player || !player->isVisible()) return;
    fullScreen = fullScreen && (player->windowState() & Qt::WindowFullScreen);
    viewerRunning = viewerRunning && form.State().SlideshowRunning;
    const QString t = player->windowTitle();
    if (!t.startsWith("Slide ")) return;  // no slide up yet
    if (titles.isEmpty() || titles.back() != t) titles << t;
    if (t.startsWith(stopAt) && !pressed) {
      pressed = true;
      if (closeViewer) {
        closeRefused = !form.close();
      } else {
        QTest::keyClick(player, Qt::Key_Escape);
      }
    }
  }
  TWebForm& form;
  QString stopAt;
  QTimer timer;
  QStringList titles;
  bool fullScreen = true, viewerRunning = true, pressed = false;
  bool closeViewer = false, closeRefused = false;  // close the viewer instead of Esc
};

}  // namespace

class WebFormSlideshowTest : public QObject {
  Q_OBJECT
private slots:
  void init() {
    ui_ = std::make_unique<ScriptedUi>();
    SetCurrentUi(ui_.get());
    g_dialogs = FakeViewerDialogs{};
    g_dialogs.open = [](QWidget*, const QString&, const QString&) { return g_open; };
    QVERIFY(dir_.isValid());
    files_.clear();
    for (const char* f : {"gradient_24.bmp", "palette_8.bmp", "palette_4.bmp"}) {
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

  void theBookmarkListPlaysAndEscReturns_data() {
    QTest::addColumn<QString>("how");
    QTest::newRow("Ctrl+R") << "ctrl+r";
    QTest::newRow("key R") << "r";
    QTest::newRow("Instant slideshow button") << "button";
  }
  void theBookmarkListPlaysAndEscReturns() {
    QFETCH(QString, how);
    MemorySettingsStore store;
    Start run(store);
    run.Show();
    g_open = files_;
    run.form->BtnOpenClick();
    ui_->Clear();
    QCOMPARE(run.form->Bookmarks().Count(), std::size_t(3));
    QVERIFY(run.form->Action("mnuBookmarksRun")->isEnabled());
    Watcher watch(*run.form, "Slide 2 of 3");
    QWidget* view = run.form->ScrollBox();
    view->setFocus();
    if (how == "ctrl+r") QTest::keyClick(view, Qt::Key_R, Qt::ControlModifier);
    if (how == "r") QTest::keyClick(view, Qt::Key_R);
    if (how == "button") run.form->Action("btnPath2")->trigger();
    // The command returns when the show has ended.
    QVERIFY(watch.pressed);
    QVERIFY(watch.fullScreen);
    QVERIFY(watch.viewerRunning);
    QCOMPARE(watch.titles.front(), QString::fromStdString("Slide 1 of 3 \n " + run.form->Bookmarks().Entries()[0]));
    QCOMPARE(watch.titles.back().left(12), QString("Slide 2 of 3"));
    QVERIFY(!run.form->findChild<TSlideshowPlayer*>());
    QVERIFY(!run.form->State().SlideshowRunning);
    QVERIFY(ui_->Texts().empty());
    // The viewer comes back on the slide that was showing.
    QCOMPARE(run.form->Bookmarks().Index(), std::size_t(1));
    QCOMPARE(run.form->State().CurrentFile, run.form->Bookmarks().Entries()[1]);
  }

  void closingTheViewerStopsTheShowAndClosesAfterIt() {
    MemorySettingsStore store;
    Start run(store);
    run.Show();
    g_open = files_;
    run.form->BtnOpenClick();
    ui_->Clear();
    Watcher watch(*run.form, "Slide 1 of 3");
    watch.closeViewer = true;
    run.form->Action("mnuBookmarksRun")->trigger();
    QVERIFY(watch.pressed);
    QVERIFY(watch.closeRefused);  // not while the show plays
    QVERIFY(!run.form->findChild<TSlideshowPlayer*>());
    QTRY_VERIFY(!run.form->isVisible());
  }

  void oneBookmarkAsksForMore() {
    MemorySettingsStore store;
    Start run(store);
    run.Show();
    g_open = {files_[0]};
    run.form->BtnOpenClick();
    ui_->Clear();
    QVERIFY(!run.form->Action("mnuBookmarksRun")->isEnabled());
    ui_->Queue(Button::No);
    QTest::keyClick(run.form->ScrollBox(), Qt::Key_R);
    QCOMPARE(ui_->Texts(), std::vector<std::string>{
                               "Two or more slides are required for slideshow.\nShow help regarding multiple file "
                               "selection?"});
    QCOMPARE(Name(run.form->State().CurrentFile), std::string("gradient_24.bmp"));
  }

  void anOpenedScriptPlaysAndLeavesTheBlankPicture() {
    const std::string d = dir_.path().toStdString() + "/";
    const std::string script =
        "[Header]\r\nVer=11\r\n@N=\r\n@V=\r\n@R=\r\n@D=\r\n@C=\r\nRUN=2\r\nTHMREC=\r\nN=4\r\n\r\n"
        "[Directory]\r\n0=" + d + "\r\n\r\n"
        "[1]\r\nF=gradient_24.bmp,0\r\n\r\n[2]\r\nF=palette_8.bmp,0\r\n\r\n[3]\r\nF=palette_4.bmp,0\r\n\r\n";
    QFile f(dir_.filePath("show.avl"));
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(script.data(), static_cast<qint64>(script.size()));
    f.close();
    MemorySettingsStore store;
    Start run(store);
    run.Show();
    QCoreApplication::processEvents();  // the first run's welcome box
    ui_->Clear();
    Watcher watch(*run.form, "Slide 1 of 3");
    g_open = {f.fileName()};
    run.form->BtnOpenClick();
    QVERIFY(watch.pressed);
    // RUN=2: slides 2 and 3 first, then round to 1.
    QCOMPARE(watch.titles, (QStringList{"Slide 2 of 3 \n palette_8.bmp", "Slide 3 of 3 \n palette_4.bmp",
                                        "Slide 1 of 3 \n gradient_24.bmp"}));
    QVERIFY(ui_->Texts().empty());
    QCOMPARE(run.form->windowTitle(), QString("Untitled - Pelira 7.7"));
  }

  void aCommandLineScriptPlaysFullScreenAndEndsTheProgram() {
    const std::string d = dir_.path().toStdString() + "/";
    const std::string script = "[Header]\r\nN=3\r\n[Directory]\r\n0=" + d +
                               "\r\n[1]\r\nF=gradient_24.bmp,0\r\n[2]\r\nF=palette_8.bmp,0\r\n";
    QFile f(dir_.filePath("cmd.avl"));
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(script.data(), static_cast<qint64>(script.size()));
    f.close();
    MemorySettingsStore store;
    StoredSettings settings = ProgramEntry(store, false, 800).settings;
    settings.viewer.alwaysFullScreen = false;  // the command line plays full screen all the same
    TWebForm form(store, settings, StartupFromArguments(QStringList{"pelira", f.fileName()}));
    form.SetDialogs(g_dialogs);
    Watcher watch(form, "Slide 2 of 2");
    form.show();
    QTRY_VERIFY_WITH_TIMEOUT(watch.pressed, 30000);
    QVERIFY(watch.fullScreen);
    // The show over, the window closes (the program ends with it).
    QTRY_VERIFY_WITH_TIMEOUT(!form.isVisible(), 30000);
    QVERIFY(!form.State().SlideshowRunning);
  }

private:
  std::unique_ptr<ScriptedUi> ui_;
  QTemporaryDir dir_;
  QStringList files_;
};

QTEST_MAIN(WebFormSlideshowTest)
#include "web_form_slideshow_test.moc"
