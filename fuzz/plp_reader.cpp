// Bookmark files on arbitrary bytes: the entries, written back and read again, are the same.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "viewer/bookmarks.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const std::vector<std::string> entries = pelira::ParsePlp(bytes);
  // An entry holding a line end cannot come out of the split.
  for (const std::string& e : entries)
    if (e.find('\r') != std::string::npos || e.find('\n') != std::string::npos) __builtin_trap();
  if (pelira::ParsePlp(pelira::PlpText(entries)) != entries) __builtin_trap();
  pelira::BookmarkList list;
  list.Assign(entries, entries.size() / 2);
  list.Sort([](const std::string& p) { return !p.empty() && p[0] != 'x'; });
  if (!list.Empty() && list.Index() != 0) __builtin_trap();
  return 0;
}
