#include "image/tiff_io.h"

#include "common/errors.h"
#include "image/file_bytes.h"
#include "image/pixel_limit.h"

#include <tiffio.h>
#include <unistd.h>

#include <cerrno>

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>

namespace pelira {

struct TiffHandle::Stream {
  // reading
  const std::uint8_t* data = nullptr;
  const ReadOnlyFile* file = nullptr;
  std::uint64_t size = 0;
  // writing, into memory or into a file
  Bytes* out = nullptr;
  int fd = -1;
  std::uint64_t fdSize = 0;
  std::uint64_t pos = 0;
  bool failed = false;
  std::string message;
};

namespace {

std::uint64_t SizeOf(const TiffHandle::Stream* s) { return s->out ? s->out->size() : s->fd >= 0 ? s->fdSize : s->size; }

// No single libtiff allocation beyond this; our own pixel limit covers the image itself.
constexpr tmsize_t kMaxSingleAlloc = tmsize_t(1) << 30;

int OnMessage(TIFF*, void* user, const char* module, const char* fmt, va_list ap) {
  auto* s = static_cast<TiffHandle::Stream*>(user);
  char buf[512];
  std::vsnprintf(buf, sizeof buf, fmt, ap);
  s->message = module && *module ? std::string(module) + ": " + buf : std::string(buf);
  return 1;  // handled: libtiff prints nothing
}
int OnWarning(TIFF*, void*, const char*, const char*, va_list) { return 1; }

tmsize_t ReadProc(thandle_t h, void* buf, tmsize_t n) {
  auto* s = static_cast<TiffHandle::Stream*>(h);
  if (n <= 0) return 0;
  const std::uint64_t size = SizeOf(s);
  if (s->pos >= size) return 0;
  const std::uint64_t k = std::min<std::uint64_t>(static_cast<std::uint64_t>(n), size - s->pos);
  if (s->fd >= 0) {
    const ssize_t got = ::pread(s->fd, buf, static_cast<std::size_t>(k), static_cast<off_t>(s->pos));
    if (got < 0) return -1;
    s->pos += static_cast<std::uint64_t>(got);
    return static_cast<tmsize_t>(got);
  }
  if (s->file && !s->out) {
    const std::int64_t got = s->file->ReadAt(s->pos, buf, static_cast<std::size_t>(k));
    if (got < 0) return -1;
    s->pos += static_cast<std::uint64_t>(got);
    return static_cast<tmsize_t>(got);
  }
  std::memcpy(buf, (s->out ? s->out->data() : s->data) + s->pos, k);
  s->pos += k;
  return static_cast<tmsize_t>(k);
}

tmsize_t WriteProc(thandle_t h, void* buf, tmsize_t n) {
  auto* s = static_cast<TiffHandle::Stream*>(h);
  if (s->fd >= 0 && n >= 0) {
    const auto* p = static_cast<const std::uint8_t*>(buf);
    std::size_t done = 0;
    while (done < static_cast<std::size_t>(n)) {
      const ssize_t w = ::pwrite(s->fd, p + done, static_cast<std::size_t>(n) - done, static_cast<off_t>(s->pos + done));
      if (w < 0 && errno == EINTR) continue;
      if (w <= 0) {
        s->failed = true;
        return -1;
      }
      done += static_cast<std::size_t>(w);
    }
    s->pos += done;
    s->fdSize = std::max(s->fdSize, s->pos);
    return n;
  }
  if (!s->out || n < 0) return -1;
  const std::uint64_t end = s->pos + static_cast<std::uint64_t>(n);
  try {
    if (end > s->out->size()) s->out->resize(end);
  } catch (...) {
    s->failed = true;
    return -1;
  }
  std::memcpy(s->out->data() + s->pos, buf, static_cast<std::size_t>(n));
  s->pos = end;
  return n;
}

toff_t SeekProc(thandle_t h, toff_t off, int whence) {
  auto* s = static_cast<TiffHandle::Stream*>(h);
  const std::uint64_t size = SizeOf(s);
  std::uint64_t base = whence == SEEK_CUR ? s->pos : whence == SEEK_END ? size : 0;
  const std::uint64_t to = base + off;
  if (to < base && static_cast<std::int64_t>(off) >= 0) return static_cast<toff_t>(-1);
  // Seeking past the end is allowed while writing (the gap is filled by the next write).
  if (!s->out && s->fd < 0 && to > size) s->pos = size;
  else s->pos = to;
  return s->pos;
}

int CloseProc(thandle_t) { return 0; }

toff_t SizeProc(thandle_t h) {
  return SizeOf(static_cast<TiffHandle::Stream*>(h));
}

// Reading maps the bytes: libtiff then decodes strips straight from them.
int MapProc(thandle_t h, void** base, toff_t* size) {
  auto* s = static_cast<TiffHandle::Stream*>(h);
  if (s->out || s->file || s->fd >= 0) return 0;  // a file is read in place, strip by strip
  *base = const_cast<std::uint8_t*>(s->data);
  *size = s->size;
  return 1;
}
void UnmapProc(thandle_t, void*, toff_t) {}

TIFF* Open(TiffHandle::Stream* s, const char* mode) {
  TIFFOpenOptions* opts = TIFFOpenOptionsAlloc();
  if (!opts) return nullptr;
  TIFFOpenOptionsSetMaxSingleMemAlloc(opts, kMaxSingleAlloc);
  TIFFOpenOptionsSetErrorHandlerExtR(opts, &OnMessage, s);
  TIFFOpenOptionsSetWarningHandlerExtR(opts, &OnWarning, s);
  TIFF* tif = TIFFClientOpenExt("memory", mode, static_cast<thandle_t>(s), ReadProc, WriteProc, SeekProc,
                                CloseProc, SizeProc, MapProc, UnmapProc, opts);
  TIFFOpenOptionsFree(opts);
  return tif;
}

}  // namespace

std::uint64_t TiffSource::size() const { return file ? file->size() : bytes.size(); }

TiffHandle TiffHandle::OpenRead(ByteSpan bytes) { return OpenRead(TiffSource{bytes, nullptr}); }

TiffHandle TiffHandle::OpenRead(const TiffSource& source) {
  TiffHandle h;
  h.stream_ = std::make_unique<Stream>();
  h.stream_->data = source.file ? nullptr : source.bytes.data();
  h.stream_->file = source.file;
  h.stream_->size = source.size();
  h.tif_ = Open(h.stream_.get(), "r");
  return h;
}

TiffHandle TiffHandle::OpenWrite(Bytes& out, bool append) {
  TiffHandle h;
  h.stream_ = std::make_unique<Stream>();
  h.stream_->out = &out;
  if (!append || out.empty()) {
    out.clear();
    h.tif_ = Open(h.stream_.get(), "w");
  } else {
    h.tif_ = Open(h.stream_.get(), "a");
  }
  return h;
}

TiffHandle TiffHandle::OpenWrite(int fd) {
  TiffHandle h;
  h.stream_ = std::make_unique<Stream>();
  h.stream_->fd = fd;
  h.tif_ = Open(h.stream_.get(), "w");
  return h;
}

TiffHandle::TiffHandle() = default;
TiffHandle::TiffHandle(TiffHandle&& o) noexcept : stream_(std::move(o.stream_)), tif_(o.tif_) { o.tif_ = nullptr; }
TiffHandle& TiffHandle::operator=(TiffHandle&& o) noexcept {
  if (this != &o) {
    Close();
    stream_ = std::move(o.stream_);
    tif_ = o.tif_;
    o.tif_ = nullptr;
  }
  return *this;
}
TiffHandle::~TiffHandle() { Close(); }

bool TiffHandle::Close() {
  if (!tif_) return true;
  // TIFFClose has no result: a failed directory write shows as an error message or a
  // failed write.
  const std::string before = stream_ ? stream_->message : std::string();
  TIFFClose(tif_);
  tif_ = nullptr;
  return stream_ && !stream_->failed && stream_->message == before;
}

std::string TiffHandle::Message() const { return stream_ ? stream_->message : std::string(); }

int TiffDirectoryCount(TIFF* tif) {
  if (!tif) return 0;
  const tdir_t n = TIFFNumberOfDirectories(tif);
  return static_cast<int>(std::min<tdir_t>(n, 65535));
}

std::string TiffErrorText(TIFF* tif) {
  if (!tif) return {};
  const auto* s = static_cast<const TiffHandle::Stream*>(TIFFClientdata(tif));
  return s ? s->message : std::string();
}

namespace {

// Raw bytes per encoded byte that a compression can reach at best; 0 when unknown (only the
// strip's place in the file is checked then).
std::uint64_t BestRatio(std::uint16_t compression) {
  switch (compression) {
    case COMPRESSION_NONE: return 1;
    case COMPRESSION_PACKBITS: return 64;  // 128 equal bytes in 2
    case COMPRESSION_ADOBE_DEFLATE:
    case COMPRESSION_DEFLATE: return 1100;  // deflate's limit is about 1032:1
    case COMPRESSION_LZW: return 4096;
    default: return 0;
  }
}

}  // namespace

void CheckStripsHoldThePage(TIFF* tif, std::uint64_t fileSize) {
  std::uint16_t compression = COMPRESSION_NONE;
  std::uint32_t height = 0;
  TIFFGetFieldDefaulted(tif, TIFFTAG_COMPRESSION, &compression);
  TIFFGetField(tif, TIFFTAG_IMAGELENGTH, &height);
  const bool tiled = TIFFIsTiled(tif);
  const std::uint32_t count = tiled ? TIFFNumberOfTiles(tif) : TIFFNumberOfStrips(tif);
  if (count == 0) throw ETiffError("TIFF page without data");
  const bool fax = compression == COMPRESSION_CCITTRLE || compression == COMPRESSION_CCITTRLEW ||
                   compression == COMPRESSION_CCITTFAX3 || compression == COMPRESSION_CCITTFAX4;
  const std::uint64_t ratio = BestRatio(compression);
  std::uint32_t rps = 0;
  if (!tiled) {
    TIFFGetFieldDefaulted(tif, TIFFTAG_ROWSPERSTRIP, &rps);
    if (rps == 0 || rps > height) rps = height;
  }
  const std::uint64_t stripsPerPlane = rps ? (static_cast<std::uint64_t>(height) + rps - 1) / rps : 1;
  const std::uint64_t tileBytes = tiled ? static_cast<std::uint64_t>(TIFFTileSize64(tif)) : 0;
  std::uint32_t tileRows = 0;
  if (tiled) TIFFGetField(tif, TIFFTAG_TILELENGTH, &tileRows);
  for (std::uint32_t i = 0; i < count; ++i) {
    int err = 0;
    const std::uint64_t offset = TIFFGetStrileOffsetWithErr(tif, i, &err);
    const std::uint64_t bytes = err ? 0 : TIFFGetStrileByteCountWithErr(tif, i, &err);
    const std::string what = std::string(tiled ? "TIFF tile " : "TIFF strip ") + std::to_string(i + 1);
    if (err || bytes == 0 || offset > fileSize || bytes > fileSize - offset)
      throw ETiffError(what + " lies outside the file");
    // What the strile decodes to: its rows (the last strip of a plane has fewer) times the
    // row size.
    std::uint64_t rows = tiled ? tileRows : rps;
    std::uint64_t raw = tileBytes;
    if (!tiled) {
      const std::uint64_t top = (i % stripsPerPlane) * rps;
      rows = top < height ? std::min<std::uint64_t>(rps, height - top) : 0;
      raw = static_cast<std::uint64_t>(TIFFVStripSize64(tif, static_cast<std::uint32_t>(rows)));
    }
    std::uint64_t need = 0;
    if (fax) need = (rows + 7) / 8;  // at least one bit a row
    else if (ratio) need = (raw + ratio - 1) / ratio;
    if (bytes < need)
      throw ETiffError(what + " is too short for its rows (" + std::to_string(bytes) + " bytes, at least " +
                       std::to_string(need) + " needed)");
  }
}

bool ReadRgbaRows(TIFF* tif, std::uint32_t width, std::uint32_t height,
                  const std::function<void(std::uint32_t y, const std::uint32_t* pixels)>& row) {
  char emsg[1024] = "";
  TIFFRGBAImage img{};
  if (!TIFFRGBAImageOK(tif, emsg) || !TIFFRGBAImageBegin(&img, tif, 0, emsg)) return false;
  struct End {
    TIFFRGBAImage* img;
    ~End() { TIFFRGBAImageEnd(img); }
  } end{&img};
  img.req_orientation = ORIENTATION_TOPLEFT;
  std::uint32_t band = 0;
  if (TIFFIsTiled(tif)) TIFFGetField(tif, TIFFTAG_TILELENGTH, &band);
  else TIFFGetFieldDefaulted(tif, TIFFTAG_ROWSPERSTRIP, &band);
  band = std::clamp<std::uint32_t>(band, std::min<std::uint32_t>(16, height), height);
  // A band of whole strips is decoded once; a tall strip is cut into bands of at most
  // kMaxBandBytes (each re-decodes its strip, the price of not holding it at 32 bits a pixel).
  constexpr std::uint64_t kMaxBandBytes = std::uint64_t{16} << 20;
  const std::uint64_t rowBytes = static_cast<std::uint64_t>(width) * 4;
  const std::uint64_t maxRows = std::max<std::uint64_t>(1, kMaxBandBytes / std::max<std::uint64_t>(rowBytes, 1));
  if (band > maxRows) band = static_cast<std::uint32_t>(maxRows);
  CheckPixelLimit(width, band, 32);
  std::vector<std::uint32_t> raster(static_cast<std::size_t>(width) * band);
  for (std::uint32_t top = 0; top < height; top += band) {
    const std::uint32_t n = std::min(band, height - top);
    img.row_offset = static_cast<int>(top);
    img.col_offset = 0;
    std::fill(raster.begin(), raster.end(), 0u);
    if (!TIFFRGBAImageGet(&img, raster.data(), width, n)) {
      const std::string m = TiffErrorText(tif);
      throw ETiffError(m.empty() ? std::string("TIFF data cannot be read") : m);
    }
    for (std::uint32_t r = 0; r < n; ++r) row(top + r, raster.data() + static_cast<std::size_t>(r) * width);
  }
  return true;
}

}  // namespace pelira
