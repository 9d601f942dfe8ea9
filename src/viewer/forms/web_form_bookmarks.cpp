// TWebForm: the bookmark list in the viewer. Stepping, unmarking, sorting, the list dialog,
// bookmark files and the path box; the rules live in core (viewer/bookmarks.h).
#include <QAction>
#include <QApplication>
#include <QCursor>
#include <QFileDialog>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>

#include <filesystem>

#include "common/app_paths.h"
#include "common/atomic_file.h"
#include "common/kind_list.h"
#include "common/request_flags.h"
#include "display/forms/pix.h"
#include "platform/ui.h"
#include "viewer/forms/list_dlg.h"
#include "viewer/forms/web_form.h"

namespace pelira {

namespace {

constexpr const char* kUnmarkQuestionKey = "Unmark";

}  // namespace


void TWebForm::BuildBookmarkCommands() {
  HistoryControls();
}

bool TWebForm::LeavePicture() {
  if (!state_.ImageModified || Flags().OperationInProgress) return true;
  return CloseNow();
}

void TWebForm::UpdateHistory() {
  if (Flags().OperationInProgress) return;
  bookmarks_.UpdateHistory(state_.CurrentFile);
  UpdateHistoryEdit();
  HistoryControls();
}

void TWebForm::UpdateHistoryEdit() {
  history_->setText(QString::fromStdString(bookmarks_.Current()));
}

void TWebForm::HistoryControls() {
  const std::size_t n = bookmarks_.Count();
  for (const char* name : {"btnBack", "btnNext", "mnuBookmarkNext", "mnuBookmarkPrevious", "mnuMoveUp", "mnuMoveDn",
                           "mnuBookmarksSort", "mnuBookmarksAlbum", "mnuBookmarksRun", "mnuHistorySlideshow",
                           "btnPath2"})
    if (QAction* a = Action(name)) a->setEnabled(n > 1);
  for (const char* name : {"mnuBookmarkFirst", "mnuBookmarkLast", "mnuUnmark", "btnPath5", "mnuBookmarksView",
                           "mnuBookmarksSave", "mnuBookmarksClear"})
    if (QAction* a = Action(name)) a->setEnabled(n > 0);
}

bool TWebForm::ShowBookmark() {
  // A missing file is dropped without a word; the entry that takes its place is shown.
  while (!bookmarks_.Empty()) {
    const std::string entry = bookmarks_.Current();
    if (BookmarkFileExists(entry)) {
      state_.CurrentFile = entry;
      state_.CurrentExt = UpperExt(entry);
      OpenChosen(QString::fromStdString(entry));
      // A picture that fails to load is dropped like a missing one (its warning was shown).
      if (state_.CurrentFile != entry && ClassifyOpen(UpperExt(entry)) == OpenKind::Raster) {
        bookmarks_.RemoveCurrent();
        continue;
      }
      UpdateHistoryEdit();
      HistoryControls();
      return true;
    }
    bookmarks_.RemoveCurrent();
  }
  BlankPicture(true);
  history_->clear();
  HistoryControls();
  return false;
}

void TWebForm::HistoryChangeUpdate() {
  state_.MediaMode = false;
  bookmarks_.RemoveCurrent();
  ShowBookmark();
}

void TWebForm::BookmarkStep(int step) {
  const std::size_t n = bookmarks_.Count();
  if ((step == 1 || step == -1) && n < 2) return;
  if (n == 0) return;
  if (!LeavePicture()) return;
  state_.MediaMode = false;
  switch (step) {
    case 1: bookmarks_.Next(); break;
    case -1: bookmarks_.Previous(); break;
    case 0: bookmarks_.First(); break;
    default: bookmarks_.Last(); break;
  }
  ShowBookmark();
}

void TWebForm::mnuUnmarkClick() {
  if (bookmarks_.Empty()) return;
  const std::string question = UnmarkQuestion(bookmarks_.Current());
  if (!AskIgnorable(CurrentUi(), kUnmarkQuestionKey, MessageKind::Confirmation, question)) return;
  if (!LeavePicture()) return;
  HistoryChangeUpdate();
}

void TWebForm::mnuBookmarksClearClick() {
  if (!LeavePicture()) return;
  BlankPicture(true);
  bookmarks_.Clear();
  history_->clear();
  HistoryControls();
}

void TWebForm::mnuBookmarksSortClick() {
  if (bookmarks_.Count() < 2 || !LeavePicture()) return;
  bookmarks_.Sort();
  if (bookmarks_.Current() != state_.CurrentFile) ShowBookmark();
  else {
    UpdateHistoryEdit();
    HistoryControls();
  }
}

void TWebForm::mnuMoveClick(bool down) {
  if (bookmarks_.Count() < 2 || state_.ImageModified) return;
  if (down) bookmarks_.MoveDown();
  else bookmarks_.MoveUp();
  UpdateHistoryEdit();
}

void TWebForm::mnuBookmarksViewClick() {
  if (!isVisible() || bookmarks_.Empty()) return;
  TListDlg dlg(bookmarks_.Entries(), history_->text().toStdString(), this);
  if (!Dialogs().RunListDialog(dlg)) return;
  if (!LeavePicture()) return;
  const int row = dlg.SelectedRow();
  bookmarks_.Assign(dlg.Entries(), row < 0 ? 0 : static_cast<std::size_t>(row));
  if (bookmarks_.Empty()) {
    BlankPicture(true);
    history_->clear();
    HistoryControls();
  } else if (bookmarks_.Current() != state_.CurrentFile) {
    ShowBookmark();
  } else {
    UpdateHistoryEdit();
    HistoryControls();
  }
}

void TWebForm::mnuBookmarksSaveClick() {
  if (bookmarks_.Empty()) return;
  const QString chosen = Dialogs().BookmarkFile(this, true, QString::fromStdString(settings_->OpenDir));
  if (chosen.isEmpty()) return;
  std::string path = chosen.toStdString();
  if (std::filesystem::path(path).extension().empty()) path += ".plp";
  const WriteResult r = AtomicWrite(path, PlpText(bookmarks_.Entries()));
  if (!r) {
    CurrentUi().Message(MessageKind::Error, r.message, Button::OK);
    return;
  }
  AddRecent(path);
}

void TWebForm::mnuBookmarksLoadClick() {
  const QString chosen = Dialogs().BookmarkFile(this, false, QString::fromStdString(settings_->OpenDir));
  if (chosen.isEmpty()) return;
  if (!LeavePicture()) return;
  std::vector<std::string> entries;
  std::string why;
  if (!ReadPlpFile(chosen.toStdString(), entries, why) ) {
    BlankPicture(true);
    bookmarks_.Clear();
    history_->clear();
    HistoryControls();
    CurrentUi().Message(MessageKind::Error, kLoadBookmarksFailedText, Button::OK);
    return;
  }
  bookmarks_.Assign(std::move(entries), 0);
  if (bookmarks_.Empty()) {
    BlankPicture(true);
    history_->clear();
    HistoryControls();
    return;
  }
  if (bookmarks_.Current() != state_.CurrentFile) ShowBookmark();
  else {
    UpdateHistoryEdit();
    HistoryControls();
  }
}

}  // namespace pelira
