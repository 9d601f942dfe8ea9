// Cache files on arbitrary bytes: only the exact bytes the builder writes decode, and what
// decodes writes back byte for byte.
#include <cstdlib>
#include <string_view>

#include "fuzz_support.h"
#include "thumbs/thumb_cache.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace pelira;
  fuzz::Start(data, size);
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  fuzz::Quietly([&] {
    if (const auto thumb = DecodeThumbnail(bytes)) {
      if (EncodeThumbnail(*thumb) != bytes) std::abort();
    }
  });
  return 0;
}
