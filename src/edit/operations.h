#pragma once
// The operation table: one row per editing operation a user can reach, from a menu, a script
// line or `pelira-cli apply`. A row holds everything said about the operation outside its
// engine function: script word and aliases, arguments and their ranges, where its menu item
// goes, its dialog, and how it runs. Menus, the script interpreter, the filter dialogs, the
// recorder and the command line all read it, so each fact is written once, here.
//
// Adding an operation: write its engine function, add one row to operations.cpp (and, when it
// needs a dialog or statistics, a case in the command family that runs it).
#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <variant>

#include "edit/filter_commands.h"
#include "edit/geometry_commands.h"
#include "edit/picture_state.h"
#include "edit/tone_commands.h"
#include "engine/engine_state.h"

namespace pelira {

enum class ScriptArgs { None, Numbers, Text };

struct ArgRange {
  std::int32_t lo = 0, hi = 0;
};

// Where the operation's menu item goes: its object name and caption, the object name of the
// menu (or of the placeholder item that becomes a submenu) holding it, and the item it goes
// before ("" = appended). No name: the operation has no menu item of its own.
struct OperationMenu {
  const char* name = "";
  const char* caption = "";
  const char* parent = "";
  const char* before = "";
};

// The slider dialog of a neighbourhood filter: preview kind, title, end labels, the sliders'
// range and page step, the busy text, and the remembered slider values (second: the effect
// slider of the two-slider filters).
struct FilterDialog {
  int kind = 0;
  const char* title = "";
  const char* lo = "";
  const char* hi = "";
  int min = 0, max = 0, page = 1;
  const char* status = "";
  int FilterMemory::*remembered[2] = {nullptr, nullptr};
};

// The one edit behind a filter's preview, its menu command, a replayed line and the command
// line: the picture, the slider value, the effect value, the rows' progress.
using FilterApply = bool (*)(Dib& pic, int value, int effect, const FilterProgress& progress);

// What a headless run of an operation works on: the picture's state, the engine's tables and
// second images, and the command families.
struct EditSession {
  PictureState& state;
  EngineState& engine;
  EditHost& host;
  ToneCommands& tone;
  FilterCommands* filters;  // none: the neighbourhood filters are not available here
  std::string text = {};         // the text argument of a text word
  std::string currentFile = {};  // the script's current file (empty: the picture state's)

  Dib& Picture() { return host.Picture(); }
  // The picture changed in place: it is modified and shown again.
  void Changed();
};

using Arguments = std::array<std::int32_t, 3>;
// An operation with its own runner: the arguments have passed the row's range check.
using WordRunner = void (*)(EditSession& session, const Arguments& args);

struct Operation {
  const char* id = "";  // the code's name for the row, unique
  std::array<const char*, 2> words{};  // script word (recorded) and an alias; none: menu only
  ScriptArgs args = ScriptArgs::None;
  int checked = 0;  // how many arguments the range check covers; a line outside does nothing
  std::array<ArgRange, 3> range{};
  bool promptAfter = false;  // a traced line shows its prompt after it ran
  OperationMenu menu;
  // How it runs; std::monostate: a known word whose operation this build lacks.
  std::variant<std::monostate, EditCommand, FilterCommand, DepthCommand, WordRunner, GeometryCommand> run;
  FilterDialog dialog;     // neighbourhood filters with a slider dialog
  FilterApply apply = nullptr;
  const char* recordsAs = nullptr;  // menu-only rows: the id of the row whose word they record

  const char* Word() const { return words[0]; }
  bool Built() const { return !std::holds_alternative<std::monostate>(run); }
};

// Every row, in menu order within each menu.
std::span<const Operation> Operations();

// The row of a script word (upper case, aliases included); nullptr when no row has it.
const Operation* FindOperation(std::string_view upperWord);
// The row whose menu item has that object name; nullptr when none.
const Operation* OperationByMenuName(std::string_view name);
// The row by its id; nullptr when none.
const Operation* OperationById(std::string_view id);
// The row that runs a command (the first one, when several do).
const Operation& OperationOf(EditCommand c);
const Operation& OperationOf(FilterCommand c);
const Operation& OperationOf(DepthCommand c);
const Operation& OperationOf(GeometryCommand c);
// The word a command records: its row's word, or the word of the row it records as.
const char* RecordedWord(const Operation& op);

enum class ApplyResult {
  Applied,     // the operation ran
  Skipped,     // arguments outside the row's ranges, or no picture: the line does nothing
  NotBuilt,    // the word is known but this build lacks the operation
  Unavailable, // the session has no neighbourhood filters
};

// Runs one row as a script line does: values from args, no dialog, no undo copy, nothing
// recorded. The caller marks the run as a script (ToneCommands::SetScriptRunning).
ApplyResult ApplyOperation(const Operation& op, EditSession& session, const Arguments& args);

// "WORD=lo..hi,lo..hi" for the listing of the command line and the help.
std::string OperationSignature(const Operation& op);

}  // namespace pelira
