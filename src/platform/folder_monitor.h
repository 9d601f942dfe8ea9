#pragma once
// Change notifications for the folders a window shows. The monitor only raises a flag; the
// window reads it from its own timer, so a flood of changes (a busy folder, "/") costs one
// refresh per tick. Desktop: QtFolderMonitor; tests and headless runs: ManualFolderMonitor.
#include <string>
#include <vector>

namespace pelira {

class FolderMonitor {
public:
  virtual ~FolderMonitor() = default;
  // Watches exactly these folders from now on (an empty list stops watching).
  virtual void Watch(const std::vector<std::string>& folders) = 0;
  // True once after any watched folder changed since the last call.
  virtual bool TakeChanged() = 0;
};

// A monitor that changes only when told (MarkChanged).
class ManualFolderMonitor : public FolderMonitor {
public:
  void Watch(const std::vector<std::string>& folders) override { watched_ = folders; }
  bool TakeChanged() override {
    const bool c = changed_;
    changed_ = false;
    return c;
  }
  void MarkChanged() { changed_ = true; }
  const std::vector<std::string>& Watched() const { return watched_; }

private:
  std::vector<std::string> watched_;
  bool changed_ = false;
};

}  // namespace pelira
