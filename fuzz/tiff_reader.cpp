// The TIFF codec and the imaging library's TIFF documents on arbitrary bytes: header probe,
// page count, the first two pages, every page of the document, and a write and read back
// of whatever loaded.
#include <memory>
#include <vector>

#include "fuzz_support.h"
#include "image/tiff_graphic.h"
#include "imaging_library/tiff_document.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace pelira;
  const ByteSpan bytes = fuzz::Start(data, size);
  fuzz::Quietly([&] {
    TTiffGraphic g;
    (void)g.ReadHeader(bytes);
    (void)g.GetImageCount(bytes);
  });
  for (int page = 1; page <= 2; ++page) {
    fuzz::Quietly([&] {
      TTiffGraphic g;
      g.ReadImage(bytes, page);
      Bytes out = g.SaveToBytes();
      g.AppendImage(out);
      TTiffGraphic back;
      back.ReadImage(out, 2);
      if (back.Width() != g.Width() || back.Height() != g.Height()) __builtin_trap();
    });
  }
  fuzz::Quietly([&] {
    auto doc = OpenTiffDocument(std::make_shared<const std::vector<std::uint8_t>>(data, data + size));
    for (int p = 0; p < doc->PageCount() && p < 4; ++p) fuzz::Quietly([&] { (void)doc->DecodePage(p); });
  });
  return 0;
}
