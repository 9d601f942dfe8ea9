// The select tool and the geometry commands reached from the viewer's menus: drawing, moving,
// resizing and clipping the selection with the mouse, Select all, Grid then Crop, and the
// dialogs of Mask, Border and Text mark.
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QMouseEvent>
#include <QPushButton>
#include <QSpinBox>
#include <QLineEdit>
#include <QtTest>

#include "display/forms/pix.h"
#include "edit/geometry_commands.h"
#include "engine/dialogs/filter_preview_dialog.h"
#include "engine/dialogs/quad_dialog.h"
#include "engine/dialogs/resize_form.h"
#include "platform/scripted_ui.h"
#include "support/fake_dialogs.h"
#include "support/test_pictures.h"
#include "viewer/forms/web_form.h"
#include "edit/tone_commands.h"

using namespace pelira;

namespace {

void Mouse(QWidget* w, QEvent::Type type, QPoint p, Qt::MouseButton button, Qt::MouseButtons held) {
  QMouseEvent e(type, QPointF(p), QPointF(w->mapToGlobal(p)), button, held, Qt::NoModifier);
  QApplication::sendEvent(w, &e);
}

// A left-button drag on the picture from a to b.
void Drag(TWebForm& f, QPoint a, QPoint b) {
  QWidget* pix = f.Sky95();
  Mouse(pix, QEvent::MouseButtonPress, a, Qt::LeftButton, Qt::LeftButton);
  Mouse(pix, QEvent::MouseMove, (a + b) / 2, Qt::NoButton, Qt::LeftButton);
  Mouse(pix, QEvent::MouseMove, b, Qt::NoButton, Qt::LeftButton);
  Mouse(pix, QEvent::MouseButtonRelease, b, Qt::LeftButton, Qt::NoButton);
}

struct Rect {
  int left, top, right, bottom;
  bool operator==(const Rect&) const = default;
};
Rect Selection(TWebForm& f) {
  const SelectionBounds& r = f.State().SelectionRect;
  return {r.left, r.top, r.right, r.bottom};
}

}  // namespace

namespace QTest {
template <>
char* toString(const Rect& r) {
  return qstrdup(QString("(%1,%2,%3,%4)").arg(r.left).arg(r.top).arg(r.right).arg(r.bottom).toUtf8().constData());
}
}  // namespace QTest

class WebFormSelectTest : public QObject {
  Q_OBJECT
  ScriptedUi ui;
  FakeViewerDialogs dialogs;

  // A window at zoom 100 showing picture, the select tool chosen.
  void Show(TWebForm& f, const Dib& picture) {
    f.SetDialogs(dialogs);
    f.resize(600, 500);
    f.show();
    QVERIFY(QTest::qWaitForWindowExposed(&f));
    f.Sky95()->SetBitmap(picture);
    SyncImageState(f.State(), picture);
    f.State().ImageLoaded = true;
    f.State().ImageModified = false;
    f.State().FitMode = false;
    f.State().Zoom = 100;
    f.ApplyZoom();
    QCOMPARE(f.Sky95()->size(), QSize(picture.Width(), picture.Height()));
    f.Action("mnuSelectTool")->trigger();
    QVERIFY(f.State().SelectTool);
  }

private slots:
  void initTestCase() { SetCurrentUi(&ui); }
  void cleanupTestCase() { SetCurrentUi(nullptr); }
  void init() {
    ui.Clear();
    dialogs = FakeViewerDialogs();
  }

  void dragThenCropCutsWhatWasDrawn() {
    TWebForm f;
    const Dib start = test::PatternPicture(120, 90);
    Show(f, start);
    QVERIFY(!f.Action("mnuCrop")->isEnabled());
    Drag(f, {10, 20}, {59, 49});
    QVERIFY(f.State().SelectionDrawn);
    QCOMPARE(Selection(f), (Rect{10, 20, 60, 50}));
    QCOMPARE(f.State().LastRegion.right, 60);
    QVERIFY(f.Sky95()->FrameRect().has_value());
    QVERIFY(f.Action("mnuCrop")->isEnabled());
    QVERIFY(f.Action("mnuTrim1")->isEnabled());
    f.Action("mnuCrop")->trigger();
    const Dib& out = f.Sky95()->Bitmap();
    QCOMPARE(out.Width(), 50);
    QCOMPARE(out.Height(), 30);
    QCOMPARE(out.Pixel(0, 0), start.Pixel(10, 20));
    QCOMPARE(out.Pixel(49, 29), start.Pixel(59, 49));
    QCOMPARE(f.State().ImageWidth, 50);
    // Back to the hand tool, the selection gone with the crop.
    QVERIFY(!f.State().SelectTool);
    QVERIFY(!f.Action("mnuCrop")->isEnabled());
    f.Action("mnuUndo")->trigger();
    QCOMPARE(f.Sky95()->Bitmap().Width(), 120);
  }

  void dragsMoveAndResizeTheFrame() {
    TWebForm f;
    Show(f, test::PatternPicture(120, 90));
    Drag(f, {10, 10}, {39, 29});
    QCOMPARE(Selection(f), (Rect{10, 10, 40, 30}));
    // Inside the frame: the frame moves, size kept.
    Drag(f, {20, 20}, {30, 25});
    QCOMPARE(Selection(f), (Rect{20, 15, 50, 35}));
    // Its right edge: only that edge follows.
    const QRect frame = *f.Sky95()->FrameRect();
    Drag(f, {frame.right(), 25}, {79, 25});
    QCOMPARE(Selection(f), (Rect{20, 15, 80, 35}));
    // Moved against the picture's edge, it stops there.
    Drag(f, {40, 25}, {200, 300});
    QCOMPARE(Selection(f), (Rect{60, 70, 120, 90}));
  }

  void framesAreClippedAndTinyOnesAreNone() {
    TWebForm f;
    Show(f, test::PatternPicture(120, 90));
    // Dragged far past the picture (and from the viewport around it): the picture's edge.
    Drag(f, {100, 80}, {500, 400});
    QCOMPARE(Selection(f), (Rect{100, 80, 120, 90}));
    Drag(f, {50, 50}, {-40, -40});
    QCOMPARE(Selection(f), (Rect{0, 0, 51, 51}));
    // Three pixels or less (away from the frame, so a new one): no selection, nothing to crop.
    Drag(f, {80, 60}, {82, 85});
    QVERIFY(!f.State().SelectionDrawn);
    QVERIFY(!f.Sky95()->FrameRect().has_value());
    QVERIFY(!f.Action("mnuCrop")->isEnabled());
    // The hand tool drops the frame.
    Drag(f, {5, 5}, {30, 30});
    QVERIFY(f.Sky95()->FrameRect().has_value());
    f.Action("mnuHandTool")->trigger();
    QVERIFY(!f.Sky95()->FrameRect().has_value());
    QVERIFY(!f.Action("mnuCrop")->isEnabled());
  }

  void selectAllAndGridThenCrop() {
    TWebForm f;
    Show(f, test::PatternPicture(100, 100));
    f.Action("mnuSelectAll")->trigger();
    QCOMPARE(Selection(f), (Rect{0, 0, 100, 100}));
    QCOMPARE(*f.Sky95()->FrameRect(), QRect(0, 0, 100, 100));
    QVERIFY(f.Action("mnuCrop")->isEnabled());
    // Grid: 2 x 2, the lower right cell clicked.
    QString title;
    dialogs.gridForm = [&](TQuadDlg& d) {
      const QRect area = d.Area()->rect();
      d.ClickAt(area.center() + QPoint(area.width() / 4, area.height() / 4));
      title = d.windowTitle();
      return true;
    };
    f.Action("mnuGrid")->trigger();
    QCOMPARE(Selection(f), (Rect{50, 50, 100, 100}));
    QVERIFY(f.State().SelectTool);
    f.Action("mnuCrop")->trigger();
    QCOMPARE(f.Sky95()->Bitmap().Width(), 50);
    QCOMPARE(f.Sky95()->Bitmap().Pixel(0, 0), test::PatternPicture(100, 100).Pixel(50, 50));
    // Copy › Grid: the cell goes to the clipboard, the picture stays.
    f.Action("mnuUndo")->trigger();
    QCOMPARE(f.Sky95()->Bitmap().Width(), 100);
    f.Action("mnuCopyGrid")->trigger();
    QCOMPARE(QGuiApplication::clipboard()->image().size(), QSize(50, 50));
    QCOMPARE(f.Sky95()->Bitmap().Width(), 100);
    f.Action("mnuCrop")->trigger();
    // Under 64 x 64 the grid says so and asks nothing.
    dialogs.gridForm = [&](TQuadDlg&) {
      title = "asked";
      return true;
    };
    title.clear();
    ui.Clear();
    f.Action("mnuGrid")->trigger();
    QVERIFY(title.isEmpty());
    QCOMPARE(ui.Texts(), std::vector<std::string>{kGridTooSmallText});
  }

  void maskBorderAndTextMarkDialogs() {
    TWebForm f;
    const Dib start = test::PatternPicture(100, 80);
    Show(f, start);
    // Mask: "Adjust Selection" shows the whole picture, the typed rectangle becomes the selection.
    dialogs.sizeForm = [](TResizeForm& d) {
      if (d.windowTitle() != "Adjust Selection" || d.WidthBox()->value() != 100) return false;
      d.XBox()->setText("5");
      d.YBox()->setText("6");
      d.WidthBox()->setValue(20);
      d.HeightBox()->setValue(10);
      return true;
    };
    f.Action("mnuMask")->trigger();
    QCOMPARE(Selection(f), (Rect{5, 6, 25, 16}));
    QVERIFY(f.Sky95()->FrameRect().has_value());
    // Border: "Set Border", with its colour from the colour chooser.
    dialogs.color = [](std::uint32_t) { return 0x0000FFLL; };
    dialogs.sizeForm = [](TResizeForm& d) {
      if (d.windowTitle() != "Set Border") return false;
      d.WidthBox()->setValue(3);
      d.HeightBox()->setValue(2);
      d.ColorPanel()->click();
      return true;
    };
    f.Action("mnuBorder1")->trigger();
    QCOMPARE(f.Sky95()->Bitmap().Pixel(2, 40), MakeColor(255, 0, 0));
    QCOMPARE(f.Sky95()->Bitmap().Pixel(50, 1), MakeColor(255, 0, 0));
    QCOMPARE(f.Sky95()->Bitmap().Pixel(50, 40), start.Pixel(50, 40));
    QVERIFY(f.State().ImageModified);
    f.Action("mnuUndo")->trigger();
    // Text mark: the prompt's title and label, then the mark drawn at the top left.
    QString asked;
    dialogs.text = [&](const QString& t, const QString& label, const QString&) {
      asked = t + "|" + label;
      return std::optional<QString>("Hello");
    };
    f.Action("mnuTextMarkTopLeft")->trigger();
    QCOMPARE(asked, QString("Enter notice or copyright text.|e.g., Vacation in Hawaii @@D"));
    QVERIFY(!test::SamePixels(f.Sky95()->Bitmap(), start));
    QCOMPARE(f.Sky95()->Bitmap().Pixel(50, 70), start.Pixel(50, 70));
  }

  void rotateAndMirrorItems() {
    TWebForm f;
    const Dib start = test::PatternPicture(60, 40);
    Show(f, start);
    f.Action("mnuRotate90")->trigger();
    QCOMPARE(f.Sky95()->Bitmap().Width(), 40);
    QCOMPARE(f.State().ImageWidth, 40);
    QCOMPARE(f.Sky95()->Bitmap().Pixel(39, 0), start.Pixel(0, 0));
    f.Action("mnuUndo")->trigger();
    f.Action("mnuMirrorVert")->trigger();
    QCOMPARE(f.Sky95()->Bitmap().Pixel(0, 0), start.Pixel(0, 39));
    f.Action("mnuUndo")->trigger();
    f.Action("mnuMirrorHorz")->trigger();
    QCOMPARE(f.Sky95()->Bitmap().Pixel(0, 0), start.Pixel(59, 0));
  }

  void resizeAndPosterizeItems() {
    TWebForm f;
    Show(f, test::PatternPicture(60, 40));
    QString title;
    dialogs.sizeForm = [&](TResizeForm& d) {
      title = d.windowTitle();
      d.WidthBox()->setValue(30);  // the aspect is kept: 30 x 20
      return true;
    };
    f.Action("mnuResizeInterpolate")->trigger();
    QCOMPARE(title, QString("Image Resize"));
    QCOMPARE(f.Sky95()->Bitmap().Width(), 30);
    QCOMPARE(f.Sky95()->Bitmap().Height(), 20);
    QCOMPARE(f.State().ImageHeight, 20);
    // Posterize: the preview dialog, applied at its remembered 3 bits a channel.
    dialogs.filter = [&](TFXdlg& d) {
      title = d.windowTitle();
      d.TestButton()->click();
      d.ApplyButton()->click();
    };
    f.Action("mnuPosterize")->trigger();
    QCOMPARE(title, QString("Cut resolution (posterize) to"));
    const Dib& p = f.Sky95()->Bitmap();
    for (int y = 0; y < p.Height(); ++y)
      for (int x = 0; x < p.Width(); ++x) QCOMPARE(p.Pixel(x, y) & 0x1F1F1Fu, 0u);
  }
};

QTEST_MAIN(WebFormSelectTest)
#include "web_form_select_test.moc"
