// The "AVL running" lock between copies of the program.
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include "platform/qt/script_show_lock.h"

using namespace pelira;

class ScriptShowLockTest : public QObject {
  Q_OBJECT
private slots:
  void initTestCase() {
    QVERIFY(home_.isValid());
    qputenv("PELIRA_HOME", home_.path().toUtf8());
  }

  void lockLivesUnderPeliraHome() {
    QCOMPARE(ScriptShowLockFile(), home_.filePath(QStringLiteral("avl-running.lock")));
  }

  void heldLockIsSeenAndReleasedLockIsNot() {
    QVERIFY(!OtherCopyPlaysScript());
    {
      ScriptShowLock show;
      QVERIFY(show.Held());
      QVERIFY(QFile::exists(ScriptShowLockFile()));
      QVERIFY(OtherCopyPlaysScript());
      QVERIFY(OtherCopyPlaysScript());  // asking does not take or drop it

      ScriptShowLock second;  // one show at a time
      QVERIFY(!second.Held());
    }
    QVERIFY(!QFile::exists(ScriptShowLockFile()));
    QVERIFY(!OtherCopyPlaysScript());
  }

  void lockLeftByADeadCopyDoesNotCount() {
    // A process that has ended leaves its id behind.
    QProcess gone;
    gone.start(QStringLiteral("true"), {});
    QVERIFY(gone.waitForStarted(5000));
    const qint64 pid = gone.processId();
    QVERIFY(gone.waitForFinished(5000));

    QFile stale(ScriptShowLockFile());
    QVERIFY(stale.open(QIODevice::WriteOnly | QIODevice::Truncate));
    stale.write(QByteArray::number(pid) + "\npelira\n" + QSysInfo::machineHostName().toUtf8() + "\n");
    stale.close();

    QVERIFY(!OtherCopyPlaysScript());
    ScriptShowLock show;
    QVERIFY(show.Held());
  }

private:
  QTemporaryDir home_;
};

QTEST_MAIN(ScriptShowLockTest)
#include "script_show_lock_test.moc"
