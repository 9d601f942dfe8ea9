// Full screen and back: the window without frame over the whole screen, the bars the
// settings say hidden, the sizing commands off; the normal window comes back where it was.
#include <QAction>
#include <QMenuBar>
#include <QScreen>
#include <QStatusBar>

#include "display/forms/pix.h"
#include "viewer/forms/web_form.h"

namespace pelira {

void TWebForm::mnuFullScrnClick() {
  QAction* item = Action("mnuFullScrn");
  if (!item || !item->isEnabled() || state_.MediaMode || state_.SlideshowRunning) return;
  const bool entering = !FullScreen();
  const ViewerSettings& s = settings_->viewer;
  SelectHandTool();
  sky95_->SetStretch(true);
  state_.Scrollable = false;
  sky95_->SuspendPaint(true);
  ScrollTo(0, 0);
  programmaticResize_ = true;
  if (entering) {
    // The normal window's place, kept as FormClose keeps it (frame position, client size).
    const QRect avail = screen() ? screen()->availableGeometry() : QRect();
    const QPoint at = frameGeometry().topLeft() - avail.topLeft();
    const int left = std::abs(at.x()), top = std::abs(at.y());
    settings_->viewer.windowBounds = {left, top, left + width(), top + height()};
    if (s.maxFullScreen) {
      if (s.menuBar && !s.maxFullScreenWithMenus) menuBar()->hide();
      if (s.toolBar && !s.mergeToolbar) panelTool_->hide();
      if (s.pathBox) panelHistory_->hide();
      if (s.statusBar) statusBar()->hide();
    }
    showFullScreen();
    item->setText("Normal window");
  } else {
    showNormal();
    ApplyBars();
    RestoreWindowBounds();
    item->setText("Full screen");
  }
  for (const char* name : {"mnuFitTo1", "mnuFitTo2", "mnuFitTo3", "mnuFitTo4", "mnuOptimizeWindow", "mnuViewport"})
    if (QAction* a = Action(name)) a->setEnabled(!entering && state_.ImageLoaded);
  if (QMenu* fitTo = menus_->Menu("mnuFitTo")) fitTo->menuAction()->setEnabled(!entering);
  if (!s.maxFullScreen) Action("mnuStatusBar")->setEnabled(!entering);
  if (s.toolBar || s.mergeToolbar) {
    Action("btnAdjust")->setEnabled(!entering && state_.ImageLoaded);
    Action("btnScreen")->setChecked(entering);
  }
  UpdateHistoryEdit();
  programmaticResize_ = false;
  sky95_->SuspendPaint(false);
  FormResize();
  activateWindow();
}

}  // namespace pelira
