#include "viewer/bookmarks.h"

#include <algorithm>
#include <fstream>
#include <system_error>

#include "common/crc_register.h"
#include "common/parallel_for.h"
#include "common/text_encoding.h"

namespace pelira {

namespace fs = std::filesystem;

bool BookmarkFileExists(const std::string& path) {
  if (path.empty() || path.find('\0') != std::string::npos) return false;
  std::error_code ec;
  return fs::is_regular_file(fs::path(path), ec);
}

void BookmarkList::Assign(std::vector<std::string> entries, std::size_t index) {
  entries_ = std::move(entries);
  if (entries_.capacity() < kBookmarkCapacity) entries_.reserve(kBookmarkCapacity);
  SetIndex(index);
}

void BookmarkList::Clear() {
  entries_.clear();
  index_ = 0;
}

void BookmarkList::UpdateHistory(const std::string& currentFile) {
  if (entries_.empty()) {
    entries_.push_back(currentFile);
    index_ = 0;
    return;
  }
  if (entries_[index_] == currentFile) return;
  if (index_ > 0) ++index_;
  entries_.insert(entries_.begin() + static_cast<std::ptrdiff_t>(index_), currentFile);
}

bool BookmarkList::RemoveCurrent() {
  if (entries_.empty() || index_ >= entries_.size()) return false;
  entries_.erase(entries_.begin() + static_cast<std::ptrdiff_t>(index_));
  if (entries_.size() <= 1) index_ = 0;
  else if (index_ >= entries_.size()) index_ = entries_.size() - 1;
  return true;
}

bool BookmarkList::Next() {
  if (entries_.size() < 2) return false;
  index_ = index_ + 1 >= entries_.size() ? 0 : index_ + 1;
  return true;
}

bool BookmarkList::Previous() {
  if (entries_.size() < 2) return false;
  index_ = index_ == 0 ? entries_.size() - 1 : index_ - 1;
  return true;
}

bool BookmarkList::First() {
  if (entries_.empty()) return false;
  index_ = 0;
  return true;
}

bool BookmarkList::Last() {
  if (entries_.empty()) return false;
  index_ = entries_.size() - 1;
  return true;
}

bool BookmarkList::MoveDown() {
  if (entries_.size() < 2) return false;
  if (index_ + 1 == entries_.size()) {
    std::swap(entries_[index_], entries_[0]);
    index_ = 0;
  } else {
    std::swap(entries_[index_], entries_[index_ + 1]);
    ++index_;
  }
  return true;
}

bool BookmarkList::MoveUp() {
  if (entries_.size() < 2) return false;
  if (index_ > 0) {
    std::swap(entries_[index_ - 1], entries_[index_]);
    --index_;
  } else {
    std::swap(entries_[0], entries_[1]);
  }
  return true;
}

namespace {

unsigned char Fold(unsigned char c) { return c >= 'A' && c <= 'Z' ? static_cast<unsigned char>(c + 32) : c; }

int FoldedCompare(const std::string& a, const std::string& b) {
  const std::size_t n = std::min(a.size(), b.size());
  for (std::size_t i = 0; i < n; ++i) {
    const unsigned char x = Fold(static_cast<unsigned char>(a[i])), y = Fold(static_cast<unsigned char>(b[i]));
    if (x != y) return x < y ? -1 : 1;
  }
  return a.size() < b.size() ? -1 : a.size() > b.size() ? 1 : 0;
}

}  // namespace

bool BookmarkLess(const std::string& a, const std::string& b) {
  const int c = FoldedCompare(a, b);
  return c != 0 ? c < 0 : a < b;
}

namespace {

std::string Folded(const std::string& s) {
  std::string f = s;
  for (char& c : f) c = static_cast<char>(Fold(static_cast<unsigned char>(c)));
  return f;
}

// Sorts by the folded name (then the name itself when exact is set) with each folded key
// made once: comparing plain bytes is several times faster than folding inside every
// comparison of long paths that share their folders.
void SortFolded(std::vector<std::string>& entries, bool exact) {
  struct Keyed {
    std::string key;
    std::uint32_t at;
  };
  std::vector<Keyed> keyed(entries.size());
  for (std::size_t i = 0; i < entries.size(); ++i) keyed[i] = {Folded(entries[i]), static_cast<std::uint32_t>(i)};
  auto less = [&](const Keyed& a, const Keyed& b) {
    const int c = a.key.compare(b.key);
    if (c != 0 || !exact) return c < 0;
    return entries[a.at] < entries[b.at];
  };
  if (exact) std::sort(keyed.begin(), keyed.end(), less);
  else std::stable_sort(keyed.begin(), keyed.end(), less);
  std::vector<std::string> sorted;
  sorted.reserve(std::max(entries.capacity(), entries.size()));
  for (const Keyed& k : keyed) sorted.push_back(std::move(entries[k.at]));
  entries.swap(sorted);
}

}  // namespace

void RemoveMissingEntries(std::vector<std::string>& entries, const FileExistsFn& exists) {
  // One stat per entry, the entries split over the cores; the removal is one pass.
  std::vector<std::uint8_t> keep(entries.size(), 0);
  ParallelRows(
      static_cast<int>(entries.size()),
      [&](int first, int last) {
        for (int i = first; i < last; ++i) keep[static_cast<std::size_t>(i)] = exists(entries[static_cast<std::size_t>(i)]) ? 1 : 0;
      },
      0, 1, 4096);
  std::size_t out = 0;
  for (std::size_t i = 0; i < entries.size(); ++i)
    if (keep[i]) {
      if (out != i) entries[out] = std::move(entries[i]);
      ++out;
    }
  entries.resize(out);
}

void BookmarkList::Sort(const FileExistsFn& exists) {
  SortFolded(entries_, true);
  entries_.erase(std::unique(entries_.begin(), entries_.end()), entries_.end());
  if (entries_.size() > 1) RemoveMissingEntries(entries_, exists);
  index_ = 0;
}

void SortAllEntries(std::vector<std::string>& entries, const FileExistsFn& exists) {
  SortFolded(entries, false);
  entries.erase(std::unique(entries.begin(), entries.end()), entries.end());
  RemoveMissingEntries(entries, exists);
}

std::string PlpText(const std::vector<std::string>& entries) { return JoinCrlf(entries); }

bool ReadPlpFile(const fs::path& path, std::vector<std::string>& entries, std::string& message) {
  entries.clear();
  std::error_code ec;
  const std::uintmax_t size = fs::file_size(path, ec);
  if (ec) {
    message = path.string() + ": " + ec.message();
    return false;
  }
  if (size > kPlpMaxBytes) {
    message = path.string() + ": the file is too large for a bookmark list";
    return false;
  }
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    message = path.string() + ": cannot be opened";
    return false;
  }
  std::string bytes(static_cast<std::size_t>(size), '\0');
  in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (static_cast<std::uintmax_t>(in.gcount()) != size) {
    message = path.string() + ": cannot be read";
    return false;
  }
  entries = SplitLines(DecodeText(bytes));
  if (entries.capacity() < kBookmarkLoadCapacity) entries.reserve(kBookmarkLoadCapacity);
  return true;
}

std::string UnmarkQuestion(const std::string& path) {
  return std::string(kUnmarkText) + fs::path(path).filename().string() + " ?" + "\n" +
         "[Ignore] avoids this dialog (for experts).";
}

std::string ListCountText(std::size_t count) { return "  " + std::to_string(count) + " item(s)"; }
std::string ListSelectedText(std::size_t position, std::size_t count) {
  return "  Selected item " + std::to_string(position + 1) + " of " + std::to_string(count);
}

// --- recent links ---------------------------------------------------------------------------

namespace {

constexpr std::size_t kLinkNameLimit = 128;
constexpr std::size_t kLinkFileBytes = 255;
constexpr const char* kLinkExt = ".lnk";
constexpr const char* kRootName = "Root";

std::string StripTrailingSlash(std::string p) {
  while (p.size() > 1 && p.back() == '/') p.pop_back();
  return p;
}

std::string DisplayName(const fs::path& p) {
  const std::string s = p.string();
  if (s.empty() || s == "/") return kRootName;
  const std::string name = p.filename().string();
  return name.empty() ? s : name;
}

// Cuts s to at most n bytes without splitting a UTF-8 sequence.
std::string CutUtf8(std::string s, std::size_t n) {
  if (s.size() <= n) return s;
  std::size_t cut = n;
  while (cut > 0 && (static_cast<unsigned char>(s[cut]) & 0xC0) == 0x80) --cut;
  s.resize(cut);
  return s;
}

std::string Clean(std::string name) {
  for (char& c : name)
    if (c == ':' || c == '/') c = ' ';
  return name;
}

}  // namespace

std::string RecentLinkName(const fs::path& recentDir, const std::string& rawPath) {
  const std::string path = StripTrailingSlash(rawPath);
  const fs::path p(path);
  std::string name;
  if (path == "/") {
    name = kRootName;
  } else {
    name = DisplayName(p) + " in " + DisplayName(p.parent_path());
    if (name.size() > kLinkNameLimit) name = DisplayName(p);
  }
  const std::size_t room = kLinkFileBytes - std::string(kLinkExt).size();
  std::string base = CutUtf8(Clean(name), room);
  std::error_code ec;
  const fs::path link = recentDir / (base + kLinkExt);
  const fs::file_status st = fs::symlink_status(link, ec);
  if (!ec && fs::exists(st)) {
    bool same = false;
    if (fs::is_symlink(st)) {
      const fs::path target = fs::read_symlink(link, ec);
      same = !ec && target.string() == path;
    }
    if (!same) {
      const std::string suffix = " #" + CrcRegisterText(CrcRegister(path + "\r\n"));
      base = CutUtf8(Clean(name), room - suffix.size()) + suffix;
    }
  }
  return base;
}

void AddToAppRecent(const fs::path& recentDir, const std::string& rawPath) {
  std::error_code ec;
  fs::create_directories(recentDir, ec);
  const std::string path = StripTrailingSlash(rawPath);
  if (path.empty()) return;
  const fs::path link = recentDir / (RecentLinkName(recentDir, path) + kLinkExt);
  // A new link beside the old one, renamed over it: the old link stays until the new is made.
  const fs::path temp = recentDir / (".link-" + std::to_string(CrcRegister(path)) + ".tmp");
  fs::remove(temp, ec);
  fs::create_symlink(fs::path(path), temp, ec);
  if (ec) return;
  fs::rename(temp, link, ec);
  if (ec) fs::remove(temp, ec);
}

}  // namespace pelira
