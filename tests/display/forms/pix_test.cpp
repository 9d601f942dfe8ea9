// TPix painted through the real widget: placement, orientation, palettes, the fast path and
// the suspended state.
#include <QtTest>

#include "display/forms/pix.h"

using namespace pelira;

namespace {

Dib Gradient24(int w, int h) {
  Dib d(w, h, 24);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) d.SetPixel(x, y, MakeColor(x * 255 / std::max(w - 1, 1), y * 255 / std::max(h - 1, 1), 77));
  return d;
}

QRgb Rgb(ColorValue c) { return qRgb(RedOf(c), GreenOf(c), BlueOf(c)); }

QImage Shot(TPix& pix) { return pix.grab().toImage().convertToFormat(QImage::Format_RGB32); }

}  // namespace

class PixTest : public QObject {
  Q_OBJECT
private slots:
  void newControlIs105Square() {
    TPix pix;
    QCOMPARE(pix.size(), QSize(105, 105));
    QVERIFY(!pix.Stretch() && !pix.Center() && !pix.FastPaint() && !pix.AutoSize());
  }

  void wrapsRowsWithoutCopying() {
    TPix pix;
    pix.SetBitmap(Gradient24(30, 20));
    QCOMPARE(pix.WrappedImage().constBits(), pix.Bitmap().Bits());
    Dib idx(17, 5, 8);
    pix.SetBitmap(std::move(idx));
    QCOMPARE(pix.WrappedImage().format(), QImage::Format_Indexed8);
    QCOMPARE(pix.WrappedImage().constBits(), pix.Bitmap().Bits());
  }

  void centredBitmapSitsAtTruncatedOffset() {
    TPix pix;
    pix.resize(200, 100);
    pix.SetCenter(true);
    pix.SetBackgroundColor(QColor(1, 2, 3));
    Dib d(101, 51, 24);
    for (int y = 0; y < 51; ++y)
      for (int x = 0; x < 101; ++x) d.SetPixel(x, y, MakeColor(200, 100, 50));
    d.SetPixel(0, 0, MakeColor(255, 0, 0));
    pix.SetBitmap(d);
    const QImage s = Shot(pix);
    QCOMPARE(s.pixel(49, 24), qRgb(255, 0, 0));  // the picture's top-left pixel
    QCOMPARE(s.pixel(48, 24), qRgb(1, 2, 3));
    QCOMPARE(s.pixel(49, 23), qRgb(1, 2, 3));
    QCOMPARE(s.pixel(149, 74), qRgb(200, 100, 50));
    QCOMPARE(s.pixel(150, 74), qRgb(1, 2, 3));
  }

  void paletteAndTopRowsShowUpright_data() {
    QTest::addColumn<int>("bits");
    QTest::addColumn<bool>("fast");
    for (int bits : {1, 4, 8, 24}) {
      QTest::addRow("%d bit normal", bits) << bits << false;
      QTest::addRow("%d bit fast", bits) << bits << true;
    }
  }
  void paletteAndTopRowsShowUpright() {
    QFETCH(int, bits);
    QFETCH(bool, fast);
    // Top half red-ish index 1, bottom half index 0, at 1:1 so nothing is scaled.
    Palette p{{10, 20, 30, 0}, {0, 0, 250, 0}};
    Dib d = bits == 24 ? Dib(8, 6, 24) : Dib(8, 6, bits, p);
    for (int y = 0; y < 6; ++y)
      for (int x = 0; x < 8; ++x) {
        if (bits == 24) d.SetPixel(x, y, y < 3 ? MakeColor(250, 0, 0) : MakeColor(30, 20, 10));
        else d.SetIndex(x, y, y < 3 ? 1 : 0);
      }
    TPix pix;
    pix.resize(8, 6);
    pix.SetStretch(true);
    pix.SetFastPaint(fast);
    pix.SetBitmap(d);
    const QImage s = Shot(pix);
    QCOMPARE(s.pixel(3, 0), qRgb(250, 0, 0));
    QCOMPARE(s.pixel(7, 2), qRgb(250, 0, 0));
    QCOMPARE(s.pixel(0, 3), qRgb(30, 20, 10));
    QCOMPARE(s.pixel(7, 5), qRgb(30, 20, 10));
  }

  void fastEnlargedViewRepeatsWholePixels() {
    Dib d(4, 4, 24);
    for (int y = 0; y < 4; ++y)
      for (int x = 0; x < 4; ++x) d.SetPixel(x, y, ((x + y) & 1) ? MakeColor(255, 255, 255) : MakeColor(0, 0, 0));
    TPix pix;
    pix.resize(12, 12);
    pix.SetStretch(true);
    pix.SetFastPaint(true);
    pix.SetBitmap(d);
    const QImage s = Shot(pix);
    for (int y = 0; y < 12; ++y)
      for (int x = 0; x < 12; ++x)
        QCOMPARE(s.pixel(x, y), Rgb(d.Pixel(x / 3, y / 3)));
  }

  void fastReducedFaxKeepsThinStrokes() {
    // A one-pixel black column on white, shown at a quarter: pixel dropping would lose it.
    Dib fax(400, 300, 1);
    for (int y = 0; y < 300; ++y)
      for (int x = 0; x < 400; ++x) fax.SetIndex(x, y, x == 201 ? 0 : 1);
    TPix pix;
    pix.resize(100, 75);
    pix.SetStretch(true);
    pix.SetFastPaint(true);
    pix.SetBitmap(fax);
    const QImage s = Shot(pix);
    int blackColumns = 0;
    for (int x = 0; x < 100; ++x) blackColumns += s.pixel(x, 40) == qRgb(0, 0, 0);
    QCOMPARE(blackColumns, 1);
    QCOMPARE(s.pixel(50, 10), qRgb(0, 0, 0));
  }

  void fastReducedPictureSamplesNearestPixels() {
    const Dib d = Gradient24(300, 200);
    TPix pix;
    pix.resize(100, 50);
    pix.SetStretch(true);
    pix.SetFastPaint(true);
    pix.SetBitmap(d);
    const QImage s = Shot(pix);
    // Control (10, 20) shows bitmap column MulDiv(10, 300, 100) = 30 and row MulDiv(20, 200, 50) = 80.
    QCOMPARE(s.pixel(10, 20), Rgb(d.Pixel(30, 80)));
    QCOMPARE(s.pixel(99, 49), Rgb(d.Pixel(297, 196)));
  }

  void suspendedControlKeepsTheLastFrame() {
    TPix pix;
    pix.resize(40, 30);
    pix.SetStretch(true);
    Dib red(4, 3, 24), blue(4, 3, 24);
    for (int y = 0; y < 3; ++y)
      for (int x = 0; x < 4; ++x) {
        red.SetPixel(x, y, MakeColor(255, 0, 0));
        blue.SetPixel(x, y, MakeColor(0, 0, 255));
      }
    pix.SetBitmap(red);
    pix.show();
    QVERIFY(QTest::qWaitForWindowExposed(&pix));
    pix.SuspendPaint(true);
    pix.SetBitmap(std::move(blue));
    pix.update();
    QCOMPARE(Shot(pix).pixel(20, 15), qRgb(255, 0, 0));
    pix.SuspendPaint(false);
    pix.update();
    QCOMPARE(Shot(pix).pixel(20, 15), qRgb(0, 0, 255));
  }

  void emptyBitmapShowsBackground() {
    TPix pix;
    pix.resize(10, 10);
    pix.SetBackgroundColor(QColor(9, 8, 7));
    QCOMPARE(Shot(pix).pixel(5, 5), qRgb(9, 8, 7));
    QCOMPARE(pix.ToDeviceIndependent(10, 10, 8), 8);
  }
};

QTEST_MAIN(PixTest)
#include "pix_test.moc"
