#pragma once
// Makes the stored 168x126 thumbnail of a file. One builder per thread: it keeps its own
// loader, so builders on several threads share nothing and each thumbnail depends
// only on its file.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "display/geometry.h"
#include "image/dib.h"

namespace pelira {

class TImageLoader;

// The thumbnail states a build ends in (the album record's values).
enum class ThumbStatus : std::int16_t { Done = 100, Retry = 2, Failed = 3 };

struct BuiltThumb {
  ThumbStatus status = ThumbStatus::Failed;
  Dib thumb;              // 168x126x24 when Done
  int width = 0;          // the picture's size when both sides are 1..65535, else 0
  int height = 0;
  std::string reason;     // why it failed
};

// Both sides above this (after the JPEG's reduced decode) wait for a foreground check.
inline constexpr int kThumbSideLimit = 5120;
// The JPEG road reads whole files: larger ones are refused.
inline constexpr std::uint64_t kThumbMaxJpegBytes = 512ull << 20;

// White 168x126 24-bit bitmap.
Dib BlankThumbnail();
// The rectangle a picture of w x h takes in the stored thumbnail: fitted into 166x124 keeping
// its proportions, centred.
RectI ThumbRect(int width, int height);
// The thumbnail of a picture: fitted, centred on white, nearest-pixel stretch.
Dib ThumbnailOf(const Dib& picture);
// A 63x63 icon centred on white.
Dib ThumbnailOfIcon(const Dib& icon);
// The program's own 63x63 icons: a page for a kind ("WAV", "00000002"), a disc for CD tracks,
// the warning sign for failed slides ("00000004").
Dib DefaultThumbIcon(std::string_view sharedName);

// The reduction of a displayed thumbnail: destination row y takes source row
// min(125, 125y / height), column x takes min(167, 167x / (width - 1)); for the smaller
// display steps. A new bitmap of width x height; the stored one is left alone.
Dib ReduceThumbnail(const Dib& stored, int width, int height);

class ThumbBuilder {
 public:
  ThumbBuilder();
  ~ThumbBuilder();
  ThumbBuilder(const ThumbBuilder&) = delete;
  ThumbBuilder& operator=(const ThumbBuilder&) = delete;

  // background: pictures with both sides above the limit are left for later (Retry) instead
  // of being read; a foreground check reads them unless the pixel limit refuses them.
  BuiltThumb Build(const std::string& path, bool background);

 private:
  BuiltThumb BuildJpeg(const std::string& path, bool background);
  BuiltThumb BuildOther(const std::string& path, bool background);

  std::unique_ptr<TImageLoader> loader_;
};

}  // namespace pelira
