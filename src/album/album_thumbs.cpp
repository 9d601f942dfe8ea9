#include "album/album_thumbs.h"

#include <algorithm>
#include <chrono>
#include <unordered_map>

#include "album/album_add.h"
#include "common/kind_list.h"
#include "common/size_text.h"
#include "common/time_text.h"
#include "common/volume_id.h"
#include "platform/progress.h"
#include "thumbs/thumb_builder.h"

namespace pelira {

namespace {

std::uint32_t RecordNumberAt(const AlbumStore& store, std::size_t pos) { return store.Order()[pos]; }

// A shared thumbnail (an icon) is drawn on the spot: true when it is there afterwards.
bool EnsureSharedThumb(const ThumbCache& cache, const std::filesystem::path& file) {
  if (ThumbCache::PresentOrRemove(file)) return true;
  if (!cache.EnsureFolders()) return false;
  return ThumbCache::Write(file, ThumbnailOfIcon(DefaultThumbIcon(file.filename().string())));
}

}  // namespace

std::optional<ThumbIdentity> SlideThumbIdentity(const AlbumStore& store, const SlideRecord& r) {
  const auto path = store.SlideFullPath(r);
  if (!path) return std::nullopt;
  ThumbIdentity id;
  const auto d = static_cast<std::size_t>(r.dirIndex);
  if (d < store.Volumes().size()) id.volume = store.Volumes()[d];
  id.path = *path;
  id.size = r.size;
  id.date = r.fileDate;
  id.timeOfDay = r.timeOfDay;
  return id;
}

SlideThumbPlace SlideThumbPath(AlbumStore& store, SlideRecord& r, const ThumbCache& cache) {
  SlideThumbPlace place;
  const std::string ext = UpperExt("x" + std::string(r.Ext()));
  if (r.IsCdTrack() || !HasPerFileThumb(ext)) {
    place.shared = true;
    place.file = cache.PathOf({}, SharedThumbName(ext, r.IsCdTrack()));
    return place;
  }
  if (!IsThumbSubfolderName(r.Subfolder()) || !IsThumbFileName(r.ThumbName())) {
    const auto id = SlideThumbIdentity(store, r);
    if (!id) return place;
    const auto slash = id->path.rfind('/');
    r.SetSubfolder(ThumbSubfolderName(id->volume, std::string_view(id->path).substr(0, slash + 1)));
    r.SetThumbName(ThumbFileName(*id));
  }
  place.subfolder = std::string(r.Subfolder());
  place.file = cache.PathOf(place.subfolder, r.ThumbName());
  return place;
}

std::optional<ThumbJob> ThumbJobFor(AlbumStore& store, std::size_t pos, const ThumbCache& cache, bool background) {
  if (pos >= store.Count()) return std::nullopt;
  SlideRecord& r = store.MutableAt(pos);
  if (r.thumbState != kThumbPending || r.size == 0) return std::nullopt;
  const SlideThumbPlace place = SlideThumbPath(store, r, cache);
  if (place.file.empty()) return std::nullopt;
  if (place.shared) {
    if (EnsureSharedThumb(cache, place.file)) r.thumbState = kThumbDone;
    return std::nullopt;
  }
  if (ThumbCache::PresentOrRemove(place.file)) {
    r.thumbState = kThumbDone;
    return std::nullopt;
  }
  const auto path = store.SlideFullPath(r);
  if (!path) return std::nullopt;
  ThumbJob job;
  job.id = RecordNumberAt(store, pos);
  job.source = *path;
  job.target = place.file;
  job.cacheRoot = cache.Root();
  job.subfolder = place.subfolder;
  job.background = background;
  return job;
}

std::vector<ThumbJob> PendingThumbJobs(AlbumStore& store, const ThumbCache& cache, std::size_t firstVisible,
                                       std::size_t lastVisible) {
  std::vector<ThumbJob> jobs;
  const std::size_t n = store.Count();
  auto take = [&](std::size_t pos) {
    if (auto j = ThumbJobFor(store, pos, cache, true)) jobs.push_back(std::move(*j));
  };
  const std::size_t last = std::min(lastVisible, n == 0 ? 0 : n - 1);
  if (n > 0 && firstVisible <= last)
    for (std::size_t p = firstVisible; p <= last; ++p) take(p);
  for (std::size_t p = 0; p < n; ++p)
    if (n == 0 || firstVisible > last || p < firstVisible || p > last) take(p);
  return jobs;
}

bool ApplyThumbResult(AlbumStore& store, const ThumbDone& done) {
  if (done.id >= store.Records().size()) return false;
  SlideRecord& r = store.Records()[done.id];
  switch (done.status) {
    case ThumbStatus::Done:
      if (!done.written) return true;  // silent: the slide stays pending
      r.thumbState = kThumbDone;
      r.width = static_cast<std::uint16_t>(done.width);
      r.height = static_cast<std::uint16_t>(done.height);
      return true;
    case ThumbStatus::Retry: r.thumbState = kThumbRetry; return true;
    case ThumbStatus::Failed: r.thumbState = kThumbFailed; return true;
  }
  return true;
}

std::filesystem::path ThumbToDraw(AlbumStore& store, std::size_t pos, const ThumbCache& cache) {
  if (pos >= store.Count()) return {};
  SlideRecord& r = store.MutableAt(pos);
  const SlideThumbPlace place = SlideThumbPath(store, r, cache);
  const bool present = !place.file.empty() && ThumbCache::Check(place.file) == ThumbFileState::Present;
  if (present) {
    if (r.thumbState == kThumbPending) r.thumbState = kThumbDone;
    if (r.thumbState == kThumbDone) return place.file;
  }
  if (r.thumbState == kThumbFailed) return cache.PathOf({}, kFailedThumb);
  if (!present && (r.thumbState == kThumbDone || r.thumbState == kThumbRetry)) r.thumbState = kThumbPending;
  return {};
}

std::optional<ThumbJob> FileThumbJob(const std::string& path, const ThumbCache& cache, VolumeSource& volumes,
                                     std::map<std::string, std::string>& volumeOfDir) {
  const FileFacts facts = StatFile(path);
  const std::string ext = UpperExt(path);
  if (!facts.exists || !HasPerFileThumb(ext)) return std::nullopt;
  const std::string dir = path.substr(0, path.rfind('/') + 1);
  auto v = volumeOfDir.find(dir);
  if (v == volumeOfDir.end()) v = volumeOfDir.emplace(dir, VolumeId(volumes, dir)).first;
  const SlideRecord r = MakeSlideRecord(ext, facts, 0);
  const ThumbIdentity id{v->second, path, r.size, r.fileDate, r.timeOfDay};
  ThumbJob job;
  job.source = path;
  job.subfolder = ThumbSubfolderName(id.volume, dir);
  job.target = cache.PathOf(job.subfolder, ThumbFileName(id));
  job.cacheRoot = cache.Root();
  return job;
}

CheckThumbsOutcome CheckThumbs(AlbumStore& store, const ThumbCache& cache, Progress* progress, int workers) {
  CheckThumbsOutcome out;
  const auto start = std::chrono::steady_clock::now();
  std::vector<ThumbJob> jobs;
  std::unordered_map<std::uint64_t, std::size_t> positionOf;
  for (std::size_t pos = 0; pos < store.Count(); ++pos) {
    SlideRecord& r = store.MutableAt(pos);
    if (r.size == 0) continue;
    // A slide marked done or failed whose thumbnail is gone is checked again like any other.
    const SlideThumbPlace place = SlideThumbPath(store, r, cache);
    if (place.file.empty()) continue;
    if (!place.shared && ThumbCache::PresentOrRemove(place.file)) {
      if (r.thumbState == kThumbPending) r.thumbState = kThumbDone;
      continue;
    }
    r.thumbState = kThumbPending;
    if (auto j = ThumbJobFor(store, pos, cache, false)) {
      positionOf[j->id] = pos;
      jobs.push_back(std::move(*j));
    } else if (store.At(pos).thumbState != kThumbDone && !place.shared) {
      store.MutableAt(pos).thumbState = kThumbFailed;  // no path the album can name
      store.SetSelected(pos, true);
      ++out.failed;
    }
  }
  const std::size_t total = jobs.size();
  std::size_t done = 0;
  PercentTracker percent;
  std::vector<std::size_t> failedPositions;
  if (total > 0) {
    ThumbPool pool(workers);
    pool.Submit(std::move(jobs));
    auto apply = [&](const std::vector<ThumbDone>& results) {
      for (const ThumbDone& d : results) {
        ++done;
        ApplyThumbResult(store, d);
        if (d.status == ThumbStatus::Done && d.written) ++out.made;
        if (d.status != ThumbStatus::Done) {
          auto it = positionOf.find(d.id);
          if (it != positionOf.end()) failedPositions.push_back(it->second);
        }
      }
    };
    while (done < total) {
      pool.WaitForResults(std::chrono::milliseconds(50));
      // Idle first: once it is seen, every result is already there to take.
      const bool idle = pool.Idle();
      apply(pool.TakeResults());
      if (progress != nullptr) {
        const auto elapsed =
            std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start);
        if (percent.Update(static_cast<std::int64_t>(done), static_cast<std::int64_t>(total))) {
          progress->SetStatus(std::to_string(percent.Percent()) + "% thumbnailed.  " +
                              RemainingTimeText(static_cast<std::int64_t>(done),
                                                static_cast<std::int64_t>(total - done), elapsed.count()));
          progress->SetBar(ProgressBar::Thumbs, static_cast<std::int64_t>(done), static_cast<std::int64_t>(total));
        }
        progress->Pump();
        if (progress->Aborted()) {
          out.cancelled = true;
          pool.Cancel();
          break;
        }
      }
      if (idle) break;
    }
  }
  for (std::size_t pos : failedPositions) {
    store.MutableAt(pos).thumbState = kThumbFailed;
    store.SetSelected(pos, true);
    ++out.failed;
  }
  return out;
}

std::size_t RedoSelectedThumbs(AlbumStore& store, const ThumbCache& cache) {
  std::size_t n = 0;
  for (std::size_t pos : store.SelectedPositions()) {
    SlideRecord& r = store.MutableAt(pos);
    const SlideThumbPlace place = SlideThumbPath(store, r, cache);
    if (!place.file.empty() && !place.shared) ThumbCache::Remove(place.file);
    r.thumbState = kThumbPending;
    ++n;
  }
  return n;
}

void ResetThumbStates(AlbumStore& store) {
  for (SlideRecord& r : store.Records())
    if (r.thumbState == kThumbDone || r.thumbState == kThumbRetry) r.thumbState = kThumbPending;
}

std::string InvalidThumbsText(std::size_t count) {
  return std::to_string(count) +
         " invalid thumbnails found; these items may interfere with\naccurate image matches and ranks. Review and "
         "\"cut\" these\nitems from album (recommended).  Review/relocate selection?";
}

std::string ThumbsPercentText(int percent) { return "Thumbs:" + std::to_string(percent) + "%"; }

std::string CacheInfoText(const CacheInfo& info) {
  return "Thumbnail cache: " + info.root.string() + "\n" + std::to_string(info.files) + " files, " +
         SizeText(info.bytes) + (info.bytes >= 1024 ? "" : " bytes");
}

}  // namespace pelira
