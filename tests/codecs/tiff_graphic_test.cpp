#include "image/tiff_graphic.h"

#include <gtest/gtest.h>
#include <tiffio.h>

#include <cstring>

#include "codecs/codec_test_util.h"
#include "image/image_loader.h"
#include "image/pixel_limit.h"
#include "image/tiff_io.h"
#include "imaging_library/tiff_document.h"
#include "support/test_support.h"

namespace pelira {
namespace {

using test::CodecFixture;
using test::ReadBytes;
using test::RgbOf;

Bytes Tif(const std::string& name) { return ReadBytes(CodecFixture("tiff/" + name + ".tif")); }
std::vector<std::uint8_t> Expected(const std::string& name) { return ReadBytes(CodecFixture("tiff/" + name + ".rgb")); }

std::string ErrorOf(const std::function<void()>& f) {
  try {
    f();
  } catch (const std::exception& e) {
    return e.what();
  }
  return "(no error)";
}

// Every layout the codec reads, against tiff2rgba (alpha dropped).
TEST(TiffRead, MatchesTiff2rgba) {
  struct Case {
    const char* name;
    TImageFormat format;
  };
  const Case cases[] = {
      {"rgb", TImageFormat::TrueColor},          {"rgb_packbits", TImageFormat::TrueColor},
      {"rgb_zip", TImageFormat::TrueColor},      {"rgb_jpeg", TImageFormat::TrueColor},
      {"rgb_tiled", TImageFormat::TrueColor},    {"rgb_separate", TImageFormat::TrueColor},
      {"rgb16", TImageFormat::TrueColor},        {"rgba", TImageFormat::TrueColor},
      {"gray8", TImageFormat::Gray256},          {"gray8_miw", TImageFormat::Gray256},
      {"gray8_miw_zip", TImageFormat::Gray256},  {"gray4", TImageFormat::Gray16},
      {"pal8", TImageFormat::Color256},          {"pal4", TImageFormat::Color16},
      {"pal4_zip", TImageFormat::Color16},       {"pal8_low", TImageFormat::Color256},
      {"bw", TImageFormat::BlackWhite},          {"bw_miw", TImageFormat::BlackWhite},
      {"bw_miw_g3", TImageFormat::BlackWhite},   {"bw_miw_g3_2d", TImageFormat::BlackWhite},
      {"bw_miw_g4", TImageFormat::BlackWhite},   {"bw_g4", TImageFormat::BlackWhite},
      {"bw_miw_packbits", TImageFormat::BlackWhite}, {"bw_miw_zip", TImageFormat::BlackWhite},
      {"bw_miw_tiled", TImageFormat::BlackWhite},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TTiffGraphic g;
    const std::string error = ErrorOf([&] { g.LoadFromBytes(Tif(c.name)); });
    EXPECT_EQ(error, "(no error)");
    EXPECT_EQ(g.Format(), c.format);
    EXPECT_EQ(RgbOf(g), Expected(c.name));
  }
}

TEST(TiffRead, RefusalsNameTheirReason) {
  struct Case {
    const char* name;
    const char* message;
  };
  const Case cases[] = {{"rgb_lzw", "LZW not supported"},
                        {"pal8_lzw", "LZW not supported"},
                        {"gray2", "Unsupported bit count: 2"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TTiffGraphic g;
    EXPECT_EQ(ErrorOf([&] { g.LoadFromBytes(Tif(c.name)); }), c.message);
    EXPECT_TRUE(g.Empty());
    // The probe's header read fails the same way, which sends the file to the imaging library.
    EXPECT_EQ(ErrorOf([&] { g.ReadHeader(Tif(c.name)); }), c.message);
  }
}

TEST(TiffRead, AnyPageOfAMultipageFile) {
  const Bytes multi = Tif("multi");
  TTiffGraphic g;
  EXPECT_EQ(g.GetImageCount(multi), 4);
  const THeaderInfo h = g.ReadHeader(multi);
  EXPECT_EQ(h.pageCount, 4);
  EXPECT_EQ(h.width, 33);
  EXPECT_EQ(h.bitsPerPixel, 24);
  EXPECT_EQ(h.compression, 8);
  const TImageFormat formats[] = {TImageFormat::TrueColor, TImageFormat::Gray256, TImageFormat::Color256,
                                  TImageFormat::BlackWhite};
  for (int page = 1; page <= 4; ++page) {
    SCOPED_TRACE(page);
    g.ReadImage(multi, page);
    EXPECT_EQ(g.Format(), formats[page - 1]);
    EXPECT_EQ(RgbOf(g), Expected("multi.p" + std::to_string(page)));
  }
  EXPECT_EQ(ErrorOf([&] { g.ReadImage(multi, 5); }), "TTiffGraphic TIFFSetDirectory");
  EXPECT_TRUE(g.Empty());
}

TEST(TiffRead, ColorMapBelow256IsTakenAsItIs) {
  TTiffGraphic g;
  g.LoadFromBytes(Tif("pal8_low"));
  const auto& e = g.PaletteRecord().entries;
  EXPECT_EQ(e[0], (RgbQuad{200, 20, 10, 0}));
  EXPECT_EQ(e[1], (RgbQuad{100, 40, 250, 0}));
  EXPECT_EQ(e[3], (RgbQuad{255, 80, 128, 0}));
}

TEST(TiffRead, ResolutionByUnit) {
  struct Case {
    const char* name;
    int dpi;
  };
  // Inches as stored, centimetres times 2.54; a value without a unit gives the screen's.
  for (const Case c : {Case{"res_cm", 300}, Case{"res_none", ScreenDpi()}, Case{"rgb", ScreenDpi()}}) {
    SCOPED_TRACE(c.name);
    TTiffGraphic g;
    g.LoadFromBytes(Tif(c.name));
    EXPECT_EQ(g.XDotsPerInch(), c.dpi);
    EXPECT_EQ(g.YDotsPerInch(), c.dpi);
  }
}

TEST(TiffRead, CompressionPropertyFollowsTheTag) {
  struct Case {
    const char* name;
    int full, header;
  };
  const Case cases[] = {{"rgb", tcNone, tcNone},         {"rgb_packbits", tcPackbits, tcPackbits},
                        {"bw_miw_g3", tcFaxG3_1D, tcFaxG3_1D}, {"bw_miw_g3_2d", tcFaxG3_2D, tcFaxG3_2D},
                        {"bw_miw_g4", tcFaxG4, tcFaxG4}, {"rgb_jpeg", tcJPEG, tcJPEG},
                        {"rgb_zip", tcZLib, tcZLibAdobe}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TTiffGraphic g;
    g.LoadFromBytes(Tif(c.name));
    EXPECT_EQ(g.Compression(), c.full);
    TTiffGraphic h;
    h.ReadHeader(Tif(c.name));
    EXPECT_EQ(h.Compression(), c.header);
  }
}

TEST(TiffCompression, AllowedPerFormat) {
  TTiffGraphic g;
  g.NewImage(4, 4, TImageFormat::Gray256, nullptr, 0, 0);
  EXPECT_EQ(g.Compression(), tcPackbits);
  EXPECT_EQ(ErrorOf([&] { g.SetCompression(tcFaxG3_1D); }),
            "Fax Group 3, 1D compression not supported with 8bpp gray images");
  g.NewImage(4, 4, TImageFormat::TrueColor, nullptr, 0, 0);
  EXPECT_EQ(ErrorOf([&] { g.SetCompression(tcFaxG4); }), "Fax Group 4 compression not supported with 24bpp color images");
  EXPECT_EQ(ErrorOf([&] { g.SetCompression(tcJPEG); }), "JPEG compression not supported with 24bpp color images");
  g.NewImage(4, 4, TImageFormat::BlackWhite, nullptr, 0, 0);
  EXPECT_EQ(g.Compression(), tcFaxG4);
  for (int c : {0, 1, 2, 3, 4, 5, 7}) EXPECT_NO_THROW(g.SetCompression(c)) << c;
  EXPECT_THROW(g.SetCompression(tcJPEG), ETiffError);
}

std::unique_ptr<TTiffGraphic> Sample(TImageFormat f) {
  auto g = std::make_unique<TTiffGraphic>();
  g->NewImage(21, 19, f, nullptr, 300, 200);
  for (int y = 0; y < 19; ++y)
    for (int x = 0; x < 21; ++x) {
      if (f == TImageFormat::TrueColor) g->SetPixels(x, y, MakeColor(x * 12, y * 13, (x * y * 7) & 255));
      else g->SetPaletteIndex(x, y, (x + 3 * y) % (1 << FormatBitCount(f)));
    }
  return g;
}

struct Tags {
  int compression = 0, photometric = -1, bps = 0, spp = 0, rps = 0, t4 = -1, unit = 0;
  float xres = 0, yres = 0;
  std::string software, datetime;
  std::vector<std::uint16_t> red;
};

Tags TagsOf(const Bytes& file, int page = 0) {
  Tags t;
  TiffHandle h = TiffHandle::OpenRead(file);
  TIFF* tif = h.get();
  EXPECT_TRUE(tif);
  if (!tif || !TIFFSetDirectory(tif, static_cast<tdir_t>(page))) return t;
  std::uint16_t v16 = 0;
  std::uint32_t v32 = 0;
  char* s = nullptr;
  if (TIFFGetField(tif, TIFFTAG_COMPRESSION, &v16)) t.compression = v16;
  if (TIFFGetField(tif, TIFFTAG_PHOTOMETRIC, &v16)) t.photometric = v16;
  if (TIFFGetField(tif, TIFFTAG_BITSPERSAMPLE, &v16)) t.bps = v16;
  if (TIFFGetField(tif, TIFFTAG_SAMPLESPERPIXEL, &v16)) t.spp = v16;
  if (TIFFGetField(tif, TIFFTAG_ROWSPERSTRIP, &v32)) t.rps = static_cast<int>(v32);
  if (TIFFGetField(tif, TIFFTAG_GROUP3OPTIONS, &v32)) t.t4 = static_cast<int>(v32);
  if (TIFFGetField(tif, TIFFTAG_RESOLUTIONUNIT, &v16)) t.unit = v16;
  TIFFGetField(tif, TIFFTAG_XRESOLUTION, &t.xres);
  TIFFGetField(tif, TIFFTAG_YRESOLUTION, &t.yres);
  if (TIFFGetField(tif, TIFFTAG_SOFTWARE, &s)) t.software = s;
  if (TIFFGetField(tif, TIFFTAG_DATETIME, &s)) t.datetime = s;
  std::uint16_t *r = nullptr, *g = nullptr, *b = nullptr;
  if (TIFFGetField(tif, TIFFTAG_COLORMAP, &r, &g, &b)) t.red.assign(r, r + (1 << t.bps));
  return t;
}

// "yyyy:mm:dd hh:nn:ss"
bool IsDateTime(const std::string& s) {
  const std::string shape = "dddd:dd:dd dd:dd:dd";
  if (s.size() != shape.size()) return false;
  for (std::size_t i = 0; i < s.size(); ++i)
    if (shape[i] == 'd' ? !std::isdigit(static_cast<unsigned char>(s[i])) : s[i] != shape[i]) return false;
  return true;
}

TEST(TiffWrite, EveryFormatAndCompressionReadsBack) {
  struct Case {
    TImageFormat format;
    int bps, spp, photometric;
  };
  const Case cases[] = {{TImageFormat::BlackWhite, 1, 1, 1}, {TImageFormat::Gray16, 4, 1, 1},
                        {TImageFormat::Gray256, 8, 1, 1},    {TImageFormat::Color16, 4, 1, 3},
                        {TImageFormat::Color256, 8, 1, 3},   {TImageFormat::TrueColor, 8, 3, 2}};
  const int tags[] = {1, 32773, 3, 3, 4, 32946, 7, 8};
  const int rps[] = {16, 16, 256, 256, 256, 16, 8, 16};
  for (const Case& c : cases) {
    for (int comp : {0, 1, 2, 3, 4, 5, 7}) {
      if (comp >= 2 && comp <= 4 && c.format != TImageFormat::BlackWhite) continue;
      SCOPED_TRACE(std::string(FormatDisplayText(c.format)) + " compression " + std::to_string(comp));
      auto g = Sample(c.format);
      g->SetCompression(comp);
      const Bytes out = g->SaveToBytes();
      const Tags t = TagsOf(out);
      EXPECT_EQ(t.compression, tags[comp]);
      EXPECT_EQ(t.bps, c.bps);
      EXPECT_EQ(t.spp, c.spp);
      const bool fax = comp >= 2 && comp <= 4;
      EXPECT_EQ(t.photometric, fax ? 0 : c.photometric);
      EXPECT_EQ(t.rps, rps[comp]);
      EXPECT_EQ(t.t4, comp == 2 ? 0 : comp == 3 ? 1 : -1);
      EXPECT_EQ(t.unit, 2);
      EXPECT_FLOAT_EQ(t.xres, 300);
      EXPECT_FLOAT_EQ(t.yres, 200);
      EXPECT_EQ(t.software, "Vistrel Image Library");
      EXPECT_TRUE(IsDateTime(t.datetime)) << t.datetime;

      TTiffGraphic back;
      back.LoadFromBytes(out);
      EXPECT_EQ(back.Format(), c.format);
      EXPECT_EQ(RgbOf(back), RgbOf(*g));
      EXPECT_EQ(back.XDotsPerInch(), 300);
    }
  }
}

TEST(TiffWrite, FaxRowsAreInvertedUncompressedRowsAreNot) {
  auto g = Sample(TImageFormat::BlackWhite);
  for (int comp : {tcFaxG4, tcNone}) {
    SCOPED_TRACE(comp);
    g->SetCompression(comp);
    const Bytes out = g->SaveToBytes();
    TiffHandle h = TiffHandle::OpenRead(out);
    std::vector<std::uint8_t> row(static_cast<std::size_t>(TIFFScanlineSize(h.get())));
    for (int y = 0; y < g->Height(); ++y) {
      ASSERT_GE(TIFFReadScanline(h.get(), row.data(), static_cast<std::uint32_t>(y), 0), 0);
      const std::uint8_t* mine = g->ScanLine(y);
      for (int i = 0; i < 2; ++i) EXPECT_EQ(row[i], comp == tcFaxG4 ? std::uint8_t(~mine[i]) : mine[i]) << y;
    }
  }
}

TEST(TiffWrite, ColorMapIsValueTimes257) {
  TTiffGraphic g;
  g.NewImage(2, 1, TImageFormat::Color256, nullptr, 0, 0);
  g.SetPaletteFromHandle(Palette{RgbQuad{255, 255, 255, 0}, RgbQuad{1, 2, 3, 0}});
  g.SetPaletteIndex(1, 0, 1);
  const Bytes out = g.SaveToBytes();
  const Tags t = TagsOf(out);
  ASSERT_EQ(t.red.size(), 256u);
  EXPECT_EQ(t.red[0], 65535);
  EXPECT_EQ(t.red[1], 3 * 257);
  EXPECT_EQ(t.red[2], 0);
  TTiffGraphic back;
  back.LoadFromBytes(out);
  EXPECT_EQ(back.Pixels(0, 0), MakeColor(255, 255, 255));
  EXPECT_EQ(back.Pixels(1, 0), MakeColor(3, 2, 1));
}

TEST(TiffWrite, TwoColourPicturesKeepTheirColours) {
  const Palette palettes[] = {{RgbQuad{255, 255, 255, 0}, RgbQuad{0, 0, 0, 0}},
                              {RgbQuad{0, 0, 200, 0}, RgbQuad{200, 255, 0, 0}}};
  for (const Palette& p : palettes) {
    for (int comp : {tcNone, tcFaxG4, tcFaxG3_2D, tcZLib}) {
      SCOPED_TRACE(comp);
      auto g = Sample(TImageFormat::BlackWhite);
      g->SetPaletteFromHandle(p);
      g->SetCompression(comp);
      TTiffGraphic back;
      back.LoadFromBytes(g->SaveToBytes());
      // A fax file holds only black and white: the darker colour becomes black.
      if (comp == tcFaxG4 || comp == tcFaxG3_2D) {
        const bool zeroDark = p[0].red + p[0].green + p[0].blue < p[1].red + p[1].green + p[1].blue;
        for (int x = 0; x < 21; ++x)
          EXPECT_EQ(back.Pixels(x, 0) == 0, (g->PaletteIndex(x, 0) == 0) == zeroDark) << x;
      } else {
        EXPECT_EQ(RgbOf(back), RgbOf(*g));
      }
    }
  }
}

TEST(TiffWrite, AppendAddsPages) {
  Bytes stream;
  auto a = Sample(TImageFormat::TrueColor);
  auto b = Sample(TImageFormat::Gray256);
  auto c = Sample(TImageFormat::BlackWhite);
  a->SetCompression(tcZLib);
  a->AppendImage(stream);  // empty stream: a plain save
  b->AppendImage(stream);
  c->AppendImage(stream);
  TTiffGraphic r;
  ASSERT_EQ(r.GetImageCount(stream), 3);
  const TTiffGraphic* pages[] = {a.get(), b.get(), c.get()};
  for (int i = 0; i < 3; ++i) {
    r.ReadImage(stream, i + 1);
    EXPECT_EQ(RgbOf(r), RgbOf(*pages[i])) << i;
  }
  EXPECT_EQ(TagsOf(stream, 2).compression, 4);
}

// Big enough for the strips to be shared out between threads.
TEST(TiffRead, LargeDeflatePicturesReadTheSameOnEveryThread) {
  TTiffGraphic g;
  g.NewImage(1031, 1100, TImageFormat::TrueColor, nullptr, 0, 0);
  for (int y = 0; y < g.Height(); ++y) {
    std::uint8_t* row = g.ScanLine(y);
    for (int x = 0; x < 3 * g.Width(); ++x) row[x] = static_cast<std::uint8_t>((x * 7 + y * 3) ^ (x / 5));
  }
  g.SetCompression(tcZLib);
  Bytes out = g.SaveToBytes();
  TTiffGraphic back;
  back.LoadFromBytes(out);
  ASSERT_EQ(back.Height(), g.Height());
  EXPECT_EQ(std::memcmp(back.Bits(), g.Bits(), g.ImageSize()), 0);
  // A damaged strip near the end (another thread's share) fails the whole read.
  TiffHandle h = TiffHandle::OpenRead(out);
  const std::uint64_t* offsets = nullptr;
  ASSERT_TRUE(TIFFGetField(h.get(), TIFFTAG_STRIPOFFSETS, &offsets));
  const std::size_t at = static_cast<std::size_t>(offsets[TIFFNumberOfStrips(h.get()) - 3]);
  h.Close();
  for (std::size_t i = at + 2; i < at + 40; ++i) out[i] = 0xFF;
  EXPECT_EQ(ErrorOf([&] { back.LoadFromBytes(out); }), "TTiffGraphic TIFFReadEncodedStrip");
  EXPECT_TRUE(back.Empty());
}

// A little-endian TIFF of one strip from tag entries (type 3 = SHORT, 4 = LONG).
struct Entry {
  std::uint16_t tag, type;
  std::uint32_t count, value;
};
Bytes BuildTiff(std::vector<Entry> entries, const Bytes& pixels, std::uint32_t nextIfd = 0) {
  Bytes out = {'I', 'I', 42, 0, 8, 0, 0, 0};
  const std::uint32_t dataAt = 8 + 2 + 12 * static_cast<std::uint32_t>(entries.size()) + 4;
  auto put16 = [&](std::uint32_t v) { out.push_back(v & 255), out.push_back((v >> 8) & 255); };
  auto put32 = [&](std::uint32_t v) { put16(v & 0xFFFF), put16(v >> 16); };
  put16(static_cast<std::uint32_t>(entries.size()));
  for (Entry e : entries) {
    if (e.tag == 273 && e.value == 0) e.value = dataAt;
    put16(e.tag), put16(e.type), put32(e.count);
    if (e.type == 3) put16(e.value), put16(0);
    else put32(e.value);
  }
  put32(nextIfd);
  out.insert(out.end(), pixels.begin(), pixels.end());
  return out;
}

TEST(TiffRead, HostileFilesFailCleanly) {
  const Bytes px(64, 0x5A);
  auto rgb = [&](std::uint32_t w, std::uint32_t h, std::uint32_t spp, std::uint32_t stripAt = 0) {
    return BuildTiff({{256, 4, 1, w}, {257, 4, 1, h}, {258, 3, 1, 8}, {259, 3, 1, 1}, {262, 3, 1, 2},
                      {273, 4, 1, stripAt}, {277, 3, 1, spp}, {278, 4, 1, h}, {279, 4, 1, w * h * spp}},
                     px);
  };
  const Bytes good = Tif("rgb_zip");
  struct Case {
    const char* what;
    Bytes bytes;
  };
  const Case cases[] = {
      {"not a TIFF", Bytes{'P', 'K', 3, 4, 0, 0, 0, 0}},
      {"empty", Bytes{}},
      {"cut in the strips", Bytes(good.begin(), good.begin() + 300)},
      {"huge", rgb(1u << 30, 1u << 30, 3)},
      {"zero width", rgb(0, 4, 3)},
      {"strip past the end", rgb(4, 4, 3, 100000)},
      {"IFD pointing at itself", BuildTiff({{256, 4, 1, 4}, {257, 4, 1, 4}, {258, 3, 1, 8}, {259, 3, 1, 5}}, px, 8)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TTiffGraphic g;
    EXPECT_THROW(g.LoadFromBytes(c.bytes), EVistrelError);
    EXPECT_TRUE(g.Empty());
  }
  // Five 8-bit samples per pixel: too wide for a straight row copy, so it goes through
  // the RGBA reader (which reads the first three as RGB) and never past the row.
  TTiffGraphic g;
  EXPECT_EQ(ErrorOf([&] { g.LoadFromBytes(rgb(2, 2, 5)); }), "(no error)");
  EXPECT_EQ(g.Format(), TImageFormat::TrueColor);
  EXPECT_EQ(g.Pixels(1, 1), MakeColor(0x5A, 0x5A, 0x5A));
}

// The imaging library's road reads every page the codec reads to the same pixels, bilevel,
// gray and palette pages through their own rows.
TEST(TiffDocumentRead, MatchesTiff2rgba) {
  for (const char* name : {"rgb", "rgb_zip", "rgb_tiled", "gray8", "gray8_miw", "gray8_miw_zip", "gray4", "pal8", "pal4",
                           "pal4_zip", "bw", "bw_miw", "bw_miw_g3", "bw_miw_g3_2d", "bw_miw_g4", "bw_g4",
                           "bw_miw_packbits", "bw_miw_zip", "bw_miw_tiled", "rgb_lzw", "pal8_lzw"}) {
    SCOPED_TRACE(name);
    auto doc = OpenTiffDocument(std::make_shared<const Bytes>(Tif(name)));
    Dib page;
    EXPECT_EQ(ErrorOf([&] { page = doc->DecodePage(0); }), "(no error)");
    EXPECT_EQ(RgbOf(page), Expected(name));
  }
}

Bytes OneBitHeader(std::uint32_t w, std::uint32_t h, std::uint16_t compression, std::uint32_t stripBytes,
                   const Bytes& data) {
  return BuildTiff({{256, 4, 1, w}, {257, 4, 1, h}, {258, 3, 1, 1}, {259, 3, 1, compression}, {262, 3, 1, 0},
                    {273, 4, 1, 0}, {277, 3, 1, 1}, {278, 4, 1, h}, {279, 4, 1, stripBytes}},
                   data);
}

// A header that claims a page its strips cannot hold is refused before the page is
// allocated, on both roads, and libtiff's read errors stop the read instead of leaving a
// black page that counts as loaded.
TEST(TiffRead, StripsThatCannotHoldTheirRowsAreRefused) {
  const Bytes junk(16, 0xA5);
  struct Case {
    const char* what;
    Bytes bytes;
    const char* message;
  };
  const Case cases[] = {
      {"raw strip of 16 bytes for 4000 rows", OneBitHeader(4000, 4000, 1, 16, junk), "TIFF strip"},
      {"fax strip of 16 bytes for 4000 rows", OneBitHeader(4000, 4000, 4, 16, junk), "too short"},
      {"fax strip past the end of the file", OneBitHeader(4000, 4000, 4, 100000, junk), "outside the file"},
      {"huge fax page over no data", OneBitHeader(150000, 150000, 4, 16, junk), "too short"},
      {"raw strip without its last byte", OneBitHeader(64, 2, 1, 15, Bytes(15, 0xA5)), "TIFF strip"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    auto doc = OpenTiffDocument(std::make_shared<const Bytes>(c.bytes));
    const std::string e1 = ErrorOf([&] { doc->DecodePage(0); });
    EXPECT_NE(e1.find(c.message), std::string::npos) << e1;
    TTiffGraphic g;
    const std::string e2 = ErrorOf([&] { g.LoadFromBytes(c.bytes); });
    EXPECT_NE(e2.find(c.message), std::string::npos) << e2;
  }
  // A fax strip long enough to pass the check but holding junk: the decoder's error stops it.
  const Bytes noise(600, 0x00);
  auto doc = OpenTiffDocument(std::make_shared<const Bytes>(OneBitHeader(4000, 4000, 4, 600, noise)));
  EXPECT_NE(ErrorOf([&] { doc->DecodePage(0); }), "(no error)");
  // The pipeline ends such a file on the blank picture with the reason.
  test::TempDir dir;
  test::WriteBytes(dir / "fax.tif", OneBitHeader(150000, 150000, 4, 16, junk));
  TImageLoader l;
  EXPECT_EQ(l.Open((dir / "fax.tif").string()), OpenOutcome::Blank);
  EXPECT_NE(l.LastError().find("too short"), std::string::npos) << l.LastError();
}

// A bilevel page in one strip is read into its own rows: under a pixel limit that holds the
// page at 1 bit but not at 32, it loads, and the pixels are those written.
TEST(TiffRead, BilevelPageInOneStripCostsItsOwnBits) {
  constexpr std::uint32_t kSide = 2000;
  Bytes file;
  {
    TiffHandle h = TiffHandle::OpenWrite(file, false);
    ASSERT_TRUE(h);
    TIFF* t = h.get();
    TIFFSetField(t, TIFFTAG_IMAGEWIDTH, kSide);
    TIFFSetField(t, TIFFTAG_IMAGELENGTH, kSide);
    TIFFSetField(t, TIFFTAG_BITSPERSAMPLE, 1);
    TIFFSetField(t, TIFFTAG_SAMPLESPERPIXEL, 1);
    TIFFSetField(t, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISWHITE);
    TIFFSetField(t, TIFFTAG_COMPRESSION, COMPRESSION_CCITTFAX4);
    TIFFSetField(t, TIFFTAG_ROWSPERSTRIP, kSide);
    std::vector<std::uint8_t> row(kSide / 8);
    for (std::uint32_t y = 0; y < kSide; ++y) {
      for (std::uint32_t i = 0; i < row.size(); ++i) row[i] = static_cast<std::uint8_t>((y / 50 + i / 10) % 2 ? 0xFF : 0x00);
      ASSERT_GE(TIFFWriteScanline(t, row.data(), y, 0), 0);
    }
    ASSERT_TRUE(TIFFWriteDirectory(t));
    ASSERT_TRUE(h.Close());
  }
  const std::uint64_t before = MaxImageBytes();
  SetMaxImageBytes(RowStride(kSide, 1) * kSide + 4096);  // the page at 1 bit, far below it at 32
  auto doc = OpenTiffDocument(std::make_shared<const Bytes>(file));
  Dib page;
  const std::string error = ErrorOf([&] { page = doc->DecodePage(0); });
  TTiffGraphic g;
  const std::string codecError = ErrorOf([&] { g.LoadFromBytes(file); });
  SetMaxImageBytes(before);
  ASSERT_EQ(error, "(no error)");
  ASSERT_EQ(codecError, "(no error)");
  ASSERT_EQ(page.BitCount(), 1);
  // Min-is-white: a set bit in the file is black.
  for (std::uint32_t y : {0u, 49u, 50u, 1999u})
    for (std::uint32_t x : {0u, 79u, 80u, 1999u}) {
      const bool black = (y / 50 + x / 80) % 2 == 1;
      EXPECT_EQ(page.Pixel(static_cast<int>(x), static_cast<int>(y)), black ? 0u : 0xFFFFFFu) << x << "," << y;
      EXPECT_EQ(g.Pixels(static_cast<int>(x), static_cast<int>(y)), black ? 0u : 0xFFFFFFu) << x << "," << y;
    }
}

}  // namespace
}  // namespace pelira
