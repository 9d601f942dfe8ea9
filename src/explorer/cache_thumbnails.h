#pragma once
// The explorer's thumbnails from the shared cache: a thumbnail already there is read at once;
// one that is not is made by the cache's worker pool (visible rows ask first) and shows from
// the next repaint on, which `ready` asks for.
#include <functional>
#include <map>
#include <mutex>
#include <set>
#include <string>

#include "explorer/thumbnail_source.h"
#include "platform/statvfs_volume_source.h"
#include "thumbs/thumb_cache.h"
#include "thumbs/thumb_pool.h"

namespace pelira {

class CacheThumbnailSource : public ThumbnailSource {
public:
  // ready: called on a worker thread whenever new thumbnails reached the cache.
  explicit CacheThumbnailSource(std::function<void()> ready = {}, ThumbCache cache = ThumbCache());

  std::optional<Dib> Thumbnail(const std::string& path, int maxWidth, int maxHeight, std::int64_t mtimeSec) override;
  void Forget(const std::string& path) override;

private:
  std::optional<ThumbJob> JobOf(const std::string& path);

  ThumbCache cache_;
  StatvfsVolumeSource volumes_;
  std::map<std::string, std::string> volumeOfDir_;
  std::set<std::string> queued_;  // targets being made
  ThumbPool pool_;
};

}  // namespace pelira
