#pragma once
// TXScrlDlg: asks for one number on a scroll bar (or a track bar for thumbnail sizes), with a
// number box, end labels and up to six preset buttons. OK gives the position, Cancel or
// closing -999.
#include <QDialog>
#include <functional>

#include "engine/filter_request.h"

class QLabel;
class QLineEdit;
class QPushButton;
class QScrollBar;
class QSlider;
class QGroupBox;

namespace pelira {

class TXScrlDlg : public QDialog {
  Q_OBJECT
public:
  TXScrlDlg(const QString& title, const QString& minLabel, const QString& maxLabel, const SliderRequest& request,
            QWidget* parent = nullptr);

  int Position() const;
  // The result after the dialog closed: the position, or -999.
  int Result() const { return result() == QDialog::Accepted ? Position() : kDialogCancelled; }

  QScrollBar* ScrollBar() const { return scroll_; }
  QSlider* TrackBar() const { return track_; }
  QLineEdit* NumberBox() const { return box_; }
  QLabel* HexText() const { return hex_; }
  QLabel* MinText() const { return minText_; }
  QLabel* MaxText() const { return maxText_; }
  QPushButton* Preset(int i) const { return presets_[i]; }
  QGroupBox* PresetGroup() const { return presetGroup_; }

  // Runs the dialog modally at the pointer.
  static int RunSliderDialog(QWidget* parent, const QString& title, const QString& minLabel, const QString& maxLabel,
                             const SliderRequest& request);

private:
  void BoxEdited(bool final);
  void PositionMoved(int v);

  SliderRequest request_;
  QString title_;
  QScrollBar* scroll_ = nullptr;
  QSlider* track_ = nullptr;
  QLineEdit* box_ = nullptr;
  QLabel* hex_ = nullptr;
  QLabel* minText_ = nullptr;
  QLabel* maxText_ = nullptr;
  QGroupBox* presetGroup_ = nullptr;
  QPushButton* presets_[6] = {};
  bool typing_ = false;
};

// The slider questions of core, answered through the dialogs handed in, else those of the
// window parent sits in (TXScrlDlg unless a test handed in a fake).
class EngineDialogs;
class QtSliderRequester : public SliderRequester {
public:
  explicit QtSliderRequester(QWidget* parent, EngineDialogs* dialogs = nullptr) : parent_(parent), dialogs_(dialogs) {}
  int RunSliderDialog(const std::string& title, const std::string& minLabel, const std::string& maxLabel,
                      const SliderRequest& request) override;

private:
  QWidget* parent_;
  EngineDialogs* dialogs_;
};

}  // namespace pelira
