#pragma once
// The thumbnail cache on disk. Every file it reads or writes is checked, as the cache lives in
// a folder other programs (and crafted albums) can reach:
//   - a stored thumbnail counts only when it is a regular file of exactly the bytes the
//     builder writes (a 168x126 24-bit bottom-up BMP with our header); anything else is
//     absent, and is removed so it is made again;
//   - no symbolic link is followed: reads open with O_NOFOLLOW, writes rename a new file over
//     the name (a link there is replaced, its target untouched), the root and the subfolders
//     must be real folders;
//   - names are joined to the root only when they have the cache's own shapes.
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "image/dib.h"

namespace pelira {

// The stored bytes of a thumbnail (a 168x126 24-bit bitmap).
std::string EncodeThumbnail(const Dib& thumb);
// The thumbnail in bytes, or nothing unless they are exactly what EncodeThumbnail writes.
std::optional<Dib> DecodeThumbnail(std::string_view bytes);

enum class ThumbFileState { Missing, Present, Invalid };

struct CacheInfo {
  std::filesystem::path root;
  std::uint64_t files = 0;
  std::uint64_t bytes = 0;
};

class ThumbCache {
 public:
  // The cache under data (the program's "data" folder by default).
  explicit ThumbCache(std::filesystem::path data);
  ThumbCache();

  const std::filesystem::path& Root() const { return root_; }
  // The path of a per-file thumbnail, or of a shared one when subfolder is empty. Empty when
  // a name does not have the cache's shapes.
  std::filesystem::path PathOf(std::string_view subfolder, std::string_view name) const;

  // Makes the root (and the subfolder when given) when missing; false when one cannot be made
  // or is not a real folder.
  bool EnsureFolders(std::string_view subfolder = {}) const;

  // Present only for a regular file (never a link) of exactly the builder's bytes.
  static ThumbFileState Check(const std::filesystem::path& file);
  // Check, removing what is there when it is not a valid thumbnail; true when present.
  static bool PresentOrRemove(const std::filesystem::path& file);
  // The stored thumbnail, or nothing when absent or invalid.
  static std::optional<Dib> Read(const std::filesystem::path& file);
  // Writes the thumbnail under the name (a new file renamed over it); false on any failure,
  // which leaves no partial file behind.
  static bool Write(const std::filesystem::path& file, const Dib& thumb);
  // Removes a thumbnail file (or a link in its place); true when nothing is left there.
  static bool Remove(const std::filesystem::path& file);

  // Deletes one subfolder with its thumbnails, or every subfolder and shared thumbnail of the
  // root. Only names of the cache's shapes are removed; links are removed, never followed.
  bool KillSubfolder(std::string_view subfolder) const;
  bool KillAll() const;

  // File count and bytes under the root (links not followed).
  CacheInfo Info() const;

 private:
  std::filesystem::path root_;
};

}  // namespace pelira
