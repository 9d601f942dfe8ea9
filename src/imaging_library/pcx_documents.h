#pragma once
// PCX pictures and DCX multipage documents as imaging-library documents. A DCX file is the
// magic number 987654321, a table of up to 1023 page offsets ended by 0, and a PCX picture
// at each offset; a page runs to the next larger offset (or the end of the file), so the
// 8-bit palette trailer sits at the end of its own page.
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "imaging_library/document_formats.h"

namespace pelira {

inline constexpr std::uint32_t kDcxMagic = 987654321;
inline constexpr int kDcxMaxPages = 1023;

struct DcxPage {
  std::size_t offset = 0, size = 0;
};

// The pages of a DCX file in table order. Raises EVistrelError "Invalid DCX file" for a bad
// magic, an empty or unterminated table, or an offset inside the table or past the end.
std::vector<DcxPage> ReadDcxTable(std::span<const std::uint8_t> file);

bool SniffDcx(std::span<const std::uint8_t> head);
bool SniffPcx(std::span<const std::uint8_t> head);
std::unique_ptr<ImgDocument> OpenDcx(std::shared_ptr<const std::vector<std::uint8_t>> bytes);
std::unique_ptr<ImgDocument> OpenPcx(std::shared_ptr<const std::vector<std::uint8_t>> bytes);

}  // namespace pelira
