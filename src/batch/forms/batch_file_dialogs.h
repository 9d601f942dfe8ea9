#pragma once
// The dialogs of the batch file commands on Qt: the read-only review list, the folder
// prompt, the one-line prompts and the desktop's "open" for the exception log.
#include <QDialog>
#include <QPointer>

#include "batch/batch_commands.h"

class QListWidget;
class QWidget;

namespace pelira {

// The batch list shown for review before a batch: read-only, OK and Cancel.
class TReviewDlg : public QDialog {
  Q_OBJECT
public:
  TReviewDlg(const QString& caption, const std::vector<std::string>& files, QWidget* parent = nullptr);
  QListWidget* List() const { return list_; }

private:
  QListWidget* list_ = nullptr;
};

class QtBatchFileDialogs : public BatchFileDialogs {
public:
  explicit QtBatchFileDialogs(QWidget* parent = nullptr) : parent_(parent) {}
  void SetParent(QWidget* parent) { parent_ = parent; }
  bool Review(const std::string& caption, const std::vector<std::string>& files) override;
  std::optional<std::string> ChooseFolder(const std::string& title, const std::string& start) override;
  std::optional<std::string> AskText(const std::string& caption, const std::string& label,
                                     const std::string& initial) override;
  bool OpenFile(const std::string& path) override;

private:
  QPointer<QWidget> parent_;
};

}  // namespace pelira
