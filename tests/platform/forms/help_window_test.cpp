// The help window: bundled pages by context in one reused window, usable from a modal box.
#include <QApplication>
#include <QMessageBox>
#include <QtTest>

#include "platform/forms/box_answerer.h"
#include "platform/help.h"
#include "platform/qt/help_window.h"
#include "platform/qt/qt_ui.h"

using namespace pelira;
using pelira::test::BoxAnswerer;

class HelpWindowTest : public QObject {
  Q_OBJECT
private slots:
  void initTestCase() { Help::SetViewer(&viewer_); }
  void cleanupTestCase() { Help::SetViewer(nullptr); }

  void bundledPagesIncludeIndexAnd103() {
    const std::vector<std::string> pages = THelpWindow::Pages();
    QVERIFY(std::find(pages.begin(), pages.end(), "index.html") != pages.end());
    QVERIFY(std::find(pages.begin(), pages.end(), "103.html") != pages.end());
  }

  void contextShowsItsPageElseTheContentsInOneWindow() {
    Help::Show(103);
    THelpWindow& window = THelpWindow::Instance();
    QVERIFY(window.isVisible());
    QCOMPARE(window.windowTitle(), QStringLiteral("Pelira 7.7 Help"));
    QCOMPARE(window.source(), QUrl(QStringLiteral("qrc:/help/103.html")));
    QVERIFY(window.toPlainText().contains(QStringLiteral("Getting started")));

    Help::Show(987654);
    QCOMPARE(&THelpWindow::Instance(), &window);
    QCOMPARE(window.source(), QUrl(QStringLiteral("qrc:/help/index.html")));
    QVERIFY(window.toPlainText().contains(QStringLiteral("Contents")));
    QCOMPARE(window.windowModality(), Qt::NonModal);

    int helpWindows = 0;
    for (QWidget* w : QApplication::topLevelWidgets()) helpWindows += qobject_cast<THelpWindow*>(w) ? 1 : 0;
    QCOMPARE(helpWindows, 1);
  }

  void helpFromAModalBoxCanBeUsed() {
    THelpWindow::Instance().hide();
    Qt::WindowModality during = Qt::NonModal;
    bool shown = false;
    BoxAnswerer answerer({BoxAnswerer::Click(QMessageBox::Help), [&](QMessageBox* box) {
                            // The box would block a non-modal window: help must be modal above it.
                            during = THelpWindow::Instance().windowModality();
                            shown = THelpWindow::Instance().isVisible();
                            THelpWindow::Instance().hide();
                            box->button(QMessageBox::Ok)->click();
                          }});
    QtUi().Message(MessageKind::Plain, "Welcome", Button::OK | Button::Help, 103);
    QVERIFY(!answerer.TimedOut());
    QVERIFY(shown);
    QCOMPARE(during, Qt::ApplicationModal);
    QCOMPARE(THelpWindow::Instance().source(), QUrl(QStringLiteral("qrc:/help/103.html")));

    // Asked again from the menu, it no longer blocks the program.
    Help::Show(103);
    QCOMPARE(THelpWindow::Instance().windowModality(), Qt::NonModal);
  }

private:
  QtHelpViewer viewer_;
};

QTEST_MAIN(HelpWindowTest)
#include "help_window_test.moc"
