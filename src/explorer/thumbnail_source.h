#pragma once
// Where the explorer's list gets thumbnails. The list works without one (it shows kind
// icons); the program binds the shared thumbnail cache here.
#include <cstdint>
#include <optional>
#include <string>

#include "image/dib.h"

namespace pelira {

class ThumbnailSource {
public:
  virtual ~ThumbnailSource() = default;
  // The thumbnail of path fitted in maxWidth x maxHeight when one is ready, for the file as it
  // was at modification time mtimeSec; nullopt when none is (yet): the kind icon shows then.
  // Called on the user-interface thread for visible rows first; must not block for long.
  virtual std::optional<Dib> Thumbnail(const std::string& path, int maxWidth, int maxHeight,
                                       std::int64_t mtimeSec) = 0;
  // Drops the thumbnails of path (the list's "Redo thumbs").
  virtual void Forget(const std::string& path) { (void)path; }
};

}  // namespace pelira
