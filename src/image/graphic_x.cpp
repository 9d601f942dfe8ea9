#include "image/graphic_x.h"

#include <algorithm>

#include "image/file_bytes.h"

namespace pelira {

bool TGraphicX::CanLoad(const std::filesystem::path& fileName) const {
  // The signatures sit in the first bytes; a short prefix also shows a short file.
  try {
    return CanLoad(ReadFilePrefix(fileName, 64));
  } catch (const EVistrelError&) {
    return false;
  }
}

bool TGraphicX::ReadImageInfo(ByteSpan) {
  info_ = TImageInfo{};
  info_.fileGamma = 1.0f;
  return false;
}

void TGraphicX::LoadFromFile(const std::filesystem::path& fileName) { LoadFromStream(ReadFileBytes(fileName)); }

void TGraphicX::Assign(const TGraphicX& source) {
  if (&source == this) return;
  bitmap_ = source.bitmap_;
  alpha_ = source.alpha_;
  info_ = source.info_;
}

THeaderInfo TGraphicXCodec::ReadHeader(ByteSpan bytes) {
  const std::unique_ptr<TGraphicX> reader = make_();
  if (!reader->CanLoad(bytes) || !reader->ReadImageInfo(bytes)) throw EInvalidGraphic("Invalid image format");
  const TImageInfo& r = reader->ImageInfo();
  THeaderInfo h;
  h.width = static_cast<int>(std::min<std::uint32_t>(r.width, 0x7FFFFFFF));
  h.height = static_cast<int>(std::min<std::uint32_t>(r.height, 0x7FFFFFFF));
  h.bitsPerPixel = r.bitsPerPixel;
  return h;
}

void TGraphicXCodec::ReadImage(ByteSpan bytes, int) {
  FreeImage();
  alpha_.clear();
  const std::unique_ptr<TGraphicX> reader = make_();
  if (!reader->CanLoad(bytes)) throw EInvalidGraphic("Invalid image format");
  reader->LoadFromStream(bytes);
  if (reader->Bitmap().Empty()) throw EInvalidGraphic("Invalid image format");
  alpha_ = reader->Alpha();
  AdoptBitmap(reader->TakeBitmap());
}

}  // namespace pelira
