// Tools › Batch's file commands and File › Copy to / Move to / Delete: the window hands the
// batch core its bookmarks, current file and dialogs, and reads back what changed.
#include <QGuiApplication>

#include "batch/batch_commands.h"
#include "batch/forms/batch_file_dialogs.h"
#include "batch/forms/batch_form.h"
#include "common/app_paths.h"
#include "engine/dialogs/filter_preview_dialog.h"
#include "platform/shell.h"
#include "platform/ui.h"
#include "viewer/forms/web_form.h"

namespace pelira {

void TWebForm::BatchFileCommand(BatchMenu command, Qt::KeyboardModifiers modifiers) {
  const bool shift = modifiers.testFlag(Qt::ShiftModifier);
  const bool ctrl = modifiers.testFlag(Qt::ControlModifier);
  QtBatchFileDialogs qtDialogs(this);
  BatchContext c;
  c.bookmarks = bookmarks_.Entries();
  c.currentFile = state_.ImageLoaded && state_.CurrentFile != kUntitled ? state_.CurrentFile : std::string();
  c.lastTargetFolder = batchTargetFolder_;
  c.programFolder = AppPaths::Home().string();
  c.logFolder = AppPaths::Home().string();
  c.imageModified = state_.ImageModified;
  c.confirmUnsavedEdits = [this] { return CloseNow(); };
  c.ui = &CurrentUi();
  c.shell = &CurrentShell();
  c.dialogs = batchDialogs_ ? batchDialogs_ : &qtDialogs;
  TBatchForm* editor = findChild<TBatchForm*>();

  BatchOutcome o;
  switch (command) {
    case BatchMenu::ToJpg:
    case BatchMenu::ToBmp:
    case BatchMenu::ToPng:
    case BatchMenu::ToTif:
    case BatchMenu::ToTga:
    case BatchMenu::ToPcx:
      if (store_) c.jpeg = ProgramJpegWizardRecord().Get(*store_);
      if (editor && editor->isVisible()) {
        c.openScript = editor->Lines();
        editor->hide();
      }
      o = BatchConvertCommand(c, static_cast<int>(command) - static_cast<int>(BatchMenu::ToJpg));
      break;
    case BatchMenu::DateName: o = DateNameCommand(c, shift); break;
    case BatchMenu::Rename: o = RenumberCommand(c, shift); break;
    case BatchMenu::Move: o = CopyMoveCommand(c, true, true); break;
    case BatchMenu::CopyTo: o = CopyMoveCommand(c, shift, ctrl); break;
    case BatchMenu::MoveTo: o = CopyMoveCommand(c, true, ctrl); break;
    case BatchMenu::Delete: o = DeleteCommand(c, shift, true); break;
    case BatchMenu::DeleteOne: o = DeleteCommand(c, shift, ctrl); break;
  }
  if (!o.lastTargetFolder.empty()) batchTargetFolder_ = o.lastTargetFolder;
  if (o.clearBookmarks) {
    bookmarks_.Clear();
    HistoryControls();
  } else if (o.dropCurrent) {
    HistoryChangeUpdate();
  }
}

}  // namespace pelira
