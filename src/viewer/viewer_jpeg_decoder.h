#pragma once
// The viewer's JPEG decoder for the loading pipeline: TJPEGImage at the scale the window
// needs. Fit mode and slideshows take the least reduction (1, 1/2, 1/4, then 1/8) at which
// the picture fits twice the window; Half JPEG takes 1/2; anything else decodes in full.
#include <memory>

#include "image/codec_registry.h"

namespace pelira {

// The scale (0..3 for 1, 1/2, 1/4, 1/8) a request decodes a w x h picture at.
int ViewerJpegScale(const JpegDecodeRequest& request, int width, int height);

std::unique_ptr<TJpegDecoder> NewViewerJpegDecoder();

// What this thread's last decode through the viewer's decoder did, for the status bar's
// "W x H [1:n]": the file's own size and the reduction (1 for a full decode).
struct ViewerJpegDecode {
  int width = 0, height = 0;
  int factor = 1;
};
ViewerJpegDecode LastViewerJpegDecode();
void ForgetViewerJpegDecode();

// Gives the pipeline this decoder when the build offers no other.
void EnsureJpegDecoder();

}  // namespace pelira
