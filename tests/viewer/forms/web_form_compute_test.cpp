// Image › Compute, Add noise and Analyze reached from the viewer's menus: the items come from
// the operation table, run through the real window, and the report leaves the picture alone.
#include <QAction>
#include <QMenu>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QtTest>

#include <cstdlib>
#include <deque>
#include <fstream>

#include "common/app_paths.h"
#include "display/forms/pix.h"
#include "edit/analyze_command.h"
#include "edit/compute_commands.h"
#include "edit/operations.h"
#include "engine/composites.h"
#include "engine/compute.h"
#include "engine/dialogs/filter_preview_dialog.h"
#include "platform/scripted_ui.h"
#include "platform/shell.h"
#include "support/fake_dialogs.h"
#include "support/test_pictures.h"
#include "viewer/forms/web_form.h"

using namespace pelira;

namespace {

std::deque<int> values;

class OpenedShell : public Shell {
public:
  TrashResult MoveToTrash(const std::filesystem::path&) override { return {}; }
  bool OpenDocument(const std::filesystem::path& p) override {
    opened.push_back(p);
    return true;
  }
  std::vector<std::filesystem::path> opened;
};

}  // namespace

class WebFormComputeTest : public QObject {
  Q_OBJECT
  ScriptedUi ui;
  FakeViewerDialogs dialogs;
  OpenedShell shell;

  void Show(TWebForm& f, const Dib& d) {
    f.Sky95()->SetBitmap(d);
    SyncImageState(f.State(), d);
    f.State().ImageLoaded = true;
    f.State().ImageModified = false;
  }

private slots:
  void initTestCase() {
    SetCurrentUi(&ui);
    SetCurrentShell(&shell);
    dialogs.filter = [](TFXdlg& d) {
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
    SetCurrentShell(nullptr);
  }
  void init() {
    values.clear();
    ui.Clear();
  }

  void itemsComeFromTheRowsInMenuOrder() {
    TWebForm f;
    QMenu* compute = f.findChild<QMenu*>("mnuCompute");
    QVERIFY(compute);
    QStringList names;
    for (QAction* a : compute->actions()) names << a->objectName();
    const QStringList leading = {"mnuDuplicate", "mnuSwap", "mnuAverage", "mnuInterlace", "mnuMaskShadows",
                                 "mnuMaskHighlights", "mnuMaskMidtones", "mnuMaskContrast", "mnuMaskBackcolors"};
    QCOMPARE(names.mid(0, leading.size()), leading);
    for (int i = 0; i <= static_cast<int>(ComputeCommand::Artifacts); ++i) {
      const Operation* op = OperationById(ComputeRowId(static_cast<ComputeCommand>(i)));
      QAction* a = f.Action(op->menu.name);
      QVERIFY2(a && a->isEnabled(), op->menu.name);
    }
    QCOMPARE(f.Action("mnuDuplicate")->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_D));
    QVERIFY(f.Action("mnuAddNoise")->menu());
    QVERIFY(f.Action("mnuAnalyze")->isEnabled());
  }

  void spaceOpensTheReport() {
    TWebForm f;
    f.SetDialogs(dialogs);
    const std::filesystem::path file = AppPaths::Home() / "space.bmp";
    { std::ofstream(file) << "x"; }
    f.show();
    QVERIFY(QTest::qWaitForWindowExposed(&f));
    Show(f, test::PatternPicture(20, 20, 1));
    f.State().CurrentFile = file.string();
    ui.Queue(Button::No);
    QWidget* view = f.ScrollBox();
    view->setFocus();
    QTest::keyClick(view, Qt::Key_Space);
    QCOMPARE(ui.Calls().size(), std::size_t{1});
    QVERIFY2(ui.Calls()[0].text.find("Filename: space.bmp") == 0, ui.Calls()[0].text.c_str());
  }

  void duplicateThenBlendThroughTheMenus() {
    TWebForm f;
    f.SetDialogs(dialogs);
    const Dib first = test::PatternPicture(50, 40, 1), second = test::PatternPicture(50, 40, 2);
    Show(f, first);
    f.Action("mnuDuplicate")->trigger();
    Show(f, second);
    values = {30};
    f.Action("mnuAverage")->trigger();
    Dib want = second;
    AverageBitmap(want, first, 30);
    QVERIFY(test::SamePixels(f.Sky95()->Bitmap(), want));
    QVERIFY(f.State().ImageModified);
    f.Action("mnuMultiply")->trigger();
    Multiply(want, first);
    QVERIFY(test::SamePixels(f.Sky95()->Bitmap(), want));
    f.Action("mnuUndo")->trigger();
    QVERIFY(!test::SamePixels(f.Sky95()->Bitmap(), want));
    QCOMPARE(ui.Texts().size(), std::size_t{0});
  }

  void aMissingDuplicateIsRefusedWithTheWarning() {
    TWebForm f;
    f.SetDialogs(dialogs);
    const Dib pic = test::PatternPicture(50, 40, 1);
    Show(f, pic);
    f.Action("mnuMaskMidtones")->trigger();
    QCOMPARE(ui.Texts().size(), std::size_t{1});
    QCOMPARE(QString::fromStdString(ui.Texts()[0]),
             QString("Source and duplicate bitmaps must have\nsame dimensions and 24-bit color depth."));
    QVERIFY(test::SamePixels(f.Sky95()->Bitmap(), pic));
  }

  void analyzeSavesTheReportAndLeavesThePictureAlone() {
    TWebForm f;
    f.SetDialogs(dialogs);
    const std::filesystem::path file = AppPaths::Home() / "analyzed.bmp";
    { std::ofstream(file) << "stand-in for the file on disk"; }
    const Dib pic = test::PatternPicture(50, 40, 3), dup = test::PatternPicture(50, 40, 4);
    Show(f, dup);
    f.Action("mnuDuplicate")->trigger();
    Show(f, pic);
    f.State().CurrentFile = file.string();
    f.State().ImageModified = false;
    std::filesystem::remove(ImageReportPath());
    ui.Queue(Button::Yes);
    f.Action("mnuAnalyze")->trigger();
    QCOMPARE(ui.Calls().size(), std::size_t{1});
    QVERIFY(ui.Calls()[0].text.find("Filename: analyzed.bmp\nLocation: ") == 0);
    QVERIFY(ui.Calls()[0].text.find("\n\nSave to text file?") != std::string::npos);
    QVERIFY(std::filesystem::exists(ImageReportPath()));
    QCOMPARE(shell.opened.back(), ImageReportPath());
    QVERIFY(test::SamePixels(f.Sky95()->Bitmap(), pic));
    QVERIFY(!f.State().ImageModified);
    QVERIFY(test::SamePixels(f.Engine().duplicate, dup));

    // A file that is gone: its name and " not found.", nothing saved.
    std::filesystem::remove(file);
    std::filesystem::remove(ImageReportPath());
    f.Action("mnuAnalyze")->trigger();
    QCOMPARE(QString::fromStdString(ui.Texts().back()), QString("analyzed.bmp not found."));
    QVERIFY(!std::filesystem::exists(ImageReportPath()));
  }
};

QTEST_MAIN(WebFormComputeTest)
#include "web_form_compute_test.moc"
