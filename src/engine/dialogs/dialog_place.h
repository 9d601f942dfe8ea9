#pragma once
// Parameter dialogs open centred on the mouse pointer, kept inside the screen.
class QWidget;

namespace pelira {
void PlaceAtCursor(QWidget* dialog);
}
