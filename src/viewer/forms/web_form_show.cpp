// TWebForm: slideshows. The instant show of the bookmark list and AVL scripts play in the
// slideshow player; the viewer only starts them and comes back afterwards.
#include <QAction>
#include <QTimer>

#include "platform/ui.h"
#include "slideshow/forms/effects_dlg.h"
#include "slideshow/forms/slideshow_commands.h"
#include "slideshow/slide_layout.h"
#include "viewer/forms/web_form.h"

namespace pelira {

void TWebForm::BuildSlideshowCommands() {
  // The context menu's "Slideshow": the same command as Bookmarks › Run.
  Item(nullptr, "Slideshow", "mnuHistorySlideshow", {}, [this] { mnuHistorySlideshowClick(); });
}

ShowRequest TWebForm::SlideshowRequest() const {
  const ViewerSettings& s = settings_->viewer;
  ShowRequest r;
  r.options.background = RgbFromPlatform(s.backgroundColor);
  r.options.speed = s.effectsSpeed;
  r.options.textPosition = s.textPosition;
  r.options.fullScreen = s.alwaysFullScreen || startup_.CommandLineShow;
  r.options.screenGamma = state_.ScreenGamma;
  r.delayMs = s.slideshowDelay;
  r.jukebox = s.avlJukebox;
  return r;
}

void TWebForm::AfterShow() {
  state_.SlideshowRunning = false;
  if (closeAfterShow_) {
    closeAfterShow_ = false;
    QTimer::singleShot(0, this, &QWidget::close);
  }
}

void TWebForm::mnuHistorySlideshowClick() {
  if (state_.SlideshowRunning) return;
  // The show ends on the current bookmark: edits to the picture are asked about first.
  if (state_.ImageModified && !CloseNow()) return;
  state_.SlideshowRunning = true;
  ShowResult r;
  try {
    r = PlayInstantSlideshow(this, bookmarks_.Entries(), bookmarks_.Index(), SlideshowRequest(), store_);
  } catch (...) {
    AfterShow();
    throw;
  }
  AfterShow();
  activateWindow();
  if (!r.started) return;
  bookmarks_.SetIndex(r.index);
  if (r.report.empty()) {
    ShowBookmark();
  } else {
    UpdateHistoryEdit();
    HistoryControls();
  }
}

bool TWebForm::PlayScript(const std::string& path) {
  if (state_.SlideshowRunning) return false;
  show();
  activateWindow();
  state_.SlideshowRunning = true;
  ShowResult r;
  try {
    r = PlayScriptSlideshow(this, path, SlideshowRequest());
  } catch (...) {
    AfterShow();
    throw;
  }
  AfterShow();
  activateWindow();
  // The blank picture follows a script, unless the show ended on a missing slide.
  if (r.report.empty()) BlankPicture(true);
  if (startup_.CommandLineShow) {
    // A show started from the command line ends the program with it (refused ones too).
    startup_.CommandLineShow = false;
    QTimer::singleShot(0, this, &QWidget::close);
  }
  return r.started;
}

void TWebForm::mnuSlideshowClick() {
  if (state_.SlideshowRunning) return;
  const QStringList files = Dialogs().OpenFiles(this, QString::fromStdString(settings_->OpenDir), kAvlFilter);
  if (files.isEmpty()) return;
  PlayScript(files.front().toStdString());
}

void TWebForm::mnuSlideEffectsClick() {
  if (store_) ShowEffectsSelection(this, *store_);
}

}  // namespace pelira
