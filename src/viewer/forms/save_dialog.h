#pragma once
// The "Save Image As" dialog: the file dialog with the options panel (Compress button,
// compression bar, "&Progressive", Recent, Help). It only asks; the command does the rest.
#include <QFileDialog>

#include <functional>
#include <optional>
#include <string>

class QCheckBox;
class QPushButton;
class QScrollBar;

namespace pelira {

struct SaveDialogSetup {
  std::string folder;
  std::string name;      // proposed file name, without folder
  int imageBits = 24;    // 1-bit pictures are offered the fax and PackBits types
  int type = 3;          // 1..12
  int compression = 50;  // 1..99
  bool progressive = true;
  std::function<void(QWidget* parent)> compress;  // the JPEG compression wizard; none: disabled
};

struct SaveChoice {
  std::string path;      // as typed, with the dialog's folder
  int type = 3;
  int compression = 50;
  bool progressive = true;
};

class TSaveDialog : public QFileDialog {
  Q_OBJECT
public:
  TSaveDialog(QWidget* parent, const SaveDialogSetup& setup);
  int Type() const { return type_; }
  SaveChoice Choice() const;
  // Runs the dialog; none on Cancel.
  static std::optional<SaveChoice> Ask(QWidget* parent, const SaveDialogSetup& setup);

private:
  void TypeChanged(int type);

  int type_ = 3;
  QPushButton* compress_ = nullptr;
  QScrollBar* bar_ = nullptr;
  QCheckBox* progressive_ = nullptr;
  QStringList filters_;
};

}  // namespace pelira
