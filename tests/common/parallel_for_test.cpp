#include "common/parallel_for.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <mutex>
#include <set>
#include <stdexcept>
#include <thread>
#include <utility>
#include <vector>

namespace pelira {
namespace {

constexpr int kWidth = 37;  // odd, so rows of 3-byte pixels are not a multiple of 4

std::uint8_t Pixel(int x, int y, int c) { return static_cast<std::uint8_t>(x * 31 + y * 17 + c * 101 + x * y); }

std::vector<std::uint8_t> SerialImage(int rows) {
  std::vector<std::uint8_t> buf(static_cast<std::size_t>(rows) * kWidth * 3);
  for (int y = 0; y < rows; ++y)
    for (int x = 0; x < kWidth; ++x)
      for (int c = 0; c < 3; ++c) buf[(static_cast<std::size_t>(y) * kWidth + x) * 3 + c] = Pixel(x, y, c);
  return buf;
}

TEST(ParallelRows, SameResultAsTheSerialLoop) {
  for (int rows : {1, 2, 3, 1001}) {
    const auto expected = SerialImage(rows);
    for (int threads : {1, 2, 7}) {
      std::vector<std::uint8_t> buf(expected.size(), 0xEE);
      std::vector<std::atomic<int>> visits(static_cast<std::size_t>(rows));
      std::atomic<int> bands{0};
      ParallelRows(
          rows,
          [&](int first, int last) {
            ++bands;
            for (int y = first; y < last; ++y) {
              ++visits[static_cast<std::size_t>(y)];
              for (int x = 0; x < kWidth; ++x)
                for (int c = 0; c < 3; ++c)
                  buf[(static_cast<std::size_t>(y) * kWidth + x) * 3 + c] = Pixel(x, y, c);
            }
          },
          threads, kWidth, /*min_pixels=*/0);
      EXPECT_EQ(buf, expected) << rows << " rows, " << threads << " threads";
      for (int y = 0; y < rows; ++y) ASSERT_EQ(visits[static_cast<std::size_t>(y)], 1) << "row " << y;
      EXPECT_EQ(bands, std::min(threads, rows)) << rows << " rows, " << threads << " threads";
    }
  }
}

TEST(ParallelRows, BandsRunOnSeveralThreadsIncludingTheCaller) {
  std::mutex m;
  std::set<std::thread::id> ids;
  std::thread::id first_band;
  ParallelRows(
      700,
      [&](int first, int) {
        std::lock_guard<std::mutex> g(m);
        ids.insert(std::this_thread::get_id());
        if (first == 0) first_band = std::this_thread::get_id();
      },
      7, 1, 0);
  EXPECT_EQ(ids.size(), 7u);
  EXPECT_EQ(first_band, std::this_thread::get_id());
}

TEST(ParallelRows, SmallWorkStaysOnTheCaller) {
  std::vector<std::pair<int, int>> calls;
  std::thread::id where;
  ParallelRows(
      10,
      [&](int first, int last) {
        calls.emplace_back(first, last);
        where = std::this_thread::get_id();
      },
      7, 10);  // 100 pixels: far below the default threshold
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_EQ(calls[0], std::make_pair(0, 10));
  EXPECT_EQ(where, std::this_thread::get_id());

  int called = 0;
  ParallelRows(0, [&](int, int) { ++called; }, 4, 1, 0);
  EXPECT_EQ(called, 0);
}

TEST(ParallelRows, ExceptionReachesTheCaller) {
  for (int threads : {1, 3}) {
    std::atomic<int> rows_done{0};
    try {
      ParallelRows(
          300,
          [&](int first, int last) {
            if (first <= 150 && 150 < last) throw std::runtime_error("band failed");
            rows_done += last - first;
          },
          threads, 1, 0);
      ADD_FAILURE() << "no exception with " << threads << " threads";
    } catch (const std::runtime_error& e) {
      EXPECT_STREQ(e.what(), "band failed");
    }
    // The other bands were finished, not abandoned, before the rethrow.
    if (threads == 3) {
      EXPECT_EQ(rows_done, 200);
    }
  }
}

}  // namespace
}  // namespace pelira
