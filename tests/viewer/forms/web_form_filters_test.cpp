// The filter commands reached from the viewer's menus: they run through the real window,
// take an undo copy, and Esc pressed while one runs leaves the picture as it was.
#include <QAction>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QScrollBar>
#include <QtTest>

#include <deque>
#include <functional>

#include "display/forms/pix.h"
#include "engine/dialogs/filter_preview_dialog.h"
#include "engine/dialogs/scroll_dialog.h"
#include "engine/spatial_filters.h"
#include "platform/scripted_ui.h"
#include "support/fake_dialogs.h"
#include "viewer/forms/web_form.h"
#include "viewer/open_flow.h"

using namespace pelira;

namespace {

Dib Picture() {
  Dib d(60, 240, 24);
  for (int y = 0; y < d.Height(); ++y)
    for (int x = 0; x < d.Width(); ++x) d.SetPixel(x, y, MakeColor((x * 37) % 256, (y * 13) % 256, (x * y) % 256));
  return d;
}

bool Same(const Dib& a, const Dib& b) {
  if (a.Width() != b.Width() || a.Height() != b.Height() || a.BitCount() != b.BitCount()) return false;
  for (int y = 0; y < a.Height(); ++y)
    for (int x = 0; x < a.Width(); ++x)
      if (a.Pixel(x, y) != b.Pixel(x, y)) return false;
  return true;
}

std::deque<int> values;
std::function<void()> onAsk;

}  // namespace

class WebFormFiltersTest : public QObject {
  Q_OBJECT
  ScriptedUi ui;
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
    dialogs.slider = [](const std::string&, const std::string&, const std::string&, const SliderRequest& r) {
      if (onAsk) onAsk();
      if (values.empty()) return r.start;
      const int v = values.front();
      values.pop_front();
      return v;
    };
    // The preview dialog: slider 1 takes the next value, then Test and Apply.
    dialogs.filter = [](TFXdlg& d) {
      if (onAsk) onAsk();
      if (!values.empty()) {
        d.Slider(0)->setValue(values.front());
        values.pop_front();
      }
      d.TestButton()->click();
      d.ApplyButton()->click();
    };
  }
  void cleanupTestCase() {
    SetCurrentUi(nullptr);
  }
  void init() {
    values.clear();
    onAsk = {};
  }

  void everyFilterItemRunsAndUndoes() {
    const char* names[] = {"mnuClean", "mnuEnrich", "mnuGaussian", "mnuDeFocus", "mnuSoften", "mnuOutlier",
                           "mnuDespeckle", "mnuUnSpot", "mnuDeLace", "mnuUnsharpMask", "mnuMeanRemoval",
                           "mnuHighPassMedium", "mnuHighPassLight", "mnuDescreenLight", "mnuDescreenMedium",
                           "mnuDescreenStrong", "mnuDescreenHigh", "mnuDePixelate", "mnuDeFog", "mnuAutoClean",
                           "mnuAutoSharpen", "mnuMosaic1"};
    for (const char* name : names) {
      TWebForm f;
      f.SetDialogs(dialogs);
      Show(f, Picture());
      QAction* action = f.Action(name);
      QVERIFY2(action && action->isEnabled(), name);
      action->trigger();
      QVERIFY2(!Same(f.Sky95()->Bitmap(), Picture()), name);
      QVERIFY2(f.State().ImageModified, name);
      QVERIFY2(f.Action("mnuUndo")->isEnabled(), name);
      QCOMPARE(f.StatusPanelText(0), QString("Ready."));
      f.Action("mnuUndo")->trigger();
      QVERIFY2(Same(f.Sky95()->Bitmap(), Picture()), name);
    }
    QCOMPARE(ui.Texts().size(), std::size_t{0});
  }

  void gaussianFromTheMenuEqualsTheRoutine() {
    TWebForm f;
    f.SetDialogs(dialogs);
    Show(f, Picture());
    values = {200};
    f.Action("mnuGaussian")->trigger();
    Dib want = Picture();
    GaussianBlur3x3(want, 55, false, 9);
    QVERIFY(Same(f.Sky95()->Bitmap(), want));
  }

  void theDialogStillGetsItsInput() {
    TWebForm f;
    f.SetDialogs(dialogs);
    Show(f, Picture());
    QLineEdit box;
    onAsk = [&box] {
      QKeyEvent key(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, "a");
      QCoreApplication::sendEvent(&box, &key);
    };
    f.Action("mnuSoften")->trigger();
    QCOMPARE(box.text(), QString("a"));
  }

  void escWhileAFilterRunsLeavesThePicture() {
    TWebForm f;
    f.SetDialogs(dialogs);
    Show(f, Picture());
    // Pressed once the value is chosen: it arrives while the filter pumps events.
    onAsk = [&f] {
      QCoreApplication::postEvent(&f, new QKeyEvent(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier));
    };
    f.Action("mnuDespeckle")->trigger();
    QVERIFY(Same(f.Sky95()->Bitmap(), Picture()));
    QVERIFY(!f.State().ImageModified);
    QVERIFY(!f.Action("mnuUndo")->isEnabled());
    QCOMPARE(f.StatusPanelText(0), QString("Ready."));
  }
};

QTEST_MAIN(WebFormFiltersTest)
#include "web_form_filters_test.moc"
