#include "batch/forms/batch_file_dialogs.h"

#include <QDesktopServices>
#include <QDialogButtonBox>
#include <QFile>
#include <QFileDialog>
#include <QInputDialog>
#include <QLabel>
#include <QListWidget>
#include <QUrl>
#include <QVBoxLayout>

namespace pelira {

TReviewDlg::TReviewDlg(const QString& caption, const std::vector<std::string>& files, QWidget* parent)
    : QDialog(parent) {
  setObjectName("ReviewDlg");
  setWindowTitle(caption);
  auto* layout = new QVBoxLayout(this);
  list_ = new QListWidget(this);
  list_->setObjectName("lstFiles");
  list_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  list_->setSelectionMode(QAbstractItemView::SingleSelection);
  list_->setUniformItemSizes(true);
  for (const std::string& f : files) list_->addItem(QString::fromStdString(f));
  auto* count = new QLabel(QString::number(files.size()) + " file(s)", this);
  count->setObjectName("lblCount");
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  layout->addWidget(list_);
  layout->addWidget(count);
  layout->addWidget(buttons);
  resize(520, 360);
}

bool QtBatchFileDialogs::Review(const std::string& caption, const std::vector<std::string>& files) {
  TReviewDlg dialog(QString::fromStdString(caption), files, parent_);
  return dialog.exec() == QDialog::Accepted;
}

std::optional<std::string> QtBatchFileDialogs::ChooseFolder(const std::string& title, const std::string& start) {
  const QString chosen =
      QFileDialog::getExistingDirectory(parent_, QString::fromStdString(title), QString::fromStdString(start));
  if (chosen.isEmpty()) return std::nullopt;
  return QFile::encodeName(chosen).toStdString();  // the file system's bytes, not display text
}

std::optional<std::string> QtBatchFileDialogs::AskText(const std::string& caption, const std::string& label,
                                                       const std::string& initial) {
  bool ok = false;
  const QString text = QInputDialog::getText(parent_, QString::fromStdString(caption), QString::fromStdString(label),
                                             QLineEdit::Normal, QString::fromStdString(initial), &ok);
  if (!ok) return std::nullopt;
  return text.toStdString();
}

bool QtBatchFileDialogs::OpenFile(const std::string& path) {
  return QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(path)));
}

}  // namespace pelira
