// The player window driven through real key, mouse and window events, on a fake clock: a
// pump that hands events over and then moves the clock, so no test waits for real time.
#include <QFile>
#include <QScreen>
#include <QTemporaryDir>
#include <QTextBrowser>
#include <QtTest>

#include <functional>

#include "platform/qt/script_show_lock.h"
#include "platform/scripted_ui.h"
#include "slideshow/effects_table.h"
#include "slideshow/forms/slideshow_player.h"
#include "slideshow/script_sequencer.h"
#include "slideshow/show_timing.h"

using namespace pelira;

namespace {

class FakeClock : public ShowClock {
public:
  std::int64_t now = 0;
  std::int64_t NowMs() override { return now; }
};

// Each call delivers the queued events, runs the test's hook, then moves the clock: to the
// deadline (jump) or by one millisecond (a wait then ends only by a key or click).
class HookPump : public ShowPump {
public:
  explicit HookPump(FakeClock& c) : clock(c) {}
  FakeClock& clock;
  bool jump = true;
  int calls = 0;
  std::function<void()> hook;
  void PumpUntil(std::int64_t deadline, bool) override {
    ++calls;
    QCoreApplication::processEvents();
    if (hook) hook();
    clock.now = jump ? std::max(clock.now + 1, deadline) : clock.now + 1;
    // A show that the test failed to stop must not run for ever.
    if (calls > 5000) Flags().StopRequest = true;
  }
};

constexpr QRgb kRed = 0xFFFF0000, kGreen = 0xFF00FF00, kBlue = 0xFF0000FF;

// A small folder for one test's files.
struct Dir {
  QTemporaryDir tmp;
  std::string path() const { return tmp.path().toStdString(); }
  std::string operator/(const std::string& name) const { return path() + "/" + name; }
};

std::string SavePicture(const Dir& dir, const std::string& name, QRgb colour, int w = 120, int h = 90) {
  QImage img(w, h, QImage::Format_RGB32);
  img.fill(colour);
  const std::string path = dir / name;
  img.save(QString::fromStdString(path), "PNG");
  return path;
}

void WriteText(const std::string& path, const std::string& text) {
  QFile f(QString::fromStdString(path));
  f.open(QIODevice::WriteOnly);
  f.write(text.data(), static_cast<qint64>(text.size()));
}

QRgb Centre(const QImage& img) { return img.isNull() ? 0 : img.pixel(img.width() / 2, img.height() / 2); }

}  // namespace

class SlideshowPlayerTest : public QObject {
  Q_OBJECT
private slots:
  void init() { Flags().ClearRequests(); }

  void playsTheBookmarksInTurnFullScreenUntilEsc() {
    Dir dir;
    const std::vector<std::string> files = {SavePicture(dir, "a.png", kRed), SavePicture(dir, "b.png", kGreen),
                                            SavePicture(dir, "c.png", kBlue)};
    SlideshowSequencer seq(files, 0, {0}, 1000);
    TSlideshowPlayer player;
    FakeClock clock;
    HookPump pump(clock);
    ScriptedUi ui;
    SeededRandom random(7);
    std::vector<QString> titles;
    std::map<QString, QRgb> lastCentre;
    bool alwaysFullScreen = true;
    pump.hook = [&] {
      alwaysFullScreen = alwaysFullScreen && player.isVisible() && (player.windowState() & Qt::WindowFullScreen);
      const QString t = player.windowTitle();
      if (!t.startsWith("Slide ")) return;  // no slide up yet
      if (titles.empty() || titles.back() != t) titles.push_back(t);
      lastCentre[t] = Centre(player.Shown());
      // Once the show has wrapped round to the first slide again, Esc.
      if (titles.size() >= 4) QTest::keyClick(&player, Qt::Key_Escape);
    };
    const std::string report = player.Play(seq, PlayerOptions{}, random, clock, pump, ui);
    QCOMPARE(report, std::string());
    QVERIFY(ui.Texts().empty());
    QVERIFY(alwaysFullScreen);
    QVERIFY(!player.isVisible());
    QVERIFY(!player.Playing());
    QVERIFY(titles.size() >= 4);
    const QString first = QString::fromStdString("Slide 1 of 3 \n " + files[0]);
    const QString second = QString::fromStdString("Slide 2 of 3 \n " + files[1]);
    const QString third = QString::fromStdString("Slide 3 of 3 \n " + files[2]);
    QCOMPARE(titles[0], first);
    QCOMPARE(titles[1], second);
    QCOMPARE(titles[2], third);
    QCOMPARE(titles[3], first);
    QCOMPARE(lastCentre[second], kGreen);
    QCOMPARE(lastCentre[third], kBlue);
    // The last slide shown (the first again) fills the screen: fitted, not at its own 120 x 90.
    QCOMPARE(player.Shown().size(), player.screen()->size() * player.devicePixelRatioF());
    QCOMPARE(player.Shown().pixel(2, player.Shown().height() / 2), kRed);
  }

  void rightClickEndsTheWaitAndLeftClickStops() {
    Dir dir;
    const std::vector<std::string> files = {SavePicture(dir, "a.png", kRed), SavePicture(dir, "b.png", kGreen),
                                            SavePicture(dir, "c.png", kBlue)};
    SlideshowSequencer seq(files, 0, {0}, 60000);
    TSlideshowPlayer player;
    FakeClock clock;
    HookPump pump(clock);
    pump.jump = false;
    ScriptedUi ui;
    SeededRandom random(7);
    int inSlide = 0;
    QString seen;
    std::vector<QString> titles;
    pump.hook = [&] {
      const QString t = player.windowTitle();
      if (t != seen) {
        seen = t;
        titles.push_back(t);
        inSlide = 0;
      }
      ++inSlide;
      if (inSlide != 3) return;
      if (t.startsWith("Slide 1 of 3")) QTest::mouseClick(&player, Qt::RightButton);
      if (t.startsWith("Slide 2 of 3")) QTest::mouseClick(&player, Qt::LeftButton);
    };
    QCOMPARE(player.Play(seq, PlayerOptions{}, random, clock, pump, ui), std::string());
    QVERIFY(clock.now < 60000);
    QVERIFY(Flags().AbortRequest);
    QCOMPARE(titles.back().left(12), QString("Slide 2 of 3"));
  }

  void windowChangesStopTheShow_data() {
    QTest::addColumn<QString>("how");
    QTest::newRow("minimise") << "minimise";
    QTest::newRow("close") << "close";
    QTest::newRow("middle click") << "middle";
  }
  void windowChangesStopTheShow() {
    QFETCH(QString, how);
    Dir dir;
    const std::vector<std::string> files = {SavePicture(dir, "a.png", kRed), SavePicture(dir, "b.png", kGreen)};
    SlideshowSequencer seq(files, 0, {0}, 60000);
    TSlideshowPlayer player;
    FakeClock clock;
    HookPump pump(clock);
    pump.jump = false;
    ScriptedUi ui;
    SeededRandom random(1);
    bool done = false, visibleAfter = false, minimisedAfter = true;
    pump.hook = [&] {
      if (done || pump.calls < 3) return;
      done = true;
      if (how == "minimise") player.showMinimized();
      if (how == "close") QVERIFY(!player.close());
      if (how == "middle") QTest::mouseClick(&player, Qt::MiddleButton);
      QCoreApplication::processEvents();
      visibleAfter = player.isVisible();
      minimisedAfter = player.windowState() & Qt::WindowMinimized;
    };
    player.Play(seq, PlayerOptions{}, random, clock, pump, ui);
    QVERIFY(done);
    QVERIFY(clock.now < 60000);
    QVERIFY(visibleAfter);  // stopped by the show, not by the window going away
    QVERIFY(!minimisedAfter);
    QVERIFY(!player.isVisible());
  }

  void aDisplayChangeStopsTheShowWithItsWarning() {
    Dir dir;
    const std::vector<std::string> files = {SavePicture(dir, "a.png", kRed), SavePicture(dir, "b.png", kGreen)};
    TSlideshowPlayer player;
    FakeClock clock;
    HookPump pump(clock);
    pump.jump = false;
    SeededRandom random(1);
    struct Case { const char* what; bool change; };
    for (const Case c : {Case{"same size and depth", false}, Case{"another size", true}}) {
      SlideshowSequencer seq(files, 0, {0}, 60000);
      ScriptedUi ui;
      pump.calls = 0;
      pump.hook = [&] {
        if (pump.calls == 3) {
          const QScreen* s = player.screen();
          player.ScreenChanged(c.change ? s->size() + QSize(1, 0) : s->size(), s->depth());
        }
        if (pump.calls == 6) QTest::keyClick(&player, Qt::Key_Escape);
      };
      player.Play(seq, PlayerOptions{}, random, clock, pump, ui);
      QCOMPARE(player.DisplayChanged(), c.change);
      QCOMPARE(pump.calls, c.change ? 3 : 6);
      QCOMPARE(ui.Texts(), c.change ? std::vector<std::string>{kDisplayChangedText} : std::vector<std::string>{});
    }
  }

  void refusalsAndReports() {
    Dir dir;
    const std::string a = SavePicture(dir, "a.png", kRed);
    TSlideshowPlayer player;
    FakeClock clock;
    HookPump pump(clock);
    SeededRandom random(1);
    {
      // Too few slides: the question, no show.
      SlideshowSequencer seq({a}, 0, {0}, 100);
      ScriptedUi ui;
      ui.Queue(Button::No);
      QCOMPARE(player.Play(seq, PlayerOptions{}, random, clock, pump, ui), std::string());
      QCOMPARE(ui.Texts(), std::vector<std::string>{kTooFewSlidesText});
      QCOMPARE(pump.calls, 0);
    }
    {
      // A missing second slide: the first shows, then the report names slide 2.
      const std::string gone = dir / "gone.png";
      SlideshowSequencer seq({a, gone}, 0, {0}, 100);
      ScriptedUi ui;
      const std::string report = player.Play(seq, PlayerOptions{}, random, clock, pump, ui);
      const std::string expected = "\nSlide 2 of 2\nFolder: " + dir.path() + "\nFilename: gone.png";
      QCOMPARE(report, expected);
      QCOMPARE(ui.Texts(), std::vector<std::string>{std::string(kMissingSlideText) + expected});
      QCOMPARE(Centre(player.Shown()), kRed);
    }
    {
      // A file that is no picture stops the show with the same report.
      WriteText(dir / "junk.png", "not a picture");
      SlideshowSequencer seq({a, dir / "junk.png"}, 0, {0}, 100);
      ScriptedUi ui;
      QVERIFY(player.Play(seq, PlayerOptions{}, random, clock, pump, ui).find("Filename: junk.png") !=
              std::string::npos);
    }
    {
      // A critical process refuses the show outright.
      SlideshowSequencer seq({a, a}, 0, {0}, 100);
      ScriptedUi ui;
      Flags().CriticalProcess = true;
      const int before = pump.calls;
      player.Play(seq, PlayerOptions{}, random, clock, pump, ui);
      Flags().CriticalProcess = false;
      QCOMPARE(ui.Texts(), std::vector<std::string>{kCriticalProcessText});
      QCOMPARE(pump.calls, before);
    }
  }

  void scriptSlidesShowCommentsTextAndBackground() {
    Dir dir;
    SavePicture(dir, "red.png", kRed, 100, 100);
    WriteText(dir / "note.txt", "Hello from the show");
    const std::string d = dir.path() + "/";
    const std::string script =
        "[Header]\r\nVer=11\r\n@N=\r\n@V=\r\n@R=\r\n@D=\r\n@C=\r\nRUN=1\r\nTHMREC=\r\nN=3\r\n\r\n"
        "[Directory]\r\n0=" + d + "\r\n\r\n"
        "[1]\r\nF=red.png,0\r\nB=FF0000\r\nZ=50\r\nP=10,20\r\nS=A comment\r\nW=5\r\n\r\n"
        "[2]\r\nF=note.txt,0\r\nU=200,100\r\nP=30,40\r\nW=5\r\n\r\n";
    WriteText(dir / "show.avl", script);
    ScriptSequencer seq(dir / "show.avl", script, false);
    TSlideshowPlayer player;
    FakeClock clock;
    HookPump pump(clock);
    ScriptedUi ui;
    SeededRandom random(3);
    QImage firstSlide;
    QString text;
    QRect panel;
    pump.hook = [&] {
      const QString t = player.windowTitle();
      if (t.startsWith("Slide 1 of 2")) firstSlide = player.Shown().copy();
      if (t.startsWith("Slide 2 of 2") && player.TextPanel()->isVisible()) {
        text = player.TextPanel()->toPlainText();
        panel = player.TextPanel()->geometry();
        QTest::keyClick(&player, Qt::Key_Escape);
      }
    };
    PlayerOptions options;
    options.background = 0x000000;
    QCOMPARE(player.Play(seq, options, random, clock, pump, ui), std::string());
    QVERIFY(ui.Texts().empty());
    QVERIFY(!firstSlide.isNull());
    // B=FF0000 is blue (0x00BBGGRR); the 50 x 50 picture sits at P = (10, 20) on it.
    QCOMPARE(firstSlide.pixel(5, 5), kBlue);
    QCOMPARE(firstSlide.pixel(10 + 25, 20 + 25), kRed);
    QCOMPARE(firstSlide.pixel(10 + 55, 20 + 25), kBlue);
    // The comment strip runs across the bottom in the palette's base colour.
    const QRgb strip = firstSlide.pixel(1, firstSlide.height() - 2);
    QCOMPARE(strip, player.palette().color(QPalette::Base).rgb());
    QVERIFY(text.contains("Hello from the show"));
    QCOMPARE(panel, QRect(30, 40, 200, 100));
    QVERIFY(!player.TextPanel()->isVisible());
  }

  void scriptShowsHoldTheAvlRunningLock() {
    Dir dir;
    SavePicture(dir, "a.png", kRed);
    const std::string script = "[Header]\r\nN=3\r\n[Directory]\r\n0=" + dir.path() +
                               "/\r\n[1]\r\nF=a.png,0\r\n[2]\r\nF=a.png,0\r\n";
    TSlideshowPlayer player;
    FakeClock clock;
    HookPump pump(clock);
    SeededRandom random(3);
    QVERIFY(!OtherCopyPlaysScript());
    {
      // Played alone: the lock is taken for the show and given back after it.
      ScriptSequencer seq(dir / "s.avl", script, false);
      ScriptedUi ui;
      bool heldDuring = false;
      pump.hook = [&] {
        heldDuring = OtherCopyPlaysScript();
        QTest::keyClick(&player, Qt::Key_Escape);
      };
      player.Play(seq, PlayerOptions{}, random, clock, pump, ui);
      QVERIFY(heldDuring);
      QVERIFY(ui.Texts().empty());
      QVERIFY(!OtherCopyPlaysScript());
    }
    {
      // Another show holds it: the warning, and the show plays all the same.
      auto other = std::make_unique<ScriptShowLock>();
      QVERIFY(other->Held());
      ScriptSequencer seq(dir / "s.avl", script, false);
      ScriptedUi ui;
      bool played = false;
      pump.hook = [&] {
        played = played || player.windowTitle().startsWith("Slide 1 of 2");
        if (played) QTest::keyClick(&player, Qt::Key_Escape);
      };
      player.Play(seq, PlayerOptions{}, random, clock, pump, ui);
      QVERIFY(played);
      QCOMPARE(ui.Texts(), std::vector<std::string>{kAvlRunningText});
      other.reset();
      QVERIFY(!OtherCopyPlaysScript());
    }
  }

  void badScriptsAndDevicesStop() {
    Dir dir;
    TSlideshowPlayer player;
    FakeClock clock;
    HookPump pump(clock);
    SeededRandom random(3);
    {
      ScriptSequencer seq(dir / "x.avl", "[Header]\r\nN=3\r\n", false);
      ScriptedUi ui;
      player.Play(seq, PlayerOptions{}, random, clock, pump, ui);
      QCOMPARE(ui.Texts(), std::vector<std::string>{kBadAvlText});
      QCOMPARE(pump.calls, 0);
    }
    {
      // A CD track slide without a drive: the device's message, the show ends.
      const std::string script = "[Header]\r\nN=3\r\n[Directory]\r\n0=/\r\n[1]\r\nF=------------------------------\r\n"
                                 "X=2\r\n[2]\r\nF=------------------------------\r\nX=3\r\n";
      ScriptSequencer seq(dir / "cd.avl", script, false);
      ScriptedUi ui;
      QCOMPARE(player.Play(seq, PlayerOptions{}, random, clock, pump, ui), std::string());
      QCOMPARE(ui.Texts(), std::vector<std::string>{kCdUnavailableText});
      QVERIFY(!player.isVisible());
    }
  }
};

QTEST_MAIN(SlideshowPlayerTest)
#include "slideshow_player_test.moc"
