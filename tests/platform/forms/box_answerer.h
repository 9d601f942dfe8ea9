#pragma once
// Drives modal message boxes from a test without hanging it: each step runs on the next modal
// QMessageBox that is up; when a step finds no box within the time allowed, every box is
// closed so the test can fail instead of waiting for the ctest timeout.
#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QTimer>
#include <functional>
#include <vector>

namespace pelira::test {

class BoxAnswerer : public QObject {
public:
  using Step = std::function<void(QMessageBox*)>;

  explicit BoxAnswerer(std::vector<Step> steps, int timeoutMs = 5000) : steps_(std::move(steps)), timeout_(timeoutMs) {
    connect(&timer_, &QTimer::timeout, this, [this] { Poll(); });
    timer_.start(10);
    clock_.start();
  }

  // Clicks the box's standard button b.
  static Step Click(QMessageBox::StandardButton b) {
    return [b](QMessageBox* box) {
      if (QAbstractButton* button = box->button(b)) button->click();
    };
  }

  bool Done() const { return next_ == steps_.size(); }
  bool TimedOut() const { return timedOut_; }

private:
  void Poll() {
    if (Done()) {
      timer_.stop();
      return;
    }
    QMessageBox* box = VisibleBox();
    if (box) {
      // A step that leaves the box open (Help) hands the same box to the next step.
      clock_.restart();
      steps_[next_++](box);
      return;
    }
    if (clock_.elapsed() > timeout_) {
      timedOut_ = true;
      timer_.stop();
      for (QWidget* w : QApplication::topLevelWidgets()) {
        if (auto* b = qobject_cast<QMessageBox*>(w); b && b->isVisible()) b->done(0);
      }
    }
  }

  // The active modal box, or any box that is up (a modal help window may sit above it).
  static QMessageBox* VisibleBox() {
    if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget()); box && box->isVisible()) return box;
    for (QWidget* w : QApplication::topLevelWidgets()) {
      if (auto* box = qobject_cast<QMessageBox*>(w); box && box->isVisible()) return box;
    }
    return nullptr;
  }

  std::vector<Step> steps_;
  std::size_t next_ = 0;
  int timeout_;
  QTimer timer_;
  QElapsedTimer clock_;
  bool timedOut_ = false;
};

}  // namespace pelira::test
