#include "explorer/listing.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <ctime>
#include <numeric>
#include <unordered_map>

#include "album/slide_record.h"
#include "common/kind_list.h"
#include "common/text_encoding.h"

namespace pelira {

namespace {

unsigned char Fold(unsigned char c) { return (c >= 'A' && c <= 'Z') ? static_cast<unsigned char>(c + 32) : c; }

// The name as UTF-8 for display: valid sequences kept, every bad byte one U+FFFD.
std::string DisplayOf(std::string_view name) {
  if (IsValidUtf8(name)) return std::string(name);
  std::string out;
  std::size_t i = 0;
  while (i < name.size()) {
    // Take the longest valid sequence starting here (1..4 bytes).
    std::size_t n = 0;
    for (std::size_t len = 1; len <= 4 && i + len <= name.size(); ++len) {
      if (IsValidUtf8(name.substr(i, len))) {
        n = len;
        break;
      }
    }
    if (n == 0) {
      AppendUtf8(out, 0xFFFD);
      ++i;
    } else {
      out.append(name.substr(i, n));
      i += n;
    }
  }
  return out;
}

// Cuts UTF-8 text to at most max bytes without splitting a character.
std::string CutUtf8(std::string s, std::size_t max) {
  if (s.size() <= max) return s;
  std::size_t n = max;
  while (n > 0 && (static_cast<unsigned char>(s[n]) & 0xC0) == 0x80) --n;
  s.resize(n);
  return s;
}

bool ContainsFolded(std::string_view hay, std::string_view needle) {
  if (needle.empty() || needle.size() > hay.size()) return false;
  auto it = std::search(hay.begin(), hay.end(), needle.begin(), needle.end(), [](char a, char b) {
    return Fold(static_cast<unsigned char>(a)) == Fold(static_cast<unsigned char>(b));
  });
  return it != hay.end();
}

int CompareKind(const ListingRecord& a, const ListingRecord& b) {
  if (a.folder == b.folder) return 0;
  return a.folder ? -1 : 1;
}

template <typename T>
int Cmp(T a, T b) {
  return a < b ? -1 : (b < a ? 1 : 0);
}

int CompareKey(const ListingRecord& a, const ListingRecord& b, SortKey key) {
  switch (key) {
    case SortKey::NameUp:
    case SortKey::NameDown: {
      // Folders first through the kind, not a leading blank a collator might skip.
      int c = CompareKind(a, b);
      if (c == 0) c = CollateNames(a.display, b.display);
      if (c == 0) c = Cmp(a.name, b.name);
      return key == SortKey::NameDown ? -c : c;
    }
    case SortKey::SizeUp: return Cmp(a.size, b.size);
    case SortKey::SizeDown: return -Cmp(a.size, b.size);
    // Dates from 2044 on set the top bit: compared unsigned.
    case SortKey::DateUp: return Cmp(static_cast<std::uint32_t>(a.dosDate), static_cast<std::uint32_t>(b.dosDate));
    case SortKey::DateDown: return -Cmp(static_cast<std::uint32_t>(a.dosDate), static_cast<std::uint32_t>(b.dosDate));
    case SortKey::Type: {
      int c = CompareKind(a, b);
      if (c == 0) c = CollateNames(a.ext, b.ext);
      if (c == 0) c = CollateNames(a.display, b.display);
      return c;
    }
    case SortKey::Family: return CollateNames(FamilyOf(a.display), FamilyOf(b.display));
  }
  return 0;
}

struct KeyInfo {
  SortKey key;
  const char* word;
  const char* caption;
};
constexpr KeyInfo kKeys[] = {
    {SortKey::NameUp, "name+", "&Name +"},   {SortKey::NameDown, "name-", "Na&me -"},
    {SortKey::SizeUp, "size+", "&Size   +"}, {SortKey::SizeDown, "size-", "Si&ze   -"},
    {SortKey::DateUp, "date+", "&Date  +"},  {SortKey::DateDown, "date-", "D&ate  -"},
    {SortKey::Type, "type", "&Type"},        {SortKey::Family, "family", "&Family"},
};

}  // namespace

const char* SortKeyWord(SortKey key) { return kKeys[static_cast<int>(key)].word; }
const char* SortKeyCaption(SortKey key) { return kKeys[static_cast<int>(key)].caption; }
std::optional<SortKey> SortKeyFromWord(std::string_view word) {
  for (const KeyInfo& k : kKeys)
    if (word == k.word) return k.key;
  return std::nullopt;
}

int CollateNames(std::string_view a, std::string_view b) {
  const std::size_t n = std::min(a.size(), b.size());
  for (std::size_t i = 0; i < n; ++i) {
    const unsigned char x = Fold(static_cast<unsigned char>(a[i])), y = Fold(static_cast<unsigned char>(b[i]));
    if (x != y) return x < y ? -1 : 1;
  }
  if (a.size() != b.size()) return a.size() < b.size() ? -1 : 1;
  const int c = a.compare(b);
  return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

std::string_view FamilyOf(std::string_view display) {
  const std::size_t p = display.rfind(' ');
  return p == std::string_view::npos ? display : display.substr(p);
}

std::int32_t DosDateOf(std::int64_t seconds) {
  const std::time_t t = static_cast<std::time_t>(seconds);
  std::tm tm{};
  if (localtime_r(&t, &tm) == nullptr) return 0;
  return PackDosDate(tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec);
}

std::int32_t TimeOfDayOf(std::int64_t seconds, std::int64_t nanoseconds) {
  const std::time_t t = static_cast<std::time_t>(seconds);
  std::tm tm{};
  if (localtime_r(&t, &tm) == nullptr) return 0;
  return static_cast<std::int32_t>(((tm.tm_hour * 60 + tm.tm_min) * 60 + tm.tm_sec) * 1000 + nanoseconds / 1000000);
}

std::int64_t NowNs() {
  return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::system_clock::now().time_since_epoch())
      .count();
}

EntryVerdict ReadEntry(int dirFd, const char* name, std::int64_t nowNs, ListingRecord& out) {
  EntryVerdict v;
  if (name[0] == '.') return v;  // ".", "..", hidden files, our own temporaries
  struct stat ls {};
  if (fstatat(dirFd, name, &ls, AT_SYMLINK_NOFOLLOW) != 0) return v;
  struct stat st = ls;
  const bool link = S_ISLNK(ls.st_mode);
  if (link && fstatat(dirFd, name, &st, 0) != 0) return v;  // dangling
  const bool folder = S_ISDIR(st.st_mode);
  if (!folder && !S_ISREG(st.st_mode)) return v;  // FIFOs, devices, sockets
  if (!folder) {
    if (st.st_size <= 0) return v;
    const std::int64_t m = static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1'000'000'000 + st.st_mtim.tv_nsec;
    const std::int64_t age = nowNs - m;
    if (age >= 0 && age < kTransitNs) {
      v.transit = true;
      return v;
    }
  }
  out = ListingRecord{};
  out.name = name;
  out.display = CutUtf8(DisplayOf(out.name), kMaxDisplayName);
  out.folder = folder;
  out.link = link;
  if (!folder) {
    out.ext = UpperExt(std::filesystem::path(out.name));
    if (out.ext.size() > kMaxExtension) out.ext.clear();
  }
  out.size = folder ? 0 : static_cast<std::uint64_t>(st.st_size);
  out.mtimeSec = st.st_mtim.tv_sec;
  out.mtimeNsec = st.st_mtim.tv_nsec;
  // One local-time conversion for both fields: it is the dearest step per entry.
  const std::time_t t = static_cast<std::time_t>(out.mtimeSec);
  std::tm tm{};
  if (localtime_r(&t, &tm) != nullptr) {
    out.dosDate = PackDosDate(tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec);
    out.timeOfDay =
        static_cast<std::int32_t>(((tm.tm_hour * 60 + tm.tm_min) * 60 + tm.tm_sec) * 1000 + out.mtimeNsec / 1000000);
  }
  out.device = st.st_dev;
  out.inode = st.st_ino;
  v.listed = true;
  return v;
}

FolderRead ReadFolder(const std::filesystem::path& folder, std::int64_t nowNs) {
  FolderRead r;
  if (nowNs == 0) nowNs = NowNs();
  const int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) {
    r.error = errno;
    return r;
  }
  DIR* d = fdopendir(fd);
  if (d == nullptr) {
    r.error = errno;
    close(fd);
    return r;
  }
  errno = 0;
  while (dirent* e = readdir(d)) {
    ListingRecord rec;
    const EntryVerdict v = ReadEntry(dirfd(d), e->d_name, nowNs, rec);
    if (v.listed) r.records.push_back(std::move(rec));
    if (v.transit) ++r.transit;
    errno = 0;
  }
  r.error = errno;
  closedir(d);
  if (r.error != 0) {
    // A listing that fails part way is cleared.
    r.records.clear();
    return r;
  }
  r.ok = true;
  return r;
}

std::string TypeText(const ListingRecord& r, const std::optional<PictureDims>& dims) {
  if (r.folder) return "Folder";
  std::string t = r.ext;
  if (dims && InKindList(r.ext, kExplorerViewerKinds)) {
    t += " " + std::to_string(dims->width) + "x" + std::to_string(dims->height) + "(" + std::to_string(dims->bits) +
         ")";
  }
  if (t.size() > kMaxTypeText) t.resize(kMaxTypeText);
  return t;
}

bool RecordLess(const ListingRecord& a, const ListingRecord& b, SortKey key) { return CompareKey(a, b, key) < 0; }

// --- Listing ---------------------------------------------------------------------------------

void Listing::Assign(std::string folder, std::vector<ListingRecord> records) {
  folder_ = std::move(folder);
  records_ = std::move(records);
  order_.resize(records_.size());
  std::iota(order_.begin(), order_.end(), 0u);
  Sort(key_);
}

void Listing::Clear() {
  records_.clear();
  order_.clear();
}

std::filesystem::path Listing::PathAt(std::size_t row) const {
  return std::filesystem::path(folder_) / At(row).name;
}

int Listing::RowOf(std::string_view name) const {
  for (std::size_t i = 0; i < order_.size(); ++i)
    if (records_[order_[i]].name == name) return static_cast<int>(i);
  return -1;
}

void Listing::Sort(SortKey key) {
  key_ = key;
  std::stable_sort(order_.begin(), order_.end(), [&](std::uint32_t x, std::uint32_t y) {
    const int c = CompareKey(records_[x], records_[y], key);
    if (c != 0) return c < 0;
    // Equal keys fall back to the name order, so every key gives one order.
    const int n = CompareKey(records_[x], records_[y], SortKey::NameUp);
    if (n != 0) return n < 0;
    return x < y;
  });
}

std::vector<int> Listing::SelectedRows() const {
  std::vector<int> rows;
  for (std::size_t i = 0; i < order_.size(); ++i)
    if (records_[order_[i]].selected) rows.push_back(static_cast<int>(i));
  return rows;
}

void Listing::SelectOnly(const std::vector<int>& rows) {
  for (ListingRecord& r : records_) r.selected = false;
  for (int row : rows)
    if (row >= 0 && static_cast<std::size_t>(row) < order_.size()) records_[order_[row]].selected = true;
}

void Listing::SelectAll() {
  for (ListingRecord& r : records_) r.selected = true;
}

void Listing::SelectFiles() {
  for (ListingRecord& r : records_) r.selected = !r.folder;
}

void Listing::SelectKinds(std::string_view list) {
  for (ListingRecord& r : records_) r.selected = !r.folder && InKindList(r.ext, list);
}

void Listing::InvertSelection() {
  for (ListingRecord& r : records_) r.selected = !r.selected;
}

int Listing::Append(ListingRecord r) {
  records_.push_back(std::move(r));
  order_.push_back(static_cast<std::uint32_t>(records_.size() - 1));
  return static_cast<int>(order_.size() - 1);
}

Listing::Change Listing::Revalidate(std::vector<ListingRecord> fresh) {
  Change ch;
  std::unordered_map<std::string, std::size_t> byName;
  byName.reserve(fresh.size());
  for (std::size_t i = 0; i < fresh.size(); ++i) byName.emplace(fresh[i].name, i);
  std::vector<bool> seen(fresh.size(), false);
  std::vector<ListingRecord> kept;
  kept.reserve(fresh.size());
  // Old records in display order, so the selection and the order of equal keys survive.
  for (std::uint32_t idx : order_) {
    ListingRecord& old = records_[idx];
    auto it = byName.find(old.name);
    if (it == byName.end()) {
      ++ch.dropped;
      continue;
    }
    seen[it->second] = true;
    ListingRecord& now = fresh[it->second];
    const bool changed = now.folder != old.folder || now.size != old.size || now.mtimeSec != old.mtimeSec ||
                         now.mtimeNsec != old.mtimeNsec || now.inode != old.inode || now.device != old.device;
    if (changed) {
      ++ch.changed;
      now.selected = old.selected;
      kept.push_back(std::move(now));
    } else {
      // Computed fields (type text, thumbnail state, a folder's summed size) stay.
      kept.push_back(std::move(old));
    }
  }
  for (std::size_t i = 0; i < fresh.size(); ++i) {
    if (seen[i]) continue;
    ++ch.added;
    kept.push_back(std::move(fresh[i]));
  }
  records_ = std::move(kept);
  order_.resize(records_.size());
  std::iota(order_.begin(), order_.end(), 0u);
  Sort(key_);
  return ch;
}

int Listing::FindName(std::string_view text, int after) const {
  const int n = static_cast<int>(order_.size());
  if (text.empty() || n == 0) return -1;
  for (int k = 1; k <= n; ++k) {
    const int row = ((after + k) % n + n) % n;
    if (ContainsFolded(records_[order_[row]].display, text)) return row;
  }
  return -1;
}

}  // namespace pelira
