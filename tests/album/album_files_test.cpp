#include "album/album_files.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "album/album_add.h"
#include "album/album_commands.h"
#include "album/album_test_util.h"
#include "common/text_encoding.h"
#include "platform/scripted_ui.h"

namespace pelira {
namespace {

using namespace std::string_literals;
using test::FakeVolumes;
using test::MakeFile;
using test::ReadBytes;
using test::TempDir;
namespace fs = std::filesystem;

std::string ReadText(const fs::path& p) {
  const auto b = ReadBytes(p);
  return std::string(b.begin(), b.end());
}

class AlbumFiles : public ::testing::Test {
 protected:
  TempDir dir;
  fs::path data = dir / "data";
  FakeVolumes volumes;
  ScriptedUi ui;

  AlbumSaveOptions Save() {
    AlbumSaveOptions o;
    o.screenWidth = 1024;
    o.screenHeight = 768;
    o.dataDir = data;
    return o;
  }
  AlbumLoadOptions Load() {
    AlbumLoadOptions o;
    o.ui = &ui;
    o.volumes = &volumes;
    o.dataDir = data;
    return o;
  }
  // A little album with every kind of property set.
  AlbumStore Sample() {
    AlbumStore s;
    AddRequest req;
    req.mode = AddMode::InOrder;
    req.volumes = &volumes;
    req.paths = {MakeFile(dir / "photos/beach.JPG", 2048, 1700000000), MakeFile(dir / "photos/a,b [1].png", 10),
                 MakeFile(dir / "photos/why?.jpg", 10), MakeFile(dir / "music/song.mp3", 99),
                 MakeFile(dir / "photos/clip.avi", 5)};
    AddSlides(s, req);
    s.ClearSelection();
    s.SetSelected(0, true);
    ApplyProperty(s, SlideProperty::Background, {0xFF0000});
    ApplyProperty(s, SlideProperty::Effect, {10});
    ApplyProperty(s, SlideProperty::Wait, {3});
    ApplyProperty(s, SlideProperty::Gamma, {120});
    ApplyProperty(s, SlideProperty::Comment, {0, 0, "sea,sun and sand"});
    s.ClearSelection();
    s.SetSelected(1, true);
    ApplyProperty(s, SlideProperty::Position, {5, 10});
    ApplyProperty(s, SlideProperty::Panel, {300, 200});
    ApplyProperty(s, SlideProperty::Rotate, {90});
    ApplyProperty(s, SlideProperty::Zoom, {150});
    ApplyProperty(s, SlideProperty::Comment, {0, 0, "ends with?"});
    s.ClearSelection();
    s.SetSelected(1, true);
    InsertCdTrack(s, 2);
    s.ClearSelection();
    return s;
  }
  std::vector<fs::path> SideFiles(const fs::path& album) {
    std::vector<fs::path> out;
    for (int k = 0; k < kSideFileCount; ++k) out.push_back(SideFilePath(album, k, data));
    return out;
  }
};

TEST_F(AlbumFiles, AvcRoundTripIsByteIdenticalAndTheOracleReadsTheRecords) {
  AlbumStore s = Sample();
  const fs::path avc = dir / "trip.avc";
  ASSERT_TRUE(SaveAlbum(s, avc.string(), Save()).ok);
  EXPECT_FALSE(s.Modified());
  std::vector<std::string> first;
  for (const auto& p : SideFiles(avc)) first.push_back(ReadText(p));
  const std::string firstAlbum = ReadText(avc);
  EXPECT_EQ(firstAlbum.find("[Directory]\r\nc:\\\r\n"), firstAlbum.size() - 18);

  AlbumStore back;
  const AlbumLoadResult r = LoadAlbum(back, avc.string(), Load());
  ASSERT_TRUE(r.ok) << r.message;
  EXPECT_TRUE(r.usedSideFiles);
  EXPECT_TRUE(back.Modified());
  ASSERT_TRUE(SaveAlbum(back, avc.string(), Save()).ok);
  EXPECT_EQ(ReadText(avc), firstAlbum);
  const auto side = SideFiles(avc);
  for (int k = 0; k < kSideFileCount; ++k) EXPECT_EQ(ReadText(side[k]), first[k]) << kSideSuffixes[k];

  // python3's struct reads the same slides, with zero reserved bytes and indices in range.
  const auto oracle = test::RunOracle("records", avc);
  ASSERT_EQ(oracle.status, 0) << oracle.out;
  std::string ours;
  for (std::size_t i = 0; i < s.Count(); ++i) {
    const SlideRecord& rec = s.At(i);
    ours += s.ShownPath(rec) + "\t" + std::to_string(rec.Size()) + "\t" + std::to_string(rec.background) + "\t" +
            std::to_string(rec.effect) + "\t" + std::to_string(rec.wait) + "\t" + std::to_string(rec.zoom) + "\t" +
            std::to_string(rec.gamma) + "\t" + std::to_string(rec.rotate) + "\t" + std::to_string(rec.posX) + "," +
            std::to_string(rec.posY) + "\t" + std::to_string(rec.panelW) + "," + std::to_string(rec.panelH) + "\t" +
            std::string(s.CommentOf(rec)) + "\n";
  }
  EXPECT_EQ(oracle.out, ours);
}

TEST_F(AlbumFiles, AvlWithoutSideFilesReloadsTheSameSections) {
  AlbumStore s = Sample();
  const fs::path avl = dir / "trip.avl";
  ASSERT_TRUE(SaveAlbum(s, avl.string(), Save()).ok);
  const std::string text = ReadText(avl);
  EXPECT_NE(text.find("\r\n[1]\r\nF=beach.JPG,0\r\nB=FF0000\r\nE=A\r\nW=3\r\nG=78\r\nS=sea?sun and sand\r\n\r\n"),
            std::string::npos)
      << text;
  EXPECT_NE(text.find("[2]\r\nF=------------------------------\r\nX=2\r\nW=1\r\n\r\n"), std::string::npos);
  EXPECT_NE(text.find("F=a?b <1>.png,0\r\n"), std::string::npos);
  for (const auto& p : SideFiles(avl)) fs::remove(p);

  AlbumStore back;
  const AlbumLoadResult r = LoadAlbum(back, avl.string(), Load());
  ASSERT_TRUE(r.ok) << r.message;
  EXPECT_FALSE(r.usedSideFiles);
  ASSERT_EQ(back.Count(), s.Count());
  EXPECT_EQ(back.CommentOf(back.At(0)), "sea,sun and sand");
  EXPECT_EQ(back.CommentOf(back.At(2)), "ends with,");  // a genuine "?" reads back as ","
  EXPECT_EQ(*back.SlideFullPath(back.At(3)), (dir / "photos/why?.jpg").string());
  EXPECT_EQ(back.Volumes().size(), back.Directories().size());
  const fs::path again = dir / "again.avl";
  ASSERT_TRUE(SaveAlbum(back, again.string(), Save()).ok);
  const auto a = test::RunOracle("sections", avl), b = test::RunOracle("sections", again);
  ASSERT_EQ(a.status, 0);
  EXPECT_NE(a.out.find("S=ends with,"), std::string::npos);
  EXPECT_EQ(b.out, a.out);
}

TEST_F(AlbumFiles, TheExampleScriptReadsAsWritten) {
  MakeFile(dir / "PHOTOS/beach.JPG", 100);
  const std::string script =
      "[Header]\r\nVer=11\r\nScreenW=1024\r\nScreenH=768\r\n@N=\r\n@V=\r\n@R=\r\n@D=\r\n@C=\r\nRUN=1\r\nTHMREC=\r\nN=3\r\n\r\n"
      "[Directory]\r\n0=" + (dir / "PHOTOS").string() + "/\r\n\r\n"
      "[1]\r\nF=beach.JPG,0\r\nB=FF0000\r\nE=A\r\nW=3\r\nG=78\r\nS=sea?sun and sand\r\n\r\n"
      "[2]\r\nF=------------------------------\r\nX=2\r\nW=1\r\n\r\n";
  test::WriteText(dir / "trip.avl", script);
  AlbumStore s;
  ASSERT_TRUE(LoadAlbum(s, (dir / "trip.avl").string(), Load()).ok);
  ASSERT_EQ(s.Count(), 2u);
  EXPECT_EQ(s.At(0).background, 0xFF0000);
  EXPECT_EQ(CellText(s, 0, kColBackcolor), "0000FF");
  EXPECT_EQ(s.At(0).effect, 10);
  EXPECT_EQ(s.At(0).gamma, 120);
  EXPECT_EQ(s.At(0).wait, 3);
  EXPECT_EQ(s.CommentOf(s.At(0)), "sea,sun and sand");
  EXPECT_TRUE(s.At(1).IsCdTrack());
  EXPECT_EQ(s.At(1).effect, 2);
  EXPECT_EQ(s.At(1).orderKey, 1);  // files loaded before it; tracks are not counted
  // Written back with the same side-file-less header, the file is the same bytes.
  EXPECT_EQ(TestScriptText(s, 1, 1024, 768), script);
}

TEST_F(AlbumFiles, SectionReadingRules) {
  for (const char* f : {"README", "README.JPG", "one.jpg", "two.jpg", "three.jpg", "x.mp3", "t.txt"})
    MakeFile(dir / "p" / f, 10);
  const std::string d = (dir / "p").string() + "/";
  const std::string script = "[Header]\r\nN=8\r\n[Directory]\r\n0=" + d +
                             "\r\n\r\n"
                             "[1]\nF=README,0\nP=-5,10\nU=0,600\nW=3\nW=9\nS=a first long comment here\n"
                             "[2]\r\nF=one.jpg,\r\n"             // no W: wait 0; empty index: 0
                             "[3]\rF=two.jpg,0\rZ=abc\rP=1\rU=640,480\r"  // CR only; bad numbers: defaults
                             "[4]\r\nF=three.jpg,0\r\nE=FFFFFF\r\nW=99999\r\nG=0\r\nB=1FFFFFF\r\n"
                             "[5]\r\nF=x.mp3,0\r\nE=3\r\nW=2\r\n"
                             "[6]\r\nF=t.txt,0\r\nE=3\r\nG=90\r\nY=45\r\n"
                             "[7]\r\nF=------------------------------\r\n";
  test::WriteText(dir / "rules.avl", script);
  AlbumStore s;
  ASSERT_TRUE(LoadAlbum(s, (dir / "rules.avl").string(), Load()).ok);
  ASSERT_EQ(s.Count(), 7u);
  EXPECT_EQ(s.FileNameOf(s.At(0)), "README.JPG");  // no extension: ".JPG" first
  EXPECT_EQ(s.At(0).posX, kAuto);
  EXPECT_EQ(s.At(0).posY, 10);
  EXPECT_EQ(s.At(0).panelW, kAuto);
  EXPECT_EQ(s.At(0).wait, 3);  // the first of duplicate keys
  EXPECT_EQ(s.At(1).wait, 0);
  EXPECT_EQ(s.CommentOf(s.At(1)), "");  // nothing of the longer section before
  EXPECT_EQ(s.At(2).zoom, 100);
  EXPECT_EQ(s.At(2).posX, kAuto);
  EXPECT_EQ(s.At(2).panelW, 640);
  EXPECT_EQ(s.At(3).effect, 0);  // past the effects table: none
  EXPECT_EQ(s.At(3).wait, 32767);
  EXPECT_EQ(s.At(3).gamma, 100);
  EXPECT_EQ(s.At(3).background, 0xFFFFFF);
  EXPECT_EQ(s.At(4).effect, -1);  // audio: everything but the wait not applicable
  EXPECT_EQ(s.At(4).background, -1);
  EXPECT_EQ(s.At(4).wait, 2);
  EXPECT_EQ(s.At(5).effect, -1);  // text: no effect, gamma or rotation
  EXPECT_EQ(s.At(5).gamma, -1);
  EXPECT_EQ(s.At(5).rotate, -1);
  EXPECT_EQ(s.At(5).background, -2);
  EXPECT_EQ(s.At(6).effect, 1);  // a track without X is track 1
}

TEST_F(AlbumFiles, MissingFilesAskOnceOrAbandon) {
  MakeFile(dir / "p/have.jpg", 1);
  const std::string d = (dir / "p").string() + "/";
  const std::string script = "[Header]\r\nN=5\r\n[Directory]\r\n0=" + d +
                             "\r\n1=c:\\PHOTOS\\\r\n\r\n[1]\r\nF=gone.jpg,0\r\n[2]\r\nF=have.jpg,0\r\n"
                             "[3]\r\nF=have.jpg,1\r\n[4]\r\nF=../p/have.jpg,0\r\n";
  test::WriteText(dir / "m.avl", script);
  ui.Queue(Button::OK);
  AlbumStore s;
  const AlbumLoadResult r = LoadAlbum(s, (dir / "m.avl").string(), Load());
  ASSERT_TRUE(r.ok);
  EXPECT_EQ(s.Count(), 1u);
  EXPECT_EQ(r.missingSkipped, 3u);  // a Windows folder and a name with "/" are missing too
  ASSERT_EQ(ui.Calls().size(), 1u);
  EXPECT_EQ(ui.Calls()[0].text, "Slideshow source file 1 is missing.\n\n" + d +
                                    "gone.jpg\n\nIf source file is on removable media (e.g. CDROM),\ninsert "
                                    "appropriate media then try loading again.\nTry to load remaining AVL script?");
  ui.Clear();
  ui.Queue(Button::Cancel);
  EXPECT_FALSE(LoadAlbum(s, (dir / "m.avl").string(), Load()).ok);
  EXPECT_TRUE(s.Empty());
}

TEST_F(AlbumFiles, HostileScripts) {
  struct Case {
    const char* what;
    std::string text;
    const char* message;  // the error shown; nullptr: loads
    std::size_t slides;
  } cases[] = {
      {"no [1]", "[Header]\r\nN=3\r\n", kBadAvlText, 0},
      {"empty file", "", kBadAvlText, 0},
      {"directory out of sequence", "[Header]\r\nN=2\r\n[Directory]\r\n1=/x/\r\n[1]\r\nF=a.jpg,0\r\n", kBadAvlText, 0},
      {"N huge", "[Header]\r\nN=99999999999999999999999\r\n[Directory]\r\n0=/nowhere/\r\n[1]\r\nF=------------------------------\r\n",
       nullptr, 1},
      {"N absent", "[Header]\r\n[Directory]\r\n[1]\r\nF=a.jpg,0\r\n", nullptr, 0},
      {"NUL bytes", "[Header]\r\nN=2\r\n[1]\r\nF=\0a.jpg,\0\r\n"s, nullptr, 0},
      {"index past the table", "[Header]\r\nN=2\r\n[Directory]\r\n0=/x/\r\n[1]\r\nF=a.jpg,7\r\n", nullptr, 0},
      {"negative index", "[Header]\r\nN=2\r\n[Directory]\r\n0=/x/\r\n[1]\r\nF=a.jpg,-1\r\n", nullptr, 0},
      {"empty file name", "[Header]\r\nN=2\r\n[Directory]\r\n0=/\r\n[1]\r\nF=,0\r\n", nullptr, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    ui.Clear();
    ui.SetDefaultAnswer(Button::OK);  // skip missing files
    test::WriteText(dir / "h.avl", c.text);
    AlbumStore s;
    const AlbumLoadResult r = LoadAlbum(s, (dir / "h.avl").string(), Load());
    if (c.message != nullptr) {
      EXPECT_FALSE(r.ok);
      ASSERT_FALSE(ui.Calls().empty());
      EXPECT_EQ(ui.Calls().back().text, c.message);
    } else {
      EXPECT_TRUE(r.ok);
    }
    EXPECT_EQ(s.Count(), c.slides);
  }
  // Not a regular file: refused without blocking.
  ui.Clear();
  AlbumStore s;
  EXPECT_FALSE(LoadAlbum(s, dir.path().string(), Load()).ok);
}

TEST_F(AlbumFiles, FastPathRefusesInconsistentSideFiles) {
  AlbumStore s = Sample();
  const fs::path avl = dir / "trip.avl", avc = dir / "trip.avc";
  struct Case {
    const char* what;
    int file;
    std::function<void(const fs::path&)> spoil;
  } cases[] = {
      {"record file one byte short", kSideRecords,
       [](const fs::path& p) { fs::resize_file(p, fs::file_size(p) - 1); }},
      {"record file a record short", kSideRecords,
       [](const fs::path& p) { fs::resize_file(p, fs::file_size(p) - 136); }},
      {"name index out of range", kSideNames, [](const fs::path& p) { test::WriteText(p, "a\r\n"); }},
      {"comment table empty", kSideComments, [](const fs::path& p) { test::WriteText(p, ""); }},
      {"directory table short", kSideDirs, [](const fs::path& p) { test::WriteText(p, ""); }},
      {"side file a folder", kSideVolumes,
       [](const fs::path& p) {
         fs::remove(p);
         fs::create_directories(p);
       }},
      {"side file missing", kSideNames, [](const fs::path& p) { fs::remove(p); }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    for (const fs::path& album : {avl, avc}) {
      ASSERT_TRUE(SaveAlbum(s, album.string(), Save()).ok);
      const auto side = SideFiles(album);
      fs::remove_all(side[c.file]);
      test::WriteText(side[c.file], "");
      ASSERT_TRUE(SaveAlbum(s, album.string(), Save()).ok);
      c.spoil(side[c.file]);
      ui.Clear();
      AlbumStore back;
      const AlbumLoadResult r = LoadAlbum(back, album.string(), Load());
      if (album == avl) {
        // The script's own sections hold the album: decoded instead.
        EXPECT_TRUE(r.ok);
        EXPECT_FALSE(r.usedSideFiles);
        EXPECT_EQ(back.Count(), s.Count());
      } else {
        EXPECT_FALSE(r.ok);
        ASSERT_EQ(ui.Calls().size(), 1u);
        EXPECT_EQ(ui.Calls()[0].text.rfind(kCatalogMissingText, 0), 0u);
        EXPECT_NE(ui.Calls()[0].text.find(side[kSideComments].string()), std::string::npos);
        EXPECT_TRUE(back.Empty());
      }
      fs::remove_all(side[c.file]);
    }
  }
}

TEST_F(AlbumFiles, SideFilesOutsideTheDataFolderAreNotRead) {
  AlbumStore s = Sample();
  const fs::path avc = dir / "trip.avc";
  ASSERT_TRUE(SaveAlbum(s, avc.string(), Save()).ok);
  AlbumLoadOptions other = Load();
  other.dataDir = dir / "elsewhere";
  fs::create_directories(other.dataDir);
  AlbumStore back;
  EXPECT_FALSE(LoadAlbum(back, avc.string(), other).ok);
}

TEST_F(AlbumFiles, AlbumsOfOneNameInTwoFoldersKeepApart) {
  AlbumStore one = Sample();
  AlbumStore two = Sample();
  CutSelected(two);
  two.SetSelected(0, true);
  CutSelected(two);
  fs::create_directories(dir / "a");
  fs::create_directories(dir / "b");
  ASSERT_TRUE(SaveAlbum(one, (dir / "a/trip.avc").string(), Save()).ok);
  ASSERT_TRUE(SaveAlbum(two, (dir / "b/trip.avc").string(), Save()).ok);
  EXPECT_NE(SideFiles(dir / "a/trip.avc")[0], SideFiles(dir / "b/trip.avc")[0]);
  AlbumStore back;
  ASSERT_TRUE(LoadAlbum(back, (dir / "a/trip.avc").string(), Load()).ok);
  EXPECT_EQ(back.Count(), one.Count());
  // The name carries the album file's name, the CRC register of its path and the suffix.
  const std::string name = SideFilePath(dir / "a/trip.avc", kSideNames, data).filename().string();
  EXPECT_EQ(name.rfind("trip.avc.", 0), 0u);
  EXPECT_EQ(name.size(), std::string("trip.avc.12345678._n_").size());
  // A long name is cut on a character boundary to fit 255 bytes.
  std::string longName;
  for (int i = 0; i < 200; ++i) longName += "\xC3\xA9";
  const std::string cut = SideFilePath(dir / (longName + ".avl"), kSideDirs, data).filename().string();
  EXPECT_LE(cut.size(), 255u);
  EXPECT_TRUE(IsValidUtf8(cut));
}

TEST_F(AlbumFiles, AFailureAtAnyFileLeavesTheOldAlbumWhole) {
  AlbumStore old = Sample();
  for (const char* ext : {".avc", ".avl"}) {
    const fs::path album = dir / (std::string("keep") + ext);
    ASSERT_TRUE(SaveAlbum(old, album.string(), Save()).ok);
    std::vector<std::string> before{ReadText(album)};
    for (const auto& p : SideFiles(album)) before.push_back(ReadText(p));
    AlbumStore changed = Sample();
    changed.SetSelected(2, true);
    CutSelected(changed);
    changed.SetSelected(0, true);
    ApplyProperty(changed, SlideProperty::Comment, {0, 0, "new"});
    for (int fault = 0; fault < 16; ++fault) {
      if (fault > 5 && fault < 10) continue;
      SCOPED_TRACE(std::string(ext) + " fault " + std::to_string(fault));
      AlbumSaveOptions o = Save();
      o.injectFault = [fault](int k) { return k == fault; };
      const AlbumSaveResult r = SaveAlbum(changed, album.string(), o);
      EXPECT_FALSE(r.ok);
      EXPECT_EQ(r.message, kSaveScriptFailedText);
      std::vector<std::string> after{ReadText(album)};
      for (const auto& p : SideFiles(album)) after.push_back(ReadText(p));
      EXPECT_EQ(after, before);
      std::size_t stray = 0;
      for (const auto& e : fs::directory_iterator(data))
        if (e.path().filename().string().find(".old") != std::string::npos ||
            e.path().filename().string().find(".tmp") != std::string::npos)
          ++stray;
      EXPECT_EQ(stray, 0u);
    }
    // A real failure: a folder standing where the comment table goes.
    const auto side = SideFiles(album);
    fs::remove(side[kSideComments]);
    fs::create_directories(side[kSideComments] / "x");
    EXPECT_FALSE(SaveAlbum(changed, album.string(), Save()).ok);
    EXPECT_EQ(ReadText(album), before[0]);
    EXPECT_EQ(ReadText(side[kSideNames]), before[1]);
    fs::remove_all(side[kSideComments]);
  }
}

TEST_F(AlbumFiles, ASaveKilledBetweenFilesStillOpensTheOldAlbum) {
  AlbumStore old = Sample();
  AlbumStore changed = Sample();
  changed.SetSelected(0, true);
  CutSelected(changed);
  changed.SetSelected(0, true);
  ApplyProperty(changed, SlideProperty::Comment, {0, 0, "other"});
  for (const char* ext : {".avc", ".avl"}) {
    const fs::path album = dir / (std::string("killed") + ext);
    for (int killedAfter = 0; killedAfter < kSideFileCount; ++killedAfter) {
      SCOPED_TRACE(std::string(ext) + " killed after side file " + std::to_string(killedAfter));
      ASSERT_TRUE(SaveAlbum(old, album.string(), Save()).ok);
      AlbumSaveOptions o = Save();
      o.injectFault = [killedAfter](int k) { return k == killedAfter + 20; };
      EXPECT_FALSE(SaveAlbum(changed, album.string(), o).ok);
      AlbumLoadOptions l = Load();
      l.fastPath = true;
      AlbumStore back;
      const AlbumLoadResult r = LoadAlbum(back, album.string(), l);
      ASSERT_TRUE(r.ok) << r.message;
      EXPECT_TRUE(r.usedSideFiles);
      ASSERT_EQ(back.Count(), old.Count());
      for (std::size_t i = 0; i < old.Count(); ++i) {
        EXPECT_EQ(back.ShownPath(back.At(i)), old.ShownPath(old.At(i)));
        EXPECT_EQ(back.CommentOf(back.At(i)), old.CommentOf(old.At(i)));
      }
    }
  }
}

TEST_F(AlbumFiles, EmptyAlbums) {
  AlbumStore full = Sample();
  const fs::path avc = dir / "e.avc", avl = dir / "e.avl";
  ASSERT_TRUE(SaveAlbum(full, avc.string(), Save()).ok);
  AlbumStore empty;
  ASSERT_TRUE(SaveAlbum(empty, avc.string(), Save()).ok);
  const auto side = SideFiles(avc);
  EXPECT_EQ(fs::file_size(side[kSideRecords]), 0u);
  for (int k : {kSideNames, kSideVolumes, kSideDirs, kSideComments}) EXPECT_FALSE(fs::exists(side[k]));
  AlbumStore back;
  ASSERT_FALSE(LoadAlbum(back, avc.string(), Load()).ok);
  EXPECT_EQ(ui.Calls().back().text.rfind(kCatalogMissingText, 0), 0u);
  ASSERT_TRUE(SaveAlbum(empty, avl.string(), Save()).ok);
  ASSERT_FALSE(LoadAlbum(back, avl.string(), Load()).ok);
  EXPECT_EQ(ui.Calls().back().text, kBadAvlText);
}

TEST_F(AlbumFiles, PlpListsKeepCaseSkipEmptyLinesAndDecodeEachLine) {
  const auto a = MakeFile(dir / "Pics/A.jpg", 1);
  const auto b = MakeFile(dir / "Pics/caf\xC3\xA9.jpg", 1);
  test::WriteText(dir / "l.plp", a + "\r\n\r\n" + (dir / "Pics/caf\xE9").string() + ".jpg\n" + b + "\rC:\\x.jpg\r\n");
  AlbumStore s;
  ASSERT_TRUE(LoadAlbum(s, (dir / "l.plp").string(), Load()).ok);
  ASSERT_EQ(s.Count(), 4u);
  EXPECT_EQ(*s.SlideFullPath(s.At(0)), a);
  EXPECT_EQ(*s.SlideFullPath(s.At(1)), b);  // the Latin-1 line alone is read as CP1252
  EXPECT_EQ(*s.SlideFullPath(s.At(2)), b);
  EXPECT_FALSE(s.SlideFullPath(s.At(3)));
  EXPECT_EQ(s.At(1).orderKey, 2);  // the empty line still counts
  ASSERT_TRUE(SaveAlbum(s, (dir / "out.plp").string(), Save()).ok);
  EXPECT_EQ(ReadText(dir / "out.plp"), a + "\r\n" + b + "\r\n" + b + "\r\n");
}

TEST(AlbumSaveNames, ExtensionsAndRefusedCharacters) {
  EXPECT_FALSE(SaveNameAllowed("/x/a,b.avl"));
  EXPECT_FALSE(SaveNameAllowed("/x/[a].avl"));
  EXPECT_TRUE(SaveNameAllowed("/x/a.avl"));
  EXPECT_EQ(FixSaveExtension("/x/trip", "avc"), "/x/trip.avc");
  EXPECT_EQ(FixSaveExtension("/x/trip.AVC", "avc"), "/x/trip.AVC");
  EXPECT_EQ(FixSaveExtension("/x/trip.avl", "avc"), "/x/trip.avc");
  EXPECT_EQ(FixSaveExtension("/x.y/trip", "plp"), "/x.y/trip.plp");
  EXPECT_EQ(FormatOfPath("/x/a.PLP"), AlbumFormat::Plp);
  EXPECT_EQ(FormatOfPath("/x.avc/a"), AlbumFormat::Avl);
}

}  // namespace
}  // namespace pelira

namespace pelira {
namespace {

TEST(TempAlbum, AListingOpensAsACatalogue) {
  test::TempDir dir;
  const auto a = test::MakeFile(dir / "x/a.jpg", 3);
  AlbumStore s;
  AddRequest req;
  req.mode = AddMode::InOrder;
  req.paths = {a, (dir / "x/b.png").string()};
  AddSlides(s, req);
  const TempAlbumPaths paths = TempAlbumFiles("_0A1B2C3D04F2", dir.path(), dir / "data");
  EXPECT_EQ(paths.header.filename(), "Pelira 7.7_0A1B2C3D04F2.avc");
  EXPECT_EQ(paths.side[kSideRecords].filename(), "_0A1B2C3D04F2._d_");
  std::filesystem::create_directories(dir / "data");
  std::string why;
  ASSERT_TRUE(WriteTempAlbum(s, paths, 800, 600, why)) << why;
  const std::string header = ReadText(paths.header);
  EXPECT_NE(header.find("THMREC=136\r\nN=3\r\n\r\n[Directory]\r\n"), std::string::npos) << header;
  ScriptedUi ui;
  AlbumLoadOptions o;
  o.ui = &ui;
  o.dataDir = dir / "data";
  AlbumStore back;
  ASSERT_TRUE(LoadAlbum(back, paths.header.string(), o).ok);
  ASSERT_EQ(back.Count(), 2u);
  EXPECT_EQ(*back.SlideFullPath(back.At(1)), (dir / "x/b.png").string());
  // An empty listing opens as an empty album.
  ASSERT_TRUE(WriteTempAlbum(AlbumStore(), paths, 800, 600, why));
  EXPECT_TRUE(LoadAlbum(back, paths.header.string(), o).ok);
  EXPECT_TRUE(back.Empty());
}

}  // namespace
}  // namespace pelira
