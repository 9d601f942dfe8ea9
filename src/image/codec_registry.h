#pragma once
// Where the loading pipeline finds the codecs. The pipeline holds one long-lived object per
// in-program codec, made here, and routes every format to it (or to a clear failure while a
// codec is not built).
//
// Adding a codec: write its class in src/image/<format>_graphic.{h,cpp} (a TDibGraphic that
// overrides ReadHeader for the probe, ReadImage and SaveToStream; see dib_graphic.h), then
// fill its line in the table of codec_registry.cpp. That table is the only place outside the
// codec's own files that changes. JPEG, metafiles and text pages have their own small
// interfaces below; the save writers of the save dialog's types join the same table.
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "image/dib.h"
#include "image/dib_graphic.h"

namespace pelira {

enum class CodecKind { Bmp, Pcx, Tga, Png, Tiff, Gif, Psd };

struct CodecInfo {
  CodecKind kind;
  const char* name;          // "BMP", "PCX", ...
  std::size_t headerPrefix;  // bytes the probe reads first (the whole file when the header is not in them)
  std::function<std::unique_ptr<TDibGraphic>()> make;  // empty while the codec is not built
};

const CodecInfo& CodecInfoOf(CodecKind kind);
// A new codec object, or null when the build has none for this kind.
std::unique_ptr<TDibGraphic> MakeCodec(CodecKind kind);

// The JPEG decoder of the pipeline (the viewer keeps one; it is replaced after a failure).
struct JpegDecodeRequest {
  bool half = false;         // Half JPEG: decode at half size
  bool fitToWindow = false;  // choose a reduced scale that fits the window
  bool slideshow = false;
  int windowWidth = 0, windowHeight = 0;
  int scale = -1;            // 0..3 (1/1 .. 1/8) decodes at that scale whatever the rest says
};
class TJpegDecoder {
public:
  virtual ~TJpegDecoder() = default;
  // Reads the file and its header; raises an exception with a message on failure.
  virtual void ReadFile(const std::filesystem::path& path) = 0;
  virtual int Width() const = 0;
  virtual int Height() const = 0;
  virtual bool Grayscale() const = 0;
  // The picture: 8-bit with the 256-level gray palette for grayscale files, else 24 bits.
  virtual Dib Decode(const JpegDecodeRequest& request) = 0;
  // What the last Decode warned of (a truncated file), or "".
  virtual std::string LastWarning() const { return {}; }
};
std::unique_ptr<TJpegDecoder> MakeJpegDecoder();

// A metafile or text file drawn as a 24-bit picture; none means the file cannot be shown.
// Metafiles are drawn on the background colour at their own size; text pages on white,
// the page size (the viewer's client area) given.
struct PageRequest {
  ColorValue background = 0xFFFFFF;
  int pageWidth = 800, pageHeight = 600;
};
using PageRenderer = std::function<std::optional<Dib>(const std::filesystem::path& path, const PageRequest& request)>;
PageRenderer MetafileRenderer();
PageRenderer TextPageRenderer();
// Drawing needs the platform's painter: the Qt layer installs both renderers (null leaves
// that kind unshowable, as in core-only programs).
void SetPageRenderers(PageRenderer metafile, PageRenderer text);

// Writers of the save dialog's types 2..12 (type 1, BMP, is SaveWorkingBitmapBmp): the
// working bitmap to the file's bytes. Empty while the writer is not built.
struct SaveOptions {
  int quality = 50;          // JPEG compression value 1..99
  bool progressive = true;   // JPEG progressive, PNG interlace
};
using SaveWriter = std::function<std::vector<std::uint8_t>(const Dib& bitmap, const SaveOptions& options)>;
SaveWriter SaveWriterFor(int saveType);

// Tests replace a factory (null restores the table's).
void OverrideCodecFactory(CodecKind kind, std::function<std::unique_ptr<TDibGraphic>()> make);
void OverrideJpegDecoderFactory(std::function<std::unique_ptr<TJpegDecoder>()> make);

}  // namespace pelira
