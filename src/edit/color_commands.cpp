// The colour commands of the tone family: Colors › Tune › HLS, Colors › Threshold, Image ›
// Compute › Mask Backcolors and Forecolors, Image › Smooth › Airbrush, Colors › Gray shades and
// Colors › Red Eye. As everywhere in ToneCommands: one edit serves the preview, the menu
// command and the replayed line, so what the dialog showed is what is applied and recorded.
#include <algorithm>

#include "edit/operations.h"
#include "edit/tone_commands.h"
#include "engine/color_select.h"
#include "engine/composites.h"
#include "engine/gray_shades.h"
#include "engine/hls_tune.h"
#include "platform/ui.h"

namespace pelira {

const char* const kComputeCheckText = "Source and duplicate bitmaps must have\nsame dimensions and 24-bit color depth.";

namespace {

const char* Word(EditCommand c) { return RecordedWord(OperationOf(c)); }

SliderSpec S(int min, int max, int start, int page, int line = 1) { return {min, max, start, page, line}; }

TFilterDlgParam OwnRequest(int kind, std::array<SliderSpec, 3> s, std::array<std::string, 6> labels) {
  TFilterDlgParam r;
  r.kind = kind;
  r.slider = s;
  r.ownLabels = true;
  r.labels = std::move(labels);
  return r;
}

// The menu's saturation slider spans the whole HLS range.
int SaturationChange(int slider) { return slider * kHlsMax / 999; }

}  // namespace

void ToneCommands::ColorCommand(EditCommand c) {
  using E = EditCommand;
  switch (c) {
    case E::TuneHLS: return HlsTune();
    case E::ReplaceRgbForeground: case E::ReplaceRgbBackground: return RgbSelection(c);
    case E::NaturalizeCcd: case E::NaturalizeRgb: return Naturalize(c);
    case E::RedEye: return RedEyeCommand();
    case E::RgbMaximum: case E::RgbMinimum:
      if (!Begin()) return;
      ShowBusy(kStatusBusy);
      RgbExtremeGray(Pic(), c == E::RgbMaximum);
      Record(Word(c));
      return ExitFilter();
    default: return HlsSelectionCommand(c);
  }
}

// Hue shift = slider 1, lightness = slider 2, saturation = slider 3 scaled to 3600; the line
// keeps the sliders in that order, and a replay reads them the same way.
void ToneCommands::HlsTune() {
  const bool wasModified = state_.ImageModified;
  if (!Begin()) return;
  const FilterPreview apply = [](Dib& d, const std::array<int, 3>& v) {
    ColorTuneHLS(d, v[0], SaturationChange(v[2]), v[1]);
  };
  const SliderSpec s = S(-999, 999, 0, 10);
  TFilterDlgParam r = OwnRequest(150, {s, s, s},
                                 {"-999 (mag)", "+999 (yel)", "-999 (less)", "+999 (more)", "-999 (less)", "+999 (more)"});
  r.preview = apply;
  const FilterAnswer a = Ask("Adjust Hue-Luminance-Saturation", "-999 (mag)", "+999 (yel)", r);
  if (a.Cancelled()) return Cancelled(wasModified);
  ShowBusy("Adjusting HLS ...");
  apply(Pic(), a.values);
  Record(Word(EditCommand::TuneHLS), {a.values[0], a.values[1], a.values[2]});
  ExitFilter();
}

void ToneCommands::HlsSelectionCommand(EditCommand c) {
  using E = EditCommand;
  const bool mask = c == E::MaskBackcolors || c == E::MaskForecolors;
  if (mask && !Ok2Compute(Pic(), engine_.duplicate)) {
    if (!scriptRunning_) CurrentUi().Message(MessageKind::Warning, kComputeCheckText, Button::OK);
    return;
  }
  const bool wasModified = state_.ImageModified;
  if (!Begin()) return;
  int kind = 155;
  std::string title = "Airbrush Color Selection";
  switch (c) {
    case E::MaskBackcolors: kind = 151; title = "Mask Background Color Selection"; break;
    case E::MaskForecolors: kind = 152; title = "Mask Foreground Color Selection"; break;
    case E::ReplaceHlsBackground: kind = 153; title = "Replace Background Color Selection"; break;
    case E::ReplaceHlsForeground: kind = 154; title = "Replace Foreground Color Selection"; break;
    default: break;
  }
  // The menu's sliders are the half-widths around the colour base; a script's values are
  // packed and bring their own centres.
  auto selection = [this](const std::array<int, 3>& v) -> std::optional<HlsSelection> {
    if (scriptRunning_) return UnpackSelection(v[0], v[1], v[2]);
    const int* centre = engine_.SelectionCentre;
    return HlsSelection{centre[0], centre[1], centre[2], v[0], v[1], v[2]};
  };
  // The edit itself; preview: the thresholds keep the unselected colours.
  auto edit = [c](Dib& d, const Dib* second, const HlsSelection& s, bool preview) {
    switch (c) {
      case E::MaskBackcolors: DoColorMask(d, *second, s, 1); break;
      case E::MaskForecolors: DoColorMask(d, *second, s, 0); break;
      case E::ReplaceHlsBackground: MaskColors(d, s, true, false, !preview); break;
      case E::ReplaceHlsForeground: MaskColors(d, s, false, false, !preview); break;
      default: AirBrush(d, s);
    }
  };
  const SliderSpec h = S(0, kSelectionHalfMax, 120, 60), l = S(0, kSelectionHalfMax, 1200, 60),
                   sat = S(0, kSelectionHalfMax, 1500, 60);
  TFilterDlgParam r = OwnRequest(kind, {h, l, sat}, {"0", "1800", "0", "1800", "0", "1800"});
  r.panelColor = kSilverPanel;
  r.picked = [this](ColorValue col) {
    const Hls base = RGBToHLS(RedOf(col), GreenOf(col), BlueOf(col));
    engine_.SelectionCentre[0] = base.h;
    engine_.SelectionCentre[1] = base.l;
    engine_.SelectionCentre[2] = base.s;
  };
  if (mask) {
    r.second = &engine_.duplicate;
    // Copies, not references: a request may outlive this call (a dialog kept for later).
    r.previewWithSecond = [selection, edit](Dib& d, const Dib& second, const std::array<int, 3>& v) {
      if (const auto s = selection(v)) edit(d, &second, *s, true);
    };
  } else {
    r.preview = [selection, edit](Dib& d, const std::array<int, 3>& v) {
      if (const auto s = selection(v)) edit(d, nullptr, *s, true);
    };
  }
  if (kind != 153 && kind != 154) {
    const bool outside = c == E::MaskBackcolors, posterize = c == E::Airbrush;
    r.maskPreview = [selection, outside, posterize](Dib& d, const std::array<int, 3>& v) {
      if (const auto s = selection(v)) MaskColors(d, *s, outside, posterize, false);
    };
  }
  const FilterAnswer a = Ask(title, "0", "1800", r);
  if (a.Cancelled()) return Cancelled(wasModified);
  const std::optional<HlsSelection> s = selection(a.values);
  if (!s) return;  // a line whose values no selection dialog made
  ShowBusy(kStatusBusy);
  edit(Pic(), &engine_.duplicate, *s, false);
  engine_.SelectionCentre[0] = s->h0;
  engine_.SelectionCentre[1] = s->l0;
  engine_.SelectionCentre[2] = s->s0;
  engine_.FilterParam1 = s->dh;
  engine_.FilterParam2 = s->dl;
  engine_.FilterParam3 = s->ds;
  Record(Word(c), {s->PackedHue(), s->PackedLightness(), s->PackedSaturation()});
  ExitFilter();
}

void ToneCommands::RgbSelection(EditCommand c) {
  const bool foreground = c == EditCommand::ReplaceRgbForeground;
  const bool wasModified = state_.ImageModified;
  if (!Begin()) return;
  const FilterPreview apply = [foreground](Dib& d, const std::array<int, 3>& v) {
    MaskRGB(d, v[0], v[1], v[2], foreground);
  };
  TFilterDlgParam r;
  r.kind = foreground ? 156 : 157;
  r.slider = {S(0, 255, 127, 1), S(0, 255, 127, 1), S(0, 255, 127, 1)};
  r.panelColor = kSilverPanel;
  r.preview = apply;
  const FilterAnswer a =
      Ask(std::string("Replace RGB color selection as ") + (foreground ? "foreground" : "background"), "", "", r);
  if (a.Cancelled()) return Cancelled(wasModified);
  ShowBusy(kStatusBusy);
  apply(Pic(), a.values);
  Record(Word(c), {a.values[0], a.values[1], a.values[2]});
  ExitFilter();
}

void ToneCommands::Naturalize(EditCommand c) {
  const bool ccd = c == EditCommand::NaturalizeCcd;
  const bool wasModified = state_.ImageModified;
  if (!Begin()) return;
  const FilterPreview apply = [ccd](Dib& d, const std::array<int, 3>& v) { DoFilmNoir(d, v[0], ccd, v[1]); };
  TFilterDlgParam r = OwnRequest(ccd ? 243 : 242,
                                 {S(0, 255, engine_.naturalize, 16), S(0, 255, engine_.naturalizeEffect, 16), SliderSpec{}},
                                 {"0 (dark)", "255 (light)", "0 (weak)", "255 (strong)", "", ""});
  r.preview = apply;
  const FilterAnswer a = Ask(std::string("Set Film noir (") + (ccd ? "CCD" : "RGB") + " minmax) effect to", "0 (dark)",
                             "255 (light)", r);
  if (a.Cancelled()) return Cancelled(wasModified);
  if (!scriptRunning_) {
    engine_.naturalize = a.values[0];
    engine_.naturalizeEffect = a.values[1];
  }
  ShowBusy("Adjusting gray scale ...");
  apply(Pic(), a.values);
  Record(Word(c), {a.values[0], a.values[1]});
  ExitFilter();
}

// The last mask rectangle; without one, or outside the picture, nothing happens.
void ToneCommands::RedEyeCommand() {
  const SelectionBounds b = state_.LastRegion;
  const int left = std::max(b.left, 0), top = std::max(b.top, 0);
  const int right = std::min(b.right, Pic().Width()), bottom = std::min(b.bottom, Pic().Height());
  if (Pic().Empty() || left >= right || top >= bottom) return;
  if (!Begin()) return;
  ShowBusy(kStatusBusy);
  RedEye(Pic(), left, top, right, bottom);
  ExitFilter();
}

}  // namespace pelira
