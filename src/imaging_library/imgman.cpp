#include "imaging_library/imgman.h"

#include <algorithm>
#include <atomic>
#include <map>
#include <new>
#include <mutex>

#include "common/errors.h"
#include "common/kind_list.h"
#include "image/bmp_reader.h"
#include "image/file_bytes.h"
#include "imaging_library/document_formats.h"
#include "imaging_library/image_ops.h"
#include "platform/ui.h"

namespace pelira {

namespace {

struct LibImage {
  std::unique_ptr<ImgDocument> doc;
  std::string type;
  int page = 0;
  std::optional<Dib> current;  // the decoded current page, changed in place by mirror/gamma
};

struct Registry {
  std::mutex mu;
  std::map<HIMG, std::shared_ptr<LibImage>> images;
  HIMG next = 1;
};

Registry& Reg() {
  static Registry r;
  return r;
}

std::atomic<bool> g_initialised{false};
thread_local int t_status = IMG_OK;
thread_local std::string t_text;

std::mutex g_hooksMu;
ImgTransitionRenderer g_transitions;
std::function<bool(const Dib&)> g_clipboard;
ImgScanner g_scanner;

int Fail(int status, const std::string& text) {
  t_status = status;
  t_text = text;
  return 0;
}
void Ok() {
  t_status = IMG_OK;
  t_text.clear();
}

HIMG Add(std::shared_ptr<LibImage> img) {
  Registry& r = Reg();
  std::lock_guard lock(r.mu);
  HIMG h = r.next++;
  if (r.next == 0) r.next = 1;
  r.images[h] = std::move(img);
  Ok();
  return h;
}

std::shared_ptr<LibImage> Find(HIMG h) {
  Registry& r = Reg();
  std::lock_guard lock(r.mu);
  auto it = r.images.find(h);
  if (it == r.images.end()) {
    Fail(IMG_BADHANDLE, "Invalid image handle");
    return nullptr;
  }
  return it->second;
}

int StatusOf(const std::exception& e) {
  const std::string m = e.what();
  return m.rfind("Image too large", 0) == 0 || dynamic_cast<const std::bad_alloc*>(&e) ? IMG_TOOLARGE : IMG_DECODE;
}

std::string MessageOf(const std::exception& e) {
  if (dynamic_cast<const std::bad_alloc*>(&e)) return "Not enough memory to load the picture";
  return e.what();
}

// The current page, decoded on first use.
Dib* Current(LibImage& img) {
  if (!img.current) {
    try {
      img.current = img.doc->DecodePage(img.page);
    } catch (const std::exception& e) {
      Fail(StatusOf(e), MessageOf(e));
      return nullptr;
    }
  }
  return &*img.current;
}

HIMG FromBitmap(Dib d, const char* type = "DIB") {
  auto img = std::make_shared<LibImage>();
  img->type = type;
  // One page, held once: as the current page (a one-page document never changes page, so
  // the document is not asked for it again).
  img->current = std::move(d);
  img->doc = std::make_unique<DibDocument>(Dib());
  return Add(std::move(img));
}

HIMG OpenBytes(std::shared_ptr<const std::vector<std::uint8_t>> bytes, const std::string& ext, const char* type) {
  const std::vector<ImgDocumentFormat>& formats = ImgDocumentFormats();
  const ImgDocumentFormat* chosen = nullptr;
  if (type) {
    for (const auto& f : formats)
      if (std::string(f.type) == type) chosen = &f;
    if (!chosen) return Fail(IMG_BADFORMAT, std::string("Unsupported image type ") + type);
  } else {
    for (const auto& f : formats)
      if (f.sniff(*bytes)) {
        chosen = &f;
        break;
      }
    if (!chosen)
      for (const auto& f : formats)
        if (InKindList(ext, f.extensions)) chosen = &f;
    if (!chosen) return Fail(IMG_BADFORMAT, "Unknown image format");
  }
  try {
    auto img = std::make_shared<LibImage>();
    img->type = chosen->type;
    img->doc = chosen->open(std::move(bytes));
    if (!img->doc || img->doc->PageCount() < 1) return Fail(IMG_DECODE, "The document has no pages");
    return Add(std::move(img));
  } catch (const std::exception& e) {
    return Fail(StatusOf(e), MessageOf(e));
  }
}

template <typename F>
HIMG Derive(HIMG h, F&& op) {
  auto img = Find(h);
  if (!img) return 0;
  const Dib* d = Current(*img);
  if (!d) return 0;
  try {
    return FromBitmap(op(*d));
  } catch (const std::exception& e) {
    return Fail(StatusOf(e), MessageOf(e));
  }
}

}  // namespace

int ImgInit() {
  g_initialised = true;
  Ok();
  return 1;
}

void ImgShutdown() {
  Registry& r = Reg();
  std::lock_guard lock(r.mu);
  r.images.clear();
  g_initialised = false;
}

bool ImgInitialised() { return g_initialised; }

HIMG ImgOpenSolo(const std::string& path, int) {
  std::shared_ptr<std::vector<std::uint8_t>> bytes;
  try {
    bytes = std::make_shared<std::vector<std::uint8_t>>(ReadFileBytes(path));
  } catch (const std::exception& e) {
    // Missing, not a regular file, too large: the reason as the reader gave it.
    return Fail(IMG_NOFILE, MessageOf(e));
  }
  return OpenBytes(std::move(bytes), UpperExt(path), nullptr);
}

HIMG ImgOpenMem(const std::uint8_t* data, std::size_t length, const char* type) {
  if (!data && length) return Fail(IMG_BADPARAM, "No data");
  auto bytes = std::make_shared<std::vector<std::uint8_t>>(data, data + length);
  return OpenBytes(std::move(bytes), "", type);
}

HIMG ImgFromDIB(ByteSpan packed) {
  try {
    return FromBitmap(DibFromPacked(packed));
  } catch (const std::exception& e) {
    return Fail(StatusOf(e), MessageOf(e));
  }
}

HIMG ImgFromBitmap(Dib bitmap) {
  if (bitmap.Empty()) return Fail(IMG_BADPARAM, "Empty bitmap");
  return FromBitmap(std::move(bitmap));
}

int ImgClose(HIMG h) {
  Registry& r = Reg();
  std::lock_guard lock(r.mu);
  if (r.images.erase(h) == 0) return Fail(IMG_BADHANDLE, "Invalid image handle");
  Ok();
  return 1;
}

int ImgPageCount(HIMG h, int* count) {
  auto img = Find(h);
  if (!img || !count) return 0;
  *count = img->doc->PageCount();
  Ok();
  return 1;
}

int ImgGetPage(HIMG h, int* page) {
  auto img = Find(h);
  if (!img || !page) return 0;
  *page = img->page;
  Ok();
  return 1;
}

int ImgSetPage(HIMG h, int page) {
  auto img = Find(h);
  if (!img) return 0;
  if (page < 0 || page >= img->doc->PageCount()) return Fail(IMG_NOPAGE, "Page " + std::to_string(page) + " does not exist");
  if (page != img->page) {
    img->page = page;
    img->current.reset();
  }
  Ok();
  return 1;
}

int ImgGetInfoStruct(HIMG h, BitmapInfoHeader* header, ImgExtraInfo* extra) {
  auto img = Find(h);
  if (!img) return 0;
  const Dib* d = Current(*img);
  if (!d) return 0;
  if (header) {
    *header = BitmapInfoHeader{};
    header->width = d->Width();
    header->height = d->Height();
    header->bitCount = static_cast<std::uint16_t>(d->BitCount());
    header->sizeImage = static_cast<std::uint32_t>(std::min<std::size_t>(d->ImageSize(), 0xFFFFFFFFu));
    header->xPelsPerMeter = d->xPelsPerMeter;
    header->yPelsPerMeter = d->yPelsPerMeter;
    header->clrUsed = static_cast<std::uint32_t>(d->Colors().size());
  }
  if (extra) {
    extra->pageCount = img->doc->PageCount();
    extra->type = img->type;
  }
  Ok();
  return 1;
}

std::optional<Palette> ImgGetPalette(HIMG h) {
  auto img = Find(h);
  if (!img) return std::nullopt;
  const Dib* d = Current(*img);
  if (!d || !d->HasPalette()) return std::nullopt;
  Ok();
  return d->Colors();
}

const Dib* ImgGetBitmap(HIMG h) {
  auto img = Find(h);
  if (!img) return nullptr;
  const Dib* d = Current(*img);
  if (d) Ok();
  return d;
}

int ImgPrintImage(HIMG h, Dib& target, const TRect& rect, int) {
  auto img = Find(h);
  if (!img) return 0;
  const Dib* d = Current(*img);
  if (!d) return 0;
  if (target.Empty() || rect.Width() <= 0 || rect.Height() <= 0) return Fail(IMG_BADPARAM, "Nothing to draw into");
  DrawInto(*d, TRect{0, 0, d->Width(), d->Height()}, target, rect);
  Ok();
  return 1;
}

int ImgDrawImage(HIMG h, Dib& target, const TRect& src, const TRect& dst) {
  auto img = Find(h);
  if (!img) return 0;
  const Dib* d = Current(*img);
  if (!d) return 0;
  try {
    DrawInto(*d, src, target, dst);
  } catch (const std::exception& e) {
    return Fail(IMG_BADPARAM, e.what());
  }
  Ok();
  return 1;
}

void SetImgTransitionRenderer(ImgTransitionRenderer r) {
  std::lock_guard lock(g_hooksMu);
  g_transitions = std::move(r);
}

int ImgDrawImageFX(HIMG h, Dib& target, const TRect& dst, const TRect& src, const ImgEffect& effect,
                   const ImgPauseFn& pause) {
  ImgTransitionRenderer r;
  {
    std::lock_guard lock(g_hooksMu);
    r = g_transitions;
  }
  if (!r || effect.kind == 0) return ImgDrawImage(h, target, src, dst);
  auto img = Find(h);
  if (!img) return 0;
  const Dib* d = Current(*img);
  if (!d) return 0;
  try {
    const int rc = r(*d, target, dst, src, effect, pause);
    if (!rc) return Fail(IMG_BADPARAM, "The transition failed");
  } catch (const std::exception& e) {
    return Fail(IMG_BADPARAM, e.what());
  }
  Ok();
  return 1;
}

HIMG ImgCopy(HIMG h, int width, int height, const TRect* rect, int option) {
  return Derive(h, [&](const Dib& d) {
    const TRect r = rect ? *rect : TRect{0, 0, d.Width(), d.Height()};
    return ScaledCopy(d, width, height, r, option);
  });
}

HIMG ImgReduceColors(HIMG h, int colours, int option) {
  if (colours < 2 || colours > 256) return Fail(IMG_BADPARAM, "Colour count must be 2 to 256");
  return Derive(h, [&](const Dib& d) { return ReduceColors(d, colours, option); });
}

HIMG ImgIncreaseColors(HIMG h, int bits) {
  if (bits != 24) return Fail(IMG_BADPARAM, "Only 24 bits can be asked for");
  return Derive(h, [](const Dib& d) { return ToTrueColor(d); });
}

HIMG ImgRotate(HIMG h, int angle, std::uint32_t platformColour) {
  return Derive(h, [&](const Dib& d) { return Rotate(d, angle, FromPlatformColor(platformColour)); });
}

int ImgMirror(HIMG h, int horizontal, int vertical) {
  auto img = Find(h);
  if (!img) return 0;
  Dib* d = Current(*img);
  if (!d) return 0;
  Mirror(*d, horizontal != 0, vertical != 0);
  Ok();
  return 1;
}

int ImgGamma(HIMG h, double value) {
  auto img = Find(h);
  if (!img) return 0;
  Dib* d = Current(*img);
  if (!d) return 0;
  if (!ApplyGamma(*d, value / 10.0)) return Fail(IMG_BADPARAM, "Gamma must be above 0");
  Ok();
  return 1;
}

void SetImgClipboardSink(std::function<bool(const Dib&)> sink) {
  std::lock_guard lock(g_hooksMu);
  g_clipboard = std::move(sink);
}

int ImgToClipboard(HIMG h) {
  std::function<bool(const Dib&)> sink;
  {
    std::lock_guard lock(g_hooksMu);
    sink = g_clipboard;
  }
  auto img = Find(h);
  if (!img) return 0;
  const Dib* d = Current(*img);
  if (!d) return 0;
  if (!sink || !sink(*d)) return Fail(IMG_BADPARAM, "The clipboard is not available");
  Ok();
  return 1;
}

int ImgGetStatus() { return t_status; }
std::string ImgStatusText() { return t_status == IMG_OK ? std::string("No error") : t_text; }

void ImgErrBox(void*) {
  CurrentUi().Message(MessageKind::Error, ImgStatusText(), Button::OK);
}

void SetImgScanner(ImgScanner scanner) {
  std::lock_guard lock(g_hooksMu);
  g_scanner = std::move(scanner);
}

bool ScanIsTWAINAvailable() {
  std::lock_guard lock(g_hooksMu);
  return g_scanner.available && g_scanner.available();
}

int ScanSelectSource(void*) {
  std::function<int()> f;
  {
    std::lock_guard lock(g_hooksMu);
    f = g_scanner.selectSource;
  }
  return f ? f() : 0;
}

std::vector<std::uint8_t> ScanAcquirePage(void*, int) {
  std::function<std::vector<std::uint8_t>()> f;
  {
    std::lock_guard lock(g_hooksMu);
    f = g_scanner.acquirePage;
  }
  if (!f) {
    Fail(IMG_BADPARAM, "No scanner is available");
    return {};
  }
  return f();
}

}  // namespace pelira
