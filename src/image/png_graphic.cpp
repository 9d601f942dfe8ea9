#include "image/png_graphic.h"

#include <png.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "image/file_bytes.h"
#include "image/pixel_limit.h"

namespace pelira {

namespace {

enum CoreResult { kOk = 0, kFailed = 1 };

// What the libpng callbacks and the cores share. Everything with a destructor lives here,
// in the caller's frame, so that a longjmp out of libpng skips no destructor.
struct PngSession {
  png_structp png = nullptr;
  png_infop info = nullptr;
  bool write = false;
  char message[256] = {};
  // reading: bytes in memory, or a file read a chunk at a time
  const std::uint8_t* data = nullptr;
  const ReadOnlyFile* file = nullptr;
  std::uint64_t size = 0, pos = 0;
  std::vector<std::uint8_t> scratch;      // 2-bit rows
  std::vector<png_bytep> rowPointers;
  // writing
  Bytes* out = nullptr;

  ~PngSession() {
    if (!png) return;
    if (write) png_destroy_write_struct(&png, info ? &info : nullptr);
    else png_destroy_read_struct(&png, info ? &info : nullptr, nullptr);
  }
};

void OnError(png_structp png, png_const_charp msg) {
  PngSession* s = static_cast<PngSession*>(png_get_error_ptr(png));
  std::snprintf(s->message, sizeof s->message, "%s", msg ? msg : "libpng error");
  png_longjmp(png, 1);
}
void OnWarning(png_structp, png_const_charp) {}

void ReadFn(png_structp png, png_bytep out, size_t length) {
  PngSession* s = static_cast<PngSession*>(png_get_io_ptr(png));
  if (length > s->size - s->pos) png_error(png, "Read Error");
  if (s->file) {
    if (s->file->ReadAt(s->pos, out, length) != static_cast<std::int64_t>(length)) png_error(png, "Read Error");
  } else {
    std::memcpy(out, s->data + s->pos, length);
  }
  s->pos += length;
}

bool Append(Bytes& out, const std::uint8_t* d, std::size_t n) noexcept {
  try {
    out.insert(out.end(), d, d + n);
    return true;
  } catch (...) {
    return false;
  }
}
void WriteFn(png_structp png, png_bytep data, size_t length) {
  PngSession* s = static_cast<PngSession*>(png_get_io_ptr(png));
  if (!Append(*s->out, data, length)) png_error(png, "Write Error");
}
void FlushFn(png_structp) {}

constexpr std::uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};

bool IsRamp(const TPaletteRecord& p, int entries, int step) {
  if (p.count != entries) return false;
  for (int i = 0; i < entries; ++i) {
    const RgbQuad& q = p.entries[static_cast<std::size_t>(i)];
    const int v = i * step;
    if (q.red != v || q.green != v || q.blue != v) return false;
  }
  return true;
}

}  // namespace

int PngZlibLevel(int compression) {
  switch (compression) {
    case 0: return 1;
    case 2: return 9;
    default: return 5;
  }
}

// --------------------------------------------------------------------------------------
// Reading

namespace {

struct ReadResult {
  int width = 0, height = 0, bitDepth = 0, colorType = 0, interlace = 0, compression = 0, filter = 0;
};

TImageFormat FormatFor(int bitDepth, int colorType) {
  const auto bad = [] { throw EPNGError("Invalid color type for bit depth"); };
  switch (bitDepth) {
    case 1:
      if (colorType == 0 || colorType == 3) return TImageFormat::BlackWhite;
      bad();
      break;
    case 2:
    case 4:
      if (colorType == 0) return TImageFormat::Gray16;
      if (colorType == 3) return TImageFormat::Color16;
      bad();
      break;
    case 8:
    case 16:
      if (colorType == 0 || colorType == 4) return TImageFormat::Gray256;
      if (colorType == 3 && bitDepth == 8) return TImageFormat::Color256;
      if (colorType == 2 || colorType == 6) return TImageFormat::TrueColor;
      bad();
      break;
    default:
      throw EPNGError("Invalid bit depth");
  }
  return TImageFormat::TrueColor;
}

}  // namespace

// The libpng side of a read. Runs between setjmp and the library; holds no object with a
// destructor (what needs one lives in the session).
struct PngReader {
  static int Run(PngSession& s, TPngGraphic& g, bool headerOnly, ReadResult& r, std::uint32_t background,
                 bool force, TPaletteRecord& pal, TImageFormat& format, int& xDpi, int& yDpi, bool& headerDone) {
    if (setjmp(png_jmpbuf(s.png))) return kFailed;
    png_structp png = s.png;
    png_infop info = s.info;
    png_set_read_fn(png, &s, ReadFn);
    png_set_sig_bytes(png, 8);
    s.pos = 8;
    png_set_user_limits(png, 0x7FFFFFFF, 0x7FFFFFFF);  // sizes are ours to judge
    png_set_chunk_cache_max(png, 1000);
    png_set_chunk_malloc_max(png, 8u << 20);
    png_read_info(png, info);

    png_uint_32 w = 0, h = 0;
    int depth = 0, type = 0, interlace = 0, comp = 0, filter = 0;
    png_get_IHDR(png, info, &w, &h, &depth, &type, &interlace, &comp, &filter);
    r.width = static_cast<int>(w);
    r.height = static_cast<int>(h);
    r.bitDepth = depth;
    r.colorType = type;
    r.interlace = interlace;
    r.compression = comp;
    r.filter = filter;
    headerDone = true;
    format = FormatFor(depth, type);

    // Compositing is a plain blend of the stored values, whatever gAMA the file names.
    png_set_gamma(png, 1.0, 1.0);
    // Transparency goes onto the file's background, or ours. For gray files our colour is
    // given as its luminance, at the file's own bit depth.
    png_color_16p fileBg = nullptr;
    if (png_get_bKGD(png, info, &fileBg) && fileBg && !force) {
      png_set_background(png, fileBg, PNG_BACKGROUND_GAMMA_FILE, 1, 1.0);
    } else {
      const int red = static_cast<int>(background & 255), green = static_cast<int>((background >> 8) & 255),
                blue = static_cast<int>((background >> 16) & 255);
      const int gray = (3 * red + 6 * green + blue) / 10;
      png_color_16 bg{};
      if (depth == 16) {
        bg.red = static_cast<png_uint_16>(red * 257);
        bg.green = static_cast<png_uint_16>(green * 257);
        bg.blue = static_cast<png_uint_16>(blue * 257);
        bg.gray = static_cast<png_uint_16>(gray * 257);
      } else {
        bg.red = static_cast<png_uint_16>(red);
        bg.green = static_cast<png_uint_16>(green);
        bg.blue = static_cast<png_uint_16>(blue);
        bg.gray = static_cast<png_uint_16>(depth < 8 ? gray >> (8 - depth) : gray);
      }
      png_set_background(png, &bg, PNG_BACKGROUND_GAMMA_SCREEN, 0, 1.0);
    }

    png_uint_32 resX = 0, resY = 0;
    int unit = 0;
    xDpi = yDpi = 0;
    if (png_get_pHYs(png, info, &resX, &resY, &unit) && unit == PNG_RESOLUTION_METER) {
      xDpi = DpiFromPpm(resX);
      yDpi = DpiFromPpm(resY);
    }

    if (interlace != PNG_INTERLACE_NONE && interlace != PNG_INTERLACE_ADAM7)
      throw EPNGError("Interlace type not valid");
    if (depth == 16) png_set_strip_16(png);
    if (format == TImageFormat::TrueColor) png_set_bgr(png);
    const int passes = png_set_interlace_handling(png);
    // The header is known now: a probe stops before the library sizes its row buffers, which
    // for a hostile width runs to gigabytes.
    if (headerOnly) return kOk;
    CheckPixelLimit(r.width, r.height, depth == 2 ? 4 : FormatBitCount(format));
    png_read_update_info(png, info);

    pal = TPaletteRecord{};
    if (type == PNG_COLOR_TYPE_PALETTE) {
      png_colorp colors = nullptr;
      int count = 0;
      if (!png_get_PLTE(png, info, &colors, &count) || !colors || count <= 0)
        throw EPNGError("png_get_PLTE failed");
      count = std::min(count, 256);
      pal.count = static_cast<std::uint16_t>(count);
      for (int i = 0; i < count; ++i)
        pal.entries[static_cast<std::size_t>(i)] = RgbQuad{colors[i].blue, colors[i].green, colors[i].red, 0};
    }

    // The rows libpng delivers must be exactly the image's rows: anything else (a transform
    // that expanded a palette, say) would overrun them.
    const int outBits = png_get_bit_depth(png, info) * png_get_channels(png, info);
    const int wantBits = depth == 2 ? 2 : FormatBitCount(format);
    if (outBits != wantBits) throw EPNGError("Invalid PNG file");
    const std::size_t rowBytes = png_get_rowbytes(png, info);
    if (rowBytes != (static_cast<std::uint64_t>(w) * static_cast<std::uint64_t>(outBits) + 7) / 8)
      throw EPNGError("Invalid PNG file");

    const TPaletteRecord* palArg = type == PNG_COLOR_TYPE_PALETTE ? &pal : nullptr;
    if (depth == 2) {
      // Two-bit pixels are read whole and spread to four bits (gray value v as index v x 5).
      g.NewImage(r.width, r.height, format, palArg, xDpi, yDpi);
      s.scratch.resize(rowBytes * h);
      s.rowPointers.resize(h);
      for (png_uint_32 y = 0; y < h; ++y) s.rowPointers[y] = s.scratch.data() + rowBytes * y;
      png_read_image(png, s.rowPointers.data());
      const int mul = type == PNG_COLOR_TYPE_GRAY ? 5 : 1;
      for (png_uint_32 y = 0; y < h; ++y) {
        const std::uint8_t* src = s.rowPointers[y];
        std::uint8_t* dst = g.ScanLine(static_cast<int>(y));
        for (png_uint_32 x = 0; x < w; ++x) {
          const int v = ((src[x >> 2] >> (6 - 2 * (x & 3))) & 3) * mul;
          if (x & 1) dst[x >> 1] = static_cast<std::uint8_t>(dst[x >> 1] | v);
          else dst[x >> 1] = static_cast<std::uint8_t>(v << 4);
        }
      }
      return kOk;
    }
    if (passes > 1) {
      // Later passes fill in pixels around the earlier ones: start from a cleared image.
      g.NewImage(r.width, r.height, format, palArg, xDpi, yDpi);
      for (int pass = 0; pass < passes; ++pass)
        for (png_uint_32 y = 0; y < h; ++y) png_read_row(png, g.ScanLine(static_cast<int>(y)), nullptr);
      return kOk;
    }
    g.AllocateForRead(r.width, r.height, format, palArg, xDpi, yDpi);
    const std::size_t pad = g.Stride() - rowBytes;
    for (png_uint_32 y = 0; y < h; ++y) {
      std::uint8_t* row = g.ScanLine(static_cast<int>(y));
      if (pad) std::memset(row + rowBytes, 0, pad);
      png_read_row(png, row, nullptr);
    }
    return kOk;
  }
};

void TPngGraphic::AllocateForRead(int width, int height, TImageFormat format, const TPaletteRecord* palette,
                                  int xDpi, int yDpi) {
  NewImageForRead(width, height, format, palette, xDpi, yDpi);
}

void TPngGraphic::Read(ByteSpan bytes, bool headerOnly) { ReadFrom(bytes, nullptr, headerOnly); }

void TPngGraphic::ReadFrom(ByteSpan bytes, const ReadOnlyFile* file, bool headerOnly) {
  std::uint8_t head[8] = {};
  const bool signed8 = file ? file->ReadAt(0, head, 8) == 8 : bytes.size() >= 8;
  if (!file && signed8) std::memcpy(head, bytes.data(), 8);
  if (!signed8 || std::memcmp(head, kSignature, 8) != 0) {
    if (!headerOnly) FreeImage();
    throw EPNGError("Invalid PNG file");
  }
  PngSession s;
  s.data = file ? nullptr : bytes.data();
  s.file = file;
  s.size = file ? file->size() : bytes.size();
  s.png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &s, OnError, OnWarning);
  if (!s.png) throw EPNGError("png_create_read_struct failed");
  s.info = png_create_info_struct(s.png);
  if (!s.info) throw EPNGError("png_create_info_struct failed");
  ReadResult r;
  TPaletteRecord pal;
  TImageFormat format = TImageFormat::TrueColor;
  int xDpi = 0, yDpi = 0;
  bool headerDone = false;
  int result = kFailed;
  try {
    result = PngReader::Run(s, *this, headerOnly, r, BackgroundColor, ForceBackground, pal, format, xDpi, yDpi,
                            headerDone);
  } catch (...) {
    if (!headerOnly) FreeImage();
    throw;
  }
  if (headerDone) {
    headerWidth_ = r.width;
    headerHeight_ = r.height;
    bitDepth_ = r.bitDepth;
    headerDepth_ = r.bitDepth * ((r.colorType == 2 || r.colorType == 6) ? 3 : 1);
    colorType_ = r.colorType;
    interlaceType_ = r.interlace;
    compressionType_ = r.compression;
    filterType_ = r.filter;
  }
  if (result != kOk) {
    if (!headerOnly) FreeImage();
    throw EPNGError(s.message);
  }
}

void TPngGraphic::ReadImage(ByteSpan bytes, int) { Read(bytes, false); }

void TPngGraphic::LoadPng(const std::filesystem::path& fileName, bool headerOnly) {
  // Chunk by chunk from the file: whatever follows the picture is never read.
  const ReadOnlyFile file(fileName);
  ReadFrom({}, &file, headerOnly);
}

void TPngGraphic::LoadFromFile(const std::filesystem::path& path) {
  if (multiImage) {
    TDibGraphic::LoadFromFile(path);
    return;
  }
  LoadPng(path, false);
}

THeaderInfo TPngGraphic::ReadHeader(ByteSpan bytes) {
  Read(bytes, true);
  THeaderInfo info;
  info.width = headerWidth_;
  info.height = headerHeight_;
  info.bitsPerPixel = headerDepth_;
  return info;
}

// --------------------------------------------------------------------------------------
// Writing

struct PngWriter {
  static int Run(PngSession& s, const TPngGraphic& g, int bitDepth, int colorType, const png_color* plte,
                 int plteCount, bool interlace, double gamma, int level) {
    if (setjmp(png_jmpbuf(s.png))) return kFailed;
    png_structp png = s.png;
    png_infop info = s.info;
    png_set_write_fn(png, &s, WriteFn, FlushFn);
    const png_uint_32 w = static_cast<png_uint_32>(g.Width()), h = static_cast<png_uint_32>(g.Height());
    png_set_IHDR(png, info, w, h, bitDepth, colorType, interlace ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    if (colorType == PNG_COLOR_TYPE_PALETTE) png_set_PLTE(png, info, plte, plteCount);
    png_set_pHYs(png, info, static_cast<png_uint_32>(PpmFromDpi(g.XDotsPerInch())),
                 static_cast<png_uint_32>(PpmFromDpi(g.YDotsPerInch())), PNG_RESOLUTION_METER);
    png_set_gAMA(png, info, gamma);
    png_set_compression_level(png, level);
    png_write_info(png, info);
    if (g.Format() == TImageFormat::TrueColor) png_set_bgr(png);
    const int passes = png_set_interlace_handling(png);
    for (int pass = 0; pass < passes; ++pass)
      for (png_uint_32 y = 0; y < h; ++y) png_write_row(png, g.ScanLine(static_cast<int>(y)));
    png_write_end(png, info);
    return kOk;
  }
};

void TPngGraphic::SaveToStream(Bytes& stream) {
  if (Empty()) throw EPNGError("Invalid image");
  const TImageFormat f = Format();
  const TPaletteRecord& p = PaletteRecord();
  int bitDepth = 8, colorType = PNG_COLOR_TYPE_RGB;
  switch (f) {
    case TImageFormat::BlackWhite:
      bitDepth = 1;
      colorType = IsRamp(p, 2, 255) ? PNG_COLOR_TYPE_GRAY : PNG_COLOR_TYPE_PALETTE;
      break;
    case TImageFormat::Gray16:
      bitDepth = 4;
      colorType = IsRamp(p, 16, 17) ? PNG_COLOR_TYPE_GRAY : PNG_COLOR_TYPE_PALETTE;
      break;
    case TImageFormat::Gray256:
      colorType = IsRamp(p, 256, 1) ? PNG_COLOR_TYPE_GRAY : PNG_COLOR_TYPE_PALETTE;
      break;
    case TImageFormat::Color16:
      bitDepth = 4;
      colorType = PNG_COLOR_TYPE_PALETTE;
      break;
    case TImageFormat::Color256:
      colorType = PNG_COLOR_TYPE_PALETTE;
      break;
    case TImageFormat::TrueColor:
      break;
  }
  // A palette that every pixel index can find: the image's entries, padded with black when a
  // pixel points past them.
  png_color plte[256] = {};
  int plteCount = 0;
  if (colorType == PNG_COLOR_TYPE_PALETTE) {
    int most = std::max<int>(p.count, 1);
    if (most < (1 << bitDepth)) {
      const std::size_t used = (static_cast<std::size_t>(Width()) * bitDepth + 7) / 8;
      for (int y = 0; y < Height(); ++y) {
        const std::uint8_t* row = ScanLine(y);
        for (std::size_t i = 0; i < used; ++i) {
          const int hi = bitDepth == 8 ? row[i] : bitDepth == 4 ? row[i] >> 4 : row[i] ? 1 : 0;
          most = std::max(most, hi + 1);
        }
      }
      if (bitDepth == 4)  // the low nibble of each byte, the odd pixel past the end excepted
        for (int y = 0; y < Height(); ++y)
          for (int x = 1; x < Width(); x += 2) most = std::max(most, (ScanLine(y)[x >> 1] & 15) + 1);
    }
    plteCount = std::min(most, 1 << bitDepth);
    for (int i = 0; i < p.count && i < plteCount; ++i) {
      const RgbQuad& q = p.entries[static_cast<std::size_t>(i)];
      plte[i] = png_color{q.red, q.green, q.blue};
    }
  }
  Bytes out;
  PngSession s;
  s.write = true;
  s.out = &out;
  s.png = png_create_write_struct(PNG_LIBPNG_VER_STRING, &s, OnError, OnWarning);
  if (!s.png) throw EPNGError("png_create_write_struct failed");
  s.info = png_create_info_struct(s.png);
  if (!s.info) throw EPNGError("png_create_info_struct failed");
  if (PngWriter::Run(s, *this, bitDepth, colorType, plte, plteCount, Interlace, FileGamma, PngZlibLevel(Compression)) !=
      kOk)
    throw EPNGError(s.message);
  stream.insert(stream.end(), out.begin(), out.end());
}

}  // namespace pelira
