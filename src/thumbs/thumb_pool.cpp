#include "thumbs/thumb_pool.h"

#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

#include "common/parallel_for.h"
#include "thumbs/thumb_cache.h"

namespace pelira {

namespace {
// How long closing waits for a worker busy with one file.
constexpr std::chrono::milliseconds kCloseWait{300};
}  // namespace

struct ThumbPool::State {
  std::mutex mu;
  std::condition_variable work;     // a job was queued, or the pool closes
  std::condition_variable changed;  // a result, or a job ended
  std::deque<ThumbJob> queue;
  std::vector<ThumbDone> results;
  std::function<void()> notify;
  std::size_t inFlight = 0;
  std::uint64_t generation = 0;
  int alive = 0;
  bool closing = false;
  std::vector<std::thread> threads;
};

ThumbPool::ThumbPool(int workers) : state_(std::make_shared<State>()) {
  const int n = workers > 0 ? workers : HardwareThreads();
  std::lock_guard lock(state_->mu);
  for (int i = 0; i < n; ++i) {
    try {
      state_->threads.emplace_back(&ThumbPool::Work, state_);
      ++state_->alive;
    } catch (const std::system_error&) {
      break;  // fewer workers than asked
    }
  }
}

ThumbPool::~ThumbPool() {
  std::vector<std::thread> threads;
  bool ended = false;
  {
    std::unique_lock lock(state_->mu);
    state_->closing = true;
    state_->queue.clear();
    state_->notify = nullptr;
    ++state_->generation;
    state_->work.notify_all();
    ended = state_->changed.wait_for(lock, kCloseWait, [&] { return state_->alive == 0; });
    threads.swap(state_->threads);
  }
  // A worker stuck on a slow file keeps the shared state alive and ends by itself.
  for (auto& t : threads) {
    if (ended) t.join();
    else t.detach();
  }
}

int ThumbPool::Workers() const {
  std::lock_guard lock(state_->mu);
  return static_cast<int>(state_->threads.size());
}

void ThumbPool::SetNotify(std::function<void()> notify) {
  std::lock_guard lock(state_->mu);
  state_->notify = std::move(notify);
}

void ThumbPool::Submit(ThumbJob job, bool urgent) {
  std::lock_guard lock(state_->mu);
  if (urgent) state_->queue.push_front(std::move(job));
  else state_->queue.push_back(std::move(job));
  state_->work.notify_one();
}

void ThumbPool::Submit(std::vector<ThumbJob> jobs, bool urgent) {
  std::lock_guard lock(state_->mu);
  if (urgent) {
    for (auto it = jobs.rbegin(); it != jobs.rend(); ++it) state_->queue.push_front(std::move(*it));
  } else {
    for (auto& j : jobs) state_->queue.push_back(std::move(j));
  }
  state_->work.notify_all();
}

std::vector<ThumbDone> ThumbPool::TakeResults() {
  std::lock_guard lock(state_->mu);
  std::vector<ThumbDone> out;
  out.swap(state_->results);
  return out;
}

void ThumbPool::WaitForResults(std::chrono::milliseconds timeout) {
  std::unique_lock lock(state_->mu);
  state_->changed.wait_for(lock, timeout, [&] {
    return !state_->results.empty() || (state_->queue.empty() && state_->inFlight == 0);
  });
}

void ThumbPool::WaitIdle() {
  std::unique_lock lock(state_->mu);
  state_->changed.wait(lock, [&] { return state_->queue.empty() && state_->inFlight == 0; });
}

std::size_t ThumbPool::Outstanding() const {
  std::lock_guard lock(state_->mu);
  return state_->queue.size() + state_->inFlight;
}

void ThumbPool::Cancel() {
  std::lock_guard lock(state_->mu);
  state_->queue.clear();
  state_->results.clear();
  ++state_->generation;
}

void ThumbPool::Stop() {
  std::unique_lock lock(state_->mu);
  state_->queue.clear();
  state_->results.clear();
  ++state_->generation;
  state_->changed.wait(lock, [&] { return state_->inFlight == 0; });
}

std::uint64_t ThumbPool::Generation() const {
  std::lock_guard lock(state_->mu);
  return state_->generation;
}

void ThumbPool::Work(std::shared_ptr<State> s) {
  ThumbBuilder builder;
  std::unique_lock lock(s->mu);
  for (;;) {
    s->work.wait(lock, [&] { return s->closing || !s->queue.empty(); });
    if (s->closing) break;
    ThumbJob job = std::move(s->queue.front());
    s->queue.pop_front();
    ++s->inFlight;
    const std::uint64_t generation = s->generation;
    lock.unlock();

    ThumbDone done;
    done.id = job.id;
    done.generation = generation;
    BuiltThumb b = builder.Build(job.source, job.background);
    done.status = b.status;
    done.width = b.width;
    done.height = b.height;
    done.reason = std::move(b.reason);
    if (b.status == ThumbStatus::Done) {
      // A folder that cannot be made, or a write that fails, leaves the slide pending.
      ThumbCache cache(job.cacheRoot.parent_path());
      done.written = cache.EnsureFolders(job.subfolder) && ThumbCache::Write(job.target, b.thumb);
    }

    lock.lock();
    --s->inFlight;
    if (generation == s->generation && !s->closing) {
      const bool first = s->results.empty();
      s->results.push_back(std::move(done));
      // Called under the lock, so once the pool has cleared it no call can still be running;
      // it only posts a message, so it never waits on the pool.
      if (first && s->notify) s->notify();
    }
    s->changed.notify_all();
  }
  --s->alive;
  s->changed.notify_all();
}

}  // namespace pelira
