#pragma once
// Splits the rows of a pixel loop into contiguous bands run on worker threads, the calling
// thread taking one band too. The result equals the serial loop as long as each band writes
// only its own rows. Small jobs run serially: threads cost more than they save there.
#include <cstdint>
#include <functional>

namespace pelira {

// Work (rows x pixels per row) below which ParallelRows runs serially by default.
inline constexpr std::int64_t kParallelMinPixels = 64 * 1024;

using RowBand = std::function<void(int first, int last)>;  // rows first..last-1

// Calls fn over bands that cover 0..rows-1 exactly once. threads 0 means the hardware's
// count; fewer bands are used than threads when rows are fewer. Runs fn(0, rows) on the
// caller's thread when rows * pixels_per_row < min_pixels or one thread is asked for.
// An exception thrown by a band is rethrown here after every band has finished (the one of
// the lowest band when several throw). A worker that cannot be started runs on the caller.
void ParallelRows(int rows, const RowBand& fn, int threads = 0, std::int64_t pixels_per_row = 1,
                  std::int64_t min_pixels = kParallelMinPixels);

// The thread count that threads = 0 stands for (at least 1).
int HardwareThreads();

}  // namespace pelira
