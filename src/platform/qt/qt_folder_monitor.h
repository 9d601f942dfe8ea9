#pragma once
// FolderMonitor over QFileSystemWatcher.
#include <QFileSystemWatcher>

#include "platform/folder_monitor.h"

namespace pelira {

class QtFolderMonitor : public FolderMonitor {
public:
  QtFolderMonitor();
  void Watch(const std::vector<std::string>& folders) override;
  bool TakeChanged() override;

private:
  QFileSystemWatcher watcher_;
  bool changed_ = false;
};

}  // namespace pelira
