#pragma once
// The commands of pelira-cli. Each takes the arguments after its name and returns the exit
// status: 0 success, 1 when any input failed (one line on stderr naming the file and the
// reason), 2 for a usage error.
#include <functional>
#include <iosfwd>
#include <string>
#include <vector>

namespace pelira::cli {

using Args = std::vector<std::string>;
using CommandFn = std::function<int(const Args& args, std::ostream& out, std::ostream& err)>;

struct Command {
  const char* name;
  const char* synopsis;  // one or more lines for --help
  CommandFn run;
};

// Every command the build has, in --help order.
const std::vector<Command>& AllCommands();

// The whole program: argv without the program name.
int Main(const Args& args, std::ostream& out, std::ostream& err);

std::string HelpText();

// info_convert.cpp
// The save dialog's types 1..12: default extension and filter entry; nullptr outside.
const char* SaveTypeExtension(int type);
const char* SaveTypeFilter(int type);
int RunInfo(const Args& args, std::ostream& out, std::ostream& err);
int RunConvert(const Args& args, std::ostream& out, std::ostream& err);
// run_script.cpp
int RunScript(const Args& args, std::ostream& out, std::ostream& err);
int RunAlbum(const Args& args, std::ostream& out, std::ostream& err);  // album_command.cpp

}  // namespace pelira::cli
