#pragma once
// The viewer's editing commands of the tone, histogram and automatic-correction families,
// with the undo contract they share. Everything here is core: the window forwards its menu
// items and keys, and supplies the picture and the dialogs through small interfaces.
#include <functional>
#include <string>

#include "engine/engine_state.h"
#include "engine/filter_request.h"
#include "platform/memory_status.h"
#include "edit/edit_host.h"
#include "edit/undo_store.h"
#include "edit/picture_state.h"

namespace pelira {

class Ui;

enum class EditCommand {
  GammaGlobal, GammaRGB, GammaSuppress, GammaSaturation,
  BrightnessGlobal, BrightnessRGB, BrightnessShift, BrightnessZero, WhiteBalance,
  ContrastGlobal, ContrastRGB, ContrastSuppress, UnWash, UnCook, Attenuate,
  Negative,
  AutoContrast, AutoLighting, AutoSaturate, AutoBalance, AutoGamma, AutoFlash, AutoWhite,
  Normalize, EQualize, Optimize, TuneRGB, Reference,
  EnhanceGlobal, EnhanceLighting, EnhanceShadows, EnhanceHighlights, EnhanceSaturation,
  MapZero, MapCenter, MapEqualize, MapRed, MapGreen, MapBlue, MapLighting, MapSaturation,
  LimitAll, LimitRed, LimitGreen, LimitBlue,
  ParametricEqAll, ParametricEqRed, ParametricEqGreen, ParametricEqBlue,
  // HLS tune, the colour selections, the grey shades and Red Eye (color_commands.cpp).
  TuneHLS, ReplaceHlsForeground, ReplaceHlsBackground, ReplaceRgbForeground, ReplaceRgbBackground,
  MaskBackcolors, MaskForecolors, Airbrush, NaturalizeCcd, NaturalizeRgb, RgbMaximum, RgbMinimum, RedEye,
};
// The colour-depth commands of Colors › Reduce to, Promote to and True Grayscale.
enum class DepthCommand {
  TrueGrayscale, Reduce256Dither, Reduce256Poster, Reduce256Grays, Reduce16Dither, Reduce16Poster, ReduceBW,
  Promote24, Promote8, Promote4,
};

// The compute check's warning (Mask Backcolors, Mask Forecolors).
extern const char* const kComputeCheckText;

// Every command above, in the operation table's order, and its row's id (tests walk them).
const std::vector<EditCommand>& AllEditCommands();
const char* EditCommandName(EditCommand c);

// Memory the low-memory check may count on: available bytes now, and whether a buffer of
// that many bytes can really be had.
struct MemoryProbe {
  std::function<std::uint64_t()> available = [] { return ReadMemoryStatus().availablePhysical; };
  std::function<bool(std::uint64_t)> canAllocate;  // empty: try a real allocation
};

class ToneCommands {
public:
  ToneCommands(PictureState& state, EngineState& engine, UndoStore& undo, EditHost& host, FilterRequester& ask);

  void SetRecorder(ScriptRecorder* r) { recorder_ = r; }
  // The slider dialog, for the commands that ask one number directly.
  void SetSliderRequester(SliderRequester* s) { sliders_ = s; }
  void SetMemoryProbe(MemoryProbe p) { probe_ = std::move(p); }
  // A batch script runs: commands neither back up nor ask nor record; the dialogs' values
  // come from FilterParam1..3.
  void SetScriptRunning(bool on) { scriptRunning_ = on; }
  bool ScriptRunning() const { return scriptRunning_; }

  // --- the undo contract -------------------------------------------------------------------
  // True: go ahead (a copy was taken, or an operation in progress wants none and keeps the
  // copy it has). False: nothing may change; the user has been told.
  bool AutoBackUp();
  // Restores the copy into a new bitmap and swaps it in; a failed decode keeps the picture.
  // Returns false on failure ("Undo failed." shown).
  bool Undo();  // Edit › Undo
  bool UndoAvailable() const { return undo_.Available(); }
  // Dropped when a file is opened.
  void DiscardUndo();
  // True when the picture could not be copied (warning shown).
  bool MemoryRunningLow();
  // Tools › Memory.
  void ShowMemoryReport(int screenWidth, int screenHeight, int colorDepth, int bookmarks);

  void EnsureTrueColor();
  void ExitFilter();
  void ShowBusy(const std::string& text);

  // --- commands ----------------------------------------------------------------------------
  // mode: the script argument of AUTO_GAMMA, AUTO_FLASH, AUTO_WHITE and REFERENCE (0 from
  // the menus).
  void Run(EditCommand c, int mode = 0);
  // Reductions ask the method ("Color reduction method"); a library failure shows its text
  // and leaves the picture as it was.
  void RunDepth(DepthCommand c);
  // Image › Histogram: read-only, the picture keeps its depth and its modified flag.
  void ShowHistogram(const std::string& fileName);
  // Map › RGB info: the statistics as disabled script lines.
  std::vector<std::string> RgbInfoLines();
  void AppendRgbInfo();

private:
  Dib& Pic() { return host_.Picture(); }
  bool Begin();                         // undo copy and true colour, unless a script runs
  void Cancelled(bool wasModified);     // the dialog said Cancel: back to the copy
  FilterAnswer Ask(const std::string& title, const std::string& lo, const std::string& hi, const TFilterDlgParam& r);
  void Record(const std::string& word, std::initializer_list<int> args = {});
  void Tone(EditCommand c);
  void Enhance(EditCommand c);
  void MapCommand(EditCommand c);
  void Limit(EditCommand c);
  void ParametricEq(EditCommand c);
  void AutoContrastPass();              // the Enhance path without dialog or recording
  void OptimizePass();
  void AutoGamma(int mode);
  void AutoFlash(int mode);
  void AutoWhite(int mode);
  void Reference(int mode);
  void NormalizeFamily(EditCommand c);
  void ColorCommand(EditCommand c);      // color_commands.cpp
  void HlsTune();
  void HlsSelectionCommand(EditCommand c);
  void RgbSelection(EditCommand c);
  void Naturalize(EditCommand c);
  void RedEyeCommand();
  void RecoverBitmap();

  PictureState& state_;
  EngineState& engine_;
  UndoStore& undo_;
  EditHost& host_;
  FilterRequester& ask_;
  ScriptRecorder* recorder_ = nullptr;
  SliderRequester* sliders_ = nullptr;
  MemoryProbe probe_;
  bool scriptRunning_ = false;
  bool noRepaint_ = false;
  std::string undoErrorText_;
};

}  // namespace pelira
