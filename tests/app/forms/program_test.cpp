// The built program as a user starts it: a second copy ends at once while a script show
// plays in another, and a normal start closes on SIGTERM as the user closing the window
// would, with the settings written (even with the first-run welcome box open).
#include <QtTest>

#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>

#include "platform/qt/script_show_lock.h"

namespace {

QProcessEnvironment ProgramEnvironment(const QString& home) {
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert("PELIRA_HOME", home);
  env.insert("QT_QPA_PLATFORM", "offscreen");
  return env;
}

// Sets $PELIRA_HOME for this process too, so the lock taken here is the program's lock.
class HomeForTest {
public:
  explicit HomeForTest(const QString& home) : old_(qgetenv("PELIRA_HOME")) { qputenv("PELIRA_HOME", home.toLocal8Bit()); }
  ~HomeForTest() { qputenv("PELIRA_HOME", old_); }

private:
  QByteArray old_;
};

}  // namespace

class ProgramTest : public QObject {
  Q_OBJECT
private slots:
  void secondCopyEndsWhileAScriptShowPlays() {
    QTemporaryDir home;
    HomeForTest chosen(home.path());
    pelira::ScriptShowLock show;
    QVERIFY(show.Held());

    QProcess program;
    program.setProcessEnvironment(ProgramEnvironment(home.path()));
    program.start(PELIRA_PROGRAM, {});
    QVERIFY(program.waitForStarted());
    QVERIFY2(program.waitForFinished(60000), "the second copy kept running");
    QCOMPARE(program.exitStatus(), QProcess::NormalExit);
    QCOMPARE(program.exitCode(), 0);
    // It ended before any window: nothing was written.
    QVERIFY(!QFile::exists(home.filePath("PELIRA.ini")));
  }

  void startsAndClosesOnTerminateWithTheSettingsWritten() {
    QTemporaryDir home;
    QProcess program;
    program.setProcessEnvironment(ProgramEnvironment(home.path()));
    program.start(PELIRA_PROGRAM, {QString::fromLocal8Bit(qgetenv("PELIRA_FIXTURES")) + "/viewer/photo.jpg"});
    QVERIFY(program.waitForStarted());
    // No show plays: the program stays up (a first run, so the welcome box is open).
    QVERIFY2(!program.waitForFinished(5000), program.readAllStandardError().constData());
    program.terminate();
    QVERIFY2(program.waitForFinished(30000), "SIGTERM did not close the program");
    QCOMPARE(program.exitStatus(), QProcess::NormalExit);
    QVERIFY2(program.exitCode() == 0, program.readAllStandardError().constData());

    QSettings written(home.filePath("PELIRA.ini"), QSettings::IniFormat);
    QCOMPARE(written.value("VControls7500").toByteArray().size(), 168);
    QCOMPARE(written.value("OpenDir").toString(), QString::fromLocal8Bit(qgetenv("PELIRA_FIXTURES")) + "/viewer");
  }
};

QTEST_GUILESS_MAIN(ProgramTest)
#include "program_test.moc"
