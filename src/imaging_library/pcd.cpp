#include "imaging_library/pcd.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "image/dib_graphic.h"
#include "image/file_bytes.h"
#include "image/pixel_limit.h"

namespace pelira {

struct PcdFile {
  std::vector<std::uint8_t> bytes;
  int resolutions = 0;
  int resolution = 0;
  int format = 11;
  int rotation = 0;
};

namespace {

struct Level {
  std::size_t offset;
  int width, height;
  int shrink;  // 2: made from the plane by averaging 2 x 2 pixels
};
// Index r is 96 x 2^r by 64 x 2^r: 0 is made from Base/16, 1..3 are stored planes.
constexpr Level kLevels[4] = {{0x2000, 192, 128, 2}, {0x2000, 192, 128, 1}, {0xB800, 384, 256, 1}, {0x30000, 768, 512, 1}};

constexpr std::size_t kPcdBytesRead = kLevels[3].offset + 768 * 512 * 3 / 2;

std::uint8_t Clamp(double v) { return static_cast<std::uint8_t>(std::clamp(static_cast<int>(std::lround(v)), 0, 255)); }

}  // namespace

int PCDopen(const std::string& name, HPCD* pcd) {
  if (!pcd) return 1;
  *pcd = nullptr;
  std::vector<std::uint8_t> bytes;
  try {
    // Enough for the three base planes; nothing beyond is read.
    bytes = ReadFilePrefix(name, kPcdBytesRead);
  } catch (const std::exception&) {
    return 2;
  }
  return PCDopenBytes(std::move(bytes), pcd);
}

int PCDopenBytes(std::vector<std::uint8_t> bytes, HPCD* pcd) {
  if (!pcd) return 1;
  *pcd = nullptr;
  auto f = std::make_unique<PcdFile>();
  f->bytes = std::move(bytes);
  if (f->bytes.size() > kPcdBytesRead) f->bytes.resize(kPcdBytesRead);
  if (f->bytes.size() < 0x800 + 7 || std::memcmp(f->bytes.data() + 0x800, "PCD_IPI", 7) != 0) return 3;
  for (const Level& l : kLevels)
    if (f->bytes.size() >= l.offset + static_cast<std::size_t>(l.width) * l.height * 3 / 2) ++f->resolutions;
  if (f->resolutions == 1) f->resolutions = 0;  // index 0 needs the Base/16 plane
  if (f->resolutions == 0) return 4;
  if (f->bytes.size() > 0xE02) f->rotation = f->bytes[0xE02] & 3;
  *pcd = f.release();
  return 0;
}

int PCDclose(HPCD pcd) {
  delete pcd;
  return 0;
}

int PCDgetAttributes(HPCD pcd, std::uint8_t attributes[4], std::uint8_t more[4]) {
  if (!pcd) return 1;
  if (attributes) std::memset(attributes, 0, 4);
  if (more) std::memset(more, 0, 4);
  return 0;
}

int PCDgetCount(HPCD pcd, std::uint32_t* mask, int* count) {
  if (!pcd) return 1;
  if (mask) *mask = (1u << pcd->resolutions) - 1;
  if (count) *count = pcd->resolutions;
  return 0;
}

int PCDsetResolution(HPCD pcd, int r) {
  if (!pcd || r < 0 || r >= pcd->resolutions) return 1;
  pcd->resolution = r;
  return 0;
}

int PCDgetResolution(HPCD pcd, int* r) {
  if (!pcd || !r) return 1;
  *r = pcd->resolution;
  return 0;
}

int PCDgetSize(HPCD pcd, PcdRect* rect) {
  if (!pcd || !rect) return 1;
  const Level& l = kLevels[pcd->resolution];
  *rect = PcdRect{0, 0, static_cast<std::int16_t>(l.height / l.shrink), static_cast<std::int16_t>(l.width / l.shrink)};
  return 0;
}

int PCDsetFormat(HPCD pcd, int format) {
  if (!pcd || (format != 11 && format != 2)) return 1;
  pcd->format = format;
  return 0;
}

int PCDloadImage(HPCD pcd, const PcdRect* rect, std::vector<std::uint8_t>* block) {
  if (!pcd || !block) return 1;
  const Level& l = kLevels[pcd->resolution];
  const int fw = l.width / l.shrink, fh = l.height / l.shrink;
  int x0 = 0, y0 = 0, x1 = fw, y1 = fh;
  if (rect) {
    x0 = std::clamp<int>(rect->left, 0, fw);
    y0 = std::clamp<int>(rect->top, 0, fh);
    x1 = std::clamp<int>(rect->right, x0, fw);
    y1 = std::clamp<int>(rect->bottom, y0, fh);
    if (x1 <= x0 || y1 <= y0) return 2;
  }
  // The whole plane as R,G,B rows, top first. Rows come in pairs in the pack: two luma
  // rows, then one row of each chroma at half width.
  std::vector<std::uint8_t> rgb(static_cast<std::size_t>(l.width) * l.height * 3);
  const std::uint8_t* base = pcd->bytes.data() + l.offset;
  const std::size_t pair = static_cast<std::size_t>(l.width) * 3;
  for (int y = 0; y < l.height; ++y) {
    const std::uint8_t* p = base + static_cast<std::size_t>(y / 2) * pair;
    const std::uint8_t* luma = p + static_cast<std::size_t>(y & 1) * l.width;
    const std::uint8_t* c1 = p + 2 * static_cast<std::size_t>(l.width);
    const std::uint8_t* c2 = c1 + l.width / 2;
    std::uint8_t* o = rgb.data() + static_cast<std::size_t>(y) * l.width * 3;
    for (int x = 0; x < l.width; ++x) {
      const double L = 1.3584 * luma[x];
      const double C1 = 2.2179 * (c1[x / 2] - 156);
      const double C2 = 1.8215 * (c2[x / 2] - 137);
      *o++ = Clamp(L + C2);
      *o++ = Clamp(L - 0.194 * C1 - 0.509 * C2);
      *o++ = Clamp(L + C1);
    }
  }
  const int w = x1 - x0, h = y1 - y0;
  const std::size_t stride = static_cast<std::size_t>(RowStride(static_cast<std::uint64_t>(w), 24));
  block->assign(40 + 1024 + stride * static_cast<std::size_t>(h), 0);
  BitmapInfoHeader hdr;
  hdr.width = w;
  hdr.height = h;
  hdr.bitCount = 24;
  hdr.sizeImage = static_cast<std::uint32_t>(stride * static_cast<std::size_t>(h));
  hdr.WriteTo(block->data());
  std::uint8_t* pixels = block->data() + 40 + 1024;
  const int k = l.shrink;
  for (int y = y0; y < y1; ++y) {
    std::uint8_t* o = pixels + static_cast<std::size_t>(h - 1 - (y - y0)) * stride;
    for (int x = x0; x < x1; ++x) {
      for (int c = 2; c >= 0; --c) {  // blue, green, red
        int sum = 0;
        for (int dy = 0; dy < k; ++dy)
          for (int dx = 0; dx < k; ++dx)
            sum += rgb[(static_cast<std::size_t>(y * k + dy) * l.width + static_cast<std::size_t>(x * k + dx)) * 3 + c];
        *o++ = static_cast<std::uint8_t>((sum + k * k / 2) / (k * k));
      }
    }
  }
  return 0;
}

void PCDfreeBitmap(std::vector<std::uint8_t>* block) {
  if (block) std::vector<std::uint8_t>().swap(*block);
}

int PCDreadImageInfo(HPCD pcd, PcdImageInfo* info) {
  if (!pcd || !info) return 1;
  *info = PcdImageInfo{};
  return 0;
}

int PCDgetRotation(HPCD pcd) { return pcd ? pcd->rotation : 0; }

}  // namespace pelira
