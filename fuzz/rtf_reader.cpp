// RTF and plain text pages on arbitrary bytes.
#include <cstddef>
#include <cstdint>
#include <exception>

#include <string_view>

#include "fuzz_support.h"
#include "image/dib_graphic.h"
#include "image/rich_text.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  (void)pelira::fuzz::Start(data, size);
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  try {
    const pelira::TRichText t = pelira::ReadTextPage(text);
    std::size_t total = 0;
    for (const auto& p : t.paragraphs) total += p.Text().size();
    if (total > pelira::kMaxTextBytes * 4) __builtin_trap();
  } catch (const std::exception&) {
  }
  return 0;
}
