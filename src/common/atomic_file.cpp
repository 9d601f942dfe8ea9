#include "common/atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <random>
#include <system_error>

namespace pelira {

namespace fs = std::filesystem;

namespace {

std::string RandomSuffix() {
  static std::atomic<unsigned> counter{0};
  thread_local std::mt19937 engine(std::random_device{}() ^ (counter.fetch_add(1) * 2654435761u));
  static constexpr char kChars[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
  std::uniform_int_distribution<int> pick(0, 61);
  std::string s(8, '0');
  for (auto& c : s) c = kChars[pick(engine)];
  return s;
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

void SyncFolder(const fs::path& dir) {
  const int fd = ::open(dir.empty() ? "." : dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  ::fsync(fd);  // best effort: the rename itself has already happened
  ::close(fd);
}

}  // namespace

AtomicFileWriter::AtomicFileWriter(fs::path target) : target_(ResolveTarget(target)) {
  if (target_.empty() || !target_.has_filename()) {
    Fail("No file name", EINVAL);
    return;
  }
  const fs::path dir = target_.parent_path();
  const std::string base = "." + target_.filename().string() + ".";
  for (int attempt = 0; attempt < 100; ++attempt) {
    fs::path candidate = dir / (base + RandomSuffix() + ".tmp");
    fd_ = ::open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd_ >= 0) {
      temp_ = std::move(candidate);
      break;
    }
    if (errno != EEXIST) {
      Fail("Cannot create a temporary file", errno);
      return;
    }
  }
  if (fd_ < 0) {
    Fail("Cannot create a temporary file", EEXIST);
    return;
  }
  struct stat st {};
  if (::stat(target_.c_str(), &st) == 0 && S_ISREG(st.st_mode)) ::fchmod(fd_, st.st_mode & 07777);
}

AtomicFileWriter::~AtomicFileWriter() {
  if (!committed_) Discard();
}

void AtomicFileWriter::Fail(const std::string& what, int err) {
  if (!error_.empty()) return;
  error_ = what + " for \"" + target_.string() + "\": " + std::strerror(err);
}

bool AtomicFileWriter::Write(const void* data, std::size_t n) {
  if (ok() && fd_ < 0) Fail("Write after the file was closed", EBADF);
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

WriteResult AtomicFileWriter::Commit() {
  if (committed_) return {};
  if (ok() && fd_ < 0) Fail("Nothing to commit", EBADF);
  if (ok() && ::fsync(fd_) != 0) Fail("Cannot flush", errno);
  if (fd_ >= 0) {
    const int rc = ::close(fd_);
    if (rc != 0 && ok()) Fail("Cannot close", errno);
    fd_ = -1;
  }
  if (ok() && std::rename(temp_.c_str(), target_.c_str()) != 0) Fail("Cannot replace", errno);
  if (!ok()) {
    Discard();
    return {false, error_};
  }
  committed_ = true;
  temp_.clear();
  SyncFolder(target_.parent_path());
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

WriteResult AtomicWrite(const fs::path& target, const void* data, std::size_t n) {
  AtomicFileWriter w(target);
  w.Write(data, n);
  return w.Commit();
}

WriteResult AtomicWrite(const fs::path& target, std::string_view bytes) {
  return AtomicWrite(target, bytes.data(), bytes.size());
}

}  // namespace pelira
