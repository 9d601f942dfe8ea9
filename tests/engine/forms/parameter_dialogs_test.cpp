// The parameter dialogs driven as a user would: values, ranges, presets, Cancel.
#include <QCheckBox>
#include <QComboBox>
#include <QButtonGroup>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QSlider>
#include <QSpinBox>
#include <QTimer>
#include <QtTest>

#include "engine/dialogs/histogram_dialog.h"
#include "engine/dialogs/quad_dialog.h"
#include "engine/dialogs/resize_form.h"
#include "support/fake_dialogs.h"
#include "engine/dialogs/scroll_dialog.h"

using namespace pelira;

namespace {

SliderRequest Zoomish() {
  SliderRequest r;
  r.min = 25;
  r.max = 800;
  r.start = 100;
  r.page = 25;
  r.presets = {50, 75, 100, 200, 400, 800};
  r.showPresets = true;
  return r;
}

// Runs fn on the next turn of the event loop, once the modal dialog is open.
void Later(std::function<void()> fn) { QTimer::singleShot(0, fn); }

QDialog* OpenDialog() {
  for (QWidget* w : QApplication::topLevelWidgets())
    if (auto* d = qobject_cast<QDialog*>(w); d && d->isVisible()) return d;
  return nullptr;
}

}  // namespace

class ParameterDialogsTest : public QObject {
  Q_OBJECT
private slots:
  void sliderShowsRangeLabelsAndPresets() {
    TXScrlDlg dlg("Set Magnification (%)", "", "800 (max)", Zoomish());
    QCOMPARE(dlg.windowTitle(), QString("Set Magnification (%)"));
    QCOMPARE(dlg.ScrollBar()->minimum(), 25);
    QCOMPARE(dlg.ScrollBar()->maximum(), 800);
    QCOMPARE(dlg.ScrollBar()->pageStep(), 25);
    QCOMPARE(dlg.MinText()->text(), QString("25"));  // an empty label shows the number
    QCOMPARE(dlg.MaxText()->text(), QString("800 (max)"));
    QCOMPARE(dlg.NumberBox()->text(), QString("100"));
    QCOMPARE(dlg.Preset(3)->text(), QString("&d = 200"));
    QVERIFY(!dlg.HexText()->isVisibleTo(&dlg));
    QVERIFY(dlg.PresetGroup()->isVisibleTo(&dlg));
  }

  void presetClosesAsOk() {
    Later([] {
      auto* d = qobject_cast<TXScrlDlg*>(OpenDialog());
      QVERIFY(d);
      QTest::mouseClick(d->Preset(3), Qt::LeftButton);
    });
    QCOMPARE(TXScrlDlg::RunSliderDialog(nullptr, "Zoom", "", "", Zoomish()), 200);
  }

  void typingIsLimitedAndScrollFollows() {
    TXScrlDlg dlg("t", "", "", Zoomish());
    dlg.NumberBox()->clear();
    QTest::keyClicks(dlg.NumberBox(), "5000");
    QCOMPARE(dlg.NumberBox()->text(), QString("800"));
    QCOMPARE(dlg.ScrollBar()->value(), 800);
    dlg.NumberBox()->clear();
    QTest::keyClicks(dlg.NumberBox(), "50");
    QCOMPARE(dlg.ScrollBar()->value(), 50);  // 5 on the way to 50 is not corrected below the minimum
    dlg.NumberBox()->clear();
    QTest::keyClicks(dlg.NumberBox(), "zz");
    QTest::keyClick(dlg.NumberBox(), Qt::Key_Return);
    QCOMPARE(dlg.NumberBox()->text(), QString("100"));  // not a number: back to the start
    dlg.ScrollBar()->setValue(400);
    QCOMPARE(dlg.NumberBox()->text(), QString("400"));
  }

  void cancelGivesMinus999() {
    Later([] { OpenDialog()->reject(); });
    QCOMPARE(TXScrlDlg::RunSliderDialog(nullptr, "Zoom", "", "", Zoomish()), -999);
    Later([] {
      auto* d = qobject_cast<TXScrlDlg*>(OpenDialog());
      d->ScrollBar()->setValue(333);
      d->accept();
    });
    QCOMPARE(TXScrlDlg::RunSliderDialog(nullptr, "Zoom", "", "", Zoomish()), 333);
  }

  void trackBarModeAndColourRange() {
    SliderRequest r;
    r.min = 1;
    r.max = 8;
    r.start = 3;
    r.trackBar = true;
    TXScrlDlg dlg("Thumbnail size", "small", "large", r);
    QVERIFY(dlg.TrackBar());
    dlg.TrackBar()->setValue(2);
    QCOMPARE(dlg.windowTitle(), QString("Thumbnail size 80x60"));
    QCOMPARE(dlg.Position(), 2);
    SliderRequest c;
    c.min = 0;
    c.max = 0xFFFFFF;
    c.start = 0xFF8000;
    TXScrlDlg colour("Colour", "", "", c);
    QVERIFY(colour.HexText()->isVisibleTo(&colour));
    QCOMPARE(colour.HexText()->text(), QString("00FF8000"));
  }

  void sizeDialogKeepsAspect() {
    TResizeForm dlg(0, 0, 400, 300, 4000, 3000, "Image Resize", 24);
    dlg.WidthBox()->setValue(200);
    QCOMPARE(dlg.HeightBox()->value(), 150);
    QCOMPARE(dlg.XBox()->text(), QString("50.0"));
    dlg.XBox()->setText("25");
    emit dlg.XBox()->editingFinished();
    QCOMPARE(dlg.WidthBox()->value(), 100);
    QCOMPARE(dlg.HeightBox()->value(), 75);
    QCOMPARE(dlg.WidthBox()->minimum(), 1);  // never a zero side
    QVERIFY(!dlg.CopyOperation()->isEnabled());  // copy operations are for 1-bit pictures
    dlg.accept();
    const SizeResult r = dlg.Result();
    QCOMPARE(r.width, 100);
    QCOMPARE(r.height, 75);
    TResizeForm cancelled(0, 0, 400, 300, 4000, 3000, "Image Resize", 24);
    cancelled.reject();
    QCOMPARE(cancelled.Result().width, -1);
    QCOMPARE(cancelled.Result().height, -1);
    TResizeForm mono(0, 0, 40, 30, 400, 300, "Image Resize", 1);
    QCOMPARE(mono.CopyOperation()->currentText(), QString("Preserve Black"));
    TResizeForm loose(0, 0, 400, 300, 4000, 3000, "Image Resample", 999);
    QVERIFY(!loose.KeepAspect()->isChecked());
  }

  void rectangleAndBorderModes() {
    TResizeForm rect(100, 50, 200, 100, 640, 480, "Adjust Selection", 0);
    rect.XBox()->setText("600");
    emit rect.XBox()->editingFinished();
    QCOMPARE(rect.XBox()->text(), QString("440"));  // x + width stays inside
    rect.accept();
    QCOMPARE(rect.Result().x, 440);
    QCOMPARE(rect.Result().y, 50);
    FakeEngineDialogs dialogs;
    dialogs.color = [](std::uint32_t) { return 0x0000FFll; };
    TResizeForm border(-1, -1, 10, 10, 100, 100, "Set Border", -2);
    border.SetDialogs(&dialogs);
    QVERIFY(border.ColorPanel()->isVisibleTo(&border));
    QTest::mouseClick(border.ColorPanel(), Qt::LeftButton);
    border.accept();
    QCOMPARE(border.Result().borderColor, 0x0000FFu);
  }

  void gridPicksACell() {
    TQuadDlg dlg(3, 2, 1000, 600);
    QCOMPARE(dlg.windowTitle(), QString("Grid Select 333x300  Left=0  Top=0"));
    // The area is 320 x 192 centred: the cell in column 2, row 1.
    dlg.ClickAt(QPoint(300, 200));
    QCOMPARE(dlg.windowTitle(), QString("Grid Select 333x300  Left=666  Top=300"));
    dlg.accept();
    const GridResult r = dlg.Result();
    QVERIFY(!r.cancelled);
    QCOMPARE(r.cell.left, 666);
    QCOMPARE(r.cell.bottom, 599);
    TQuadDlg tiny(8, 8, 3, 2);
    QCOMPARE(tiny.Columns()->value(), 3);
    QCOMPARE(tiny.Rows()->value(), 2);
    tiny.reject();
    QVERIFY(tiny.Result().cancelled);
  }

  void histogramDrawsZoomsAndReadsBins() {
    Histograms h;
    h.red[10] = 2;
    h.green[200] = 1;
    h.peak = 2;
    THistogramDlg dlg("Histogram [a.jpg]", h);
    QCOMPARE(dlg.windowTitle(), QString("Histogram [a.jpg]"));
    QCOMPARE(dlg.Drawing().pixelColor(10, 0), QColor(Qt::red));  // the full bar reaches the top
    QCOMPARE(dlg.Drawing().pixelColor(200, 255 - 127), QColor(Qt::green));
    QCOMPARE(dlg.Drawing().pixelColor(200, 255 - 128), QColor(Qt::white));
    QTest::mouseClick(dlg.ZoomButton(), Qt::LeftButton);
    QCOMPARE(dlg.ZoomButton()->text(), QString("&Zoom x2"));
    QCOMPARE(dlg.Drawing().pixelColor(200, 1), QColor(Qt::green));  // peak below the zoom still draws
    for (int i = 0; i < 7; ++i) QTest::mouseClick(dlg.ZoomButton(), Qt::LeftButton);
    QCOMPARE(dlg.Zoom(), 1);  // the zoom cycles 1..8
    QTest::mouseClick(dlg.Area(), Qt::LeftButton, {}, QPoint(10, 100));
    QCOMPARE(dlg.Bin(), 10);
    QCOMPARE(dlg.BinText()->text(), QString("Bin:   10\nMax: 2\nRed: 2\nGrn:  0\nBlu:   0\nGry:   0\nSat:   0"));
    QCOMPARE(dlg.BinBar()->value(), 10);
  }
};

QTEST_MAIN(ParameterDialogsTest)
#include "parameter_dialogs_test.moc"
