#pragma once
// The album's side of the thumbnail cache: which slides need a thumbnail, where each one's
// thumbnail lives, and what a finished thumbnail changes in the slide's record. Only the
// caller's (user-interface) thread runs these; the pool's workers get plain jobs.
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "album/album_store.h"
#include "platform/volume_source.h"
#include "thumbs/thumb_cache.h"
#include "thumbs/thumb_names.h"
#include "thumbs/thumb_pool.h"

namespace pelira {

class Progress;

inline constexpr const char* kRedoNoSelectionText = "Please select slide(s) to redo thumbnails.";
inline constexpr const char* kCheckThumbsTitle = "Validating/adding new thumbnails ... ";
inline constexpr const char* kThumbsReadyText = "Ready";

// What names a slide's picture; nothing for a CD track or a slide whose path the album cannot
// tell.
std::optional<ThumbIdentity> SlideThumbIdentity(const AlbumStore& store, const SlideRecord& r);

// A file's per-file thumbnail as the album would name it (the same identity, so the album, the
// explorer and the CLI share one thumbnail): the job that makes it. None for a file that is not
// there or a kind that shares its kind's icon. volumeOfDir caches volume ids by folder.
std::optional<ThumbJob> FileThumbJob(const std::string& path, const ThumbCache& cache, VolumeSource& volumes,
                                     std::map<std::string, std::string>& volumeOfDir);

struct SlideThumbPlace {
  std::filesystem::path file;  // empty when the slide has no thumbnail of its own or shared
  std::string subfolder;       // "" for a shared thumbnail
  bool shared = false;         // one thumbnail for the slide's kind (or the CD icon)
};
// Where a slide's thumbnail lives. Names cached in the record are used only when they have
// the cache's shapes; otherwise they are computed and stored in the record.
SlideThumbPlace SlideThumbPath(AlbumStore& store, SlideRecord& r, const ThumbCache& cache);

// The slide at a display position needs its thumbnail made: state pending, size not 0, and no
// valid thumbnail in the cache (an invalid file there is removed). Shared thumbnails (other
// kinds, CD tracks) are made on the spot, as they are icons. A slide whose thumbnail is found
// present while pending is marked done.
std::optional<ThumbJob> ThumbJobFor(AlbumStore& store, std::size_t pos, const ThumbCache& cache, bool background);

// Jobs for every slide that needs one, the positions in [firstVisible, lastVisible] first.
std::vector<ThumbJob> PendingThumbJobs(AlbumStore& store, const ThumbCache& cache, std::size_t firstVisible = 0,
                                       std::size_t lastVisible = 0);

// A finished job into its record (id = record number): done and written 100 with the
// picture's size, retry 2, failed 3; a thumbnail that could not be written stays pending.
// Returns false for a result the album cannot place (a record number it does not have).
bool ApplyThumbResult(AlbumStore& store, const ThumbDone& done);

// Drawing a slide: the state rules of a thumbnail found absent (done or retry back to pending)
// and found present while pending (done). Returns the file to draw, or the failed placeholder
// for a failed slide; empty when nothing is drawn.
std::filesystem::path ThumbToDraw(AlbumStore& store, std::size_t pos, const ThumbCache& cache);

struct CheckThumbsOutcome {
  std::size_t made = 0;
  std::size_t failed = 0;  // these are now selected, state 3
  bool cancelled = false;
};
// Check thumbs: every slide with a size and no valid thumbnail is made now, in the
// foreground, on `workers` threads, without the size limit of background work. Slides that
// fail are selected and marked failed; the rest are left done.
CheckThumbsOutcome CheckThumbs(AlbumStore& store, const ThumbCache& cache, Progress* progress, int workers = 0);

// Redo: the thumbnail files of the selected slides are deleted and the slides made pending.
// Returns how many slides were reset.
std::size_t RedoSelectedThumbs(AlbumStore& store, const ThumbCache& cache);

// Slides marked done or to retry are pending again (after the cache was killed); failed ones
// stay failed until a check or a redo.
void ResetThumbStates(AlbumStore& store);

// The question after Check thumbs found failures.
std::string InvalidThumbsText(std::size_t count);
// "Thumbs:" + percent + "%".
std::string ThumbsPercentText(int percent);
// The cache's Info box text: place, file count and size.
std::string CacheInfoText(const CacheInfo& info);

}  // namespace pelira
