// The Qt pump under the slideshow's waits: it wakes for events and at the deadline.
#include <QTimer>
#include <QtTest>

#include "common/request_flags.h"
#include "slideshow/forms/qt_show_pump.h"
#include "slideshow/show_timing.h"

using namespace pelira;

namespace {
// Counts the wake-ups: a wait that spins would wake thousands of times.
class CountingPump : public ShowPump {
public:
  explicit CountingPump(ShowPump& inner) : inner_(inner) {}
  void PumpUntil(std::int64_t deadline, bool userInput) override {
    ++calls;
    inner_.PumpUntil(deadline, userInput);
  }
  int calls = 0;

private:
  ShowPump& inner_;
};
}  // namespace

class QtShowPumpTest : public QObject {
  Q_OBJECT
private slots:
  void waitRunsToItsEndWithoutEvents() {
    SteadyShowClock clock;
    QtShowPump qtPump(clock);
    CountingPump pump(qtPump);
    RequestFlags flags;
    const std::int64_t start = clock.NowMs();
    QCOMPARE(WaitWithMessages(60, clock, pump, flags), WaitEnd::Elapsed);
    QVERIFY(clock.NowMs() - start >= 60);
    QVERIFY2(pump.calls < 20, qPrintable(QString::number(pump.calls)));
  }

  void skipAndStopFromEventsEndTheWait() {
    SteadyShowClock clock;
    QtShowPump pump(clock);
    RequestFlags flags;
    QTimer::singleShot(20, [&] { flags.SkipRequest = true; });
    const std::int64_t start = clock.NowMs();
    QCOMPARE(WaitWithMessages(60000, clock, pump, flags), WaitEnd::Skipped);
    QTimer::singleShot(20, [&] { flags.StopRequest = true; });
    QCOMPARE(WaitWithMessages(60000, clock, pump, flags), WaitEnd::Stopped);
    QVERIFY(clock.NowMs() - start < 60000);
  }

  void transitionPresentsTheLastFrameAfterItsTime() {
    SteadyShowClock clock;
    QtShowPump pump(clock);
    RequestFlags flags;
    std::vector<int> shown;
    const std::int64_t start = clock.NowMs();
    QVERIFY(PlayTransition(19, 300, false, [&](int k) { shown.push_back(k); }, clock, pump, flags));
    QVERIFY(clock.NowMs() - start >= 300);
    QVERIFY(!shown.empty());
    QCOMPARE(shown.back(), 19);
  }
};

QTEST_MAIN(QtShowPumpTest)
#include "qt_show_pump_test.moc"
