#include "platform/shell.h"

#include <cstdio>
#include <system_error>

namespace pelira {

namespace {

class NoTrashShell : public Shell {
public:
  TrashResult MoveToTrash(const std::filesystem::path& path) override {
    return {false, TrashFailureText(path, "No trash is available."), {}};
  }
};

Shell* g_shell = nullptr;

}  // namespace

std::string TrashFailureText(const std::filesystem::path& path, const std::string& reason) {
  std::string text = "Could not move " + path.string() + " to the trash.";
  if (!reason.empty()) text += "\n" + reason;
  return text;
}

TrashResult FolderTrashShell::MoveToTrash(const std::filesystem::path& path) {
  namespace fs = std::filesystem;
  std::error_code ec;
  if (!fs::exists(fs::symlink_status(path, ec))) {
    return {false, TrashFailureText(path, std::make_error_code(std::errc::no_such_file_or_directory).message()), {}};
  }
  fs::create_directories(folder_, ec);
  if (ec) return {false, TrashFailureText(path, ec.message()), {}};
  // A trailing '/' would leave an empty file name.
  const fs::path source = path.has_filename() ? path : path.parent_path();
  const std::string name = source.filename().string();
  fs::path target = folder_ / name;
  for (int n = 1; fs::exists(fs::symlink_status(target, ec)); ++n) {
    char suffix[16];
    std::snprintf(suffix, sizeof suffix, "-%04d", n);
    target = folder_ / (name + suffix);
  }
  fs::rename(source, target, ec);
  if (ec) return {false, TrashFailureText(path, ec.message()), {}};
  return {true, {}, target};
}

Shell& CurrentShell() {
  static NoTrashShell fallback;
  return g_shell ? *g_shell : fallback;
}

void SetCurrentShell(Shell* shell) { g_shell = shell; }

}  // namespace pelira
