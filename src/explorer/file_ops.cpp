#include "explorer/file_ops.h"

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <random>
#include <system_error>

#include "common/kind_list.h"
#include "explorer/listing.h"
#include "platform/shell.h"

namespace fs = std::filesystem;

namespace pelira {

namespace {

std::string Errno(int e) { return std::strerror(e); }

bool Lstat(const fs::path& p, struct stat& st) { return ::lstat(p.c_str(), &st) == 0; }

// rename without replacing, folders too; EEXIST when the target is taken. File systems without the flag
// fall back to a hard link and an unlink for files, which cannot replace either.
int RenameItemNoReplace(const fs::path& from, const fs::path& to) {
  if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return 0;
  const int e = errno;
  if (e != EINVAL && e != ENOSYS) return e;
  struct stat st {};
  if (!Lstat(from, st)) return errno;
  if (S_ISDIR(st.st_mode)) {
    if (Lstat(to, st)) return EEXIST;
    return ::rename(from.c_str(), to.c_str()) == 0 ? 0 : errno;
  }
  if (::link(from.c_str(), to.c_str()) != 0) return errno;
  ::unlink(from.c_str());
  return 0;
}

void SyncFolder(const fs::path& folder) {
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd >= 0) {
    ::fsync(fd);
    ::close(fd);
  }
}

// A new, unique name beside target for a temporary ("." + name + ".pelira-XXXXXXXX").
fs::path StageName(const fs::path& target) {
  static std::mt19937_64 rng{std::random_device{}()};
  char suffix[20];
  std::snprintf(suffix, sizeof suffix, "%08llx", static_cast<unsigned long long>(rng() & 0xFFFFFFFFull));
  return target.parent_path() / ("." + target.filename().string() + ".pelira-" + suffix);
}

// Copies a regular file's bytes to a new stage file, flushes it and returns the stage path.
std::string CopyToStage(const fs::path& src, const fs::path& target, fs::path& stage) {
  const int in = ::open(src.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
  if (in < 0) return Errno(errno);
  struct stat st {};
  if (::fstat(in, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(in);
    return "not a regular file";
  }
  int out = -1;
  for (int tries = 0; tries < 8 && out < 0; ++tries) {
    stage = StageName(target);
    out = ::open(stage.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, st.st_mode & 07777);
    if (out < 0 && errno != EEXIST) break;
  }
  if (out < 0) {
    const int e = errno;
    ::close(in);
    return Errno(e);
  }
  std::string err;
  char buf[1 << 16];
  for (;;) {
    const ssize_t n = ::read(in, buf, sizeof buf);
    if (n < 0) {
      if (errno == EINTR) continue;
      err = Errno(errno);
      break;
    }
    if (n == 0) break;
    for (ssize_t off = 0; off < n;) {
      const ssize_t w = ::write(out, buf + off, static_cast<std::size_t>(n - off));
      if (w < 0) {
        if (errno == EINTR) continue;
        err = Errno(errno);
        break;
      }
      off += w;
    }
    if (!err.empty()) break;
  }
  if (err.empty()) {
    const struct timespec times[2] = {st.st_atim, st.st_mtim};
    ::futimens(out, times);
    if (::fsync(out) != 0) err = Errno(errno);
  }
  if (::close(out) != 0 && err.empty()) err = Errno(errno);
  ::close(in);
  if (!err.empty()) ::unlink(stage.c_str());
  return err;
}

struct Transferer {
  TransferKind kind;
  const ConflictFn& conflict;
  TransferReport result;

  ConflictAnswer Ask(const fs::path& target) {
    if (!conflict) return ConflictAnswer::Skip;
    const ConflictAnswer a = conflict(target);
    if (a == ConflictAnswer::Cancel) result.cancelled = true;
    return a;
  }

  void Fail(const fs::path& src, const std::string& why) {
    result.errors.push_back("Could not " + std::string(kind == TransferKind::Copy ? "copy " : "move ") + src.string() +
                            (why.empty() ? "" : "\n" + why));
  }

  // Copies one item (file, link or folder) to target; true when all of it arrived.
  bool CopyItem(const fs::path& src, const fs::path& target) {
    if (result.cancelled) return false;
    struct stat st {};
    if (!Lstat(src, st)) {
      Fail(src, Errno(errno));
      return false;
    }
    struct stat tst {};
    const bool exists = Lstat(target, tst);
    if (exists && tst.st_dev == st.st_dev && tst.st_ino == st.st_ino) {
      Fail(src, "source and target are the same file");
      return false;
    }
    if (S_ISDIR(st.st_mode)) {
      if (exists) {
        if (!S_ISDIR(tst.st_mode)) {
          ++result.skipped;
          return false;
        }
        // An existing folder: its files are merged, each conflict asked on its own.
        if (Ask(target) != ConflictAnswer::Replace) {
          if (!result.cancelled) ++result.skipped;
          return false;
        }
      } else if (::mkdir(target.c_str(), st.st_mode & 07777) != 0) {
        Fail(src, Errno(errno));
        return false;
      }
      bool all = true;
      std::error_code ec;
      for (fs::directory_iterator it(src, ec), end; !ec && it != end; it.increment(ec)) {
        if (!CopyItem(it->path(), target / it->path().filename())) all = false;
        if (result.cancelled) return false;
      }
      if (ec) {
        Fail(src, ec.message());
        return false;
      }
      return all;
    }
    if (exists && Ask(target) != ConflictAnswer::Replace) {
      if (!result.cancelled) ++result.skipped;
      return false;
    }
    fs::path stage;
    if (S_ISLNK(st.st_mode)) {
      std::error_code ec;
      const fs::path to = fs::read_symlink(src, ec);
      if (ec) {
        Fail(src, ec.message());
        return false;
      }
      stage = StageName(target);
      if (::symlink(to.c_str(), stage.c_str()) != 0) {
        Fail(src, Errno(errno));
        return false;
      }
    } else if (S_ISREG(st.st_mode)) {
      const std::string err = CopyToStage(src, target, stage);
      if (!err.empty()) {
        Fail(src, err);
        return false;
      }
    } else {
      Fail(src, "not a regular file or folder");
      return false;
    }
    const int e = exists ? (::rename(stage.c_str(), target.c_str()) == 0 ? 0 : errno) : RenameItemNoReplace(stage, target);
    if (e != 0) {
      ::unlink(stage.c_str());
      if (e == EEXIST) {
        ++result.skipped;  // appeared meanwhile: never replaced unasked
        return false;
      }
      Fail(src, Errno(e));
      return false;
    }
    SyncFolder(target.parent_path());
    return true;
  }

  void MoveItem(const fs::path& src, const fs::path& target) {
    int e = RenameItemNoReplace(src, target);
    if (e == 0) {
      ++result.done;
      return;
    }
    if (e != EEXIST && e != EXDEV) {
      Fail(src, Errno(e));
      return;
    }
    struct stat st {}, tst {};
    if (e == EEXIST && Lstat(src, st) && !S_ISDIR(st.st_mode) && Lstat(target, tst) && !S_ISDIR(tst.st_mode)) {
      if (Ask(target) != ConflictAnswer::Replace) {
        if (!result.cancelled) ++result.skipped;
        return;
      }
      if (::rename(src.c_str(), target.c_str()) == 0) {
        ++result.done;
        return;
      }
      if (errno != EXDEV) {
        Fail(src, Errno(errno));
        return;
      }
    }
    // Across file systems (or into an existing folder): copy everything first; the source goes
    // only when every piece of it arrived.
    const int skippedBefore = result.skipped;
    const std::size_t errorsBefore = result.errors.size();
    const bool all = CopyItem(src, target);
    if (!all || result.skipped != skippedBefore || result.errors.size() != errorsBefore) return;
    std::error_code ec;
    fs::remove_all(src, ec);  // removes links, never what they point at
    if (ec) {
      Fail(src, "copied, but the source could not be removed: " + ec.message());
      return;
    }
    ++result.done;
  }
};

bool InsideOrSame(const fs::path& inner, const struct stat& outer) {
  std::error_code ec;
  fs::path p = fs::weakly_canonical(inner, ec);
  if (ec) p = inner;
  for (;;) {
    struct stat st {};
    if (::stat(p.c_str(), &st) == 0 && st.st_dev == outer.st_dev && st.st_ino == outer.st_ino) return true;
    if (!p.has_parent_path() || p.parent_path() == p) return false;
    p = p.parent_path();
  }
}

}  // namespace

OpenAction OpenActionFor(bool folder, std::string_view ext, bool playMedia) {
  if (folder) return OpenAction::EnterFolder;
  if (ext == ".BIP") return OpenAction::BatchEditor;
  if (ext == ".AVL") return OpenAction::Album;
  if (ext == ".ZIP") return OpenAction::Unzipper;
  if (InKindList(ext, kExplorerViewerKinds)) return OpenAction::Viewer;
  if (playMedia && InKindList(ext, kExplorerMediaKinds)) return OpenAction::Viewer;
  return OpenAction::Shell;
}

OpenPlan PlanOpen(const std::vector<OpenItem>& items, bool playMedia) {
  OpenPlan plan;
  if (items.size() == 1 && items[0].folder) {
    plan.enterFolder = items[0].path;
    return plan;
  }
  for (const OpenItem& it : items) {
    if (it.folder) continue;
    switch (OpenActionFor(false, it.ext, playMedia)) {
      case OpenAction::Viewer:
        if (plan.viewerFirst.empty())
          plan.viewerFirst = it.path;
        else
          plan.bookmarks.push_back(it.path);
        break;
      case OpenAction::BatchEditor: plan.batchFiles.push_back(it.path); break;
      case OpenAction::Album: plan.albums.push_back(it.path); break;
      case OpenAction::Unzipper: plan.archives.push_back(it.path); break;
      default: plan.shellOpen.push_back(it.path); break;
    }
  }
  return plan;
}

std::string CheckNewName(std::string_view name) {
  if (name.empty() || name == "." || name == ".." || name.size() > kMaxDisplayName) return kIllegalCharactersText;
  for (char c : name) {
    if (std::strchr("\\/:*?\"<>|", c) != nullptr && c != '\0') return kIllegalCharactersText;
    if (c == '\0' || c == '\r' || c == '\n') return kIllegalCharactersText;
  }
  return {};
}

OpResult RenameItem(const fs::path& folder, const std::string& oldName, const std::string& newName) {
  OpResult r;
  r.message = CheckNewName(newName);
  if (!r.message.empty()) return r;
  if (oldName == newName) {
    r.ok = true;
    return r;
  }
  const fs::path from = folder / oldName, to = folder / newName;
  int e = RenameItemNoReplace(from, to);
  if (e == EEXIST) {
    // A case-only change on a file system that folds case: the "target" is the item itself.
    struct stat a {}, b {};
    if (Lstat(from, a) && Lstat(to, b) && a.st_dev == b.st_dev && a.st_ino == b.st_ino)
      e = ::rename(from.c_str(), to.c_str()) == 0 ? 0 : errno;
    else {
      r.message = newName + "\n" + "already used.";
      return r;
    }
  }
  if (e != 0) {
    r.message = "Could not rename " + oldName + "\n" + Errno(e);
    return r;
  }
  r.ok = true;
  r.newName = newName;
  return r;
}

std::string NewFolderName(const std::function<bool(const std::string&)>& taken) {
  std::string name = "New Folder";
  for (int n = 2; taken(name); ++n) name = "New Folder (" + std::to_string(n) + ")";
  return name;
}

OpResult CreateNewFolder(const fs::path& folder) {
  OpResult r;
  for (int attempt = 0; attempt < 100; ++attempt) {
    const std::string name = NewFolderName([&](const std::string& n) {
      struct stat st {};
      return Lstat(folder / n, st);
    });
    if (::mkdir((folder / name).c_str(), 0777) == 0) {
      r.ok = true;
      r.newName = name;
      return r;
    }
    if (errno != EEXIST) {
      r.message = "Could not create " + (folder / name).string() + "\n" + Errno(errno);
      return r;
    }
  }
  r.message = "Could not create a new folder in " + folder.string();
  return r;
}

std::string ShortcutName(const std::string& name) { return "Shortcut to " + name + ".LNK"; }

OpResult MakeShortcut(const fs::path& target, const fs::path& folder) {
  OpResult r;
  const std::string name = ShortcutName(target.filename().string());
  if (name.size() > kMaxDisplayName) {
    r.message = kIllegalCharactersText;
    return r;
  }
  if (::symlink(target.c_str(), (folder / name).c_str()) != 0) {
    r.message = errno == EEXIST ? name + "\n" + "already used." : "Could not create " + name + "\n" + Errno(errno);
    return r;
  }
  r.ok = true;
  r.newName = name;
  return r;
}

std::string TransferTitle(TransferKind kind, const std::vector<std::string>& names) {
  std::string t = kind == TransferKind::Copy ? "Copy" : "Move";
  if (names.size() == 1) return t + " \"" + names[0] + "\" to ";
  return t + " " + std::to_string(names.size()) + " items to ";
}

std::string CheckTransfer(const std::vector<fs::path>& sources, const fs::path& target) {
  struct stat tst {};
  if (::stat(target.c_str(), &tst) != 0 || !S_ISDIR(tst.st_mode)) return std::string(kCannotAccessText) + target.string();
  for (const fs::path& src : sources) {
    struct stat pst {};
    if (::stat(src.parent_path().c_str(), &pst) == 0 && pst.st_dev == tst.st_dev && pst.st_ino == tst.st_ino)
      return kSameFolderText;
    struct stat sst {};
    if (::lstat(src.c_str(), &sst) == 0 && S_ISDIR(sst.st_mode) && InsideOrSame(target, sst))
      return kSameFolderText;
  }
  return {};
}

TransferReport Transfer(TransferKind kind, const std::vector<fs::path>& sources, const fs::path& target,
                        const ConflictFn& conflict) {
  Transferer t{kind, conflict, {}};
  const std::string refused = CheckTransfer(sources, target);
  if (!refused.empty()) {
    t.result.errors.push_back(refused);
    return t.result;
  }
  for (const fs::path& src : sources) {
    if (t.result.cancelled) break;
    const fs::path dst = target / src.filename();
    if (kind == TransferKind::Copy) {
      const int skipped = t.result.skipped;
      const std::size_t errors = t.result.errors.size();
      if (t.CopyItem(src, dst) && t.result.skipped == skipped && t.result.errors.size() == errors) ++t.result.done;
    } else {
      t.MoveItem(src, dst);
    }
  }
  return t.result;
}

std::string PermanentDeleteQuestion(const std::vector<fs::path>& items, bool oneFolder) {
  if (oneFolder && items.size() == 1) return "Delete folder \"" + items[0].filename().string() + "\" ?";
  return "Delete " + std::to_string(items.size()) + " files?";
}

std::string TreeDeleteQuestion(const std::string& folderName, bool permanent) {
  return std::string(permanent ? "Delete " : "Recycle ") + "folder \"" + folderName + "\" ?";
}

DeleteResult DeleteItems(const std::vector<fs::path>& items, bool permanent, Shell& shell) {
  DeleteResult r;
  for (const fs::path& p : items) {
    if (!permanent) {
      const TrashResult t = shell.MoveToTrash(p);
      if (t.ok)
        ++r.done;
      else
        r.errors.push_back(t.message.empty() ? TrashFailureText(p, "") : t.message);
      continue;
    }
    std::error_code ec;
    fs::remove_all(p, ec);  // a link goes, not what it points at
    if (ec)
      r.errors.push_back("Could not delete " + p.string() + "\n" + ec.message());
    else
      ++r.done;
  }
  return r;
}

}  // namespace pelira
