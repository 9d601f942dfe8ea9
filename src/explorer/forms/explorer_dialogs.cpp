#include "explorer/forms/explorer_dialogs.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QInputDialog>
#include <QUrl>

#include "explorer/forms/walk_form.h"
#include "viewer/forms/list_dlg.h"

namespace pelira {

std::optional<std::string> QtExplorerDialogs::ChooseFolder(QWidget* parent, WalkMode mode, const QString& title,
                                                           const std::string& start) {
  return RunWalkForm(parent, mode, title, start);
}

std::optional<std::string> QtExplorerDialogs::AskText(QWidget* parent, const QString& title, const QString& prompt,
                                                      const std::string& initial) {
  bool ok = false;
  const QString t = QInputDialog::getText(parent, title, prompt, QLineEdit::Normal, QString::fromStdString(initial), &ok);
  if (!ok) return std::nullopt;
  return t.toStdString();
}

std::optional<int> QtExplorerDialogs::ChooseFromList(QWidget* parent, const QString& caption,
                                                     const std::vector<std::string>& items, int current) {
  const std::string currentText = current >= 0 && current < static_cast<int>(items.size()) ? items[current] : "";
  TListDlg dlg(items, currentText, parent, [](const std::string&) { return true; });
  dlg.setWindowTitle(caption);
  if (dlg.exec() != QDialog::Accepted || dlg.SelectedRow() < 0) return std::nullopt;
  // The dialog may have reordered its copy: find the chosen folder in ours.
  const std::string chosen = dlg.Entries()[dlg.SelectedRow()];
  for (std::size_t i = 0; i < items.size(); ++i)
    if (items[i] == chosen) return static_cast<int>(i);
  return std::nullopt;
}

bool QtExplorerDialogs::OpenExternally(const std::string& path) {
  // Launchers and programs are never started from a double click in a picture browser.
  const QFileInfo fi(QString::fromStdString(path));
  if (fi.suffix().compare("desktop", Qt::CaseInsensitive) == 0 || fi.isExecutable()) return false;
  return QDesktopServices::openUrl(QUrl::fromLocalFile(fi.absoluteFilePath()));
}

}  // namespace pelira
