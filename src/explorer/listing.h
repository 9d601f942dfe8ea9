#pragma once
// The explorer's file list: one record per listed item of the current folder, kept in a
// record store plus a display order of record numbers. Records keep the raw name bytes; the
// display text is for people only and never becomes a path again. Windows act on record
// numbers.
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pelira {

// The kinds the viewer shows, and the kinds "Select All Images" and the walks take.
inline constexpr std::string_view kExplorerViewerKinds = ".JPG.JPEG.PNG.DCX.PCX.BMP.DIB.TIF.TGA.PCD.PSD.GIF.WMF.EMF";
inline constexpr std::string_view kExplorerMediaKinds =
    ".AVI.MPG.M1V.MPE.MPEG.MPV.M2V.WMV.ASF.RMI.WAV.MP2.MP3.MPA.MID.AU.SND.WMA.RMI";
inline constexpr std::string_view kExplorerImageAndMediaKinds =
    ".JPG.JPEG.PNG.DCX.PCX.BMP.DIB.TIF.TGA.PCD.PSD.GIF.AVI.MPG.M1V.MPE.MPEG.MPV.M2V.WMV.ASF.RMI.WAV.MP2.MP3.MPA.MID.AU."
    "SND.WMA.RMI";

// A file written this recently is still in transit and is listed later.
inline constexpr std::int64_t kTransitNs = 2'000'000'000;
inline constexpr std::size_t kMaxDisplayName = 255;
inline constexpr std::size_t kMaxExtension = 12;
inline constexpr std::size_t kMaxTypeText = 24;

struct ListingRecord {
  std::string name;     // the name's bytes as the folder holds them
  std::string display;  // name as UTF-8 (bad bytes shown as U+FFFD), at most 255 bytes
  std::string ext;      // upper-case extension with its dot, at most 12 bytes; "" for folders
  bool folder = false;
  bool link = false;  // the entry is a symbolic link (its target's kind and size are shown)
  std::uint64_t size = 0;
  std::int64_t mtimeSec = 0;
  std::int64_t mtimeNsec = 0;
  std::int32_t dosDate = 0;    // packed DOS date-time, local time
  std::int32_t timeOfDay = 0;  // milliseconds since local midnight
  std::uint64_t device = 0, inode = 0;
  std::string typeText;  // made when first shown
  bool typeTextMade = false;
  int thumbState = 0;  // 0 not made; the window's thumbnail source sets it
  bool selected = false;
};

// Sort keys in the order of the "Arrange by" menu.
enum class SortKey : int { NameUp = 0, NameDown, SizeUp, SizeDown, DateUp, DateDown, Type, Family };
inline constexpr int kSortKeyCount = 8;
// "name+", "name-", "size+", "size-", "date+", "date-", "type", "family".
const char* SortKeyWord(SortKey key);
std::optional<SortKey> SortKeyFromWord(std::string_view word);
// The "Arrange by" captions.
const char* SortKeyCaption(SortKey key);

// Compares strings the way the list orders names: ASCII case folded first, then the bytes, so
// the order is total and the same on every machine.
int CollateNames(std::string_view a, std::string_view b);

// The family of a name: from its last blank to the end, or the whole name without a blank.
std::string_view FamilyOf(std::string_view display);

// Packed DOS date-time and milliseconds since midnight of a modification time, local time.
std::int32_t DosDateOf(std::int64_t seconds);
std::int32_t TimeOfDayOf(std::int64_t seconds, std::int64_t nanoseconds);

// Reads one folder entry into a record; false when it is not listed: dot names (hidden files
// and our own temporaries), anything but a regular file or a folder after following a link,
// files of size 0, files written less than kTransitNs before now (transit set then), and
// entries gone before they could be looked at.
struct EntryVerdict {
  bool listed = false;
  bool transit = false;
};
EntryVerdict ReadEntry(int dirFd, const char* name, std::int64_t nowNs, ListingRecord& out);

struct FolderRead {
  bool ok = false;
  int error = 0;  // errno of the failure
  std::vector<ListingRecord> records;
  int transit = 0;  // files left out because they are still being written
};
// One directory read of folder, records in directory order (a Listing sorts them). nowNs: the clock for the
// transit rule (nanoseconds since the epoch); 0 takes the system clock.
FolderRead ReadFolder(const std::filesystem::path& folder, std::int64_t nowNs = 0);
std::int64_t NowNs();

// The text of the details view's "Type/Dimensions" column: "Folder"; for an image kind the
// extension, a blank and WxH(bpp) when the dimensions are known; else the extension. At most
// 24 bytes.
struct PictureDims {
  int width = 0, height = 0, bits = 0;
};
std::string TypeText(const ListingRecord& r, const std::optional<PictureDims>& dims);

class Listing {
public:
  // Replaces the listing with a folder's records (sorted by the current key).
  void Assign(std::string folder, std::vector<ListingRecord> records);
  void Clear();

  const std::string& Folder() const { return folder_; }
  std::size_t Count() const { return order_.size(); }
  // The record shown at display row.
  const ListingRecord& At(std::size_t row) const { return records_[order_[row]]; }
  ListingRecord& At(std::size_t row) { return records_[order_[row]]; }
  const std::vector<ListingRecord>& Records() const { return records_; }
  const std::vector<std::uint32_t>& Order() const { return order_; }
  // The full path of the record at row (folder + raw name).
  std::filesystem::path PathAt(std::size_t row) const;
  // The display row of the record named name (exact bytes), or -1.
  int RowOf(std::string_view name) const;

  SortKey Key() const { return key_; }
  // Sorts by key (stable: equal keys keep the Name + order).
  void Sort(SortKey key);

  // Selection by rows.
  std::vector<int> SelectedRows() const;
  void SelectOnly(const std::vector<int>& rows);
  void SelectAll();
  void SelectFiles();
  // Files whose extension is in list.
  void SelectKinds(std::string_view list);
  void InvertSelection();

  // Adds one record (a new folder) at the end of the display order.
  int Append(ListingRecord r);

  // Brings the listing up to date with a fresh read of its folder: new names added, vanished
  // ones dropped, changed ones (kind, size, time or inode) updated with their type text and
  // thumbnail state reset; the selection and the order of the rest kept, then re-sorted.
  struct Change {
    int added = 0, dropped = 0, changed = 0;
    bool Any() const { return added + dropped + changed > 0; }
  };
  Change Revalidate(std::vector<ListingRecord> fresh);

  // The first row after `after` (wrapping) whose display name contains text, ASCII case
  // folded; -1 when none. Empty text finds nothing.
  int FindName(std::string_view text, int after) const;

private:
  std::string folder_;
  std::vector<ListingRecord> records_;
  std::vector<std::uint32_t> order_;
  SortKey key_ = SortKey::NameUp;
};

// Less-than of two records under key (ties: false both ways).
bool RecordLess(const ListingRecord& a, const ListingRecord& b, SortKey key);

}  // namespace pelira
