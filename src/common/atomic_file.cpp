#include "common/atomic_file.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <random>
#include <system_error>

namespace pelira {

namespace fs = std::filesystem;

namespace {

constexpr int kSuffixLength = 8;
// A named temporary younger than this may belong to a writer that has not locked it yet.
constexpr std::time_t kStaleAfterSeconds = 60;

std::string RandomSuffix() {
  static std::atomic<unsigned> counter{0};
  thread_local std::mt19937 engine(std::random_device{}() ^ (counter.fetch_add(1) * 2654435761u));
  static constexpr char kChars[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
  std::uniform_int_distribution<int> pick(0, 61);
  std::string s(kSuffixLength, '0');
  for (auto& c : s) c = kChars[pick(engine)];
  return s;
}

std::string TempPrefix(const fs::path& target) { return "." + target.filename().string() + "."; }

bool IsOurTemporaryName(const std::string& name, const std::string& prefix) {
  if (name.size() != prefix.size() + kSuffixLength + 4 || name.compare(0, prefix.size(), prefix) != 0) return false;
  if (name.compare(name.size() - 4, 4, ".tmp") != 0) return false;
  for (std::size_t i = prefix.size(); i < prefix.size() + kSuffixLength; ++i)
    if (!std::isalnum(static_cast<unsigned char>(name[i]))) return false;
  return true;
}

// A link is followed so that saving through it updates the file it names.
fs::path ResolveTarget(const fs::path& target) {
  std::error_code ec;
  if (fs::is_symlink(fs::symlink_status(target, ec))) {
    const fs::path real = fs::weakly_canonical(target, ec);
    if (!ec) return real;
  }
  return target;
}

fs::path FolderOf(const fs::path& target) {
  const fs::path dir = target.parent_path();
  return dir.empty() ? fs::path(".") : dir;
}

void SyncFolder(const fs::path& dir) {
  const int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  ::fsync(fd);  // best effort: the rename itself has already happened
  ::close(fd);
}

// Gives the unnamed file open on fd the name `to`; errno is kept on failure.
bool LinkOpenFile(int fd, const fs::path& to) {
  const std::string self = "/proc/self/fd/" + std::to_string(fd);
  if (::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, to.c_str(), AT_SYMLINK_FOLLOW) == 0) return true;
  const int err = errno;
  if (err == EEXIST) return false;
  // Without /proc, the direct form (needs a capability for other users' files).
  if (::linkat(fd, "", AT_FDCWD, to.c_str(), AT_EMPTY_PATH) == 0) return true;
  errno = err;
  return false;
}

}  // namespace

AtomicFileWriter::AtomicFileWriter(fs::path target, AtomicWriteOptions options)
    : target_(ResolveTarget(target)), options_(options) {
  if (target_.empty() || !target_.has_filename()) {
    Fail("No file name for", EINVAL);
    return;
  }
  struct stat old {};
  const bool exists = ::stat(target_.c_str(), &old) == 0;
  if (exists && !S_ISREG(old.st_mode)) {
    FailText("Cannot replace \"" + target_.string() + "\": it is not a regular file", "Not a regular file");
    return;
  }
  if (exists && !options_.replaceReadOnly) {
    // Root passes access() on any file, so the mode bits count too.
    if (::access(target_.c_str(), W_OK) != 0 && errno != EACCES) {
      Fail("Cannot write", errno);
      return;
    }
    if (::access(target_.c_str(), W_OK) != 0 || (old.st_mode & 0222) == 0) {
      FailText("Cannot write \"" + target_.string() + "\": the file is read-only", "The file is read-only");
      return;
    }
  }
  const fs::path dir = FolderOf(target_);
  // The unnamed file is given its name through /proc (linkat's direct form needs a
  // capability); without /proc the temporary is named from the start.
  if (options_.unnamedTemporary && ::access("/proc/self/fd", X_OK) == 0) {
    fd_ = ::open(dir.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
    unnamed_ = fd_ >= 0;
  }
  if (fd_ < 0) {
    SweepStaleTemporaries(target_);
    if (!OpenNamedTemporary(dir)) return;
  }
  // A sweeper leaves a locked temporary alone.
  ::flock(fd_, LOCK_EX | LOCK_NB);
  if (exists) {
    // Owner first (a change of owner may clear the set-id bits the mode then restores); where
    // that is not permitted the group alone, else the file stays the saver's like any new one.
    if (::fchown(fd_, old.st_uid, old.st_gid) != 0 && ::fchown(fd_, static_cast<uid_t>(-1), old.st_gid) != 0) errno = 0;
    ::fchmod(fd_, old.st_mode & 07777);
  }
}

bool AtomicFileWriter::OpenNamedTemporary(const fs::path& dir) {
  const std::string base = TempPrefix(target_);
  for (int attempt = 0; attempt < 100; ++attempt) {
    fs::path candidate = dir / (base + RandomSuffix() + ".tmp");
    fd_ = ::open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd_ >= 0) {
      temp_ = std::move(candidate);
      return true;
    }
    if (errno != EEXIST) {
      Fail("Cannot create a temporary file for", errno);
      return false;
    }
  }
  Fail("Cannot create a temporary file for", EEXIST);
  return false;
}

AtomicFileWriter::~AtomicFileWriter() {
  if (!committed_) Discard();
}

void AtomicFileWriter::Fail(const std::string& what, int err) {
  FailText(what + " \"" + target_.string() + "\": " + std::strerror(err), std::strerror(err));
}

void AtomicFileWriter::FailText(const std::string& text, const std::string& cause) {
  if (!error_.empty()) return;
  error_ = text;
  cause_ = cause;
}

bool AtomicFileWriter::Write(const void* data, std::size_t n) {
  if (ok() && fd_ < 0) Fail("Write after the file was closed:", EBADF);
  if (!ok()) return false;
  const auto* p = static_cast<const char*>(data);
  while (n > 0) {
    const std::size_t chunk = n < (std::size_t{1} << 30) ? n : (std::size_t{1} << 30);
    const ssize_t w = ::write(fd_, p, chunk);
    if (w < 0) {
      if (errno == EINTR) continue;
      Fail("Cannot write", errno);
      return false;
    }
    if (w == 0) {
      Fail("Cannot write", EIO);
      return false;
    }
    p += w;
    n -= static_cast<std::size_t>(w);
  }
  return true;
}

bool AtomicFileWriter::LinkUnnamed() {
  // A new target takes the name at once; an existing one is replaced through a name beside it.
  struct stat st {};
  if (::lstat(target_.c_str(), &st) != 0 && errno == ENOENT) {
    if (LinkOpenFile(fd_, target_)) {
      committed_ = true;
      return true;
    }
    if (errno != EEXIST) {
      Fail("Cannot create", errno);
      return false;
    }
  }
  const fs::path dir = FolderOf(target_);
  const std::string base = TempPrefix(target_);
  for (int attempt = 0; attempt < 100; ++attempt) {
    fs::path candidate = dir / (base + RandomSuffix() + ".tmp");
    if (LinkOpenFile(fd_, candidate)) {
      temp_ = std::move(candidate);
      return true;
    }
    if (errno != EEXIST) {
      Fail("Cannot create", errno);
      return false;
    }
  }
  Fail("Cannot create", EEXIST);
  return false;
}

WriteResult AtomicFileWriter::Commit() {
  if (committed_) return {};
  if (ok() && fd_ < 0) Fail("Nothing to commit for", EBADF);
  if (ok() && ::fsync(fd_) != 0) Fail("Cannot flush", errno);
  if (ok() && unnamed_) LinkUnnamed();
  if (fd_ >= 0) {
    const int rc = ::close(fd_);
    if (rc != 0 && ok()) Fail("Cannot close", errno);
    fd_ = -1;
  }
  if (ok() && !committed_ && std::rename(temp_.c_str(), target_.c_str()) != 0) Fail("Cannot replace", errno);
  if (!ok()) {
    committed_ = false;
    Discard();
    return {false, error_, cause_};
  }
  committed_ = true;
  temp_.clear();
  SyncFolder(FolderOf(target_));
  return {};
}

void AtomicFileWriter::Discard() {
  if (fd_ >= 0) {
    ::close(fd_);
    fd_ = -1;
  }
  if (!temp_.empty()) {
    ::unlink(temp_.c_str());
    temp_.clear();
  }
}

int SweepStaleTemporaries(const fs::path& target) {
  const std::string prefix = TempPrefix(target);
  std::error_code ec;
  fs::directory_iterator it(FolderOf(target), ec);
  if (ec) return 0;
  const std::time_t now = std::time(nullptr);
  int removed = 0;
  for (const fs::directory_entry& e : it) {
    const std::string name = e.path().filename().string();
    if (!IsOurTemporaryName(name, prefix)) continue;
    struct stat st {};
    if (::lstat(e.path().c_str(), &st) != 0 || !S_ISREG(st.st_mode) || now - st.st_mtime < kStaleAfterSeconds) continue;
    const int fd = ::open(e.path().c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) continue;
    // A live writer holds its lock; a killed one's lock went with it.
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0 && ::unlink(e.path().c_str()) == 0) ++removed;
    ::close(fd);
  }
  return removed;
}

WriteResult AtomicWrite(const fs::path& target, const void* data, std::size_t n, const AtomicWriteOptions& options) {
  AtomicFileWriter w(target, options);
  w.Write(data, n);
  return w.Commit();
}

WriteResult AtomicWrite(const fs::path& target, std::string_view bytes, const AtomicWriteOptions& options) {
  return AtomicWrite(target, bytes.data(), bytes.size(), options);
}

}  // namespace pelira
