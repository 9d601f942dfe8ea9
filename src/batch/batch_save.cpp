#include "batch/batch_save.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace pelira {

std::string StageBytes(const std::filesystem::path& dir, const std::vector<std::uint8_t>& bytes, std::string* why,
                       int* error) {
  auto fail = [&](int e) {
    *why = std::strerror(e);
    if (error) *error = e;
    return std::string();
  };
  // O_EXCL inside mkstemp does the reserving: nothing else can have this name.
  std::string templ = (dir / ".pelira-run-XXXXXX").string();
  const int fd = ::mkstemp(templ.data());
  if (fd < 0) return fail(errno);
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      const int e = n < 0 ? errno : ENOSPC;
      ::close(fd);
      ::unlink(templ.c_str());
      return fail(e);
    }
    done += static_cast<std::size_t>(n);
  }
  if (::fsync(fd) != 0) {
    const int e = errno;
    ::close(fd);
    ::unlink(templ.c_str());
    return fail(e);
  }
  if (::close(fd) != 0) {
    const int e = errno;
    ::unlink(templ.c_str());
    return fail(e);
  }
  // mkstemp makes the file private; saved pictures get the usual permissions.
  const mode_t mask = ::umask(0);
  ::umask(mask);
  ::chmod(templ.c_str(), 0666 & ~mask);
  return templ;
}

PlaceResult PlaceNumbered(const std::string& temp, const std::string& base, const std::string& ext) {
  PlaceResult r;
  for (int n = 0; n <= 999; ++n) {
    const std::string name = base + (n ? "-" + std::to_string(n) : std::string()) + "." + ext;
    // A hard link claims the name atomically and fails on an existing one; where links are
    // refused, a rename that refuses an existing target.
    if (::link(temp.c_str(), name.c_str()) == 0) {
      r.ok = true;
      r.path = name;
      break;
    }
    if (errno == EEXIST) continue;
#ifdef SYS_renameat2
    if (::syscall(SYS_renameat2, AT_FDCWD, temp.c_str(), AT_FDCWD, name.c_str(), 1 /* RENAME_NOREPLACE */) == 0) {
      r.ok = true;
      r.path = name;
      break;
    }
    if (errno == EEXIST) continue;
#endif
    r.message = name + ": cannot write: " + std::strerror(errno);
    break;
  }
  if (!r.ok && r.message.empty()) r.message = base + "." + ext + ": Skipped: the names up to -999 are taken";
  ::unlink(temp.c_str());
  return r;
}

}  // namespace pelira
