#pragma once
// Shell operations core asks of the desktop. For now the trash (the recycle bin of the
// explorer, album and batch deletes); the desktop program installs QtShell.
#include <filesystem>
#include <string>

namespace pelira {

struct TrashResult {
  bool ok = false;
  std::string message;              // the failure text; empty on success
  std::filesystem::path trashedAs;  // where the item went, when the trash says
};

// "Could not move <path> to the trash." plus the reason on its own line when there is one.
std::string TrashFailureText(const std::filesystem::path& path, const std::string& reason);

class Shell {
public:
  virtual ~Shell() = default;
  // Moves a file or folder to the trash; it is not deleted when that fails.
  virtual TrashResult MoveToTrash(const std::filesystem::path& path) = 0;
  // Opens a file in the desktop's program for it (the "open" verb); false when nothing can.
  virtual bool OpenDocument(const std::filesystem::path&) { return false; }
};

// A trash that is a plain folder (tests and headless runs): items are renamed into it and
// never overwrite an earlier item of the same name. Moving across file systems fails rather
// than copying, like the desktop trash.
class FolderTrashShell : public Shell {
public:
  explicit FolderTrashShell(std::filesystem::path folder) : folder_(std::move(folder)) {}
  TrashResult MoveToTrash(const std::filesystem::path& path) override;

private:
  std::filesystem::path folder_;
};

// The installed shell. Until the program installs one, the trash refuses with a failure text
// so nothing is deleted behind the user's back.
Shell& CurrentShell();
// nullptr restores the default. The caller keeps shell alive while it is installed.
void SetCurrentShell(Shell* shell);

}  // namespace pelira
