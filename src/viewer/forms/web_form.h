#pragma once
// TWebForm: the viewer, the program's main window.
#include <QMainWindow>

class QLabel;

namespace pelira {

class TWebForm : public QMainWindow {
  Q_OBJECT
public:
  explicit TWebForm(QWidget* parent = nullptr);

  // Shows the blank picture: the caption names "Untitled".
  void BlankPicture(bool showUntitled);

  QLabel* statusPanel() const { return status_; }

private:
  void BuildMenus();

  QLabel* status_ = nullptr;
};

}  // namespace pelira
