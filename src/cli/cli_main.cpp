#include <ostream>
#include <sstream>

#include "cli/commands.h"
#include "common/version.h"

namespace pelira::cli {

std::string HelpText() {
  std::ostringstream s;
  s << "Usage: pelira-cli COMMAND [ARGS...]\n"
       "       pelira-cli --help | --version\n"
       "\n"
       "The Pelira picture engine without windows. It reads no user settings: every default\n"
       "is the one named here.\n"
       "\n"
       "Commands:\n";
  for (const Command& c : AllCommands()) {
    s << c.synopsis;
    if (c.synopsis.empty() || c.synopsis.back() != '\n') s << "\n";
  }
  s << "\nExit status: 0 success, 1 when any input failed (one line on stderr naming the\n"
       "file and the reason), 2 for a usage error.\n";
  return s.str();
}

int Main(const Args& args, std::ostream& out, std::ostream& err) {
  if (args.empty()) {
    err << HelpText();
    return 2;
  }
  const std::string& first = args.front();
  if (first == "--help" || first == "-h" || first == "help") {
    out << HelpText();
    return 0;
  }
  if (first == "--version") {
    out << kProductTitle << "\n";
    return 0;
  }
  for (const Command& c : AllCommands()) {
    if (first == c.name) return c.run(Args(args.begin() + 1, args.end()), out, err);
  }
  err << "pelira-cli: unknown command '" << first << "' (see pelira-cli --help)\n";
  return 2;
}

}  // namespace pelira::cli
