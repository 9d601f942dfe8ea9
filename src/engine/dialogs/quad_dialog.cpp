#include "engine/dialogs/quad_dialog.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include "engine/dialogs/dialog_place.h"
#include "platform/help.h"

namespace pelira {

TQuadDlg::TQuadDlg(int columns, int rows, int pictureWidth, int pictureHeight, QWidget* parent)
    : QDialog(parent), w_(std::max(1, pictureWidth)), h_(std::max(1, pictureHeight)) {
  setObjectName("QuadDlg");
  auto* column = new QVBoxLayout(this);
  auto* form = new QFormLayout;
  columns_ = new QSpinBox(this);
  columns_->setObjectName("Columns");
  rows_ = new QSpinBox(this);
  rows_->setObjectName("Rows");
  // No more cells than pixels: a cell is never empty.
  columns_->setRange(1, std::clamp(w_, 1, 8));
  rows_->setRange(1, std::clamp(h_, 1, 8));
  columns_->setValue(GridCount(columns, w_));
  rows_->setValue(GridCount(rows, h_));
  form->addRow("&Columns", columns_);
  form->addRow("&Rows", rows_);
  column->addLayout(form);
  area_ = new QWidget(this);
  area_->setObjectName("GridArea");
  area_->setFixedSize(320, 240);
  area_->installEventFilter(this);
  column->addWidget(area_);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel | QDialogButtonBox::Help, this);
  buttons->button(QDialogButtonBox::Help)->setText("&Help");
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  connect(buttons, &QDialogButtonBox::helpRequested, this, [] { Help::Show(700); });
  column->addWidget(buttons);
  auto changed = [this] {
    column_ = std::min(column_, columns_->value() - 1);
    row_ = std::min(row_, rows_->value() - 1);
    UpdateCaption();
    area_->update();
  };
  connect(columns_, &QSpinBox::valueChanged, this, changed);
  connect(rows_, &QSpinBox::valueChanged, this, changed);
  UpdateCaption();
}

QRect TQuadDlg::GridRect() const {
  const AreaSize a = GridArea(w_, h_);
  return QRect((320 - a.width) / 2, (240 - a.height) / 2, a.width, a.height);
}

void TQuadDlg::UpdateCaption() {
  setWindowTitle(QString::fromStdString(GridCaption(columns_->value(), rows_->value(), w_, h_, column_, row_, clicked_)));
}

void TQuadDlg::ClickAt(QPoint p) {
  const QRect g = GridRect();
  if (!g.contains(p)) return;
  column_ = std::clamp((p.x() - g.left()) * columns_->value() / g.width(), 0, columns_->value() - 1);
  row_ = std::clamp((p.y() - g.top()) * rows_->value() / g.height(), 0, rows_->value() - 1);
  clicked_ = true;
  UpdateCaption();
  area_->update();
}

bool TQuadDlg::eventFilter(QObject* watched, QEvent* event) {
  if (watched == area_ && event->type() == QEvent::Paint) {
    QPainter p(area_);
    p.fillRect(area_->rect(), palette().color(QPalette::Base));
    const QRect g = GridRect();
    const int cols = columns_->value(), rows = rows_->value();
    p.fillRect(QRect(g.left() + column_ * g.width() / cols, g.top() + row_ * g.height() / rows, g.width() / cols,
                     g.height() / rows),
               palette().color(QPalette::Highlight));
    p.setPen(palette().color(QPalette::Text));
    for (int i = 0; i <= cols; ++i) p.drawLine(g.left() + i * g.width() / cols, g.top(), g.left() + i * g.width() / cols, g.bottom());
    for (int i = 0; i <= rows; ++i) p.drawLine(g.left(), g.top() + i * g.height() / rows, g.right(), g.top() + i * g.height() / rows);
    return true;
  }
  if (watched == area_ && event->type() == QEvent::MouseButtonPress) {
    ClickAt(static_cast<QMouseEvent*>(event)->position().toPoint());
    return true;
  }
  return QDialog::eventFilter(watched, event);
}

GridResult TQuadDlg::Result() const {
  GridResult r;
  r.columns = columns_->value();
  r.rows = rows_->value();
  r.cancelled = result() != QDialog::Accepted;
  r.cell = GridCellRect(column_, row_, r.columns, r.rows, w_, h_);
  return r;
}

GridResult TQuadDlg::RunGridDialog(QWidget* parent, int columns, int rows, int pictureWidth, int pictureHeight) {
  TQuadDlg dlg(columns, rows, pictureWidth, pictureHeight, parent);
  PlaceAtCursor(&dlg);
  dlg.exec();
  return dlg.Result();
}

}  // namespace pelira
