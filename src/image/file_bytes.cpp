#include "image/file_bytes.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <algorithm>
#include <cstdio>
#include <string>

#include "common/atomic_file.h"
#include "common/errors.h"
#include "image/pixel_limit.h"

namespace pelira {

std::string NotRegularFileText(const std::filesystem::path& path) {
  return "Not a regular file: " + path.string();
}

std::string RegularFileProblem(const std::filesystem::path& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) return errno == ENOENT || errno == ENOTDIR ? "File not found" : "Cannot open file " + path.string();
  return S_ISREG(st.st_mode) ? std::string() : NotRegularFileText(path);
}

std::uint64_t MaxFileBytes() {
  const std::uint64_t pictures = MaxImageBytes();
  return std::max<std::uint64_t>(pictures > UINT64_MAX / 3 ? UINT64_MAX : pictures * 3, std::uint64_t{16} << 20);
}

namespace {

struct Fd {
  int fd = -1;
  ~Fd() {
    if (fd >= 0) ::close(fd);
  }
};

std::vector<std::uint8_t> ReadUpTo(const std::filesystem::path& path, std::size_t maxBytes,
                                   bool whole) {
  Fd f;
  // Non-blocking open: opening a FIFO for reading would otherwise wait for a writer.
  f.fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (f.fd < 0) throw EVistrelError("Cannot open file " + path.string());
  // A FIFO or a device never ends (or ends nowhere near a picture): only regular files.
  struct stat st {};
  if (::fstat(f.fd, &st) != 0) throw EVistrelError("Cannot open file " + path.string());
  if (!S_ISREG(st.st_mode)) throw EVistrelError(NotRegularFileText(path));
  ::fcntl(f.fd, F_SETFL, ::fcntl(f.fd, F_GETFL) & ~O_NONBLOCK);
  const std::uint64_t size = static_cast<std::uint64_t>(std::max<off_t>(st.st_size, 0));
  if (whole && size > MaxFileBytes()) throw EVistrelError("File too large: " + path.string());
  // A file that grows while it is read is still held to the cap.
  const std::uint64_t limit = whole ? MaxFileBytes() : maxBytes;
  auto readSome = [&](std::uint8_t* to, std::size_t n) -> std::size_t {
    for (;;) {
      const ssize_t got = ::read(f.fd, to, n);
      if (got >= 0) return static_cast<std::size_t>(got);
      if (errno != EINTR) throw EVistrelError("Cannot read file " + path.string());
    }
  };
  // The size the file says it has goes straight into the buffer it is returned in.
  std::vector<std::uint8_t> out(static_cast<std::size_t>(std::min(size, limit)));
  std::size_t have = 0;
  while (have < out.size()) {
    const std::size_t n = readSome(out.data() + have, out.size() - have);
    if (n == 0) break;
    have += n;
  }
  if (have < out.size()) {
    out.resize(have);  // shorter than it said: shrinking keeps the buffer
    return out;
  }
  // Longer than it said (still being written): the rest through a small buffer.
  std::uint8_t more[1 << 16];
  while (have < limit) {
    const std::size_t n = readSome(more, static_cast<std::size_t>(std::min<std::uint64_t>(sizeof more, limit - have + (whole ? 1 : 0))));
    if (n == 0) break;
    out.insert(out.end(), more, more + n);
    have += n;
    if (whole && have > MaxFileBytes()) throw EVistrelError("File too large: " + path.string());
  }
  if (!whole && out.size() > maxBytes) out.resize(maxBytes);
  return out;
}

}  // namespace

ReadOnlyFile::ReadOnlyFile(const std::filesystem::path& path) : path_(path) {
  fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd_ < 0) throw EVistrelError("Cannot open file " + path.string());
  struct stat st {};
  if (::fstat(fd_, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd_);
    fd_ = -1;
    throw EVistrelError(NotRegularFileText(path));
  }
  size_ = static_cast<std::uint64_t>(st.st_size);
}

ReadOnlyFile::~ReadOnlyFile() {
  if (fd_ >= 0) ::close(fd_);
}

std::int64_t ReadOnlyFile::ReadAt(std::uint64_t offset, void* out, std::size_t n) const {
  auto* p = static_cast<std::uint8_t*>(out);
  std::size_t done = 0;
  while (done < n) {
    const ssize_t got = ::pread(fd_, p + done, n - done, static_cast<off_t>(offset + done));
    if (got < 0) {
      if (errno == EINTR) continue;
      return -1;
    }
    if (got == 0) break;
    done += static_cast<std::size_t>(got);
  }
  return static_cast<std::int64_t>(done);
}

std::vector<std::uint8_t> ReadFileBytes(const std::filesystem::path& path) {
  return ReadUpTo(path, SIZE_MAX, true);
}

std::vector<std::uint8_t> ReadFilePrefix(const std::filesystem::path& path, std::size_t maxBytes) {
  return ReadUpTo(path, maxBytes, false);
}

void WriteFileAtomic(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes) {
  const WriteResult r = AtomicWrite(path, bytes.data(), bytes.size());
  if (!r) throw EVistrelError("Cannot write file " + path.string() + (r.cause.empty() ? "" : ": " + r.cause));
}

}  // namespace pelira
