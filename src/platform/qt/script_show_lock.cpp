#include "platform/qt/script_show_lock.h"

#include <QDir>
#include <QFileInfo>
#include <QLockFile>
#include <QStandardPaths>

#include "platform/instance_lock.h"
#include "common/app_paths.h"

namespace pelira {

namespace {

std::unique_ptr<QLockFile> MakeLock() {
  auto lock = std::make_unique<QLockFile>(ScriptShowLockFile());
  // A show may play for hours: the age of the file must never make a live holder look stale.
  // A dead holder is still detected by its process id.
  lock->setStaleLockTime(0);
  return lock;
}

}  // namespace

QString ScriptShowLockFile() {
  const std::string home = AppPaths::ChosenHome().string();
  // Asked only when needed: without $XDG_RUNTIME_DIR Qt warns on every lookup.
  const QString runtime = home.empty() ? QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation) : QString();
  const std::filesystem::path path = ScriptShowLockPath(home, runtime.toStdString(),
                                                        QDir::tempPath().toStdString());
  return QString::fromStdString(path.string());
}

bool OtherCopyPlaysScript() {
  auto probe = MakeLock();
  if (probe->tryLock(0)) {
    probe->unlock();
    return false;
  }
  // Only a held lock means a show plays; a folder we cannot write to must not stop the start.
  return probe->error() == QLockFile::LockFailedError;
}

ScriptShowLock::ScriptShowLock() : lock_(MakeLock()) {
  QDir().mkpath(QFileInfo(lock_->fileName()).absolutePath());
  lock_->tryLock(0);
}

ScriptShowLock::~ScriptShowLock() = default;

bool ScriptShowLock::Held() const { return lock_->isLocked(); }

}  // namespace pelira
