// The explorer's thumbnails come from the shared cache: made in the background on the first
// ask (the list shows the kind icon meanwhile), read from the cache afterwards.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "explorer/cache_thumbnails.h"
#include "image/bmp_graphic.h"
#include "support/test_pictures.h"
#include "support/test_support.h"
#include "thumbs/thumb_names.h"

namespace pelira {
namespace {

TEST(CacheThumbnails, MadeInTheBackgroundThenReadFromTheCache) {
  test::TempDir dir;
  const auto picture = dir / "p.bmp";
  test::WriteBytes(picture, SaveWorkingBitmapBmp(test::PatternPicture(400, 300)));
  test::WriteText(dir / "song.wav", "RIFF");
  std::atomic<int> ready{0};
  CacheThumbnailSource source([&] { ++ready; }, ThumbCache(dir / "data"));

  EXPECT_FALSE(source.Thumbnail(picture.string(), kThumbWidth, kThumbHeight, 0).has_value());
  std::optional<Dib> thumb;
  for (int i = 0; i < 2000 && !thumb; ++i) {  // until the worker wrote it (never a timing check)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
    thumb = source.Thumbnail(picture.string(), kThumbWidth, kThumbHeight, 0);
  }
  ASSERT_TRUE(thumb.has_value());
  EXPECT_EQ(thumb->Width(), kThumbWidth);
  EXPECT_EQ(thumb->Height(), kThumbHeight);
  EXPECT_GE(ready.load(), 1);
  // Smaller cells get the reduced thumbnail; kinds without pictures keep their icon.
  const auto small = source.Thumbnail(picture.string(), 64, 48, 0);
  ASSERT_TRUE(small.has_value());
  EXPECT_EQ(small->Width(), 64);
  EXPECT_FALSE(source.Thumbnail((dir / "song.wav").string(), kThumbWidth, kThumbHeight, 0).has_value());
  EXPECT_FALSE(source.Thumbnail((dir / "missing.bmp").string(), kThumbWidth, kThumbHeight, 0).has_value());
  // Forget drops it from the cache: asked again, it is made again.
  source.Forget(picture.string());
  EXPECT_FALSE(source.Thumbnail(picture.string(), kThumbWidth, kThumbHeight, 0).has_value());
}

}  // namespace
}  // namespace pelira
