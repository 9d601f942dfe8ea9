// Tools › Wallpaper and Associations in the real viewer: the wallpaper file is the picture
// fitted to the screen and handed to the desktop, the picture on show untouched; the chosen
// kinds are registered in the user's desktop files.
#include <QAction>
#include <QLineEdit>
#include <QScrollArea>
#include <QStatusBar>
#include <QScreen>
#include <QTemporaryDir>
#include <QtTest>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <sys/stat.h>

#include "common/app_paths.h"
#include "display/forms/pix.h"
#include "image/image_loader.h"
#include "platform/scripted_ui.h"
#include "support/fake_dialogs.h"
#include "support/test_pictures.h"
#include "explorer/forms/file_form.h"
#include "viewer/forms/web_form.h"
#include "viewer/open_flow.h"

using namespace pelira;
using namespace pelira::test;

namespace {

std::string Read(const std::string& p) {
  std::ifstream f(p, std::ios::binary);
  std::stringstream ss;
  ss << f.rdbuf();
  return ss.str();
}

}  // namespace

class WebFormDesktopTest : public QObject {
  Q_OBJECT
  ScriptedUi ui;
  FakeViewerDialogs dialogs;
  QTemporaryDir dir;

  void Show(TWebForm& f, const Dib& d) {
    f.Sky95()->SetBitmap(d);
    SyncImageState(f.State(), d);
    f.State().ImageLoaded = true;
    f.State().ImageModified = false;
  }

private slots:
  void initTestCase() {
    SetCurrentUi(&ui);
    // A stand-in gsettings that keeps what it is told.
    const QString bin = dir.filePath("bin");
    QDir().mkpath(bin);
    const std::string script = (bin + "/gsettings").toStdString();
    std::ofstream(script) << "#!/bin/sh\nstore='" << dir.filePath("keys").toStdString()
                          << "'\ncase \"$1\" in\n list-keys) echo picture-uri ;;\n set) echo \"$3=$4\" >> \"$store\" ;;\n"
                             " get) grep \"^$3=\" \"$store\" | tail -1 | cut -d= -f2- ;;\nesac\n";
    ::chmod(script.c_str(), 0755);
    qputenv("PATH", (bin + ":/usr/bin:/bin").toLocal8Bit());
    qputenv("XDG_DATA_HOME", dir.filePath("data").toLocal8Bit());
    qputenv("XDG_CONFIG_HOME", dir.filePath("config").toLocal8Bit());
  }
  void cleanupTestCase() { SetCurrentUi(nullptr); }

  void wallpaperIsThePictureFittedToTheScreen() {
    TWebForm f;
    f.SetDialogs(dialogs);
    const Dib small = PatternPicture(100, 600);
    Show(f, small);
    QFile::remove(QString::fromStdString(AppPaths::Wallpaper().string()));
    f.Action("mnuWallpaperSet")->trigger();
    QVERIFY(!QFile::exists(QString::fromStdString(AppPaths::Wallpaper().string())));  // 100 wide: nothing

    const Dib picture = PatternPicture(640, 480);
    Show(f, picture);
    f.Action("mnuWallpaperSet")->trigger();
    QVERIFY2(ui.Texts().empty(), ui.Texts().empty() ? "" : ui.Texts().back().c_str());
    TImageLoader l;
    QCOMPARE(l.Open(AppPaths::Wallpaper().string()), OpenOutcome::Image);
    const QSize screen = f.screen()->size();
    const double scale = std::min(double(screen.width()) / 640, double(screen.height()) / 480);
    QVERIFY(qAbs(l.workingBitmap.Width() - 640 * scale) <= 1 && qAbs(l.workingBitmap.Height() - 480 * scale) <= 1);
    QVERIFY(l.workingBitmap.Width() == screen.width() || l.workingBitmap.Height() == screen.height());
    QVERIFY(Read(dir.filePath("keys").toStdString()).find("picture-uri='file://") != std::string::npos);
    QVERIFY(SamePixels(f.Sky95()->Bitmap(), picture));
    QVERIFY(!f.State().ImageModified);

    f.Action("mnuWallpaperClear")->trigger();
    QVERIFY(ui.Texts().empty());
    QVERIFY(Read(dir.filePath("keys").toStdString()).find("picture-uri=''") != std::string::npos);
  }

  // Ok and Apply of the Options dialog: the viewer follows at once.
  void optionsApplyTakesEffectAtOnce() {
    TWebForm f;
    f.SetDialogs(dialogs);
    Show(f, PatternPicture(40, 30));
    QVERIFY(!f.statusBar()->isHidden());
    OptionsValues v{f.Settings(), f.ExplorerSwitches()};
    v.viewer.statusBar = false;
    v.viewer.backgroundColor = 0x00336699;  // 0x00BBGGRR
    v.viewer.mediaVolume = 0;
    v.explorer.clickStyle = 2;
    f.ApplyOptions(v);
    QVERIFY(f.statusBar()->isHidden());
    QVERIFY(!f.Action("mnuStatusBar")->isChecked());
    QCOMPARE(f.ScrollBox()->palette().color(QPalette::Window), QColor(0x99, 0x66, 0x33));
    QCOMPARE(f.Settings().mediaVolume, 1);
    QCOMPARE(f.ExplorerSwitches().clickStyle, 2);
    QVERIFY(SamePixels(f.Sky95()->Bitmap(), PatternPicture(40, 30)));
  }

  // File › Explore opens the explorer; a folder typed in the path box opens there; Tile puts
  // the two windows side by side on the screen's usable part; Hide leaves the explorer.
  void explorerFromTheViewerAndTiling() {
    TWebForm f;
    f.SetDialogs(dialogs);
    f.show();
    f.Action("mnuExplore")->trigger();
    auto* explorer = f.findChild<TFileForm*>(QString(), Qt::FindDirectChildrenOnly);
    QVERIFY(explorer);
    QVERIFY(explorer->isVisible());
    QCOMPARE(f.Action("mnuExplore")->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_E));

    auto* box = f.findChild<QLineEdit*>();
    box->setFocus();
    box->setText(dir.path());
    QTest::keyClick(box, Qt::Key_Return);
    QCOMPARE(explorer->Folder(), dir.path().toStdString());
    QVERIFY2(ui.Texts().empty(), ui.Texts().empty() ? "" : ui.Texts().front().c_str());

    f.Action("mnuTileExplorerLeft")->trigger();
    const QRect usable = f.screen()->availableGeometry();
    QTRY_COMPARE(explorer->frameGeometry().topLeft(), usable.topLeft());
    QCOMPARE(explorer->frameGeometry().width(), usable.width() / 2);
    QCOMPARE(f.frameGeometry().left(), usable.left() + usable.width() / 2);
    QCOMPARE(f.frameGeometry().height(), usable.height());

    f.Action("mnuHide")->trigger();
    QVERIFY(!f.isVisible());
    QVERIFY(explorer->isVisible());
    explorer->close();
  }

  void associationsRegisterTheChosenKinds() {
    ui.Clear();
    TWebForm f;
    f.SetDialogs(dialogs);
    QString caption;
    std::vector<std::string> offered;
    dialogs.associations = [&](const QString& c, const std::vector<std::string>& items) {
      caption = c;
      offered = items;
      return std::optional<std::vector<std::size_t>>(std::vector<std::size_t>{3});
    };
    f.Action("mnuAssociationsSet")->trigger();
    QCOMPARE(caption, QString("Set File Associations"));
    QCOMPARE(offered.size(), std::size_t{11});
    QCOMPARE(offered.front(), std::string(".AVL (Pelira Slideshow)"));
    const std::string list = Read(dir.filePath("config/mimeapps.list").toStdString());
    QVERIFY(list.find("image/jpeg=pelira.desktop;") != std::string::npos);
    QVERIFY(list.find("image/png") == std::string::npos);
    QVERIFY(QFile::exists(dir.filePath("data/applications/pelira.desktop")));

    // Change asks for each kind's program; a cancelled question leaves the kind unassociated.
    QStringList asked;
    dialogs.associatedApp = [&](const QString& c) {
      asked << c;
      return QString();
    };
    f.Action("mnuAssociationsChange")->trigger();
    QCOMPARE(asked, QStringList{"Select Associated App for JPG file"});
    QVERIFY(Read(dir.filePath("config/mimeapps.list").toStdString()).find("image/jpeg") == std::string::npos);
    QVERIFY2(ui.Texts().empty(), ui.Texts().empty() ? "" : ui.Texts().front().c_str());
    dialogs.associations = {};
    dialogs.associatedApp = {};
  }
};

QTEST_MAIN(WebFormDesktopTest)
#include "web_form_desktop_test.moc"
