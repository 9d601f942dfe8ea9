#include "image/jpeg_wizard_settings.h"

#include <gtest/gtest.h>

#include "platform/settings_store.h"

namespace pelira {
namespace {

using Record = std::vector<std::uint8_t>;

Record Make(std::uint8_t prog, std::uint8_t sub, std::int32_t method, std::int32_t strength, std::int32_t scale) {
  Record b(16, 0);
  b[0] = prog;
  b[1] = sub;
  b[2] = b[3] = 1;
  auto put = [&](std::size_t at, std::int32_t v) {
    for (int i = 0; i < 4; ++i) b[at + i] = static_cast<std::uint8_t>(static_cast<std::uint32_t>(v) >> (8 * i));
  };
  put(4, method);
  put(8, strength);
  put(12, scale);
  return b;
}

TEST(JpegWizardSettings, RecordIsCheckedFieldByField) {
  struct Case {
    const char* what;
    std::optional<Record> record;
    bool prog, sub;
    int method, strength, scale;
  } cases[] = {
      {"missing", std::nullopt, false, false, 0, 0, 48},
      {"short", Record(15, 1), false, false, 0, 0, 48},
      {"long", Record(17, 1), false, false, 0, 0, 48},
      {"plain", Make(1, 0, 2, 30, 60), true, false, 2, 30, 60},
      {"out of range", Make(7, 9, 5, 999, 0), true, true, 2, 255, 1},
      {"negative", Make(0, 0, -1, -5, -3), false, false, 0, 0, 1},
      {"scale above 255", Make(0, 1, 1, 255, 4000), false, true, 1, 255, 255},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const TJpegWizardSettings s = TJpegWizardSettings::FromRecord(c.record);
    EXPECT_EQ(s.progressive, c.prog);
    EXPECT_EQ(s.subsample, c.sub);
    EXPECT_EQ(static_cast<int>(s.method), c.method);
    EXPECT_EQ(s.strength, c.strength);
    EXPECT_EQ(s.scale, c.scale);
  }
  EXPECT_EQ(TJpegWizardSettings{}.ToRecord(), Make(0, 0, 0, 0, 48));
}

TEST(JpegWizardSettings, ReadOnceAndWrittenBackOnlyWhenRead) {
  MemorySettingsStore store;
  TJpegWizardRecord unread;
  EXPECT_TRUE(unread.WriteBack(store));
  EXPECT_FALSE(store.Read(kJpegWizardValueName).has_value());

  store.Write(kJpegWizardValueName, Make(1, 1, 1, 20, 70));
  TJpegWizardRecord r;
  TJpegWizardSettings& s = r.Get(store);
  EXPECT_EQ(s.scale, 70);
  s.scale = 300;  // the dialog's value above 255 is stored as 255
  store.Write(kJpegWizardValueName, Make(0, 0, 0, 0, 10));  // not read again
  EXPECT_EQ(r.Get(store).scale, 300);
  ASSERT_TRUE(r.WriteBack(store));
  EXPECT_EQ(*store.Read(kJpegWizardValueName), Make(1, 1, 1, 20, 255));
}

TEST(JpegWizardSettings, SizeAndRatioTexts) {
  EXPECT_EQ(JpegFileSizeText(1234), "File size: 1234 bytes");
  struct Case {
    std::int64_t w, h;
    std::uint64_t size;
    const char* text;
  } cases[] = {
      {100, 100, 3000, "Compression ratio: 10.0 to 1"},
      {100, 100, 7000, "Compression ratio: 4.2 to 1"},  // 30000 = 4 x 7000 + 2000; 20000 div 7000 = 2
      {10, 10, 299, "Compression ratio: 1.0 to 1"},
      {10, 10, 301, "Compression ratio: 0.9 to 1"},
      {60000, 60000, 7, "Compression ratio: 1542857142.8 to 1"},
      {10, 10, 0, "Compression ratio: 0.0 to 1"},
  };
  for (const Case& c : cases) EXPECT_EQ(JpegCompressionRatioText(c.w, c.h, c.size), c.text);
}

}  // namespace
}  // namespace pelira
