#pragma once
// The visited-folder history that Back and Forward walk, kept in "HistoryList.txt" across
// runs, and the "recent" folder of links. Paths keep their case and end in '/'.
#include <cstddef>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace pelira {

inline constexpr std::size_t kHistoryCapacity = 256;
inline constexpr const char* kVisitedFoldersCaption = "Visited Folders";
inline constexpr const char* kKillRecentQuestion = "Delete all Recent folder links?";

class VisitHistory {
public:
  using ExistsFn = std::function<bool(const std::string& folder)>;

  const std::vector<std::string>& Entries() const { return entries_; }
  std::size_t Position() const { return pos_; }

  // A folder became current (not through Back, Forward or the list): appended unless it is
  // the last entry; the oldest goes when the list is full. The position becomes the last.
  void Record(const std::string& folder);
  // One step back or forward, wrapping at the ends; an entry whose folder is gone is deleted
  // and the entry now at that position tried, again wrapping. "" when none is left or when
  // there are fewer than two entries.
  std::string Back(const ExistsFn& exists);
  std::string Forward(const ExistsFn& exists);
  // The entry chosen from the list; the position moves there.
  void SetPosition(std::size_t pos);

  // One path a line; lines that are blank, relative or hold NUL are skipped, the last 256 kept.
  void Load(const std::filesystem::path& file);
  void Parse(std::string_view bytes);
  // Written atomically; a failure is ignored, as the history is a convenience.
  void Save(const std::filesystem::path& file) const;

  // The form a folder is stored in: as given, with a trailing '/'.
  static std::string Normal(const std::string& folder);

private:
  std::string Step(int dir, const ExistsFn& exists);
  std::vector<std::string> entries_;
  std::size_t pos_ = 0;
};

// The folder-walk dialog's history of chosen folders (this run only): folder is appended unless
// already there (exactly: names differ by case here); past 15 entries the oldest goes first, so
// it never holds more than 16.
inline constexpr std::size_t kWalkHistoryCapacity = 16;
void AddWalkHistory(std::vector<std::string>& history, const std::string& folder);

// Where to go when a folder is unusable (empty, gone, not a folder): its nearest existing
// ancestor, else the home folder, else "/".
std::string UsableFolder(const std::string& wanted);

// Tools > Recent > Kill all: removes the links in recentDir (nothing else), then the folder
// when it is empty. Returns the number of links removed.
int KillRecentLinks(const std::filesystem::path& recentDir);

}  // namespace pelira
