#include <gtest/gtest.h>

#include "platform/settings_store.h"

namespace pelira {
namespace {

std::vector<std::uint8_t> Record168() {
  std::vector<std::uint8_t> r(168);
  for (std::size_t i = 0; i < r.size(); ++i) r[i] = static_cast<std::uint8_t>(i * 37 + 11);
  r[0] = 0x00;
  r[167] = 0xFF;
  return r;
}

TEST(MemorySettingsStore, RoundTripsBytesStringsEmptyAndMissing) {
  MemorySettingsStore store;
  const std::vector<std::uint8_t> binary = {0x00, 0xFF, 0x00, 0x7F, 0x80, 0xFF};
  ASSERT_TRUE(store.Write("VControls7500", Record168()));
  ASSERT_TRUE(store.Write("selFX01", binary));
  ASSERT_TRUE(store.Write("JPGwiz1", {}));
  ASSERT_TRUE(store.WriteString("OpenDir", "/home/ü/Bilder mit Leerzeichen"));

  EXPECT_EQ(store.Read("VControls7500"), Record168());
  EXPECT_EQ(store.Read("selFX01"), binary);
  ASSERT_TRUE(store.Read("JPGwiz1").has_value());  // empty is not missing
  EXPECT_TRUE(store.Read("JPGwiz1")->empty());
  EXPECT_EQ(store.ReadString("OpenDir"), "/home/ü/Bilder mit Leerzeichen");
  EXPECT_FALSE(store.Read("EControls7700").has_value());
  EXPECT_FALSE(store.ReadString("SaveDir").has_value());

  ASSERT_TRUE(store.Write("selFX01", {1, 2}));  // overwrite replaces, not appends
  EXPECT_EQ(store.Read("selFX01"), (std::vector<std::uint8_t>{1, 2}));
  EXPECT_TRUE(store.Remove("selFX01"));
  EXPECT_FALSE(store.Read("selFX01").has_value());
  EXPECT_TRUE(store.Remove("selFX01"));
}

}  // namespace
}  // namespace pelira
