#include "explorer/cache_thumbnails.h"

#include "album/album_thumbs.h"
#include "thumbs/thumb_builder.h"
#include "thumbs/thumb_names.h"

namespace pelira {

CacheThumbnailSource::CacheThumbnailSource(std::function<void()> ready, ThumbCache cache) : cache_(std::move(cache)) {
  if (ready) pool_.SetNotify(std::move(ready));
}

std::optional<ThumbJob> CacheThumbnailSource::JobOf(const std::string& path) {
  return FileThumbJob(path, cache_, volumes_, volumeOfDir_);
}

std::optional<Dib> CacheThumbnailSource::Thumbnail(const std::string& path, int maxWidth, int maxHeight,
                                                   std::int64_t) {
  for (const ThumbDone& d : pool_.TakeResults()) (void)d;
  std::optional<ThumbJob> job = JobOf(path);
  if (!job) return std::nullopt;
  const std::filesystem::path target = job->target;
  if (std::optional<Dib> stored = ThumbCache::Read(target)) {
    queued_.erase(target.string());
    if (maxWidth >= kThumbWidth && maxHeight >= kThumbHeight) return stored;
    return ReduceThumbnail(*stored, std::max(maxWidth, 1), std::max(maxHeight, 1));
  }
  if (queued_.insert(target.string()).second) pool_.Submit(std::move(*job), true);  // a visible row asks
  return std::nullopt;
}

void CacheThumbnailSource::Forget(const std::string& path) {
  if (const std::optional<ThumbJob> job = JobOf(path)) {
    ThumbCache::Remove(job->target);
    queued_.erase(job->target.string());
  }
}

}  // namespace pelira
