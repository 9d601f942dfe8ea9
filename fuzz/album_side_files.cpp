// The five side files on arbitrary bytes, one input cut into five at the first four 0xFF
// bytes: the check refuses or accepts without reading outside them, an accepted album's
// indices are all in range, and its tables written and read back are the same bytes.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "album/album_files.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view rest(reinterpret_cast<const char*>(data), size);
  std::string_view parts[pelira::kSideFileCount];
  for (int k = 0; k < pelira::kSideFileCount - 1; ++k) {
    const auto cut = rest.find('\xFF');
    parts[k] = rest.substr(0, cut);
    rest = cut == std::string_view::npos ? std::string_view() : rest.substr(cut + 1);
  }
  parts[pelira::kSideFileCount - 1] = rest;
  // The count the header claims: the record file's, or one off from it.
  const std::uint64_t whole = parts[pelira::kSideRecords].size() / pelira::kSlideRecordSize;
  const std::uint64_t claimed = size % 3 == 0 ? whole + 1 : whole;
  pelira::AlbumStore store;
  std::string why;
  if (!pelira::LoadSideTables(store, claimed, parts, nullptr, why)) {
    if (!store.Empty()) __builtin_trap();
    return 0;
  }
  if (store.Count() != claimed || store.Volumes().size() != store.Directories().size()) __builtin_trap();
  for (std::size_t i = 0; i < store.Count(); ++i) {
    const auto& r = store.At(i);
    if (r.nameIndex < 0 || static_cast<std::size_t>(r.nameIndex) >= store.Names().Count()) __builtin_trap();
    if (r.commentIndex < 0 || static_cast<std::size_t>(r.commentIndex) >= store.Comments().size()) __builtin_trap();
    (void)store.ShownPath(r);
  }
  if (store.Empty()) return 0;
  const auto once = pelira::SideFileContents(store);
  const std::string_view views[pelira::kSideFileCount] = {once[0], once[1], once[2], once[3], once[4]};
  pelira::AlbumStore again;
  if (!pelira::LoadSideTables(again, store.Count(), views, nullptr, why)) __builtin_trap();
  if (pelira::SideFileContents(again) != once) __builtin_trap();
  return 0;
}
