#include <gtest/gtest.h>

#include <random>

#include "common/errors.h"
#include "image/dib.h"
#include "image/dib_graphic.h"
#include "image/pixel_limit.h"

namespace pelira {
namespace {

template <typename F>
std::string ErrorOf(F&& f) {
  try {
    f();
  } catch (const std::exception& e) {
    return e.what();
  }
  return "";
}

TEST(Dib, StrideAndBottomUpRows) {
  struct Case { int width, bits; std::size_t stride; };
  for (const Case c : {Case{3, 1, 4}, Case{3, 24, 12}, Case{5, 24, 16}, Case{33, 1, 8},
                       Case{9, 4, 8}, Case{4, 8, 4}, Case{5, 8, 8}}) {
    Dib d(c.width, 2, c.bits);
    EXPECT_EQ(d.Stride(), c.stride) << c.width << "x" << c.bits;
    EXPECT_EQ(d.ScanLine(0), d.Bits() + c.stride) << "row 0 is stored last";
    EXPECT_EQ(d.ScanLine(1), d.Bits());
  }
}

TEST(Dib, PixelPackingPerDepth) {
  Dib one(10, 1, 1);
  one.SetIndex(0, 0, 1);
  one.SetIndex(9, 0, 1);
  EXPECT_EQ(one.ScanLine(0)[0], 0x80);
  EXPECT_EQ(one.ScanLine(0)[1], 0x40);
  Dib four(3, 1, 4);
  four.SetIndex(0, 0, 0xA);
  four.SetIndex(1, 0, 0x5);
  four.SetIndex(2, 0, 0xF);
  EXPECT_EQ(four.ScanLine(0)[0], 0xA5);
  EXPECT_EQ(four.ScanLine(0)[1], 0xF0);
  Dib rgb(2, 1, 24);
  rgb.SetPixel(1, 0, MakeColor(1, 2, 3));
  EXPECT_EQ(rgb.ScanLine(0)[3], 3);  // blue first
  EXPECT_EQ(rgb.ScanLine(0)[5], 1);
  EXPECT_EQ(rgb.Pixel(1, 0), 0x010203u);
}

TEST(Dib, CopyIsDeepMoveIsCheap) {
  Dib a(4, 4, 8);
  a.SetIndex(1, 1, 7);
  Dib b = a;
  b.SetIndex(1, 1, 9);
  EXPECT_EQ(a.Index(1, 1), 7u);
  const std::uint8_t* bits = b.Bits();
  Dib c = std::move(b);
  EXPECT_EQ(c.Bits(), bits);
  EXPECT_TRUE(b.Empty());
}

TEST(ImageFormat, BitCountsTextsAndInvalidValues) {
  const int bits[6] = {1, 4, 8, 4, 8, 24};
  const char* texts[6] = {"B/W", "4bpp gray", "8bpp gray", "4bpp color", "8bpp color", "24bpp color"};
  for (int f = 0; f <= 5; ++f) {
    EXPECT_EQ(FormatBitCount(f), bits[f]);
    EXPECT_STREQ(FormatDisplayText(static_cast<TImageFormat>(f)), texts[f]);
  }
  EXPECT_EQ(ErrorOf([] { FormatBitCount(6); }), "Invalid image format");
  EXPECT_EQ(ErrorOf([] { FormatBitCount(-1); }), "Invalid image format");
  TDibGraphic g;
  EXPECT_EQ(ErrorOf([&] { g.NewImage(2, 2, static_cast<TImageFormat>(9), nullptr, 0, 0); }),
            "Invalid image format");
  EXPECT_TRUE(g.Empty());
}

TEST(DefaultPalettes, TablesAsStoredBlueGreenRed) {
  const Palette& c16 = Color16Palette();
  ASSERT_EQ(c16.size(), 16u);
  EXPECT_EQ(c16[1], (RgbQuad{0, 0, 170, 0}));   // red 170
  EXPECT_EQ(c16[6], (RgbQuad{170, 85, 0, 0}));  // blue 170, green 85
  EXPECT_EQ(c16[9], (RgbQuad{85, 85, 255, 0}));
  const Palette& c256 = Color256Palette();
  ASSERT_EQ(c256.size(), 256u);
  for (int i = 0; i < 16; ++i) EXPECT_EQ(c256[i], c16[i]);
  EXPECT_EQ(c256[16], (RgbQuad{0, 0, 0, 0}));
  EXPECT_EQ(c256[21], (RgbQuad{69, 69, 69, 0}));
  EXPECT_EQ(c256[31], (RgbQuad{255, 255, 255, 0}));
  // Each ring starts at (L0,L0,L4) and passes the named corners at k = 4, 8, 12, 16, 20.
  EXPECT_EQ(c256[32], (RgbQuad{0, 0, 255, 0}));
  EXPECT_EQ(c256[33], (RgbQuad{65, 0, 255, 0}));
  EXPECT_EQ(c256[36], (RgbQuad{255, 0, 255, 0}));
  EXPECT_EQ(c256[40], (RgbQuad{255, 0, 0, 0}));
  EXPECT_EQ(c256[44], (RgbQuad{255, 255, 0, 0}));
  EXPECT_EQ(c256[48], (RgbQuad{0, 255, 0, 0}));
  EXPECT_EQ(c256[52], (RgbQuad{0, 255, 255, 0}));
  EXPECT_EQ(c256[55], (RgbQuad{0, 65, 255, 0}));
  EXPECT_EQ(c256[56], (RgbQuad{125, 125, 255, 0}));
  EXPECT_EQ(c256[247], (RgbQuad{44, 48, 65, 0}));
  for (int i = 248; i < 256; ++i) EXPECT_EQ(c256[i], (RgbQuad{0, 0, 0, 0}));
  EXPECT_EQ(Gray16Palette()[15], (RgbQuad{255, 255, 255, 0}));
  EXPECT_EQ(Gray16Palette()[3], (RgbQuad{51, 51, 51, 0}));
}

TEST(DibGraphic, NewImageFillsHeaderAndDefaults) {
  SetScreenDpi(120);
  TDibGraphic g;
  g.NewImage(3, 5, TImageFormat::Color16, nullptr, 0, 300);
  EXPECT_EQ(g.Width(), 3);
  EXPECT_EQ(g.Height(), 5);
  EXPECT_EQ(g.Stride(), 4u);
  EXPECT_EQ(g.Header().bitCount, 4);
  EXPECT_EQ(g.Header().sizeImage, 20u);
  EXPECT_EQ(g.Header().clrUsed, 16u);
  EXPECT_EQ(g.XDotsPerInch(), 120);  // 0 takes the screen's
  EXPECT_EQ(g.YDotsPerInch(), 300);
  EXPECT_EQ(g.Header().yPelsPerMeter, 11811);
  EXPECT_EQ(g.PaletteRecord().count, 16);
  EXPECT_EQ(g.PaletteRecord().version, 0x0300);
  g.NewImage(5, 1, TImageFormat::TrueColor, nullptr, 72, 72);
  EXPECT_EQ(g.Header().clrUsed, 0u);
  EXPECT_EQ(g.PaletteHandle(), nullptr);
  SetScreenDpi(96);
}

TEST(DibGraphic, ResolutionRoundTrips) {
  for (int dpi : {72, 96, 150, 300, 600, 1200, 4000}) EXPECT_EQ(DpiFromPpm(PpmFromDpi(dpi)), dpi);
  EXPECT_EQ(DpiFromPpm(11811), 300);
  EXPECT_EQ(DpiFromPpm(2835), 72);
  EXPECT_EQ(PpmFromDpi(72), 2835);
}

TEST(DibGraphic, NearestColourWritesAndReads) {
  TDibGraphic g;
  g.NewImage(2, 2, TImageFormat::Color256, nullptr, 0, 0);
  g.SetPixels(1, 1, 0x00FF0000);
  EXPECT_EQ(g.PaletteIndex(1, 1), 32);
  EXPECT_EQ(g.Pixels(1, 1), 0x00FF0000u);
  g.SetPixels(0, 0, MakeColor(80, 80, 80));  // nearest gray: 81 (entry 22)
  EXPECT_EQ(g.PaletteIndex(0, 0), 22);
  g.NewImage(2, 2, TImageFormat::TrueColor, nullptr, 0, 0);
  EXPECT_EQ(ErrorOf([&] { g.PaletteIndex(0, 0); }), "The image does not have a palette");
  EXPECT_EQ(ErrorOf([&] { g.SetPaletteIndex(0, 0, 1); }), "The image does not have a palette");
}

TEST(DibGraphic, DimensionsOnlyThroughNewImage) {
  TDibGraphic g;
  g.NewImage(4, 3, TImageFormat::Gray256, nullptr, 0, 0);
  EXPECT_EQ(ErrorOf([&] { g.SetWidth(10); }), "Dimensions must be changed with NewImage");
  EXPECT_EQ(ErrorOf([&] { g.SetHeight(10); }), "Dimensions must be changed with NewImage");
  EXPECT_EQ(g.Width(), 4);
  EXPECT_EQ(g.Height(), 3);
}

TEST(DibGraphic, SetPaletteFromHandleRefreshesTableAndCache) {
  TDibGraphic g;
  g.NewImage(2, 1, TImageFormat::Color16, nullptr, 0, 0);
  g.SetPixels(0, 0, MakeColor(170, 0, 0));  // entry 1 of the default table
  ASSERT_EQ(g.PaletteIndex(0, 0), 1);
  Palette p(16, RgbQuad{0, 0, 0, 0});
  p[5] = QuadOf(MakeColor(170, 0, 0));
  p[1] = QuadOf(MakeColor(0, 0, 255));
  g.SetPaletteFromHandle(p);
  EXPECT_EQ(g.Pixels(0, 0), MakeColor(0, 0, 255));  // pixel keeps index 1, reads the new entry
  g.SetPixels(1, 0, MakeColor(170, 0, 0));          // the cache must not answer index 1
  EXPECT_EQ(g.PaletteIndex(1, 0), 5);
  EXPECT_EQ(g.AsDib().Colors()[1], p[1]);
  const Bytes packed = g.ExportPackedDib();
  EXPECT_EQ(packed[40 + 4 * 1 + 0], 255);  // the exported colour table follows too
  g.SetPaletteFromHandle(static_cast<const TPaletteRecord*>(nullptr));
  EXPECT_EQ(g.Pixels(0, 0), MakeColor(0, 0, 255));
}

TEST(RgbToPaletteConverter, AgreesWithPlainScanIncludingTies) {
  std::mt19937 rng(7);
  std::vector<Palette> palettes = {Color16Palette(), Color256Palette(), Gray16Palette(),
                                   BlackWhitePalette()};
  Palette dup;  // duplicates and equidistant entries test the first-minimum rule
  for (int i = 0; i < 40; ++i) dup.push_back(QuadOf(MakeColor((i % 5) * 60, (i % 3) * 120, 100)));
  palettes.push_back(dup);
  Palette rnd;
  for (int i = 0; i < 200; ++i) rnd.push_back(QuadOf(rng() & 0xFFFFFF));
  palettes.push_back(rnd);
  for (const Palette& p : palettes) {
    const TPaletteRecord rec = TPaletteRecord::From(p);
    TRgbToPaletteConverter conv(&rec);
    for (int i = 0; i < 4000; ++i) {
      ColorValue c = rng() & 0xFFFFFF;
      if (i % 4 == 0) c = ColorOf(p[rng() % p.size()]);
      if (i % 7 == 0) c = MakeColor(30 * (i % 9), 60 * (i % 5), 100);
      ASSERT_EQ(conv.Convert(c), NearestPaletteIndex(p.data(), static_cast<int>(p.size()), c))
          << std::hex << c;
    }
  }
  const TPaletteRecord rec = TPaletteRecord::From(Color16Palette());
  TRgbToPaletteConverter conv(&rec);
  conv.Convert(0x123456);
  conv.Convert(0x123456);
  EXPECT_EQ(conv.Misses(), 1u);
  EXPECT_EQ(conv.Hits(), 1u);
}

TEST(DibGraphic, AssignAndTransfers) {
  TDibGraphic src;
  src.NewImage(3, 2, TImageFormat::Color16, nullptr, 300, 200);
  src.SetPaletteIndex(2, 1, 6);
  src.SetFrameInterval(50);
  TDibGraphic copy;
  copy.Assign(&src);
  EXPECT_EQ(copy.Format(), TImageFormat::Color16);
  EXPECT_EQ(copy.PaletteIndex(2, 1), 6);
  EXPECT_EQ(copy.XDotsPerInch(), 300);
  EXPECT_EQ(copy.YDotsPerInch(), 200);
  EXPECT_EQ(copy.FrameInterval(), 50);
  copy.Assign(static_cast<const TDibGraphic*>(nullptr));
  EXPECT_TRUE(copy.Empty());

  Dib rgb;
  src.AssignTo(rgb);  // a palette image always arrives as 24 bits
  EXPECT_EQ(rgb.BitCount(), 24);
  EXPECT_EQ(rgb.Width(), 3);
  EXPECT_EQ(rgb.Pixel(2, 1), MakeColor(0, 85, 170));

  // Working bitmap -> codec: the palette bitmap keeps its bits and its own palette.
  Dib gray4(5, 2, 4, Gray16Palette());
  gray4.SetIndex(4, 0, 9);
  TDibGraphic codec;
  WorkingBitmapToCodec(gray4, codec);
  EXPECT_EQ(codec.BitCount(), 4);
  EXPECT_EQ(codec.Pixels(4, 0), MakeColor(153, 153, 153));
  // ImportNewBitmap of the same bitmap takes the Color16 default palette.
  codec.ImportNewBitmap(gray4);
  EXPECT_EQ(codec.Format(), TImageFormat::Color16);
  EXPECT_EQ(codec.Pixels(4, 0), MakeColor(255, 85, 85));  // (B,G,R) = (85,85,255)
  Dib back = CodecToWorkingBitmap(codec);
  EXPECT_EQ(back.BitCount(), 4);
  EXPECT_EQ(back.Index(4, 0), 9u);
}

TEST(DibGraphic, ImportBitmapHandleResolution) {
  Dib d(2, 2, 8, Gray256Palette());
  d.xPelsPerMeter = 11811;
  d.yPelsPerMeter = -5;
  TDibGraphic g;
  g.ImportBitmapHandle(d);
  EXPECT_EQ(g.Format(), TImageFormat::Color256);
  EXPECT_EQ(g.XDotsPerInch(), 300);
  EXPECT_EQ(g.YDotsPerInch(), ScreenDpi());
  EXPECT_EQ(g.Pixels(0, 0), 0u);
  EXPECT_EQ(g.PaletteRecord().entries[200], (RgbQuad{200, 200, 200, 0}));
}

TEST(DibGraphic, PackedDibLayoutAndSize) {
  Dib d(17, 3, 8, Gray256Palette());
  const Bytes block = ExportPackedDib(d);
  const std::size_t used = 40 + 1024 + 20 * 3;
  EXPECT_EQ(block.size(), (used + 4096) / 16 * 16);
  const BitmapInfoHeader h = BitmapInfoHeader::ReadFrom(block.data());
  EXPECT_EQ(h.size, 40u);
  EXPECT_EQ(h.width, 17);
  EXPECT_EQ(h.height, 3);
  EXPECT_EQ(h.bitCount, 8);
  EXPECT_EQ(h.sizeImage, 60u);
  EXPECT_EQ(h.clrUsed, 256u);
}

TEST(DibGraphic, MultipleImagesAndClipboardErrors) {
  TDibGraphic g;
  Bytes out;
  EXPECT_EQ(ErrorOf([&] { g.AppendImage(out); }),
            "The TDibGraphic format does not support multiple images");
  EXPECT_EQ(ErrorOf([&] { g.LoadFromClipboardFormat(8, nullptr); }), "Unknown clipboard format, 8");
  g.NewImage(9, 2, TImageFormat::BlackWhite, nullptr, 0, 0);
  EXPECT_EQ(g.SaveToClipboardFormat().BitCount(), 1);
  g.NewImage(9, 2, TImageFormat::Gray16, nullptr, 0, 0);
  EXPECT_EQ(g.SaveToClipboardFormat().BitCount(), 24);
}

// A codec whose file holds `count` images; image i is 1 x 1 with gray level i.
class CountingGraphic : public TDibGraphic {
public:
  int count = 3;
  const char* ClassName() const override { return "CountingGraphic"; }
  std::unique_ptr<TDibGraphic> CreateSame() const override {
    auto g = std::make_unique<CountingGraphic>();
    g->count = count;
    return g;
  }
  int GetImageCount(ByteSpan) override { return count; }
  void ReadImage(ByteSpan, int index) override {
    NewImage(1, 1, TImageFormat::TrueColor, nullptr, 0, 0);
    SetPixels(0, 0, static_cast<ColorValue>(index));
  }
};

struct FakeTimer : TFrameTimer {
  int* starts;
  int* stops;
  FakeTimer(int* a, int* b) : starts(a), stops(b) {}
  void Start(int) override { ++*starts; }
  void Stop() override { ++*stops; }
};

TEST(DibGraphic, FramesOfAMultiImageLoad) {
  int starts = 0, stops = 0;
  SetFrameTimerFactory([&](TDibGraphic&) { return std::make_unique<FakeTimer>(&starts, &stops); });
  CountingGraphic g;
  g.imageIndex = 2;
  g.LoadFromBytes({});
  EXPECT_EQ(g.FrameCount(), 0);
  EXPECT_EQ(g.Pixels(0, 0), 2u) << "a plain load reads the image index";

  g.multiImage = true;
  g.LoadFromBytes({});
  ASSERT_EQ(g.FrameCount(), 3);
  EXPECT_EQ(g.CurrentFrame(), 1);
  EXPECT_EQ(g.Pixels(0, 0), 1u);
  EXPECT_EQ(ErrorOf([&] { g.SetFrame(4); }), "Frame 4 does not exist");
  g.SetAnimate(true);
  EXPECT_EQ(starts, 1);
  g.advanceFrame();
  g.advanceFrame();
  EXPECT_EQ(g.Pixels(0, 0), 3u);
  g.advanceFrame();
  EXPECT_EQ(g.Pixels(0, 0), 1u) << "after the last frame comes the first";
  g.SetAnimate(false);
  EXPECT_GT(stops, 0);

  CountingGraphic single;
  single.count = 1;
  single.multiImage = true;
  single.LoadFromBytes({});
  EXPECT_FALSE(single.multiImage) << "a count of 1 clears the flag";
  EXPECT_EQ(single.FrameCount(), 0);
  SetFrameTimerFactory(nullptr);
}

TEST(PixelLimit, RefusedBeforeAllocation) {
  TDibGraphic g;
  EXPECT_EQ(ErrorOf([&] { g.NewImage(40000, 40000, TImageFormat::TrueColor, nullptr, 0, 0); }),
            "Image too large: 40000x40000 at 24 bits per pixel");
  EXPECT_TRUE(g.Empty());
  EXPECT_EQ(ErrorOf([] { Dib(0, 5, 8); }), "Invalid image size");
  EXPECT_EQ(ErrorOf([] { Dib(5, -1, 8); }), "Invalid image size");
  const std::uint64_t old = MaxImageBytes();
  SetMaxImageBytes(1000);
  EXPECT_NE(ErrorOf([] { Dib(100, 100, 24); }), "");
  EXPECT_EQ(ErrorOf([] { Dib(10, 10, 24); }), "");
  SetMaxImageBytes(old);
  EXPECT_EQ(CheckPixelLimit(32000, 32000, 24), kDefaultMaxImageBytes);
  // Width x bits would overflow 32 bits; 64-bit arithmetic still refuses it cleanly.
  EXPECT_NE(ErrorOf([] { CheckPixelLimit(0x7FFFFFFF, 0x7FFFFFFF, 32); }), "");
}

}  // namespace
}  // namespace pelira
