#include <gtest/gtest.h>

#include <cstring>

#include "app/viewer_settings.h"

namespace pelira {
namespace {

using Record = std::vector<std::uint8_t>;

Record Encoded(const ViewerSettings& s) {
  const auto a = EncodeViewerSettings(s);
  return Record(a.begin(), a.end());
}

void Put32(Record& r, std::size_t at, std::int32_t v) {
  const auto u = static_cast<std::uint32_t>(v);
  for (int i = 0; i < 4; ++i) r[at + i] = static_cast<std::uint8_t>(u >> (8 * i));
}

std::int32_t Get32(const Record& r, std::size_t at) {
  std::uint32_t u = 0;
  for (int i = 0; i < 4; ++i) u |= static_cast<std::uint32_t>(r[at + i]) << (8 * i);
  return static_cast<std::int32_t>(u);
}

TEST(ViewerSettings, DefaultsOfAFirstRun) {
  const ViewerSettings d = DefaultViewerSettings(1280);
  EXPECT_TRUE(d.menuBar && d.toolBar && d.statusBar && d.buttonText && d.pathBox && d.upsampledFit);
  EXPECT_FALSE(d.fitMode || d.autoReduce || d.mergeToolbar || d.maxFullScreenWithMenus);
  EXPECT_TRUE(d.autoSize && d.autoCenter && d.fastRefresh && d.maxFullScreen);
  EXPECT_EQ(d.faxQuality, 2);
  EXPECT_EQ(d.slideshowDelay, 500);
  EXPECT_EQ(d.mediaVolume, 500);
  EXPECT_EQ(d.photoCdStep, 3);
  EXPECT_EQ(d.wheelNavigation, 1);
  EXPECT_EQ(d.windowBounds, BoundsRect{});
  EXPECT_FALSE(DefaultViewerSettings(800).buttonText);
  EXPECT_TRUE(DefaultViewerSettings(1024).buttonText);
}

TEST(ViewerSettings, LayoutIsLittleEndianAtTheDocumentedOffsets) {
  ViewerSettings s = DefaultViewerSettings(1280);
  s.windowBounds = {-8, 20, 1000, 0x01020304};
  s.fitMode = true;
  s.backgroundColor = 0x00336699;
  s.slideshowDelay = 2500;
  s.reserved132 = 0xDEADBEEF;
  s.maxFullScreenWithMenus = true;
  const Record r = Encoded(s);
  ASSERT_EQ(r.size(), 168u);
  EXPECT_EQ(Get32(r, 32), -8);
  EXPECT_EQ(r[44], 0x04);
  EXPECT_EQ(r[47], 0x01);
  EXPECT_EQ(r[52], 1);
  EXPECT_EQ(r[55], 0);
  EXPECT_EQ(Get32(r, 56), 2);
  EXPECT_EQ(Get32(r, 64), 0x00336699);
  EXPECT_EQ(Get32(r, 84), 2500);
  EXPECT_EQ(static_cast<std::uint32_t>(Get32(r, 132)), 0xDEADBEEFu);
  EXPECT_EQ(r[146], 1);
  for (std::size_t i = 147; i < 168; ++i) EXPECT_EQ(r[i], 0) << i;
}

TEST(ViewerSettings, RoundTripKeepsEverySettingAndTheReservedWord) {
  ViewerSettings s = DefaultViewerSettings(1280);
  s.batchEditorBounds = {1, 2, 3, 4};
  s.jpegCommentBounds = {5, 6, 7, 8};
  s.windowBounds = {10, 20, 810, 620};
  s.menuBar = false;
  s.fitMode = true;
  s.autoReduce = true;
  s.faxQuality = 0;
  s.backgroundColor = 0x00FF00FF;
  s.logVisitedFolders = 0;
  s.autoCenter = false;
  s.effectsSpeed = 3;
  s.slideshowDelay = 4000;
  s.mediaAutoPlayLoop = false;
  s.mediaTrackBarHeight = 24;
  s.mediaVolume = 1000;
  s.wheelButton = 2;
  s.textPosition = 1;
  s.avlJukebox = true;
  s.upsampledFit = false;
  s.photoCdStep = 6;
  s.reserved132 = 0x12345678;
  s.autoTestFilters = 0;
  s.wheelNavigation = 0;
  s.fastRefresh = false;
  s.mergeToolbar = true;
  EXPECT_EQ(ReadViewerSettings(Encoded(s), 1280), s);
}

TEST(ViewerSettings, DelayAbove4000IsWrittenAs500) {
  ViewerSettings s;
  for (const auto& [delay, stored] : {std::pair{4000, 4000}, std::pair{4001, 500}, std::pair{5000, 500}, std::pair{100, 100}}) {
    s.slideshowDelay = delay;
    EXPECT_EQ(Get32(Encoded(s), 84), stored) << delay;
  }
}

TEST(ViewerSettings, ReadRulesBringStoredValuesIntoRange) {
  struct Case { const char* what; std::size_t at; std::int32_t stored; std::int32_t ViewerSettings::*field; std::int32_t want; };
  const Case cases[] = {
      {"delay above 60000", 84, 70000, &ViewerSettings::slideshowDelay, 1000},
      {"delay 60000 kept", 84, 60000, &ViewerSettings::slideshowDelay, 60000},
      {"negative delay", 84, -5, &ViewerSettings::slideshowDelay, 1000},
      {"wheel button 7", 116, 7, &ViewerSettings::wheelButton, 0},
      {"wheel button 2 kept", 116, 2, &ViewerSettings::wheelButton, 2},
      {"log visited 5", 68, 5, &ViewerSettings::logVisitedFolders, 1},
      {"log visited 0 kept", 68, 0, &ViewerSettings::logVisitedFolders, 0},
      {"wheel navigation 3", 140, 3, &ViewerSettings::wheelNavigation, 0},
      {"fax quality 9", 56, 9, &ViewerSettings::faxQuality, 3},
      {"fax quality -1", 56, -1, &ViewerSettings::faxQuality, 0},
      {"effects speed 40", 76, 40, &ViewerSettings::effectsSpeed, 1},
      {"photo-cd step 99", 128, 99, &ViewerSettings::photoCdStep, 3},
      {"volume 5000", 108, 5000, &ViewerSettings::mediaVolume, 1000},
      {"text position -2", 120, -2, &ViewerSettings::textPosition, 0},
      {"auto-test 4", 136, 4, &ViewerSettings::autoTestFilters, 1},
      {"measured height -300", 96, -300, &ViewerSettings::mediaStatusLineHeight, 0},
  };
  for (const Case& c : cases) {
    Record r = Encoded(DefaultViewerSettings(1280));
    Put32(r, c.at, c.stored);
    EXPECT_EQ(ReadViewerSettings(r, 1280).*c.field, c.want) << c.what;
  }
}

TEST(ViewerSettings, FlagBytesOtherThanZeroCountAsOn) {
  Record r = Encoded(DefaultViewerSettings(1280));
  r[52] = 0xFF;  // fit mode
  r[49] = 0;     // tool bar
  const ViewerSettings s = ReadViewerSettings(r, 1280);
  EXPECT_TRUE(s.fitMode);
  EXPECT_FALSE(s.toolBar);
  EXPECT_EQ(Encoded(s)[52], 1);
}

TEST(ViewerSettings, MissingOrWrongLengthRecordGivesTheDefaults) {
  const ViewerSettings d = DefaultViewerSettings(800);
  EXPECT_EQ(ReadViewerSettings(std::nullopt, 800), d);
  Record good = Encoded(DefaultViewerSettings(1280));
  good[52] = 1;
  for (std::size_t size : {0u, 1u, 167u, 169u, 4096u}) {
    Record r = good;
    r.resize(size, 0xAB);
    EXPECT_EQ(ReadViewerSettings(r, 800), d) << size;
  }
}

}  // namespace
}  // namespace pelira
