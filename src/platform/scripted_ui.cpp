#include "platform/scripted_ui.h"

#include <stdexcept>

#include "platform/help.h"

namespace pelira {

Button ScriptedUi::Message(MessageKind kind, const std::string& text, Buttons buttons, int helpContext) {
  if (echo_) *echo_ << MessageCaption(kind) << ": " << text << '\n';
  Button answer = Button::None;
  while (!answers_.empty()) {
    answer = answers_.front();
    answers_.pop_front();
    // A scripted answer the box cannot give is a mistake in the test, not something to paper over.
    if (!buttons.Has(answer)) {
      throw std::logic_error(std::string("ScriptedUi: answer ") + ButtonName(answer) + " is not offered for \"" +
                             text + "\"");
    }
    if (answer != Button::Help) break;
    Help::Show(helpContext);
    answer = Button::None;
  }
  if (answer == Button::None) {
    answer = buttons.Has(defaultAnswer_) && defaultAnswer_ != Button::Help ? defaultAnswer_
                                                                             : ConservativeAnswer(buttons);
  }
  calls_.push_back({kind, text, buttons, helpContext, answer});
  return answer;
}

std::vector<std::string> ScriptedUi::Texts() const {
  std::vector<std::string> texts;
  texts.reserve(calls_.size());
  for (const UiCall& c : calls_) texts.push_back(c.text);
  return texts;
}

void ScriptedUi::Clear() {
  answers_.clear();
  calls_.clear();
  progresses_.clear();
}

std::unique_ptr<Progress> ScriptedUi::CreateProgress(const std::string& title) {
  auto progress = std::make_unique<HeadlessProgress>(title, pumpHook_);
  progresses_.push_back(progress->Record());
  return progress;
}

}  // namespace pelira
