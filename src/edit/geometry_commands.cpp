#include "edit/geometry_commands.h"

#include <algorithm>
#include <cmath>
#include <ctime>
#include <exception>
#include <filesystem>

#include "common/request_flags.h"
#include "display/fit_size.h"
#include "edit/operations.h"
#include "edit/tone_commands.h"
#include "engine/resample.h"
#include "imaging_library/image_ops.h"
#include "platform/ui.h"

namespace pelira {

namespace {

using G = GeometryCommand;

std::string CLibraryDate() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  char text[64] = {};
  std::strftime(text, sizeof text, "%x", &local);
  return text;
}

std::optional<std::string> FileStem(const std::string& path) {
  if (path.empty() || path == kUntitled) return std::nullopt;
  return std::filesystem::path(path).stem().string();
}

int Corner(GeometryCommand c) {
  switch (c) {
    case G::TextMarkTopRight: return 1;
    case G::TextMarkBottomLeft: return 2;
    case G::TextMarkBottomRight: return 3;
    default: return 0;
  }
}

const char* TextMarkWord(int corner) {
  static const char* const words[] = {"TEXTMARK_TOPLEFT", "TEXTMARK_TOPRIGHT", "TEXTMARK_BOTTOMLEFT",
                                      "TEXTMARK_BOTTOMRIGHT"};
  return words[corner & 3];
}

// A rotation by the library's angle; the picture is replaced only when it worked.
bool RotateInPlace(Dib& pic, int libraryAngle, ColorValue fill) {
  try {
    Dib out = Rotate(pic, libraryAngle, fill);
    pic = std::move(out);
    return true;
  } catch (const std::exception&) {
    return false;
  }
}

}  // namespace

bool InterpolateResize(Dib& pic, int width, int height, int copyOperation) {
  if (pic.Empty()) return false;
  if (pic.BitCount() >= 8) return Resample(pic, width, height) == ResampleResult::Done;
  width = ClampResampleSide(width);
  height = ClampResampleSide(height);
  const int w0 = pic.Width(), h0 = pic.Height();
  if (width == w0 && height == h0) return false;
  const int option = pic.BitCount() == 1 && (copyOperation == 1 || copyOperation == 2) ? copyOperation : 4;
  try {
    const TRect all{0, 0, w0, h0};
    Dib out;
    if (height == h0 && width < w0) {
      const Dib mid = ScaledCopy(pic, std::min(2 * width, 2 * kResampleMaxSide), height, all, option);
      out = ScaledCopy(mid, width, height, TRect{0, 0, mid.Width(), mid.Height()}, option);
    } else {
      out = ScaledCopy(pic, width, height, all, option);
    }
    out.xPelsPerMeter = pic.xPelsPerMeter;
    out.yPelsPerMeter = pic.yPelsPerMeter;
    pic = std::move(out);
    return true;
  } catch (const std::exception&) {
    return false;
  }
}

bool DrawTextMarkWith(Dib& pic, EngineState& engine, const std::string& text, int corner,
                      const std::optional<std::string>& fileStem) {
  if (pic.Empty() || pic.Width() <= 31) return false;
  const std::string date = engine.today ? engine.today() : CLibraryDate();
  const std::string shown = CleanTextMark(SubstituteTextTokens(CleanTextMark(text), date, fileStem));
  if (shown.empty()) return false;
  const TextRenderer* renderer = engine.textRenderer ? engine.textRenderer : InstalledTextRenderer();
  if (!renderer) return false;
  const CoverageMask mask = renderer->Render(shown, engine.textMark.font);
  if (mask.width <= 0 || mask.height <= 0) return false;
  return DrawTextMark(pic, mask, corner, engine.textMark.color, engine.textMark.outline);
}

void ApplyGeometryWord(GeometryCommand c, EditSession& s, const std::array<std::int32_t, 3>& a) {
  if (s.Picture().Empty()) return;
  switch (c) {
    case G::RotateNormal: {
      if (!RotateInPlace(s.Picture(), RotateWordAngle(a[0]), s.engine.background)) return;
      s.host.PictureChanged();
      return;
    }
    case G::Border: case G::BorderTopBot: {
      // Scripts work on true colour; the colour is a platform colour, 0x00BBGGRR.
      s.tone.EnsureTrueColor();
      const ColorValue colour = FromPlatformColor(static_cast<std::uint32_t>(a[0]) & 0xFFFFFF);
      const bool done = c == G::Border ? MergeBorder(s.Picture(), colour, a[1], a[2])
                                       : MergeBorderTopBot(s.Picture(), colour, a[1], a[2]);
      if (done) s.Changed();
      return;
    }
    case G::TextMarkTopLeft: case G::TextMarkTopRight: case G::TextMarkBottomLeft: case G::TextMarkBottomRight: {
      s.tone.EnsureTrueColor();
      const std::string file = s.currentFile.empty() ? s.state.CurrentFile : s.currentFile;
      if (DrawTextMarkWith(s.Picture(), s.engine, s.text, Corner(c), FileStem(file))) s.Changed();
      return;
    }
    default:
      return;
  }
}

GeometryCommands::GeometryCommands(PictureState& state, EngineState& engine, ToneCommands& edits, EditHost& host,
                                   GeometryHost& view)
    : state_(state), engine_(engine), edits_(edits), host_(host), view_(view) {}

void GeometryCommands::Record(const std::string& word, std::initializer_list<int> args) {
  if (edits_.ScriptRunning() || !recorder_ || Flags().OperationInProgress) return;
  recorder_->RecordScriptLine(FormatRecordedLine(word, args));
}

void GeometryCommands::RecordText(const std::string& word, const std::string& text) {
  if (edits_.ScriptRunning() || !recorder_ || Flags().OperationInProgress) return;
  recorder_->RecordScriptLine(word + "=" + text);
}

void GeometryCommands::SetSelection(const Block& b) {
  const Block c = ClipToPicture(b.left, b.top, b.left + b.width, b.top + b.height, Pic().Width(), Pic().Height());
  if (c.Empty()) {
    ClearSelection();
    return;
  }
  state_.SelectionRect = {c.left, c.top, c.left + c.width, c.top + c.height};
  state_.LastRegion = state_.SelectionRect;
  state_.SelectionDrawn = true;
}

void GeometryCommands::ClearSelection() { state_.SelectionDrawn = false; }

Block GeometryCommands::Selected() const {
  if (!state_.SelectionDrawn) return {};
  const SelectionBounds& r = state_.SelectionRect;
  return ClipToPicture(r.left, r.top, r.right, r.bottom, host_.Picture().Width(), host_.Picture().Height());
}

void GeometryCommands::Select(const Block& b) {
  SetSelection(b);
  if (state_.SelectionDrawn) view_.ShowSelection();
}

GeometryOutcome GeometryCommands::Run(GeometryCommand c) {
  if (Pic().Empty()) return GeometryOutcome::Unchanged;
  switch (c) {
    case G::Crop: return Crop(false);
    case G::CopySelection: return Crop(true);
    case G::Trim: return Trim();
    case G::Mask: return MaskCommand(false);
    case G::SelectAll: return MaskCommand(true);
    case G::Grid: return Grid();
    case G::CopyGrid: {
      // A grid cell straight to the clipboard.
      const GeometryOutcome picked = Grid();
      return picked == GeometryOutcome::Done ? Crop(true) : picked;
    }
    case G::ResizeInterpolate: return Interpolate();
    case G::AutoResize: return AutoResize();
    case G::Rotate90: case G::Rotate270: case G::RotateNormal: case G::RotateFine: return Rotate(c);
    case G::MirrorVertical: return Mirror(true);
    case G::MirrorHorizontal: return Mirror(false);
    case G::Border: return Border();
    case G::BorderTopBot: return GeometryOutcome::Unchanged;
    case G::TextMarkTopLeft: case G::TextMarkTopRight: case G::TextMarkBottomLeft: case G::TextMarkBottomRight:
      return TextMark(Corner(c));
    case G::TextMarkProperties:
      return view_.ChooseFont(engine_.textMark) ? GeometryOutcome::Done : GeometryOutcome::Cancelled;
    case G::TextMarkOutline: {
      const std::optional<ColorValue> c2 = view_.ChooseColor(engine_.textMark.outline);
      if (!c2) return GeometryOutcome::Cancelled;
      engine_.textMark.outline = *c2;
      return GeometryOutcome::Done;
    }
  }
  return GeometryOutcome::Unchanged;
}

GeometryOutcome GeometryCommands::Replace(Dib&& picture) {
  host_.SetPicture(std::move(picture));
  SyncImageState(state_, Pic());
  host_.PictureChanged();
  return GeometryOutcome::Done;
}

GeometryOutcome GeometryCommands::Crop(bool copyOnly) {
  const Block b = Selected();
  // An empty selection changes nothing.
  if (b.Empty()) return GeometryOutcome::Unchanged;
  if (edits_.MemoryRunningLow()) return GeometryOutcome::Refused;
  if (copyOnly) {
    if (!view_.CopyToClipboard(CopyBlock(Pic(), b))) {
      CurrentUi().Message(MessageKind::Error, kClipboardFailedText, Button::OK);
      return GeometryOutcome::Failed;
    }
    return GeometryOutcome::Done;
  }
  if (!edits_.AutoBackUp()) return GeometryOutcome::Refused;
  Replace(CopyBlock(Pic(), b));
  state_.SelectionDrawn = false;
  host_.SelectHandTool();
  // The line packs each corner in 32 bits: a corner that does not fit is not recorded.
  const int right = b.left + b.width, bottom = b.top + b.height;
  if (bottom < 32768 && right < 65536)
    Record(RecordedWord(*OperationById("Crop")), {b.top * 65536 + b.left, bottom * 65536 + right});
  return GeometryOutcome::Done;
}

GeometryOutcome GeometryCommands::Trim() {
  Block b = Selected();
  if (b.Empty()) b = {0, 0, Pic().Width(), Pic().Height()};
  const Block t = TrimBlock(Pic(), b);
  // Nothing left, or nothing to take off: the picture stays.
  if (t.Empty() || (t.width == Pic().Width() && t.height == Pic().Height())) return GeometryOutcome::Unchanged;
  if (!edits_.AutoBackUp()) return GeometryOutcome::Refused;
  Replace(CopyBlock(Pic(), t));
  state_.SelectionDrawn = false;
  host_.SelectHandTool();
  return GeometryOutcome::Done;
}

GeometryOutcome GeometryCommands::MaskCommand(bool selectAll) {
  const int w = Pic().Width(), h = Pic().Height();
  host_.SelectHandTool();
  const SelectionBounds& last = state_.LastRegion;
  Block b = ClipToPicture(last.left, last.top, last.right, last.bottom, w, h);
  const bool inside = last.left >= 0 && last.top >= 0 && last.right <= w && last.bottom <= h;
  if (selectAll || b.Empty() || !inside || view_.ShiftHeld()) b = {0, 0, w, h};
  if (!selectAll) {
    const std::optional<Block> asked = view_.AskSelection(b, w, h);
    if (!asked) return GeometryOutcome::Cancelled;
    b = ClipToPicture(asked->left, asked->top, asked->left + asked->width, asked->top + asked->height, w, h);
    if (b.Empty()) return GeometryOutcome::Unchanged;
  }
  Select(b);
  return GeometryOutcome::Done;
}

GeometryOutcome GeometryCommands::Grid() {
  const int w = Pic().Width(), h = Pic().Height();
  if (w < 64 || h < 64) {
    CurrentUi().Message(MessageKind::Warning, kGridTooSmallText, Button::OK);
    return GeometryOutcome::Refused;
  }
  const std::optional<GridAnswer> a = view_.AskGrid(memory_.gridColumns, memory_.gridRows, w, h);
  if (!a) return GeometryOutcome::Cancelled;
  memory_.gridColumns = std::max(a->columns, 1);
  memory_.gridRows = std::max(a->rows, 1);
  const Block b = GridBlock(a->column, a->row, memory_.gridColumns, memory_.gridRows, w, h);
  if (b.Empty()) return GeometryOutcome::Unchanged;
  host_.SelectHandTool();
  Select(b);
  return GeometryOutcome::Done;
}

GeometryOutcome GeometryCommands::Interpolate() {
  const int w0 = Pic().Width(), h0 = Pic().Height();
  const std::optional<SizeAnswer> a = view_.AskSize("Image Resize", w0, h0, Pic().BitCount());
  if (!a) return GeometryOutcome::Cancelled;
  const int w = ClampResampleSide(a->width), h = ClampResampleSide(a->height);
  if (w == w0 && h == h0) return GeometryOutcome::Unchanged;
  if (!edits_.AutoBackUp()) return GeometryOutcome::Refused;
  edits_.ShowBusy("Resizing...");
  Dib work = Pic();
  if (!InterpolateResize(work, w, h, a->copyOperation)) {
    host_.StatusReady();
    CurrentUi().Message(MessageKind::Error, kResampleFailedText, Button::OK);
    return GeometryOutcome::Failed;
  }
  Replace(std::move(work));
  host_.StatusReady();
  Record(RecordedWord(*OperationById("Resize")), {w, h});
  return GeometryOutcome::Done;
}

GeometryOutcome GeometryCommands::AutoResize() {
  if (view_.MediaMode()) return GeometryOutcome::Unchanged;
  const auto [cw, ch] = view_.ClientSize();
  if (cw <= 0 || ch <= 0) return GeometryOutcome::Unchanged;
  const SizeI fit = FitSize(Pic().Width(), Pic().Height(), cw, ch);
  const int w = ClampResampleSide(fit.width), h = ClampResampleSide(fit.height);
  if ((w == Pic().Width() && h == Pic().Height()) || w <= 15 || h <= 15) return GeometryOutcome::Unchanged;
  if (!edits_.AutoBackUp()) return GeometryOutcome::Refused;
  edits_.ShowBusy("Resampling...");
  Dib work = Pic();
  if (Resample(work, w, h) != ResampleResult::Done) {
    host_.StatusReady();
    CurrentUi().Message(MessageKind::Error, kResampleFailedText, Button::OK);
    return GeometryOutcome::Failed;
  }
  Replace(std::move(work));
  host_.StatusReady();
  Record(RecordedWord(*OperationById("Resample")), {w, h});
  return GeometryOutcome::Done;
}

GeometryOutcome GeometryCommands::Rotate(GeometryCommand c) {
  // Hundredths of a degree, clockwise, as the user picked them.
  int clockwise = 0;
  if (c == G::Rotate90) clockwise = 9000;
  else if (c == G::Rotate270) clockwise = 27000;
  else {
    const int u = c == G::RotateNormal ? 100 : 1;
    SliderRequest q;
    q.min = 1;
    q.max = 35999 / u;
    q.start = 9000 / u;
    q.page = 300 / u;
    q.line = 1;
    q.presets = {3000 / u, 4500 / u, 6000 / u, 9000 / u, 18000 / u, 27000 / u};
    q.showPresets = true;
    const int v = view_.AskSlider(u == 100 ? "Rotate image (deg.)" : "Rotate image (1/100 deg.)", q);
    if (v == kDialogCancelled) return GeometryOutcome::Cancelled;
    clockwise = std::clamp(v, q.min, q.max) * u;
  }
  // The line holds whole degrees: the nearest one, ties to even; 0 and 360 are no turn a line
  // can hold, so they are not recorded.
  const int degrees = static_cast<int>(std::nearbyint(clockwise / 100.0));
  edits_.ShowBusy("Rotating...");
  if (!edits_.AutoBackUp()) {
    host_.StatusReady();
    return GeometryOutcome::Refused;
  }
  Dib work = Pic();
  if (!RotateInPlace(work, 36000 - clockwise, engine_.background)) {
    host_.StatusReady();
    CurrentUi().Message(MessageKind::Error, kRotateFailedText, Button::OK);
    return GeometryOutcome::Failed;
  }
  Replace(std::move(work));
  host_.StatusReady();
  if (degrees >= 1 && degrees <= 359) Record(RecordedWord(*OperationById("Rotate")), {degrees});
  return GeometryOutcome::Done;
}

GeometryOutcome GeometryCommands::Mirror(bool vertical) {
  if (!edits_.AutoBackUp()) return GeometryOutcome::Refused;
  edits_.ShowBusy("Flipping...");
  pelira::Mirror(Pic(), !vertical, vertical);
  edits_.ExitFilter();
  return GeometryOutcome::Done;
}

GeometryOutcome GeometryCommands::Border() {
  const std::optional<BorderAnswer> a = view_.AskBorder(memory_.borderWidth, memory_.borderHeight, memory_.borderColor);
  if (!a) return GeometryOutcome::Cancelled;
  const int w = std::clamp(a->width, 1, 127), h = std::clamp(a->height, 1, 127);
  memory_.borderWidth = w;
  memory_.borderHeight = h;
  memory_.borderColor = a->platformColor & 0xFFFFFF;
  if (!edits_.AutoBackUp()) return GeometryOutcome::Refused;
  // As a replayed line does: on true colour.
  edits_.EnsureTrueColor();
  MergeBorder(Pic(), FromPlatformColor(memory_.borderColor), w, h);
  edits_.ExitFilter();
  Record(RecordedWord(*OperationById("Border")), {static_cast<int>(memory_.borderColor), w, h});
  return GeometryOutcome::Done;
}

GeometryOutcome GeometryCommands::TextMark(int corner) {
  const std::optional<std::string> text = view_.AskText(kTextMarkTitle, kTextMarkLabel, memory_.textMark);
  if (!text) return GeometryOutcome::Cancelled;
  const std::string clean = CleanTextMark(*text);
  memory_.textMark = clean;
  if (!edits_.AutoBackUp()) return GeometryOutcome::Refused;
  edits_.EnsureTrueColor();
  if (!DrawTextMarkWith(Pic(), engine_, clean, corner, FileStem(state_.CurrentFile))) {
    host_.Refresh();
    return GeometryOutcome::Unchanged;
  }
  edits_.ExitFilter();
  RecordText(TextMarkWord(corner), clean);
  return GeometryOutcome::Done;
}

}  // namespace pelira
