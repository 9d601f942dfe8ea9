#include "platform/qt/qt_text_renderer.h"

#include <QDate>
#include <QFont>
#include <QFontMetrics>
#include <QImage>
#include <QLocale>
#include <QPainter>

#include <algorithm>

namespace pelira {

CoverageMask QtTextRenderer::Render(const std::string& utf8, const TextFont& style) const {
  if (before_) before_();
  CoverageMask m;
  const QString text = QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
  QFont font(QString::fromStdString(style.family));
  // Pixels, not points: the same size on every screen and in the command line.
  font.setPixelSize(std::clamp(style.pixelSize, 1, 512));
  font.setBold(style.bold);
  font.setItalic(style.italic);
  font.setStyleStrategy(QFont::NoAntialias);
  const QFontMetrics metrics(font);
  // A mark never needs more than a very wide picture's width.
  m.width = std::clamp(metrics.horizontalAdvance(text), 0, 65536);
  m.height = std::max(metrics.height(), 1);
  if (m.width == 0) return m;
  QImage image(m.width, m.height, QImage::Format_Grayscale8);
  image.fill(0);
  {
    QPainter p(&image);
    p.setRenderHint(QPainter::TextAntialiasing, false);
    p.setFont(font);
    p.setPen(Qt::white);
    p.drawText(QRect(0, 0, m.width, m.height), Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, text);
  }
  m.alpha.resize(static_cast<std::size_t>(m.width) * m.height);
  for (int y = 0; y < m.height; ++y) {
    const uchar* row = image.constScanLine(y);
    std::copy(row, row + m.width, m.alpha.begin() + static_cast<std::ptrdiff_t>(y) * m.width);
  }
  return m;
}

std::string QtShortDate() {
  return QLocale::system().toString(QDate::currentDate(), QLocale::ShortFormat).toStdString();
}

}  // namespace pelira
