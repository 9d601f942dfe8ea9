#include <gtest/gtest.h>

#include "thumbs/thumb_names.h"

namespace pelira {
namespace {

// Expected names from python3: reg = zlib.crc32(text) ^ 0xFFFFFFFF over the identity text,
// suffix D[L>>10&31] + D[L>>5&31] + D[L&31] with D = "0123456789ABCDEFGHIJKLMNOPQRSTUV".
TEST(ThumbNames, FileNamesMatchTheIndependentComputation) {
  struct Case {
    ThumbIdentity id;
    const char* name;
  };
  const Case cases[] = {
      {{"PHOTOS.1B2C3D4E", "/HOME/U/PICS/IMG_0001.JPG", 2345678, 1488022959, 49530000}, "ADBB0502.02B"},
      // The real case of a path is kept: these two are two pictures.
      {{"", "/home/u/pics/IMG.jpg", 1000, 1488022959, 0}, "3F11569E.01D"},
      {{"", "/home/u/pics/img.jpg", 1000, 1488022959, 0}, "3E969171.01D"},
      // A text of 32768 bytes or more: its length in hex, then the CRC digits. The size is
      // the record's signed field.
      {{"V.00000001", "/" + std::string(40000, 'a') + ".jpg", -5, 0, 86399999}, "00009C64DAFA8194"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ThumbFileName(c.id), c.name) << c.id.path.substr(0, 40);
    EXPECT_TRUE(IsThumbFileName(ThumbFileName(c.id)));
  }
}

TEST(ThumbNames, SubfolderAndRoot) {
  EXPECT_EQ(ThumbSubfolderName("PHOTOS.1B2C3D4E", "/HOME/U/PICS/"), "2D00D7BC");
  EXPECT_EQ(CacheRootName(), "pl00F846.thd");
  EXPECT_EQ(kThumbFileBytes, 63558u);
  // A new date is a new thumbnail.
  ThumbIdentity a{"", "/p/x.jpg", 10, 100, 5};
  ThumbIdentity b = a;
  b.date = 101;
  EXPECT_NE(ThumbFileName(a), ThumbFileName(b));
}

TEST(ThumbNames, OnlyTheCacheShapesAreAccepted) {
  struct Case {
    const char* name;
    bool file;
    bool subfolder;
  };
  const Case cases[] = {
      {"ADBB0502.02B", true, false},   {"ADBB0502.0VV", true, false},   {"00009C64DAFA8194", true, false},
      {"2D00D7BC", false, true},       {"ADBB0502.02W", false, false},  {"adbb0502.02b", false, false},
      {"ADBB0502/02B", false, false},  {"../../../etc", false, false},  {"..", false, false},
      {"", false, false},              {"2D00D7B", false, false},       {"2D00D7BCX", false, false},
      {"00009C64DAFA819G", false, false}, {"ADBB0502.02B ", false, false}, {"2d00d7bc", false, false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(IsThumbFileName(c.name), c.file) << c.name;
    EXPECT_EQ(IsThumbSubfolderName(c.name), c.subfolder) << c.name;
  }
}

TEST(ThumbNames, SharedNamesAreSafeAndDistinct) {
  struct Case {
    const char* ext;
    bool cd;
    const char* name;
  };
  const Case cases[] = {
      {".WAV", false, "WAV"},           {".wav", false, "WAV"},        {".Mp3", false, "MP3"},
      {".CDA", true, "CDA"},            {"", false, "00000002"},       {".", false, "00000002"},
      {".DEADBEEF", false, "00000002"},  // would be taken for a folder's subfolder
      {".CDA", false, "00000002"},      {".A/B", false, "00000002"},  {".A B", false, "00000002"},
      {"..", false, "00000002"},
  };
  for (const Case& c : cases) EXPECT_EQ(SharedThumbName(c.ext, c.cd), c.name) << c.ext;
}

TEST(ThumbNames, PerFileKinds) {
  for (const char* e : {".JPG", ".jpeg", ".PNG", ".GIF", ".ICO", ".EXE", ".JP"}) EXPECT_TRUE(HasPerFileThumb(e)) << e;
  for (const char* e : {".WAV", ".TXT", "", ".WMF"}) EXPECT_FALSE(HasPerFileThumb(e)) << e;
}

}  // namespace
}  // namespace pelira
