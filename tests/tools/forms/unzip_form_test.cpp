// The UnZipper window driven through its menus, list, grid and drops, with a fake for its
// dialogs, the scripted Ui and a folder trash.
#include <QAction>
#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QListWidget>
#include <QMenuBar>
#include <QMimeData>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QUrl>
#include <QtTest>

#include "platform/help.h"
#include "platform/scripted_ui.h"
#include "platform/shell.h"
#include "tools/forms/unzip_form.h"

using namespace pelira;

namespace {

struct FakeDialogs : UnZipDialogs {
  std::vector<std::string> ChooseArchives(const std::string&) override { return toChoose; }
  std::string ChooseFolder(const std::string& title, const std::string&) override {
    titles.push_back(title);
    return folder;
  }
  bool OpenDocument(const std::string&) override { return true; }
  void Beep() override {}
  std::vector<std::string> toChoose;
  std::string folder;
  std::vector<std::string> titles;
};

QString FixtureZip(const char* name) {
  const QByteArray root = qgetenv("PELIRA_FIXTURES");
  return QDir(QString::fromLocal8Bit(root)).filePath(QStringLiteral("tools/") + QLatin1String(name));
}

}  // namespace

class UnZipFormTest : public QObject {
  Q_OBJECT
private slots:
  void initTestCase() {
    QVERIFY(home_.isValid());
    qputenv("PELIRA_HOME", home_.path().toUtf8());
  }

  void init() {
    dir_.reset(new QTemporaryDir);
    QVERIFY(dir_->isValid());
    ui_.reset(new ScriptedUi);
    trash_.reset(new FolderTrashShell(dir_->filePath(QStringLiteral("trash")).toStdString()));
    auto dialogs = std::make_unique<FakeDialogs>();
    dialogs_ = dialogs.get();
    form_.reset(new TUnZipForm(*ui_, *trash_, std::move(dialogs)));
  }

  void cleanup() { form_.reset(); }

  void layoutAndMenus() {
    QCOMPARE(form_->windowTitle(), QStringLiteral("Pelira 7.7 UnZipper"));
    const QStringList headers = {" Name", " Date Stamp", " Size", " %", " PackSize"};
    const int widths[] = {160, 120, 80, 32, 80};
    for (int c = 0; c < 5; ++c) {
      QCOMPARE(form_->Grid()->horizontalHeaderItem(c)->text(), headers[c]);
      QCOMPARE(form_->Grid()->columnWidth(c), widths[c]);
    }
    QStringList bar;
    for (QAction* a : form_->menuBar()->actions()) bar << a->text();
    QCOMPARE(bar, (QStringList{"&Archives", "&View", "&Options", "E&xtract all", "&Extract", "&Test", "&Close",
                               "&Help"}));
    // Nothing listed: only Clear, Add, View and the option do anything.
    for (const char* off : {"mnuCut", "mnuDelete", "mnuExtractAll", "mnuSelectedZips", "mnuSingleFile"})
      QVERIFY2(!form_->Action(QLatin1String(off))->isEnabled(), off);
    QVERIFY(form_->Action(QStringLiteral("mnuSkipDuplicates"))->isChecked());
    QCOMPARE(form_->StatusText(), QStringLiteral("Ready."));

    form_->Action(QStringLiteral("mnuSkipDuplicates"))->trigger();
    QVERIFY(!form_->Action(QStringLiteral("mnuSkipDuplicates"))->isChecked());
    QCOMPARE(ui_->Texts().back(), std::string("If a target file exists, a numbered duplicate will be created."));

    RecordingHelpViewer help;
    Help::SetViewer(&help);
    form_->Action(QStringLiteral("mnuHelp"))->trigger();
    Help::SetViewer(nullptr);
    QCOMPARE(help.Contexts(), std::vector<int>{150});
  }

  void addClickAndChooseAMember() {
    const QString a = Copy("mixed.zip"), b = Copy("badcrc.zip");
    dialogs_->toChoose = {a.toStdString(), b.toStdString()};
    form_->Action(QStringLiteral("mnuAdd"))->trigger();
    QListWidget* list = form_->List();
    QCOMPARE(list->count(), 2);
    QCOMPARE(list->item(0)->text(), b);  // the dialog's files in reverse
    QVERIFY(form_->Action(QStringLiteral("mnuExtractAll"))->isEnabled());

    ClickItem(1);
    QCOMPARE(form_->Grid()->rowCount(), 6);
    QCOMPARE(form_->Grid()->item(0, 0)->text(), QStringLiteral("readme.txt"));
    QCOMPARE(form_->Grid()->item(0, 1)->text(), QStringLiteral("2021-06-15 13:45:30"));
    QCOMPARE(form_->Grid()->item(0, 2)->text(), QStringLiteral("5000"));
    QCOMPARE(form_->Grid()->item(1, 2)->text(), QString());  // the folder row: its name only
    QCOMPARE(form_->StatusText(), QStringLiteral("[ Archive: mixed.zip ]   File selected: readme.txt"));
    QVERIFY(form_->Action(QStringLiteral("mnuSingleFile"))->isEnabled());

    const QRect cell = form_->Grid()->visualRect(form_->Grid()->model()->index(2, 0));
    QTest::mouseClick(form_->Grid()->viewport(), Qt::LeftButton, {}, cell.center());
    QCOMPARE(form_->StatusText(), QStringLiteral("[ Archive: mixed.zip ]   File selected: photos/pic.bin"));

    // An arrow key moves the cursor to the other archive and shows it.
    QTest::keyClick(list, Qt::Key_Up);
    QCOMPARE(form_->Grid()->rowCount(), 2);
    QCOMPARE(form_->Grid()->item(0, 0)->text(), QStringLiteral("data.txt"));
    QCOMPARE(form_->StatusText(), QStringLiteral("[ Archive: badcrc.zip ]   File selected: data.txt"));
    QTest::keyClick(list, Qt::Key_Down);
    QCOMPARE(form_->Grid()->rowCount(), 6);

    list->selectAll();
    QCOMPARE(form_->StatusText(), QStringLiteral(" 2 archives selected for batch."));
    QVERIFY(!form_->Action(QStringLiteral("mnuSingleFile"))->isEnabled());
    QVERIFY(form_->Action(QStringLiteral("mnuCut"))->isEnabled());

    // Single File of the chosen member into a chosen folder.
    ClickItem(1);
    QTest::mouseClick(form_->Grid()->viewport(), Qt::LeftButton, {}, cell.center());
    const QString out = dir_->filePath(QStringLiteral("out"));
    QVERIFY(QDir().mkpath(out));
    dialogs_->folder = out.toStdString();
    form_->Action(QStringLiteral("mnuSingleFile"))->trigger();
    QCOMPARE(dialogs_->titles.back(), std::string("Extract \"photos/pic.bin\" to "));
    QVERIFY(QFile::exists(out + "/photos/pic.bin"));
    QCOMPARE(ui_->Texts().back(), std::string("1 file(s) unzipped."));

    // Cut takes the selected archive off the list, not off the disk.
    ClickItem(0);
    form_->Action(QStringLiteral("mnuCut"))->trigger();
    QCOMPARE(list->count(), 1);
    QVERIFY(QFile::exists(b));
  }

  void dropsAddOnlyExistingZips() {
    const QString a = Copy("infozip.zip");
    QFile txt(dir_->filePath(QStringLiteral("note.txt")));
    QVERIFY(txt.open(QIODevice::WriteOnly));
    txt.close();
    QMimeData mime;
    mime.setUrls({QUrl::fromLocalFile(a), QUrl::fromLocalFile(txt.fileName()),
                  QUrl::fromLocalFile(dir_->filePath(QStringLiteral("gone.zip"))), QUrl::fromLocalFile(a)});
    form_->show();
    QVERIFY(QTest::qWaitForWindowExposed(form_.get()));
    // The drop goes to the widget that accepted the drag's entry.
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(form_.get(), &enter);
    QVERIFY(enter.isAccepted());
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(form_.get(), &drop);
    QCOMPARE(form_->List()->count(), 1);
    QCOMPARE(form_->List()->item(0)->text(), a);
  }

  void shiftExtractAllRecyclesAndCloses() {
    const QString a = Copy("infozip.zip");
    form_->AddArchives({a});
    form_->show();
    QVERIFY(QTest::qWaitForWindowExposed(form_.get()));
    form_->ExtractAll(true);
    QVERIFY(ui_->Calls().empty());
    QVERIFY(QFile::exists(dir_->filePath(QStringLiteral("in/sub/b.bin"))));
    QVERIFY(!QFile::exists(a));
    QVERIFY(QFile::exists(dir_->filePath(QStringLiteral("trash/infozip.zip"))));
    QVERIFY(!form_->isVisible());
    QCOMPARE(form_->List()->count(), 0);
  }

  void exceptionsKeepTheWindowAndTheArchive() {
    const QString a = Copy("badcrc.zip");
    form_->AddArchives({a});
    form_->show();
    QVERIFY(QTest::qWaitForWindowExposed(form_.get()));
    ui_->Queue(Button::Yes);  // source folders
    ui_->Queue(Button::No);   // do not view the log
    form_->Action(QStringLiteral("mnuExtractAll"))->trigger();
    QCOMPARE(ui_->Texts().back(), std::string("1 file(s) unzipped.\nThere were exceptions.  View log?"));
    QVERIFY(form_->isVisible());
    QVERIFY(QFile::exists(a));
    QCOMPARE(form_->List()->count(), 1);
  }

  void escapeHidesAndEmptiesTheList() {
    form_->AddArchives({Copy("mixed.zip")});
    form_->show();
    form_->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(form_.get()));
    QTest::keyClick(form_.get(), Qt::Key_Escape);
    QVERIFY(!form_->isVisible());
    QCOMPARE(form_->List()->count(), 0);
    QVERIFY(QFile::exists(dir_->filePath(QStringLiteral("in/mixed.zip"))));
  }

  void doubleClickOpensTheMemberInTheViewer() {
    form_->AddArchives({Copy("mixed.zip")});
    QStringList opened;
    form_->SetOpenInViewer([&](const QString& f) { opened << f; });
    form_->show();
    QVERIFY(QTest::qWaitForWindowExposed(form_.get()));
    ClickItem(0);
    const QRect cell = form_->Grid()->visualRect(form_->Grid()->model()->index(0, 0));
    // A double click as a mouse makes it: a click, then the second press.
    QTest::mouseClick(form_->Grid()->viewport(), Qt::LeftButton, {}, cell.center());
    QTest::mouseDClick(form_->Grid()->viewport(), Qt::LeftButton, {}, cell.center());
    QCOMPARE(opened.size(), 1);
    QVERIFY(opened[0].endsWith(QStringLiteral("/readme.txt")));
    QFile f(opened[0]);
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(f.size(), qint64(5000));
  }

private:
  QString Copy(const char* fixture) {
    QDir().mkpath(dir_->filePath(QStringLiteral("in")));
    const QString to = dir_->filePath(QStringLiteral("in/") + QLatin1String(fixture));
    if (!QFile::exists(to)) QFile::copy(FixtureZip(fixture), to);
    return to;
  }
  void ClickItem(int row) {
    QListWidget* list = form_->List();
    const QRect r = list->visualItemRect(list->item(row));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, r.center());
  }

  QTemporaryDir home_;
  std::unique_ptr<QTemporaryDir> dir_;
  std::unique_ptr<ScriptedUi> ui_;
  std::unique_ptr<FolderTrashShell> trash_;
  FakeDialogs* dialogs_ = nullptr;
  std::unique_ptr<TUnZipForm> form_;
};

QTEST_MAIN(UnZipFormTest)
#include "unzip_form_test.moc"
