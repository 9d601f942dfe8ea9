// DCX documents on arbitrary bytes: the page table, then every page through the imaging library's document.
#include <cstddef>
#include <cstdint>
#include <exception>

#include <memory>
#include <vector>

#include "image/pixel_limit.h"
#include "image/dib_graphic.h"
#include "imaging_library/pcx_documents.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const bool init = [] {
    pelira::SetMaxImageBytes(16u << 20);
    return true;
  }();
  (void)init;
  const pelira::ByteSpan bytes(data, size);
  if (!pelira::SniffDcx(bytes)) return 0;
  try {
    auto shared = std::make_shared<const std::vector<std::uint8_t>>(bytes.begin(), bytes.end());
    auto doc = pelira::OpenDcx(shared);
    for (int p = 0; p < doc->PageCount() && p < 8; ++p) {
      try {
        (void)doc->DecodePage(p);
      } catch (const std::exception&) {
      }
    }
  } catch (const std::exception&) {
  }
  return 0;
}
