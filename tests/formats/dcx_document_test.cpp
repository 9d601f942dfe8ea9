#include <gtest/gtest.h>

#include "common/errors.h"
#include "formats/format_expect.h"
#include "image/image_loader.h"
#include "imaging_library/imgman.h"
#include "imaging_library/pcx_documents.h"

namespace pelira {
namespace {

using test::FormatBytes;
using test::FormatFixture;
using test::PixelsMatch;

TEST(DcxDocument, EveryPageMatchesImageMagick) {
  ImgInit();
  const HIMG h = ImgOpenSolo(FormatFixture("dcx_im_3.dcx").string());
  ASSERT_NE(h, 0u) << ImgStatusText();
  int pages = 0;
  ImgPageCount(h, &pages);
  ASSERT_EQ(pages, 3);
  const int bits[3] = {8, 24, 8};
  for (int p = 0; p < 3; ++p) {
    ASSERT_TRUE(ImgSetPage(h, p));
    const Dib* d = ImgGetBitmap(h);
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(d->BitCount(), bits[p]) << p;
    EXPECT_TRUE(PixelsMatch(*d, "dcx_im_3.dcx." + std::to_string(p) + ".rgb")) << p;
  }
  ImgClose(h);
}

TEST(DcxDocument, OpensOnPageOneAndPagesWrap) {
  TImageLoader l;
  ASSERT_EQ(l.Open(FormatFixture("dcx_im_3.dcx").string()), OpenOutcome::Image) << l.LastError();
  EXPECT_EQ(l.info.pageCount, 3);
  EXPECT_EQ(l.info.statusText, "Page 1 of 3");
  EXPECT_TRUE(PixelsMatch(l.workingBitmap, "dcx_im_3.dcx.0.rgb"));
  ASSERT_TRUE(l.ChangePage(-1));
  EXPECT_EQ(l.info.statusText, "Page 3 of 3");
  EXPECT_TRUE(PixelsMatch(l.workingBitmap, "dcx_im_3.dcx.2.rgb"));
  ASSERT_TRUE(l.ChangePage(1));
  EXPECT_EQ(l.info.statusText, "Page 1 of 3");
  ASSERT_TRUE(l.ChangePage(1));
  EXPECT_EQ(l.workingBitmap.BitCount(), 24);
  EXPECT_TRUE(PixelsMatch(l.workingBitmap, "dcx_im_3.dcx.1.rgb"));
  l.CloseLibraryImage();
}

TEST(DcxDocument, TableChecks) {
  const Bytes good = FormatBytes("dcx_im_3.dcx");
  const std::vector<DcxPage> pages = ReadDcxTable(good);
  ASSERT_EQ(pages.size(), 3u);
  EXPECT_EQ(pages[0].offset + pages[0].size, pages[1].offset);
  EXPECT_EQ(pages[2].offset + pages[2].size, good.size());

  auto put32 = [](Bytes& b, std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(v >> (8 * i));
  };
  struct Case {
    const char* what;
    std::size_t at;
    std::uint32_t value;
  };
  const Case cases[] = {
      {"bad magic", 0, 123456789},
      {"empty table", 4, 0},
      {"offset inside the table", 8, 4},
      {"offset past the end", 8, 0x7FFFFFF0},
      {"offset leaving no room for a header", 8, static_cast<std::uint32_t>(good.size() - 10)},
  };
  for (const Case& c : cases) {
    Bytes b = good;
    put32(b, c.at, c.value);
    EXPECT_THROW(ReadDcxTable(b), EVistrelError) << c.what;
  }
  // A table of 1024 offsets has no room for its end mark.
  Bytes full(4 + 4 * 1025 + 200, 0);
  put32(full, 0, kDcxMagic);
  for (int i = 0; i < 1024; ++i) put32(full, 4 + 4 * static_cast<std::size_t>(i), 4 + 4 * 1025);
  EXPECT_THROW(ReadDcxTable(full), EVistrelError);
  // A table cut by the end of the file.
  Bytes cut(good.begin(), good.begin() + 14);
  EXPECT_THROW(ReadDcxTable(cut), EVistrelError);
  // Pages pointing at one place are read, each to the next larger offset.
  Bytes twice = good;
  put32(twice, 8, pages[0].offset);
  const std::vector<DcxPage> same = ReadDcxTable(twice);
  EXPECT_EQ(same[1].offset, same[0].offset);
  EXPECT_EQ(same[1].size, same[0].size);
}

TEST(DcxDocument, BrokenPageFailsTheLoadToBlank) {
  test::TempDir dir;
  Bytes b = FormatBytes("dcx_im_3.dcx");
  const std::vector<DcxPage> pages = ReadDcxTable(b);
  b[pages[0].offset + 1] = 4;  // version 4 is refused
  test::WriteBytes(dir / "bad.dcx", b);
  TImageLoader l;
  EXPECT_EQ(l.Open((dir / "bad.dcx").string()), OpenOutcome::Blank);
  EXPECT_EQ(l.info.fileName, "Untitled");
}

}  // namespace
}  // namespace pelira
