#include "imaging_library/pcx_documents.h"

#include <algorithm>

#include "common/errors.h"
#include "image/byte_cursor.h"
#include "image/pcx_graphic.h"

namespace pelira {

namespace {

[[noreturn]] void BadDcx() { throw EVistrelError("Invalid DCX file"); }

Dib DecodePcx(std::span<const std::uint8_t> bytes) {
  TPcxGraphic pcx;
  pcx.ReadImage(bytes, 1);
  return CodecToWorkingBitmap(pcx);
}

class DcxDocument : public ImgDocument {
public:
  DcxDocument(std::shared_ptr<const std::vector<std::uint8_t>> bytes, std::vector<DcxPage> pages)
      : bytes_(std::move(bytes)), pages_(std::move(pages)) {}
  int PageCount() const override { return static_cast<int>(pages_.size()); }
  Dib DecodePage(int page) override {
    const DcxPage& p = pages_.at(static_cast<std::size_t>(page));
    return DecodePcx(std::span<const std::uint8_t>(*bytes_).subspan(p.offset, p.size));
  }

private:
  std::shared_ptr<const std::vector<std::uint8_t>> bytes_;
  std::vector<DcxPage> pages_;
};

class PcxDocument : public ImgDocument {
public:
  explicit PcxDocument(std::shared_ptr<const std::vector<std::uint8_t>> bytes) : bytes_(std::move(bytes)) {}
  int PageCount() const override { return 1; }
  Dib DecodePage(int) override { return DecodePcx(*bytes_); }

private:
  std::shared_ptr<const std::vector<std::uint8_t>> bytes_;
};

}  // namespace

std::vector<DcxPage> ReadDcxTable(std::span<const std::uint8_t> file) {
  ByteCursor c(file);
  if (c.U32LE() != kDcxMagic || !c.ok()) BadDcx();
  std::vector<std::size_t> offsets;
  for (;;) {
    const std::uint32_t at = c.U32LE();
    if (!c.ok()) BadDcx();  // the table runs off the file without its 0
    if (at == 0) break;
    if (static_cast<int>(offsets.size()) == kDcxMaxPages) BadDcx();
    offsets.push_back(at);
  }
  if (offsets.empty()) BadDcx();
  // A page starts after the table and leaves room for a PCX header.
  const std::size_t tableEnd = c.pos();
  for (std::size_t at : offsets)
    if (at < tableEnd || at >= file.size() || file.size() - at < kPcxHeaderSize) BadDcx();
  std::vector<std::size_t> sorted = offsets;
  std::sort(sorted.begin(), sorted.end());
  std::vector<DcxPage> pages;
  pages.reserve(offsets.size());
  for (std::size_t at : offsets) {
    const auto next = std::upper_bound(sorted.begin(), sorted.end(), at);
    const std::size_t end = next == sorted.end() ? file.size() : *next;
    pages.push_back({at, end - at});
  }
  return pages;
}

bool SniffDcx(std::span<const std::uint8_t> h) {
  return h.size() >= 4 && (h[0] | (h[1] << 8) | (h[2] << 16) | (static_cast<std::uint32_t>(h[3]) << 24)) == kDcxMagic;
}

bool SniffPcx(std::span<const std::uint8_t> h) { return h.size() >= kPcxHeaderSize && h[0] == 10 && h[2] == 1; }

std::unique_ptr<ImgDocument> OpenDcx(std::shared_ptr<const std::vector<std::uint8_t>> bytes) {
  std::vector<DcxPage> pages = ReadDcxTable(*bytes);
  return std::make_unique<DcxDocument>(std::move(bytes), std::move(pages));
}

std::unique_ptr<ImgDocument> OpenPcx(std::shared_ptr<const std::vector<std::uint8_t>> bytes) {
  PcxHeader h;
  if (ParsePcxHeader(*bytes, h) != 0) throw EVistrelError("Invalid PCX file");
  return std::make_unique<PcxDocument>(std::move(bytes));
}

}  // namespace pelira
