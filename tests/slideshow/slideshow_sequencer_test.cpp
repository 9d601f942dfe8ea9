// The instant show's order of actions over a bookmark snapshot.
#include <gtest/gtest.h>

#include <set>

#include "slideshow/slideshow_sequencer.h"

namespace pelira {
namespace {

std::vector<std::string> Files(int n) {
  std::vector<std::string> v;
  for (int i = 0; i < n; ++i) v.push_back("/pics/p" + std::to_string(i) + ".jpg");
  return v;
}

bool AllExist(const std::string&) { return true; }

// The bookmark index of each picture shown, over `slides` pictures.
std::vector<std::size_t> Walk(SlideshowSequencer& s, int slides) {
  SeededRandom r(1);
  std::vector<std::size_t> shown;
  while (static_cast<int>(shown.size()) < slides) {
    const ShowStep st = s.Next(r);
    if (st.action == ShowAction::Stop) break;
    if (st.action == ShowAction::ShowPicture) shown.push_back(s.Index());
  }
  return shown;
}

TEST(SlideshowSequencer, StartsAfterTheCurrentBookmarkAndWraps) {
  SlideshowSequencer fromZero(Files(3), 0, {}, 1000, AllExist);
  EXPECT_EQ(Walk(fromZero, 4), (std::vector<std::size_t>{0, 1, 2, 0}));
  SlideshowSequencer fromThree(Files(10), 3, {}, 1000, AllExist);
  EXPECT_EQ(Walk(fromThree, 8), (std::vector<std::size_t>{4, 5, 6, 7, 8, 9, 0, 1}));
  // An index past the end (the list shrank) counts as the last entry.
  SlideshowSequencer past(Files(3), 7, {}, 1000, AllExist);
  EXPECT_EQ(Walk(past, 2), (std::vector<std::size_t>{0, 1}));
}

TEST(SlideshowSequencer, EachPictureIsFollowedByItsWaitAndMediaHaveNone) {
  std::vector<std::string> files = {"/a/one.jpg", "/a/two.mp3", "/a/three.png"};
  SlideshowSequencer s(files, 0, {8}, 0, AllExist);
  SeededRandom r(1);
  const std::vector<std::pair<ShowAction, std::string>> expect = {
      {ShowAction::ShowPicture, "/a/one.jpg"}, {ShowAction::Wait, ""}, {ShowAction::PlayMedia, "/a/two.mp3"},
      {ShowAction::ShowPicture, "/a/three.png"}, {ShowAction::Wait, ""}, {ShowAction::ShowPicture, "/a/one.jpg"}};
  for (const auto& [action, path] : expect) {
    const ShowStep st = s.Next(r);
    ASSERT_EQ(st.action, action) << path;
    EXPECT_EQ(st.path, path);
    if (action == ShowAction::Wait) EXPECT_EQ(st.waitMs, kMinimumWaitMs);  // a delay below 1 waits 50 ms
    if (action == ShowAction::ShowPicture) EXPECT_EQ(st.effectEntry, 8);
  }
  SlideshowSequencer timed(files, 0, {}, 4000, AllExist);
  timed.Next(r);
  EXPECT_EQ(timed.Next(r).waitMs, 4000);
}

TEST(SlideshowSequencer, CaptionsAndEffectsFromTheSelection) {
  SlideshowSequencer s(Files(4), 1, {40, 172}, 100, AllExist);
  SeededRandom r(9);
  std::set<int> effects;
  const ShowStep first = s.Next(r);
  EXPECT_EQ(first.caption, "Slide 3 of 4 \n /pics/p2.jpg");
  effects.insert(first.effectEntry);
  for (int i = 0; i < 60; ++i) {
    const ShowStep st = s.Next(r);
    if (st.action == ShowAction::ShowPicture) effects.insert(st.effectEntry);
  }
  EXPECT_EQ(effects, (std::set<int>{40, 172}));
  SlideshowSequencer none(Files(2), 0, {}, 100, AllExist);
  EXPECT_EQ(none.Next(r).effectEntry, 1);  // nothing selected: Randomize ALL
}

TEST(SlideshowSequencer, MissingOrFailingSlidesStopWithTheirReport) {
  // Two slides, the second missing: the first shows, then the report names slide 2.
  const std::vector<std::string> files = {"/pics/here.jpg", "/pics/gone/away.jpg"};
  SlideshowSequencer s(files, 0, {}, 100, [](const std::string& p) { return p == "/pics/here.jpg"; });
  SeededRandom r(1);
  EXPECT_EQ(s.Next(r).action, ShowAction::ShowPicture);
  EXPECT_EQ(s.Next(r).action, ShowAction::Wait);
  const ShowStep stop = s.Next(r);
  ASSERT_EQ(stop.action, ShowAction::Stop);
  EXPECT_EQ(stop.report, "\nSlide 2 of 2\nFolder: /pics/gone\nFilename: away.jpg");
  EXPECT_EQ(MissingSlideWarning(stop.report),
            "Missing or unsupported file in slideshow.\nPlease see FAQ to resolve this problem.\n"
            "\nSlide 2 of 2\nFolder: /pics/gone\nFilename: away.jpg");
  EXPECT_EQ(s.Next(r).action, ShowAction::Stop);  // stays stopped

  SlideshowSequencer f(Files(3), 0, {}, 100, AllExist);
  EXPECT_EQ(f.Next(r).action, ShowAction::ShowPicture);
  f.SlideFailed();  // the picture would not load: no wait, the report names it
  const ShowStep failed = f.Next(r);
  EXPECT_EQ(failed.action, ShowAction::Stop);
  EXPECT_EQ(failed.report, "\nSlide 1 of 3\nFolder: /pics\nFilename: p0.jpg");
}

TEST(SlideshowSequencer, FewerThanTwoSlidesDoNotStart) {
  EXPECT_TRUE(SlideshowSequencer({}, 0, {}, 0, AllExist).TooFewSlides());
  EXPECT_TRUE(SlideshowSequencer(Files(1), 0, {}, 0, AllExist).TooFewSlides());
  EXPECT_FALSE(SlideshowSequencer(Files(2), 0, {}, 0, AllExist).TooFewSlides());
  SlideshowSequencer empty({}, 0, {}, 0, AllExist);
  SeededRandom r(1);
  EXPECT_EQ(empty.Next(r).action, ShowAction::Stop);
}

TEST(SlideshowSequencer, RandomizeAllNeverRepeatsTheKindItDrew) {
  SlideshowSequencer s(Files(2), 0, {}, 0, AllExist);
  SeededRandom r(5);
  int previous = -1;
  for (int i = 0; i < 200; ++i) {
    const TransitionEffect fx = s.EffectFor(1, 640, 480, 1, 640, r);
    if (previous >= 1 && previous <= 17) {
      EXPECT_NE(fx.kind, previous);
    }
    previous = fx.kind;
  }
  EXPECT_EQ(s.EffectFor(8, 60, 400, 1, 640, r).kind, 0);  // too narrow for a transition
}

}  // namespace
}  // namespace pelira
