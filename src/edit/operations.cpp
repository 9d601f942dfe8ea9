#include "edit/operations.h"

#include <algorithm>
#include <random>
#include <unordered_map>

#include "engine/composites.h"
#include "common/errors.h"
#include "engine/compute.h"
#include "engine/geometry.h"
#include "engine/histogram.h"
#include "engine/resample.h"
#include "engine/spatial_filters.h"

namespace pelira {

void EditSession::Changed() {
  state.ImageModified = true;
  host.Refresh();
}

namespace {

using A = ScriptArgs;
using E = EditCommand;
using F = FilterCommand;
using D = DepthCommand;
using M = OperationMenu;
using G = GeometryCommand;

constexpr ArgRange kLevel{0, 255};
constexpr ArgRange kSigned{-127, 127};
constexpr ArgRange kGamma{1, 500};
constexpr ArgRange kHlsTune{-999, 999};
// Map offsets from the measured statistics: the remap clamps the sums.
constexpr ArgRange kOffset{-100000, 100000};
// A colour as the platform gives it (0x00BBGGRR), and the bands of a border.
constexpr ArgRange kPlatformColor{0, 0xFFFFFF};
constexpr ArgRange kBorderBand{1, 239};

// --- rows that run their own code -----------------------------------------------------------

void SetParams(EngineState& e, const Arguments& a);

void Conform(EditSession& s, const Arguments& a, int channel) {
  if (s.Picture().Empty()) return;
  if (ConformChannel(s.Picture(), channel, a[0], a[1])) s.Changed();
}
void ConformRed(EditSession& s, const Arguments& a) { Conform(s, a, kRed); }
void ConformGreen(EditSession& s, const Arguments& a) { Conform(s, a, kGreen); }
void ConformBlue(EditSession& s, const Arguments& a) { Conform(s, a, kBlue); }
void ConformLightness(EditSession& s, const Arguments& a) { Conform(s, a, kLightnessChannel); }
void ConformSaturation(EditSession& s, const Arguments& a) { Conform(s, a, kSaturationChannel); }
void ConformGammaRgb(EditSession& s, const Arguments& a) {
  if (s.Picture().Empty()) return;
  DoConformGammaRGB(s.Picture(), std::clamp(a[0], 1, 255), std::clamp(a[1], 1, 255), std::clamp(a[2], 1, 255));
  s.Changed();
}
void ConformGamma(EditSession& s, const Arguments& a) {
  if (s.Picture().Empty()) return;
  DoConformGamma(s.Picture(), a[0]);
  s.Changed();
}

void TrueColorWord(EditSession& s, const Arguments&) {
  s.tone.EnsureTrueColor();
  s.host.Refresh();
}

// The resample reads width from FilterParam2 and height from FilterParam1 in a script.
void ResampleTo(EditSession& s, std::int64_t w, std::int64_t h) {
  s.engine.FilterParam2 = static_cast<std::int32_t>(w);
  s.engine.FilterParam1 = static_cast<std::int32_t>(h);
  s.filters->Resample(static_cast<int>(w), static_cast<int>(h));
}
void ResizeWord(EditSession& s, const Arguments& a) {
  if (!s.Picture().Empty()) ResampleTo(s, a[0], a[1]);
}
void ResizePercent(EditSession& s, const Arguments& a) {
  const Dib& pic = s.Picture();
  if (pic.Empty()) return;
  const std::int64_t w = std::int64_t{pic.Width()} * a[0] / 100, h = std::int64_t{pic.Height()} * a[0] / 100;
  if (w <= 32 || h <= 32) return;
  ResampleTo(s, w, h);
}
// The largest size of the picture's shape inside w x h, never enlarging.
void Downsample(EditSession& s, const Arguments& a) {
  const Dib& pic = s.Picture();
  if (pic.Empty()) return;
  std::int64_t w = std::min<std::int64_t>(a[0], pic.Width()), h = std::min<std::int64_t>(a[1], pic.Height());
  const std::int64_t byWidth = std::int64_t{pic.Height()} * w / pic.Width();
  if (byWidth <= h) h = std::max<std::int64_t>(1, byWidth);
  else w = std::max<std::int64_t>(1, std::int64_t{pic.Width()} * h / pic.Height());
  ResampleTo(s, w, h);
}
// Both corners packed hi·65536 + lo; only a rectangle inside the picture with a positive size
// is cut, whatever the line says.
void Crop(EditSession& s, const Arguments& a) {
  const std::uint32_t p1 = static_cast<std::uint32_t>(a[0]), p2 = static_cast<std::uint32_t>(a[1]);
  const int left = static_cast<int>(p1 & 0xFFFF), top = static_cast<int>(p1 >> 16);
  const int right = static_cast<int>(p2 & 0xFFFF), bottom = static_cast<int>(p2 >> 16);
  Dib& pic = s.Picture();
  if (pic.BitCount() != 24 || a[0] < 0 || a[1] < 0) return;
  if (!(left < right && right <= pic.Width() && top < bottom && bottom <= pic.Height())) return;
  Dib out(right - left, bottom - top, 24);
  const std::size_t bytesPerPixel = 3;
  for (int y = top; y < bottom; ++y) {
    const std::uint8_t* src = pic.ScanLine(y) + static_cast<std::size_t>(left) * bytesPerPixel;
    std::copy(src, src + static_cast<std::size_t>(right - left) * bytesPerPixel, out.ScanLine(y - top));
  }
  s.host.SetPicture(std::move(out));
  s.host.PictureChanged();
}

void Duplicate(EditSession& s, const Arguments&) { s.engine.duplicate = s.Picture(); }
void Swap(EditSession& s, const Arguments&) {
  if (SwapWithDuplicate(s.Picture(), s.engine.duplicate)) s.Changed();
}
void CopyToBackup(EditSession& s, const Arguments&) { s.engine.backup = s.Picture(); }
void CopyFromBackup(EditSession& s, const Arguments&) {
  if (s.engine.backup.Empty()) return;
  s.host.SetPicture(Dib(s.engine.backup));
  s.host.PictureChanged();
}
void Average(EditSession& s, const Arguments& a) {
  if (AverageBitmap(s.Picture(), s.engine.duplicate, a[0])) s.Changed();
}
void MaximumWord(EditSession& s, const Arguments&) {
  if (Maximum(s.Picture(), s.engine.duplicate)) s.Changed();
}

// Image › Compute and Add noise as script lines: the same engine functions the menu commands
// run, with the duplicate as second image; a mismatched one changes nothing.
void InterlaceWord(EditSession& s, const Arguments& a) {
  s.engine.FilterParam2 = a[0];
  s.engine.FilterParam3 = a[1];
  if (AverageField(s.Picture(), s.engine.duplicate, a[0], a[1])) s.Changed();
}
template <bool Shadows>
void MaskShadowsWord(EditSession& s, const Arguments& a) {
  SetParams(s.engine, a);
  if (CompositeMask(s.Picture(), s.engine.duplicate, a[0], a[1], Shadows)) s.Changed();
}
void MaskMidtonesWord(EditSession& s, const Arguments& a) {
  SetParams(s.engine, a);
  if (CompositeMidTones(s.Picture(), s.engine.duplicate, a[0], a[1])) s.Changed();
}
void MaskContrastWord(EditSession& s, const Arguments& a) {
  SetParams(s.engine, a);
  if (CompositeContrast(s.Picture(), s.engine.duplicate, a[0], a[1])) s.Changed();
}
void MaskEdgesWord(EditSession& s, const Arguments& a) {
  s.engine.FilterParam2 = a[1];
  if (MaskEdges(s.Picture(), s.engine.duplicate, a[0], a[1])) s.Changed();
}
void MaskGrayscaleWord(EditSession& s, const Arguments&) {
  if (CompositeGray(s.Picture(), s.engine.duplicate)) s.Changed();
}
template <bool (*Op)(Dib&, const Dib&), bool TrueColorFirst>
void PerComponentWord(EditSession& s, const Arguments&) {
  if (s.Picture().Empty()) return;
  if (TrueColorFirst) s.tone.EnsureTrueColor();
  if (Op(s.Picture(), s.engine.duplicate)) s.Changed();
}
void ArtifactWord(EditSession& s, const Arguments& a) {
  if (s.Picture().Empty()) return;
  s.tone.EnsureTrueColor();
  // A picture the encoder refuses stays as it is.
  try {
    if (AddArtifact(s.Picture(), a[0])) s.Changed();
  } catch (const EVistrelError&) {
  }
}
// The noise has no script word; its menu row runs this without a dialog: the remembered
// limits from FilterParam1..3 and a fresh seed.
void RandomNoiseWord(EditSession& s, const Arguments& a) {
  if (s.Picture().Empty()) return;
  s.tone.EnsureTrueColor();
  if (RandomNoise(s.Picture(), a[0], a[1], a[2], std::random_device{}())) s.Changed();
}

// --- the neighbourhood filters' edits -------------------------------------------------------

bool GaussianApply(Dib& d, int v, int, const FilterProgress& p) { return GaussianBlur3x3(d, 255 - v, false, 9, p); }
bool OutlierApply(Dib& d, int v, int, const FilterProgress& p) { return GaussianBlur3x3(d, 255 - v, true, 8, p); }
bool DeFocusApply(Dib& d, int v, int, const FilterProgress& p) { return DeFocus(d, 255 - v, p); }
bool SoftenApply(Dib& d, int v, int, const FilterProgress& p) { return Soften(d, v, p); }
bool DespeckleApply(Dib& d, int v, int, const FilterProgress& p) { return Median(d, v, 0, p); }
bool UnSpotApply(Dib& d, int v, int, const FilterProgress& p) { return Median(d, 1, v, p); }
bool MeanRemovalApply(Dib& d, int v, int, const FilterProgress& p) { return MeanRemoval(d, v, p); }
bool HighPassMediumApply(Dib& d, int v, int, const FilterProgress& p) { return HighPassMedium(d, v, p); }
bool HighPassLightApply(Dib& d, int v, int, const FilterProgress& p) { return HighPassLight(d, v, p); }
bool UnsharpApply(Dib& d, int v, int e, const FilterProgress& p) { return UnSharpGaussianBlur5x5(d, 255 - v, e, p); }
bool CleanApply(Dib& d, int v, int e, const FilterProgress& p) { return SharpGaussianBlur5x5(d, v, e, p); }
bool DeFogApply(Dib& d, int v, int e, const FilterProgress& p) { return DoDefog(d, v, e, p); }
bool MosaicApply(Dib& d, int v, int, const FilterProgress& p) { return Tile(d, v, p); }
bool PosterizeApply(Dib& d, int v, int, const FilterProgress&) { return LowRes(d, v); }

using FM = FilterMemory;
FilterDialog Slider(int kind, const char* title, const char* lo, const char* hi, int min, int max, int page,
                    const char* status, int FM::*value, int FM::*effect = nullptr) {
  FilterDialog d;
  d.kind = kind;
  d.title = title;
  d.lo = lo;
  d.hi = hi;
  d.min = min;
  d.max = max;
  d.page = page;
  d.status = status;
  d.remembered[0] = value;
  d.remembered[1] = effect;
  return d;
}

// One row. Operations without a word are menu commands only.
Operation Row(const char* id, std::array<const char*, 2> words, ScriptArgs args, int checked,
              std::array<ArgRange, 3> range, bool promptAfter, OperationMenu menu,
              decltype(Operation::run) run) {
  Operation op;
  op.id = id;
  op.words = words;
  op.args = args;
  op.checked = checked;
  op.range = range;
  op.promptAfter = promptAfter;
  op.menu = menu;
  op.run = run;
  return op;
}
Operation MenuOnly(const char* id, OperationMenu menu, decltype(Operation::run) run, const char* recordsAs = nullptr) {
  Operation op = Row(id, {}, A::None, 0, {}, false, menu, run);
  op.recordsAs = recordsAs;
  return op;
}
Operation Filter(const char* id, const char* word, int checked, std::array<ArgRange, 3> range, OperationMenu menu,
                 FilterCommand c, FilterDialog dialog, FilterApply apply) {
  Operation op = Row(id, {word, nullptr}, A::Numbers, checked, range, false, menu, c);
  op.dialog = dialog;
  op.apply = apply;
  return op;
}

std::vector<Operation> MakeRows() {
  const std::array<ArgRange, 3> none{};
  const std::array<ArgRange, 3> levels{kLevel, kLevel, kLevel};
  const std::array<ArgRange, 3> signedLevels{kSigned, kSigned, kSigned};
  const std::array<ArgRange, 3> gammas{kGamma, kGamma, kGamma};
  const std::array<ArgRange, 3> offsets{kOffset, kOffset, kOffset};
  const std::array<ArgRange, 3> eq{ArgRange{0, 255}, ArgRange{7, 127}, kSigned};
  const char* tune = "mnuTune";
  std::vector<Operation> r = {
      // Colors › Tune
      Row("AutoContrast", {"AUTO_CONTRAST"}, A::None, 0, none, true, M{"mnuTuneAutoContrast", "AutoContrast", tune}, E::AutoContrast),
      Row("AutoLighting", {"AUTO_LIGHTING"}, A::None, 0, none, true, M{"mnuTuneAutoLighting", "AutoLighting", tune, "mnuTuneAutoBalance"}, E::AutoLighting),
      Row("AutoSaturate", {"AUTO_SATURATE"}, A::None, 0, none, true, M{"mnuTuneAutoSaturate", "AutoSaturate", tune, "mnuTuneAutoBalance"}, E::AutoSaturate),
      Row("AutoBalance", {"AUTO_BALANCE"}, A::None, 0, none, true, M{"mnuTuneAutoBalance", "AutoBalance", tune}, E::AutoBalance),
      Row("AutoGamma", {"AUTO_GAMMA"}, A::Numbers, 0, none, true, M{"mnuTuneAutoGamma", "AutoGamma", tune}, E::AutoGamma),
      Row("AutoFlash", {"AUTO_FLASH"}, A::Numbers, 0, none, true, M{"mnuTuneAutoFlash", "AutoFlash", tune}, E::AutoFlash),
      Row("AutoWhite", {"AUTO_WHITE"}, A::Numbers, 0, none, true, M{"mnuTuneAutoWhite", "AutoWhite", tune}, E::AutoWhite),
      Row("Normalize", {"NORMALIZE"}, A::None, 0, none, true, M{"mnuTuneNormalize", "Normalize", tune}, E::Normalize),
      Row("Equalize", {"EQUALIZE"}, A::None, 0, none, true, M{"mnuTuneEQualize", "EQualize", tune}, E::EQualize),
      Row("Optimize", {"OPTIMIZE"}, A::None, 0, none, true, M{"mnuTuneOptimize", "Optimize", tune}, E::Optimize),
      Row("TuneRGB", {"MAP_RGB"}, A::Numbers, 2, offsets, true, M{"mnuTuneRGB", "RGB", tune, "mnuTuneHLS"}, E::TuneRGB),
      Row("TuneHLS", {"HLS"}, A::Numbers, 3, {kHlsTune, kHlsTune, kHlsTune}, false, M{"mnuTuneHLS", "HLS", tune}, E::TuneHLS),
      // Colors › Threshold; the selection words carry packed values, checked by the command.
      Row("ReplaceHlsForeground", {"REPLACE_HLSINV"}, A::Numbers, 0, none, false,
          M{"mnuThresholdHlsForeground", "HLS &foreground", "mnuThreshold"}, E::ReplaceHlsForeground),
      Row("ReplaceHlsBackground", {"REPLACE_HLS"}, A::Numbers, 0, none, false,
          M{"mnuThresholdHlsBackground", "HLS &background", "mnuThreshold"}, E::ReplaceHlsBackground),
      Row("ReplaceRgbForeground", {"REPLACE_RGB"}, A::Numbers, 0, none, false,
          M{"mnuThresholdRgbForeground", "RGB f&oreground", "mnuThreshold"}, E::ReplaceRgbForeground),
      Row("ReplaceRgbBackground", {"REPLACE_RGBINV"}, A::Numbers, 0, none, false,
          M{"mnuThresholdRgbBackground", "RGB b&ackground", "mnuThreshold"}, E::ReplaceRgbBackground),
      // Image › Compute
      Row("MaskBackcolors", {"MASK_HLS"}, A::Numbers, 0, none, false, M{"mnuMaskBackcolors", "Mask &Backcolors", "mnuCompute"},
          E::MaskBackcolors),
      Row("MaskForecolors", {"MASK_HLSINV"}, A::Numbers, 0, none, false, M{"mnuMaskForecolors", "Mask &Forecolors", "mnuCompute"},
          E::MaskForecolors),
      // Colors › Gray shades and Red Eye
      Row("NaturalizeCcd", {"NATURALIZE_CCD"}, A::Numbers, 2, levels, false,
          M{"mnuNaturalizeCcd", "&CCD Naturalize", "mnuGrayShades"}, E::NaturalizeCcd),
      Row("NaturalizeRgb", {"NATURALIZE_RGB"}, A::Numbers, 2, levels, false,
          M{"mnuNaturalizeRgb", "&RGB Naturalize", "mnuGrayShades"}, E::NaturalizeRgb),
      Row("RgbMaximum", {"RGBMAX"}, A::None, 0, none, false, M{"mnuRgbMaximum", "RGB Ma&ximum", "mnuGrayShades"}, E::RgbMaximum),
      Row("RgbMinimum", {"RGBMIN"}, A::None, 0, none, false, M{"mnuRgbMinimum", "RGB M&inimum", "mnuGrayShades"}, E::RgbMinimum),
      MenuOnly("GrayShadesGrayscale", M{"mnuGrayShadesGrayscale", "True &Grayscale", "mnuGrayShades"}, D::TrueGrayscale,
               "TrueGrayscale"),
      MenuOnly("RedEye", M{"mnuRedEye", "&Red Eye", "mnuColors"}, E::RedEye),
      Row("Reference", {"REFERENCE"}, A::Numbers, 0, none, true, M{"mnuTuneReference", "Reference", tune}, E::Reference),
      // Colors › Gamma
      MenuOnly("GammaGlobal", M{"mnuGammaGlobal", "&Global", "mnuColorGamma"}, E::GammaGlobal, "GammaRGB"),
      Row("GammaRGB", {"GAMMA"}, A::Numbers, 3, gammas, false, M{"mnuGammaRGB", "&RGB", "mnuColorGamma"}, E::GammaRGB),
      Row("GammaSuppress", {"GAMMA_SUPRESS", "GAMMA_SUPPRESS"}, A::Numbers, 3, gammas, false,
          M{"mnuGammaSuppress", "&Suppress", "mnuColorGamma"}, E::GammaSuppress),
      Row("GammaSaturation", {"GAMMA_SATURATION"}, A::Numbers, 1, {ArgRange{0, 500}}, false,
          M{"mnuGammaSaturation", "S&aturation", "mnuColorGamma"}, E::GammaSaturation),
      // Colors › Brightness
      MenuOnly("BrightnessGlobal", M{"mnuBrightnessGlobal", "&Global", "mnuBrightness"}, E::BrightnessGlobal, "BrightnessRGB"),
      Row("BrightnessRGB", {"BRIGHTNESS"}, A::Numbers, 3, signedLevels, false, M{"mnuBrightnessRGB", "&RGB", "mnuBrightness"}, E::BrightnessRGB),
      Row("BrightnessShift", {"SHIFT"}, A::Numbers, 3, signedLevels, false, M{"mnuBrightnessShift", "&Shift", "mnuBrightness"}, E::BrightnessShift),
      Row("BrightnessZero", {"ZERO"}, A::None, 0, none, false, M{"mnuBrightnessZero", "&Zero", "mnuBrightness"}, E::BrightnessZero),
      // The tables clamp what they are given.
      Row("WhiteBalance", {"WHITEBALANCE"}, A::Numbers, 0, none, true, M{"mnuWhiteBalance", "&Balance", "mnuBrightness"}, E::WhiteBalance),
      // Colors › Contrast
      MenuOnly("ContrastGlobal", M{"mnuContrastGlobal", "&Global", "mnuContrast"}, E::ContrastGlobal, "ContrastRGB"),
      Row("ContrastRGB", {"CONTRAST"}, A::Numbers, 3, signedLevels, false, M{"mnuContrastRGB", "&RGB", "mnuContrast"}, E::ContrastRGB),
      Row("ContrastSuppress", {"SUPRESS", "SUPPRESS"}, A::Numbers, 2, levels, false, M{"mnuContrastSuppress", "&Suppress", "mnuContrast"}, E::ContrastSuppress),
      Row("UnWash", {"UNWASH"}, A::None, 0, none, false, M{"mnuUnWash", "Un&Wash", "mnuContrast"}, E::UnWash),
      Row("UnCook", {"UNCOOK"}, A::None, 0, none, false, M{"mnuUnCook", "Un&Cook", "mnuContrast"}, E::UnCook),
      Row("Attenuate", {"ATTENUATE"}, A::None, 0, none, false, M{"mnuAttenuate", "&Attenuate", "mnuContrast"}, E::Attenuate),
      Filter("DeFog", "DEFOG", 2, levels, M{"mnuDeFog", "&DeFog", "mnuContrast"}, F::DeFog,
             Slider(241, "Set DeFog effect to", "1 (weak)", "255 (strong)", 1, 255, 16, "Defogging ...", &FM::defog, &FM::defogEffect),
             DeFogApply),
      // Colors › Enhance
      Row("EnhanceGlobal", {"ENHANCE"}, A::Numbers, 2, levels, false, M{"mnuEnhanceGlobal", "&Global", "mnuEnhance"}, E::EnhanceGlobal),
      Row("EnhanceLighting", {"LIGHTING"}, A::Numbers, 2, levels, false, M{"mnuEnhanceLighting", "&Lighting", "mnuEnhance"}, E::EnhanceLighting),
      Row("EnhanceShadows", {"SHADOWS"}, A::Numbers, 3, levels, false, M{"mnuEnhanceShadows", "&Shadows", "mnuEnhance"}, E::EnhanceShadows),
      Row("EnhanceHighlights", {"HIGHLIGHTS"}, A::Numbers, 3, levels, false, M{"mnuEnhanceHighlights", "&Highlights", "mnuEnhance"}, E::EnhanceHighlights),
      Row("EnhanceSaturation", {"SATURATION"}, A::Numbers, 2, levels, false, M{"mnuEnhanceSaturation", "S&aturation", "mnuEnhance"}, E::EnhanceSaturation),
      // Colors › Map
      Row("MapZero", {"ZEROMAP"}, A::None, 0, none, true, M{"mnuMapZero", "&Zero", "mnuMap"}, E::MapZero),
      Row("MapCenter", {"CENTER"}, A::None, 0, none, true, M{"mnuMapCenter", "&Center", "mnuMap"}, E::MapCenter),
      Row("MapEqualize", {"MAP_EQ"}, A::Numbers, 2, offsets, true, M{"mnuMapEqualize", "&Equalize", "mnuMap"}, E::MapEqualize),
      Row("MapRed", {"MAP_RED"}, A::Numbers, 2, offsets, true, M{"mnuMapRed", "&Red channel", "mnuMap"}, E::MapRed),
      Row("MapGreen", {"MAP_GRN"}, A::Numbers, 2, offsets, true, M{"mnuMapGreen", "&Green channel", "mnuMap"}, E::MapGreen),
      Row("MapBlue", {"MAP_BLU"}, A::Numbers, 2, offsets, true, M{"mnuMapBlue", "&Blue channel", "mnuMap"}, E::MapBlue),
      Row("MapLighting", {"MAP_LIT"}, A::Numbers, 2, offsets, true, M{"mnuMapLighting", "&Lighting", "mnuMap"}, E::MapLighting),
      Row("MapSaturation", {"MAP_SAT"}, A::Numbers, 2, offsets, true, M{"mnuMapSaturation", "&Saturation", "mnuMap"}, E::MapSaturation),
      // The statistics lines of Map › RGB info replay through these.
      Row("ConformRed", {"CONFORM_RED"}, A::Numbers, 0, none, true, {}, ConformRed),
      Row("ConformGreen", {"CONFORM_GRN"}, A::Numbers, 0, none, true, {}, ConformGreen),
      Row("ConformBlue", {"CONFORM_BLU"}, A::Numbers, 0, none, true, {}, ConformBlue),
      Row("ConformLighting", {"CONFORM_LIT"}, A::Numbers, 0, none, true, {}, ConformLightness),
      Row("ConformSaturation", {"CONFORM_SAT"}, A::Numbers, 0, none, true, {}, ConformSaturation),
      Row("ConformGammaRGB", {"CONFORM_GAMMA_RGB"}, A::Numbers, 0, none, true, {}, ConformGammaRgb),
      Row("ConformGamma", {"CONFORM_GAMMA"}, A::Numbers, 1, {ArgRange{1, 254}}, true, {}, ConformGamma),
      // Colors › Limit and Parametric EQ
      Row("LimitAll", {"LIMIT_ALL"}, A::Numbers, 3, levels, true, M{"mnuLimitAll", "&All channels", "mnuLimit"}, E::LimitAll),
      Row("LimitRed", {"LIMIT_RED"}, A::Numbers, 3, levels, true, M{"mnuLimitRed", "&Red", "mnuLimit"}, E::LimitRed),
      Row("LimitGreen", {"LIMIT_GRN"}, A::Numbers, 3, levels, true, M{"mnuLimitGreen", "&Green", "mnuLimit"}, E::LimitGreen),
      Row("LimitBlue", {"LIMIT_BLU"}, A::Numbers, 3, levels, true, M{"mnuLimitBlue", "&Blue", "mnuLimit"}, E::LimitBlue),
      Row("ParametricEqAll", {"PARAMETRIC_EQ_ALL"}, A::Numbers, 3, eq, false, M{"mnuParametricEqAll", "&All channels", "mnuParametricEQ"}, E::ParametricEqAll),
      Row("ParametricEqRed", {"PARAMETRIC_EQ_RED"}, A::Numbers, 3, eq, false, M{"mnuParametricEqRed", "&Red", "mnuParametricEQ"}, E::ParametricEqRed),
      Row("ParametricEqGreen", {"PARAMETRIC_EQ_GRN"}, A::Numbers, 3, eq, false, M{"mnuParametricEqGreen", "&Green", "mnuParametricEQ"}, E::ParametricEqGreen),
      Row("ParametricEqBlue", {"PARAMETRIC_EQ_BLU"}, A::Numbers, 3, eq, false, M{"mnuParametricEqBlue", "&Blue", "mnuParametricEQ"}, E::ParametricEqBlue),
      // Colors: negative and depth
      Row("Negative", {"NEGATIVE"}, A::None, 0, none, true, M{"mnuNegative", "&Negative", "mnuColors"}, E::Negative),
      Row("TrueGrayscale", {"GRAYSCALE"}, A::None, 0, none, false, M{"mnuGrayscale", "True &Grayscale", "mnuColors"}, D::TrueGrayscale),
      Row("TrueColor", {"TRUECOLOR"}, A::None, 0, none, false, {}, TrueColorWord),
      MenuOnly("Promote24", M{"mnuPromote24", "16&M colors", "mnuPromote"}, D::Promote24, "TrueColor"),
      MenuOnly("Promote8", M{"mnuPromote8", "&256 colors", "mnuPromote"}, D::Promote8),
      MenuOnly("Promote4", M{"mnuPromote4", "&16 colors", "mnuPromote"}, D::Promote4),
      MenuOnly("Reduce256Dither", M{"mnuReduce256Dither", "&256 colors (dither)", "mnuReduce"}, D::Reduce256Dither),
      Row("Reduce256Poster", {"QUANTIZE256"}, A::None, 0, none, false, M{"mnuReduce256Poster", "2&56 colors (poster)", "mnuReduce"}, D::Reduce256Poster),
      MenuOnly("Reduce256Grays", M{"mnuReduce256Grays", "256 grays (dither)", "mnuReduce", "mnuReduce16Dither"}, D::Reduce256Grays),
      MenuOnly("Reduce16Dither", M{"mnuReduce16Dither", "&16 colors (dither)", "mnuReduce"}, D::Reduce16Dither),
      Row("Reduce16Poster", {"QUANTIZE16"}, A::None, 0, none, false, M{"mnuReduce16Poster", "1&6 colors (poster)", "mnuReduce"}, D::Reduce16Poster),
      MenuOnly("ReduceBW", M{"mnuReduceBW", "&B/W", "mnuReduce"}, D::ReduceBW),
      // Image › Smooth
      Filter("Clean", "CLEAN", 2, levels, M{"mnuClean", "&Clean", "mnuSmooth", "mnuAirbrush"}, F::Clean,
             Slider(231, "Set Cleaning Mask effect to", "1 (weak)", "255 (strong)", 1, 255, 16, "Cleaning mask ...", &FM::clean, &FM::cleanEffect),
             CleanApply),
      Row("Enrich", {"ENRICH"}, A::None, 0, none, true, M{"mnuEnrich", "&Enrich", "mnuSmooth", "mnuAirbrush"}, F::Enrich),
      Filter("Gaussian", "GAUSSIAN", 1, {ArgRange{1, 255}}, M{"mnuGaussian", "&Gaussian", "mnuSmooth", "mnuAirbrush"}, F::Gaussian,
             Slider(30, "Set Smoothing (Gaussian) effect to", "1 (weak)", "255 (strong)", 1, 255, 16, "Blurring ...", &FM::gaussian),
             GaussianApply),
      Filter("DeFocus", "DEFOCUS", 1, {ArgRange{1, 255}}, M{"mnuDeFocus", "De&Focus", "mnuSmooth", "mnuAirbrush"}, F::DeFocus,
             Slider(31, "Set Smoothing (Defocus) effect to", "1 (weak)", "255 (strong)", 1, 255, 16, "Defocusing ...", &FM::defocus),
             DeFocusApply),
      Filter("Soften", "SOFTEN", 1, {ArgRange{1, 10}}, M{"mnuSoften", "&Soften", "mnuSmooth", "mnuAirbrush"}, F::Soften,
             Slider(3, "Set Soften (Low Pass) effect to", "1 (weak)", "10 (strong)", 1, 10, 1, "Softening ...", &FM::soften),
             SoftenApply),
      Filter("Outlier", "OUTLIER", 1, {ArgRange{1, 255}}, M{"mnuOutlier", "&Outlier", "mnuSmooth", "mnuAirbrush"}, F::Outlier,
             Slider(1, "Set Outlier effect to", "1 (weak)", "255 (strong)", 1, 255, 16, "Cleaning ...", &FM::outlier),
             OutlierApply),
      Filter("Despeckle", "DESPECKLE", 1, {ArgRange{1, 9}}, M{"mnuDespeckle", "&Despeckle", "mnuSmooth", "mnuAirbrush"}, F::Despeckle,
             Slider(4, "Set Despeckle (Median) effect to", "1 (weak)", "9 (strong)", 1, 9, 1, "Cleaning ...", &FM::despeckle),
             DespeckleApply),
      // The script's spot range is wider than the slider's.
      Filter("UnSpot", "UNSPOT", 1, {kSigned}, M{"mnuUnSpot", "&UnSpot", "mnuSmooth", "mnuAirbrush"}, F::UnSpot,
             Slider(36, "Set Spot Remover to clean", "-8 pepper", "+8 salt", -8, 8, 1, "Cleaning ...", &FM::unspot),
             UnSpotApply),
      Row("DeLace", {"DELACE"}, A::None, 0, none, true, M{"mnuDeLace", "De&Lace", "mnuSmooth", "mnuAirbrush"}, F::DeLace),
      Row("Airbrush", {"AIRBRUSH"}, A::Numbers, 0, none, false, M{"mnuAirbrush", "&Airbrush", "mnuSmooth"}, E::Airbrush),
      // Image › Sharpen
      Filter("UnsharpMask", "UNSHARPMASK", 2, levels, M{"mnuUnsharpMask", "&Unsharp mask", "mnuSharpen", "mnuSharpenLight"}, F::UnsharpMask,
             Slider(230, "Set UnSharp Mask effect to", "1 (weak)", "255 (strong)", 1, 255, 16, "Unsharp mask ...", &FM::unsharp, &FM::unsharpEffect),
             UnsharpApply),
      Filter("MeanRemoval", "MEANREMOVAL", 1, {ArgRange{1, 8}}, M{"mnuMeanRemoval", "&Mean removal", "mnuSharpen", "mnuSharpenLight"}, F::MeanRemoval,
             Slider(32, "Set Sharpening (Mean Removal) effect to", "1 (weak)", "8 (strong)", 1, 8, 1, "Sharpening ...", &FM::meanRemoval),
             MeanRemovalApply),
      Filter("HighPassMedium", "HIGHPASSMEDIUM", 1, {ArgRange{1, 4}}, M{"mnuHighPassMedium", "High pass - &medium", "mnuSharpen", "mnuSharpenLight"},
             F::HighPassMedium,
             Slider(33, "Set Sharpening (Medium High Pass) effect to", "1 (weak)", "4 (strong)", 1, 4, 1, "Sharpening ...", &FM::highPassMedium),
             HighPassMediumApply),
      Filter("HighPassLight", "HIGHPASSLIGHT", 1, {ArgRange{1, 4}}, M{"mnuHighPassLight", "High pass - &light", "mnuSharpen", "mnuSharpenLight"},
             F::HighPassLight,
             Slider(34, "Set Sharpening (Light High Pass) effect to", "1 (weak)", "4 (strong)", 1, 4, 1, "Sharpening ...", &FM::highPassLight),
             HighPassLightApply),
      // Image › Descreen
      Row("DescreenLight", {"DESCREEN_LIGHT"}, A::None, 0, none, false, M{"mnuDescreenLight", "&Light", "mnuDescreen"}, F::DescreenLight),
      Row("DescreenMedium", {"DESCREEN_MEDIUM"}, A::None, 0, none, false, M{"mnuDescreenMedium", "&Medium", "mnuDescreen"}, F::DescreenMedium),
      Row("DescreenStrong", {"DESCREEN_STRONG"}, A::None, 0, none, false, M{"mnuDescreenStrong", "&Strong", "mnuDescreen"}, F::DescreenStrong),
      Row("DescreenHigh", {"DESCREEN_HIGH"}, A::None, 0, none, false, M{"mnuDescreenHigh", "&High res", "mnuDescreen"}, F::DescreenHigh),
      // Image › Auto
      MenuOnly("AutoClean", M{"mnuAutoClean", "&Clean", "mnuAuto"}, F::AutoClean),
      MenuOnly("AutoSharpen", M{"mnuAutoSharpen", "&Sharpen", "mnuAuto"}, F::AutoSharpen),
      // Image › Resize; the menu's Resample asks for the size in the window.
      Row("Resample", {"RESAMPLE"}, A::Numbers, 2, {ArgRange{1, 16384}, ArgRange{1, 16384}}, false,
          M{"mnuResample1", "&Resample (smooth)", "mnuResize"}, ResizeWord),
      Row("Resize", {"RESIZE"}, A::Numbers, 2, {ArgRange{1, 16384}, ArgRange{1, 16384}}, false, {}, ResizeWord),
      Row("ResizePercent", {"RESIZE%"}, A::Numbers, 1, {ArgRange{1, 799}}, false, {}, ResizePercent),
      Row("ResamplePercent", {"RESAMPLE%"}, A::Numbers, 1, {ArgRange{1, 799}}, false, {}, ResizePercent),
      Row("Downsample", {"DOWNSAMPLE"}, A::Numbers, 2, {ArgRange{1, 16384}, ArgRange{1, 16384}}, false, {}, Downsample),
      Filter("Mosaic", "MOSAIC", 1, {ArgRange{2, 16}}, M{"mnuMosaic1", "&Mosaic (tile)", "mnuResize"}, F::Mosaic,
             Slider(250, "Set Mosaic Tile to", "2x2", "16x16", 2, 16, 1, "Tiling ...", &FM::mosaic), MosaicApply),
      Row("DePixelate", {"DEPIXELATE"}, A::Numbers, 0, none, false, M{"mnuDePixelate", "&DePixelate (CCD)", "mnuResize"}, F::DePixelate),
      Row("Crop", {"CROP"}, A::Numbers, 0, none, false, {}, Crop),
      // Two images
      Row("Duplicate", {"DUPLICATE"}, A::None, 0, none, false, {}, Duplicate),
      Row("Swap", {"SWAP"}, A::None, 0, none, false, {}, Swap),
      Row("CopyToBackup", {"COPYTOBACKUP"}, A::None, 0, none, false, {}, CopyToBackup),
      Row("CopyFromBackup", {"COPYFROMBACKUP"}, A::None, 0, none, false, {}, CopyFromBackup),
      Row("Average", {"AVERAGE"}, A::Numbers, 1, {ArgRange{1, 255}}, false, {}, Average),
      Row("Maximum", {"MAXIMUM"}, A::None, 0, none, false, {}, MaximumWord),
      // Image › Compute; the rows above without a menu item get theirs here.
      MenuOnly("ComputeDuplicate", M{"mnuDuplicate", "&Duplicate", "mnuCompute"}, Duplicate, "Duplicate"),
      MenuOnly("ComputeSwap", M{"mnuSwap", "&Swap", "mnuCompute", "mnuMaskBackcolors"}, Swap, "Swap"),
      MenuOnly("ComputeAverage", M{"mnuAverage", "&Average", "mnuCompute", "mnuMaskBackcolors"}, Average, "Average"),
      Row("Interlace", {"INTERLACE"}, A::Numbers, 2, {ArgRange{1, 255}, ArgRange{0, 1}}, false,
          M{"mnuInterlace", "&Interlace", "mnuCompute", "mnuMaskBackcolors"}, InterlaceWord),
      Row("MaskShadows", {"MASK_SHADOWS"}, A::Numbers, 2, {ArgRange{1, 500}, ArgRange{0, 99}}, false,
          M{"mnuMaskShadows", "Mask &Shadows", "mnuCompute", "mnuMaskBackcolors"}, MaskShadowsWord<true>),
      Row("MaskHighlights", {"MASK_HIGHLIGHTS"}, A::Numbers, 2, {ArgRange{1, 500}, ArgRange{0, 99}}, false,
          M{"mnuMaskHighlights", "Mask &Highlights", "mnuCompute", "mnuMaskBackcolors"}, MaskShadowsWord<false>),
      Row("MaskMidtones", {"MASK_MIDTONES"}, A::Numbers, 2, {ArgRange{1, 500}, ArgRange{0, 99}}, false,
          M{"mnuMaskMidtones", "Mask &Midtones", "mnuCompute", "mnuMaskBackcolors"}, MaskMidtonesWord),
      Row("MaskContrast", {"MASK_CONTRAST"}, A::Numbers, 2, {ArgRange{1, 500}, ArgRange{0, 99}}, false,
          M{"mnuMaskContrast", "Mask &Contrast", "mnuCompute", "mnuMaskBackcolors"}, MaskContrastWord),
      Row("MaskEdges", {"MASK_EDGES"}, A::Numbers, 2, {kLevel, kLevel}, false,
          M{"mnuMaskEdges", "Mask &Edges", "mnuCompute"}, MaskEdgesWord),
      Row("MaskGrayscale", {"MASK_GRAYSCALE"}, A::None, 0, none, false,
          M{"mnuMaskGrayscale", "Mask &Grayscale", "mnuCompute"}, MaskGrayscaleWord),
      Row("Multiply", {"MULTIPLY"}, A::None, 0, none, false, M{"mnuMultiply", "Multi&ply", "mnuCompute"},
          PerComponentWord<Multiply, true>),
      Row("Minimum", {"MINIMUM"}, A::None, 0, none, false, M{"mnuMinimum", "Mi&nimum", "mnuCompute"},
          PerComponentWord<Minimum, true>),
      MenuOnly("ComputeMaximum", M{"mnuMaximum", "Ma&ximum", "mnuCompute"}, MaximumWord, "Maximum"),
      Row("Difference", {"DIFFERENCE"}, A::None, 0, none, false, M{"mnuDifference", "Di&fference", "mnuCompute"},
          PerComponentWord<Difference, true>),
      Row("Subtract", {"SUBTRACT"}, A::None, 0, none, false, M{"mnuSubtract", "Su&btract", "mnuCompute"},
          PerComponentWord<Subtract, false>),
      MenuOnly("ComputeBackup", M{"mnuBackup", "Bac&kup", "mnuCompute"}, CopyToBackup, "CopyToBackup"),
      MenuOnly("ComputeRestore", M{"mnuRestore", "&Restore", "mnuCompute"}, CopyFromBackup, "CopyFromBackup"),
      // Image › Add noise
      MenuOnly("NoiseRandom", M{"mnuNoiseRandom", "&Random", "mnuAddNoise"}, RandomNoiseWord),
      Row("NoiseArtifacts", {"ARTIFACT"}, A::Numbers, 1, {ArgRange{1, 255}}, false,
          M{"mnuNoiseArtifacts", "&Artifacts", "mnuAddNoise"}, ArtifactWord),
      // Edit: the selection and what uses it
      MenuOnly("CropSelection", M{"mnuCrop", "C&rop", "mnuEdit"}, G::Crop, "Crop"),
      MenuOnly("CopySelection", M{"mnuCopyMask", "&Selection", "mnuCopy"}, G::CopySelection),
      MenuOnly("Trim", M{"mnuTrim1", "&Trim", "mnuEdit"}, G::Trim),
      MenuOnly("Mask", M{"mnuMask", "&Mask", "mnuEdit"}, G::Mask),
      MenuOnly("SelectAll", M{"mnuSelectAll", "Select &all", "mnuEdit"}, G::SelectAll),
      MenuOnly("Grid", M{"mnuGrid", "&Grid", "mnuEdit"}, G::Grid),
      MenuOnly("CopyGrid", M{"mnuCopyGrid", "&Grid", "mnuCopy"}, G::CopyGrid),
      // Image › Resize, Auto, Rotate, Mirror, Border, Text Mark
      MenuOnly("ResizeInterpolate", M{"mnuResizeInterpolate", "&Interpolate (fast)", "mnuResize", "mnuResample1"},
               G::ResizeInterpolate, "Resize"),
      MenuOnly("AutoResize", M{"mnuAutoDownsample", "Resi&ze", "mnuAuto"}, G::AutoResize, "Resample"),
      MenuOnly("Rotate90", M{"mnuRotate90", "&90 deg.", "mnuRotate"}, G::Rotate90, "Rotate"),
      MenuOnly("Rotate270", M{"mnuRotate270", "&270 deg.", "mnuRotate"}, G::Rotate270, "Rotate"),
      Row("Rotate", {"ROTATE"}, A::Numbers, 1, {ArgRange{1, 359}}, false, M{"mnuRotateNormal", "&Normal", "mnuRotate"}, G::RotateNormal),
      MenuOnly("RotateFine", M{"mnuRotateFine", "&Fine", "mnuRotate"}, G::RotateFine, "Rotate"),
      MenuOnly("MirrorVertical", M{"mnuMirrorVert", "Mirror &Vertical", "mnuMirror"}, G::MirrorVertical),
      MenuOnly("MirrorHorizontal", M{"mnuMirrorHorz", "Mirror &Horizontal", "mnuMirror"}, G::MirrorHorizontal),
      Row("Border", {"BORDER"}, A::Numbers, 3, {kPlatformColor, kBorderBand, kBorderBand}, false, M{"mnuBorder1", "&Border", "mnuImage"}, G::Border),
      Row("BorderTopBot", {"BORDER_TOPBOT"}, A::Numbers, 3, {kPlatformColor, kBorderBand, kBorderBand}, false, {}, G::BorderTopBot),
      Row("TextMarkTopLeft", {"TEXTMARK_TOPLEFT"}, A::Text, 0, none, true, M{"mnuTextMarkTopLeft", "Top &Left", "mnuTextMark"}, G::TextMarkTopLeft),
      Row("TextMarkTopRight", {"TEXTMARK_TOPRIGHT"}, A::Text, 0, none, true, M{"mnuTextMarkTopRight", "Top &Right", "mnuTextMark"}, G::TextMarkTopRight),
      Row("TextMarkBottomLeft", {"TEXTMARK_BOTTOMLEFT"}, A::Text, 0, none, true, M{"mnuTextMarkBottomLeft", "Bottom L&eft", "mnuTextMark"}, G::TextMarkBottomLeft),
      Row("TextMarkBottomRight", {"TEXTMARK_BOTTOMRIGHT"}, A::Text, 0, none, true, M{"mnuTextMarkBottomRight", "Bottom Ri&ght", "mnuTextMark"}, G::TextMarkBottomRight),
      MenuOnly("TextMarkProperties", M{"mnuTextMarkProperties", "&Properties", "mnuTextMark"}, G::TextMarkProperties),
      MenuOnly("TextMarkOutline", M{"mnuTextMarkOutline", "&Outline color", "mnuTextMark"}, G::TextMarkOutline),
      // Colors › Posterize
      Filter("Posterize", "POSTERIZE", 1, {ArgRange{2, 7}}, M{"mnuPosterize", "&Posterize", "mnuColors"}, F::Posterize,
             Slider(251, "Cut resolution (posterize) to", "2 bpp", "7 bpp", 2, 7, 1, "Posterizing ...", &FM::posterize),
             PosterizeApply),
  };
  return r;
}

const std::vector<Operation>& Rows() {
  static const std::vector<Operation> rows = MakeRows();
  return rows;
}

template <typename Command>
const Operation& RowRunning(Command c) {
  for (const Operation& op : Rows())
    if (const Command* run = std::get_if<Command>(&op.run); run && *run == c) return op;
  // Every command has a row; a missing one is a programming error caught by the tests.
  static const Operation missing = [] {
    Operation op;
    op.id = "missing";
    return op;
  }();
  return missing;
}

// The script argument of AUTO_GAMMA, AUTO_FLASH, AUTO_WHITE and REFERENCE.
int ModeOf(EditCommand c, const Arguments& a) {
  switch (c) {
    case E::AutoGamma: case E::Reference: return a[0] == 1 ? 1 : 0;
    case E::AutoFlash: case E::AutoWhite: return a[0] == 1 || a[0] == 2 ? a[0] : 0;
    default: return 0;
  }
}

void SetParams(EngineState& e, const Arguments& a) {
  e.FilterParam1 = a[0];
  e.FilterParam2 = a[1];
  e.FilterParam3 = a[2];
}

}  // namespace

std::span<const Operation> Operations() { return Rows(); }

const Operation* FindOperation(std::string_view upperWord) {
  static const std::unordered_map<std::string_view, const Operation*> index = [] {
    std::unordered_map<std::string_view, const Operation*> m;
    for (const Operation& op : Rows())
      for (const char* w : op.words)
        if (w) m.emplace(w, &op);
    return m;
  }();
  const auto it = index.find(upperWord);
  return it == index.end() ? nullptr : it->second;
}

const Operation* OperationByMenuName(std::string_view name) {
  for (const Operation& op : Rows())
    if (!name.empty() && name == op.menu.name) return &op;
  return nullptr;
}

const Operation* OperationById(std::string_view id) {
  for (const Operation& op : Rows())
    if (id == op.id) return &op;
  return nullptr;
}

const Operation& OperationOf(EditCommand c) { return RowRunning(c); }
const Operation& OperationOf(FilterCommand c) { return RowRunning(c); }
const Operation& OperationOf(DepthCommand c) { return RowRunning(c); }
const Operation& OperationOf(GeometryCommand c) { return RowRunning(c); }

const char* RecordedWord(const Operation& op) {
  if (op.Word()) return op.Word();
  const Operation* as = op.recordsAs ? OperationById(op.recordsAs) : nullptr;
  return as && as->Word() ? as->Word() : "";
}

ApplyResult ApplyOperation(const Operation& op, EditSession& s, const Arguments& a) {
  if (!op.Built()) return ApplyResult::NotBuilt;
  for (int k = 0; k < op.checked; ++k)
    if (a[k] < op.range[k].lo || a[k] > op.range[k].hi) return ApplyResult::Skipped;
  // The command families need a picture; the rows with their own runner look for themselves
  // (the second-image words work on an empty one too).
  if (!std::holds_alternative<WordRunner>(op.run) && s.Picture().Empty()) return ApplyResult::Skipped;
  if (const auto* c = std::get_if<EditCommand>(&op.run)) {
    SetParams(s.engine, a);
    s.tone.Run(*c, ModeOf(*c, a));
  } else if (const auto* f = std::get_if<FilterCommand>(&op.run)) {
    if (!s.filters) return ApplyResult::Unavailable;
    if (*f == F::DePixelate) {
      s.filters->DePixelateWord(a[0]);
    } else {
      SetParams(s.engine, a);
      s.filters->Run(*f);
    }
  } else if (const auto* d = std::get_if<DepthCommand>(&op.run)) {
    s.tone.RunDepth(*d);
  } else if (const auto* g = std::get_if<GeometryCommand>(&op.run)) {
    ApplyGeometryWord(*g, s, a);
  } else if (const auto* w = std::get_if<WordRunner>(&op.run)) {
    const bool needsFilters = *w == ResizeWord || *w == ResizePercent || *w == Downsample;
    if (needsFilters && !s.filters) return ApplyResult::Unavailable;
    (*w)(s, a);
  }
  return ApplyResult::Applied;
}

std::string OperationSignature(const Operation& op) {
  std::string text = op.Word() ? op.Word() : op.id;
  if (op.args == ScriptArgs::Text) return text + "=TEXT";
  if (op.args == ScriptArgs::None) return text;
  text += "=";
  if (op.checked == 0) return text + "n";
  for (int k = 0; k < op.checked; ++k) {
    if (k) text += ",";
    text += std::to_string(op.range[k].lo) + ".." + std::to_string(op.range[k].hi);
  }
  return text;
}

}  // namespace pelira
