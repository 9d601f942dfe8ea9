#include "platform/ui.h"

#include <set>
#include <string>

#include "common/request_flags.h"
#include "common/version.h"
#include "platform/progress.h"
#include "platform/scripted_ui.h"

namespace pelira {

namespace {

Ui* g_current = nullptr;

ScriptedUi& HeadlessDefault() {
  static ScriptedUi ui;
  return ui;
}

std::set<std::string, std::less<>>& Silenced() {
  static std::set<std::string, std::less<>> keys;
  return keys;
}

}  // namespace

const char* ButtonName(Button b) {
  switch (b) {
    case Button::None: return "None";
    case Button::OK: return "OK";
    case Button::Cancel: return "Cancel";
    case Button::Yes: return "Yes";
    case Button::No: return "No";
    case Button::Ignore: return "Ignore";
    case Button::Help: return "Help";
    case Button::Retry: return "Retry";
    case Button::Abort: return "Abort";
  }
  return "?";
}

Button ConservativeAnswer(Buttons offered) {
  for (Button b : {Button::Cancel, Button::No, Button::Abort, Button::OK, Button::Yes, Button::Retry, Button::Ignore}) {
    if (offered.Has(b)) return b;
  }
  return Button::None;
}

const char* MessageCaption(MessageKind kind) {
  switch (kind) {
    case MessageKind::Warning: return "Warning";
    case MessageKind::Error: return "Error";
    case MessageKind::Information: return "Information";
    case MessageKind::Confirmation: return "Confirm";
    case MessageKind::Plain: return kApplicationTitle;
  }
  return kApplicationTitle;
}

Ui& CurrentUi() { return g_current ? *g_current : HeadlessDefault(); }

void SetCurrentUi(Ui* ui) { g_current = ui; }

ScopedUi::ScopedUi(Ui& ui) : previous_(g_current) { g_current = &ui; }

ScopedUi::~ScopedUi() { g_current = previous_; }

bool RefuseIfCritical(Ui& ui) {
  if (!Flags().CriticalProcess.load()) return false;
  ui.Message(MessageKind::Warning, kCriticalProcessText, Button::OK);
  return true;
}

std::unique_ptr<Progress> OpenProgress(Ui& ui, const std::string& title) {
  if (RefuseIfCritical(ui)) return nullptr;
  Flags().AbortRequest = false;
  return ui.CreateProgress(title);
}

bool AskIgnorable(Ui& ui, std::string_view key, MessageKind kind, const std::string& text, int helpContext,
                  Buttons buttons) {
  if (QuestionSilenced(key)) return true;
  if (helpContext != 0) buttons = buttons | Button::Help;
  const Button answer = ui.Message(kind, text, buttons, helpContext);
  switch (answer) {
    case Button::Ignore:
      SilenceQuestion(key);
      return true;
    case Button::OK:
    case Button::Yes:
      return true;
    default:
      return false;
  }
}

bool QuestionSilenced(std::string_view key) { return Silenced().count(key) != 0; }

void SilenceQuestion(std::string_view key) { Silenced().emplace(key); }

void ClearSilencedQuestions() { Silenced().clear(); }

}  // namespace pelira
