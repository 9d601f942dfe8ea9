// pelira-cli analyze and crc: the viewer's analysis report and the checksum of Image Info and
// the album, over the same core calls, printed instead of shown.
#include <ostream>
#include <string>

#include "cli/commands.h"
#include "cli/options.h"
#include "common/crc_file.h"
#include "edit/analyze_command.h"

namespace pelira::cli {

namespace {

OptionTable AnalyzeOptions(bool* complexity) {
  return {{"--complexity", nullptr, "add the complexity rating (the viewer's Shift+Analyze)",
           [complexity](const std::string&) {
             *complexity = true;
             return true;
           }}};
}

}  // namespace

std::string AnalyzeSynopsis() {
  bool unused = false;
  return "  analyze [--complexity] FILE [OTHER]\n"
         "                      the analysis report of FILE: colour statistics, compression,\n"
         "                      JPEG quality, smoothness, detail and overall rating; with OTHER\n"
         "                      both reports and, when one is better, its name.\n" +
         OptionHelp(AnalyzeOptions(&unused));
}

int RunAnalysis(const Args& args, std::ostream& out, std::ostream& err) {
  bool complexity = false;
  Args files;
  if (!ParseOptions("analyze", AnalyzeOptions(&complexity), args, &files, err)) return 2;
  if (files.empty() || files.size() > 2) {
    err << "pelira-cli analyze: needs FILE and at most one OTHER (see pelira-cli --help)\n";
    return 2;
  }
  std::string why;
  const Dib picture = LoadForAnalysis(files[0], &why);
  if (picture.Empty()) {
    err << "pelira-cli: " << files[0] << ": " << why << "\n";
    return 1;
  }
  AnalyzeRequest r;
  r.currentFile = files[0];
  r.complexity = complexity;
  if (files.size() == 2) r.compareWith = files[1];
  const AnalyzeOutcome o = AnalyzeReport(picture, r);
  if (!o.ran) {
    err << "pelira-cli: " << o.error << "\n";
    return 1;
  }
  for (const std::string& line : o.lines) out << line << "\n";
  return 0;
}

int RunCrc(const Args& args, std::ostream& out, std::ostream& err) {
  if (args.empty()) {
    err << "pelira-cli crc: no file given (see pelira-cli --help)\n";
    return 2;
  }
  int rc = 0;
  for (const std::string& path : args) {
    const auto crc = CRCFile(path);
    if (!crc) {
      err << "pelira-cli: " << path << ": not a readable regular file\n";
      rc = 1;
      continue;
    }
    out << *crc << "  " << path << "\n";
  }
  return rc;
}

}  // namespace pelira::cli
