#include "engine/dialogs/scroll_dialog.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QSlider>
#include <QVBoxLayout>

#include "engine/dialogs/dialog_place.h"
#include "engine/dialogs/engine_dialogs.h"

namespace pelira {

TXScrlDlg::TXScrlDlg(const QString& title, const QString& minLabel, const QString& maxLabel,
                     const SliderRequest& request, QWidget* parent)
    : QDialog(parent), request_(request), title_(title) {
  setObjectName("XScrlDlg");
  setWindowTitle(title);
  auto* column = new QVBoxLayout(this);
  auto* ends = new QHBoxLayout;
  minText_ = new QLabel(minLabel.isEmpty() ? QString::number(request.min) : minLabel, this);
  maxText_ = new QLabel(maxLabel.isEmpty() ? QString::number(request.max) : maxLabel, this);
  maxText_->setAlignment(Qt::AlignRight);
  ends->addWidget(minText_);
  ends->addStretch(1);
  ends->addWidget(maxText_);
  column->addLayout(ends);

  const int start = std::clamp(request.start, request.min, request.max);
  if (request.trackBar) {
    track_ = new QSlider(Qt::Horizontal, this);
    track_->setObjectName("TrackBar");
    track_->setRange(request.min, request.max);
    track_->setValue(start);
    column->addWidget(track_);
    connect(track_, &QSlider::valueChanged, this, [this](int v) {
      setWindowTitle(title_ + " " + ThumbSizeText(v));
      PositionMoved(v);
    });
  } else {
    scroll_ = new QScrollBar(Qt::Horizontal, this);
    scroll_->setObjectName("ScrollBar");
    scroll_->setRange(request.min, request.max);
    scroll_->setPageStep(std::max(1, request.page));
    scroll_->setSingleStep(std::max(1, request.line));
    scroll_->setValue(start);
    scroll_->setMinimumWidth(260);
    column->addWidget(scroll_);
    connect(scroll_, &QScrollBar::valueChanged, this, &TXScrlDlg::PositionMoved);
  }

  auto* row = new QHBoxLayout;
  box_ = new QLineEdit(QString::number(start), this);
  box_->setObjectName("CustomSetting");
  box_->setMaximumWidth(90);
  hex_ = new QLabel(QString::fromStdString(HexLabel(start)), this);
  hex_->setObjectName("HexLabel");
  hex_->setVisible(request.max >= 1048576);
  row->addWidget(box_);
  row->addWidget(hex_);
  row->addStretch(1);
  column->addLayout(row);
  connect(box_, &QLineEdit::textEdited, this, [this] {
    typing_ = true;
    BoxEdited(false);
  });
  connect(box_, &QLineEdit::returnPressed, this, [this] {
    BoxEdited(true);
    typing_ = false;
  });

  presetGroup_ = new QGroupBox("Preset options", this);
  auto* grid = new QGridLayout(presetGroup_);
  for (int i = 0; i < 6; ++i) {
    const QChar letter = QChar('a' + i);
    presets_[i] = new QPushButton(QString("&") + letter + " = " + QString::number(request.presets[i]), presetGroup_);
    presets_[i]->setObjectName(QString("Preset") + letter);
    presets_[i]->setAutoDefault(false);
    grid->addWidget(presets_[i], i / 3, i % 3);
    const int value = request.presets[i];
    connect(presets_[i], &QPushButton::clicked, this, [this, value] {
      box_->setText(QString::number(value));
      typing_ = false;
      if (scroll_) scroll_->setValue(value);
      if (track_) track_->setValue(value);
      accept();
    });
  }
  presetGroup_->setVisible(request.showPresets);
  column->addWidget(presetGroup_);

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  connect(buttons, &QDialogButtonBox::accepted, this, [this] {
    if (typing_) BoxEdited(true);
    accept();
  });
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  column->addWidget(buttons);
  box_->setFocus();
  box_->selectAll();
}

int TXScrlDlg::Position() const { return scroll_ ? scroll_->value() : track_->value(); }

void TXScrlDlg::PositionMoved(int v) {
  if (!typing_) box_->setText(QString::number(v));
  hex_->setText(QString::fromStdString(HexLabel(v)));
}

void TXScrlDlg::BoxEdited(bool final) {
  const std::string text = box_->text().toStdString();
  const SliderEntry e = ParseSliderText(text, request_.min, request_.max, request_.start);
  if (!e.changed) return;
  bool ok = false;
  const long long typed = box_->text().trimmed().toLongLong(&ok);
  // A half-typed entry ("-", or "5" on the way to "50" with minimum 25) waits for Enter;
  // a number past the maximum is corrected at once.
  if (!final && (!ok || typed < request_.min)) return;
  if (box_->text().trimmed() != QString::number(e.value)) {
    QApplication::beep();
    box_->setText(QString::number(e.value));
  }
  if (scroll_) scroll_->setValue(e.value);
  if (track_) track_->setValue(e.value);
  hex_->setText(QString::fromStdString(HexLabel(e.value)));
}

int TXScrlDlg::RunSliderDialog(QWidget* parent, const QString& title, const QString& minLabel,
                               const QString& maxLabel, const SliderRequest& request) {
  TXScrlDlg dlg(title, minLabel, maxLabel, request, parent);
  if (!request.showPresets) dlg.adjustSize();
  PlaceAtCursor(&dlg);
  dlg.exec();
  return dlg.Result();
}

int QtSliderRequester::RunSliderDialog(const std::string& title, const std::string& minLabel,
                                       const std::string& maxLabel, const SliderRequest& request) {
  EngineDialogs& dialogs = dialogs_ ? *dialogs_ : DialogsFor(parent_);
  return dialogs.RunSliderDialog(parent_, QString::fromStdString(title), QString::fromStdString(minLabel),
                                 QString::fromStdString(maxLabel), request);
}

}  // namespace pelira
