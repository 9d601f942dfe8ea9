#pragma once
// "AVL running": the one signal between copies of the program. A copy playing a script
// slideshow holds a lock file; a copy starting while it is held ends at once. The lock itself
// is platform/qt/script_show_lock.h; core only knows where it lives.
#include <filesystem>
#include <string>

namespace pelira {

inline constexpr const char* kScriptShowLockName = "avl-running.lock";

// The lock file: in home ($PELIRA_HOME) when set, else in the per-user runtime folder, else in
// tempDir. Empty strings mean "not there".
std::filesystem::path ScriptShowLockPath(const std::string& home, const std::string& runtimeDir,
                                         const std::string& tempDir);

}  // namespace pelira
