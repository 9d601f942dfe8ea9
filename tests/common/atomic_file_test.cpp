#include "common/atomic_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <set>
#include <string>

#include "support/test_support.h"

namespace pelira {
namespace {

namespace fs = std::filesystem;

std::string Read(const fs::path& p) {
  const auto b = test::ReadBytes(p);
  return {b.begin(), b.end()};
}

std::set<std::string> Names(const fs::path& dir) {
  std::set<std::string> names;
  for (const auto& e : fs::directory_iterator(dir)) names.insert(e.path().filename().string());
  return names;
}

TEST(AtomicFile, CreatesAndReplaces) {
  test::TempDir dir;
  const fs::path target = dir / "album.avl";
  ASSERT_TRUE(AtomicWrite(target, "first"));
  EXPECT_EQ(Read(target), "first");
  const std::string big(3 << 20, 'x');  // more than one write call's worth on some systems
  const WriteResult r = AtomicWrite(target, big);
  EXPECT_TRUE(r.ok) << r.message;
  EXPECT_TRUE(r.message.empty());
  EXPECT_EQ(Read(target), big);
  ASSERT_TRUE(AtomicWrite(target, ""));
  EXPECT_EQ(fs::file_size(target), 0u);
  EXPECT_EQ(Names(dir.path()), std::set<std::string>{"album.avl"});  // no temporary left
}

TEST(AtomicFile, KeepsPermissionsOfTheOldFile) {
  test::TempDir dir;
  const fs::path target = dir / "settings.ini";
  test::WriteText(target, "old");
  ASSERT_EQ(::chmod(target.c_str(), 0640), 0);
  ASSERT_TRUE(AtomicWrite(target, "new"));
  struct stat st {};
  ASSERT_EQ(::stat(target.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0640u);
}

TEST(AtomicFile, WritesThroughASymbolicLink) {
  test::TempDir dir;
  fs::create_directories(dir / "real");
  test::WriteText(dir / "real/list.plp", "old");
  fs::create_symlink("real/list.plp", dir / "link.plp");
  ASSERT_TRUE(AtomicWrite(dir / "link.plp", "new"));
  EXPECT_TRUE(fs::is_symlink(dir / "link.plp"));
  EXPECT_EQ(Read(dir / "real/list.plp"), "new");
  EXPECT_EQ(Names(dir / "real"), std::set<std::string>{"list.plp"});
}

TEST(AtomicFile, FailureLeavesEverythingAsItWas) {
  test::TempDir dir;
  // A folder where the file should go: the rename cannot replace it.
  fs::create_directories(dir / "taken.jpg");
  test::WriteText(dir / "taken.jpg/inside", "keep");
  const WriteResult r = AtomicWrite(dir / "taken.jpg", "data");
  EXPECT_FALSE(r.ok);
  EXPECT_NE(r.message.find("taken.jpg"), std::string::npos) << r.message;
  EXPECT_EQ(Read(dir / "taken.jpg/inside"), "keep");
  EXPECT_EQ(Names(dir.path()), std::set<std::string>{"taken.jpg"});

  const WriteResult missing = AtomicWrite(dir / "no/such/folder/a.bmp", "data");
  EXPECT_FALSE(missing.ok);
  EXPECT_FALSE(missing.message.empty());
  EXPECT_FALSE(AtomicWrite("", "data").ok);
}

TEST(AtomicFile, ReadOnlyFolderKeepsTheOldFile) {
  test::TempDir dir;
  const fs::path folder = dir / "ro";
  fs::create_directories(folder);
  test::WriteText(folder / "pic.bmp", "old");
  ASSERT_EQ(::chmod(folder.c_str(), 0555), 0);
  // Root (or a capability) writes into read-only folders anyway; then there is nothing to see.
  const fs::path probe = folder / "probe";
  if (std::ofstream(probe).good()) {
    fs::remove(probe);
    ::chmod(folder.c_str(), 0755);
    GTEST_SKIP() << "folder permissions are not enforced for this user";
  }
  const WriteResult r = AtomicWrite(folder / "pic.bmp", "new");
  ::chmod(folder.c_str(), 0755);
  EXPECT_FALSE(r.ok);
  EXPECT_FALSE(r.message.empty());
  EXPECT_EQ(Read(folder / "pic.bmp"), "old");
  EXPECT_EQ(Names(folder), std::set<std::string>{"pic.bmp"});
}

TEST(AtomicFile, WriterInPieces) {
  test::TempDir dir;
  const fs::path target = dir / "script.bip";
  test::WriteText(target, "old");
  {
    AtomicFileWriter w(target);
    ASSERT_TRUE(w.ok()) << w.error();
    EXPECT_EQ(w.temp_path().parent_path(), target.parent_path());  // beside the target
    EXPECT_TRUE(w.Write("GAMMA=120\r\n"));
    EXPECT_TRUE(w.Write("SAVE\r\n", 6));
    EXPECT_EQ(Read(target), "old");  // nothing shows before the commit
    ASSERT_TRUE(w.Commit());
  }
  EXPECT_EQ(Read(target), "GAMMA=120\r\nSAVE\r\n");

  {
    AtomicFileWriter w(target);
    w.Write("abandoned");
  }  // destroyed without a commit
  EXPECT_EQ(Read(target), "GAMMA=120\r\nSAVE\r\n");
  EXPECT_EQ(Names(dir.path()), std::set<std::string>{"script.bip"});

  AtomicFileWriter w(target);
  w.Write("discarded");
  w.Discard();
  EXPECT_FALSE(w.Commit().ok);  // a discarded writer cannot report success
  EXPECT_FALSE(w.Write("more"));
  EXPECT_EQ(Read(target), "GAMMA=120\r\nSAVE\r\n");
  EXPECT_EQ(Names(dir.path()), std::set<std::string>{"script.bip"});
}

}  // namespace
}  // namespace pelira
