#include "platform/qt/qt_folder_monitor.h"

namespace pelira {

QtFolderMonitor::QtFolderMonitor() {
  QObject::connect(&watcher_, &QFileSystemWatcher::directoryChanged, [this](const QString&) { changed_ = true; });
}

void QtFolderMonitor::Watch(const std::vector<std::string>& folders) {
  const QStringList old = watcher_.directories();
  if (!old.isEmpty()) watcher_.removePaths(old);
  QStringList paths;
  for (const std::string& f : folders) paths << QString::fromStdString(f);
  if (!paths.isEmpty()) watcher_.addPaths(paths);
  changed_ = false;
}

bool QtFolderMonitor::TakeChanged() {
  const bool c = changed_;
  changed_ = false;
  return c;
}

}  // namespace pelira
