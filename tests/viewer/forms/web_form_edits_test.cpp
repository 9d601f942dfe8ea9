// The viewer's editing commands reached from its menus: each runs, takes an undo copy, Undo
// brings the picture back, Cancel leaves it as it was.
#include <QAction>
#include <QMenu>
#include <QPushButton>
#include <QScrollBar>
#include <QtTest>

#include <deque>

#include "display/forms/pix.h"
#include "engine/dialogs/filter_preview_dialog.h"
#include "engine/dialogs/scroll_dialog.h"
#include "engine/engine_state.h"
#include "platform/scripted_ui.h"
#include "support/fake_dialogs.h"
#include "batch/forms/batch_form.h"
#include "viewer/forms/script_control.h"
#include "viewer/forms/web_form.h"
#include "viewer/open_flow.h"
#include "edit/tone_commands.h"

using namespace pelira;

namespace {

Dib Picture() {
  Dib d(40, 30, 24);
  for (int y = 0; y < 30; ++y)
    for (int x = 0; x < 40; ++x) d.SetPixel(x, y, MakeColor(x * 6, y * 8, (x + y) * 3));
  return d;
}

bool Same(const Dib& a, const Dib& b) {
  if (a.Width() != b.Width() || a.Height() != b.Height() || a.BitCount() != b.BitCount()) return false;
  for (int y = 0; y < a.Height(); ++y)
    for (int x = 0; x < a.Width(); ++x)
      if (a.Pixel(x, y) != b.Pixel(x, y)) return false;
  return true;
}

struct Answers {
  std::deque<int> values;
  std::vector<std::string> titles;
};
Answers* answers = nullptr;

}  // namespace

class WebFormEditsTest : public QObject {
  Q_OBJECT
  ScriptedUi ui;
  Answers a;
  FakeViewerDialogs dialogs;

  void Show(TWebForm& f, const Dib& d) {
    f.Sky95()->SetBitmap(d);
    SyncImageState(f.State(), d);
    f.State().ImageLoaded = true;
    f.State().ImageModified = false;
  }

private slots:
  void initTestCase() {
    SetCurrentUi(&ui);
    answers = &a;
    dialogs.slider = [](const std::string& title, const std::string&, const std::string&,
                                  const SliderRequest& r) {
      answers->titles.push_back(title);
      if (answers->values.empty()) return r.start;
      const int v = answers->values.front();
      answers->values.pop_front();
      return v;
    };
    // The preview dialog: slider 1 takes the next answer (-999 presses Cancel), then Test
    // and Apply.
    dialogs.filter = [](TFXdlg& d) {
      answers->titles.push_back(d.windowTitle().toStdString());
      if (!answers->values.empty()) {
        const int v = answers->values.front();
        answers->values.pop_front();
        if (v == kDialogCancelled) {
          d.CancelButton()->click();
          return;
        }
        d.Slider(0)->setValue(v);
      }
      d.TestButton()->click();
      d.ApplyButton()->click();
    };
  }
  void cleanupTestCase() {
    SetCurrentUi(nullptr);
  }
  void init() {
    a = Answers{};
    ui.Clear();
  }

  void menuCommandThenUndo() {
    TWebForm f;
    f.SetDialogs(dialogs);
    Show(f, Picture());
    QVERIFY(!f.Action("mnuUndo")->isEnabled());
    a.values = {160};
    f.Action("mnuGammaGlobal")->trigger();
    QCOMPARE(a.titles, std::vector<std::string>{"Adjust Gamma (1/100)"});
    QVERIFY(!Same(f.Sky95()->Bitmap(), Picture()));
    QVERIFY(f.State().ImageModified);
    QVERIFY(f.Action("mnuUndo")->isEnabled());
    QCOMPARE(f.StatusPanelText(0), QString("Ready."));
    f.Action("mnuUndo")->trigger();
    QVERIFY(Same(f.Sky95()->Bitmap(), Picture()));
    QVERIFY(!f.Action("mnuUndo")->isEnabled());
  }

  void previewDialogCancel() {
    TWebForm f;
    f.SetDialogs(dialogs);
    Show(f, Picture());
    a.values = {-999};
    f.Action("mnuBrightnessRGB")->trigger();
    QCOMPARE(a.titles, (std::vector<std::string>{"Adjust Brightness"}));
    QVERIFY(Same(f.Sky95()->Bitmap(), Picture()));
    QVERIFY(!f.State().ImageModified);  // the flag from before the command
    QVERIFY(!f.Action("mnuUndo")->isEnabled());
  }

  void everyMenuItemUndoes() {
    const char* names[] = {"mnuNegative", "mnuTuneAutoContrast", "mnuTuneAutoLighting", "mnuTuneAutoSaturate",
                           "mnuTuneAutoBalance", "mnuTuneAutoGamma", "mnuTuneAutoFlash", "mnuTuneAutoWhite",
                           "mnuTuneNormalize", "mnuTuneEQualize", "mnuTuneOptimize", "mnuTuneRGB", "mnuTuneReference",
                           "mnuGammaRGB", "mnuGammaSuppress", "mnuGammaSaturation", "mnuBrightnessGlobal",
                           "mnuBrightnessShift", "mnuBrightnessZero", "mnuWhiteBalance", "mnuContrastGlobal",
                           "mnuContrastRGB", "mnuContrastSuppress", "mnuUnWash", "mnuUnCook", "mnuAttenuate",
                           "mnuEnhanceGlobal", "mnuEnhanceLighting", "mnuEnhanceShadows", "mnuEnhanceHighlights",
                           "mnuEnhanceSaturation", "mnuMapZero", "mnuMapCenter", "mnuMapEqualize", "mnuMapRed",
                           "mnuMapGreen", "mnuMapBlue", "mnuMapLighting", "mnuMapSaturation", "mnuLimitAll",
                           "mnuLimitRed", "mnuLimitGreen", "mnuLimitBlue", "mnuParametricEqAll", "mnuParametricEqRed",
                           "mnuParametricEqGreen", "mnuParametricEqBlue"};
    for (const char* name : names) {
      TWebForm f;
      f.SetDialogs(dialogs);
      Show(f, Picture());
      QAction* action = f.Action(name);
      QVERIFY2(action && action->isEnabled(), name);
      action->trigger();
      QVERIFY2(f.Action("mnuUndo")->isEnabled(), name);
      f.Action("mnuUndo")->trigger();
      QVERIFY2(Same(f.Sky95()->Bitmap(), Picture()), name);
    }
    QCOMPARE(ui.Texts().size(), std::size_t{0});
  }

  void histogramAndMemory() {
    TWebForm f;
    f.SetDialogs(dialogs);
    Show(f, Picture());
    f.State().CurrentFile = "/pics/sea.bmp";
    QString title;
    std::int32_t peak = 0;
    dialogs.histogram = [&](QWidget*, const QString& t, const Histograms& h) {
      title = t;
      peak = h.peak;
    };
    f.Action("mnuHistogram")->trigger();
    dialogs.histogram = {};
    QCOMPARE(title, QString("Histogram [sea.bmp]"));
    QVERIFY(peak > 0);
    QVERIFY(!f.State().ImageModified);
    QCOMPARE(f.Action("mnuHistogram")->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_H));
    f.Bookmarks().Assign({"/pics/a.jpg", "/pics/b.jpg"});
    f.Action("mnuMemory")->trigger();
    QCOMPARE(ui.Texts().size(), std::size_t{1});
    QVERIFY(QString::fromStdString(ui.Texts()[0]).contains("\nViewer bookmarks: 2 items\n"));
    QVERIFY(QString::fromStdString(ui.Texts()[0]).startsWith("Memory Utilization: "));
    QVERIFY(QString::fromStdString(ui.Texts()[0]).contains("\nWindows version: "));
    QVERIFY(!QString::fromStdString(ui.Texts()[0]).contains("Windows version: \n"));
  }

  void rgbInfoOpensTheEditorAndAppends() {
    TWebForm f;
    f.SetDialogs(dialogs);
    Dib flat(4, 2, 24);
    for (int y = 0; y < 2; ++y)
      for (int x = 0; x < 4; ++x) flat.SetPixel(x, y, MakeColor(200, 100, 50));
    Show(f, flat);
    f.Action("mnuMapRgbInfo")->trigger();
    TBatchForm* editor = f.Scripts().Editor();
    QVERIFY(editor->isVisible());
    const std::vector<std::string> lines = editor->Lines();
    QCOMPARE(lines.size(), std::size_t{8});
    QCOMPARE(lines[0], std::string(30, '-'));
    QCOMPARE(lines[1], std::string(">CONFORM_RED=200,0"));
    QCOMPARE(lines[5], std::string(">CONFORM_GAMMA_RGB=200,100,50"));
    QCOMPARE(lines[7], std::string(30, '-'));
    QCOMPARE(ui.Texts().size(), std::size_t{0});  // no message box in its place
    QVERIFY(Same(f.Sky95()->Bitmap(), flat));
    QVERIFY(!f.State().ImageModified);
  }

  void openingAFileDropsTheUndoCopy() {
    TWebForm f;
    f.SetDialogs(dialogs);
    Show(f, Picture());
    f.Action("mnuNegative")->trigger();
    QVERIFY(f.Action("mnuUndo")->isEnabled());
    f.SetPictureLoader([](const std::string&, const LoadRequest&, LoadedPicture& out) {
      out.bitmap = Dib(8, 8, 24);
      return true;
    });
    f.State().ImageModified = false;
    f.OpenChosen("/pics/other.bmp");
    QVERIFY(!f.Action("mnuUndo")->isEnabled());
    QVERIFY(!f.Edits().UndoAvailable());
  }
};

QTEST_MAIN(WebFormEditsTest)
#include "web_form_edits_test.moc"
