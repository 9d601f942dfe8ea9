#include "explorer/visit_history.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <system_error>

#include "common/atomic_file.h"
#include "common/text_encoding.h"

namespace fs = std::filesystem;

namespace pelira {

std::string VisitHistory::Normal(const std::string& folder) {
  if (folder.empty() || folder.back() == '/') return folder;
  return folder + "/";
}

void VisitHistory::Record(const std::string& folder) {
  const std::string f = Normal(folder);
  if (f.empty()) return;
  if (entries_.empty() || entries_.back() != f) {
    if (entries_.size() > kHistoryCapacity - 1) entries_.erase(entries_.begin());
    entries_.push_back(f);
  }
  pos_ = entries_.size() - 1;
}

std::string VisitHistory::Step(int dir, const ExistsFn& exists) {
  if (entries_.size() < 2) return {};
  const std::size_t n = entries_.size();
  std::size_t p = dir < 0 ? (pos_ + n - 1) % n : (pos_ + 1) % n;
  while (!entries_.empty()) {
    if (p >= entries_.size()) p = 0;
    if (!exists || exists(entries_[p])) {
      pos_ = p;
      return entries_[p];
    }
    // The entry now at that position is tried next (wrapping past the end).
    entries_.erase(entries_.begin() + static_cast<std::ptrdiff_t>(p));
  }
  pos_ = 0;
  return {};
}

std::string VisitHistory::Back(const ExistsFn& exists) { return Step(-1, exists); }
std::string VisitHistory::Forward(const ExistsFn& exists) { return Step(1, exists); }

void VisitHistory::SetPosition(std::size_t pos) {
  if (pos < entries_.size()) pos_ = pos;
}

void VisitHistory::Load(const fs::path& file) {
  entries_.clear();
  pos_ = 0;
  std::ifstream in(file, std::ios::binary);
  if (!in) return;
  std::string bytes;
  bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  if (bytes.size() > (4u << 20)) return;
  Parse(bytes);
}

void VisitHistory::Parse(std::string_view bytes) {
  entries_.clear();
  pos_ = 0;
  for (std::string& line : SplitLines(DecodeText(bytes))) {
    if (line.empty() || line[0] != '/' || line.find('\0') != std::string::npos) continue;
    const std::string f = Normal(line);
    if (!entries_.empty() && entries_.back() == f) continue;
    entries_.push_back(f);
  }
  if (entries_.size() > kHistoryCapacity)
    entries_.erase(entries_.begin(), entries_.end() - static_cast<std::ptrdiff_t>(kHistoryCapacity));
  if (!entries_.empty()) pos_ = entries_.size() - 1;
}

void VisitHistory::Save(const fs::path& file) const { (void)AtomicWrite(file, JoinCrlf(entries_)); }

void AddWalkHistory(std::vector<std::string>& history, const std::string& folder) {
  // Exact: /Photos and /photos are two folders here.
  if (folder.empty() || std::find(history.begin(), history.end(), folder) != history.end()) return;
  if (history.size() > kWalkHistoryCapacity - 1) history.erase(history.begin());
  history.push_back(folder);
}

std::string UsableFolder(const std::string& wanted) {
  std::error_code ec;
  if (!wanted.empty()) {
    fs::path p = fs::path(wanted).lexically_normal();
    if (p.is_absolute()) {
      for (;;) {
        if (fs::is_directory(p, ec)) return p.string();
        if (!p.has_relative_path()) break;
        p = p.parent_path();
      }
    }
  }
  if (const char* home = std::getenv("HOME"); home != nullptr && fs::is_directory(home, ec)) return home;
  return "/";
}

int KillRecentLinks(const fs::path& recentDir) {
  int removed = 0;
  std::error_code ec;
  for (fs::directory_iterator it(recentDir, ec), end; !ec && it != end; it.increment(ec)) {
    std::error_code e2;
    if (it->is_symlink(e2) && fs::remove(it->path(), e2)) ++removed;
  }
  std::error_code e3;
  if (fs::is_empty(recentDir, e3) && !e3) fs::remove(recentDir, e3);
  return removed;
}

}  // namespace pelira
