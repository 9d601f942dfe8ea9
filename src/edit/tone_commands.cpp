#include "edit/tone_commands.h"

#include <algorithm>
#include <cmath>
#include <new>

#include "edit/edit_host.h"
#include "edit/operations.h"
#include "common/request_flags.h"
#include "engine/color_filters.h"
#include "engine/composites.h"
#include "engine/histogram.h"
#include "engine/tone_tables.h"
#include "image/color_depth.h"
#include "imaging_library/image_ops.h"
#include "platform/ui.h"
#include "edit/picture_state.h"
#include "edit/picture_state.h"

namespace pelira {

namespace {

int R(double v) { return static_cast<int>(RoundHalfEven(v)); }

// The word a command records comes from its row of the operation table.
const char* Word(EditCommand c) { return RecordedWord(OperationOf(c)); }
const char* Word(DepthCommand c) { return RecordedWord(OperationOf(c)); }

SliderSpec S(int min, int max, int start, int page, int line = 1) { return {min, max, start, page, line}; }

TFilterDlgParam Request(int kind, SliderSpec s1, SliderSpec s2 = {}, SliderSpec s3 = {}) {
  TFilterDlgParam r;
  r.kind = kind;
  r.slider = {s1, s2, s3};
  return r;
}

TFilterDlgParam OwnRequest(int kind, std::array<SliderSpec, 3> s, std::array<std::string, 6> labels) {
  TFilterDlgParam r;
  r.kind = kind;
  r.slider = s;
  r.ownLabels = true;
  r.labels = std::move(labels);
  return r;
}

// While an automatic correction runs, the commands it calls act as inside a script: no undo
// copies, no recording. Both marks come back on every way out.
class ScriptMark {
public:
  explicit ScriptMark(bool& flag) : flag_(flag), previous_(flag) { flag_ = true; }
  ~ScriptMark() { flag_ = previous_; }
  ScriptMark(const ScriptMark&) = delete;
  ScriptMark& operator=(const ScriptMark&) = delete;

private:
  bool& flag_;
  bool previous_;
  OperationScope scope_;
};

}  // namespace

const std::vector<EditCommand>& AllEditCommands() {
  static const std::vector<EditCommand> all = [] {
    std::vector<EditCommand> v;
    for (const Operation& op : Operations())
      if (const auto* c = std::get_if<EditCommand>(&op.run)) v.push_back(*c);
    return v;
  }();
  return all;
}

const char* EditCommandName(EditCommand c) { return OperationOf(c).id; }

ToneCommands::ToneCommands(PictureState& state, EngineState& engine, UndoStore& undo, EditHost& host, FilterRequester& ask)
    : state_(state), engine_(engine), undo_(undo), host_(host), ask_(ask) {}

// --- undo ------------------------------------------------------------------------------------

bool ToneCommands::MemoryRunningLow() {
  const std::uint64_t required = RawPictureSize(state_.ImageWidth, state_.ImageHeight, state_.ImageBits);
  bool ok = true;
  if (probe_.canAllocate) {
    ok = probe_.canAllocate(required);
  } else if (required > 0) {
    std::unique_ptr<std::uint8_t[]> buffer(new (std::nothrow) std::uint8_t[required]);
    ok = buffer != nullptr;
  }
  if (!ok) {
    CurrentUi().Message(MessageKind::Warning, LowMemoryText(required, 0), Button::OK);
    return true;
  }
  // The system's available memory stands for the old large-block probe.
  const std::uint64_t actual = probe_.available ? probe_.available() : required;
  if (actual < required) {
    CurrentUi().Message(MessageKind::Warning, LowMemoryText(required, actual), Button::OK);
    return true;
  }
  return false;
}

bool ToneCommands::AutoBackUp() {
  // Inside a script or another operation the copy taken before the run must survive.
  if (Flags().OperationInProgress) {
    host_.StatusReady();
    return true;
  }
  host_.PrepareEdit();
  undo_.Clear();
  host_.EnableUndo(false);
  ShowBusy("Creating backup...");
  bool failed = false;
  if (MemoryRunningLow()) {
    state_.ImageModified = true;
    failed = true;
  } else {
    try {
      undo_.Take(Pic(), state_.ImageBits);
    } catch (...) {
      failed = true;
    }
  }
  if (!failed) {
    host_.EnableUndo(true);
    host_.StatusReady();
    return true;
  }
  Flags().AbortRequest = true;
  undo_.Clear();
  host_.EnableUndo(false);
  engine_.duplicate.Clear();
  engine_.backup.Clear();
  engine_.scratch.Clear();
  host_.SetStatusWord(kStatusError);
  CurrentUi().Message(MessageKind::Error, BackupFailedText(undoErrorText_, state_.ImageModified), Button::OK);
  undoErrorText_.clear();
  if (!MemoryRunningLow()) RecoverBitmap();
  return false;
}

void ToneCommands::RecoverBitmap() {
  // The picture never left memory: it stays, under "Untitled", marked modified, so the
  // file it came from cannot be overwritten by accident.
  Dib kept = std::move(Pic());
  host_.BlankPicture(true);
  host_.SetPicture(std::move(kept));
  host_.PictureChanged();
}

bool ToneCommands::Undo() {
  if (!undo_.Available()) return false;
  host_.SelectHandTool();
  ShowBusy("Loading backup...");
  std::optional<Dib> restored = undo_.Decode();
  const int depth = undo_.Depth();
  undo_.Clear();
  host_.EnableUndo(false);
  if (!restored) {
    host_.StatusReady();
    CurrentUi().Message(MessageKind::Error, kUndoFailedText, Button::OK);
    return false;
  }
  host_.SetPicture(std::move(*restored));
  SyncImageState(state_, Pic());
  state_.ImageBits = static_cast<std::int16_t>(depth);
  MultiPageDisable(state_);
  host_.PictureChanged();
  return true;
}

void ToneCommands::DiscardUndo() {
  undo_.Clear();
  host_.EnableUndo(false);
}

void ToneCommands::ShowMemoryReport(int screenWidth, int screenHeight, int colorDepth, int bookmarks) {
  Flags().AbortRequest = true;
  engine_.duplicate.Clear();
  engine_.backup.Clear();
  engine_.scratch.Clear();
  MemoryReportInput in;
  in.status = ReadMemoryStatus();
  {
    std::unique_ptr<std::uint8_t[]> block(new (std::nothrow) std::uint8_t[kMemoryProbeBlock]);
    in.largestBlock = block ? kMemoryProbeBlock : 0;
  }
  in.system = SystemNameAndVersion();
  in.screenWidth = screenWidth;
  in.screenHeight = screenHeight;
  in.colorDepth = colorDepth;
  in.bookmarks = bookmarks;
  CurrentUi().Message(MessageKind::Information, MemoryReportText(in), Button::OK);
}

// --- common steps ----------------------------------------------------------------------------

void ToneCommands::EnsureTrueColor() {
  if (Pic().Empty() || Pic().BitCount() == 24) {
    state_.ImageBits = Pic().Empty() ? state_.ImageBits : 24;
    return;
  }
  host_.SetPicture(ToTrueColor(Pic()));
  state_.ImageBits = 24;
  if (!scriptRunning_) host_.UpdateCaption();
}

void ToneCommands::ExitFilter() {
  host_.StatusReady();
  state_.ImageModified = true;
  if (!noRepaint_) host_.Refresh();
}

void ToneCommands::ShowBusy(const std::string& text) {
  if (!scriptRunning_ || !Flags().OperationInProgress) host_.ShowBusy(text);
}

bool ToneCommands::Begin() {
  if (scriptRunning_) return true;
  if (!AutoBackUp()) return false;
  EnsureTrueColor();
  return true;
}

void ToneCommands::Cancelled(bool wasModified) {
  // Back to the copy, also undoing a promotion to true colour; the modified flag is the
  // one from before the command.
  if (Undo()) state_.ImageModified = wasModified;
  host_.Refresh();
}

FilterAnswer ToneCommands::Ask(const std::string& title, const std::string& lo, const std::string& hi,
                              const TFilterDlgParam& r) {
  if (scriptRunning_) {
    FilterAnswer a;
    a.values = {engine_.FilterParam1, engine_.FilterParam2, engine_.FilterParam3};
    a.result = a.values[0];
    return a;
  }
  TFilterDlgParam q = r;
  if (!q.histogram && FilterButtonCaption(q.kind) == "Histogram") {
    // The picture stays unmodified while the dialog is open; it is measured apart, so the
    // statistics the command has read stay as they are.
    q.histogram = [this](const std::array<int, 3>&) { return DoCalcHistogram(Pic(), {.saturation = true}).hist; };
  }
  FilterAnswer a = ask_.RunFilterDialog(title, lo, hi, q);
  if (!a.Cancelled()) engine_.FilterValue = a.values[0];
  return a;
}

void ToneCommands::Record(const std::string& word, std::initializer_list<int> args) {
  if (scriptRunning_ || !recorder_ || Flags().OperationInProgress) return;
  recorder_->RecordScriptLine(FormatRecordedLine(word, args));
}

void ToneCommands::Run(EditCommand c, int mode) {
  using E = EditCommand;
  switch (c) {
    case E::AutoGamma: return AutoGamma(mode);
    case E::AutoFlash: return AutoFlash(mode);
    case E::AutoWhite: return AutoWhite(mode);
    case E::Reference: return Reference(mode);
    case E::AutoContrast: case E::AutoLighting: case E::AutoSaturate:
    case E::EnhanceGlobal: case E::EnhanceLighting: case E::EnhanceShadows: case E::EnhanceHighlights:
    case E::EnhanceSaturation: case E::ContrastSuppress:
      return Enhance(c);
    case E::Normalize: case E::EQualize: case E::Optimize:
      return NormalizeFamily(c);
    case E::TuneRGB: case E::MapZero: case E::MapCenter: case E::MapEqualize: case E::MapRed: case E::MapGreen:
    case E::MapBlue: case E::MapLighting: case E::MapSaturation:
      return MapCommand(c);
    case E::LimitAll: case E::LimitRed: case E::LimitGreen: case E::LimitBlue:
      return Limit(c);
    case E::ParametricEqAll: case E::ParametricEqRed: case E::ParametricEqGreen: case E::ParametricEqBlue:
      return ParametricEq(c);
    case E::TuneHLS: case E::ReplaceHlsForeground: case E::ReplaceHlsBackground: case E::ReplaceRgbForeground:
    case E::ReplaceRgbBackground: case E::MaskBackcolors: case E::MaskForecolors: case E::Airbrush:
    case E::NaturalizeCcd: case E::NaturalizeRgb: case E::RgbMaximum: case E::RgbMinimum: case E::RedEye:
      return ColorCommand(c);
    default:
      return Tone(c);
  }
}

// --- tone commands ---------------------------------------------------------------------------

void ToneCommands::Tone(EditCommand c) {
  using E = EditCommand;
  const bool wasModified = state_.ImageModified;
  if (!Begin()) return;
  ToneTables& t = engine_.tables;
  auto three = [&](const std::array<int, 3>& v, bool one) {
    engine_.FilterParam1 = v[0];
    engine_.FilterParam2 = one ? v[0] : v[1];
    engine_.FilterParam3 = one ? v[0] : v[2];
  };
  switch (c) {
    case E::GammaGlobal: case E::GammaRGB: case E::GammaSuppress: case E::GammaSaturation: {
      const bool suppress = c == E::GammaSuppress, sat = c == E::GammaSaturation;
      const int kind = c == E::GammaGlobal ? 101 : c == E::GammaRGB ? 100 : suppress ? 102 : 103;
      const std::string title = std::string(suppress ? "Suppress" : sat ? "Saturation " : "Adjust") + " Gamma (1/100)";
      const FilterPreview apply = [&, sat, suppress, c](Dib& d, const std::array<int, 3>& v) {
        if (sat) {
          engine_.FilterParam3 = scriptRunning_ ? engine_.FilterParam1 : v[0];
          SetStretchLUT(t, 0, 255, kGreen);
          SetGammaLUT(t, engine_.FilterParam3, kBlue);
          SaturationFilter(d, t);
          return;
        }
        three(v, c == E::GammaGlobal && !scriptRunning_);
        SetGammaLUT(t, engine_.FilterParam1, kRed);
        SetGammaLUT(t, engine_.FilterParam2, kGreen);
        SetGammaLUT(t, engine_.FilterParam3, kBlue);
        if (suppress) NegColorFilter(d, t);
        else ColorFilter(d, t);
      };
      TFilterDlgParam r = Request(kind, S(1, 500, 100, 10));
      r.preview = apply;
      const FilterAnswer a = Ask(title, suppress ? "1 (bright)" : sat ? "1 (less)" : "1 (dark)",
                                 suppress ? "500 (dark)" : sat ? "500 (more)" : "500 (bright)", r);
      if (a.Cancelled()) return Cancelled(wasModified);
      ShowBusy("Gamma ...");
      apply(Pic(), a.values);
      if (sat) {
        Record(Word(E::GammaSaturation), {a.values[0]});
      } else {
        Record(Word(suppress ? E::GammaSuppress : E::GammaRGB),
               {engine_.FilterParam1, engine_.FilterParam2, engine_.FilterParam3});
      }
      break;
    }
    case E::BrightnessGlobal: case E::BrightnessRGB: case E::BrightnessShift: case E::BrightnessZero:
    case E::ContrastGlobal: case E::ContrastRGB: {
      const bool contrast = c == E::ContrastGlobal || c == E::ContrastRGB;
      const bool shift = c == E::BrightnessShift || c == E::BrightnessZero;
      const bool one = c == E::BrightnessGlobal || c == E::ContrastGlobal;
      const Histograms hist = DoCalcHistogram(Pic()).hist;
      const std::string words = std::string(contrast ? " Contrast" : " Brightness") + (shift ? " (by Shifting)" : "");
      const int kind = contrast ? (one ? 121 : 120) : c == E::BrightnessGlobal ? 111 : c == E::BrightnessRGB ? 110
                                                                                 : shift && c == E::BrightnessZero ? 113 : 112;
      TFilterDlgParam r = Request(kind, S(-127, 127, 0, 8));
      if (c == E::BrightnessZero) {
        const Histogram* h[3] = {&hist.red, &hist.green, &hist.blue};
        r.ownLabels = true;
        for (int k = 0; k < 3; ++k) {
          r.slider[k] = S(-127, 127, -LowestSignificantLevel(*h[k]), 8);
          r.labels[2 * k] = "-127 (less)";
          r.labels[2 * k + 1] = "+127 (more)";
        }
      }
      const FilterPreview apply = [&, contrast, shift, one](Dib& d, const std::array<int, 3>& values) {
        three(values, one && !scriptRunning_);
        for (int k = 0; k < 3; ++k) {
          const int v = k == 0 ? engine_.FilterParam1 : k == 1 ? engine_.FilterParam2 : engine_.FilterParam3;
          if (contrast) SetContrastLUT(t, v, k);
          else if (shift) SetShiftLUT(t, v, k);
          else SetBrightLUT(t, v, k);
        }
        ColorFilter(d, t);
      };
      r.preview = apply;
      FilterAnswer a = Ask("Adjust" + words, "-127 (less)", "+127 (more)", r);
      if (a.Cancelled()) return Cancelled(wasModified);
      // A script's ZERO measures the picture it runs on.
      if (c == E::BrightnessZero && scriptRunning_)
        for (int k = 0; k < 3; ++k) a.values[k] = r.slider[k].start;
      ShowBusy("Adjusting " + words + " ...");
      apply(Pic(), a.values);
      // ZERO measures again when replayed; values moved off the measured ones replay as
      // the shift they are.
      if (c == E::BrightnessZero && a.values[0] == r.slider[0].start && a.values[1] == r.slider[1].start &&
          a.values[2] == r.slider[2].start)
        Record(Word(E::BrightnessZero));
      else if (c == E::BrightnessZero) Record(Word(E::BrightnessShift), {a.values[0], a.values[1], a.values[2]});
      else Record(Word(contrast ? E::ContrastRGB : shift ? E::BrightnessShift : E::BrightnessRGB),
                  {engine_.FilterParam1, engine_.FilterParam2, engine_.FilterParam3});
      break;
    }
    case E::WhiteBalance: {
      Rgb ref = WhiteMax(Pic());
      // The reference white is measured once, on the whole picture, for preview and edit (a
      // colour picked in the dialog replaces it for both).
      const FilterPreview apply = [&](Dib& d, const std::array<int, 3>& v) {
        if (!scriptRunning_) {
          const int s = v[0];
          engine_.FilterParam1 = (s + 127) * (255 - ref.r) / 255;
          engine_.FilterParam2 = (s + 127) * (255 - ref.g) / 255;
          engine_.FilterParam3 = (s + 127) * (255 - ref.b) / 255;
        }
        SetBrightLUT(t, engine_.FilterParam1, kRed);
        SetBrightLUT(t, engine_.FilterParam2, kGreen);
        SetBrightLUT(t, engine_.FilterParam3, kBlue);
        ColorFilter(d, t);
      };
      TFilterDlgParam r = Request(160, S(-127, 127, engine_.balanceSlider, 8));
      r.preview = apply;
      r.panelColor = MakeColor(ref.r, ref.g, ref.b);
      // A click on the before picture names another reference white.
      r.picked = [&ref](ColorValue c) { ref = {RedOf(c), GreenOf(c), BlueOf(c)}; };
      const FilterAnswer a = Ask("White Balance", "-127 (less)", "+127 (more)", r);
      if (a.Cancelled()) return Cancelled(wasModified);
      if (!scriptRunning_) engine_.balanceSlider = a.values[0];
      ShowBusy("White balance ...");
      apply(Pic(), a.values);
      Record(Word(E::WhiteBalance), {engine_.FilterParam1, engine_.FilterParam2, engine_.FilterParam3});
      break;
    }
    case E::AutoBalance: {
      const Rgb ref = WhiteMax(Pic());
      ShowBusy("Busy...");
      SetBrightLUTex(t, 255 - ref.r, kRed);
      BalanceFilter(Pic(), t);
      Record(Word(E::AutoBalance));
      break;
    }
    case E::UnWash: MultiplyRGB(Pic()); Record(Word(c)); break;
    case E::UnCook: UnWashMore(Pic()); Record(Word(c)); break;
    case E::Attenuate: MultiplyLuminance(Pic()); Record(Word(c)); break;
    case E::Negative:
      Negative(Pic());
      Record(Word(E::Negative));
      host_.PictureChanged();
      host_.Refresh();
      return;
    default: return;
  }
  ExitFilter();
}

// --- Enhance, Suppress and the Auto entries --------------------------------------------------

void ToneCommands::AutoContrastPass() {
  const LevelRange r = SignificantRange(DoCalcHistogram(Pic()).hist.lightness, false);
  engine_.FilterParam1 = r.lo;
  engine_.FilterParam2 = r.hi;
  for (int k = 0; k < 3; ++k) SetStretchLUT(engine_.tables, r.lo, r.hi, k);
  ColorFilter(Pic(), engine_.tables);
}

void ToneCommands::Enhance(EditCommand c) {
  using E = EditCommand;
  const bool wasModified = state_.ImageModified;
  if (!Begin()) return;
  const bool sat = c == E::EnhanceSaturation || c == E::AutoSaturate;
  HistogramResult measured;
  if (sat) {
    ResetMaps(engine_.tables);
    measured = DoCalcHistogram(Pic(), {.saturation = true, .stats = true});
  } else {
    measured = DoCalcHistogram(Pic());
  }
  const LevelRange range = SignificantRange(sat ? measured.hist.saturation : measured.hist.lightness, sat);
  const bool automatic = c == E::AutoContrast || c == E::AutoLighting || c == E::AutoSaturate;
  ToneTables& t = engine_.tables;
  const FilterPreview apply = [&, c](Dib& d, const std::array<int, 3>& v) {
    engine_.FilterParam1 = v[0];
    engine_.FilterParam2 = v[1];
    engine_.FilterParam3 = v[2];
    switch (c) {
      case E::EnhanceGlobal: case E::AutoContrast:
        for (int k = 0; k < 3; ++k) SetStretchLUT(t, v[0], v[1], k);
        ColorFilter(d, t);
        break;
      case E::EnhanceShadows:
        for (int k = 0; k < 3; ++k) SetStretchLUT(t, v[k], 255, k);
        ColorFilter(d, t);
        break;
      case E::EnhanceHighlights:
        for (int k = 0; k < 3; ++k) SetStretchLUT(t, 0, v[k], k);
        ColorFilter(d, t);
        break;
      case E::EnhanceLighting: case E::AutoLighting:
        SetStretchLUT(t, v[0], v[1], kGreen);
        LuminanceFilter(d, t);
        break;
      case E::ContrastSuppress:
        for (int k = 0; k < 3; ++k) SetSupressLUT(t, v[0], v[1], k);
        ColorFilter(d, t);
        break;
      default:  // Saturation, AutoSaturate
        SetStretchLUT(t, v[0], v[1], kGreen);
        SetGammaLUT(t, 100, kBlue);
        SaturationFilter(d, t);
    }
  };
  std::array<int, 3> v{range.lo, range.hi, 0};
  if (!automatic) {
    const std::array<std::string, 6> two = {"0 (less)", "255 (more)", "0 (more)", "255 (less)", "", ""};
    TFilterDlgParam r;
    std::string title;
    switch (c) {
      case E::EnhanceShadows:
        r = Request(131, S(0, 255, range.lo, 8));
        title = "Enhance Shadows (RGB)";
        break;
      case E::EnhanceHighlights:
        r = Request(132, S(0, 255, range.hi, 8));
        title = "Enhance Highlights (RGB)";
        break;
      default: {
        const int kind = c == E::EnhanceGlobal ? 130 : c == E::EnhanceLighting ? 133 : c == E::ContrastSuppress ? 134 : 135;
        r = OwnRequest(kind, {S(0, 255, range.lo, 8), S(0, 255, range.hi, 8), SliderSpec{}}, two);
        title = c == E::ContrastSuppress ? "Supress Shadows/Highlights"
                                         : std::string("Enhance Shadows/Highlights") +
                                               (c == E::EnhanceGlobal ? " (Global)" : c == E::EnhanceLighting ? " (Lighting)" : " (Saturation)");
      }
    }
    r.preview = apply;
    const bool highlights = c == E::EnhanceHighlights;
    const FilterAnswer a = Ask(title, highlights ? "0 (more)" : "0 (less)", highlights ? "255 (less)" : "255 (more)", r);
    if (a.Cancelled()) return Cancelled(wasModified);
    v = a.values;
  }
  // Scripts recompute the range from the picture they run on, as the menu does.
  ShowBusy("Enhancing ...");
  apply(Pic(), v);
  switch (c) {
    case E::EnhanceGlobal: Record(Word(c), {v[0], v[1]}); break;
    case E::AutoContrast: Record(Word(c)); break;
    case E::EnhanceShadows: Record(Word(c), {v[0], v[1], v[2]}); break;
    case E::EnhanceHighlights: Record(Word(c), {v[0], v[1], v[2]}); break;
    case E::EnhanceLighting: Record(Word(c), {v[0], v[1]}); break;
    case E::AutoLighting: Record(Word(c)); break;
    case E::ContrastSuppress: Record(Word(c), {v[0], v[1]}); break;
    case E::AutoSaturate: Record(Word(c)); break;
    default: Record(Word(c), {v[0], v[1]});
  }
  ExitFilter();
}

// --- Normalize, EQualize, Optimize -----------------------------------------------------------

void ToneCommands::OptimizePass() {
  ResetMaps(engine_.tables);
  const ChannelStats st = DoCalcHistogram(Pic(), {.stats = true}).stats;
  const ChannelSum* sums[3] = {&st.red, &st.green, &st.blue};
  for (int k = 0; k < 3; ++k) {
    const NormTarget n = OptimizeTarget(st.Mean(*sums[k]), st.Deviation(*sums[k]));
    DoNormalize(Pic(), st, k, n.mean, n.deviation);
  }
}

void ToneCommands::NormalizeFamily(EditCommand c) {
  using E = EditCommand;
  if (!Begin()) return;
  ShowBusy("Busy...");
  if (c == E::Optimize) {
    OptimizePass();
    Record(Word(E::Optimize));
  } else {
    ResetMaps(engine_.tables);
    const ChannelStats st = DoCalcHistogram(Pic(), {.saturation = c == E::Normalize, .stats = true}).stats;
    int mean = 128, deviation = 127;
    if (c == E::Normalize) {
      mean = R(st.Mean(st.brightest));
      deviation = R(st.Deviation(st.brightest));
    }
    for (int k = 0; k < 3; ++k) DoNormalize(Pic(), st, k, mean, deviation);
    // Recorded after the edit, so a failed one leaves no line behind.
    Record(Word(c));
  }
  ExitFilter();
}

// --- Map menu and Tune › RGB -----------------------------------------------------------------

void ToneCommands::MapCommand(EditCommand c) {
  using E = EditCommand;
  const bool wasModified = state_.ImageModified;
  if (!Begin()) return;
  if (c == E::MapZero || c == E::MapCenter) {
    const Histograms hist = DoCalcHistogram(Pic()).hist;
    ShowBusy("Remapping ...");
    if (c == E::MapZero) {
      engine_.tables = BuildZeroMaps(hist);
    } else {
      ResetMaps(engine_.tables);
      const Shifts s = CenterShifts(hist);
      for (int k = 0; k < 3; ++k) SetShiftLUT(engine_.tables, s.s[k], k);
    }
    ColorFilter(Pic(), engine_.tables);
    Record(Word(c));
    return ExitFilter();
  }
  ResetMaps(engine_.tables);
  const ChannelStats st = DoCalcHistogram(Pic(), {.saturation = true, .stats = true}).stats;
  int channel = 0, kind = 410;
  std::string which = "(Equalize)";
  const ChannelSum* startSum = &st.brightest;
  switch (c) {
    case E::MapRed: channel = kRed; kind = 411; which = "(Red)"; startSum = &st.red; break;
    case E::MapGreen: channel = kGreen; kind = 412; which = "(Green)"; startSum = &st.green; break;
    case E::MapBlue: channel = kBlue; kind = 413; which = "(Blue)"; startSum = &st.blue; break;
    case E::MapSaturation: channel = kSaturationChannel; kind = 414; which = "(Saturation)"; startSum = &st.saturation; break;
    case E::MapLighting: channel = kLightnessChannel; kind = 415; which = "(Lighting)"; startSum = &st.lightness; break;
    case E::TuneRGB: kind = 416; break;
    default: break;
  }
  const bool tune = c == E::TuneRGB;
  const int start1 = tune ? 128 : R(st.Mean(*startSum));
  const int start2 = tune ? 64 : R(st.Deviation(*startSum));
  // The remap reads the whole picture's statistics, measured above; the preview window's
  // own statistics would remap differently.
  const FilterPreview apply = [&, tune, channel, c](Dib& d, const std::array<int, 3>& v) {
    if (tune) {
      const int d1 = scriptRunning_ ? v[0] : v[0] - 128;
      const int d2 = scriptRunning_ ? v[1] : v[1] - 64;
      // Sliders at their start are no change at all (the rounded statistics alone would
      // move levels by one).
      if (d1 == 0 && d2 == 0) return;
      const ChannelSum* sums[3] = {&st.red, &st.green, &st.blue};
      for (int k = 0; k < 3; ++k) DoNormalize(d, st, k, R(st.Mean(*sums[k])) + d1, R(st.Deviation(*sums[k])) + d2);
      return;
    }
    if (c == E::MapEqualize) {
      for (int k = 0; k < 3; ++k) DoNormalize(d, st, k, v[0], v[1]);
    } else {
      DoNormalize(d, st, channel, v[0], v[1]);
    }
  };
  TFilterDlgParam r = OwnRequest(kind, {S(8, 240, start1, 8), S(3, 127, start2, 8), SliderSpec{}},
                                 {"8 (min)", "240 (max)", "3 (min)", "127 (max)", "", ""});
  r.preview = apply;
  FilterAnswer a = Ask(tune ? "Tune RGB color map" : "Normalize Map " + which, "", "", r);
  if (a.Cancelled()) return Cancelled(wasModified);
  // A script's channel maps are offsets from the picture it runs on, as they were recorded.
  if (scriptRunning_ && !tune && c != E::MapEqualize) {
    a.values[0] += start1;
    a.values[1] += start2;
  }
  ShowBusy("Remapping ...");
  apply(Pic(), a.values);
  if (tune) {
    const int d1 = scriptRunning_ ? a.values[0] : a.values[0] - 128;
    const int d2 = scriptRunning_ ? a.values[1] : a.values[1] - 64;
    Record(Word(E::TuneRGB), {d1, d2});
  } else {
    if (c == E::MapEqualize) {
      Record(Word(E::MapEqualize), {a.values[0], a.values[1]});
    } else {
      Record(Word(c), {a.values[0] - start1, a.values[1] - start2});
    }
  }
  ExitFilter();
}

std::vector<std::string> ToneCommands::RgbInfoLines() {
  const ChannelStats st = DoCalcHistogram(Pic(), {.saturation = true, .stats = true}).stats;
  auto md = [&](const ChannelSum& c) { return std::to_string(R(st.Mean(c))) + "," + std::to_string(R(st.Deviation(c))); };
  const std::string dashes(30, '-');
  return {dashes,
          ">CONFORM_RED=" + md(st.red),
          ">CONFORM_GRN=" + md(st.green),
          ">CONFORM_BLU=" + md(st.blue),
          ">CONFORM_LIT=" + md(st.lightness),
          ">CONFORM_GAMMA_RGB=" + std::to_string(R(st.Mean(st.red))) + "," + std::to_string(R(st.Mean(st.green))) + "," +
              std::to_string(R(st.Mean(st.blue))),
          ">CONFORM_GAMMA=" + std::to_string(R(st.Mean(st.lightness))),
          dashes};
}

void ToneCommands::AppendRgbInfo() {
  const auto lines = RgbInfoLines();
  if (recorder_) {
    recorder_->AppendLines(lines);
    return;
  }
  // Until the batch editor takes them, the lines are shown.
  std::string text;
  for (const std::string& l : lines) text += l + "\n";
  CurrentUi().Message(MessageKind::Information, text, Button::OK);
}

void ToneCommands::ShowHistogram(const std::string& fileName) {
  // A read-only view: a palette picture is measured through a true-colour copy, so neither
  // its depth nor its modified flag changes.
  Histograms hist;
  if (Pic().BitCount() == 24) {
    hist = DoCalcHistogram(Pic(), {.saturation = true}).hist;
  } else {
    hist = DoCalcHistogram(ToTrueColor(Pic()), {.saturation = true}).hist;
  }
  host_.ShowHistogram("Histogram [" + fileName + "]", hist);
}

// --- colour depth ----------------------------------------------------------------------------

void ToneCommands::RunDepth(DepthCommand c) {
  using D = DepthCommand;
  if (Pic().Empty()) return;
  int method = 1;
  DepthTarget target = DepthTarget::Colors256;
  const bool dithered = c == D::Reduce256Dither || c == D::Reduce256Grays || c == D::Reduce16Dither || c == D::ReduceBW;
  if (dithered && !scriptRunning_) {
    SliderRequest r;
    r.min = 1;
    r.max = 2;
    r.start = 1;
    r.page = 1;
    method = sliders_ ? sliders_->RunSliderDialog("Color reduction method", "Standard", "Optimal", r) : 1;
    if (method == kDialogCancelled) return;
  }
  // Every depth change can be undone, the gray conversion included.
  if (!scriptRunning_ && !AutoBackUp()) return;
  try {
    switch (c) {
      case D::TrueGrayscale:
        host_.SetPicture(TrueGrayscale(Pic()));
        Record(Word(D::TrueGrayscale));
        break;
      case D::Reduce256Poster:
      case D::Reduce16Poster: {
        const int bits = c == D::Reduce16Poster ? 4 : 8;
        ShowBusy("Converting...");
        host_.SetPicture(Posterize(Pic(), bits));
        Record(Word(c));
        break;
      }
      case D::Promote24:
      case D::Promote8:
      case D::Promote4: {
        const int bits = c == D::Promote24 ? 24 : c == D::Promote8 ? 8 : 4;
        ShowBusy("Promoting...");
        host_.SetPicture(Promote(Pic(), bits));
        if (bits == 24) Record(Word(c));
        break;
      }
      default:
        target = c == D::Reduce256Grays ? DepthTarget::Grays256 : c == D::Reduce16Dither ? DepthTarget::Colors16
                 : c == D::ReduceBW ? DepthTarget::BlackWhite : DepthTarget::Colors256;
        ShowBusy("Converting...");
        host_.SetPicture(ReduceDepth(Pic(), target, method));
    }
  } catch (const EVistrelError& e) {
    host_.StatusReady();
    CurrentUi().Message(MessageKind::Error, e.what(), Button::OK);
    return;
  }
  SyncImageState(state_, Pic());
  host_.PictureChanged();
}

// --- Limit and Parametric EQ -----------------------------------------------------------------

void ToneCommands::Limit(EditCommand c) {
  using E = EditCommand;
  const bool wasModified = state_.ImageModified;
  if (!Begin()) return;
  ResetMaps(engine_.tables);
  const int kind = c == E::LimitAll ? 400 : c == E::LimitRed ? 401 : c == E::LimitGreen ? 402 : 403;
  const char* which = c == E::LimitAll ? "(All)" : c == E::LimitRed ? "(Red)" : c == E::LimitGreen ? "(Green)" : "(Blue)";
  const int first = c == E::LimitAll ? 0 : kind - 401, last = c == E::LimitAll ? 2 : first;
  const FilterPreview apply = [&, first, last](Dib& d, const std::array<int, 3>& v) {
    engine_.FilterParam1 = v[0];
    engine_.FilterParam2 = v[1];
    engine_.FilterParam3 = v[2];
    // One table for both halves, applied once: the shadows are remapped a single time.
    ResetMaps(engine_.tables);
    bool any = false;
    if (v[1] - v[0] > 3) {
      for (int k = first; k <= last; ++k) SetLoRemap(engine_.tables, v[0], v[1], k);
      any = true;
    }
    if (v[2] - v[1] > 3) {
      for (int k = first; k <= last; ++k) SetHiRemap(engine_.tables, v[2], v[1], k);
      any = true;
    }
    if (any) ColorFilter(d, engine_.tables);
  };
  TFilterDlgParam r = OwnRequest(kind, {S(0, 255, 0, 8), S(0, 255, 128, 8), S(0, 255, 255, 8)},
                                 {"0 (less)", "255 (more)", "0 (low)", "255 (high)", "0 (more)", "255 (less)"});
  r.preview = apply;
  const FilterAnswer a = Ask(std::string("Limit Intensities ") + which, "", "", r);
  if (a.Cancelled()) return Cancelled(wasModified);
  ShowBusy("Limiting ...");
  apply(Pic(), a.values);
  Record(Word(c), {a.values[0], a.values[1], a.values[2]});
  ExitFilter();
}

void ToneCommands::ParametricEq(EditCommand c) {
  using E = EditCommand;
  const bool wasModified = state_.ImageModified;
  if (!Begin()) return;
  const int kind = c == E::ParametricEqAll ? 140 : c == E::ParametricEqRed ? 141 : c == E::ParametricEqGreen ? 142 : 143;
  const char* which = c == E::ParametricEqAll ? "[All channels]" : c == E::ParametricEqRed ? "[Red channel]"
                      : c == E::ParametricEqGreen ? "[Green channel]" : "[Blue channel]";
  const int first = c == E::ParametricEqAll ? 0 : kind - 141, last = c == E::ParametricEqAll ? 2 : first;
  auto build = [first, last](ToneTables& t, const std::array<int, 3>& v) {
    SetEqLUT(t, v[0], v[1], 0, 0);
    for (int k = first; k <= last; ++k) SetEqLUT(t, v[0], v[1], k, v[2]);
  };
  const FilterPreview apply = [&](Dib& d, const std::array<int, 3>& v) {
    engine_.FilterParam1 = v[0];
    engine_.FilterParam2 = v[1];
    engine_.FilterParam3 = v[2];
    build(engine_.tables, v);
    ColorFilter(d, engine_.tables);
  };
  TFilterDlgParam r = OwnRequest(kind, {S(0, 255, 127, 8), S(7, 127, 63, 8), S(-127, 127, 0, 8)},
                                 {"0 (dark)", "255 (bright)", "7 (narrow)", "127 (wide)", "-127 (cut)", "+127 (boost)"});
  r.preview = apply;
  // The curve the sliders give: the three tables drawn as the red, green and blue bars.
  r.histogram = [&](const std::array<int, 3>& v) {
    ToneTables t = engine_.tables;
    build(t, v);
    Histograms h;
    for (int i = 0; i < 256; ++i) {
      h.red[i] = t.red[i];
      h.green[i] = t.green[i];
      h.blue[i] = t.blue[i];
      h.lightness[i] = i;
    }
    h.peak = 255;
    return h;
  };
  const FilterAnswer a = Ask(std::string("Parametric Equalizer ") + which, "", "", r);
  if (a.Cancelled()) return Cancelled(wasModified);
  ShowBusy("Parametric EQ ...");
  apply(Pic(), a.values);
  Record(Word(c), {a.values[0], a.values[1], a.values[2]});
  ExitFilter();
}

// --- AutoGamma, AutoFlash, AutoWhite, Reference ----------------------------------------------

void ToneCommands::AutoGamma(int mode) {
  if (!Begin()) return;
  Record(Word(EditCommand::AutoGamma), {mode});
  {
    ScriptMark mark(scriptRunning_);
    host_.ShowBusy("Busy...");
    ResetMaps(engine_.tables);
    const ChannelStats mid = DoCalcMidtones(Pic()).stats;
    const double mu = mid.Mean(mid.brightest);
    const double sigma = mid.Deviation(mid.brightest);
    SetGammaLUT(engine_.tables, AutoGammaValue(mu, sigma), kGreen);
    BalanceGammaFilter(Pic(), engine_.tables);
    if (mode != 1) {
      PreservedDuplicate keep(engine_.duplicate);
      engine_.duplicate = Pic();
      AutoContrastPass();
      Maximum(Pic(), engine_.duplicate);
    }
  }
  ExitFilter();
}

void ToneCommands::AutoFlash(int mode) {
  if (!Begin()) return;
  Record(Word(EditCommand::AutoFlash), {mode});
  {
    ScriptMark mark(scriptRunning_);
    host_.ShowBusy("Busy...");
    PreservedDuplicate keep(engine_.duplicate);
    engine_.duplicate = Pic();
    ResetMaps(engine_.tables);
    const ChannelStats before = DoCalcMidtones(Pic()).stats;
    const int c = R(before.Mean(before.brightest));
    if (mode == 1) {
      OptimizePass();
      ResetMaps(engine_.tables);
      const ChannelStats optimised = DoCalcMidtones(Pic()).stats;
      const int target = std::min(255, R(optimised.Mean(optimised.brightest)));
      SwapWithDuplicate(Pic(), engine_.duplicate);
      if (c < target) DoConformGamma(Pic(), target);
    } else {
      const Rgb ref = WhiteMax(Pic());
      ResetMaps(engine_.tables);
      const ChannelStats mid = DoCalcMidtones(Pic()).stats;
      const int target = std::min(255, LumaY(ref.r, ref.g, ref.b) + R(mid.Mean(mid.brightest)));
      SwapWithDuplicate(Pic(), engine_.duplicate);
      if (c < target) DoConformGamma(Pic(), target);
      SwapWithDuplicate(Pic(), engine_.duplicate);
      AutoContrastPass();
      AverageBitmap(Pic(), engine_.duplicate, 50);
    }
  }
  ExitFilter();
}

void ToneCommands::AutoWhite(int mode) {
  if (!Begin()) return;
  Record(Word(EditCommand::AutoWhite), {mode});
  {
    ScriptMark mark(scriptRunning_);
    host_.ShowBusy("Busy...");
    PreservedDuplicate keep(engine_.duplicate);
    engine_.duplicate = Pic();
    const Rgb ref = WhiteMax(Pic());
    SetBrightLUT(engine_.tables, 127 - ref.r / 2, kRed);
    SetBrightLUT(engine_.tables, 127 - ref.g / 2, kGreen);
    SetBrightLUT(engine_.tables, 127 - ref.b / 2, kBlue);
    ColorFilter(Pic(), engine_.tables);
    if (mode == 0 || mode == 2) {
      ResetMaps(engine_.tables);
      const ChannelStats st = DoCalcHistogram(Pic(), {.stats = true}).stats;
      DoConformGammaRGB(Pic(), R(st.Mean(st.red)), R(st.Mean(st.green)), R(st.Mean(st.blue)));
    }
    if (mode == 0) {
      SwapWithDuplicate(Pic(), engine_.duplicate);
      CompositeMask(Pic(), engine_.duplicate, 110, 99, false);
    }
  }
  ExitFilter();
}

void ToneCommands::Reference(int mode) {
  if (!Begin()) return;
  Record(Word(EditCommand::Reference), {mode});
  {
    ScriptMark mark(scriptRunning_);
    host_.ShowBusy("Busy...");
    ResetMaps(engine_.tables);
    const ChannelStats st = DoCalcHistogram(Pic(), {.saturation = mode == 1, .stats = true}).stats;
    const ChannelSum& c = mode == 1 ? st.saturation : st.lightness;
    for (int k = 0; k < 3; ++k) DoNormalize(Pic(), st, k, R(st.Mean(c)), R(st.Deviation(c)));
  }
  ExitFilter();
}

}  // namespace pelira
