// TWebForm: start-up checks, the first activation, the deferred open, closing, and the
// application's handler of unexpected errors.
#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QScreen>
#include <QShowEvent>
#include <QScrollArea>
#include <QTimer>

#include <cstdlib>

#include "app/program_entry.h"
#include "app/run_files.h"
#include "app/startup_checks.h"
#include "app/unexpected_error.h"
#include "common/request_flags.h"
#include "common/run_tag.h"
#include "display/forms/pix.h"
#include "engine/dialogs/filter_preview_dialog.h"
#include "platform/ui.h"
#include "viewer/forms/script_control.h"
#include "platform/qt/help_window.h"
#include "viewer/forms/web_form.h"
#include "viewer/status_text.h"

namespace pelira {

bool TWebForm::StartupChecksPass(int colorDepth, int screenHeight) {
  const std::vector<std::string> warnings = StartupWarnings(colorDepth, screenHeight);
  for (const std::string& w : warnings) CurrentUi().Message(MessageKind::Warning, w, Button::OK);
  return warnings.empty();
}

void TWebForm::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  if (placedUnshown_ && !event->spontaneous()) {
    const auto [outer, client] = *placedUnshown_;
    placedUnshown_.reset();
    // Unless the window was resized by its owner in between.
    if (frameGeometry().size() != size() && size() == client) PlaceWindow(outer);
  }
  // Without a window manager nothing activates the window, so the first activation is also
  // queued from the first show.
  if (!firstActivationQueued_) {
    firstActivationQueued_ = true;
    QTimer::singleShot(0, this, [this] { Run([this] { FirstActivation(); }); });
  }
}

bool TWebForm::event(QEvent* event) {
  if (event->type() == QEvent::WindowActivate && !firstActivationQueued_ && isVisible()) {
    firstActivationQueued_ = true;
    QTimer::singleShot(0, this, [this] { Run([this] { FirstActivation(); }); });
  }
  return QMainWindow::event(event);
}

void TWebForm::FirstActivation() {
  if (firstActivationDone_) return;
  firstActivationDone_ = true;
  startup_.CommandLineShow = false;
  bool jpegShown = false;
  if (startup_.CommandLineJpeg) {
    for (int i = 0; i < 3; ++i) QCoreApplication::processEvents();
    state_.CurrentFile = startup_.CurrentFile;
    OpenChosen(QString::fromStdString(startup_.CurrentFile));
    jpegShown = state_.ImageLoaded && state_.CurrentFile == startup_.CurrentFile;
  }
  activateWindow();
  QApplication::restoreOverrideCursor();
  ThisRunTag();  // names this run's temporary files from now on

  const FirstActivationPlan plan = PlanFirstActivation(startup_, settings_->ViewerSettingsFound,
                                                       settings_->ExplorerSettingsFound, jpegShown);
  if (plan.statusReady) SetStatusWord(kStatusReady);
  if (plan.blankUntitled) BlankPicture(true);
  if (plan.blankWithoutName) BlankPicture(false);
  if (plan.firstRun) {
    settings_->viewer.autoSize = false;
    settings_->viewer.autoCenter = false;
  }
  if (plan.deferredOpen) {
    startup_.CommandLineShow = startup_.CurrentExt == ".AVL";
    timer2_->start(kDeferredOpenMs);
  }
  if (plan.firstRun) {
    // Queued so that the deferred open can put the picture under the box.
    QTimer::singleShot(0, this, [] {
      CurrentUi().Message(MessageKind::Plain, kWelcomeText, Button::OK | Button::Help, kWelcomeHelpContext);
    });
  }
}

void TWebForm::Timer2Timer() {
  timer2_->stop();
  startup_.OpenPending = false;
  state_.CurrentFile = startup_.CommandLineFile;
  state_.CurrentExt = startup_.CurrentExt;
  OpenChosen(QString::fromStdString(startup_.CommandLineFile));
}

void TWebForm::HandleUnexpectedError(const std::string& message) {
  ErrorContext c;
  c.message = message;
  c.currentFile = state_.CurrentFile;
  c.currentExt = state_.CurrentExt;
  c.mediaMode = state_.MediaMode;
  const ErrorReport r = ClassifyUnexpectedError(c);
  if (r.resetMedia) state_.MediaMode = false;
  Button answer = Button::OK;
  if (r.show) answer = CurrentUi().Message(r.kind, r.text, r.buttons);
  if (r.blankPicture) {
    BlankPicture(true);
    QApplication::restoreOverrideCursor();
  }
  const bool close = r.action == ErrorAction::Close || (r.action == ErrorAction::AskToClose && answer != Button::Ignore);
  if (close) {
    forcedClose_ = true;
    QTimer::singleShot(0, this, &QWidget::close);
  }
}

bool TWebForm::FormCloseQuery() {
  if (state_.SlideshowRunning) {
    // The show stops first; the close follows once it has (SIGTERM and the window's own close).
    Flags().StopRequest = true;
    closeAfterShow_ = true;
    return false;
  }
  if (!forcedClose_) {
    state_.MediaMode = false;
    if (!scripts_->TextMayGo()) return false;
    if (Flags().CriticalProcess || state_.ImageModified) {
      if (!CloseNow()) {
        show();
        return false;
      }
    }
  }
  RemoveRunTemporaryFiles(ThisRunTag());
  return true;
}

void TWebForm::FormClose() {
  ViewerSettings& s = settings_->viewer;
  // The normal window's frame position and client size, with left and top kept as absolute
  // values: what move() and resize() take back at the next start, whatever frame the window
  // manager draws (storing the outer size grew the window by its frame at every start).
  const QRect avail = screen() ? screen()->availableGeometry() : QRect();
  const bool normal = !isMaximized() && !isFullScreen();
  const QRect client = normal ? geometry() : normalGeometry();
  const QPoint at = (normal ? frameGeometry().topLeft() : client.topLeft() - frameOffset_) - avail.topLeft();
  const int left = std::abs(at.x()), top = std::abs(at.y());
  s.windowBounds = {left, top, left + client.width(), top + client.height()};
  s.fitMode = state_.FitMode;
  scripts_->KeepEditorBounds();
  WriteViewerSettings(*store_, *settings_);
  // Only when the wizard read it this run.
  ProgramJpegWizardRecord().WriteBack(*store_);
}

void TWebForm::closeEvent(QCloseEvent* event) {
  if (!FormCloseQuery()) {
    event->ignore();
    return;
  }
  closing_ = true;
  timer2_->stop();
  FormClose();
  event->accept();
  // Closing the viewer ends the program: an open help window must not keep it running.
  THelpWindow::CloseIfOpen();
}

}  // namespace pelira
