#pragma once
// TIFF documents of the imaging library: every page of any TIFF libtiff reads, LZW and fax
// pages included. 1-bit pages stay 1-bit (black, white), palette pages keep their ColorMap,
// gray pages become 8-bit gray and everything else 24-bit.
#include <memory>
#include <span>
#include <vector>

#include "imaging_library/document_formats.h"

namespace pelira {

bool SniffTiff(std::span<const std::uint8_t> head);
// Raises EVistrelError when the bytes are not a TIFF.
std::unique_ptr<ImgDocument> OpenTiffDocument(std::shared_ptr<const std::vector<std::uint8_t>> bytes);

}  // namespace pelira
