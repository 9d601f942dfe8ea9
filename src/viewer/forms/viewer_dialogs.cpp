#include "viewer/forms/viewer_dialogs.h"

#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLabel>
#include <QListWidget>
#include <QVBoxLayout>

#include "engine/dialogs/dialog_place.h"
#include "engine/dialogs/resize_form.h"
#include "platform/help.h"
#include "viewer/forms/list_dlg.h"
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

std::optional<std::vector<std::size_t>> QtViewerDialogs::ChooseAssociations(QWidget* parent, const QString& caption,
                                                                             const std::vector<std::string>& items) {
  QDialog dlg(parent);
  dlg.setWindowTitle(caption);
  auto* layout = new QVBoxLayout(&dlg);
  layout->addWidget(new QLabel("Press CTRL key and click to (un)select multiple items.", &dlg));
  auto* list = new QListWidget(&dlg);
  list->setSelectionMode(QAbstractItemView::ExtendedSelection);
  for (const std::string& item : items) list->addItem(QString::fromStdString(item));
  list->selectAll();
  layout->addWidget(list);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel | QDialogButtonBox::Help, &dlg);
  QObject::connect(buttons, &QDialogButtonBox::accepted, &dlg, &QDialog::accept);
  QObject::connect(buttons, &QDialogButtonBox::rejected, &dlg, &QDialog::reject);
  QObject::connect(buttons, &QDialogButtonBox::helpRequested, &dlg, [] { Help::Show(100); });
  layout->addWidget(buttons);
  PlaceAtCursor(&dlg);
  if (dlg.exec() != QDialog::Accepted) return std::nullopt;
  std::vector<std::size_t> kept;
  for (int i = 0; i < list->count(); ++i)
    if (list->item(i)->isSelected()) kept.push_back(static_cast<std::size_t>(i));
  return kept;
}

QString QtViewerDialogs::AssociatedApp(QWidget* parent, const QString& caption) {
  // Programs, or the desktop entries the desktop lists them by.
  return QFileDialog::getOpenFileName(parent, caption, "/usr/share/applications",
                                      "Desktop entries (*.desktop);;All files (*)", nullptr,
                                      QFileDialog::DontUseNativeDialog);
}

}  // namespace pelira
