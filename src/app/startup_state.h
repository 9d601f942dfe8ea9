#pragma once
// What the program takes from its command line before any window exists.
#include <functional>
#include <string>
#include <vector>

#include "common/kind_list.h"

namespace pelira {

inline constexpr const char* kNoCommandLineFile = "*";

struct StartupState {
  std::string CommandLineFile = kNoCommandLineFile;  // the named file, or "*"
  std::string CurrentFile;     // the same path, or "" without a file
  std::string CurrentExt;      // its upper-case extension with the dot
  bool OpenPending = false;    // not a JPEG: opened after the first activation
  bool CommandLineJpeg = false;  // a JPEG: shown at the first activation without delay
  bool CommandLineShow = false;  // a ".AVL" script plays full screen and ends the program

  bool HasFile() const { return CommandLineFile != kNoCommandLineFile; }
};

// All arguments joined with single blanks name one file (an unquoted path with blanks
// arrives in pieces). A relative path is made absolute against the working folder; the path
// keeps its case. A name that does not exist counts as no file.
StartupState ParseCommandLine(const std::vector<std::string>& args,
                              const std::function<bool(const std::string&)>& fileExists);


}  // namespace pelira
