#pragma once
// The neighbourhood filters: 3 x 3 kernels, thresholded box means, medians, descreening,
// the lightness-guided 5 x 5 smoothing and unsharp mask, haze removal and pair smoothing.
//
// Every filter reads a private copy of the picture and writes the picture, so no result feeds
// a later window. Pixels whose window would leave the picture keep their values, except in
// the median, which repeats the edge pixel. Pictures that are not 24-bit are left alone (the
// commands make them true colour first). Rows are split over both cores; each band writes
// only its own rows, so the result is the serial one.
//
// Progress is reported between bands of about 5 % of the rows, on the caller's thread. When
// the callback answers false the picture is put back as it was and the filter returns false.
#include <array>
#include <cstdint>
#include <functional>

#include "image/dib.h"

namespace pelira {

// row done so far, of rows; false stops the filter.
using FilterProgress = std::function<bool(int row, int rows)>;

// Weights of a 3 x 3 kernel, top row first.
using Kernel3x3 = std::array<std::int16_t, 9>;

int KernelSum(const Kernel3x3& k);
// Levels outside the ranges are limited to them, so no kernel is undefined and no divisor 0.
Kernel3x3 SoftenKernel(int level);          // 1..10
Kernel3x3 DeFocusKernel(int a);             // 0..254
Kernel3x3 MeanRemovalKernel(int s);         // 1..8
Kernel3x3 HighPassMediumKernel(int s);      // 1..4
Kernel3x3 HighPassLightKernel(int s);       // 1..4

// Sum of the nine products divided by divisor (truncated toward zero), limited to 0..255.
// A divisor of 0 counts as 1.
bool Spatial3x3(Dib& pic, const Kernel3x3& k, int divisor, const FilterProgress& progress = {});
// Each builds its kernel and convolves with the kernel's sum as divisor.
bool Soften(Dib& pic, int level, const FilterProgress& progress = {});
bool DeFocus(Dib& pic, int a, const FilterProgress& progress = {});
bool MeanRemoval(Dib& pic, int s, const FilterProgress& progress = {});
bool HighPassMedium(Dib& pic, int s, const FilterProgress& progress = {});
bool HighPassLight(Dib& pic, int s, const FilterProgress& progress = {});

// m = (sum of the 3 x 3 values, without the centre when excludeCentre) div divisor, at most
// 255; a byte becomes m when |byte - m| > threshold. A divisor below 1 counts as 1.
bool GaussianBlur3x3(Dib& pic, int threshold, bool excludeCentre, int divisor,
                     const FilterProgress& progress = {});

// The window of a median level (1..9; any other level is 1): offsets from the centre.
bool MedianWindowHas(int level, int dx, int dy);
int MedianWindowRadius(int level);
int MedianWindowCells(int level);
// Masked median. spot 0 replaces every byte by its window's median; spot > 0 only bytes above
// 4|spot| and above the median, spot < 0 only bytes above 4|spot| and below it. spot is
// limited to -127..127.
bool Median(Dib& pic, int level, int spot, const FilterProgress& progress = {});

// 5 x 5 weighted mean; modes above 2 count as 2, below 0 as 0.
bool DeScreen5x5(Dib& pic, int mode, const FilterProgress& progress = {});
// The weights of a descreen mode, top row first, and its divisor.
const std::array<int, 25>& DeScreenWeights(int mode);
int DeScreenDivisor(int mode);

// Clean: where the lightness of the pixel and of its 5 x 5 mean differ by less than
// threshold, each byte moves amount/255 of the way to the mean. amount limited to 0..255.
bool SharpGaussianBlur5x5(Dib& pic, int threshold, int amount, const FilterProgress& progress = {});
// Unsharp mask: where they differ by more than threshold, the pixel's lightness moves away
// from the mean's by amount x 2|d| div 255, hue and saturation kept. amount limited to 0..255.
bool UnSharpGaussianBlur5x5(Dib& pic, int threshold, int amount, const FilterProgress& progress = {});

// Haze removal, pixel by pixel; strength and sat limited to 0..255.
bool DoDefog(Dib& pic, int strength, int sat, const FilterProgress& progress = {});

// Pair smoothing over rows (0, 1), (2, 3), ...; variant 0 or any other.
bool DeMosiac2x2(Dib& pic, int variant, const FilterProgress& progress = {});

// The HLS lightness of a colour, 0..3600.
inline int Lightness(int r, int g, int b) {
  const int mx = r > g ? (r > b ? r : b) : (g > b ? g : b);
  const int mn = r < g ? (r < b ? r : b) : (g < b ? g : b);
  return ((mx + mn) * 3600 + 255) / 510;
}

}  // namespace pelira
