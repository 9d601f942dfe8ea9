#include "album/album_store.h"

#include <sys/stat.h>

#include <algorithm>

#include "common/volume_id.h"

namespace pelira {

void StringPool::Truncate(std::size_t count) {
  if (count >= ends_.size()) return;
  ends_.resize(count);
  buf_.resize(count == 0 ? 0 : ends_.back());
}

AlbumStore::AlbumStore() { Clear(); }

void AlbumStore::Clear() {
  records_.clear();
  order_.clear();
  names_.Clear();
  dirs_.clear();
  dirMap_.clear();
  lastDir_ = -1;
  volumes_.clear();
  comments_.assign(1, std::string(kNoComment));
  selected_.clear();
  selectedCount_ = 0;
  modified_ = false;
  filePath_.clear();
  runStart_ = 1;
}

std::int32_t AlbumStore::DirectoryIndex(const std::string& dir, VolumeSource* source) {
  if (lastDir_ >= 0 && static_cast<std::size_t>(lastDir_) < dirs_.size() && dirs_[lastDir_] == dir) return lastDir_;
  auto it = dirMap_.find(dir);
  if (it != dirMap_.end()) return lastDir_ = it->second;
  const auto index = static_cast<std::int32_t>(dirs_.size());
  std::string volume;
  // Only an absolute folder is on a volume of this machine.
  if (source != nullptr && !dir.empty() && dir.front() == '/') volume = VolumeId(*source, dir);
  dirs_.push_back(dir);
  volumes_.push_back(std::move(volume));
  dirMap_.emplace(dir, index);
  return lastDir_ = index;
}

void AlbumStore::AssignDirectories(std::vector<std::string> dirs, std::vector<std::string> volumes) {
  dirs_ = std::move(dirs);
  volumes_ = std::move(volumes);
  volumes_.resize(dirs_.size());
  dirMap_.clear();
  dirMap_.reserve(dirs_.size());
  // The first of equal entries wins, as a search from the start would find it.
  for (std::size_t i = 0; i < dirs_.size(); ++i) dirMap_.emplace(dirs_[i], static_cast<std::int32_t>(i));
  lastDir_ = -1;
}

void AlbumStore::RebuildVolumes(VolumeSource* source) {
  volumes_.assign(dirs_.size(), std::string());
  if (source == nullptr) return;
  // One lookup per device: the source reads the mount table on every call.
  std::unordered_map<dev_t, std::string> byDevice;
  for (std::size_t i = 0; i < dirs_.size(); ++i) {
    const std::string& d = dirs_[i];
    if (d.empty() || d.front() != '/') continue;
    struct stat st {};
    if (::stat(d.c_str(), &st) != 0) {
      volumes_[i] = VolumeId(*source, d);
      continue;
    }
    auto it = byDevice.find(st.st_dev);
    if (it == byDevice.end()) it = byDevice.emplace(st.st_dev, VolumeId(*source, d)).first;
    volumes_[i] = it->second;
  }
}

void AlbumStore::TruncateDirectories(std::size_t count) {
  if (count >= dirs_.size()) return;
  for (std::size_t i = count; i < dirs_.size(); ++i) {
    auto it = dirMap_.find(dirs_[i]);
    if (it != dirMap_.end() && static_cast<std::size_t>(it->second) == i) dirMap_.erase(it);
  }
  dirs_.resize(count);
  volumes_.resize(count);
  lastDir_ = -1;
}

std::string_view AlbumStore::NameOf(const SlideRecord& r) const {
  if (r.nameIndex < 0 || static_cast<std::size_t>(r.nameIndex) >= names_.Count()) return {};
  return names_.At(static_cast<std::size_t>(r.nameIndex));
}

std::string_view AlbumStore::DirOf(const SlideRecord& r) const {
  if (r.dirIndex < 0 || static_cast<std::size_t>(r.dirIndex) >= dirs_.size()) return {};
  return dirs_[static_cast<std::size_t>(r.dirIndex)];
}

std::string_view AlbumStore::CommentOf(const SlideRecord& r) const {
  if (r.commentIndex <= 0 || static_cast<std::size_t>(r.commentIndex) >= comments_.size()) return {};
  return comments_[static_cast<std::size_t>(r.commentIndex)];
}

std::string AlbumStore::FileNameOf(const SlideRecord& r) const {
  std::string s(NameOf(r));
  s.append(r.Ext());
  return s;
}

std::optional<std::string> AlbumStore::SlideFullPath(const SlideRecord& r) const {
  if (r.IsCdTrack()) return std::nullopt;
  if (r.dirIndex < 0 || static_cast<std::size_t>(r.dirIndex) >= dirs_.size()) return std::nullopt;
  if (r.nameIndex < 0 || static_cast<std::size_t>(r.nameIndex) >= names_.Count()) return std::nullopt;
  const std::string& dir = dirs_[static_cast<std::size_t>(r.dirIndex)];
  if (dir.empty() || dir.front() != '/' || dir.back() != '/') return std::nullopt;
  std::string name = FileNameOf(r);
  if (name.empty() || name == "." || name == ".." || name.find('/') != std::string::npos) return std::nullopt;
  return dir + name;
}

std::string AlbumStore::ShownPath(const SlideRecord& r) const {
  if (r.IsCdTrack()) return std::string(kCdTrackPath);
  auto p = SlideFullPath(r);
  if (p) return *p;
  return std::string(DirOf(r)) + FileNameOf(r);
}

void AlbumStore::SetSelected(std::size_t pos, bool on) {
  if (pos >= order_.size()) return;
  if (selected_.size() < order_.size()) selected_.resize(order_.size(), 0);
  const bool was = selected_[pos] != 0;
  if (was == on) return;
  selected_[pos] = on ? 1 : 0;
  if (on)
    ++selectedCount_;
  else
    --selectedCount_;
}

void AlbumStore::ClearSelection() {
  selected_.assign(order_.size(), 0);
  selectedCount_ = 0;
}

std::size_t AlbumStore::FirstSelected() const {
  if (selectedCount_ == 0) return order_.size();
  auto it = std::find(selected_.begin(), selected_.end(), std::uint8_t{1});
  return static_cast<std::size_t>(it - selected_.begin());
}

std::vector<std::size_t> AlbumStore::SelectedPositions() const {
  std::vector<std::size_t> out;
  out.reserve(selectedCount_);
  for (std::size_t i = 0; i < selected_.size() && out.size() < selectedCount_; ++i)
    if (selected_[i]) out.push_back(i);
  return out;
}

void AlbumStore::SyncSelection() {
  selected_.resize(order_.size(), 0);
  RecountSelection();
}

void AlbumStore::RecountSelection() {
  selectedCount_ = static_cast<std::size_t>(std::count(selected_.begin(), selected_.end(), std::uint8_t{1}));
}

std::int16_t IconIndexOf(SlideKind kind) {
  switch (kind) {
    case SlideKind::Image: return 0;
    case SlideKind::Audio: return 1;
    case SlideKind::VideoText: return 2;
    case SlideKind::Other: return 3;
    case SlideKind::CdTrack: return 4;
  }
  return 3;
}

}  // namespace pelira
