#pragma once
// Parameter dialogs open centred on the mouse pointer, kept inside the screen.
class QPoint;
class QWidget;

namespace pelira {
void PlaceAtCursor(QWidget* dialog);
// At a remembered top-left corner, pulled inside the screen that holds it (or the primary
// one when no screen does any more).
void PlaceAt(QWidget* dialog, const QPoint& topLeft);
}
