// pelira-cli print: the viewer's print layout written to a PDF, for machines without a printer.
#include <filesystem>
#include <ostream>

#include "cli/commands.h"
#include "cli/options.h"
#include "common/atomic_file.h"
#include "image/image_loader.h"
#include "viewer/print_layout.h"
#include "viewer/picture_pdf.h"
#include "viewer/printer.h"

namespace pelira::cli {

namespace {

struct PrintSettings {
  std::string pdf;
  std::string paper = "letter";
  int size = 100;
  int dpi = 600;
  int marginHundredths = 25;  // of an inch, at the left and the right
  bool landscape = false;
};

OptionTable PrintOptions(PrintSettings& s) {
  OptionTable t;
  t.push_back({"--pdf", "OUT", "the PDF to write (needed)", [&s](const std::string& v) {
                 s.pdf = v;
                 return !v.empty();
               },
               "needs a file name"});
  t.push_back(NumberOption("--size", "PERCENT", "the print setup's size, 1..100 (default 100)", 1, 100, &s.size,
                           "needs a size 1..100"));
  t.push_back({"--paper", "NAME", "letter, legal, a3, a4 or a5 (default letter)", [&s](const std::string& v) {
                 double w = 0, h = 0;
                 s.paper = v;
                 return PaperInches(v, &w, &h);
               },
               "needs letter, legal, a3, a4 or a5"});
  t.push_back({"--landscape", nullptr, "the paper turned (default portrait)", [&s](const std::string&) {
                 s.landscape = true;
                 return true;
               }});
  t.push_back(NumberOption("--dpi", "N", "the printer resolution, 72..2400 (default 600)", 72, 2400, &s.dpi,
                           "needs a resolution 72..2400"));
  t.push_back(NumberOption("--margin", "N", "left and right margin in hundredths of an inch (default 25)", 0, 200,
                           &s.marginHundredths, "needs a margin 0..200"));
  return t;
}

}  // namespace

std::string PrintSynopsis() {
  PrintSettings s;
  return "  print FILE --pdf OUT.pdf [OPTIONS]\n"
         "                      the picture placed on the page as File > Print places it (fitted,\n"
         "                      sized, centred), written to a one-page PDF with the pixels kept\n"
         "                      losslessly at their own size. Prints the print setup's labels.\n" +
         OptionHelp(PrintOptions(s));
}

int RunPrint(const Args& args, std::ostream& out, std::ostream& err) {
  PrintSettings s;
  Args files;
  if (!ParseOptions("print", PrintOptions(s), args, &files, err)) return 2;
  if (files.size() != 1 || s.pdf.empty()) {
    err << "pelira-cli print: needs FILE and --pdf OUT (see pelira-cli --help)\n";
    return 2;
  }
  double paperW = 0, paperH = 0;
  PaperInches(s.paper, &paperW, &paperH);
  if (s.landscape) std::swap(paperW, paperH);
  const double margin = s.marginHundredths / 100.0;
  PrinterPage page;
  page.dpiX = page.dpiY = s.dpi;
  page.pageW = static_cast<std::int32_t>((paperW - 2 * margin) * s.dpi);
  page.pageH = static_cast<std::int32_t>(paperH * s.dpi);
  page.landscape = s.landscape;
  if (!page.Usable()) {
    err << "pelira-cli print: the margins leave no room on the paper\n";
    return 2;
  }

  const std::string& in = files[0];
  TImageLoader l;
  const OpenOutcome o = l.Open(in);
  if (o == OpenOutcome::Media || o == OpenOutcome::Slideshow || o == OpenOutcome::Blank || l.workingBitmap.Empty()) {
    err << "pelira-cli: " << in << ": not a picture that can be printed\n";
    return 1;
  }
  const Dib& picture = l.workingBitmap;
  const PrintPlacement place = PlaceOnPage(picture.Width(), picture.Height(), page, s.size);
  if (place.W <= 0 || place.H <= 0) {
    err << "pelira-cli: " << in << ": too thin to print at this size\n";
    return 1;
  }
  const PrintLabels labels = MakePrintLabels(place, page, PrintUnit::Pixels);
  out << PrintSetupCaption(std::filesystem::path(in).filename().string()) << "\n"
      << labels.width << "\n" << labels.height << "\n" << labels.x << "\n" << labels.y << "\n" << labels.settings
      << "\n";

  const double toPoints = 72.0 / s.dpi;
  PdfPlacement pdf;
  pdf.pageW = paperW * 72;
  pdf.pageH = paperH * 72;
  pdf.x = margin * 72 + place.X * toPoints;
  pdf.y = place.Y * toPoints;
  pdf.w = place.W * toPoints;
  pdf.h = place.H * toPoints;
  try {
    const std::vector<std::uint8_t> bytes = PicturePdf(picture, pdf, kPrintJobTitle);
    if (const WriteResult w = AtomicWrite(s.pdf, bytes.data(), bytes.size()); !w) {
      err << "pelira-cli: " << w.message << "\n";
      return 1;
    }
  } catch (const std::exception& e) {
    err << "pelira-cli: " << in << ": " << e.what() << "\n";
    return 1;
  }
  return 0;
}

}  // namespace pelira::cli
