#include "batch/file_ops.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <map>
#include <set>

#include "platform/shell.h"
#include "platform/ui.h"

namespace pelira {

namespace fs = std::filesystem;

int RenameNoReplace(const fs::path& from, const fs::path& to) {
  if (::syscall(SYS_renameat2, AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), 1 /* RENAME_NOREPLACE */) == 0)
    return 0;
  if (errno != EINVAL && errno != ENOSYS) return errno;
  // File systems without the flag: a hard link claims the name atomically, then the old
  // name goes. Both names point at the one inode in between, so nothing can be lost.
  if (::link(from.c_str(), to.c_str()) != 0) return errno;
  if (::unlink(from.c_str()) != 0) {
    const int e = errno;
    ::unlink(to.c_str());
    return e;
  }
  return 0;
}

std::string CouldNotRenameText(const std::string& path) { return "Could not rename " + fs::path(path).filename().string(); }

namespace {

// A name in from's folder that nothing holds, claimed by renaming from onto it.
std::string MoveAside(const std::string& from, int serial) {
  const fs::path dir = fs::path(from).parent_path();
  for (int n = 0; n < 1000; ++n) {
    const fs::path temp =
        dir / (".pelira-rename-" + std::to_string(::getpid()) + "-" + std::to_string(serial) + "-" + std::to_string(n));
    const int e = RenameNoReplace(from, temp);
    if (e == 0) return temp.string();
    if (e != EEXIST) return {};
  }
  return {};
}

void PutBack(const std::string& temp, const std::string& from) {
  if (RenameNoReplace(temp, from) == 0) return;
  for (int n = 1; n < 1000; ++n)
    if (RenameNoReplace(temp, from + ".kept-" + std::to_string(n)) == 0) return;
}

}  // namespace

RenameReport ApplyRenames(const std::vector<RenameStep>& plan) {
  RenameReport report;
  std::vector<RenameStep> steps;
  std::set<std::string> sources;
  for (const RenameStep& s : plan) {
    if (s.from == s.to || !sources.insert(s.from).second) continue;
    steps.push_back(s);
  }
  std::vector<std::string> current(steps.size());
  std::vector<bool> failed(steps.size(), false);
  for (std::size_t i = 0; i < steps.size(); ++i) current[i] = steps[i].from;
  // A target held by a file that stays where it is fails its step before anything moves; the
  // failed step's file then stays too, which may fail the step that wanted its name.
  for (bool changed = true; changed;) {
    changed = false;
    std::set<std::string> moving;
    for (std::size_t i = 0; i < steps.size(); ++i)
      if (!failed[i]) moving.insert(steps[i].from);
    for (std::size_t i = 0; i < steps.size(); ++i) {
      struct stat st;
      if (failed[i] || moving.count(steps[i].to) || ::lstat(steps[i].to.c_str(), &st) != 0) continue;
      failed[i] = true;
      changed = true;
    }
  }
  for (std::size_t i = 0; i < steps.size(); ++i)
    if (failed[i]) report.failures.push_back(CouldNotRenameText(steps[i].from));
  // Sources that another step wants as its target step aside first.
  std::set<std::string> targets;
  for (std::size_t i = 0; i < steps.size(); ++i)
    if (!failed[i]) targets.insert(steps[i].to);
  for (std::size_t i = 0; i < steps.size(); ++i) {
    if (failed[i] || !targets.count(steps[i].from)) continue;
    const std::string temp = MoveAside(steps[i].from, static_cast<int>(i));
    if (temp.empty()) {
      failed[i] = true;
      report.failures.push_back(CouldNotRenameText(steps[i].from));
    } else {
      current[i] = temp;
    }
  }
  for (std::size_t i = 0; i < steps.size(); ++i) {
    if (failed[i]) continue;
    if (RenameNoReplace(current[i], steps[i].to) == 0) {
      ++report.renamed;
      report.done.push_back(steps[i].to);
      continue;
    }
    report.failures.push_back(CouldNotRenameText(steps[i].from));
    if (current[i] != steps[i].from) PutBack(current[i], steps[i].from);
  }
  return report;
}

// --- copy and move -----------------------------------------------------------------------

std::string OntoItselfText(const std::string& path, TransferKind kind) {
  return std::string(kind == TransferKind::Copy ? "Cannot copy " : "Cannot move ") + path + " onto itself.";
}

namespace {

std::string ErrnoText(const std::string& what, int e) { return what + "\n" + std::strerror(e); }

void SyncFolder(const fs::path& dir) {
  const int fd = ::open(dir.empty() ? "." : dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
}

// Copies source into a private temporary in folder, synced, with the source's mode and
// times. The temporary's path, or empty with *why.
std::string StageCopy(const fs::path& source, const fs::path& folder, const TransferOptions& o, std::string* why) {
  const int in = ::open(source.c_str(), O_RDONLY | O_CLOEXEC);
  if (in < 0) {
    *why = ErrnoText("Cannot read " + source.string(), errno);
    return {};
  }
  struct stat st;
  if (::fstat(in, &st) != 0 || !S_ISREG(st.st_mode)) {
    *why = "Cannot copy " + source.string() + ": not a regular file.";
    ::close(in);
    return {};
  }
  std::string temp = (folder / ".pelira-copy-XXXXXX").string();
  const int out = ::mkostemp(temp.data(), O_CLOEXEC);
  if (out < 0) {
    *why = ErrnoText("Cannot write in " + folder.string(), errno);
    ::close(in);
    return {};
  }
  std::vector<char> buffer(1 << 20);
  std::uint64_t copied = 0;
  int error = 0;
  for (;;) {
    const ssize_t n = ::read(in, buffer.data(), buffer.size());
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      error = errno;
      break;
    }
    if (n == 0) break;
    for (ssize_t done = 0; done < n;) {
      const ssize_t w = ::write(out, buffer.data() + done, static_cast<std::size_t>(n - done));
      if (w < 0 && errno == EINTR) continue;
      if (w <= 0) {
        error = w < 0 ? errno : EIO;
        break;
      }
      done += w;
    }
    if (error) break;
    copied += static_cast<std::uint64_t>(n);
    if (o.onChunk) o.onChunk(copied);
  }
  ::close(in);
  if (!error) {
    ::fchmod(out, st.st_mode & 07777);
    const struct timespec times[2] = {st.st_atim, st.st_mtim};
    ::futimens(out, times);
    if (::fsync(out) != 0) error = errno;
  }
  if (::close(out) != 0 && !error) error = errno;
  if (error) {
    ::unlink(temp.c_str());
    *why = ErrnoText("Cannot write " + (folder / source.filename()).string(), error);
    return {};
  }
  return temp;
}

}  // namespace

TransferResult TransferFile(const fs::path& source, const fs::path& folder, TransferKind kind,
                            const TransferOptions& o) {
  TransferResult r;
  r.target = (folder / source.filename()).string();
  const fs::path target = r.target;
  struct stat src, dst;
  if (::lstat(source.c_str(), &src) != 0) {
    r.message = ErrnoText("Cannot find " + source.string(), errno);
    return r;
  }
  if (S_ISDIR(src.st_mode)) {
    r.message = source.string() + " is a folder.";
    return r;
  }
  const bool targetExists = ::lstat(target.c_str(), &dst) == 0;
  if (targetExists) {
    // The same file under another path (a bind mount, a link, its own folder): writing it
    // would truncate the source.
    struct stat followed;
    const bool sameInode = (dst.st_dev == src.st_dev && dst.st_ino == src.st_ino) ||
                           (::stat(source.c_str(), &followed) == 0 && ::stat(target.c_str(), &dst) == 0 &&
                            followed.st_dev == dst.st_dev && followed.st_ino == dst.st_ino);
    if (sameInode) {
      r.message = OntoItselfText(source.string(), kind);
      return r;
    }
  }
  const bool replace = targetExists && o.overwrite && o.overwrite(target.string());
  if (targetExists && !replace) {
    r.skipped = true;
    r.message = target.string() + " exists.";
    return r;
  }

  if (kind == TransferKind::Move && !o.forceCopy) {
    const int e = replace ? (::rename(source.c_str(), target.c_str()) == 0 ? 0 : errno) : RenameNoReplace(source, target);
    if (e == 0) {
      SyncFolder(folder);
      r.ok = true;
      return r;
    }
    if (e != EXDEV) {
      r.message = ErrnoText("Cannot move " + source.string() + " to " + folder.string(), e);
      return r;
    }
  }
  if (S_ISLNK(src.st_mode) && kind == TransferKind::Move) {
    r.message = "Cannot move the link " + source.string() + " to another file system.";
    return r;
  }
  std::string why;
  const std::string temp = StageCopy(source, folder, o, &why);
  if (temp.empty()) {
    r.message = why;
    return r;
  }
  int e = 0;
  if (replace) {
    if (::rename(temp.c_str(), target.c_str()) != 0) e = errno;
  } else {
    if (::link(temp.c_str(), target.c_str()) != 0) e = errno;
    if (e == EPERM || e == ENOTSUP || e == EOPNOTSUPP) e = RenameNoReplace(temp, target);
  }
  ::unlink(temp.c_str());
  if (e != 0) {
    r.message = e == EEXIST ? target.string() + " exists." : ErrnoText("Cannot write " + target.string(), e);
    r.skipped = e == EEXIST;
    return r;
  }
  SyncFolder(folder);
  // Only now, with the copy complete, synced and named, may the source go.
  if (kind == TransferKind::Move) {
    if (::unlink(source.c_str()) != 0) {
      r.message = ErrnoText("Copied to " + target.string() + " but cannot remove " + source.string(), errno);
      return r;
    }
    SyncFolder(source.parent_path());
  }
  r.ok = true;
  return r;
}

// --- delete ------------------------------------------------------------------------------

std::string PermanentDeleteQuestion(const std::vector<std::string>& files) {
  if (files.size() == 1) return "Delete " + fs::path(files[0]).filename().string() + " permanently?";
  return "Delete " + std::to_string(files.size()) + " files?";
}

std::string RecycleQuestion(const std::vector<std::string>& files) {
  const std::string what = files.size() == 1 ? fs::path(files[0]).filename().string()
                                             : std::to_string(files.size()) + " files?";
  return "Recycle " + what + "\n\n" + kIgnoreSuffix;
}

DeleteReport DeleteFiles(const std::vector<std::string>& files, bool permanent, Ui& ui, Shell& shell) {
  DeleteReport report;
  if (files.empty()) return report;
  if (permanent) {
    // Never silenced: Ignore is not offered and no earlier answer counts.
    if (ui.Message(MessageKind::Confirmation, PermanentDeleteQuestion(files), Button::Yes | Button::No) != Button::Yes) {
      report.asked = true;
      return report;
    }
    for (const std::string& f : files) {
      struct stat st;
      if (::lstat(f.c_str(), &st) != 0) {
        report.failures.push_back(ErrnoText("Could not delete " + f, errno));
        continue;
      }
      if (S_ISDIR(st.st_mode)) {
        report.failures.push_back("Could not delete " + f + "\nIt is a folder.");
        continue;
      }
      if (::unlink(f.c_str()) != 0) {
        report.failures.push_back(ErrnoText("Could not delete " + f, errno));
        continue;
      }
      ++report.removed;
      report.removedPaths.push_back(f);
    }
    return report;
  }
  if (!AskIgnorable(ui, kRecycleQuestionKey, MessageKind::Confirmation, RecycleQuestion(files), 650,
                    Button::Yes | Button::No | Button::Ignore)) {
    report.asked = true;
    return report;
  }
  for (const std::string& f : files) {
    const TrashResult t = shell.MoveToTrash(f);
    if (!t.ok) {
      report.failures.push_back(t.message);
      continue;
    }
    ++report.removed;
    report.removedPaths.push_back(f);
  }
  return report;
}

}  // namespace pelira
