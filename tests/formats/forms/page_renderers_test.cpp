// Metafiles and text pages drawn by Qt, through the loading pipeline as the viewer opens them.
#include <QTemporaryDir>
#include <QtTest>
#include <cstdlib>
#include <fstream>

#include "image/image_loader.h"
#include "platform/qt/qt_page_renderers.h"
#include "platform/scripted_ui.h"

using namespace pelira;

namespace {

std::string FormatFile(const char* name) {
  const char* root = std::getenv("PELIRA_FIXTURES");
  return std::string(root ? root : "tests/fixtures") + "/formats/" + name;
}

// A file with the given text in a folder removed after the test.
struct TextFile {
  QTemporaryDir dir;
  std::string path;
  TextFile(const char* name, const std::string& text) : path(dir.filePath(name).toStdString()) {
    std::ofstream(path, std::ios::binary) << text;
  }
};

// Most of the pixels of a small square around (x, y) have colour c (edges are smoothed).
bool Around(const Dib& d, int x, int y, ColorValue c) {
  int hits = 0;
  for (int j = -2; j <= 2; ++j)
    for (int i = -2; i <= 2; ++i)
      if (d.Pixel(x + i, y + j) == c) ++hits;
  return hits >= 20;
}

int CountPixels(const Dib& d, bool (*pred)(ColorValue)) {
  int n = 0;
  for (int y = 0; y < d.Height(); ++y)
    for (int x = 0; x < d.Width(); ++x) n += pred(d.Pixel(x, y));
  return n;
}

}  // namespace

class PageRenderersTest : public QObject {
  Q_OBJECT
private slots:
  void initTestCase() { InstallQtPageRenderers(); }

  void wmfShapes() {
    TImageLoader l;
    l.settings.background = MakeColor(240, 240, 240);
    QCOMPARE(l.Open(FormatFile("mf_shapes.wmf")), OpenOutcome::Metafile);
    const Dib& d = l.workingBitmap;
    QCOMPARE(d.Width(), 192);
    QCOMPARE(d.Height(), 96);
    QCOMPARE(d.BitCount(), 24);
    QCOMPARE(l.info.fileName, std::string("Untitled"));
    QVERIFY(!l.info.reloadEnabled);
    QVERIFY(Around(d, 48, 48, MakeColor(255, 0, 0)));    // rectangle
    QVERIFY(Around(d, 144, 48, MakeColor(0, 0, 255)));   // ellipse centre
    QVERIFY(Around(d, 100, 92, MakeColor(0, 160, 0)));   // the 4.8-pixel line
    QVERIFY(Around(d, 100, 5, MakeColor(240, 240, 240)));  // background
    // Ellipse corners stay background.
    QVERIFY(Around(d, 110, 13, MakeColor(240, 240, 240)));
    // Some dark text pixels near its reference point.
    int dark = 0;
    for (int y = 38; y < 60; ++y)
      for (int x = 90; x < 130; ++x) dark += d.Pixel(x, y) == 0 ? 0 : (RedOf(d.Pixel(x, y)) < 80 && BlueOf(d.Pixel(x, y)) < 80);
    QVERIFY(dark > 5);
  }

  void plainWmfAndEmf() {
    TImageLoader l;
    l.settings.background = MakeColor(255, 255, 255);
    QCOMPARE(l.Open(FormatFile("mf_plain.wmf")), OpenOutcome::Metafile);
    QCOMPARE(l.workingBitmap.Width(), 300);
    QVERIFY(Around(l.workingBitmap, 30, 170, MakeColor(255, 255, 0)));   // lower-left triangle
    QVERIFY(Around(l.workingBitmap, 270, 30, MakeColor(255, 255, 255)));

    QCOMPARE(l.Open(FormatFile("mf_shapes.emf")), OpenOutcome::Metafile);
    const Dib& d = l.workingBitmap;
    QCOMPARE(d.Width(), 192);
    QVERIFY(Around(d, 48, 48, MakeColor(255, 0, 0)));
    QVERIFY(Around(d, 110, 42, MakeColor(0, 0, 255)));   // the Bezier path, shifted right, below the text
    QVERIFY(Around(d, 160, 60, MakeColor(255, 0, 0)));   // bitmap quadrants
    QVERIFY(Around(d, 180, 60, MakeColor(255, 255, 255)));
    QVERIFY(Around(d, 160, 80, MakeColor(0, 0, 255)));
    QVERIFY(Around(d, 180, 80, MakeColor(0, 255, 0)));
  }

  void invalidMetafile() {
    const TextFile bad("bad.emf", "not a metafile at all");
    ScriptedUi ui;
    ScopedUi scope(ui);
    TImageLoader l;
    QCOMPARE(l.Open(bad.path), OpenOutcome::Blank);
    QCOMPARE(ui.Calls().size(), std::size_t{1});
    QCOMPARE(ui.Calls()[0].text, std::string("Invalid Metafile."));
    QCOMPARE(l.workingBitmap.Width(), 32);
  }

  void textPages() {
    const TextFile page("page.rtf", "{\\rtf1{\\colortbl;\\red255\\green0\\blue0;}\\fs48\\b\\cf1 Red heading\\par\\b0\\cf0 body}");
    const TextFile notes("notes.txt", "line one\nline two\n");
    TImageLoader l;
    QCOMPARE(l.Open(page.path), OpenOutcome::Text);
    const Dib& d = l.workingBitmap;
    QCOMPARE(d.Width(), 800);
    QCOMPARE(d.Height(), 600);
    QCOMPARE(l.info.fileName, std::string("Untitled"));
    const int red = CountPixels(d, [](ColorValue c) { return RedOf(c) > 200 && GreenOf(c) < 60 && BlueOf(c) < 60; });
    QVERIFY2(red > 50, "the red heading is drawn");
    QCOMPARE(d.Pixel(700, 500), MakeColor(255, 255, 255));
    // The heading is 24 point: its red pixels reach further down than 10-point text would.
    int lowest = 0;
    for (int y = 0; y < 100; ++y)
      for (int x = 0; x < 400; ++x)
        if (RedOf(d.Pixel(x, y)) > 200 && GreenOf(d.Pixel(x, y)) < 60) lowest = std::max(lowest, y);
    QVERIFY(lowest > 20);

    QCOMPARE(l.Open(notes.path), OpenOutcome::Text);
    const int dark = CountPixels(l.workingBitmap, [](ColorValue c) { return RedOf(c) < 100 && GreenOf(c) < 100; });
    QVERIFY(dark > 50);
    // The page follows the viewer's client size.
    l.settings.windowWidth = 320;
    l.settings.windowHeight = 200;
    QCOMPARE(l.Open(notes.path), OpenOutcome::Text);
    QCOMPARE(l.workingBitmap.Width(), 320);
    QCOMPARE(l.workingBitmap.Height(), 200);
  }

  void badRtfFailsToBlank() {
    std::string deep = "{\\rtf1 ";
    for (int i = 0; i < kMaxRtfDepth + 1; ++i) deep += "{";
    const TextFile file("deep.rtf", deep);
    TImageLoader l;
    QCOMPARE(l.Open(file.path), OpenOutcome::Blank);
    QCOMPARE(l.LastError(), std::string("RTF groups nested too deeply"));
  }
};

QTEST_MAIN(PageRenderersTest)
#include "page_renderers_test.moc"
