#pragma once
// TListDlg: the bookmark list dialog. It edits a copy of the list; OK hands the copy back.
// The view asks the model only for the rows it shows, so a list of a million entries opens
// at once.
#include <QDialog>

#include <string>
#include <vector>

#include "viewer/bookmarks.h"

class QLabel;
class QListView;
class QPushButton;

namespace pelira {

class TBookmarkModel;

class TListDlg : public QDialog {
  Q_OBJECT
public:
  // entries: the copy to edit; current: the path box text, selected on opening.
  TListDlg(std::vector<std::string> entries, const std::string& current, QWidget* parent = nullptr,
           FileExistsFn exists = BookmarkFileExists);
  ~TListDlg() override;

  const std::vector<std::string>& Entries() const;
  // The selected row, or -1.
  int SelectedRow() const;
  void SelectRow(int row);
  void DeleteSelected();
  void SortAll();
  QString StatusText() const;
  QListView* View() const { return view_; }
  QPushButton* SortButton() const { return sortButton_; }

protected:
  void keyPressEvent(QKeyEvent* event) override;

private:
  void SelectPath(const std::string& path);
  void UpdateStatus();

  TBookmarkModel* model_ = nullptr;
  QListView* view_ = nullptr;
  QLabel* label_ = nullptr;
  QLabel* status_ = nullptr;
  QPushButton* sortButton_ = nullptr;
  std::string current_;
  FileExistsFn exists_;
};

}  // namespace pelira
