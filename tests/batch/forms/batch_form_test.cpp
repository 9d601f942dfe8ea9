// The batch editor over the real viewer window: recording starts with its activation, the
// recorded lines perform on another picture exactly as the menu commands did, and the file
// commands keep the text safe.
#include <QAction>
#include <QFile>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QTimer>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QToolBar>
#include <QtTest>

#include <deque>

#include "engine/dialogs/filter_preview_dialog.h"
#include "batch/bip_file.h"
#include "batch/forms/batch_form.h"
#include "display/forms/pix.h"
#include "engine/dialogs/scroll_dialog.h"
#include "platform/help.h"
#include "platform/scripted_ui.h"
#include "support/fake_dialogs.h"
#include "viewer/forms/script_control.h"
#include "viewer/forms/web_form.h"
#include "engine/color_filters.h"
#include "image/codec_registry.h"
#include "image/image_loader.h"
#include "viewer/forms/save_dialog.h"
#include "viewer/open_flow.h"
#include "edit/tone_commands.h"

using namespace pelira;

namespace {

Dib Picture(int seed) {
  Dib d(40, 30, 24);
  for (int y = 0; y < 30; ++y)
    for (int x = 0; x < 40; ++x) d.SetPixel(x, y, MakeColor((x * 6 + seed) % 256, (y * 8 + seed) % 256, (x + y) * 3));
  return d;
}

bool Same(const Dib& a, const Dib& b) {
  if (a.Width() != b.Width() || a.Height() != b.Height() || a.BitCount() != b.BitCount()) return false;
  for (int y = 0; y < a.Height(); ++y)
    for (int x = 0; x < a.Width(); ++x)
      if (a.Pixel(x, y) != b.Pixel(x, y)) return false;
  return true;
}

std::deque<int>* sliderValues = nullptr;

void Show(TWebForm& f, const Dib& d) {
  f.Sky95()->SetBitmap(d);
  SyncImageState(f.State(), d);
  f.State().ImageLoaded = true;
  f.State().ImageModified = false;
}

}  // namespace

class BatchFormTest : public QObject {
  Q_OBJECT
  ScriptedUi ui;
  std::deque<int> values;
  FakeViewerDialogs fake;
  FakeBatchDialogs files;

private slots:
  void initTestCase() {
    SetCurrentUi(&ui);
    sliderValues = &values;
    fake.slider = [](const std::string&, const std::string&, const std::string&, const SliderRequest& r) {
      if (sliderValues->empty()) return r.start;
      const int v = sliderValues->front();
      sliderValues->pop_front();
      return v;
    };
    // The preview dialog: slider 1 takes the next value, then Test and Apply.
    fake.filter = [](TFXdlg& d) {
      if (!sliderValues->empty()) {
        d.Slider(0)->setValue(sliderValues->front());
        sliderValues->pop_front();
      }
      d.TestButton()->click();
      d.ApplyButton()->click();
    };
  }
  void cleanupTestCase() {
    SetCurrentUi(nullptr);
  }
  void init() {
    ui.Clear();
    values.clear();
  }

  void recordsTwoCommandsAndPerformsThemOnAnotherPicture() {
    TWebForm f;
    f.SetDialogs(fake);
    // The window's first activation (its welcome box) is over before the script pumps events.
    f.show();
    QTRY_VERIFY(f.FirstActivationDone());
    Show(f, Picture(0));
    // Before the editor was ever activated nothing records.
    f.Action("mnuNegative")->trigger();
    f.Action("mnuBatchEditor")->trigger();
    TBatchForm* editor = f.Scripts().Editor();
    QVERIFY(!editor->Action("mnuSave")->isEnabled());
    QVERIFY(!editor->Action("mnuPerformB")->isEnabled());
    QEvent activate(QEvent::WindowActivate);
    QApplication::sendEvent(editor, &activate);
    QVERIFY(editor->Recording());
    QVERIFY(editor->Lines().empty());

    Show(f, Picture(0));
    values = {160};
    f.Action("mnuGammaGlobal")->trigger();
    f.Action("mnuNegative")->trigger();
    const Dib menuResultOnFirst = f.Sky95()->Bitmap();
    QCOMPARE(editor->Lines(), (std::vector<std::string>{"GAMMA=160,160,160", "NEGATIVE"}));
    QVERIFY(editor->Action("mnuPerformB")->isEnabled());

    // The same two menu commands on the second picture are what Perform must give.
    Show(f, Picture(90));
    values = {160};
    f.Action("mnuGammaGlobal")->trigger();
    f.Action("mnuNegative")->trigger();
    const Dib want = f.Sky95()->Bitmap();
    QVERIFY(!Same(want, menuResultOnFirst));
    editor->SetText("GAMMA=160,160,160\nNEGATIVE");

    Show(f, Picture(90));
    editor->hide();  // hidden, the editor still performs through Tools › Batch › Perform
    f.Action("mnuBatchPerform")->trigger();
    QVERIFY(Same(f.Sky95()->Bitmap(), want));
    QCOMPARE(editor->Lines().size(), std::size_t{2});  // the run itself recorded nothing
    // One undo copy for the whole run.
    f.Action("mnuUndo")->trigger();
    QVERIFY(Same(f.Sky95()->Bitmap(), Picture(90)));
  }

  // Three bookmarked files: NEXT walks them, SAVE asks once and then saves each under its
  // own name with the suffix.
  void scriptWalksBookmarksAndSavesEach() {
    QTemporaryDir dir;
    std::vector<std::string> files;
    for (int i = 0; i < 3; ++i) {
      const std::string path = dir.filePath(QString("p%1.png").arg(i)).toStdString();
      const auto bytes = SaveWriterFor(3)(Picture(i * 70), SaveOptions{});
      QFile out(QString::fromStdString(path));
      QVERIFY(out.open(QIODevice::WriteOnly));
      out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<qint64>(bytes.size()));
      out.close();
      files.push_back(path);
    }
    int dialogs = 0;
    fake.save = [&](QWidget*, const SaveDialogSetup& setup) -> std::optional<SaveChoice> {
      ++dialogs;
      SaveChoice c;
      c.path = (dir.path() + "/").toStdString() + setup.name;
      c.type = 3;
      return c;
    };
    {
      TWebForm f;
      f.SetDialogs(fake);
      f.show();
      QTRY_VERIFY(f.FirstActivationDone());
      ui.Clear();
      f.OpenChosen(QString::fromStdString(files[0]));
      f.Bookmarks().Assign(files, 0);
      f.Scripts().Perform({"NEGATIVE", "SAVE=_n", "NEXT", "NEGATIVE", "SAVE=_n", "NEXT", "NEGATIVE", "SAVE=_n"});
      QCOMPARE(f.Bookmarks().Index(), std::size_t{2});
      QVERIFY(!f.BatchMark());  // the end of the run clears it
    }
    QCOMPARE(dialogs, 1);
    for (int i = 0; i < 3; ++i) {
      const QString saved = dir.filePath(QString("p%1_n.png").arg(i));
      QVERIFY2(QFile::exists(saved), qPrintable(saved));
      TImageLoader l;
      QVERIFY(l.Open(saved.toStdString()) == OpenOutcome::Image);
      Dib want = Picture(i * 70);
      Negative(want);
      QVERIFY(Same(l.workingBitmap, want));
    }
    fake.save = {};
  }

  // Esc ends a looping run; the other keys do not reach the window while it runs.
  void escStopsALoopingScript() {
    TWebForm f;
    f.SetDialogs(fake);
    f.show();
    QTRY_VERIFY(f.FirstActivationDone());
    Show(f, Picture(5));
    const QString zoom = f.StatusPanelText(1);
    // The keys come while the run loops: a zoom key, then Esc.
    QTimer::singleShot(100, &f, [&f] {
      QCoreApplication::postEvent(&f, new QKeyEvent(QEvent::KeyPress, Qt::Key_Plus, Qt::NoModifier));
      QCoreApplication::postEvent(&f, new QKeyEvent(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier));
    });
    QElapsedTimer t;
    t.start();
    f.Scripts().Perform({"LOOP", "NEGATIVE"});
    QVERIFY(t.elapsed() >= 100);
    QCOMPARE(f.StatusPanelText(1), zoom);
    QVERIFY(!f.Edits().ScriptRunning());
  }

  // A script whose filter runs from the editor's Perform leaves both windows taking input:
  // a click on a tool button, a typed key and the window's close all reach them afterwards.
  void aFilterScriptLeavesTheWindowsTakingInput() {
    TWebForm f;
    f.SetDialogs(fake);
    f.show();
    QTRY_VERIFY(f.FirstActivationDone());
    // Not a smooth ramp, which a softening leaves as it is.
    Dib noisy(40, 30, 24);
    for (int y = 0; y < 30; ++y)
      for (int x = 0; x < 40; ++x) noisy.SetPixel(x, y, MakeColor((x * 37 + y * 91) % 256, (x * y * 13) % 256, 90));
    Show(f, noisy);
    f.Action("mnuBatchEditor")->trigger();
    TBatchForm* editor = f.Scripts().Editor();
    QEvent activate(QEvent::WindowActivate);
    QApplication::sendEvent(editor, &activate);
    editor->SetText("SOFTEN=5");
    editor->Action("mnuPerformB")->trigger();
    QVERIFY(!Same(f.Sky95()->Bitmap(), noisy));
    QVERIFY(!f.Edits().ScriptRunning());

    QCOMPARE(f.StatusPanelText(1), QString("100%"));
    auto* bar = f.findChild<QToolBar*>("Toolbar1");
    QVERIFY(bar);
    QWidget* zoomUp = bar->widgetForAction(f.Action("btnZoomUp"));
    QVERIFY(zoomUp);
    QTest::mouseClick(zoomUp, Qt::LeftButton);
    QCOMPARE(f.StatusPanelText(1), QString("125%"));
    QTest::keyClick(f.ScrollBox(), Qt::Key_2);
    QCOMPARE(f.StatusPanelText(1), QString("25%"));
    editor->Editor()->moveCursor(QTextCursor::End);
    QTest::keyClick(editor->Editor(), Qt::Key_Return);
    QTest::keyClicks(editor->Editor(), "NEGATIVE");
    QCOMPARE(editor->Lines(), (std::vector<std::string>{"SOFTEN=5", "NEGATIVE"}));

    // The softened picture is let go when asked; a two-line script goes without a question.
    ui.Clear();
    ui.Queue(Button::Yes);
    QVERIFY(f.close());
    QVERIFY(!f.isVisible());
    QCOMPARE(ui.Texts().size(), std::size_t{1});
  }

  void saveOpenAndTheUnsavedQuestion() {
    QTemporaryDir dir;
    TBatchForm editor;
    editor.SetDialogs(files);
    const QString path = dir.filePath("s.bip");
    std::vector<QString> titles;
    files.save = [&](QWidget*, const QString& title, const QString&, const QString&) {
      titles.push_back(title);
      return path;
    };
    editor.SetText("GAMMA=120\nSAVE=_x");
    QVERIFY(editor.Unsaved());
    QVERIFY(editor.mnuSaveClick());
    QCOMPARE(editor.windowTitle(), QString("Batch Editor - s.bip"));
    QFile saved(path);
    QVERIFY(saved.open(QIODevice::ReadOnly));
    QCOMPARE(saved.readAll(), QByteArray("GAMMA=120\r\nSAVE=_x\r\n"));
    QVERIFY(!editor.Unsaved());
    QVERIFY(editor.CloseQuery());
    QVERIFY(ui.Texts().empty());

    // A file that cannot be read leaves the text as it was.
    editor.SetText("NEGATIVE");
    const QString folder = dir.path();
    files.open = [&](QWidget*, const QString&, const QString&, const QString&) { return folder; };
    editor.mnuOpenClick();
    QCOMPARE(editor.Editor()->toPlainText(), QString("NEGATIVE"));
    QCOMPARE(ui.Texts().size(), std::size_t{1});

    // At the end a script of up to 4 lines goes without a word; a longer one is asked
    // about: No keeps the program open, Yes lets the text go.
    ui.Clear();
    editor.SetText("A\nB\nC\nD");
    QVERIFY(editor.CloseQuery());
    QVERIFY(ui.Texts().empty());
    editor.SetText("A\nB\nC\nD\nE");
    ui.Queue(Button::No);
    QVERIFY(!editor.CloseQuery());
    QCOMPARE(ui.Texts(), std::vector<std::string>{"Discard image processing script?"});
    ui.Queue(Button::Yes);
    QVERIFY(editor.CloseQuery());

    // Opening the saved file brings back its lines.
    files.open = [&](QWidget*, const QString& title, const QString&, const QString&) {
      titles.push_back(title);
      return path;
    };
    editor.mnuOpenClick();
    QCOMPARE(titles, (std::vector<QString>{"Save Batch Commands", "Open Batch Commands"}));
    QCOMPARE(editor.Lines(), (std::vector<std::string>{"GAMMA=120", "SAVE=_x"}));
    files = FakeBatchDialogs{};
  }

  void newAsksBeforeClearing() {
    TBatchForm editor;
    editor.SetText("NEGATIVE");
    ui.Queue(Button::Cancel);
    editor.mnuNewClick();
    QCOMPARE(editor.Lines(), std::vector<std::string>{"NEGATIVE"});
    ui.Queue(Button::OK);
    editor.mnuNewClick();
    QVERIFY(editor.Lines().empty());
    QCOMPARE(ui.Texts().back(), std::string("Clear batch processing script?"));
  }

  void helpOpensTheEditorsPage() {
    RecordingHelpViewer help;
    Help::SetViewer(&help);
    TBatchForm editor;
    QAction* item = editor.Action("mnuHelpB");
    QVERIFY(item);
    QCOMPARE(item->text(), QString("&Help"));
    item->trigger();
    Help::SetViewer(nullptr);
    QCOMPARE(help.Contexts(), std::vector<int>{650});
  }
};

QTEST_MAIN(BatchFormTest)
#include "batch_form_test.moc"
