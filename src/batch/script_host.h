#pragma once
// What a running script needs of the program around it: the current picture and its
// commands, the bookmark list, loading, saving, deleting and the questions. The viewer
// implements it over its window; the command line and the tests use a headless one.
#include <string>

namespace pelira {

class Dib;
class ToneCommands;
class FilterCommands;
struct EngineState;
struct PictureState;

class ScriptHost {
public:
  virtual ~ScriptHost() = default;
  virtual ToneCommands& Edits() = 0;
  // The neighbourhood filters and the resample; none: their words are not available.
  virtual FilterCommands* Filters() { return nullptr; }
  virtual EngineState& Engine() = 0;
  virtual PictureState& View() = 0;
  virtual Dib& Picture() = 0;
  virtual void SetPicture(Dib&& picture) = 0;
  // The picture's size or depth changed.
  virtual void PictureChanged() = 0;
  virtual void Refresh() = 0;
  virtual std::string CurrentFileName() = 0;
  // Loads path's picture; the current file name stays what it was. False leaves the
  // picture as it was.
  virtual bool LoadPicture(const std::string& path) = 0;
  virtual void NextBookmark() = 0;
  virtual void PreviousBookmark() = 0;
  // The save command in batch mode, suffix for the proposed name; reuse: the run saved
  // before and may keep its folder and name without asking.
  virtual void SaveBatch(const std::string& suffix, bool reuse) = 0;
  // Yes/No: true for Yes.
  virtual bool AskYesNo(const std::string& text) = 0;
  // Asked once per run before the first DELETE; the answer stands for the rest of the run.
  // False: no file is deleted in this run.
  virtual bool ConfirmDeletes(const std::string& path) = 0;
  // Moves path to the trash; false when it could not.
  virtual bool MoveToTrash(const std::string& path) = 0;
  // A word whose operation this build lacks; hosts may say so once.
  virtual void NotAvailable(const std::string& /*word*/) {}
  // The Esc key or another stop: polled before every line.
  virtual bool StopRequested() = 0;
  virtual void ClearStopRequest() = 0;
  // LOOP passes: the command line runs each script once.
  virtual bool LoopAllowed() const { return true; }
};

}  // namespace pelira
