#pragma once
// The album in memory: a record store that only grows, the display order (record numbers),
// the name, directory, volume and comment tables, the selection and the modified and busy
// flags. No object per slide: an album of a million slides is 136 bytes plus its strings each.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "album/slide_record.h"

namespace pelira {

class VolumeSource;

// Strings appended into one buffer; entry i is addressed by its end offsets.
class StringPool {
 public:
  std::size_t Count() const { return ends_.size(); }
  std::string_view At(std::size_t i) const {
    const std::size_t begin = i == 0 ? 0 : ends_[i - 1];
    return std::string_view(buf_).substr(begin, ends_[i] - begin);
  }
  void Append(std::string_view s) {
    buf_.append(s);
    ends_.push_back(buf_.size());
  }
  void Reserve(std::size_t count, std::size_t bytes) {
    ends_.reserve(count);
    buf_.reserve(bytes);
  }
  // Drops the entries from count on (an add that is rolled back).
  void Truncate(std::size_t count);
  void Clear() {
    buf_.clear();
    ends_.clear();
  }

 private:
  std::string buf_;
  std::vector<std::size_t> ends_;
};

// The comment table's entry 0: "no comment".
inline constexpr std::string_view kNoComment = " ";

class AlbumStore {
 public:
  AlbumStore();

  // New: everything cleared, comment 0 put back; not modified.
  void Clear();

  // Slides in display order.
  std::size_t Count() const { return order_.size(); }
  bool Empty() const { return order_.empty(); }
  const SlideRecord& At(std::size_t pos) const { return records_[order_[pos]]; }
  SlideRecord& MutableAt(std::size_t pos) { return records_[order_[pos]]; }

  std::vector<SlideRecord>& Records() { return records_; }
  const std::vector<SlideRecord>& Records() const { return records_; }
  std::vector<std::uint32_t>& Order() { return order_; }
  const std::vector<std::uint32_t>& Order() const { return order_; }
  StringPool& Names() { return names_; }
  const StringPool& Names() const { return names_; }
  const std::vector<std::string>& Directories() const { return dirs_; }
  std::vector<std::string>& Volumes() { return volumes_; }
  const std::vector<std::string>& Volumes() const { return volumes_; }
  std::vector<std::string>& Comments() { return comments_; }
  const std::vector<std::string>& Comments() const { return comments_; }

  // The directory's index, appended (with its volume id from source, "" without one) when new.
  // The previous lookup is remembered, as adds mostly come from one folder.
  std::int32_t DirectoryIndex(const std::string& dir, VolumeSource* source);
  // Replaces the directory and volume tables (loads); the lookup map is rebuilt.
  void AssignDirectories(std::vector<std::string> dirs, std::vector<std::string> volumes);
  // The volume table made again from the directory table.
  void RebuildVolumes(VolumeSource* source);
  // Drops directories from count on (an add that is rolled back).
  void TruncateDirectories(std::size_t count);

  // Strings of a record; "" for an index outside its table.
  std::string_view NameOf(const SlideRecord& r) const;
  std::string_view DirOf(const SlideRecord& r) const;
  std::string_view CommentOf(const SlideRecord& r) const;  // "" for comment 0
  // Name + extension.
  std::string FileNameOf(const SlideRecord& r) const;
  // The file a slide stands for; nothing for a CD track, a bad index or a directory that is
  // not absolute (so no command ever touches a file the album does not really name).
  std::optional<std::string> SlideFullPath(const SlideRecord& r) const;
  // The path shown: the full path, or the CD marker.
  std::string ShownPath(const SlideRecord& r) const;

  // Selection, by display position.
  bool Selected(std::size_t pos) const { return pos < selected_.size() && selected_[pos] != 0; }
  void SetSelected(std::size_t pos, bool on);
  void ClearSelection();
  std::size_t SelectedCount() const { return selectedCount_; }
  // First selected position, or Count() when none.
  std::size_t FirstSelected() const;
  std::vector<std::size_t> SelectedPositions() const;
  // Keeps the selection as long as the order after an edit of the order (cleared past it).
  void SyncSelection();
  std::vector<std::uint8_t>& SelectionBits() { return selected_; }
  void RecountSelection();

  bool Modified() const { return modified_; }
  void SetModified(bool m) { modified_ = m; }
  // Set while a command that pumps events runs; every album command does nothing meanwhile.
  bool Busy() const { return busy_; }

  // The file the album was last loaded from or saved to ("" for a new album).
  const std::string& FilePath() const { return filePath_; }
  void SetFilePath(std::string p) { filePath_ = std::move(p); }
  // The slide a test run starts at.
  int RunStart() const { return runStart_; }
  void SetRunStart(int n) { runStart_ = n; }

 private:
  friend class BusyScope;
  std::vector<SlideRecord> records_;
  std::vector<std::uint32_t> order_;
  StringPool names_;
  std::vector<std::string> dirs_;
  std::unordered_map<std::string, std::int32_t> dirMap_;
  std::int32_t lastDir_ = -1;
  std::vector<std::string> volumes_;
  std::vector<std::string> comments_;
  std::vector<std::uint8_t> selected_;
  std::size_t selectedCount_ = 0;
  bool modified_ = false;
  bool busy_ = false;
  std::string filePath_;
  int runStart_ = 1;
};

// Holds the busy flag for a scope; Acquired() is false when the album was busy already.
class BusyScope {
 public:
  explicit BusyScope(AlbumStore& store) : store_(store), acquired_(!store.busy_) { store_.busy_ = true; }
  ~BusyScope() {
    if (acquired_) store_.busy_ = false;
  }
  BusyScope(const BusyScope&) = delete;
  BusyScope& operator=(const BusyScope&) = delete;
  bool Acquired() const { return acquired_; }

 private:
  AlbumStore& store_;
  bool acquired_;
};

// The icon a kind shows; stable across runs so saved records do not change on reload.
std::int16_t IconIndexOf(SlideKind kind);

}  // namespace pelira
