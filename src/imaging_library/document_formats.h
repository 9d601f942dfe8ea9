#pragma once
// Document formats of the imaging library: what ImgOpenSolo and ImgOpenMem can open.
//
// Adding a format (TIFF pages with LZW and fax compressions, DCX, PCX) is one entry in the
// table of document_formats.cpp: a type name, the extensions it answers to, a test of the
// first bytes, and an opener that returns an ImgDocument. The opener keeps the bytes and
// decodes a page only when asked; it raises an exception with a message on bad data.
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "image/dib.h"

namespace pelira {

class ImgDocument {
public:
  virtual ~ImgDocument() = default;
  virtual int PageCount() const = 0;
  // Page 0..PageCount()-1 as a 1, 4, 8 or 24-bit bitmap.
  virtual Dib DecodePage(int page) = 0;
};

struct ImgDocumentFormat {
  const char* type;        // "BMP", "TIF", "DCX", "PCX"
  const char* extensions;  // kind list text, e.g. ".BMP.DIB"
  bool (*sniff)(std::span<const std::uint8_t> head);  // first bytes of the file
  std::unique_ptr<ImgDocument> (*open)(std::shared_ptr<const std::vector<std::uint8_t>> bytes);
};

// Every format the library opens, in the order the first bytes are tried.
const std::vector<ImgDocumentFormat>& ImgDocumentFormats();

// A document of one page already decoded.
class DibDocument : public ImgDocument {
public:
  explicit DibDocument(Dib d) : dib_(std::move(d)) {}
  int PageCount() const override { return 1; }
  Dib DecodePage(int) override { return dib_; }

private:
  Dib dib_;
};

}  // namespace pelira
