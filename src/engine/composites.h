#pragma once
// The two-image pieces the automatic corrections build on: the picture p combined with a
// second image d of the same size, both 24-bit. A mismatched second image changes nothing
// (false).
#include <cstddef>
#include <cstdint>

#include "image/dib.h"

namespace pelira {

// Same size and both 24-bit.
bool Ok2Compute(const Dib& pic, const Dib& second);

bool Maximum(Dib& pic, const Dib& second);                 // max(p, d)
bool AverageBitmap(Dib& pic, const Dib& second, int weight);  // p (100-w)/100 + d w/100
// The same on n bytes of one row.
void AverageRow(std::uint8_t* p, const std::uint8_t* d, std::size_t n, int weight);
// Swap picture and duplicate; refuses unless they match (no copy is made).
bool SwapWithDuplicate(Dib& pic, Dib& duplicate);
// DoCompositeMask: a lightness-band mask through the gamma curve gamma100 (x 100), mixed
// with the second image's lightness by weight (99 or more: the picture's alone, 0 or less:
// the second image's alone).
bool CompositeMask(Dib& pic, const Dib& second, int gamma100, int weight, bool shadows);

// Keeps the user's duplicate aside for the length of a scope and puts it back.
class PreservedDuplicate {
public:
  explicit PreservedDuplicate(Dib& duplicate) : duplicate_(duplicate), kept_(std::move(duplicate)) { duplicate = Dib(); }
  ~PreservedDuplicate() { duplicate_ = std::move(kept_); }
  PreservedDuplicate(const PreservedDuplicate&) = delete;
  PreservedDuplicate& operator=(const PreservedDuplicate&) = delete;

private:
  Dib& duplicate_;
  Dib kept_;
};

}  // namespace pelira
