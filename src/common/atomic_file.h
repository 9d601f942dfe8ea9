#pragma once
// Saving without ever leaving a half-written file: the bytes go to a new temporary file
// beside the target (same folder, so the rename stays on one filesystem), are flushed to
// disk, and the temporary is renamed over the target only when complete. On any failure the
// temporary is removed, the old file stays as it was, and the failure comes back as a value
// with a message (nothing is thrown); the caller shows its own failure text.
#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>

namespace pelira {

struct WriteResult {
  bool ok = true;
  std::string message;  // why it failed, naming the file; empty on success
  explicit operator bool() const { return ok; }
};

// Replaces (or creates) target with bytes. A target that is a symbolic link keeps the link:
// the file it points at is replaced. An existing target's permission bits are kept.
WriteResult AtomicWrite(const std::filesystem::path& target, std::string_view bytes);
WriteResult AtomicWrite(const std::filesystem::path& target, const void* data, std::size_t n);

// The same for a file written in pieces. Nothing reaches the target before Commit(); a
// writer destroyed without Commit() removes its temporary.
class AtomicFileWriter {
public:
  explicit AtomicFileWriter(std::filesystem::path target);
  ~AtomicFileWriter();
  AtomicFileWriter(const AtomicFileWriter&) = delete;
  AtomicFileWriter& operator=(const AtomicFileWriter&) = delete;

  // False once anything failed; the first failure's message is kept.
  bool ok() const { return error_.empty(); }
  const std::string& error() const { return error_; }
  const std::filesystem::path& temp_path() const { return temp_; }

  bool Write(const void* data, std::size_t n);
  bool Write(std::string_view bytes) { return Write(bytes.data(), bytes.size()); }

  // Flushes, closes and renames over the target; or removes the temporary and reports why not.
  WriteResult Commit();
  // Removes the temporary; the target is untouched.
  void Discard();

private:
  void Fail(const std::string& what, int err);

  std::filesystem::path target_;
  std::filesystem::path temp_;
  int fd_ = -1;
  bool committed_ = false;
  std::string error_;
};

}  // namespace pelira
