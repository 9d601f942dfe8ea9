// TWebForm: zoom, fit, the viewport's layout and sizing the window to the picture.
#include <QAction>
#include <QApplication>
#include <QMenuBar>
#include <QResizeEvent>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QStatusBar>
#include <QToolBar>

#include <algorithm>

#include "common/request_flags.h"
#include "display/forms/pix.h"
#include "engine/dialogs/resize_form.h"
#include "engine/dialogs/scroll_dialog.h"
#include "viewer/forms/viewer_dialogs.h"
#include "platform/ui.h"
#include "viewer/forms/web_form.h"
#include "viewer/slide_image.h"
#include "viewer/status_text.h"
#include "viewer/view_layout.h"

namespace pelira {

namespace {

constexpr const char* kHalfJpegText =
    "All JPEG images will be loaded with half resolution (50%).\n\n[Ignore] avoids this dialog (for experts).";
constexpr int kHalfJpegHelpContext = 100;

// Bars have fixed heights; a bar counts while it would show with the window.
int VisibleHeight(const QWidget* w, const QWidget* window) { return w->isVisibleTo(window) ? w->height() : 0; }

}  // namespace

bool TWebForm::NormalWindow() const {
  return !(windowState() & (Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen));
}

QRect TWebForm::OuterRect() const {
  const QRect avail = screen() ? screen()->availableGeometry() : QRect();
  const QRect outer = frameGeometry();
  return outer.translated(-avail.topLeft());
}

WindowMetrics TWebForm::Metrics() const {
  WindowMetrics m;
  const QRect avail = screen() ? screen()->availableGeometry() : QRect(0, 0, 1024, 768);
  m.screen = {avail.width(), avail.height()};
  const QRect outer = frameGeometry();
  const int menu = MenuHeight();
  m.frameWidth = outer.width() - width();
  // The menu bar is inside the Qt client area; for the sizing rules it belongs to the chrome.
  m.chromeHeight = outer.height() - height() + menu;
  m.barsHeight = BarsHeight();
  return m;
}

int TWebForm::MenuHeight() const {
  if (!menuBar()->isVisibleTo(this)) return 0;
  const int h = menuBar()->heightForWidth(std::max(width(), 1));
  return h > 0 ? h : menuBar()->sizeHint().height();
}

int TWebForm::BarsHeight() const {
  return VisibleHeight(panelTool_, this) + VisibleHeight(panelHistory_, this) + VisibleHeight(statusBar(), this);
}

int TWebForm::ViewportHeight() const { return std::max(height() - MenuHeight() - BarsHeight(), 0); }

int TWebForm::GetWinMin() const {
  std::vector<std::int32_t> widths;
  for (QAction* a : toolbar1_->actions()) {
    if (a->isSeparator() || !a->isVisible()) continue;
    if (QWidget* w = toolbar1_->widgetForAction(a)) widths.push_back(w->sizeHint().width());
  }
  const ViewerSettings& s = settings_->viewer;
  return pelira::GetWinMin(s.toolBar && !panelTool_->isHidden(), s.mergeToolbar, widths);
}

void TWebForm::PlaceWindow(const RectI& outer) {
  const QRect avail = screen() ? screen()->availableGeometry() : QRect();
  const QSize frame = frameGeometry().size() - size();
  // Before the first show the frame is unknown: the bounds are placed again once it is, or
  // each start would grow the window by its frame.
  const QSize client(std::max(outer.width - frame.width(), 1), std::max(outer.height - frame.height(), 1));
  if (!isVisible()) placedUnshown_ = {outer, client};
  programmaticResize_ = true;
  move(avail.left() + outer.left, avail.top() + outer.top);
  resize(client);
  programmaticResize_ = false;
}

void TWebForm::RestoreWindowBounds() {
  const ViewerSettings& s = settings_->viewer;
  const QRect now = OuterRect();
  const RectI r = pelira::RestoreWindowBounds(s.windowBounds.left, s.windowBounds.top, s.windowBounds.right,
                                              s.windowBounds.bottom, {now.x(), now.y()}, Metrics().screen,
                                              s.autoSize, s.autoCenter);
  // The record holds the frame's position and the client's size (FormClose).
  const QRect avail = screen() ? screen()->availableGeometry() : QRect();
  placedUnshown_.reset();
  programmaticResize_ = true;
  move(avail.left() + r.left, avail.top() + r.top);
  resize(std::max(r.width, 1), std::max(r.height, 1));
  programmaticResize_ = false;
}

void TWebForm::LayoutViewport() {
  if (!viewportArea_) return;
  const RectI area{0, 0, width(), ViewportHeight()};
  if (state_.FitMode || state_.MediaMode) {
    state_.Scrollable = false;
    scrollBox_->setGeometry(0, 0, area.width, area.height);
    sky95_->setCursor(Qt::ArrowCursor);
    return;
  }
  const RectI box = ScrollBoxRect(area, state_.Zoom, false);
  scrollBox_->setGeometry(box.left, box.top, box.width, box.height);
  state_.Scrollable = sky95_->width() > box.width || sky95_->height() > box.height;
  sky95_->setCursor(state_.Scrollable ? Qt::OpenHandCursor : Qt::ArrowCursor);
}

void TWebForm::AutoZoom() {
  if (!state_.ImageLoaded) return;
  const SizeI image{state_.ImageWidth, state_.ImageHeight};
  if (state_.FitMode && !state_.MediaMode) {
    const bool enlarge = settings_->viewer.upsampledFit && !state_.SlideshowRunning;
    const RectI r = ResizeImage(image, {width(), ViewportHeight()}, enlarge);
    scrollBox_->setAlignment(Qt::AlignCenter);  // centres as ResizeImage does: (box - size) div 2
    sky95_->resize(std::max(r.width, 1), std::max(r.height, 1));
    return;
  }
  const SizeI shown = ZoomedSize(image, state_.Zoom);
  scrollBox_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  sky95_->resize(std::max(shown.width, 1), std::max(shown.height, 1));
}

void TWebForm::ApplyZoom() {
  sky95_->SetStretch(true);
  SelectHandTool();
  QScrollBar* h = scrollBox_->horizontalScrollBar();
  QScrollBar* v = scrollBox_->verticalScrollBar();
  sky95_->hide();
  const int hp = ScrollPercent(h->value(), sky95_->width());
  const int vp = ScrollPercent(v->value(), sky95_->height());
  h->setValue(0);
  v->setValue(0);
  AutoZoom();
  LayoutViewport();
  const QSize view = scrollBox_->viewport()->size();
  ScrollTo(ScrollFromPercent(hp, sky95_->width(), view.width(), state_.Zoom),
           ScrollFromPercent(vp, sky95_->height(), view.height(), state_.Zoom));
  sky95_->show();
  SetZoomPanel(QString::fromStdString(ZoomPanelText(false, state_.Zoom)));
}

void TWebForm::UpdateFitControls() {
  const bool fit = state_.FitMode;
  for (const char* name : {"btnZoomUp", "btnZoomDown"}) Action(name)->setEnabled(!fit && state_.ImageLoaded);
  Action("mnuFitWindow")->setChecked(fit);
  Action("btnFit")->setChecked(fit);
  SetZoomPanel(fit ? QString("Fit") : QString::fromStdString(ZoomPanelText(false, state_.Zoom)));
}

void TWebForm::EnableControls() {
  if (!state_.ImageLoaded) return;
  for (const char* name : {"mnuFitWindow", "btnFit", "btnAdjust", "mnuOptimizeWindow", "mnuViewport", "mnuFitTo1", "mnuFitTo2",
                           "mnuFitTo3", "mnuFitTo4"})
    Action(name)->setEnabled(true);
  UpdateFitControls();
}

void TWebForm::ChangeView() {
  sky95_->SuspendPaint(true);
  ScrollTo(0, 0);
  if (state_.FitMode) {
    AutoZoom();
    LayoutViewport();
  } else {
    SizeWindowToImage();
  }
  sky95_->SuspendPaint(false);
  sky95_->update();
}

void TWebForm::mnuFitClick() {
  if (!state_.MediaMode) {
    SelectHandTool();
    sky95_->SetStretch(true);
  }
  state_.FitMode = !state_.FitMode;
  settings_->viewer.fitMode = state_.FitMode;
  UpdateFitControls();
  if (state_.MediaMode) return;
  if (!state_.FitMode) {
    state_.Zoom = 100;
    AutoZoom();
    SetZoomPanel("100%");
  }
  FormResize();
}

void TWebForm::btnZoomUpClick() {
  if (state_.FitMode || !state_.ImageLoaded || state_.Zoom >= 800) return;
  state_.Zoom = ZoomIn(state_.Zoom);
  ApplyZoom();
}

void TWebForm::btnZoomDownClick() {
  if (state_.FitMode || !state_.ImageLoaded || state_.Zoom <= 25) return;
  state_.Zoom = ZoomOut(state_.Zoom);
  ApplyZoom();
}

void TWebForm::SetZoomKey(int zoom) {
  if (!state_.ImageLoaded) return;
  if (state_.FitMode) {
    state_.FitMode = false;
    settings_->viewer.fitMode = false;
    UpdateFitControls();
  }
  state_.Zoom = zoom;
  ApplyZoom();
}

void TWebForm::mnuZoomToClick() {
  if (!state_.ImageLoaded || state_.MediaMode) return;
  SliderRequest q;
  q.min = 25;
  q.max = 800;
  q.start = std::clamp(static_cast<int>(state_.Zoom), 25, 800);
  q.page = 100;
  q.line = 25;
  q.presets = {50, 75, 100, 200, 400, 800};
  q.showPresets = true;
  QtSliderRequester sliders(this, &Dialogs());
  const int zoom = sliders.RunSliderDialog("Set Magnification (%)", "", "", q);
  if (zoom == kDialogCancelled) return;
  // Whole steps of 25, as the zoom buttons take.
  SetZoomKey(std::clamp(zoom / 25 * 25, 25, 800));
}

void TWebForm::mnuUpsampledFitClick() {
  settings_->viewer.upsampledFit = Action("mnuUpsampledFit")->isChecked();
  if (state_.FitMode && !state_.MediaMode) {
    AutoZoom();
    LayoutViewport();
  }
}

void TWebForm::mnuScaleJPGClick() {
  QAction* item = Action("mnuScaleJPG");
  if (!state_.HalfJpeg &&
      !AskIgnorable(CurrentUi(), "HalfJpeg", MessageKind::Confirmation, kHalfJpegText, kHalfJpegHelpContext)) {
    item->setChecked(false);
    return;
  }
  state_.HalfJpeg = !state_.HalfJpeg;
  item->setChecked(state_.HalfJpeg);
  // Half-size decodes and the reduced screen copy exclude each other.
  if (state_.HalfJpeg) settings_->viewer.autoReduce = false;
}

void TWebForm::SetAspectMonitor() {
  state_.AspectMode = AspectModes::OneToOne;
  state_.ResampleOnLoad = false;
  Action("mnuAspect1")->setChecked(true);
}

void TWebForm::mnuAspectClick(QAction* item) {
  const AspectModes beforeMode = state_.AspectMode;
  const bool beforeResample = state_.ResampleOnLoad;
  const QString name = item->objectName();
  const bool monitor = name == "mnuAspect1";
  if (!monitor && state_.PageCount >= 2) {
    CurrentUi().Message(MessageKind::Warning, kMultipageAspectText, Button::OK | Button::Help, kAspectHelpContext);
    SetAspectMonitor();
    return;
  }
  state_.AspectMode = name == "mnuAspect4" ? AspectModes::Tv43
                      : name == "mnuAspect9" ? AspectModes::Wide169 : AspectModes::OneToOne;
  state_.ResampleOnLoad = !monitor;
  item->setChecked(true);
  // Resampled loads and the reduced screen copy exclude each other.
  if (state_.ResampleOnLoad) settings_->viewer.autoReduce = false;
  const std::string question = AspectQuestion(state_.AspectMode);
  if (!question.empty() &&
      CurrentUi().Message(MessageKind::Information, question, Button::OK | Button::Cancel | Button::Help,
                          kAspectHelpContext) != Button::OK)
    SetAspectMonitor();
  const bool changed = state_.AspectMode != beforeMode || state_.ResampleOnLoad != beforeResample;
  if (changed && Action("mnuReload")->isEnabled()) BtnOpenEx();
}

static MinWidthRules Rules(const TWebForm& f, bool fitMode, int winMin) {
  MinWidthRules r;
  r.fitMode = fitMode;
  r.fitToEnabled = f.Action("mnuFitTo1") && f.Action("mnuFitTo1")->isEnabled();
  r.menuBarVisible = f.Settings().menuBar;
  r.winMin = winMin;
  return r;
}

void TWebForm::SizeWindowToImage() {
  if (windowState() & Qt::WindowFullScreen) return;
  if (isMinimized()) return;
  if (isMaximized()) showNormal();
  const QRect now = OuterRect();
  sky95_->resize(std::max(state_.ImageWidth, 1), std::max(state_.ImageHeight, 1));
  const ViewerSettings& s = settings_->viewer;
  const RectI r = pelira::SizeWindowToImage({state_.ImageWidth, state_.ImageHeight}, {now.x(), now.y()}, Metrics(),
                                            Rules(*this, state_.FitMode, GetWinMin()), s.autoSize, s.autoCenter);
  PlaceWindow(r);
  state_.Zoom = 100;
  LayoutViewport();
}

void TWebForm::mnuOptimizeWindowClick() {
  if (isMinimized() || (windowState() & Qt::WindowFullScreen)) return;
  if (isMaximized()) showNormal();
  sky95_->SetStretch(true);
  ScrollTo(0, 0);
  const QRect now = OuterRect();
  const bool shift = QGuiApplication::keyboardModifiers() & Qt::ShiftModifier;
  const RectI r = AdjustWindow({sky95_->width(), sky95_->height()}, {now.x(), now.y()}, Metrics(),
                               Rules(*this, state_.FitMode, GetWinMin()), shift);
  PlaceWindow(r);
  FormResize();
}

// The size dialog's mode for two independent sides ("Keep Aspect Ratio" unchecked).
constexpr int kFreeSides = 999;

void TWebForm::mnuViewportClick() {
  if (state_.MediaMode || isMinimized() || (windowState() & Qt::WindowFullScreen)) return;
  const WindowMetrics m = Metrics();
  const SizeI limit = CustomViewportLimit(m);
  TResizeForm dialog(-1, -1, std::min(width(), limit.width), std::min(ViewportHeight(), limit.height), limit.width,
                     limit.height, "Custom Viewport", kFreeSides, this);
  dialog.SetDialogs(&Dialogs());
  if (!Dialogs().RunViewportDialog(dialog)) return;
  const SizeResult chosen = dialog.Result();
  if (chosen.width <= 0 || chosen.height <= 0) return;
  if (isMaximized()) showNormal();
  if (state_.FitMode) mnuFitClick();
  sky95_->SetStretch(true);
  const QRect now = OuterRect();
  PlaceWindow(CustomViewportWindow({chosen.width, chosen.height}, {now.x(), now.y()}, m));
  // A menu bar that wrapped onto a second line takes its height from the viewport: once.
  const int shortBy = chosen.height - ViewportHeight();
  if (shortBy > 0) {
    programmaticResize_ = true;
    resize(width(), height() + shortBy);
    programmaticResize_ = false;
  }
  FormResize();
}

void TWebForm::mnuFitWinToClick(int divisor) {
  SelectHandTool();
  sky95_->SetStretch(true);
  if (!NormalWindow()) return;
  const QRect now = OuterRect();
  RectI r;
  if (!FitWinTo({state_.ImageWidth, state_.ImageHeight}, divisor, {now.x(), now.y()}, Metrics(), r)) return;
  PlaceWindow(r);
  if (!state_.FitMode) {
    mnuFitClick();
  } else {
    FormResize();
  }
}

void TWebForm::FormResize() {
  // The frame's offset, kept for storing a maximised window's normal bounds.
  if (isVisible() && NormalWindow()) frameOffset_ = geometry().topLeft() - frameGeometry().topLeft();
  if (Flags().OperationInProgress && (isMaximized() || isMinimized())) Flags().AbortRequest = true;
  if (state_.MediaMode) {
    LayoutViewport();
    return;
  }
  SelectHandTool();
  if (isMinimized()) return;
  sky95_->SuspendPaint(true);
  LayoutViewport();
  if (state_.ImageLoaded && !programmaticResize_) {
    if (state_.FitMode) {
      AutoZoom();
      LayoutViewport();
    }
  }
  sky95_->SuspendPaint(false);
  sky95_->update();
}

void TWebForm::resizeEvent(QResizeEvent* event) {
  QMainWindow::resizeEvent(event);
  if (!closing_) FormResize();
}

}  // namespace pelira
