#include "common/app_paths.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "support/test_support.h"

namespace pelira {
namespace {

namespace fs = std::filesystem;

// Sets or clears environment variables for one test and puts the old values back.
class EnvGuard {
public:
  void Set(const char* name, const char* value) {
    Remember(name);
    if (value) setenv(name, value, 1);
    else unsetenv(name);
  }
  ~EnvGuard() {
    for (auto it = saved_.rbegin(); it != saved_.rend(); ++it) {
      if (it->second) setenv(it->first.c_str(), it->second->c_str(), 1);
      else unsetenv(it->first.c_str());
    }
  }

private:
  void Remember(const char* name) {
    const char* v = std::getenv(name);
    saved_.emplace_back(name, v ? std::optional<std::string>(v) : std::nullopt);
  }
  std::vector<std::pair<std::string, std::optional<std::string>>> saved_;
};

TEST(AppPaths, NamesInsideTheProgramFolder) {
  test::TempDir dir;
  EnvGuard env;
  env.Set("PELIRA_HOME", (dir / "home").c_str());
  const fs::path home = dir / "home";
  EXPECT_EQ(AppPaths::Home(), home);
  EXPECT_TRUE(fs::is_directory(home));
  EXPECT_EQ(AppPaths::HistoryList(), home / "HistoryList.txt");
  EXPECT_EQ(AppPaths::ZipErrsLog(), home / "ZipErrs_Log.txt");
  EXPECT_EQ(AppPaths::Wallpaper(), home / "PL_Wallpaper.Bmp");
  EXPECT_FALSE(fs::exists(AppPaths::HistoryList()));  // files are not made
  struct {
    fs::path got;
    const char* name;
  } const folders[] = {{AppPaths::Data(), "data"}, {AppPaths::BipFiles(), "bipfiles"},
                       {AppPaths::Recent(), "recent"}};
  for (const auto& f : folders) {
    EXPECT_EQ(f.got, home / f.name);
    EXPECT_TRUE(fs::is_directory(f.got)) << f.name;
  }
}

TEST(AppPaths, WhichFolderIsChosen) {
  test::TempDir dir;
  const std::string home = (dir / "user").string();
  const std::string xdg = (dir / "xdg").string();
  const std::string own = (dir / "own").string();
  struct Case {
    const char* pelira_home;
    const char* xdg_data_home;
    fs::path expected;
    bool chosen;
  } const cases[] = {
      {own.c_str(), xdg.c_str(), own, true},
      {"", xdg.c_str(), fs::path(xdg) / "Pelira", false},               // empty counts as unset
      {nullptr, xdg.c_str(), fs::path(xdg) / "Pelira", false},
      {nullptr, "relative/dir", fs::path(home) / ".local/share/Pelira", false},  // relative is ignored
      {nullptr, "", fs::path(home) / ".local/share/Pelira", false},
      {nullptr, nullptr, fs::path(home) / ".local/share/Pelira", false},
  };
  for (const auto& c : cases) {
    EnvGuard env;
    env.Set("HOME", home.c_str());
    env.Set("PELIRA_HOME", c.pelira_home);
    env.Set("XDG_DATA_HOME", c.xdg_data_home);
    EXPECT_EQ(AppPaths::Home(), c.expected);
    EXPECT_EQ(AppPaths::Data(), c.expected / "data");
    EXPECT_TRUE(fs::is_directory(c.expected / "data"));
    EXPECT_EQ(AppPaths::ChosenHome(), c.chosen ? c.expected : fs::path());
  }
}

TEST(AppPaths, RunTempIsPrivateAndRemoved) {
  const fs::path t = AppPaths::RunTemp();
  EXPECT_EQ(AppPaths::RunTemp(), t);  // one per run
  EXPECT_EQ(t.parent_path(), fs::temp_directory_path());
  struct stat st {};
  ASSERT_EQ(::stat(t.c_str(), &st), 0);
  EXPECT_TRUE(S_ISDIR(st.st_mode));
  EXPECT_EQ(st.st_mode & 0777, 0700u);

  test::WriteText(t / "pl_undo.pcx", "x");
  fs::create_directories(t / "nested/deeper");
  AppPaths::RemoveRunTemp();
  EXPECT_FALSE(fs::exists(t));
  AppPaths::RemoveRunTemp();  // twice is harmless

  const fs::path again = AppPaths::RunTemp();
  EXPECT_TRUE(fs::is_directory(again));
  AppPaths::RemoveRunTemp();
  EXPECT_FALSE(fs::exists(again));
}

}  // namespace
}  // namespace pelira
