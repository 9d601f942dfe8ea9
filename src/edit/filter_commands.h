#pragma once
// The viewer's neighbourhood-filter commands (Image › Smooth, Sharpen, Descreen, Auto Clean
// and Sharpen, Resize › DePixelate, Colors › Contrast › DeFog) and the smooth resample. Core,
// like the tone commands: the window lends the picture, the dialogs and a progress display.
//
// A filter stopped with Esc leaves the picture as it was before the command: the undo copy
// comes back (and with it the depth the picture had), or inside a script the filter's own
// copy.
#include <cstdint>
#include <functional>
#include <string>

#include "engine/engine_state.h"
#include "engine/filter_request.h"
#include "engine/spatial_filters.h"
#include "platform/progress.h"
#include "edit/edit_host.h"
#include "edit/picture_state.h"

namespace pelira {

class ToneCommands;

enum class FilterCommand {
  Gaussian, DeFocus, Soften, Outlier, Despeckle, UnSpot, Clean, DeLace, Enrich,
  MeanRemoval, HighPassMedium, HighPassLight, UnsharpMask,
  DescreenLight, DescreenMedium, DescreenStrong, DescreenHigh,
  DeFog, DePixelate, AutoClean, AutoSharpen, Mosaic,
  Posterize,
};

// Every slider's last value while the program runs.
struct FilterMemory {
  int gaussian = 192, defocus = 112, soften = 7, outlier = 255, despeckle = 4, unspot = -7;
  int meanRemoval = 4, highPassMedium = 3, highPassLight = 3;
  int unsharp = 160, unsharpEffect = 48, clean = 240, cleanEffect = 64, defog = 255, defogEffect = 64;
  int mosaic = 2;
  int posterize = 3;
};

// Shown when the resampled copy cannot be made.
extern const char* const kResampleFailedText;

// The outcome of a run, for the window and the tests.
enum class FilterOutcome { Done, Cancelled, Stopped, Refused, Failed, Unchanged };

class FilterCommands {
public:
  FilterCommands(PictureState& state, EngineState& engine, ToneCommands& edits, EditHost& host, FilterRequester& ask);

  void SetRecorder(ScriptRecorder* r) { recorder_ = r; }
  // Where the filters report their rows; none: no display, Esc still polled.
  void SetProgress(Progress* p) { progress_ = p; }
  FilterMemory& Memory() { return memory_; }
  // The memory DeLace and Enrich may count on for their enlarged copies (default: the
  // system's available physical memory).
  void SetAvailableMemory(std::function<std::uint64_t()> f) { available_ = std::move(f); }

  // Inside a script (ToneCommands::ScriptRunning) the values come from FilterParam1 and 2 and
  // nothing is backed up or recorded. DePixelate's script word is DePixelateWord.
  FilterOutcome Run(FilterCommand c);
  // DEPIXELATE=n: pair smoothing only, variant 0 for n != 0, else 1.
  FilterOutcome DePixelateWord(int n);
  // Image › Resize › Resample without its dialog: to width x height (FilterParam2 x
  // FilterParam1 from a script), recorded outside a script.
  FilterOutcome Resample(int width, int height);
  // The menu's Resample after its size dialog: an undo copy first, when there is a change.
  FilterOutcome ResampleCommand(int width, int height);

private:
  Dib& Pic() { return host_.Picture(); }
  FilterOutcome Dialog(FilterCommand c);
  FilterOutcome Descreen(FilterCommand c);
  FilterOutcome Enlarged(FilterCommand c);
  FilterOutcome DePixelate();
  FilterOutcome AutoFilter(FilterCommand c);
  FilterProgress Rows();
  void Busy(const std::string& text);
  FilterOutcome Stopped(bool wasModified);
  void Record(const std::string& word, std::initializer_list<int> args = {});
  bool Script() const;

  PictureState& state_;
  EngineState& engine_;
  ToneCommands& edits_;
  EditHost& host_;
  FilterRequester& ask_;
  ScriptRecorder* recorder_ = nullptr;
  Progress* progress_ = nullptr;
  FilterMemory memory_;
  std::function<std::uint64_t()> available_;
};

}  // namespace pelira
