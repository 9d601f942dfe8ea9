#pragma once
// The viewer's JPEG decoder for the loading pipeline: TJPEGImage at the scale the window
// needs. Fit mode and slideshows take the least reduction (1, 1/2, 1/4, then 1/8) at which
// the picture fits twice the window; Half JPEG takes 1/2; anything else decodes in full.
#include <filesystem>
#include <memory>
#include <optional>

#include "image/codec_registry.h"

namespace pelira {

// The scale (0..3 for 1, 1/2, 1/4, 1/8) a request decodes a w x h picture at.
int ViewerJpegScale(const JpegDecodeRequest& request, int width, int height);

std::unique_ptr<TJpegDecoder> NewViewerJpegDecoder();

// The frame size in a JPEG file's header (its first SOF segment), read segment by segment
// without the scan data; none when the file does not start as a JPEG or has no frame.
struct JpegFrameSize {
  int width = 0, height = 0;
};
std::optional<JpegFrameSize> ReadJpegFrameSize(const std::filesystem::path& path);

// The reduction (2, 4 or 8) that turns a frame of w x h into a decoded picture of
// shownW x shownH, or 1 when the picture is not such a reduced decode.
int JpegReduction(JpegFrameSize frame, int shownW, int shownH);

// Gives the pipeline this decoder when the build offers no other.
void EnsureJpegDecoder();

}  // namespace pelira
