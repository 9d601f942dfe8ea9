#include "common/parallel_for.h"

#include <algorithm>
#include <exception>
#include <system_error>
#include <thread>
#include <vector>

namespace pelira {

int HardwareThreads() {
  const unsigned n = std::thread::hardware_concurrency();
  return n == 0 ? 1 : static_cast<int>(std::min(n, 256u));
}

void ParallelRows(int rows, const RowBand& fn, int threads, std::int64_t pixels_per_row,
                  std::int64_t min_pixels) {
  if (rows <= 0) return;
  if (threads <= 0) threads = HardwareThreads();
  const int bands = std::min(threads, rows);
  const std::int64_t work = static_cast<std::int64_t>(rows) * std::max<std::int64_t>(pixels_per_row, 0);
  if (bands <= 1 || work < min_pixels) {
    fn(0, rows);
    return;
  }

  std::vector<std::exception_ptr> errors(static_cast<std::size_t>(bands));
  auto run_band = [&](int b) {
    const int first = static_cast<int>(static_cast<std::int64_t>(rows) * b / bands);
    const int last = static_cast<int>(static_cast<std::int64_t>(rows) * (b + 1) / bands);
    try {
      fn(first, last);
    } catch (...) {
      errors[static_cast<std::size_t>(b)] = std::current_exception();
    }
  };

  std::vector<std::thread> workers;
  workers.reserve(static_cast<std::size_t>(bands - 1));
  std::vector<int> unstarted;
  for (int b = 1; b < bands; ++b) {
    try {
      workers.emplace_back(run_band, b);
    } catch (const std::system_error&) {
      unstarted.push_back(b);
    }
  }
  run_band(0);
  for (int b : unstarted) run_band(b);
  for (auto& t : workers) t.join();

  for (const auto& e : errors)
    if (e) std::rethrow_exception(e);
}

}  // namespace pelira
