// pelira-cli exif and comment: the JPEG Text window's commands without the window. They run
// over the same core calls; the one question the window asks (overwrite an existing .bak)
// is answered No unless --yes is given.
#include <ostream>
#include <string>

#include "cli/commands.h"
#include "jpeg_tools/jpeg_file_edits.h"
#include "jpeg_tools/jpeg_text.h"
#include "platform/scripted_ui.h"

namespace pelira::cli {

namespace {

std::string OneLine(std::string text) {
  for (char& c : text)
    if (c == '\n') c = ' ';
  return text;
}

// Reads a file as the window does; false after the error line.
bool ReadReport(const std::string& path, JpegTextReport* report, std::ostream& err) {
  if (!JpegTextKind(path)) {
    err << "pelira-cli: " << path << ": not a JPEG file name (.jpg, .jpeg)\n";
    return false;
  }
  ReadJpegText(path, report);
  if (!report->ok) {
    err << "pelira-cli: " << path << ": " << report->error << "\n";
    return false;
  }
  return true;
}

bool UnknownOption(const std::string& a) { return a.size() > 1 && a[0] == '-'; }

}  // namespace

int RunExif(const Args& args, std::ostream& out, std::ostream& err) {
  if (args.empty()) {
    err << "pelira-cli exif: no file given (see pelira-cli --help)\n";
    return 2;
  }
  for (const std::string& a : args)
    if (UnknownOption(a)) {
      err << "pelira-cli exif: unknown option '" << a << "'\n";
      return 2;
    }
  int rc = 0;
  for (const std::string& path : args) {
    if (args.size() > 1) out << "== " << path << "\n";
    JpegTextReport report;
    if (!ReadReport(path, &report, err)) {
      rc = 1;
      continue;
    }
    for (const std::string& line : report.TextBoxLines()) out << line << "\n";
  }
  return rc;
}

int RunComment(const Args& args, std::ostream& out, std::ostream& err) {
  enum class Action { Read, Add, Strip } action = Action::Read;
  bool allExtra = false, yes = false;
  std::string text;
  Args files;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a == "--add" && action == Action::Read && i + 1 < args.size()) {
      action = Action::Add;
      text = args[++i];
    } else if (a == "--strip" && action == Action::Read) {
      action = Action::Strip;
    } else if (a == "--all-extra") {
      allExtra = true;
    } else if (a == "--yes") {
      yes = true;
    } else if (a == "--") {
      files.insert(files.end(), args.begin() + static_cast<std::ptrdiff_t>(i) + 1, args.end());
      break;
    } else if (UnknownOption(a)) {
      err << "pelira-cli comment: unknown or misplaced option '" << a << "'\n";
      return 2;
    } else {
      files.push_back(a);
    }
  }
  if (files.empty()) {
    err << "pelira-cli comment: no file given (see pelira-cli --help)\n";
    return 2;
  }
  if ((allExtra && action != Action::Strip) || (action == Action::Read && files.size() != 1)) {
    err << "pelira-cli comment: --all-extra goes with --strip; reading takes one file\n";
    return 2;
  }
  if (action == Action::Read) {
    JpegTextReport report;
    if (!ReadReport(files[0], &report, err)) return 1;
    for (const std::string& line : report.commentLines) out << line << "\n";
    return 0;
  }
  int rc = 0;
  for (const std::string& path : files) {
    ScriptedUi ui;
    ui.SetDefaultAnswer(yes ? Button::Yes : Button::No);
    const JpegFileOutcome o = action == Action::Add
                                  ? AddCommentToJpegFile(ui, path, text)
                                  : StripJpegFile(ui, path, allExtra ? StripMode::AllExtraInfo : StripMode::CommentsOnly);
    switch (o.status) {
      case JpegFileOutcome::Status::Changed:
        out << path << ": " << (o.text.empty() ? std::string("comment added") : o.text) << "\n";
        break;
      case JpegFileOutcome::Status::Unchanged:
        out << path << ": " << OneLine(o.text) << "\n";
        break;
      case JpegFileOutcome::Status::Cancelled:
        err << "pelira-cli: " << path << ": " << JpegBackupName(path).string()
            << " exists; --yes overwrites it\n";
        rc = 1;
        break;
      case JpegFileOutcome::Status::Failed:
        err << "pelira-cli: " << path << ": " << OneLine(o.text) << "\n";
        rc = 1;
        break;
    }
  }
  return rc;
}

}  // namespace pelira::cli
