#include "image/color_depth.h"

#include <cstring>
#include <string_view>

#include "imaging_library/image_ops.h"
#include "imaging_library/imgman.h"

namespace pelira {

namespace {

// One library image, closed on every path.
struct LibraryImage {
  HIMG h = 0;
  explicit LibraryImage(HIMG handle) : h(handle) {}
  ~LibraryImage() {
    if (h) ImgClose(h);
  }
  LibraryImage(const LibraryImage&) = delete;
  LibraryImage& operator=(const LibraryImage&) = delete;
};

Dib ReduceThroughLibrary(const Dib& bitmap, ReductionOptions o) {
  if (bitmap.Empty()) throw EColorDepthError("There is no picture to convert");
  if (!ImgInitialised()) ImgInit();
  // Handed over in memory: the library is in our process, so no temporary file is needed
  // whatever the picture's size.
  LibraryImage src(ImgFromBitmap(bitmap));
  if (!src.h) throw EColorDepthError(ImgStatusText());
  LibraryImage reduced(ImgReduceColors(src.h, o.colours, o.option));
  if (!reduced.h) throw EColorDepthError(ImgStatusText());
  const Dib* d = ImgGetBitmap(reduced.h);
  if (!d) throw EColorDepthError(ImgStatusText());
  Dib out = *d;
  out.xPelsPerMeter = bitmap.xPelsPerMeter;
  out.yPelsPerMeter = bitmap.yPelsPerMeter;
  return out;
}

}  // namespace

ReductionOptions ReductionOptionsFor(DepthTarget target, int method) {
  const int column = method == 1 ? 0 : method == 2 ? 1 : 2;
  static const int kBw[3] = {2, 4, 1}, kColour[3] = {36, 68, 20};
  switch (target) {
    case DepthTarget::BlackWhite: return {2, kBw[column]};
    case DepthTarget::Colors16: return {16, kColour[column]};
    case DepthTarget::Colors256: return {256, kColour[column]};
    case DepthTarget::Grays256: return {256, kColour[column] + 8};
  }
  return {256, kColour[column]};
}

ReductionOptions PosterizeOptionsFor(int bits) {
  if (bits != 4 && bits != 8) throw EColorDepthError("Posterize works to 16 or 256 colors");
  return {bits == 4 ? 16 : 256, 32};
}

Dib ReduceDepth(const Dib& bitmap, DepthTarget target, int method) {
  return ReduceThroughLibrary(bitmap, ReductionOptionsFor(target, method));
}

Dib Posterize(const Dib& bitmap, int bits) {
  const ReductionOptions o = PosterizeOptionsFor(bits);
  if (bitmap.Empty()) throw EColorDepthError("There is no picture to convert");
  return ReduceThroughLibrary(bitmap.BitCount() == 24 ? bitmap : ToTrueColor(bitmap), o);
}

Dib Promote(const Dib& bitmap, int bits) {
  if (bits != 4 && bits != 8 && bits != 24) throw EColorDepthError("Invalid color depth.");
  if (bitmap.Empty()) throw EColorDepthError("There is no picture to convert");
  if (bits == 24) {
    Dib out = ToTrueColor(bitmap);
    out.xPelsPerMeter = bitmap.xPelsPerMeter;
    out.yPelsPerMeter = bitmap.yPelsPerMeter;
    return out;
  }
  const int w = bitmap.Width(), h = bitmap.Height();
  const bool keepIndices = bitmap.HasPalette() && bitmap.BitCount() <= bits;
  Dib out(w, h, bits, keepIndices ? bitmap.Colors() : DefaultPaletteForBits(bits), Dib::Init::Zero);
  if (keepIndices) {
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) out.SetIndex(x, y, bitmap.Index(x, y));
  } else {
    // Nearest entry of the target's palette, through the cached search (same results).
    const TPaletteRecord record = TPaletteRecord::From(out.Colors());
    TRgbToPaletteConverter nearest(&record);
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) out.SetIndex(x, y, static_cast<std::uint32_t>(nearest.Convert(bitmap.Pixel(x, y))));
  }
  out.xPelsPerMeter = bitmap.xPelsPerMeter;
  out.yPelsPerMeter = bitmap.yPelsPerMeter;
  return out;
}

Dib TrueGrayscale(const Dib& bitmap) {
  if (bitmap.Empty()) throw EColorDepthError("There is no picture to convert");
  Dib out = bitmap.BitCount() == 24 ? bitmap : ToTrueColor(bitmap);
  const int w = out.Width();
  for (int y = 0; y < out.Height(); ++y) {
    std::uint8_t* p = out.ScanLine(y);
    for (int x = 0; x < w; ++x, p += 3) {
      const auto g = static_cast<std::uint8_t>(TrueGrayOf(p[2], p[1], p[0]));
      p[0] = p[1] = p[2] = g;
    }
  }
  out.xPelsPerMeter = bitmap.xPelsPerMeter;
  out.yPelsPerMeter = bitmap.yPelsPerMeter;
  return out;
}

}  // namespace pelira
