#include <gtest/gtest.h>

#include <cstring>
#include <set>

#include "image/bmp_graphic.h"
#include "image/file_bytes.h"
#include "imaging_library/image_ops.h"
#include "imaging_library/imgman.h"
#include "imaging_library/pcd.h"
#include "platform/scripted_ui.h"
#include "support/test_support.h"

namespace pelira {
namespace {

Dib Gradient(int w, int h) {
  Dib d(w, h, 24);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) d.SetPixel(x, y, MakeColor(x * 255 / std::max(1, w - 1), y * 255 / std::max(1, h - 1), (x * 7 + y * 13) % 256));
  return d;
}

TEST(ImagingLibrary, DocumentsPagesInfoAndRender) {
  ImgInit();
  const auto path = test::Fixture("image/v3_8.bmp");
  const HIMG h = ImgOpenSolo(path.string());
  ASSERT_NE(h, 0u) << ImgStatusText();
  int pages = 0, page = -1;
  EXPECT_EQ(ImgPageCount(h, &pages), 1);
  EXPECT_EQ(pages, 1);
  EXPECT_EQ(ImgGetPage(h, &page), 1);
  EXPECT_EQ(page, 0);
  EXPECT_EQ(ImgSetPage(h, 1), 0);
  EXPECT_EQ(ImgGetStatus(), IMG_NOPAGE);
  BitmapInfoHeader hdr;
  ImgExtraInfo extra;
  ASSERT_EQ(ImgGetInfoStruct(h, &hdr, &extra), 1);
  EXPECT_EQ(hdr.width, 17);
  EXPECT_EQ(hdr.height, 3);
  EXPECT_EQ(hdr.bitCount, 8);
  EXPECT_EQ(extra.type, "BMP");
  // Render at the page's depth with its palette: indices come through unchanged.
  const auto pal = ImgGetPalette(h);
  ASSERT_TRUE(pal.has_value());
  Dib target(17, 3, 8, *pal);
  EXPECT_EQ(ImgPrintImage(h, target, TRect{0, 0, 17, 3}), 1);
  TBmpGraphic g;
  g.LoadFromFile(path);
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 17; ++x) ASSERT_EQ(target.Index(x, y), static_cast<std::uint32_t>(g.PaletteIndex(x, y)));
  // A 24-bit target receives the colours.
  Dib rgb(17, 3, 24);
  EXPECT_EQ(ImgPrintImage(h, rgb, TRect{0, 0, 17, 3}), 1);
  EXPECT_EQ(rgb.Pixel(5, 1), g.Pixels(5, 1));
  EXPECT_EQ(ImgClose(h), 1);
  EXPECT_EQ(ImgClose(h), 0);
  EXPECT_EQ(ImgGetStatus(), IMG_BADHANDLE);
}

TEST(ImagingLibrary, FailuresAreZeroWithAReason) {
  EXPECT_EQ(ImgOpenSolo("/no/such/file.bmp"), 0u);
  EXPECT_EQ(ImgGetStatus(), IMG_NOFILE);
  const Bytes junk = test::ReadBytes(test::Fixture("image/truncated_pixels.bmp"));
  const HIMG h = ImgOpenMem(junk.data(), junk.size(), "BMP");
  ASSERT_NE(h, 0u) << "pages decode on demand";
  BitmapInfoHeader hdr;
  EXPECT_EQ(ImgGetInfoStruct(h, &hdr, nullptr), 0);
  EXPECT_EQ(ImgGetStatus(), IMG_DECODE);
  EXPECT_EQ(ImgStatusText(), "Invalid bitmap");
  ImgClose(h);
  EXPECT_EQ(ImgOpenMem(junk.data(), junk.size(), "XYZ"), 0u);
  EXPECT_EQ(ImgGetStatus(), IMG_BADFORMAT);
  test::TempDir dir;
  test::WriteText(dir / "a.txt", "hello");
  EXPECT_EQ(ImgOpenSolo((dir / "a.txt").string()), 0u);
  EXPECT_EQ(ImgGetStatus(), IMG_BADFORMAT);

  ScriptedUi ui;
  ScopedUi scope(ui);
  ImgErrBox();
  ASSERT_EQ(ui.Calls().size(), 1u);
  EXPECT_EQ(ui.Calls()[0].kind, MessageKind::Error);
  EXPECT_EQ(ui.Calls()[0].text, "Unknown image format");
}

TEST(ImagingLibrary, PackedDibRoundTrip) {
  Dib d(5, 4, 4, Color16Palette());
  d.SetIndex(4, 3, 9);
  const Bytes block = ExportPackedDib(d);
  const HIMG h = ImgFromDIB(block);
  ASSERT_NE(h, 0u);
  const Dib* back = ImgGetBitmap(h);
  ASSERT_NE(back, nullptr);
  EXPECT_EQ(back->BitCount(), 4);
  EXPECT_EQ(back->Index(4, 3), 9u);
  ImgClose(h);
  EXPECT_EQ(ImgFromDIB(ByteSpan(block).first(20)), 0u);
}

TEST(ImageOps, FaxShrinkToGrayShades) {
  // A 16x8 page, black left half: 2x2 boxes give 0 or 255; a box on the edge of a 1-pixel
  // checker gives the half level.
  Dib page(16, 8, 1);
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 16; ++x) page.SetIndex(x, y, x < 8 ? 0 : 1);
  const Dib g = ScaledCopy(page, 8, 4, TRect{0, 0, 16, 8}, 32);
  EXPECT_EQ(g.BitCount(), 8);
  EXPECT_EQ(g.Colors()[200], (RgbQuad{200, 200, 200, 0}));
  EXPECT_EQ(g.Index(0, 0), 0u);
  EXPECT_EQ(g.Index(7, 3), 255u);
  Dib checker(4, 4, 1);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 4; ++x) checker.SetIndex(x, y, (x + y) & 1);
  const Dib half = ScaledCopy(checker, 2, 2, TRect{0, 0, 4, 4}, 32);
  EXPECT_EQ(half.Index(1, 1), 128u);
  // Keeping black / white on the same checker.
  EXPECT_EQ(ScaledCopy(checker, 2, 2, TRect{0, 0, 4, 4}, 1).Index(0, 0), 0u);
  EXPECT_EQ(ScaledCopy(checker, 2, 2, TRect{0, 0, 4, 4}, 2).Index(0, 0), 1u);
  // A rectangle cuts the source.
  const Dib part = ScaledCopy(page, 4, 4, TRect{8, 0, 12, 4}, 0);
  EXPECT_EQ(part.Index(0, 0), 1u);
}

TEST(ImageOps, SmoothAndPlainCopies) {
  const Dib src = Gradient(9, 6);
  const Dib same = ScaledCopy(src, 9, 6, TRect{0, 0, 9, 6}, 4);
  for (int y = 0; y < 6; ++y)
    for (int x = 0; x < 9; ++x) ASSERT_EQ(same.Pixel(x, y), src.Pixel(x, y));
  const Dib big = ScaledCopy(src, 18, 12, TRect{0, 0, 9, 6}, 0);
  EXPECT_EQ(big.Pixel(17, 11), src.Pixel(8, 5));
  EXPECT_EQ(big.Pixel(2, 3), src.Pixel(1, 1));
  Dib flat(8, 8, 24);
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 8; ++x) flat.SetPixel(x, y, x < 4 ? 0 : MakeColor(200, 100, 50));
  const Dib halfSize = ScaledCopy(flat, 4, 4, TRect{0, 0, 8, 8}, 4);
  EXPECT_EQ(halfSize.Pixel(0, 0), 0u);
  EXPECT_EQ(halfSize.Pixel(3, 3), MakeColor(200, 100, 50));
  const Dib odd = ScaledCopy(flat, 3, 3, TRect{0, 0, 8, 8}, 4);
  EXPECT_EQ(odd.Pixel(1, 1), MakeColor(100, 50, 25)) << "the middle box straddles both halves evenly";
}

TEST(ImageOps, ReduceColorsStaysWithinTheCount) {
  const Dib src = Gradient(40, 30);
  struct Case { int colours, option, bits; };
  for (const Case c : {Case{256, 36, 8}, Case{256, 68, 8}, Case{16, 36, 4}, Case{16, 20, 4}, Case{236, 36, 8},
                       Case{2, 2, 1}, Case{2, 4, 1}, Case{256, 44, 8}, Case{16, 32, 4}, Case{256, 32, 8}}) {
    const Dib r = ReduceColors(src, c.colours, c.option);
    EXPECT_EQ(r.BitCount(), c.bits) << c.colours << "/" << c.option;
    EXPECT_LE(static_cast<int>(r.Colors().size()), c.colours);
    std::set<std::uint32_t> used;
    for (int y = 0; y < r.Height(); ++y)
      for (int x = 0; x < r.Width(); ++x) used.insert(r.Index(x, y));
    EXPECT_LE(*used.rbegin(), r.Colors().size() - 1) << "every index has an entry";
    if (c.option & 8) {
      for (const RgbQuad& q : r.Colors()) EXPECT_TRUE(q.red == q.green && q.green == q.blue);
    }
  }
  // A picture with few colours keeps them exactly.
  Dib few(6, 2, 24);
  for (int x = 0; x < 6; ++x) {
    few.SetPixel(x, 0, MakeColor(10 * x, 0, 0));
    few.SetPixel(x, 1, MakeColor(0, 0, 255));
  }
  const Dib r = ReduceColors(few, 16, 36);
  for (int x = 0; x < 6; ++x) EXPECT_EQ(r.Pixel(x, 0), MakeColor(10 * x, 0, 0));
  // Dithering a mid gray to black and white mixes both, about half each.
  Dib gray(32, 32, 24);
  for (int y = 0; y < 32; ++y)
    for (int x = 0; x < 32; ++x) gray.SetPixel(x, y, MakeColor(128, 128, 128));
  const Dib bw = ReduceColors(gray, 2, 2);
  int white = 0;
  for (int y = 0; y < 32; ++y)
    for (int x = 0; x < 32; ++x) white += bw.Pixel(x, y) == 0xFFFFFF;
  EXPECT_NEAR(white, 512, 40);
  // White stays white in the gray reduction.
  Dib w(2, 1, 24);
  w.SetPixel(0, 0, 0xFFFFFF);
  EXPECT_EQ(ReduceColors(w, 256, 44).Pixel(0, 0), 0xFFFFFFu);
}

TEST(ImageOps, RotateAndMirror) {
  const Dib src = Gradient(5, 3);
  const Dib ccw = Rotate(src, 9000, 0);
  ASSERT_EQ(ccw.Width(), 3);
  ASSERT_EQ(ccw.Height(), 5);
  EXPECT_EQ(ccw.Pixel(0, 4), src.Pixel(0, 0)) << "top left goes to bottom left";
  EXPECT_EQ(ccw.Pixel(0, 0), src.Pixel(4, 0));
  const Dib cw = Rotate(src, 27000, 0);
  EXPECT_EQ(cw.Pixel(2, 0), src.Pixel(0, 0)) << "top left goes to top right";
  const Dib half = Rotate(src, 18000, 0);
  EXPECT_EQ(half.Pixel(4, 2), src.Pixel(0, 0));
  EXPECT_EQ(Rotate(src, 36000, 0).Pixel(1, 1), src.Pixel(1, 1));
  // 45 degrees: a bigger canvas with filled corners.
  Dib sq(20, 20, 24);
  for (int y = 0; y < 20; ++y)
    for (int x = 0; x < 20; ++x) sq.SetPixel(x, y, MakeColor(0, 0, 200));
  const Dib r45 = Rotate(sq, 4500, MakeColor(255, 0, 0));
  EXPECT_EQ(r45.Width(), 28);
  EXPECT_EQ(r45.Pixel(0, 0), MakeColor(255, 0, 0));
  EXPECT_EQ(r45.Pixel(14, 14), MakeColor(0, 0, 200));
  // Platform colour order for the library call.
  const HIMG h = ImgFromBitmap(sq);
  const HIMG r = ImgRotate(h, 4500, 0x0000FF);
  ASSERT_NE(r, 0u);
  EXPECT_EQ(ImgGetBitmap(r)->Pixel(0, 0), MakeColor(255, 0, 0));
  Dib m = src;
  Mirror(m, true, false);
  EXPECT_EQ(m.Pixel(0, 0), src.Pixel(4, 0));
  Mirror(m, false, true);
  EXPECT_EQ(m.Pixel(0, 0), src.Pixel(4, 2));
  EXPECT_EQ(ImgMirror(h, 1, 0), 1);
  EXPECT_EQ(ImgGamma(h, 20), 1);
  EXPECT_EQ(ImgGetBitmap(h)->Pixel(0, 0), MakeColor(0, 0, 226)) << "255 x (200/255)^(1/2) = 225.8";
  EXPECT_EQ(ImgGamma(h, 0), 0);
  ImgClose(h);
  ImgClose(r);
}

// A pack with the three base planes: luma rises along x, chroma neutral (156, 137) except
// one pair of rows. Kodak's conversion: R = 1.3584 Y + 1.8215 (C2 - 137),
// G = 1.3584 Y - 0.194 x 2.2179 (C1 - 156) - 0.509 x 1.8215 (C2 - 137), B = 1.3584 Y + 2.2179 (C1 - 156).
TEST(PhotoCd, BaseResolutionsFromPlanes) {
  test::TempDir dir;
  std::vector<std::uint8_t> f(0x30000 + 768 * 512 * 3 / 2, 0);
  std::memcpy(f.data() + 0x800, "PCD_IPI", 7);
  struct L { std::size_t off; int w, h; } levels[3] = {{0x2000, 192, 128}, {0xB800, 384, 256}, {0x30000, 768, 512}};
  for (const L& l : levels)
    for (int pair = 0; pair < l.h / 2; ++pair) {
      std::uint8_t* p = f.data() + l.off + static_cast<std::size_t>(pair) * l.w * 3;
      for (int x = 0; x < l.w; ++x) p[x] = p[l.w + x] = static_cast<std::uint8_t>(x % 180);
      for (int x = 0; x < l.w / 2; ++x) {
        p[2 * l.w + x] = pair == 1 ? 186 : 156;
        p[2 * l.w + l.w / 2 + x] = 137;
      }
    }
  const auto path = dir / "IMG0001.PCD";
  test::WriteBytes(path, f);
  HPCD pcd = nullptr;
  ASSERT_EQ(PCDopen(path.string(), &pcd), 0);
  std::uint32_t mask = 0;
  int count = 0;
  PCDgetCount(pcd, &mask, &count);
  EXPECT_EQ(count, 4);
  EXPECT_EQ(mask, 15u);
  for (int r = 0; r < 4; ++r) {
    ASSERT_EQ(PCDsetResolution(pcd, r), 0);
    PcdRect rect;
    PCDgetSize(pcd, &rect);
    EXPECT_EQ(rect.bottom, 96 << r) << "bottom holds the width";
    EXPECT_EQ(rect.right, 64 << r);
  }
  EXPECT_NE(PCDsetResolution(pcd, 4), 0);
  std::vector<std::uint8_t> small;
  ASSERT_EQ(PCDloadImage(pcd, nullptr, &small), 0);  // index 3 still set: Base
  EXPECT_EQ(BitmapInfoHeader::ReadFrom(small.data()).width, 768);
  PCDsetResolution(pcd, 0);
  ASSERT_EQ(PCDloadImage(pcd, nullptr, &small), 0);
  EXPECT_EQ(BitmapInfoHeader::ReadFrom(small.data()).width, 96);
  // Column 50 averages luma 100 and 101: 1.3584 x 100.5 = 136.5, rounded per pixel first.
  EXPECT_NEAR(small[1064 + static_cast<std::size_t>(63) * 288 + 150], 137, 1);
  PCDsetResolution(pcd, 1);
  std::vector<std::uint8_t> block;
  ASSERT_EQ(PCDloadImage(pcd, nullptr, &block), 0);
  ASSERT_EQ(block.size(), 40u + 1024 + 192 * 3 * 128);
  const BitmapInfoHeader h = BitmapInfoHeader::ReadFrom(block.data());
  EXPECT_EQ(h.bitCount, 24);
  auto px = [&](int x, int y) { return block.data() + 1064 + static_cast<std::size_t>(127 - y) * 576 + 3 * x; };
  EXPECT_EQ(px(100, 0)[0], 136);  // 1.3584 x 100 = 135.84, gray
  EXPECT_EQ(px(100, 0)[2], 136);
  EXPECT_EQ(px(100, 2)[0], 202);  // C1 + 30: blue 135.84 + 66.54
  EXPECT_EQ(px(100, 3)[1], 123);  // green - 0.194 x 66.5
  PCDclose(pcd);
  test::WriteBytes(dir / "short.pcd", std::vector<std::uint8_t>(f.begin(), f.begin() + 0xB800 + 1000));
  ASSERT_EQ(PCDopen((dir / "short.pcd").string(), &pcd), 0);
  PCDgetCount(pcd, &mask, &count);
  EXPECT_EQ(count, 2) << "only what the file holds: Base/16 and the index made from it";
  PCDclose(pcd);
  test::WriteBytes(dir / "bad.pcd", std::vector<std::uint8_t>(5000, 0));
  EXPECT_NE(PCDopen((dir / "bad.pcd").string(), &pcd), 0);
  EXPECT_EQ(pcd, nullptr);
}

}  // namespace
}  // namespace pelira
