#include <gtest/gtest.h>

#include <filesystem>

#include "platform/shell.h"
#include "support/test_support.h"

namespace pelira {
namespace {

namespace fs = std::filesystem;

TEST(FolderTrashShell, MovesItemsInAndNeverOverwritesAnEarlierOne) {
  test::TempDir dir;
  FolderTrashShell trash(dir / "trash");
  fs::create_directories(dir / "a");
  fs::create_directories(dir / "b");
  test::WriteText(dir / "a" / "x.jpg", "first");
  test::WriteText(dir / "b" / "x.jpg", "second");

  const TrashResult r1 = trash.MoveToTrash(dir / "a" / "x.jpg");
  const TrashResult r2 = trash.MoveToTrash(dir / "b" / "x.jpg");
  ASSERT_TRUE(r1.ok) << r1.message;
  ASSERT_TRUE(r2.ok) << r2.message;
  EXPECT_TRUE(r1.message.empty());
  EXPECT_FALSE(fs::exists(dir / "a" / "x.jpg"));
  EXPECT_NE(r1.trashedAs, r2.trashedAs);
  EXPECT_EQ(test::ReadBytes(r1.trashedAs), std::vector<std::uint8_t>({'f', 'i', 'r', 's', 't'}));
  EXPECT_EQ(test::ReadBytes(r2.trashedAs).size(), 6u);

  fs::create_directories(dir / "folder" / "sub");
  const TrashResult r3 = trash.MoveToTrash(dir / "folder/");
  ASSERT_TRUE(r3.ok) << r3.message;
  EXPECT_TRUE(fs::is_directory(r3.trashedAs / "sub"));
  EXPECT_FALSE(fs::exists(dir / "folder"));
}

TEST(FolderTrashShell, MissingItemFailsWithText) {
  test::TempDir dir;
  FolderTrashShell trash(dir / "trash");
  const TrashResult r = trash.MoveToTrash(dir / "gone.jpg");
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(r.message.rfind("Could not move " + (dir / "gone.jpg").string() + " to the trash.\n", 0), 0u)
      << r.message;
}

TEST(CurrentShell, DefaultRefusesAndKeepsTheFile) {
  test::TempDir dir;
  test::WriteText(dir / "keep.jpg", "x");
  const TrashResult r = CurrentShell().MoveToTrash(dir / "keep.jpg");
  EXPECT_FALSE(r.ok);
  EXPECT_FALSE(r.message.empty());
  EXPECT_TRUE(fs::exists(dir / "keep.jpg"));

  FolderTrashShell trash(dir / "trash");
  SetCurrentShell(&trash);
  EXPECT_TRUE(CurrentShell().MoveToTrash(dir / "keep.jpg").ok);
  SetCurrentShell(nullptr);
  EXPECT_FALSE(fs::exists(dir / "keep.jpg"));
}

}  // namespace
}  // namespace pelira
