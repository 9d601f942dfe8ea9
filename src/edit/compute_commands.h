#pragma once
// The viewer's Image › Compute and Image › Add noise commands: the duplicate, backup and
// scratch images of the editing session and the two-image operations on them. Core, like
// the tone and filter commands: the window lends the picture, the dialogs and a progress
// display; the engine functions (engine/compute.h, engine/composites.h) do the pixels.
//
// Every command that needs a matching duplicate checks it (same size, both 24-bit) before any
// pixel changes; the ones the user starts with a dialog say why they refuse.
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "edit/edit_host.h"
#include "edit/picture_state.h"
#include "engine/engine_state.h"
#include "engine/filter_request.h"
#include "platform/progress.h"

namespace pelira {

class ToneCommands;

enum class ComputeCommand {
  Duplicate, Swap, Average, Interlace, MaskShadows, MaskHighlights, MaskMidtones, MaskContrast,
  MaskEdges, MaskGrayscale, Multiply, Minimum, Maximum, Difference, Subtract, Backup, Restore,
  RandomNoise, Artifacts,
};

// Each command's row of the operation table (its menu item, and its word when it has one).
const char* ComputeRowId(ComputeCommand c);
// The command behind a row; false when the row is not one of these.
bool ComputeCommandOfRow(std::string_view rowId, ComputeCommand* out);

// The sliders' remembered positions while the program runs (the next start positions).
struct ComputeMemory {
  int average = 50, interlace = 99, interlaceField = 1;
  int shadows = 100;  // shared by Mask Shadows and Mask Highlights
  int midtones = 150, contrast = 150;
  int edges = 64, edgesEffect = 255;
  int artifacts = 48;
  int noise[3] = {16, 16, 16};
};

enum class ComputeOutcome { Done, Cancelled, Refused, Mismatch, Stopped, Failed, Unchanged };

class ComputeCommands {
public:
  ComputeCommands(PictureState& state, EngineState& engine, ToneCommands& edits, EditHost& host, FilterRequester& ask);

  void SetRecorder(ScriptRecorder* r) { recorder_ = r; }
  void SetSliderRequester(SliderRequester* s) { sliders_ = s; }
  void SetProgress(Progress* p) { progress_ = p; }
  // The seed of a noise run (default: a fresh random number each run).
  void SetSeedSource(std::function<std::uint64_t()> f) { seed_ = std::move(f); }
  ComputeMemory& Memory() { return memory_; }

  ComputeOutcome Run(ComputeCommand c);

private:
  Dib& Pic() { return host_.Picture(); }
  bool Matches();                // Ok2ComputeFull; makes the picture true colour when it matches
  ComputeOutcome Warn();         // the mismatch warning
  void Record(const std::string& line);
  ComputeOutcome Duplicate();
  ComputeOutcome Swap();
  ComputeOutcome Backup();
  ComputeOutcome Restore();
  ComputeOutcome Weighted(ComputeCommand c);
  ComputeOutcome BandMask(ComputeCommand c);
  ComputeOutcome MaskEdges();
  ComputeOutcome PerComponent(ComputeCommand c);
  ComputeOutcome MaskGrayscale();
  ComputeOutcome Noise();
  ComputeOutcome Artifacts();
  ComputeOutcome Finish();

  PictureState& state_;
  EngineState& engine_;
  ToneCommands& edits_;
  EditHost& host_;
  FilterRequester& ask_;
  ScriptRecorder* recorder_ = nullptr;
  SliderRequester* sliders_ = nullptr;
  Progress* progress_ = nullptr;
  std::function<std::uint64_t()> seed_;
  ComputeMemory memory_;
};

}  // namespace pelira
