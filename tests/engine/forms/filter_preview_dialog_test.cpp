// The filter preview dialog driven through the viewer's own commands: what the sliders
// offer, that Test shows exactly what Apply then does, that Cancel leaves everything as it
// was, and the JPEG wizard's size and ratio against an independent encoder.
#include <QAction>
#include <QGuiApplication>
#include <QScreen>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include <cstdio>
#include <fstream>
#include <functional>
#include <random>

#include "app/startup_state.h"
#include "app/stored_settings.h"
#include "batch/headless_host.h"
#include "batch/script_interpreter.h"
#include "display/forms/pix.h"
#include "engine/dialogs/filter_preview_dialog.h"
#include "engine/color_select.h"
#include "engine/engine_state.h"
#include "engine/filter_preview.h"
#include "image/jpeg_image.h"
#include "image/jpeg_wizard_settings.h"
#include "platform/help.h"
#include "platform/settings_store.h"
#include "platform/scripted_ui.h"
#include "support/fake_dialogs.h"
#include "viewer/forms/save_dialog.h"
#include "viewer/forms/web_form.h"
#include "viewer/open_flow.h"
#include "edit/tone_commands.h"
#include "edit/filter_commands.h"

using namespace pelira;

namespace {

// Smooth gradients with noise: every tone command changes most pixels.
Dib Picture(int w, int h, unsigned seed = 7) {
  std::mt19937 rng(seed);
  Dib d(w, h, 24);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const int n = static_cast<int>(rng() % 24);
      d.SetPixel(x, y, MakeColor((x * 255 / w + n) % 256, (y * 255 / h + n) % 256, ((x + y) * 2 + n) % 256));
    }
  return d;
}

// margin: rows and columns along the window's edge left out, where a kernel filter sees the
// window's border but the whole picture's neighbours.
bool SameRegion(const Dib& big, const TRect& r, const Dib& small, int margin = 0) {
  if (small.Width() != r.Width() || small.Height() != r.Height()) return false;
  for (int y = margin; y < r.Height() - margin; ++y)
    for (int x = margin; x < r.Width() - margin; ++x)
      if (big.Pixel(r.left + x, r.top + y) != small.Pixel(x, y)) return false;
  return true;
}

bool Same(const Dib& a, const Dib& b) {
  return a.Width() == b.Width() && a.Height() == b.Height() && SameRegion(a, {0, 0, a.Width(), a.Height()}, b);
}

class Lines : public ScriptRecorder {
public:
  void RecordScriptLine(const std::string& line) override { lines.push_back(line); }
  void AppendLines(const std::vector<std::string>& l) override { lines.insert(lines.end(), l.begin(), l.end()); }
  std::vector<std::string> lines;
};

void Show(TWebForm& f, const Dib& d) {
  f.Sky95()->SetBitmap(d);
  SyncImageState(f.State(), d);
  f.State().ImageLoaded = true;
  f.State().ImageModified = false;
}

// The dialogs every window and wizard of these tests is handed.
FakeViewerDialogs g_dialogs;

// Runs one menu command with the dialog handed to drive.
void RunWith(TWebForm& f, const char* action, std::function<void(TFXdlg&)> drive) {
  g_dialogs.filter = std::move(drive);
  f.SetDialogs(g_dialogs);
  f.Action(action)->trigger();
  g_dialogs.filter = {};
}

bool WritePpm(const Dib& d, const std::string& path) {
  std::ofstream out(path, std::ios::binary);
  out << "P6\n" << d.Width() << " " << d.Height() << "\n255\n";
  for (int y = 0; y < d.Height(); ++y)
    for (int x = 0; x < d.Width(); ++x) {
      const ColorValue c = d.Pixel(x, y);
      const char rgb[3] = {static_cast<char>(RedOf(c)), static_cast<char>(GreenOf(c)), static_cast<char>(BlueOf(c))};
      out.write(rgb, 3);
    }
  return static_cast<bool>(out);
}

std::uint64_t FileSize(const std::string& path) {
  std::ifstream in(path, std::ios::binary | std::ios::ate);
  return in ? static_cast<std::uint64_t>(in.tellg()) : 0;
}

// Runs the wizard over picture with the seam driving it.
void RunWizard(const Dib& picture, bool saveAs, std::function<void(TFXdlg&)> drive) {
  g_dialogs.filter = std::move(drive);
  TFXdlg::RunJpegWizard(nullptr, picture, saveAs, &g_dialogs);
  g_dialogs.filter = {};
}

}  // namespace

class FilterPreviewDialogTest : public QObject {
  Q_OBJECT
  ScriptedUi ui;

private slots:
  void initTestCase() { SetCurrentUi(&ui); }
  void cleanupTestCase() { SetCurrentUi(nullptr); }

  void slidersFollowTheRequest_data() {
    QTest::addColumn<QString>("action");
    QTest::addColumn<int>("shown");
    QTest::addColumn<QList<int>>("ranges");  // min, max per shown slider
    QTest::addColumn<QStringList>("names");
    QTest::newRow("parametric eq") << "mnuParametricEqAll" << 3 << QList<int>{0, 255, 7, 127, -127, 127}
                                   << QStringList{"&Center", "&Band", "&Gain"};
    QTest::newRow("brightness rgb") << "mnuBrightnessRGB" << 3 << QList<int>{-127, 127, -127, 127, -127, 127}
                                    << QStringList{"&Red  ", "&Green", "&Blue "};
    QTest::newRow("limit") << "mnuLimitAll" << 3 << QList<int>{0, 255, 0, 255, 0, 255}
                           << QStringList{"&Shadows", "&Median", "High&Light"};
    QTest::newRow("map red") << "mnuMapRed" << 2 << QList<int>{8, 240, 3, 127} << QStringList{"&Center", "&Band"};
    QTest::newRow("gamma") << "mnuGammaGlobal" << 1 << QList<int>{1, 500} << QStringList{""};
  }
  void slidersFollowTheRequest() {
    QFETCH(QString, action);
    QFETCH(int, shown);
    QFETCH(QList<int>, ranges);
    QFETCH(QStringList, names);
    TWebForm f;
    f.SetDialogs(g_dialogs);
    Show(f, Picture(64, 48));
    bool ran = false;
    RunWith(f, action.toLatin1().constData(), [&](TFXdlg& d) {
      ran = true;
      for (int i = 0; i < 3; ++i) {
        QCOMPARE(d.Slider(i)->isVisibleTo(&d), i < shown);
        if (i >= shown) continue;
        QCOMPARE(d.Slider(i)->minimum(), ranges[2 * i]);
        QCOMPARE(d.Slider(i)->maximum(), ranges[2 * i + 1]);
        QCOMPARE(d.SliderName(i)->text(), names[i]);
        QCOMPARE(d.NumberBox(i)->text(), QString::number(d.Slider(i)->value()));
      }
      QVERIFY(!d.ApplyButton()->isEnabled());  // nothing previewed yet
      d.CancelButton()->click();
    });
    QVERIFY(ran);
  }

  // The after picture is exactly the applied picture's window, for point edits and for the
  // remaps that read the whole picture's statistics.
  void testMatchesApply_data() {
    QTest::addColumn<QString>("action");
    QTest::addColumn<QList<int>>("moves");
    QTest::addColumn<int>("margin");
    QTest::newRow("gamma rgb") << "mnuGammaRGB" << QList<int>{60, 180, 240} << 0;
    QTest::newRow("contrast") << "mnuContrastGlobal" << QList<int>{40} << 0;
    QTest::newRow("white balance") << "mnuWhiteBalance" << QList<int>{30} << 0;
    QTest::newRow("enhance saturation") << "mnuEnhanceSaturation" << QList<int>{20, 200} << 0;
    QTest::newRow("limit green") << "mnuLimitGreen" << QList<int>{30, 120, 220} << 0;
    QTest::newRow("parametric eq blue") << "mnuParametricEqBlue" << QList<int>{90, 40, 80} << 0;
    QTest::newRow("map equalize") << "mnuMapEqualize" << QList<int>{150, 40} << 0;
    QTest::newRow("tune rgb") << "mnuTuneRGB" << QList<int>{140, 80} << 0;
    QTest::newRow("gaussian") << "mnuGaussian" << QList<int>{200} << 1;
    QTest::newRow("despeckle") << "mnuDespeckle" << QList<int>{2} << 3;
    QTest::newRow("unsharp mask") << "mnuUnsharpMask" << QList<int>{120, 60} << 2;
    QTest::newRow("clean") << "mnuClean" << QList<int>{40, 80} << 2;
  }
  void testMatchesApply() {
    QFETCH(QString, action);
    QFETCH(QList<int>, moves);
    QFETCH(int, margin);
    TWebForm f;
    f.SetDialogs(g_dialogs);
    const Dib original = Picture(520, 430);
    Show(f, original);
    Lines lines;
    f.Edits().SetRecorder(&lines);
    f.Filters().SetRecorder(&lines);
    Dib after;
    TRect window;
    RunWith(f, action.toLatin1().constData(), [&](TFXdlg& d) {
      d.BeforeScroll(true)->setValue(37);
      d.BeforeScroll(false)->setValue(21);
      for (int i = 0; i < moves.size(); ++i) d.Slider(i)->setValue(moves[i]);
      QVERIFY(!d.ApplyButton()->isEnabled());
      d.TestButton()->click();
      QVERIFY(d.ApplyButton()->isEnabled());
      after = d.After();
      window = d.Window();
      d.ApplyButton()->click();
    });
    QCOMPARE(window.left, 37);
    QCOMPARE(window.top, 21);
    QCOMPARE(window.Width(), 360);
    QCOMPARE(window.Height(), 360);
    QVERIFY(!SameRegion(original, window, after, margin));  // the edit did something
    QVERIFY(SameRegion(f.Sky95()->Bitmap(), window, after, margin));
    QCOMPARE(lines.lines.size(), std::size_t{1});
    f.Edits().SetRecorder(nullptr);
    f.Filters().SetRecorder(nullptr);
  }

  void recordedLineCarriesThePreviewedValues() {
    TWebForm f;
    f.SetDialogs(g_dialogs);
    Show(f, Picture(80, 60));
    Lines lines;
    f.Edits().SetRecorder(&lines);
    RunWith(f, "mnuLimitAll", [&](TFXdlg& d) {
      d.Slider(0)->setValue(20);
      d.Slider(1)->setValue(110);
      d.TestButton()->click();
      d.Slider(2)->setValue(200);  // moved after the Test: Apply must wait for a new one
      QVERIFY(!d.ApplyButton()->isEnabled());
      d.TestButton()->click();
      d.ApplyButton()->click();
    });
    QCOMPARE(lines.lines, std::vector<std::string>{"LIMIT_ALL=20,110,200"});
    f.Edits().SetRecorder(nullptr);
  }

  void cancelLeavesPictureUndoAndScript() {
    TWebForm f;
    f.SetDialogs(g_dialogs);
    const Dib original = Picture(90, 70);
    Show(f, original);
    Lines lines;
    f.Edits().SetRecorder(&lines);
    RunWith(f, "mnuGammaRGB", [&](TFXdlg& d) {
      d.Slider(0)->setValue(300);
      d.TestButton()->click();
      QVERIFY(!Same(d.After(), d.Before()));
      d.CancelButton()->click();
    });
    QVERIFY(Same(f.Sky95()->Bitmap(), original));
    QVERIFY(!f.State().ImageModified);
    QVERIFY(!f.Action("mnuUndo")->isEnabled());
    QVERIFY(lines.lines.empty());
    f.Edits().SetRecorder(nullptr);
  }

  void autoTestCoalescesSliderMoves() {
    TWebForm f;
    f.SetDialogs(g_dialogs);
    Show(f, Picture(100, 80));
    RunWith(f, "mnuBrightnessRGB", [&](TFXdlg& d) {
      d.AutoTest()->setChecked(true);
      QTRY_VERIFY(!d.PreviewPending());
      const int before = d.PreviewCount();
      for (int v : {10, 20, 30}) d.Slider(0)->setValue(v);
      d.Slider(1)->setValue(-40);
      QCOMPARE(d.PreviewCount(), before);  // nothing ran inside the handlers
      QVERIFY(d.PreviewPending());
      QTRY_COMPARE(d.PreviewCount(), before + 1);
      QVERIFY(d.ApplyButton()->isEnabled());
      d.AutoTest()->setChecked(false);
      d.CancelButton()->click();
    });
  }

  void fittedViewShowsTheWholePictureReduced() {
    TWebForm f;
    f.SetDialogs(g_dialogs);
    Show(f, Picture(900, 300));
    RunWith(f, "mnuGammaGlobal", [&](TFXdlg& d) {
      d.ActualView()->setChecked(false);
      QCOMPARE(d.Before().Width(), 360);
      QCOMPARE(d.Before().Height(), 120);
      d.TestButton()->click();
      QCOMPARE(d.After().Width(), 360);
      QCOMPARE(d.After().Height(), 120);
      d.CancelButton()->click();
    });
  }

  void numberBoxClampsAndRestores() {
    TWebForm f;
    f.SetDialogs(g_dialogs);
    Show(f, Picture(50, 40));
    RunWith(f, "mnuGammaGlobal", [&](TFXdlg& d) {
      struct Case {
        const char* typed;
        int slider;
      } cases[] = {{"250", 250}, {"9000", 500}, {"abc", 500}, {"-5", 1}};
      for (const Case& c : cases) {
        d.NumberBox(0)->setText(c.typed);
        emit d.NumberBox(0)->editingFinished();
        QCOMPARE(d.Slider(0)->value(), c.slider);
        QCOMPARE(d.NumberBox(0)->text(), QString::number(c.slider));
      }
      d.CancelButton()->click();
    });
  }

  void resetRestoresStartsAndPreviews() {
    TWebForm f;
    f.SetDialogs(g_dialogs);
    Show(f, Picture(60, 50));
    RunWith(f, "mnuParametricEqAll", [&](TFXdlg& d) {
      d.Slider(0)->setValue(10);
      d.Slider(2)->setValue(100);
      d.ResetButton()->click();
      QCOMPARE(d.Values(), (std::array<int, 3>{127, 63, 0}));
      QVERIFY(d.ApplyButton()->isEnabled());
      d.CancelButton()->click();
    });
  }

  void helpButtonOpensThePreviewPage() {
    RecordingHelpViewer help;
    Help::SetViewer(&help);
    TWebForm f;
    f.SetDialogs(g_dialogs);
    Show(f, Picture(40, 30));
    RunWith(f, "mnuGammaGlobal", [&](TFXdlg& d) {
      for (QPushButton* b : d.findChildren<QPushButton*>())
        if (b->text() == "&Help") b->click();
      d.CancelButton()->click();
    });
    Help::SetViewer(nullptr);
    QCOMPARE(help.Contexts(), std::vector<int>{445});
  }

  void extraButtonAndColorPanelByKind_data() {
    QTest::addColumn<QString>("action");
    QTest::addColumn<QString>("button");  // "" for none
    QTest::addColumn<bool>("panel");
    QTest::newRow("brightness rgb") << "mnuBrightnessRGB" << "Histogram" << false;
    QTest::newRow("limit") << "mnuLimitAll" << "Histogram" << false;
    QTest::newRow("map red") << "mnuMapRed" << "Histogram" << false;
    QTest::newRow("parametric eq") << "mnuParametricEqGreen" << "E&Q Curve" << true;
    QTest::newRow("white balance") << "mnuWhiteBalance" << "" << true;
    QTest::newRow("gamma rgb") << "mnuGammaRGB" << "" << false;
    QTest::newRow("gaussian") << "mnuGaussian" << "" << false;
  }
  void extraButtonAndColorPanelByKind() {
    QFETCH(QString, action);
    QFETCH(QString, button);
    QFETCH(bool, panel);
    TWebForm f;
    f.SetDialogs(g_dialogs);
    Show(f, Picture(40, 30));
    RunWith(f, action.toLatin1().constData(), [&](TFXdlg& d) {
      QCOMPARE(d.ExtraButton()->isVisibleTo(&d), !button.isEmpty());
      if (!button.isEmpty()) QCOMPARE(d.ExtraButton()->text(), button);
      QCOMPARE(d.ColorPanel() != nullptr && d.ColorPanel()->isVisibleTo(&d), panel);
      d.CancelButton()->click();
    });
  }

  // The Histogram button shows the whole picture as it stands, not the previewed window.
  void histogramButtonShowsTheUnmodifiedPicture() {
    TWebForm f;
    f.SetDialogs(g_dialogs);
    const Dib original = Picture(420, 400);  // larger than the preview window
    Show(f, original);
    QString title;
    Histograms shown;
    g_dialogs.histogram = [&](QWidget*, const QString& t, const Histograms& h) {
      title = t;
      shown = h;
    };
    RunWith(f, "mnuLimitAll", [&](TFXdlg& d) {
      d.BeforeScroll(true)->setValue(30);
      d.Slider(0)->setValue(90);
      d.TestButton()->click();
      d.ExtraButton()->click();
      d.CancelButton()->click();
    });
    g_dialogs.histogram = {};
    QCOMPARE(title, QString("Histogram [Unmodified image]"));
    Histogram red{}, blue{};
    for (int y = 0; y < original.Height(); ++y)
      for (int x = 0; x < original.Width(); ++x) {
        ++red[static_cast<std::size_t>(RedOf(original.Pixel(x, y)))];
        ++blue[static_cast<std::size_t>(BlueOf(original.Pixel(x, y)))];
      }
    QVERIFY(shown.red == red);
    QVERIFY(shown.blue == blue);
  }

  // E&Q Curve draws the tables the sliders give: a band of 64 round 128 raised by 32 takes
  // entry 128 to 164 and leaves the other channels and the far entries as they were.
  void eqCurveDrawsTheSliderTables() {
    TWebForm f;
    f.SetDialogs(g_dialogs);
    Show(f, Picture(30, 20));
    QString title;
    Histograms shown;
    g_dialogs.histogram = [&](QWidget*, const QString& t, const Histograms& h) {
      title = t;
      shown = h;
    };
    RunWith(f, "mnuParametricEqRed", [&](TFXdlg& d) {
      d.Slider(0)->setValue(128);
      d.Slider(1)->setValue(64);
      d.Slider(2)->setValue(32);
      d.ExtraButton()->click();
      d.CancelButton()->click();
    });
    g_dialogs.histogram = {};
    QCOMPARE(title, QString("Parametric EQ Curve"));
    QCOMPARE(shown.peak, 255);
    QCOMPARE(shown.red[128], 164);
    for (int i : {0, 63, 193, 255}) QCOMPARE(shown.red[static_cast<std::size_t>(i)], i);
    for (int i : {0, 128, 255}) {
      QCOMPARE(shown.green[static_cast<std::size_t>(i)], i);
      QCOMPARE(shown.blue[static_cast<std::size_t>(i)], i);
      QCOMPARE(shown.lightness[static_cast<std::size_t>(i)], i);
    }
  }

  // A click on the before picture picks the colour shown under the pointer, in actual view
  // at the scroll position.
  void clickPicksTheColourUnderThePointer_data() {
    QTest::addColumn<QString>("action");
    QTest::addColumn<int>("channel");  // slider 1 after the pick: 0..2 a component, 3 (max + min) / 2
    QTest::newRow("eq all") << "mnuParametricEqAll" << 3;
    QTest::newRow("eq red") << "mnuParametricEqRed" << 0;
    QTest::newRow("eq blue") << "mnuParametricEqBlue" << 2;
  }
  void clickPicksTheColourUnderThePointer() {
    QFETCH(QString, action);
    QFETCH(int, channel);
    TWebForm f;
    f.SetDialogs(g_dialogs);
    const Dib original = Picture(500, 420);
    Show(f, original);
    const ColorValue c = original.Pixel(40 + 25, 30 + 17);
    const int r = RedOf(c), g = GreenOf(c), b = BlueOf(c);
    const int expected = channel == 0 ? r : channel == 2 ? b : (std::max({r, g, b}) + std::min({r, g, b})) / 2;
    RunWith(f, action.toLatin1().constData(), [&](TFXdlg& d) {
      d.BeforeScroll(true)->setValue(40);
      d.BeforeScroll(false)->setValue(30);
      QTest::mouseClick(d.BeforeView(), Qt::LeftButton, {}, QPoint(25, 17));
      QCOMPARE(d.Slider(0)->value(), expected);
      QCOMPARE(d.NumberBox(0)->text(), QString::number(expected));
      QCOMPARE(d.ColorPanel()->text(), QString::fromStdString(PickedColorText(c)));
      QCOMPARE(d.ColorPanel()->palette().color(QPalette::Window), QColor(r, g, b));
      d.CancelButton()->click();
    });
    QCOMPARE(TFXdlg::PickedColor(), std::optional<ColorValue>(c));
  }

  // White Balance starts from the measured white; a picked colour becomes the reference for
  // the preview, for the picture and for the recorded line alike.
  void whiteBalanceUsesThePickedWhite() {
    TWebForm f;
    f.SetDialogs(g_dialogs);
    const Dib original = Picture(420, 400);
    Show(f, original);
    Lines lines;
    f.Edits().SetRecorder(&lines);
    const ColorValue c = original.Pixel(12, 9);
    Dib after;
    TRect window;
    RunWith(f, "mnuWhiteBalance", [&](TFXdlg& d) {
      d.Slider(0)->setValue(40);
      QTest::mouseClick(d.BeforeView(), Qt::LeftButton, {}, QPoint(12, 9));
      QVERIFY(!d.ApplyButton()->isEnabled());
      d.TestButton()->click();
      after = d.After();
      window = d.Window();
      d.ApplyButton()->click();
    });
    f.Edits().SetRecorder(nullptr);
    auto p = [](int channel) { return (40 + 127) * (255 - channel) / 255; };
    QCOMPARE(lines.lines, std::vector<std::string>{"WHITEBALANCE=" + std::to_string(p(RedOf(c))) + "," +
                                                   std::to_string(p(GreenOf(c))) + "," +
                                                   std::to_string(p(BlueOf(c)))});
    QVERIFY(SameRegion(f.Sky95()->Bitmap(), window, after));
  }

  // The line Apply records replays, through the script interpreter on the original picture,
  // to the very picture Apply made.
  void recordedLineReplaysToTheAppliedPicture_data() {
    QTest::addColumn<QString>("action");
    QTest::addColumn<QList<int>>("moves");
    QTest::newRow("brightness rgb") << "mnuBrightnessRGB" << QList<int>{30, -20, 50};
    QTest::newRow("gamma suppress") << "mnuGammaSuppress" << QList<int>{70, 140, 260};
    QTest::newRow("enhance shadows") << "mnuEnhanceShadows" << QList<int>{90, 30};
    QTest::newRow("map green") << "mnuMapGreen" << QList<int>{100, 50};
    QTest::newRow("tune rgb") << "mnuTuneRGB" << QList<int>{140, 80};
    QTest::newRow("limit blue") << "mnuLimitBlue" << QList<int>{20, 100, 230};
    QTest::newRow("parametric eq") << "mnuParametricEqAll" << QList<int>{100, 40, -60};
    QTest::newRow("contrast rgb") << "mnuContrastRGB" << QList<int>{-30, 40, 10};
    QTest::newRow("unsharp mask") << "mnuUnsharpMask" << QList<int>{150, 70};
    QTest::newRow("soften") << "mnuSoften" << QList<int>{4};
  }
  void recordedLineReplaysToTheAppliedPicture() {
    QFETCH(QString, action);
    QFETCH(QList<int>, moves);
    TWebForm f;
    f.SetDialogs(g_dialogs);
    const Dib original = Picture(150, 110, 5);
    Show(f, original);
    Lines lines;
    f.Edits().SetRecorder(&lines);
    f.Filters().SetRecorder(&lines);
    RunWith(f, action.toLatin1().constData(), [&](TFXdlg& d) {
      for (int i = 0; i < moves.size(); ++i) d.Slider(i)->setValue(moves[i]);
      d.TestButton()->click();
      d.ApplyButton()->click();
    });
    f.Edits().SetRecorder(nullptr);
    f.Filters().SetRecorder(nullptr);
    QCOMPARE(lines.lines.size(), std::size_t{1});
    QVERIFY(!Same(f.Sky95()->Bitmap(), original));
    HeadlessScriptHost host;
    host.SetPictureDirect(original, "");
    ScriptInterpreter run(host, [&] { return lines.lines; });
    run.Run();
    QVERIFY2(host.Missing().empty(), lines.lines[0].c_str());
    QVERIFY2(Same(host.Picture(), f.Sky95()->Bitmap()), lines.lines[0].c_str());
  }

  void autoTestBoxFollowsTheProgramOption() {
    MemorySettingsStore store;
    StoredSettings settings = ReadStoredSettings(store, 1024);
    settings.viewer.autoTestFilters = 0;
    TWebForm f(store, settings, StartupState{});
    f.SetDialogs(g_dialogs);
    Show(f, Picture(40, 30));
    RunWith(f, "mnuGammaGlobal", [&](TFXdlg& d) {
      QVERIFY(!d.AutoTest()->isChecked());
      d.AutoTest()->setChecked(true);
      d.CancelButton()->click();
    });
    QCOMPARE(settings.viewer.autoTestFilters, 1);
    RunWith(f, "mnuGammaGlobal", [&](TFXdlg& d) {
      QVERIFY(d.AutoTest()->isChecked());
      d.CancelButton()->click();
    });
  }

  // The dialog comes back where it was left, but never outside the screen.
  void rememberedPlaceStaysOnTheScreen() {
    TWebForm f;
    f.SetDialogs(g_dialogs);
    Show(f, Picture(40, 30));
    RunWith(f, "mnuGammaGlobal", [&](TFXdlg& d) {
      d.move(-4000, 9000);
      d.CancelButton()->click();
    });
    QRect placed;
    RunWith(f, "mnuGammaGlobal", [&](TFXdlg& d) {
      placed = d.frameGeometry();
      d.CancelButton()->click();
    });
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    QVERIFY2(screen.contains(placed.topLeft()), qPrintable(QString("%1,%2").arg(placed.x()).arg(placed.y())));
  }

  // The wizard's texts describe the window the Test encoded; an independent encoder with the
  // same settings (scale 48 is quality 76 on the library's linear scale, no subsampling,
  // optimised tables, float DCT) gives the same bytes count.
  void jpegWizardSizeAndRatioAgainstCjpeg() {
    if (QStandardPaths::findExecutable("cjpeg").isEmpty()) QSKIP("cjpeg is not installed");
    QTemporaryDir dir;
    const Dib picture = Picture(500, 400, 11);
    TJpegWizardSettings s;
    s.scale = 48;
    TFXdlg::SetJpegSettings(s);
    std::string status;
    std::uint64_t ours = 0;
    Dib window;
    RunWizard(picture, true, [&](TFXdlg& d) {
      QVERIFY(d.JpegMode());
      QCOMPARE(d.CancelButton()->text(), QString("Close"));
      QCOMPARE(d.ApplyButton()->text(), QString("Save &As"));
      QVERIFY(!d.AutoTest()->isEnabled());
      d.TestButton()->click();
      status = d.StatusText()->text().toStdString();
      ours = d.JpegBytes().size();
      window = d.Before();
      d.CancelButton()->click();
    });
    QCOMPARE(window.Width(), 372);
    QCOMPARE(window.Height(), 360);
    const std::string ppm = dir.filePath("w.ppm").toStdString(), jpg = dir.filePath("w.jpg").toStdString();
    QVERIFY(WritePpm(window, ppm));
    const std::string cmd = "cjpeg -quality 76 -dct float -optimize -sample 1x1 -outfile '" + jpg + "' '" + ppm + "'";
    QCOMPARE(std::system(cmd.c_str()), 0);
    const std::uint64_t theirs = FileSize(jpg);
    QVERIFY(theirs > 0);
    QCOMPARE(ours, theirs);
    QCOMPARE(status, JpegCompressionRatioText(372, 360, theirs) + "   " + JpegFileSizeText(theirs));
    QVERIFY(status.find(" to 1") != std::string::npos);
  }

  void jpegWizardSavesTheWholePicture() {
    QTemporaryDir dir;
    const std::string path = dir.filePath("whole.jpg").toStdString();
    const Dib picture = Picture(700, 500, 3);
    g_dialogs.jpegSavePath = [&](QWidget*) { return path; };
    TJpegWizardSettings s;
    s.scale = 30;
    s.progressive = true;
    TFXdlg::SetJpegSettings(s);
    RunWizard(picture, true, [&](TFXdlg& d) {
      d.JpegScale()->setValue(90);
      d.TestButton()->click();
      QVERIFY(d.ApplyButton()->isEnabled());
      d.ApplyButton()->click();
      QVERIFY(d.isVisible());  // Save As keeps the wizard open
      d.CancelButton()->click();
    });
    g_dialogs.jpegSavePath = {};
    TJPEGImage saved;
    saved.LoadFromFile(path);
    const Dib back = saved.Decode();
    QCOMPARE(back.Width(), 700);
    QCOMPARE(back.Height(), 500);
    QVERIFY(saved.ProgressiveEncoding);
    // Closing kept what the controls showed.
    QCOMPARE(TFXdlg::StoredJpegSettings().scale, 90);
    QVERIFY(TFXdlg::StoredJpegSettings().progressive);
  }

  void jpegWizardShowsAndKeepsTheRecord() {
    MemorySettingsStore store;
    TJpegWizardSettings stored;
    stored.scale = 70;
    stored.progressive = true;
    stored.method = TJpegSmoothingMethod::Clean;
    stored.strength = 12;
    QVERIFY(store.Write(kJpegWizardValueName, stored.ToRecord()));
    TJpegWizardRecord record;
    g_dialogs.filter = [](TFXdlg& d) {
      QCOMPARE(d.JpegScale()->value(), 70);
      QVERIFY(d.Progressive()->isChecked());
      QVERIFY(!d.Subsample()->isChecked());
      QCOMPARE(d.SmoothingChoice()->currentText(), QString("Clean"));
      QCOMPARE(d.Slider(0)->value(), 12);
      d.TestButton()->click();
      QVERIFY(!d.ApplyButton()->isEnabled());  // the preview-only wizard never saves
      d.JpegScale()->setValue(100);
      d.Subsample()->setChecked(true);
      d.CancelButton()->click();
    };
    TFXdlg::RunJpegWizard(nullptr, Picture(30, 20), record, store, false, &g_dialogs);
    g_dialogs.filter = {};
    QVERIFY(record.WriteBack(store));
    const TJpegWizardSettings back = TJpegWizardSettings::FromRecord(store.Read(kJpegWizardValueName));
    QCOMPARE(back.scale, 100);
    QVERIFY(back.subsample);
    QVERIFY(back.progressive);
  }

  void saveDialogCompressButtonOpensTheWizard() {
    const Dib picture = Picture(60, 40);
    SaveDialogSetup setup;
    setup.type = 3;
    bool wizard = false;
    setup.compress = [&](QWidget* parent) {
      g_dialogs.filter = [&](TFXdlg& d) {
        d.TestButton()->click();
        wizard = d.JpegMode() && d.ApplyButton()->isEnabled();  // Save As offered
        d.CancelButton()->click();
      };
      TFXdlg::RunJpegWizard(parent, picture, true, &g_dialogs);
      g_dialogs.filter = {};
    };
    TSaveDialog d(nullptr, setup);
    auto* compress = d.findChild<QPushButton*>("btnCompress");
    QVERIFY(compress);
    QVERIFY(compress->isEnabled());
    compress->click();
    QVERIFY(wizard);
    // The save dialog is gone before the wizard shows, and the save is not made.
    bool dialogVisible = true;
    TSaveDialog* watched = nullptr;
    SaveDialogSetup closing;
    closing.type = 5;
    closing.compress = [&](QWidget*) { dialogVisible = watched->isVisible(); };
    TSaveDialog w(nullptr, closing);
    watched = &w;
    w.show();
    w.findChild<QPushButton*>("btnCompress")->click();
    QVERIFY(!dialogVisible);
    QVERIFY(!w.isVisible());
    QCOMPARE(w.result(), int(QDialog::Rejected));
    SaveDialogSetup none;
    TSaveDialog without(nullptr, none);
    QVERIFY(!without.findChild<QPushButton*>("btnCompress")->isEnabled());
  }

  // A two-image kind previews with the duplicate cut to the window the picture shows, or
  // reduced like it; Show mask shows the selection instead.
  void twoImageKindsCutTheDuplicateLikeThePicture() {
    TWebForm f;
    f.SetDialogs(g_dialogs);
    const Dib picture = Picture(900, 500), duplicate = Picture(900, 500, 99);
    Show(f, picture);
    f.Engine().duplicate = duplicate;
    f.Engine().SelectionCentre[0] = 600;
    f.Engine().SelectionCentre[1] = 1800;
    f.Engine().SelectionCentre[2] = 1000;
    const HlsSelection sel{600, 1800, 1000, 120, 1200, 1500};
    bool cut = false, fitted = false, mask = false;
    RunWith(f, "mnuMaskForecolors", [&](TFXdlg& d) {
      d.BeforeScroll(true)->setValue(200);
      d.BeforeScroll(false)->setValue(70);
      d.TestButton()->click();
      Dib want = ActualViewSource(picture, d.Window());
      DoColorMask(want, ActualViewSource(duplicate, d.Window()), sel, 0);
      cut = d.Window().left == 200 && Same(d.After(), want);
      d.ExtraButton()->click();
      Dib shown = ActualViewSource(picture, d.Window());
      MaskColors(shown, sel, false, false, false);
      mask = Same(d.After(), shown);
      d.ActualView()->setChecked(false);
      d.TestButton()->click();
      Dib reduced = FittedSource(picture, 360, 360);
      DoColorMask(reduced, FittedSource(duplicate, 360, 360), sel, 0);
      fitted = Same(d.After(), reduced);
      d.CancelButton()->click();
    });
    QVERIFY(cut);
    QVERIFY(mask);
    QVERIFY(fitted);
    QVERIFY(Same(f.Sky95()->Bitmap(), picture));
  }
};

QTEST_MAIN(FilterPreviewDialogTest)
#include "filter_preview_dialog_test.moc"
