#pragma once
// ScriptControl: Tools › Batch › Editor and Perform, and the viewer as the host of a running
// script. The language and the interpreter are core (src/batch/); this controller lends them
// the window's picture, file and questions. The viewer window composes one.
#include <string>
#include <vector>

#include "app/viewer_settings.h"
#include "batch/script_host.h"

namespace pelira {

class TBatchForm;
class TWebForm;

class ScriptControl : public ScriptHost {
public:
  // editorBounds: the editor's stored bounds, read when it is made and kept when it hides.
  ScriptControl(TWebForm& form, BoundsRect& editorBounds);

  TBatchForm* Editor();  // created on first use
  void ShowEditor();     // "&Editor"
  void PerformClick();   // "&Perform": the editor's text, after the view-settings question
  // The run over the current picture, between an undo copy and the end of the run.
  void Perform(const std::vector<std::string>& lines);
  // At close: unsaved script text is asked about; false keeps the program open.
  bool TextMayGo();
  // The editor's bounds into the settings (kept while the program runs, written at exit).
  void KeepEditorBounds();

  // ScriptHost: the window's picture and commands.
  ToneCommands& Edits() override;
  FilterCommands* Filters() override;
  EngineState& Engine() override;
  PictureState& View() override;
  Dib& Picture() override;
  void SetPicture(Dib&& p) override;
  void PictureChanged() override;
  void Refresh() override;
  std::string CurrentFileName() override;
  bool LoadPicture(const std::string& path) override;
  void NextBookmark() override;
  void PreviousBookmark() override;
  void SaveBatch(const std::string& suffix, bool reuse) override;
  bool AskYesNo(const std::string& text) override;
  bool ConfirmDeletes(const std::string& path) override;
  bool MoveToTrash(const std::string& path) override;
  bool StopRequested() override;
  void ClearStopRequest() override;

private:
  TWebForm& form_;
  BoundsRect& editorBounds_;
  TBatchForm* editor_ = nullptr;
};

}  // namespace pelira
