#include "image/tga_graphic.h"

#include <algorithm>
#include <cstring>

#include "common/errors.h"
#include "image/byte_cursor.h"
#include "image/file_bytes.h"

namespace pelira {

namespace {

[[noreturn]] void HeaderFailed() { throw EGbmError("gbm_read_header failed."); }
[[noreturn]] void DataFailed() { throw EGbmError("gbm_read_data failed."); }
[[noreturn]] void WriteFailed() { throw EGbmError("gbm_write failed."); }

// Writes decoded pixels into the image row by row, in file order, converting each file
// pixel to the image's layout; whatever lies past the last pixel is dropped.
class PixelSink {
public:
  PixelSink(TDibGraphic& g, int bytesPerPixel, bool topDown)
      : g_(g), bpp_(bytesPerPixel), outBpp_(bytesPerPixel == 1 ? 1 : 3), topDown_(topDown),
        width_(g.Width()), height_(g.Height()) {
    NextRow();
  }

  bool Full() const { return row_ >= height_; }

  // Copies up to n file pixels from src; returns how many were taken.
  std::size_t Literal(const std::uint8_t* src, std::size_t n) {
    std::size_t done = 0;
    while (done < n && !Full()) {
      const std::size_t k = std::min<std::size_t>(n - done, static_cast<std::size_t>(width_ - x_));
      Convert(src + done * static_cast<std::size_t>(bpp_), out_ + static_cast<std::size_t>(x_) * outBpp_, k);
      Advance(k);
      done += k;
    }
    return done;
  }

  // Writes one file pixel n times.
  void Repeat(const std::uint8_t* src, std::size_t n) {
    std::uint8_t px[3];
    Convert(src, px, 1);
    while (n && !Full()) {
      const std::size_t k = std::min<std::size_t>(n, static_cast<std::size_t>(width_ - x_));
      std::uint8_t* o = out_ + static_cast<std::size_t>(x_) * outBpp_;
      if (outBpp_ == 1) {
        std::memset(o, px[0], k);
      } else {
        for (std::size_t i = 0; i < k; ++i, o += 3) {
          o[0] = px[0];
          o[1] = px[1];
          o[2] = px[2];
        }
      }
      Advance(k);
      n -= k;
    }
  }

private:
  void Convert(const std::uint8_t* s, std::uint8_t* o, std::size_t n) const {
    switch (bpp_) {
      case 1:
      case 3:
        std::memcpy(o, s, n * static_cast<std::size_t>(bpp_));
        break;
      case 4:
        for (std::size_t i = 0; i < n; ++i, s += 4, o += 3) {
          o[0] = s[0];
          o[1] = s[1];
          o[2] = s[2];
        }
        break;
      case 2:
        // 5-5-5 components times 8, so 31 reads as 248; the top bit is not colour.
        for (std::size_t i = 0; i < n; ++i, s += 2, o += 3) {
          const unsigned v = static_cast<unsigned>(s[0] | (s[1] << 8));
          o[0] = static_cast<std::uint8_t>((v & 31) * 8);
          o[1] = static_cast<std::uint8_t>(((v >> 5) & 31) * 8);
          o[2] = static_cast<std::uint8_t>(((v >> 10) & 31) * 8);
        }
        break;
    }
  }

  void Advance(std::size_t k) {
    x_ += static_cast<int>(k);
    if (x_ >= width_) {
      // Row padding is part of the buffer: keep it 0.
      const std::size_t used = static_cast<std::size_t>(width_) * outBpp_;
      if (used < g_.Stride()) std::memset(out_ + used, 0, g_.Stride() - used);
      ++row_;
      x_ = 0;
      NextRow();
    }
  }

  void NextRow() {
    if (Full()) return;
    out_ = g_.ScanLine(topDown_ ? row_ : height_ - 1 - row_);
  }

  TDibGraphic& g_;
  int bpp_;
  std::size_t outBpp_;
  bool topDown_;
  int width_, height_;
  int row_ = 0, x_ = 0;
  std::uint8_t* out_ = nullptr;
};

}  // namespace

std::uint64_t TgaHeader::DataOffset() const {
  std::uint64_t at = kTgaHeaderSize + static_cast<std::uint64_t>(idLength);
  if (colorMapType == 1) {
    const std::uint64_t entry = mapEntrySize == 15 ? 16 : static_cast<std::uint64_t>(mapEntrySize);
    at += static_cast<std::uint64_t>(mapLength) * entry / 8;
  }
  return at;
}

int ParseTgaHeader(ByteSpan file, TgaHeader& h) {
  if (file.size() < kTgaHeaderSize) return 7;
  ByteCursor c(file);
  h.idLength = c.U8();
  h.colorMapType = c.U8();
  h.imageType = c.U8();
  h.mapFirst = c.U16LE();
  h.mapLength = c.U16LE();
  h.mapEntrySize = c.U8();
  c.U16LE();
  c.U16LE();
  h.width = c.U16LE();
  h.height = c.U16LE();
  h.bitsPerPixel = c.U8();
  h.descriptor = c.U8();
  const int bpp = h.bitsPerPixel;
  if (bpp != 8 && bpp != 16 && bpp != 24 && bpp != 32) return 400;
  switch (h.imageType) {
    case 1:
    case 9:
      if (bpp != 8) return 401;
      if (h.colorMapType != 1) return 403;
      if (h.mapEntrySize != 24) return 402;
      break;
    case 2:
    case 10:
      if (bpp == 8) return 401;
      break;
    case 3:
    case 11:
      if (bpp != 8) return 401;
      break;
    default:
      return 401;
  }
  if (h.colorMapType > 1) return 403;
  if (h.width < 1 || h.height < 1) return 6;
  return 0;
}

void TTgaGraphic::ReadImage(ByteSpan f, int index) {
  if (index > 1) HeaderFailed();
  TgaHeader h;
  if (ParseTgaHeader(f, h) != 0) HeaderFailed();
  const std::uint64_t dataAt = h.DataOffset();
  if (dataAt > f.size()) HeaderFailed();

  TImageFormat format = TImageFormat::TrueColor;
  TPaletteRecord pal;
  if (h.imageType == 1 || h.imageType == 9) {
    format = TImageFormat::Color256;
    pal.count = 256;
    // Entries past 255 are dropped; the whole map is still passed over (DataOffset).
    const std::size_t mapAt = kTgaHeaderSize + static_cast<std::size_t>(h.idLength);
    for (int i = 0; i < h.mapLength && h.mapFirst + i < 256; ++i) {
      const std::uint8_t* e = f.data() + mapAt + 3 * static_cast<std::size_t>(i);
      pal.entries[static_cast<std::size_t>(h.mapFirst + i)] = RgbQuad{e[0], e[1], e[2], 0};
    }
  } else if (h.imageType == 3 || h.imageType == 11) {
    format = TImageFormat::Color256;
    pal = TPaletteRecord::From(Gray256Palette());
  }
  NewImageForRead(h.width, h.height, format, format == TImageFormat::TrueColor ? nullptr : &pal, 0, 0);
  try {
    const std::size_t bpp = static_cast<std::size_t>(h.bitsPerPixel / 8);
    const ByteSpan data = f.subspan(static_cast<std::size_t>(dataAt));
    PixelSink sink(*this, static_cast<int>(bpp), h.TopDown());
    if (!h.RunLength()) {
      const std::uint64_t need = static_cast<std::uint64_t>(h.width) * static_cast<std::uint64_t>(h.height) * bpp;
      if (need > data.size()) DataFailed();
      sink.Literal(data.data(), static_cast<std::size_t>(need / bpp));
    } else {
      std::size_t p = 0;
      while (!sink.Full()) {
        if (p >= data.size()) DataFailed();
        const unsigned packet = data[p++];
        const std::size_t n = (packet & 127u) + 1;
        if (packet & 128u) {
          if (data.size() - p < bpp) DataFailed();
          sink.Repeat(data.data() + p, n);
          p += bpp;
        } else {
          // A literal packet may hold more pixels than the image has left; only those count.
          if ((data.size() - p) / bpp < n) {
            const std::size_t have = (data.size() - p) / bpp;
            sink.Literal(data.data() + p, have);
            if (!sink.Full()) DataFailed();
            break;
          }
          sink.Literal(data.data() + p, n);
          p += n * bpp;
        }
      }
    }
  } catch (...) {
    FreeImage();
    throw;
  }
}

void TTgaGraphic::SaveToStream(Bytes& stream) {
  const TImageFormat f = Format();
  if (Empty()) WriteFailed();
  if (f != TImageFormat::Gray256 && f != TImageFormat::Color256 && f != TImageFormat::TrueColor)
    throw ETgaError("TGA image must have 256 colors or true color");
  const int w = Width(), hgt = Height();
  if (w > 65535 || hgt > 65535) WriteFailed();
  const bool mapped = f != TImageFormat::TrueColor;
  const std::size_t bpp = mapped ? 1 : 3;
  Bytes out;
  out.reserve(kTgaHeaderSize + (mapped ? 768 : 0) + static_cast<std::size_t>(w) * bpp * static_cast<std::size_t>(hgt));
  const std::uint8_t hdr[kTgaHeaderSize] = {
      0,
      static_cast<std::uint8_t>(mapped ? 1 : 0),
      static_cast<std::uint8_t>(mapped ? 1 : 2),
      0, 0,
      static_cast<std::uint8_t>(mapped ? 0 : 0), static_cast<std::uint8_t>(mapped ? 1 : 0),  // 256
      static_cast<std::uint8_t>(mapped ? 24 : 0),
      0, 0, 0, 0,
      static_cast<std::uint8_t>(w), static_cast<std::uint8_t>(w >> 8),
      static_cast<std::uint8_t>(hgt), static_cast<std::uint8_t>(hgt >> 8),
      static_cast<std::uint8_t>(mapped ? 8 : 24),
      0};
  out.insert(out.end(), hdr, hdr + kTgaHeaderSize);
  if (mapped) {
    const TPaletteRecord& pal = PaletteRecord();
    for (int i = 0; i < 256; ++i) {
      const RgbQuad q = i < pal.count ? pal.entries[static_cast<std::size_t>(i)] : RgbQuad{};
      out.push_back(q.blue);
      out.push_back(q.green);
      out.push_back(q.red);
    }
  }
  // The buffer is bottom-up already: rows go out in storage order, without padding.
  const std::size_t rowBytes = static_cast<std::size_t>(w) * bpp;
  for (int r = 0; r < hgt; ++r) {
    const std::uint8_t* row = Bits() + static_cast<std::size_t>(r) * Stride();
    out.insert(out.end(), row, row + rowBytes);
  }
  stream.insert(stream.end(), out.begin(), out.end());
}

THeaderInfo TTgaGraphic::ReadHeader(ByteSpan bytes) {
  TgaHeader h;
  if (ParseTgaHeader(bytes, h) != 0) HeaderFailed();
  THeaderInfo info;
  info.width = h.width;
  info.height = h.height;
  info.bitsPerPixel = h.bitsPerPixel;
  info.compression = h.RunLength() ? 1 : 0;
  return info;
}

void TTgaGraphic::ReadTgaHeader(const std::filesystem::path& fileName) {
  Bytes prefix;
  try {
    prefix = ReadFilePrefix(fileName, kTgaHeaderSize);
  } catch (const EVistrelError&) {
    HeaderFailed();
  }
  const THeaderInfo info = ReadHeader(prefix);
  headerWidth_ = info.width;
  headerHeight_ = info.height;
  headerBits_ = info.bitsPerPixel;
}

}  // namespace pelira
