#include <gtest/gtest.h>

#include <algorithm>

#include "app/run_files.h"
#include "app/startup_checks.h"
#include "app/unexpected_error.h"
#include "common/app_paths.h"
#include "support/test_support.h"

namespace pelira {
namespace {

TEST(StartupWarnings, ColourDepthAndScreenHeight) {
  EXPECT_TRUE(StartupWarnings(24, 600).empty());
  EXPECT_TRUE(StartupWarnings(15, 1024).empty());
  EXPECT_EQ(StartupWarnings(8, 768), std::vector<std::string>{kColorDepthText});
  EXPECT_EQ(StartupWarnings(32, 599), std::vector<std::string>{kScreenSizeText});
  EXPECT_EQ(StartupWarnings(8, 480), (std::vector<std::string>{kColorDepthText, kScreenSizeText}));
  EXPECT_EQ(std::string(kScreenSizeText).substr(0, 49), "800x600 (or better) screen resolution required.\n\n");
}

TEST(UnexpectedError, JpegAndMetafileErrorsAreReportedAndTheProgramGoesOn) {
  ErrorContext c;
  c.message = "Corrupt JPEG data: premature end";
  c.currentFile = "/pics/Trip/IMG 1.JPG";
  c.currentExt = ".JPG";
  ErrorReport r = ClassifyUnexpectedError(c);
  EXPECT_EQ(r.action, ErrorAction::Continue);
  EXPECT_EQ(r.kind, MessageKind::Warning);
  EXPECT_EQ(r.text, "Corrupt JPEG data: premature end\nFilename:IMG 1.JPG\nLocation:/pics/Trip");
  EXPECT_TRUE(r.show && r.replaceJpegDecoder && r.removeBookmark && r.blankPicture);

  c.message = "Bad record";
  c.currentExt = ".EMF";
  r = ClassifyUnexpectedError(c);
  EXPECT_EQ(r.action, ErrorAction::Continue);
  EXPECT_TRUE(r.blankPicture);
}

TEST(UnexpectedError, UnspecifiedErrorOfAMediaFile) {
  ErrorContext c;
  c.message = "Unspecified error";
  c.currentFile = "/m/song.mp3";
  c.currentExt = ".MP3";
  c.mediaMode = true;
  ErrorReport r = ClassifyUnexpectedError(c);
  EXPECT_TRUE(r.show);
  EXPECT_TRUE(r.resetMedia);
  EXPECT_EQ(r.text, "song.mp3 could not be played.\nAn updated CODEC may be required or file is corrupted; see FAQ.");
  EXPECT_TRUE(r.removeBookmark);
  c.currentExt = ".BMP";
  r = ClassifyUnexpectedError(c);
  EXPECT_FALSE(r.show);
  EXPECT_TRUE(r.removeBookmark);
  EXPECT_EQ(r.action, ErrorAction::Continue);
}

TEST(UnexpectedError, AnyOtherErrorClosesOrLetsTheUserSaveFirst) {
  ErrorContext c;
  c.message = "vector::_M_range_check";
  c.lastBackupError = "backup failed";
  ErrorReport r = ClassifyUnexpectedError(c);
  EXPECT_EQ(r.action, ErrorAction::Close);
  EXPECT_EQ(r.kind, MessageKind::Error);
  EXPECT_EQ(r.buttons, Buttons(Button::OK));
  EXPECT_EQ(r.text, "Unexpected exception.  Please report following error.\nbackup failed\nvector::_M_range_check");
  c.albumOrBatchOpen = true;
  r = ClassifyUnexpectedError(c);
  EXPECT_EQ(r.action, ErrorAction::AskToClose);
  EXPECT_EQ(r.buttons, Button::OK | Button::Ignore);
  EXPECT_EQ(r.text,
            "Unexpected exception.  Please report following error.\n\nClick [Ignore] button to exit this dialog and "
            "save\nchanges to your Slide Album or (BIP) batch script.\nAfter saving, close then reactivate "
            "application.\n\nbackup failed\nvector::_M_range_check");
}

TEST(RunFiles, RemovesThisRunsFilesOnly) {
  const std::string tag = "_0A1B2C3D04F2";
  const auto home = AppPaths::Home();
  const auto data = AppPaths::Data();
  const std::vector<std::filesystem::path> ours = {
      home / ("Pelira 7.7" + tag + ".avc"), data / (tag + "._d_"), data / (tag + "._c_"),
      data / (tag + ".plp"),                data / (tag + ".dir")};
  const std::vector<std::filesystem::path> others = {
      home / "Pelira 7.7_FFFFFFFF0001.avc", data / "_FFFFFFFF0001._d_", data / "album._d_", data / (tag + ".txt")};
  for (const auto& f : ours) test::WriteText(f, "x");
  for (const auto& f : others) test::WriteText(f, "x");
  const auto undo = AppPaths::RunTemp() / "0A1B2C3D000004F2pl_undo.pcx";
  test::WriteText(undo, "x");

  auto listed = RunTemporaryFiles(tag, home, data);
  std::sort(listed.begin(), listed.end());
  auto want = ours;
  std::sort(want.begin(), want.end());
  EXPECT_EQ(listed, want);

  RemoveRunTemporaryFiles(tag);
  for (const auto& f : ours) EXPECT_FALSE(std::filesystem::exists(f)) << f;
  for (const auto& f : others) EXPECT_TRUE(std::filesystem::exists(f)) << f;
  EXPECT_FALSE(std::filesystem::exists(undo));
}

TEST(RunFiles, SideFilesWithoutTheirAlbumStay) {
  const std::string tag = "_000000010002";
  const auto side = AppPaths::Data() / (tag + "._v_");
  test::WriteText(side, "x");
  EXPECT_TRUE(RunTemporaryFiles(tag, AppPaths::Home(), AppPaths::Data()).empty());
}

}  // namespace
}  // namespace pelira
