#pragma once
// The printer through QPrinter: one per window, kept across prints so "&Setup" choices stay.
// Where no printer is installed Qt prints to a PDF file; the file is asked for at the print.
#include <QPrinter>

#include <functional>

#include "viewer/printer.h"

class QWidget;

namespace pelira {

class QtPrinter : public Printer {
public:
  QtPrinter();
  // The window the printer dialog belongs to, and who names the PDF file when one is needed
  // (empty: the job is cancelled).
  void SetParent(QWidget* parent) { parent_ = parent; }
  void SetAskFile(std::function<QString()> ask) { askFile_ = std::move(ask); }
  QPrinter& Device() { return printer_; }

  PrinterPage Page() override;
  bool Setup() override;
  PrintStatus Print(const Dib& picture, const RectI& rect, const std::string& title) override;

private:
  QPrinter printer_;
  QWidget* parent_ = nullptr;
  std::function<QString()> askFile_;
};

}  // namespace pelira
