// The TIFF codec and the imaging library's TIFF documents on arbitrary bytes: header probe,
// page count, the first two pages, every page of the document, and a write and read back
// of whatever loaded.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "image/pixel_limit.h"
#include "image/tiff_graphic.h"
#include "imaging_library/tiff_document.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const bool init = [] {
    pelira::SetMaxImageBytes(16u << 20);
    return true;
  }();
  (void)init;
  const pelira::ByteSpan bytes(data, size);
  try {
    pelira::TTiffGraphic g;
    (void)g.ReadHeader(bytes);
    (void)g.GetImageCount(bytes);
  } catch (const std::exception&) {
  }
  for (int page = 1; page <= 2; ++page) {
    try {
      pelira::TTiffGraphic g;
      g.ReadImage(bytes, page);
      pelira::Bytes out = g.SaveToBytes();
      g.AppendImage(out);
      pelira::TTiffGraphic back;
      back.ReadImage(out, 2);
      if (back.Width() != g.Width() || back.Height() != g.Height()) __builtin_trap();
    } catch (const std::exception&) {
    }
  }
  try {
    auto shared = std::make_shared<const std::vector<std::uint8_t>>(data, data + size);
    auto doc = pelira::OpenTiffDocument(shared);
    for (int p = 0; p < doc->PageCount() && p < 4; ++p) {
      try {
        (void)doc->DecodePage(p);
      } catch (const std::exception&) {
      }
    }
  } catch (const std::exception&) {
  }
  return 0;
}
