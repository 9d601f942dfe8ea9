#include "platform/instance_lock.h"

namespace pelira {

std::filesystem::path ScriptShowLockPath(const std::string& home, const std::string& runtimeDir,
                                         const std::string& tempDir) {
  const std::string& folder = !home.empty() ? home : !runtimeDir.empty() ? runtimeDir : tempDir;
  return std::filesystem::path(folder) / kScriptShowLockName;
}

}  // namespace pelira
