#include "tools/unzip_run.h"

#include <gtest/gtest.h>

#include "common/app_paths.h"
#include "common/request_flags.h"
#include "platform/scripted_ui.h"
#include "platform/shell.h"
#include "support/test_support.h"
#include "tools/zip_test_support.h"

namespace pelira {
namespace {

namespace fs = std::filesystem;
using test::Fixture;
using test::ReadFile;
using test::TempDir;

struct FakeDialogs : UnZipDialogs {
  std::vector<std::string> ChooseArchives(const std::string& folder) override {
    openFolders.push_back(folder);
    return archivesToChoose;
  }
  std::string ChooseFolder(const std::string& title, const std::string& start) override {
    folderTitles.push_back(title);
    folderStarts.push_back(start);
    return folderToChoose;
  }
  bool OpenDocument(const std::string& file) override {
    opened.push_back(file);
    return viewerPresent;
  }
  void Beep() override { ++beeps; }

  std::vector<std::string> archivesToChoose;
  std::string folderToChoose;
  bool viewerPresent = true;
  std::vector<std::string> openFolders, folderTitles, folderStarts, opened;
  int beeps = 0;
};

struct FailingTrash : Shell {
  TrashResult MoveToTrash(const fs::path& path) override { return {false, TrashFailureText(path, "no trash"), {}}; }
};

struct Rig {
  Rig() : trash(dir.path() / "trash"), unzipper(ui, trash, dialogs) { fs::create_directory(dir.path() / "in"); }
  // A copy of a fixture in the rig's "in" folder.
  std::string Copy(const char* fixture, const std::string& as = {}) {
    const fs::path to = dir.path() / "in" / (as.empty() ? fixture : as);
    fs::copy_file(Fixture(std::string("tools/") + fixture), to);
    return to.string();
  }
  void SelectAll() {
    std::vector<int> all;
    for (int i = 0; i < static_cast<int>(unzipper.Archives().size()); ++i) all.push_back(i);
    unzipper.SetSelection(all, 0);
  }
  std::vector<std::string> Trashed() const {
    std::vector<std::string> names;
    if (fs::exists(dir.path() / "trash"))
      for (const auto& e : fs::directory_iterator(dir.path() / "trash")) names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }
  TempDir dir;
  ScriptedUi ui;
  FakeDialogs dialogs;
  FolderTrashShell trash;
  UnZipper unzipper;
};

TEST(UnZipper, ListAddsOnceInDialogOrderReversedAndDropsOnlyZips) {
  Rig rig;
  const std::string a = rig.Copy("mixed.zip"), b = rig.Copy("infozip.zip", "B.ZIP");
  rig.dialogs.archivesToChoose = {a, b};
  rig.unzipper.Add();
  EXPECT_EQ(rig.unzipper.Archives(), (std::vector<std::string>{b, a}));
  EXPECT_FALSE(rig.unzipper.AddArchive((rig.dir.path() / "in" / ".." / "in" / "mixed.zip").string()));
  rig.unzipper.Add();
  EXPECT_EQ(rig.dialogs.openFolders.back(), (rig.dir.path() / "in").string());  // the folder of the choice
  EXPECT_EQ(rig.unzipper.Archives().size(), 2u);

  rig.unzipper.Clear();
  test::WriteFile(rig.dir.path() / "in" / "notes.txt", "x");
  rig.unzipper.Drop({b, (rig.dir.path() / "in" / "notes.txt").string(), (rig.dir.path() / "in" / "gone.zip").string(),
                     a, a});
  EXPECT_EQ(rig.unzipper.Archives(), (std::vector<std::string>{b, a}));
}

TEST(UnZipper, GridAndStatus) {
  Rig rig;
  const std::string a = rig.Copy("mixed.zip"), b = rig.Copy("badcrc.zip");
  rig.unzipper.AddArchive(a);
  rig.unzipper.AddArchive(b);
  EXPECT_EQ(rig.unzipper.StatusText(), "Ready.");
  rig.unzipper.SetSelection({0}, 0);
  rig.unzipper.View();
  const auto& rows = rig.unzipper.Rows();
  ASSERT_EQ(rows.size(), 6u);
  EXPECT_EQ(rows[0].name, "readme.txt");
  EXPECT_EQ(rows[0].date, "2021-06-15 13:45:30");
  EXPECT_EQ(rows[0].size, "5000");
  ZipArchive z;
  ASSERT_TRUE(z.Open(a));
  EXPECT_EQ(rows[0].packSize, std::to_string(z.Entries()[0].compressedSize));
  EXPECT_EQ(rows[0].percent, std::to_string((5000 - z.Entries()[0].compressedSize) * 100 / 5000));
  for (int empty : {1, 3}) {  // the folder and the empty member: the name alone
    EXPECT_EQ(rows[empty].date + rows[empty].size + rows[empty].percent + rows[empty].packSize, "");
  }
  EXPECT_EQ(rig.unzipper.StatusText(), "[ Archive: mixed.zip ]   File selected: readme.txt");
  rig.unzipper.SelectMember(2);
  EXPECT_EQ(rig.unzipper.StatusText(), "[ Archive: mixed.zip ]   File selected: photos/pic.bin");
  rig.unzipper.SetSelection({0, 1}, 1);
  EXPECT_EQ(rig.unzipper.StatusText(), " 2 archives selected for batch.");

  const std::string broken = rig.Copy("truncated.zip");
  rig.unzipper.AddArchive(broken);
  rig.unzipper.SetSelection({2}, 2);
  rig.unzipper.View();
  EXPECT_TRUE(rig.unzipper.Rows().empty());
  EXPECT_EQ(rig.ui.Texts(), std::vector<std::string>{broken + "\nis incomplete or corrupted."});
  EXPECT_EQ(rig.unzipper.StatusText(), "[ Archive: truncated.zip ]   File selected: ");
}

TEST(UnZipper, SavedPercentIn64Bits) {
  EXPECT_EQ(ZipSavedPercent(100, 40), 60);
  EXPECT_EQ(ZipSavedPercent(100, 150), -50);
  EXPECT_EQ(ZipSavedPercent(0, 10), 0);
  EXPECT_EQ(ZipSavedPercent(100000000, 1), 99);  // (u - c) * 100 passes 2^31
  EXPECT_EQ(ZipSavedPercent(std::uint64_t{1} << 62, std::uint64_t{1} << 61), 50);
}

TEST(UnZipper, ShiftExtractsAllBesideThemselvesAndRecycles) {
  Rig rig;
  rig.unzipper.AddArchive(rig.Copy("infozip.zip"));
  rig.unzipper.AddArchive(rig.Copy("prepended.zip"));
  EXPECT_TRUE(rig.unzipper.Extract(ExtractCommand::All, true));
  EXPECT_TRUE(rig.ui.Calls().empty());
  EXPECT_TRUE(fs::exists(rig.dir.path() / "in" / "sub" / "b.bin"));
  EXPECT_TRUE(fs::exists(rig.dir.path() / "in" / "inside.txt"));
  EXPECT_EQ(rig.Trashed(), (std::vector<std::string>{"infozip.zip", "prepended.zip"}));
  EXPECT_TRUE(rig.unzipper.Archives().empty());
  ASSERT_EQ(rig.ui.Progresses().size(), 1u);
  const ProgressRecord& p = *rig.ui.Progresses()[0];
  EXPECT_EQ(p.title, "Unzipping ...");
  EXPECT_EQ(p.labels[0], "Archives:");
  EXPECT_EQ(p.labels[1], "Files:");
  EXPECT_EQ(p.position[0], 100);
  EXPECT_EQ(p.position[1], 100);
  EXPECT_EQ(p.statuses, (std::vector<std::string>{kProgressInitialStatus, "Unzipping ...", "infozip.zip",
                                                  "prepended.zip"}));
  EXPECT_FALSE(p.open);
}

TEST(UnZipper, ChosenFolderThenRecycleQuestion) {
  Rig rig;
  const std::string a = rig.Copy("mixed.zip");
  rig.unzipper.AddArchive(a);
  rig.unzipper.SetSelection({0}, 0);
  rig.unzipper.View();
  const fs::path out = rig.dir.path() / "out";
  fs::create_directory(out);
  rig.dialogs.folderToChoose = out.string();
  rig.ui.Queue(Button::No);  // not to the source folders
  rig.ui.Queue(Button::No);  // do not recycle
  EXPECT_FALSE(rig.unzipper.Extract(ExtractCommand::Selected, false));
  EXPECT_EQ(rig.dialogs.folderTitles, std::vector<std::string>{"Extract \"mixed.zip\" to"});
  EXPECT_EQ(rig.dialogs.folderStarts, std::vector<std::string>{(rig.dir.path() / "in").string()});
  EXPECT_EQ(rig.ui.Texts(), (std::vector<std::string>{"Extract ZIP archive(s) to source folders?", "Recycle mixed.zip ?"}));
  EXPECT_EQ(rig.ui.Calls()[0].helpContext, kUnZipHelpContext);
  EXPECT_TRUE(rig.ui.Calls()[0].buttons.Has(Button::Cancel));
  EXPECT_EQ(rig.dialogs.beeps, 1);
  EXPECT_TRUE(fs::exists(out / "big.bin"));
  EXPECT_TRUE(fs::exists(a));
  EXPECT_EQ(rig.unzipper.Archives().size(), 1u);

  // Yes this time, with two archives listed: the count names them, and only the selection goes.
  rig.unzipper.AddArchive(rig.Copy("cp437.zip"));
  rig.unzipper.SetSelection({0, 1}, 0);
  rig.ui.Clear();
  rig.ui.Queue(Button::No);
  rig.ui.Queue(Button::Yes);
  const fs::path out2 = rig.dir.path() / "out2";
  fs::create_directory(out2);
  rig.dialogs.folderToChoose = out2.string();
  rig.unzipper.Extract(ExtractCommand::Selected, false);
  EXPECT_EQ(rig.dialogs.folderTitles.back(), "Extract 2 ZIP files to ");
  EXPECT_EQ(rig.ui.Texts().back(), "Recycle 2 selected ZIP files ?");
  EXPECT_EQ(rig.Trashed(), (std::vector<std::string>{"cp437.zip", "mixed.zip"}));
  EXPECT_TRUE(rig.unzipper.Archives().empty());

  // Cancel, or a cancelled folder dialog, ends the command with nothing done.
  rig.unzipper.AddArchive(rig.Copy("infozip.zip"));
  rig.ui.Clear();
  rig.ui.Queue(Button::Cancel);
  EXPECT_FALSE(rig.unzipper.Extract(ExtractCommand::All, false));
  rig.ui.Queue(Button::No);
  rig.dialogs.folderToChoose.clear();
  EXPECT_FALSE(rig.unzipper.Extract(ExtractCommand::All, false));
  EXPECT_TRUE(rig.ui.Progresses().empty());
}

TEST(UnZipper, ExceptionsAreLoggedAndKeepTheArchive) {
  Rig rig;
  const std::string a = rig.Copy("badcrc.zip");
  rig.unzipper.AddArchive(a);
  rig.dialogs.viewerPresent = false;
  rig.ui.Queue(Button::Yes);  // source folders
  rig.ui.Queue(Button::Yes);  // view the log
  EXPECT_FALSE(rig.unzipper.Extract(ExtractCommand::All, false));
  EXPECT_EQ(rig.ui.Texts(), (std::vector<std::string>{"Extract ZIP archive(s) to source folders?",
                                                      "1 file(s) unzipped.\nThere were exceptions.  View log?",
                                                      "Text viewer not found."}));
  EXPECT_EQ(rig.dialogs.opened, std::vector<std::string>{AppPaths::ZipErrsLog().string()});
  EXPECT_EQ(ReadFile(AppPaths::ZipErrsLog()), "data.txt in " + a + " is corrupted (bad CRC).\r\n");
  EXPECT_TRUE(fs::exists(a));
  EXPECT_TRUE(rig.Trashed().empty());
  EXPECT_EQ(rig.unzipper.Archives().size(), 1u);
}

TEST(UnZipper, MissingAndEmptySelection) {
  Rig rig;
  const std::string a = rig.Copy("mixed.zip");
  rig.unzipper.AddArchive(a);
  rig.unzipper.AddArchive((rig.dir.path() / "in" / "gone.zip").string());
  rig.ui.Queue(Button::Yes);
  EXPECT_FALSE(rig.unzipper.Extract(ExtractCommand::Selected, false));
  EXPECT_EQ(rig.ui.Texts(),
            (std::vector<std::string>{"Extract ZIP archive(s) to source folders?",
                                      "Missing file!\n" + (rig.dir.path() / "in" / "gone.zip").string() +
                                          "\nItem removed from list.",
                                      "No ZIPs selected."}));
  EXPECT_EQ(rig.unzipper.Archives(), std::vector<std::string>{a});
}

TEST(UnZipper, AFailedArchiveStopsTheRunAndKeepsTheWindow) {
  Rig rig;
  const std::string bad = rig.Copy("overlap.zip"), good = rig.Copy("infozip.zip");
  rig.unzipper.AddArchive(bad);
  rig.unzipper.AddArchive(good);
  rig.ui.Queue(Button::No);  // do not view the log
  EXPECT_FALSE(rig.unzipper.Extract(ExtractCommand::All, true));
  EXPECT_FALSE(fs::exists(rig.dir.path() / "in" / "a.txt"));  // the run stopped after the failure
  ASSERT_EQ(rig.unzipper.Log().size(), 1u);
  EXPECT_EQ(rig.unzipper.Log()[0].rfind(bad + " is incomplete or corrupted: ", 0), 0u);
  EXPECT_TRUE(rig.Trashed().empty());
  EXPECT_EQ(rig.unzipper.Selection(), std::vector<int>{1});  // the failed archive deselected
}

TEST(UnZipper, CancelReportsRecovery) {
  Rig rig;
  rig.unzipper.AddArchive(rig.Copy("infozip.zip"));
  rig.unzipper.AddArchive(rig.Copy("prepended.zip"));
  // Cancel pressed once the first archive's last member is out.
  const fs::path last = rig.dir.path() / "in" / "sub" / "b.bin";
  rig.ui.SetPumpHook([&] {
    if (fs::exists(last)) Flags().AbortRequest = true;
  });
  rig.unzipper.Extract(ExtractCommand::All, true);
  EXPECT_FALSE(fs::exists(rig.dir.path() / "in" / "inside.txt"));
  EXPECT_TRUE(rig.Trashed().empty());
  EXPECT_EQ(rig.ui.Texts(), std::vector<std::string>{"There were extraction errors.\nSome files were recovered."});

  // Cancelled before anything was written: nothing to report.
  rig.ui.Clear();
  rig.ui.SetPumpHook([] { Flags().AbortRequest = true; });
  rig.unzipper.AddArchive(rig.Copy("mixed.zip"));
  rig.unzipper.SetSelection({2}, 2);
  rig.ui.Queue(Button::Yes);
  rig.unzipper.Extract(ExtractCommand::Selected, false);
  EXPECT_FALSE(fs::exists(rig.dir.path() / "in" / "readme.txt"));
  EXPECT_EQ(rig.ui.Texts(), std::vector<std::string>{"Extract ZIP archive(s) to source folders?"});
  Flags().AbortRequest = false;
}

TEST(UnZipper, RefusedWhileAnotherOperationRuns) {
  Rig rig;
  const std::string a = rig.Copy("infozip.zip");
  rig.unzipper.AddArchive(a);
  Flags().CriticalProcess = true;
  const bool close = rig.unzipper.Extract(ExtractCommand::All, true);
  Flags().CriticalProcess = false;
  EXPECT_FALSE(close);
  EXPECT_EQ(rig.ui.Texts(), std::vector<std::string>{kCriticalProcessText});
  EXPECT_TRUE(fs::exists(a));
  EXPECT_FALSE(fs::exists(rig.dir.path() / "in" / "a.txt"));
}

TEST(UnZipper, SingleFile) {
  Rig rig;
  rig.unzipper.AddArchive(rig.Copy("mixed.zip"));
  rig.unzipper.SetSelection({0}, 0);
  rig.unzipper.View();
  rig.unzipper.SelectMember(2);
  const fs::path out = rig.dir.path() / "out";
  fs::create_directory(out);
  rig.dialogs.folderToChoose = out.string();
  rig.unzipper.ExtractSingleFile();
  EXPECT_EQ(rig.dialogs.folderTitles, std::vector<std::string>{"Extract \"photos/pic.bin\" to "});
  EXPECT_EQ(test::Tree(out).size(), 2u);
  EXPECT_TRUE(fs::exists(out / "photos" / "pic.bin"));
  EXPECT_EQ(rig.ui.Texts(), std::vector<std::string>{"1 file(s) unzipped."});
  EXPECT_TRUE(rig.Trashed().empty());
}

TEST(UnZipper, MemberForTheViewer) {
  Rig rig;
  rig.unzipper.AddArchive(rig.Copy("mixed.zip"));
  rig.unzipper.SetSelection({0}, 0);
  rig.unzipper.View();
  rig.unzipper.SelectMember(4);
  const std::string file = rig.unzipper.ExtractSelectedForViewing();
  ASSERT_FALSE(file.empty());
  EXPECT_EQ(fs::path(file).filename().string(), "na\xC3\xAFve caf\xC3\xA9.txt");
  EXPECT_EQ(ReadFile(file), "Gr\xC3\xBC\xC3\x9F" "e\n");
  EXPECT_EQ(fs::path(file).parent_path().parent_path(), AppPaths::RunTemp());
  // Twice: a new folder, nothing replaced.
  EXPECT_NE(rig.unzipper.ExtractSelectedForViewing(), file);

  rig.unzipper.AddArchive(rig.Copy("badcrc.zip"));
  rig.unzipper.SetSelection({1}, 1);
  rig.unzipper.View();
  rig.unzipper.SelectMember(0);
  EXPECT_EQ(rig.unzipper.ExtractSelectedForViewing(), "");
  EXPECT_EQ(rig.ui.Texts().back(), BadCrcLine("data.txt", rig.unzipper.Archives()[1]));
}

TEST(UnZipper, OptionsAndDelete) {
  Rig rig;
  EXPECT_TRUE(rig.unzipper.SkipDuplicates());
  rig.unzipper.ToggleSkipDuplicates();
  rig.unzipper.ToggleSkipDuplicates();
  EXPECT_EQ(rig.ui.Texts(), (std::vector<std::string>{"If a target file exists, a numbered duplicate will be created.",
                                                      "If a target file exists, it will not be extracted."}));

  const std::string a = rig.Copy("mixed.zip"), b = rig.Copy("cp437.zip"), c = rig.Copy("infozip.zip");
  for (const auto& p : {a, b, c}) rig.unzipper.AddArchive(p);
  rig.unzipper.SetSelection({0, 2}, 0);
  rig.ui.Clear();
  rig.ui.Queue(Button::Yes);
  rig.unzipper.Delete();
  EXPECT_EQ(rig.ui.Texts(), std::vector<std::string>{"Recycle 2 ZIP archive(s) ?"});
  EXPECT_EQ(rig.Trashed(), (std::vector<std::string>{"infozip.zip", "mixed.zip"}));
  EXPECT_EQ(rig.unzipper.Archives(), std::vector<std::string>{b});

  // A trash that refuses keeps the file and its place in the list.
  FailingTrash failing;
  ScriptedUi ui;
  UnZipper u(ui, failing, rig.dialogs);
  u.AddArchive(b);
  u.SetSelection({0}, 0);
  ui.Queue(Button::Yes);
  u.Delete();
  EXPECT_TRUE(fs::exists(b));
  EXPECT_EQ(u.Archives(), std::vector<std::string>{b});
  EXPECT_EQ(ui.Texts().back(), TrashFailureText(b, "no trash"));
}

}  // namespace
}  // namespace pelira
