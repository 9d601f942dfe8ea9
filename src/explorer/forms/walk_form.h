#pragma once
// TWalkForm: the folder-walk dialog. Its own folder tree, a path box with the folders chosen
// before in this run, Up, Go to, OK (named after the mode), Cancel, Stop and Help. Opened
// with a mode, a title and a start folder; Chosen() is the folder when it closed with OK.
// The batch file operations and the album use it as their folder chooser too.
#include <QDialog>
#include <functional>
#include <string>
#include <vector>

#include "explorer/forms/explorer_dialogs.h"

class QComboBox;
class QFileSystemModel;
class QLabel;
class QPushButton;
class QTreeView;

namespace pelira {

class Ui;

class TWalkForm : public QDialog {
  Q_OBJECT
 public:
  // ui answers the folder-not-accessible message.
  TWalkForm(WalkMode mode, const QString& title, const std::string& start, Ui& ui, QWidget* parent = nullptr);

  const std::string& Chosen() const { return chosen_; }
  // The tree's current folder.
  std::string TreeFolder() const;
  QComboBox* PathBox() const { return pathBox_; }
  QPushButton* OkButton() const { return ok_; }
  QPushButton* StopButton() const { return stop_; }
  QTreeView* Tree() const { return tree_; }
  QLabel* StatusLabel() const { return status_; }

  // Mode GetSlides: OK runs this with the chosen folder (the recursive album listing) and
  // stays open while it runs; Stop sets the abort request meanwhile.
  void SetGetSlides(std::function<void(const std::string& folder, TWalkForm& form)> run) { getSlides_ = std::move(run); }
  void ShowStatus(const QString& text);

  // The history shared by every use during the run.
  static std::vector<std::string>& History();

  // Commands.
  void btnOkClick();
  void btnUpClick();
  void btnGoToClick();
  void btnStopClick();

 protected:
  void done(int result) override;

 private:
  void SetTreeFolder(const std::string& folder);

  WalkMode mode_;
  Ui& ui_;
  QFileSystemModel* fsModel_ = nullptr;
  QTreeView* tree_ = nullptr;
  QComboBox* pathBox_ = nullptr;
  QPushButton* ok_ = nullptr;
  QPushButton* stop_ = nullptr;
  QLabel* status_ = nullptr;
  std::string chosen_;
  std::function<void(const std::string&, TWalkForm&)> getSlides_;
  bool running_ = false;
};

// Runs the folder-walk dialog modally; the folder chosen, or none on Cancel.
std::optional<std::string> RunWalkForm(QWidget* parent, WalkMode mode, const QString& title, const std::string& start);

}  // namespace pelira
