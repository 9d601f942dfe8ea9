#pragma once
// TFXdlg: the filter preview dialog. Up to three sliders with number boxes and end labels, a
// before picture of the working bitmap and an after picture showing the command's own edit
// on the same view. Apply gives the positions the last preview used; Cancel gives -999.
// Kinds 998 and 999 run it as the JPEG compression wizard.
#include <QDialog>
#include <QTimer>
#include <array>
#include <functional>

#include "engine/filter_request.h"
#include "image/dib.h"
#include "image/dib_graphic.h"
#include "image/jpeg_wizard_settings.h"

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QScrollBar;

namespace pelira {

class EngineDialogs;

inline constexpr int kJpegPreviewKind = 998;
inline constexpr int kJpegSaveKind = 999;
// The after box: 360 x 360, 372 wide in the JPEG mode.
inline constexpr int kPreviewBoxHeight = 360;
int PreviewBoxWidth(int kind);

class TFXdlg : public QDialog {
  Q_OBJECT
public:
  TFXdlg(const QString& title, const QString& minLabel, const QString& maxLabel, const TFilterDlgParam& request,
         const Dib& picture, QWidget* parent = nullptr);
  ~TFXdlg() override;

  bool JpegMode() const { return jpeg_; }
  std::array<int, 3> Values() const;
  // Slider 1 on Apply, -999 otherwise; slider 1 however it closed in the JPEG mode.
  int Result() const;

  // The preview: runs the command's edit on the after picture built from the current view.
  void Test();
  void Reset();

  QScrollBar* Slider(int i) const { return sliders_[i]; }
  QLineEdit* NumberBox(int i) const { return boxes_[i]; }
  QLabel* SliderName(int i) const { return names_[i]; }
  QLabel* MinText(int i) const { return minTexts_[i]; }
  QLabel* MaxText(int i) const { return maxTexts_[i]; }
  QPushButton* TestButton() const { return test_; }
  QPushButton* ApplyButton() const { return apply_; }
  QPushButton* CancelButton() const { return cancel_; }
  QPushButton* ResetButton() const { return reset_; }
  // Histogram, E&Q Curve or Show mask, by kind.
  QPushButton* ExtraButton() const { return extra_; }
  QLabel* ColorPanel() const { return panel_; }
  QLabel* BeforeView() const { return beforeView_; }
  // What a click at (x, y) of the before picture does: pick the colour shown there.
  void PickAt(int x, int y);
  QCheckBox* ActualView() const { return actual_; }
  QCheckBox* AutoTest() const { return autoTest_; }
  QScrollBar* BeforeScroll(bool horizontal) const { return horizontal ? beforeH_ : beforeV_; }
  QLabel* StatusText() const { return status_; }
  const Dib& Before() const { return before_; }
  const Dib& After() const { return after_; }
  // Where the before and after pictures' window lies in the working picture (actual view).
  TRect Window() const;
  int PreviewCount() const { return previews_; }
  bool PreviewPending() const { return pending_.isActive(); }

  // JPEG mode: the bytes the last Test encoded, and the settings the controls show.
  const std::vector<std::uint8_t>& JpegBytes() const { return jpegBytes_; }
  TJpegWizardSettings JpegSettings() const;
  QComboBox* SmoothingChoice() const { return smoothing_; }
  QCheckBox* Subsample() const { return subsample_; }
  QCheckBox* Progressive() const { return progressive_; }
  QScrollBar* JpegScale() const { return jpegScale_; }
  // Save &As: the whole picture encoded with the settings shown, written to path.
  bool SaveJpeg(const std::string& path);
  // The dialogs it opens (the file of Save &As, the histogram view): these, else the window's.
  void SetDialogs(EngineDialogs* dialogs) { dialogs_ = dialogs; }
  EngineDialogs& Dialogs() const;

  // The JPEG compression wizard over picture: kind 999 offers Save &As, 998 previews only.
  // Closing it keeps its settings (StoredJpegSettings).
  // Its dialogs are dialogs, else those of parent's window.
  static void RunJpegWizard(QWidget* parent, const Dib& picture, bool saveAs = true, EngineDialogs* dialogs = nullptr);
  // The same over the program's "JPGwiz1" record: the controls show it (read from store the
  // first time) and closing writes the controls back into it.
  static void RunJpegWizard(QWidget* parent, const Dib& picture, TJpegWizardRecord& record,
                            const SettingsStore& store, bool saveAs = true, EngineDialogs* dialogs = nullptr);

  // The JPEG mode's settings.
  static void SetJpegSettings(const TJpegWizardSettings& s);
  static TJpegWizardSettings StoredJpegSettings();
  // Where Save &As starts: the viewer's last save folder.
  static void SetSaveFolder(const std::string& folder);
  // The last colour picked from a before picture, kept while the program runs.
  static std::optional<ColorValue> PickedColor();
  // Told whenever the auto-test box changes, so the option behind it follows.
  std::function<void(bool on)> onAutoTest;

protected:
  void done(int r) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

private:
  void SliderMoved(int i, int v);
  void BoxEdited(int i);
  void Changed();
  void ShowBefore();
  void ShowAfter();
  void SourceInto(Dib& out) const;
  void JpegRoundTrip();
  void SaveAsClicked();
  void ExtraClicked();
  void ShowPanel(ColorValue c, bool withText);

  TFilterDlgParam request_;
  const Dib& picture_;
  bool jpeg_ = false;
  int shown_ = 1;
  std::array<QScrollBar*, 3> sliders_{};
  std::array<QLineEdit*, 3> boxes_{};
  std::array<QLabel*, 3> names_{}, minTexts_{}, maxTexts_{};
  std::array<QWidget*, 3> rows_{};
  QPushButton *test_ = nullptr, *apply_ = nullptr, *cancel_ = nullptr, *reset_ = nullptr, *help_ = nullptr;
  QPushButton* extra_ = nullptr;
  QLabel* panel_ = nullptr;
  QCheckBox *actual_ = nullptr, *autoTest_ = nullptr;
  QLabel *beforeView_ = nullptr, *afterView_ = nullptr, *status_ = nullptr;
  QScrollBar *beforeH_ = nullptr, *beforeV_ = nullptr;
  QGroupBox* jpegGroup_ = nullptr;
  QComboBox* smoothing_ = nullptr;
  QCheckBox *subsample_ = nullptr, *progressive_ = nullptr;
  QScrollBar* jpegScale_ = nullptr;
  QTimer pending_;
  Dib before_, after_;
  Dib fitted_;  // the reduced whole picture, made once
  std::vector<std::uint8_t> jpegBytes_;
  bool previewing_ = false;
  bool showMask_ = false;  // the next Test shows the selection mask
  bool syncing_ = false;
  EngineDialogs* dialogs_ = nullptr;
  int previews_ = 0;
};

// The program's "JPGwiz1" record, read on first use and written back when the viewer closes.
TJpegWizardRecord& ProgramJpegWizardRecord();

// The preview requests of core, answered by TFXdlg over the picture the host lends. The
// dialog runs through the dialogs handed in, else those of the window parent sits in; a fake
// drives the shown dialog instead of the modal loop, and the answer is read from the dialog.
class QtFilterRequester : public FilterRequester {
public:
  using PictureSource = std::function<const Dib&()>;
  QtFilterRequester(QWidget* parent, PictureSource picture, EngineDialogs* dialogs = nullptr)
      : parent_(parent), picture_(std::move(picture)), dialogs_(dialogs) {}
  FilterAnswer RunFilterDialog(const std::string& title, const std::string& minLabel, const std::string& maxLabel,
                               const TFilterDlgParam& request) override;
  // The program's "Auto-test image processing filters" option (0 or 1): it starts the
  // auto-test box and follows it.
  void SetAutoTestOption(std::int32_t* option) { autoTest_ = option; }

private:
  QWidget* parent_;
  PictureSource picture_;
  EngineDialogs* dialogs_;
  std::int32_t* autoTest_ = nullptr;
};

}  // namespace pelira
