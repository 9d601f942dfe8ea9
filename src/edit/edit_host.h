#pragma once
// What the editing commands need of the viewer window: its picture and the steps that show
// a change. The window implements it; tests use a small fake.
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "engine/engine_state.h"
#include "image/dib.h"

namespace pelira {

class EditHost {
public:
  virtual ~EditHost() = default;
  virtual Dib& Picture() = 0;
  // Replaces the picture (a new size or depth); the window repaints on Refresh or
  // PictureChanged.
  virtual void SetPicture(Dib&& picture) = 0;
  // The status panel shows text, the status word "Busy...", the wait cursor, pending
  // paint events run (never user input).
  virtual void ShowBusy(const std::string& text) = 0;
  virtual void StatusReady() = 0;
  virtual void SetStatusWord(const std::string& word) = 0;
  virtual void Refresh() = 0;
  // Size, depth and zoom from the bitmap; marks the picture modified.
  virtual void PictureChanged() = 0;
  virtual void UpdateCaption() = 0;
  virtual void EnableUndo(bool on) = 0;
  virtual void SelectHandTool() = 0;
  virtual void BlankPicture(bool untitled) = 0;
  virtual void ShowHistogram(const std::string& title, const Histograms& h) = 0;
  // Before the first change to a picture: a picture shown reduced only to fit the window is
  // decoded again at its full size, so no edit or save works on the reduced copy.
  virtual void PrepareEdit() {}
};

// The line a command records: the word, and "=" with the arguments joined by "," when
// there are any. No blanks.
std::string FormatRecordedLine(std::string_view word, std::initializer_list<int> args = {});

// Where recorded script lines go: the batch editor, once it records.
class ScriptRecorder {
public:
  virtual ~ScriptRecorder() = default;
  virtual void RecordScriptLine(const std::string& line) = 0;
  // Lines appended to the editor as they are (RGB info's disabled lines).
  virtual void AppendLines(const std::vector<std::string>& lines) = 0;
};

}  // namespace pelira
