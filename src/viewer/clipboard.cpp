#include "viewer/clipboard.h"

namespace pelira {

ClipboardData MemoryClipboard::Get() {
  if (picture_) {
    ClipboardData d;
    d.format = ClipboardFormat::PackedDib;
    d.picture = picture_;
    return d;
  }
  return data_;
}

bool MemoryClipboard::Set(std::shared_ptr<const Dib> picture) {
  Clear();
  if (refusing_ || !picture || picture->Empty()) return false;
  picture_ = std::move(picture);
  return true;
}

void MemoryClipboard::Clear() {
  picture_.reset();
  data_ = {};
}

void MemoryClipboard::SetBytes(ClipboardFormat format, std::vector<std::uint8_t> bytes) {
  Clear();
  data_.format = format;
  data_.bytes = std::move(bytes);
}

}  // namespace pelira
