#pragma once
// Runs a script over the host's current picture, line by line, with the same operations the
// viewer's menu commands use. One object per run.
#include <functional>
#include <string>
#include <vector>

#include "batch/script_host.h"
#include "batch/script_language.h"

namespace pelira {

inline constexpr const char* kAbortBatchText = "Abort batch processing?";

class ScriptInterpreter {
public:
  // lines: called at the start of every pass, so edits made meanwhile count from the next.
  ScriptInterpreter(ScriptHost& host, std::function<std::vector<std::string>()> lines);

  // The whole run: passes until the script ends, a LOOP pass is refused, or the run is
  // aborted. True unless a prompt's Yes or a stop ended it.
  bool Run();

  const ScriptRegisters& Registers() const { return regs_; }

private:
  // False: abort the run.
  bool RunLine(const std::string& line);
  bool Dispatch(const std::string& word);
  void Apply(const Operation& op);
  bool Other(const std::string& word);
  void Save();
  void Delete();
  void ClearBuffers(bool duplicateToo);
  bool Ask(const std::string& text);

  ScriptHost& host_;
  std::function<std::vector<std::string>()> lines_;
  ScriptRegisters regs_;
  bool trace_ = false;
  bool loop_ = false;
  bool saveReuse_ = false;
  bool deleteAsked_ = false;
  bool deleteAllowed_ = false;
};

// Text the SAVE suffix may be: no path separators and no control characters, so a saved
// name cannot leave the folder the save chose.
bool SafeNameSuffix(const std::string& suffix);

// The name suffix of a SAVE line just parsed into regs: "" for a bare SAVE.
std::string SaveSuffix(const ScriptRegisters& regs);

}  // namespace pelira
