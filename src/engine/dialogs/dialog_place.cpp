#include "engine/dialogs/dialog_place.h"

#include <QCursor>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace pelira {

namespace {

void PlaceInside(QWidget* dialog, QRect r, const QPoint& probe) {
  QScreen* screen = QGuiApplication::screenAt(probe);
  if (!screen) screen = QGuiApplication::primaryScreen();
  if (screen) {
    const QRect avail = screen->availableGeometry();
    r.moveLeft(std::clamp(r.left(), avail.left(), std::max(avail.left(), avail.right() - r.width())));
    r.moveTop(std::clamp(r.top(), avail.top(), std::max(avail.top(), avail.bottom() - r.height())));
  }
  dialog->move(r.topLeft());
}

}  // namespace

void PlaceAtCursor(QWidget* dialog) {
  dialog->adjustSize();
  const QPoint at = QCursor::pos();
  QRect r(QPoint(0, 0), dialog->size());
  r.moveCenter(at);
  PlaceInside(dialog, r, at);
}

void PlaceAt(QWidget* dialog, const QPoint& topLeft) {
  dialog->adjustSize();
  PlaceInside(dialog, QRect(topLeft, dialog->size()), topLeft);
}

}  // namespace pelira
