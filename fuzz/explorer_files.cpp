// The explorer's own files on arbitrary bytes, one input cut at the first three 0xFF bytes into
// the comment names file, the comment texts file, the visited-folder history and the
// "EControls7700" record: names and comments stay paired, the history keeps its bounds and
// only absolute paths, and a decoded record writes back to 88 bytes that decode the same.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "explorer/explorer_settings.h"
#include "explorer/folder_comments.h"
#include "explorer/visit_history.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace pelira;
  std::string_view rest(reinterpret_cast<const char*>(data), size);
  std::string_view parts[4];
  for (int k = 0; k < 3; ++k) {
    const auto cut = rest.find('\xFF');
    parts[k] = rest.substr(0, cut);
    rest = cut == std::string_view::npos ? std::string_view() : rest.substr(cut + 1);
  }
  parts[3] = rest;

  FolderComments c;
  c.Parse(parts[0], size % 2 ? &parts[1] : nullptr);
  if (c.Names().size() != c.Texts().size()) __builtin_trap();
  for (const std::string& n : c.Names()) (void)c.Find(n);

  VisitHistory h;
  h.Parse(parts[2]);
  if (h.Entries().size() > kHistoryCapacity) __builtin_trap();
  if (!h.Entries().empty() && h.Position() >= h.Entries().size()) __builtin_trap();
  for (const std::string& e : h.Entries())
    if (e.empty() || e[0] != '/' || e.back() != '/') __builtin_trap();

  const ExplorerSettings s = DecodeExplorerSettings(std::string(parts[3]));
  const std::string again = EncodeExplorerSettings(s);
  if (again.size() != kExplorerRecordSize) __builtin_trap();
  if (s.stored && EncodeExplorerSettings(DecodeExplorerSettings(again)) != again) __builtin_trap();
  return 0;
}
