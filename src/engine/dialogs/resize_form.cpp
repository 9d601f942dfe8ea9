#include "engine/dialogs/resize_form.h"

#include <QApplication>
#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include "engine/dialogs/dialog_place.h"
#include "engine/dialogs/engine_dialogs.h"

namespace pelira {


TResizeForm::TResizeForm(int x, int y, int width, int height, int maxWidth, int maxHeight, const QString& title,
                         int mode, QWidget* parent)
    : QDialog(parent), mode_(mode), x0_(x), y0_(y) {
  setObjectName("ResizeForm");
  setWindowTitle(title);
  limits_ = {std::max(1, width), std::max(1, height), std::max(1, maxWidth), std::max(1, maxHeight)};
  auto* column = new QVBoxLayout(this);
  auto* grid = new QGridLayout;
  width_ = new QSpinBox(this);
  width_->setObjectName("WidthBox");
  height_ = new QSpinBox(this);
  height_->setObjectName("HeightBox");
  const int sizeMax = SizeMode() ? limits_.maxWidth : 32760;
  width_->setRange(1, sizeMax);
  height_->setRange(1, SizeMode() ? limits_.maxHeight : 32760);
  width_->setValue(std::clamp(width, 1, width_->maximum()));
  height_->setValue(std::clamp(height, 1, height_->maximum()));
  auto* wl = new QLabel("&Width:", this);
  wl->setBuddy(width_);
  auto* hl = new QLabel("&Height:", this);
  hl->setBuddy(height_);
  grid->addWidget(wl, 0, 0);
  grid->addWidget(width_, 0, 1);
  grid->addWidget(hl, 1, 0);
  grid->addWidget(height_, 1, 1);

  const bool positions = mode == 0 || mode == -10;
  xBox_ = new QLineEdit(this);
  xBox_->setObjectName("XBox");
  yBox_ = new QLineEdit(this);
  yBox_->setObjectName("YBox");
  xLabel_ = new QLabel(positions ? "&X Pos" : "&XScale:", this);
  yLabel_ = new QLabel(positions ? "&Y Pos" : "&YScale:", this);
  xLabel_->setBuddy(xBox_);
  yLabel_->setBuddy(yBox_);
  grid->addWidget(xLabel_, 0, 2);
  grid->addWidget(xBox_, 0, 3);
  grid->addWidget(yLabel_, 1, 2);
  grid->addWidget(yBox_, 1, 3);
  column->addLayout(grid);
  const bool second = mode != -2 && x >= 0 && y >= 0;
  for (QWidget* w : {static_cast<QWidget*>(xBox_), static_cast<QWidget*>(yBox_), static_cast<QWidget*>(xLabel_),
                     static_cast<QWidget*>(yLabel_)})
    w->setVisible(second || (SizeMode() && mode != -10));

  keep_ = new QCheckBox("Keep Aspect Ratio", this);
  keep_->setChecked(mode != 999);
  keep_->setVisible(SizeMode());
  column->addWidget(keep_);
  copyOp_ = new QComboBox(this);
  copyOp_->addItems({"Normal", "Preserve Black", "Preserve White"});
  copyOp_->setVisible(SizeMode());
  if (mode == 1) {
    copyOp_->setCurrentIndex(1);
  } else {
    copyOp_->setEnabled(false);
  }
  column->addWidget(copyOp_);
  color_ = new QPushButton("Color", this);
  color_->setObjectName("ColorPanel");
  color_->setVisible(mode == -2);
  SetBorderColor(borderColor_);
  connect(color_, &QPushButton::clicked, this, [this] {
    EngineDialogs& dialogs = dialogs_ ? *dialogs_ : DialogsFor(parentWidget());
    const long long c = dialogs.ChooseColor(this, borderColor_);
    if (c >= 0) SetBorderColor(static_cast<std::uint32_t>(c));
  });
  column->addWidget(color_);

  auto* buttons = new QHBoxLayout;
  auto* reset = new QPushButton("&Reset", this);
  reset->setVisible(SizeMode());
  auto* ok = new QPushButton("Ok", this);
  ok->setDefault(true);
  auto* cancel = new QPushButton("Cancel", this);
  buttons->addWidget(reset);
  buttons->addStretch(1);
  buttons->addWidget(ok);
  buttons->addWidget(cancel);
  column->addLayout(buttons);
  connect(reset, &QPushButton::clicked, this, [this] { Reset(); });
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

  connect(width_, &QSpinBox::valueChanged, this, [this] { if (!updating_) WidthTyped(); });
  connect(height_, &QSpinBox::valueChanged, this, [this] { if (!updating_) HeightTyped(); });
  connect(xBox_, &QLineEdit::editingFinished, this, [this] { if (!updating_) (SizeMode() && mode_ != -10) ? ScaleTyped(false) : PositionTyped(false); });
  connect(yBox_, &QLineEdit::editingFinished, this, [this] { if (!updating_) (SizeMode() && mode_ != -10) ? ScaleTyped(true) : PositionTyped(true); });
  Reset();
}

void TResizeForm::SetBorderColor(std::uint32_t platformColor) {
  borderColor_ = platformColor;
  const QColor c(platformColor & 255, (platformColor >> 8) & 255, (platformColor >> 16) & 255);
  color_->setStyleSheet(QString("background-color: %1").arg(c.name()));
}

void TResizeForm::Apply(const SizePair& p) {
  updating_ = true;
  width_->setValue(p.width);
  height_->setValue(p.height);
  updating_ = false;
  if (p.beep) QApplication::beep();
  ShowScales();
}

void TResizeForm::ShowScales() {
  updating_ = true;
  if (SizeMode() && mode_ != -10) {
    xBox_->setText(QString::fromStdString(ScaleText(width_->value(), limits_.initialWidth)));
    yBox_->setText(QString::fromStdString(ScaleText(height_->value(), limits_.initialHeight)));
  }
  updating_ = false;
}

void TResizeForm::WidthTyped() {
  if (SizeMode()) return Apply(TypedSide(limits_, width_->value(), false, keep_->isChecked(), height_->value()));
  // Rectangle: x + width stays within the maximum.
  const int x = xBox_->text().toInt();
  if (x + width_->value() > limits_.maxWidth) {
    QApplication::beep();
    updating_ = true;
    width_->setValue(std::max(1, limits_.maxWidth - x));
    updating_ = false;
  }
}

void TResizeForm::HeightTyped() {
  if (SizeMode()) return Apply(TypedSide(limits_, height_->value(), true, keep_->isChecked(), width_->value()));
  const int y = yBox_->text().toInt();
  if (y + height_->value() > limits_.maxHeight) {
    QApplication::beep();
    updating_ = true;
    height_->setValue(std::max(1, limits_.maxHeight - y));
    updating_ = false;
  }
}

void TResizeForm::ScaleTyped(bool forHeight) {
  bool ok = false;
  const double s = (forHeight ? yBox_ : xBox_)->text().toDouble(&ok);
  if (!ok) return ShowScales();
  Apply(TypedScale(limits_, s, forHeight, keep_->isChecked(), forHeight ? width_->value() : height_->value()));
}

void TResizeForm::PositionTyped(bool forY) {
  QLineEdit* box = forY ? yBox_ : xBox_;
  const int side = forY ? height_->value() : width_->value();
  const int max = forY ? limits_.maxHeight : limits_.maxWidth;
  bool ok = false;
  int v = box->text().toInt(&ok);
  if (!ok) v = forY ? y0_ : x0_;
  const int limited = std::clamp(v, 0, std::max(0, max - side));
  if (limited != v || !ok) {
    QApplication::beep();
    updating_ = true;
    box->setText(QString::number(limited));
    updating_ = false;
  }
}

void TResizeForm::Reset() {
  updating_ = true;
  width_->setValue(std::clamp(limits_.initialWidth, 1, width_->maximum()));
  height_->setValue(std::clamp(limits_.initialHeight, 1, height_->maximum()));
  if (!SizeMode() || mode_ == -10) {
    xBox_->setText(QString::number(std::max(0, x0_)));
    yBox_->setText(QString::number(std::max(0, y0_)));
  }
  updating_ = false;
  ShowScales();
}

SizeResult TResizeForm::Result() const {
  SizeResult r;
  if (result() != QDialog::Accepted) return r;
  r.width = std::clamp(width_->value(), 1, SizeMode() ? limits_.maxWidth : 32760);
  r.height = std::clamp(height_->value(), 1, SizeMode() ? limits_.maxHeight : 32760);
  r.x = (!SizeMode() || mode_ == -10) ? xBox_->text().toInt() : x0_;
  r.y = (!SizeMode() || mode_ == -10) ? yBox_->text().toInt() : y0_;
  r.copyOperation = copyOp_->currentIndex();
  r.borderColor = borderColor_;
  return r;
}

SizeResult TResizeForm::RunSizeDialog(QWidget* parent, int x, int y, int width, const QString& title, int mode,
                                      int maxHeight, int maxWidth, int height) {
  TResizeForm dlg(x, y, width, height, maxWidth, maxHeight, title, mode, parent);
  PlaceAtCursor(&dlg);
  dlg.exec();
  return dlg.Result();
}

}  // namespace pelira
