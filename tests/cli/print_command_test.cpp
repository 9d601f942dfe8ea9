#include <gtest/gtest.h>

#include <cstdio>
#include <regex>

#include "cli_call.h"
#include "image/bmp_graphic.h"
#include "image/png_graphic.h"
#include "support/test_pictures.h"
#include "support/test_support.h"
#include "viewer/picture_pdf.h"

namespace pelira::cli {
namespace {

using test::Fixture;

bool HaveTool(const char* name) {
  const std::string probe = std::string("command -v ") + name + " >/dev/null 2>&1";
  return std::system(probe.c_str()) == 0;
}

std::string Capture(const std::string& command) {
  std::string out;
  if (FILE* p = popen(command.c_str(), "r")) {
    char buf[4096];
    std::size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, p)) > 0) out.append(buf, n);
    pclose(p);
  }
  return out;
}

TEST(PrintCommand, UsageErrors) {
  const std::string in = Fixture("image/v3_24.bmp").string();
  struct Case { Args args; const char* says; };
  const Case cases[] = {
      {{"print", in}, "needs FILE and --pdf"},
      {{"print", "--pdf", "x.pdf"}, "needs FILE and --pdf"},
      {{"print", in, "--pdf", "x.pdf", "--size", "0"}, "needs a size 1..100"},
      {{"print", in, "--pdf", "x.pdf", "--paper", "b5"}, "needs letter"},
      {{"print", in, "--pdf", "x.pdf", "--dpi", "10"}, "needs a resolution"},
  };
  for (const Case& c : cases) {
    const CliResult r = Call(c.args);
    EXPECT_EQ(r.rc, 2);
    EXPECT_NE(r.err.find(c.says), std::string::npos) << r.err;
  }
  test::TempDir dir;
  const CliResult missing = Call({"print", (dir / "none.bmp").string(), "--pdf", (dir / "x.pdf").string()});
  EXPECT_EQ(missing.rc, 1);
  EXPECT_FALSE(std::filesystem::exists(dir / "x.pdf"));
}

// The worked page: at 50 % a picture lands centred at half the fitted size; pdfinfo and
// pdfimages read the page size, the title and one lossless image at the picture's own size.
TEST(PrintCommand, PdfMatchesThePrintSetup) {
  test::TempDir dir;
  const Dib picture = test::PatternPicture(60, 40, 4);
  const auto bmp = dir / "pic.bmp";
  test::WriteBytes(bmp, SaveWorkingBitmapBmp(picture));
  const auto pdf = dir / "out.pdf";
  const CliResult r = Call({"print", bmp.string(), "--pdf", pdf.string(), "--size", "50"});
  ASSERT_EQ(r.rc, 0) << r.err;
  EXPECT_EQ(r.out,
            "Print Setup: pic.bmp\nWidth : 2400\nHeight: 1600\n&X pos : 1200\n&Y pos : 2500\n"
            "Portrait : 4800 x 6600  (600 x 600 dpi)\n");
  if (!HaveTool("pdfinfo") || !HaveTool("pdfimages")) GTEST_SKIP() << "poppler-utils not installed";
  const std::string info = Capture("pdfinfo '" + pdf.string() + "'");
  EXPECT_TRUE(std::regex_search(info, std::regex("Title:\\s+Pelira Picture Graphic"))) << info;
  EXPECT_TRUE(std::regex_search(info, std::regex("Page size:\\s+612 x 792 pts"))) << info;
  EXPECT_TRUE(std::regex_search(info, std::regex("Pages:\\s+1\\n"))) << info;
  const std::string list = Capture("pdfimages -list '" + pdf.string() + "'");
  // page num type width height color comp bpc enc interp object ID x-ppi y-ppi
  EXPECT_TRUE(std::regex_search(list, std::regex("\\n\\s+1\\s+0\\s+image\\s+60\\s+40\\s+rgb\\s+3\\s+8\\s+image\\s+no\\s+5\\s+0\\s+15\\s+15")))
      << list;
  Capture("pdfimages -png '" + pdf.string() + "' '" + (dir / "img").string() + "'");
  TPngGraphic png;
  png.LoadFromFile(dir / "img-000.png");
  EXPECT_TRUE(test::SamePixels(png.TakeWorkingBitmap(), picture));
}

TEST(PicturePdf, RefusesNothingToPrint) {
  PdfPlacement p;
  EXPECT_ANY_THROW(PicturePdf(Dib(), {0, 0, 0, 0, 10, 10}, "t"));
  p.w = 0;
  p.h = 10;
  EXPECT_ANY_THROW(PicturePdf(test::PatternPicture(2, 2), p, "t"));
}

}  // namespace
}  // namespace pelira::cli
