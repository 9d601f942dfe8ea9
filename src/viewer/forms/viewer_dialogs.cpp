#include "viewer/forms/viewer_dialogs.h"

#include <QFileDialog>
#include <QInputDialog>

#include "engine/dialogs/dialog_place.h"
#include "engine/dialogs/resize_form.h"
#include "viewer/forms/list_dlg.h"
#include "viewer/forms/print_form.h"
#include "viewer/forms/save_dialog.h"

namespace pelira {

QStringList QtViewerDialogs::OpenFiles(QWidget* parent, const QString& folder, const QString& filter) {
  // Qt's own dialog: its name filters ignore case, as the patterns were written for.
  const QString file =
      QFileDialog::getOpenFileName(parent, QString(), folder, filter, nullptr, QFileDialog::DontUseNativeDialog);
  return file.isEmpty() ? QStringList() : QStringList{file};
}

std::optional<SaveChoice> QtViewerDialogs::SaveAs(QWidget* parent, const SaveDialogSetup& setup) {
  return TSaveDialog::Ask(parent, setup);
}

QString QtViewerDialogs::BookmarkFile(QWidget* parent, bool save, const QString& folder) {
  QFileDialog dlg(parent, save ? "Save Bookmarks As" : "Select Bookmark file", folder, "Pelira Picture List (*.plp)");
  dlg.setOption(QFileDialog::DontUseNativeDialog, true);
  dlg.setDefaultSuffix("plp");
  dlg.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
  dlg.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
  if (save) dlg.selectFile("Untitled");
  if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty()) return QString();
  return dlg.selectedFiles().front();
}

bool QtViewerDialogs::RunListDialog(TListDlg& dialog) { return dialog.exec() == QDialog::Accepted; }

bool QtViewerDialogs::RunViewportDialog(TResizeForm& dialog) {
  PlaceAtCursor(&dialog);
  return dialog.exec() == QDialog::Accepted;
}

bool QtViewerDialogs::RunPrintSetup(TPrintForm& form) { return form.exec() == QDialog::Accepted; }

bool QtViewerDialogs::RunNewImageDialog(TResizeForm& dialog) {
  PlaceAtCursor(&dialog);
  return dialog.exec() == QDialog::Accepted;
}

int QtViewerDialogs::ChooseScanner(QWidget* parent, const QStringList& devices) {
  bool ok = false;
  const QString chosen = QInputDialog::getItem(parent, "Select Source", "Sources:", devices, 0, false, &ok);
  return ok ? static_cast<int>(devices.indexOf(chosen)) : -1;
}

QString QtViewerDialogs::PrintFileName(QWidget* parent, const QString& folder) {
  QFileDialog dlg(parent, "Print to File", folder, "PDF (*.pdf)");
  dlg.setOption(QFileDialog::DontUseNativeDialog, true);
  dlg.setDefaultSuffix("pdf");
  dlg.setAcceptMode(QFileDialog::AcceptSave);
  if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty()) return QString();
  return dlg.selectedFiles().front();
}

}  // namespace pelira
