// pelira-cli renumber: the numbered renaming of the viewer's Tools › Batch menu over files.
#include <ostream>

#include "batch/renumber.h"
#include "cli/commands.h"
#include "cli/input_list.h"
#include "cli/options.h"

namespace pelira::cli {

namespace {

struct RenumberCliOptions {
  RenumberOptions names;
  bool hasPrefix = false;
  bool dryRun = false;
  InputSelection inputs;
};

OptionTable RenumberTable(RenumberCliOptions& o) {
  OptionTable t = {
      {"--prefix", "TEXT", "name the files TEXT + number + extension",
       [&o](const std::string& v) {
         o.names.prefix = v;
         o.hasPrefix = true;
         return true;
       },
       "wants a text"},
      {"--numeric-prefix", nullptr, "name the files number + \"~\" + old name (the menu item\nwith Shift)",
       [&o](const std::string&) {
         o.names.numericPrefix = true;
         return true;
       }},
      {"--ext", "EXT", "give every new name this extension instead of its own",
       [&o](const std::string& v) {
         if (v.empty()) return false;
         o.names.newExtension = v[0] == '.' ? v : "." + v;
         return true;
       },
       "wants an extension"},
      FlagOption("--dry-run", "print the plan (old TAB new) and rename nothing", &o.dryRun),
  };
  AddInputOptions(t, &o.inputs, {false, false});
  return t;
}

}  // namespace

std::string RenumberSynopsis() {
  RenumberCliOptions o;
  return "  renumber (--prefix TEXT | --numeric-prefix) [OPTIONS] FILE...\n"
         "                      number the files 1 .. count in the order given, zero-padded to\n"
         "                      the width of the count (at most 99999 files). Files of the list\n"
         "                      may take each other's names (they pass through temporary names);\n"
         "                      a name held by any other file is never replaced: that file prints\n"
         "                      \"Could not rename NAME\" and keeps its name (exit status 1).\n" +
         OptionHelp(RenumberTable(o));
}

int RunRenumber(const Args& args, std::ostream& out, std::ostream& err) {
  RenumberCliOptions o;
  Args positional;
  if (!ParseOptions("renumber", RenumberTable(o), args, &positional, err)) return 2;
  if (o.hasPrefix == o.names.numericPrefix) {
    err << "pelira-cli renumber: give either --prefix or --numeric-prefix (see pelira-cli --help)\n";
    return 2;
  }
  std::vector<std::string> files;
  if (!SelectInputs("renumber", o.inputs, positional, false, &files, err)) return 1;
  if (files.empty()) {
    err << "pelira-cli renumber: no files given (see pelira-cli --help)\n";
    return 2;
  }
  const RenumberPlan plan = PlanRenumber(files, o.names);
  if (!plan.refused.empty()) {
    err << "pelira-cli renumber: " << plan.refused << "\n";
    return 2;
  }
  return CarryOutRenames("renumber", plan.steps, plan.failures, o.dryRun, out, err);
}

}  // namespace pelira::cli
