#pragma once
// One table per command says its options: name, value, help line and what taking the value
// does. The same rows parse the command line and print the command's part of --help, so an
// option is spelled once.
#include <functional>
#include <iosfwd>
#include <string>
#include <vector>

#include "cli/commands.h"
#include "image/codec_registry.h"

namespace pelira::cli {

struct Option {
  const char* name;   // "--type"
  const char* value;  // "N" in the help; nullptr: a flag without a value
  const char* help;   // what it does and its default; "\n" starts another help line
  // Takes the value (empty for a flag); false: the value is refused with `refused`.
  std::function<bool(const std::string& value)> take;
  const char* refused = "";
};
using OptionTable = std::vector<Option>;

// Options by the table, in any order among the other arguments; "--" ends the options. On a
// usage error one line "pelira-cli COMMAND: ..." goes to err and the answer is false.
bool ParseOptions(const char* command, const OptionTable& table, const Args& args, Args* positional,
                  std::ostream& err);

// The table's help lines, indented under the command's synopsis.
std::string OptionHelp(const OptionTable& table);

// A flag without a value that sets *target.
Option FlagOption(const char* name, const char* help, bool* target);
// A whole number lo..hi into *target.
Option NumberOption(const char* name, const char* value, const char* help, int lo, int hi, int* target,
                    const char* refused);
// --quality and --no-progressive, shared by every command that writes pictures.
void AddSaveOptions(OptionTable& table, SaveOptions* save);

}  // namespace pelira::cli
