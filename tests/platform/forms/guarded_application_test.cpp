// TGuardedApplication: an exception thrown in an event handler reaches the error handler and
// the program goes on. The test runs inside the guarded application, so it has its own main.
#include <QEventLoop>
#include <QMessageBox>
#include <QTimer>
#include <QWidget>
#include <QtTest>
#include <stdexcept>

#include "platform/forms/box_answerer.h"
#include "platform/qt/guarded_application.h"

using namespace pelira;
using pelira::test::BoxAnswerer;

namespace {

const QEvent::Type kThrowStd = QEvent::Type(QEvent::User + 1);
const QEvent::Type kThrowOther = QEvent::Type(QEvent::User + 2);
const QEvent::Type kCount = QEvent::Type(QEvent::User + 3);

class Thrower : public QObject {
public:
  int counted = 0;

protected:
  bool event(QEvent* e) override {
    if (e->type() == kThrowStd) throw std::runtime_error("disk exploded");
    if (e->type() == kThrowOther) throw 42;
    if (e->type() == kCount) {
      ++counted;
      return true;
    }
    return QObject::event(e);
  }
};

TGuardedApplication* App() { return static_cast<TGuardedApplication*>(qApp); }

}  // namespace

class GuardedApplicationTest : public QObject {
  Q_OBJECT
private slots:
  void cleanup() { App()->SetErrorHandler({}); }

  void sentEventThatThrowsReachesTheHandler() {
    std::vector<std::string> messages;
    App()->SetErrorHandler([&messages](const std::string& m) { messages.push_back(m); });
    Thrower thrower;
    QEvent boom(kThrowStd);
    QEvent odd(kThrowOther);
    QEvent count(kCount);
    QCoreApplication::sendEvent(&thrower, &boom);
    QCoreApplication::sendEvent(&thrower, &odd);
    QVERIFY(QCoreApplication::sendEvent(&thrower, &count));
    QCOMPARE(messages, (std::vector<std::string>{"disk exploded", "Unknown exception."}));
    QCOMPARE(thrower.counted, 1);
  }

  void eventLoopGoesOnAfterAThrowingSlot() {
    std::vector<std::string> messages;
    App()->SetErrorHandler([&messages](const std::string& m) { messages.push_back(m); });
    QEventLoop loop;
    bool later = false;
    QTimer::singleShot(0, [] { throw std::runtime_error("timer failed"); });
    QTimer::singleShot(20, [&] {
      later = true;
      loop.quit();
    });
    QTimer::singleShot(5000, &loop, &QEventLoop::quit);  // guard, never reached when all is well
    loop.exec();
    QVERIFY(later);
    QCOMPARE(messages, std::vector<std::string>{"timer failed"});
  }

  void handlerThatThrowsDoesNotEscape() {
    int calls = 0;
    App()->SetErrorHandler([&calls](const std::string&) {
      ++calls;
      throw std::runtime_error("handler broke");
    });
    Thrower thrower;
    QEvent boom(kThrowStd);
    QCoreApplication::sendEvent(&thrower, &boom);
    QCoreApplication::sendEvent(&thrower, &boom);
    QCOMPARE(calls, 2);
  }

  void defaultHandlerShowsAnErrorBox() {
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QString text;
    BoxAnswerer answerer({[&](QMessageBox* box) {
      icon = box->icon();
      text = box->text();
      box->button(QMessageBox::Ok)->click();
    }});
    Thrower thrower;
    QEvent boom(kThrowStd);
    QCoreApplication::sendEvent(&thrower, &boom);
    QVERIFY(!answerer.TimedOut());
    QCOMPARE(icon, QMessageBox::Critical);
    QCOMPARE(text, QStringLiteral("disk exploded"));
  }
};

int main(int argc, char** argv) {
  TGuardedApplication app(argc, argv);
  GuardedApplicationTest test;
  return QTest::qExec(&test, argc, argv);
}

#include "guarded_application_test.moc"
