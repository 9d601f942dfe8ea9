#include "engine/dialogs/histogram_dialog.h"

#include <QButtonGroup>
#include <QDialogButtonBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QVBoxLayout>

#include "engine/dialog_math.h"
#include "engine/dialogs/dialog_place.h"
#include "platform/help.h"

namespace pelira {

namespace {

struct Curve {
  const Histogram Histograms::*hist;
  QColor colour;
};
// Drawing order: saturation, red, green, blue, gray; the chosen channel again on top.
const Curve kCurves[] = {{&Histograms::saturation, QColor(128, 0, 128)},
                         {&Histograms::red, Qt::red},
                         {&Histograms::green, Qt::green},
                         {&Histograms::blue, Qt::blue},
                         {&Histograms::lightness, Qt::black}};

}  // namespace

THistogramDlg::THistogramDlg(const QString& title, const Histograms& h, QWidget* parent)
    : QDialog(parent), h_(h), image_(256, 256, QImage::Format_RGB32) {
  setObjectName("HistogramDlg");
  setWindowTitle(title);
  auto* row = new QHBoxLayout(this);
  auto* left = new QVBoxLayout;
  area_ = new QWidget(this);
  area_->setObjectName("HistogramArea");
  area_->setFixedSize(256, 256);
  area_->installEventFilter(this);
  left->addWidget(area_);
  binBar_ = new QSlider(Qt::Horizontal, this);
  binBar_->setObjectName("BinBar");
  binBar_->setRange(0, 255);
  left->addWidget(binBar_);
  left->addWidget(new QLabel("shadows <---   intensities  ---> highlights", this));
  row->addLayout(left);

  auto* right = new QVBoxLayout;
  auto* group = new QGroupBox("Channel", this);
  auto* g = new QVBoxLayout(group);
  channels_ = new QButtonGroup(this);
  // Button ids index kCurves: red 1, green 2, blue 3, gray 4, saturation 0.
  const std::pair<const char*, int> names[] = {{"&Red", 1}, {"&Green", 2}, {"&Blue", 3}, {"Gr&ay", 4}, {"&Sat", 0}};
  for (const auto& [name, id] : names) {
    auto* b = new QRadioButton(name, group);
    channels_->addButton(b, id);
    g->addWidget(b);
  }
  channels_->button(1)->setChecked(true);
  right->addWidget(group);
  zoomButton_ = new QPushButton("&Zoom x1", this);
  zoomButton_->setObjectName("ZoomButton");
  right->addWidget(zoomButton_);
  binText_ = new QLabel(this);
  binText_->setObjectName("BinText");
  right->addWidget(binText_);
  right->addStretch(1);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close | QDialogButtonBox::Help, this);
  buttons->button(QDialogButtonBox::Help)->setText("&Help");
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  connect(buttons, &QDialogButtonBox::helpRequested, this, [] { Help::Show(450); });
  right->addWidget(buttons);
  row->addLayout(right);

  connect(channels_, &QButtonGroup::idClicked, this, [this] { Redraw(); });
  connect(zoomButton_, &QPushButton::clicked, this, [this] {
    zoom_ = zoom_ % 8 + 1;
    zoomButton_->setText("&Zoom x" + QString::number(zoom_));
    Redraw();
  });
  connect(binBar_, &QSlider::valueChanged, this, [this](int v) { SelectBin(v); });
  Redraw();
}

void THistogramDlg::Redraw() {
  image_.fill(Qt::white);
  QPainter p(&image_);
  auto draw = [&](const Curve& c) {
    p.setPen(c.colour);
    const Histogram& hist = h_.*(c.hist);
    for (int i = 0; i < 256; ++i) {
      const int bar = HistogramBarHeight(hist[i], h_.peak, zoom_);
      if (bar > 0) p.drawLine(i, 255, i, 255 - bar);
    }
  };
  for (const Curve& c : kCurves) draw(c);
  draw(kCurves[std::clamp(channels_->checkedId(), 0, 4)]);
  if (bin_ >= 0) {
    p.setPen(Qt::darkGray);
    p.drawLine(bin_, 0, bin_, 255);
  }
  p.end();
  area_->update();
}

void THistogramDlg::SelectBin(int bin) {
  bin_ = std::clamp(bin, 0, 255);
  binText_->setText(QString::fromStdString(HistogramBinText(h_, bin_)));
  if (binBar_->value() != bin_) binBar_->setValue(bin_);
  Redraw();
}

bool THistogramDlg::eventFilter(QObject* watched, QEvent* event) {
  if (watched == area_ && event->type() == QEvent::Paint) {
    QPainter p(area_);
    p.drawImage(0, 0, image_);
    return true;
  }
  if (watched == area_ && event->type() == QEvent::MouseButtonPress) {
    SelectBin(static_cast<QMouseEvent*>(event)->position().toPoint().x());
    return true;
  }
  return QDialog::eventFilter(watched, event);
}

void THistogramDlg::ShowHistogram(QWidget* parent, const QString& title, const Histograms& h) {
  THistogramDlg dlg(title, h, parent);
  PlaceAtCursor(&dlg);
  dlg.exec();
}

}  // namespace pelira
