#include "imaging_library/document_formats.h"

#include "image/bmp_reader.h"
#include "imaging_library/pcx_documents.h"
#include "imaging_library/tiff_document.h"

namespace pelira {

namespace {

bool SniffBmp(std::span<const std::uint8_t> h) {
  return h.size() >= 2 && ((h[0] == 'B' && h[1] == 'M') || (h[0] == 'B' && h[1] == 'A'));
}

class BmpDocument : public ImgDocument {
public:
  explicit BmpDocument(std::shared_ptr<const std::vector<std::uint8_t>> bytes) : bytes_(std::move(bytes)) {}
  int PageCount() const override { return 1; }
  Dib DecodePage(int) override { return ReadBmpFile(*bytes_); }

private:
  std::shared_ptr<const std::vector<std::uint8_t>> bytes_;
};

std::unique_ptr<ImgDocument> OpenBmp(std::shared_ptr<const std::vector<std::uint8_t>> bytes) {
  return std::make_unique<BmpDocument>(std::move(bytes));
}

}  // namespace

const std::vector<ImgDocumentFormat>& ImgDocumentFormats() {
  static const std::vector<ImgDocumentFormat> formats = {
      {"BMP", ".BMP.DIB", &SniffBmp, &OpenBmp},
      {"TIF", ".TIF.TIFF", &SniffTiff, &OpenTiffDocument},
      {"DCX", ".DCX", &SniffDcx, &OpenDcx},
      {"PCX", ".PCX", &SniffPcx, &OpenPcx},
  };
  return formats;
}

}  // namespace pelira
