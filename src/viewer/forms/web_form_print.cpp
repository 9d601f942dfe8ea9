// TWebForm: File › Print: the print setup, then one job. The picture is printed as it is
// shown, unsaved edits included; nothing is reloaded from the file.
#include <QApplication>

#include <filesystem>

#include "display/forms/pix.h"
#include "platform/ui.h"
#include "viewer/forms/print_form.h"
#include "viewer/forms/qt_printer.h"
#include "viewer/forms/web_form.h"

namespace pelira {

Printer& TWebForm::ThePrinter() {
  if (printer_) return *printer_;
  if (!ownPrinter_) {
    auto printer = std::make_unique<QtPrinter>();
    printer->SetParent(this);
    printer->SetAskFile([this] {
      return Dialogs().PrintFileName(this, QString::fromStdString(settings_->OpenDir));
    });
    ownPrinter_ = std::move(printer);
  }
  return *ownPrinter_;
}

void TWebForm::mnuPrintClick() {
  if (!state_.ImageLoaded || state_.SlideshowRunning || state_.MediaMode) return;
  Printer& printer = ThePrinter();
  if (!printer.Page().Usable()) {
    CurrentUi().Message(MessageKind::Error, kNoPrinterText, Button::OK);
    return;
  }
  EnsureFullPicture();
  const Dib& picture = sky95_->Bitmap();
  const std::string name = std::filesystem::path(state_.CurrentFile).filename().string();
  PrintSetupResult place;
  {
    TPrintForm form(QString::fromStdString(name), picture, printer, this);
    place = form.Result(Dialogs().RunPrintSetup(form));
  }
  if (place.Y < 0 || place.W <= 0 || place.H <= 0) return;

  QApplication::setOverrideCursor(Qt::WaitCursor);
  SetStatusWord(kSendingToPrinterText);
  PrintStatus status = PrintStatus::Failed;
  try {
    status = printer.Print(picture, {place.X, place.Y, place.W, place.H}, kPrintJobTitle);
  } catch (const std::exception&) {
    status = PrintStatus::NotStarted;
  }
  QApplication::restoreOverrideCursor();
  StatusReady();
  switch (status) {
    case PrintStatus::Sent:
      CurrentUi().Message(MessageKind::Information, kImageSentText, Button::OK);
      break;
    case PrintStatus::NotStarted:
      CurrentUi().Message(MessageKind::Error, kCheckPrinterText, Button::OK);
      break;
    case PrintStatus::Failed:
      CurrentUi().Message(MessageKind::Error, kPrinterNoResponseText, Button::OK);
      break;
    case PrintStatus::Cancelled:
      break;
  }
}

}  // namespace pelira
