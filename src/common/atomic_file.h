#pragma once
// Saving without ever leaving a half-written file: the bytes go to a new temporary file in the
// target's folder (so the rename stays on one filesystem), are flushed to disk, and replace
// the target only when complete. On any failure the temporary is removed, the old file stays
// as it was, and the failure comes back as a value with a message that names the file and
// the cause (nothing is thrown); the caller shows its own failure text.
//
// Where the file system has O_TMPFILE the temporary has no name until it is complete, so a
// save killed half way leaves nothing behind. Elsewhere it is ".NAME.XXXXXXXX.tmp", locked
// while it is written; a later save to the same target removes such files that no live writer
// holds.
//
// Only regular files are replaced: an existing target that is a FIFO, a device, a folder or a
// socket (after following links) is refused, so a save can never put a picture where
// /dev/null was. A target the user may not write (no write permission) is refused too unless
// the caller says the user chose to overwrite it. The new file keeps the old one's mode and,
// where permitted, its owner and group.
#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>

namespace pelira {

struct WriteResult {
  bool ok = true;
  std::string message;  // why it failed, naming the file and the cause; empty on success
  std::string cause;    // the cause alone ("No space left on device", "Read-only file system")
  explicit operator bool() const { return ok; }
};

struct AtomicWriteOptions {
  // The user chose to overwrite a target without write permission.
  bool replaceReadOnly = false;
  // Use an unnamed temporary (O_TMPFILE) where the file system has one.
  bool unnamedTemporary = true;
};

// Replaces (or creates) target with bytes. A target that is a symbolic link keeps the link:
// the file it points at is replaced.
WriteResult AtomicWrite(const std::filesystem::path& target, std::string_view bytes,
                        const AtomicWriteOptions& options = {});
WriteResult AtomicWrite(const std::filesystem::path& target, const void* data, std::size_t n,
                        const AtomicWriteOptions& options = {});

// The same for a file written in pieces. Nothing reaches the target before Commit(); a
// writer destroyed without Commit() removes its temporary.
class AtomicFileWriter {
public:
  explicit AtomicFileWriter(std::filesystem::path target, AtomicWriteOptions options = {});
  ~AtomicFileWriter();
  AtomicFileWriter(const AtomicFileWriter&) = delete;
  AtomicFileWriter& operator=(const AtomicFileWriter&) = delete;

  // False once anything failed; the first failure's message is kept.
  bool ok() const { return error_.empty(); }
  const std::string& error() const { return error_; }
  // The named temporary; empty while the temporary has no name.
  const std::filesystem::path& temp_path() const { return temp_; }
  bool unnamed() const { return unnamed_; }

  // The temporary's descriptor, for writers that seek and read back (libtiff); -1 after a
  // failure. Valid until Commit() or Discard().
  int descriptor() const { return ok() ? fd_ : -1; }

  bool Write(const void* data, std::size_t n);
  bool Write(std::string_view bytes) { return Write(bytes.data(), bytes.size()); }

  // Flushes, closes and puts the file in place of the target; or removes the temporary and
  // reports why not.
  WriteResult Commit();
  // Removes the temporary; the target is untouched.
  void Discard();

private:
  void Fail(const std::string& what, int err);
  void FailText(const std::string& text, const std::string& cause);
  bool OpenNamedTemporary(const std::filesystem::path& dir);
  bool LinkUnnamed();

  std::filesystem::path target_;
  std::filesystem::path temp_;
  AtomicWriteOptions options_;
  int fd_ = -1;
  bool unnamed_ = false;
  bool committed_ = false;
  std::string error_;
  std::string cause_;
};

// Removes the stale temporaries of earlier saves to target that were killed before they
// finished (".NAME.XXXXXXXX.tmp" beside it that no live writer holds and that are older than
// a minute). Returns how many went.
int SweepStaleTemporaries(const std::filesystem::path& target);

}  // namespace pelira
