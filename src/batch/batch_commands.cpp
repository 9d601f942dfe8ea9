#include "batch/batch_commands.h"

#include <unistd.h>

#include <filesystem>
#include <set>

#include "batch/batch_convert.h"
#include "batch/date_name.h"
#include "batch/file_ops.h"
#include "batch/renumber.h"
#include "edit/save_as.h"
#include "platform/progress.h"
#include "platform/shell.h"
#include "platform/ui.h"

namespace pelira {

namespace fs = std::filesystem;

namespace {

bool IsFolder(const std::string& path) {
  std::error_code ec;
  return !path.empty() && fs::is_directory(path, ec);
}

// The batch list: a copy of the bookmarks with repeated entries dropped, so no file is
// worked on twice.
std::vector<std::string> BatchList(const BatchContext& c) {
  std::vector<std::string> out;
  std::set<std::string> seen;
  for (const std::string& f : c.bookmarks)
    if (seen.insert(f).second) out.push_back(f);
  return out;
}

bool EditsMayGo(const BatchContext& c) { return !c.imageModified || !c.confirmUnsavedEdits || c.confirmUnsavedEdits(); }

// The review and the two-file minimum every batch starts with.
bool Reviewed(BatchContext& c, const char* caption, const std::vector<std::string>& files) {
  if (!c.dialogs->Review(caption, files)) return false;
  return files.size() >= 2;
}

void Warn(Ui& ui, const std::string& text) { ui.Message(MessageKind::Warning, text, Button::OK); }

// A folder of the batch that cannot be entered or written ends a rename batch.
bool FoldersReachable(const std::vector<RenameStep>& steps) {
  std::set<std::string> dirs;
  for (const RenameStep& s : steps) dirs.insert(fs::path(s.from).parent_path().string());
  for (const std::string& d : dirs)
    if (::access(d.empty() ? "." : d.c_str(), W_OK | X_OK) != 0) return false;
  return true;
}

BatchOutcome ApplyRenamePlan(BatchContext& c, const std::vector<RenameStep>& steps,
                             const std::vector<std::string>& planFailures) {
  BatchOutcome o;
  o.ran = true;
  if (!FoldersReachable(steps)) {
    Warn(*c.ui, kCannotAccessBatch);
    return o;
  }
  for (const std::string& f : planFailures) Warn(*c.ui, f);
  const RenameReport r = ApplyRenames(steps);
  for (const std::string& f : r.failures) Warn(*c.ui, f);
  o.written = r.done;
  o.clearBookmarks = true;
  return o;
}

}  // namespace

std::string StartFolder(const std::string& lastTarget, const std::string& currentFile, const std::string& fallback) {
  if (IsFolder(lastTarget)) return lastTarget;
  const std::string own = fs::path(currentFile).parent_path().string();
  if (IsFolder(own)) return own;
  return fallback;
}

BatchOutcome BatchConvertCommand(BatchContext& c, int tag) {
  BatchOutcome o;
  o.lastTargetFolder = c.lastTargetFolder;
  const std::vector<std::string> files = BatchList(c);
  if (files.size() > kVerifyQuestionAbove &&
      c.ui->Message(MessageKind::Confirmation,
                    std::to_string(files.size()) +
                        " items will be verified before processing?\nThis may take some time.",
                    Button::OK | Button::Cancel) != Button::OK)
    return o;
  ConvertSettings settings;
  settings.tag = tag;
  settings.jpeg = c.jpeg;
  if (c.openScript &&
      c.ui->Message(MessageKind::Confirmation, kScriptQuestion, Button::Yes | Button::No) == Button::Yes)
    settings.script = *c.openScript;
  if (!EditsMayGo(c) || !Reviewed(c, kReviewConverted, files)) return o;
  const auto folder = c.dialogs->ChooseFolder(ConvertFolderTitle(files.size(), tag),
                                              StartFolder(c.lastTargetFolder, c.currentFile, c.programFolder));
  if (!folder) return o;
  o.lastTargetFolder = *folder;
  settings.folder = *folder;
  o.ran = true;

  std::unique_ptr<Progress> progress = OpenProgress(*c.ui, "Batch Encoding ...");
  if (!progress) return o;
  progress->SetBarLabel(ProgressBar::Thumbs, "Files:");
  PercentTracker percent;
  const ConvertRun run =
      ConvertBatch(files, settings, c.jobs, [&](std::size_t done, std::size_t count, const ConvertItem& item) {
        if (!item.output.empty()) o.written.push_back(item.output);
        if (percent.Update(static_cast<std::int64_t>(done), static_cast<std::int64_t>(count))) {
          progress->SetStatus(std::to_string(done) + " file(s) processed.  " + std::to_string(percent.Percent()) +
                              "% done.");
          progress->SetBar(ProgressBar::Thumbs, static_cast<std::int64_t>(done), static_cast<std::int64_t>(count));
        }
        progress->Pump();
        return !progress->Aborted();
      });
  progress.reset();
  if (run.aborted)
    c.ui->Message(run.abortText == kBatchAbortedText ? MessageKind::Error : MessageKind::Warning, run.abortText,
                  Button::OK);
  if (!run.log.empty()) {
    const fs::path log = fs::path(c.logFolder) / kExceptionLogName;
    const bool logged = WriteExceptionLog(log, run.log);
    if (c.ui->Message(MessageKind::Confirmation, SkippedFilesQuestion(run.log.size()), Button::Yes | Button::No) ==
            Button::Yes &&
        (!logged || !c.dialogs->OpenFile(log.string())))
      c.ui->Message(MessageKind::Error, kTextViewerNotFound, Button::OK);
  }
  return o;
}

BatchOutcome DateNameCommand(BatchContext& c, bool keepNames) {
  const std::vector<std::string> files = BatchList(c);
  if (!EditsMayGo(c) || !Reviewed(c, kReviewRenamed, files)) return {};
  DateNameOptions options;
  options.keepNames = keepNames;
  if (fs::path(files[0]).extension().empty()) {
    const auto typed =
        c.dialogs->AskText("Add filename extension?", "Registered types may have hidden extensions.", ".jpg");
    if (typed && !NormaliseAddedExtension(*typed, &options.addExtension)) {
      Warn(*c.ui, NamePartProblem(*typed).empty() ? "\"" + *typed + "\" cannot be part of a file name."
                                                   : NamePartProblem(*typed));
      return {};
    }
  }
  const DateNamePlan plan = PlanDateNames(files, options);
  return ApplyRenamePlan(c, plan.steps, plan.failures);
}

BatchOutcome RenumberCommand(BatchContext& c, bool numericPrefix) {
  const std::vector<std::string> files = BatchList(c);
  if (files.size() > kMaxRenumbered) {
    Warn(*c.ui, kRenumberLimitText);
    return {};
  }
  if (!EditsMayGo(c) || !Reviewed(c, kReviewRenamed, files)) return {};
  RenumberOptions options;
  options.numericPrefix = numericPrefix;
  if (!numericPrefix) {
    const auto prefix =
        c.dialogs->AskText("Enter filename prefix for image sequence.", "e.g., \"pic\" for pic00001 to pic99999", "");
    if (!prefix) return {};
    options.prefix = *prefix;
  } else if (c.ui->Message(MessageKind::Confirmation, "Rename filenames with numeric prefix? (e.g., 01~pic to 99~pic)",
                           Button::OK | Button::Cancel) != Button::OK) {
    return {};
  }
  const RenumberPlan plan = PlanRenumber(files, options);
  if (!plan.refused.empty()) {
    Warn(*c.ui, plan.refused);
    return {};
  }
  return ApplyRenamePlan(c, plan.steps, plan.failures);
}

BatchOutcome CopyMoveCommand(BatchContext& c, bool move, bool batch) {
  BatchOutcome o;
  o.lastTargetFolder = c.lastTargetFolder;
  std::vector<std::string> files;
  std::string title;
  if (batch) {
    files = BatchList(c);
    if (!EditsMayGo(c) || !Reviewed(c, kReviewMoved, files)) return o;
    title = "Move " + std::to_string(files.size()) + " files to";
  } else {
    if (c.currentFile.empty()) return o;
    files = {c.currentFile};
    title = std::string(move ? "Move \"" : "Copy \"") + fs::path(c.currentFile).filename().string() + "\" to";
  }
  const auto folder = c.dialogs->ChooseFolder(title, StartFolder(c.lastTargetFolder, c.currentFile, c.programFolder));
  if (!folder) return o;
  o.lastTargetFolder = *folder;
  o.ran = true;
  TransferOptions options;
  options.overwrite = [&](const std::string& target) {
    return c.ui->Message(MessageKind::Confirmation, OverwriteQuestion(target), Button::Yes | Button::No) ==
           Button::Yes;
  };
  bool allMoved = true;
  for (const std::string& f : files) {
    const TransferResult r = TransferFile(f, *folder, move || batch ? TransferKind::Move : TransferKind::Copy, options);
    if (r.ok) {
      o.written.push_back(r.target);
      continue;
    }
    allMoved = false;
    if (!r.skipped) Warn(*c.ui, r.message);
  }
  o.clearBookmarks = batch;
  o.dropCurrent = !batch && move && allMoved;
  return o;
}

BatchOutcome DeleteCommand(BatchContext& c, bool permanent, bool batch) {
  BatchOutcome o;
  if (c.currentFile.empty() && c.bookmarks.empty()) return o;
  std::vector<std::string> files;
  if (batch) {
    files = BatchList(c);
    if (!EditsMayGo(c) || !Reviewed(c, permanent ? kReviewDeleted : kReviewRecycled, files)) return o;
  } else {
    if (c.currentFile.empty()) return o;
    files = {c.currentFile};
  }
  const DeleteReport r = DeleteFiles(files, permanent, *c.ui, *c.shell);
  if (r.asked) return o;
  o.ran = true;
  if (!r.failures.empty()) {
    std::string text;
    for (std::size_t i = 0; i < r.failures.size() && i < 10; ++i) text += (i ? "\n\n" : "") + r.failures[i];
    if (r.failures.size() > 10) text += "\n\n... " + std::to_string(r.failures.size() - 10) + " more.";
    Warn(*c.ui, text);
  }
  o.clearBookmarks = batch;
  o.dropCurrent = !batch && r.removed == 1;
  return o;
}

}  // namespace pelira
