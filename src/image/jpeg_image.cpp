#include "image/jpeg_image.h"

#include <algorithm>
#include <atomic>
#include <climits>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

extern "C" {
#include <jerror.h>
#include <jpeglib.h>
}

#include "image/file_bytes.h"
#include "image/pixel_limit.h"

namespace pelira {

namespace {

std::atomic<int> g_lastJpegError{0};

// A hostile progressive file can hold thousands of tiny scans; real files have a dozen.
constexpr int kMaxScans = 1000;
constexpr int kBatchRows = 16;
constexpr const char* kWebAddress = "https://pelira.example/";

// The error manager: error_exit jumps back to the frame that armed `jump`; nothing with a
// destructor lives between that frame and the library.
struct JpegErr {
  jpeg_error_mgr pub;
  std::jmp_buf jump;
  char firstWarning[JMSG_LENGTH_MAX];  // the library's words for the first warning, or ""
};

void OnError(j_common_ptr c) {
  JpegErr* e = reinterpret_cast<JpegErr*>(c->err);
  std::longjmp(e->jump, 1);
}
// Warnings (level -1) do not stop the decode; the first is kept for the caller to report.
void OnMessage(j_common_ptr c, int level) {
  if (level >= 0) return;
  JpegErr* e = reinterpret_cast<JpegErr*>(c->err);
  if (e->pub.num_warnings++ == 0) (*e->pub.format_message)(c, e->firstWarning);
}
void OnOutput(j_common_ptr) {}

void InitErr(JpegErr& e) {
  jpeg_std_error(&e.pub);
  e.firstWarning[0] = '\0';
  e.pub.error_exit = OnError;
  e.pub.emit_message = OnMessage;
  e.pub.output_message = OnOutput;
}

void OnProgress(j_common_ptr c) {
  if (!c->is_decompressor) return;
  if (reinterpret_cast<j_decompress_ptr>(c)->input_scan_number > kMaxScans)
    ERREXIT(c, JERR_BAD_PROGRESSION);
}

long MemoryLimit() {
  const std::uint64_t most = MaxImageBytes() + (64u << 20);
  return most > static_cast<std::uint64_t>(LONG_MAX) ? LONG_MAX : static_cast<long>(most);
}

[[noreturn]] void ThrowJpeg(int code) {
  g_lastJpegError.store(code);
  throw EJPEG("JPEG error #" + std::to_string(code));
}

enum CoreResult { kOk = 0, kFailed = 1, kCancelled = 2 };

// ------------------------------------------------------------------------------------
// Header

struct HeaderInfo {
  int width = 0, height = 0;
  bool gray = false, multiScan = false;
};

struct DecodeSession {
  jpeg_decompress_struct cinfo{};
  JpegErr err{};
  jpeg_progress_mgr progress{};
  bool created = false;
  DecodeSession() { InitErr(err); cinfo.err = &err.pub; }
  ~DecodeSession() {
    if (created) jpeg_destroy_decompress(&cinfo);
  }
  DecodeSession(const DecodeSession&) = delete;
  DecodeSession& operator=(const DecodeSession&) = delete;
  int Code() const { return err.pub.msg_code; }
};

// Creates the decompressor on the data and reads the header. Called only from the cores
// below, after they armed the jump.
void OpenDecoder(DecodeSession& s, const std::uint8_t* data, std::size_t size) {
  jpeg_create_decompress(&s.cinfo);
  s.created = true;
  s.cinfo.mem->max_memory_to_use = MemoryLimit();
  s.progress.progress_monitor = OnProgress;
  s.cinfo.progress = &s.progress;
  const unsigned long len = size > ULONG_MAX ? ULONG_MAX : static_cast<unsigned long>(size);
  jpeg_mem_src(&s.cinfo, data, len);
  jpeg_read_header(&s.cinfo, TRUE);
}

int ReadHeaderCore(DecodeSession& s, const std::uint8_t* data, std::size_t size, HeaderInfo* out) {
  if (setjmp(s.err.jump)) return kFailed;
  OpenDecoder(s, data, size);
  out->width = static_cast<int>(s.cinfo.image_width);
  out->height = static_cast<int>(s.cinfo.image_height);
  out->gray = s.cinfo.jpeg_color_space == JCS_GRAYSCALE;
  out->multiScan = jpeg_has_multiple_scans(&s.cinfo) != 0;
  return kOk;
}

// ------------------------------------------------------------------------------------
// Decoding

// Where decoded rows go. Prepare and SetColormap may throw (the pixel limit); they run in
// our own frames, never inside the library.
class RowSink {
public:
  virtual ~RowSink() = default;
  // components: 1 (gray or colour index) or 3 (blue, green, red).
  virtual void Prepare(int width, int height, int components) = 0;
  virtual void SetColormap(const Palette& colors) = 0;
  // Row pointers for up to `want` rows starting at output row y; returns how many.
  virtual int Rows(int y, int want, JSAMPROW* rows) = 0;
  // After rows [y, y + count) arrived; false cancels.
  virtual bool Done(int y, int count) = 0;
};

struct Setup {
  int scale = 0;
  bool smoothing = false;
  bool gray = false;
  bool eightBit = false;
  bool bestSpeed = true;
  bool buffered = false;
  int dither = 2;
};

int ReadOnePass(DecodeSession& s, RowSink& sink) {
  jpeg_decompress_struct& c = s.cinfo;
  JSAMPROW rows[kBatchRows];
  const int h = static_cast<int>(c.output_height);
  while (static_cast<int>(c.output_scanline) < h) {
    const int y = static_cast<int>(c.output_scanline);
    const int n = sink.Rows(y, std::min(kBatchRows, h - y), rows);
    const int got = static_cast<int>(jpeg_read_scanlines(&c, rows, static_cast<JDIMENSION>(n)));
    if (!sink.Done(y, got)) return kCancelled;
  }
  return kOk;
}

int DecodeCore(DecodeSession& s, const std::uint8_t* data, std::size_t size, const Setup& set,
               RowSink& sink) {
  if (setjmp(s.err.jump)) return kFailed;
  OpenDecoder(s, data, size);
  jpeg_decompress_struct& c = s.cinfo;
  c.scale_num = 1;
  c.scale_denom = 1u << set.scale;
  c.do_block_smoothing = set.smoothing ? TRUE : FALSE;
  c.dct_method = set.bestSpeed ? JDCT_IFAST : JDCT_ISLOW;
  const bool grayOut = set.gray || c.jpeg_color_space == JCS_GRAYSCALE;
  const bool quantize = !grayOut && set.eightBit;
  if (grayOut) {
    c.out_color_space = JCS_GRAYSCALE;
  } else if (quantize) {
    c.out_color_space = JCS_RGB;
    c.quantize_colors = TRUE;
    c.desired_number_of_colors = 236;
    c.two_pass_quantize = set.bestSpeed ? FALSE : TRUE;
    c.dither_mode = set.dither == 0 ? JDITHER_ORDERED : set.dither == 2 ? JDITHER_NONE : JDITHER_FS;
  } else {
    c.out_color_space = JCS_EXT_BGR;
  }
  c.buffered_image = (set.buffered && jpeg_has_multiple_scans(&c)) ? TRUE : FALSE;
  jpeg_calc_output_dimensions(&c);
  sink.Prepare(static_cast<int>(c.output_width), static_cast<int>(c.output_height),
               grayOut || quantize ? 1 : 3);
  jpeg_start_decompress(&c);
  if (quantize && c.colormap) {
    Palette colors(static_cast<std::size_t>(c.actual_number_of_colors));
    for (int i = 0; i < c.actual_number_of_colors; ++i)
      colors[static_cast<std::size_t>(i)] =
          RgbQuad{c.colormap[2][i], c.colormap[1][i], c.colormap[0][i], 0};
    sink.SetColormap(colors);
  }
  if (!c.buffered_image) return ReadOnePass(s, sink);
  // Progressive display: one full output pass per scan read so far.
  for (int pass = 0; pass <= kMaxScans; ++pass) {
    jpeg_start_output(&c, c.input_scan_number);
    const int r = ReadOnePass(s, sink);
    if (r != kOk) return r;
    jpeg_finish_output(&c);
    if (jpeg_input_complete(&c)) break;
  }
  return kOk;
}

// Runs a decode and turns a library error into EJPEG. The rows already decoded stay.
thread_local std::string t_lastWarning;

void RunDecode(ByteSpan data, const Setup& set, RowSink& sink) {
  DecodeSession s;
  t_lastWarning.clear();
  const int r = DecodeCore(s, data.data(), data.size(), set, sink);
  t_lastWarning = s.err.firstWarning;
  if (r == kFailed) ThrowJpeg(s.Code());
}

int ScaledSize(int size, int scale) {
  const std::int64_t d = std::int64_t{1} << scale;
  return static_cast<int>((size + d - 1) / d);
}

void ZeroPadding(Dib& d, int y, int count, int components) {
  const std::size_t used = static_cast<std::size_t>(d.Width()) * static_cast<std::size_t>(components);
  const std::size_t pad = d.Stride() - used;
  if (pad == 0) return;
  for (int i = 0; i < count; ++i) std::memset(d.ScanLine(y + i) + used, 0, pad);
}

// Reports 5, 10, ... as rows arrive.
class ProgressSteps {
public:
  explicit ProgressSteps(const JpegProgress& p) : progress_(p) {}
  bool Step(int rowsDone, int height) {
    if (!progress_ || height <= 0) return true;
    const int pct = static_cast<int>(static_cast<std::int64_t>(rowsDone) * 100 / height);
    if (pct % 5 != 0 || pct == last_) return true;
    last_ = pct;
    return progress_(pct);
  }

private:
  const JpegProgress& progress_;
  int last_ = -1;
};

// Rows straight into a bitmap of the output size.
class IntoSink : public RowSink {
public:
  IntoSink(Dib& d, const JpegProgress& p, bool zeroPadding)
      : dib_(d), steps_(p), zeroPadding_(zeroPadding) {}
  void Prepare(int width, int height, int components) override {
    components_ = components;
    const int bits = components == 1 ? 8 : 24;
    if (dib_.Width() != width || dib_.Height() != height || dib_.BitCount() != bits)
      throw EVistrelError("The bitmap does not fit the JPEG output");
    if (components == 1) dib_.SetColors(Gray256Palette());
  }
  void SetColormap(const Palette& colors) override { dib_.SetColors(colors); }
  int Rows(int y, int want, JSAMPROW* rows) override {
    for (int i = 0; i < want; ++i) rows[i] = dib_.ScanLine(y + i);
    return want;
  }
  bool Done(int y, int count) override {
    if (zeroPadding_) ZeroPadding(dib_, y, count, components_);
    return steps_.Step(y + count, dib_.Height());
  }

private:
  Dib& dib_;
  ProgressSteps steps_;
  bool zeroPadding_;
  int components_ = 3;
};

// Converts one row of a strip (8 bits with palette, or 24) into a target row of any depth.
class RowConverter {
public:
  RowConverter(const Dib& target) : target_(target) {}
  void Convert(const std::uint8_t* src, int srcBits, const Palette& srcColors, int width,
               Dib& target, int y) {
    std::uint8_t* out = target.ScanLine(y);
    const int tb = target.BitCount();
    if (tb == 8 && srcBits == 8 && srcColors == target.Colors()) {
      std::memcpy(out, src, static_cast<std::size_t>(width));
      return;
    }
    for (int x = 0; x < width; ++x) {
      ColorValue c;
      if (srcBits == 24) {
        const std::uint8_t* p = src + 3 * static_cast<std::size_t>(x);
        c = MakeColor(p[2], p[1], p[0]);
      } else {
        const std::size_t i = src[x];
        c = i < srcColors.size() ? ColorOf(srcColors[i]) : 0;
      }
      if (tb == 24) {
        out[3 * x] = static_cast<std::uint8_t>(BlueOf(c));
        out[3 * x + 1] = static_cast<std::uint8_t>(GreenOf(c));
        out[3 * x + 2] = static_cast<std::uint8_t>(RedOf(c));
      } else {
        target.SetIndex(x, y, static_cast<std::uint32_t>(Nearest(c)));
      }
    }
  }

private:
  int Nearest(ColorValue c) {
    // Pictures have few distinct colours per row run; remember the last answer.
    if (c == lastColor_ && lastIndex_ >= 0) return lastIndex_;
    const Palette& p = target_.Colors();
    lastIndex_ = std::max(0, NearestPaletteIndex(p.data(), static_cast<int>(p.size()), c));
    lastColor_ = c;
    return lastIndex_;
  }
  const Dib& target_;
  ColorValue lastColor_ = 0;
  int lastIndex_ = -1;
};

// Rows through a 4-row strip, copied into the target as each strip fills.
class StripSink : public RowSink {
public:
  StripSink(Dib& target, const JpegProgress& p, const JpegRowsReady* ready)
      : target_(target), steps_(p), ready_(ready), converter_(target) {}
  void Prepare(int width, int height, int components) override {
    if (!ready_ && (target_.Empty() || target_.Width() != width || target_.Height() != height))
      throw EVistrelError("The bitmap does not fit the JPEG output");
    if (ready_) target_ = Dib(width, height, 24, Dib::Init::Zero);
    strip_ = Dib(width, 4, components == 1 ? 8 : 24, Dib::Init::Zero);
    if (components == 1) strip_.SetColors(Gray256Palette());
    height_ = height;
  }
  void SetColormap(const Palette& colors) override { strip_.SetColors(colors); }
  int Rows(int y, int want, JSAMPROW* rows) override {
    const int n = std::min(want, 4 - filled_);
    for (int i = 0; i < n; ++i) rows[i] = strip_.ScanLine(filled_ + i);
    return n;
  }
  bool Done(int y, int count) override {
    filled_ += count;
    if (filled_ == 4 || y + count >= height_) Flush(y + count - filled_);
    return steps_.Step(y + count, height_);
  }

private:
  void Flush(int firstRow) {
    for (int i = 0; i < filled_; ++i)
      converter_.Convert(strip_.ScanLine(i), strip_.BitCount(), strip_.Colors(), strip_.Width(),
                         target_, firstRow + i);
    if (ready_ && *ready_) (*ready_)(firstRow, filled_);
    filled_ = 0;
  }
  Dib& target_;
  ProgressSteps steps_;
  const JpegRowsReady* ready_;
  RowConverter converter_;
  Dib strip_;
  int filled_ = 0, height_ = 0;
};

// ------------------------------------------------------------------------------------
// Encoding

struct DestBuffer {
  jpeg_destination_mgr pub;
  unsigned char* buf = nullptr;
  std::size_t cap = 0;
  std::size_t size = 0;
};

void DestInit(j_compress_ptr c) {
  DestBuffer* d = reinterpret_cast<DestBuffer*>(c->dest);
  d->pub.next_output_byte = d->buf;
  d->pub.free_in_buffer = d->cap;
}
boolean DestEmpty(j_compress_ptr c) {
  DestBuffer* d = reinterpret_cast<DestBuffer*>(c->dest);
  const std::size_t grown = d->cap * 2;
  unsigned char* p = grown > d->cap ? static_cast<unsigned char*>(std::realloc(d->buf, grown)) : nullptr;
  if (!p) ERREXIT1(c, JERR_OUT_OF_MEMORY, 10);
  d->buf = p;
  d->pub.next_output_byte = p + d->cap;
  d->pub.free_in_buffer = grown - d->cap;
  d->cap = grown;
  return TRUE;
}
void DestTerm(j_compress_ptr c) {
  DestBuffer* d = reinterpret_cast<DestBuffer*>(c->dest);
  d->size = d->cap - d->pub.free_in_buffer;
}

struct EncodeSession {
  jpeg_compress_struct cinfo{};
  JpegErr err{};
  DestBuffer dest{};
  bool created = false;
  EncodeSession() { InitErr(err); cinfo.err = &err.pub; }
  ~EncodeSession() {
    if (created) jpeg_destroy_compress(&cinfo);
    std::free(dest.buf);
  }
  EncodeSession(const EncodeSession&) = delete;
  EncodeSession& operator=(const EncodeSession&) = delete;
};

struct EncodeParams {
  int width = 0, height = 0, components = 3;
  bool standard = true;
  int quality = 90;
  bool subsample = false, optimize = false, floatDct = false, gray = false, progressive = false;
  int smoothing = 0, scale = 50;
};

class RowSource {
public:
  virtual ~RowSource() = default;
  virtual JSAMPROW Row(int y) = 0;  // logical row y in the input format
};

int EncodeCore(EncodeSession& s, const EncodeParams& p, RowSource& src) {
  if (setjmp(s.err.jump)) return kFailed;
  jpeg_create_compress(&s.cinfo);
  s.created = true;
  jpeg_compress_struct& c = s.cinfo;
  c.mem->max_memory_to_use = MemoryLimit();
  s.dest.pub.init_destination = DestInit;
  s.dest.pub.empty_output_buffer = DestEmpty;
  s.dest.pub.term_destination = DestTerm;
  c.dest = &s.dest.pub;
  c.image_width = static_cast<JDIMENSION>(p.width);
  c.image_height = static_cast<JDIMENSION>(p.height);
  c.input_components = p.components;
  c.in_color_space = p.components == 1 ? JCS_GRAYSCALE : JCS_EXT_BGR;
  jpeg_set_defaults(&c);
  if (p.standard) jpeg_set_quality(&c, p.quality, TRUE);
  else jpeg_set_linear_quality(&c, p.scale, TRUE);
  if (p.gray) jpeg_set_colorspace(&c, JCS_GRAYSCALE);
  if (!p.standard) {
    c.optimize_coding = p.optimize ? TRUE : FALSE;
    if (p.floatDct) c.dct_method = JDCT_FLOAT;
    c.smoothing_factor = p.smoothing;
    if (!p.subsample)
      for (int i = 0; i < c.num_components; ++i) {
        c.comp_info[i].h_samp_factor = 1;
        c.comp_info[i].v_samp_factor = 1;
      }
  }
  if (p.progressive) jpeg_simple_progression(&c);
  jpeg_start_compress(&c, TRUE);
  while (c.next_scanline < c.image_height) {
    JSAMPROW row = src.Row(static_cast<int>(c.next_scanline));
    jpeg_write_scanlines(&c, &row, 1);
  }
  jpeg_finish_compress(&c);
  return kOk;
}

bool IsGrayPalette(const Palette& p) {
  for (const RgbQuad& q : p)
    if (q.red != q.green || q.green != q.blue) return false;
  return !p.empty();
}

// Rows of a bitmap of any depth as blue, green, red (or gray values through a gray palette).
class DibRows : public RowSource {
public:
  DibRows(const Dib& d, bool grayRows) : dib_(d), gray_(grayRows) {
    if (d.BitCount() != 24 || gray_)
      buffer_.resize(static_cast<std::size_t>(d.Width()) * (gray_ ? 1 : 3));
  }
  JSAMPROW Row(int y) override {
    const std::uint8_t* row = dib_.ScanLine(y);
    if (dib_.BitCount() == 24 && !gray_) return const_cast<JSAMPROW>(row);
    const Palette& p = dib_.Colors();
    std::uint8_t* out = buffer_.data();
    for (int x = 0; x < dib_.Width(); ++x) {
      const std::uint32_t i = dib_.Index(x, y);
      const RgbQuad q = i < p.size() ? p[i] : RgbQuad{};
      if (gray_) {
        *out++ = q.green;
      } else {
        *out++ = q.blue;
        *out++ = q.green;
        *out++ = q.red;
      }
    }
    return buffer_.data();
  }

private:
  const Dib& dib_;
  bool gray_;
  std::vector<std::uint8_t> buffer_;
};

// Where the data starts: a file that does not begin with a JPEG marker may carry a foreign
// header before its JFIF stream; the stream then starts 6 bytes before "JFIF".
std::size_t ForeignHeaderLength(ByteSpan b) {
  if (b.size() < 13) return 0;
  if (b[0] == 0xFF && b[1] == 0xD8) return 0;
  for (std::size_t i = 7; i + 7 <= b.size(); ++i)
    if (b[i] == 'J' && b[i + 1] == 'F' && b[i + 2] == 'I' && b[i + 3] == 'F') return i - 6;
  return 0;
}

}  // namespace

// ------------------------------------------------------------------------------------

struct TJPEGImage::Payload {
  Bytes bytes;
  int width = 0, height = 0;
  bool gray = false;
};

struct TJPEGImage::DecodeSettings : Setup {};

int JpegScaleToFit(int imageWidth, int imageHeight, int limitWidth, int limitHeight) {
  std::int64_t w = imageWidth, h = imageHeight;
  for (int scale = 0; scale < 2; ++scale) {
    if (w <= limitWidth && h <= limitHeight) return scale;
    w /= 2;
    h /= 2;
  }
  return (w <= limitWidth && h <= limitHeight) ? 2 : 3;
}

TJPEGImage::TJPEGImage() = default;
TJPEGImage::~TJPEGImage() = default;
TJPEGImage::TJPEGImage(TJPEGImage&&) noexcept = default;
TJPEGImage& TJPEGImage::operator=(TJPEGImage&&) noexcept = default;

int TJPEGImage::LastJpegError() { return g_lastJpegError.load(); }

std::string TJPEGImage::LastDecodeWarning() { return t_lastWarning; }

ByteSpan TJPEGImage::Data() const {
  if (!data_) return {};
  return ByteSpan(data_->bytes.data(), data_->bytes.size());
}

// An assigned bitmap without compressed data is the picture itself and stays.
void TJPEGImage::FreeBitmap() {
  if (data_) bitmap_.reset();
}

bool TJPEGImage::Grayscale() const { return data_ && data_->gray; }

void TJPEGImage::SetData(std::shared_ptr<const Payload> data) {
  data_ = std::move(data);
  headerWidth_ = data_ ? data_->width : 0;
  headerHeight_ = data_ ? data_->height : 0;
  headerDepth_ = data_ ? (data_->gray ? 8 : 24) : 0;
  outputStale_ = true;
}

void TJPEGImage::ReadHeaderOf(const std::shared_ptr<Payload>& d) {
  HeaderInfo info;
  {
    DecodeSession s;
    if (ReadHeaderCore(s, d->bytes.data(), d->bytes.size(), &info) != kOk) ThrowJpeg(s.Code());
  }
  d->width = info.width;
  d->height = info.height;
  d->gray = info.gray;
  ProgressiveEncoding = info.multiScan;
}

void TJPEGImage::LoadFromStream(ByteSpan bytes) {
  bitmap_.reset();
  SetData(nullptr);
  const std::size_t skip = ForeignHeaderLength(bytes);
  auto d = std::make_shared<Payload>();
  d->bytes.assign(bytes.begin() + static_cast<std::ptrdiff_t>(skip), bytes.end());
  ReadHeaderOf(d);
  SetData(std::move(d));
}

void TJPEGImage::LoadFromFile(const std::filesystem::path& path) {
  const Bytes bytes = ReadFileBytes(path);
  LoadFromStream(bytes);
}

void TJPEGImage::SetGrayMode(bool on) {
  if (on != grayMode_) FreeBitmap();
  grayMode_ = on;
}
void TJPEGImage::SetPixelFormat(TJPEGPixelFormat f) {
  if (f != pixelFormat_) FreeBitmap();
  pixelFormat_ = f;
}
void TJPEGImage::SetPerformance(TJPEGPerformance p) {
  if (p != performance_) FreeBitmap();
  performance_ = p;
}
void TJPEGImage::SetScale(int scale) {
  scale = std::clamp(scale, 0, 3);
  if (scale != scale_) {
    FreeBitmap();
    outputStale_ = true;
  }
  scale_ = scale;
}

void TJPEGImage::ReadOutputSize() {
  outputWidth_ = ScaledSize(headerWidth_, scale_);
  outputHeight_ = ScaledSize(headerHeight_, scale_);
  outputStale_ = false;
}
int TJPEGImage::OutputWidth() {
  if (outputStale_) ReadOutputSize();
  return outputWidth_;
}
int TJPEGImage::OutputHeight() {
  if (outputStale_) ReadOutputSize();
  return outputHeight_;
}

TJPEGImage::DecodeSettings TJPEGImage::CurrentSettings(int dither) const {
  DecodeSettings s;
  s.scale = scale_;
  s.smoothing = BlockSmoothing;
  s.gray = grayMode_;
  s.eightBit = pixelFormat_ == TJPEGPixelFormat::jf8Bit;
  s.bestSpeed = performance_ == TJPEGPerformance::jpBestSpeed;
  s.buffered = ProgressiveDisplay;
  s.dither = dither;
  return s;
}

namespace {
[[noreturn]] void NoData() { throw EJPEG("JPEG error #" + std::to_string(JERR_NO_SOI)); }
}  // namespace

void TJPEGImage::DecodeInto(Dib& bitmap, const JpegProgress& progress, int dither) {
  if (!data_) NoData();
  IntoSink sink(bitmap, progress, false);
  const std::shared_ptr<const Payload> keep = data_;
  RunDecode(Data(), CurrentSettings(dither), sink);
}

void TJPEGImage::DecodeThroughStrips(Dib& bitmap, const JpegProgress& progress) {
  if (!data_) NoData();
  StripSink sink(bitmap, progress, nullptr);
  const std::shared_ptr<const Payload> keep = data_;
  RunDecode(Data(), CurrentSettings(2), sink);
}

void TJPEGImage::DecodeToWindow(Dib& bitmap, const JpegRowsReady& rowsReady) {
  if (!data_) NoData();
  const JpegProgress none;
  StripSink sink(bitmap, none, &rowsReady);
  const std::shared_ptr<const Payload> keep = data_;
  RunDecode(Data(), CurrentSettings(2), sink);
}

Dib TJPEGImage::Decode(const JpegProgress& progress) {
  if (!data_) NoData();
  const bool eight = grayMode_ || data_->gray || pixelFormat_ == TJPEGPixelFormat::jf8Bit;
  Dib out(OutputWidth(), OutputHeight(), eight ? 8 : 24, Dib::Init::Uninitialised);
  IntoSink sink(out, progress, true);
  const std::shared_ptr<const Payload> keep = data_;
  RunDecode(Data(), CurrentSettings(2), sink);
  return out;
}

void TJPEGImage::SetReducedDecode(int targetWidth, int targetHeight, int dither) {
  reducedWidth_ = targetWidth;
  reducedHeight_ = targetHeight;
  reducedDither_ = dither;
}

void TJPEGImage::DecodeReduced(Dib& bitmap) {
  try {
    if (!data_) NoData();
    auto d = std::make_shared<Payload>(*data_);
    ReadHeaderOf(d);
    SetData(d);
    DecodeSettings set = CurrentSettings(reducedDither_);
    set.scale = JpegScaleToFit(d->width, d->height, reducedWidth_, reducedHeight_);
    set.smoothing = false;
    const bool eight = grayMode_ || d->gray || pixelFormat_ == TJPEGPixelFormat::jf8Bit;
    bitmap = Dib(ScaledSize(d->width, set.scale), ScaledSize(d->height, set.scale), eight ? 8 : 24,
                 Dib::Init::Uninitialised);
    const JpegProgress none;
    IntoSink sink(bitmap, none, true);
    RunDecode(Data(), set, sink);
  } catch (...) {
    headerDepth_ = -1;
    throw;
  }
}

const Dib& TJPEGImage::Bitmap() {
  if (!bitmap_) {
    if (!data_) NoData();
    const bool eight = grayMode_ || data_->gray || pixelFormat_ == TJPEGPixelFormat::jf8Bit;
    auto d = std::make_unique<Dib>(OutputWidth(), OutputHeight(), eight ? 8 : 24,
                                   Dib::Init::Uninitialised);
    const JpegProgress none;
    IntoSink sink(*d, none, true);
    const int dither = performance_ == TJPEGPerformance::jpBestSpeed ? 0 : 1;
    RunDecode(Data(), CurrentSettings(dither), sink);
    bitmap_ = std::move(d);
  }
  return *bitmap_;
}

void TJPEGImage::Assign(const Dib& bitmap) {
  if (bitmap.Empty()) throw EVistrelError("Cannot assign an empty bitmap to a JPEG image");
  bitmap_ = std::make_unique<Dib>(bitmap);
  SetData(nullptr);
  headerWidth_ = bitmap.Width();
  headerHeight_ = bitmap.Height();
  headerDepth_ = bitmap.BitCount() == 24 ? 24 : 8;
}

void TJPEGImage::Assign(const TJPEGImage& other) {
  if (&other == this) return;
  bitmap_ = other.bitmap_ ? std::make_unique<Dib>(*other.bitmap_) : nullptr;
  SetData(other.data_);
  headerWidth_ = other.headerWidth_;
  headerHeight_ = other.headerHeight_;
  headerDepth_ = other.headerDepth_;
  ProgressiveEncoding = other.ProgressiveEncoding;
}

void TJPEGImage::Encode(bool standard, bool subsample, bool optimize, int smoothing, int scale,
                        bool floatDct) {
  const Dib& src = Bitmap();
  EncodeParams p;
  p.width = src.Width();
  p.height = src.Height();
  p.standard = standard;
  p.quality = std::clamp(Quality, 1, 100);
  p.subsample = subsample;
  p.optimize = optimize;
  // Above 128 the library's smoothing arithmetic goes wrong.
  p.smoothing = std::clamp(smoothing, 0, 100);
  p.scale = std::max(scale, 0);
  p.floatDct = floatDct;
  p.gray = grayMode_;
  p.progressive = ProgressiveEncoding;
  // Gray values go in directly from a gray palette; everything else as blue, green, red.
  const bool grayRows = grayMode_ && src.BitCount() == 8 && IsGrayPalette(src.Colors());
  p.components = grayRows ? 1 : 3;
  DibRows rows(src, grayRows);
  auto d = std::make_shared<Payload>();
  {
    EncodeSession s;
    const std::uint64_t guess =
        static_cast<std::uint64_t>(p.width) * static_cast<std::uint64_t>(p.height) / 4 + 65536;
    s.dest.cap = static_cast<std::size_t>(std::min<std::uint64_t>(guess, 64u << 20));
    s.dest.buf = static_cast<unsigned char*>(std::malloc(s.dest.cap));
    if (!s.dest.buf) ThrowJpeg(JERR_OUT_OF_MEMORY);
    if (EncodeCore(s, p, rows) != kOk) ThrowJpeg(s.err.pub.msg_code);
    d->bytes.assign(s.dest.buf, s.dest.buf + s.dest.size);
  }
  d->width = p.width;
  d->height = p.height;
  d->gray = p.gray || (p.components == 1);
  SetData(std::move(d));
}

void TJPEGImage::Compress(bool subsample, bool optimize, int smoothing, int scale, bool floatDct) {
  Encode(false, subsample, optimize, smoothing, scale, floatDct);
}

void TJPEGImage::SaveToStream(Bytes& out) {
  if (!data_) Encode(true, false, false, 0, 0, false);
  out.insert(out.end(), data_->bytes.begin(), data_->bytes.end());
}

void TJPEGImage::SaveToFile(const std::filesystem::path& path) {
  Bytes out;
  SaveToStream(out);
  WriteFileAtomic(path, out);
}

Bytes InsertJpegComment(ByteSpan jpeg, const std::string& text) {
  Bytes out(jpeg.begin(), jpeg.end());
  if (jpeg.size() < 4 || jpeg[0] != 0xFF || jpeg[1] != 0xD8) return out;
  std::size_t keep = 2;
  if (jpeg.size() >= 6 && jpeg[2] == 0xFF && jpeg[3] >= 0xE0 && jpeg[3] <= 0xEF) {
    const std::size_t len = (static_cast<std::size_t>(jpeg[4]) << 8) | jpeg[5];
    if (len >= 2 && 4 + len <= jpeg.size()) keep = 4 + len;
  }
  const std::size_t textLen = std::min<std::size_t>(text.size(), 65533);
  Bytes seg;
  seg.reserve(4 + textLen);
  seg.push_back(0xFF);
  seg.push_back(0xFE);
  seg.push_back(static_cast<std::uint8_t>((textLen + 2) >> 8));
  seg.push_back(static_cast<std::uint8_t>((textLen + 2) & 0xFF));
  seg.insert(seg.end(), text.begin(), text.begin() + static_cast<std::ptrdiff_t>(textLen));
  out.insert(out.begin() + static_cast<std::ptrdiff_t>(keep), seg.begin(), seg.end());
  return out;
}

std::string BatchJpegCommentText() { return std::string("Encoded with Pelira 7.7 - ") + kWebAddress; }

}  // namespace pelira
