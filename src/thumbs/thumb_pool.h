#pragma once
// Background thumbnailing: a pool of worker threads (one per core by default) that decode
// pictures and write their thumbnails into the cache. The workers never touch album or
// listing records: each result comes back as a value that the caller's thread (the
// user-interface thread) takes with TakeResults and applies itself. A thumbnail depends only
// on its file, so the cache ends up the same whatever the number of workers.
//
// Notify is called on a worker thread, under the pool's lock, whenever results become ready
// to be taken; it must only post (the window queues a call to itself) and never call the pool.
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "thumbs/thumb_builder.h"

namespace pelira {

struct ThumbJob {
  std::uint64_t id = 0;           // the caller's key (an album's record number)
  std::string source;             // the picture
  std::filesystem::path target;   // where its thumbnail goes (a path ThumbCache gave)
  std::filesystem::path cacheRoot;  // the cache root, made when missing
  std::string subfolder;          // the target's subfolder under the root ("" for a shared one)
  bool background = true;         // leave very large pictures for a foreground check
};

struct ThumbDone {
  std::uint64_t id = 0;
  std::uint64_t generation = 0;
  ThumbStatus status = ThumbStatus::Failed;
  bool written = false;  // the thumbnail is in the cache (a failed write keeps it pending)
  int width = 0, height = 0;
  std::string reason;
};

class ThumbPool {
 public:
  // workers 0: one per core.
  explicit ThumbPool(int workers = 0);
  // Drops what is queued and waits a moment for the jobs in flight; a worker still reading a
  // slow file then finishes alone and its result is thrown away.
  ~ThumbPool();
  ThumbPool(const ThumbPool&) = delete;
  ThumbPool& operator=(const ThumbPool&) = delete;

  int Workers() const;
  void SetNotify(std::function<void()> notify);

  // Queues jobs at the back, or at the front when urgent (the slides on screen).
  void Submit(ThumbJob job, bool urgent = false);
  void Submit(std::vector<ThumbJob> jobs, bool urgent = false);

  // The results ready so far, in the order they were finished.
  std::vector<ThumbDone> TakeResults();
  // Waits until a result is ready, the pool is idle, or the time is up.
  void WaitForResults(std::chrono::milliseconds timeout);
  // Waits until nothing is queued or in flight.
  void WaitIdle();

  // Queued plus in flight.
  std::size_t Outstanding() const;
  bool Idle() const { return Outstanding() == 0; }

  // A new generation: the queue and every result not yet taken are dropped, and results of
  // jobs in flight will be dropped too. Does not wait.
  void Cancel();
  // Cancel, then waits for the jobs in flight to end (before the cache is deleted).
  void Stop();
  std::uint64_t Generation() const;

 private:
  struct State;
  static void Work(std::shared_ptr<State> state);
  std::shared_ptr<State> state_;
};

}  // namespace pelira
