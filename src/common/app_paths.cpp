#include "common/app_paths.h"

#include <pwd.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <stdexcept>
#include <string>
#include <system_error>

namespace pelira {

namespace fs = std::filesystem;

namespace {

const char* NonEmptyEnv(const char* name) {
  const char* v = std::getenv(name);
  return v != nullptr && *v != '\0' ? v : nullptr;
}

fs::path UserHome() {
  if (const char* home = NonEmptyEnv("HOME")) return home;
  if (const passwd* pw = ::getpwuid(::getuid()); pw != nullptr && pw->pw_dir != nullptr)
    return pw->pw_dir;
  return fs::temp_directory_path();
}

fs::path Made(fs::path dir) {
  std::error_code ec;
  fs::create_directories(dir, ec);
  return dir;
}

std::mutex& RunTempLock() {
  static std::mutex m;
  return m;
}

fs::path& RunTempPath() {
  static fs::path p;
  return p;
}

}  // namespace

fs::path AppPaths::Home() {
  if (const char* home = NonEmptyEnv("PELIRA_HOME")) return Made(home);
  // A relative XDG_DATA_HOME is invalid and must be ignored.
  if (const char* xdg = NonEmptyEnv("XDG_DATA_HOME"); xdg != nullptr && xdg[0] == '/')
    return Made(fs::path(xdg) / "Pelira");
  return Made(UserHome() / ".local" / "share" / "Pelira");
}

fs::path AppPaths::ChosenHome() {
  const char* home = NonEmptyEnv("PELIRA_HOME");
  return home ? Made(home) : fs::path();
}

fs::path AppPaths::Data() { return Made(Home() / "data"); }
fs::path AppPaths::BipFiles() { return Made(Home() / "bipfiles"); }
fs::path AppPaths::Recent() { return Made(Home() / "recent"); }

fs::path AppPaths::HistoryList() { return Home() / "HistoryList.txt"; }
fs::path AppPaths::ZipErrsLog() { return Home() / "ZipErrs_Log.txt"; }
fs::path AppPaths::Wallpaper() { return Home() / "PL_Wallpaper.Bmp"; }

fs::path AppPaths::RunTemp() {
  std::lock_guard<std::mutex> guard(RunTempLock());
  fs::path& current = RunTempPath();
  if (!current.empty()) {
    std::error_code ec;
    if (fs::is_directory(current, ec)) return current;
  }
  std::string tmpl = (fs::temp_directory_path() / "pelira-run-XXXXXX").string();
  if (::mkdtemp(tmpl.data()) == nullptr)
    throw std::runtime_error("Cannot create a temporary folder in " +
                             fs::temp_directory_path().string() + ": " + std::strerror(errno));
  current = tmpl;
  return current;
}

void AppPaths::RemoveRunTemp() {
  std::lock_guard<std::mutex> guard(RunTempLock());
  fs::path& current = RunTempPath();
  if (current.empty()) return;
  std::error_code ec;
  fs::remove_all(current, ec);
  current.clear();
}

}  // namespace pelira
