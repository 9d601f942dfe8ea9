#include "edit/filter_commands.h"

#include "edit/edit_host.h"
#include "edit/operations.h"

#include <algorithm>

#include "common/request_flags.h"
#include "engine/resample.h"
#include "engine/spatial_filters.h"
#include "imaging_library/imgman.h"
#include "platform/memory_status.h"
#include "platform/ui.h"
#include "edit/undo_store.h"
#include "edit/picture_state.h"
#include "edit/tone_commands.h"

namespace pelira {

namespace {

// The word a filter records comes from its row of the operation table.
const char* Word(FilterCommand c) { return RecordedWord(OperationOf(c)); }

}  // namespace

const char* const kResampleFailedText = "Not enough memory to resample the picture.";

FilterCommands::FilterCommands(PictureState& state, EngineState& engine, ToneCommands& edits, EditHost& host,
                             FilterRequester& ask)
    : state_(state), engine_(engine), edits_(edits), host_(host), ask_(ask) {}

bool FilterCommands::Script() const { return edits_.ScriptRunning(); }

void FilterCommands::Record(const std::string& word, std::initializer_list<int> args) {
  if (Script() || !recorder_ || Flags().OperationInProgress) return;
  recorder_->RecordScriptLine(FormatRecordedLine(word, args));
}

void FilterCommands::Busy(const std::string& text) {
  // The display learns first that work starts, so that it can watch for Esc while the busy
  // text lets pending events through.
  if (progress_) progress_->SetBar(ProgressBar::Thumbs, 0, 0);
  edits_.ShowBusy(text);
}

FilterProgress FilterCommands::Rows() {
  if (progress_) progress_->SetBar(ProgressBar::Thumbs, 0, 0);
  return [this](int row, int rows) {
    if (progress_) {
      progress_->SetBar(ProgressBar::Thumbs, row, rows);
      progress_->Pump();
    }
    return !Flags().AbortRequest.load();
  };
}

FilterOutcome FilterCommands::Stopped(bool wasModified) {
  // The filter has put its own copy back; the undo copy also undoes a promotion to true colour.
  if (!Script() && edits_.UndoAvailable() && edits_.Undo()) state_.ImageModified = wasModified;
  host_.StatusReady();
  host_.Refresh();
  return FilterOutcome::Stopped;
}

FilterOutcome FilterCommands::Run(FilterCommand c) {
  using F = FilterCommand;
  if (Pic().Empty()) return FilterOutcome::Unchanged;
  // An Esc pressed before the command must not stop it.
  if (!Script()) Flags().AbortRequest = false;
  switch (c) {
    case F::DescreenLight: case F::DescreenMedium: case F::DescreenStrong: case F::DescreenHigh:
      return Descreen(c);
    case F::DeLace: case F::Enrich: return Enlarged(c);
    case F::DePixelate: return DePixelate();
    case F::AutoClean: case F::AutoSharpen: return AutoFilter(c);
    default: return Dialog(c);
  }
}

FilterOutcome FilterCommands::Dialog(FilterCommand c) {
  const Operation& op = OperationOf(c);
  const FilterDialog& s = op.dialog;
  if (!op.apply) return FilterOutcome::Unchanged;
  const bool wasModified = state_.ImageModified;
  if (!Script()) {
    if (!edits_.AutoBackUp()) return FilterOutcome::Refused;
    edits_.EnsureTrueColor();
  }
  int* mem[2] = {&(memory_.*s.remembered[0]), s.remembered[1] ? &(memory_.*s.remembered[1]) : nullptr};
  const bool twoSliders = mem[1] != nullptr;
  // The one edit for preview and picture; the preview's window reports no progress.
  const FilterApply run = op.apply;
  int v = 0, e = 0;
  if (Script()) {
    // Script values keep to the word's own ranges.
    v = std::clamp(engine_.FilterParam1, op.range[0].lo, op.range[0].hi);
    e = twoSliders ? std::clamp(engine_.FilterParam2, op.range[1].lo, op.range[1].hi) : 0;
  } else {
    TFilterDlgParam r;
    r.kind = s.kind;
    r.slider[0] = {s.min, s.max, std::clamp(*mem[0], s.min, s.max), s.page, 1};
    if (twoSliders) {
      r.ownLabels = true;
      r.slider[1] = {s.min, s.max, std::clamp(*mem[1], s.min, s.max), s.page, 1};
      r.labels = {s.lo, s.hi, s.lo, s.hi, "", ""};
    }
    r.preview = [&, run](Dib& d, const std::array<int, 3>& values) {
      engine_.FilterValue = values[0];
      run(d, std::clamp(values[0], s.min, s.max), std::clamp(values[1], s.min, s.max), {});
    };
    const FilterAnswer a = ask_.RunFilterDialog(s.title, s.lo, s.hi, r);
    if (a.Cancelled()) {
      if (edits_.Undo()) state_.ImageModified = wasModified;
      host_.Refresh();
      return FilterOutcome::Cancelled;
    }
    v = std::clamp(a.values[0], s.min, s.max);
    e = std::clamp(a.values[1], s.min, s.max);
    *mem[0] = v;
    if (mem[1]) *mem[1] = e;
    engine_.FilterValue = v;
  }
  Busy(s.status);
  const FilterProgress p = Rows();
  const bool done = run(Pic(), v, e, p);
  if (!done) return Stopped(wasModified);
  if (twoSliders) Record(op.Word(), {v, e});
  else Record(op.Word(), {v});
  edits_.ExitFilter();
  return FilterOutcome::Done;
}

FilterOutcome FilterCommands::Descreen(FilterCommand c) {
  using F = FilterCommand;
  const bool wasModified = state_.ImageModified;
  if (!Script()) {
    if (!edits_.AutoBackUp()) return FilterOutcome::Refused;
    Busy("Descreening...");
  }
  // The weighted sums run on bytes of three: a palette picture is made true colour first.
  edits_.EnsureTrueColor();
  const FilterProgress p = Rows();
  bool done = true;
  switch (c) {
    case F::DescreenLight: done = Soften(Pic(), 7, p); break;
    case F::DescreenMedium: done = DeScreen5x5(Pic(), 0, p); break;
    case F::DescreenStrong: done = DeScreen5x5(Pic(), 1, p); break;
    default: done = DeScreen5x5(Pic(), 2, p); break;
  }
  if (!done) return Stopped(wasModified);
  host_.StatusReady();
  host_.Refresh();
  if (!Script()) {
    state_.ImageModified = true;
    Record(Word(c));
  }
  return FilterOutcome::Done;
}

FilterOutcome FilterCommands::Enlarged(FilterCommand c) {
  const bool delace = c == FilterCommand::DeLace;
  const bool wasModified = state_.ImageModified;
  if (!Script()) {
    if (!edits_.AutoBackUp()) return FilterOutcome::Refused;
    edits_.EnsureTrueColor();
  }
  const int w = Pic().Width(), h = Pic().Height();
  const int bw = delace ? w + w / 2 : 2 * w + w / 2;
  const int bh = delace ? h + h / 2 : 2 * h + h / 2;
  // The enlarged picture, the filter's copy of it and the median's padded one: refused up
  // front rather than left to fail half-way (Enrich on a large photo needs gigabytes).
  const std::uint64_t need = 3ull * 3ull * static_cast<std::uint64_t>(bw) * static_cast<std::uint64_t>(bh);
  const std::uint64_t have = available_ ? available_() : ReadMemoryStatus().availablePhysical;
  if (have < need) {
    if (!Script()) {
      if (edits_.UndoAvailable()) edits_.Undo();
      state_.ImageModified = wasModified;
    }
    host_.StatusReady();
    CurrentUi().Message(MessageKind::Warning, LowMemoryText(need, have), Button::OK);
    return FilterOutcome::Refused;
  }
  // The library works on its own copies; the picture is replaced only when every step worked.
  const HIMG source = ImgFromBitmap(Pic());
  if (!source) {
    ImgErrBox();
    return FilterOutcome::Failed;
  }
  Busy(delace ? "Delacing..." : "Enriching...");
  const HIMG big = ImgCopy(source, bw, bh, nullptr, 0);
  ImgClose(source);
  const Dib* bigBits = big ? ImgGetBitmap(big) : nullptr;
  if (!bigBits) {
    if (big) ImgClose(big);
    host_.StatusReady();
    ImgErrBox();
    return FilterOutcome::Failed;
  }
  Dib work = *bigBits;
  ImgClose(big);
  const FilterProgress p = Rows();
  const bool done = delace ? Median(work, 4, 0, p) : SharpGaussianBlur5x5(work, 239, 96, p);
  if (!done) return Stopped(wasModified);
  const HIMG filtered = ImgFromBitmap(std::move(work));
  const HIMG back = filtered ? ImgCopy(filtered, w, h, nullptr, 4) : 0;
  if (filtered) ImgClose(filtered);
  const Dib* backBits = back ? ImgGetBitmap(back) : nullptr;
  if (!backBits) {
    if (back) ImgClose(back);
    host_.StatusReady();
    ImgErrBox();
    return FilterOutcome::Failed;
  }
  host_.SetPicture(Dib(*backBits));
  ImgClose(back);
  SyncImageState(state_, Pic());
  host_.PictureChanged();
  Record(Word(c));
  host_.StatusReady();
  return FilterOutcome::Done;
}

FilterOutcome FilterCommands::DePixelate() {
  const bool wasModified = state_.ImageModified;
  if (!Script()) {
    if (!edits_.AutoBackUp()) return FilterOutcome::Refused;
  }
  // Pairs of bytes are averaged: a palette picture is made true colour first.
  edits_.EnsureTrueColor();
  Busy("Resampling...");
  if (!DeMosiac2x2(Pic(), 0, Rows())) return Stopped(wasModified);
  // Recorded first, so a replay smooths before it resamples.
  Record(Word(FilterCommand::DePixelate), {1});
  const FilterOutcome r = Resample(Pic().Width() / 2, Pic().Height() / 2);
  if (r == FilterOutcome::Unchanged) edits_.ExitFilter();
  return r == FilterOutcome::Failed ? r : FilterOutcome::Done;
}

FilterOutcome FilterCommands::DePixelateWord(int n) {
  if (Pic().Empty()) return FilterOutcome::Unchanged;
  edits_.EnsureTrueColor();
  if (!DeMosiac2x2(Pic(), n != 0 ? 0 : 1, Rows())) return FilterOutcome::Stopped;
  edits_.ExitFilter();
  return FilterOutcome::Done;
}

FilterOutcome FilterCommands::Resample(int width, int height) {
  if (Pic().Empty()) return FilterOutcome::Unchanged;
  if (Script()) {
    width = engine_.FilterParam2;
    height = engine_.FilterParam1;
  }
  width = ClampResampleSide(width);
  height = ClampResampleSide(height);
  if ((width == Pic().Width() && height == Pic().Height()) || width <= 15 || height <= 15)
    return FilterOutcome::Unchanged;
  Busy("Resampling...");
  switch (pelira::Resample(Pic(), width, height)) {
    case ResampleResult::Unchanged: return FilterOutcome::Unchanged;
    case ResampleResult::Failed:
      host_.StatusReady();
      CurrentUi().Message(MessageKind::Error, kResampleFailedText, Button::OK);
      return FilterOutcome::Failed;
    case ResampleResult::Done: break;
  }
  SyncImageState(state_, Pic());
  host_.PictureChanged();
  host_.StatusReady();
  Record(RecordedWord(*OperationById("Resample")), {width, height});
  return FilterOutcome::Done;
}

FilterOutcome FilterCommands::ResampleCommand(int width, int height) {
  if (Pic().Empty()) return FilterOutcome::Unchanged;
  const int w = ClampResampleSide(width), h = ClampResampleSide(height);
  if ((w == Pic().Width() && h == Pic().Height()) || w <= 15 || h <= 15) return FilterOutcome::Unchanged;
  if (!Script() && !edits_.AutoBackUp()) return FilterOutcome::Refused;
  return Resample(w, h);
}

FilterOutcome FilterCommands::AutoFilter(FilterCommand c) {
  // An undo copy first, so a quick correction can be taken back like any other edit.
  if (!Script() && !edits_.AutoBackUp()) return FilterOutcome::Refused;
  edits_.EnsureTrueColor();
  const bool sharpen = c == FilterCommand::AutoSharpen;
  Busy(sharpen ? "Sharpening ..." : "Cleaning mask ...");
  const bool done = sharpen ? UnSharpGaussianBlur5x5(Pic(), 160, 48, Rows()) : SharpGaussianBlur5x5(Pic(), 95, 240, Rows());
  if (!done) {
    host_.StatusReady();
    host_.Refresh();
    return FilterOutcome::Stopped;
  }
  edits_.ExitFilter();
  return FilterOutcome::Done;
}

}  // namespace pelira
