#include "album/album_add.h"

#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <new>
#include <optional>
#include <unordered_map>

#include "platform/progress.h"
#include "platform/volume_source.h"

namespace pelira {

FileFacts StatFile(const std::string& path) {
  FileFacts f;
  struct stat st {};
  if (path.empty() || path.find('\0') != std::string::npos || ::stat(path.c_str(), &st) != 0) return f;
  if (!S_ISREG(st.st_mode)) return f;
  f.exists = true;
  f.size = static_cast<std::uint64_t>(st.st_size);
  f.mtimeSec = st.st_mtim.tv_sec;
  f.mtimeNsec = st.st_mtim.tv_nsec;
  f.device = st.st_dev;
  return f;
}

SplitPath SplitSlidePath(const std::string& path) {
  SplitPath out;
  const auto slash = path.rfind('/');
  std::string file;
  if (slash == std::string::npos) {
    file = path;
  } else {
    out.dir = path.substr(0, slash + 1);
    file = path.substr(slash + 1);
  }
  const auto dot = file.rfind('.');
  // ".CDA" marks audio-CD tracks: a real file of that extension keeps it in its name.
  if (dot == std::string::npos || dot == 0 || file.size() - dot > kExtMax || file.compare(dot, std::string::npos, kCdTrackExt) == 0) {
    out.name = std::move(file);
  } else {
    out.name = file.substr(0, dot);
    out.ext = file.substr(dot);
  }
  return out;
}

SlideRecord MakeSlideRecord(const std::string& ext, const FileFacts& facts, std::int32_t orderKey) {
  SlideRecord r = ZeroRecord();
  r.SetExt(ext);
  const SlideKind kind = KindOfExt(ext);
  SetSlideDefaults(r, kind);
  r.iconIndex = IconIndexOf(kind);
  r.orderKey = orderKey;
  if (facts.exists) {
    r.size = static_cast<std::int32_t>(static_cast<std::uint32_t>(facts.size));
    SetRecordTime(r, facts.mtimeSec, facts.mtimeNsec);
  }
  return r;
}

bool NameIsStorable(const std::string& path) {
  return !path.empty() && path.find_first_of(std::string_view("\r\n\0", 3)) == std::string::npos;
}

namespace {

// Volume ids per device: the mount table is read once per device, not once per folder.
class DeviceCachedVolumes : public VolumeSource {
 public:
  explicit DeviceCachedVolumes(VolumeSource* source) : source_(source) {}
  std::optional<VolumeInfo> Lookup(const std::filesystem::path& path) override {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return source_->Lookup(path);
    auto it = cache_.find(st.st_dev);
    if (it != cache_.end()) return it->second;
    auto info = source_->Lookup(path);
    cache_.emplace(st.st_dev, info);
    return info;
  }

 private:
  VolumeSource* source_;
  std::unordered_map<dev_t, std::optional<VolumeInfo>> cache_;
};

}  // namespace

AddOutcome AddSlides(AlbumStore& store, const AddRequest& req) {
  AddOutcome out;
  const std::size_t n = req.paths.size();
  const std::size_t records0 = store.Records().size();
  const std::size_t names0 = store.Names().Count();
  const std::size_t dirs0 = store.Directories().size();
  std::optional<DeviceCachedVolumes> cached;
  if (req.volumes != nullptr) cached.emplace(req.volumes);
  VolumeSource* volumes = cached ? &*cached : nullptr;

  auto rollback = [&] {
    store.Records().resize(records0);
    store.Names().Truncate(names0);
    store.TruncateDirectories(dirs0);
    out.refused.clear();
  };
  std::vector<std::uint32_t> fresh;  // record numbers in the order they enter the display order
  PercentTracker percent;
  if (req.progress != nullptr) {
    req.progress->SetBarLabel(ProgressBar::Thumbs, "Add Slides");
    req.progress->SetBarLabel(ProgressBar::Folders, "Slides:");
  }
  try {
    fresh.reserve(n);
    store.Records().reserve(records0 + n);
    for (std::size_t step = 0; step < n; ++step) {
      // Append and Insert take the list from its last entry; list loads from the first.
      const std::size_t i = req.mode == AddMode::InOrder ? step : n - 1 - step;
      const std::string& path = req.paths[i];
      if (req.progress != nullptr) {
        if (percent.Update(static_cast<std::int64_t>(step + 1), static_cast<std::int64_t>(n))) {
          req.progress->SetStatus(std::to_string(step + 1) + " of " + std::to_string(n) + " slides read. (" +
                                  std::to_string(percent.Percent()) + "%)");
          req.progress->SetBar(ProgressBar::Folders, static_cast<std::int64_t>(step + 1), static_cast<std::int64_t>(n));
          req.progress->Pump();
        }
        if (req.progress->Aborted()) {
          out.cancelled = true;
          break;
        }
      }
      if (!NameIsStorable(path)) {
        out.refused.push_back(path);
        continue;
      }
      const SplitPath parts = SplitSlidePath(path);
      // Only an absolute path names a file here; others are kept as missing slides.
      const FileFacts facts = (!path.empty() && path.front() == '/') ? StatFile(path) : FileFacts{};
      const std::int32_t key = i < req.orderKeys.size() ? req.orderKeys[i] : static_cast<std::int32_t>(i);
      SlideRecord r = MakeSlideRecord(parts.ext, facts, key);
      r.nameIndex = static_cast<std::int32_t>(store.Names().Count());
      store.Names().Append(parts.name);
      r.dirIndex = store.DirectoryIndex(parts.dir, volumes);
      fresh.push_back(static_cast<std::uint32_t>(store.Records().size()));
      store.Records().push_back(r);
    }
    if (out.cancelled) {
      rollback();
      return out;
    }
    auto& order = store.Order();
    std::vector<std::uint32_t> next;
    next.reserve(order.size() + fresh.size());
    const std::size_t at = req.mode == AddMode::Insert ? std::min(req.insertAt, order.size()) : order.size();
    next.insert(next.end(), order.begin(), order.begin() + static_cast<std::ptrdiff_t>(at));
    if (req.mode == AddMode::Insert) {
      // Each file went in at the same position, the last one first: list order.
      next.insert(next.end(), fresh.rbegin(), fresh.rend());
    } else {
      next.insert(next.end(), fresh.begin(), fresh.end());
    }
    next.insert(next.end(), order.begin() + static_cast<std::ptrdiff_t>(at), order.end());
    std::vector<std::uint8_t> sel;
    sel.reserve(next.size());
    auto& bits = store.SelectionBits();
    bits.resize(order.size(), 0);
    sel.insert(sel.end(), bits.begin(), bits.begin() + static_cast<std::ptrdiff_t>(at));
    sel.insert(sel.end(), fresh.size(), 0);
    sel.insert(sel.end(), bits.begin() + static_cast<std::ptrdiff_t>(at), bits.end());
    order.swap(next);
    bits.swap(sel);
    store.RecountSelection();
  } catch (const std::bad_alloc&) {
    out.outOfMemory = true;
    rollback();
    return out;
  }
  out.added = fresh.size();
  if (out.added > 0) store.SetModified(true);
  return out;
}

std::vector<std::string> FolderSlideFiles(const std::string& folder) {
  namespace fs = std::filesystem;
  std::vector<std::string> out;
  auto folded = [](const std::string& s) {
    std::string f = s;
    for (char& c : f)
      if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return f;
  };
  auto less = [&](const std::string& a, const std::string& b) {
    const auto fa = folded(a), fb = folded(b);
    return fa != fb ? fa < fb : a < b;
  };
  std::vector<std::string> pending{folder};
  while (!pending.empty()) {
    const std::string dir = pending.back();
    pending.pop_back();
    std::vector<std::string> files, subdirs;
    std::error_code ec;
    for (fs::directory_iterator it(dir, fs::directory_options::skip_permission_denied, ec), end; !ec && it != end;
         it.increment(ec)) {
      std::error_code e2;
      const auto st = it->symlink_status(e2);
      if (e2) continue;
      if (fs::is_directory(st)) {
        subdirs.push_back(it->path().string());
      } else if (fs::is_regular_file(st)) {
        const SlideKind k = KindOfExt(SplitSlidePath(it->path().string()).ext);
        if (k == SlideKind::Image || k == SlideKind::Audio || k == SlideKind::VideoText)
          files.push_back(it->path().string());
      }
    }
    std::sort(files.begin(), files.end(), less);
    std::sort(subdirs.begin(), subdirs.end(), less);
    out.insert(out.end(), files.begin(), files.end());
    // Depth first, in name order: the stack takes them reversed.
    pending.insert(pending.end(), subdirs.rbegin(), subdirs.rend());
  }
  return out;
}

}  // namespace pelira
