#pragma once
// The whole command line called in-process, its exit status and both streams kept.
#include <sstream>
#include <string>

#include "cli/commands.h"

namespace pelira::cli {

struct CliResult {
  int rc;
  std::string out, err;
};

inline CliResult Call(const Args& args) {
  std::ostringstream out, err;
  const int rc = Main(args, out, err);
  return {rc, out.str(), err.str()};
}

}  // namespace pelira::cli
