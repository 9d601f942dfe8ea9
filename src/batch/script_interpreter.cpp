#include "batch/script_interpreter.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "common/request_flags.h"
#include "edit/picture_state.h"
#include "edit/tone_commands.h"
#include "edit/filter_commands.h"

namespace pelira {

namespace {

// The operations' picture steps reach the window through the script's host, so a replayed
// line shows what the window shows after any script step.
class HostBridge : public EditHost {
public:
  explicit HostBridge(ScriptHost& h) : h_(h) {}
  Dib& Picture() override { return h_.Picture(); }
  void SetPicture(Dib&& picture) override { h_.SetPicture(std::move(picture)); }
  void ShowBusy(const std::string&) override {}
  void StatusReady() override {}
  void SetStatusWord(const std::string&) override {}
  void Refresh() override { h_.Refresh(); }
  void PictureChanged() override { h_.PictureChanged(); }
  void UpdateCaption() override {}
  void EnableUndo(bool) override {}
  void SelectHandTool() override {}
  void BlankPicture(bool) override {}
  void ShowHistogram(const std::string&, const Histograms&) override {}

private:
  ScriptHost& h_;
};

std::string BaseName(const std::string& path) {
  const std::size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool IsRegularFile(const std::string& path) {
  std::error_code ec;
  return !path.empty() && std::filesystem::is_regular_file(path, ec);
}

// The script mark on the viewer's commands for the run: no undo copies, no dialogs, no
// recording.
class RunMark {
public:
  explicit RunMark(ToneCommands& e) : e_(e), previous_(e.ScriptRunning()) { e_.SetScriptRunning(true); }
  ~RunMark() { e_.SetScriptRunning(previous_); }
  RunMark(const RunMark&) = delete;
  RunMark& operator=(const RunMark&) = delete;

private:
  ToneCommands& e_;
  bool previous_;
  OperationScope scope_;
};

}  // namespace

bool SafeNameSuffix(const std::string& suffix) {
  for (unsigned char c : suffix)
    if (c == '/' || c == '\\' || c < 0x20) return false;
  return true;
}

ScriptInterpreter::ScriptInterpreter(ScriptHost& host, std::function<std::vector<std::string>()> lines)
    : host_(host), lines_(std::move(lines)) {}

bool ScriptInterpreter::Ask(const std::string& text) { return host_.AskYesNo(text); }

void ScriptInterpreter::ClearBuffers(bool duplicateToo) {
  EngineState& e = host_.Engine();
  e.scratch.Clear();
  e.backup.Clear();
  if (duplicateToo) e.duplicate.Clear();
}

bool ScriptInterpreter::Run() {
  RunMark mark(host_.Edits());
  ClearBuffers(true);
  bool completed = true;
  for (;;) {
    const std::vector<std::string> lines = lines_();
    host_.ClearStopRequest();
    bool aborted = false;
    for (const std::string& line : lines) {
      if (host_.StopRequested()) {
        saveReuse_ = false;
        aborted = true;
        break;
      }
      if (!RunLine(line)) {
        saveReuse_ = false;
        aborted = true;
        break;
      }
    }
    if (aborted) {
      completed = false;
      break;
    }
    if (!loop_ || !host_.LoopAllowed()) break;
  }
  ClearBuffers(false);
  host_.Refresh();
  return completed;
}

bool ScriptInterpreter::RunLine(const std::string& line) {
  // SAVE writes the picture at the depth it has: a reduction just before it must reach
  // the file.
  const std::string upper = AsciiUpper(line);
  const ParsedLine p = ParseScriptLine(line, regs_);
  if (p.word != "SAVE") host_.Edits().EnsureTrueColor();
  if (p.word.empty()) return true;
  const ScriptCommandInfo* info = FindScriptCommand(p.word);
  if (!info) return true;
  if (p.word == "TRACE") {
    trace_ = true;
    return true;
  }
  if (p.word == "PROMPT" && !trace_) {
    host_.Refresh();
    return !Ask(std::string("\n") + kAbortBatchText);
  }
  if (trace_) {
    const std::string text = p.word + "\n\n" + kAbortBatchText;
    if (info->promptAfter) {
      if (!Dispatch(p.word)) return false;
      host_.Refresh();
      return !Ask(text);
    }
    host_.Refresh();
    if (Ask(text)) return false;
    if (p.word == "PROMPT") return true;
    return Dispatch(p.word);
  }
  return Dispatch(p.word);
}

bool ScriptInterpreter::Dispatch(const std::string& word) {
  if (const Operation* op = FindOperation(word)) {
    Apply(*op);
    return true;
  }
  return Other(word);
}

void ScriptInterpreter::Apply(const Operation& op) {
  HostBridge bridge(host_);
  EditSession session{host_.View(), host_.Engine(), bridge, host_.Edits(), host_.Filters()};
  session.text = regs_.text;
  session.currentFile = host_.CurrentFileName();
  const ApplyResult r = ApplyOperation(op, session, regs_.a);
  if (r == ApplyResult::NotBuilt || r == ApplyResult::Unavailable) host_.NotAvailable(op.Word());
}

bool ScriptInterpreter::Other(const std::string& word) {
  ToneCommands& edits = host_.Edits();
  PictureState& view = host_.View();
  if (word == "PROMPTSTRING") return !Ask(regs_.text + "\n" + kAbortBatchText);
  if (word == "PROMPT_NOT_FILESTRING" || word == "PROMPT_HAS_FILESTRING") {
    const std::string name = host_.CurrentFileName();
    const bool has = AsciiUpper(name).find(AsciiUpper(regs_.text)) != std::string::npos;
    const bool wantHas = word == "PROMPT_HAS_FILESTRING";
    if (has != wantHas) return true;
    return !Ask(BaseName(name) + (wantHas ? " contains " : " does not contain ") + "\"" + regs_.text + "\"\n" +
                "Abort?");
  }
  if (word == "LOOP") {
    loop_ = true;
  } else if (word == "NEXT") {
    host_.NextBookmark();
  } else if (word == "PREVIOUS") {
    host_.PreviousBookmark();
  } else if (word == "RELOAD") {
    view.ImageModified = false;
    if (host_.LoadPicture(host_.CurrentFileName())) edits.EnsureTrueColor();
  } else if (word == "LOADFILE") {
    view.ImageModified = false;
    // Regular files only: a FIFO or a device would hang or feed the loader endlessly.
    if (IsRegularFile(regs_.text) && host_.LoadPicture(regs_.text)) edits.EnsureTrueColor();
  } else if (word == "SAVE") {
    Save();
  } else if (word == "DELETE") {
    Delete();
  } else if (word == "NOMODIFYFLAG") {
    view.ImageModified = false;
  } else if (word == "REFRESH") {
    host_.Refresh();
  } else if (word == "CLEARBUFFERS") {
    ClearBuffers(true);
  } else {
    host_.NotAvailable(word);
  }
  return true;
}

std::string SaveSuffix(const ScriptRegisters& regs) {
  // A bare SAVE line: the text is the line itself, in whatever case it was typed.
  std::string t = regs.text;
  while (!t.empty() && (t.back() == ' ' || t.back() == '\t')) t.pop_back();
  std::size_t b = 0;
  while (b < t.size() && (t[b] == ' ' || t[b] == '\t')) ++b;
  return AsciiUpper(t.substr(b)) == "SAVE" ? std::string() : regs.text;
}

void ScriptInterpreter::Save() {
  const std::string suffix = SaveSuffix(regs_);
  if (!SafeNameSuffix(suffix)) return;
  if (host_.Picture().Empty()) return;
  host_.SaveBatch(suffix, saveReuse_);
  saveReuse_ = true;
}

void ScriptInterpreter::Delete() {
  const std::string path = host_.CurrentFileName();
  if (!IsRegularFile(path)) return;
  if (!deleteAsked_) {
    deleteAsked_ = true;
    deleteAllowed_ = host_.ConfirmDeletes(path);
  }
  if (deleteAllowed_) host_.MoveToTrash(path);
}

}  // namespace pelira
