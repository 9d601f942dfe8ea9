#include "edit/operations.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "batch/headless_host.h"
#include "batch/script_interpreter.h"
#include "batch/script_language.h"
#include "support/test_pictures.h"

namespace pelira {
namespace {
using test::SamePixels;

// Each word, menu item and command is spelled by one row, so the lookups cannot disagree.
TEST(OperationTable, WordsMenuItemsAndIdsAreEachOneRow) {
  std::set<std::string> words, menus, ids;
  for (const Operation& op : Operations()) {
    EXPECT_TRUE(ids.insert(op.id).second) << op.id;
    for (const char* w : op.words)
      if (w) {
        EXPECT_TRUE(words.insert(w).second) << w;
        EXPECT_EQ(FindOperation(w), &op) << w;
        EXPECT_NE(FindScriptCommand(w), nullptr) << w;
      }
    if (*op.menu.name) {
      EXPECT_TRUE(menus.insert(op.menu.name).second) << op.menu.name;
      EXPECT_STRNE(op.menu.caption, "") << op.id;
    }
    if (op.apply) EXPECT_NE(op.dialog.remembered[0], nullptr) << op.id;
  }
  // The control words stay the language's own.
  for (const char* w : {"SAVE", "NEXT", "LOOP", "PROMPT"}) EXPECT_EQ(FindOperation(w), nullptr) << w;
}

TEST(OperationTable, EveryCommandHasARowThatRunsIt) {
  for (EditCommand c : AllEditCommands()) EXPECT_EQ(std::get<EditCommand>(OperationOf(c).run), c) << EditCommandName(c);
  for (int f = 0; f <= static_cast<int>(FilterCommand::AutoSharpen); ++f) {
    const auto c = static_cast<FilterCommand>(f);
    const Operation& op = OperationOf(c);
    ASSERT_TRUE(std::holds_alternative<FilterCommand>(op.run)) << f;
    EXPECT_EQ(std::get<FilterCommand>(op.run), c);
  }
  for (int d = 0; d <= static_cast<int>(DepthCommand::Promote4); ++d) {
    const Operation& op = OperationOf(static_cast<DepthCommand>(d));
    ASSERT_TRUE(std::holds_alternative<DepthCommand>(op.run)) << d;
  }
  // Menu commands without a word of their own record the word of the script's command.
  EXPECT_STREQ(RecordedWord(OperationOf(EditCommand::GammaGlobal)), "GAMMA");
  EXPECT_STREQ(RecordedWord(OperationOf(DepthCommand::Promote24)), "TRUECOLOR");
  EXPECT_STREQ(RecordedWord(OperationOf(FilterCommand::AutoClean)), "");
}

Dib Pattern() {
  Dib d(23, 17, 24);
  for (int y = 0; y < d.Height(); ++y)
    for (int x = 0; x < d.Width(); ++x) d.SetPixel(x, y, MakeColor((x * 37) % 256, (y * 53 + x * 7) % 256, (x * y * 5) % 256));
  return d;
}

// A gentle ramp: neighbours differ by a level or two, where the thresholds 0 and 1 part.
Dib Ramp() {
  Dib d(23, 17, 24);
  for (int y = 0; y < d.Height(); ++y)
    for (int x = 0; x < d.Width(); ++x) d.SetPixel(x, y, MakeColor(100 + x, 100 + y, 100 + (x + y) / 2));
  return d;
}

Dib RunLine(const std::string& line, const Dib& picture = Pattern()) {
  HeadlessScriptHost host;
  host.SetPictureDirect(picture, "p.png");
  ScriptInterpreter run(host, [&] { return std::vector<std::string>{line}; });
  run.Run();
  return host.Picture();
}

// The two-value filters take 0 from a script as 0, their own lower bound: raising it to the
// slider's 1 made CLEAN=0,255 move pixels.
TEST(OperationTable, TwoValueFiltersTakeZeroFromAScript) {
  EXPECT_TRUE(SamePixels(RunLine("CLEAN=0,255"), Pattern()));
  EXPECT_TRUE(SamePixels(RunLine("CLEAN=0,255", Ramp()), Ramp()));
  EXPECT_FALSE(SamePixels(RunLine("CLEAN=1,255", Ramp()), Ramp()));
}

// AutoBalance's wide table takes 255 minus the reference red unclamped: a dark reference gives
// factors up to 3 (clamped at +127 the green below came out one level short).
TEST(OperationTable, AutoBalanceWideTableIsNotClamped) {
  Dib one(1, 1, 24);
  one.SetPixel(0, 0, MakeColor(7, 44, 156));
  EXPECT_EQ(RunLine("AUTO_BALANCE", one).Pixel(0, 0), MakeColor(6, 48, 172));
}

}  // namespace
}  // namespace pelira
