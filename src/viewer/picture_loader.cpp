#include "viewer/picture_loader.h"

#include <memory>

#include "common/kind_list.h"
#include "common/kind_list.h"
#include "image/image_loader.h"
#include "image/palette.h"
#include "viewer/jpeg_frame_size.h"
#include "viewer/slide_image.h"

namespace pelira {

PictureLoader DefaultPictureLoader(LoadHost* host) {
  auto pipeline = std::make_shared<TImageLoader>(LoadSettings{}, host);
  return [pipeline](const std::string& path, const LoadRequest& request, LoadedPicture& out) {
    TImageLoader* loader = pipeline.get();
    LoadSettings& s = loader->settings;
    // A load that resamples to the window decodes a JPEG as fit mode does: at twice the window.
    s.fitToWindow = request.fitMode || request.resampleOnLoad;
    s.halfJpeg = request.halfJpeg;
    s.autoReduce = request.autoReduce;
    s.background = FromPlatformColor(request.backgroundColor);
    if (request.clientWidth > 0) s.windowWidth = request.clientWidth;
    if (request.viewportHeight > 0) s.windowHeight = request.viewportHeight;
    if (request.screenWidth > 0) s.screenWidth = request.screenWidth;
    if (request.screenHeight > 0) s.screenHeight = request.screenHeight;

    // A page change reads only the page from the document the library holds open.
    const bool samePages = request.pageChange && loader->info.fileName == path && loader->info.loaded &&
                           loader->info.pageCount > 1 && request.pageIndex >= 0;
    const OpenOutcome outcome = samePages ? OpenOutcome::Image : loader->Open(path);
    const bool picture = outcome == OpenOutcome::Image || outcome == OpenOutcome::Text || outcome == OpenOutcome::Metafile;
    if (!samePages && (!picture || !loader->info.loaded || loader->workingBitmap.Empty())) {
      // Only the pixel limit is worth a message; an unreadable file just leaves the blank picture.
      const std::string& why = loader->LastError();
      if (why.rfind("Image too large", 0) == 0) out.error = why;
      out.reason = why.empty() ? "Cannot open file" : why;
      return false;
    }
    // Another page of a multipage document comes through the library road.
    if ((samePages || request.pageIndex > 0) && loader->info.pageCount > 1) {
      if (request.pageIndex >= loader->info.pageCount || !loader->LoadByExtension(true, request.pageIndex) ||
          loader->workingBitmap.Empty())
        return false;
    }
    out.bitmap = std::move(loader->workingBitmap);
    out.pageCount = loader->info.pageCount;
    out.untitled = outcome != OpenOutcome::Image;
    // A JPEG decoded reduced shows the file's own size beside the reduction.
    if (outcome == OpenOutcome::Image && (s.fitToWindow || request.halfJpeg) && IsJpegExtension(UpperExt(path))) {
      if (const auto frame = ReadJpegFrameSize(path)) {
        const int factor = JpegReduction(*frame, out.bitmap.Width(), out.bitmap.Height());
        if (factor > 1) {
          out.sourceWidth = frame->width;
          out.sourceHeight = frame->height;
          out.reducedScale = factor;
        }
      }
    }
    if (outcome == OpenOutcome::Image) {
      if (request.resampleOnLoad && out.pageCount <= 1) {
        if (out.sourceWidth <= 0) {
          out.sourceWidth = out.bitmap.Width();
          out.sourceHeight = out.bitmap.Height();
        }
        out.reducedScale = 1;
        out.bitmap = SlideResample(std::move(out.bitmap), request.aspect, {request.clientWidth, request.viewportHeight});
        SlideGamma(out.bitmap, request.screenGamma);
      } else {
        ScreenGamma(out.bitmap, request.screenGamma);
      }
    }
    out.statusText = loader->info.statusText;
    if (out.statusText == "Loading...") out.statusText.clear();
    return true;
  };
}

}  // namespace pelira
