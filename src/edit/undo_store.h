#pragma once
// The viewer's one undo copy: the picture before the last command, as a byte image in its
// own depth. 8- and 24-bit pictures are kept as a BMP file image, 1- and 4-bit ones as a PCX
// file image; where PCX would lose colours (a 1-bit picture whose palette is not black and
// white, say) a private raw form is kept instead, so every depth and palette comes back
// exactly. Restoring decodes into a new bitmap, so a failed undo never touches the picture.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "image/dib.h"
#include "platform/memory_status.h"

namespace pelira {

class UndoStore {
public:
  enum class Form { None, Bmp, Pcx, Raw };

  // Encodes the picture; depth is ImageBits when the copy is taken. Throws on failure
  // (bad_alloc, a writer's error), leaving the store empty.
  void Take(const Dib& picture, int depth);
  // A new bitmap from the copy; nullopt when there is none or it cannot be decoded.
  std::optional<Dib> Decode() const;
  void Clear();

  bool Available() const { return form_ != Form::None; }
  Form StoredForm() const { return form_; }
  int Depth() const { return depth_; }
  std::size_t StreamSize() const { return stream_.size(); }
  // For tests of a damaged copy.
  std::vector<std::uint8_t>& Stream() { return stream_; }

private:
  std::vector<std::uint8_t> stream_;
  Form form_ = Form::None;
  int depth_ = 0;
  Palette savedPalette_;
};

// The picture's raw size by depth (1: w h / 8, 4: w h / 2, 8: w h, 15/16: 2 w h, 24: 3 w h,
// other 0) rounded down to a multiple of 4096; 64-bit throughout.
std::uint64_t RawPictureSize(std::int64_t width, std::int64_t height, int bits);

// The low-memory warning for a needed and an available size.
std::string LowMemoryText(std::uint64_t required, std::uint64_t actual);
inline constexpr const char* kMemoryLowText =
    "Free memory is fragmented or running low.\nSelect Tools | Memory to clear and check buffers.\n";
// The backup failure message; errorText is the last recovery copy's ("" when none).
std::string BackupFailedText(const std::string& errorText, bool modified);
inline constexpr const char* kUndoFailedText = "Undo failed.";

// The memory report's lines.
struct MemoryReportInput {
  MemoryStatus status;
  std::uint64_t largestBlock = 0;  // bytes of the 255 MiB probe that could be had
  std::string system;              // SystemNameAndVersion()
  int screenWidth = 0, screenHeight = 0, colorDepth = 0;
  int bookmarks = -1;              // -1: asked from the explorer, no bookmark line
};
std::string MemoryReportText(const MemoryReportInput& in);
inline constexpr std::uint64_t kMemoryProbeBlock = 267386880;  // 255 MiB

}  // namespace pelira
