// QtUi: real message boxes, answered by a timer so no modal box can hang the test.
#include <QAbstractButton>
#include <QLabel>
#include <QMessageBox>
#include <QtTest>

#include "common/request_flags.h"
#include "platform/forms/box_answerer.h"
#include "platform/help.h"
#include "platform/progress.h"
#include "platform/qt/qt_ui.h"
#include "platform/qt/status_form.h"

using namespace pelira;
using pelira::test::BoxAnswerer;

namespace {

struct Seen {
  QMessageBox::Icon icon = QMessageBox::NoIcon;
  QString caption, text;
  QList<QMessageBox::StandardButton> buttons;
  Qt::TextFormat format = Qt::AutoText;
};

BoxAnswerer::Step Capture(Seen& seen) {
  return [&seen](QMessageBox* box) {
    seen.icon = box->icon();
    seen.caption = box->windowTitle();
    seen.text = box->text();
    seen.format = box->textFormat();
    seen.buttons.clear();
    for (QAbstractButton* b : box->buttons()) seen.buttons << box->standardButton(b);
    std::sort(seen.buttons.begin(), seen.buttons.end());
  };
}

BoxAnswerer::Step Both(BoxAnswerer::Step a, BoxAnswerer::Step b) {
  return [a, b](QMessageBox* box) {
    a(box);
    b(box);
  };
}

}  // namespace

class QtUiTest : public QObject {
  Q_OBJECT
private slots:
  void init() {
    Flags().ClearRequests();
    Flags().CriticalProcess = false;
  }

  void kindsShowTheirIconCaptionAndButtons_data() {
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("icon");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<int>("buttons");
    QTest::addColumn<int>("click");
    QTest::addColumn<int>("answer");
    auto row = [](const char* name, MessageKind k, QMessageBox::Icon i, const char* cap, Buttons b,
                  QMessageBox::StandardButton click, Button answer) {
      QTest::newRow(name) << int(k) << int(i) << QString(cap) << int(b.Bits()) << int(click) << int(answer);
    };
    row("warning", MessageKind::Warning, QMessageBox::Warning, "Warning", Button::OK | Button::Ignore,
        QMessageBox::Ignore, Button::Ignore);
    row("error", MessageKind::Error, QMessageBox::Critical, "Error", Buttons(Button::OK), QMessageBox::Ok, Button::OK);
    row("information", MessageKind::Information, QMessageBox::Information, "Information", Buttons(Button::OK),
        QMessageBox::Ok, Button::OK);
    row("confirmation", MessageKind::Confirmation, QMessageBox::Question, "Confirm", Button::Yes | Button::No,
        QMessageBox::No, Button::No);
    row("plain", MessageKind::Plain, QMessageBox::NoIcon, "Pelira Picture Utility", Button::OK | Button::Cancel,
        QMessageBox::Cancel, Button::Cancel);
    row("retry", MessageKind::Error, QMessageBox::Critical, "Error", Button::Abort | Button::Retry | Button::Ignore,
        QMessageBox::Retry, Button::Retry);
  }

  void kindsShowTheirIconCaptionAndButtons() {
    QFETCH(int, kind);
    QFETCH(int, icon);
    QFETCH(QString, caption);
    QFETCH(int, buttons);
    QFETCH(int, click);
    QFETCH(int, answer);
    Buttons offered;
    QList<QMessageBox::StandardButton> expectedButtons;
    const std::pair<Button, QMessageBox::StandardButton> map[] = {
        {Button::OK, QMessageBox::Ok},       {Button::Cancel, QMessageBox::Cancel}, {Button::Yes, QMessageBox::Yes},
        {Button::No, QMessageBox::No},       {Button::Ignore, QMessageBox::Ignore}, {Button::Retry, QMessageBox::Retry},
        {Button::Abort, QMessageBox::Abort},
    };
    for (auto [b, sb] : map) {
      if (buttons & int(b)) {
        offered = offered | b;
        expectedButtons << sb;
      }
    }
    std::sort(expectedButtons.begin(), expectedButtons.end());

    Seen seen;
    BoxAnswerer answerer({Both(Capture(seen), BoxAnswerer::Click(QMessageBox::StandardButton(click)))});
    QtUi ui;
    const Button got = ui.Message(MessageKind(kind), "Line one\nLine two", offered);
    QVERIFY(!answerer.TimedOut());
    QCOMPARE(int(got), answer);
    QCOMPARE(int(seen.icon), icon);
    QCOMPARE(seen.caption, caption);
    QCOMPARE(seen.text, QStringLiteral("Line one\nLine two"));
    QCOMPARE(seen.buttons, expectedButtons);
  }

  void textIsShownAsPlainText() {
    Seen seen;
    BoxAnswerer answerer({Both(Capture(seen), BoxAnswerer::Click(QMessageBox::Ok))});
    QtUi().Message(MessageKind::Information, "Saved <b>x</b>.jpg", Button::OK);
    QVERIFY(!answerer.TimedOut());
    QCOMPARE(seen.format, Qt::PlainText);
    QCOMPARE(seen.text, QStringLiteral("Saved <b>x</b>.jpg"));
  }

  void helpShowsTheContextAndTheBoxStays() {
    RecordingHelpViewer help;
    Help::SetViewer(&help);
    bool stillOpenAfterHelp = false;
    BoxAnswerer answerer({BoxAnswerer::Click(QMessageBox::Help),
                          [&](QMessageBox* box) {
                            stillOpenAfterHelp = box->isVisible();
                            box->button(QMessageBox::Ok)->click();
                          }});
    const Button got = QtUi().Message(MessageKind::Plain, "Welcome", Button::OK | Button::Help, 103);
    Help::SetViewer(nullptr);
    QVERIFY(!answerer.TimedOut());
    QVERIFY(answerer.Done());
    QVERIFY(stillOpenAfterHelp);
    QCOMPARE(int(got), int(Button::OK));
    QCOMPARE(help.Contexts(), std::vector<int>{103});
  }

  void escapeGivesTheAbandoningAnswer_data() {
    QTest::addColumn<int>("buttons");
    QTest::addColumn<int>("answer");
    QTest::newRow("ok-cancel-ignore") << int((Button::OK | Button::Cancel | Button::Ignore).Bits()) << int(Button::Cancel);
    QTest::newRow("yes-no") << int((Button::Yes | Button::No).Bits()) << int(Button::No);
  }

  void escapeGivesTheAbandoningAnswer() {
    QFETCH(int, buttons);
    QFETCH(int, answer);
    Buttons offered;
    for (Button b : kButtonOrder) {
      if (buttons & int(b)) offered = offered | b;
    }
    BoxAnswerer answerer({[](QMessageBox* box) { QTest::keyClick(box, Qt::Key_Escape); }});
    const Button got = QtUi().Message(MessageKind::Confirmation, "Continue?", offered);
    QVERIFY(!answerer.TimedOut());
    QCOMPARE(int(got), answer);
  }

  void progressBoxOpensAndASecondOperationIsRefused() {
    QtUi ui;
    std::unique_ptr<Progress> first = OpenProgress(ui, "Finding duplicates");
    auto* form = dynamic_cast<TStatusForm*>(first.get());
    QVERIFY(form);
    QVERIFY(form->isVisible());
    QCOMPARE(form->windowTitle(), QStringLiteral("Finding duplicates"));
    QVERIFY(Flags().CriticalProcess.load());

    Seen seen;
    BoxAnswerer answerer({Both(Capture(seen), BoxAnswerer::Click(QMessageBox::Ok))});
    std::unique_ptr<Progress> second = OpenProgress(ui, "Folder size");
    QVERIFY(!answerer.TimedOut());
    QVERIFY(!second);
    QCOMPARE(seen.icon, QMessageBox::Warning);
    QCOMPARE(seen.text, QStringLiteral("A critical process is being executed.\nCancel the process to proceed."));
    QVERIFY(form->isVisible());

    first.reset();
    QVERIFY(!Flags().CriticalProcess.load());
  }
};

QTEST_MAIN(QtUiTest)
#include "qt_ui_test.moc"
