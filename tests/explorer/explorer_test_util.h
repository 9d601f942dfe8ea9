#pragma once
// Helpers of the explorer tests: made trees and the python3 oracle.
#include <sys/stat.h>
#include <sys/types.h>
#include <fcntl.h>
#include <unistd.h>

#include <array>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <set>
#include <string>
#include <utility>

#include "support/test_support.h"

namespace pelira::test {

inline void MakeFile(const std::filesystem::path& p, std::size_t size, std::int64_t mtime = 1'000'000'000) {
  WriteText(p, std::string(size, 'x'));
  const struct timespec t[2] = {{static_cast<time_t>(mtime), 0}, {static_cast<time_t>(mtime), 0}};
  ::utimensat(AT_FDCWD, p.c_str(), t, AT_SYMLINK_NOFOLLOW);
}

inline void SetMtime(const std::filesystem::path& p, std::int64_t mtime) {
  const struct timespec t[2] = {{static_cast<time_t>(mtime), 0}, {static_cast<time_t>(mtime), 0}};
  ::utimensat(AT_FDCWD, p.c_str(), t, AT_SYMLINK_NOFOLLOW);
}

// stdout of a python3 program run with args; "" when it failed.
inline std::string RunPython(const std::string& program, const std::string& args) {
  const std::filesystem::path script = std::filesystem::temp_directory_path() /
                                       ("pelira-oracle-" + std::to_string(::getpid()) + ".py");
  WriteText(script, program);
  std::string out;
  if (FILE* p = ::popen(("python3 '" + script.string() + "' " + args).c_str(), "r")) {
    std::array<char, 4096> buf;
    std::size_t n;
    while ((n = std::fread(buf.data(), 1, buf.size(), p)) > 0) out.append(buf.data(), n);
    ::pclose(p);
  }
  std::filesystem::remove(script);
  return out;
}

// (inode, size, name) of every regular file below dir, links not followed.
inline std::set<std::pair<std::uint64_t, std::uint64_t>> InodeSet(const std::filesystem::path& dir) {
  std::set<std::pair<std::uint64_t, std::uint64_t>> s;
  for (const auto& e : std::filesystem::recursive_directory_iterator(dir)) {
    if (!e.is_regular_file() || e.is_symlink()) continue;
    struct stat st {};
    ::lstat(e.path().c_str(), &st);
    s.emplace(st.st_ino, st.st_size);
  }
  return s;
}

}  // namespace pelira::test
