#include "thumbs/thumb_builder.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstring>
#include <exception>
#include <new>

#include "common/kind_list.h"
#include "display/fit_size.h"
#include "image/file_bytes.h"
#include "image/image_loader.h"
#include "image/jpeg_image.h"
#include "image/kinds.h"
#include "imaging_library/image_ops.h"
#include "thumbs/thumb_names.h"

namespace pelira {

namespace {

// The reduced decode aims at twice the stored size.
constexpr int kDecodeWidth = 2 * kThumbWidth;
constexpr int kDecodeHeight = 2 * kThumbHeight;
constexpr int kIconSide = 63;

int ScaledSide(int size, int scale) {
  const int f = 1 << scale;
  return (size + f - 1) / f;
}

BuiltThumb Failure(ThumbStatus status, std::string reason) {
  BuiltThumb b;
  b.status = status;
  b.reason = std::move(reason);
  return b;
}

void KeepSize(BuiltThumb& b, std::int64_t w, std::int64_t h) {
  const bool fits = w >= 0 && w <= 65535 && h >= 0 && h <= 65535;
  b.width = fits ? static_cast<int>(w) : 0;
  b.height = fits ? static_cast<int>(h) : 0;
}

void Fill(Dib& d, int x0, int y0, int x1, int y1, std::uint8_t r, std::uint8_t g, std::uint8_t b) {
  for (int y = std::max(0, y0); y < std::min(d.Height(), y1); ++y)
    for (int x = std::max(0, x0); x < std::min(d.Width(), x1); ++x) {
      std::uint8_t* p = d.ScanLine(y) + 3 * x;
      p[0] = b;
      p[1] = g;
      p[2] = r;
    }
}

}  // namespace

Dib BlankThumbnail() {
  Dib d(kThumbWidth, kThumbHeight, 24, Dib::Init::Uninitialised);
  std::memset(d.Bits(), 0xFF, d.ImageSize());
  return d;
}

RectI ThumbRect(int width, int height) {
  const SizeI s = FitSize(width, height, kThumbFitWidth, kThumbFitHeight);
  return {CenteredOrigin(kThumbWidth, s.width), CenteredOrigin(kThumbHeight, s.height), s.width, s.height};
}

Dib ThumbnailOf(const Dib& picture) {
  Dib thumb = BlankThumbnail();
  if (picture.Empty()) return thumb;
  const RectI r = ThumbRect(picture.Width(), picture.Height());
  DrawInto(picture, TRect{0, 0, picture.Width(), picture.Height()}, thumb,
           TRect{r.left, r.top, r.left + r.width, r.top + r.height});
  return thumb;
}

Dib ThumbnailOfIcon(const Dib& icon) {
  Dib thumb = BlankThumbnail();
  if (icon.Empty()) return thumb;
  const int left = (kThumbWidth - kIconSide) / 2, top = (kThumbHeight - kIconSide) / 2;
  DrawInto(icon, TRect{0, 0, icon.Width(), icon.Height()}, thumb, TRect{left, top, left + kIconSide, top + kIconSide});
  return thumb;
}

Dib DefaultThumbIcon(std::string_view name) {
  Dib d(kIconSide, kIconSide, 24, Dib::Init::Uninitialised);
  std::memset(d.Bits(), 0xFF, d.ImageSize());
  if (name == kFailedThumb) {
    // A warning triangle with an exclamation mark.
    for (int y = 4; y < 59; ++y) {
      const int half = (y - 4) / 2 + 1;
      Fill(d, 31 - half, y, 32 + half, y + 1, 0, 0, 0);
      if (y > 6 && y < 57) Fill(d, 31 - half + 2, y, 32 + half - 2, y + 1, 255, 204, 0);
    }
    Fill(d, 29, 22, 34, 44, 0, 0, 0);
    Fill(d, 29, 48, 34, 53, 0, 0, 0);
    return d;
  }
  if (name == kCdTrackThumb) {
    // A disc.
    for (int y = 0; y < kIconSide; ++y)
      for (int x = 0; x < kIconSide; ++x) {
        const int dx = x - 31, dy = y - 31, r2 = dx * dx + dy * dy;
        if (r2 <= 29 * 29 && r2 >= 6 * 6) Fill(d, x, y, x + 1, y + 1, r2 >= 28 * 28 ? 64 : 192, 192, r2 >= 28 * 28 ? 64 : 208);
      }
    return d;
  }
  // A page with its corner folded; the program's own icon has a blue band.
  Fill(d, 12, 4, 51, 59, 0, 0, 0);
  Fill(d, 13, 5, 50, 58, 255, 255, 255);
  Fill(d, 40, 5, 50, 15, 160, 160, 160);
  if (name == kProgramIconThumb) Fill(d, 16, 24, 47, 34, 0, 64, 192);
  for (int i = 0; i < 4; ++i) Fill(d, 18, 38 + 5 * i, 45, 40 + 5 * i, 128, 128, 128);
  return d;
}

Dib ReduceThumbnail(const Dib& stored, int width, int height) {
  width = std::clamp(width, 1, kThumbWidth);
  height = std::clamp(height, 1, kThumbHeight);
  Dib out(width, height, 24, Dib::Init::Uninitialised);
  if (stored.Width() != kThumbWidth || stored.Height() != kThumbHeight || stored.BitCount() != 24) return out;
  for (int y = 0; y < height; ++y) {
    const int sy = std::min(kThumbHeight - 1, (kThumbHeight - 1) * y / height);
    const std::uint8_t* src = stored.ScanLine(sy);
    std::uint8_t* dst = out.ScanLine(y);
    for (int x = 0; x < width; ++x) {
      const int sx = width > 1 ? std::min(kThumbWidth - 1, (kThumbWidth - 1) * x / (width - 1)) : 0;
      std::memcpy(dst + 3 * x, src + 3 * sx, 3);
    }
  }
  return out;
}

ThumbBuilder::ThumbBuilder() = default;
ThumbBuilder::~ThumbBuilder() = default;

BuiltThumb ThumbBuilder::Build(const std::string& path, bool background) {
  const std::string ext = UpperExt(path);
  try {
    if (IsJpegExtension(ext)) return BuildJpeg(path, background);
    if (InKindList(ext, kPictureThumbKinds)) return BuildOther(path, background);
    BuiltThumb b;
    b.status = ThumbStatus::Done;
    b.thumb = ThumbnailOfIcon(DefaultThumbIcon(SharedThumbName(ext)));
    return b;
  } catch (const std::bad_alloc&) {
    return Failure(ThumbStatus::Failed, "Not enough memory to load the picture");
  } catch (const std::exception& e) {
    return Failure(ThumbStatus::Failed, e.what());
  }
}

BuiltThumb ThumbBuilder::BuildJpeg(const std::string& path, bool background) {
  struct stat st {};
  if (::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) &&
      static_cast<std::uint64_t>(st.st_size) > kThumbMaxJpegBytes)
    return Failure(ThumbStatus::Failed, "File too large: " + path);
  const Bytes bytes = ReadFileBytes(path);  // refuses FIFOs, devices and folders
  TJPEGImage jpeg;
  jpeg.LoadFromStream(ByteSpan(bytes.data(), bytes.size()));
  const int w = jpeg.HeaderWidth(), h = jpeg.HeaderHeight();
  const int scale = JpegScaleToFit(w, h, kDecodeWidth, kDecodeHeight);
  // The limit is on what is decoded: a 45-megapixel photo decodes at 1/8 easily.
  if (ScaledSide(w, scale) > kThumbSideLimit && ScaledSide(h, scale) > kThumbSideLimit)
    return Failure(background ? ThumbStatus::Retry : ThumbStatus::Failed, "Picture too large: " + path);
  jpeg.SetReducedDecode(kDecodeWidth, kDecodeHeight, 2);
  Dib decoded;
  jpeg.DecodeReduced(decoded);
  BuiltThumb b;
  b.status = ThumbStatus::Done;
  b.thumb = ThumbnailOf(decoded);
  KeepSize(b, w, h);
  return b;
}

BuiltThumb ThumbBuilder::BuildOther(const std::string& path, bool background) {
  const std::string problem = RegularFileProblem(path);
  if (!problem.empty()) return Failure(ThumbStatus::Failed, problem);
  if (!loader_) {
    LoadSettings s;
    s.pcdStep = 1;            // the smallest Photo CD base that still covers the stored width
    s.background = 0xFFFFFF;  // transparent parts on white, as the thumbnail's margin
    loader_ = std::make_unique<TImageLoader>(s);
  }
  TImageLoader& l = *loader_;
  l.info.fileName = path;
  l.info.extension = UpperExt(path);
  const int code = l.ProbeFile();
  if (code != kProbeImage && code != kProbeUndecided) return Failure(ThumbStatus::Failed, "Cannot open the file");
  if (background && l.info.width > kThumbSideLimit && l.info.height > kThumbSideLimit)
    return Failure(ThumbStatus::Retry, "Picture too large: " + path);
  const std::int64_t w = l.info.width, h = l.info.height;
  if (!l.OpenImage() || l.workingBitmap.Empty()) {
    const std::string why = l.LastError().empty() ? "Cannot open the file" : l.LastError();
    l.CloseLibraryImage();
    l.workingBitmap.Clear();
    return Failure(ThumbStatus::Failed, why);
  }
  Dib picture = std::move(l.workingBitmap);
  l.workingBitmap.Clear();
  l.CloseLibraryImage();
  const int pw = picture.Width(), ph = picture.Height();
  // Large pictures are first averaged down by the power of two a JPEG of the same size would be
  // decoded at, so one picture as PNG and as JPEG gives nearly the same thumbnail.
  const int scale = JpegScaleToFit(picture.Width(), picture.Height(), kDecodeWidth, kDecodeHeight);
  if (scale > 0) {
    const int sw = ScaledSide(picture.Width(), scale), sh = ScaledSide(picture.Height(), scale);
    picture = ScaledCopy(picture, sw, sh, TRect{0, 0, picture.Width(), picture.Height()}, 4);
  }
  BuiltThumb b;
  b.status = ThumbStatus::Done;
  b.thumb = ThumbnailOf(picture);
  KeepSize(b, w > 0 ? w : pw, h > 0 ? h : ph);
  return b;
}

}  // namespace pelira
