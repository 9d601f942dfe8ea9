#include "slideshow/forms/qt_show_pump.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QEventLoop>
#include <QThread>
#include <QTimer>

#include <algorithm>

namespace pelira {

void QtShowPump::PumpUntil(std::int64_t deadlineMs, bool userInput) {
  const QEventLoop::ProcessEventsFlags flags =
      userInput ? QEventLoop::AllEvents : QEventLoop::ExcludeUserInputEvents;
  const std::int64_t remaining = deadlineMs - clock_.NowMs();
  QAbstractEventDispatcher* dispatcher = QThread::currentThread()->eventDispatcher();
  if (remaining <= 0 || !dispatcher) {
    QCoreApplication::processEvents(flags);
    return;
  }
  // The timer is the wake-up at the deadline; any other event wakes the dispatcher sooner.
  QTimer wake;
  wake.setSingleShot(true);
  wake.setTimerType(Qt::PreciseTimer);
  wake.start(static_cast<int>(std::min<std::int64_t>(remaining, 1 << 30)));
  QCoreApplication::sendPostedEvents();
  dispatcher->processEvents(flags | QEventLoop::WaitForMoreEvents);
}

}  // namespace pelira
