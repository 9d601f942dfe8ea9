#pragma once
// TPrintForm: the print setup. A preview of the sheet with the picture on it, a size bar,
// two position bars and the size and position in pixels, inches or centimetres; "&Print it"
// gives the picture's rectangle on the page in printer pixels. The numbers are core's
// (viewer/print_layout.h); the page comes from the printer it is handed.
#include <QDialog>
#include <QImage>
#include <QPixmap>

#include "viewer/print_layout.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class QScrollBar;

namespace pelira {

class Dib;
class Printer;

// The sheet and the picture on it.
class TPrintPreview : public QWidget {
  Q_OBJECT
public:
  explicit TPrintPreview(QWidget* parent = nullptr);
  void SetSheet(const RectI& sheet) { sheet_ = sheet; update(); }
  void SetPicture(const RectI& picture) { picture_ = picture; update(); }  // in sheet coordinates
  void SetImage(const QImage& image) { image_ = image; scaled_ = {}; update(); }
  const RectI& Sheet() const { return sheet_; }
  const RectI& Picture() const { return picture_; }

protected:
  void paintEvent(QPaintEvent*) override;

private:
  RectI sheet_, picture_;
  QImage image_;
  QPixmap scaled_;  // the picture scaled once per preview size
};

struct PrintSetupResult {
  int Y = -1;  // -1: cancelled
  int X = 0, W = 0, H = 0;
  bool color = true;
  bool halftone = false;
};

class TPrintForm : public QDialog {
  Q_OBJECT
public:
  // picture: the viewer's current picture (shown in the preview; w x h are its size).
  TPrintForm(const QString& fileName, const Dib& picture, Printer& printer, QWidget* parent = nullptr);

  // The rectangle "&Print it" gives; Y -1 when the dialog was not accepted.
  PrintSetupResult Result(bool accepted) const;
  const PrintPlacement& Placement() const { return place_; }
  const PrinterPage& Page() const { return page_; }
  int Percent() const;

  QScrollBar* SizeBar() const { return sizeBar_; }
  QScrollBar* XBar() const { return xBar_; }
  QScrollBar* YBar() const { return yBar_; }
  QComboBox* Measure() const { return measure_; }
  TPrintPreview* Preview() const { return preview_; }
  QString LabelText(const char* objectName) const;

  void CenterClick();  // "Cen&ter"
  void SetupClick();   // "&Setup"

private:
  void ReadPrinter();
  void PlaceSheet();
  void Recompute();
  void PositionChanged();
  void RefreshLabels();

  Printer& printer_;
  int w_, h_;
  PrinterPage page_;
  PrintPlacement place_;
  SizeI previewSize_;
  bool suspend_ = false;
  TPrintPreview* preview_ = nullptr;
  QScrollBar* sizeBar_ = nullptr;
  QScrollBar* xBar_ = nullptr;
  QScrollBar* yBar_ = nullptr;
  QComboBox* measure_ = nullptr;
  QCheckBox* halftone_ = nullptr;
  QLabel* sizeLabel_ = nullptr;
  QLabel* widthLabel_ = nullptr;
  QLabel* heightLabel_ = nullptr;
  QLabel* xLabel_ = nullptr;
  QLabel* yLabel_ = nullptr;
  QLabel* settingsLabel_ = nullptr;
};

}  // namespace pelira
