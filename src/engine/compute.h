#pragma once
// The two-image operations of Image › Compute and the two noise commands of Image › Add
// noise. Each combines the picture p with a second image d of the same size, both 24-bit,
// byte by byte (stored B, G, R); a second image that does not match changes nothing and the
// function returns false, before any pixel is touched. Rows are split over the cores; every
// band writes only its own rows, so the result is the serial one.
#include <cstdint>
#include <optional>

#include "engine/spatial_filters.h"
#include "image/dib.h"

namespace pelira {

inline constexpr const char* kComputeMismatchText =
    "Source and duplicate bitmaps must have\nsame dimensions and 24-bit color depth.";

// Per byte: d x p div 255; min(p, d); clamp(127 + p - d); max(0, p - d).
bool Multiply(Dib& pic, const Dib& second);
bool Minimum(Dib& pic, const Dib& second);
bool Difference(Dib& pic, const Dib& second);
bool Subtract(Dib& pic, const Dib& second);
// The measuring Difference: the sum of (p - d)^2 over every byte, the picture unchanged.
std::optional<std::uint64_t> SumSquaredDifference(const Dib& pic, const Dib& second);

// DoAverageField: the weighted average on the rows r (0 = top) with r + k odd, k = 1 for a
// non-zero field: field 0 changes rows 1, 3, 5 ..., field 1 rows 0, 2, 4 ...
bool AverageField(Dib& pic, const Dib& second, int weight, int field);

// The tone value of a band mask from the picture's value v and the second image's v2:
// weight 99 or more v alone, 0 or less v2 alone, else the mix, at most 255.
int MixedTone(int v, int v2, int weight);
// DoCompositeMidTones: mid-tone band of the luminance through SetMidToneLUT(gamma100).
bool CompositeMidTones(Dib& pic, const Dib& second, int gamma100, int weight);
// DoCompositeContrast: the band of |L - S| (HLS) through the same table; the weight is the
// mask slider, applied as 99 - mask (mask 99: the second image's value alone).
bool CompositeContrast(Dib& pic, const Dib& second, int gamma100, int mask);
// DoCompositeGray: the second image's hue and saturation on the picture's lightness.
bool CompositeGray(Dib& pic, const Dib& second);
// DoMaskEdges: where the lightness of a pixel differs from its 5 x 5 mean colour's by less
// than threshold (a flat area), p(255 - e)/255 + d e/255. The windows read a private copy;
// pixels whose window leaves the picture keep their values. False (picture as it was) when
// the progress callback stops it or the images do not match.
bool MaskEdges(Dib& pic, const Dib& second, int threshold, int effect, const FilterProgress& progress = {});

// RandomNoise: with a = max(r, g, b), each pixel is replaced when a > u x 255 (u uniform in
// [0, 1)) by (Trunc(u1 r), Trunc(u2 g), Trunc(u3 b)). The draws of row y come from their own
// generator seeded by (seed, y), so the result depends on the seed alone, never on the number
// of threads. Limits are taken in 0..255; all 0 changes nothing. False for a picture that is
// not 24-bit.
bool RandomNoise(Dib& pic, int r, int g, int b, std::uint64_t seed);

// AddArtifact: the picture through a JPEG round trip (no subsampling, optimised tables,
// smoothing 0, standard tables x scale / 100 with scale limited to 1..255, float DCT),
// decoded back at the fast setting without dithering. Throws EJPEG when the encoder refuses
// the picture; the picture is then unchanged.
bool AddArtifact(Dib& pic, int scale);
// The size in bytes of the picture compressed as AddArtifact compresses it.
std::uint64_t CompressedSize(const Dib& pic, int scale);

// The second operand for a preview: the part of the duplicate that matches what the preview
// shows of the picture. A target of the picture's size takes the duplicate itself, a target
// that is the whole picture scaled takes the duplicate scaled the same way, and a 1:1 window
// takes the duplicate's window at the place where the target's pixels sit in the picture.
// Empty when the duplicate does not match the picture or no place is found.
Dib SecondForPreview(const Dib& picture, const Dib& duplicate, const Dib& target);

}  // namespace pelira
