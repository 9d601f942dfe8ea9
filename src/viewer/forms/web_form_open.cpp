// TWebForm: the open flow, dropped files, the blank picture, caption and status.
#include <QAction>
#include <QApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QScreen>
#include <QScrollArea>
#include <QTimer>
#include <QUrl>

#include <filesystem>

#include "common/app_paths.h"
#include "common/kind_list.h"
#include "common/version.h"
#include "display/forms/pix.h"
#include "platform/ui.h"
#include "viewer/bookmarks.h"
#include "viewer/close_now.h"
#include "explorer/forms/file_form.h"
#include "viewer/forms/web_form.h"
#include "viewer/status_text.h"

namespace pelira {

namespace {

// Shown in place of the players and documents later work brings.
std::string NotBuiltText(OpenKind kind, const std::string& file) {
  const std::string name = std::filesystem::path(file).filename().string();
  switch (kind) {
    case OpenKind::Media: return name + "\nMedia playback is not available in this version.";
    default: return name;
  }
}

}  // namespace

bool TWebForm::CloseNow(bool fromExploreButton) { return pelira::CloseNow(CurrentUi(), state_, false, fromExploreButton); }

LoadRequest TWebForm::MakeLoadRequest() const {
  LoadRequest r;
  r.fitMode = state_.FitMode;
  r.halfJpeg = state_.HalfJpeg;
  r.autoReduce = settings_->viewer.autoReduce;
  r.clientWidth = width();
  r.viewportHeight = ViewportHeight();
  r.backgroundColor = settings_->viewer.backgroundColor;
  r.aspect = state_.AspectMode;
  r.resampleOnLoad = state_.ResampleOnLoad && !state_.MediaMode;
  r.screenGamma = state_.ScreenGamma;
  if (const QScreen* sc = screen()) {
    r.screenWidth = sc->size().width();
    r.screenHeight = sc->size().height();
  }
  return r;
}

void TWebForm::PrepareOpen() {
  sky95_->SuspendPaint(false);
  sky95_->show();
  state_.MediaMode = false;
  SelectHandTool();
}

void TWebForm::BtnOpenClick() {
  PrepareOpen();
  if (state_.ImageModified && !CloseNow()) return;
  const QStringList files =
      Dialogs().OpenFiles(this, QString::fromStdString(settings_->OpenDir), OpenFilterText());
  if (files.isEmpty()) return;
  // The first is shown; the rest join the bookmark list.
  OpenChosen(files.front());
  for (qsizetype i = 1; i < files.size(); ++i) bookmarks_.Append(files[i].toStdString());
  HistoryControls();
}

void TWebForm::BtnOpenEx() {
  // A modified picture is never dropped without the question (a reload used to discard it).
  if (state_.ImageModified && !CloseNow()) return;
  OpenChosen(QString::fromStdString(state_.CurrentFile));
}

void TWebForm::dragEnterEvent(QDragEnterEvent* event) {
  if (state_.SlideshowRunning || !event->mimeData()->hasUrls()) return;
  for (const QUrl& u : event->mimeData()->urls())
    if (u.isLocalFile()) {
      event->acceptProposedAction();
      return;
    }
}

void TWebForm::dropEvent(QDropEvent* event) {
  QStringList files;
  for (const QUrl& u : event->mimeData()->urls())
    if (u.isLocalFile()) files << u.toLocalFile();
  if (files.isEmpty()) return;
  event->acceptProposedAction();
  // The drop's source waits until its drop event returns: the open runs after it.
  QTimer::singleShot(0, this, [this, files] { Run([this, files] { DropFiles(files); }); });
}

void TWebForm::DropFiles(const QStringList& files) {
  if (state_.SlideshowRunning || files.isEmpty()) return;
  activateWindow();
  raise();
  // The others first, from the last dropped down to the second; the shown one then becomes
  // the current entry.
  for (qsizetype i = files.size() - 1; i >= 1; --i) bookmarks_.Append(files[i].toStdString());
  HistoryControls();
  const std::string first = files.front().toStdString();
  // Names keep their case: lower-casing them would lose the file on this system.
  if (!InKindList(UpperExt(first), DropExtensions())) return;
  if (state_.ImageModified && !CloseNow()) return;
  state_.ImageModified = false;
  PrepareOpen();
  OpenChosen(files.front());
}

void TWebForm::OpenChosen(const QString& path) {
  const std::string file = path.toStdString();
  const OpenKind kind = ClassifyOpen(UpperExt(file));
  if (kind == OpenKind::Slideshow) {
    SetStatusWord(kStatusReady);
    PlayScript(file);
    return;
  }
  if (kind == OpenKind::Media) {
    SetStatusWord(kStatusReady);
    CurrentUi().Message(MessageKind::Information, NotBuiltText(kind, file), Button::OK);
    // The blank picture, as after a file that cannot be shown (a modified picture was
    // asked about before the dialog).
    BlankPicture(true);
    return;
  }
  LoadedPicture loaded;
  sky95_->SuspendPaint(true);
  SetStatusWord(kStatusLoading);
  QApplication::setOverrideCursor(Qt::WaitCursor);
  OpenKind result = kind;
  try {
    result = LoadIntoState(state_, file, loader_, MakeLoadRequest(), loaded);
  } catch (...) {
    QApplication::restoreOverrideCursor();
    sky95_->SuspendPaint(false);
    throw;  // the application's error handler reports decoder errors
  }
  QApplication::restoreOverrideCursor();
  DiscardUndo();
  // A document of several pages is never resampled; the aspect goes back to 1:1 Monitor.
  if (state_.ImageLoaded && state_.PageCount > 1 && state_.ResampleOnLoad) SetAspectMonitor();
  if (state_.ImageLoaded) {
    ShowPicture(std::move(loaded.bitmap));
    if (loaded.untitled) Action("mnuReload")->setEnabled(false);
  }
  sky95_->SuspendPaint(false);
  AfterLoad(result, loaded);
  // The blank picture stands for a file that could not be read: the status says why and the
  // path box names that file, ready to be corrected.
  if (!loaded.reason.empty()) {
    SetStatusWord(loaded.reason);
    history_->setText(path);
  }
}

void TWebForm::EnsureFullPicture() {
  if (!NeedsFullDecode(state_)) return;
  LoadRequest request = MakeLoadRequest();
  request.fitMode = false;
  request.autoReduce = false;
  LoadedPicture full;
  SetStatusWord(kStatusLoading);
  QApplication::setOverrideCursor(Qt::WaitCursor);
  bool ok = false;
  try {
    ok = loader_(state_.CurrentFile, request, full) && !full.bitmap.Empty();
  } catch (const std::exception&) {
    ok = false;
  }
  QApplication::restoreOverrideCursor();
  // A file that changed or went away since it was shown: the picture stays as it is.
  if (!ok) {
    StatusReady();
    return;
  }
  sky95_->SetBitmap(std::move(full.bitmap));
  SyncImageState(state_, sky95_->Bitmap());
  state_.ReducedScale = 1;
  state_.SourceWidth = state_.ImageWidth;
  state_.SourceHeight = state_.ImageHeight;
  if (state_.FitMode) ChangeView();
  else ApplyZoom();
  SetDescriptionPanel();
  StatusReady();
}

void TWebForm::ShowPicture(Dib&& bitmap) {
  sky95_->SetBitmap(std::move(bitmap));
  if (state_.FitMode) {
    ChangeView();
  } else {
    state_.Zoom = 100;
    ApplyZoom();
    SetZoomPanel("100%");
    if (settings_->viewer.autoSize) SizeWindowToImage();
  }
  Action("mnuReload")->setEnabled(true);
}

void TWebForm::AfterLoad(OpenKind, const LoadedPicture& loaded) {
  state_.ImageModified = false;
  EnableControls();
  UpdateCaption();
  std::error_code ec;
  const std::filesystem::path file(state_.CurrentFile);
  if (state_.ImageLoaded && std::filesystem::is_regular_file(file, ec)) settings_->OpenDir = file.parent_path().string();
  if (!state_.ImageLoaded) {
    if (!loaded.error.empty()) CurrentUi().Message(MessageKind::Warning, loaded.error, Button::OK);
    BlankPicture(true);
    scrollBox_->setFocus();
    return;
  }
  ShowPageCommands();
  SetStatusWord(state_.StatusWord);
  SetDescriptionPanel();
  if (state_.CurrentFile != kUntitled) UpdateHistory();
  else UpdateHistoryEdit();
  scrollBox_->setFocus();
  if (state_.CurrentFile != kUntitled && std::filesystem::is_regular_file(file, ec)) AddRecent(state_.CurrentFile);
}

void TWebForm::AddRecent(const std::string& path) {
  if (settings_->viewer.logVisitedFolders && !state_.SlideshowRunning) AddToAppRecent(AppPaths::Recent(), path);
}

void TWebForm::ShowPageCommands() {
  const bool pages = state_.ImageLoaded && state_.PageCount >= 2;
  Action("btnPage")->setEnabled(pages);
  if (QMenu* page = menus_->Menu("mnuPage")) page->menuAction()->setVisible(pages);
}

void TWebForm::PageChange(int command) {
  if (!state_.ImageLoaded || state_.PageCount < 2) return;
  if (state_.ImageModified && !CloseNow()) return;
  const int count = state_.PageCount;
  int page = state_.PageIndex;
  switch (command) {
    case 1: page = page >= count - 1 ? 0 : page + 1; break;
    case -1: page = page <= 0 ? count - 1 : page - 1; break;
    case 0: page = 0; break;
    default: page = count - 1; break;
  }
  LoadRequest request = MakeLoadRequest();
  request.pageIndex = page;
  request.pageChange = true;
  LoadedPicture loaded;
  sky95_->SuspendPaint(true);
  SetStatusWord(kStatusLoading);
  QApplication::setOverrideCursor(Qt::WaitCursor);
  try {
    LoadIntoState(state_, state_.CurrentFile, loader_, request, loaded);
  } catch (...) {
    QApplication::restoreOverrideCursor();
    sky95_->SuspendPaint(false);
    throw;
  }
  QApplication::restoreOverrideCursor();
  DiscardUndo();
  if (state_.ImageLoaded) {
    // The page keeps the view: refitted in fit mode, else at the zoom it had.
    sky95_->SetBitmap(std::move(loaded.bitmap));
    if (state_.FitMode) ChangeView();
    else ApplyZoom();
  }
  sky95_->SuspendPaint(false);
  if (!state_.ImageLoaded) {
    AfterLoad(OpenKind::Raster, loaded);
    return;
  }
  SetStatusWord(state_.StatusWord);
  SetDescriptionPanel();
  ShowPageCommands();
}

void TWebForm::PathBoxEnter() {
  const std::string typed = history_->text().trimmed().toStdString();
  std::error_code ec;
  scrollBox_->setFocus();
  if (!typed.empty() && std::filesystem::is_regular_file(typed, ec)) {
    if (typed == state_.CurrentFile) return;
    if (state_.ImageModified && !CloseNow()) {
      history_->setText(QString::fromStdString(state_.CurrentFile));
      return;
    }
    state_.ImageModified = false;
    PrepareOpen();
    OpenChosen(QString::fromStdString(typed));
    return;
  }
  // A folder goes to the explorer.
  if (!typed.empty() && std::filesystem::is_directory(typed, ec)) {
    if (TFileForm* explorer = ShowExplorer()) explorer->SetFolder(typed);
    history_->setText(QString::fromStdString(state_.CurrentFile));
    return;
  }
  CurrentUi().Message(MessageKind::Warning, "File not found.", Button::OK);
  history_->setText(QString::fromStdString(state_.CurrentFile));
}

void TWebForm::BlankPicture(bool untitled) {
  sky95_->SetBitmap(BlankBitmap(settings_->viewer.backgroundColor));
  Action("mnuReload")->setEnabled(false);
  BlankPictureState(state_, untitled);
  EnableControls();
  PictureChanged();
  LayoutViewport();
  UpdateCaption();
  state_.ImageModified = false;
}

void TWebForm::PictureChanged() {
  SyncImageState(state_, sky95_->Bitmap());
  if (state_.FitMode) {
    ChangeView();
  } else {
    state_.Zoom = 100;
    ApplyZoom();
    SetZoomPanel("100%");
  }
  MultiPageDisable(state_);
  StatusReady();
  state_.ImageModified = true;
}

void TWebForm::StatusReady() {
  SetStatusWord(kStatusReady);
  SetDescriptionPanel();
}

void TWebForm::UpdateCaption() {
  setWindowTitle(QString::fromStdString(CaptionText(state_.CurrentFile)));
  SetDescriptionPanel();
}

}  // namespace pelira
