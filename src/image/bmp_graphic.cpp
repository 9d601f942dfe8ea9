#include "image/bmp_graphic.h"

#include <cstring>

#include "common/errors.h"
#include "image/bmp_reader.h"
#include "image/file_bytes.h"
#include "image/pixel_limit.h"

namespace pelira {

namespace {

void Put32(Bytes& b, std::size_t at, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(v >> (8 * i));
}

Bytes WriteBmp(const BitmapInfoHeader& header, const Palette& table, const std::uint8_t* pixels,
               std::size_t imageSize) {
  const std::size_t paletteBytes = 4 * table.size();
  const std::uint64_t fileSize = 54 + paletteBytes + static_cast<std::uint64_t>(imageSize);
  if (fileSize > 0xFFFFFFFFu) throw EGbmError("gbm_write failed.");
  Bytes out(static_cast<std::size_t>(fileSize));
  out[0] = 'B';
  out[1] = 'M';
  Put32(out, 2, static_cast<std::uint32_t>(fileSize));
  Put32(out, 10, static_cast<std::uint32_t>(54 + paletteBytes));
  header.WriteTo(out.data() + 14);
  for (std::size_t i = 0; i < table.size(); ++i) {
    out[54 + 4 * i] = table[i].blue;
    out[54 + 4 * i + 1] = table[i].green;
    out[54 + 4 * i + 2] = table[i].red;
    out[54 + 4 * i + 3] = 0;
  }
  if (imageSize) std::memcpy(out.data() + 54 + paletteBytes, pixels, imageSize);
  return out;
}

[[noreturn]] void HeaderFailed() { throw EGbmError("gbm_read_header failed."); }

}  // namespace

void TBmpGraphic::ReadWithFrame(ByteSpan f, int index) {
  BmpHeader h;
  if (ParseBmpHeader(f, h, true) != 0) HeaderFailed();
  // The frame knows no top-down rows: such files go to the full reader.
  if (h.width < 0 || h.height < 0) HeaderFailed();
  if (h.planes != 1) HeaderFailed();
  const int bits = h.bitCount;
  if (bits != 1 && bits != 4 && bits != 8 && bits != 24) HeaderFailed();
  if (index > 1) HeaderFailed();
  const std::uint32_t comp = h.cbFix == 12 ? 0 : h.compression;
  if (comp > 2 || (comp == 1 && bits != 8) || (comp == 2 && bits != 4)) HeaderFailed();

  TImageFormat format = TImageFormat::TrueColor;
  TPaletteRecord pal;
  if (bits != 24) {
    format = bits == 1 ? TImageFormat::BlackWhite : bits == 4 ? TImageFormat::Color16 : TImageFormat::Color256;
    const std::uint32_t full = 1u << bits;
    std::uint32_t count = full;
    int entrySize = 3;
    if (h.cbFix != 12) {
      entrySize = 4;
      if (h.cbFix > 32 && h.clrUsed != 0) count = std::min(h.clrUsed, full);
    }
    const std::uint64_t at = static_cast<std::uint64_t>(h.base) + 14 + h.cbFix;
    if (at + static_cast<std::uint64_t>(count) * entrySize > f.size()) HeaderFailed();
    pal.count = static_cast<std::uint16_t>(full);
    for (std::uint32_t i = 0; i < count; ++i) {
      const std::size_t o = static_cast<std::size_t>(at + static_cast<std::uint64_t>(i) * entrySize);
      pal.entries[i] = RgbQuad{f[o], f[o + 1], f[o + 2], 0};
    }
  }
  const std::uint64_t start = static_cast<std::uint64_t>(h.base) + h.offBits;
  const std::uint64_t stride = RowStride(static_cast<std::uint64_t>(h.width), bits);
  if (start > f.size()) throw EGbmError("gbm_read_data failed.");
  if (comp == 0 && start + stride * static_cast<std::uint64_t>(h.height) > f.size())
    throw EGbmError("gbm_read_data failed.");
  if (comp != 0 && h.sizeImage != 0 && start + h.sizeImage > f.size())
    throw EGbmError("gbm_read_data failed.");

  const int w = static_cast<int>(h.width), hh = static_cast<int>(h.height);
  const TPaletteRecord* palArg = bits == 24 ? nullptr : &pal;
  if (comp == 0) {
    NewImageForRead(w, hh, format, palArg, 0, 0);
    std::memcpy(Bits(), f.data() + start, ImageSize());
    return;
  }
  NewImage(w, hh, format, palArg, 0, 0);
  const std::uint64_t len = h.sizeImage ? h.sizeImage : f.size() - start;
  const ByteSpan data = f.subspan(static_cast<std::size_t>(start), static_cast<std::size_t>(len));
  const bool complete = comp == 1 ? DecodeRle8(data, Bits(), Stride(), w, hh)
                                  : DecodeRle4(data, Bits(), Stride(), w, hh);
  if (!complete) {
    FreeImage();
    throw EGbmError("gbm_read_data failed.");
  }
}

void TBmpGraphic::ReadImage(ByteSpan bytes, int index) {
  usedPlatformReader_ = false;
  try {
    ReadWithFrame(bytes, index);
  } catch (const std::exception&) {
    const Dib d = ReadBmpFile(bytes);
    ImportBitmapHandle(d);
    usedPlatformReader_ = true;
  }
  // Only a header that holds the resolution sets it (OS/2 and short headers keep the
  // screen's); a negative value counts as 0.
  BmpHeader h;
  if (ParseBmpHeader(bytes, h, false) == 0 && h.hasPpm) {
    SetXDotsPerInch(h.xPelsPerMeter < 0 ? 0 : DpiFromPpm(h.xPelsPerMeter));
    SetYDotsPerInch(h.yPelsPerMeter < 0 ? 0 : DpiFromPpm(h.yPelsPerMeter));
  }
}

void TBmpGraphic::LoadFromFile(const std::filesystem::path& path) {
  if (!multiImage && imageIndex == 1 && !Animate()) {
    Bytes head;
    try {
      head = ReadFilePrefix(path, 4096);
    } catch (const std::exception&) {
      head.clear();
    }
    BmpHeader h;
    const bool frameReads = head.size() == 4096 && ParseBmpHeader(head, h, true) == 0 && h.width > 0 &&
                            h.height > 0 && h.planes == 1 && h.cbFix != 12 && h.compression == 0 &&
                            (h.bitCount == 1 || h.bitCount == 4 || h.bitCount == 8 || h.bitCount == 24);
    if (frameReads) {
      Dib d;
      try {
        d = ReadBmpPath(path);
      } catch (const std::exception&) {
        d.Clear();
      }
      if (!d.Empty() && d.BitCount() == h.bitCount) {
        usedPlatformReader_ = false;
        const std::int32_t xppm = d.xPelsPerMeter, yppm = d.yPelsPerMeter;
        AdoptBitmap(std::move(d));
        // Screen resolution unless the header holds one; a negative value counts as 0.
        SetXDotsPerInch(h.hasPpm ? (xppm < 0 ? 0 : DpiFromPpm(xppm)) : ScreenDpi());
        SetYDotsPerInch(h.hasPpm ? (yppm < 0 ? 0 : DpiFromPpm(yppm)) : ScreenDpi());
        return;
      }
    }
  }
  TDibGraphic::LoadFromFile(path);
}

void TBmpGraphic::SaveToStream(Bytes& stream) {
  if (Empty()) throw EGbmError("gbm_write failed.");
  BitmapInfoHeader hdr = Header();
  hdr.size = 40;
  hdr.planes = 1;
  hdr.compression = 0;
  hdr.sizeImage = static_cast<std::uint32_t>(ImageSize());
  hdr.clrImportant = 0;
  Palette table;
  if (Format() != TImageFormat::TrueColor) table = PaletteRecord().ToPalette();
  hdr.clrUsed = static_cast<std::uint32_t>(table.size());
  const Bytes out = WriteBmp(hdr, table, Bits(), ImageSize());
  stream.insert(stream.end(), out.begin(), out.end());
}

THeaderInfo TBmpGraphic::ReadHeader(ByteSpan bytes) {
  BmpHeader h;
  bool ok = ParseBmpHeader(bytes, h, true) == 0 && h.planes == 1 &&
            (h.bitCount == 1 || h.bitCount == 4 || h.bitCount == 8 || h.bitCount == 24);
  // Headers the frame does not know (V4/V5, 16/32 bits) are read as the full reader would.
  if (!ok) ok = ParseBmpHeader(bytes, h, false) == 0 && h.planes == 1;
  if (!ok || h.width <= 0) HeaderFailed();
  THeaderInfo info;
  info.width = static_cast<int>(h.width);
  info.height = static_cast<int>(h.height < 0 ? -h.height : h.height);
  info.bitsPerPixel = h.bitCount;
  info.planes = h.planes;
  info.compression = static_cast<int>(h.compression);
  return info;
}

void TBmpGraphic::ReadBmpHeader(const std::filesystem::path& fileName) {
  Bytes prefix;
  try {
    prefix = ReadFilePrefix(fileName, kBmpHeaderPrefix);
  } catch (const EVistrelError&) {
    HeaderFailed();
  }
  const THeaderInfo info = ReadHeader(prefix);
  headerWidth_ = info.width;
  headerHeight_ = info.height;
  headerBits_ = info.bitsPerPixel;
  usedPlatformReader_ = false;
}

BitmapInfoHeader WorkingBitmapHeader(const Dib& bitmap) {
  if (bitmap.Empty()) throw EGbmError("gbm_write failed.");
  BitmapInfoHeader hdr;
  hdr.width = bitmap.Width();
  hdr.height = bitmap.Height();
  hdr.bitCount = static_cast<std::uint16_t>(bitmap.BitCount());
  hdr.sizeImage = static_cast<std::uint32_t>(bitmap.ImageSize());
  hdr.xPelsPerMeter = bitmap.xPelsPerMeter;
  hdr.yPelsPerMeter = bitmap.yPelsPerMeter;
  return hdr;
}

Bytes SaveWorkingBitmapBmp(const Dib& bitmap) {
  const BitmapInfoHeader hdr = WorkingBitmapHeader(bitmap);
  Palette table;
  if (bitmap.HasPalette()) {
    table = bitmap.Colors();
    table.resize(std::size_t{1} << bitmap.BitCount());
  }
  return WriteBmp(hdr, table, bitmap.Bits(), bitmap.ImageSize());
}

}  // namespace pelira
