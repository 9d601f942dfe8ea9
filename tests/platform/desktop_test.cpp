// The desktop's file associations and wallpaper, checked with the desktop's own tools: gio
// reads the defaults and launches entries, a stand-in gsettings on PATH keeps the keys.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "platform/desktop_wallpaper.h"
#include "platform/file_associations.h"
#include "platform/run_program.h"
#include "support/test_support.h"

namespace pelira {
namespace {

namespace fs = std::filesystem;

std::string Read(const fs::path& p) {
  std::ifstream f(p, std::ios::binary);
  std::stringstream ss;
  ss << f.rdbuf();
  return ss.str();
}

void WriteExecutable(const fs::path& p, const std::string& text) {
  std::ofstream(p) << text;
  ::chmod(p.c_str(), 0755);
}

// Sets an environment variable for one test.
struct Env {
  Env(const char* name, const std::string& value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old, had_ = true;
    ::setenv(name, value.c_str(), 1);
  }
  ~Env() {
    if (had_) ::setenv(name_, old_.c_str(), 1);
    else ::unsetenv(name_);
  }
  const char* name_;
  std::string old_;
  bool had_ = false;
};

bool HaveGio() { return RunProgram({"gio", "help"}).started; }

// What gio says opens the type by default ("" for nothing).
std::string GioDefault(const std::string& type) {
  const ProgramRun r = RunProgram({"gio", "mime", type});
  const std::string head = "Default application for";
  const std::size_t at = r.output.find(head);
  if (at == std::string::npos) return {};
  const std::size_t colon = r.output.find(": ", at);
  const std::size_t end = r.output.find('\n', colon);
  return r.output.substr(colon + 2, end - colon - 2);
}

TEST(FileAssociations, DefaultsEditKeepsEverythingElse) {
  const struct {
    const char* before;
    std::vector<std::string> types;
    const char* id;
    const char* after;
  } cases[] = {
      {"", {"image/png"}, "p.desktop", "[Default Applications]\nimage/png=p.desktop;\n"},
      {"[Default Applications]\nimage/gif=g.desktop;\nimage/png=old.desktop;\n\n[Added Associations]\nimage/png=x;\n",
       {"image/png", "image/bmp"}, "p.desktop",
       "[Default Applications]\nimage/gif=g.desktop;\nimage/png=p.desktop;\nimage/bmp=p.desktop;\n\n"
       "[Added Associations]\nimage/png=x;\n"},
      {"[Added Associations]\nimage/png=x;\n", {"image/png"}, "p.desktop",
       "[Added Associations]\nimage/png=x;\n\n[Default Applications]\nimage/png=p.desktop;\n"},
      // Removing: the type's default goes, its added association stays.
      {"[Default Applications]\nimage/png = old.desktop;\nimage/gif=g.desktop;\n[Added Associations]\nimage/png=x;\n",
       {"image/png"}, "", "[Default Applications]\nimage/gif=g.desktop;\n[Added Associations]\nimage/png=x;\n"},
      {"[Default Applications]\r\nimage/png=a;\r\n", {"image/png"}, "b", "[Default Applications]\nimage/png=b;\n"},
  };
  for (const auto& c : cases) EXPECT_EQ(WithDefaults(c.before, c.types, c.id), c.after) << c.before;
}

TEST(FileAssociations, ItemsAndClasses) {
  const auto& items = AssociationItems();
  ASSERT_EQ(items.size(), 11u);
  EXPECT_EQ(items[3].label, ".JPG (JPEG images)");
  EXPECT_EQ(items[3].extensions, (std::vector<std::string>{".jpg", ".jpe", ".jpeg"}));
  EXPECT_EQ(AssociationClass(3), "JPG file");
  EXPECT_EQ(AssociationClass(9), "TIF file");
  EXPECT_EQ(AssociationClass(99), "");
}

// Set makes the program the default for the chosen kinds only, as the desktop reads it;
// Change hands a kind to another program, or to none.
TEST(FileAssociations, SetAndChangeAsTheDesktopSeesThem) {
  if (!HaveGio()) GTEST_SKIP() << "gio is not installed";
  test::TempDir dir;
  const Env data("XDG_DATA_HOME", (dir.path() / "data").string());
  const Env config("XDG_CONFIG_HOME", (dir.path() / "config").string());
  const Env dirs("XDG_DATA_DIRS", (dir.path() / "none").string());
  const Env configDirs("XDG_CONFIG_DIRS", (dir.path() / "none").string());
  const XdgHomes homes = CurrentXdgHomes();
  ASSERT_EQ(homes.data, dir.path() / "data");
  fs::create_directories(homes.config);
  std::ofstream(homes.config / "mimeapps.list") << "[Default Applications]\nimage/gif=other.desktop;\n";

  // The desktop ignores entries whose program does not exist.
  const fs::path program = dir.path() / "bin" / "pelira", viewer = dir.path() / "bin" / "some viewer";
  fs::create_directories(program.parent_path());
  WriteExecutable(program, "#!/bin/sh\n");
  WriteExecutable(viewer, "#!/bin/sh\n");
  const DesktopResult set = SetAssociations({3, 2}, program.string(), homes);
  ASSERT_TRUE(set.ok) << set.message;
  EXPECT_EQ(GioDefault("image/jpeg"), "pelira.desktop");
  EXPECT_EQ(GioDefault("image/x-dcx"), "pelira.desktop");
  EXPECT_EQ(GioDefault("image/png"), "");
  EXPECT_NE(Read(homes.config / "mimeapps.list").find("image/gif=other.desktop;"), std::string::npos);
  EXPECT_NE(Read(homes.data / "applications/pelira.desktop").find("Exec=\"" + program.string() + "\" %f\n"),
            std::string::npos);
  EXPECT_NE(Read(homes.data / "mime/packages/pelira.xml").find("<glob pattern=\"*.avl\"/>"), std::string::npos);

  const DesktopResult changed = ChangeAssociation(3, viewer.string(), homes);
  ASSERT_TRUE(changed.ok) << changed.message;
  EXPECT_EQ(GioDefault("image/jpeg"), "pelira-jpg-file.desktop");
  EXPECT_EQ(GioDefault("image/x-dcx"), "pelira.desktop");
  ASSERT_TRUE(ChangeAssociation(3, "", homes).ok);
  EXPECT_EQ(GioDefault("image/jpeg"), "");
}

// The program path reaches the program intact through the entry's quoting, however odd.
// (A "%" is written "%%" as entries want, but the desktop's parser then looks for a program
// named with "%%": such paths are left out here.)
TEST(FileAssociations, ExecQuotingSurvivesTheDesktopsParser) {
  EXPECT_EQ(DesktopExecQuoted("/a%b"), "\"/a%%b\"");
  if (!HaveGio()) GTEST_SKIP() << "gio is not installed";
  test::TempDir dir;
  const fs::path odd = dir.path() / "a b\"c$d`e\\f";
  fs::create_directories(odd);
  const fs::path program = odd / "prog";
  const fs::path marker = dir.path() / "ran";
  WriteExecutable(program, "#!/bin/sh\necho \"$1\" > '" + marker.string() + "'\n");
  const fs::path entry = dir.path() / "t.desktop";
  std::ofstream(entry) << "[Desktop Entry]\nType=Application\nName=t\nExec=" << DesktopExecQuoted(program.string())
                       << " %f\n";
  const ProgramRun run = RunProgram({"gio", "launch", entry.string(), "/tmp/x.png"});
  ASSERT_TRUE(run.started);
  for (int i = 0; i < 200 && !fs::exists(marker); ++i) ::usleep(10000);
  EXPECT_EQ(Read(marker), "/tmp/x.png\n");
}

// The wallpaper through a stand-in gsettings that keeps its keys in a file; without the
// schema, or when the desktop does not keep the value, the answer says so.
TEST(DesktopWallpaper, SetClearAndDesktopsWithoutMeans) {
  test::TempDir dir;
  const fs::path bin = dir.path() / "bin";
  fs::create_directories(bin);
  const fs::path store = dir.path() / "keys";
  WriteExecutable(bin / "gsettings",
                  "#!/bin/sh\nstore='" + store.string() + "'\n"
                  "[ -f \"$store.noschema\" ] && exit 1\n"
                  "case \"$1\" in\n"
                  "  list-keys) printf 'picture-options\\npicture-uri\\npicture-uri-dark\\n' ;;\n"
                  "  set) [ -f \"$store.stubborn\" ] || echo \"$3=$4\" >> \"$store\" ;;\n"
                  "  get) v=$(grep \"^$3=\" \"$store\" 2>/dev/null | tail -1 | cut -d= -f2-); echo \"${v:-''}\" ;;\n"
                  "esac\n");
  const Env path("PATH", bin.string() + ":/usr/bin:/bin");
  const fs::path picture = dir.path() / "my pictures" / "PL_Wallpaper.Bmp";
  const DesktopResult set = SetDesktopWallpaper(picture);
  EXPECT_TRUE(set.ok) << set.message;
  const std::string keys = Read(store);
  const std::string uri = "'file://" + (dir.path() / "my%20pictures/PL_Wallpaper.Bmp").string() + "'";
  EXPECT_NE(keys.find("picture-uri=" + uri + "\n"), std::string::npos) << keys;
  EXPECT_NE(keys.find("picture-uri-dark=" + uri + "\n"), std::string::npos) << keys;
  EXPECT_TRUE(ClearDesktopWallpaper().ok);
  EXPECT_EQ(Read(store).substr(Read(store).rfind("picture-uri=")), "picture-uri=''\npicture-uri-dark=''\n");

  std::ofstream(store.string() + ".stubborn") << "";
  const DesktopResult ignored = SetDesktopWallpaper(picture);
  EXPECT_FALSE(ignored.ok);
  EXPECT_EQ(ignored.message, "The desktop did not take the wallpaper setting.\nThe picture was saved as " +
                                 picture.string() + ".");
  std::ofstream(store.string() + ".noschema") << "";
  EXPECT_EQ(ClearDesktopWallpaper().message, "This desktop offers no way to clear the wallpaper.");
  const Env nothing("PATH", (dir.path() / "empty").string());
  EXPECT_FALSE(SetDesktopWallpaper(picture).ok);
}

}  // namespace
}  // namespace pelira
