#pragma once
// TResizeForm: width and height with scale (size mode), a rectangle (rectangle mode) or a
// border with its colour (border mode). The arithmetic is core's (engine/dialog_math.h).
#include <QDialog>

#include "engine/dialog_math.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;

namespace pelira {

class EngineDialogs;

struct SizeResult {
  int x = 0, y = 0;
  int width = -1, height = -1;  // -1 after Cancel
  int copyOperation = 0;         // 0 Normal, 1 Preserve Black, 2 Preserve White
  std::uint32_t borderColor = 0; // platform colour
};

class TResizeForm : public QDialog {
  Q_OBJECT
public:
  // mode: > 0 the picture's bits per pixel (size mode); 0 rectangle; -2 border; -10 size
  // with the labels "&X Pos" and "&Y Pos"; 999 size with "Keep Aspect Ratio" unchecked.
  // Negative x or y hides the second pair of boxes.
  TResizeForm(int x, int y, int width, int height, int maxWidth, int maxHeight, const QString& title, int mode,
              QWidget* parent = nullptr);

  SizeResult Result() const;

  QSpinBox* WidthBox() const { return width_; }
  QSpinBox* HeightBox() const { return height_; }
  QLineEdit* XBox() const { return xBox_; }
  QLineEdit* YBox() const { return yBox_; }
  QCheckBox* KeepAspect() const { return keep_; }
  QComboBox* CopyOperation() const { return copyOp_; }
  QPushButton* ColorPanel() const { return color_; }
  void SetBorderColor(std::uint32_t platformColor);
  // The colour chooser comes from dialogs, else from the window the form sits in.
  void SetDialogs(EngineDialogs* dialogs) { dialogs_ = dialogs; }

  static SizeResult RunSizeDialog(QWidget* parent, int x, int y, int width, const QString& title, int mode,
                                  int maxHeight, int maxWidth, int height);

private:
  EngineDialogs* dialogs_ = nullptr;
  bool SizeMode() const { return mode_ > 0 || mode_ == -10; }
  void WidthTyped();
  void HeightTyped();
  void ScaleTyped(bool forHeight);
  void PositionTyped(bool forY);
  void ShowScales();
  void Reset();
  void Apply(const SizePair& p);

  int mode_;
  SizeLimits limits_;
  int x0_, y0_;
  bool updating_ = false;
  std::uint32_t borderColor_ = 0xC0C0C0;
  QSpinBox* width_ = nullptr;
  QSpinBox* height_ = nullptr;
  QLineEdit* xBox_ = nullptr;
  QLineEdit* yBox_ = nullptr;
  QLabel* xLabel_ = nullptr;
  QLabel* yLabel_ = nullptr;
  QCheckBox* keep_ = nullptr;
  QComboBox* copyOp_ = nullptr;
  QPushButton* color_ = nullptr;
};

}  // namespace pelira
