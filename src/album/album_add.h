#pragma once
// Adding slides: one stat per file, directories found by hash, volume ids cached per device,
// and one splice into the display order. An add that is cancelled or runs out of memory
// leaves the album exactly as it was.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "album/album_store.h"

namespace pelira {

class Progress;
class VolumeSource;

// What a file's directory entry says; exists false for a missing file (size, date and time
// then 0, thumbnail pending, so thumbnailing skips it and Validate removes it).
struct FileFacts {
  bool exists = false;
  std::uint64_t size = 0;
  std::int64_t mtimeSec = 0;
  std::int64_t mtimeNsec = 0;
  std::uint64_t device = 0;
};
FileFacts StatFile(const std::string& path);

// Splits "/a/b/name.ext" into "/a/b/", "name", ".ext". A name without a dot past its first
// character has no extension; an extension longer than the record holds stays in the name,
// so the path is never rebuilt into another one; so does ".CDA", which marks CD tracks.
struct SplitPath {
  std::string dir;
  std::string name;
  std::string ext;
};
SplitPath SplitSlidePath(const std::string& path);

// A record for a file, as the add-slide operation makes it (shared with the explorer's
// listings); the name and directory indices are left 0.
SlideRecord MakeSlideRecord(const std::string& ext, const FileFacts& facts, std::int32_t orderKey);

// Names holding a line break would shift every later line of the side tables.
bool NameIsStorable(const std::string& path);

struct AddOutcome {
  std::size_t added = 0;
  std::vector<std::string> refused;  // paths that cannot be stored (line breaks, NUL)
  bool cancelled = false;
  bool outOfMemory = false;
};

enum class AddMode {
  Append,  // each file at the end, the list processed from its last entry: reverse order
  Insert,  // each file at one position, last entry first: list order
  InOrder  // appended in list order (list loads)
};

struct AddRequest {
  std::vector<std::string> paths;
  AddMode mode = AddMode::Append;
  std::size_t insertAt = 0;         // Insert: display position
  std::vector<std::int32_t> orderKeys;  // per path; empty: the path's list index
  VolumeSource* volumes = nullptr;
  Progress* progress = nullptr;      // "Adding Slides ... " texts; cancel polled per file
};

// Adds the files; the new slides are marked modified and their positions left unselected.
AddOutcome AddSlides(AlbumStore& store, const AddRequest& request);

// The files to add for a folder: its regular files of the image, audio and video kinds,
// subfolders included, sorted by folded name within each folder (folders first walked in the
// same order). Unreadable folders are skipped.
std::vector<std::string> FolderSlideFiles(const std::string& folder);

inline constexpr const char* kNoMemoryText = "Not enough available memory.\nClose open applications, then try again.";

}  // namespace pelira
