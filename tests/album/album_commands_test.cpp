#include <gtest/gtest.h>

#include <filesystem>

#include "album/album_add.h"
#include "album/album_commands.h"
#include "album/album_store.h"
#include "album/album_test_util.h"
#include "platform/progress.h"
#include "platform/shell.h"

namespace pelira {
namespace {

using test::FakeVolumes;
using test::MakeFile;
using test::TempDir;
namespace fs = std::filesystem;

std::vector<std::string> Captions(const AlbumStore& s) {
  std::vector<std::string> out;
  for (std::size_t i = 0; i < s.Count(); ++i) out.push_back(CellText(s, i, kColFilename));
  return out;
}

AlbumStore StoreOf(const std::vector<std::string>& paths, AddMode mode = AddMode::InOrder) {
  AlbumStore s;
  AddRequest req;
  req.paths = paths;
  req.mode = mode;
  AddSlides(s, req);
  return s;
}

void Select(AlbumStore& s, std::initializer_list<std::size_t> positions) {
  s.ClearSelection();
  for (auto p : positions) s.SetSelected(p, true);
}

TEST(AlbumAdd, AddReversesTheListInsertKeepsItAtThePosition) {
  AlbumStore s = StoreOf({"/x/a.jpg", "/x/b.jpg"}, AddMode::Append);
  EXPECT_EQ(Captions(s), (std::vector<std::string>{"b", "a"}));
  Select(s, {1});
  AddRequest ins;
  ins.paths = {"/y/c.jpg", "/y/d.jpg"};
  ins.mode = AddMode::Insert;
  ins.insertAt = s.FirstSelected();
  AddSlides(s, ins);
  EXPECT_EQ(Captions(s), (std::vector<std::string>{"b", "c", "d", "a"}));
  EXPECT_TRUE(s.Selected(3));  // the selection stays on its slide
  EXPECT_EQ(s.SelectedCount(), 1u);
  EXPECT_TRUE(s.Modified());
}

TEST(AlbumAdd, PathsKeepTheirCaseAndFoldersAreShared) {
  TempDir dir;
  FakeVolumes volumes;
  const auto a = MakeFile(dir / "Trip/Beach.JPG", 3000);
  const auto b = MakeFile(dir / "Trip/beach.jpg", 10);
  AlbumStore s;
  AddRequest req;
  req.paths = {a, b, (dir / "Trip/gone.png").string()};
  req.mode = AddMode::InOrder;
  req.volumes = &volumes;
  ASSERT_EQ(AddSlides(s, req).added, 3u);
  EXPECT_EQ(*s.SlideFullPath(s.At(0)), a);
  EXPECT_EQ(*s.SlideFullPath(s.At(1)), b);
  EXPECT_EQ(s.Directories().size(), 1u);
  EXPECT_EQ(s.Volumes().at(0), "PHOTOS.1B2C3D4E");
  EXPECT_EQ(s.At(0).Size(), 3000u);
  // A missing file is kept with size, date and time 0, pending.
  EXPECT_EQ(s.At(2).size, 0);
  EXPECT_EQ(s.At(2).fileDate, 0);
  EXPECT_EQ(s.At(2).thumbState, kThumbPending);
}

TEST(AlbumAdd, NamesThatCannotBeStoredAreRefusedAndLongExtensionsStayInTheName) {
  AlbumStore s = StoreOf({"/x/a\nb.jpg", "/x/photo.verylongextension", "/x/.hidden", "/x/Track 2.CDA"});
  EXPECT_EQ(s.Count(), 3u);
  EXPECT_EQ(*s.SlideFullPath(s.At(0)), "/x/photo.verylongextension");
  EXPECT_EQ(s.At(0).Ext(), "");
  EXPECT_EQ(*s.SlideFullPath(s.At(1)), "/x/.hidden");
  // A real ".CDA" file is a file, never taken for a CD track.
  EXPECT_FALSE(s.At(2).IsCdTrack());
  EXPECT_EQ(*s.SlideFullPath(s.At(2)), "/x/Track 2.CDA");
  // A relative or foreign path never names a file.
  AlbumStore w = StoreOf({"C:\\PHOTOS\\a.jpg", "rel/b.jpg"});
  EXPECT_FALSE(w.SlideFullPath(w.At(0)));
  EXPECT_FALSE(w.SlideFullPath(w.At(1)));
}

TEST(AlbumAdd, CancelLeavesTheAlbumAsItWas) {
  AlbumStore s = StoreOf({"/x/a.jpg"});
  s.SetModified(false);
  int pumps = 0;
  HeadlessProgress progress("Adding Slides ... ", [&] {
    if (++pumps == 3) Flags().AbortRequest = true;
  });
  AddRequest req;
  for (int i = 0; i < 50; ++i) req.paths.push_back("/new/f" + std::to_string(i) + ".jpg");
  req.progress = &progress;
  const AddOutcome out = AddSlides(s, req);
  Flags().AbortRequest = false;
  EXPECT_TRUE(out.cancelled);
  EXPECT_EQ(s.Count(), 1u);
  EXPECT_EQ(s.Records().size(), 1u);
  EXPECT_EQ(s.Names().Count(), 1u);
  EXPECT_EQ(s.Directories().size(), 1u);
  EXPECT_FALSE(s.Modified());
}

TEST(AlbumCommands, CutKeepsRecordsAndRemovesOnlyFromTheOrder) {
  AlbumStore s = StoreOf({"/x/a.jpg", "/x/b.jpg", "/x/c.jpg", "/x/d.jpg"});
  Select(s, {1, 3});
  EXPECT_EQ(CutSelected(s), 2u);
  EXPECT_EQ(Captions(s), (std::vector<std::string>{"a", "c"}));
  EXPECT_EQ(s.Records().size(), 4u);
  EXPECT_EQ(s.SelectedCount(), 0u);
}

TEST(AlbumCommands, RelocateMovesOneSlideOrABlock) {
  struct Case {
    std::vector<std::size_t> selected;
    std::size_t target;
    std::vector<std::string> expected;
  } cases[] = {
      {{0}, 3, {"b", "c", "a", "d", "e"}},        // from above: target - 1
      {{4}, 1, {"a", "e", "b", "c", "d"}},
      {{1, 3}, 0, {"b", "d", "a", "c", "e"}},     // block to the front
      {{0, 2}, 2, {"b", "a", "c", "d", "e"}},     // target selected: before the next unselected
      {{0, 1}, 4, {"c", "d", "a", "b", "e"}},
      {{3, 4}, 3, {"a", "b", "c", "d", "e"}},     // no unselected slide after: at the end
  };
  for (const auto& c : cases) {
    AlbumStore s = StoreOf({"/x/a.jpg", "/x/b.jpg", "/x/c.jpg", "/x/d.jpg", "/x/e.jpg"});
    s.ClearSelection();
    for (auto p : c.selected) s.SetSelected(p, true);
    ASSERT_TRUE(RelocateSelected(s, c.target));
    EXPECT_EQ(Captions(s), c.expected) << "target " << c.target;
    // The moved slides stay selected.
    std::vector<std::string> want, got;
    for (auto p : c.selected) want.push_back(std::string(1, static_cast<char>('a' + p)));
    for (std::size_t i = 0; i < s.Count(); ++i)
      if (s.Selected(i)) got.push_back(CellText(s, i, kColFilename));
    EXPECT_EQ(got, want);
  }
}

TEST(AlbumCommands, SelectionCommands) {
  AlbumStore one = StoreOf({"/x/a.jpg"});
  SelectAll(one);
  EXPECT_EQ(one.SelectedCount(), 0u);  // nothing for fewer than 2 slides
  AlbumStore s = StoreOf({"/x/a.jpg", "/x/b.jpg", "/x/c.jpg"});
  Select(s, {1});
  InvertSelection(s);
  EXPECT_EQ(s.SelectedPositions(), (std::vector<std::size_t>{0, 2}));
  SelectAll(s);
  EXPECT_EQ(s.SelectedCount(), 3u);
  EXPECT_TRUE(SelectIndex(s, 2));
  EXPECT_EQ(s.SelectedPositions(), (std::vector<std::size_t>{1}));
  EXPECT_FALSE(SelectIndex(s, 4));
}

TEST(AlbumCommands, CdTrackHasNoPathAndKeepsItsTrack) {
  AlbumStore s = StoreOf({"/x/a.jpg", "/x/b.jpg"});
  Select(s, {1});
  s.MutableAt(1).orderKey = 42;
  ASSERT_TRUE(InsertCdTrack(s, 2));
  EXPECT_EQ(Captions(s), (std::vector<std::string>{"a", "CD Track 2", "b"}));
  const SlideRecord& t = s.At(1);
  EXPECT_FALSE(s.SlideFullPath(t));
  EXPECT_EQ(s.ShownPath(t), "------------------------------");
  EXPECT_EQ(t.orderKey, 42);
  EXPECT_EQ(t.background, -1);
  EXPECT_EQ(t.effect, 2);
  // An effect for all slides leaves the track number alone.
  SelectAll(s);
  ApplyProperty(s, SlideProperty::Effect, {5});
  EXPECT_EQ(s.At(1).effect, 2);
  EXPECT_EQ(s.At(0).effect, 5);
  AlbumStore empty;
  EXPECT_FALSE(InsertCdTrack(empty, 1));
}

TEST(AlbumCommands, PropertiesFollowTheNotApplicableRules) {
  AlbumStore s = StoreOf({"/x/a.jpg", "/x/song.mp3", "/x/clip.avi"});
  EXPECT_EQ(ApplyProperty(s, SlideProperty::Wait, {3}).message, kNoSelectionText);
  // One audio slide: gamma does not apply, nothing changes.
  Select(s, {1});
  EXPECT_EQ(ApplyProperty(s, SlideProperty::Gamma, {120}).changed, 0u);
  // Several: each slide where it applies; the wait everywhere.
  Select(s, {0, 1, 2});
  EXPECT_EQ(ApplyProperty(s, SlideProperty::Gamma, {120}).changed, 1u);
  EXPECT_EQ(s.At(0).gamma, 120);
  EXPECT_EQ(s.At(2).gamma, -1);
  ApplyProperty(s, SlideProperty::Wait, {99999});
  EXPECT_EQ(s.At(1).wait, 28800);  // clamped to the range
  ApplyProperty(s, SlideProperty::Zoom, {10});
  EXPECT_EQ(s.At(0).zoom, 25);
  EXPECT_EQ(s.At(1).zoom, -1);
  ApplyProperty(s, SlideProperty::Background, {0x123456 | 0x7F000000});
  EXPECT_EQ(s.At(0).background, 0x123456);
  EXPECT_EQ(CellText(s, 0, kColBackcolor), "563412");
  EXPECT_EQ(CellText(s, 1, kColBackcolor), " --- ");

  const ScreenSize screen{1024, 768};
  Select(s, {0});
  ApplyProperty(s, SlideProperty::Position, {-1, 50}, screen);
  EXPECT_EQ(s.At(0).posX, kAuto);  // a negative coordinate is automatic, never "not applicable"
  EXPECT_EQ(s.At(0).posY, 50);
  ApplyProperty(s, SlideProperty::Panel, {1024, 768}, screen);
  EXPECT_EQ(CellText(s, 0, kColPanel), "auto");
  ApplyProperty(s, SlideProperty::Panel, {0, 600}, screen);
  EXPECT_EQ(s.At(0).panelW, kAuto);
  ApplyProperty(s, SlideProperty::Panel, {640, 480}, screen);
  EXPECT_EQ(CellText(s, 0, kColPanel), "640,480");
  EXPECT_TRUE(PropertyAvailable(SlideKind::VideoText, SlideProperty::Panel));
  EXPECT_FALSE(PropertyAvailable(SlideKind::VideoText, SlideProperty::Gamma));
  EXPECT_FALSE(PropertyAvailable(SlideKind::Audio, SlideProperty::Wait));
}

TEST(AlbumCommands, CommentsAreCutTo255CharactersAndReplaced) {
  AlbumStore s = StoreOf({"/x/a.jpg", "/x/b.jpg"});
  Select(s, {0});
  std::string longText;
  for (int i = 0; i < 300; ++i) longText += "\xC3\xA9";  // 300 characters, 600 bytes
  ApplyProperty(s, SlideProperty::Comment, {0, 0, longText});
  EXPECT_EQ(s.CommentOf(s.At(0)).size(), 510u);
  ApplyProperty(s, SlideProperty::Comment, {0, 0, "line1\r\nline2"});
  EXPECT_EQ(s.CommentOf(s.At(0)), "line1  line2");
  EXPECT_EQ(s.Comments().size(), 2u);  // its own entry was replaced
  EXPECT_EQ(s.Comments()[0], " ");
  EXPECT_EQ(CellText(s, 1, kColComment), "");
}

TEST(AlbumCommands, DeleteRemovesOnlySlidesWhoseFilesWent) {
  TempDir dir;
  const auto a = MakeFile(dir / "a.jpg", 5);
  const auto b = MakeFile(dir / "sub/b.jpg", 5);
  AlbumStore s = StoreOf({a, b, (dir / "missing.jpg").string()});
  Select(s, {0, 1, 2});
  FolderTrashShell trash(dir / "trash");
  fs::create_directories(dir / "trash");
  // b's folder cannot be written: its file stays, and so does its slide.
  fs::permissions(dir / "sub", fs::perms::owner_read | fs::perms::owner_exec);
  const FileOpOutcome out = DeleteSourceFiles(s, false, trash);
  fs::permissions(dir / "sub", fs::perms::owner_all);
  const bool root = ::geteuid() == 0;  // root ignores the permission bits
  EXPECT_FALSE(fs::exists(a));
  EXPECT_TRUE(fs::exists(dir / "trash/a.jpg"));
  if (!root) {
    EXPECT_EQ(out.done, 1u);
    EXPECT_EQ(Captions(s), (std::vector<std::string>{"b", "missing"}));
  }
  EXPECT_NE(DeleteQuestion(s, false).find("[Ignore]"), std::string::npos);
}

TEST(AlbumCommands, MoveNeverOverwritesAndUpdatesOnlyMovedSlides) {
  TempDir dir;
  const auto a1 = MakeFile(dir / "one/a.jpg", 11, 1600000000);
  const auto a2 = MakeFile(dir / "two/a.jpg", 22);
  const auto c = MakeFile(dir / "one/c.jpg", 33);
  fs::create_directories(dir / "dest");
  AlbumStore s = StoreOf({a1, a2, c, (dir / "gone.jpg").string()});
  s.MutableAt(0).SetSubfolder("0A1B2C3D");
  s.MutableAt(0).SetThumbName("t.jpg");
  Select(s, {0, 1, 2, 3});
  std::vector<std::string> asked;
  FakeVolumes volumes;
  const FileOpOutcome out = CopyMoveSlides(s, (dir / "dest").string(), true, &volumes, [&](const std::string& p) {
    asked.push_back(p);
    return true;
  });
  EXPECT_EQ(asked, (std::vector<std::string>{(dir / "gone.jpg").string()}));
  EXPECT_EQ(out.done, 2u);
  ASSERT_EQ(out.failures.size(), 1u);  // the second a.jpg found the first one there
  EXPECT_EQ(test::ReadBytes(dir / "dest/a.jpg").size(), 11u);
  EXPECT_TRUE(fs::exists(a2));
  EXPECT_EQ(*s.SlideFullPath(s.At(0)), (dir / "dest/a.jpg").string());
  EXPECT_EQ(*s.SlideFullPath(s.At(1)), a2);
  EXPECT_EQ(s.At(0).ThumbName(), "");
  EXPECT_EQ(fs::last_write_time(dir / "dest/a.jpg").time_since_epoch().count() != 0, true);
  struct stat st {};
  ::stat((dir / "dest/a.jpg").c_str(), &st);
  EXPECT_EQ(st.st_mtim.tv_sec, 1600000000);

  // Copy leaves the album alone.
  AlbumStore k = StoreOf({(dir / "dest/c.jpg").string()});
  Select(k, {0});
  fs::create_directories(dir / "copy");
  EXPECT_EQ(CopyMoveSlides(k, (dir / "copy").string(), false, nullptr, {}).done, 1u);
  EXPECT_TRUE(fs::exists(dir / "dest/c.jpg"));
  EXPECT_EQ(test::ReadBytes(dir / "copy/c.jpg").size(), 33u);
  EXPECT_EQ(MoveCopyTitle(k, false), "Copy \"c\" to ");
}

TEST(AlbumTexts, CellsAndStatus) {
  AlbumStore s = StoreOf({"/x/a.jpg", "/x/b.jpg"});
  SlideRecord& r = s.MutableAt(0);
  r.size = static_cast<std::int32_t>(3u << 30);  // 3 GiB: shown unsigned
  r.fileDate = PackDosDate(2024, 5, 17, 13, 45, 30);
  r.crc = 0x0BADF00D;
  r.width = 640;
  r.height = 480;
  r.gamma = -1;
  EXPECT_EQ(CellText(s, 0, kColCrc), "0BADF00D");
  EXPECT_EQ(CellText(s, 1, kColCrc), "");
  EXPECT_EQ(CellText(s, 0, kColImage), "640x480");
  EXPECT_EQ(CellText(s, 1, kColImage), "????x????");
  EXPECT_EQ(CellText(s, 0, kColGamma), " --- ");
  EXPECT_EQ(CellText(s, 1, kColPosition), "auto");
  EXPECT_EQ(StatusTexts(s), (std::vector<std::string>{"2 object(s)"}));
  Select(s, {0});
  EXPECT_EQ(StatusTexts(s),
            (std::vector<std::string>{"Slide 1 of 2", ".jpg", "3145728 Kb, 2024-05-17 13:45:30", "/x/a.jpg"}));
  Select(s, {0, 1});
  EXPECT_EQ(StatusTexts(s), (std::vector<std::string>{"2 object(s) selected"}));
  const auto box = PropertyTexts(s, s.At(0), [](int e) { return "Fade " + std::to_string(e); });
  EXPECT_EQ(box.effect, "Effect: Fade 0");
  EXPECT_EQ(box.items[4], "Gamma: None");
  EXPECT_EQ(box.items[5], "Panel [w,h]: Auto");
}

TEST(AlbumSettings, EightyEightBytesRoundTripAndOtherLengthsGiveDefaults) {
  AlbumWindowSettings s;
  s.left = -1200;
  s.top = 10;
  s.right = -100;
  s.bottom = 700;
  s.statusBar = false;
  s.columnSet = 2;
  s.thumbStep = 6;
  s.columnWidths[3] = 77;
  const std::string b = EncodeAlbumSettings(s);
  ASSERT_EQ(b.size(), 88u);
  const auto back = DecodeAlbumSettings(b, 1024);
  EXPECT_TRUE(back.stored);
  EXPECT_EQ(back.left, -1200);
  EXPECT_FALSE(back.statusBar);
  EXPECT_EQ(back.columnSet, 2);
  EXPECT_EQ(back.thumbStep, 6);
  EXPECT_EQ(back.columnWidths[3], 77);
  const auto d800 = DecodeAlbumSettings(b.substr(0, 87), 800);
  EXPECT_FALSE(d800.stored);
  EXPECT_TRUE(d800.toolBar);
  EXPECT_FALSE(d800.buttonText);
  EXPECT_TRUE(DecodeAlbumSettings("", 1024).buttonText);
}

}  // namespace
}  // namespace pelira
