// The instant show carried out on a fake window: what it draws, captions, waits, stops and
// the report of a missing or unreadable slide.
#include <gtest/gtest.h>

#include <map>

#include "platform/help.h"
#include "platform/scripted_ui.h"
#include "slideshow/instant_show.h"

namespace pelira {
namespace {

class FakeClock : public ShowClock {
public:
  std::int64_t now = 0;
  std::int64_t NowMs() override { return now; }
};

// Jumps to the deadline; stops the show once the clock passes stopAt.
class FakePump : public ShowPump {
public:
  FakePump(FakeClock& c, RequestFlags& f) : clock(c), flags(f) {}
  FakeClock& clock;
  RequestFlags& flags;
  std::int64_t stopAt = 1 << 30;
  void PumpUntil(std::int64_t deadline, bool) override {
    clock.now = std::max(clock.now, deadline);
    if (clock.now >= stopAt) flags.StopRequest = true;
  }
};

Dib Solid(int w, int h, ColorValue c) {
  Dib d(w, h, 24);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) d.SetPixel(x, y, c);
  return d;
}

class FakeHost : public ShowHost {
public:
  std::map<std::string, Dib> pictures;
  std::map<std::string, bool> media;
  std::vector<std::string> captions, played;
  std::vector<Surface> atCaption;  // the window when each slide began
  Surface last;
  int presents = 0;
  std::optional<Dib> LoadPicture(const std::string& path) override {
    auto it = pictures.find(path);
    if (it == pictures.end()) return std::nullopt;
    return it->second;
  }
  bool PlayMedia(const std::string& path) override {
    played.push_back(path);
    return media[path];
  }
  void SetCaption(const std::string& c) override {
    captions.push_back(c);
    atCaption.push_back(last);
  }
  void Present(const Surface& s, const TRect&) override {
    last = s;
    ++presents;
  }
};

bool Exists(const std::string&) { return true; }

struct Rig {
  RequestFlags flags;
  FakeClock clock;
  FakePump pump{clock, flags};
  ScriptedUi ui;
  FakeHost host;
  SeededRandom random{11};
  Surface window;
  InstantShowSettings settings{400, 300, 0x102030, 1};
  std::string Run(SlideshowSequencer& s) {
    return RunInstantShow(s, host, settings, random, clock, pump, flags, ui, window);
  }
};

std::uint32_t At(const Surface& s, int x, int y) { return s.Row(y)[x]; }

TEST(InstantShow, DrawsEachSlideFittedAndCentredThenWaitsAndLoops) {
  Rig rig;
  rig.host.pictures["/p/red.bmp"] = Solid(200, 100, 0xFF0000);
  rig.host.pictures["/p/blue.bmp"] = Solid(150, 75, 0x0000FF);
  rig.pump.stopAt = 5500;  // two waits of 2 s and the transitions, then stop in the third slide's time
  SlideshowSequencer seq({"/p/red.bmp", "/p/blue.bmp"}, 0, {8}, 2000, Exists);
  EXPECT_EQ(rig.Run(seq), "");
  EXPECT_TRUE(rig.ui.Calls().empty());
  ASSERT_GE(rig.host.captions.size(), 3u);
  EXPECT_EQ(rig.host.captions[0], "Slide 1 of 2 \n /p/red.bmp");
  EXPECT_EQ(rig.host.captions[1], "Slide 2 of 2 \n /p/blue.bmp");
  EXPECT_EQ(rig.host.captions[2], "Slide 1 of 2 \n /p/red.bmp");
  // After slide 1: red fitted to 400 x 200 at y = 50, the background above and below.
  const Surface& one = rig.host.atCaption[1];
  EXPECT_EQ(At(one, 0, 50), 0xFFFF0000u);
  EXPECT_EQ(At(one, 399, 249), 0xFFFF0000u);
  EXPECT_EQ(At(one, 0, 49), 0xFF102030u);
  EXPECT_EQ(At(one, 200, 250), 0xFF102030u);
  // The blue picture has the same size once fitted: it replaces the red one entirely.
  const Surface& two = rig.host.atCaption[2];
  EXPECT_EQ(At(two, 0, 50), 0xFF0000FFu);
  EXPECT_EQ(At(two, 0, 49), 0xFF102030u);
  // 38 frames per wipe at Normal speed, plus the first clear.
  EXPECT_GE(rig.host.presents, 1 + 2 * 38);
}

TEST(InstantShow, ASmallerPictureClearsTheWindowFirst) {
  Rig rig;
  rig.host.pictures["/p/wide.bmp"] = Solid(400, 200, 0xFF0000);
  rig.host.pictures["/p/square.bmp"] = Solid(300, 300, 0x00FF00);
  rig.pump.stopAt = 3400;  // in the third slide's transition
  SlideshowSequencer seq({"/p/wide.bmp", "/p/square.bmp"}, 0, {172}, 1000, Exists);
  rig.Run(seq);
  ASSERT_GE(rig.host.atCaption.size(), 3u);
  const Surface& after = rig.host.atCaption[2];
  EXPECT_EQ(At(after, 50, 150), 0xFF00FF00u);  // the square at x 50..349
  EXPECT_EQ(At(after, 10, 100), 0xFF102030u);  // the red picture's edge is gone
  EXPECT_EQ(At(after, 390, 100), 0xFF102030u);
}

TEST(InstantShow, RightClickSkipsTheWaitAndStopEndsAtOnce) {
  Rig rig;
  rig.host.pictures["/p/a.bmp"] = Solid(100, 100, 0xFF0000);
  rig.host.pictures["/p/b.bmp"] = Solid(100, 100, 0x00FF00);
  // Every wait is skipped as soon as it starts: ten slides pass long before the 60 s wait.
  struct SkippingPump : ShowPump {
    FakeClock* clock;
    RequestFlags* flags;
    int slides = 0;
    void PumpUntil(std::int64_t deadline, bool input) override {
      if (input && deadline - clock->now > 1000) {
        flags->SkipRequest = true;
        if (++slides == 10) flags->StopRequest = true;
        return;
      }
      clock->now = std::max(clock->now, deadline);
    }
  } pump;
  pump.clock = &rig.clock;
  pump.flags = &rig.flags;
  SlideshowSequencer seq({"/p/a.bmp", "/p/b.bmp"}, 0, {0}, 60000, Exists);
  RunInstantShow(seq, rig.host, rig.settings, rig.random, rig.clock, pump, rig.flags, rig.ui, rig.window);
  EXPECT_EQ(rig.host.captions.size(), 10u);
  EXPECT_LT(rig.clock.now, 60000);
}

TEST(InstantShow, MissingUnreadableAndUnplayableSlidesStopWithTheReport) {
  struct Case {
    std::vector<std::string> files;
    std::string report;
  };
  const std::vector<Case> cases = {
      {{"/p/a.bmp", "/p/gone.bmp"}, "\nSlide 2 of 2\nFolder: /p\nFilename: gone.bmp"},
      {{"/p/a.bmp", "/p/broken.bmp"}, "\nSlide 2 of 2\nFolder: /p\nFilename: broken.bmp"},
      {{"/p/a.bmp", "/p/song.mp3"}, "\nSlide 2 of 2\nFolder: /p\nFilename: song.mp3"},
  };
  for (const Case& c : cases) {
    Rig rig;
    rig.host.pictures["/p/a.bmp"] = Solid(120, 90, 0xFF0000);
    SlideshowSequencer seq(c.files, 0, {}, 1000,
                           [](const std::string& p) { return p != "/p/gone.bmp"; });
    EXPECT_EQ(rig.Run(seq), c.report);
    ASSERT_EQ(rig.ui.Calls().size(), 1u);
    EXPECT_EQ(rig.ui.Calls()[0].kind, MessageKind::Warning);
    EXPECT_EQ(rig.ui.Calls()[0].text, MissingSlideWarning(c.report));
  }
}

TEST(InstantShow, MediaSlidesPlayWithoutAWaitAndTinyPicturesDrawAtOnce) {
  Rig rig;
  rig.host.pictures["/p/tiny.bmp"] = Solid(40, 30, 0xFF0000);
  rig.host.media["/p/clip.avi"] = true;
  rig.settings = {40, 30, 0, 1};  // the window is as small as the picture: no doubling room
  int presentsBefore = 0;
  rig.pump.stopAt = 150;  // the first wait (100 ms) passes, the second stops the show
  SlideshowSequencer seq({"/p/tiny.bmp", "/p/clip.avi"}, 0, {8}, 100, Exists);
  rig.Run(seq);
  presentsBefore = rig.host.presents;
  EXPECT_EQ(rig.host.played, (std::vector<std::string>{"/p/clip.avi"}));
  EXPECT_EQ(presentsBefore, 1 + 2);  // the clear, then one frame per picture: no transition
  EXPECT_EQ(rig.host.captions.size(), 3u);
}

TEST(InstantShow, RefusalsBeforeTheStart) {
  ScriptedUi ui;
  RequestFlags flags;
  SlideshowSequencer one({"/p/a.bmp"}, 0, {}, 0, Exists);
  auto& help = static_cast<RecordingHelpViewer&>(Help::Viewer());
  help.Clear();
  ui.Queue(Button::Yes);
  EXPECT_FALSE(MayStartInstantShow(one, ui, flags));
  ASSERT_EQ(ui.Calls().size(), 1u);
  EXPECT_EQ(ui.Calls()[0].text, kTooFewSlidesText);
  EXPECT_EQ(help.Contexts(), (std::vector<int>{110}));
  ui.Queue(Button::No);
  EXPECT_FALSE(MayStartInstantShow(one, ui, flags));
  EXPECT_EQ(help.Contexts().size(), 1u);

  SlideshowSequencer two({"/p/a.bmp", "/p/b.bmp"}, 0, {}, 0, Exists);
  EXPECT_TRUE(MayStartInstantShow(two, ui, flags));
  flags.CriticalProcess = true;
  EXPECT_FALSE(MayStartInstantShow(two, ui, flags));
  EXPECT_EQ(ui.Calls().back().text, kCriticalProcessText);
}

}  // namespace
}  // namespace pelira
