#pragma once
// A Ui that answers from a queue and records every box, for tests and the CLI.
#include <deque>
#include <functional>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "platform/progress.h"
#include "platform/ui.h"

namespace pelira {

struct UiCall {
  MessageKind kind;
  std::string text;
  Buttons buttons;
  int helpContext;
  Button answer;
};

class ScriptedUi : public Ui {
public:
  ScriptedUi() = default;

  // Answers given in order, one per box. Queuing Help shows that box's help context and takes
  // the next answer for the same box, as a real box stays open after Help.
  void Queue(Button answer) { answers_.push_back(answer); }
  // The answer once the queue is empty; Button::None (the start) means ConservativeAnswer.
  // A default the box does not offer falls back to ConservativeAnswer.
  void SetDefaultAnswer(Button answer) { defaultAnswer_ = answer; }
  // Echoes each box as "Caption: text" (the CLI sends them to stderr).
  void SetEcho(std::ostream* out) { echo_ = out; }
  // Runs on every Pump of the progress boxes this Ui opens.
  void SetPumpHook(std::function<void()> hook) { pumpHook_ = std::move(hook); }

  Button Message(MessageKind kind, const std::string& text, Buttons buttons, int helpContext = 0) override;

  const std::vector<UiCall>& Calls() const { return calls_; }
  // Texts of all boxes, in order.
  std::vector<std::string> Texts() const;
  std::size_t PendingAnswers() const { return answers_.size(); }
  // The progress boxes opened so far, in order, with what they were told.
  const std::vector<std::shared_ptr<const ProgressRecord>>& Progresses() const { return progresses_; }
  void Clear();

protected:
  std::unique_ptr<Progress> CreateProgress(const std::string& title) override;

private:
  std::deque<Button> answers_;
  Button defaultAnswer_ = Button::None;
  std::ostream* echo_ = nullptr;
  std::function<void()> pumpHook_;
  std::vector<UiCall> calls_;
  std::vector<std::shared_ptr<const ProgressRecord>> progresses_;
};

}  // namespace pelira
