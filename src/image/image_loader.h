#pragma once
// The loading pipeline: a file name becomes the working bitmap.
//
//   1. ProbeFile classifies the file by extension and reads only its header (a prefix of
//      the file): width, height, depth, page count, and whether the imaging library must
//      read it. Codes: 1 image, 2 media, 0 undecided (open as an image), -1 cannot be
//      opened, -10 text, -11 metafile.
//   2. OpenImage picks the loader: the multipage loader (imaging library), the Photo CD
//      import, the in-program codecs or the JPEG decode.
//   3. The loader fills the working bitmap at the file's depth: 24-bit pictures as 24-bit
//      bitmaps, palette pictures rendered by the imaging library at their depth with their
//      palette. The viewer's depth is taken from the bitmap produced.
//
// Open() runs the whole road as the viewer does and ends with the blank "Untitled"
// picture when the file cannot be shown. The viewer's own steps (undo, painting, cursor,
// memory) come through LoadHost, whose defaults do nothing. The loader keeps one codec
// object per in-program format and replaces it after a failed load through it.
#include <chrono>
#include <cstdint>
#include <exception>
#include <map>
#include <memory>
#include <string>

#include "image/codec_registry.h"
#include "image/dib.h"
#include "image/dib_graphic.h"
#include "image/kinds.h"
#include "imaging_library/imgman.h"

namespace pelira {

enum ProbeCode : int {
  kProbeUndecided = 0,
  kProbeImage = 1,
  kProbeMedia = 2,
  kProbeCannotOpen = -1,
  kProbeText = -10,
  kProbeMetafile = -11,
};

// What a failed load reports: the exception's message, "Not enough memory to load the
// picture" when memory ran out.
std::string LoadErrorText(const std::exception& e);

// A file is a JPEG when ".JP" occurs in its extension.
bool ExtensionIsJpeg(const std::string& upperExt);
// "BMP", "JPEG", "TIFF", "PNG", "PCX", "DCX", "TGA", "GIF", "PSD", "PCD", "WMF", "EMF",
// "TXT", "RTF", "MEDIA", or "" for an extension no list names.
std::string ProbeKindName(const std::string& upperExt);

struct LoadSettings {
  int faxQuality = 0;          // 0 "b/w", 1 "4 shades", 2 "16 shades", 3 "64 shades"
  int pcdStep = 3;             // Photo-CD step 0..6 ("    64x96" .. "4096x6144")
  bool autoReduce = false;
  bool fastRefresh = false;
  bool halfJpeg = false;
  int jpegScale = -1;          // 0..3 forces the JPEG decode scale (1/1 .. 1/8)
  bool fitToWindow = false;
  bool slideshow = false;
  ColorValue background = 0;   // colour value (blue in the low byte)
  int thumbCellWidth = 168, thumbCellHeight = 126;
  int windowWidth = 800, windowHeight = 600;
  int screenWidth = 800, screenHeight = 600;
};

struct CurrentImageInfo {
  std::string fileName = "Untitled";
  std::string previousFileName;
  std::string extension;
  int width = 0, height = 0, depth = 24, previousDepth = 24;
  int pageCount = 1, pageIndex = 0;
  HIMG libraryImage = 0;
  bool libraryFlag = false;
  bool preloaded = false;
  bool decodeFailed = false;
  bool loaded = false;
  bool reloadEnabled = false;
  std::string loadNote;
  std::string statusText;
  int pcdResolution = 0;
  std::string pcdInfo, pcdRightsFile;
  std::uint64_t libraryImageBytes = 0;
};

// The viewer's part of a load. Every default does nothing.
class LoadHost {
public:
  virtual ~LoadHost() = default;
  virtual void StopPainting() {}
  virtual void ResumePainting() {}
  virtual void PrepareWindow() {}        // also clears the undo backup and disables Undo
  virtual void BusyCursor(bool) {}
  // Before a direct load of a large BMP: the undo copy, the backup stream and spare image
  // buffers may go. (The clipboard stays: it is the user's.)
  virtual void FreeMemoryForLargeLoad() {}
  virtual bool MemoryRunningLow() { return false; }
  virtual void Pump() {}
  virtual void StatusChanged(const std::string&) {}
};

enum class OpenOutcome { Image, Media, Text, Metafile, Slideshow, Blank };

class TImageLoader {
public:
  explicit TImageLoader(LoadSettings settings = {}, LoadHost* host = nullptr);
  ~TImageLoader();
  TImageLoader(const TImageLoader&) = delete;
  TImageLoader& operator=(const TImageLoader&) = delete;

  LoadSettings settings;
  CurrentImageInfo info;
  Dib workingBitmap;

  // The whole road: probe, open or decode, blank picture on failure.
  OpenOutcome Open(const std::string& path);

  int ProbeFile();                  // classifies info.fileName
  bool OpenImage();                 // after a probe of 1 or 0
  bool LoadByExtension(bool libraryPath, int page);
  bool RenderLibraryImage(bool refreshInfo, bool keepOpen);
  bool ImagemanInfo(bool reopen);
  bool GetBMPinfo(const std::string& fileName);  // true on failure
  int ImportPCD();                  // 0 on success
  bool DecodeVector();              // metafiles
  bool DecodeMemo();                // text files
  void ShowBlankImage();
  // -1 previous, 0 first, 1 next, 999 last (wrapping at the ends).
  bool ChangePage(int command);
  void CloseLibraryImage();

  // Why the last open failed, for callers that report it (the CLI); empty after success.
  const std::string& LastError() const { return lastError_; }
  // What the last open's decoder warned of while still giving a picture (a truncated JPEG
  // decodes as far as its data goes), or "".
  const std::string& LastWarning() const { return lastWarning_; }
  // The codec object the loader holds for a kind (made on first use); null when not built.
  TDibGraphic* Codec(CodecKind kind);
  int CodecGeneration(CodecKind kind) const;

private:
  void ReplaceCodec(CodecKind kind);
  void SetStatus(const std::string& text);
  bool LoadBmp();
  bool LoadThroughCodec(CodecKind kind);
  bool RenderBitmapThroughLibrary(Dib bitmap);
  bool ProbeWithCodec(CodecKind kind);
  bool ProbePcd();
  void Fail(const std::string& why);

  LoadHost* host_;
  LoadHost defaultHost_;
  std::map<CodecKind, std::unique_ptr<TDibGraphic>> codecs_;
  std::map<CodecKind, int> generations_;
  std::unique_ptr<TJpegDecoder> jpeg_;
  std::string lastError_;
  std::string lastWarning_;
};

// The size of a picture in bytes for the memory rules: width x height x bytes per pixel
// of the depth, rounded down to a multiple of 4096.
std::uint64_t RawPictureBytes(int width, int height, int depth);
// The fax shrink of the multipage loader: the copied rectangle (corners of (0, 0) and
// (w - 1, h - 1) rounded down to multiples of 8) and the new size. False when the page is
// not shrunk (b/w quality, or a side would become 0).
bool FaxShrinkGeometry(int width, int height, int faxQuality, TRect* rect, int* newWidth, int* newHeight);

}  // namespace pelira
