#pragma once
// The JPEG Text window's file commands, shared with `pelira-cli comment`: strip segments and
// add a comment, keeping a .bak copy of the file as it was. The file is replaced atomically
// (a new file beside it renamed over it, its permissions kept), so an interrupted edit leaves
// the old file; nothing changes until the backup exists.
#include <filesystem>
#include <string>
#include <string_view>

#include "jpeg_tools/comment_edit.h"
#include "platform/ui.h"

namespace pelira {

inline constexpr const char* kBackupFailedText = "Could not create backup.  Aborting.";
inline constexpr const char* kDestinationFailedText = "Could not create destination file.  Aborting.";

struct JpegFileOutcome {
  enum class Status {
    Changed,    // the file was rewritten (text says how, or is empty)
    Unchanged,  // nothing to do; text says so
    Cancelled,  // the user kept the old backup
    Failed,     // text is the error; the file is as it was
  };
  Status status = Status::Changed;
  MessageKind kind = MessageKind::Information;
  std::string text;             // the box to show; empty for none
  bool closeWindow = false;     // the file's structure is broken: the window closes
  std::size_t removed = 0;
};

// The file name without its extension + ".bak".
std::filesystem::path JpegBackupName(const std::filesystem::path& file);

// The question asked before an existing backup is overwritten.
std::string BackupExistsQuestion(const std::filesystem::path& backup);

// Keeps the file as it is under the backup name, asking ui first when one exists (No
// cancels): a hard link to the file where the filesystem allows it (the edit then replaces
// the file by a new one), else a copy of original (the file's bytes). A backup name that is
// the file itself cannot hold a copy of it and fails.
JpegFileOutcome MakeJpegBackup(Ui& ui, const std::filesystem::path& file, std::string_view original);

JpegFileOutcome StripJpegFile(Ui& ui, const std::filesystem::path& file, StripMode mode);
JpegFileOutcome AddCommentToJpegFile(Ui& ui, const std::filesystem::path& file, std::string_view text);

// Shows the outcome's box, when it has one.
void ShowOutcome(Ui& ui, const JpegFileOutcome& outcome);

}  // namespace pelira
