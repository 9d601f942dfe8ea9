#include "imaging_library/tiff_document.h"

#include <tiffio.h>

#include <cstring>
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

  std::uint16_t compression = COMPRESSION_NONE, planar = PLANARCONFIG_CONTIG;
  TIFFGetFieldDefaulted(tif, TIFFTAG_COMPRESSION, &compression);
  TIFFGetFieldDefaulted(tif, TIFFTAG_PLANARCONFIG, &planar);
  // Nothing is allocated for a page whose data cannot be there.
  CheckStripsHoldThePage(tif, bytes_->size());

  const bool gray = spp == 1 && (photometric == PHOTOMETRIC_MINISWHITE || photometric == PHOTOMETRIC_MINISBLACK);
  const bool palette = spp == 1 && photometric == PHOTOMETRIC_PALETTE && bps <= 8;
  Dib out;
  std::map<std::uint32_t, int> index;  // colour -> first palette entry
  if (gray && bps == 1) {
    out = Dib(width, height, 1, Dib::Init::Uninitialised);
  } else if (gray && bps <= 8) {
    out = Dib(width, height, 8, Gray256Palette(), Dib::Init::Uninitialised);
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
    out = Dib(width, height, bps == 1 ? 1 : bps <= 4 ? 4 : 8, p, Dib::Init::Uninitialised);
  } else {
    out = Dib(width, height, 24, Dib::Init::Uninitialised);
  }
  const int bits = out.BitCount();

  // Bilevel, gray and palette pages of 1, 4 or 8 bits in strips are read a scanline at a
  // time straight into the page's own rows: a fax page costs its bits, not 32 a pixel.
  const bool ownRows = (gray || palette) && (bps == 1 || bps == 4 || bps == 8) && !TIFFIsTiled(tif) &&
                       planar == PLANARCONFIG_CONTIG && compression != COMPRESSION_JPEG &&
                       compression != COMPRESSION_OJPEG;
  if (ownRows) {
    const tmsize_t scanline = TIFFScanlineSize(tif);
    const std::size_t packed = (static_cast<std::size_t>(w) * bps + 7) / 8;
    if (scanline <= 0 || static_cast<std::size_t>(scanline) < packed) throw EVistrelError("TIFF page layout not supported");
    std::vector<std::uint8_t> buf(static_cast<std::size_t>(scanline));
    const bool invert = photometric == PHOTOMETRIC_MINISWHITE;
    for (std::uint32_t y = 0; y < hgt; ++y) {
      if (TIFFReadScanline(tif, buf.data(), y, 0) < 0) {
        const std::string m = TiffErrorText(tif);
        throw EVistrelError(m.empty() ? std::string("TIFF data cannot be read") : m);
      }
      std::uint8_t* dst = out.ScanLine(static_cast<int>(y));
      std::memset(dst, 0, out.Stride());
      if (gray && bps == 4) {
        // 4-bit gray becomes the 256-level ramp: v x 17.
        for (std::uint32_t x = 0; x < w; ++x) {
          const int v = (buf[x >> 1] >> ((x & 1) ? 0 : 4)) & 15;
          dst[x] = static_cast<std::uint8_t>((invert ? 15 - v : v) * 17);
        }
      } else if (gray && invert) {
        for (std::size_t i = 0; i < packed; ++i) dst[i] = static_cast<std::uint8_t>(~buf[i]);
      } else {
        std::memcpy(dst, buf.data(), packed);
      }
      // Bits past the width in the last byte stay clear.
      if (bits == 1 && (w & 7)) dst[packed - 1] &= static_cast<std::uint8_t>(0xFF00 >> (w & 7));
      if (bits == 4 && (w & 1)) dst[packed - 1] &= 0xF0;
    }
  }
  // Every other layout goes through the RGBA reader; the page then goes back to its own depth.
  const bool ok = ownRows || ReadRgbaRows(tif, w, hgt, [&](std::uint32_t row, const std::uint32_t* src) {
    std::uint8_t* dst = out.ScanLine(static_cast<int>(row));
    if (bits != 24) std::memset(dst, 0, out.Stride());
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
    if (bits == 24) std::memset(dst + 3 * static_cast<std::size_t>(w), 0, out.Stride() - 3 * static_cast<std::size_t>(w));
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
