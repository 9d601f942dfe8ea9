#include "common/kind_list.h"

#include <gtest/gtest.h>

namespace pelira {
namespace {

constexpr const char* kImages = ".JPG.JPEG.PNG.DCX.PCX.BMP.DIB.TIF.TGA.PCD.PSD.GIF";

struct ExtCase {
  const char* ext;
  const char* list;
  bool in;
};

TEST(KindList, ExtensionInList) {
  const ExtCase cases[] = {
      {".JPG", kImages, true},
      {".jpeg", kImages, true},    // case folded
      {".Gif", kImages, true},
      {".JP", kImages, true},      // a fragment of a listed extension counts
      {".JPG", ".JPG.JPEG", true},
      {".JPEG", ".JPG.JPEG", true},
      {".PEG", ".JPG.JPEG", false},  // the tail of an extension is not at a dot
      {".WMF", kImages, false},
      {".TIFF", kImages, false},   // longer than the listed ".TIF"
      {"JPG", ".jpg.png", true},   // the list is folded as well
      {"", kImages, false},        // an empty extension is in no list
      {".", kImages, false},       // nor is a lone dot
      {".PNG", "", false},
  };
  for (const auto& c : cases) EXPECT_EQ(InKindList(c.ext, c.list), c.in) << c.ext << " in " << c.list;
}

struct PathCase {
  const char* path;
  const char* ext;
  bool image;
};

TEST(KindList, PathExtension) {
  const PathCase cases[] = {
      {"/pics/photo.jpg", ".JPG", true},
      {"/pics/Photo.JpEg", ".JPEG", true},
      {"/pics/archive.tar.gz", ".GZ", false},
      {"/pics/README", "", false},                // no extension
      {"/pics/album.jpg/notes", "", false},       // the dot belongs to the folder
      {"/pics/holiday.2023/scan", "", false},
      {"/pics/trailing.", "", false},             // a name ending in a dot has no extension
      {"relative/a.Tif", ".TIF", true},
      {"/pics/a.jp", ".JP", true},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(UpperExt(c.path), c.ext) << c.path;
    EXPECT_EQ(PathInKindList(c.path, kImages), c.image) << c.path;
  }
}

TEST(KindList, UpperExtKeepsTheRestOfThePathAlone) {
  // Only the extension is folded; the path's own case is not the helper's business.
  EXPECT_EQ(UpperExt("/Mixed/Case.Png"), ".PNG");
  EXPECT_EQ(UpperExt("/a/b.\xC3\xA9"), ".\xC3\xA9");  // non-ASCII bytes pass through unchanged
}

}  // namespace
}  // namespace pelira
