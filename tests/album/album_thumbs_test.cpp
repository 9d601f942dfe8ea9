#include <gtest/gtest.h>

#include "album/album_add.h"
#include "album/album_thumbs.h"
#include "album_test_util.h"
#include "image/bmp_graphic.h"
#include "platform/progress.h"
#include "support/test_pictures.h"
#include "support/test_support.h"

namespace pelira {
namespace {

namespace fs = std::filesystem;
using test::TempDir;

std::string WriteBmp(const fs::path& p, int w, int h) {
  fs::create_directories(p.parent_path());
  const Bytes b = SaveWorkingBitmapBmp(test::PatternPicture(w, h));
  test::WriteBytes(p, std::vector<std::uint8_t>(b.begin(), b.end()));
  return p.string();
}

struct AlbumFixture {
  TempDir dir;
  AlbumStore store;
  ThumbCache cache{dir / "data"};
  test::FakeVolumes volumes;

  void Add(const std::vector<std::string>& paths) {
    AddRequest req;
    req.paths = paths;
    req.mode = AddMode::InOrder;
    req.volumes = &volumes;
    AddSlides(store, req);
  }
  // Background thumbnailing as the window runs it: jobs to a pool, results applied here.
  void RunBackground(int workers = 2) {
    ThumbPool pool(workers);
    pool.Submit(PendingThumbJobs(store, cache));
    pool.WaitIdle();
    for (const ThumbDone& d : pool.TakeResults()) ApplyThumbResult(store, d);
  }
};

TEST(AlbumThumbs, BackgroundRunFillsRecordsAndCache) {
  AlbumFixture f;
  f.Add({WriteBmp(f.dir / "pics" / "A.bmp", 40, 30), WriteBmp(f.dir / "pics" / "a.bmp", 10, 10),
         test::MakeFile(f.dir / "pics" / "s.wav", 100), test::MakeFile(f.dir / "pics" / "empty.bmp", 0),
         test::MakeFile(f.dir / "pics" / "bad.bmp", 100)});
  f.RunBackground();
  struct Case {
    std::size_t pos;
    std::int16_t state;
    int w, h;
  };
  const Case cases[] = {{0, kThumbDone, 40, 30},
                        {1, kThumbDone, 10, 10},
                        {2, kThumbDone, 0, 0},
                        {3, kThumbPending, 0, 0},  // size 0: never thumbnailed
                        {4, kThumbFailed, 0, 0}};
  for (const Case& c : cases) {
    const SlideRecord& r = f.store.At(c.pos);
    EXPECT_EQ(r.thumbState, c.state) << c.pos;
    EXPECT_EQ(r.width, c.w) << c.pos;
    EXPECT_EQ(r.height, c.h) << c.pos;
  }
  // Names differ only in case: two thumbnails, in the folder's subfolder; the WAV shares one.
  SlideRecord& upper = f.store.MutableAt(0);
  SlideRecord& lower = f.store.MutableAt(1);
  EXPECT_NE(upper.ThumbName(), lower.ThumbName());
  EXPECT_EQ(upper.Subfolder(), lower.Subfolder());
  const auto id = SlideThumbIdentity(f.store, upper);
  ASSERT_TRUE(id);
  EXPECT_EQ(id->volume, "PHOTOS.1B2C3D4E");
  EXPECT_EQ(upper.ThumbName(), ThumbFileName(*id));
  EXPECT_EQ(ThumbCache::Check(SlideThumbPath(f.store, upper, f.cache).file), ThumbFileState::Present);
  EXPECT_EQ(ThumbCache::Check(f.cache.Root() / "WAV"), ThumbFileState::Present);
  // Nothing is left to do.
  EXPECT_TRUE(PendingThumbJobs(f.store, f.cache).empty());
}

TEST(AlbumThumbs, NamesFromSideFilesAreUsedOnlyInTheCacheShapes) {
  AlbumFixture f;
  f.Add({WriteBmp(f.dir / "pics" / "x.bmp", 20, 20)});
  test::WriteText(f.dir / "outside", "keep");
  struct Case {
    const char* sub;
    const char* name;
  };
  const Case cases[] = {{"..", "outside"}, {"2D00D7BC", "../../../outside"}, {"", ""}, {"2d00d7bc", "ADBB0502.02B"}};
  for (const Case& c : cases) {
    SlideRecord& r = f.store.MutableAt(0);
    r.SetSubfolder(c.sub);
    r.SetThumbName(c.name);
    r.thumbState = kThumbDone;
    // Redo deletes only inside the cache.
    f.store.SetSelected(0, true);
    EXPECT_EQ(RedoSelectedThumbs(f.store, f.cache), 1u);
    const SlideThumbPlace place = SlideThumbPath(f.store, r, f.cache);
    EXPECT_EQ(place.file.parent_path().parent_path(), f.cache.Root()) << c.sub << "/" << c.name;
    EXPECT_TRUE(IsThumbFileName(r.ThumbName()));
    EXPECT_TRUE(fs::exists(f.dir / "outside"));
    EXPECT_EQ(r.thumbState, kThumbPending);
  }
}

TEST(AlbumThumbs, DrawingRules) {
  AlbumFixture f;
  f.Add({WriteBmp(f.dir / "pics" / "x.bmp", 20, 20)});
  f.RunBackground();
  const fs::path file = SlideThumbPath(f.store, f.store.MutableAt(0), f.cache).file;
  struct Case {
    bool present;
    std::int16_t before;
    std::int16_t after;
    bool drawsFile;
    bool drawsFailed;
  };
  const Case cases[] = {
      {true, kThumbDone, kThumbDone, true, false},     {true, kThumbPending, kThumbDone, true, false},
      {false, kThumbDone, kThumbPending, false, false}, {false, kThumbRetry, kThumbPending, false, false},
      {false, kThumbFailed, kThumbFailed, false, true}, {false, kThumbPending, kThumbPending, false, false},
  };
  const auto stored = ThumbCache::Read(file);
  ASSERT_TRUE(stored);
  for (const Case& c : cases) {
    if (c.present) ASSERT_TRUE(ThumbCache::Write(file, *stored));
    else ThumbCache::Remove(file);
    f.store.MutableAt(0).thumbState = c.before;
    const fs::path drawn = ThumbToDraw(f.store, 0, f.cache);
    EXPECT_EQ(f.store.At(0).thumbState, c.after) << c.before << " present " << c.present;
    EXPECT_EQ(drawn == file, c.drawsFile) << c.before << " present " << c.present;
    EXPECT_EQ(drawn.filename() == "00000004", c.drawsFailed) << c.before << " present " << c.present;
  }
}

TEST(AlbumThumbs, CheckThumbsRemakesLostOnesAndSelectsFailures) {
  AlbumFixture f;
  f.Add({WriteBmp(f.dir / "pics" / "one.bmp", 30, 20)});
  // A single slide is thumbnailed too (nothing skips the first or the last).
  f.RunBackground(1);
  ASSERT_EQ(f.store.At(0).thumbState, kThumbDone);
  f.Add({WriteBmp(f.dir / "pics" / "two.bmp", 64, 48), test::MakeFile(f.dir / "pics" / "bad.bmp", 50),
         WriteBmp(f.dir / "pics" / "big.bmp", 30, 30)});
  // A picture too large for background work is left for the check.
  f.store.MutableAt(3).thumbState = kThumbRetry;
  // The cache was killed meanwhile: "done" slides whose thumbnails are gone are made again.
  ASSERT_TRUE(f.cache.KillAll());
  HeadlessProgress progress(kCheckThumbsTitle);
  const CheckThumbsOutcome out = CheckThumbs(f.store, f.cache, &progress, 2);
  EXPECT_FALSE(out.cancelled);
  EXPECT_EQ(out.made, 3u);
  EXPECT_EQ(out.failed, 1u);
  EXPECT_EQ(f.store.At(0).thumbState, kThumbDone);
  EXPECT_EQ(f.store.At(1).thumbState, kThumbDone);
  EXPECT_EQ(f.store.At(2).thumbState, kThumbFailed);
  EXPECT_EQ(f.store.At(3).thumbState, kThumbDone);
  EXPECT_EQ(f.store.SelectedPositions(), std::vector<std::size_t>{2});
  const auto& statuses = progress.Record()->statuses;
  ASSERT_FALSE(statuses.empty());
  EXPECT_EQ(statuses.back().rfind("100% thumbnailed.  ", 0), 0u) << statuses.back();
  EXPECT_EQ(InvalidThumbsText(1),
            "1 invalid thumbnails found; these items may interfere with\naccurate image matches and ranks. "
            "Review and \"cut\" these\nitems from album (recommended).  Review/relocate selection?");
}

TEST(AlbumThumbs, CheckThumbsStopsOnCancel) {
  AlbumFixture f;
  std::vector<std::string> paths;
  // Enough work that one worker cannot have finished it all by the first look at the
  // progress, however the two threads are scheduled on a busy machine.
  constexpr int kCount = 60;
  for (int i = 0; i < kCount; ++i)
    paths.push_back(WriteBmp(f.dir / "pics" / ("p" + std::to_string(i) + ".bmp"), 400, 300));
  f.Add(paths);
  HeadlessProgress progress("x", [] { Flags().AbortRequest = true; });
  const CheckThumbsOutcome out = CheckThumbs(f.store, f.cache, &progress, 1);
  Flags().AbortRequest = false;
  EXPECT_TRUE(out.cancelled);
  EXPECT_LT(out.made, static_cast<std::size_t>(kCount));
}

TEST(AlbumThumbs, Texts) {
  EXPECT_EQ(ThumbsPercentText(7), "Thumbs:7%");
  EXPECT_EQ(ThumbsPercentText(100), "Thumbs:100%");
  CacheInfo info;
  info.root = "/d/pl00F846.thd";
  info.files = 3;
  info.bytes = 3 * 63558;
  EXPECT_EQ(CacheInfoText(info), "Thumbnail cache: /d/pl00F846.thd\n3 files, 186.2 KB");
}

}  // namespace
}  // namespace pelira
