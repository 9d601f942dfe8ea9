// The colour commands reached through the viewer's menus: Tune › HLS through its preview
// dialog, the Threshold and Gray shades submenus, the colour base picked in the Airbrush
// dialog with its Show mask view, and the mask by colour's refusal.
#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QScrollBar>
#include <QtTest>

#include "display/forms/pix.h"
#include "edit/tone_commands.h"
#include "engine/color_select.h"
#include "engine/dialogs/filter_preview_dialog.h"
#include "engine/hls_tune.h"
#include "platform/scripted_ui.h"
#include "support/fake_dialogs.h"
#include "viewer/forms/web_form.h"

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

QStringList ItemNames(QMenu* m) {
  QStringList names;
  for (QAction* a : m->actions())
    if (!a->isSeparator()) names << a->objectName();
  return names;
}

}  // namespace

class WebFormColorsTest : public QObject {
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
  void initTestCase() { SetCurrentUi(&ui); }
  void cleanupTestCase() { SetCurrentUi(nullptr); }
  void init() {
    ui.Clear();
    dialogs.filter = {};
  }

  void hlsTuneThroughTheMenu() {
    TWebForm f;
    f.SetDialogs(dialogs);
    Show(f, Picture());
    QString title;
    QStringList names;
    dialogs.filter = [&](TFXdlg& d) {
      title = d.windowTitle();
      for (int i = 0; i < 3; ++i) names << d.SliderName(i)->text();
      QCOMPARE(d.MinText(0)->text(), QString("-999 (mag)"));
      QCOMPARE(d.MaxText(2)->text(), QString("+999 (more)"));
      QVERIFY(d.ColorPanel() && d.ColorPanel()->isVisibleTo(&d));
      d.Slider(0)->setValue(200);
      d.Slider(2)->setValue(-300);
      d.TestButton()->click();
      // The after picture is the tune of the view the before picture shows.
      Dib want = d.Before();
      ColorTuneHLS(want, 200, -300 * 3600 / 999, 0);
      QVERIFY(Same(d.After(), want));
      d.ApplyButton()->click();
    };
    QAction* item = f.Action("mnuTuneHLS");
    QVERIFY(item && item->isEnabled());
    item->trigger();
    QCOMPARE(title, QString("Adjust Hue-Luminance-Saturation"));
    QCOMPARE(names, (QStringList{"H&ue", "&Lum", "&Sat"}));
    Dib want = Picture();
    ColorTuneHLS(want, 200, -300 * 3600 / 999, 0);
    QVERIFY(Same(f.Sky95()->Bitmap(), want));
    QVERIFY(f.State().ImageModified);
    f.Action("mnuUndo")->trigger();
    QVERIFY(Same(f.Sky95()->Bitmap(), Picture()));
  }

  void submenusHoldTheirItems() {
    TWebForm f;
    f.SetDialogs(dialogs);
    Show(f, Picture());
    QMenu* threshold = f.Action("mnuThreshold")->menu();
    QVERIFY(threshold);
    QCOMPARE(ItemNames(threshold), (QStringList{"mnuThresholdHlsForeground", "mnuThresholdHlsBackground",
                                                "mnuThresholdRgbForeground", "mnuThresholdRgbBackground"}));
    QMenu* grays = f.Action("mnuGrayShades")->menu();
    QVERIFY(grays);
    QCOMPARE(ItemNames(grays), (QStringList{"mnuNaturalizeCcd", "mnuNaturalizeRgb", "mnuRgbMaximum", "mnuRgbMinimum",
                                            "mnuGrayShadesGrayscale"}));
    for (const char* name : {"mnuMaskBackcolors", "mnuMaskForecolors", "mnuAirbrush", "mnuRedEye", "mnuRgbMaximum"})
      QVERIFY2(f.Action(name) && f.Action(name)->isEnabled(), name);
    f.Action("mnuRgbMinimum")->trigger();
    const ColorValue p = f.Sky95()->Bitmap().Pixel(10, 10);
    QCOMPARE(RedOf(p), std::min({RedOf(Picture().Pixel(10, 10)), GreenOf(Picture().Pixel(10, 10)), BlueOf(Picture().Pixel(10, 10))}));
    QCOMPARE(GreenOf(p), RedOf(p));
  }

  // A click on the before picture names the colour base; Show mask shows the selection
  // around it; Apply airbrushes the picture with it.
  void airbrushPicksTheColourBaseAndShowsTheMask() {
    TWebForm f;
    f.SetDialogs(dialogs);
    Show(f, Picture());
    QString panelText;
    bool maskShown = false;
    dialogs.filter = [&](TFXdlg& d) {
      QVERIFY(d.ExtraButton()->isVisibleTo(&d));
      QCOMPARE(d.ExtraButton()->text(), QString("Show mask"));
      d.PickAt(12, 7);
      panelText = d.ColorPanel()->text();
      d.ExtraButton()->click();
      const ColorValue c = d.Before().Pixel(12, 7);
      const Hls base = RGBToHLS(RedOf(c), GreenOf(c), BlueOf(c));
      Dib want = d.Before();
      MaskColors(want, {base.h, base.l, base.s, 120, 1200, 1500}, false, true, false);
      maskShown = Same(d.After(), want);
      d.ApplyButton()->click();
    };
    f.Action("mnuAirbrush")->trigger();
    const ColorValue c = Picture().Pixel(12, 7);
    QCOMPARE(panelText, QString::fromStdString(PickedColorText(c)));
    QVERIFY(maskShown);
    const Hls base = RGBToHLS(RedOf(c), GreenOf(c), BlueOf(c));
    Dib want = Picture();
    AirBrush(want, {base.h, base.l, base.s, 120, 1200, 1500});
    QVERIFY(Same(f.Sky95()->Bitmap(), want));
  }

  void maskWithoutDuplicateWarns() {
    TWebForm f;
    f.SetDialogs(dialogs);
    Show(f, Picture());
    bool asked = false;
    dialogs.filter = [&](TFXdlg&) { asked = true; };
    f.Action("mnuMaskForecolors")->trigger();
    QVERIFY(!asked);
    QCOMPARE(ui.Texts(), std::vector<std::string>{kComputeCheckText});
    QVERIFY(Same(f.Sky95()->Bitmap(), Picture()));
    QVERIFY(!f.State().ImageModified);
  }
};

QTEST_MAIN(WebFormColorsTest)
#include "web_form_colors_test.moc"
