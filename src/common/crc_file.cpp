#include "common/crc_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <memory>

#include "common/crc_register.h"

namespace pelira {

namespace {

class Fd {
public:
  explicit Fd(int fd) : fd_(fd) {}
  ~Fd() {
    if (fd_ >= 0) ::close(fd_);
  }
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  int get() const { return fd_; }

private:
  int fd_;
};

// Large enough that the checksum, not the system calls, sets the pace.
constexpr std::size_t kBlock = std::size_t{1} << 20;

}  // namespace

std::optional<std::uint32_t> CRCFileRegister(const std::filesystem::path& path) {
  // O_NONBLOCK: opening a FIFO must not wait for a writer; it is refused below anyway.
  Fd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
  if (fd.get() < 0) return std::nullopt;
  struct stat st {};
  if (::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode)) return std::nullopt;
  const int flags = ::fcntl(fd.get(), F_GETFL);
  if (flags >= 0) ::fcntl(fd.get(), F_SETFL, flags & ~O_NONBLOCK);
#ifdef POSIX_FADV_SEQUENTIAL
  ::posix_fadvise(fd.get(), 0, 0, POSIX_FADV_SEQUENTIAL);
#endif
  std::unique_ptr<unsigned char[]> buf(new unsigned char[kBlock]);
  std::uint32_t reg = kCrcRegisterStart;
  for (;;) {
    const ssize_t got = ::read(fd.get(), buf.get(), kBlock);
    if (got < 0) {
      if (errno == EINTR) continue;
      return std::nullopt;
    }
    if (got == 0) break;
    reg = CrcRegisterUpdate(reg, buf.get(), static_cast<std::size_t>(got));
  }
  return reg;
}

std::optional<std::string> CRCFile(const std::filesystem::path& path) {
  const auto reg = CRCFileRegister(path);
  if (!reg) return std::nullopt;
  return CrcRegisterText(*reg);
}

}  // namespace pelira
