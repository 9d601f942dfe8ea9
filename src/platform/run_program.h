#pragma once
// Runs a desktop helper program (gsettings, update-mime-database) found on PATH, without a
// shell: the arguments reach it exactly as given, so no file name can become a command.
#include <string>
#include <vector>

namespace pelira {

struct ProgramRun {
  bool started = false;  // false: not found or not runnable
  int exitCode = -1;     // the exit status; -1 when it did not end normally
  std::string output;    // what it wrote on standard output (at most 1 MiB)
};

ProgramRun RunProgram(const std::vector<std::string>& argv);

}  // namespace pelira
