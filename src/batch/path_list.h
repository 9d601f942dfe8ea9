#pragma once
// Lists of input paths from outside (a --files-from file, a pipe) and their division into
// shares for many machines.
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace pelira {

// One path a line (LF or CRLF ends), or NUL-separated; empty entries are dropped. Nothing
// else is interpreted: a path may hold blanks, tabs, quotes and any non-UTF-8 bytes.
std::vector<std::string> SplitPathList(std::string_view text, bool nulSeparated);

// Parses "I/N" with 0 <= I < N (both at most 9 digits).
bool ParseShard(std::string_view text, std::size_t* index, std::size_t* count);

// Share `index` of `count` of a sorted list. Paths are grouped by file name without its
// extension, the name outputs are made from, so files that could claim the same output name
// stay in one share and are numbered as one run numbers them; group g (in order of first
// appearance) goes to share g mod count. The shares are disjoint and together the list.
std::vector<std::string> ShardShare(const std::vector<std::string>& sorted, std::size_t index, std::size_t count);

}  // namespace pelira
