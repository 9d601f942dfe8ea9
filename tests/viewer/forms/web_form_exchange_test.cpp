// The viewer's clipboard, scanning, New and I&nfo commands, driven from their menu items.
#include <QtTest>

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QMimeData>
#include <QScrollArea>
#include <QScrollBar>
#include <QSpinBox>
#include <QTemporaryDir>

#include <fstream>
#include <set>

#include "display/forms/pix.h"
#include "engine/dialogs/resize_form.h"
#include "image/bmp_reader.h"
#include "image/png_graphic.h"
#include "platform/scripted_ui.h"
#include "support/fake_dialogs.h"
#include "support/test_pictures.h"
#include "viewer/clipboard_picture.h"
#include "viewer/close_now.h"
#include "viewer/forms/qt_clipboard.h"
#include "viewer/forms/sane_scanner.h"
#include "viewer/forms/web_form.h"

using namespace pelira;

namespace {

// Pictures of each depth the viewer holds, with patterns that show a lost row or column.
Dib PictureOfDepth(int bits) {
  if (bits == 24) return test::PatternPicture(37, 21, 5);
  Dib d(37, 21, bits);
  if (bits == 8) {
    Palette p(256);
    for (int i = 0; i < 256; ++i) p[i] = RgbQuad{static_cast<std::uint8_t>(i), static_cast<std::uint8_t>(255 - i), static_cast<std::uint8_t>(i * 7), 0};
    d.SetColors(p);
  }
  for (int y = 0; y < 21; ++y)
    for (int x = 0; x < 37; ++x) d.SetIndex(x, y, static_cast<std::uint32_t>((x * 5 + y * 3) % (1 << std::min(bits, 8))));
  return d;
}

class FakeScanner : public Scanner {
public:
  bool available = true;
  std::vector<ScanDevice> devices{{"a:0", "Maker A (flatbed) - a:0"}, {"b:1", "Maker B (sheetfed) - b:1"}};
  ScanResult next;
  std::vector<std::string> acquired;
  bool Available() override { return available; }
  std::vector<ScanDevice> Devices() override { return devices; }
  ScanResult Acquire(const std::string& device) override {
    acquired.push_back(device);
    ScanResult r;
    r.status = next.status;
    r.message = next.message;
    r.picture = next.picture;
    return r;
  }
};

}  // namespace

class WebFormExchangeTest : public QObject {
  Q_OBJECT
  ScriptedUi ui;
  FakeViewerDialogs dialogs;
  QTemporaryDir home;

  void Show(TWebForm& f, const Dib& d, bool modified = false) {
    f.SetDialogs(dialogs);
    f.Sky95()->SetBitmap(d);
    SyncImageState(f.State(), d);
    f.State().ImageLoaded = true;
    f.State().CurrentFile = "/pics/shown.bmp";
    f.State().ImageModified = modified;
  }

private slots:
  void initTestCase() {
    qputenv("PELIRA_HOME", home.path().toLocal8Bit());
    SetCurrentUi(&ui);
  }
  void cleanupTestCase() { SetCurrentUi(nullptr); }
  void init() {
    ui.Clear();
    dialogs = FakeViewerDialogs();
  }

  // Copy then Paste gives the same picture back as "Untitled", modified: through the
  // in-process clipboard and through QClipboard.
  void copyPasteRoundTrips_data() {
    QTest::addColumn<int>("bits");
    QTest::addColumn<bool>("qtClipboard");
    for (bool qt : {false, true})
      for (int bits : {1, 8, 24}) QTest::addRow("%d bits%s", bits, qt ? " QClipboard" : "") << bits << qt;
  }
  void copyPasteRoundTrips() {
    QFETCH(int, bits);
    QFETCH(bool, qtClipboard);
    MemoryClipboard memory;
    QtClipboard system;
    TWebForm f;
    if (qtClipboard) f.SetClipboard(system);
    else f.SetClipboard(memory);
    const Dib picture = PictureOfDepth(bits);
    Show(f, picture);
    f.Action("mnuCopyImage")->trigger();
    f.Sky95()->SetBitmap(test::PatternPicture(5, 5));
    f.Action("mnuPasteImage")->trigger();
    QVERIFY(ui.Texts().empty());
    QVERIFY(test::SamePixels(f.Sky95()->Bitmap(), picture));
    QCOMPARE(f.State().CurrentFile, std::string("Untitled"));
    QVERIFY(f.State().ImageModified);
    QCOMPARE(f.State().ImageBits, bits);
    QVERIFY(!f.Action("mnuReload")->isEnabled());
  }

  // Another program asking for the copy gets PNG and BMP bytes that decode to the picture.
  void otherProgramsGetPngAndBmp_data() {
    QTest::addColumn<int>("bits");
    for (int bits : {1, 8, 24}) QTest::addRow("%d bits", bits) << bits;
  }
  void otherProgramsGetPngAndBmp() {
    QFETCH(int, bits);
    QtClipboard system;
    TWebForm f;
    f.SetClipboard(system);
    const Dib picture = PictureOfDepth(bits);
    Show(f, picture);
    f.Action("mnuCopyImage")->trigger();
    const QMimeData* m = QGuiApplication::clipboard()->mimeData();
    QVERIFY(m);
    QVERIFY(m->hasFormat("image/png"));
    for (const char* type : {"image/png", "image/bmp"}) {
      const QByteArray bytes = m->data(type);
      ClipboardData d;
      d.format = QByteArray(type) == "image/png" ? ClipboardFormat::Png : ClipboardFormat::Bmp;
      d.bytes.assign(bytes.begin(), bytes.end());
      const Dib back = DecodeClipboard(d, 0);
      QVERIFY2(back.Width() == picture.Width() && back.Height() == picture.Height(), type);
      for (int y = 0; y < picture.Height(); ++y)
        for (int x = 0; x < picture.Width(); ++x) QCOMPARE(back.Pixel(x, y), picture.Pixel(x, y));
    }
  }

  // A PNG another program put there (bytes only) is decoded by our own codec.
  void pasteOfAnotherProgramsPng() {
    QtClipboard system;
    auto* data = new QMimeData;
    std::ifstream in(std::string(qgetenv("PELIRA_FIXTURES")) + "/codecs/png/rgba8.png", std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), {});
    QVERIFY(!bytes.empty());
    data->setData("image/png", QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size())));
    QGuiApplication::clipboard()->setMimeData(data);
    TWebForm f;
    f.SetClipboard(system);
    Show(f, test::PatternPicture(5, 5));
    f.Action("mnuPasteImage")->trigger();
    TPngGraphic png;
    png.SetBackgroundColor(FromPlatformColor(f.Settings().backgroundColor));
    png.LoadFromFile(std::string(qgetenv("PELIRA_FIXTURES")) + "/codecs/png/rgba8.png");
    QVERIFY(test::SamePixels(f.Sky95()->Bitmap(), png.TakeWorkingBitmap()));
    QCOMPARE(f.State().CurrentFile, std::string("Untitled"));
  }

  // Paste asks before a modified picture goes; nothing on the clipboard changes nothing;
  // data that does not decode says so and keeps the picture.
  void pasteGuards() {
    MemoryClipboard memory;
    TWebForm f;
    f.SetClipboard(memory);
    const Dib shown = test::PatternPicture(9, 7);
    Show(f, shown, true);
    f.Action("mnuPasteImage")->trigger();  // empty clipboard
    QVERIFY(ui.Texts().empty());
    QVERIFY(test::SamePixels(f.Sky95()->Bitmap(), shown));

    memory.Set(std::make_shared<const Dib>(test::PatternPicture(4, 4, 9)));
    ui.Queue(Button::No);
    f.Action("mnuPasteImage")->trigger();
    QCOMPARE(ui.Texts(), std::vector<std::string>{kDiscardImageText});
    QVERIFY(test::SamePixels(f.Sky95()->Bitmap(), shown));
    QVERIFY(f.State().ImageModified);
    QCOMPARE(f.State().CurrentFile, std::string("/pics/shown.bmp"));

    ui.Clear();
    ui.Queue(Button::Yes);
    f.Action("mnuPasteImage")->trigger();
    QCOMPARE(ui.Texts(), std::vector<std::string>{kDiscardImageText});
    QVERIFY(test::SamePixels(f.Sky95()->Bitmap(), test::PatternPicture(4, 4, 9)));

    ui.Clear();
    Show(f, shown);
    memory.SetBytes(ClipboardFormat::Png, {0x89, 'P', 'N', 'G', 0, 0});
    f.Action("mnuPasteImage")->trigger();
    QCOMPARE(ui.Texts(), std::vector<std::string>{kPasteFailedText});
    QVERIFY(test::SamePixels(f.Sky95()->Bitmap(), shown));
    QCOMPARE(f.State().CurrentFile, std::string("/pics/shown.bmp"));

    // Empty clears it.
    f.Action("mnuEmpty")->trigger();
    QVERIFY(!memory.HasBitmap());
  }

  void copyRefusedByTheClipboard() {
    MemoryClipboard memory;
    memory.SetRefusing(true);
    TWebForm f;
    f.SetClipboard(memory);
    Show(f, test::PatternPicture(9, 7));
    f.Action("mnuCopyImage")->trigger();
    QCOMPARE(ui.Texts(), std::vector<std::string>{kClipboardTooLargeText});
  }

  // The viewport copy takes what is shown: the whole small picture, or the scrolled part.
  void copyViewport() {
    MemoryClipboard memory;
    TWebForm f;
    f.SetClipboard(memory);
    f.resize(400, 400);
    f.show();
    const Dib small = test::PatternPicture(50, 30);
    Show(f, small);
    f.ApplyZoom();
    f.Action("mnuCopyViewport")->trigger();
    QVERIFY(test::SamePixels(*memory.Get().picture, small));
    QCOMPARE(f.State().LastRegion.right, 50);

    const Dib big = test::PatternPicture(3000, 2000);
    Show(f, big);
    f.State().FitMode = false;
    f.ApplyZoom();
    f.ScrollBox()->horizontalScrollBar()->setValue(100);
    f.ScrollBox()->verticalScrollBar()->setValue(40);
    f.Action("mnuCopyViewport")->trigger();
    const Dib& part = *memory.Get().picture;
    const QWidget* view = f.ScrollBox()->viewport();
    QCOMPARE(part.Width(), view->width());
    QCOMPARE(part.Height(), view->height());
    QCOMPARE(part.Pixel(0, 0), big.Pixel(100, 40));
    QCOMPARE(part.Pixel(part.Width() - 1, part.Height() - 1), big.Pixel(99 + view->width(), 39 + view->height()));
  }

  // Paste Selection: an 11 x 11 block for a selection 0..10, undoable; 8-bit pictures become
  // 24-bit for a colour block.
  void pasteSelection() {
    MemoryClipboard memory;
    TWebForm f;
    f.SetClipboard(memory);
    Dib shown(40, 30, 8);
    Show(f, shown);
    const Dib clip = test::PatternPicture(20, 20, 3);
    memory.Set(std::make_shared<const Dib>(clip));
    f.State().SelectionRect = {0, 0, 10, 10};
    f.Action("mnuPasteSelection")->trigger();
    const Dib& now = f.Sky95()->Bitmap();
    QCOMPARE(now.BitCount(), 24);
    QCOMPARE(now.Pixel(10, 10), clip.Pixel(10, 10));
    QCOMPARE(now.Pixel(11, 10), shown.Pixel(11, 10));
    QCOMPARE(now.Pixel(10, 11), shown.Pixel(10, 11));
    QVERIFY(f.State().ImageModified);
    f.Action("mnuUndo")->trigger();
    QVERIFY(test::SamePixels(f.Sky95()->Bitmap(), shown));
  }

  // New: 15 or less makes nothing; 16 x 16 a filled 24-bit picture, modified, undoable.
  void newPicture() {
    TWebForm f;
    const Dib shown = test::PatternPicture(9, 7);
    Show(f, shown);
    int side = 15;
    QString title;
    dialogs.newImage = [&](TResizeForm& d) {
      title = d.windowTitle();
      d.WidthBox()->setValue(side);
      d.HeightBox()->setValue(16);
      d.SetBorderColor(0x00FF8040);  // platform order: red 0x40, green 0x80, blue 0xFF
      return true;
    };
    f.Action("mnuNew1")->trigger();
    QCOMPARE(title, QString("New Image"));
    QVERIFY(test::SamePixels(f.Sky95()->Bitmap(), shown));
    QVERIFY(!f.State().ImageModified);
    side = 16;
    f.Action("mnuNew1")->trigger();
    const Dib& made = f.Sky95()->Bitmap();
    QCOMPARE(made.Width(), 16);
    QCOMPARE(made.Height(), 16);
    QCOMPARE(made.BitCount(), 24);
    QCOMPARE(made.Pixel(0, 0), MakeColor(0x40, 0x80, 0xFF));
    QCOMPARE(made.Pixel(15, 15), MakeColor(0x40, 0x80, 0xFF));
    QCOMPARE(f.State().CurrentFile, std::string("Untitled"));
    QVERIFY(f.State().ImageModified);
    f.Action("mnuUndo")->trigger();
    QVERIFY(test::SamePixels(f.Sky95()->Bitmap(), shown));
    // Cancel: nothing.
    dialogs.newImage = [](TResizeForm&) { return false; };
    f.Action("mnuNew1")->trigger();
    QCOMPARE(f.Sky95()->Bitmap().Width(), 9);
  }

  // I&nfo of a four-page TIFF; nothing for "Untitled"; a missing file says so.
  void info() {
    TWebForm f;
    f.SetDialogs(dialogs);
    const QString file = QString::fromLocal8Bit(qgetenv("PELIRA_FIXTURES")) + "/codecs/tiff/multi.tif";
    f.OpenChosen(file);
    QCOMPARE(f.State().PageCount, 4);
    ui.Clear();
    f.Action("mnuInfo")->trigger();
    QCOMPARE(ui.Calls().size(), std::size_t{1});
    const std::string text = ui.Calls()[0].text;
    QCOMPARE(ui.Calls()[0].kind, MessageKind::Information);
    QVERIFY2(text.find("\nName: multi.tif\n") != std::string::npos, text.c_str());
    QVERIFY(text.find("\nPages: 4\n") != std::string::npos);
    QVERIFY(text.find("\nSize: " + std::to_string(QFileInfo(file).size()) + " bytes\n") != std::string::npos);
    QVERIFY(text.rfind("Video: ") != std::string::npos && text.back() == 'p');

    ui.Clear();
    f.State().CurrentFile = "/no/such/file.bmp";
    f.Action("mnuInfo")->trigger();
    QCOMPARE(ui.Texts(), std::vector<std::string>{"file.bmp not found."});
    ui.Clear();
    f.State().CurrentFile = "Untitled";
    f.Action("btnInfo")->trigger();
    QVERIFY(ui.Texts().empty());
  }

  // Select lists the devices and scans from the chosen one; a cancelled choice is silent;
  // no scanner, a cancelled scan and a failure each say so; a modified picture is asked about.
  void scanning() {
    FakeScanner scanner;
    TWebForm f;
    f.SetScanner(scanner);
    Show(f, test::PatternPicture(9, 7), true);
    QStringList offered;
    dialogs.scanner = [&](const QStringList& devices) {
      offered = devices;
      return -1;
    };
    f.Action("mnuTWAIN_Select1")->trigger();
    QCOMPARE(offered, (QStringList{"Maker A (flatbed) - a:0", "Maker B (sheetfed) - b:1"}));
    QVERIFY(ui.Texts().empty());
    QVERIFY(scanner.acquired.empty());

    // Chosen, but the modified picture is kept on No.
    dialogs.scanner = [](const QStringList&) { return 1; };
    ui.Queue(Button::No);
    f.Action("mnuTWAIN_Select1")->trigger();
    QCOMPARE(ui.Texts(), std::vector<std::string>{kDiscardImageText});
    QVERIFY(scanner.acquired.empty());

    ui.Clear();
    ui.Queue(Button::Yes);
    scanner.next.status = ScanResult::Status::Scanned;
    scanner.next.picture = PictureOfDepth(8);
    f.Action("mnuTWAIN_Acquire1")->trigger();
    QCOMPARE(scanner.acquired, std::vector<std::string>{"b:1"});
    QVERIFY(test::SamePixels(f.Sky95()->Bitmap(), PictureOfDepth(8)));
    QCOMPARE(f.State().CurrentFile, std::string("Untitled"));
    QVERIFY(f.State().ImageModified);

    struct Case { ScanResult::Status status; std::string message; std::string text; };
    const Case cases[] = {
        {ScanResult::Status::Cancelled, "", kScanAbortedText},
        {ScanResult::Status::Failed, "", kScannerErrorText},
        {ScanResult::Status::Failed, "Device busy", std::string(kScannerErrorText) + "\nDevice busy"},
    };
    for (const Case& c : cases) {
      ui.Clear();
      f.State().ImageModified = false;
      scanner.next.status = c.status;
      scanner.next.message = c.message;
      f.Action("mnuTWAIN_Acquire1")->trigger();
      QCOMPARE(ui.Texts(), std::vector<std::string>{c.text});
      QVERIFY(test::SamePixels(f.Sky95()->Bitmap(), PictureOfDepth(8)));
    }
    ui.Clear();
    scanner.available = false;
    f.Action("mnuTWAIN_Acquire1")->trigger();
    f.Action("mnuTWAIN_Select1")->trigger();
    QCOMPARE(ui.Texts(), (std::vector<std::string>{kScannerErrorText, kScannerErrorText}));
  }

  // SANE's own test backend, in a configuration folder of our own.
  void saneTestBackend() {
#ifndef PELIRA_HAVE_SANE
    QSKIP("built without libsane");
#else
    QTemporaryDir config;
    QFile dll(config.filePath("dll.conf"));
    QVERIFY(dll.open(QIODevice::WriteOnly));
    dll.write("test\n");
    dll.close();
    // A colour page of 80 x 100 mm at 50 dpi: 157 x 196 pixels (as scanimage gives it).
    QFile conf(config.filePath("test.conf"));
    QVERIFY(conf.open(QIODevice::WriteOnly));
    conf.write("number_of_devices 1\nmode Color\ndepth 8\nresolution_min 1.0\nresolution_max 1200.0\n"
               "resolution_quant 1.0\nresolution 50.0\ntest-picture \"Color pattern\"\ngeometry_min 0.0\n"
               "geometry_max 200.0\ngeometry_quant 1.0\ntl_x 0.0\ntl_y 0.0\nbr_x 80.0\nbr_y 100.0\n");
    conf.close();
    qputenv("SANE_CONFIG_DIR", config.path().toLocal8Bit());
    SaneScanner sane;
    if (!sane.Available()) QSKIP("libsane does not start here");
    const std::vector<ScanDevice> devices = sane.Devices();
    bool hasTest = false;
    for (const ScanDevice& d : devices) hasTest = hasTest || d.name.rfind("test:", 0) == 0;
    if (!hasTest) QSKIP("SANE's test backend is not installed");
    TWebForm f;
    f.SetScanner(sane);
    Show(f, test::PatternPicture(9, 7));
    dialogs.scanner = [&](const QStringList& labels) {
      for (int i = 0; i < labels.size(); ++i)
        if (labels[i].endsWith(" - test:0")) return i;
      return -1;
    };
    f.Action("mnuTWAIN_Select1")->trigger();
    QVERIFY2(ui.Texts().empty(), ui.Texts().empty() ? "" : ui.Texts()[0].c_str());
    const Dib& scanned = f.Sky95()->Bitmap();
    QCOMPARE(scanned.BitCount(), 24);
    QCOMPARE(scanned.Width(), 157);
    QCOMPARE(scanned.Height(), 196);
    std::set<ColorValue> colours;
    for (int y = 0; y < scanned.Height(); y += 7)
      for (int x = 0; x < scanned.Width(); x += 7) colours.insert(scanned.Pixel(x, y));
    QVERIFY(colours.size() > 4);  // the pattern, not a blank page
    QCOMPARE(f.State().CurrentFile, std::string("Untitled"));
    QVERIFY(f.State().ImageModified);
#endif
  }
};

QTEST_MAIN(WebFormExchangeTest)
#include "web_form_exchange_test.moc"
