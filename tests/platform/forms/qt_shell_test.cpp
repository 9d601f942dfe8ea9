// QtShell: the freedesktop trash, kept inside a temporary home.
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include "platform/qt/qt_shell.h"

using namespace pelira;

class QtShellTest : public QObject {
  Q_OBJECT
private slots:
  void initTestCase() {
    QVERIFY(home_.isValid());
    // The trash of the home partition: $XDG_DATA_HOME/Trash, here inside the temporary home.
    // The data folder does not exist yet, as on a fresh account.
    qputenv("HOME", home_.path().toUtf8());
    qputenv("XDG_DATA_HOME", home_.filePath(QStringLiteral("data")).toUtf8());
  }

  void fileGoesToTheTrashWithItsInfo() {
    const QString file = home_.filePath(QStringLiteral("holiday.jpg"));
    QFile f(file);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write("picture");
    f.close();

    const TrashResult r = QtShell().MoveToTrash(file.toStdString());
    QVERIFY2(r.ok, r.message.c_str());
    QVERIFY(!QFile::exists(file));
    const QString trashed = QString::fromStdString(r.trashedAs.string());
    QVERIFY2(trashed.startsWith(home_.filePath(QStringLiteral("data/Trash/files/"))), qPrintable(trashed));
    QFile back(trashed);
    QVERIFY(back.open(QIODevice::ReadOnly));
    QCOMPARE(back.readAll(), QByteArray("picture"));
    QVERIFY(!QDir(home_.filePath(QStringLiteral("data/Trash/info"))).entryList(QDir::Files).isEmpty());
    QVERIFY(!QFileInfo::exists(QStringLiteral("files")));  // nothing beside the test
  }

  void missingFileFailsWithText() {
    const QString file = home_.filePath(QStringLiteral("gone.jpg"));
    const TrashResult r = QtShell().MoveToTrash(file.toStdString());
    QVERIFY(!r.ok);
    QVERIFY(QString::fromStdString(r.message).startsWith(QStringLiteral("Could not move ") + file + " to the trash."));
  }

private:
  QTemporaryDir home_;
};

QTEST_MAIN(QtShellTest)
#include "qt_shell_test.moc"
