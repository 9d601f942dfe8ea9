#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <map>

#include "image/bmp_graphic.h"
#include "support/test_pictures.h"
#include "support/test_support.h"
#include "thumbs/thumb_builder.h"
#include "thumbs/thumb_cache.h"
#include "thumbs/thumb_names.h"
#include "thumbs/thumb_pool.h"

namespace pelira {
namespace {

namespace fs = std::filesystem;
using test::ReadBytes;
using test::TempDir;
using test::WriteBytes;

std::vector<std::uint8_t> Valid() {
  const std::string s = EncodeThumbnail(ThumbnailOf(test::PatternPicture(40, 30)));
  return std::vector<std::uint8_t>(s.begin(), s.end());
}

TEST(ThumbCache, StoredBytesAreAPlainBmp) {
  const auto b = Valid();
  ASSERT_EQ(b.size(), 63558u);
  // The file and info headers an independent reader expects of a 24-bit bottom-up bitmap.
  auto u32 = [&](std::size_t o) { return b[o] | b[o + 1] << 8 | b[o + 2] << 16 | std::uint32_t{b[o + 3]} << 24; };
  EXPECT_EQ(b[0], 'B');
  EXPECT_EQ(b[1], 'M');
  EXPECT_EQ(u32(2), 63558u);
  EXPECT_EQ(u32(10), 54u);
  EXPECT_EQ(u32(14), 40u);
  EXPECT_EQ(u32(18), 168u);
  EXPECT_EQ(u32(22), 126u);
  EXPECT_EQ(b[28], 24);
  EXPECT_EQ(u32(30), 0u);
  const auto d = DecodeThumbnail(std::string_view(reinterpret_cast<const char*>(b.data()), b.size()));
  ASSERT_TRUE(d);
  EXPECT_TRUE(test::SamePixels(*d, ThumbnailOf(test::PatternPicture(40, 30))));
}

TEST(ThumbCache, AnythingButTheBuildersBytesIsAbsent) {
  TempDir dir;
  const auto valid = Valid();
  auto changed = [&](std::size_t at, std::uint8_t v) {
    auto b = valid;
    b[at] = v;
    return b;
  };
  auto cut = valid;
  cut.pop_back();
  auto longer = valid;
  longer.push_back(0);
  WriteBytes(dir / "valid", valid);
  WriteBytes(dir / "cut", cut);
  WriteBytes(dir / "longer", longer);
  WriteBytes(dir / "small", std::vector<std::uint8_t>(300, 0xFF));  // > 256 bytes, yet not a thumbnail
  WriteBytes(dir / "topdown", changed(25, 0xFF));                   // height -126 (top-down)
  WriteBytes(dir / "depth8", changed(28, 8));
  WriteBytes(dir / "offset", changed(10, 55));
  WriteBytes(dir / "notbmp", changed(0, 'X'));
  fs::create_symlink(dir / "valid", dir / "link");
  ASSERT_EQ(::mkfifo((dir / "fifo").c_str(), 0644), 0);
  fs::create_directory(dir / "folder");
  struct Case {
    const char* name;
    ThumbFileState state;
  };
  const Case cases[] = {
      {"valid", ThumbFileState::Present},  {"cut", ThumbFileState::Invalid},    {"longer", ThumbFileState::Invalid},
      {"small", ThumbFileState::Invalid},  {"topdown", ThumbFileState::Invalid}, {"depth8", ThumbFileState::Invalid},
      {"offset", ThumbFileState::Invalid}, {"notbmp", ThumbFileState::Invalid},  {"link", ThumbFileState::Invalid},
      {"fifo", ThumbFileState::Invalid},   {"folder", ThumbFileState::Invalid},  {"none", ThumbFileState::Missing},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ThumbCache::Check(dir / c.name), c.state) << c.name;
    EXPECT_EQ(ThumbCache::Read(dir / c.name).has_value(), c.state == ThumbFileState::Present) << c.name;
  }
  // Removing an invalid entry takes the link, never its target.
  for (const Case& c : cases) {
    EXPECT_EQ(ThumbCache::PresentOrRemove(dir / c.name), c.state == ThumbFileState::Present) << c.name;
    if (c.state == ThumbFileState::Invalid) EXPECT_FALSE(fs::exists(fs::symlink_status(dir / c.name))) << c.name;
  }
  EXPECT_EQ(ReadBytes(dir / "valid"), valid);
}

TEST(ThumbCache, WritesNeverFollowLinks) {
  TempDir dir;
  ThumbCache cache(dir.path());
  ASSERT_TRUE(cache.EnsureFolders("2D00D7BC"));
  test::WriteText(dir / "victim", "keep me");
  const fs::path target = cache.PathOf("2D00D7BC", "ADBB0502.02B");
  fs::create_symlink(dir / "victim", target);
  ASSERT_TRUE(ThumbCache::Write(target, ThumbnailOf(test::PatternPicture(8, 8))));
  EXPECT_EQ(ThumbCache::Check(target), ThumbFileState::Present);
  EXPECT_FALSE(fs::is_symlink(target));
  const auto victim = ReadBytes(dir / "victim");
  EXPECT_EQ(std::string(victim.begin(), victim.end()), "keep me");
  // A subfolder that is a link to elsewhere is not a cache folder.
  fs::create_directory(dir / "elsewhere");
  fs::create_directory_symlink(dir / "elsewhere", cache.Root() / "3E969171");
  EXPECT_FALSE(cache.EnsureFolders("3E969171"));
  // Only the cache's shapes are joined to the root.
  for (auto [sub, name] : std::vector<std::pair<std::string, std::string>>{
           {"..", "ADBB0502.02B"}, {"2D00D7BC", "../../victim"}, {"2D00D7BC", ""}, {"", "../victim"}, {"", ""}})
    EXPECT_TRUE(cache.PathOf(sub, name).empty()) << sub << "/" << name;
  // Kill all removes the subfolders and the link, never what a link points at.
  test::WriteText(dir / "elsewhere" / "precious", "x");
  EXPECT_TRUE(cache.KillAll());
  EXPECT_FALSE(fs::exists(cache.Root() / "2D00D7BC"));
  EXPECT_FALSE(fs::exists(fs::symlink_status(cache.Root() / "3E969171")));
  EXPECT_TRUE(fs::exists(dir / "elsewhere" / "precious"));
}

TEST(ThumbCache, InfoCountsTheFiles) {
  TempDir dir;
  ThumbCache cache(dir.path());
  EXPECT_EQ(cache.Info().files, 0u);
  ASSERT_TRUE(cache.EnsureFolders("2D00D7BC"));
  ASSERT_TRUE(ThumbCache::Write(cache.PathOf("2D00D7BC", "ADBB0502.02B"), BlankThumbnail()));
  ASSERT_TRUE(ThumbCache::Write(cache.PathOf("", "WAV"), BlankThumbnail()));
  const CacheInfo info = cache.Info();
  EXPECT_EQ(info.root, dir.path() / "pl00F846.thd");
  EXPECT_EQ(info.files, 2u);
  EXPECT_EQ(info.bytes, 2u * 63558u);
}

// Pictures of several kinds and sizes, some broken, in one folder.
std::vector<std::string> MakePictures(const fs::path& dir) {
  std::vector<std::string> paths;
  for (int i = 0; i < 14; ++i) {
    const Dib pic = test::PatternPicture(30 + 37 * i, 20 + 23 * i, i);
    const Bytes b = SaveWorkingBitmapBmp(pic);
    const fs::path p = dir / ("p" + std::to_string(i) + ".bmp");
    WriteBytes(p, std::vector<std::uint8_t>(b.begin(), b.end()));
    paths.push_back(p.string());
  }
  WriteBytes(dir / "broken.bmp", {'B', 'M', 1, 2});
  paths.push_back((dir / "broken.bmp").string());
  paths.push_back(test::Fixture("thumbs/photo_400x300.jpg").string());
  return paths;
}

std::map<std::string, std::vector<std::uint8_t>> RunPool(const std::vector<std::string>& pictures,
                                                          const fs::path& data, int workers,
                                                          std::map<std::uint64_t, ThumbStatus>* statuses) {
  ThumbCache cache(data);
  ThumbPool pool(workers);
  std::vector<ThumbJob> jobs;
  for (std::size_t i = 0; i < pictures.size(); ++i) {
    ThumbJob j;
    j.id = i;
    j.source = pictures[i];
    j.subfolder = "2D00D7BC";
    j.cacheRoot = cache.Root();
    j.target = cache.PathOf(j.subfolder, ThumbFileName({"", pictures[i], 1, 2, 3}));
    jobs.push_back(j);
  }
  pool.Submit(jobs);
  pool.WaitIdle();
  for (const ThumbDone& d : pool.TakeResults()) (*statuses)[d.id] = d.status;
  std::map<std::string, std::vector<std::uint8_t>> files;
  for (const auto& e : fs::directory_iterator(cache.Root() / "2D00D7BC"))
    files[e.path().filename().string()] = ReadBytes(e.path());
  return files;
}

TEST(ThumbPool, ManyWorkersGiveTheSameCacheAsOne) {
  TempDir dir;
  fs::create_directory(dir / "pics");
  const auto pictures = MakePictures(dir / "pics");
  std::map<std::uint64_t, ThumbStatus> serial, parallel;
  const auto one = RunPool(pictures, dir / "one", 1, &serial);
  const auto four = RunPool(pictures, dir / "four", 4, &parallel);
  EXPECT_EQ(one.size(), pictures.size() - 1);  // the broken one has none
  EXPECT_EQ(one, four);
  EXPECT_EQ(serial, parallel);
  EXPECT_EQ(serial.size(), pictures.size());
  EXPECT_EQ(serial[pictures.size() - 2], ThumbStatus::Failed);
}

TEST(ThumbPool, CancelDropsQueuedWorkAndStaleResults) {
  TempDir dir;
  fs::create_directory(dir / "pics");
  const auto pictures = MakePictures(dir / "pics");
  ThumbCache cache(dir.path());
  ThumbPool pool(1);
  std::vector<ThumbJob> jobs;
  for (std::size_t i = 0; i < pictures.size(); ++i) {
    ThumbJob j;
    j.id = i;
    j.source = pictures[i];
    j.subfolder = "2D00D7BC";
    j.cacheRoot = cache.Root();
    j.target = cache.PathOf(j.subfolder, ThumbFileName({"", pictures[i], 1, 2, 3}));
    jobs.push_back(j);
  }
  pool.Submit(jobs);
  const std::uint64_t before = pool.Generation();
  pool.Stop();
  EXPECT_TRUE(pool.Idle());
  EXPECT_GT(pool.Generation(), before);
  EXPECT_TRUE(pool.TakeResults().empty());
  // The pool still works afterwards, urgent jobs included.
  pool.Submit(jobs[3]);
  pool.Submit(jobs[5], true);
  pool.WaitIdle();
  const auto results = pool.TakeResults();
  ASSERT_EQ(results.size(), 2u);
  EXPECT_TRUE(results[0].written && results[1].written);
}

}  // namespace
}  // namespace pelira
