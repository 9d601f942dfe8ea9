#include "common/atomic_file.h"

#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <ctime>

#include <filesystem>
#include <fstream>
#include <cstring>
#include <set>
#include <vector>
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
    // Beside the target, or without a name at all until it is complete.
    if (!w.unnamed()) EXPECT_EQ(w.temp_path().parent_path(), target.parent_path());
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

// An existing target that is not a regular file is never replaced by one: a save onto a
// FIFO, a device node, a folder or a link to any of them fails and leaves the node.
TEST(AtomicFile, RefusesTargetsThatAreNotRegularFiles) {
  test::TempDir dir;
  ASSERT_EQ(::mkfifo((dir / "pipe.bmp").c_str(), 0600), 0);
  fs::create_symlink("pipe.bmp", dir / "to_pipe.bmp");
  fs::create_directories(dir / "folder.bmp");
  std::vector<std::string> names = {"pipe.bmp", "to_pipe.bmp", "folder.bmp"};
  // A device node of our own where the system lets us make one (root): a copy of /dev/null.
  if (::mknod((dir / "null.bmp").c_str(), S_IFCHR | 0666, makedev(1, 3)) == 0) {
    fs::create_symlink(dir / "null.bmp", dir / "to_null.bmp");
    names.push_back("null.bmp");
    names.push_back("to_null.bmp");
  }
  const std::set<std::string> before = Names(dir.path());
  for (const std::string& name : names) {
    SCOPED_TRACE(name);
    const WriteResult r = AtomicWrite(dir / name, "picture");
    EXPECT_FALSE(r.ok);
    EXPECT_NE(r.message.find("not a regular file"), std::string::npos) << r.message;
  }
  EXPECT_EQ(Names(dir.path()), before);
  EXPECT_TRUE(fs::is_fifo(dir / "pipe.bmp"));
  EXPECT_TRUE(fs::is_symlink(dir / "to_pipe.bmp"));
  if (fs::exists(fs::symlink_status(dir / "null.bmp"))) {
    EXPECT_TRUE(fs::is_character_file(dir / "null.bmp"));
  }
}

// A read-only file in a writable folder is a failure unless the user chose to overwrite it;
// then it is replaced and stays read-only.
TEST(AtomicFile, ReadOnlyTargetNeedsTheUsersChoice) {
  test::TempDir dir;
  const fs::path target = dir / "keep.bmp";
  test::WriteText(target, "old");
  ASSERT_EQ(::chmod(target.c_str(), 0444), 0);
  const WriteResult r = AtomicWrite(target, "new");
  EXPECT_FALSE(r.ok);
  EXPECT_NE(r.message.find("read-only"), std::string::npos) << r.message;
  EXPECT_EQ(Read(target), "old");
  EXPECT_EQ(Names(dir.path()), std::set<std::string>{"keep.bmp"});

  AtomicWriteOptions chosen;
  chosen.replaceReadOnly = true;
  const WriteResult forced = AtomicWrite(target, "new", chosen);
  ASSERT_TRUE(forced.ok) << forced.message;
  EXPECT_EQ(Read(target), "new");
  struct stat st {};
  ASSERT_EQ(::stat(target.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0444u);
}

// The cause of a failed write reaches the message: here the file size limit stands in for a
// full disk (the write fails with the system's own reason).
TEST(AtomicFile, FailureCarriesItsCause) {
  test::TempDir dir;
  const fs::path target = dir / "big.bmp";
  test::WriteText(target, "old");
  struct rlimit old {};
  ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old), 0);
  const auto oldSignal = std::signal(SIGXFSZ, SIG_IGN);
  struct rlimit small = old;
  small.rlim_cur = 4096;
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
  const WriteResult r = AtomicWrite(target, std::string(100000, 'x'));
  ::setrlimit(RLIMIT_FSIZE, &old);
  std::signal(SIGXFSZ, oldSignal);
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(r.cause, std::strerror(EFBIG));
  EXPECT_NE(r.message.find(std::strerror(EFBIG)), std::string::npos) << r.message;
  EXPECT_NE(r.message.find("big.bmp"), std::string::npos) << r.message;
  EXPECT_EQ(Read(target), "old");
  EXPECT_EQ(Names(dir.path()), std::set<std::string>{"big.bmp"});
}

// A save killed half way: runs the writer in a child that kills itself before the commit.
void KilledSave(const fs::path& target, const AtomicWriteOptions& options) {
  const pid_t pid = ::fork();
  ASSERT_GE(pid, 0);
  if (pid == 0) {
    AtomicFileWriter w(target, options);
    w.Write(std::string(1 << 16, 'k'));
    ::raise(SIGKILL);
    ::_exit(0);
  }
  int status = 0;
  ASSERT_EQ(::waitpid(pid, &status, 0), pid);
  ASSERT_TRUE(WIFSIGNALED(status));
}

void AgeFile(const fs::path& p, int seconds) {
  const struct timespec t[2] = {{std::time(nullptr) - seconds, 0}, {std::time(nullptr) - seconds, 0}};
  ASSERT_EQ(::utimensat(AT_FDCWD, p.c_str(), t, 0), 0);
}

TEST(AtomicFile, KilledSaveLeavesNoTemporaryBehind) {
  test::TempDir dir;
  const fs::path target = dir / "photo.bmp";
  test::WriteText(target, "old");
  {
    AtomicFileWriter probe(target);
    if (!probe.unnamed()) GTEST_SKIP() << "this file system has no unnamed temporaries";
  }
  KilledSave(target, {});
  EXPECT_EQ(Read(target), "old");
  EXPECT_EQ(Names(dir.path()), std::set<std::string>{"photo.bmp"});
}

TEST(AtomicFile, NamedTemporariesOfKilledSavesAreSweptLiveOnesKept) {
  test::TempDir dir;
  const fs::path target = dir / "photo.bmp";
  test::WriteText(target, "old");
  AtomicWriteOptions named;
  named.unnamedTemporary = false;
  KilledSave(target, named);
  KilledSave(target, named);
  std::set<std::string> names = Names(dir.path());
  ASSERT_EQ(names.size(), 3u);
  for (const std::string& n : names)
    if (n != "photo.bmp") AgeFile(dir / n, 3600);
  // A writer still at work, its temporary just as old: not ours to take.
  AtomicFileWriter live(target, named);
  ASSERT_TRUE(live.ok()) << live.error();
  AgeFile(live.temp_path(), 3600);
  // A file of another name pattern is not ours either.
  test::WriteText(dir / ".photo.bmp.notours.tmp", "x");
  AgeFile(dir / ".photo.bmp.notours.tmp", 3600);

  ASSERT_TRUE(AtomicWrite(target, "new", named));
  EXPECT_EQ(Read(target), "new");
  EXPECT_EQ(Names(dir.path()), (std::set<std::string>{"photo.bmp", live.temp_path().filename().string(),
                                                      ".photo.bmp.notours.tmp"}));
  live.Write("live");
  ASSERT_TRUE(live.Commit());
  EXPECT_EQ(Read(target), "live");
  EXPECT_EQ(Names(dir.path()), (std::set<std::string>{"photo.bmp", ".photo.bmp.notours.tmp"}));
}

// The new file keeps the old one's owner and group where the saver may give them (root).
TEST(AtomicFile, KeepsOwnerWherePermitted) {
  if (::geteuid() != 0) GTEST_SKIP() << "only root may give a file to another owner";
  test::TempDir dir;
  const fs::path target = dir / "theirs.bmp";
  test::WriteText(target, "old");
  ASSERT_EQ(::chown(target.c_str(), 12345, 23456), 0);
  ASSERT_TRUE(AtomicWrite(target, "new"));
  struct stat st {};
  ASSERT_EQ(::stat(target.c_str(), &st), 0);
  EXPECT_EQ(st.st_uid, 12345u);
  EXPECT_EQ(st.st_gid, 23456u);
}

}  // namespace
}  // namespace pelira
