#include "batch/date_name.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <cstdio>
#include <ctime>
#include <filesystem>
#include <set>

namespace pelira {

namespace fs = std::filesystem;

bool ReadFileTimes(const std::string& path, FileTimes* t) {
  struct statx sx;
  if (::statx(AT_FDCWD, path.c_str(), AT_SYMLINK_NOFOLLOW, STATX_MTIME | STATX_BTIME, &sx) != 0) return false;
  t->mtimeSec = sx.stx_mtime.tv_sec;
  t->mtimeNsec = sx.stx_mtime.tv_nsec;
  t->hasBirth = (sx.stx_mask & STATX_BTIME) != 0;
  t->birthNsec = t->hasBirth ? sx.stx_btime.tv_nsec : 0;
  return true;
}

std::string DateStamp(const FileTimes& t) {
  const std::time_t secs = static_cast<std::time_t>(t.mtimeSec);
  std::tm tm{};
  ::localtime_r(&secs, &tm);
  const int millis = static_cast<int>((t.hasBirth ? t.birthNsec : t.mtimeNsec) / 1000000 % 1000);
  char text[48];
  std::snprintf(text, sizeof text, "%02d%02d%02d_%02d%02d%02d_%03d", tm.tm_year % 100, tm.tm_mon + 1, tm.tm_mday,
                tm.tm_hour, tm.tm_min, tm.tm_sec & ~1, millis);
  return text;
}

bool NormaliseAddedExtension(const std::string& typed, std::string* extension) {
  extension->clear();
  if (typed.empty()) return true;
  const std::string ext = typed[0] == '.' ? typed : "." + typed;
  if (ext == "." || ext == "..") return false;
  for (const char c : ext)
    if (c == '/' || static_cast<unsigned char>(c) < 0x20 || c == 0x7F) return false;
  *extension = ext;
  return true;
}

namespace {

// Which names exist once the planned renames before this one have happened.
class NameSimulation {
public:
  bool Held(const std::string& path) const {
    if (added_.count(path)) return true;
    if (freed_.count(path)) return false;
    struct stat st;
    return ::lstat(path.c_str(), &st) == 0;
  }
  void Move(const std::string& from, const std::string& to) {
    added_.erase(from);
    freed_.insert(from);
    freed_.erase(to);
    added_.insert(to);
  }

private:
  std::set<std::string> added_, freed_;
};

}  // namespace

DateNamePlan PlanDateNames(const std::vector<std::string>& files, const DateNameOptions& o) {
  DateNamePlan plan;
  NameSimulation names;
  std::set<std::string> seen;
  for (const std::string& f : files) {
    if (!seen.insert(f).second) continue;
    FileTimes t;
    if (!ReadFileTimes(f, &t) || !names.Held(f)) continue;
    const fs::path p(f);
    const fs::path dir = p.parent_path();
    const std::string oldName = p.filename().string();
    const std::string stamp = DateStamp(t);
    // Named by an earlier run (a rename keeps both times): naming it again would only stack
    // stamps, "S~S~x.jpg".
    if (oldName.rfind(stamp + "~", 0) == 0) continue;
    const std::string first =
        (dir / (o.keepNames ? stamp + "~" + oldName + o.addExtension : stamp + p.extension().string() + o.addExtension))
            .string();
    std::string target = first;
    if (target != f && names.Held(target)) target = (dir / (stamp + "~" + oldName + o.addExtension)).string();
    if (target == f) continue;
    if (names.Held(target)) {
      plan.failures.push_back(CouldNotRenameText(f));
      continue;
    }
    names.Move(f, target);
    plan.steps.push_back({f, target});
  }
  return plan;
}

}  // namespace pelira
