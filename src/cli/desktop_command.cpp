// pelira-cli desktop-files: the program's desktop entry and MIME package written under a data
// folder (an install prefix's share/, or the user's own), from the same code as Tools ›
// Associations.
#include <ostream>

#include "cli/commands.h"
#include "cli/options.h"
#include "platform/file_associations.h"

namespace pelira::cli {

namespace {

struct DesktopOptions {
  std::string program = "pelira";
};

OptionTable DesktopOptionTable(DesktopOptions& o) {
  return {{"--program", "PATH", "the program the entry opens files with (default: pelira, found on PATH)",
           [&o](const std::string& v) {
             o.program = v;
             return !v.empty();
           },
           "wants a program"}};
}

}  // namespace

std::string DesktopSynopsis() {
  DesktopOptions o;
  return "  desktop-files DATADIR [--program PATH]\n"
         "                      writes DATADIR/applications/pelira.desktop and the MIME package\n"
         "                      DATADIR/mime/packages/pelira.xml (DCX, Photo CD, AVL, AVC, PLP,\n"
         "                      BIP), then updates DATADIR/mime when update-mime-database exists\n" +
         OptionHelp(DesktopOptionTable(o));
}

int RunDesktopFiles(const Args& args, std::ostream& out, std::ostream& err) {
  DesktopOptions o;
  Args positional;
  if (!ParseOptions("desktop-files", DesktopOptionTable(o), args, &positional, err)) return 2;
  if (positional.size() != 1) {
    err << "pelira-cli desktop-files: one data folder is needed (see pelira-cli --help)\n";
    return 2;
  }
  const DesktopResult r = WriteDesktopFiles(positional[0], o.program);
  if (!r.ok) {
    err << "pelira-cli: " << r.message << "\n";
    return 1;
  }
  out << positional[0] << "/applications/" << kProgramDesktopId << "\n" << positional[0] << "/mime/packages/pelira.xml\n";
  return 0;
}

}  // namespace pelira::cli
