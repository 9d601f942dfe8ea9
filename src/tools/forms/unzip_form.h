#pragma once
// The UnZipper window (TUnZipForm): the archive list on the left, the contents grid of the
// archive under the cursor on the right, a status bar. Everything it does is UnZipper's; the
// window reads its state, forwards commands and paints.
#include <QMainWindow>

#include <functional>
#include <map>
#include <memory>

#include "tools/unzip_run.h"

class QAction;
class QLabel;
class QListWidget;
class QTableWidget;

namespace pelira {

// The dialogs on Qt: file and folder choosers, the desktop's "open", the bell.
class QtUnZipDialogs : public UnZipDialogs {
public:
  explicit QtUnZipDialogs(QWidget* parent) : parent_(parent) {}
  std::vector<std::string> ChooseArchives(const std::string& folder) override;
  std::string ChooseFolder(const std::string& title, const std::string& start) override;
  bool OpenDocument(const std::string& file) override;
  void Beep() override;

private:
  QWidget* parent_;
};

class TUnZipForm : public QMainWindow {
  Q_OBJECT
public:
  // dialogs == nullptr gives the Qt ones.
  TUnZipForm(Ui& ui, Shell& shell, std::unique_ptr<UnZipDialogs> dialogs, QWidget* parent = nullptr);
  ~TUnZipForm() override;

  UnZipper& Model() { return model_; }
  QAction* Action(const QString& objectName) const;
  QListWidget* List() const { return list_; }
  QTableWidget* Grid() const { return grid_; }
  QString StatusText() const;
  // Opens a member in the viewer (double click on a grid row); the viewer hands it in.
  void SetOpenInViewer(std::function<void(const QString&)> open) { openInViewer_ = std::move(open); }
  // While the program closes, closing the window keeps its list.
  void SetProgramClosing(bool closing) { programClosing_ = closing; }

  // Adds archives (the explorer's open, the command line) and shows the list.
  void AddArchives(const QStringList& paths);

  // --- commands (the menu rows call these; tests too) ---
  void mnuClearClick();
  void mnuAddClick();
  void mnuCutClick();
  void mnuDeleteClick();
  void mnuViewClick();
  void mnuSkipDuplicatesClick();
  void mnuExtractAllClick();
  void mnuSelectedZipsClick();
  void mnuSingleFileClick();
  void mnuTestClick() {}
  void mnuCloseClick();
  void mnuHelpClick();
  // The extraction commands with Shift given rather than read from the keyboard.
  void ExtractAll(bool shiftHeld);
  void ExtractSelected(bool shiftHeld);
  void OpenMemberInViewer(int row);

protected:
  void closeEvent(QCloseEvent* e) override;
  void keyPressEvent(QKeyEvent* e) override;
  void dragEnterEvent(QDragEnterEvent* e) override;
  void dropEvent(QDropEvent* e) override;
  void showEvent(QShowEvent* e) override;
  bool event(QEvent* e) override;

private:
  void BuildMenus();
  void RefreshList();
  void RefreshGrid();
  void UpdateUi();
  void ListSelectionChanged();

  std::unique_ptr<UnZipDialogs> dialogs_;
  UnZipper model_;
  QListWidget* list_ = nullptr;
  QTableWidget* grid_ = nullptr;
  QLabel* status_ = nullptr;
  std::map<QString, QAction*> actions_;
  std::function<void(const QString&)> openInViewer_;
  bool programClosing_ = false;
  bool refreshing_ = false;
  int viewedRow_ = -1;  // the list row whose contents the grid shows
};

// Shows the UnZipper (made on first use, then only hidden) over owner, with archives added.
// openInViewer, when given, opens a member the user double-clicks.
void ShowUnZipWindow(QWidget* owner, const QStringList& archives = {},
                     std::function<void(const QString&)> openInViewer = {});

}  // namespace pelira
