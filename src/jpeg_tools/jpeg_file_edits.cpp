#include "jpeg_tools/jpeg_file_edits.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <string>
#include <system_error>
#include <vector>

#include "common/atomic_file.h"
#include "jpeg_tools/jpeg_text.h"

namespace pelira {

namespace fs = std::filesystem;

namespace {

JpegFileOutcome Failure(MessageKind kind, std::string text, bool close = false) {
  JpegFileOutcome o;
  o.status = JpegFileOutcome::Status::Failed;
  o.kind = kind;
  o.text = std::move(text);
  o.closeWindow = close;
  return o;
}

// The same file under another name (a.bak given as a.bak, or a link to it).
bool SameFile(const fs::path& a, const fs::path& b) {
  std::error_code ec;
  if (fs::equivalent(a, b, ec)) return true;
  return fs::absolute(a, ec).lexically_normal() == fs::absolute(b, ec).lexically_normal();
}

bool ReadOriginal(const fs::path& file, std::vector<std::uint8_t>* bytes, JpegFileOutcome* failure) {
  std::string error;
  if (ReadWholeFile(file, bytes, &error)) return true;
  *failure = Failure(MessageKind::Error, error);
  return false;
}

// Checks that the file can be replaced, makes the backup and writes the edit.
JpegFileOutcome Replace(Ui& ui, const fs::path& file, const std::vector<std::uint8_t>& original, const JpegEdit& edit) {
  // A read-only file stays read-only: renaming over it would replace it regardless (and the
  // superuser may write anything, so the mode bits are asked too).
  struct stat st {};
  if (::access(file.c_str(), W_OK) != 0 || ::stat(file.c_str(), &st) != 0 || (st.st_mode & 0222) == 0)
    return Failure(MessageKind::Error, kDestinationFailedText);
  const JpegFileOutcome backup =
      MakeJpegBackup(ui, file, std::string_view(reinterpret_cast<const char*>(original.data()), original.size()));
  if (backup.status != JpegFileOutcome::Status::Changed) return backup;
  if (!AtomicWrite(file, edit.bytes.data(), edit.bytes.size())) return Failure(MessageKind::Error, kDestinationFailedText);
  JpegFileOutcome done;
  done.removed = edit.removed;
  return done;
}

// The backup as a second name of the file as it is: no copy and no flush, since the edit
// gives the file a new inode and leaves this one to the backup. Made under a temporary name
// and renamed, so an old backup is replaced whole. False where links cannot be made (another
// filesystem behind a symbolic link, filesystems without links); the caller then copies.
bool LinkBackup(const fs::path& file, const fs::path& bak) {
  static std::atomic<unsigned> counter{0};
  const fs::path tmp = bak.parent_path() / ("." + bak.filename().string() + "." + std::to_string(::getpid()) + "." +
                                            std::to_string(counter.fetch_add(1)) + ".tmp");
  if (::linkat(AT_FDCWD, file.c_str(), AT_FDCWD, tmp.c_str(), AT_SYMLINK_FOLLOW) != 0) return false;
  if (::rename(tmp.c_str(), bak.c_str()) != 0) {
    ::unlink(tmp.c_str());
    return false;
  }
  return true;
}

}  // namespace

fs::path JpegBackupName(const fs::path& file) {
  fs::path bak = file;
  bak.replace_extension(".bak");
  return bak;
}

std::string BackupExistsQuestion(const fs::path& backup) {
  return backup.string() + " exists.\nOrignal file is copied to *.bak.\nOverwrite *.bak file?";
}

JpegFileOutcome MakeJpegBackup(Ui& ui, const fs::path& file, std::string_view original) {
  const fs::path bak = JpegBackupName(file);
  if (SameFile(bak, file)) return Failure(MessageKind::Error, kBackupFailedText);
  std::error_code ec;
  if (fs::exists(fs::symlink_status(bak, ec))) {
    if (ui.Message(MessageKind::Warning, BackupExistsQuestion(bak), Button::Yes | Button::No) != Button::Yes) {
      JpegFileOutcome o;
      o.status = JpegFileOutcome::Status::Cancelled;
      return o;
    }
  }
  if (!LinkBackup(file, bak) && !AtomicWrite(bak, original)) return Failure(MessageKind::Error, kBackupFailedText);
  return {};
}

JpegFileOutcome StripJpegFile(Ui& ui, const fs::path& file, StripMode mode) {
  const bool comments = mode == StripMode::CommentsOnly;
  std::vector<std::uint8_t> original;
  JpegFileOutcome o;
  if (!ReadOriginal(file, &original, &o)) return o;
  const JpegEdit e = StripJpegSegments(original, mode);
  if (!e.ok) return Failure(MessageKind::Error, e.error, true);
  if (e.removed == 0) {
    o.status = JpegFileOutcome::Status::Unchanged;
    o.text = comments ? "No Comments found.\nFile unchanged." : "No extra info found.\nFile unchanged.";
    return o;
  }
  o = Replace(ui, file, original, e);
  if (o.status == JpegFileOutcome::Status::Changed)
    o.text = std::string(comments ? "Comments removed:" : "Extra info removed:") + std::to_string(o.removed) + " bytes";
  return o;
}

JpegFileOutcome AddCommentToJpegFile(Ui& ui, const fs::path& file, std::string_view text) {
  if (CommentTooLarge(text)) return Failure(MessageKind::Warning, kCommentTooLargeText);
  std::vector<std::uint8_t> original;
  JpegFileOutcome o;
  if (!ReadOriginal(file, &original, &o)) return o;
  const JpegEdit e = AddJpegComment(original, text);
  if (!e.ok) return Failure(MessageKind::Error, e.error, true);
  return Replace(ui, file, original, e);
}

void ShowOutcome(Ui& ui, const JpegFileOutcome& o) {
  if (!o.text.empty() && o.status != JpegFileOutcome::Status::Cancelled) ui.Message(o.kind, o.text, Button::OK);
}

}  // namespace pelira
