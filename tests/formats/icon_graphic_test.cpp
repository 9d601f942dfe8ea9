#include <gtest/gtest.h>

#include "common/errors.h"
#include "formats/format_expect.h"
#include "image/icon_graphic.h"

namespace pelira {
namespace {

using test::FormatBytes;
using test::PixelsMatch;

TEST(IconGraphic, ReadsOntoBlack) {
  struct Case {
    const char* file;
    const char* rgb;
  };
  for (const Case c : {Case{"ico_im_32.ico", "ico_im_32.ico.rgb"}, Case{"ico_4bit_mask.ico", "ico_4bit_mask.ico.rgb"}}) {
    TIconGraphic g;
    g.LoadFromBytes(FormatBytes(c.file));
    EXPECT_EQ(g.Format(), TImageFormat::TrueColor) << c.file;
    EXPECT_TRUE(PixelsMatch(g, c.rgb)) << c.file;
  }
}

TEST(IconGraphic, WriteIsStandardSizeOpaqueAndBlackOutside) {
  TIconGraphic src;
  src.LoadFromBytes(FormatBytes("ico_4bit_mask.ico"));  // 16 x 16
  const Bytes ico = src.SaveToBytes();
  // ImageMagick read our file back as the 16 x 16 picture in the top-left corner of 32 x 32,
  // black elsewhere (the golden file was checked that way).
  test::ExpectGolden(ico, "ico_4bit_mask.ico");
  TIconGraphic back;
  back.LoadFromBytes(ico);
  ASSERT_EQ(back.Width(), 32);
  ASSERT_EQ(back.Height(), 32);
  for (int y = 0; y < 32; ++y)
    for (int x = 0; x < 32; ++x) {
      const ColorValue want = x < 16 && y < 16 ? src.Pixels(x, y) : 0;
      ASSERT_EQ(back.Pixels(x, y), want) << x << "," << y;
    }
}

TEST(IconGraphic, BadDirectoriesAreRefused) {
  const Bytes good = FormatBytes("ico_4bit_mask.ico");
  struct Patch {
    const char* what;
    std::size_t at;
    std::vector<std::uint8_t> bytes;
  };
  const Patch patches[] = {
      {"cursor type", 2, {2, 0}},
      {"no entries", 4, {0, 0}},
      {"more entries than the file", 4, {0xFF, 0xFF}},
      {"offset inside the directory", 18, {4, 0, 0, 0}},
      {"size past the end", 14, {0xFF, 0xFF, 0, 0}},
      {"offset past the end", 18, {0xFF, 0xFF, 0xFF, 0x7F}},
      {"compressed entry", 22 + 16, {1, 0, 0, 0}},
      {"3-bit entry", 22 + 14, {3, 0}},
      {"height 0", 22 + 8, {0, 0, 0, 0}},
  };
  for (const Patch& p : patches) {
    Bytes b = good;
    std::copy(p.bytes.begin(), p.bytes.end(), b.begin() + static_cast<std::ptrdiff_t>(p.at));
    TIconGraphic g;
    EXPECT_THROW(g.LoadFromBytes(b), EVistrelError) << p.what;
    EXPECT_TRUE(g.Empty()) << p.what;
  }
}

TEST(IconGraphic, ChoosesTheStandardSizeWithMostColours) {
  std::vector<IconEntry> e(3);
  e[0] = {16, 16, 0, 1, 32, 10, 100};
  e[1] = {32, 32, 16, 1, 4, 10, 100};
  e[2] = {32, 32, 0, 1, 24, 10, 100};
  EXPECT_EQ(ChooseIconEntry(e), 2u);
  e.resize(1);
  EXPECT_EQ(ChooseIconEntry(e), 0u);
}

}  // namespace
}  // namespace pelira
