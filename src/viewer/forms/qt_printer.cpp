#include "viewer/forms/qt_printer.h"

#include <QPainter>
#include <QPrintDialog>

#include "platform/qt/qt_page_renderers.h"

namespace pelira {

QtPrinter::QtPrinter() : printer_(QPrinter::HighResolution) {}

PrinterPage QtPrinter::Page() {
  PrinterPage p;
  if (!printer_.isValid()) return p;
  const int dpi = printer_.resolution();
  const QRect paint = printer_.pageLayout().paintRectPixels(dpi);
  p.pageW = paint.width();
  p.pageH = paint.height();
  p.dpiX = dpi;
  p.dpiY = dpi;
  p.landscape = printer_.pageLayout().orientation() == QPageLayout::Landscape;
  p.color = printer_.colorMode() == QPrinter::Color;
  return p;
}

bool QtPrinter::Setup() {
  QPrintDialog dialog(&printer_, parent_);
  return dialog.exec() == QDialog::Accepted;
}

PrintStatus QtPrinter::Print(const Dib& picture, const RectI& rect, const std::string& title) {
  // A PDF (no printer here) goes to the file the user names at every print.
  if (printer_.outputFormat() == QPrinter::PdfFormat && (askFile_ || printer_.outputFileName().isEmpty())) {
    const QString file = askFile_ ? askFile_() : QString();
    if (file.isEmpty()) return PrintStatus::Cancelled;
    printer_.setOutputFileName(file);
  }
  printer_.setDocName(QString::fromStdString(title));
  QPainter painter;
  if (!painter.begin(&printer_)) return PrintStatus::NotStarted;
  // The picture goes into the job once at its own size (losslessly in a PDF); the printer
  // scales it to the rectangle.
  painter.setRenderHint(QPainter::LosslessImageRendering, true);
  painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
  painter.drawImage(QRect(rect.left, rect.top, rect.width, rect.height), QImageFromDib(picture));
  const bool ended = painter.end();
  return ended && printer_.printerState() != QPrinter::Error ? PrintStatus::Sent : PrintStatus::Failed;
}

}  // namespace pelira
