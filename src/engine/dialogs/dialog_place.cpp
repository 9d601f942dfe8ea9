#include "engine/dialogs/dialog_place.h"

#include <QCursor>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace pelira {

void PlaceAtCursor(QWidget* dialog) {
  dialog->adjustSize();
  const QPoint at = QCursor::pos();
  QScreen* screen = QGuiApplication::screenAt(at);
  if (!screen) screen = QGuiApplication::primaryScreen();
  QRect r(QPoint(0, 0), dialog->size());
  r.moveCenter(at);
  if (screen) {
    const QRect avail = screen->availableGeometry();
    r.moveLeft(std::clamp(r.left(), avail.left(), std::max(avail.left(), avail.right() - r.width())));
    r.moveTop(std::clamp(r.top(), avail.top(), std::max(avail.top(), avail.bottom() - r.height())));
  }
  dialog->move(r.topLeft());
}

}  // namespace pelira
