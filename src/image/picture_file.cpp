#include "image/picture_file.h"

#include <cstring>
#include <exception>
#include <new>
#include <string>

#include "image/bmp_graphic.h"
#include "image/color_depth.h"
#include "image/dib_graphic.h"
#include "image/tiff_graphic.h"

namespace pelira {

namespace {

void Put32(std::uint8_t* p, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<std::uint8_t>(v >> (8 * i));
}

// The bytes SaveWorkingBitmapBmp makes, without making them in memory.
bool WriteBmp(AtomicFileWriter& w, const Dib& bitmap) {
  const BitmapInfoHeader hdr = WorkingBitmapHeader(bitmap);
  const std::size_t entries = bitmap.HasPalette() ? std::size_t{1} << bitmap.BitCount() : 0;
  const std::uint64_t fileSize = 54 + 4 * entries + static_cast<std::uint64_t>(bitmap.ImageSize());
  if (fileSize > 0xFFFFFFFFu) throw EGbmError("gbm_write failed.");
  std::string head(54 + 4 * entries, '\0');
  auto* p = reinterpret_cast<std::uint8_t*>(head.data());
  p[0] = 'B';
  p[1] = 'M';
  Put32(p + 2, static_cast<std::uint32_t>(fileSize));
  Put32(p + 10, static_cast<std::uint32_t>(54 + 4 * entries));
  hdr.WriteTo(p + 14);
  const Palette& colors = bitmap.Colors();
  for (std::size_t i = 0; i < entries && i < colors.size(); ++i) {
    p[54 + 4 * i] = colors[i].blue;
    p[54 + 4 * i + 1] = colors[i].green;
    p[54 + 4 * i + 2] = colors[i].red;
  }
  // Rows are bottom-up and padded to 4 bytes in the bitmap as in the file.
  return w.Write(head) && w.Write(bitmap.Bits(), bitmap.ImageSize());
}

int TiffCompressionOf(int saveType) {
  switch (saveType) {
    case 7: return tcNone;
    case 8: return tcZLib;
    case 9: return tcZLibAdobe;
    case 10: return tcFaxG3_1D;
    case 11: return tcFaxG4;
    default: return tcPackbits;
  }
}

// Lends the bitmap to a TIFF codec and takes it back however the write ends.
void WriteTiff(AtomicFileWriter& w, Dib& bitmap, int compression) {
  TTiffGraphic tiff;
  tiff.AdoptBitmap(std::move(bitmap));
  struct GiveBack {
    TTiffGraphic& from;
    Dib& to;
    ~GiveBack() { to = from.TakeWorkingBitmap(); }
  } giveBack{tiff, bitmap};
  tiff.SetCompression(compression);
  tiff.SaveToDescriptor(w.descriptor());
}

}  // namespace

WriteResult SavePictureFile(const std::filesystem::path& path, Dib& bitmap, int saveType, const SaveOptions& options,
                            const AtomicWriteOptions& writeOptions) {
  const auto failed = [](const std::string& message) { return WriteResult{false, message, message}; };
  try {
    if (saveType == 1 || (saveType >= 7 && saveType <= 12)) {
      AtomicFileWriter w(path, writeOptions);
      if (!w.ok()) return w.Commit();
      if (saveType == 1) WriteBmp(w, bitmap);
      else WriteTiff(w, bitmap, TiffCompressionOf(saveType));
      return w.Commit();
    }
    const SaveWriter writer = SaveWriterFor(saveType);
    if (!writer) return failed("Pictures of save type " + std::to_string(saveType) + " cannot be written by this build");
    // TGA keeps no picture below 8 bits.
    const Bytes bytes = saveType == 6 && bitmap.BitCount() < 8 ? writer(Promote(bitmap, 8), options) : writer(bitmap, options);
    return AtomicWrite(path, bytes.data(), bytes.size(), writeOptions);
  } catch (const std::bad_alloc&) {
    return failed("Not enough memory to save the picture");
  } catch (const std::exception& e) {
    return failed(e.what());
  }
}

}  // namespace pelira
