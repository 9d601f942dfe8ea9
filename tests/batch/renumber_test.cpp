#include "batch/renumber.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <map>

#include "support/test_support.h"

namespace pelira {
namespace {

namespace fs = std::filesystem;
using test::TempDir;

TEST(NumberWidth, DigitsOfTheCount) {
  const std::pair<std::size_t, int> cases[] = {{1, 1}, {9, 1}, {10, 2}, {99, 2}, {100, 3},
                                               {999, 3}, {1000, 4}, {9999, 4}, {10000, 5}, {99999, 5}};
  for (const auto& [count, width] : cases) EXPECT_EQ(NumberWidth(count), width) << count;
}

std::vector<std::string> Names(const std::vector<RenameStep>& steps) {
  std::vector<std::string> out;
  for (const RenameStep& s : steps) out.push_back(fs::path(s.to).filename().string());
  return out;
}

TEST(PlanRenumber, NamesAndPadding) {
  TempDir dir;
  std::vector<std::string> nine, hundred;
  for (int i = 0; i < 100; ++i) {
    const fs::path p = dir / ("f" + std::to_string(i) + (i % 2 ? ".JPG" : ".png"));
    test::WriteText(p, "x");
    (i < 9 ? nine : hundred).push_back(p.string());
  }
  hundred.insert(hundred.begin(), nine.begin(), nine.end());
  const auto n9 = Names(PlanRenumber(nine, {.prefix = "pic"}).steps);
  EXPECT_EQ(n9.front(), "pic1.png");
  EXPECT_EQ(n9.back(), "pic9.png");
  const auto n100 = Names(PlanRenumber(hundred, {.prefix = "pic"}).steps);
  ASSERT_EQ(n100.size(), 100u);
  EXPECT_EQ(n100[0], "pic001.png");
  EXPECT_EQ(n100[1], "pic002.JPG");
  EXPECT_EQ(n100[99], "pic100.JPG");
  EXPECT_EQ(Names(PlanRenumber(nine, {.numericPrefix = true}).steps)[2], "3~f2.png");
  EXPECT_EQ(Names(PlanRenumber(nine, {.prefix = "s", .newExtension = ".tif"}).steps)[0], "s1.tif");
}

TEST(PlanRenumber, RefusedBatches) {
  const struct {
    std::string prefix;
    std::size_t count;
    const char* text;
  } cases[] = {
      {"pic", kMaxRenumbered + 1, "Only 99999 items can be renamed."},
      {"a/b", 2, "A file name cannot hold \"/\"."},
      {"a\nb", 2, "A file name cannot hold control characters."},
      {"..", 2, "\"..\" cannot be part of a file name."},
  };
  for (const auto& c : cases) {
    std::vector<std::string> files;
    for (std::size_t i = 0; i < c.count; ++i) files.push_back("/nonexistent/f" + std::to_string(i));
    const RenumberPlan plan = PlanRenumber(files, {.prefix = c.prefix});
    EXPECT_EQ(plan.refused, c.text);
    EXPECT_TRUE(plan.steps.empty());
  }
}

// Renumbering a folder onto names that already exist: the batch's own files make way for
// each other; a file outside the batch keeps its name and its holder keeps its own.
TEST(PlanRenumber, OntoExistingNamesNoFileIsLost) {
  TempDir dir;
  for (const char* n : {"pic1.jpg", "pic2.jpg", "pic3.jpg", "other.jpg", "pic4.jpg"}) test::WriteText(dir / n, n);
  std::map<std::string, ino_t> inode;
  for (const auto& e : fs::directory_iterator(dir.path())) {
    struct stat st;
    ::lstat(e.path().c_str(), &st);
    inode[e.path().filename().string()] = st.st_ino;
  }
  // pic4.jpg is outside the batch and holds the name the fourth file wants.
  const std::vector<std::string> batch = {(dir / "pic3.jpg").string(), (dir / "pic1.jpg").string(),
                                          (dir / "pic2.jpg").string(), (dir / "other.jpg").string()};
  const RenumberPlan plan = PlanRenumber(batch, {.prefix = "pic"});
  ASSERT_EQ(plan.failures, std::vector<std::string>{"Could not rename other.jpg"});
  const RenameReport r = ApplyRenames(plan.steps);
  EXPECT_TRUE(r.failures.empty());
  const std::map<std::string, std::string> after = {{"pic1.jpg", "pic3.jpg"}, {"pic2.jpg", "pic1.jpg"},
                                                    {"pic3.jpg", "pic2.jpg"}, {"pic4.jpg", "pic4.jpg"},
                                                    {"other.jpg", "other.jpg"}};
  std::size_t count = 0;
  for (const auto& e : fs::directory_iterator(dir.path())) {
    ++count;
    const std::string name = e.path().filename().string();
    ASSERT_TRUE(after.count(name)) << name;
    const auto bytes = test::ReadBytes(e.path());
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()), after.at(name));
    struct stat st;
    ::lstat(e.path().c_str(), &st);
    EXPECT_EQ(st.st_ino, inode.at(after.at(name)));
  }
  EXPECT_EQ(count, after.size());
}

}  // namespace
}  // namespace pelira
