#include <gtest/gtest.h>

#include <sstream>

#include "cli/cli_call.h"
#include "cli/commands.h"
#include "image/bmp_graphic.h"
#include "image/bmp_reader.h"
#include "support/test_support.h"

namespace pelira::cli {
namespace {

std::string F(const std::string& name) { return test::Fixture("image/" + name).string(); }

TEST(CliInfo, OneTabSeparatedLinePerFile) {
  const CliResult r = Call({"info", F("v3_24.bmp"), F("os2_4.bmp"), F("rle8_eoi.bmp")});
  EXPECT_EQ(r.rc, 0) << r.err;
  EXPECT_EQ(r.out, F("v3_24.bmp") + "\t17x3\t24\t1\tBMP\n" + F("os2_4.bmp") + "\t17x3\t4\t1\tBMP\n" +
                       F("rle8_eoi.bmp") + "\t3x20\t8\t1\tBMP\n");
  EXPECT_TRUE(r.err.empty());
}

TEST(CliInfo, FailuresNameTheFileAndExitOne) {
  test::TempDir dir;
  test::WriteText(dir / "song.mp3", "x");
  const CliResult r = Call({"info", F("truncated_pixels.bmp"), F("v5_32.bmp"), (dir / "song.mp3").string()});
  EXPECT_EQ(r.rc, 1);
  EXPECT_EQ(r.out, F("v5_32.bmp") + "\t17x3\t24\t1\tBMP\n" + (dir / "song.mp3").string() + "\t-\t-\t-\tMEDIA\n");
  EXPECT_EQ(r.err, "pelira-cli: " + F("truncated_pixels.bmp") + ": Invalid bitmap\n");
  EXPECT_EQ(Call({"info"}).rc, 2);
  EXPECT_EQ(Call({"info", "--bogus", F("v3_24.bmp")}).rc, 2);
}

TEST(CliConvert, BmpToBmpKeepsPixelsAndDepth) {
  test::TempDir dir;
  for (const char* name : {"v3_8.bmp", "v5_32.bmp", "rle4.bmp", "v3_1.bmp"}) {
    const std::string out = (dir / "out.bmp").string();
    const CliResult r = Call({"convert", F(name), out});
    ASSERT_EQ(r.rc, 0) << name << r.err;
    TBmpGraphic src, dst;
    src.LoadFromFile(F(name));
    dst.LoadFromFile(out);
    EXPECT_FALSE(dst.UsedPlatformReader()) << "written as a plain bitmap";
    ASSERT_EQ(dst.Width(), src.Width());
    EXPECT_EQ(dst.BitCount(), src.BitCount() == 32 ? 24 : src.BitCount()) << name;
    for (int y = 0; y < src.Height(); ++y)
      for (int x = 0; x < src.Width(); ++x) ASSERT_EQ(dst.Pixels(x, y), src.Pixels(x, y)) << name;
  }
}

TEST(CliConvert, TypesAndOptions) {
  test::TempDir dir;
  const std::string in = F("v3_24.bmp");
  struct Case { Args args; int rc; const char* errPart; };
  const Case cases[] = {
      {{"convert", "--type", "11", in, (dir / "a.tif").string()}, 1, "needs a 1-bit picture"},
      {{"convert", in, (dir / "a.xyz").string()}, 2, "give --type"},
      {{"convert", "--type", "13", in, (dir / "a.bmp").string()}, 2, "--type"},
      {{"convert", "--page", "0", in, (dir / "a.bmp").string()}, 2, "--page"},
      {{"convert", "--page", "2", in, (dir / "a.bmp").string()}, 1, "page 2 does not exist"},
      {{"convert", "--fax-quality", "8", in, (dir / "a.bmp").string()}, 2, "--fax-quality"},
      {{"convert", "--background", "12345", in, (dir / "a.bmp").string()}, 2, "--background"},
      {{"convert", in}, 2, "needs IN and OUT"},
      {{"convert", F("huge.bmp"), (dir / "a.bmp").string()}, 1, "huge.bmp"},
  };
  for (const Case& c : cases) {
    const CliResult r = Call(c.args);
    EXPECT_EQ(r.rc, c.rc) << c.errPart;
    EXPECT_NE(r.err.find(c.errPart), std::string::npos) << r.err;
  }
  EXPECT_FALSE(std::filesystem::exists(dir / "a.bmp")) << "nothing written on failure";
  // --type 1 writes a BMP whatever OUT is called; background and fax quality are accepted.
  const CliResult r = Call({"convert", "--type", "1", "--fax-quality", "16", "--background", "FF8000", in,
                            (dir / "b.out").string()});
  ASSERT_EQ(r.rc, 0) << r.err;
  EXPECT_EQ(ReadBmpFile(test::ReadBytes(dir / "b.out")).Width(), 17);
}

TEST(CliConvert, UnreadableInputWritesTheBlankNowhere) {
  test::TempDir dir;
  const CliResult r = Call({"convert", F("bad_cbfix.bmp"), (dir / "x.bmp").string()});
  EXPECT_EQ(r.rc, 1);
  EXPECT_FALSE(std::filesystem::exists(dir / "x.bmp"));
  const std::string help = Call({"--help"}).out;
  EXPECT_NE(help.find("info FILE..."), std::string::npos);
  EXPECT_NE(help.find("default bw: no shrink"), std::string::npos);
  EXPECT_NE(help.find("default 000000"), std::string::npos);
}

}  // namespace
}  // namespace pelira::cli
