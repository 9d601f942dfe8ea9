#include <gtest/gtest.h>

#include <sstream>
#include <stdexcept>

#include "common/request_flags.h"
#include "platform/help.h"
#include "platform/progress.h"
#include "platform/scripted_ui.h"
#include "platform/ui.h"

namespace pelira {
namespace {

constexpr Buttons kOkCancelIgnore = Button::OK | Button::Cancel | Button::Ignore;

// Flags and silenced questions are per process: every test starts from a clean run.
class UiTest : public ::testing::Test {
protected:
  void SetUp() override { Reset(); }
  void TearDown() override { Reset(); }
  static void Reset() {
    Flags().ClearRequests();
    Flags().CriticalProcess = false;
    ClearSilencedQuestions();
  }
  ScriptedUi ui;
};

TEST_F(UiTest, ScriptedUiAnswersFromQueueThenDefaultAndRecordsEveryCall) {
  ui.Queue(Button::Yes);
  ui.Queue(Button::Ignore);
  EXPECT_EQ(ui.Message(MessageKind::Confirmation, "Q1", Button::Yes | Button::No, 7), Button::Yes);
  EXPECT_EQ(ui.Message(MessageKind::Warning, "Q2", kOkCancelIgnore), Button::Ignore);
  // Queue empty: the conservative answer.
  EXPECT_EQ(ui.Message(MessageKind::Confirmation, "Q3", Button::Yes | Button::No), Button::No);
  EXPECT_EQ(ui.Message(MessageKind::Information, "Q4", Button::OK), Button::OK);

  ASSERT_EQ(ui.Calls().size(), 4u);
  const UiCall& first = ui.Calls()[0];
  EXPECT_EQ(first.kind, MessageKind::Confirmation);
  EXPECT_EQ(first.text, "Q1");
  EXPECT_EQ(first.buttons, Button::Yes | Button::No);
  EXPECT_EQ(first.helpContext, 7);
  EXPECT_EQ(first.answer, Button::Yes);
  EXPECT_EQ(ui.Calls()[1].kind, MessageKind::Warning);
  EXPECT_EQ(ui.Texts(), (std::vector<std::string>{"Q1", "Q2", "Q3", "Q4"}));
}

TEST_F(UiTest, DefaultAnswerIsConfigurableAndFallsBackWhenNotOffered) {
  struct Case {
    Button configured;
    Buttons offered;
    Button expected;
  };
  const Case cases[] = {
      {Button::None, Button::OK | Button::Cancel, Button::Cancel},
      {Button::None, Button::Yes | Button::No | Button::Ignore, Button::No},
      {Button::None, Button::Abort | Button::Retry | Button::Ignore, Button::Abort},
      {Button::None, Button::OK | Button::Help, Button::OK},
      {Button::Yes, Button::Yes | Button::No, Button::Yes},
      {Button::Yes, Button::OK | Button::Cancel, Button::Cancel},  // Yes not offered
      {Button::Help, Button::OK | Button::Help, Button::OK},       // Help never closes a box
  };
  for (const Case& c : cases) {
    ScriptedUi fresh;
    fresh.SetDefaultAnswer(c.configured);
    EXPECT_EQ(fresh.Message(MessageKind::Confirmation, "q", c.offered), c.expected)
        << "configured " << ButtonName(c.configured) << ", offered bits " << c.offered.Bits();
  }
}

TEST_F(UiTest, QueuedAnswerTheBoxDoesNotOfferIsATestMistake) {
  ui.Queue(Button::Yes);
  EXPECT_THROW(ui.Message(MessageKind::Confirmation, "q", Button::OK | Button::Cancel), std::logic_error);
}

TEST_F(UiTest, QueuedHelpShowsTheContextAndTheBoxStaysForTheNextAnswer) {
  RecordingHelpViewer help;
  Help::SetViewer(&help);
  ui.Queue(Button::Help);
  ui.Queue(Button::OK);
  EXPECT_EQ(ui.Message(MessageKind::Plain, "Welcome", Button::OK | Button::Help, 103), Button::OK);
  Help::SetViewer(nullptr);
  EXPECT_EQ(help.Contexts(), std::vector<int>{103});
  ASSERT_EQ(ui.Calls().size(), 1u);  // one box, answered once
  EXPECT_EQ(ui.Calls()[0].answer, Button::OK);
}

TEST_F(UiTest, EchoWritesCaptionAndText) {
  std::ostringstream out;
  ui.SetEcho(&out);
  ui.Message(MessageKind::Error, "Disk full.", Button::OK);
  ui.Message(MessageKind::Plain, "Hello", Button::OK);
  EXPECT_EQ(out.str(), "Error: Disk full.\nPelira Picture Utility: Hello\n");
}

TEST_F(UiTest, CurrentUiIsHeadlessUntilOneIsInstalled) {
  // The default must never proceed on its own with a destructive question.
  EXPECT_EQ(CurrentUi().Message(MessageKind::Confirmation, "Discard?", Button::Yes | Button::No), Button::No);
  {
    ScopedUi scoped(ui);
    EXPECT_EQ(&CurrentUi(), &ui);
    CurrentUi().Message(MessageKind::Information, "x", Button::OK);
  }
  EXPECT_NE(&CurrentUi(), &ui);
  EXPECT_EQ(ui.Calls().size(), 1u);
}

TEST_F(UiTest, AskIgnorableProceedsOrAbandonsByAnswer) {
  const std::string text = std::string("Remove bookmark for a.jpg ?\n") + kIgnoreSuffix;
  struct Case {
    Buttons buttons;
    Button answer;
    bool proceeds;
    bool silenced;
  };
  const Case cases[] = {
      {kOkCancelIgnore, Button::OK, true, false},
      {kOkCancelIgnore, Button::Cancel, false, false},
      {kOkCancelIgnore, Button::Ignore, true, true},
      {Button::Yes | Button::No | Button::Ignore, Button::Yes, true, false},
      {Button::Yes | Button::No | Button::Ignore, Button::No, false, false},
      {Button::Yes | Button::No | Button::Ignore, Button::Ignore, true, true},
      {Button::OK | Button::Ignore, Button::OK, true, false},
  };
  for (const Case& c : cases) {
    ClearSilencedQuestions();
    ScriptedUi fresh;
    fresh.Queue(c.answer);
    EXPECT_EQ(AskIgnorable(fresh, "unmark", MessageKind::Confirmation, text, 0, c.buttons), c.proceeds)
        << ButtonName(c.answer);
    EXPECT_EQ(QuestionSilenced("unmark"), c.silenced) << ButtonName(c.answer);
    ASSERT_EQ(fresh.Calls().size(), 1u);
    EXPECT_EQ(fresh.Calls()[0].text, text);
    EXPECT_EQ(fresh.Calls()[0].buttons, c.buttons);
  }
}

TEST_F(UiTest, IgnoreSilencesOnlyItsOwnQuestionForTheRestOfTheRun) {
  ui.Queue(Button::Ignore);
  EXPECT_TRUE(AskIgnorable(ui, "gamma", MessageKind::Confirmation, "g", 100));
  EXPECT_EQ(ui.Calls()[0].buttons, kOkCancelIgnore | Button::Help);  // help context adds Help
  EXPECT_EQ(ui.Calls()[0].helpContext, 100);

  // Silenced: proceeds without a box, however often asked.
  EXPECT_TRUE(AskIgnorable(ui, "gamma", MessageKind::Confirmation, "g", 100));
  EXPECT_TRUE(AskIgnorable(ui, "gamma", MessageKind::Confirmation, "g", 100));
  EXPECT_EQ(ui.Calls().size(), 1u);

  // Another question is still asked; the default answer abandons it.
  EXPECT_FALSE(AskIgnorable(ui, "half-jpeg", MessageKind::Confirmation, "h", 100));
  EXPECT_EQ(ui.Calls().size(), 2u);
}

TEST_F(UiTest, RefuseIfCriticalWarnsOnlyWhileCriticalProcessIsSet) {
  EXPECT_FALSE(RefuseIfCritical(ui));
  EXPECT_TRUE(ui.Calls().empty());

  Flags().CriticalProcess = true;
  EXPECT_TRUE(RefuseIfCritical(ui));
  ASSERT_EQ(ui.Calls().size(), 1u);
  EXPECT_EQ(ui.Calls()[0].kind, MessageKind::Warning);
  EXPECT_EQ(ui.Calls()[0].text, "A critical process is being executed.\nCancel the process to proceed.");
  EXPECT_EQ(ui.Calls()[0].buttons, Buttons(Button::OK));
}

TEST_F(UiTest, ProgressBoxHoldsCriticalProcessAndRefusesASecondOperation) {
  auto first = OpenProgress(ui, "Loading album ...");
  ASSERT_NE(first, nullptr);
  EXPECT_TRUE(Flags().CriticalProcess.load());

  // A second long operation started while the first pumps is refused with the warning.
  auto second = OpenProgress(ui, "Folder size");
  EXPECT_EQ(second, nullptr);
  ASSERT_EQ(ui.Calls().size(), 1u);
  EXPECT_EQ(ui.Calls()[0].text, kCriticalProcessText);
  EXPECT_TRUE(Flags().CriticalProcess.load());  // still the first one's

  first.reset();
  EXPECT_FALSE(Flags().CriticalProcess.load());
  auto third = OpenProgress(ui, "Folder size");
  EXPECT_NE(third, nullptr);
  ASSERT_EQ(ui.Progresses().size(), 2u);
  EXPECT_EQ(ui.Progresses()[0]->title, "Loading album ...");
  EXPECT_FALSE(ui.Progresses()[0]->open);
  EXPECT_TRUE(ui.Progresses()[1]->open);
}

TEST_F(UiTest, OpeningClearsAStaleAbortAndCancelDuringPumpStopsTheLoop) {
  Flags().AbortRequest = true;  // left over from an earlier operation
  int pumps = 0;
  ui.SetPumpHook([&pumps] {
    if (++pumps == 3) Flags().AbortRequest = true;  // the user presses Cancel
  });
  auto progress = OpenProgress(ui, "Scanning");
  ASSERT_NE(progress, nullptr);
  EXPECT_FALSE(progress->Aborted());
  int steps = 0;
  for (; steps < 100 && !progress->Aborted(); ++steps) progress->Pump();
  EXPECT_EQ(steps, 3);
}

}  // namespace
}  // namespace pelira
