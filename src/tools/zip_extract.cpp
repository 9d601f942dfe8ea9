#include "tools/zip_extract.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <atomic>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <random>

#include "common/atomic_file.h"
#include "common/size_text.h"
#include "common/text_encoding.h"

namespace pelira {

namespace fs = std::filesystem;

namespace {

class Fd {
public:
  Fd() = default;
  explicit Fd(int fd) : fd_(fd) {}
  ~Fd() { Reset(); }
  Fd(Fd&& o) noexcept : fd_(o.fd_) { o.fd_ = -1; }
  Fd& operator=(Fd&& o) noexcept {
    if (this != &o) {
      Reset();
      fd_ = o.fd_;
      o.fd_ = -1;
    }
    return *this;
  }
  int get() const { return fd_; }
  bool ok() const { return fd_ >= 0; }
  int Release() {
    const int fd = fd_;
    fd_ = -1;
    return fd;
  }
  void Reset() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
  }

private:
  int fd_ = -1;
};

std::string TempName() {
  static std::atomic<unsigned> counter{0};
  thread_local std::mt19937 engine(std::random_device{}() ^ (counter.fetch_add(1) * 2654435761u));
  char text[48];
  std::snprintf(text, sizeof text, ".pelira-unzip-%08x.tmp", static_cast<unsigned>(engine()));
  return text;
}

bool Exists(int dirFd, const std::string& leaf, struct stat* st) {
  return ::fstatat(dirFd, leaf.c_str(), st, AT_SYMLINK_NOFOLLOW) == 0;
}

// Renames without ever replacing: renameat2 where the filesystem has it, else a hard link
// (which fails on an existing name) and an unlink. 0, or the errno (EEXIST when taken).
int RenameNoReplace(int dirFd, const std::string& from, const std::string& to) {
  if (::renameat2(dirFd, from.c_str(), dirFd, to.c_str(), RENAME_NOREPLACE) == 0) return 0;
  const int err = errno;
  if (err != EINVAL && err != ENOSYS && err != ENOTSUP) return err;
  if (::linkat(dirFd, from.c_str(), dirFd, to.c_str(), 0) != 0) return errno;
  ::unlinkat(dirFd, from.c_str(), 0);
  return 0;
}

std::string MemberLine(const std::string& member, const std::string& archive, const std::string& what) {
  return member + " in " + archive + " " + what;
}

// Walks (and makes) the member's folders under the target without following links.
class FolderWalker {
public:
  explicit FolderWalker(int rootFd) : rootFd_(rootFd) {}

  // The folder for parts[0..n), or -1 (errno set) when a part is not a real folder.
  int Open(const std::vector<std::string>& parts, std::size_t n) {
    const std::vector<std::string> want(parts.begin(), parts.begin() + static_cast<std::ptrdiff_t>(n));
    if (cached_.ok() && want == cachedParts_) return cached_.get();
    Fd cur;
    int at = rootFd_;
    for (const std::string& part : want) {
      if (::mkdirat(at, part.c_str(), 0777) != 0 && errno != EEXIST) return -1;
      Fd next(::openat(at, part.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
      if (!next.ok()) {
        // ELOOP tells a link in the way (the kernel answers ENOTDIR for it here) from a file.
        const int err = errno;
        struct stat st {};
        errno = ::fstatat(at, part.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISLNK(st.st_mode) ? ELOOP : err;
        return -1;
      }
      cur = std::move(next);
      at = cur.get();
    }
    if (want.empty()) return rootFd_;
    cached_ = std::move(cur);
    cachedParts_ = want;
    return cached_.get();
  }

private:
  int rootFd_;
  Fd cached_;
  std::vector<std::string> cachedParts_;
};

}  // namespace

std::optional<std::vector<std::string>> SafeMemberPath(const std::string& name) {
  std::string n = name;
  for (char& c : n)
    if (c == '\\') c = '/';
  if (n.empty() || n.front() == '/') return std::nullopt;
  if (n.size() >= 2 && std::isalpha(static_cast<unsigned char>(n[0])) && n[1] == ':') return std::nullopt;
  for (unsigned char c : n)
    if (c < 0x20 || c == 0x7F) return std::nullopt;
  std::vector<std::string> parts;
  std::size_t start = 0;
  while (start <= n.size()) {
    const std::size_t slash = n.find('/', start);
    const std::string part = n.substr(start, slash == std::string::npos ? std::string::npos : slash - start);
    if (part == "..") return std::nullopt;
    if (!part.empty() && part != ".") parts.push_back(part);
    if (slash == std::string::npos) break;
    start = slash + 1;
  }
  if (parts.empty()) return std::nullopt;
  return parts;
}

std::string NumberedName(const std::string& leaf, int n) {
  const fs::path p(leaf);
  std::string ext = p.extension().string();
  for (char& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return p.stem().string() + "." + std::to_string(n) + ext;
}

std::string BadCrcLine(const std::string& member, const std::string& archive) {
  return MemberLine(member, archive, "is corrupted (bad CRC).");
}

std::string ExistsSkippedLine(const std::string& member, const std::string& archive) {
  return MemberLine(member, archive, "exists; skipped.");
}

bool WriteZipErrsLog(const fs::path& file, const std::vector<std::string>& lines, std::string* error) {
  const WriteResult r = AtomicWrite(file, JoinCrlf(lines));
  if (!r && error) *error = r.message;
  return static_cast<bool>(r);
}

ZipExtractResult ExtractZip(const fs::path& archivePath, const fs::path& targetFolder,
                            const ZipExtractOptions& options, const ZipExtractCallbacks& callbacks) {
  ZipExtractResult result;
  const std::string archive = archivePath.string();
  auto failArchive = [&](const std::string& why) {
    result.failed = true;
    result.log.push_back(archive + " is incomplete or corrupted: " + why + ".");
    return result;
  };

  ZipArchive zip;
  if (!zip.Open(archivePath)) return failArchive(zip.Error());
  const Fd root(::open(targetFolder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (!root.ok()) {
    result.failed = true;
    result.log.push_back(archive + ": the target folder " + targetFolder.string() + " cannot be opened: " +
                         std::strerror(errno) + ".");
    return result;
  }

  // What this run would write, for the limits, the free space and the percent.
  std::vector<const ZipEntry*> chosen;
  std::uint64_t total = 0;
  for (const ZipEntry& e : zip.Entries()) {
    if (options.onlyMember && e.name != *options.onlyMember) continue;
    chosen.push_back(&e);
    if (e.IsDirectory() || e.IsSymlink()) continue;
    total = e.uncompressedSize > UINT64_MAX - total ? UINT64_MAX : total + e.uncompressedSize;
  }
  const ZipLimits& lim = options.limits;
  auto beyondRatio = [&](std::uint64_t out, std::uint64_t in) {
    return out > lim.ratioFloor && (in == 0 || out / in >= lim.maxRatio);
  };
  if (total > lim.maxTotal || beyondRatio(total, zip.Size())) {
    result.failed = true;
    result.log.push_back(archive + " expands to " + std::to_string(total) +
                         " bytes, beyond the set limits (possible ZIP bomb); nothing extracted.");
    return result;
  }
  struct statvfs vfs {};
  if (::fstatvfs(root.get(), &vfs) == 0) {
    const std::uint64_t free = static_cast<std::uint64_t>(vfs.f_bavail) * vfs.f_frsize;
    if (total > free) {
      result.failed = true;
      result.log.push_back(archive + " needs " + SizeText(total) + " but the target folder has " + SizeText(free) +
                           " free; nothing extracted.");
      return result;
    }
  }

  const mode_t mask = ::umask(0);
  ::umask(mask);
  FolderWalker walker(root.get());
  ZipMemberReader reader;
  std::uint64_t doneBefore = 0;
  for (const ZipEntry* ep : chosen) {
    const ZipEntry& e = *ep;
    auto log = [&](const std::string& what) { result.log.push_back(MemberLine(e.name, archive, what)); };
    if (callbacks.progress && !callbacks.progress(doneBefore, total)) {
      result.stopped = true;
      break;
    }
    const auto parts = SafeMemberPath(e.name);
    if (!parts) {
      log("has an unsafe name; skipped.");
      continue;
    }
    if (e.IsSymlink()) {
      log("is a symbolic link; skipped.");
      continue;
    }
    // A link on the way could lead outside; anything else in the way is a write failure.
    auto folderFailed = [&] {
      if (errno == ELOOP)
        log("has an unsafe name; skipped.");
      else
        log(std::string("could not be written: ") + std::strerror(errno) + ".");
    };
    if (e.IsDirectory()) {
      if (walker.Open(*parts, parts->size()) < 0) folderFailed();
      continue;
    }
    if (e.IsEncrypted()) {
      log("is encrypted; skipped.");
      continue;
    }
    if (e.method != kZipStored && e.method != kZipDeflated) {
      log("uses compression method " + std::to_string(e.method) + ", which is not supported; skipped.");
      continue;
    }
    if (beyondRatio(e.uncompressedSize, e.compressedSize)) {
      log("expands beyond the set limits (possible ZIP bomb); skipped.");
      continue;
    }
    const int dirFd = walker.Open(*parts, parts->size() - 1);
    if (dirFd < 0) {
      folderFailed();
      continue;
    }
    const std::string& leaf = parts->back();
    struct stat st {};
    const bool existed = Exists(dirFd, leaf, &st);
    if (existed && (options.skipDuplicates || S_ISDIR(st.st_mode))) {
      log("exists; skipped.");
      doneBefore += e.uncompressedSize;
      continue;
    }

    // Write to a temporary beside the target; it takes the name only when complete and checked.
    std::string temp;
    Fd out;
    for (int attempt = 0; attempt < 100 && !out.ok(); ++attempt) {
      temp = TempName();
      out = Fd(::openat(dirFd, temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
      if (!out.ok() && errno != EEXIST) break;
    }
    if (!out.ok()) {
      log(std::string("could not be written: ") + std::strerror(errno) + ".");
      continue;
    }
    int writeErr = 0;
    const ZipReadResult r = reader.Read(
        zip.Source(), e,
        [&](const std::uint8_t* data, std::size_t n) {
          while (n > 0) {
            const ssize_t w = ::write(out.get(), data, n);
            if (w < 0 && errno == EINTR) continue;
            if (w <= 0) {
              writeErr = w < 0 ? errno : EIO;
              return false;
            }
            data += w;
            n -= static_cast<std::size_t>(w);
          }
          return true;
        },
        [&](std::uint64_t produced) {
          return !callbacks.progress || callbacks.progress(doneBefore + produced, total);
        });
    doneBefore += e.uncompressedSize;
    auto dropTemp = [&] {
      out.Reset();
      ::unlinkat(dirFd, temp.c_str(), 0);
    };
    if (!r) {
      dropTemp();
      if (writeErr != 0) {
        log(std::string("could not be written: ") + std::strerror(writeErr) + ".");
        continue;
      }
      switch (r.status) {
        case ZipReadStatus::BadCrc: result.log.push_back(BadCrcLine(e.name, archive)); continue;
        case ZipReadStatus::Corrupt: log("is corrupted (" + r.message + ")."); continue;
        case ZipReadStatus::Stopped: result.stopped = true; break;
        case ZipReadStatus::ReadError:
        default:
          return failArchive(r.message);
      }
      break;  // stopped
    }

    // Attributes: Unix permission bits when the archive carries them, a DOS read-only flag
    // takes the write bits away; special bits never.
    mode_t mode = 0666;
    if (const auto m = e.UnixMode()) mode = static_cast<mode_t>(*m);
    if (e.DosReadOnly()) mode &= ~0222u;
    ::fchmod(out.get(), mode & ~mask & 0777);
    std::optional<std::int64_t> mtime = e.unixMtime ? e.unixMtime : DosTimeToUnix(e.dosDate, e.dosTime);
    if (mtime) {
      struct timespec times[2];
      times[0].tv_sec = static_cast<time_t>(*mtime);
      times[0].tv_nsec = 0;
      times[1] = times[0];
      ::futimens(out.get(), times);
    }
    if (::close(out.Release()) != 0) {
      const int err = errno;
      ::unlinkat(dirFd, temp.c_str(), 0);
      log(std::string("could not be written: ") + std::strerror(err) + ".");
      continue;
    }

    if (existed || Exists(dirFd, leaf, &st)) {
      if (options.skipDuplicates || S_ISDIR(st.st_mode)) {
        ::unlinkat(dirFd, temp.c_str(), 0);
        log("exists; skipped.");
        continue;
      }
      // Move the existing file aside to the first free numbered name; none replaces anything.
      int err = EEXIST;
      for (int n = 1; n <= 999 && err == EEXIST; ++n) err = RenameNoReplace(dirFd, leaf, NumberedName(leaf, n));
      if (err != 0) {
        ::unlinkat(dirFd, temp.c_str(), 0);
        if (err != EEXIST && callbacks.warning) {
          fs::path target = targetFolder;
          for (const std::string& part : *parts) target /= part;
          callbacks.warning("Could not rename " + target.string());
        }
        log("exists; skipped.");
        continue;
      }
    }
    const int err = RenameNoReplace(dirFd, temp, leaf);
    if (err != 0) {
      ::unlinkat(dirFd, temp.c_str(), 0);
      if (err == EEXIST)
        log("exists; skipped.");
      else
        log(std::string("could not be written: ") + std::strerror(err) + ".");
      continue;
    }
    ++result.filesExtracted;
  }
  return result;
}

}  // namespace pelira
