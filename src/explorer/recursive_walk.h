#pragma once
// Recursive listings of folder trees: the folder pass (every folder below a start folder, in
// tree order), the file pass (the files of each folder a listing takes), and folder sizes.
// The walk is iterative, so depth does not matter; it never enters a symbolic link, never enters one folder twice (bind mounts), and
// skips pseudo file systems such as /proc. Folders it cannot read are counted and skipped.
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace pelira {

inline constexpr const char* kSlideListingAbortedText = "Slide listing aborted.";
inline constexpr const char* kFolderSizeAbortedText = "Folder size calculations aborted.";

// Reads the entries of an open folder; tests hand in one that fails or vanishes on cue.
struct WalkEntry {
  std::string name;
  bool folder = false;   // a real folder (links are never folders here)
  bool regular = false;  // a regular file, or a link to one
  bool link = false;
  std::uint64_t size = 0;
  std::int64_t mtimeSec = 0, mtimeNsec = 0;
  std::uint64_t device = 0, inode = 0;
};

class DirectoryReader {
public:
  virtual ~DirectoryReader() = default;
  // What a pass needs of a folder's entries: its subfolders (files are not looked at), or its
  // files whose extension is in the kind list (folders and other files are not looked at;
  // an empty list takes every file).
  enum class Want { Folders, Files };
  // The entries of path (no "." and ".."); false with errno-like err on failure.
  virtual bool Read(const std::filesystem::path& path, Want want, std::string_view kinds, std::vector<WalkEntry>& out,
                    int& err) = 0;
  // Device and inode of a folder, and whether it lies on a pseudo file system.
  virtual bool Identify(const std::filesystem::path& path, std::uint64_t& device, std::uint64_t& inode,
                        bool& pseudo) = 0;
};
// The real one (openat, fstatat, statfs).
DirectoryReader& SystemDirectoryReader();

struct WalkOptions {
  // Polled between folders; true stops the walk.
  std::function<bool()> aborted;
  // Called after each folder of the folder pass with the count so far.
  std::function<void(std::size_t folders)> folderFound;
  DirectoryReader* reader = nullptr;  // nullptr: the system's
};

struct FolderPass {
  std::vector<std::filesystem::path> folders;  // the start folder first, then tree order
  int unreadable = 0;
  bool aborted = false;
};
// Every folder below start in tree order (pre-order, children by name with ASCII case
// folded). Hidden folders (dot names: the thumbnail cache among them) are skipped.
FolderPass ListFolders(const std::filesystem::path& start, const WalkOptions& options = {});

struct WalkFile {
  std::string path;
  std::size_t folderIndex = 0;
  std::uint64_t size = 0;
  std::int64_t mtimeSec = 0, mtimeNsec = 0;
};
struct FilePass {
  std::vector<WalkFile> files;
  std::size_t scanned = 0;
  int unreadable = 0;
  bool aborted = false;
};
// The files of the folders that a recursive listing takes: regular, not hidden, size > 0,
// extension in kinds (an upper-case list) and never ".AVL"; names with line breaks are
// skipped (the list files cannot hold them). Within a folder by name (Name +). perFolder:
// after each folder.
FilePass ListFiles(const std::vector<std::filesystem::path>& folders, std::string_view kinds,
                   const WalkOptions& options = {},
                   const std::function<void(std::size_t folder, const FilePass& sofar)>& perFolder = {});

// The total size of every file below folder (all kinds, 64-bit sizes, links not followed);
// aborted when options.aborted said so.
struct SizeTotal {
  std::uint64_t bytes = 0;
  std::uint64_t files = 0;
  bool aborted = false;
};
SizeTotal FolderSize(const std::filesystem::path& folder, const WalkOptions& options = {});

// The progress line of the file pass: slides + " slides added.  " and, after 1.2 s,
// "  Files scanned: " + files + " ... Files/min: " + rate.
std::string SlidesAddedText(std::size_t slides, std::size_t scanned, std::int64_t elapsedMs);

// An instant slideshow's bookmark list: the paths as a PLP file dataDir/(runTag + ".plp") and
// the folders beside it as runTag + ".dir". Returns the PLP path, or "" when a write failed.
std::string WriteInstantSlideshow(const std::filesystem::path& dataDir, const std::string& runTag,
                                  const std::vector<std::string>& paths,
                                  const std::vector<std::filesystem::path>& folders);

}  // namespace pelira
