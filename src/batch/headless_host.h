#pragma once
// A script host without a window: the command line and the tests. It owns a whole engine
// state (tables, parameters, second images, undo store), so two hosts never share one.
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "batch/script_host.h"
#include "engine/engine_state.h"
#include "engine/filter_request.h"
#include "image/dib.h"
#include "edit/memory_edit_host.h"
#include "edit/undo_store.h"
#include "edit/picture_state.h"
#include "edit/tone_commands.h"
#include "edit/filter_commands.h"

namespace pelira {

class HeadlessScriptHost : public ScriptHost {
public:
  // What SAVE does with the picture and the suffix; empty: SAVE does nothing.
  using SaveFn = std::function<void(const Dib& picture, const std::string& suffix)>;

  HeadlessScriptHost();
  ~HeadlessScriptHost() override;

  // The bookmark list; the first entry (if any) becomes the current file, loaded.
  bool OpenBookmarks(std::vector<std::string> files);
  void SetPictureDirect(Dib picture, const std::string& fileName);
  void SetSave(SaveFn save) { save_ = std::move(save); }
  // Answers of the Yes/No prompts (false: do not abort) and of the delete question.
  void SetAnswers(std::function<bool(const std::string&)> yesNo) { yesNo_ = std::move(yesNo); }
  void SetDeletePolicy(std::function<bool(const std::string&)> confirm) { confirmDelete_ = std::move(confirm); }
  void SetTrash(std::function<bool(const std::string&)> trash) { trash_ = std::move(trash); }
  void SetLoopAllowed(bool on) { loopAllowed_ = on; }
  void SetStopPoll(std::function<bool()> poll) { stopPoll_ = std::move(poll); }
  // Words seen whose operation the build lacks, each once, in the order met.
  const std::vector<std::string>& Missing() const { return missing_; }
  const std::vector<std::string>& Questions() const { return questions_; }
  // Why the last load failed, in the loader's words.
  const std::string& LoadError() const { return loadError_; }
  // Pictures that loaded with a decoder warning: "path: warning", in load order.
  const std::vector<std::string>& LoadWarnings() const { return warnings_; }

  ToneCommands& Edits() override { return edits_; }
  FilterCommands* Filters() override { return &filters_; }
  EngineState& Engine() override { return engine_; }
  PictureState& View() override { return view_; }
  Dib& Picture() override { return edit_.picture; }
  void SetPicture(Dib&& p) override { edit_.SetPicture(std::move(p)); }
  void PictureChanged() override { edit_.PictureChanged(); }
  void Refresh() override {}
  std::string CurrentFileName() override { return current_; }
  bool LoadPicture(const std::string& path) override;
  void NextBookmark() override;
  void PreviousBookmark() override;
  void SaveBatch(const std::string& suffix, bool reuse) override;
  bool AskYesNo(const std::string& text) override;
  bool ConfirmDeletes(const std::string& path) override;
  bool MoveToTrash(const std::string& path) override;
  void NotAvailable(const std::string& word) override;
  bool StopRequested() override { return stopPoll_ && stopPoll_(); }
  void ClearStopRequest() override {}
  bool LoopAllowed() const override { return loopAllowed_; }

private:
  // No dialog ever opens inside a script; a request that came anyway is cancelled.
  class NoDialogs : public FilterRequester {
  public:
    FilterAnswer RunFilterDialog(const std::string&, const std::string&, const std::string&,
                                 const TFilterDlgParam&) override {
      return {};
    }
  };

  PictureState view_;
  EngineState engine_;
  UndoStore undo_;
  MemoryEditHost edit_;
  NoDialogs dialogs_;
  ToneCommands edits_;
  FilterCommands filters_;
  std::vector<std::string> bookmarks_;
  std::size_t position_ = 0;
  std::string current_;
  SaveFn save_;
  std::function<bool(const std::string&)> yesNo_, confirmDelete_, trash_;
  std::function<bool()> stopPoll_;
  bool loopAllowed_ = true;
  std::vector<std::string> missing_, questions_;
  std::string loadError_;
  std::vector<std::string> warnings_;
  std::set<std::string> missingSeen_;
};

}  // namespace pelira
