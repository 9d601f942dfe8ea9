#pragma once
// Turns SIGTERM and SIGINT into a normal close of the program on the UI thread: the signal
// handler only writes a byte to a socket pair, a QSocketNotifier does the rest.
#include <QObject>

class QSocketNotifier;

namespace pelira {

class TerminateNotifier : public QObject {
  Q_OBJECT
public:
  explicit TerminateNotifier(QObject* parent = nullptr);
  ~TerminateNotifier() override;

signals:
  void terminateRequested();

private:
  QSocketNotifier* notifier_ = nullptr;
};

}  // namespace pelira
