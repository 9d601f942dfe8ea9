#include <gtest/gtest.h>

#include <stdexcept>

#include "common/errors.h"
#include "support/test_support.h"
#include "viewer/open_flow.h"
#include "viewer/picture_loader.h"

namespace pelira {
namespace {

TEST(ClassifyOpen, ByTheKindListsSubstringRule) {
  struct Case { const char* ext; OpenKind want; };
  const Case cases[] = {
      {".BMP", OpenKind::Raster},   {".JPG", OpenKind::Raster},    {".JP", OpenKind::Raster},
      {".TI", OpenKind::Raster},    {".MP3", OpenKind::Media},     {".MPEG", OpenKind::Media},
      {".RTF", OpenKind::Text},     {".TXT", OpenKind::Text},      {".EMF", OpenKind::Metafile},
      {".AVL", OpenKind::Slideshow}, {".ZIP", OpenKind::Unknown},  {"", OpenKind::Unknown},
  };
  for (const Case& c : cases) EXPECT_EQ(ClassifyOpen(c.ext), c.want) << c.ext;
}

TEST(OpenDialogFilters, PairsOfDescriptionAndPatternsWithTheMends) {
  const auto filters = OpenDialogFilters();
  ASSERT_EQ(filters.size(), 17u);
  EXPECT_EQ(filters.front().first, "All validated formats");
  EXPECT_EQ(filters.back().first, "All files (no validation)");
  EXPECT_EQ(filters.back().second, std::vector<std::string>{"*.*"});
  for (int i : {0, 1}) {
    const auto& p = filters[i].second;
    EXPECT_NE(std::find(p.begin(), p.end(), "*.aif"), p.end()) << filters[i].first;
    EXPECT_NE(std::find(p.begin(), p.end(), "*.aif?"), p.end()) << filters[i].first;
    EXPECT_NE(std::find(p.begin(), p.end(), "*.rmi"), p.end()) << filters[i].first;
    for (const std::string& pattern : p) EXPECT_EQ(pattern.rfind("*.", 0), 0u) << pattern;
  }
  const auto pcd = std::find_if(filters.begin(), filters.end(), [](auto& f) { return f.first == "PCD (Kodak Photo-CD)"; });
  ASSERT_NE(pcd, filters.end());
  EXPECT_EQ(pcd->second, std::vector<std::string>{"*.pcd"});  // the trailing ';' gives no empty pattern
}

ViewState Showing(const std::string& file) {
  ViewState s;
  s.CurrentFile = file;
  s.CurrentExt = ".BMP";
  s.ImageBits = 8;
  s.ImageLoaded = true;
  s.ImageModified = true;
  return s;
}

TEST(LoadIntoState, SuccessDescribesTheNewPicture) {
  ViewState s = Showing("/old.bmp");
  s.Zoom = 300;
  LoadedPicture out;
  const PictureLoader loader = [](const std::string&, const LoadRequest&, LoadedPicture& o) {
    o.bitmap = Dib(30, 20, 4);
    o.pageCount = 3;
    return true;
  };
  EXPECT_EQ(LoadIntoState(s, "/Pics/New.TIF", loader, {}, out), OpenKind::Raster);
  EXPECT_EQ(s.CurrentFile, "/Pics/New.TIF");
  EXPECT_EQ(s.CurrentExt, ".TIF");
  EXPECT_EQ(s.ImageWidth, 30);
  EXPECT_EQ(s.ImageHeight, 20);
  EXPECT_EQ(s.ImageBits, 4);
  EXPECT_EQ(s.PageCount, 3);
  EXPECT_TRUE(s.ImageLoaded);
  EXPECT_FALSE(s.ImageModified);
  EXPECT_EQ(s.StatusWord, "Page 1 of 3");
  EXPECT_EQ(s.Zoom, 300);
}

TEST(LoadIntoState, StatusAndReducedSizeComeFromTheLoad) {
  ViewState s;
  LoadedPicture out;
  const PictureLoader loader = [](const std::string&, const LoadRequest&, LoadedPicture& o) {
    o.bitmap = Dib(8, 8, 24);
    o.statusText = "Loaded 1.1s";
    o.reducedScale = 4;
    o.sourceWidth = 32;
    o.sourceHeight = 32;
    return true;
  };
  LoadIntoState(s, "/a.jpg", loader, {}, out);
  EXPECT_EQ(s.StatusWord, "Loaded 1.1s");
  EXPECT_EQ(s.SourceWidth, 32);
  EXPECT_EQ(s.ReducedScale, 4);
}

TEST(LoadIntoState, TextPagesAndMetafilesAreUntitledPictures) {
  ViewState s = Showing("/old.bmp");
  LoadedPicture out;
  const PictureLoader loader = [](const std::string&, const LoadRequest&, LoadedPicture& o) {
    o.bitmap = Dib(8, 8, 24);
    o.untitled = true;
    return true;
  };
  EXPECT_EQ(LoadIntoState(s, "/notes.txt", loader, {}, out), OpenKind::Text);
  EXPECT_EQ(s.CurrentFile, "Untitled");
  EXPECT_TRUE(s.ImageLoaded);
  EXPECT_EQ(s.StatusWord, "Ready.");
}

TEST(LoadIntoState, FailureOrThrowRestoresThePreviousFile) {
  const PictureLoader fails = [](const std::string&, const LoadRequest&, LoadedPicture&) { return false; };
  const PictureLoader empty = [](const std::string&, const LoadRequest&, LoadedPicture&) { return true; };
  const PictureLoader throws = [](const std::string&, const LoadRequest&, LoadedPicture&) -> bool {
    throw EVistrelError("JPEG datastream contains no image");
  };
  for (const PictureLoader* loader : {&fails, &empty}) {
    ViewState s = Showing("/old.bmp");
    LoadedPicture out;
    EXPECT_EQ(LoadIntoState(s, "/new.png", *loader, {}, out), OpenKind::Raster);
    EXPECT_EQ(s.CurrentFile, "/old.bmp");
    EXPECT_EQ(s.CurrentExt, ".BMP");
    EXPECT_EQ(s.ImageBits, 8);
    EXPECT_FALSE(s.ImageLoaded);
  }
  ViewState s = Showing("/old.bmp");
  LoadedPicture out;
  EXPECT_THROW(LoadIntoState(s, "/new.jpg", throws, {}, out), EVistrelError);
  EXPECT_EQ(s.CurrentFile, "/old.bmp");
  EXPECT_FALSE(s.ImageLoaded);
}

TEST(LoadIntoState, OtherKindsLoadNothing) {
  bool called = false;
  const PictureLoader loader = [&](const std::string&, const LoadRequest&, LoadedPicture&) { return called = true; };
  for (const char* path : {"/a.mp3", "/b.zip", "/c.avl", "/d"}) {
    ViewState s = Showing("/old.bmp");
    LoadedPicture out;
    EXPECT_NE(LoadIntoState(s, path, loader, {}, out), OpenKind::Raster) << path;
    EXPECT_EQ(s.CurrentFile, "/old.bmp");
  }
  EXPECT_FALSE(called);
}

TEST(BlankPicture, UntitledThirtyTwoSquareInTheViewportColour) {
  const Dib d = BlankBitmap(0x00336699);  // platform colour: red 0x99, green 0x66, blue 0x33
  EXPECT_EQ(d.Width(), 32);
  EXPECT_EQ(d.BitCount(), 24);
  EXPECT_EQ(d.Pixel(31, 31), MakeColor(0x99, 0x66, 0x33));
  ViewState s = Showing("/old.bmp");
  s.PageCount = 4;
  BlankPictureState(s, true);
  EXPECT_EQ(s.CurrentFile, "Untitled");
  EXPECT_EQ(s.ImageWidth, 32);
  EXPECT_EQ(s.ImageBits, 24);
  EXPECT_EQ(s.PageCount, 0);
  EXPECT_TRUE(s.ImageLoaded);
  EXPECT_FALSE(s.ImageModified);
  EXPECT_EQ(s.StatusWord, "Ready.");
}

TEST(DefaultPictureLoader, ReadsBmpFilesAtTheirDepth) {
  const PictureLoader loader = DefaultPictureLoader();
  struct Case { const char* file; int w, h, bits; };
  const Case cases[] = {{"gradient_24.bmp", 64, 48, 24},
                        {"palette_8.bmp", 40, 30, 8},
                        {"palette_4.bmp", 40, 30, 4},
                        {"mono_1.bmp", 40, 30, 1}};
  for (const Case& c : cases) {
    LoadedPicture out;
    ASSERT_TRUE(loader(test::Fixture(std::string("viewer/") + c.file).string(), {}, out)) << c.file;
    EXPECT_EQ(out.bitmap.Width(), c.w) << c.file;
    EXPECT_EQ(out.bitmap.Height(), c.h) << c.file;
    EXPECT_EQ(out.bitmap.BitCount(), c.bits) << c.file;
  }
  // ImageMagick's gradient: red at the top, blue at the bottom.
  LoadedPicture g;
  ASSERT_TRUE(loader(test::Fixture("viewer/gradient_24.bmp").string(), {}, g));
  EXPECT_GT(RedOf(g.bitmap.Pixel(0, 0)), 240);
  EXPECT_GT(BlueOf(g.bitmap.Pixel(0, 47)), 240);
}

TEST(DefaultPictureLoader, BrokenMissingOrUnknownFilesFailQuietly) {
  const PictureLoader loader = DefaultPictureLoader();
  test::TempDir dir;
  test::WriteText(dir / "x.png", "no PNG inside");
  test::WriteText(dir / "x.zzz", "unknown");
  for (const std::string& path : {test::Fixture("viewer/broken.bmp").string(), (dir / "none.bmp").string(),
                                  (dir / "x.png").string(), (dir / "x.zzz").string()}) {
    LoadedPicture out;
    EXPECT_FALSE(loader(path, {}, out)) << path;
    EXPECT_TRUE(out.error.empty()) << path;
  }
}

TEST(DefaultPictureLoader, PictureAboveThePixelLimitSaysSo) {
  LoadedPicture out;
  EXPECT_FALSE(DefaultPictureLoader()(test::Fixture("image/huge.bmp").string(), {}, out));
  EXPECT_EQ(out.error.rfind("Image too large", 0), 0u) << out.error;
}

}  // namespace
}  // namespace pelira

namespace pelira {
namespace {

// Only a picture reduced for the window, unchanged, named and shown plainly is decoded again.
TEST(OpenFlow, FullDecodeOnlyForWindowReductions) {
  const auto state = [](auto change) {
    ViewState s;
    s.CurrentFile = "/p/a.jpg";
    s.ImageLoaded = true;
    s.ReducedScale = 4;
    change(s);
    return NeedsFullDecode(s);
  };
  EXPECT_TRUE(state([](ViewState&) {}));
  EXPECT_FALSE(state([](ViewState& s) { s.ReducedScale = 1; }));
  EXPECT_FALSE(state([](ViewState& s) { s.HalfJpeg = true; }));
  EXPECT_FALSE(state([](ViewState& s) { s.ResampleOnLoad = true; }));
  EXPECT_FALSE(state([](ViewState& s) { s.ImageModified = true; }));
  EXPECT_FALSE(state([](ViewState& s) { s.CurrentFile = kUntitled; }));
  EXPECT_FALSE(state([](ViewState& s) { s.ImageLoaded = false; }));
}

}  // namespace
}  // namespace pelira
