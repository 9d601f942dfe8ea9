#include <gtest/gtest.h>

#include "app/program_entry.h"
#include "app/stored_settings.h"

namespace pelira {
namespace {

TEST(StoredSettings, FirstRunFindsNothingAndTakesTheDefaults) {
  MemorySettingsStore store;
  const StoredSettings s = ReadStoredSettings(store, 800);
  EXPECT_FALSE(s.ViewerSettingsFound);
  EXPECT_FALSE(s.ExplorerSettingsFound);
  EXPECT_EQ(s.viewer, DefaultViewerSettings(800));
  EXPECT_TRUE(s.OpenDir.empty());
}

TEST(StoredSettings, WriteThenReadRoundTrips) {
  MemorySettingsStore store;
  StoredSettings out;
  out.viewer = DefaultViewerSettings(1280);
  out.viewer.fitMode = true;
  out.viewer.windowBounds = {12, 34, 812, 634};
  out.viewer.reserved132 = 77;
  out.OpenDir = "/home/Zoë/Bilder";
  out.SaveDir = "/tmp/Out Dir";
  ASSERT_TRUE(WriteViewerSettings(store, out));
  EXPECT_FALSE(store.Read(kJpegWizardValue).has_value());  // not read during this run

  const StoredSettings in = ReadStoredSettings(store, 1280);
  EXPECT_TRUE(in.ViewerSettingsFound);
  EXPECT_TRUE(in.ExplorerSettingsFound);
  EXPECT_EQ(in.viewer, out.viewer);
  EXPECT_EQ(in.OpenDir, out.OpenDir);
  EXPECT_EQ(in.SaveDir, out.SaveDir);
  EXPECT_EQ(store.Read(kViewerSettingsValue)->size(), 168u);

  out.jpegWizardRecord = std::vector<std::uint8_t>(16, 9);
  ASSERT_TRUE(WriteViewerSettings(store, out));
  EXPECT_EQ(store.Read(kJpegWizardValue), out.jpegWizardRecord);
}

TEST(StoredSettings, BrokenRecordCountsAsFoundButGivesTheDefaults) {
  MemorySettingsStore store;
  store.Write(kViewerSettingsValue, std::vector<std::uint8_t>(100, 0xFF));
  const StoredSettings s = ReadStoredSettings(store, 1280);
  EXPECT_TRUE(s.ViewerSettingsFound);
  EXPECT_EQ(s.viewer, DefaultViewerSettings(1280));
}

TEST(StoredSettings, ExplorerRecordIsKeptOnlyAtItsLength) {
  MemorySettingsStore store;
  store.Write(kExplorerSettingsValue, std::vector<std::uint8_t>(88, 1));
  store.WriteString(kExploreDirValue, "/data/pics");
  StoredSettings s = ReadStoredSettings(store, 1280);
  EXPECT_EQ(s.explorerRecord.size(), 88u);
  EXPECT_EQ(s.ExploreDir, "/data/pics");
  store.Write(kExplorerSettingsValue, std::vector<std::uint8_t>(87, 1));
  s = ReadStoredSettings(store, 1280);
  EXPECT_TRUE(s.explorerRecord.empty());
  EXPECT_TRUE(s.ExploreDir.empty());
}

TEST(ProgramEntry, EndsAtOnceWhileAnotherCopyPlaysAScript) {
  MemorySettingsStore store;
  EXPECT_TRUE(ProgramEntry(store, true, 1280).exitNow);
  EXPECT_FALSE(ProgramEntry(store, false, 1280).exitNow);
}

TEST(PlanFirstActivation, TableOfStarts) {
  auto startWith = [](const char* file, const char* ext, bool pending) {
    StartupState s;
    if (file) {
      s.CommandLineFile = s.CurrentFile = file;
      s.CurrentExt = ext;
      s.OpenPending = pending;
      s.CommandLineJpeg = !pending;
    }
    return s;
  };
  struct Case {
    const char* what;
    StartupState startup;
    bool found, jpegShown;
    FirstActivationPlan want;
  };
  const Case cases[] = {
      {"first run, no file", startWith(nullptr, "", false), false, false, {true, true, true, false, false}},
      {"later run, no file", startWith(nullptr, "", false), true, false, {true, true, false, false, false}},
      {"first run, BMP", startWith("/p/a.bmp", ".BMP", true), false, false, {true, false, true, false, true}},
      {"later run, BMP", startWith("/p/a.bmp", ".BMP", true), true, false, {true, false, false, false, true}},
      {"later run, JPEG shown", startWith("/p/a.jpg", ".JPG", false), true, true, {false, false, false, false, false}},
      {"first run, JPEG shown", startWith("/p/a.jpg", ".JPG", false), false, true, {true, false, true, false, false}},
      {"later run, JPEG failed", startWith("/p/a.jpg", ".JPG", false), true, false, {true, true, false, false, false}},
      {"later run, script", startWith("/p/s.avl", ".AVL", true), true, false, {true, false, false, true, true}},
  };
  for (const Case& c : cases) {
    const FirstActivationPlan p = PlanFirstActivation(c.startup, c.found, c.found, c.jpegShown);
    EXPECT_EQ(p.statusReady, c.want.statusReady) << c.what;
    EXPECT_EQ(p.blankUntitled, c.want.blankUntitled) << c.what;
    EXPECT_EQ(p.firstRun, c.want.firstRun) << c.what;
    EXPECT_EQ(p.blankWithoutName, c.want.blankWithoutName) << c.what;
    EXPECT_EQ(p.deferredOpen, c.want.deferredOpen) << c.what;
  }
  // Either record missing makes a first run.
  EXPECT_TRUE(PlanFirstActivation(startWith(nullptr, "", false), true, false, false).firstRun);
}

}  // namespace
}  // namespace pelira
