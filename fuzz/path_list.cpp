// A --files-from list of arbitrary bytes, read both ways (lines and NUL-separated), sorted and
// shared out: no entry is empty or holds its separator, and for a few share counts the shares
// are disjoint and together the list. The first byte also feeds the --shard parser.
#include <algorithm>
#include <cstdint>
#include <string_view>

#include "batch/path_list.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace pelira;
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  std::size_t index = 0, count = 0;
  if (ParseShard(text.substr(0, std::min<std::size_t>(size, 24)), &index, &count) && index >= count) __builtin_trap();
  for (const bool nul : {false, true}) {
    std::vector<std::string> list = SplitPathList(text, nul);
    for (const std::string& p : list)
      if (p.empty() || p.find(nul ? '\0' : '\n') != std::string::npos) __builtin_trap();
    std::sort(list.begin(), list.end());
    list.erase(std::unique(list.begin(), list.end()), list.end());
    for (std::size_t n = 1; n <= 4; ++n) {
      std::vector<std::string> all;
      for (std::size_t i = 0; i < n; ++i) {
        const auto share = ShardShare(list, i, n);
        all.insert(all.end(), share.begin(), share.end());
      }
      std::sort(all.begin(), all.end());
      if (all != list) __builtin_trap();
    }
  }
  return 0;
}
