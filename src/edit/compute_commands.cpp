#include "edit/compute_commands.h"

#include <algorithm>
#include <array>
#include <random>

#include "common/request_flags.h"
#include "edit/edit_host.h"
#include "edit/operations.h"
#include "edit/tone_commands.h"
#include "engine/composites.h"
#include "engine/compute.h"
#include "image/jpeg_image.h"
#include "platform/ui.h"

namespace pelira {

namespace {

using C = ComputeCommand;

struct Item {
  C command;
  const char* row;
};
constexpr Item kItems[] = {
    {C::Duplicate, "ComputeDuplicate"},     {C::Swap, "ComputeSwap"},
    {C::Average, "ComputeAverage"},         {C::Interlace, "Interlace"},
    {C::MaskShadows, "MaskShadows"},        {C::MaskHighlights, "MaskHighlights"},
    {C::MaskMidtones, "MaskMidtones"},      {C::MaskContrast, "MaskContrast"},
    {C::MaskEdges, "MaskEdges"},            {C::MaskGrayscale, "MaskGrayscale"},
    {C::Multiply, "Multiply"},              {C::Minimum, "Minimum"},
    {C::Maximum, "ComputeMaximum"},         {C::Difference, "Difference"},
    {C::Subtract, "Subtract"},              {C::Backup, "ComputeBackup"},
    {C::Restore, "ComputeRestore"},         {C::RandomNoise, "NoiseRandom"},
    {C::Artifacts, "NoiseArtifacts"},
};

// The word a command records: its own row's, or the word of the row it records as.
std::string WordOf(C c) {
  const Operation* op = OperationById(ComputeRowId(c));
  return op ? RecordedWord(*op) : "";
}

}  // namespace

const char* ComputeRowId(ComputeCommand c) {
  for (const Item& i : kItems)
    if (i.command == c) return i.row;
  return "";
}

bool ComputeCommandOfRow(std::string_view rowId, ComputeCommand* out) {
  for (const Item& i : kItems)
    if (rowId == i.row) {
      *out = i.command;
      return true;
    }
  return false;
}

ComputeCommands::ComputeCommands(PictureState& state, EngineState& engine, ToneCommands& edits, EditHost& host,
                                 FilterRequester& ask)
    : state_(state), engine_(engine), edits_(edits), host_(host), ask_(ask) {
  seed_ = [] {
    std::random_device rd;
    return (static_cast<std::uint64_t>(rd()) << 32) ^ rd();
  };
}

void ComputeCommands::Record(const std::string& line) {
  if (edits_.ScriptRunning() || !recorder_ || Flags().OperationInProgress) return;
  recorder_->RecordScriptLine(line);
}

bool ComputeCommands::Matches() {
  // A picture shown reduced is decoded at full size first, or no duplicate would match it.
  host_.PrepareEdit();
  const Dib& d = engine_.duplicate;
  if (Pic().Empty() || d.Width() != Pic().Width() || d.Height() != Pic().Height()) return false;
  if (state_.ImageBits != 24 && Pic().BitCount() != 24) return false;
  edits_.EnsureTrueColor();
  // The duplicate must be true colour too, or its rows are shorter than the picture's.
  return Ok2Compute(Pic(), d);
}

ComputeOutcome ComputeCommands::Warn() {
  CurrentUi().Message(MessageKind::Warning, kComputeMismatchText, Button::OK);
  return ComputeOutcome::Mismatch;
}

ComputeOutcome ComputeCommands::Finish() {
  edits_.ExitFilter();
  return ComputeOutcome::Done;
}

ComputeOutcome ComputeCommands::Run(ComputeCommand c) {
  if (Pic().Empty() && c != C::Restore) return ComputeOutcome::Unchanged;
  // An Esc pressed before the command must not stop it.
  if (!edits_.ScriptRunning()) Flags().AbortRequest = false;
  switch (c) {
    case C::Duplicate: return Duplicate();
    case C::Swap: return Swap();
    case C::Backup: return Backup();
    case C::Restore: return Restore();
    case C::Average: case C::Interlace: return Weighted(c);
    case C::MaskShadows: case C::MaskHighlights: case C::MaskMidtones: case C::MaskContrast: return BandMask(c);
    case C::MaskEdges: return MaskEdges();
    case C::MaskGrayscale: return MaskGrayscale();
    case C::Multiply: case C::Minimum: case C::Maximum: case C::Difference: case C::Subtract: return PerComponent(c);
    case C::RandomNoise: return Noise();
    case C::Artifacts: return Artifacts();
  }
  return ComputeOutcome::Unchanged;
}

ComputeOutcome ComputeCommands::Duplicate() {
  host_.PrepareEdit();
  if (Pic().BitCount() >= 8) edits_.EnsureTrueColor();
  if (edits_.MemoryRunningLow()) {
    Flags().AbortRequest = true;
    return ComputeOutcome::Refused;
  }
  engine_.duplicate = Pic();
  host_.SetStatusWord("Duplicated.");
  Record(WordOf(C::Duplicate));
  return ComputeOutcome::Done;
}

ComputeOutcome ComputeCommands::Swap() {
  if (!Matches()) return ComputeOutcome::Mismatch;
  std::swap(Pic(), engine_.duplicate);
  engine_.scratch = Dib();
  state_.ImageModified = true;
  host_.Refresh();
  Record(WordOf(C::Swap));
  return ComputeOutcome::Done;
}

ComputeOutcome ComputeCommands::Backup() {
  if (edits_.MemoryRunningLow()) {
    Flags().AbortRequest = true;
    return ComputeOutcome::Refused;
  }
  engine_.backup = Pic();
  Record("CopyToBackup");
  return ComputeOutcome::Done;
}

ComputeOutcome ComputeCommands::Restore() {
  if (engine_.backup.Width() == 0 || engine_.backup.Height() == 0) return ComputeOutcome::Unchanged;
  if (edits_.MemoryRunningLow()) {
    Flags().AbortRequest = true;
    return ComputeOutcome::Refused;
  }
  host_.SetPicture(Dib(engine_.backup));
  engine_.scratch = Dib();
  // Size and depth come from the restored bitmap, which may differ from the picture's.
  host_.PictureChanged();
  Record("CopyFromBackup");
  return ComputeOutcome::Done;
}

ComputeOutcome ComputeCommands::Weighted(ComputeCommand c) {
  // The blend is undoable like every other edit.
  if (!edits_.AutoBackUp()) return ComputeOutcome::Refused;
  if (!Matches()) return Warn();
  const bool interlace = c == C::Interlace;
  TFilterDlgParam r;
  int& tag = interlace ? memory_.interlace : memory_.average;
  r.slider[0] = {1, 99, std::clamp(tag, 1, 99), 10, 1};
  if (interlace) {
    r.kind = 510;
    r.ownLabels = true;
    r.slider[1] = {0, 1, memory_.interlaceField != 0 ? 1 : 0, 1, 1};
    r.labels = {"1 (less)", "99 (more)", "Even", "Odd", "", ""};
  } else {
    r.kind = 500;
  }
  const Dib& picture = Pic();
  const Dib& duplicate = engine_.duplicate;
  r.preview = [&picture, &duplicate, interlace](Dib& target, const std::array<int, 3>& v) {
    const Dib second = SecondForPreview(picture, duplicate, target);
    if (interlace) AverageField(target, second, std::clamp(v[0], 1, 99), v[1]);
    else AverageBitmap(target, second, std::clamp(v[0], 1, 99));
  };
  const FilterAnswer a =
      ask_.RunFilterDialog(interlace ? "Compute Interlaced Bitmap (%)" : "Compute Average Bitmap (%)", "1 (less)",
                           "99 (more)", r);
  if (a.Cancelled()) return ComputeOutcome::Cancelled;
  const int w = std::clamp(a.values[0], 1, 99);
  tag = w;
  engine_.FilterParam2 = w;
  if (interlace) {
    const int field = a.values[1] != 0 ? 1 : 0;
    memory_.interlaceField = field;
    engine_.FilterParam3 = field;
    AverageField(Pic(), engine_.duplicate, w, field);
    Record(FormatRecordedLine(WordOf(c), {w, field}));
  } else {
    AverageBitmap(Pic(), engine_.duplicate, w);
    Record(FormatRecordedLine(WordOf(c), {w}));
  }
  return Finish();
}

namespace {

bool RunBandMask(ComputeCommand c, Dib& pic, const Dib& second, int band, int mask) {
  switch (c) {
    case C::MaskShadows: return CompositeMask(pic, second, band, mask, true);
    case C::MaskHighlights: return CompositeMask(pic, second, band, mask, false);
    case C::MaskMidtones: return CompositeMidTones(pic, second, band, mask);
    default: return CompositeContrast(pic, second, band, mask);
  }
}

}  // namespace

ComputeOutcome ComputeCommands::BandMask(ComputeCommand c) {
  if (!edits_.AutoBackUp()) return ComputeOutcome::Refused;
  if (!Matches()) return Warn();
  int& tag = c == C::MaskMidtones ? memory_.midtones : c == C::MaskContrast ? memory_.contrast : memory_.shadows;
  const char* title = c == C::MaskShadows      ? "Mask Bitmap Shadows"
                      : c == C::MaskHighlights ? "Mask Bitmap Highlights"
                      : c == C::MaskMidtones   ? "Mask Bitmap Midtones"
                                               : "Mask Bitmap Contrast";
  engine_.FilterParam2 = 99;
  TFilterDlgParam r;
  r.kind = c == C::MaskShadows ? 501 : c == C::MaskHighlights ? 502 : c == C::MaskMidtones ? 503 : 531;
  r.ownLabels = true;
  r.slider[0] = {1, 500, std::clamp(tag, 1, 500), 10, 1};
  r.slider[1] = {0, 99, 99, 10, 1};
  r.labels = {"1 (narrow)", "500 (wide)", "0 (min)", "99 (max)", "", ""};
  const Dib& picture = Pic();
  const Dib& duplicate = engine_.duplicate;
  r.preview = [&picture, &duplicate, c](Dib& target, const std::array<int, 3>& v) {
    RunBandMask(c, target, SecondForPreview(picture, duplicate, target), std::clamp(v[0], 1, 500),
                std::clamp(v[1], 0, 99));
  };
  const FilterAnswer a = ask_.RunFilterDialog(title, "1 (narrow)", "500 (wide)", r);
  if (a.Cancelled()) return ComputeOutcome::Cancelled;
  const int band = std::clamp(a.values[0], 1, 500), mask = std::clamp(a.values[1], 0, 99);
  tag = band;
  engine_.FilterParam1 = band;
  engine_.FilterParam2 = mask;
  RunBandMask(c, Pic(), engine_.duplicate, band, mask);
  Record(FormatRecordedLine(WordOf(c), {band, mask}));
  return Finish();
}

ComputeOutcome ComputeCommands::MaskEdges() {
  const bool wasModified = state_.ImageModified;
  if (!edits_.AutoBackUp()) return ComputeOutcome::Refused;
  edits_.EnsureTrueColor();
  TFilterDlgParam r;
  r.kind = 520;
  r.ownLabels = true;
  r.slider[0] = {1, 255, std::clamp(memory_.edges, 1, 255), 16, 1};
  r.slider[1] = {1, 255, std::clamp(memory_.edgesEffect, 1, 255), 16, 1};
  r.labels = {"1 (weak)", "255 (strong)", "1 (weak)", "255 (strong)", "", ""};
  const Dib& picture = Pic();
  const Dib& duplicate = engine_.duplicate;
  // Without a usable duplicate the preview stays as the picture is, as Apply would leave it.
  r.preview = [&picture, &duplicate](Dib& target, const std::array<int, 3>& v) {
    pelira::MaskEdges(target, SecondForPreview(picture, duplicate, target), std::clamp(v[0], 1, 255),
                      std::clamp(v[1], 1, 255));
  };
  const FilterAnswer a = ask_.RunFilterDialog("Set Mask Edges effect to", "1 (weak)", "255 (strong)", r);
  if (a.Cancelled()) {
    if (edits_.Undo()) state_.ImageModified = wasModified;
    host_.Refresh();
    return ComputeOutcome::Cancelled;
  }
  const int threshold = std::clamp(a.values[0], 1, 255), effect = std::clamp(a.values[1], 1, 255);
  memory_.edges = threshold;
  memory_.edgesEffect = effect;
  engine_.FilterParam2 = effect;
  if (!Matches()) {
    host_.StatusReady();
    return ComputeOutcome::Mismatch;
  }
  edits_.ShowBusy("Masking edges ...");
  const FilterProgress rows = [this](int row, int total) {
    if (progress_) {
      progress_->SetBar(ProgressBar::Thumbs, row, total);
      progress_->Pump();
    }
    return !Flags().AbortRequest.load();
  };
  if (!pelira::MaskEdges(Pic(), engine_.duplicate, threshold, effect, rows)) {
    if (edits_.Undo()) state_.ImageModified = wasModified;
    host_.StatusReady();
    host_.Refresh();
    return ComputeOutcome::Stopped;
  }
  Record(FormatRecordedLine(WordOf(C::MaskEdges), {threshold, effect}));
  return Finish();
}

ComputeOutcome ComputeCommands::PerComponent(ComputeCommand c) {
  if (!edits_.AutoBackUp()) return ComputeOutcome::Refused;
  if (c != C::Subtract) edits_.EnsureTrueColor();
  if (!Matches()) return c == C::Subtract ? Warn() : ComputeOutcome::Mismatch;
  Dib& p = Pic();
  const Dib& d = engine_.duplicate;
  switch (c) {
    case C::Multiply: pelira::Multiply(p, d); break;
    case C::Minimum: pelira::Minimum(p, d); break;
    case C::Maximum: pelira::Maximum(p, d); break;
    case C::Difference: pelira::Difference(p, d); break;
    default: pelira::Subtract(p, d); break;
  }
  // Recorded once the operation has run, so a refused one leaves no line behind.
  Record(WordOf(c));
  return Finish();
}

ComputeOutcome ComputeCommands::MaskGrayscale() {
  if (!edits_.AutoBackUp()) return ComputeOutcome::Refused;
  edits_.EnsureTrueColor();
  if (!Matches()) return Warn();
  CompositeGray(Pic(), engine_.duplicate);
  Record(WordOf(C::MaskGrayscale));
  return Finish();
}

ComputeOutcome ComputeCommands::Noise() {
  const bool wasModified = state_.ImageModified;
  if (!edits_.AutoBackUp()) return ComputeOutcome::Refused;
  edits_.EnsureTrueColor();
  const std::uint64_t seed = seed_ ? seed_() : 0;
  TFilterDlgParam r;
  r.kind = 114;
  r.ownLabels = true;
  for (int i = 0; i < 3; ++i) {
    r.slider[static_cast<std::size_t>(i)] = {0, 255, std::clamp(memory_.noise[i], 0, 255), 16, 1};
    r.labels[static_cast<std::size_t>(2 * i)] = "0 (none)";
    r.labels[static_cast<std::size_t>(2 * i + 1)] = "100 (max)";
  }
  // The preview draws from the same seed as Apply.
  r.preview = [seed](Dib& target, const std::array<int, 3>& v) { RandomNoise(target, v[0], v[1], v[2], seed); };
  const FilterAnswer a = ask_.RunFilterDialog("Add Random Noise", "0 (none)", "100 (max)", r);
  if (a.Cancelled()) {
    if (edits_.Undo()) state_.ImageModified = wasModified;
    host_.Refresh();
    return ComputeOutcome::Cancelled;
  }
  for (int i = 0; i < 3; ++i) memory_.noise[i] = std::clamp(a.values[static_cast<std::size_t>(i)], 0, 255);
  engine_.FilterParam1 = memory_.noise[0];
  engine_.FilterParam2 = memory_.noise[1];
  engine_.FilterParam3 = memory_.noise[2];
  RandomNoise(Pic(), memory_.noise[0], memory_.noise[1], memory_.noise[2], seed);
  return Finish();
}

ComputeOutcome ComputeCommands::Artifacts() {
  const bool wasModified = state_.ImageModified;
  if (!edits_.AutoBackUp()) return ComputeOutcome::Refused;
  edits_.EnsureTrueColor();
  SliderRequest q;
  q.min = 1;
  q.max = 255;
  q.start = std::clamp(memory_.artifacts, 1, 255);
  q.page = 8;
  q.line = 1;
  const int s = sliders_ ? sliders_->RunSliderDialog("Add JPEG artifacts", "1=(low)", "255=(high)", q) : kDialogCancelled;
  if (s == kDialogCancelled) {
    if (edits_.Undo()) state_.ImageModified = wasModified;
    host_.Refresh();
    return ComputeOutcome::Cancelled;
  }
  const int scale = std::clamp(s, 1, 255);
  memory_.artifacts = scale;
  edits_.ShowBusy("Adding artifacts ...");
  try {
    AddArtifact(Pic(), scale);
  } catch (const EVistrelError& e) {
    // The encoder refused the picture (a side beyond its limit): the picture stays.
    host_.StatusReady();
    CurrentUi().Message(MessageKind::Error, e.what(), Button::OK);
    return ComputeOutcome::Failed;
  }
  Record(FormatRecordedLine(WordOf(C::Artifacts), {scale}));
  return Finish();
}

}  // namespace pelira
