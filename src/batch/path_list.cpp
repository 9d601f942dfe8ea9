#include "batch/path_list.h"

#include <algorithm>
#include <filesystem>
#include <map>

namespace pelira {

std::vector<std::string> SplitPathList(std::string_view text, bool nulSeparated) {
  std::vector<std::string> list;
  const char sep = nulSeparated ? '\0' : '\n';
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find(sep, start);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(start, end - start);
    if (!nulSeparated && !line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (!line.empty()) list.emplace_back(line);
    start = end + 1;
  }
  return list;
}

bool ParseShard(std::string_view text, std::size_t* index, std::size_t* count) {
  const std::size_t slash = text.find('/');
  if (slash == std::string_view::npos) return false;
  const std::string_view a = text.substr(0, slash), b = text.substr(slash + 1);
  const auto digits = [](std::string_view s) {
    return !s.empty() && s.size() <= 9 && std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
  };
  if (!digits(a) || !digits(b)) return false;
  const std::size_t i = std::stoul(std::string(a)), n = std::stoul(std::string(b));
  if (n == 0 || i >= n) return false;
  *index = i;
  *count = n;
  return true;
}

std::vector<std::string> ShardShare(const std::vector<std::string>& sorted, std::size_t index, std::size_t count) {
  if (count <= 1) return sorted;
  std::map<std::string, std::size_t> group;
  std::vector<std::string> share;
  for (const std::string& f : sorted) {
    const auto it = group.emplace(std::filesystem::path(f).stem().string(), group.size()).first;
    if (it->second % count == index) share.push_back(f);
  }
  return share;
}

}  // namespace pelira
