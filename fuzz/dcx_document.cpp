// DCX documents on arbitrary bytes: the page table, then every page through the imaging library's document.
#include <memory>
#include <vector>

#include "fuzz_support.h"
#include "imaging_library/pcx_documents.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace pelira;
  const ByteSpan bytes = fuzz::Start(data, size);
  if (!SniffDcx(bytes)) return 0;
  fuzz::Quietly([&] {
    auto doc = OpenDcx(std::make_shared<const std::vector<std::uint8_t>>(bytes.begin(), bytes.end()));
    for (int p = 0; p < doc->PageCount() && p < 8; ++p) fuzz::Quietly([&] { (void)doc->DecodePage(p); });
  });
  return 0;
}
