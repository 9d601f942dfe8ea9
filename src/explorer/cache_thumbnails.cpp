#include "explorer/cache_thumbnails.h"

#include "album/album_add.h"
#include "common/kind_list.h"
#include "common/volume_id.h"
#include "thumbs/thumb_builder.h"
#include "thumbs/thumb_names.h"

namespace pelira {

CacheThumbnailSource::CacheThumbnailSource(std::function<void()> ready, ThumbCache cache) : cache_(std::move(cache)) {
  if (ready) pool_.SetNotify(std::move(ready));
}

std::filesystem::path CacheThumbnailSource::TargetOf(const std::string& path, std::string* subfolder) {
  const FileFacts facts = StatFile(path);
  if (!facts.exists) return {};
  const std::string ext = UpperExt(path);
  if (!HasPerFileThumb(ext)) return {};  // other kinds keep their kind icon in the list
  // The identity the album gives the same file, so both find one thumbnail.
  const std::string dir = path.substr(0, path.rfind('/') + 1);
  auto v = volumeOfDir_.find(dir);
  if (v == volumeOfDir_.end()) v = volumeOfDir_.emplace(dir, VolumeId(volumes_, dir)).first;
  const SlideRecord r = MakeSlideRecord(ext, facts, 0);
  const ThumbIdentity id{v->second, path, r.size, r.fileDate, r.timeOfDay};
  *subfolder = ThumbSubfolderName(id.volume, dir);
  return cache_.PathOf(*subfolder, ThumbFileName(id));
}

std::optional<Dib> CacheThumbnailSource::Thumbnail(const std::string& path, int maxWidth, int maxHeight,
                                                   std::int64_t) {
  for (const ThumbDone& d : pool_.TakeResults()) (void)d;
  std::string subfolder;
  const std::filesystem::path target = TargetOf(path, &subfolder);
  if (target.empty()) return std::nullopt;
  if (std::optional<Dib> stored = ThumbCache::Read(target)) {
    queued_.erase(target.string());
    if (maxWidth >= kThumbWidth && maxHeight >= kThumbHeight) return stored;
    return ReduceThumbnail(*stored, std::max(maxWidth, 1), std::max(maxHeight, 1));
  }
  if (queued_.insert(target.string()).second) {
    ThumbJob job;
    job.source = path;
    job.target = target;
    job.cacheRoot = cache_.Root();
    job.subfolder = subfolder;
    pool_.Submit(std::move(job), true);  // asked for by a visible row
  }
  return std::nullopt;
}

void CacheThumbnailSource::Forget(const std::string& path) {
  std::string subfolder;
  const std::filesystem::path target = TargetOf(path, &subfolder);
  if (target.empty()) return;
  ThumbCache::Remove(target);
  queued_.erase(target.string());
}

}  // namespace pelira
