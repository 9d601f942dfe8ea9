#include "common/size_text.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace pelira {
namespace {

TEST(SizeText, Table) {
  struct Case {
    std::uint64_t bytes;
    const char* text;
  } const cases[] = {
      {0, "0"},
      {1023, "1023"},
      {1024, "1 KB"},
      {1126, "1 KB"},           // 102/1024 of a KB: the tenth truncates to 0
      {1127, "1.1 KB"},
      {1536, "1.5 KB"},
      {1048575, "1023.9 KB"},
      {1048576, "1 MB"},
      {1572864, "1.5 MB"},
      {1153433, "1 MB"},        // 0.0999990 MB
      {1153434, "1.1 MB"},      // 0.1000004 MB
      {4294967295ull, "4095.9 MB"},
      // From 4 GiB on two decimals, halves rounded up; python3:
      // Decimal(s)/1048576 quantized to 0.01 with ROUND_HALF_UP.
      {4294967296ull, "4096.00 MB"},
      {4295098368ull, "4096.13 MB"},   // exactly 4096.125 (printf's %.2f would say 4096.12)
      {4296015871ull, "4097.00 MB"},   // 4096.99999905 carries into the whole part
      {18446744073709551615ull, "17592186044416.00 MB"},
  };
  for (const auto& c : cases) EXPECT_EQ(SizeText(c.bytes), c.text) << c.bytes;
}

TEST(SizeText, InsufficientSpace) {
  // A 1000 x 1000 24-bit picture needs 2998272 bytes (rounded down to 4096) on a drive with
  // 100 KB free.
  EXPECT_EQ(InsufficientSpaceText(2998272, 102400, "Save operation failed."),
            "Insufficient disk space.\nReq.: 2928 Kb\nFree: 100 Kb\n\nSave operation failed.");
  EXPECT_EQ(InsufficientSpaceText(1023, 0, "Batch cancelled."),
            "Insufficient disk space.\nReq.: 0 Kb\nFree: 0 Kb\n\nBatch cancelled.");
}

}  // namespace
}  // namespace pelira
