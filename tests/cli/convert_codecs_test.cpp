// pelira-cli convert with JPEG, PNG and TIFF files: reduced JPEG decodes, TIFF pages and
// the PNG/JPEG/TIFF writers.
#include <gtest/gtest.h>

#include <sstream>

#include "cli/commands.h"
#include "image/bmp_reader.h"
#include "image/jpeg_image.h"
#include "image/png_graphic.h"
#include "image/tiff_graphic.h"
#include "support/test_support.h"

namespace pelira::cli {
namespace {

int Call(const Args& args, std::string* err = nullptr) {
  std::ostringstream out, e;
  const int rc = Main(args, out, e);
  if (err) *err = e.str();
  return rc;
}

std::string C(const std::string& name) { return test::Fixture("codecs/" + name).string(); }

TEST(CliConvertCodecs, JpegScale) {
  test::TempDir dir;
  const std::string out = (dir / "out.bmp").string();
  // 37x23 at 1/1, 1/2, 1/4, 1/8.
  const int widths[] = {37, 19, 10, 5};
  const char* n[] = {"1", "2", "4", "8"};
  for (int i = 0; i < 4; ++i) {
    std::string err;
    ASSERT_EQ(Call({"convert", "--jpeg-scale", n[i], C("jpeg/base420.jpg"), out}, &err), 0) << err;
    EXPECT_EQ(ReadBmpFile(test::ReadBytes(out)).Width(), widths[i]) << n[i];
  }
  for (const char* bad : {"3", "0", "16", "x"}) {
    std::string err;
    EXPECT_EQ(Call({"convert", "--jpeg-scale", bad, C("jpeg/base420.jpg"), out}, &err), 2) << bad;
    EXPECT_NE(err.find("--jpeg-scale is 1, 2, 4 or 8"), std::string::npos) << err;
  }
  std::ostringstream help, none;
  Main({"--help"}, help, none);
  EXPECT_NE(help.str().find("--jpeg-scale"), std::string::npos);
}

TEST(CliConvertCodecs, TiffPageToPngAndBack) {
  test::TempDir dir;
  for (int page = 1; page <= 4; ++page) {
    SCOPED_TRACE(page);
    const std::string png = (dir / "p.png").string();
    std::string err;
    ASSERT_EQ(Call({"convert", "--page", std::to_string(page), C("tiff/multi.tif"), png}, &err), 0) << err;
    TPngGraphic g;
    g.LoadFromFile(png);
    const auto want = test::ReadBytes(C("tiff/multi.p" + std::to_string(page) + ".rgb"));
    std::vector<std::uint8_t> got;
    for (int y = 0; y < g.Height(); ++y)
      for (int x = 0; x < g.Width(); ++x) {
        const ColorValue c = g.Pixels(x, y);
        got.insert(got.end(), {std::uint8_t(RedOf(c)), std::uint8_t(GreenOf(c)), std::uint8_t(BlueOf(c))});
      }
    EXPECT_EQ(got, want);
  }
  std::string err;
  EXPECT_EQ(Call({"convert", "--page", "5", C("tiff/multi.tif"), (dir / "x.png").string()}, &err), 1);
  EXPECT_NE(err.find("page 5 does not exist"), std::string::npos) << err;

  // A 1-bit page written as Group 4 and read back.
  const std::string g4 = (dir / "fax.tif").string();
  ASSERT_EQ(Call({"convert", "--page", "4", "--type", "11", C("tiff/multi.tif"), g4}, &err), 0) << err;
  TTiffGraphic t;
  EXPECT_EQ(t.ReadHeader(test::ReadBytes(g4)).compression, 4);
  // A JPEG out of a PNG.
  const std::string jpg = (dir / "a.jpg").string();
  ASSERT_EQ(Call({"convert", C("png/rgb8.png"), jpg}, &err), 0) << err;
  TJPEGImage j;
  j.LoadFromFile(jpg);
  EXPECT_EQ(j.HeaderWidth(), 17);
}

}  // namespace
}  // namespace pelira::cli
