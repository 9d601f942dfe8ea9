#include "cli/commands.h"

namespace pelira::cli {

// New commands join this table; each lives in its own file.
const std::vector<Command>& AllCommands() {
  static const std::vector<Command> commands = {};
  return commands;
}

}  // namespace pelira::cli
