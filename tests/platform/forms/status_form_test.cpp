// TStatusForm: the progress box driven as a user would.
#include <QApplication>
#include <QFontMetrics>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

#include "common/request_flags.h"
#include "platform/qt/status_form.h"

using namespace pelira;

class StatusFormTest : public QObject {
  Q_OBJECT
private slots:
  void init() {
    Flags().ClearRequests();
    Flags().CriticalProcess = false;
  }
  void cleanup() {
    while (QApplication::overrideCursor()) QApplication::restoreOverrideCursor();
  }

  void showsTitleInitialStatusLabelsAndCancel() {
    TStatusForm form(QStringLiteral("Loading album ..."));
    form.Open();
    QCOMPARE(form.windowTitle(), QStringLiteral("Loading album ..."));
    QVERIFY(form.isVisible());
    QVERIFY(!form.isModal());
    QCOMPARE(form.StatusText(), QStringLiteral("One moment ..."));
    QCOMPARE(form.StatusLine()->text(), QStringLiteral("One moment ..."));
    QCOMPARE(form.BarLabel(ProgressBar::Thumbs)->text(), QStringLiteral("Thumbs:"));
    QCOMPARE(form.BarLabel(ProgressBar::Folders)->text(), QStringLiteral("Folders:"));
    QCOMPARE(form.CancelButton()->text(), QStringLiteral("&Cancel"));

    QLabel* line = form.StatusLine();
    QVERIFY(line->alignment() & Qt::AlignVCenter);
    QVERIFY(line->autoFillBackground());
    QCOMPARE(line->backgroundRole(), QPalette::Button);
    QVERIFY(!line->wordWrap());
  }

  void labelsAndBarsFollowTheOperation() {
    TStatusForm form(QStringLiteral("Folder size"));
    form.Open();
    form.SetBarLabel(ProgressBar::Thumbs, "Folder:");
    QCOMPARE(form.BarLabel(ProgressBar::Thumbs)->text(), QStringLiteral("Folder:"));

    form.SetBar(ProgressBar::Folders, 3, 12);
    QCOMPARE(form.Bar(ProgressBar::Folders)->maximum(), 12);
    QCOMPARE(form.Bar(ProgressBar::Folders)->value(), 3);

    // Byte counts beyond int still show the right share.
    const std::int64_t big = std::int64_t{5} << 40;
    form.SetBar(ProgressBar::Thumbs, big / 2, big);
    const QProgressBar* bar = form.Bar(ProgressBar::Thumbs);
    QCOMPARE(qRound(100.0 * bar->value() / bar->maximum()), 50);

    // No total yet must not turn the bar into a busy indicator.
    form.SetBar(ProgressBar::Thumbs, 0, 0);
    QVERIFY(bar->maximum() > bar->minimum());
  }

  void longPathLosesItsMiddleAndFitsOnOneLine() {
    TStatusForm form(QStringLiteral("Scanning"));
    form.Open();
    QString path = QStringLiteral("/home/user/Pictures");
    for (int i = 0; i < 30; ++i) path += QStringLiteral("/folder%1").arg(i);
    path += QStringLiteral("/holiday.jpg");
    form.SetStatus(path.toStdString());

    QLabel* line = form.StatusLine();
    const QString shown = line->text();
    QCOMPARE(form.StatusText(), path);
    QVERIFY(shown.contains(QChar(0x2026)));
    QVERIFY(shown.startsWith(QStringLiteral("/home")));
    QVERIFY(shown.endsWith(QStringLiteral("holiday.jpg")));
    QVERIFY(line->fontMetrics().horizontalAdvance(shown) <= line->contentsRect().width());

    // A line break in the text does not make a second line.
    form.SetStatus("one\ntwo");
    QCOMPARE(form.StatusLine()->text(), QStringLiteral("one two"));
  }

  void cancelSetsAbortAndShowsTheBusyCursorUntilClosed() {
    TStatusForm form(QStringLiteral("Thumbnailing"));
    form.Open();
    QVERIFY(!form.Aborted());
    QTest::mouseClick(form.CancelButton(), Qt::LeftButton);
    QVERIFY(Flags().AbortRequest.load());
    QVERIFY(form.Aborted());
    QVERIFY(QApplication::overrideCursor());
    QCOMPARE(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
    QVERIFY(form.isVisible());  // the operation closes the box when it has stopped
    form.Close();
    QVERIFY(!QApplication::overrideCursor());
  }

  void escapeAndTheTitleBarCloseAskTheOperationToStop() {
    TStatusForm form(QStringLiteral("Matching"));
    form.Open();
    QTest::keyClick(&form, Qt::Key_Escape);
    QVERIFY(Flags().AbortRequest.load());
    QVERIFY(form.isVisible());
    QVERIFY(Flags().CriticalProcess.load());

    Flags().AbortRequest = false;
    form.close();  // as the window manager's close button does
    QVERIFY(Flags().AbortRequest.load());
    QVERIFY(form.isVisible());
    QVERIFY(Flags().CriticalProcess.load());
  }

  void criticalProcessHoldsWhileOpen() {
    {
      TStatusForm form(QStringLiteral("Saving album"));
      QVERIFY(!Flags().CriticalProcess.load());
      form.Open();
      QVERIFY(Flags().CriticalProcess.load());
      form.Close();
      QVERIFY(!Flags().CriticalProcess.load());
      QVERIFY(!form.isVisible());
    }
    {
      auto form = std::make_unique<TStatusForm>(QStringLiteral("Saving album"));
      form->Open();
      QVERIFY(Flags().CriticalProcess.load());
      form.reset();  // the operation ends without closing first
      QVERIFY(!Flags().CriticalProcess.load());
    }
  }

  void pumpDeliversPendingEvents() {
    TStatusForm form(QStringLiteral("Scanning"));
    form.Open();
    bool fired = false;
    QTimer::singleShot(0, &form, [&fired] { fired = true; });
    for (int i = 0; i < 50 && !fired; ++i) form.Pump();
    QVERIFY(fired);
  }
};

QTEST_MAIN(StatusFormTest)
#include "status_form_test.moc"
