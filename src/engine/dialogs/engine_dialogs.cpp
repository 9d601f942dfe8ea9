#include "engine/dialogs/engine_dialogs.h"

#include <QColorDialog>
#include <QFileDialog>
#include <QFontDialog>
#include <QInputDialog>
#include <QWidget>

#include "engine/dialogs/filter_preview_dialog.h"
#include "engine/dialogs/histogram_dialog.h"
#include "engine/dialogs/quad_dialog.h"
#include "engine/dialogs/resize_form.h"
#include "engine/dialogs/scroll_dialog.h"

namespace pelira {

int QtRunSliderDialog(QWidget* parent, const QString& title, const QString& minLabel, const QString& maxLabel,
                      const SliderRequest& request) {
  return TXScrlDlg::RunSliderDialog(parent, title, minLabel, maxLabel, request);
}

void QtRunFilterDialog(TFXdlg& dialog) { dialog.exec(); }

std::string QtJpegSavePath(QWidget* parent, const QString& folder) {
  std::string path =
      QFileDialog::getSaveFileName(parent, "Save As", folder, "JPG (JPEG/JFIF)  24-bit color (*.jpg)").toStdString();
  if (!path.empty() && path.find('.', path.find_last_of('/') + 1) == std::string::npos) path += ".jpg";
  return path;
}

void QtShowHistogram(QWidget* parent, const QString& title, const Histograms& h) {
  THistogramDlg::ShowHistogram(parent, title, h);
}

long long QtChooseColor(QWidget* parent, std::uint32_t current) {
  const QColor c = QColorDialog::getColor(QColor(current & 255, (current >> 8) & 255, (current >> 16) & 255), parent);
  if (!c.isValid()) return -1;
  return static_cast<long long>(c.red() | (c.green() << 8) | (c.blue() << 16));
}

bool QtRunSizeForm(TResizeForm& form) { return form.exec() == QDialog::Accepted; }

bool QtRunGridForm(TQuadDlg& dialog) { return dialog.exec() == QDialog::Accepted && !dialog.Result().cancelled; }

std::optional<QString> QtAskText(QWidget* parent, const QString& title, const QString& label, const QString& start) {
  bool ok = false;
  const QString text = QInputDialog::getText(parent, title, label, QLineEdit::Normal, start, &ok);
  if (!ok) return std::nullopt;
  return text;
}

bool QtChooseFont(QWidget* parent, QFont& font) {
  bool ok = false;
  const QFont chosen = QFontDialog::getFont(&ok, font, parent);
  if (ok) font = chosen;
  return ok;
}

EngineDialogs& DialogsFor(QWidget* widget) {
  for (QWidget* w = widget; w; w = w->parentWidget())
    if (auto* holder = dynamic_cast<EngineDialogsHolder*>(w)) return holder->HeldDialogs();
  static QtEngineDialogs qt;
  return qt;
}

}  // namespace pelira
