#include "imaging_library/tiff_document.h"

#include <tiffio.h>

#include <map>
#include <string>

#include "common/errors.h"
#include "image/pixel_limit.h"
#include "image/tiff_io.h"

namespace pelira {

namespace {

class TiffDocument : public ImgDocument {
public:
  TiffDocument(std::shared_ptr<const std::vector<std::uint8_t>> bytes, int pages)
      : bytes_(std::move(bytes)), pages_(pages) {}
  int PageCount() const override { return pages_; }
  Dib DecodePage(int page) override;

private:
  std::shared_ptr<const std::vector<std::uint8_t>> bytes_;
  int pages_;
};

Dib TiffDocument::DecodePage(int page) {
  TiffHandle h = TiffHandle::OpenRead(*bytes_);
  if (!h) throw EVistrelError("Not a TIFF file");
  TIFF* tif = h.get();
  if (page < 0 || page >= pages_ || !TIFFSetDirectory(tif, static_cast<tdir_t>(page)))
    throw EVistrelError("TIFF page " + std::to_string(page + 1) + " cannot be read");
  std::uint32_t w = 0, hgt = 0;
  std::uint16_t bps = 1, spp = 1, photometric = PHOTOMETRIC_MINISWHITE;
  if (!TIFFGetField(tif, TIFFTAG_IMAGEWIDTH, &w) || !TIFFGetField(tif, TIFFTAG_IMAGELENGTH, &hgt) || w == 0 ||
      hgt == 0 || w > 0x7FFFFFFF || hgt > 0x7FFFFFFF)
    throw EVistrelError("TIFF page without a size");
  TIFFGetFieldDefaulted(tif, TIFFTAG_BITSPERSAMPLE, &bps);
  TIFFGetFieldDefaulted(tif, TIFFTAG_SAMPLESPERPIXEL, &spp);
  TIFFGetField(tif, TIFFTAG_PHOTOMETRIC, &photometric);
  const int width = static_cast<int>(w), height = static_cast<int>(hgt);

  // Every layout goes through the RGBA reader; the page then goes back to its own depth.
  const bool gray = spp == 1 && (photometric == PHOTOMETRIC_MINISWHITE || photometric == PHOTOMETRIC_MINISBLACK);
  const bool palette = spp == 1 && photometric == PHOTOMETRIC_PALETTE && bps <= 8;
  Dib out;
  std::map<std::uint32_t, int> index;  // colour -> first palette entry
  if (gray && bps == 1) {
    out = Dib(width, height, 1);
  } else if (gray && bps <= 8) {
    out = Dib(width, height, 8);
    out.SetColors(Gray256Palette());
  } else if (palette) {
    std::uint16_t *r = nullptr, *g = nullptr, *b = nullptr;
    if (!TIFFGetField(tif, TIFFTAG_COLORMAP, &r, &g, &b) || !r || !g || !b) throw EVistrelError("TIFF page without a ColorMap");
    const int n = 1 << bps;
    bool wide = false;
    for (int i = 0; i < n; ++i) wide = wide || r[i] > 255 || g[i] > 255 || b[i] > 255;
    const auto v = [wide](std::uint16_t x) { return static_cast<std::uint8_t>(wide ? x >> 8 : x & 255u); };
    Palette p;
    for (int i = 0; i < n; ++i) {
      p.push_back(RgbQuad{v(b[i]), v(g[i]), v(r[i]), 0});
      index.emplace(MakeColor(v(r[i]), v(g[i]), v(b[i])), i);
    }
    out = Dib(width, height, bps == 1 ? 1 : bps <= 4 ? 4 : 8, p);
  } else {
    out = Dib(width, height, 24);
  }
  const int bits = out.BitCount();
  const bool ok = ReadRgbaRows(tif, w, hgt, [&](std::uint32_t row, const std::uint32_t* src) {
    std::uint8_t* dst = out.ScanLine(static_cast<int>(row));
    for (std::uint32_t x = 0; x < w; ++x) {
      const int red = TIFFGetR(src[x]), green = TIFFGetG(src[x]), blue = TIFFGetB(src[x]);
      if (bits == 24) {
        dst[3 * x] = static_cast<std::uint8_t>(blue);
        dst[3 * x + 1] = static_cast<std::uint8_t>(green);
        dst[3 * x + 2] = static_cast<std::uint8_t>(red);
      } else if (palette) {
        const auto it = index.find(MakeColor(red, green, blue));
        out.SetIndex(static_cast<int>(x), static_cast<int>(row),
                     it != index.end() ? static_cast<std::uint32_t>(it->second) : 0u);
      } else if (bits == 1) {
        if (red >= 128) dst[x >> 3] = static_cast<std::uint8_t>(dst[x >> 3] | (0x80 >> (x & 7)));
      } else {
        dst[x] = static_cast<std::uint8_t>(red);
      }
    }
  });
  if (!ok) throw EVistrelError("TIFF page layout not supported");
  float xres = 0, yres = 0;
  std::uint16_t unit = RESUNIT_INCH;
  TIFFGetFieldDefaulted(tif, TIFFTAG_RESOLUTIONUNIT, &unit);
  const auto ppm = [unit](float v) -> std::int32_t {
    if (!(v > 0) || v > 1e6f || unit == RESUNIT_NONE) return 0;
    return static_cast<std::int32_t>(unit == RESUNIT_CENTIMETER ? v * 100 + 0.5f : v / 0.0254f + 0.5f);
  };
  if (TIFFGetField(tif, TIFFTAG_XRESOLUTION, &xres)) out.xPelsPerMeter = ppm(xres);
  if (TIFFGetField(tif, TIFFTAG_YRESOLUTION, &yres)) out.yPelsPerMeter = ppm(yres);
  return out;
}

}  // namespace

bool SniffTiff(std::span<const std::uint8_t> h) {
  return h.size() >= 4 && ((h[0] == 'I' && h[1] == 'I' && (h[2] == 42 || h[2] == 43) && h[3] == 0) ||
                           (h[0] == 'M' && h[1] == 'M' && h[2] == 0 && (h[3] == 42 || h[3] == 43)));
}

std::unique_ptr<ImgDocument> OpenTiffDocument(std::shared_ptr<const std::vector<std::uint8_t>> bytes) {
  TiffHandle h = TiffHandle::OpenRead(*bytes);
  if (!h) throw EVistrelError(h.Message().empty() ? std::string("Not a TIFF file") : h.Message());
  const int pages = TiffDirectoryCount(h.get());
  return std::make_unique<TiffDocument>(std::move(bytes), pages);
}

}  // namespace pelira
