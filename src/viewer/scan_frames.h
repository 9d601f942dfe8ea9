#pragma once
// Scanner data to a picture: the frames a scanner library delivers (grey or colour in one
// frame, or red, green and blue in three; 1, 8 or 16 bits a sample; rows padded to
// bytesPerLine; the number of lines possibly unknown until the data ends) assembled into a
// working bitmap under the pixel limit. Outside data: every size is checked.
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "image/dib.h"

namespace pelira {

enum class ScanFrameKind { Gray, Rgb, Red, Green, Blue };

struct ScanFrameFormat {
  ScanFrameKind kind = ScanFrameKind::Gray;
  int bytesPerLine = 0;
  int pixelsPerLine = 0;
  int lines = -1;  // -1: not known before the data ends
  int depth = 8;   // bits per sample: 1, 8 or 16
  bool lastFrame = true;
};

class ScanAssembler {
public:
  // Starts a frame; false (and the reason in Error()) for a format it cannot take, or one
  // that does not match the earlier frames of the page.
  bool BeginFrame(const ScanFrameFormat& f);
  // Data of the current frame, in any pieces. Data past the announced lines is dropped.
  void Feed(std::span<const std::uint8_t> data);
  // Ends the current frame.
  void EndFrame();
  // The page: 1-bit (1 = black) for line art, 8-bit grey, 24-bit colour. Whole rows only;
  // empty when no row came. Raises EVistrelError over the pixel limit.
  Dib Finish();
  const char* Error() const { return error_; }

private:
  bool Grow(std::size_t bytes);
  ScanFrameFormat first_{};
  ScanFrameFormat cur_{};
  bool started_ = false;
  bool color_ = false;
  int frames_ = 0;
  std::size_t got_ = 0;                // bytes of the current frame
  std::vector<std::uint8_t> planes_[3];  // per-frame raw rows (one for single-frame pages)
  int plane_ = 0;
  const char* error_ = "";
};

}  // namespace pelira
