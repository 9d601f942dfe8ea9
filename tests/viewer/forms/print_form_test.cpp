// The print setup dialog and File › Print, checked on a PDF with poppler's tools.
#include <QtTest>

#include <QAction>
#include <QComboBox>
#include <QFileInfo>
#include <QProcess>
#include <QPushButton>
#include <QScrollBar>
#include <QStandardPaths>
#include <QTemporaryDir>

#include "display/forms/pix.h"
#include "image/png_graphic.h"
#include "platform/scripted_ui.h"
#include "support/fake_dialogs.h"
#include "support/test_pictures.h"
#include "viewer/forms/print_form.h"
#include "viewer/forms/qt_printer.h"
#include "viewer/forms/web_form.h"

using namespace pelira;

namespace {

class FakePrinter : public Printer {
public:
  PrinterPage page{4800, 6600, 600, 600, false, true};
  PrinterPage afterSetup{6600, 4800, 600, 300, true, false};
  bool setupAccepts = true;
  int setups = 0;
  std::vector<RectI> printed;
  PrintStatus answer = PrintStatus::Sent;
  PrinterPage Page() override { return page; }
  bool Setup() override {
    ++setups;
    if (setupAccepts) page = afterSetup;
    return setupAccepts;
  }
  PrintStatus Print(const Dib&, const RectI& rect, const std::string&) override {
    printed.push_back(rect);
    return answer;
  }
};

QString Run(const QString& program, const QStringList& args) {
  QProcess p;
  p.start(program, args);
  p.waitForFinished(60000);
  return QString::fromUtf8(p.readAllStandardOutput());
}

}  // namespace

class PrintFormTest : public QObject {
  Q_OBJECT
  ScriptedUi ui;
  FakeViewerDialogs dialogs;

  void Show(TWebForm& f, const Dib& d, bool modified) {
    f.SetDialogs(dialogs);
    f.Sky95()->SetBitmap(d);
    SyncImageState(f.State(), d);
    f.State().ImageLoaded = true;
    f.State().CurrentFile = "/pics/beach.bmp";
    f.State().ImageModified = modified;
  }

private slots:
  void initTestCase() { SetCurrentUi(&ui); }
  void cleanupTestCase() { SetCurrentUi(nullptr); }
  void init() {
    ui.Clear();
    dialogs = FakeViewerDialogs();
  }

  // The worked page: 600 x 400 on 4800 x 6600 at 600 dpi, in inches, then cm, at 50 %.
  void labelsSizeAndUnits() {
    FakePrinter printer;
    const Dib picture = test::PatternPicture(600, 400);
    TPrintForm form("beach.bmp", picture, printer);
    QCOMPARE(form.windowTitle(), QString("Print Setup: beach.bmp"));
    QCOMPARE(form.Measure()->currentText(), QString("Inches"));
    QCOMPARE(form.LabelText("WidthLabel"), QString("Width : 8.0"));
    QCOMPARE(form.LabelText("HeightLabel"), QString("Height: 5.3"));
    QCOMPARE(form.LabelText("XLabel"), QString("&X pos : 0.0"));
    QCOMPARE(form.LabelText("YLabel"), QString("&Y pos : 2.8"));
    QCOMPARE(form.LabelText("SettingsLabel"), QString("Portrait : 8.0 x 11.0  (600 x 600 dpi)"));
    QCOMPARE(form.LabelText("SizeLabel"), QString("  Si&ze : 100%"));
    form.Measure()->setCurrentIndex(2);
    QCOMPARE(form.LabelText("WidthLabel"), QString("Width : 20.3"));
    QCOMPARE(form.LabelText("YLabel"), QString("&Y pos : 7.2"));
    form.Measure()->setCurrentIndex(0);
    form.SizeBar()->setValue(50);
    QCOMPARE(form.LabelText("SizeLabel"), QString("  Si&ze : 50%"));
    QCOMPARE(form.LabelText("WidthLabel"), QString("Width : 2400"));
    QCOMPARE(form.LabelText("XLabel"), QString("&X pos : 1200"));
    QCOMPARE(form.LabelText("YLabel"), QString("&Y pos : 2500"));
    QCOMPARE(form.XBar()->pageStep(), 300);
    // The bars move the picture on the page and in the preview; Center puts it back.
    form.YBar()->setValue(form.YBar()->maximum());
    QCOMPARE(form.LabelText("YLabel"), QString("&Y pos : 5000"));
    const RectI sheet = form.Preview()->Sheet();
    const RectI shown = form.Preview()->Picture();
    QCOMPARE(shown.top + shown.height, sheet.height);
    form.findChild<QPushButton*>("btnCenter")->click();
    QCOMPARE(form.LabelText("YLabel"), QString("&Y pos : 2500"));
    const PrintSetupResult r = form.Result(true);
    QCOMPARE(r.X, 1200);
    QCOMPARE(r.Y, 2500);
    QCOMPARE(r.W, 2400);
    QCOMPARE(r.H, 1600);
    QCOMPARE(form.Result(false).Y, -1);
  }

  // "&Setup" takes the printer's new page; a cancelled setup keeps the old one.
  void setupRecomputes() {
    FakePrinter printer;
    TPrintForm form("a.bmp", test::PatternPicture(600, 400), printer);
    printer.setupAccepts = false;
    form.findChild<QPushButton*>("btnSetup")->click();
    QCOMPARE(form.Placement().W, 4800);
    printer.setupAccepts = true;
    form.findChild<QPushButton*>("btnSetup")->click();
    QCOMPARE(printer.setups, 2);
    QCOMPARE(form.LabelText("SettingsLabel"), QString("Landscape: 11.0 x 16.0  (600 x 300 dpi)"));
    QCOMPARE(form.Placement().W, 6600);
    QCOMPARE(form.Placement().H, 4400);
    QVERIFY(!form.Result(true).color);
  }

  // No printer: said; a cancelled setup prints nothing; the outcomes' texts.
  void printCommandOutcomes() {
    FakePrinter printer;
    TWebForm f;
    f.SetPrinter(printer);
    Show(f, test::PatternPicture(60, 40), false);
    printer.page = {};
    f.Action("mnuPrint")->trigger();
    QCOMPARE(ui.Texts(), std::vector<std::string>{kNoPrinterText});

    printer.page = {4800, 6600, 600, 600, false, true};
    ui.Clear();
    f.Action("mnuPrint")->trigger();  // the fake setup cancels
    QVERIFY(ui.Texts().empty());
    QVERIFY(printer.printed.empty());

    dialogs.printSetup = [](TPrintForm& form) {
      form.SizeBar()->setValue(50);
      return true;
    };
    struct Case { PrintStatus status; std::vector<std::string> texts; };
    const Case cases[] = {
        {PrintStatus::Sent, {kImageSentText}},
        {PrintStatus::NotStarted, {kCheckPrinterText}},
        {PrintStatus::Failed, {kPrinterNoResponseText}},
        {PrintStatus::Cancelled, {}},
    };
    for (const Case& c : cases) {
      ui.Clear();
      printer.answer = c.status;
      f.Action("mnuPrint")->trigger();
      QCOMPARE(ui.Texts(), c.texts);
      QCOMPARE(printer.printed.back(), (RectI{1200, 2500, 2400, 1600}));
    }
  }

  // A modified picture printed to a PDF: one page of the right size with the picture once,
  // losslessly, at its own pixel size and in its place; the picture is not reloaded.
  void printToPdf() {
    const QString pdfinfo = QStandardPaths::findExecutable("pdfinfo");
    const QString pdfimages = QStandardPaths::findExecutable("pdfimages");
    const QString pdftoppm = QStandardPaths::findExecutable("pdftoppm");
    if (pdfinfo.isEmpty() || pdfimages.isEmpty() || pdftoppm.isEmpty())
      QSKIP("poppler-utils (pdfinfo, pdfimages, pdftoppm) not installed");
    QTemporaryDir dir;
    const QString pdf = dir.filePath("out.pdf");
    QtPrinter printer;
    QPrinter& device = printer.Device();
    device.setOutputFormat(QPrinter::PdfFormat);
    device.setResolution(600);
    device.setPageSize(QPageSize(QPageSize::Letter));
    device.setPageMargins(QMarginsF(0.25, 0, 0.25, 0), QPageLayout::Inch);
    printer.SetAskFile([pdf] { return pdf; });
    QCOMPARE(printer.Page().pageW, 4800);
    QCOMPARE(printer.Page().pageH, 6600);

    TWebForm f;
    f.SetPrinter(printer);
    const Dib picture = test::PatternPicture(600, 400, 11);
    Show(f, picture, true);
    dialogs.printSetup = [](TPrintForm& form) {
      form.SizeBar()->setValue(50);
      return true;
    };
    f.Action("mnuPrint")->trigger();
    QCOMPARE(ui.Texts(), std::vector<std::string>{kImageSentText});
    QVERIFY(f.State().ImageModified);
    QCOMPARE(f.State().CurrentFile, std::string("/pics/beach.bmp"));
    QVERIFY(test::SamePixels(f.Sky95()->Bitmap(), picture));

    const QString info = Run(pdfinfo, {pdf});
    QVERIFY2(info.contains(QRegularExpression("Title:\\s+Pelira Picture Graphic")), qPrintable(info));
    QVERIFY2(info.contains(QRegularExpression("Pages:\\s+1\\n")), qPrintable(info));
    QVERIFY2(info.contains(QRegularExpression("Page size:\\s+612 x 792 pts")), qPrintable(info));

    // page num type width height color comp bpc enc interp object ID x-ppi y-ppi ...
    const QStringList lines = Run(pdfimages, {"-list", pdf}).split('\n', Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), 3);  // two heading lines, one image
    const QStringList cols = lines[2].simplified().split(' ');
    QCOMPARE(cols[3], QString("600"));
    QCOMPARE(cols[4], QString("400"));
    QVERIFY2(cols[8] != "jpeg" && cols[8] != "jpx", qPrintable(lines[2]));
    QCOMPARE(cols[12], QString("150"));  // 600 pixels over 2400 printer pixels at 600 dpi

    Run(pdfimages, {"-png", pdf, dir.filePath("img")});
    TPngGraphic extracted;
    extracted.LoadFromFile(dir.filePath("img-000.png").toStdString());
    QVERIFY(test::SamePixels(extracted.TakeWorkingBitmap(), picture));

    // Rendered at 60 dpi the picture covers (15 + 1200 / 10, 2500 / 10) by 240 x 160.
    Run(pdftoppm, {"-r", "60", "-png", "-singlefile", pdf, dir.filePath("page")});
    TPngGraphic page;
    page.LoadFromFile(dir.filePath("page.png").toStdString());
    const Dib shown = page.TakeWorkingBitmap();
    int left = shown.Width(), top = shown.Height(), right = -1, bottom = -1;
    for (int y = 0; y < shown.Height(); ++y)
      for (int x = 0; x < shown.Width(); ++x)
        if (shown.Pixel(x, y) != MakeColor(255, 255, 255)) {
          left = std::min(left, x);
          top = std::min(top, y);
          right = std::max(right, x);
          bottom = std::max(bottom, y);
        }
    QVERIFY2(std::abs(left - 135) <= 1 && std::abs(top - 250) <= 1, qPrintable(QString("%1,%2").arg(left).arg(top)));
    QVERIFY2(std::abs(right + 1 - left - 240) <= 1 && std::abs(bottom + 1 - top - 160) <= 1,
             qPrintable(QString("%1x%2").arg(right + 1 - left).arg(bottom + 1 - top)));
  }

  // A PDF that cannot be written: "Check printer.".
  void unwritablePdf() {
    QtPrinter printer;
    printer.Device().setOutputFormat(QPrinter::PdfFormat);
    printer.SetAskFile([] { return QString("/nonexistent-folder/x/out.pdf"); });
    TWebForm f;
    f.SetPrinter(printer);
    Show(f, test::PatternPicture(60, 40), false);
    dialogs.printSetup = [](TPrintForm&) { return true; };
    f.Action("mnuPrint")->trigger();
    QCOMPARE(ui.Texts(), std::vector<std::string>{kCheckPrinterText});
  }
};

QTEST_MAIN(PrintFormTest)
#include "print_form_test.moc"
