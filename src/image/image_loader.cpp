#include "image/image_loader.h"

#include <algorithm>
#include <bit>
#include <cctype>
#include <filesystem>

#include "common/errors.h"
#include "common/kind_list.h"
#include "common/time_text.h"
#include "image/bmp_graphic.h"
#include "image/bmp_reader.h"
#include "image/file_bytes.h"
#include "image/tiff_graphic.h"
#include "imaging_library/pcd.h"
#include "platform/ui.h"

namespace pelira {

namespace {

std::string Lower(std::string s) {
  std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return s;
}

int ClampDepth(int bits) { return bits >= 16 ? 24 : bits; }

std::string PcdResText(int r) {
  return std::to_string(64 << r) + " x " + std::to_string(96 << r);
}

std::string FixedField(const char* p, std::size_t n) {
  std::size_t len = 0;
  while (len < n && p[len]) ++len;
  return std::string(p, len);
}

// The probe reads a header from the file's first bytes; only a header that does not fit
// there (a TIFF directory at the end, long PNG or GIF blocks before the picture) costs a
// whole-file read.
THeaderInfo ReadHeaderFromPrefix(TDibGraphic& codec, const std::string& path, std::size_t prefix, bool further) {
  const Bytes head = ReadFilePrefix(path, prefix);
  if (!further || head.size() < prefix) return codec.ReadHeader(head);  // all there is to read
  try {
    return codec.ReadHeader(head);
  } catch (const std::exception&) {
  }
  return codec.ReadHeader(ReadFileBytes(path));
}

}  // namespace

std::string LoadErrorText(const std::exception& e) {
  if (dynamic_cast<const std::bad_alloc*>(&e)) return "Not enough memory to load the picture";
  return e.what();
}

bool ExtensionIsJpeg(const std::string& ext) { return ext.find(".JP") != std::string::npos; }

std::string ProbeKindName(const std::string& ext) {
  if (ext.empty()) return "";
  if (ExtensionIsJpeg(ext)) return "JPEG";
  if (InKindList(ext, kBmpList)) return "BMP";
  if (InKindList(ext, kMediaList)) return "MEDIA";
  struct Kind { const char* list; const char* name; };
  static const Kind kinds[] = {{".TIF.TIFF", "TIFF"}, {".PNG", "PNG"}, {".PCX", "PCX"}, {".DCX", "DCX"},
                               {".TGA", "TGA"},       {".GIF", "GIF"}, {".PSD", "PSD"}, {".PCD", "PCD"},
                               {".WMF", "WMF"},       {".EMF", "EMF"}, {".TXT", "TXT"}, {".RTF", "RTF"}};
  for (const Kind& k : kinds)
    if (InKindList(ext, k.list)) return k.name;
  return "";
}

std::uint64_t RawPictureBytes(int width, int height, int depth) {
  const std::uint64_t bits = static_cast<std::uint64_t>(std::max(0, width)) * static_cast<std::uint64_t>(std::max(0, height)) *
                             static_cast<std::uint64_t>(std::max(0, depth));
  return (bits / 8) / 4096 * 4096;
}

bool FaxShrinkGeometry(int width, int height, int faxQuality, TRect* rect, int* newWidth, int* newHeight) {
  if (faxQuality < 1 || faxQuality > 3 || width < 1 || height < 1) return false;
  const int right = (width - 1) / 8 * 8, bottom = (height - 1) / 8 * 8;
  auto scale = [&](int v) -> int {
    switch (faxQuality) {
      case 1: return v / 2;
      case 2: return static_cast<int>(static_cast<std::int64_t>(v) * 3333 / 10000);
      default: return v / 4;
    }
  };
  const int w = scale(right), h = scale(bottom);
  // A narrow page would shrink to nothing: show it as it is.
  if (w <= 0 || h <= 0) return false;
  if (rect) *rect = TRect{0, 0, right, bottom};
  if (newWidth) *newWidth = w;
  if (newHeight) *newHeight = h;
  return true;
}

TImageLoader::TImageLoader(LoadSettings s, LoadHost* host) : settings(s), host_(host ? host : &defaultHost_) {}

TImageLoader::~TImageLoader() { CloseLibraryImage(); }

TDibGraphic* TImageLoader::Codec(CodecKind kind) {
  auto& slot = codecs_[kind];
  if (!slot) slot = MakeCodec(kind);
  return slot.get();
}

int TImageLoader::CodecGeneration(CodecKind kind) const {
  auto it = generations_.find(kind);
  return it == generations_.end() ? 0 : it->second;
}

void TImageLoader::ReplaceCodec(CodecKind kind) {
  codecs_[kind] = MakeCodec(kind);
  ++generations_[kind];
}

void TImageLoader::SetStatus(const std::string& text) {
  info.statusText = text;
  host_->StatusChanged(text);
}

void TImageLoader::Fail(const std::string& why) {
  if (lastError_.empty()) lastError_ = why;
}

void TImageLoader::CloseLibraryImage() {
  if (info.libraryImage) ImgClose(info.libraryImage);
  info.libraryImage = 0;
}

OpenOutcome TImageLoader::Open(const std::string& path) {
  lastError_.clear();
  lastWarning_.clear();
  info.previousFileName = info.fileName;
  info.fileName = path;
  info.extension = UpperExt(path);
  info.loaded = false;
  info.loadNote.clear();
  // One regular-file test before every road that reads the file: a FIFO would block the
  // text and metafile readers for ever and a device would feed them without end.
  const bool reads = InKindList(info.extension, kTextList) || InKindList(info.extension, kMetafileList) ||
                     info.extension == ".AVL" ||
                     (InKindList(info.extension, kProbeList) && !InKindList(info.extension, kMediaList));
  if (reads) {
    const std::string problem = RegularFileProblem(path);
    if (!problem.empty()) {
      Fail(problem);
      ShowBlankImage();
      return OpenOutcome::Blank;
    }
  }
  if (InKindList(info.extension, kTextList)) return DecodeMemo() ? OpenOutcome::Text : OpenOutcome::Blank;
  if (InKindList(info.extension, kMetafileList)) return DecodeVector() ? OpenOutcome::Metafile : OpenOutcome::Blank;
  if (info.extension == ".AVL") return OpenOutcome::Slideshow;
  const int code = ProbeFile();
  if (code == kProbeMedia) return OpenOutcome::Media;
  if (code == kProbeImage || code == kProbeUndecided) {
    if (OpenImage()) {
      if (info.pageCount >= 2)
        SetStatus("Page " + std::to_string(info.pageIndex + 1) + " of " + std::to_string(info.pageCount));
      return OpenOutcome::Image;
    }
  }
  Fail("Cannot open the file");
  ShowBlankImage();
  return OpenOutcome::Blank;
}

bool TImageLoader::GetBMPinfo(const std::string& fileName) {
  Bytes b;
  try {
    b = ReadFilePrefix(fileName, 54);
  } catch (const std::exception&) {
    return true;
  }
  // The smallest header, the 12-byte OS/2 one, ends at 26; a short file reads zeros past its
  // end, which sends it to the codec's own header read.
  if (b.size() < 26) return true;
  b.resize(54, 0);
  const BitmapInfoHeader h = BitmapInfoHeader::ReadFrom(b.data() + 14);
  info.width = h.width;
  info.height = h.height;
  // A hostile header can claim 65535 planes of 65535 bits: keep the product in range.
  const std::int64_t bits = std::int64_t{h.bitCount} * (h.planes > 1 ? h.planes : 1);
  info.depth = static_cast<int>(std::min<std::int64_t>(bits, 255));
  return false;
}

bool TImageLoader::ProbeWithCodec(CodecKind kind) {
  TDibGraphic* codec = Codec(kind);
  if (!codec) {
    Fail(std::string(CodecInfoOf(kind).name) + " pictures cannot be read by this build");
    return false;
  }
  try {
    // PNG, GIF and PSD headers may lie past long blocks; the others' never do.
    const bool further = kind == CodecKind::Png || kind == CodecKind::Gif || kind == CodecKind::Psd;
    const THeaderInfo h = ReadHeaderFromPrefix(*codec, info.fileName, CodecInfoOf(kind).headerPrefix, further);
    info.width = h.width;
    info.height = h.height;
    info.depth = h.planes > 1 ? h.bitsPerPixel * h.planes : h.bitsPerPixel;
    return true;
  } catch (const std::exception& e) {
    Fail(LoadErrorText(e));
    ReplaceCodec(kind);
    return false;
  }
}

bool TImageLoader::ProbePcd() {
  if (Lower(info.fileName).find("img") == std::string::npos) {
    Fail("Photo CD pictures must lie in an image folder (\"img\" in the path)");
    return false;
  }
  HPCD pcd = nullptr;
  if (PCDopen(info.fileName, &pcd) != 0) {
    Fail("Not a Photo CD image pack");
    return false;
  }
  std::uint8_t attr[4], more[4];
  PCDgetAttributes(pcd, attr, more);
  std::uint32_t mask = 0;
  int count = 0;
  PCDgetCount(pcd, &mask, &count);
  int allowed = count;
  if (attr[0] != 0) allowed = 1 + std::bit_width(mask & ~static_cast<std::uint32_t>(attr[0]));
  int r = std::min({settings.pcdStep, count - 1, allowed - 1});
  r = std::max(r, 0);
  PCDsetResolution(pcd, r);
  PCDgetResolution(pcd, &r);
  PcdRect rect;
  PCDgetSize(pcd, &rect);
  PCDclose(pcd);
  info.pcdResolution = r;
  info.width = rect.bottom;
  info.height = rect.right;
  info.depth = 24;
  return true;
}

int TImageLoader::ProbeFile() {
  info.libraryFlag = false;
  const std::string ext = UpperExt(info.fileName);
  info.extension = ext;
  if (!InKindList(ext, kProbeList)) {
    if (InKindList(ext, kTextList)) return kProbeText;
    if (InKindList(ext, kMetafileList)) return kProbeMetafile;
    info.fileName = info.previousFileName;
    Fail("Unknown file type");
    return kProbeCannotOpen;
  }
  if (InKindList(ext, kMediaList)) return kProbeMedia;
  if (!ImgInitialised()) ImgInit();
  if (const std::string problem = RegularFileProblem(info.fileName); !problem.empty()) {
    Fail(problem);
    return kProbeCannotOpen;
  }
  info.pageCount = 1;
  info.pageIndex = 0;
  info.previousDepth = info.depth;
  info.preloaded = false;

  int code = kProbeUndecided;
  if (ext == ".PCD") {
    return ProbePcd() ? kProbeImage : kProbeCannotOpen;
  }
  if (ExtensionIsJpeg(ext)) {
    if (!jpeg_) jpeg_ = MakeJpegDecoder();
    if (jpeg_) {
      try {
        jpeg_->ReadFile(info.fileName);
        info.width = jpeg_->Width();
        info.height = jpeg_->Height();
        info.depth = jpeg_->Grayscale() ? 8 : 24;
        info.decodeFailed = false;
        info.preloaded = true;
        return kProbeImage;
      } catch (const std::exception& e) {
        Fail(LoadErrorText(e));
        jpeg_ = MakeJpegDecoder();
      }
    } else {
      Fail("JPEG pictures cannot be read by this build");
    }
    info.preloaded = false;
    info.decodeFailed = false;
  }
  if (InKindList(ext, kBmpList)) {
    code = kProbeImage;
    if (GetBMPinfo(info.fileName)) {
      Fail("Cannot read the bitmap header");
      return kProbeCannotOpen;
    }
    if (info.width < 2 || info.width > 65535 || info.height < 2 || info.height > 65535 || info.depth % 4 != 0) {
      auto* bmp = dynamic_cast<TBmpGraphic*>(Codec(CodecKind::Bmp));
      try {
        if (!bmp) throw EGbmError("gbm_read_header failed.");
        bmp->ReadBmpHeader(info.fileName);
        info.width = bmp->HeaderWidth();
        info.height = bmp->HeaderHeight();
        info.depth = bmp->HeaderBits();
      } catch (const std::exception& e) {
        Fail(LoadErrorText(e));
        ReplaceCodec(CodecKind::Bmp);
        return kProbeCannotOpen;
      }
    }
    info.depth = ClampDepth(info.depth);
    return code;
  }
  if (ext == ".TGA" || ext == ".PNG" || ext == ".PCX") {
    const CodecKind k = ext == ".TGA" ? CodecKind::Tga : ext == ".PNG" ? CodecKind::Png : CodecKind::Pcx;
    if (!ProbeWithCodec(k)) return kProbeCannotOpen;
    info.depth = ClampDepth(info.depth);
    return kProbeImage;
  }
  if (ext == ".PSD" || ext == ".GIF") {
    const CodecKind k = ext == ".PSD" ? CodecKind::Psd : CodecKind::Gif;
    // A fresh object each time, as the loader makes for the full read.
    codecs_.erase(k);
    const bool ok = ProbeWithCodec(k);
    codecs_.erase(k);
    if (!ok) return kProbeCannotOpen;
    if (k == CodecKind::Psd) info.depth = ClampDepth(info.depth);
    else info.depth = info.depth >= 5 ? 8 : (info.depth == 2 || info.depth == 3) ? 4 : info.depth;
    return kProbeImage;
  }
  if (ext == ".TIF") {
    code = kProbeImage;
    int compression = 0;
    TDibGraphic* tiff = Codec(CodecKind::Tiff);
    bool read = false;
    if (tiff) {
      try {
        auto* own = dynamic_cast<TTiffGraphic*>(tiff);
        const THeaderInfo h = own ? own->ReadFileHeader(info.fileName)
                                  : ReadHeaderFromPrefix(*tiff, info.fileName, CodecInfoOf(CodecKind::Tiff).headerPrefix, true);
        info.width = h.width;
        info.height = h.height;
        info.depth = ClampDepth(h.planes > 1 ? h.bitsPerPixel * h.planes : h.bitsPerPixel);
        compression = h.compression;
        info.pageCount = std::max(1, h.pageCount);
        read = true;
      } catch (const std::exception& e) {
        Fail(LoadErrorText(e));
        ReplaceCodec(CodecKind::Tiff);
      }
    } else {
      Fail("TIFF pictures cannot be read by this build");
    }
    const bool deflate = compression == 32946 || compression == 8;
    if (!read || ((info.width == 0 || info.height == 0 || info.depth == 0 || info.depth == 1) && !deflate))
      info.libraryFlag = true;
  }
  if (InKindList(ext, ".DCX") || info.libraryFlag) {
    CloseLibraryImage();
    const HIMG h = ImgOpenSolo(info.fileName);
    if (!h) {
      Fail(ImgStatusText());
      return kProbeCannotOpen;
    }
    ImgPageCount(h, &info.pageCount);
    BitmapInfoHeader hdr;
    if (!ImgGetInfoStruct(h, &hdr, nullptr)) {
      Fail(ImgStatusText());
      ImgClose(h);
      return kProbeCannotOpen;
    }
    info.width = hdr.width;
    info.height = hdr.height;
    info.depth = ClampDepth(hdr.planes > 1 ? hdr.bitCount * hdr.planes : hdr.bitCount);
    ImgClose(h);
    code = kProbeImage;
  }
  return code;
}

bool TImageLoader::OpenImage() {
  CloseLibraryImage();
  SetStatus("Loading...");
  host_->StopPainting();
  host_->PrepareWindow();
  host_->BusyCursor(true);
  workingBitmap.Clear();
  const std::string& ext = info.extension;
  bool ok = false;
  try {
    if (!ExtensionIsJpeg(ext)) {
      SetStatus("Ready.");
      if (InKindList(ext, ".DCX") || info.libraryFlag) {
        ok = LoadByExtension(true, 0);
      } else if (ext == ".PCD") {
        ok = ImportPCD() == 0 && RenderLibraryImage(false, false);
      } else if (InKindList(ext, kInProgramList)) {
        ok = LoadByExtension(false, 0);
        if (ok && info.depth > 8 && settings.fastRefresh && settings.autoReduce) {
          if (info.width > settings.screenWidth || info.height > settings.screenHeight) settings.autoReduce = false;
          else info.depth = 24;
        }
      } else {
        Fail("Unknown file type");
      }
    } else if (info.decodeFailed) {
      SetStatus("Ready.");
    } else {
      const auto start = std::chrono::steady_clock::now();
      if (!jpeg_) jpeg_ = MakeJpegDecoder();
      if (!jpeg_) throw EVistrelError("JPEG pictures cannot be read by this build");
      try {
        if (!info.preloaded) jpeg_->ReadFile(info.fileName);
        JpegDecodeRequest req;
        req.half = settings.halfJpeg;
        req.fitToWindow = settings.fitToWindow;
        req.slideshow = settings.slideshow;
        req.windowWidth = settings.windowWidth;
        req.windowHeight = settings.windowHeight;
        req.scale = settings.jpegScale;
        workingBitmap = jpeg_->Decode(req);
        ok = !workingBitmap.Empty();
        lastWarning_ = jpeg_->LastWarning();
      } catch (...) {
        info.decodeFailed = true;
        jpeg_ = MakeJpegDecoder();
        throw;
      }
      info.preloaded = false;
      if (!settings.slideshow) {
        const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start);
        // The real elapsed time (not shortened by 100 ms).
        SetStatus("Loaded " + SecondsTenthsText(ms.count()));
      }
    }
  } catch (const std::exception& e) {
    Fail(LoadErrorText(e));
    ok = false;
  }
  if (ok && workingBitmap.Empty()) ok = false;
  if (ok) {
    // The viewer's depth follows the bitmap actually produced.
    info.width = workingBitmap.Width();
    info.height = workingBitmap.Height();
    info.depth = workingBitmap.BitCount();
    info.loaded = true;
    info.reloadEnabled = true;
    info.decodeFailed = false;
    lastError_.clear();
    host_->ResumePainting();
    host_->Pump();
  } else {
    info.decodeFailed = false;
    info.depth = info.previousDepth;
    info.fileName = info.previousFileName;
    workingBitmap.Clear();
  }
  host_->BusyCursor(false);
  return ok;
}

bool TImageLoader::RenderBitmapThroughLibrary(Dib bitmap) {
  // Handed over, not copied: the library holds the one picture the working bitmap is drawn
  // from, so a palette picture peaks at twice its size.
  CloseLibraryImage();
  info.libraryImage = ImgFromBitmap(std::move(bitmap));
  if (!info.libraryImage) {
    Fail(ImgStatusText());
    return false;
  }
  return RenderLibraryImage(false, false);
}

bool TImageLoader::LoadBmp() {
  workingBitmap.Clear();
  const bool direct = RawPictureBytes(info.width, info.height, info.depth) > 16384000 || info.depth == 4 ||
                      info.width <= settings.thumbCellWidth || info.height <= settings.thumbCellHeight;
  if (direct) {
    host_->FreeMemoryForLargeLoad();
    if (host_->MemoryRunningLow()) {
      Fail("Not enough memory to load the picture");
      return false;
    }
    info.loadNote = "BMP direct load";
    try {
      workingBitmap = ReadBmpPath(info.fileName);
      return true;
    } catch (const std::exception& e) {
      Fail(LoadErrorText(e));
      workingBitmap.Clear();
    }
  }
  Bytes bytes;
  try {
    bytes = ReadFileBytes(info.fileName);
  } catch (const std::exception& e) {
    Fail(LoadErrorText(e));
    return false;
  }
  // The library reads the file; failing that, the codec's own reader.
  CloseLibraryImage();
  info.libraryImage = ImgOpenMem(bytes.data(), bytes.size(), "BMP");
  if (info.libraryImage && RenderLibraryImage(false, false)) return true;
  Fail(ImgStatusText());
  CloseLibraryImage();
  TDibGraphic* codec = Codec(CodecKind::Bmp);
  if (!codec) return false;
  try {
    codec->LoadFromBytes(bytes);
    bool ok;
    if (codec->Format() == TImageFormat::TrueColor) {
      workingBitmap = codec->TakeWorkingBitmap();
      ok = !workingBitmap.Empty();
    } else {
      ok = RenderBitmapThroughLibrary(codec->TakeWorkingBitmap());
    }
    codec->FreeImage();
    return ok;
  } catch (const std::exception& e) {
    Fail(LoadErrorText(e));
    ReplaceCodec(CodecKind::Bmp);
    return false;
  }
}

bool TImageLoader::LoadThroughCodec(CodecKind kind) {
  const bool fresh = kind == CodecKind::Psd || kind == CodecKind::Gif;
  if (fresh) codecs_.erase(kind);
  TDibGraphic* codec = Codec(kind);
  if (!codec) {
    Fail(std::string(CodecInfoOf(kind).name) + " pictures cannot be read by this build");
    return false;
  }
  try {
    if (kind == CodecKind::Png) codec->SetBackgroundColor(settings.background);
    codec->LoadFromFile(info.fileName);
    bool ok = false;
    if (codec->Empty()) {
      ok = false;
    } else if (fresh || codec->BitCount() > 8) {
      // The codec's picture becomes the working bitmap without a copy. (Small 24-bit PNGs
      // would pass through the library; the pixels are the same.)
      workingBitmap = codec->TakeWorkingBitmap();
      ok = true;
    } else if (kind == CodecKind::Pcx) {
      // The library reads the file itself: the codec's copy goes first, and is made again
      // only when the library cannot open the file.
      codec->FreeImage();
      CloseLibraryImage();
      info.libraryImage = ImgOpenSolo(info.fileName);
      if (info.libraryImage) {
        ok = RenderLibraryImage(false, false);
      } else {
        codec->LoadFromFile(info.fileName);
        ok = RenderBitmapThroughLibrary(codec->TakeWorkingBitmap());
      }
    } else {
      ok = RenderBitmapThroughLibrary(codec->TakeWorkingBitmap());
    }
    if (fresh) codecs_.erase(kind);
    else codec->FreeImage();
    return ok;
  } catch (const std::exception& e) {
    Fail(LoadErrorText(e));
    ReplaceCodec(kind);
    return false;
  }
}

bool TImageLoader::LoadByExtension(bool libraryPath, int page) {
  const std::string& ext = info.extension;
  if (!libraryPath && !info.libraryFlag) CloseLibraryImage();
  if (!libraryPath && InKindList(ext, kBmpList)) return LoadBmp();
  if (!libraryPath) {
    if (ext == ".TGA") return LoadThroughCodec(CodecKind::Tga);
    if (ext == ".PCX") return LoadThroughCodec(CodecKind::Pcx);
    if (ext == ".PNG") return LoadThroughCodec(CodecKind::Png);
    if (ext == ".PSD") return LoadThroughCodec(CodecKind::Psd);
    if (ext == ".GIF") return LoadThroughCodec(CodecKind::Gif);
    if (ext == ".TIF" && !info.libraryFlag) return LoadThroughCodec(CodecKind::Tiff);
    Fail("Unknown file type");
    return false;
  }
  // The multipage loader: the library image stays open for page changes.
  if (info.libraryImage) {
    if (!ImgSetPage(info.libraryImage, page)) {
      Fail(ImgStatusText());
      return false;
    }
  } else {
    info.libraryImage = ImgOpenSolo(info.fileName);
    if (!info.libraryImage) {
      Fail(ImgStatusText());
      return false;
    }
    if (!ImgSetPage(info.libraryImage, page)) {
      Fail(ImgStatusText());
      return false;
    }
  }
  info.pageIndex = page;
  ImgPageCount(info.libraryImage, &info.pageCount);
  if (settings.faxQuality != 0 && ImagemanInfo(false) && info.depth == 1) {
    TRect rect;
    int w = 0, h = 0;
    if (FaxShrinkGeometry(info.width, info.height, settings.faxQuality, &rect, &w, &h)) {
      const HIMG copy = ImgCopy(info.libraryImage, w, h, &rect, 32);
      if (copy) {
        const HIMG pageImage = info.libraryImage;
        info.libraryImage = copy;
        const bool ok = RenderLibraryImage(true, false);  // closes the copy
        info.libraryImage = pageImage;
        return ok;
      }
      Fail(ImgStatusText());
      ImgErrBox();
    }
  }
  return RenderLibraryImage(true, true) && info.depth != 0;
}

bool TImageLoader::ImagemanInfo(bool reopen) {
  if (reopen) {
    CloseLibraryImage();
    info.libraryImage = ImgOpenSolo(info.fileName);
    if (info.libraryImage) ImgPageCount(info.libraryImage, &info.pageCount);
  }
  if (!info.libraryImage) return false;
  BitmapInfoHeader h;
  if (!ImgGetInfoStruct(info.libraryImage, &h, nullptr)) return false;
  info.width = h.width;
  info.height = h.height;
  info.depth = ClampDepth(h.planes > 1 ? h.bitCount * h.planes : h.bitCount);
  info.libraryImageBytes = h.sizeImage;
  if (reopen) CloseLibraryImage();
  return true;
}

bool TImageLoader::RenderLibraryImage(bool refreshInfo, bool keepOpen) {
  // The size and depth always come from the library image itself, so the bitmap agrees
  // with what the file holds even when the probe's header guess did not.
  (void)refreshInfo;
  if (!ImagemanInfo(false)) {
    Fail(ImgStatusText());
    if (!keepOpen) CloseLibraryImage();
    return false;
  }
  const int bits = info.depth == 1 || info.depth == 4 || info.depth == 8 ? info.depth : 24;
  info.depth = bits;
  try {
    workingBitmap = Dib(info.width, info.height, bits);
  } catch (const std::exception& e) {
    Fail(LoadErrorText(e));
    workingBitmap.Clear();
  }
  if (workingBitmap.Width() != info.width || workingBitmap.Height() != info.height) {
    if (!keepOpen) CloseLibraryImage();
    return false;
  }
  if (info.depth < 15) {
    if (auto pal = ImgGetPalette(info.libraryImage)) workingBitmap.SetColors(*pal);
  }
  const bool drawn = ImgPrintImage(info.libraryImage, workingBitmap, TRect{0, 0, info.width, info.height}, 0) == 1;
  if (!drawn) {
    Fail(ImgStatusText());
    ImgErrBox();
    host_->BusyCursor(false);
  }
  if (!keepOpen) CloseLibraryImage();
  // A failed draw fails the load: the caller then shows the blank picture.
  return drawn;
}

int TImageLoader::ImportPCD() {
  HPCD pcd = nullptr;
  if (PCDopen(info.fileName, &pcd) != 0) {
    Fail("Not a Photo CD image pack");
    return 1;
  }
  std::uint8_t attr[4], more[4];
  PCDgetAttributes(pcd, attr, more);
  std::uint32_t mask = 0;
  int count = 0;
  PCDgetCount(pcd, &mask, &count);
  int allowed = count;
  if (attr[0] != 0) allowed = 1 + std::bit_width(mask & ~static_cast<std::uint32_t>(attr[0]));
  int r = settings.slideshow ? 3 : info.pcdResolution;
  r = std::max(0, std::min({r, count - 1, allowed - 1}));
  PCDsetResolution(pcd, r);
  PcdRect rect;
  PCDgetSize(pcd, &rect);
  info.width = rect.bottom;
  info.height = rect.right;
  if (!settings.slideshow) {
    std::string t = "Orientation: ";
    t += info.width > info.height ? "Landscape" : "Portrait";
    t += "\n\nMaximum res: " + PcdResText(count - 1) + "\n";
    t += "Allowed res: " + PcdResText(allowed - 1) + "\n";
    t += "Current res: " + PcdResText(r) + "\n";
    t += std::string("\nEncrypted: ") + (attr[0] ? "Yes" : "No");
    t += std::string("   Watermark: ") + (attr[1] ? "Yes" : "No") + "\n";
    PcdImageInfo pi;
    info.pcdRightsFile.clear();
    if (PCDreadImageInfo(pcd, &pi) == 0) {
      if (pi.mediumByte < 9) {
        t += "Media Type: " + FixedField(pi.mediaType[0], 20) + FixedField(pi.mediaType[1], 20) + "\n";
        t += "Scanner: " + FixedField(pi.scanner, 16) + "\n";
        if (static_cast<unsigned char>(pi.photofinisher[0]) != 255)
          t += "Photofinisher: " + FixedField(pi.photofinisher, 60) + "\n";
      }
      if (pi.copyrighted) {
        t += "\nRead Copyright file?";
        info.pcdRightsFile = info.fileName.substr(0, 2) + "/photo_cd/rights/" + FixedField(pi.rightsFile, 30);
      }
    }
    info.pcdInfo = t;
  }
  PCDsetFormat(pcd, 11);
  info.depth = 24;
  host_->BusyCursor(true);
  Bytes block;
  const int rc = PCDloadImage(pcd, nullptr, &block);
  PCDclose(pcd);
  if (rc != 0 || block.size() < 40 + 1024) {
    Fail("The Photo CD image could not be read");
    return 1;
  }
  // The pack's image carries a 1024-byte colour table after its header: drop it.
  block.erase(block.begin() + 40, block.begin() + 40 + 1024);
  CloseLibraryImage();
  info.libraryImage = ImgFromDIB(block);
  if (!info.libraryImage) {
    Fail(ImgStatusText());
    return 1;
  }
  return 0;
}

bool TImageLoader::DecodeVector() {
  std::optional<Dib> d;
  if (auto r = MetafileRenderer()) {
    try {
      d = r(info.fileName, PageRequest{settings.background, settings.windowWidth, settings.windowHeight});
    } catch (const std::exception&) {
      d.reset();
    }
  }
  if (!d || d->Empty()) {
    Fail("Invalid Metafile.");
    CurrentUi().Message(MessageKind::Error, "Invalid Metafile.", Button::OK);
    ShowBlankImage();
    return false;
  }
  workingBitmap = std::move(*d);
  info.fileName = "Untitled";
  info.reloadEnabled = false;
  info.width = workingBitmap.Width();
  info.height = workingBitmap.Height();
  info.depth = 24;
  info.loaded = true;
  return true;
}

bool TImageLoader::DecodeMemo() {
  std::optional<Dib> d;
  std::string why = "Text files cannot be shown by this build";
  if (auto r = TextPageRenderer()) {
    try {
      d = r(info.fileName, PageRequest{0xFFFFFF, settings.windowWidth, settings.windowHeight});
    } catch (const std::exception& e) {
      d.reset();
      why = e.what();
    }
  }
  if (!d || d->Empty()) {
    Fail(why);
    ShowBlankImage();
    return false;
  }
  workingBitmap = std::move(*d);
  info.fileName = "Untitled";
  info.reloadEnabled = false;
  info.width = workingBitmap.Width();
  info.height = workingBitmap.Height();
  info.depth = 24;
  info.loaded = true;
  return true;
}

void TImageLoader::ShowBlankImage() {
  CloseLibraryImage();
  Dib d(32, 32, 24);
  for (int y = 0; y < 32; ++y) {
    std::uint8_t* p = d.ScanLine(y);
    for (int x = 0; x < 32; ++x) {
      *p++ = static_cast<std::uint8_t>(BlueOf(settings.background));
      *p++ = static_cast<std::uint8_t>(GreenOf(settings.background));
      *p++ = static_cast<std::uint8_t>(RedOf(settings.background));
    }
  }
  workingBitmap = std::move(d);
  info.fileName = "Untitled";
  info.width = info.height = 32;
  info.depth = 24;
  info.pageCount = 1;
  info.pageIndex = 0;
  info.reloadEnabled = false;
  info.loaded = false;
}

bool TImageLoader::ChangePage(int command) {
  if (!info.libraryImage) return false;
  int count = 1, page = 0;
  ImgPageCount(info.libraryImage, &count);
  ImgGetPage(info.libraryImage, &page);
  switch (command) {
    case -1: page = page <= 0 ? count - 1 : page - 1; break;
    case 0: page = 0; break;
    case 1: page = page >= count - 1 ? 0 : page + 1; break;
    default: page = count - 1; break;
  }
  if (!LoadByExtension(true, page)) return false;
  info.pageIndex = page;
  info.pageCount = count;
  SetStatus("Page " + std::to_string(page + 1) + " of " + std::to_string(count));
  return true;
}

}  // namespace pelira
