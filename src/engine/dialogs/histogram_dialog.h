#pragma once
// THistogramDlg: the six histograms drawn as bars in a 256 x 256 area, a channel drawn on
// top, a zoom, and a bin readout under the pointer's click.
#include <QDialog>
#include <QImage>

#include "engine/engine_state.h"

class QButtonGroup;
class QLabel;
class QPushButton;
class QSlider;

namespace pelira {

class THistogramDlg : public QDialog {
  Q_OBJECT
public:
  THistogramDlg(const QString& title, const Histograms& h, QWidget* parent = nullptr);

  int Zoom() const { return zoom_; }
  int Bin() const { return bin_; }
  QPushButton* ZoomButton() const { return zoomButton_; }
  QLabel* BinText() const { return binText_; }
  QSlider* BinBar() const { return binBar_; }
  QWidget* Area() const { return area_; }
  QButtonGroup* Channels() const { return channels_; }
  // The drawing as it stands.
  const QImage& Drawing() const { return image_; }
  void SelectBin(int bin);

  static void ShowHistogram(QWidget* parent, const QString& title, const Histograms& h);

protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

private:
  void Redraw();

  Histograms h_;
  int zoom_ = 1;
  int bin_ = -1;
  QImage image_;
  QWidget* area_ = nullptr;
  QPushButton* zoomButton_ = nullptr;
  QLabel* binText_ = nullptr;
  QSlider* binBar_ = nullptr;
  QButtonGroup* channels_ = nullptr;
};

}  // namespace pelira
