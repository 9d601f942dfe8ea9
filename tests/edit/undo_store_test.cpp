#include <gtest/gtest.h>

#include "edit/undo_store.h"
#include "support/test_pictures.h"

namespace pelira {
namespace {
using test::SamePixels;

Dib Filled(int w, int h, int bits, const Palette& pal) {
  Dib d = pal.empty() ? Dib(w, h, bits) : Dib(w, h, bits, pal);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      if (bits == 24) d.SetPixel(x, y, MakeColor(x * 9, y * 13, (x ^ y) * 5));
      else d.SetIndex(x, y, (x * 3 + y) % (1u << bits) % std::max<std::size_t>(1, d.Colors().size()));
    }
  return d;
}

// Every depth and palette comes back exactly, whichever carrier holds it.
TEST(UndoStore, LosslessForEveryDepthAndPalette) {
  const Palette blackWhite = {{0, 0, 0, 0}, {255, 255, 255, 0}};
  const Palette redBlue = {{0, 0, 200, 0}, {180, 10, 0, 0}};
  const Palette whiteFirst = {{255, 255, 255, 0}, {0, 0, 0, 0}};
  Palette sixteen, ten, big;
  for (int i = 0; i < 16; ++i) sixteen.push_back({static_cast<std::uint8_t>(i * 16), static_cast<std::uint8_t>(255 - i * 9), 77, 0});
  for (int i = 0; i < 10; ++i) ten.push_back({static_cast<std::uint8_t>(i * 20), 3, static_cast<std::uint8_t>(i), 0});
  for (int i = 0; i < 100; ++i) big.push_back({static_cast<std::uint8_t>(i), static_cast<std::uint8_t>(i * 2), 9, 0});
  struct Case {
    const char* what;
    int bits;
    Palette pal;
  };
  const Case cases[] = {
      {"1-bit black/white", 1, blackWhite}, {"1-bit red/blue", 1, redBlue},   {"1-bit white first", 1, whiteFirst},
      {"4-bit sixteen", 4, sixteen},        {"4-bit ten entries", 4, ten},    {"8-bit default", 8, {}},
      {"8-bit 100 entries", 8, big},        {"24-bit", 24, {}},
  };
  for (const Case& c : cases) {
    for (int w : {1, 7, 33}) {
      const Dib pic = Filled(w, 5, c.bits, c.pal);
      UndoStore u;
      u.Take(pic, c.bits);
      ASSERT_TRUE(u.Available());
      const auto back = u.Decode();
      ASSERT_TRUE(back.has_value()) << c.what;
      EXPECT_TRUE(SamePixels(*back, pic)) << c.what << " width " << w;
      EXPECT_EQ(u.Depth(), c.bits);
    }
  }
  // The carriers: BMP from 8 bits up, PCX where it is exact, the private form otherwise.
  UndoStore u;
  u.Take(Filled(9, 3, 24, {}), 24);
  EXPECT_EQ(u.StoredForm(), UndoStore::Form::Bmp);
  u.Take(Filled(9, 3, 4, sixteen), 4);
  EXPECT_EQ(u.StoredForm(), UndoStore::Form::Pcx);
  u.Take(Filled(9, 3, 1, blackWhite), 1);
  EXPECT_EQ(u.StoredForm(), UndoStore::Form::Pcx);
  u.Take(Filled(9, 3, 1, redBlue), 1);
  EXPECT_EQ(u.StoredForm(), UndoStore::Form::Raw);
}

TEST(UndoStore, DamagedCopyDecodesToNothing) {
  for (int bits : {1, 24}) {
    UndoStore u;
    u.Take(Filled(6, 6, bits, bits == 1 ? Palette{{1, 2, 3, 0}, {9, 9, 9, 0}} : Palette{}), bits);
    u.Stream().resize(u.StreamSize() / 3);
    EXPECT_FALSE(u.Decode().has_value()) << bits;
  }
  UndoStore none;
  EXPECT_FALSE(none.Decode().has_value());
  EXPECT_THROW(none.Take(Dib(), 24), std::exception);
  EXPECT_FALSE(none.Available());
}

TEST(UndoStore, RawSizeAndTexts) {
  EXPECT_EQ(RawPictureSize(1000, 1000, 1), 122880u);
  EXPECT_EQ(RawPictureSize(32000, 32000, 24), 3072000000u) << "64-bit, no overflow";
  EXPECT_EQ(RawPictureSize(100, 100, 16), 16384u);
  EXPECT_EQ(RawPictureSize(100, 100, 32), 0u);
  EXPECT_EQ(LowMemoryText(8192, 0),
            "Free memory is fragmented or running low.\nSelect Tools | Memory to clear and check buffers.\n"
            "\nRequired=8192 Actual=0");
  EXPECT_EQ(BackupFailedText("UndoBitmap error.", false),
            "UndoBitmap error.\nBackup failed. Free memory is fragmented or running low.\nSelect Tools | Memory to clear "
            "and check buffers.\n\n");
}

TEST(UndoStore, MemoryReport) {
  MemoryReportInput in;
  in.status.load = 42;
  in.status.totalPhysical = 24ull << 30;
  in.status.totalPaged = 25ull << 30;
  in.status.freePaged = 10ull << 30;
  in.status.totalVirtual = 1ull << 47;
  in.status.freeVirtual = (1ull << 47) - (3ull << 20);
  in.largestBlock = kMemoryProbeBlock;
  in.system = "Debian GNU/Linux 12 (bookworm) 6.1.0";
  in.screenWidth = 1280;
  in.screenHeight = 1024;
  in.colorDepth = 24;
  in.bookmarks = 3;
  EXPECT_EQ(MemoryReportText(in),
            "Memory Utilization: 42 (100=max)\n\n"
            "Total Physical Memory: 24577 Mb\nTotal Paged Memory: 25601 Mb\nFree Paged Memory: 10241 Mb\n"
            "Total Virtual Memory: 134217729 Mb\nFree Virtual Memory: 134217726 Mb\nLargest Free Block: 255 Mb\n"
            "\nWindows version: Debian GNU/Linux 12 (bookworm) 6.1.0\nDisplay: 1280 x 1024 (24 bpp)\n"
            "\nViewer bookmarks: 3 items\n");
  in.bookmarks = -1;
  EXPECT_EQ(MemoryReportText(in).find("bookmarks"), std::string::npos) << "not from the explorer";
  EXPECT_FALSE(SystemNameAndVersion().empty());
}

}  // namespace
}  // namespace pelira
