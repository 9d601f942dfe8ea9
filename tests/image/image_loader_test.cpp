#include <gtest/gtest.h>

#include <cstring>

#include "common/errors.h"
#include "image/bmp_graphic.h"
#include "image/codec_registry.h"
#include "image/image_loader.h"
#include "platform/scripted_ui.h"
#include "support/test_support.h"

namespace pelira {
namespace {

using test::Fixture;
using test::TempDir;

Dib Pattern(int w, int h, int bits) {
  Dib d(w, h, bits);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) d.SetIndex(x, y, bits == 24 ? MakeColor(x % 256, y % 256, (x ^ y) % 256) : static_cast<std::uint32_t>((x + 3 * y) % (1 << bits)));
  return d;
}

void WriteBmp(const std::filesystem::path& p, const Dib& d) { test::WriteBytes(p, SaveWorkingBitmapBmp(d)); }

TEST(LoadPipeline, ProbeCodesByExtension) {
  TempDir dir;
  for (const char* name : {"a.bmp", "a.TI", "a.avl"}) test::WriteText(dir / name, "x");
  struct Case { std::string path; int code; };
  const Case cases[] = {
      {"song.mp3", kProbeMedia},     {"clip.RMI", kProbeMedia},   {"notes.txt", kProbeText},
      {"page.RTF", kProbeText},      {"draw.wmf", kProbeMetafile}, {"draw.EMF", kProbeMetafile},
      {"file.xyz", kProbeCannotOpen}, {"noext", kProbeCannotOpen}, {(dir / "missing.bmp").string(), kProbeCannotOpen},
      {(dir / "a.TI").string(), kProbeUndecided},
  };
  for (const Case& c : cases) {
    TImageLoader l;
    l.info.previousFileName = "before";
    l.info.fileName = c.path;
    EXPECT_EQ(l.ProbeFile(), c.code) << c.path;
    if (c.path == "file.xyz") {
      EXPECT_EQ(l.info.fileName, "before") << "an unknown kind restores the name";
    }
  }
  EXPECT_TRUE(ExtensionIsJpeg(".JP"));
  EXPECT_TRUE(ExtensionIsJpeg(".JPEG"));
  EXPECT_FALSE(ExtensionIsJpeg(".PNG"));
  EXPECT_EQ(ProbeKindName(".JP"), "JPEG");
  EXPECT_EQ(ProbeKindName(".DIB"), "BMP");
  EXPECT_EQ(ProbeKindName(".WAV"), "MEDIA");
  EXPECT_EQ(ProbeKindName(".DCX"), "DCX");
  EXPECT_EQ(ProbeKindName(""), "");
}

TEST(LoadPipeline, ExtensionTIPassesTheProbeButFailsToBlank) {
  TempDir dir;
  test::WriteText(dir / "a.TI", "x");
  TImageLoader l;
  l.settings.background = MakeColor(10, 20, 30);
  EXPECT_EQ(l.Open((dir / "a.TI").string()), OpenOutcome::Blank);
  EXPECT_EQ(l.info.fileName, "Untitled");
  EXPECT_EQ(l.workingBitmap.Width(), 32);
  EXPECT_EQ(l.workingBitmap.BitCount(), 24);
  EXPECT_EQ(l.workingBitmap.Pixel(31, 31), MakeColor(10, 20, 30));
  EXPECT_FALSE(l.info.reloadEnabled);
}

TEST(LoadPipeline, HostilePlaneCountEndsOnTheBlankPicture) {
  // 44465 bits in 50890 planes: the probe's depth must not overflow.
  TempDir dir;
  std::vector<std::uint8_t> b(54 + 64, 0);
  b[0] = 'B'; b[1] = 'M';
  auto put32 = [&](std::size_t at, std::uint32_t v) { std::memcpy(&b[at], &v, 4); };
  auto put16 = [&](std::size_t at, std::uint16_t v) { std::memcpy(&b[at], &v, 2); };
  put32(2, static_cast<std::uint32_t>(b.size()));
  put32(10, 54);
  put32(14, 40);
  put32(18, 4);
  put32(22, 4);
  put16(26, 50890);
  put16(28, 44465);
  test::WriteBytes(dir / "planes.bmp", b);
  TImageLoader l;
  EXPECT_EQ(l.Open((dir / "planes.bmp").string()), OpenOutcome::Blank);
  EXPECT_EQ(l.info.fileName, "Untitled");
}

TEST(LoadPipeline, SmallBmpLoadsDirectly) {
  struct Case { const char* fixture; int bits; };
  for (const Case c : {Case{"v3_24", 24}, Case{"v3_8", 8}, Case{"v5_32", 24}, Case{"topdown_8", 8}, Case{"rle4", 4}}) {
    TImageLoader l;
    ASSERT_EQ(l.Open(Fixture(std::string("image/") + c.fixture + ".bmp").string()), OpenOutcome::Image) << c.fixture;
    EXPECT_EQ(l.info.loadNote, "BMP direct load") << c.fixture;
    EXPECT_EQ(l.info.depth, c.bits) << c.fixture;
    EXPECT_EQ(l.workingBitmap.BitCount(), c.bits);
    TBmpGraphic ref;
    ref.LoadFromFile(Fixture(std::string("image/") + c.fixture + ".bmp"));
    for (int y = 0; y < ref.Height(); ++y)
      for (int x = 0; x < ref.Width(); ++x) ASSERT_EQ(l.workingBitmap.Pixel(x, y), ref.Pixels(x, y)) << c.fixture;
  }
}

TEST(LoadPipeline, LargerPaletteBmpGoesThroughTheLibraryAtItsDepth) {
  TempDir dir;
  for (int bits : {1, 8, 24}) {
    const Dib src = Pattern(200, 150, bits);
    const auto path = dir / ("p" + std::to_string(bits) + ".bmp");
    WriteBmp(path, src);
    TImageLoader l;
    ASSERT_EQ(l.Open(path.string()), OpenOutcome::Image) << bits;
    EXPECT_EQ(l.info.loadNote, "") << "not a direct load";
    EXPECT_EQ(l.workingBitmap.BitCount(), bits);
    EXPECT_EQ(l.info.depth, bits);
    EXPECT_EQ(l.info.libraryImage, 0u) << "closed after rendering";
    for (int y = 0; y < 150; y += 7)
      for (int x = 0; x < 200; x += 3) ASSERT_EQ(l.workingBitmap.Index(x, y), src.Index(x, y)) << bits;
    if (bits != 24) {
      EXPECT_EQ(l.workingBitmap.Colors(), src.Colors());
    }
  }
}

TEST(LoadPipeline, OneColumnV5BitmapOpens) {
  // The probe's quick header read finds width 1 and asks the codec, which must know V5.
  TempDir dir;
  Bytes b = test::ReadBytes(Fixture("image/v5_32.bmp"));
  b[18] = 1;  // width 1 (the rows stay long enough)
  test::WriteBytes(dir / "one.bmp", b);
  TImageLoader l;
  ASSERT_EQ(l.Open((dir / "one.bmp").string()), OpenOutcome::Image) << l.LastError();
  EXPECT_EQ(l.info.width, 1);
  EXPECT_EQ(l.info.depth, 24);
}

TEST(LoadPipeline, FailedLoadShowsBlankRestoresStateAndReplacesCodec) {
  TImageLoader l;
  ASSERT_EQ(l.Open(Fixture("image/v3_4.bmp").string()), OpenOutcome::Image);
  ASSERT_EQ(l.info.depth, 4);
  const std::string good = l.info.fileName;
  EXPECT_EQ(l.Open(Fixture("image/truncated_pixels.bmp").string()), OpenOutcome::Blank);
  EXPECT_EQ(l.info.fileName, "Untitled");
  EXPECT_EQ(l.CodecGeneration(CodecKind::Bmp), 1) << "the codec that failed is replaced";
  EXPECT_EQ(l.LastError(), "Invalid bitmap");
  EXPECT_EQ(l.info.depth, 24);
}

TEST(LoadPipeline, FormatsWithoutACodecFailCleanly) {
  TempDir dir;
  for (const char* name : {"a.png", "a.tga", "a.pcx", "a.gif", "a.psd", "a.tif", "a.jpg", "a.dcx", "a.jp"}) {
    test::WriteBytes(dir / name, Bytes(200, 0x42));
    TImageLoader l;
    EXPECT_EQ(l.Open((dir / name).string()), OpenOutcome::Blank) << name;
    EXPECT_FALSE(l.LastError().empty()) << name;
    EXPECT_EQ(l.workingBitmap.Width(), 32);
  }
  ScriptedUi ui;
  ScopedUi scope(ui);
  test::WriteText(dir / "a.wmf", "x");
  TImageLoader l;
  EXPECT_EQ(l.Open((dir / "a.wmf").string()), OpenOutcome::Blank);
  ASSERT_EQ(ui.Calls().size(), 1u);
  EXPECT_EQ(ui.Calls()[0].text, "Invalid Metafile.");
  test::WriteText(dir / "a.txt", "x");
  EXPECT_EQ(l.Open((dir / "a.txt").string()), OpenOutcome::Blank);
  test::WriteText(dir / "show.avl", "x");
  EXPECT_EQ(l.Open((dir / "show.avl").string()), OpenOutcome::Slideshow);
}

TEST(LoadPipeline, FaxShrinkGeometry) {
  struct Case { int w, h, quality; bool shrinks; int nw, nh; };
  const Case cases[] = {{1728, 2200, 1, true, 860, 1096}, {1728, 2200, 2, true, 573, 730}, {1728, 2200, 3, true, 430, 548},
                        {1728, 2200, 0, false, 0, 0},     {8, 2200, 1, false, 0, 0},        {8, 8, 3, false, 0, 0},
                        {17, 17, 1, true, 8, 8}};
  for (const Case& c : cases) {
    TRect r;
    int w = 0, h = 0;
    ASSERT_EQ(FaxShrinkGeometry(c.w, c.h, c.quality, &r, &w, &h), c.shrinks) << c.w << "/" << c.quality;
    if (!c.shrinks) continue;
    EXPECT_EQ(w, c.nw);
    EXPECT_EQ(h, c.nh);
    if (c.w == 1728) {
      EXPECT_EQ(r.right, 1720);
      EXPECT_EQ(r.bottom, 2192);
    }
  }
}

TEST(LoadPipeline, MultipageLoaderShrinksOneBitPagesToGrays) {
  TempDir dir;
  Dib page(1728, 2200, 1);
  std::memset(page.Bits(), 0xFF, page.ImageSize());
  for (int x = 0; x < 1728; ++x) page.SetIndex(x, 0, 0);  // a black top row
  const auto path = dir / "fax.bmp";
  WriteBmp(path, page);
  for (int q : {0, 1, 2, 3}) {
    TImageLoader l;
    l.settings.faxQuality = q;
    l.info.fileName = path.string();
    l.info.extension = ".BMP";
    l.info.libraryFlag = true;
    ASSERT_TRUE(l.LoadByExtension(true, 0)) << q;
    const int want[4][2] = {{1728, 2200}, {860, 1096}, {573, 730}, {430, 548}};
    EXPECT_EQ(l.workingBitmap.Width(), want[q][0]);
    EXPECT_EQ(l.workingBitmap.Height(), want[q][1]);
    EXPECT_EQ(l.workingBitmap.BitCount(), q ? 8 : 1);
    EXPECT_NE(l.info.libraryImage, 0u) << "the page stays open for page changes";
    if (q == 1) {
      EXPECT_EQ(l.workingBitmap.Index(5, 0), 128u) << "half of the 2x2 box is black";
      EXPECT_EQ(l.workingBitmap.Index(5, 1), 255u);
    }
    EXPECT_TRUE(l.ChangePage(1));
    EXPECT_EQ(l.info.statusText, "Page 1 of 1");
  }
}

TEST(LoadPipeline, LibraryRenderFailureFailsTheLoad) {
  TImageLoader l;
  const Bytes junk = test::ReadBytes(Fixture("image/truncated_pixels.bmp"));
  l.info.libraryImage = ImgOpenMem(junk.data(), junk.size(), "BMP");
  ASSERT_NE(l.info.libraryImage, 0u);
  ScriptedUi ui;
  ScopedUi scope(ui);
  EXPECT_FALSE(l.RenderLibraryImage(false, false));
  EXPECT_EQ(l.info.libraryImage, 0u);
}

struct CountingHost : LoadHost {
  int freed = 0;
  bool low = false;
  void FreeMemoryForLargeLoad() override { ++freed; }
  bool MemoryRunningLow() override { return low; }
};

TEST(LoadPipeline, DirectLoadFreesMemoryAndStopsWhenStillLow) {
  CountingHost host;
  TImageLoader l({}, &host);
  ASSERT_EQ(l.Open(Fixture("image/v3_24.bmp").string()), OpenOutcome::Image);
  EXPECT_EQ(host.freed, 1);
  host.low = true;
  EXPECT_EQ(l.Open(Fixture("image/v3_24.bmp").string()), OpenOutcome::Blank);
}

TEST(LoadPipeline, PhotoCdNeedsImgInThePath) {
  TempDir dir;
  std::vector<std::uint8_t> f(0xB800 + 384 * 256 * 3 / 2, 128);
  std::memcpy(f.data() + 0x800, "PCD_IPI", 7);
  std::filesystem::create_directories(dir / "pcd");
  test::WriteBytes(dir / "pcd" / "IMG0001.PCD", f);
  test::WriteBytes(dir / "pcd" / "overview.pcd", f);
  TImageLoader l;
  ASSERT_EQ(l.Open((dir / "pcd" / "IMG0001.PCD").string()), OpenOutcome::Image) << l.LastError();
  EXPECT_EQ(l.workingBitmap.Width(), 384) << "the step is lowered to the largest resolution present";
  EXPECT_EQ(l.workingBitmap.Height(), 256);
  EXPECT_EQ(l.info.depth, 24);
  EXPECT_EQ(l.info.pcdInfo,
            "Orientation: Landscape\n\nMaximum res: 256 x 384\nAllowed res: 256 x 384\nCurrent res: 256 x 384\n"
            "\nEncrypted: No   Watermark: No\n");
  EXPECT_EQ(l.Open((dir / "pcd" / "overview.pcd").string()), OpenOutcome::Blank);
}

// A codec that always fails, to see the loader replace it.
class BrokenPng : public TDibGraphic {
public:
  THeaderInfo ReadHeader(ByteSpan) override { return THeaderInfo{4, 4, 24, 1, 0, 1}; }
  void ReadImage(ByteSpan, int) override { throw EPNGError("broken"); }
};

TEST(LoadPipeline, CodecFromTheRegistryAndItsReplacement) {
  int made = 0;
  OverrideCodecFactory(CodecKind::Png, [&] {
    ++made;
    return std::make_unique<BrokenPng>();
  });
  TempDir dir;
  test::WriteText(dir / "x.png", "whatever");
  TImageLoader l;
  EXPECT_EQ(l.Open((dir / "x.png").string()), OpenOutcome::Blank);
  EXPECT_EQ(l.LastError(), "broken");
  EXPECT_EQ(made, 2) << "made once, replaced once after the failure";
  OverrideCodecFactory(CodecKind::Png, nullptr);
}

}  // namespace
}  // namespace pelira
