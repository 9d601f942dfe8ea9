#pragma once
// The viewer's part of a load: painting stops while the bitmap is replaced, the cursor shows
// the wait, pending events run (user input waits, so no command starts inside a load) and the
// status panel follows.
#include <QApplication>
#include <functional>

#include "display/forms/pix.h"
#include "image/image_loader.h"

namespace pelira {

class TViewerLoadHost : public LoadHost {
public:
  TViewerLoadHost(TPix* pix, std::function<void(const std::string&)> status)
      : pix_(pix), status_(std::move(status)) {}

  void StopPainting() override { pix_->SuspendPaint(true); }
  void ResumePainting() override { pix_->SuspendPaint(false); }
  void BusyCursor(bool on) override {
    if (on && !busy_) QApplication::setOverrideCursor(Qt::WaitCursor);
    if (!on && busy_) QApplication::restoreOverrideCursor();
    busy_ = on;
  }
  void Pump() override { QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents); }
  void StatusChanged(const std::string& text) override {
    if (status_) status_(text);
  }
  ~TViewerLoadHost() override { BusyCursor(false); }

private:
  TPix* pix_;
  std::function<void(const std::string&)> status_;
  bool busy_ = false;
};

}  // namespace pelira
