#include "image/codec_registry.h"

#include <map>
#include <mutex>

#include "image/bmp_graphic.h"
#include "image/gif_graphic.h"
#include "image/graphic_x.h"
#include "image/library_codecs.h"
#include "image/native_save_writers.h"
#include "image/pcx_graphic.h"
#include "image/png_graphic.h"
#include "image/psd_graphic.h"
#include "image/tga_graphic.h"
#include "image/tiff_graphic.h"

namespace pelira {

namespace {

template <class Reader>
std::unique_ptr<TDibGraphic> MakeGraphicXCodec(const char* name) {
  return std::make_unique<TGraphicXCodec>(name, [] { return std::unique_ptr<TGraphicX>(new Reader); });
}

// One line per in-program codec. A codec not built yet has an empty factory: the pipeline
// then fails that format cleanly (the blank picture). The probe reads the prefix given here
// and the whole file only when the header does not fit in it (a TIFF directory may lie
// anywhere; PNG, GIF and PSD blocks before the picture may be long).
const CodecInfo kCodecs[] = {
    {CodecKind::Bmp, "BMP", kBmpHeaderPrefix, [] { return std::make_unique<TBmpGraphic>(); }},
    {CodecKind::Pcx, "PCX", 128, [] { return std::make_unique<TPcxGraphic>(); }},
    {CodecKind::Tga, "TGA", 18 + 255 + 1024, [] { return std::make_unique<TTgaGraphic>(); }},
    {CodecKind::Png, "PNG", 64 << 10, [] { return std::make_unique<TPngGraphic>(); }},
    {CodecKind::Tiff, "TIFF", 64 << 10, [] { return std::make_unique<TTiffGraphic>(); }},
    {CodecKind::Gif, "GIF", 64 << 10, [] { return MakeGraphicXCodec<TGIFGraphic>("TGIFGraphic"); }},
    {CodecKind::Psd, "PSD", 64 << 10, [] { return MakeGraphicXCodec<TPSDGraphic>("TPSDGraphic"); }},
};

// The JPEG decoder, metafile and text renderers and the save writers join here.
std::unique_ptr<TJpegDecoder> NewJpegDecoder() { return NewLibJpegDecoder(); }
SaveWriter WriterFor(int saveType) {
  if (SaveWriter w = NativeSaveWriter(saveType)) return w;
  return LibrarySaveWriter(saveType);
}

std::mutex g_mu;
std::map<CodecKind, std::function<std::unique_ptr<TDibGraphic>()>> g_overrides;
std::function<std::unique_ptr<TJpegDecoder>()> g_jpegOverride;
PageRenderer g_metafileRenderer, g_textRenderer;

}  // namespace

const CodecInfo& CodecInfoOf(CodecKind kind) {
  for (const CodecInfo& c : kCodecs)
    if (c.kind == kind) return c;
  return kCodecs[0];
}

std::unique_ptr<TDibGraphic> MakeCodec(CodecKind kind) {
  {
    std::lock_guard lock(g_mu);
    auto it = g_overrides.find(kind);
    if (it != g_overrides.end()) return it->second ? it->second() : nullptr;
  }
  const CodecInfo& c = CodecInfoOf(kind);
  return c.make ? c.make() : nullptr;
}

std::unique_ptr<TJpegDecoder> MakeJpegDecoder() {
  {
    std::lock_guard lock(g_mu);
    if (g_jpegOverride) return g_jpegOverride();
  }
  return NewJpegDecoder();
}

PageRenderer MetafileRenderer() {
  std::lock_guard lock(g_mu);
  return g_metafileRenderer;
}
PageRenderer TextPageRenderer() {
  std::lock_guard lock(g_mu);
  return g_textRenderer;
}
void SetPageRenderers(PageRenderer metafile, PageRenderer text) {
  std::lock_guard lock(g_mu);
  g_metafileRenderer = std::move(metafile);
  g_textRenderer = std::move(text);
}
SaveWriter SaveWriterFor(int saveType) { return WriterFor(saveType); }

void OverrideCodecFactory(CodecKind kind, std::function<std::unique_ptr<TDibGraphic>()> make) {
  std::lock_guard lock(g_mu);
  if (make) g_overrides[kind] = std::move(make);
  else g_overrides.erase(kind);
}

void OverrideJpegDecoderFactory(std::function<std::unique_ptr<TJpegDecoder>()> make) {
  std::lock_guard lock(g_mu);
  g_jpegOverride = std::move(make);
}

}  // namespace pelira
