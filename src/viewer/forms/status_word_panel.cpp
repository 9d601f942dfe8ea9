#include "viewer/forms/status_word_panel.h"

#include <QPainter>

namespace pelira {

TStatusWordPanel::TStatusWordPanel(QWidget* parent) : QWidget(parent) {
  setObjectName("StatusWordPanel");
  setFixedWidth(110);
}

QSize TStatusWordPanel::sizeHint() const { return {110, fontMetrics().height() + 4}; }

void TStatusWordPanel::SetText(const QString& text) {
  if (text == text_) return;
  text_ = text;
  update();
}

bool TStatusWordPanel::SetProgress(int percent) {
  const int shown = percent < 0 ? -1 : std::min(percent, 100) / 5 * 5;
  if (shown == progress_) return false;
  progress_ = shown;
  repaint();
  return true;
}

void TStatusWordPanel::paintEvent(QPaintEvent*) {
  QPainter p(this);
  const QRect r = rect();
  if (progress_ >= 0) {
    p.fillRect(r, palette().color(QPalette::Mid));
    p.fillRect(QRect(r.left(), r.top(), r.width() * progress_ / 100, r.height()), palette().color(QPalette::Highlight));
    return;
  }
  p.fillRect(r, palette().color(QPalette::Button));
  p.setPen(palette().color(QPalette::ButtonText));
  p.drawText(r.adjusted(4, 0, -2, 0), Qt::AlignVCenter | Qt::AlignLeft, text_);
}

}  // namespace pelira
