// Saves written straight into the file: the same file as the in-memory writers make, the
// picture untouched afterwards, failures reported with the old file kept.
#include "image/picture_file.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstring>

#include "image/bmp_graphic.h"
#include "image/file_bytes.h"
#include "image/tiff_graphic.h"
#include "support/test_support.h"

namespace pelira {
namespace {

using test::TempDir;

Dib Pattern(int w, int h, int bits) {
  Dib d(w, h, bits);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      d.SetIndex(x, y, bits == 24 ? MakeColor(x * 5 % 256, y * 3 % 256, (x ^ y) % 256)
                                  : static_cast<std::uint32_t>((x + 3 * y) % (1 << bits)));
  d.xPelsPerMeter = d.yPelsPerMeter = 11811;  // 300 dpi
  return d;
}

bool SamePixels(const Dib& a, const Dib& b) {
  if (a.Width() != b.Width() || a.Height() != b.Height()) return false;
  for (int y = 0; y < a.Height(); ++y)
    for (int x = 0; x < a.Width(); ++x)
      if (a.Pixel(x, y) != b.Pixel(x, y)) return false;
  return true;
}

TEST(PictureFile, BmpIsTheWritersFileByteForByte) {
  TempDir dir;
  for (int bits : {1, 4, 8, 24}) {
    SCOPED_TRACE(bits);
    Dib d = Pattern(37, 11, bits);
    ASSERT_TRUE(SavePictureFile(dir / "a.bmp", d, 1, {}));
    EXPECT_EQ(test::ReadBytes(dir / "a.bmp"), SaveWorkingBitmapBmp(d));
  }
}

TEST(PictureFile, TiffReadsBackAsWrittenAndThePictureStaysTheSame) {
  TempDir dir;
  struct Case {
    int bits, type;
  };
  for (const Case c : {Case{24, 7}, Case{24, 8}, Case{24, 12}, Case{8, 7}, Case{8, 9}, Case{4, 12}, Case{1, 10},
                       Case{1, 11}}) {
    SCOPED_TRACE(std::to_string(c.bits) + " bits, type " + std::to_string(c.type));
    Dib d = Pattern(301, 77, c.bits);
    const Dib before = d;
    const WriteResult r = SavePictureFile(dir / "a.tif", d, c.type, {});
    ASSERT_TRUE(r) << r.message;
    EXPECT_TRUE(SamePixels(d, before));
    EXPECT_EQ(d.BitCount(), c.bits);
    EXPECT_EQ(d.xPelsPerMeter, before.xPelsPerMeter);
    TTiffGraphic back;
    back.LoadFromFile(dir / "a.tif");
    EXPECT_TRUE(SamePixels(back.AsDib(), before));
  }
}

TEST(PictureFile, FailuresKeepTheOldFileAndThePicture) {
  TempDir dir;
  test::WriteText(dir / "old.tif", "old");
  Dib d = Pattern(20, 10, 24);
  const Dib before = d;
  // Fax compression needs a 1-bit picture.
  const WriteResult fax = SavePictureFile(dir / "old.tif", d, 11, {});
  EXPECT_FALSE(fax.ok);
  EXPECT_NE(fax.message.find("not supported"), std::string::npos) << fax.message;
  EXPECT_TRUE(SamePixels(d, before));
  EXPECT_EQ(test::ReadBytes(dir / "old.tif"), (Bytes{'o', 'l', 'd'}));
  // A target that is not a regular file.
  std::filesystem::create_directories(dir / "folder.bmp");
  const WriteResult folder = SavePictureFile(dir / "folder.bmp", d, 1, {});
  EXPECT_FALSE(folder.ok);
  EXPECT_NE(folder.message.find("not a regular file"), std::string::npos) << folder.message;
}

// The failure of a whole-file save names the cause after the file.
TEST(PictureFile, WholeFileSaveFailureNamesTheCause) {
  TempDir dir;
  test::WriteText(dir / "locked.bmp", "old");
  ASSERT_EQ(::chmod((dir / "locked.bmp").c_str(), 0444), 0);
  std::string message;
  try {
    WriteFileAtomic(dir / "locked.bmp", Bytes{1, 2, 3});
  } catch (const std::exception& e) {
    message = e.what();
  }
  EXPECT_EQ(message, "Cannot write file " + (dir / "locked.bmp").string() + ": The file is read-only");
  EXPECT_EQ(test::ReadBytes(dir / "locked.bmp"), (Bytes{'o', 'l', 'd'}));
}

}  // namespace
}  // namespace pelira
