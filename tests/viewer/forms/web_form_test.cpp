// The viewer window driven as the program drives it: start-up with and without a file, the
// open command behind its dialog seam, caption and status panels, zoom, fit, sizing to the
// picture, settings written at close and read at the next start, and the close question.
#include <QtTest>

#include <QAction>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QUrl>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QScrollArea>
#include <QSpinBox>
#include <QStatusBar>
#include <QTemporaryDir>

#include <cmath>
#include <memory>

#include "app/forms/program.h"
#include "app/program_entry.h"
#include "app/viewer_settings.h"
#include "display/forms/pix.h"
#include "engine/dialogs/filter_preview_dialog.h"
#include "engine/dialogs/resize_form.h"
#include "engine/dialogs/scroll_dialog.h"
#include "platform/qt/help_window.h"
#include "platform/scripted_ui.h"
#include "support/fake_dialogs.h"
#include "support/test_pictures.h"
#include "platform/settings_store.h"
#include "viewer/close_now.h"
#include "viewer/forms/save_dialog.h"
#include "image/image_loader.h"
#include "batch/forms/batch_form.h"
#include "viewer/forms/script_control.h"
#include "viewer/forms/web_form.h"

using namespace pelira;

namespace {

QString Fixture(const char* name) {
  return QString::fromLocal8Bit(qgetenv("PELIRA_FIXTURES")) + "/viewer/" + name;
}

// The window's dialogs: every start hands the window this fake.
FakeViewerDialogs g_dialogs;

// One start of the program over a settings store that outlives it, as the real store does.
struct Start {
  Start(SettingsStore& store, const QStringList& args = {})
      : settings(ProgramEntry(store, false, 800).settings),
        form(std::make_unique<TWebForm>(store, settings, StartupFromArguments(QStringList{"pelira"} + args))) {
    form->SetDialogs(g_dialogs);
  }

  // Shows the window and waits for the first activation (and a deferred open, when one runs).
  void Show() {
    form->show();
    QVERIFY(QTest::qWaitForWindowExposed(form.get()));
    QTRY_VERIFY(form->FirstActivationDone());
    // The welcome box of a first run is queued behind the activation: let it come now.
    QCoreApplication::processEvents();
  }

  StoredSettings settings;
  std::unique_ptr<TWebForm> form;
};

bool ShowsWelcome(const ScriptedUi& ui) {
  for (const std::string& t : ui.Texts())
    if (t == kWelcomeText) return true;
  return false;
}

QStringList g_dialogAnswer;
using test::SamePixels;

}  // namespace

class WebFormTest : public QObject {
  Q_OBJECT
private slots:
  void init() {
    ui_ = std::make_unique<ScriptedUi>();
    SetCurrentUi(ui_.get());
    g_dialogAnswer.clear();
    g_dialogs = FakeViewerDialogs{};
    g_dialogs.open = [](QWidget*, const QString&, const QString& filter) {
      filters_ = filter;
      return g_dialogAnswer;
    };
  }
  void cleanup() {
    ClearSilencedQuestions();
    SetCurrentUi(nullptr);
    ui_.reset();
  }

  void captionAtCreationThenUntitledWithTheBlankPicture() {
    MemorySettingsStore store;
    Start run(store);
    QCOMPARE(run.form->windowTitle(), QString("Pelira 7.7"));
    run.Show();
    QCOMPARE(run.form->windowTitle(), QString("Untitled - Pelira 7.7"));
    QCOMPARE(run.form->StatusPanelText(0), QString("Ready."));
    QCOMPARE(run.form->StatusPanelText(2), QString("32x32(24) dib"));
    QTRY_VERIFY(ShowsWelcome(*ui_));
  }

  void commandLineJpegShowsAtOnceUnderTheWelcome() {
    MemorySettingsStore store;
    Start run(store, {Fixture("photo.jpg")});
    run.Show();
    QCOMPARE(run.form->windowTitle(), QString("photo.jpg - Pelira 7.7"));
    QCOMPARE(run.form->StatusPanelText(2), QString("640x427(24) dib"));
    QCOMPARE(run.form->Sky95()->Bitmap().Width(), 640);
    QTRY_VERIFY(ShowsWelcome(*ui_));
    // A first run switches window sizing off (and keeps it off in the record).
    QVERIFY(!run.form->Settings().autoSize);
    QVERIFY(!run.form->Settings().autoCenter);
  }

  void commandLineBmpOpensAfterTheDeferredTimer() {
    MemorySettingsStore store;
    Start run(store, {Fixture("gradient_24.bmp")});
    run.Show();
    // Not a JPEG: the file waits for the one-shot timer.
    QVERIFY(!run.form->State().ImageLoaded || run.form->State().ImageWidth != 64);
    QTRY_COMPARE(run.form->windowTitle(), QString("gradient_24.bmp - Pelira 7.7"));
    QCOMPARE(run.form->StatusPanelText(2), QString("64x48(24) dib"));
    QCOMPARE(run.form->StatusPanelText(0), QString("Ready."));
  }

  void secondStartShowsThePictureAloneWithTheStoredSettings() {
    MemorySettingsStore store;
    {
      Start first(store, {Fixture("photo.jpg")});
      first.Show();
      QTRY_VERIFY(ShowsWelcome(*ui_));
      first.form->mnuFitClick();
      QVERIFY(first.form->close());
    }
    const auto record = store.Read(kViewerSettingsValue);
    QVERIFY(record.has_value());
    QCOMPARE(record->size(), kViewerSettingsSize);
    ui_->Clear();

    Start second(store, {Fixture("photo.jpg")});
    QVERIFY(second.settings.ViewerSettingsFound);
    QVERIFY(second.settings.viewer.fitMode);
    second.Show();
    QCOMPARE(second.form->windowTitle(), QString("photo.jpg - Pelira 7.7"));
    QCOMPARE(second.form->StatusPanelText(1), QString("Fit"));
    QTest::qWait(50);
    QVERIFY(!ShowsWelcome(*ui_));
    QVERIFY(ui_->Texts().empty());
  }

  void openCommandGoesThroughTheDialog() {
    MemorySettingsStore store;
    Start run(store);
    run.Show();
    g_dialogAnswer = {Fixture("palette_8.bmp")};
    run.form->Action("mnuOpen")->trigger();
    QCOMPARE(run.form->windowTitle(), QString("palette_8.bmp - Pelira 7.7"));
    QCOMPARE(run.form->StatusPanelText(2), QString("40x30(8) dib"));
    QVERIFY(filters_.startsWith("All validated formats ("));
    QVERIFY(run.form->Action("mnuReload")->isEnabled());
    // A cancelled dialog leaves the picture as it was.
    g_dialogAnswer.clear();
    run.form->Action("mnuOpen")->trigger();
    QCOMPARE(run.form->windowTitle(), QString("palette_8.bmp - Pelira 7.7"));
  }

  void brokenFileLeavesTheBlankPicture() {
    MemorySettingsStore store;
    Start run(store);
    run.Show();
    g_dialogAnswer = {Fixture("gradient_24.bmp")};
    run.form->BtnOpenClick();
    g_dialogAnswer = {Fixture("broken.bmp")};
    run.form->BtnOpenClick();
    QCOMPARE(run.form->windowTitle(), QString("Untitled - Pelira 7.7"));
    QCOMPARE(run.form->StatusPanelText(2), QString("32x32(24) dib"));
  }

  void mediaFilesSayPlaybackIsMissingAndShowTheBlankPicture_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("text");
    QTest::newRow("sound") << "song.mp3" << "song.mp3\nMedia playback is not available in this version.";
    QTest::newRow("video") << "clip.avi" << "clip.avi\nMedia playback is not available in this version.";
    QTest::newRow("script without slides") << "show.avl" << "Bad AVL file.";
  }
  void mediaFilesSayPlaybackIsMissingAndShowTheBlankPicture() {
    QFETCH(QString, name);
    QFETCH(QString, text);
    QTemporaryDir dir;
    QFile f(dir.filePath(name));
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write("RIFF");
    f.close();
    MemorySettingsStore store;
    Start run(store);
    run.Show();
    g_dialogAnswer = {Fixture("gradient_24.bmp")};
    run.form->BtnOpenClick();
    ui_->Clear();
    g_dialogAnswer = {f.fileName()};
    run.form->BtnOpenClick();
    QCOMPARE(ui_->Texts(), std::vector<std::string>{text.toStdString()});
    QCOMPARE(run.form->windowTitle(), QString("Untitled - Pelira 7.7"));
    QCOMPARE(run.form->StatusPanelText(2), QString("32x32(24) dib"));
    QVERIFY(!run.form->State().MediaMode);
  }

  void zoomStepsAndKeysResizeThePicture() {
    MemorySettingsStore store;
    Start run(store);
    run.Show();
    g_dialogAnswer = {Fixture("gradient_24.bmp")};
    run.form->BtnOpenClick();
    TWebForm& f = *run.form;
    QCOMPARE(f.StatusPanelText(1), QString("100%"));
    QCOMPARE(f.Sky95()->size(), QSize(64, 48));
    struct Step { const char* action; int key; QString panel; QSize size; };
    const Step steps[] = {
        {"btnZoomUp", 0, "125%", {80, 60}},  {"btnZoomUp", 0, "150%", {96, 72}},
        {"btnZoomDown", 0, "125%", {80, 60}}, {nullptr, Qt::Key_2, "25%", {16, 12}},
        {"btnZoomDown", 0, "25%", {16, 12}},  // the least zoom stays
        {nullptr, Qt::Key_5, "50%", {32, 24}}, {nullptr, Qt::Key_7, "75%", {48, 36}},
    };
    for (const Step& s : steps) {
      if (s.action) f.Action(s.action)->trigger();
      else QTest::keyClick(f.ScrollBox(), static_cast<Qt::Key>(s.key));
      QCOMPARE(f.StatusPanelText(1), s.panel);
      QCOMPARE(f.Sky95()->size(), s.size);
    }
    for (int i = 0; i < 40; ++i) f.btnZoomUpClick();
    QCOMPARE(f.State().Zoom, 800);  // the greatest zoom stays
    QCOMPARE(f.Sky95()->size(), QSize(512, 384));
  }

  void fitModeFitsThePictureToTheViewport() {
    MemorySettingsStore store;
    Start run(store);
    run.Show();
    TWebForm& f = *run.form;
    g_dialogAnswer = {Fixture("photo.jpg")};
    f.BtnOpenClick();
    QVERIFY(!f.State().FitMode);
    f.Action("mnuFitWindow")->trigger();
    QVERIFY(f.State().FitMode);
    QCOMPARE(f.StatusPanelText(1), QString("Fit"));
    QVERIFY(!f.Action("btnZoomUp")->isEnabled());
    QVERIFY(f.Action("btnFit")->isChecked());

    for (const QSize& client : {QSize(500, 520), QSize(700, 380), QSize(620, 700)}) {
      f.resize(client);
      QTRY_COMPARE(f.size(), client);
      const QSize view(f.width(), f.ViewportHeight());
      const QSize pic = f.Sky95()->size();
      // Inside the viewport, touching it on one side, with the picture's proportions.
      QVERIFY2(pic.width() <= view.width() && pic.height() <= view.height(), qPrintable(QString("%1x%2 in %3x%4").arg(pic.width()).arg(pic.height()).arg(view.width()).arg(view.height())));
      QVERIFY(pic.width() == view.width() || pic.height() == view.height());
      QVERIFY(qAbs(pic.width() * 427 - pic.height() * 640) <= 640);
      // Centred in the viewport.
      const QPoint at = f.Sky95()->mapTo(f.ScrollBox(), QPoint(0, 0));
      QVERIFY(qAbs(at.x() - (view.width() - pic.width()) / 2) <= 1);
      QVERIFY(qAbs(at.y() - (view.height() - pic.height()) / 2) <= 1);
    }
    // Leaving fit mode shows the picture at 100 % again.
    f.Action("mnuFitWindow")->trigger();
    QCOMPARE(f.StatusPanelText(1), QString("100%"));
    QCOMPARE(f.Sky95()->size(), QSize(640, 427));
  }

  // Adjust › Viewport: the dialog offers the viewport as it is; the chosen size becomes the
  // viewport, fit mode is left; Cancel changes nothing.
  void customViewportSizesTheClientArea() {
    MemorySettingsStore store;
    Start run(store);
    run.Show();
    TWebForm& f = *run.form;
    g_dialogAnswer = {Fixture("photo.jpg")};
    f.BtnOpenClick();
    f.Action("mnuFitWindow")->trigger();
    QCOMPARE(f.Action("mnuViewport")->isEnabled(), f.Action("mnuOptimizeWindow")->isEnabled());
    QVERIFY(f.Action("mnuViewport")->isEnabled());
    QCOMPARE(f.Action("mnuViewport")->shortcut(), QKeySequence(Qt::SHIFT | Qt::ALT | Qt::Key_V));
    QSize offered;
    QString title;
    g_dialogs.viewport = [&](TResizeForm& d) {
      title = d.windowTitle();
      offered = QSize(d.WidthBox()->value(), d.HeightBox()->value());
      d.WidthBox()->setValue(520);
      d.HeightBox()->setValue(330);
      d.accept();
      return true;
    };
    const QSize before(f.width(), f.ViewportHeight());
    f.Action("mnuViewport")->trigger();
    QCOMPARE(title, QString("Custom Viewport"));
    QCOMPARE(offered, before);
    QTRY_COMPARE(QSize(f.width(), f.ViewportHeight()), QSize(520, 330));
    QVERIFY(!f.State().FitMode);

    g_dialogs.viewport = [](TResizeForm& d) {
      d.WidthBox()->setValue(300);
      return false;
    };
    f.Action("mnuViewport")->trigger();
    QCOMPARE(QSize(f.width(), f.ViewportHeight()), QSize(520, 330));
    g_dialogs.viewport = {};
  }

  // Full screen from the menu, the button and the keys: bars hidden as Max Full screen says,
  // sizing commands off; W, Ctrl+W and Esc bring the normal window back where it was.
  void fullScreenAndBack() {
    MemorySettingsStore store;
    Start run(store);
    run.Show();
    TWebForm& f = *run.form;
    g_dialogAnswer = {Fixture("photo.jpg")};
    f.BtnOpenClick();
    f.move(60, 40);
    f.resize(500, 400);
    QTRY_COMPARE(f.size(), QSize(500, 400));
    const QRect normal = f.geometry();
    struct Way { const char* name; std::function<void()> enter, leave; };
    const Way ways[] = {
        {"menu", [&] { f.Action("mnuFullScrn")->trigger(); }, [&] { f.Action("mnuFullScrn")->trigger(); }},
        {"button", [&] { f.Action("btnScreen")->trigger(); }, [&] { f.Action("btnScreen")->trigger(); }},
        {"W", [&] { QTest::keyClick(f.ScrollBox(), Qt::Key_W); }, [&] { QTest::keyClick(f.ScrollBox(), Qt::Key_W); }},
        {"Ctrl+W and Esc", [&] { QTest::keyClick(f.ScrollBox(), Qt::Key_W, Qt::ControlModifier); },
         [&] { QTest::keyClick(f.ScrollBox(), Qt::Key_Escape); }},
    };
    for (const Way& w : ways) {
      w.enter();
      QVERIFY2(f.FullScreen(), w.name);
      QCOMPARE(f.Action("mnuFullScrn")->text(), QString("Normal window"));
      QVERIFY(f.menuBar()->isHidden());
      QVERIFY(f.statusBar()->isHidden());
      QVERIFY(!f.Action("mnuOptimizeWindow")->isEnabled());
      QVERIFY(!f.Action("mnuViewport")->isEnabled());
      QVERIFY(f.Action("btnScreen")->isChecked());
      w.leave();
      QVERIFY2(!f.FullScreen(), w.name);
      QCOMPARE(f.Action("mnuFullScrn")->text(), QString("Full screen"));
      QVERIFY(!f.menuBar()->isHidden());
      QVERIFY(!f.statusBar()->isHidden());
      QVERIFY(f.Action("mnuOptimizeWindow")->isEnabled());
      QVERIFY(!f.Action("btnScreen")->isChecked());
      QTRY_COMPARE(f.size(), normal.size());
    }
  }

  // A JPEG decoded reduced only to fit a small window is decoded in full before the first
  // edit or save: the edit, its undo copy and the saved file have every pixel.
  void editsAndSavesOfAFittedJpegUseTheWholePicture() {
    MemorySettingsStore store;
    Start run(store);
    run.Show();
    TWebForm& f = *run.form;
    f.Action("mnuFitWindow")->trigger();
    f.resize(300, 320);
    QTRY_COMPARE(f.size(), QSize(300, 320));
    g_dialogAnswer = {Fixture("photo.jpg")};
    f.BtnOpenClick();
    QCOMPARE(f.State().ReducedScale, 2);
    QCOMPARE(f.Sky95()->Bitmap().Width(), 320);
    f.Action("mnuNegative")->trigger();
    QCOMPARE(f.Sky95()->Bitmap().Width(), 640);
    QCOMPARE(f.StatusPanelText(2), QString("640x427(24) dib"));
    f.Action("mnuUndo")->trigger();
    QCOMPARE(f.Sky95()->Bitmap().Width(), 640);
    QCOMPARE(f.Sky95()->Bitmap().Height(), 427);

    // Saving an unedited fitted picture writes the whole picture too.
    f.State().ImageModified = false;
    f.BtnOpenClick();
    QCOMPARE(f.Sky95()->Bitmap().Width(), 320);
    QTemporaryDir out;
    const QString saved = out.filePath("whole.png");
    g_dialogs.save = [&](QWidget*, const SaveDialogSetup&) {
      SaveChoice c;
      c.path = saved.toStdString();
      c.type = 3;
      return std::optional<SaveChoice>(c);
    };
    f.Action("mnuSaveAs")->trigger();
    g_dialogs.save = {};
    TImageLoader written;
    QCOMPARE(written.Open(saved.toStdString()), OpenOutcome::Image);
    QCOMPARE(written.workingBitmap.Width(), 640);
    QCOMPARE(written.workingBitmap.Height(), 427);
  }

  // A document of several pages shows the Page button and submenu; next, previous, first and
  // last step through its pages, wrapping at both ends, and the status names the page.
  void pageCommandsStepThroughAMultipageDocument() {
    MemorySettingsStore store;
    Start run(store);
    run.Show();
    TWebForm& f = *run.form;
    QTemporaryDir dir;
    const QString copy = dir.filePath("fax.dcx");
    QVERIFY(QFile::copy(QString::fromLocal8Bit(qgetenv("PELIRA_FIXTURES")) + "/formats/dcx_im_3.dcx", copy));
    g_dialogAnswer = {copy};
    f.BtnOpenClick();
    QCOMPARE(f.State().PageCount, 3);
    QVERIFY(f.Action("btnPage")->isEnabled());
    QVERIFY(f.findChild<QMenu*>("mnuPage")->menuAction()->isVisible());
    QCOMPARE(f.StatusPanelText(0), QString("Page 1 of 3"));
    std::vector<Dib> pages = {f.Sky95()->Bitmap()};
    const struct {
      const char* item;
      int page;
    } steps[] = {{"mnuPageNext", 1}, {"mnuPageNext", 2}, {"mnuPageNext", 0}, {"mnuPagePrevious", 2},
                 {"mnuPageFirst", 0}, {"mnuPageLast", 2}, {"btnPage", 0}};
    for (const auto& step : steps) {
      f.Action(step.item)->trigger();
      // Pages come from the document held open, never from the file read again.
      if (QFile::exists(copy)) QVERIFY(QFile::rename(copy, copy + ".gone"));
      QCOMPARE(f.State().PageIndex, step.page);
      QCOMPARE(f.StatusPanelText(0), QString("Page %1 of 3").arg(step.page + 1));
      if (static_cast<int>(pages.size()) == step.page) pages.push_back(f.Sky95()->Bitmap());
      QVERIFY2(SamePixels(f.Sky95()->Bitmap(), pages[static_cast<std::size_t>(step.page)]), step.item);
    }
    QVERIFY(!SamePixels(pages[0], pages[1]));
    QVERIFY(!SamePixels(pages[1], pages[2]));
    // A single picture hides them again.
    g_dialogAnswer = {Fixture("photo.jpg")};
    f.BtnOpenClick();
    QVERIFY(!f.Action("btnPage")->isEnabled());
    QVERIFY(!f.findChild<QMenu*>("mnuPage")->menuAction()->isVisible());
  }

  // A file that cannot be read leaves the blank picture, the loader's reason in the status
  // panel and the file's name in the path box.
  void anUnreadableFileSaysWhy() {
    MemorySettingsStore store;
    Start run(store);
    run.Show();
    TWebForm& f = *run.form;
    g_dialogAnswer = {Fixture("photo.jpg")};
    f.BtnOpenClick();
    QTemporaryDir dir;
    const QString bad = dir.filePath("broken.png");
    QFile file(bad);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("not a picture at all");
    file.close();
    g_dialogAnswer = {bad};
    f.BtnOpenClick();
    QCOMPARE(f.State().CurrentFile, std::string(kUntitled));
    QCOMPARE(f.Sky95()->Bitmap().Width(), 32);
    QCOMPARE(f.StatusPanelText(0), QString("Invalid PNG file"));
    QCOMPARE(f.findChild<QLineEdit*>()->text(), bad);
  }

  // View › Zoom to asks "Set Magnification (%)" from the current zoom; the answer is taken in
  // whole steps of 25 and leaves fit mode; Cancel changes nothing.
  void zoomToSetsTheMagnification() {
    MemorySettingsStore store;
    Start run(store);
    run.Show();
    TWebForm& f = *run.form;
    g_dialogAnswer = {Fixture("photo.jpg")};
    f.BtnOpenClick();
    f.Action("mnuFitWindow")->trigger();
    QVERIFY(f.State().FitMode);
    SliderRequest asked;
    std::string title;
    int answer = 130;
    g_dialogs.slider = [&](const std::string& t, const std::string&, const std::string&, const SliderRequest& q) {
      title = t;
      asked = q;
      return answer;
    };
    QVERIFY(f.Action("mnuZoomTo")->isEnabled());
    f.Action("mnuZoomTo")->trigger();
    QCOMPARE(title, std::string("Set Magnification (%)"));
    QCOMPARE(asked.min, 25);
    QCOMPARE(asked.max, 800);
    QCOMPARE(asked.page, 100);
    QCOMPARE(asked.line, 25);
    QVERIFY(!f.State().FitMode);
    QCOMPARE(f.State().Zoom, 125);
    QCOMPARE(f.StatusPanelText(1), QString("125%"));
    answer = kDialogCancelled;
    f.Action("mnuZoomTo")->trigger();
    QCOMPARE(asked.start, 125);
    QCOMPARE(f.State().Zoom, 125);
    g_dialogs.slider = {};
  }

  // Tools › Compress (Ctrl+J) opens the JPEG wizard over the picture, its Save As offered.
  void compressOpensTheJpegWizard() {
    MemorySettingsStore store;
    Start run(store);
    run.Show();
    TWebForm& f = *run.form;
    g_dialogAnswer = {Fixture("photo.jpg")};
    f.BtnOpenClick();
    bool wizard = false;
    g_dialogs.filter = [&](TFXdlg& d) {
      d.TestButton()->click();
      wizard = d.JpegMode() && d.ApplyButton()->isEnabled();  // Save As offered
      d.CancelButton()->click();
    };
    QVERIFY(f.Action("mnuCompress")->isEnabled());
    QCOMPARE(f.Action("mnuCompress")->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_J));
    f.Action("mnuCompress")->trigger();
    g_dialogs.filter = {};
    QVERIFY(wizard);
  }

  // A path typed into the path box opens on Enter and gives the keys back to the picture; a
  // name that is no file says "File not found." and the box shows the current file again.
  void thePathBoxOpensATypedPath() {
    MemorySettingsStore store;
    Start run(store);
    run.Show();
    TWebForm& f = *run.form;
    g_dialogAnswer = {Fixture("photo.jpg")};
    f.BtnOpenClick();
    auto* box = f.findChild<QLineEdit*>("History");
    QVERIFY(box && !box->isReadOnly());
    const QString other = Fixture("gradient_24.bmp");
    box->setFocus();
    box->setText(other);
    QTest::keyClick(box, Qt::Key_Return);
    QCOMPARE(QString::fromStdString(f.State().CurrentFile), other);
    QVERIFY(!box->hasFocus());
    ui_->Clear();
    box->setFocus();
    box->setText(other + ".missing");
    QTest::keyClick(box, Qt::Key_Return);
    QCOMPARE(ui_->Texts(), std::vector<std::string>{"File not found."});
    QCOMPARE(box->text(), other);
    QCOMPARE(QString::fromStdString(f.State().CurrentFile), other);
  }

  // Closing the viewer closes an open help window too, so nothing keeps the program running.
  void closingTheViewerClosesHelp() {
    MemorySettingsStore store;
    Start run(store);
    run.Show();
    THelpWindow::Instance().ShowContext(0);
    QVERIFY(THelpWindow::Instance().isVisible());
    QVERIFY(run.form->close());
    QVERIFY(!THelpWindow::Instance().isVisible());
  }

  // An open batch editor with more than 4 lines is asked about before the viewer closes;
  // No keeps both windows, an unshown editor is never asked about.
  void closingAsksAboutALongScript() {
    MemorySettingsStore store;
    Start run(store);
    run.Show();
    QTRY_VERIFY(ShowsWelcome(*ui_));
    TBatchForm* editor = run.form->Scripts().Editor();
    editor->SetText("A\nB\nC\nD\nE");
    ui_->Clear();
    QVERIFY(run.form->close());  // hidden: nothing to ask
    QVERIFY(ui_->Texts().empty());
    run.form->show();
    run.form->Scripts().ShowEditor();
    ui_->Queue(Button::No);
    QVERIFY(!run.form->close());
    QCOMPARE(ui_->Texts(), std::vector<std::string>{"Discard image processing script?"});
    QVERIFY(run.form->isVisible());
    QVERIFY(editor->isVisible());
    ui_->Queue(Button::Yes);
    QVERIFY(run.form->close());
  }

  void halfJpegAsksThenDecodesLaterJpegsAtHalfSize() {
    MemorySettingsStore store;
    Start run(store);
    run.Show();
    TWebForm& f = *run.form;
    QTRY_VERIFY(ShowsWelcome(*ui_));
    QAction* half = f.Action("mnuScaleJPG");
    const std::string question =
        "All JPEG images will be loaded with half resolution (50%).\n\n[Ignore] avoids this dialog (for experts).";
    ui_->Clear();
    ui_->Queue(Button::Cancel);
    half->trigger();
    QVERIFY(!half->isChecked());
    QVERIFY(!f.State().HalfJpeg);
    QCOMPARE(ui_->Texts(), std::vector<std::string>{question});
    QVERIFY(ui_->Calls()[0].buttons.Has(Button::Ignore) && ui_->Calls()[0].buttons.Has(Button::Help));
    QCOMPARE(ui_->Calls()[0].helpContext, 100);

    ui_->Queue(Button::Ignore);
    f.ScrollBox()->setFocus();  // keys typed into the path box are its own
    QTest::keyClick(f.ScrollBox(), Qt::Key_H);
    QVERIFY(half->isChecked());
    g_dialogAnswer = {Fixture("photo.jpg")};
    f.BtnOpenClick();
    QCOMPARE(f.StatusPanelText(2), QString("640x427(24) [1:2] dib"));
    QCOMPARE(f.Sky95()->size(), QSize(320, 214));

    // Off without a question; on again without one, since Ignore silenced it.
    half->trigger();
    QVERIFY(!f.State().HalfJpeg);
    f.BtnOpenClick();
    QCOMPARE(f.StatusPanelText(2), QString("640x427(24) dib"));
    half->trigger();
    QVERIFY(f.State().HalfJpeg);
    QCOMPARE(ui_->Texts().size(), std::size_t{2});
  }

  void windowSizesItselfToThePicture() {
    MemorySettingsStore store;
    {
      Start first(store);  // a first run turns sizing off; a second run has it as stored
      first.Show();
      first.settings.viewer.autoSize = true;
      first.settings.viewer.autoCenter = true;
      QVERIFY(first.form->close());
    }
    Start run(store);
    QVERIFY(run.settings.viewer.autoSize);
    run.Show();
    g_dialogAnswer = {Fixture("photo.jpg")};
    run.form->BtnOpenClick();
    TWebForm& f = *run.form;
    QTRY_COMPARE(QSize(f.width(), f.ViewportHeight()), QSize(640, 427));
    QCOMPARE(f.ScrollBox()->geometry().size(), QSize(640, 427));
    // Centred on the screen's free area.
    const QRect avail = f.screen()->availableGeometry();
    const QRect outer = f.frameGeometry();
    QVERIFY(qAbs(outer.center().x() - avail.center().x()) <= 1);
    QVERIFY(avail.contains(outer));
  }

  void sizeGivenBeforeTheFirstShowIsKept() {
    MemorySettingsStore store;
    Start run(store);
    run.form->resize(500, 350);
    run.Show();
    QCOMPARE(run.form->size(), QSize(500, 350));
  }

  void settingsRoundTripThroughTheClose() {
    MemorySettingsStore store;
    QPoint at;  // the record keeps the frame's position and the client's size
    {
      Start run(store);
      run.Show();
      run.form->SetStatusBarShown(false);
      run.form->mnuFitClick();
      run.form->move(40, 30);
      run.form->resize(500, 400);
      QTRY_COMPARE(run.form->size(), QSize(500, 400));
      at = run.form->frameGeometry().topLeft() - run.form->screen()->availableGeometry().topLeft();
      QVERIFY(run.form->close());
    }
    const StoredSettings back = ReadStoredSettings(store, 800);
    QVERIFY(back.ViewerSettingsFound);
    QVERIFY(back.viewer.fitMode);
    QVERIFY(!back.viewer.statusBar);
    const BoundsRect b = back.viewer.windowBounds;
    QCOMPARE(QSize(b.right - b.left, b.bottom - b.top), QSize(500, 400));
    QCOMPARE(QPoint(b.left, b.top), at);

    Start again(store);
    again.Show();
    QVERIFY(again.form->State().FitMode);
    QVERIFY(again.form->statusBar()->isHidden());
    QCOMPARE(again.form->size(), QSize(500, 400));
  }

  void batchEditorBoundsSurviveARestart() {
    MemorySettingsStore store;
    {
      Start run(store);
      run.Show();
      TBatchForm* editor = run.form->Scripts().Editor();
      // Never stored: half the screen's width, three quarters of its height.
      const QRect a = run.form->screen()->availableGeometry();
      QCOMPARE(editor->size(), QSize(a.width() / 2, a.height() * 3 / 4));
      editor->show();
      editor->resize(300, 200);
      QTRY_COMPARE(editor->size(), QSize(300, 200));
      QVERIFY(!editor->close());  // Close only hides, and keeps the bounds for this run
      const BoundsRect kept = run.settings.viewer.batchEditorBounds;
      QCOMPARE(QSize(kept.right - kept.left, kept.bottom - kept.top), QSize(300, 200));
      QVERIFY(run.form->close());
    }
    Start again(store);
    again.Show();
    QCOMPARE(again.form->Scripts().Editor()->size(), QSize(300, 200));
  }

  void brokenRecordsGiveTheDefaults_data() {
    QTest::addColumn<QByteArray>("record");
    QTest::newRow("short") << QByteArray(100, '\x01');
    QTest::newRow("long") << QByteArray(169, '\x01');
    QTest::newRow("empty") << QByteArray();
  }
  void brokenRecordsGiveTheDefaults() {
    QFETCH(QByteArray, record);
    MemorySettingsStore store;
    store.Write(kViewerSettingsValue, std::vector<std::uint8_t>(record.begin(), record.end()));
    Start run(store);
    QCOMPARE(run.settings.viewer, DefaultViewerSettings(800));
    run.Show();
    QVERIFY(!run.form->State().FitMode);
    QVERIFY(run.form->menuBar()->isVisible());
    QVERIFY(run.form->screen()->availableGeometry().contains(run.form->frameGeometry()));
  }

  void hostileRecordIsBroughtIntoRange() {
    ViewerSettings hostile;
    hostile.windowBounds = {-2000000000, -2000000000, 2000000000, 2000000000};
    hostile.faxQuality = 1000;
    hostile.photoCdStep = -5;
    hostile.mediaVolume = 1 << 30;
    const auto bytes = EncodeViewerSettings(hostile);
    MemorySettingsStore store;
    store.Write(kViewerSettingsValue, std::vector<std::uint8_t>(bytes.begin(), bytes.end()));
    Start run(store);
    const ViewerSettings& s = run.settings.viewer;
    QVERIFY(s.faxQuality >= 0 && s.faxQuality <= 3);
    QVERIFY(s.photoCdStep >= 0 && s.photoCdStep <= 6);
    QVERIFY(s.mediaVolume >= 0 && s.mediaVolume <= 1000);
    run.Show();
    // The window lands on the screen whatever the record said.
    const QRect avail = run.form->screen()->availableGeometry();
    QVERIFY2(avail.intersects(run.form->frameGeometry()), qPrintable(QString("%1,%2 %3x%4")
                                                                      .arg(run.form->x()).arg(run.form->y())
                                                                      .arg(run.form->width()).arg(run.form->height())));
    QVERIFY(run.form->width() <= avail.width() && run.form->height() <= avail.height());
  }

  void closeAsksBeforeDroppingAModifiedPicture() {
    MemorySettingsStore store;
    Start run(store);
    run.Show();
    g_dialogAnswer = {Fixture("gradient_24.bmp")};
    run.form->BtnOpenClick();
    ui_->Clear();
    run.form->State().ImageModified = true;

    ui_->Queue(Button::No);
    QVERIFY(!run.form->close());
    QVERIFY(run.form->isVisible());
    QCOMPARE(ui_->Texts(), std::vector<std::string>{kDiscardImageText});
    QVERIFY(!store.Read(kViewerSettingsValue).has_value());  // nothing written by a refused close

    // Opening another file asks the same question first; No keeps the picture.
    ui_->Queue(Button::No);
    g_dialogAnswer = {Fixture("palette_8.bmp")};
    run.form->BtnOpenClick();
    QCOMPARE(run.form->windowTitle(), QString("gradient_24.bmp - Pelira 7.7"));

    ui_->Queue(Button::Yes);
    QVERIFY(run.form->close());
    QCOMPARE(ui_->Texts().size(), std::size_t{3});
    QVERIFY(store.Read(kViewerSettingsValue).has_value());
  }

  void unchangedPictureClosesWithoutAQuestion() {
    MemorySettingsStore store;
    Start run(store);
    run.Show();
    g_dialogAnswer = {Fixture("gradient_24.bmp")};
    run.form->BtnOpenClick();
    ui_->Clear();
    QVERIFY(run.form->close());
    QVERIFY(ui_->Texts().empty());
  }

  // The aspect modes resample every later load to the window; the ones that distort ask first.
  void aspectModesResampleTheLoads() {
    MemorySettingsStore store;
    Start run(store);
    run.Show();
    TWebForm& f = *run.form;
    QTRY_VERIFY(ShowsWelcome(*ui_));
    g_dialogAnswer = {Fixture("photo.jpg")};
    f.BtnOpenClick();
    QCOMPARE(f.Sky95()->Bitmap().Width(), 640);
    f.resize(500, 420);
    QTRY_COMPARE(f.width(), 500);
    run.settings.viewer.autoSize = false;
    run.settings.viewer.autoReduce = true;

    ui_->Clear();
    ui_->Queue(Button::OK);
    f.Action("mnuAspect9")->trigger();
    QCOMPARE(ui_->Texts(), std::vector<std::string>{
        "All images will be resized to 16:9 widescreen aspect.\nThis fixes raw, fullscreen DVD image captures "
        "(landscape).\nNormal 1:1 images will be distorted; video is not modified."});
    QCOMPARE(ui_->Calls()[0].helpContext, 104);
    QVERIFY(f.State().ResampleOnLoad);
    QVERIFY(!run.settings.viewer.autoReduce);
    // Reloaded at once: 16:9, as large as the window lets it be.
    const Dib& wide = f.Sky95()->Bitmap();
    QVERIFY(wide.Width() <= f.width() && wide.Height() <= f.ViewportHeight());
    QVERIFY(wide.Width() == f.width() || wide.Height() == f.ViewportHeight());
    QVERIFY(std::abs(wide.Width() * 9 - wide.Height() * 16) <= 16);
    QCOMPARE(f.State().SourceWidth, 640);

    ui_->Queue(Button::Cancel);
    f.Action("mnuAspect4")->trigger();
    QVERIFY(f.Action("mnuAspect1")->isChecked());
    QVERIFY(!f.State().ResampleOnLoad);
    QCOMPARE(f.Sky95()->Bitmap().Width(), 640);  // back to the file's own size

    ui_->Clear();
    f.Action("mnuAspectBest")->trigger();
    QVERIFY(ui_->Texts().empty());
    QVERIFY(f.Action("mnuAspectBest")->isChecked());
    QVERIFY(f.Sky95()->Bitmap().Width() <= f.width());
    QVERIFY(f.Sky95()->Bitmap().Height() <= f.ViewportHeight());

    // A document of several pages keeps 1:1.
    f.State().PageCount = 3;
    f.Action("mnuAspect4")->trigger();
    QCOMPARE(ui_->Texts(), std::vector<std::string>{"Multipage documents cannot use this feature."});
    QVERIFY(f.Action("mnuAspect1")->isChecked());
    QVERIFY(!f.State().ResampleOnLoad);
  }

  void screenGammaAsksThenAdjustsEveryLoad() {
    MemorySettingsStore store;
    Start run(store);
    run.Show();
    TWebForm& f = *run.form;
    QTRY_VERIFY(ShowsWelcome(*ui_));
    g_dialogAnswer = {Fixture("gradient_24.bmp")};
    f.BtnOpenClick();
    const Dib original = f.Sky95()->Bitmap();
    int answer = 200;
    SliderRequest asked;
    std::string title;
    g_dialogs.slider = [&](const std::string& t, const std::string&, const std::string&, const SliderRequest& q) {
      title = t;
      asked = q;
      return answer;
    };
    auto curve = [](int v, double g) { return static_cast<int>(std::lround(255.0 * std::pow(v / 255.0, 1.0 / g))); };
    auto follows = [&](const Dib& d, double g) {
      for (int y = 0; y < d.Height(); y += 5)
        for (int x = 0; x < d.Width(); x += 5)
          if (std::abs(RedOf(d.Pixel(x, y)) - curve(RedOf(original.Pixel(x, y)), g)) > 1) return false;
      return true;
    };

    ui_->Clear();
    ui_->Queue(Button::Cancel);
    f.Action("mnuViewGamma")->trigger();
    QCOMPARE(ui_->Texts(), std::vector<std::string>{
        "All viewed images will be modified and gamma adjusted;\nsubsequent gamma adjustments will be cumulative."
        "\n\n[Ignore] avoids this dialog (for experts)."});
    QVERIFY(!f.Action("mnuViewGamma")->isChecked());
    QCOMPARE(f.State().ScreenGamma, 100);

    ui_->Queue(Button::OK);
    f.Action("mnuViewGamma")->trigger();
    QCOMPARE(title, std::string("Set Screen Gamma (n/100)"));
    QCOMPARE(asked.min, 100);
    QCOMPARE(asked.max, 300);
    QCOMPARE(asked.presets, (std::array<int, 6>{100, 125, 135, 150, 165, 185}));
    QVERIFY(f.Action("mnuViewGamma")->isChecked());
    QVERIFY(follows(f.Sky95()->Bitmap(), 2.0));
    QVERIFY(!f.State().ImageModified);
    f.BtnOpenClick();  // every later load takes it
    QVERIFY(follows(f.Sky95()->Bitmap(), 2.0));

    // Unsaved edits are never reloaded away: the gamma goes on top and the mark stays.
    f.State().ImageModified = true;
    answer = 150;
    const Dib edited = f.Sky95()->Bitmap();
    f.ScrollBox()->setFocus();
    QTest::keyClick(f.ScrollBox(), Qt::Key_G);
    QCOMPARE(asked.start, 200);
    QVERIFY(f.State().ImageModified);
    QCOMPARE(RedOf(f.Sky95()->Bitmap().Pixel(7, 3)), curve(RedOf(edited.Pixel(7, 3)), 1.5));

    // 100 turns it off; the next load is the file as it is.
    f.State().ImageModified = false;
    answer = 100;
    f.Action("mnuViewGamma")->trigger();
    QVERIFY(!f.Action("mnuViewGamma")->isChecked());
    QVERIFY(follows(f.Sky95()->Bitmap(), 1.0));
    QCOMPARE(ui_->Texts().size(), std::size_t{2});  // asked only while it was off
    g_dialogs.slider = {};
  }

  void performWarnsAboutTheViewSettings() {
    MemorySettingsStore store;
    Start run(store);
    run.Show();
    TWebForm& f = *run.form;
    QTRY_VERIFY(ShowsWelcome(*ui_));
    f.Scripts().Editor()->StartRecording();  // as its first activation does
    f.State().ScreenGamma = 150;
    ui_->Clear();
    ui_->Queue(Button::Cancel);
    f.Action("mnuBatchPerform")->trigger();
    QCOMPARE(ui_->Texts(), std::vector<std::string>{
        "You have screen gamma enabled, which is cumulative;\nit will affect batch image processing results.  "
        "Continue?\n\n[Ignore] avoids this dialog (for experts)."});
  }

  // Files dropped on the window: the first is shown, the rest join the bookmark list; a
  // modified picture is asked about first.
  void droppedFilesOpenTheFirstAndBookmarkTheRest() {
    MemorySettingsStore store;
    Start run(store);
    run.Show();
    TWebForm& f = *run.form;
    QTRY_VERIFY(ShowsWelcome(*ui_));
    const QString a = Fixture("photo.jpg"), b = Fixture("gradient_24.bmp"), c = Fixture("palette_8.bmp");
    QMimeData mime;
    mime.setUrls({QUrl::fromLocalFile(a), QUrl::fromLocalFile(b), QUrl::fromLocalFile(c)});
    QDragEnterEvent enter(QPoint(40, 40), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&f, &enter);
    QVERIFY(enter.isAccepted());
    QDropEvent drop(QPointF(40, 40), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&f, &drop);
    QTRY_COMPARE(QString::fromStdString(f.State().CurrentFile), a);
    QCOMPARE(f.Sky95()->Bitmap().Width(), 640);
    // The others were appended from the last dropped down to the second; the shown file took
    // its place as the current entry.
    QCOMPARE(f.Bookmarks().Entries(), (std::vector<std::string>{a.toStdString(), c.toStdString(), b.toStdString()}));

    // A modified picture stays when the close question says No.
    f.State().ImageModified = true;
    ui_->Clear();
    ui_->Queue(Button::No);
    f.DropFiles({b});
    QCOMPARE(QString::fromStdString(f.State().CurrentFile), a);
    QCOMPARE(ui_->Texts().size(), std::size_t{1});
    // A file the viewer cannot show changes nothing, and asks nothing.
    f.State().ImageModified = false;
    ui_->Clear();
    f.DropFiles({Fixture("notes.xyz")});
    QCOMPARE(QString::fromStdString(f.State().CurrentFile), a);
    QVERIFY(ui_->Texts().empty());
  }

  // Tools › Slide Album, UnZipper and JPEG › Text open their windows over the viewer.
  void toolsMenuOpensTheToolWindows() {
    MemorySettingsStore store;
    Start run(store);
    run.Show();
    const struct {
      const char* item;
      const char* window;
    } cases[] = {{"mnuSlideAlbum", "pelira::TShowForm"}, {"mnuUnZipper", "pelira::TUnZipForm"},
                 {"mnuJpegText", "pelira::TCommentForm"}};
    for (const auto& c : cases) {
      QAction* a = run.form->Action(c.item);
      QVERIFY2(a && a->isEnabled(), c.item);
      a->trigger();
      QApplication::processEvents();
      bool shown = false;
      for (QWidget* w : QApplication::topLevelWidgets())
        if (w->isVisible() && QString(w->metaObject()->className()) == c.window) shown = true;
      QVERIFY2(shown, c.item);
    }
  }

  void unbuiltCommandsAreDisabled() {
    MemorySettingsStore store;
    Start run(store);
    run.Show();
    g_dialogAnswer = {Fixture("photo.jpg")};
    run.form->BtnOpenClick();
    for (const char* name : {"btnBack", "btnNext", "btnPage",
                             "mnuBookmarksRun"}) {
      QAction* a = run.form->Action(name);
      QVERIFY2(a, name);
      QVERIFY2(!a->isEnabled(), name);
    }
    // One file, one bookmark: Back and Next wait for a second.
    for (const char* name : {"mnuOpen", "mnuReload", "mnuFitWindow", "btnZoomUp", "mnuExit", "mnuHelpContents",
                             "mnuSaveAs", "mnuBookmarksView", "mnuUnmark", "mnuPrint", "mnuInfo", "btnInfo",
                             "mnuCopyImage", "mnuPasteImage", "mnuNew1", "mnuTWAIN_Acquire1"}) {
      QVERIFY2(run.form->Action(name)->isEnabled(), name);
    }
  }

private:
  std::unique_ptr<ScriptedUi> ui_;
  static inline QString filters_;
};

QTEST_MAIN(WebFormTest)
#include "web_form_test.moc"
