#include "image/tiff_graphic.h"

#include <tiffio.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <vector>

#include "common/parallel_for.h"
#include "image/file_bytes.h"
#include "image/pixel_limit.h"
#include "image/tiff_io.h"

namespace pelira {

namespace {

struct CompressionRow {
  const char* name;
  int tag;
  int rowsPerStrip;
  bool blackWhiteOnly;
};
const CompressionRow kCompressions[] = {
    {"None", COMPRESSION_NONE, 16, false},
    {"Packbits", COMPRESSION_PACKBITS, 16, false},
    {"Fax Group 3, 1D", COMPRESSION_CCITTFAX3, 256, true},
    {"Fax Group 3, 2D", COMPRESSION_CCITTFAX3, 256, true},
    {"Fax Group 4", COMPRESSION_CCITTFAX4, 256, true},
    {"ZLib", COMPRESSION_DEFLATE, 16, false},
    {"JPEG", COMPRESSION_JPEG, 8, false},
    {"ZLib Adobe", COMPRESSION_ADOBE_DEFLATE, 16, false},
};

bool IsFaxTag(int tag) {
  return tag == COMPRESSION_CCITTRLE || tag == COMPRESSION_CCITTFAX3 || tag == COMPRESSION_CCITTFAX4 ||
         tag == COMPRESSION_CCITTRLEW;
}

[[noreturn]] void Fail(const char* step) { throw ETiffError(std::string("TTiffGraphic ") + step); }

// Resolution in dots per inch: inches as they are, centimetres times 2.54. A value without
// a unit says nothing about size, so it gives the screen's resolution.
int DpiOf(float value, int unit) {
  if (!std::isfinite(value) || value <= 0) return 0;
  double dpi = unit == RESUNIT_INCH ? value : unit == RESUNIT_CENTIMETER ? value * 2.54 : 0.0;
  if (dpi > 65535) dpi = 65535;
  return static_cast<int>(std::lround(dpi));
}

bool IsRamp(const TPaletteRecord& p, int entries, int step) {
  if (p.count != entries) return false;
  for (int i = 0; i < entries; ++i) {
    const RgbQuad& q = p.entries[static_cast<std::size_t>(i)];
    const int v = i * step;
    if (q.red != v || q.green != v || q.blue != v) return false;
  }
  return true;
}

int Luminance(const RgbQuad& q) { return 3 * q.red + 6 * q.green + q.blue; }

}  // namespace

const char* TiffCompressionName(int compression) {
  return compression >= 0 && compression <= 7 ? kCompressions[compression].name : "";
}

const char* TiffCompressionTagName(int tag) {
  switch (tag) {
    case 1: return "None";
    case 2: return "CCITT Huffman RLE";
    case 3: return "Fax Group 3";
    case 4: return "Fax Group 4";
    case 5: return "LZW (unsupported)";
    case 7: return "JPEG";
    case 8: return "ZLib Adobe";
    case 32771: return "CCITT Aligned RLE ";
    case 32773: return "Packbits";
    case 32946: return "Deflate";
    default: return "Unknown";
  }
}

void TTiffGraphic::NewImage(int width, int height, TImageFormat format, const TPaletteRecord* palette, int xDpi,
                            int yDpi) {
  TDibGraphic::NewImage(width, height, format, palette, xDpi, yDpi);
  compression_ = format == TImageFormat::BlackWhite ? tcFaxG4 : tcPackbits;
}

void TTiffGraphic::SetCompression(int compression) {
  if (compression < 0 || compression > 7) throw ETiffError("Invalid compression");
  const CompressionRow& row = kCompressions[compression];
  if (compression == tcJPEG || (row.blackWhiteOnly && Format() != TImageFormat::BlackWhite)) {
    char buf[160];
    std::snprintf(buf, sizeof buf, "%s compression not supported with %s images", row.name,
                  FormatDisplayText(Format()));
    throw ETiffError(buf);
  }
  compression_ = compression;
}

// --------------------------------------------------------------------------------------
// Reading

void TTiffGraphic::LoadTiff(const std::filesystem::path& fileName, int page) {
  const ReadOnlyFile file(fileName);
  Read(TiffSource{{}, &file}, page);
}

void TTiffGraphic::LoadFromFile(const std::filesystem::path& path) {
  if (multiImage) {
    TDibGraphic::LoadFromFile(path);
    return;
  }
  LoadTiff(path, imageIndex);
}

THeaderInfo TTiffGraphic::ReadFileHeader(const std::filesystem::path& path) {
  const ReadOnlyFile file(path);
  return ReadHeaderFrom(TiffSource{{}, &file});
}

void TTiffGraphic::ReadImage(ByteSpan bytes, int index) { Read(TiffSource{bytes, nullptr}, index); }

int TTiffGraphic::GetImageCount(ByteSpan bytes) {
  TiffHandle h = TiffHandle::OpenRead(bytes);
  if (!h) Fail("TIFFOpen");
  return TiffDirectoryCount(h.get());
}

THeaderInfo TTiffGraphic::ReadHeader(ByteSpan bytes) { return ReadHeaderFrom(TiffSource{bytes, nullptr}); }

THeaderInfo TTiffGraphic::ReadHeaderFrom(const TiffSource& source) {
  Read(source, -1);
  THeaderInfo info;
  info.width = headerWidth_;
  info.height = headerHeight_;
  info.bitsPerPixel = headerDepth_;
  info.compression = compressionTag_;
  info.pageCount = headerPages_;
  return info;
}

void TTiffGraphic::Read(const TiffSource& source, int page) {
  const bool headerOnly = page == -1;
  if (!headerOnly) FreeImage();
  TiffHandle h = TiffHandle::OpenRead(source);
  if (!h) Fail("TIFFOpen");
  TIFF* tif = h.get();
  headerWidth_ = headerHeight_ = headerDepth_ = 0;
  if (headerOnly) headerPages_ = TiffDirectoryCount(tif);

  std::uint32_t width = 0, height = 0;
  const int dir = headerOnly ? 0 : page - 1;
  if (dir < 0 || !TIFFSetDirectory(tif, static_cast<tdir_t>(dir))) {
    if (headerOnly) return;
    Fail("TIFFSetDirectory");
  }
  if (!TIFFGetField(tif, TIFFTAG_IMAGEWIDTH, &width) || !TIFFGetField(tif, TIFFTAG_IMAGELENGTH, &height) ||
      width == 0 || height == 0 || width > 0x7FFFFFFF || height > 0x7FFFFFFF) {
    if (headerOnly) return;
    Fail("TIFFGetField");
  }
  headerWidth_ = static_cast<int>(width);
  headerHeight_ = static_cast<int>(height);

  std::uint16_t photometric = 0, compression = 1, bps = 1, spp = 1, planar = 1, unit = RESUNIT_INCH;
  if (!TIFFGetField(tif, TIFFTAG_PHOTOMETRIC, &photometric)) photometric = 0;
  TIFFGetFieldDefaulted(tif, TIFFTAG_COMPRESSION, &compression);
  compressionTag_ = compression;
  const bool fax = IsFaxTag(compression);
  if (!TIFFGetField(tif, TIFFTAG_BITSPERSAMPLE, &bps)) {
    if (!fax) Fail("BitsPerSample");
    bps = 1;
  }
  TIFFGetFieldDefaulted(tif, TIFFTAG_SAMPLESPERPIXEL, &spp);
  TIFFGetFieldDefaulted(tif, TIFFTAG_PLANARCONFIG, &planar);
  TIFFGetFieldDefaulted(tif, TIFFTAG_RESOLUTIONUNIT, &unit);
  float xres = 0, yres = 0;
  const int xDpi = TIFFGetField(tif, TIFFTAG_XRESOLUTION, &xres) ? DpiOf(xres, unit) : 0;
  const int yDpi = TIFFGetField(tif, TIFFTAG_YRESOLUTION, &yres) ? DpiOf(yres, unit) : 0;

  if (compression == COMPRESSION_LZW) throw EVistrelError("LZW not supported");

  // Straight strip reads only for the layouts whose rows are the image's rows (one sample
  // of 1, 4 or 8 bits, or 8-bit RGB/RGBA); everything else goes through the RGBA reader.
  const bool plainGray = spp == 1 && (bps == 1 || bps == 4 || bps == 8) &&
                         (photometric == PHOTOMETRIC_MINISWHITE || photometric == PHOTOMETRIC_MINISBLACK ||
                          photometric == PHOTOMETRIC_PALETTE);
  const bool plainRgb = bps == 8 && (spp == 3 || spp == 4) && photometric == PHOTOMETRIC_RGB;
  const bool rgba = compression == COMPRESSION_JPEG || compression == COMPRESSION_OJPEG || TIFFIsTiled(tif) ||
                    photometric == PHOTOMETRIC_SEPARATED || photometric == PHOTOMETRIC_YCBCR || bps > 8 ||
                    planar > 1 || !(plainGray || plainRgb) || (fax && !(bps == 1 && spp == 1));

  const std::uint64_t scanline = static_cast<std::uint64_t>(TIFFScanlineSize64(tif));
  if (scanline == 0) Fail("TIFFScanlineSize");
  std::uint64_t bytesPerPixel = (scanline + width / 2) / width;
  if (bytesPerPixel == 0) bytesPerPixel = 1;
  std::uint64_t depth64 = std::min<std::uint64_t>(static_cast<std::uint64_t>(bps) * bytesPerPixel, 24);
  // The RGBA reader makes colour pictures 24-bit whatever the stored layout (a subsampled
  // YCbCr scanline says nothing about the pixel size).
  const bool oneSample = spp == 1 && (photometric == PHOTOMETRIC_MINISWHITE ||
                                      photometric == PHOTOMETRIC_MINISBLACK || photometric == PHOTOMETRIC_PALETTE);
  if (rgba && !oneSample) depth64 = 24;
  const int depth = static_cast<int>(depth64);
  headerDepth_ = depth;
  if (depth != 1 && depth != 4 && depth != 8 && depth != 24)
    throw EVistrelError("Unsupported bit count: " + std::to_string(depth));

  // A fax page's Photometric is taken as it stands: libtiff's fax decoder hands back the
  // bits in that sense, so a min-is-black fax file is not turned round.

  TImageFormat format = TImageFormat::TrueColor;
  const TPaletteRecord* palette = nullptr;
  TPaletteRecord colorMap;
  bool invert = false;
  const bool gray = photometric == PHOTOMETRIC_MINISWHITE || photometric == PHOTOMETRIC_MINISBLACK;
  if (gray && (depth == 1 || depth == 4 || depth == 8)) {
    format = depth == 1 ? TImageFormat::BlackWhite : depth == 4 ? TImageFormat::Gray16 : TImageFormat::Gray256;
    // The RGBA reader has already turned min-is-white round.
    invert = photometric == PHOTOMETRIC_MINISWHITE && !rgba;
  } else if (photometric == PHOTOMETRIC_PALETTE && bps <= 8 && depth <= 8) {
    format = depth == 1 ? TImageFormat::BlackWhite : depth < 5 ? TImageFormat::Color16 : TImageFormat::Color256;
    std::uint16_t *r = nullptr, *g = nullptr, *b = nullptr;
    if (!TIFFGetField(tif, TIFFTAG_COLORMAP, &r, &g, &b) || !r || !g || !b) Fail("ColorMap");
    const int n = 1 << bps;
    bool wide = false;
    for (int i = 0; i < n; ++i) wide = wide || r[i] > 255 || g[i] > 255 || b[i] > 255;
    // 16-bit entries give their high byte, as libtiff's own reader takes them: writers
    // scale by 256 or 257, and both come back as the value written.
    const auto v = [wide](std::uint16_t x) { return static_cast<std::uint8_t>(wide ? x >> 8 : x & 255u); };
    colorMap.count = static_cast<std::uint16_t>(std::min(n, 1 << FormatBitCount(format)));
    for (int i = 0; i < colorMap.count; ++i) colorMap.entries[static_cast<std::size_t>(i)] = RgbQuad{v(b[i]), v(g[i]), v(r[i]), 0};
    palette = &colorMap;
  }

  int property = 0;
  switch (compression) {
    case COMPRESSION_NONE: property = tcNone; break;
    case COMPRESSION_CCITTRLE:
    case COMPRESSION_CCITTRLEW: property = tcFaxG3_1D; break;
    case COMPRESSION_CCITTFAX3: {
      std::uint32_t options = 0;
      TIFFGetField(tif, TIFFTAG_GROUP3OPTIONS, &options);
      property = (options & 1) ? tcFaxG3_2D : tcFaxG3_1D;
      break;
    }
    case COMPRESSION_CCITTFAX4: property = tcFaxG4; break;
    case COMPRESSION_JPEG: property = tcJPEG; break;
    case COMPRESSION_ADOBE_DEFLATE:
    case COMPRESSION_DEFLATE: property = headerOnly && compression == COMPRESSION_ADOBE_DEFLATE ? tcZLibAdobe : tcZLib; break;
    case COMPRESSION_PACKBITS: property = tcPackbits; break;
    default:
      if (headerOnly) break;
      char buf[64];
      std::snprintf(buf, sizeof buf, "Unsupported compression tag, %d", compression);
      throw ETiffError(buf);
  }
  if (headerOnly) {
    compression_ = property;
    return;
  }

  CheckPixelLimit(width, height, FormatBitCount(format));
  CheckStripsHoldThePage(tif, source.size());
  NewImageForRead(headerWidth_, headerHeight_, format, palette, xDpi, yDpi);
  const std::size_t stride = Stride();
  const std::size_t rowBytes = (static_cast<std::size_t>(width) * FormatBitCount(format) + 7) / 8;
  try {
    if (rgba) {
      const bool rampGray = format == TImageFormat::Gray256;
      const bool ok = ReadRgbaRows(tif, width, height, [&](std::uint32_t row, const std::uint32_t* src) {
        const int y = static_cast<int>(row);
        std::uint8_t* dst = ScanLine(y);
        if (format == TImageFormat::TrueColor) {
          for (std::uint32_t x = 0; x < width; ++x) {
            dst[3 * x] = static_cast<std::uint8_t>(TIFFGetB(src[x]));
            dst[3 * x + 1] = static_cast<std::uint8_t>(TIFFGetG(src[x]));
            dst[3 * x + 2] = static_cast<std::uint8_t>(TIFFGetR(src[x]));
          }
          std::memset(dst + rowBytes, 0, stride - rowBytes);
          return;
        }
        std::memset(dst, 0, stride);
        for (std::uint32_t x = 0; x < width; ++x) {
          const int red = TIFFGetR(src[x]), green = TIFFGetG(src[x]), blue = TIFFGetB(src[x]);
          if (rampGray && red == green && green == blue) dst[x] = static_cast<std::uint8_t>(red);
          else SetPixels(static_cast<int>(x), y, MakeColor(red, green, blue));
        }
      });
      if (!ok) Fail("TIFFReadRGBAImage");
    } else {
      const std::size_t bpp = static_cast<std::size_t>(bytesPerPixel);
      // One row of the file into row y of the picture.
      const auto putRow = [&](std::uint32_t y, const std::uint8_t* src) {
        std::uint8_t* dst = ScanLine(static_cast<int>(y));
        if (bpp == 3 || bpp == 4) {
          for (std::uint32_t x = 0; x < width; ++x) {
            dst[3 * x] = src[bpp * x + 2];
            dst[3 * x + 1] = src[bpp * x + 1];
            dst[3 * x + 2] = src[bpp * x];
          }
          std::memset(dst + rowBytes, 0, stride - rowBytes);
        } else {
          const std::size_t k = std::min<std::size_t>(scanline, stride);
          std::memcpy(dst, src, k);
          std::memset(dst + k, 0, stride - k);
        }
      };
      std::uint32_t rps = 0;
      TIFFGetFieldDefaulted(tif, TIFFTAG_ROWSPERSTRIP, &rps);
      if (rps == 0 || rps > height) rps = height;
      const tmsize_t stripSize = TIFFStripSize(tif);
      if (stripSize <= 0) Fail("TIFFStripSize");
      // Fax pages, and pages whose strips are too tall to hold decoded beside the picture
      // (a scan in one strip), are read a scanline at a time.
      constexpr tmsize_t kMaxStripBuffer = tmsize_t{16} << 20;
      if (fax || stripSize > kMaxStripBuffer) {
        std::vector<std::uint8_t> buf(scanline);
        for (std::uint32_t y = 0; y < height; ++y) {
          if (TIFFReadScanline(tif, buf.data(), y, 0) < 0) Fail("TIFFReadScanline");
          putRow(y, buf.data());
        }
      } else {
        const int strips = static_cast<int>((static_cast<std::uint64_t>(height) + rps - 1) / rps);
        // Strips decode independently: each band of them gets its own libtiff handle on the
        // same bytes and writes only its own rows.
        const auto band = [&](int first, int last) {
          TiffHandle own;
          TIFF* t = tif;
          if (first != 0) {
            own = TiffHandle::OpenRead(source);
            if (!own || !TIFFSetDirectory(own.get(), static_cast<tdir_t>(dir))) Fail("TIFFOpen");
            t = own.get();
          }
          std::vector<std::uint8_t> buf(static_cast<std::size_t>(stripSize));
          for (int strip = first; strip < last; ++strip) {
            const tmsize_t got = TIFFReadEncodedStrip(t, static_cast<tstrip_t>(strip), buf.data(), stripSize);
            if (got < 0) Fail("TIFFReadEncodedStrip");
            const std::uint32_t top = static_cast<std::uint32_t>(strip) * rps;
            const std::uint32_t n = std::min(rps, height - top);
            for (std::uint32_t r = 0; r < n; ++r) {
              const std::uint64_t at = static_cast<std::uint64_t>(r) * scanline;
              if (at + scanline > static_cast<std::uint64_t>(got)) {
                std::memset(ScanLine(static_cast<int>(top + r)), 0, stride);  // a short strip: the rest stays black
                continue;
              }
              putRow(top + r, buf.data() + at);
            }
          }
        };
        // Only compressed strips are worth a second handle.
        const bool split = compression != COMPRESSION_NONE;
        ParallelRows(strips, band, split ? 0 : 1, static_cast<std::int64_t>(rps) * width, 1 << 20);
      }
    }
  } catch (...) {
    FreeImage();
    throw;
  }
  if (invert)
    for (int y = 0; y < Height(); ++y) {
      std::uint8_t* p = ScanLine(y);
      for (std::size_t i = 0; i < rowBytes; ++i) p[i] = static_cast<std::uint8_t>(~p[i]);
    }
  compression_ = property;
}

// --------------------------------------------------------------------------------------
// Writing

void TTiffGraphic::SaveToStream(Bytes& stream) { Write(stream, false); }

void TTiffGraphic::AppendImage(Bytes& stream) { Write(stream, !stream.empty()); }

void TTiffGraphic::Write(Bytes& stream, bool append) {
  if (Empty()) throw ETiffError("TTiffGraphic Invalid image");
  // Into a copy: a failed write leaves the caller's stream as it was.
  Bytes out = append ? stream : Bytes{};
  TiffHandle h = TiffHandle::OpenWrite(out, append);
  WritePage(h);
  stream.swap(out);
}

void TTiffGraphic::SaveToDescriptor(int fd) {
  if (Empty()) throw ETiffError("TTiffGraphic Invalid image");
  TiffHandle h = TiffHandle::OpenWrite(fd);
  WritePage(h);
}

void TTiffGraphic::WritePage(TiffHandle& h) {
  SetCompression(compression_);  // the format may have changed since it was set
  const CompressionRow& c = kCompressions[compression_];
  const bool fax = c.blackWhiteOnly;
  const TImageFormat f = Format();
  const TPaletteRecord& pal = PaletteRecord();

  int bits = FormatBitCount(f), spp = 1, photometric = PHOTOMETRIC_PALETTE;
  bool invertRows = false, colorMap = false;
  switch (f) {
    case TImageFormat::BlackWhite: {
      // Which entry is the dark one decides the bits; two colours that are not black and
      // white keep their colours through a ColorMap.
      const RgbQuad e0 = pal.count > 0 ? pal.entries[0] : RgbQuad{0, 0, 0, 0};
      const RgbQuad e1 = pal.count > 1 ? pal.entries[1] : RgbQuad{255, 255, 255, 0};
      const bool zeroDark = Luminance(e0) <= Luminance(e1);
      const RgbQuad black{0, 0, 0, 0}, white{255, 255, 255, 0};
      const bool plain = (e0 == black && e1 == white) || (e0 == white && e1 == black);
      if (fax) {
        photometric = PHOTOMETRIC_MINISWHITE;
        invertRows = zeroDark;
      } else if (plain) {
        photometric = zeroDark ? PHOTOMETRIC_MINISBLACK : PHOTOMETRIC_MINISWHITE;
      } else {
        colorMap = true;
      }
      break;
    }
    case TImageFormat::Gray16:
      colorMap = !IsRamp(pal, 16, 17);
      photometric = colorMap ? PHOTOMETRIC_PALETTE : PHOTOMETRIC_MINISBLACK;
      break;
    case TImageFormat::Gray256:
      colorMap = !IsRamp(pal, 256, 1);
      photometric = colorMap ? PHOTOMETRIC_PALETTE : PHOTOMETRIC_MINISBLACK;
      break;
    case TImageFormat::Color16:
    case TImageFormat::Color256:
      colorMap = true;
      break;
    case TImageFormat::TrueColor:
      bits = 8;
      spp = 3;
      photometric = PHOTOMETRIC_RGB;
      break;
  }
  if (colorMap) photometric = PHOTOMETRIC_PALETTE;

  if (!h) Fail("TIFFOpen");
  TIFF* tif = h.get();
  const std::uint32_t w = static_cast<std::uint32_t>(Width()), hgt = static_cast<std::uint32_t>(Height());
  TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, w);
  TIFFSetField(tif, TIFFTAG_IMAGELENGTH, hgt);
  TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, static_cast<std::uint16_t>(bits));
  TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, static_cast<std::uint16_t>(spp));
  TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, static_cast<std::uint16_t>(photometric));
  TIFFSetField(tif, TIFFTAG_COMPRESSION, static_cast<std::uint16_t>(c.tag));
  if (compression_ == tcFaxG3_1D || compression_ == tcFaxG3_2D)
    TIFFSetField(tif, TIFFTAG_GROUP3OPTIONS, static_cast<std::uint32_t>(compression_ == tcFaxG3_2D ? 1 : 0));
  TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, static_cast<std::uint32_t>(c.rowsPerStrip));
  TIFFSetField(tif, TIFFTAG_PLANARCONFIG, static_cast<std::uint16_t>(PLANARCONFIG_CONTIG));
  TIFFSetField(tif, TIFFTAG_SOFTWARE, "Vistrel Image Library");
  char stamp[32];
  const std::time_t now = std::time(nullptr);
  std::tm tm{};
  localtime_r(&now, &tm);
  std::strftime(stamp, sizeof stamp, "%Y:%m:%d %H:%M:%S", &tm);
  TIFFSetField(tif, TIFFTAG_DATETIME, stamp);
  TIFFSetField(tif, TIFFTAG_RESOLUTIONUNIT, static_cast<std::uint16_t>(RESUNIT_INCH));
  TIFFSetField(tif, TIFFTAG_XRESOLUTION, static_cast<float>(XDotsPerInch()));
  TIFFSetField(tif, TIFFTAG_YRESOLUTION, static_cast<float>(YDotsPerInch()));
  if (colorMap) {
    // value x 257: 255 becomes 65535, which every reader turns back into 255.
    const std::size_t n = std::size_t(1) << bits;
    std::vector<std::uint16_t> r(n, 0), g(n, 0), b(n, 0);
    for (std::size_t i = 0; i < n && i < pal.count; ++i) {
      r[i] = static_cast<std::uint16_t>(pal.entries[i].red * 257);
      g[i] = static_cast<std::uint16_t>(pal.entries[i].green * 257);
      b[i] = static_cast<std::uint16_t>(pal.entries[i].blue * 257);
    }
    TIFFSetField(tif, TIFFTAG_COLORMAP, r.data(), g.data(), b.data());
  }

  const std::size_t rowBytes = (static_cast<std::size_t>(w) * (bits * spp) + 7) / 8;
  std::vector<std::uint8_t> row(rowBytes);
  for (std::uint32_t y = 0; y < hgt; ++y) {
    const std::uint8_t* src = ScanLine(static_cast<int>(y));
    if (f == TImageFormat::TrueColor) {
      for (std::uint32_t x = 0; x < w; ++x) {
        row[3 * x] = src[3 * x + 2];
        row[3 * x + 1] = src[3 * x + 1];
        row[3 * x + 2] = src[3 * x];
      }
    } else if (invertRows) {
      for (std::size_t i = 0; i < rowBytes; ++i) row[i] = static_cast<std::uint8_t>(~src[i]);
    } else {
      std::memcpy(row.data(), src, rowBytes);
    }
    if (TIFFWriteScanline(tif, row.data(), y, 0) < 0) Fail("TIFFWriteScanLine");
  }
  if (!TIFFWriteDirectory(tif) || !h.Close()) Fail("TIFFClose");
}

}  // namespace pelira
