// TWebForm: "&Save as". The dialog asks; core (edit/save_as.h) checks the space, writes
// the file atomically and updates the state.
#include <QAction>
#include <QApplication>
#include <QLineEdit>

#include <filesystem>

#include "common/app_paths.h"
#include "display/forms/pix.h"
#include "engine/dialogs/filter_preview_dialog.h"
#include "image/library_codecs.h"
#include "platform/ui.h"
#include "viewer/forms/save_dialog.h"
#include "viewer/forms/status_word_panel.h"
#include "viewer/forms/web_form.h"
#include "edit/save_as.h"
#include "viewer/status_text.h"

namespace pelira {

namespace fs = std::filesystem;


void TWebForm::SetBatchMark(bool on, const std::string& suffix) {
  batchMark_ = on;
  if (on) batchSuffix_ = suffix;
}

void TWebForm::mnuSaveClick(bool batch) {
  const int bits = sky95_->Bitmap().BitCount();
  if (saveType_ > SaveTypesOffered(bits)) saveType_ = kDefaultSaveType;
  const std::string proposed = ProposedSaveName(state_.CurrentFile, batch ? batchSuffix_ : std::string());
  const std::string folder =
      InitialSaveFolder(settings_->SaveDir, history_->text().toStdString(), AppPaths::Home().string());
  settings_->SaveDir = folder;

  std::string path;
  bool overwriteConfirmed = false;
  if (batch && batchMark_) {
    // A script's SAVE after the first: no dialog and no question for any type.
    path = (fs::path(folder) / CompleteSaveName(proposed, SaveTypeOf(saveType_).extension)).string();
  } else {
    for (;;) {
      SaveDialogSetup setup;
      setup.folder = folder;
      setup.name = proposed;
      setup.imageBits = bits;
      setup.type = saveType_;
      setup.compression = saveCompression_;
      setup.progressive = saveProgressive_;
      setup.compress = [this, folder](QWidget* parent) {
        EnsureFullPicture();
        TFXdlg::SetSaveFolder(folder);
        TFXdlg::RunJpegWizard(parent, sky95_->Bitmap(), ProgramJpegWizardRecord(), *store_, true, &Dialogs());
      };
      const std::optional<SaveChoice> choice = Dialogs().SaveAs(this, setup);
      if (!choice || choice->path.empty()) {
        batchMark_ = false;
        return;
      }
      saveType_ = choice->type >= 1 && choice->type <= SaveTypesOffered(bits) ? choice->type : kDefaultSaveType;
      saveCompression_ = JpegSaveScale(choice->compression);
      saveProgressive_ = choice->progressive;
      path = CompleteSaveName(choice->path, SaveTypeOf(saveType_).extension);
      std::error_code ec;
      if (fs::exists(path, ec)) {
        QApplication::beep();
        const Button b = CurrentUi().Message(MessageKind::Confirmation, OverwriteQuestion(path),
                                             Button::Yes | Button::No | Button::Cancel);
        if (b == Button::No) continue;
        if (b != Button::Yes) {
          batchMark_ = false;
          return;
        }
        overwriteConfirmed = true;
      }
      break;
    }
    AddRecent(fs::path(path).parent_path().string());
  }

  // The file gets the whole picture, never the copy reduced to fit the window.
  EnsureFullPicture();
  statusWord_->SetText(QString::fromStdString("Saving " + fs::path(path).filename().string() + " ..."));
  QApplication::setOverrideCursor(Qt::WaitCursor);
  SaveRequest request;
  request.path = path;
  request.type = saveType_;
  request.options = SaveOptions{saveCompression_, saveProgressive_};
  request.batch = batch;
  request.overwriteConfirmed = overwriteConfirmed;
  if (!batch) settings_->SaveDir = fs::path(path).parent_path().string();
  SaveOutcome outcome = SaveOutcome::WriteFailed;
  try {
    outcome = SavePicture(state_, sky95_->EditBitmap(), request, CurrentUi(), FileSavedIn(bookmarks_));
  } catch (...) {
    QApplication::restoreOverrideCursor();
    throw;
  }
  QApplication::restoreOverrideCursor();
  if (outcome == SaveOutcome::Saved) {
    if (!batch) {
      UpdateHistoryEdit();
      HistoryControls();
      UpdateCaption();
      Action("mnuReload")->setEnabled(true);
    }
  }
  StatusReady();
}

void TWebForm::mnuCompressClick() {
  if (!state_.ImageLoaded || sky95_->Bitmap().Empty() || state_.MediaMode) return;
  // The wizard encodes the whole picture, never the copy reduced to fit the window.
  EnsureFullPicture();
  TFXdlg::SetSaveFolder(
      InitialSaveFolder(settings_->SaveDir, history_->text().toStdString(), AppPaths::Home().string()));
  TFXdlg::RunJpegWizard(this, sky95_->Bitmap(), ProgramJpegWizardRecord(), *store_, true, &Dialogs());
}

}  // namespace pelira
