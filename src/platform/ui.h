#pragma once
// The seam through which core asks the user something: message boxes of fixed kinds and the
// progress box of long operations. The desktop program installs QtUi; tests and the CLI use
// ScriptedUi (platform/scripted_ui.h).
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace pelira {

class Progress;

enum class MessageKind { Warning, Error, Information, Confirmation, Plain };

enum class Button : std::uint16_t {
  None = 0,
  OK = 1 << 0,
  Cancel = 1 << 1,
  Yes = 1 << 2,
  No = 1 << 3,
  Ignore = 1 << 4,
  Help = 1 << 5,
  Retry = 1 << 6,
  Abort = 1 << 7,
};

// A set of buttons, written OK | Cancel | Ignore.
class Buttons {
public:
  constexpr Buttons() = default;
  constexpr Buttons(Button b) : bits_(static_cast<std::uint16_t>(b)) {}  // NOLINT: a button is a set of one
  constexpr bool Has(Button b) const { return b != Button::None && (bits_ & static_cast<std::uint16_t>(b)) != 0; }
  constexpr bool Empty() const { return bits_ == 0; }
  constexpr std::uint16_t Bits() const { return bits_; }
  constexpr Buttons operator|(Buttons other) const { return FromBits(bits_ | other.bits_); }
  constexpr Buttons Without(Button b) const { return FromBits(bits_ & ~static_cast<std::uint16_t>(b)); }
  constexpr bool operator==(const Buttons&) const = default;

private:
  static constexpr Buttons FromBits(unsigned bits) {
    Buttons s;
    s.bits_ = static_cast<std::uint16_t>(bits);
    return s;
  }
  std::uint16_t bits_ = 0;
};

constexpr Buttons operator|(Button a, Button b) { return Buttons(a) | Buttons(b); }

// Buttons in the order a box shows them; Help last.
inline constexpr Button kButtonOrder[] = {Button::OK,    Button::Yes,   Button::No,    Button::Cancel,
                                          Button::Abort, Button::Retry, Button::Ignore, Button::Help};

// "OK", "Cancel", ... for logs and test messages.
const char* ButtonName(Button b);

// The answer that changes least when nobody can be asked: Cancel, else No, else Abort, else
// the first offered of OK, Yes, Retry, Ignore. Help never answers (it does not close a box).
Button ConservativeAnswer(Buttons offered);

// Caption of a box of this kind ("Warning", "Error", ...; plain boxes carry the program title).
const char* MessageCaption(MessageKind kind);

class Ui {
public:
  virtual ~Ui() = default;

  // Shows text ("\n" breaks lines) with the offered buttons and returns the one chosen.
  // Help, when offered, shows the help context and leaves the box open.
  virtual Button Message(MessageKind kind, const std::string& text, Buttons buttons, int helpContext = 0) = 0;

protected:
  friend std::unique_ptr<Progress> OpenProgress(Ui& ui, const std::string& title);
  // Makes and shows the progress box; it sets CriticalProcess while it lives.
  virtual std::unique_ptr<Progress> CreateProgress(const std::string& title) = 0;
};

// The process-wide Ui. Until the program installs one it is a ScriptedUi giving conservative
// answers, so a headless run never blocks on a question.
Ui& CurrentUi();
// nullptr restores the headless default. The caller keeps ui alive while it is installed.
void SetCurrentUi(Ui* ui);

// Installs a Ui for a scope and restores the previous one.
class ScopedUi {
public:
  explicit ScopedUi(Ui& ui);
  ~ScopedUi();
  ScopedUi(const ScopedUi&) = delete;
  ScopedUi& operator=(const ScopedUi&) = delete;

private:
  Ui* previous_;
};

// While the progress box of one operation is open, closing, opening and slideshows are refused:
// shows the warning kCriticalProcessText and answers true when CriticalProcess is set.
bool RefuseIfCritical(Ui& ui);

// Opens the progress box of a long operation titled title, or answers nullptr after the
// CriticalProcess warning when another operation's box is open. Long operations pump events, so
// a second one could otherwise start from inside the first and clear CriticalProcess under it.
// A stale AbortRequest from an earlier operation is cleared first.
std::unique_ptr<Progress> OpenProgress(Ui& ui, const std::string& title);

// --- Questions experienced users may silence -------------------------------------------------

inline constexpr const char* kIgnoreSuffix = "[Ignore] avoids this dialog (for experts).";

// Asks text (which ends with kIgnoreSuffix) unless the question key was silenced in this run.
// Answers true to proceed: OK, Yes and Ignore proceed, Ignore also silences key until the
// program ends; Cancel, No and anything else abandon. Help is added when helpContext != 0.
bool AskIgnorable(Ui& ui, std::string_view key, MessageKind kind, const std::string& text, int helpContext = 0,
                  Buttons buttons = Button::OK | Button::Cancel | Button::Ignore);

bool QuestionSilenced(std::string_view key);
void SilenceQuestion(std::string_view key);
// Forgets every silenced question (tests; a real run keeps them until it ends).
void ClearSilencedQuestions();

}  // namespace pelira
