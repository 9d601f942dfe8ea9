// ZIP archives on arbitrary bytes: the directory, every member's stream and the member path
// rules. Whatever the bytes, members lie inside the archive without overlapping, a stream never
// yields more than its declared size, and a safe path has only plain parts.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "tools/zip_archive.h"
#include "tools/zip_extract.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  pelira::ZipArchive zip;
  if (!zip.Open(pelira::ZipMemorySource(data, size))) {
    if (!zip.Entries().empty()) __builtin_trap();
    return 0;
  }
  std::vector<std::pair<std::uint64_t, std::uint64_t>> spans;
  pelira::ZipMemberReader reader;
  for (const pelira::ZipEntry& e : zip.Entries()) {
    if (e.dataOffset > size || e.compressedSize > size - e.dataOffset) __builtin_trap();
    if (e.localHeaderOffset >= e.dataOffset) __builtin_trap();
    spans.emplace_back(e.localHeaderOffset, e.dataOffset + e.compressedSize);

    if (const auto parts = pelira::SafeMemberPath(e.name)) {
      if (parts->empty()) __builtin_trap();
      for (const std::string& p : *parts)
        if (p.empty() || p == "." || p == ".." || p.find('/') != std::string::npos ||
            p.find('\\') != std::string::npos || p.find('\0') != std::string::npos)
          __builtin_trap();
    }

    std::uint64_t got = 0;
    // A small cap keeps each run fast; the reader's own bound is what is checked.
    (void)reader.Read(
        zip.Source(), e,
        [&](const std::uint8_t*, std::size_t n) {
          got += n;
          return true;
        },
        [&](std::uint64_t produced) { return produced < (std::uint64_t{16} << 20); });
    if (got > e.uncompressedSize) __builtin_trap();
  }
  std::sort(spans.begin(), spans.end());
  for (std::size_t i = 1; i < spans.size(); ++i)
    if (spans[i].first < spans[i - 1].second) __builtin_trap();
  return 0;
}
