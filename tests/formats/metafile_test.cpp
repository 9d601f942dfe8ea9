#include <gtest/gtest.h>

#include <cmath>

#include "formats/format_expect.h"
#include "image/metafile.h"

namespace pelira {
namespace {

using test::FormatBytes;

// Records what the player asks of the canvas.
struct Recorder : TMetafileCanvas {
  struct Shape {
    TMfPath path;
    bool fill, stroke;
    TMfPen pen;
    TMfBrush brush;
  };
  struct Text {
    TMfPoint at;
    std::string text;
    int align;
    TMfFont font;
    ColorValue color;
  };
  struct Bitmap {
    TMfPoint tl, tr, bl;
    int width, height;
  };
  TMfPen pen;
  TMfBrush brush;
  TMfFont font;
  ColorValue textColor = 0;
  std::vector<Shape> shapes;
  std::vector<Text> texts;
  std::vector<Bitmap> bitmaps;

  void SetPen(const TMfPen& p) override { pen = p; }
  void SetBrush(const TMfBrush& b) override { brush = b; }
  void SetFont(const TMfFont& f) override { font = f; }
  void SetTextColor(ColorValue c) override { textColor = c; }
  void SetBackground(ColorValue, bool) override {}
  void SetWindingFill(bool) override {}
  void DrawPath(const TMfPath& p, bool fill, bool stroke) override { shapes.push_back({p, fill, stroke, pen, brush}); }
  void DrawText(TMfPoint at, const std::string& t, int align) override { texts.push_back({at, t, align, font, textColor}); }
  void DrawBitmap(TMfPoint tl, TMfPoint tr, TMfPoint bl, const Dib& d) override {
    bitmaps.push_back({tl, tr, bl, d.Width(), d.Height()});
  }
};

void ExpectNear(TMfPoint got, TMfPoint want, const char* what) {
  EXPECT_NEAR(got.x, want.x, 1e-6) << what;
  EXPECT_NEAR(got.y, want.y, 1e-6) << what;
}

TEST(Metafile, PlaceableWmfMapsItsWindowOntoThePicture) {
  const TMetafile m = TMetafile::Parse(FormatBytes("mf_shapes.wmf"));
  EXPECT_EQ(m.kind(), TMetafile::Kind::PlaceableWmf);
  EXPECT_EQ(m.Width(), 192);
  EXPECT_EQ(m.Height(), 96);
  Recorder r;
  m.Play(r);
  ASSERT_EQ(r.shapes.size(), 3u);
  // Rectangle 100..900 of 2000 x 1000 units.
  const Recorder::Shape& rect = r.shapes[0];
  EXPECT_TRUE(rect.fill);
  EXPECT_FALSE(rect.stroke) << "the null pen draws no outline";
  EXPECT_EQ(rect.brush.color, MakeColor(255, 0, 0));
  ASSERT_EQ(rect.path.elements.size(), 4u);
  ExpectNear(rect.path.elements[0].p, {9.6, 9.6}, "top left");
  ExpectNear(rect.path.elements[2].p, {86.4, 86.4}, "bottom right");
  // The ellipse: four Bezier quarters around (144, 48).
  const Recorder::Shape& ell = r.shapes[1];
  EXPECT_EQ(ell.brush.color, MakeColor(0, 0, 255));
  ASSERT_EQ(ell.path.elements.size(), 13u);
  ExpectNear(ell.path.elements[0].p, {182.4, 48}, "ellipse start");
  ExpectNear(ell.path.elements[3].p, {144, 86.4}, "ellipse bottom");
  // The freed slot 0 holds the green pen, 50 units = 4.8 pixels wide.
  const Recorder::Shape& line = r.shapes[2];
  EXPECT_FALSE(line.fill);
  EXPECT_EQ(line.pen.color, MakeColor(0, 160, 0));
  EXPECT_NEAR(line.pen.width, 4.8, 1e-9);
  ExpectNear(line.path.elements[1].p, {182.4, 92.16}, "line end");
  // CP1252 text.
  ASSERT_EQ(r.texts.size(), 1u);
  EXPECT_EQ(r.texts[0].text, "Hi\xC3\xA9");
  ExpectNear(r.texts[0].at, {91.2, 38.4}, "text");
}

TEST(Metafile, PlainWmfTakesItsWindowExtent) {
  const TMetafile m = TMetafile::Parse(FormatBytes("mf_plain.wmf"));
  EXPECT_EQ(m.kind(), TMetafile::Kind::Wmf);
  EXPECT_EQ(m.Width(), 300);
  EXPECT_EQ(m.Height(), 200);
  Recorder r;
  m.Play(r);
  ASSERT_EQ(r.shapes.size(), 1u);
  // y runs up from 200: logical (0, 0) is the picture's bottom left.
  ExpectNear(r.shapes[0].path.elements[0].p, {0, 200}, "origin");
  ExpectNear(r.shapes[0].path.elements[2].p, {0, 0}, "top");
}

TEST(Metafile, EmfPathsTransformsTextAndBitmaps) {
  const TMetafile m = TMetafile::Parse(FormatBytes("mf_shapes.emf"));
  EXPECT_EQ(m.kind(), TMetafile::Kind::Emf);
  EXPECT_EQ(m.Width(), 192);
  EXPECT_EQ(m.Height(), 96);
  Recorder r;
  m.Play(r);
  ASSERT_EQ(r.shapes.size(), 2u);
  EXPECT_FALSE(r.shapes[0].stroke) << "the stock null pen";
  ExpectNear(r.shapes[0].path.elements[0].p, {10, 10}, "rectangle");
  // The path: moved 100 right by the world transform, a Bezier, closed, filled blue.
  const Recorder::Shape& path = r.shapes[1];
  EXPECT_TRUE(path.fill);
  EXPECT_EQ(path.brush.color, MakeColor(0, 0, 255));
  ASSERT_EQ(path.path.elements.size(), 4u);
  ExpectNear(path.path.elements[0].p, {100, 10}, "path start");
  EXPECT_EQ(path.path.elements[1].kind, TMfPath::Cubic);
  ExpectNear(path.path.elements[3].p, {100, 50}, "path end");
  ASSERT_EQ(path.path.closeAfter.size(), 1u);
  // Restored state: the text is not shifted; UTF-16 text, bold font 20 pixels high.
  ASSERT_EQ(r.texts.size(), 1u);
  EXPECT_EQ(r.texts[0].text, "H\xC3\xA9");
  ExpectNear(r.texts[0].at, {96, 10}, "text");
  EXPECT_EQ(r.texts[0].font.weight, 700);
  EXPECT_NEAR(r.texts[0].font.height, 20, 1e-9);
  EXPECT_EQ(r.texts[0].font.face, "Sans");
  ASSERT_EQ(r.bitmaps.size(), 1u);
  EXPECT_EQ(r.bitmaps[0].width, 2);
  ExpectNear(r.bitmaps[0].tl, {150, 50}, "bitmap top left");
  ExpectNear(r.bitmaps[0].tr, {190, 50}, "bitmap top right");
  ExpectNear(r.bitmaps[0].bl, {150, 90}, "bitmap bottom left");
}

TEST(Metafile, BadFilesAreRefused) {
  struct Case {
    const char* what;
    Bytes bytes;
  };
  Bytes wmf = FormatBytes("mf_plain.wmf");
  Bytes longRecord = wmf;
  longRecord[18] = 0xFF, longRecord[19] = 0xFF;  // first record's size in words
  Bytes shortRecord = wmf;
  shortRecord[18] = 1, shortRecord[19] = 0, shortRecord[20] = 0, shortRecord[21] = 0;
  Bytes noSize = wmf;
  noSize[24] = 0, noSize[25] = 0, noSize[26] = 0, noSize[27] = 0;  // window extent 0 x 0
  Bytes emf = FormatBytes("mf_shapes.emf");
  Bytes badSig = emf;
  badSig[40] = 'X';
  Bytes emfLong = emf;
  emfLong[88 + 4] = 0xF0, emfLong[88 + 5] = 0xFF;  // second record's size
  Bytes emfOdd = emf;
  emfOdd[88 + 4] = 10;  // not a multiple of 4
  Bytes emfFlat = emf;
  for (int i = 24; i < 40; ++i) emfFlat[static_cast<std::size_t>(i)] = 0;  // frame 0
  for (int i = 8; i < 24; ++i) emfFlat[static_cast<std::size_t>(i)] = 0;   // bounds 0: one pixel
  const Case cases[] = {
      {"empty", {}},
      {"text", Bytes{'h', 'e', 'l', 'l', 'o', ' ', 'w', 'o', 'r', 'l', 'd'}},
      {"record past the end", longRecord},
      {"record shorter than its head", shortRecord},
      {"no window extent", noSize},
      {"EMF signature", badSig},
      {"EMF record past the end", emfLong},
      {"EMF record size not in words", emfOdd},
      {"cut header", Bytes(wmf.begin(), wmf.begin() + 10)},
  };
  for (const Case& c : cases) EXPECT_THROW(TMetafile::Parse(c.bytes), EMetafileError) << c.what;
  EXPECT_EQ(TMetafile::Parse(emfFlat).Width(), 1);
}

TEST(Metafile, HugeExtentsAreScaledDown) {
  Bytes b = FormatBytes("mf_plain.wmf");
  // Window extent 30000 x -20000: shrunk to fit kMaxSide, shape kept.
  b[24] = static_cast<std::uint8_t>(-20000 & 255), b[25] = static_cast<std::uint8_t>((-20000 >> 8) & 255);
  b[26] = static_cast<std::uint8_t>(30000 & 255), b[27] = static_cast<std::uint8_t>(30000 >> 8);
  const TMetafile m = TMetafile::Parse(b);
  EXPECT_EQ(m.Width(), TMetafile::kMaxSide);
  EXPECT_EQ(m.Height(), TMetafile::kMaxSide * 2 / 3 + 1);
}

void Put16(Bytes& b, unsigned v) {
  b.push_back(static_cast<std::uint8_t>(v));
  b.push_back(static_cast<std::uint8_t>(v >> 8));
}
void Put32(Bytes& b, std::uint32_t v) {
  Put16(b, v & 0xFFFF);
  Put16(b, v >> 16);
}

// A plain WMF of a 100 x 100 window and one record.
Bytes WmfWith(const TMetafileRecord& r) {
  Bytes b;
  for (unsigned v : {1u, 9u, 0x300u, 0u, 0u, 0u, 0u, 0u, 0u}) Put16(b, v);
  Put32(b, 5), Put16(b, 0x020C), Put16(b, 100), Put16(b, 100);
  Bytes params = r.params;
  if (params.size() % 2) params.push_back(0);
  Put32(b, static_cast<std::uint32_t>(3 + params.size() / 2)), Put16(b, r.type);
  b.insert(b.end(), params.begin(), params.end());
  Put32(b, 3), Put16(b, 0);
  return b;
}

// An EMF of the fixture's header and one record.
Bytes EmfWith(const Bytes& fixture, const TMetafileRecord& r) {
  Bytes b(fixture.begin(), fixture.begin() + 88);
  Bytes params = r.params;
  while (params.size() % 4) params.push_back(0);
  Put32(b, r.type), Put32(b, static_cast<std::uint32_t>(8 + params.size()));
  b.insert(b.end(), params.begin(), params.end());
  Put32(b, 14), Put32(b, 8);
  return b;
}

TEST(Metafile, RecordsWithShortParametersPlaySafely) {
  // Each record of the fixtures, its parameters cut to every shorter length, plays without
  // reading past them (the sanitizers watch) and draws nothing outside the picture's reach.
  const Bytes emf = FormatBytes("mf_shapes.emf");
  int played = 0;
  for (const char* name : {"mf_shapes.wmf", "mf_shapes.emf"}) {
    const bool isEmf = std::string(name).ends_with(".emf");
    const TMetafile m = TMetafile::Parse(FormatBytes(name));
    for (const TMetafileRecord& rec : m.Records()) {
      if (rec.type == 1 && isEmf) continue;  // the header itself
      for (std::size_t n = 0; n <= rec.params.size(); ++n) {
        TMetafileRecord cut = rec;
        cut.params.resize(n);
        const TMetafile one = TMetafile::Parse(isEmf ? EmfWith(emf, cut) : WmfWith(cut));
        Recorder r;
        one.Play(r);
        for (const Recorder::Shape& s : r.shapes)
          for (const auto& e : s.path.elements) ASSERT_TRUE(std::isfinite(e.p.x) && std::isfinite(e.p.y));
        ++played;
      }
    }
  }
  EXPECT_GT(played, 100);
}

}  // namespace
}  // namespace pelira
