#pragma once
// The printer as the viewer's "&Print" uses it: its page, its own setup dialog and one job
// that prints one picture into a rectangle of the page. The desktop program's printer is
// QPrinter (a PDF file where no printer exists); tests hand the window their own.
#include <string>

#include "display/geometry.h"
#include "image/dib.h"
#include "viewer/print_layout.h"

namespace pelira {

inline constexpr const char* kNoPrinterText = "No printer detected.";
inline constexpr const char* kSendingToPrinterText = "Sending to printer...";
inline constexpr const char* kCheckPrinterText = "Check printer.";
inline constexpr const char* kImageSentText = "Image sent to printer.";
inline constexpr const char* kPrinterNoResponseText = "Printer did not respond.\ntry different print setting.";
inline constexpr const char* kPrintJobTitle = "Pelira Picture Graphic";

enum class PrintStatus {
  Sent,        // the job ended well
  NotStarted,  // the job could not begin ("Check printer.")
  Failed,      // the job ended with an error ("Printer did not respond...")
  Cancelled,   // the user gave up (no file chosen for a PDF)
};

class Printer {
public:
  virtual ~Printer() = default;
  // The printable page; not Usable() when there is no printer to ask.
  virtual PrinterPage Page() = 0;
  // The platform's printer dialog; true when the user accepted it.
  virtual bool Setup() = 0;
  // One job titled title, picture drawn into rect (printer pixels, from the printable
  // area's top-left), embedded once at its own size.
  virtual PrintStatus Print(const Dib& picture, const RectI& rect, const std::string& title) = 0;
};

}  // namespace pelira
