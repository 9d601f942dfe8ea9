#pragma once
// The bookmark list: the files the viewer steps through. Paths are kept and compared exactly
// (B.jpg and b.JPG are two files on this system); only the display order folds case.
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace pelira {

inline constexpr std::size_t kBookmarkCapacity = 131072;
inline constexpr std::size_t kBookmarkLoadCapacity = 1048576;

// Whether a bookmark names a file; an empty entry or one holding NUL never does. Long lists
// ask from several threads at once.
using FileExistsFn = std::function<bool(const std::string& path)>;
bool BookmarkFileExists(const std::string& path);

class BookmarkList {
public:
  BookmarkList() { entries_.reserve(kBookmarkCapacity); }

  const std::vector<std::string>& Entries() const { return entries_; }
  std::vector<std::string>& MutableEntries() { return entries_; }
  std::size_t Count() const { return entries_.size(); }
  bool Empty() const { return entries_.empty(); }
  std::size_t Index() const { return index_; }
  // The entry at the index, or "" when the list is empty.
  std::string Current() const { return entries_.empty() ? std::string() : entries_[index_]; }

  // Replaces the list; the index is clamped into it.
  void Assign(std::vector<std::string> entries, std::size_t index = 0);
  void SetIndex(std::size_t index) { index_ = entries_.empty() ? 0 : std::min(index, entries_.size() - 1); }
  void Append(const std::string& path) { entries_.push_back(path); }
  void Clear();

  // After a file was opened: an empty list takes it; otherwise, when the current entry is
  // another file, it goes right after the current entry (in front of entry 0 when the index
  // is 0) and becomes current.
  void UpdateHistory(const std::string& currentFile);
  // Drops the current entry; the index stays in range. False when there was nothing to drop.
  bool RemoveCurrent();

  // Index steps; false (nothing changes) with fewer than two entries, or an empty list for
  // First and Last.
  bool Next();
  bool Previous();
  bool First();
  bool Last();
  // Swaps the current entry with its neighbour (wrapping at the ends); false with fewer than
  // two entries.
  bool MoveUp();
  bool MoveDown();

  // The menu's sort: by case-folded name, exact duplicates dropped, then (with more than one
  // entry left) every missing file removed; the index becomes 0.
  void Sort(const FileExistsFn& exists = BookmarkFileExists);

private:
  std::vector<std::string> entries_;
  std::size_t index_ = 0;
};

// What a save tells the list: a saved file joins the history unless it is the current bookmark.
inline std::function<void(const std::string&)> FileSavedIn(BookmarkList& list) {
  return [&list](const std::string& path) {
    if (list.Current() != path) list.UpdateHistory(path);
  };
}

// Display order: case-folded (ASCII), then exact, so the order is total.
bool BookmarkLess(const std::string& a, const std::string& b);
// The list dialog's "Sort all": case-folded stable sort, adjacent exact duplicates removed,
// every missing file removed.
void SortAllEntries(std::vector<std::string>& entries, const FileExistsFn& exists = BookmarkFileExists);
// Removes every entry whose file does not exist, in one pass.
void RemoveMissingEntries(std::vector<std::string>& entries, const FileExistsFn& exists = BookmarkFileExists);

// The bookmark file: one path per line, CRLF, UTF-8.
std::string PlpText(const std::vector<std::string>& entries);
// The entries of a bookmark file's bytes: UTF-8 when valid, else CP1252; CR, LF or CRLF; a
// blank line is an empty entry.
std::vector<std::string> ParsePlp(std::string_view bytes);
// Reads a bookmark file (UTF-8 when valid, else CP1252; CR, LF or CRLF; a blank line is an
// empty entry). False with message on failure; entries are then empty.
bool ReadPlpFile(const std::filesystem::path& path, std::vector<std::string>& entries, std::string& message);
inline constexpr std::uint64_t kPlpMaxBytes = std::uint64_t(1) << 30;

inline constexpr const char* kLoadBookmarksFailedText = "Could not load bookmarks.";
inline constexpr const char* kFileNotFoundText = "File not found.";
inline constexpr const char* kUnmarkText = "Remove bookmark for ";
std::string UnmarkQuestion(const std::string& path);

// The list dialog's status texts.
std::string ListCountText(std::size_t count);
std::string ListSelectedText(std::size_t position, std::size_t count);

// --- recent links ---------------------------------------------------------------------------

// The link name for path in folder recentDir (without ".lnk"): the file name + " in " + the
// parent's name (the file name alone past 128 characters), " #" + the CRC suffix when a link of
// that name points elsewhere or cannot be read, ":" and "/" made blanks, at most 255 bytes.
std::string RecentLinkName(const std::filesystem::path& recentDir, const std::string& path);
// Records path as a symbolic link in recentDir (made when missing). Failures are ignored.
void AddToAppRecent(const std::filesystem::path& recentDir, const std::string& path);

}  // namespace pelira
