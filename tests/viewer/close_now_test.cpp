#include <gtest/gtest.h>

#include "common/request_flags.h"
#include "platform/scripted_ui.h"
#include "viewer/close_now.h"

namespace pelira {
namespace {

TEST(CloseNow, AsksTheRightQuestionAndYesClearsTheModifiedFlag) {
  struct Case { bool album, explore; Button answer; const char* text; bool result; };
  const Case cases[] = {
      {false, false, Button::Yes, kDiscardImageText, true},
      {false, false, Button::No, kDiscardImageText, false},
      {true, false, Button::Yes, kDiscardAlbumText, true},
      {true, true, Button::No, kDiscardImageText, false},  // from "Explore": the picture only
  };
  for (const Case& c : cases) {
    ScriptedUi ui;
    ui.Queue(c.answer);
    ViewState s;
    s.ImageModified = true;
    EXPECT_EQ(CloseNow(ui, s, c.album, c.explore), c.result);
    EXPECT_EQ(s.ImageModified, !c.result);
    ASSERT_EQ(ui.Calls().size(), 1u);
    EXPECT_EQ(ui.Calls()[0].text, c.text);
    EXPECT_EQ(ui.Calls()[0].kind, MessageKind::Confirmation);
    EXPECT_EQ(ui.Calls()[0].buttons, Button::Yes | Button::No);
  }
}

TEST(CloseNow, RefusedWhileACriticalProcessRuns) {
  ScriptedUi ui;
  ui.Queue(Button::OK);
  ViewState s;
  s.ImageModified = true;
  Flags().CriticalProcess = true;
  EXPECT_FALSE(CloseNow(ui, s, false));
  Flags().CriticalProcess = false;
  EXPECT_TRUE(s.ImageModified);
  ASSERT_EQ(ui.Calls().size(), 1u);
  EXPECT_EQ(ui.Calls()[0].kind, MessageKind::Warning);
  EXPECT_EQ(ui.Calls()[0].text, "A critical process is being executed.\nCancel the process to proceed.");
}

}  // namespace
}  // namespace pelira
