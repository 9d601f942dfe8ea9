#pragma once
// TQuadDlg: picks one cell of a grid laid over the picture (Edit › Grid).
#include <QDialog>
#include <QWidget>

#include "engine/dialog_math.h"

class QSpinBox;

namespace pelira {

struct GridResult {
  GridCell cell;
  bool cancelled = true;
  int columns = 1, rows = 1;
};

class TQuadDlg : public QDialog {
  Q_OBJECT
public:
  TQuadDlg(int columns, int rows, int pictureWidth, int pictureHeight, QWidget* parent = nullptr);

  GridResult Result() const;
  QSpinBox* Columns() const { return columns_; }
  QSpinBox* Rows() const { return rows_; }
  QWidget* Area() const { return area_; }
  // A click at a point of the drawing area.
  void ClickAt(QPoint p);

  static GridResult RunGridDialog(QWidget* parent, int columns, int rows, int pictureWidth, int pictureHeight);

protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

private:
  void UpdateCaption();
  QRect GridRect() const;

  int w_, h_;
  int column_ = 0, row_ = 0;
  bool clicked_ = false;
  QSpinBox* columns_ = nullptr;
  QSpinBox* rows_ = nullptr;
  QWidget* area_ = nullptr;
};

}  // namespace pelira
