#include "viewer/forms/tool_icons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace pelira {

namespace {

constexpr int kCell = 24;

void Arrow(QPainter& p, bool left) {
  QPainterPath path;
  if (left) {
    path.moveTo(4, 12); path.lineTo(12, 4); path.lineTo(12, 9); path.lineTo(20, 9);
    path.lineTo(20, 15); path.lineTo(12, 15); path.lineTo(12, 20);
  } else {
    path.moveTo(20, 12); path.lineTo(12, 4); path.lineTo(12, 9); path.lineTo(4, 9);
    path.lineTo(4, 15); path.lineTo(12, 15); path.lineTo(12, 20);
  }
  path.closeSubpath();
  p.drawPath(path);
}

void Magnifier(QPainter& p, bool plus) {
  p.drawEllipse(QRectF(3, 3, 12, 12));
  p.drawLine(QPointF(13.5, 13.5), QPointF(20, 20));
  p.drawLine(QPointF(6, 9), QPointF(12, 9));
  if (plus) p.drawLine(QPointF(9, 6), QPointF(9, 12));
}

void Draw(QPainter& p, ToolGlyph g, const QColor& ink, const QColor& fill) {
  p.setRenderHint(QPainter::Antialiasing);
  QPen pen(ink, 1.6);
  p.setPen(pen);
  p.setBrush(fill);
  switch (g) {
    case ToolGlyph::Back: Arrow(p, true); break;
    case ToolGlyph::Next: Arrow(p, false); break;
    case ToolGlyph::Screen:
      p.drawRect(QRectF(3, 5, 18, 12));
      p.drawLine(QPointF(9, 20), QPointF(15, 20));
      break;
    case ToolGlyph::Adjust:
      p.setBrush(Qt::NoBrush);
      p.drawRect(QRectF(3, 3, 18, 18));
      p.setBrush(fill);
      p.drawRect(QRectF(3, 3, 18, 4));
      p.drawRect(QRectF(8, 10, 8, 7));
      break;
    case ToolGlyph::Fit:
      p.setBrush(Qt::NoBrush);
      p.drawRect(QRectF(3, 3, 18, 18));
      p.drawLine(QPointF(7, 7), QPointF(17, 17));
      p.drawLine(QPointF(17, 7), QPointF(7, 17));
      break;
    case ToolGlyph::ZoomOut: p.setBrush(Qt::NoBrush); Magnifier(p, false); break;
    case ToolGlyph::ZoomIn: p.setBrush(Qt::NoBrush); Magnifier(p, true); break;
    case ToolGlyph::Info:
      p.drawEllipse(QRectF(3, 3, 18, 18));
      p.setPen(QPen(ink, 2.4));
      p.drawLine(QPointF(12, 10), QPointF(12, 17));
      p.drawPoint(QPointF(12, 6.5));
      break;
    case ToolGlyph::Scroll: {
      QPainterPath hand;
      hand.addRoundedRect(QRectF(6, 9, 12, 11), 3, 3);
      for (int i = 0; i < 4; ++i) hand.addRoundedRect(QRectF(6 + 3 * i, 4 + (i == 0 || i == 3 ? 2 : 0), 3, 8), 1.5, 1.5);
      p.drawPath(hand.simplified());
      break;
    }
    case ToolGlyph::Select:
      p.setBrush(Qt::NoBrush);
      p.setPen(QPen(ink, 1.6, Qt::DashLine));
      p.drawRect(QRectF(4, 4, 16, 16));
      break;
    case ToolGlyph::Page:
      p.drawRect(QRectF(7, 3, 12, 15));
      p.drawRect(QRectF(4, 6, 12, 15));
      break;
    case ToolGlyph::Explore: {
      QPainterPath folder;
      folder.moveTo(3, 7); folder.lineTo(9, 7); folder.lineTo(11, 9); folder.lineTo(21, 9);
      folder.lineTo(21, 19); folder.lineTo(3, 19);
      folder.closeSubpath();
      p.drawPath(folder);
      break;
    }
    case ToolGlyph::Save:
      p.drawRect(QRectF(4, 4, 16, 16));
      p.setBrush(Qt::white);
      p.drawRect(QRectF(8, 4, 8, 6));
      break;
    case ToolGlyph::Slideshow: {
      QPainterPath play;
      play.moveTo(7, 5); play.lineTo(19, 12); play.lineTo(7, 19);
      play.closeSubpath();
      p.drawPath(play);
      break;
    }
    case ToolGlyph::CopyMove:
      p.drawRect(QRectF(4, 4, 11, 13));
      p.drawRect(QRectF(9, 8, 11, 13));
      break;
    case ToolGlyph::Delete:
      p.drawRect(QRectF(6, 7, 12, 14));
      p.drawLine(QPointF(4, 6), QPointF(20, 6));
      p.drawLine(QPointF(10, 10), QPointF(10, 18));
      p.drawLine(QPointF(14, 10), QPointF(14, 18));
      break;
    case ToolGlyph::Unmark:
      p.setPen(QPen(ink, 2.4));
      p.drawLine(QPointF(6, 6), QPointF(18, 18));
      p.drawLine(QPointF(18, 6), QPointF(6, 18));
      break;
    case ToolGlyph::Bookmarks: {
      QPainterPath ribbon;
      ribbon.moveTo(7, 3); ribbon.lineTo(17, 3); ribbon.lineTo(17, 21); ribbon.lineTo(12, 16);
      ribbon.lineTo(7, 21);
      ribbon.closeSubpath();
      p.drawPath(ribbon);
      break;
    }
  }
}

QPixmap Render(ToolGlyph g, const QColor& ink, const QColor& fill) {
  QPixmap pm(kCell, kCell);
  pm.fill(Qt::transparent);
  QPainter p(&pm);
  Draw(p, g, ink, fill);
  return pm;
}

}  // namespace

QIcon ToolIcon(ToolGlyph glyph) {
  QIcon icon;
  icon.addPixmap(Render(glyph, QColor(60, 60, 60), QColor(190, 190, 190)), QIcon::Normal);
  icon.addPixmap(Render(glyph, QColor(20, 40, 110), QColor(120, 170, 240)), QIcon::Active);
  icon.addPixmap(Render(glyph, QColor(160, 160, 160), QColor(225, 225, 225)), QIcon::Disabled);
  return icon;
}

}  // namespace pelira
