// The script show's order of events over AVL scripts, hostile ones included: properties of
// each slide, RUN, wrapping, directories out of range, moved files, nested scripts, and the
// placement of a script slide's picture.
#include <gtest/gtest.h>

#include <map>
#include <set>

#include "slideshow/script_sequencer.h"
#include "slideshow/slide_layout.h"

namespace pelira {
namespace {

std::string Header(std::int64_t n, const std::string& run = "1", const std::vector<std::string>& dirs = {"/pics/"}) {
  std::string s = "[Header]\r\nVer=11\r\n@N=\r\n@V=\r\n@R=\r\n@D=\r\n@C=\r\nRUN=" + run + "\r\nTHMREC=\r\nN=" +
                  std::to_string(n) + "\r\n\r\n[Directory]\r\n";
  for (std::size_t i = 0; i < dirs.size(); ++i) s += std::to_string(i) + "=" + dirs[i] + "\r\n";
  return s + "\r\n";
}

std::string Section(int i, const std::string& body) { return "[" + std::to_string(i) + "]\r\n" + body + "\r\n"; }

struct Files {
  std::set<std::string> present;
  std::map<std::string, std::string> scripts;
  FileExistsFn Exists() {
    return [this](const std::string& p) { return present.count(p) > 0 || scripts.count(p) > 0; };
  }
  ScriptReaderFn Reader() {
    return [this](const std::string& p) -> std::optional<std::string> {
      auto it = scripts.find(p);
      if (it == scripts.end()) return std::nullopt;
      return it->second;
    };
  }
};

// The slides handed out until a stop or `limit` steps, as "action:path" (waits as "wait:ms").
std::vector<std::string> Steps(ScriptSequencer& s, int limit, ShowStep* last = nullptr) {
  SeededRandom random(5);
  std::vector<std::string> out;
  for (int k = 0; k < limit; ++k) {
    const ShowStep step = s.Next(random);
    if (last) *last = step;
    switch (step.action) {
      case ShowAction::Stop: out.push_back("stop"); return out;
      case ShowAction::Wait: out.push_back("wait:" + std::to_string(step.waitMs)); break;
      case ShowAction::ShowPicture: out.push_back("picture:" + step.path); break;
      case ShowAction::PlayMedia: out.push_back("media:" + step.path); break;
      case ShowAction::ShowText: out.push_back("text:" + step.path); break;
      case ShowAction::PlaySound: out.push_back("sound:" + step.path); break;
      case ShowAction::PlayCd: out.push_back("cd:" + std::to_string(step.track)); break;
    }
  }
  return out;
}

TEST(ScriptSequencer, EverySlidePropertyReachesItsStep) {
  Files f;
  f.present = {"/pics/a.jpg", "/pics/b.png"};
  const std::string script = Header(3) +
                             Section(1, "F=a.jpg,0\r\nB=FF8000\r\nE=A\r\nW=3\r\nZ=50\r\nG=78\r\nY=450\r\nP=10,20\r\n"
                                        "U=300,200\r\nS=sea?sun <and> sand") +
                             Section(2, "F=b.png,0\r\nY=-90");
  ScriptSequencer s("/shows/x.avl", script, false, f.Exists(), f.Reader());
  ASSERT_FALSE(s.Bad());
  ASSERT_FALSE(s.TooFewSlides());
  SeededRandom random(1);
  const ShowStep a = s.Next(random);
  EXPECT_EQ(a.action, ShowAction::ShowPicture);
  EXPECT_EQ(a.path, "/pics/a.jpg");
  EXPECT_EQ(a.caption, "Slide 1 of 2 \n a.jpg");
  EXPECT_EQ(a.effectEntry, 10);
  EXPECT_TRUE(a.props.script);
  EXPECT_EQ(a.props.background, 0xFF8000);
  EXPECT_EQ(a.props.zoom, 50);
  EXPECT_EQ(a.props.gamma, 120);  // G is hexadecimal
  EXPECT_EQ(a.props.rotate, 90);
  EXPECT_EQ(a.props.posX, 10);
  EXPECT_EQ(a.props.posY, 20);
  EXPECT_EQ(a.props.panelW, 300);
  EXPECT_EQ(a.props.panelH, 200);
  EXPECT_EQ(a.props.comment, "sea,sun [and] sand");
  EXPECT_EQ(s.Next(random).waitMs, 3000);
  const ShowStep b = s.Next(random);
  EXPECT_EQ(b.props.background, -1);
  EXPECT_EQ(b.props.rotate, 270);
  EXPECT_EQ(b.props.zoom, 100);
  EXPECT_EQ(b.props.comment, "");
  EXPECT_EQ(s.Next(random).waitMs, kMinimumWaitMs);  // no W: the shortest wait
}

TEST(ScriptSequencer, StartsAtRunAndWraps) {
  Files f;
  std::string body;
  for (int i = 1; i <= 6; ++i) {
    f.present.insert("/pics/" + std::to_string(i) + ".bmp");
    body += Section(i, "F=" + std::to_string(i) + ".bmp,0\r\nW=1");
  }
  struct Case { const char* run; std::vector<int> order; };
  const Case cases[] = {
      {"5", {5, 6, 1, 2}}, {"1", {1, 2, 3, 4}}, {"0", {1, 2, 3, 4}}, {"99", {1, 2, 3, 4}}, {"x", {1, 2, 3, 4}},
  };
  for (const Case& c : cases) {
    ScriptSequencer s("/s.avl", Header(7, c.run) + body, false, f.Exists(), f.Reader());
    const std::vector<std::string> got = Steps(s, 8);
    std::vector<std::string> want;
    for (int i : c.order) {
      want.push_back("picture:/pics/" + std::to_string(i) + ".bmp");
      want.push_back("wait:1000");
    }
    EXPECT_EQ(got, want) << "RUN=" << c.run;
  }
}

TEST(ScriptSequencer, KindsOfSlides) {
  Files f;
  f.present = {"/pics/s.wav", "/pics/m.mp3", "/pics/v.avi", "/pics/t.txt", "/pics/p.bmp"};
  const std::string script = Header(7) + Section(1, "F=s.wav,0\r\nW=2") + Section(2, "F=m.mp3,0\r\nW=2") +
                             Section(3, "F=v.avi,0") + Section(4, "F=t.txt,0\r\nW=4") +
                             Section(5, "F=------------------------------\r\nX=7\r\nW=1") + Section(6, "F=p.bmp,0");
  ScriptSequencer plain("/s.avl", script, false, f.Exists(), f.Reader());
  EXPECT_EQ(Steps(plain, 11), (std::vector<std::string>{"sound:/pics/s.wav", "wait:2000", "media:/pics/m.mp3",
                                                         "media:/pics/v.avi", "text:/pics/t.txt", "wait:4000",
                                                         "cd:7", "wait:1000", "picture:/pics/p.bmp", "wait:50",
                                                         "sound:/pics/s.wav"}));
  // With the jukebox a sound is a media slide: the show waits for its end, not for W.
  ScriptSequencer jukebox("/s.avl", script, true, f.Exists(), f.Reader());
  EXPECT_EQ(Steps(jukebox, 2), (std::vector<std::string>{"media:/pics/s.wav", "media:/pics/m.mp3"}));
}

TEST(ScriptSequencer, BadScriptsDoNotStart) {
  Files f;
  const struct { const char* what; std::string text; } cases[] = {
      {"no [1]", Header(3)},
      {"empty", ""},
      {"directory out of sequence", "[Header]\r\nN=3\r\n[Directory]\r\n0=/a/\r\n5=/b/\r\n" + Section(1, "F=a,0")},
      {"binary", std::string("\0\xff[1\x80]\0", 7)},
  };
  for (const auto& c : cases) {
    ScriptSequencer s("/s.avl", c.text, false, f.Exists(), f.Reader());
    EXPECT_TRUE(s.Bad()) << c.what;
    ShowStep last;
    EXPECT_EQ(Steps(s, 3, &last), std::vector<std::string>{"stop"}) << c.what;
  }
  ScriptSequencer one("/s.avl", Header(2) + Section(1, "F=a.bmp,0"), false, f.Exists(), f.Reader());
  EXPECT_FALSE(one.Bad());
  EXPECT_TRUE(one.TooFewSlides());
}

TEST(ScriptSequencer, MissingSlidesStopWithTheirReport) {
  Files f;
  f.present = {"/pics/a.bmp"};
  struct Case { const char* what; std::string slide2; std::string report; };
  const Case cases[] = {
      {"missing file", "F=gone.bmp,0", "\nSlide 2 of 2\nFolder: /pics/\nFilename: gone.bmp"},
      {"directory index past the table", "F=a.bmp,99", "\nSlide 2 of 2\nFolder: \nFilename: a.bmp"},
      {"negative directory index", "F=a.bmp,-1", "\nSlide 2 of 2\nFolder: \nFilename: a.bmp"},
      {"not a number", "F=a.bmp,x", "\nSlide 2 of 2\nFolder: \nFilename: a.bmp"},
      {"name with a path", "F=../a.bmp,0", "\nSlide 2 of 2\nFolder: /pics/\nFilename: ../a.bmp"},
  };
  for (const Case& c : cases) {
    ScriptSequencer s("/s.avl", Header(3) + Section(1, "F=a.bmp,0") + Section(2, c.slide2), false, f.Exists(),
                      f.Reader());
    ShowStep last;
    EXPECT_EQ(Steps(s, 5, &last), (std::vector<std::string>{"picture:/pics/a.bmp", "wait:50", "stop"})) << c.what;
    EXPECT_EQ(last.report, c.report) << c.what;
    EXPECT_EQ(last.error, "") << c.what;
  }
  // A script cut short in a section's head, or one whose N promises far more slides than it
  // holds. (Cut inside F before its comma, a slide reads as a CD track: that is the format.)
  const std::pair<std::string, std::string> shortScripts[] = {
      {Header(3) + Section(1, "F=a.bmp,0") + "[2", "\nSlide 2 of 2\nFolder: \nFilename: "},
      {Header(99999999999) + Section(1, "F=a.bmp,0") + Section(2, "F=a.bmp,0"),
       "\nSlide 3 of 99999999998\nFolder: \nFilename: "},
  };
  for (const auto& [text, report] : shortScripts) {
    ScriptSequencer s("/s.avl", text, false, f.Exists(), f.Reader());
    ShowStep last;
    const std::vector<std::string> got = Steps(s, 10, &last);
    ASSERT_FALSE(got.empty());
    EXPECT_EQ(got.back(), "stop");
    EXPECT_EQ(last.report, report);
  }
  // A picture that cannot be loaded reports its own slide.
  ScriptSequencer s("/s.avl", Header(3) + Section(1, "F=a.bmp,0") + Section(2, "F=a.bmp,0"), false, f.Exists(),
                    f.Reader());
  SeededRandom random(1);
  s.Next(random);
  s.Next(random);
  s.Next(random);
  s.SlideFailed();
  EXPECT_EQ(s.Next(random).report, "\nSlide 2 of 2\nFolder: /pics/\nFilename: a.bmp");
}

TEST(ScriptSequencer, MovedFilesAreFoundBesideTheScript) {
  Files f;
  f.present = {"/shows/a.bmp", "/shows/b.bmp"};
  const std::string script =
      Header(3, "1", {"/old/place/"}) + Section(1, "F=a.bmp,0") + Section(2, "F=b.bmp,0");
  int asked = 0;
  FileExistsFn counting = [&](const std::string& p) {
    ++asked;
    return f.present.count(p) > 0;
  };
  ScriptSequencer s("/shows/trip.avl", script, false, counting, f.Reader());
  SeededRandom random(1);
  EXPECT_EQ(s.Next(random).path, "/shows/a.bmp");
  EXPECT_EQ(s.Header().directories[0], "/shows/");
  s.Next(random);
  asked = 0;
  // The directory entry now points beside the script: the next slide is found at the first try.
  EXPECT_EQ(s.Next(random).path, "/shows/b.bmp");
  EXPECT_EQ(asked, 1);
}

TEST(ScriptSequencer, FoldersOfAnotherSystemAreLookedForAboveTheScript) {
  Files f;
  // A stick mounted at /media/stick: the script in its SHOWS folder, the pictures in PICS/2001.
  f.present = {"/media/stick/PICS/2001/a.jpg", "/media/stick/PICS/2001/b.jpg"};
  const std::string script = Header(3, "1", {"e:\\PICS\\2001\\", "c:\\..\\PICS\\2001\\"}) +
                             Section(1, "F=a.jpg,0") + Section(2, "F=b.jpg,0");
  int asked = 0;
  FileExistsFn counting = [&](const std::string& p) {
    ++asked;
    return f.present.count(p) > 0;
  };
  ScriptSequencer s("/media/stick/SHOWS/trip.avl", script, false, counting, f.Reader());
  SeededRandom random(1);
  EXPECT_EQ(s.Next(random).path, "/media/stick/PICS/2001/a.jpg");
  EXPECT_EQ(s.Header().directories[0], "/media/stick/PICS/2001/");
  s.Next(random);
  asked = 0;
  EXPECT_EQ(s.Next(random).path, "/media/stick/PICS/2001/b.jpg");
  EXPECT_EQ(asked, 1);
  // A folder that climbs with ".." is not followed.
  ScriptSequencer up("/media/stick/SHOWS/trip.avl",
                     Header(3, "1", {"c:\\..\\PICS\\2001\\"}) + Section(1, "F=a.jpg,0") + Section(2, "F=b.jpg,0"),
                     false, f.Exists(), f.Reader());
  ShowStep last;
  EXPECT_EQ(Steps(up, 3, &last), std::vector<std::string>{"stop"});
}

TEST(ScriptSequencer, NestedScriptsTakeOverAndLoopsEnd) {
  Files f;
  f.present = {"/pics/a.bmp", "/pics/b.bmp"};
  f.scripts["/pics/inner.avl"] = Header(3, "2") + Section(1, "F=a.bmp,0") + Section(2, "F=b.bmp,0");
  ScriptSequencer outer("/pics/outer.avl", Header(3) + Section(1, "F=a.bmp,0") + Section(2, "F=inner.avl,0"),
                        false, f.Exists(), f.Reader());
  // The inner script starts at its own RUN slide and keeps the show from then on.
  EXPECT_EQ(Steps(outer, 6), (std::vector<std::string>{"picture:/pics/a.bmp", "wait:50", "picture:/pics/b.bmp",
                                                        "wait:50", "picture:/pics/a.bmp", "wait:50"}));
  EXPECT_EQ(outer.ScriptPath(), "/pics/inner.avl");

  // Scripts that only name each other never show a slide: the show ends with the error.
  f.scripts["/pics/ping.avl"] = Header(3) + Section(1, "F=pong.avl,0") + Section(2, "F=pong.avl,0");
  f.scripts["/pics/pong.avl"] = Header(3) + Section(1, "F=ping.avl,0") + Section(2, "F=ping.avl,0");
  ScriptSequencer loop("/pics/ping.avl", f.scripts["/pics/ping.avl"], false, f.Exists(), f.Reader());
  ShowStep last;
  EXPECT_EQ(Steps(loop, 100, &last), std::vector<std::string>{"stop"});
  EXPECT_EQ(last.error, kBadAvlText);

  // A nested script that is bad or unreadable ends the show after what was shown.
  f.scripts["/pics/bad.avl"] = "no slides";
  f.present.insert("/pics/unreadable.avl");
  for (const char* name : {"bad.avl", "unreadable.avl"}) {
    ScriptSequencer s("/pics/o.avl", Header(3) + Section(1, "F=a.bmp,0") + Section(2, std::string("F=") + name + ",0"),
                      false, f.Exists(), f.Reader());
    EXPECT_EQ(Steps(s, 5, &last), (std::vector<std::string>{"picture:/pics/a.bmp", "wait:50", "stop"})) << name;
    EXPECT_EQ(last.error, kBadAvlText) << name;
  }
}

Dib Solid(int w, int h, ColorValue c) {
  Dib d(w, h, 24);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) d.SetPixel(x, y, c);
  return d;
}

TEST(PlaceScriptPicture, SizeAndPlace) {
  struct Case {
    const char* what;
    int w, h;
    SlideProps props;
    TRect expected;
  };
  auto props = [](int zoom, int px, int py, int uw, int uh, int rotate = 0) {
    SlideProps p;
    p.script = true;
    p.zoom = zoom;
    p.posX = px;
    p.posY = py;
    p.panelW = uw;
    p.panelH = uh;
    p.rotate = rotate;
    return p;
  };
  const Case cases[] = {
      {"no properties: fitted and centred", 100, 50, props(100, -1, -1, 0, 0), {0, 100, 400, 300}},
      {"zoom 50 at P", 100, 50, props(50, 10, 20, 0, 0), {10, 20, 60, 45}},
      {"P past the edge: centred", 100, 50, props(50, 390, 20, 0, 0), {175, 20, 225, 45}},
      {"huge zoom: fitted, not allocated", 100, 50, props(30000, -1, -1, 0, 0), {0, 100, 400, 300}},
      {"panel", 100, 50, props(100, 0, 0, 80, 80), {0, 0, 80, 40}},
      {"panel as large as the window is no panel", 100, 50, props(50, 0, 0, 400, 80), {0, 0, 50, 25}},
      {"rotation turns the size", 100, 50, props(50, 0, 0, 0, 0, 90), {0, 0, 25, 50}},
  };
  for (const Case& c : cases) {
    const PlacedPicture placed = PlaceScriptPicture(Solid(c.w, c.h, 0x00FF00), c.props, 400, 400, 0);
    EXPECT_EQ(placed.rect.left, c.expected.left) << c.what;
    EXPECT_EQ(placed.rect.top, c.expected.top) << c.what;
    EXPECT_EQ(placed.rect.right, c.expected.right) << c.what;
    EXPECT_EQ(placed.rect.bottom, c.expected.bottom) << c.what;
    EXPECT_EQ(placed.picture.width, placed.rect.Width()) << c.what;
  }
}

TEST(PlaceScriptPicture, TwoColourPicturesKeepTheirColoursWhenScaled) {
  Palette two;
  two.push_back(RgbQuad{0, 0, 255, 0});  // red
  two.push_back(RgbQuad{255, 0, 0, 0});  // blue
  Dib d(10, 10, 1, two);
  SlideProps script;
  script.script = true;
  for (const Surface& s : {PlacePicture(d, 40, 40).picture, PlaceScriptPicture(d, script, 40, 40, 0).picture}) {
    ASSERT_EQ(s.width, 40);
    EXPECT_EQ(s.Row(20)[20] & 0xFFFFFF, 0xFF0000u);
  }
}

TEST(PlaceScriptPicture, RotationIsClockwiseWithTheBackgroundInTheCorners) {
  // A 2 x 1 picture, red left, blue right: turned 90 degrees clockwise red is on top.
  Dib d(2, 1, 24);
  d.SetPixel(0, 0, 0xFF0000);
  d.SetPixel(1, 0, 0x0000FF);
  SlideProps p;
  p.script = true;
  p.rotate = 90;
  p.panelW = 1;  // a panel of its turned size keeps it unscaled
  p.panelH = 2;
  const PlacedPicture placed = PlaceScriptPicture(d, p, 10, 10, 0x00FF00);
  ASSERT_EQ(placed.picture.width, 1);
  ASSERT_EQ(placed.picture.height, 2);
  EXPECT_EQ(placed.picture.Row(0)[0] & 0xFFFFFF, 0xFF0000u);
  EXPECT_EQ(placed.picture.Row(1)[0] & 0xFFFFFF, 0x0000FFu);
}

TEST(TextPanelRect, EdgesPanelsAndZoom) {
  SlideProps none;
  SlideProps panel;
  panel.panelW = 200;
  panel.panelH = 100;
  panel.posX = 30;
  panel.posY = 40;
  SlideProps zoom;
  zoom.zoom = 50;
  SlideProps tooBig;
  tooBig.panelW = 5000;
  tooBig.panelH = 5000;
  tooBig.posX = 10;
  tooBig.posY = 10;
  struct Case { const char* what; SlideProps p; int position; TRect r; };
  const Case cases[] = {
      {"top", none, 1, {0, 0, 800, 48}},         {"bottom", none, 2, {0, 552, 800, 600}},
      {"whole window", none, 0, {0, 0, 800, 600}}, {"panel at P", panel, 0, {30, 40, 230, 140}},
      {"zoom centred", zoom, 0, {200, 150, 600, 450}}, {"clamped, centred", tooBig, 0, {0, 0, 800, 600}},
  };
  for (const Case& c : cases) {
    const TRect r = TextPanelRect(c.p, c.position, 800, 600);
    EXPECT_EQ(std::vector<int>({r.left, r.top, r.right, r.bottom}),
              std::vector<int>({c.r.left, c.r.top, c.r.right, c.r.bottom}))
        << c.what;
  }
}

}  // namespace
}  // namespace pelira
