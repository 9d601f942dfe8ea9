#pragma once
// "AVL running" between copies of the program: a QLockFile held while a script slideshow
// plays. The file is $PELIRA_HOME/avl-running.lock, else in the per-user runtime folder, else
// in the temporary folder. A lock left by a copy that died is stale and does not count.
#include <QString>
#include <memory>

class QLockFile;

namespace pelira {

QString ScriptShowLockFile();

// True when a live process holds the lock. Asked at start, before this copy could hold it.
bool OtherCopyPlaysScript();

// Holds the lock for its lifetime. Held() is false when it could not be taken (another copy
// holds it, or the folder is not writable); the show plays anyway.
class ScriptShowLock {
public:
  ScriptShowLock();
  ~ScriptShowLock();
  ScriptShowLock(const ScriptShowLock&) = delete;
  ScriptShowLock& operator=(const ScriptShowLock&) = delete;

  bool Held() const;

private:
  std::unique_ptr<QLockFile> lock_;
};

}  // namespace pelira
