#pragma once
// The frame size a JPEG file's header declares, so the status bar can name the file's own size
// beside a reduced decode.
#include <filesystem>
#include <optional>

namespace pelira {

// The frame size in a JPEG file's header (its first SOF segment), read segment by segment
// without the scan data; none when the file does not start as a JPEG or has no frame.
struct JpegFrameSize {
  int width = 0, height = 0;
};
std::optional<JpegFrameSize> ReadJpegFrameSize(const std::filesystem::path& path);

// The reduction (2, 4 or 8) that turns a frame of w x h into a decoded picture of
// shownW x shownH, or 1 when the picture is not such a reduced decode.
int JpegReduction(JpegFrameSize frame, int shownW, int shownH);

}  // namespace pelira
