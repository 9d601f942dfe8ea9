#include "album/slide_record.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>

#include "album/album_add.h"

namespace pelira {
namespace {

TEST(SlideRecord, DefaultsFollowTheKindOfTheExtension) {
  struct Case {
    const char* ext;
    std::int32_t bg;
    std::int16_t effect, gamma, zoom, pos, rotate;
  } cases[] = {
      {".JPG", -2, 0, 100, 100, -2, 0},
      {".jpeg", -2, 0, 100, 100, -2, 0},  // kinds ignore case
      {".MP3", -1, -1, -1, -1, -1, -1},
      {".MI", -1, -1, -1, -1, -1, -1},    // a fragment of ".MID" counts as audio
      {".AVI", -2, -1, -1, 100, -2, 0},
      {".xyz", -2, -1, -1, 100, -2, 0},
      {"", -2, -1, -1, 100, -2, 0},       // no extension is no kind
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.ext);
    const SlideRecord r = MakeSlideRecord(c.ext, FileFacts{}, 7);
    EXPECT_EQ(r.background, c.bg);
    EXPECT_EQ(r.effect, c.effect);
    EXPECT_EQ(r.gamma, c.gamma);
    EXPECT_EQ(r.zoom, c.zoom);
    EXPECT_EQ(r.posX, c.pos);
    EXPECT_EQ(r.panelH, c.pos);
    EXPECT_EQ(r.rotate, c.rotate);
    EXPECT_EQ(r.wait, 1);
    EXPECT_EQ(r.thumbState, kThumbPending);
    EXPECT_EQ(r.crc, -1);
    EXPECT_EQ(r.orderKey, 7);
    EXPECT_EQ(r.Ext(), c.ext);
  }
}

TEST(SlideRecord, AspectIsZeroWhenTheHeightIsZero) {
  SlideRecord r = ZeroRecord();
  r.width = 640;
  r.height = 0;
  EXPECT_EQ(r.Aspect(), 0);
  r.height = 480;
  EXPECT_EQ(r.Aspect(), 133);
}

TEST(SlideRecord, DosDateMatchesThePackingOfLocalTime) {
  // python3: ((y-1980)<<25)|(m<<21)|(d<<16)|(h<<11)|(mi<<5)|s//2
  EXPECT_EQ(PackDosDate(2024, 5, 17, 13, 45, 31), 0x58B16DAF);
  EXPECT_EQ(PackDosDate(1979, 12, 31, 23, 59, 59), 0);
  EXPECT_EQ(PackDosDate(2100, 1, 1, 0, 0, 0), 0);
  // From 2044 the top bit is set: the field is read unsigned wherever shown or compared.
  SlideRecord r = ZeroRecord();
  r.fileDate = PackDosDate(2044, 1, 1, 0, 0, 0);
  EXPECT_LT(r.fileDate, 0);
  EXPECT_EQ(r.Date() >> 25, 64u);

  ::setenv("TZ", "UTC", 1);
  ::tzset();
  SetRecordTime(r, 1715953531, 250000000);  // 2024-05-17 13:45:31.25 UTC
  EXPECT_EQ(r.fileDate, 0x58B16DAF);
  EXPECT_EQ(r.timeOfDay, ((13 * 60 + 45) * 60 + 31) * 1000 + 250);
}

TEST(SlideRecord, SanitizeRepairsRecordsFromOutside) {
  struct Case {
    const char* what;
    void (*spoil)(SlideRecord&);
    bool (*check)(const SlideRecord&);
  } cases[] = {
      {"ext length past its field", [](SlideRecord& r) { r.extLen = 200; },
       [](const SlideRecord& r) { return r.extLen == 12; }},
      {"bytes after a string", [](SlideRecord& r) { r.ext[10] = 'Z'; },
       [](const SlideRecord& r) { return r.ext[10] == 0 && r.Ext() == ".JPG"; }},
      {"unknown state", [](SlideRecord& r) { r.thumbState = 7; },
       [](const SlideRecord& r) { return r.thumbState == kThumbPending; }},
      {"reserved bytes", [](SlideRecord& r) { r.reserved2[1] = 9; },
       [](const SlideRecord& r) { return r.reserved2[1] == 0; }},
      {"thumbnail name leaving the cache",
       [](SlideRecord& r) {
         r.SetSubfolder("0A1B2C3D");
         r.SetThumbName("../../.bashrc");
         r.thumbState = kThumbDone;
       },
       [](const SlideRecord& r) { return r.ThumbName().empty() && r.Subfolder().empty() && r.thumbState == 1; }},
      {"subfolder not hex",
       [](SlideRecord& r) {
         r.SetSubfolder("..");
         r.SetThumbName("a.jpg");
       },
       [](const SlideRecord& r) { return r.ThumbName().empty() && r.Subfolder().empty(); }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    SlideRecord r = MakeSlideRecord(".JPG", FileFacts{}, 0);
    c.spoil(r);
    EXPECT_TRUE(SanitizeRecord(r));
    EXPECT_TRUE(c.check(r));
    EXPECT_FALSE(SanitizeRecord(r));  // a sound record stays as it is
  }
  SlideRecord good = MakeSlideRecord(".JPG", FileFacts{}, 0);
  good.SetSubfolder("0A1B2C3D");
  good.SetThumbName("F00D.jpg");
  good.thumbState = kThumbDone;
  EXPECT_FALSE(SanitizeRecord(good));
  EXPECT_EQ(good.ThumbName(), "F00D.jpg");
}

}  // namespace
}  // namespace pelira
