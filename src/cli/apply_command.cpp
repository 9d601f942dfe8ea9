// pelira-cli apply: editing operations straight from the operation table, in the order given,
// on one picture, without a script file. Each operation runs as its script line would, so
// `apply W=a,b IN OUT` and `run` of a script holding the line "W=a,b" give the same pixels;
// unlike a script, a word or value the line would silently skip is refused before any work.
#include <ostream>
#include <string>
#include <vector>

#include "batch/headless_host.h"
#include "batch/script_interpreter.h"
#include "batch/script_language.h"
#include "cli/commands.h"
#include "cli/options.h"
#include "edit/operations.h"

namespace pelira::cli {

namespace {

std::string WithoutAccelerator(const char* caption) {
  std::string s;
  for (const char* p = caption; *p; ++p)
    if (*p != '&') s += *p;
  return s;
}

int List(std::ostream& out) {
  for (const Operation& op : Operations()) {
    if (!op.Word() || !op.Built()) continue;
    out << OperationSignature(op);
    if (*op.menu.caption) out << "\t" << WithoutAccelerator(op.menu.caption);
    out << "\n";
  }
  return 0;
}

// Empty when the step can run; else why not.
std::string CheckStep(const std::string& step) {
  ScriptRegisters regs;
  const ParsedLine p = ParseScriptLine(step, regs);
  const std::string word = AsciiUpper(step.substr(0, step.find('=')));
  const Operation* op = p.word.empty() ? FindOperation(word) : FindOperation(p.word);
  if (!op) return "'" + step + "' names no operation (see pelira-cli apply --list)";
  if (!op->Built()) return std::string(op->Word()) + " is not available in this build";
  if (p.word.empty()) return "'" + step + "': the values must be up to three whole numbers";
  if (op->args == ScriptArgs::None && p.hadArguments) return std::string(op->Word()) + " takes no values";
  for (int k = 0; k < op->checked; ++k)
    if (regs.a[k] < op->range[k].lo || regs.a[k] > op->range[k].hi)
      return std::string(op->Word()) + ": value " + std::to_string(k + 1) + " is " + std::to_string(regs.a[k]) +
             ", outside " + std::to_string(op->range[k].lo) + ".." + std::to_string(op->range[k].hi) + " (" +
             OperationSignature(*op) + ")";
  return "";
}

struct ApplySettings {
  int type = 0;
  bool list = false;
  SaveOptions save;
};

OptionTable ApplyOptions(ApplySettings& a) {
  OptionTable t = {
      {"--list", nullptr, "print every operation: WORD=ranges of its values, tab,\nits menu caption",
       [&a](const std::string&) {
         a.list = true;
         return true;
       }},
      NumberOption("--type", "N", "the save type, as for convert (default: from OUT's extension)", 1, 12, &a.type,
                   "needs a save type 1..12"),
  };
  AddSaveOptions(t, &a.save);
  return t;
}

}  // namespace

std::string ApplySynopsis() {
  ApplySettings a;
  return "  apply [OPTIONS] WORD[=a,b,c]... IN OUT\n"
         "                      run editing operations on IN, in the order given, as the script\n"
         "                      lines WORD=a,b,c would, and write OUT. A word that names no\n"
         "                      operation, or a value outside its range, is refused before any\n"
         "                      work (exit 2).\n" +
         OptionHelp(ApplyOptions(a));
}

int RunApply(const Args& args, std::ostream& out, std::ostream& err) {
  ApplySettings settings;
  std::vector<std::string> positional;
  if (!ParseOptions("apply", ApplyOptions(settings), args, &positional, err)) return 2;
  if (settings.list) return List(out);
  int type = settings.type;
  const SaveOptions& options = settings.save;
  if (positional.size() < 3) {
    err << "pelira-cli apply: needs at least one operation, IN and OUT (see pelira-cli --help)\n";
    return 2;
  }
  const std::string outPath = positional.back();
  positional.pop_back();
  const std::string in = positional.back();
  positional.pop_back();
  for (const std::string& step : positional) {
    const std::string why = CheckStep(step);
    if (!why.empty()) {
      err << "pelira-cli apply: " << why << "\n";
      return 2;
    }
  }
  if (type == 0) type = SaveTypeForPath(outPath);
  if (type == 0) {
    err << "pelira-cli apply: " << outPath << ": no save type for this extension; give --type\n";
    return 2;
  }

  HeadlessScriptHost host;
  if (!host.OpenBookmarks({in})) {
    err << "pelira-cli: " << in << ": " << host.LoadError() << "\n";
    return 1;
  }
  host.SetLoopAllowed(false);
  host.SetAnswers([](const std::string&) { return false; });
  ScriptInterpreter run(host, [&] { return positional; });
  run.Run();
  for (const std::string& word : host.Missing()) {
    err << "pelira-cli: " << in << ": " << word << " could not run here\n";
    return 1;
  }
  return WritePicture(host.Picture(), type, options, outPath, err);
}

}  // namespace pelira::cli
