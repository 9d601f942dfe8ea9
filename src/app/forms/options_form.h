#pragma once
// TOptionsForm ("Options"): the viewer's, graphics, slideshow, media and explorer settings on
// five pages. It edits a copy; Ok and Apply hand the copy to the caller, who makes the program
// follow it. The enabling rules follow the boxes as they are clicked.
#include <QDialog>

#include <functional>
#include <map>
#include <string>

#include "app/options_rules.h"

class QAbstractButton;
class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class QScrollBar;
class QSlider;
class QTabWidget;

namespace pelira {

class EngineDialogs;

struct OptionsHooks {
  std::function<void(const OptionsValues&)> apply;  // Ok and Apply
  std::function<void()> effects;                    // the effects selection dialog
};

class TOptionsForm : public QDialog {
  Q_OBJECT
public:
  // fromFullScreen: opened while the viewer is full screen. displayDepth: bits per pixel of
  // the screen (Use Screen and Fast Refresh depend on it).
  TOptionsForm(const OptionsValues& current, OptionsPage page, bool fromFullScreen, int displayDepth,
               OptionsHooks hooks, EngineDialogs* dialogs = nullptr, QWidget* parent = nullptr);

  // What the controls say now.
  OptionsValues Values() const;
  QTabWidget* Pages() const { return pages_; }
  QCheckBox* Check(const std::string& name) const;
  QAbstractButton* Radio(const std::string& name) const;
  QPushButton* ApplyButton() const { return apply_; }
  QPushButton* ColorPanel() const { return color_; }
  QScrollBar* DelayBar() const { return delay_; }
  QLabel* DelayLabel() const { return delayLabel_; }
  QSlider* VolumeBar() const { return volume_; }
  QComboBox* WheelButton() const { return wheel_; }

  void ApplyClick();

private:
  struct Box;
  void Build();
  void Fill();
  void Changed();
  void PickColor();

  OptionsValues values_;
  OptionsPage page_;
  bool fromFullScreen_;
  int depth_;
  OptionsHooks hooks_;
  EngineDialogs* dialogs_;
  std::int32_t clickStyleAtOpening_ = 0;
  std::uint32_t color_value_ = 0;
  bool filling_ = false;

  QTabWidget* pages_ = nullptr;
  std::map<std::string, QCheckBox*> checks_;
  std::map<std::string, QAbstractButton*> radios_;
  QPushButton* apply_ = nullptr;
  QPushButton* color_ = nullptr;
  QScrollBar* delay_ = nullptr;
  QLabel* delayLabel_ = nullptr;
  QSlider* volume_ = nullptr;
  QComboBox* wheel_ = nullptr;
};

// Opens the dialog modally on page: 0 when it was closed with Ok, -999 otherwise.
int ShowOptions(QWidget* owner, const OptionsValues& current, OptionsPage page, bool fromFullScreen,
                OptionsHooks hooks, EngineDialogs* dialogs = nullptr);

}  // namespace pelira
