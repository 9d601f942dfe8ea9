// pelira-cli datename: DateName of the viewer's Tools › Batch menu over files.
#include <ostream>

#include "batch/date_name.h"
#include "cli/commands.h"
#include "cli/input_list.h"
#include "cli/options.h"

namespace pelira::cli {

namespace {

struct DateNameCliOptions {
  DateNameOptions names;
  bool dryRun = false;
  InputSelection inputs;
};

OptionTable DateNameTable(DateNameCliOptions& o) {
  OptionTable t = {
      {"--keep-names", nullptr, "name the files STAMP~OLDNAME (the menu item with Shift)",
       [&o](const std::string&) {
         o.names.keepNames = true;
         return true;
       }},
      {"--add-ext", "EXT", "append EXT (\".\" added when missing) to every new name",
       [&o](const std::string& v) { return NormaliseAddedExtension(v, &o.names.addExtension); },
       "wants an extension without '/' or control characters"},
      FlagOption("--dry-run", "print the plan (old TAB new) and rename nothing", &o.dryRun),
  };
  AddInputOptions(t, &o.inputs, {false, false});
  return t;
}

}  // namespace

std::string DateNameSynopsis() {
  DateNameCliOptions o;
  return "  datename [OPTIONS] FILE...\n"
         "                      rename each file to its last-write time YYMMDD_HHNNSS (seconds\n"
         "                      rounded down to even, local time) + \"_\" + the milliseconds of its\n"
         "                      birth time (of its last-write time where the file system keeps\n"
         "                      none) + its extension; a name already held gives STAMP~OLDNAME.\n"
         "                      Existing files are never replaced; a refused rename prints\n"
         "                      \"Could not rename NAME\" and the rest go on (exit status 1).\n" +
         OptionHelp(DateNameTable(o));
}

int RunDateName(const Args& args, std::ostream& out, std::ostream& err) {
  DateNameCliOptions o;
  Args positional;
  if (!ParseOptions("datename", DateNameTable(o), args, &positional, err)) return 2;
  std::vector<std::string> files;
  if (!SelectInputs("datename", o.inputs, positional, false, &files, err)) return 1;
  if (files.empty()) {
    err << "pelira-cli datename: no files given (see pelira-cli --help)\n";
    return 2;
  }
  const DateNamePlan plan = PlanDateNames(files, o.names);
  return CarryOutRenames("datename", plan.steps, plan.failures, o.dryRun, out, err);
}

}  // namespace pelira::cli
