// pelira-cli convert writes through the save dialog's writers: every type of a 1-bit
// picture, read back by info, and the JPEG options.
#include <gtest/gtest.h>

#include <sstream>

#include "cli/commands.h"
#include "support/test_support.h"

namespace pelira::cli {
namespace {

int Cli(const Args& args, std::string* out = nullptr, std::string* err = nullptr) {
  std::ostringstream o, e;
  const int rc = Main(args, o, e);
  if (out) *out = o.str();
  if (err) *err = e.str();
  return rc;
}

TEST(CliConvertTypes, EverySaveTypeOfAOneBitPicture) {
  test::TempDir dir;
  const std::string in = test::Fixture("image/v3_1.bmp").string();
  struct Case { int type; const char* ext; const char* kind; const char* bits; };
  const Case cases[] = {
      {1, "bmp", "BMP", "1"},  {2, "pcx", "PCX", "1"},  {3, "png", "PNG", "1"},  {4, "jpg", "JPEG", "8"},
      {5, "jpg", "JPEG", "24"}, {6, "tga", "TGA", "8"}, {7, "tif", "TIFF", "1"}, {8, "tif", "TIFF", "1"},
      {9, "tif", "TIFF", "1"}, {10, "tif", "TIFF", "1"}, {11, "tif", "TIFF", "1"}, {12, "tif", "TIFF", "1"},
  };
  for (const Case& c : cases) {
    const std::string outFile = (dir / ("o" + std::to_string(c.type) + "." + c.ext)).string();
    std::string err;
    ASSERT_EQ(Cli({"convert", "--type", std::to_string(c.type), in, outFile}, nullptr, &err), 0) << c.type << err;
    std::string info;
    ASSERT_EQ(Cli({"info", outFile}, &info), 0) << c.type;
    EXPECT_EQ(info, outFile + "\t17x3\t" + c.bits + "\t1\t" + c.kind + "\n") << c.type;
  }
}

TEST(CliConvertTypes, QualityAndProgressiveOptions) {
  test::TempDir dir;
  const std::string in = test::Fixture("image/v3_24.bmp").string();
  const std::string a = (dir / "a.jpg").string(), b = (dir / "b.jpg").string();
  ASSERT_EQ(Cli({"convert", "--quality", "5", "--no-progressive", in, a}), 0);
  ASSERT_EQ(Cli({"convert", "--quality", "95", in, b}), 0);
  EXPECT_NE(test::ReadBytes(a), test::ReadBytes(b));
  std::string err;
  EXPECT_EQ(Cli({"convert", "--quality", "0", in, a}, nullptr, &err), 2);
  EXPECT_NE(err.find("--quality"), std::string::npos);
}

}  // namespace
}  // namespace pelira::cli
