#include "explorer/recursive_walk.h"

#include <dirent.h>
#include <fcntl.h>
#include <linux/magic.h>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <set>
#include <utility>

#include "common/atomic_file.h"
#include "common/kind_list.h"
#include "common/text_encoding.h"
#include "common/time_text.h"
#include "explorer/listing.h"
#include "viewer/bookmarks.h"

namespace fs = std::filesystem;

namespace pelira {

namespace {

bool IsPseudoFs(long type) {
  switch (static_cast<unsigned long>(type)) {
    case PROC_SUPER_MAGIC:
    case SYSFS_MAGIC:
    case DEVPTS_SUPER_MAGIC:
    case CGROUP_SUPER_MAGIC:
    case CGROUP2_SUPER_MAGIC:
    case DEBUGFS_MAGIC:
    case TRACEFS_MAGIC:
    case SECURITYFS_MAGIC:
    case PSTOREFS_MAGIC:
    case BPF_FS_MAGIC:
    case 0x62656570UL:  // configfs
    case 0x65735543UL:  // fusectl
    case 0x19800202UL:  // mqueue
    case HUGETLBFS_MAGIC:
      return true;
    default: return false;
  }
}

// The upper-case extension of a file name (as UpperExt gives it) without allocating.
std::string_view ExtOf(std::string_view name, char (&buf)[16]) {
  const std::size_t dot = name.rfind('.');
  if (dot == std::string_view::npos || dot == 0 || dot + 1 >= name.size() || name.size() - dot > sizeof buf) return {};
  const std::size_t n = name.size() - dot;
  for (std::size_t i = 0; i < n; ++i) {
    const char c = name[dot + i];
    buf[i] = (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c;
  }
  return {buf, n};
}

// Kind lists are upper-case constants: the test is a plain substring search.
bool InUpperKinds(std::string_view name, std::string_view kinds) {
  char buf[16];
  const std::string_view ext = ExtOf(name, buf);
  return !ext.empty() && kinds.find(ext) != std::string_view::npos;
}

class SystemReader : public DirectoryReader {
public:
  bool Read(const fs::path& path, Want want, std::string_view kinds, std::vector<WalkEntry>& out, int& err) override {
    out.clear();
    const int fd = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) {
      err = errno;
      return false;
    }
    DIR* d = ::fdopendir(fd);
    if (d == nullptr) {
      err = errno;
      ::close(fd);
      return false;
    }
    errno = 0;
    while (dirent* e = ::readdir(d)) {
      const char* n = e->d_name;
      if (n[0] == '.' && (n[1] == 0 || (n[1] == '.' && n[2] == 0))) continue;
      // The entry's type from the folder itself spares a stat for what this pass skips.
      const unsigned char type = e->d_type;
      if (want == Want::Folders && type != DT_DIR && type != DT_UNKNOWN) continue;
      if (want == Want::Files) {
        if (type != DT_REG && type != DT_LNK && type != DT_UNKNOWN) continue;
        if (!kinds.empty() && !InUpperKinds(n, kinds)) continue;
      }
      struct stat st {};
      if (::fstatat(::dirfd(d), n, &st, AT_SYMLINK_NOFOLLOW) != 0) continue;  // vanished meanwhile
      WalkEntry w;
      w.name = n;
      w.link = S_ISLNK(st.st_mode);
      if (w.link) {
        if (want == Want::Folders) continue;  // never entered
        struct stat t {};
        if (::fstatat(::dirfd(d), n, &t, 0) == 0 && S_ISREG(t.st_mode)) {
          w.regular = true;
          st = t;
        }
      } else {
        w.folder = S_ISDIR(st.st_mode);
        w.regular = S_ISREG(st.st_mode);
      }
      if ((want == Want::Folders && !w.folder) || (want == Want::Files && !w.regular)) continue;
      w.size = w.regular ? static_cast<std::uint64_t>(st.st_size) : 0;
      w.mtimeSec = st.st_mtim.tv_sec;
      w.mtimeNsec = st.st_mtim.tv_nsec;
      w.device = st.st_dev;
      w.inode = st.st_ino;
      out.push_back(std::move(w));
      errno = 0;
    }
    err = errno;
    ::closedir(d);
    return err == 0;
  }

  bool Identify(const fs::path& path, std::uint64_t& device, std::uint64_t& inode, bool& pseudo) override {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return false;
    device = st.st_dev;
    inode = st.st_ino;
    struct statfs sf {};
    pseudo = ::statfs(path.c_str(), &sf) == 0 && IsPseudoFs(static_cast<long>(sf.f_type));
    return true;
  }
};

bool Hidden(const std::string& name) { return !name.empty() && name[0] == '.'; }

bool Aborted(const WalkOptions& o) { return o.aborted && o.aborted(); }

}  // namespace

DirectoryReader& SystemDirectoryReader() {
  static SystemReader reader;
  return reader;
}

FolderPass ListFolders(const fs::path& start, const WalkOptions& options) {
  DirectoryReader& reader = options.reader != nullptr ? *options.reader : SystemDirectoryReader();
  FolderPass pass;
  std::set<std::pair<std::uint64_t, std::uint64_t>> seen;
  std::uint64_t dev = 0, ino = 0;
  bool pseudo = false;
  if (!reader.Identify(start, dev, ino, pseudo)) {
    ++pass.unreadable;
    return pass;
  }
  seen.emplace(dev, ino);
  std::vector<fs::path> stack{start};
  std::vector<WalkEntry> entries;
  while (!stack.empty()) {
    if (Aborted(options)) {
      pass.aborted = true;
      return pass;
    }
    fs::path folder = std::move(stack.back());
    stack.pop_back();
    pass.folders.push_back(folder);
    if (options.folderFound) options.folderFound(pass.folders.size());
    int err = 0;
    if (!reader.Read(folder, DirectoryReader::Want::Folders, {}, entries, err)) {
      ++pass.unreadable;  // kept in the list; its files are looked for again in the file pass
      continue;
    }
    std::vector<const WalkEntry*> subs;
    for (const WalkEntry& e : entries) {
      if (!e.folder || e.link || Hidden(e.name)) continue;
      if (!seen.emplace(e.device, e.inode).second) continue;  // a bind mount or loop seen before
      subs.push_back(&e);
    }
    std::sort(subs.begin(), subs.end(),
              [](const WalkEntry* a, const WalkEntry* b) { return CollateNames(a->name, b->name) < 0; });
    // Pushed last-first so the first child is walked next (pre-order).
    for (auto it = subs.rbegin(); it != subs.rend(); ++it) {
      const fs::path child = folder / (*it)->name;
      std::uint64_t d = 0, i = 0;
      bool ps = false;
      if (reader.Identify(child, d, i, ps) && ps) continue;
      stack.push_back(child);
    }
  }
  return pass;
}

FilePass ListFiles(const std::vector<fs::path>& folders, std::string_view kinds, const WalkOptions& options,
                   const std::function<void(std::size_t, const FilePass&)>& perFolder) {
  DirectoryReader& reader = options.reader != nullptr ? *options.reader : SystemDirectoryReader();
  FilePass pass;
  std::vector<WalkEntry> entries;
  for (std::size_t fi = 0; fi < folders.size(); ++fi) {
    if (Aborted(options)) {
      pass.aborted = true;
      return pass;
    }
    int err = 0;
    if (!reader.Read(folders[fi], DirectoryReader::Want::Files, kinds, entries, err)) {
      ++pass.unreadable;
      if (perFolder) perFolder(fi, pass);
      continue;
    }
    std::sort(entries.begin(), entries.end(),
              [](const WalkEntry& a, const WalkEntry& b) { return CollateNames(a.name, b.name) < 0; });
    const std::string& folderText = folders[fi].native();
    for (const WalkEntry& e : entries) {
      if (!e.regular) continue;
      ++pass.scanned;
      if (e.size == 0 || Hidden(e.name)) continue;
      if (e.name.find_first_of(std::string_view("\r\n", 2)) != std::string::npos) continue;
      char buf[16];
      const std::string_view ext = ExtOf(e.name, buf);
      if (ext == ".AVL" || ext.empty() || kinds.find(ext) == std::string_view::npos) continue;
      std::string path = folderText;
      if (path.empty() || path.back() != '/') path += '/';
      path += e.name;
      pass.files.push_back({std::move(path), fi, e.size, e.mtimeSec, e.mtimeNsec});
    }
    if (perFolder) perFolder(fi, pass);
  }
  return pass;
}

SizeTotal FolderSize(const fs::path& folder, const WalkOptions& options) {
  DirectoryReader& reader = options.reader != nullptr ? *options.reader : SystemDirectoryReader();
  SizeTotal total;
  const FolderPass pass = ListFolders(folder, options);
  if (pass.aborted) {
    total.aborted = true;
    return total;
  }
  std::vector<WalkEntry> entries;
  for (const fs::path& f : pass.folders) {
    if (Aborted(options)) {
      total.aborted = true;
      return total;
    }
    int err = 0;
    if (!reader.Read(f, DirectoryReader::Want::Files, {}, entries, err)) continue;
    for (const WalkEntry& e : entries) {
      if (e.link || !e.regular) continue;
      total.bytes += e.size;
      ++total.files;
    }
  }
  return total;
}

std::string SlidesAddedText(std::size_t slides, std::size_t scanned, std::int64_t elapsedMs) {
  std::string t = std::to_string(slides) + " slides added.  ";
  if (elapsedMs > kRateShownAfterMs)
    t += "  Files scanned: " + std::to_string(scanned) + " ... Files/min: " +
         std::to_string(SlidesPerMinute(static_cast<std::int64_t>(scanned), elapsedMs));
  return t;
}

std::string WriteInstantSlideshow(const fs::path& dataDir, const std::string& runTag,
                                  const std::vector<std::string>& paths, const std::vector<fs::path>& folders) {
  const fs::path plp = dataDir / (runTag + ".plp");
  std::vector<std::string> dirs;
  dirs.reserve(folders.size());
  for (const fs::path& f : folders) dirs.push_back(f.string());
  if (!AtomicWrite(plp, PlpText(paths))) return {};
  if (!AtomicWrite(dataDir / (runTag + ".dir"), JoinCrlf(dirs))) return {};
  return plp.string();
}

}  // namespace pelira
