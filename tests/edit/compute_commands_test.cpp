#include "edit/compute_commands.h"

#include <gtest/gtest.h>

#include <deque>
#include <string>
#include <vector>

#include "batch/headless_host.h"
#include "batch/script_interpreter.h"
#include "common/request_flags.h"
#include "edit/memory_edit_host.h"
#include "edit/operations.h"
#include "edit/tone_commands.h"
#include "engine/compute.h"
#include "platform/scripted_ui.h"
#include "support/test_pictures.h"

namespace pelira {
namespace {
using C = ComputeCommand;
using test::SamePixels;

class Host : public MemoryEditHost {
public:
  using MemoryEditHost::MemoryEditHost;
  void SetStatusWord(const std::string& w) override { word = w; }
  void ShowBusy(const std::string& text) override { busy.push_back(text); }
  std::string word;
  std::vector<std::string> busy;
};

// Answers with the queued values (else the start positions); optionally runs the preview on
// a copy of the picture first, as the dialog's after picture at full size.
class Requester : public FilterRequester, public SliderRequester {
public:
  FilterAnswer RunFilterDialog(const std::string& title, const std::string&, const std::string&,
                               const TFilterDlgParam& r) override {
    titles.push_back(title);
    requests.push_back(r);
    if (cancel) return {};
    FilterAnswer a;
    for (int i = 0; i < 3; ++i) a.values[static_cast<std::size_t>(i)] = EffectiveSlider(r, i).start;
    if (!queued.empty()) {
      a.values = queued.front();
      queued.pop_front();
    }
    if (previewOf && r.preview) {
      preview = *previewOf;
      r.preview(preview, a.values);
    }
    a.result = a.values[0];
    return a;
  }
  int RunSliderDialog(const std::string& title, const std::string&, const std::string&, const SliderRequest& q) override {
    titles.push_back(title);
    if (cancel) return kDialogCancelled;
    if (!queued.empty()) {
      const int v = queued.front()[0];
      queued.pop_front();
      return v;
    }
    return q.start;
  }
  bool cancel = false;
  std::deque<std::array<int, 3>> queued;
  std::vector<std::string> titles;
  std::vector<TFilterDlgParam> requests;
  const Dib* previewOf = nullptr;
  Dib preview;
};

class Lines : public ScriptRecorder {
public:
  void RecordScriptLine(const std::string& l) override { lines.push_back(l); }
  void AppendLines(const std::vector<std::string>&) override {}
  std::vector<std::string> lines;
};

struct Rig {
  explicit Rig(Dib picture = test::PatternPicture(37, 23, 1), Dib duplicate = test::PatternPicture(37, 23, 2))
      : host(state), edits(state, engine, undo, host, ask), compute(state, engine, edits, host, ask) {
    SetCurrentUi(&ui);
    edits.SetRecorder(&rec);
    edits.SetMemoryProbe({[] { return std::uint64_t{1} << 40; }, [](std::uint64_t) { return true; }});
    compute.SetRecorder(&rec);
    compute.SetSliderRequester(&ask);
    compute.SetSeedSource([] { return std::uint64_t{99}; });
    host.picture = std::move(picture);
    SyncImageState(state, host.picture);
    state.ImageLoaded = true;
    engine.duplicate = std::move(duplicate);
  }
  ~Rig() { SetCurrentUi(nullptr); }
  ScriptedUi ui;
  PictureState state;
  EngineState engine;
  UndoStore undo;
  Host host;
  Requester ask;
  Lines rec;
  ToneCommands edits;
  ComputeCommands compute;
};

// Every recorded line, replayed by the script run from the same start, gives the very
// pixels the menu command gave, and leaves the same duplicate.
TEST(ComputeCommands, RecordedLinesReplayToTheSamePixels) {
  struct Case {
    std::vector<C> commands;
    std::vector<std::array<int, 3>> answers;
    std::vector<std::string> lines;
  };
  const Case cases[] = {
      {{C::Average}, {{30, 0, 0}}, {"AVERAGE=30"}},
      {{C::Interlace}, {{40, 0, 0}}, {"INTERLACE=40,0"}},
      {{C::Interlace}, {{70, 1, 0}}, {"INTERLACE=70,1"}},
      {{C::MaskShadows}, {{120, 60, 0}}, {"MASK_SHADOWS=120,60"}},
      {{C::MaskHighlights}, {{80, 99, 0}}, {"MASK_HIGHLIGHTS=80,99"}},
      {{C::MaskMidtones}, {{200, 10, 0}}, {"MASK_MIDTONES=200,10"}},
      {{C::MaskContrast}, {{150, 0, 0}}, {"MASK_CONTRAST=150,0"}},
      {{C::MaskEdges}, {{250, 200, 0}}, {"MASK_EDGES=250,200"}},
      {{C::MaskGrayscale}, {}, {"MASK_GRAYSCALE"}},
      {{C::Multiply}, {}, {"MULTIPLY"}},
      {{C::Minimum}, {}, {"MINIMUM"}},
      {{C::Maximum}, {}, {"MAXIMUM"}},
      {{C::Difference}, {}, {"DIFFERENCE"}},
      {{C::Subtract}, {}, {"SUBTRACT"}},
      {{C::Swap}, {}, {"SWAP"}},
      {{C::Artifacts}, {{48, 0, 0}}, {"ARTIFACT=48"}},
      {{C::Duplicate, C::Multiply}, {}, {"DUPLICATE", "MULTIPLY"}},
      {{C::Backup, C::Difference, C::Restore}, {}, {"CopyToBackup", "DIFFERENCE", "CopyFromBackup"}},
  };
  const Dib a = test::PatternPicture(37, 23, 1);
  for (const Case& c : cases) {
    // A script starts with empty buffers: the session makes its duplicate and edits the
    // picture first, and the replay runs those lines too.
    Rig rig(a, Dib());
    rig.compute.Run(C::Duplicate);
    rig.edits.Run(EditCommand::Negative);
    for (const auto& v : c.answers) rig.ask.queued.push_back(v);
    Dib beforeLast;
    for (C cmd : c.commands) {
      beforeLast = rig.host.picture;
      rig.compute.Run(cmd);
    }
    std::vector<std::string> want = {"DUPLICATE", "NEGATIVE"};
    want.insert(want.end(), c.lines.begin(), c.lines.end());
    EXPECT_EQ(rig.rec.lines, want);
    EXPECT_FALSE(SamePixels(rig.host.picture, beforeLast)) << c.lines.front();

    HeadlessScriptHost replay;
    replay.SetPictureDirect(a, "a.png");
    ScriptInterpreter run(replay, [&] { return rig.rec.lines; });
    run.Run();
    EXPECT_TRUE(SamePixels(replay.Picture(), rig.host.picture)) << c.lines.front();
    EXPECT_TRUE(SamePixels(replay.Engine().duplicate, rig.engine.duplicate)) << c.lines.front();
  }
}

// A duplicate of another size or depth: the commands with a dialog or a warning say so and
// change nothing; the others end silently. Nothing is recorded either way.
TEST(ComputeCommands, MismatchedDuplicate) {
  struct Case {
    C command;
    bool warns;
  };
  const Case cases[] = {{C::Average, true},       {C::Interlace, true},   {C::MaskShadows, true},
                        {C::MaskHighlights, true}, {C::MaskMidtones, true}, {C::MaskContrast, true},
                        {C::MaskGrayscale, true},  {C::Subtract, true},    {C::Multiply, false},
                        {C::Minimum, false},       {C::Maximum, false},    {C::Difference, false},
                        {C::Swap, false},          {C::MaskEdges, false}};
  const Dib a = test::PatternPicture(37, 23, 1);
  for (const Dib& dup : {test::PatternPicture(36, 23, 2), Dib(37, 23, 8), Dib()}) {
    for (const Case& c : cases) {
      Rig rig(a, dup);
      rig.compute.Run(c.command);
      EXPECT_TRUE(SamePixels(rig.host.picture, a)) << static_cast<int>(c.command);
      EXPECT_TRUE(rig.rec.lines.empty()) << static_cast<int>(c.command);
      const std::vector<std::string> texts = rig.ui.Texts();
      if (c.warns) {
        ASSERT_EQ(texts.size(), 1u) << static_cast<int>(c.command);
        EXPECT_EQ(texts[0], "Source and duplicate bitmaps must have\nsame dimensions and 24-bit color depth.");
        // The dialog never opened.
        EXPECT_TRUE(rig.ask.titles.empty());
      } else {
        EXPECT_TRUE(texts.empty()) << static_cast<int>(c.command);
      }
    }
  }
}

// Cancel leaves the picture and its modified flag as they were, the true-colour promotion
// of the commands that make one undone as well.
TEST(ComputeCommands, CancelChangesNothing) {
  Dib pal(37, 23, 8);
  for (int y = 0; y < 23; ++y)
    for (int x = 0; x < 37; ++x) pal.SetIndex(x, y, (x * 5 + y) % 256);
  for (C c : {C::Average, C::Interlace, C::MaskShadows, C::MaskEdges, C::RandomNoise, C::Artifacts}) {
    const bool needsTrueColor = c == C::Average || c == C::Interlace || c == C::MaskShadows;
    const Dib start = needsTrueColor ? test::PatternPicture(37, 23, 1) : pal;
    Rig rig(start);
    rig.ask.cancel = true;
    rig.compute.Run(c);
    EXPECT_EQ(rig.ask.titles.size(), 1u) << static_cast<int>(c);
    EXPECT_TRUE(SamePixels(rig.host.picture, start)) << static_cast<int>(c);
    EXPECT_FALSE(rig.state.ImageModified) << static_cast<int>(c);
    EXPECT_TRUE(rig.rec.lines.empty());
  }
}

TEST(ComputeCommands, DialogsStartWhereTheyWereLeft) {
  Rig rig;
  rig.ask.queued = {{30, 0, 0}, {40, 0, 0}, {333, 20, 0}, {0, 0, 0}};
  rig.compute.Run(C::Average);
  rig.compute.Run(C::Interlace);
  rig.compute.Run(C::MaskShadows);
  rig.compute.Run(C::Average);
  rig.compute.Run(C::Interlace);
  rig.compute.Run(C::MaskHighlights);
  ASSERT_EQ(rig.ask.requests.size(), 6u);
  // First opening: the documented starts; then the last values (Highlights shares Shadows').
  EXPECT_EQ(rig.ask.requests[0].slider[0].start, 50);
  EXPECT_EQ(rig.ask.requests[1].slider[0].start, 99);
  EXPECT_EQ(rig.ask.requests[1].slider[1].start, 1);
  EXPECT_EQ(rig.ask.requests[2].slider[0].start, 100);
  EXPECT_EQ(rig.ask.requests[2].slider[1].start, 99);
  EXPECT_EQ(rig.ask.requests[4].slider[1].start, 0);
  EXPECT_EQ(rig.ask.requests[5].slider[0].start, 333);
  EXPECT_EQ(rig.ask.titles[0], "Compute Average Bitmap (%)");
  EXPECT_EQ(rig.ask.titles[1], "Compute Interlaced Bitmap (%)");
  EXPECT_EQ(rig.ask.titles[2], "Mask Bitmap Shadows");
  EXPECT_EQ(rig.ask.titles[5], "Mask Bitmap Highlights");
}

// What the preview showed at full size is what Apply gives, the noise's draws included.
TEST(ComputeCommands, PreviewAtFullSizeIsWhatApplyGives) {
  for (C c : {C::Average, C::Interlace, C::MaskContrast, C::MaskEdges, C::RandomNoise}) {
    Rig rig;
    const Dib start = rig.host.picture;
    rig.ask.previewOf = &start;
    rig.ask.queued = {{c == C::MaskEdges ? 250 : 60, 1, 90}};
    rig.compute.Run(c);
    EXPECT_FALSE(SamePixels(rig.host.picture, start)) << static_cast<int>(c);
    EXPECT_TRUE(SamePixels(rig.ask.preview, rig.host.picture)) << static_cast<int>(c);
  }
}

TEST(ComputeCommands, BuffersDuplicateBackupRestore) {
  Dib pal(37, 23, 8);
  for (int y = 0; y < 23; ++y)
    for (int x = 0; x < 37; ++x) pal.SetIndex(x, y, (x + y) % 256);
  Rig rig(pal, Dib());
  rig.compute.Run(C::Duplicate);
  EXPECT_EQ(rig.host.word, "Duplicated.");
  EXPECT_EQ(rig.host.picture.BitCount(), 24);
  EXPECT_EQ(rig.engine.duplicate.BitCount(), 24);
  EXPECT_TRUE(SamePixels(rig.engine.duplicate, rig.host.picture));

  // Restore with no backup: nothing happens.
  const Dib before = rig.host.picture;
  EXPECT_EQ(rig.compute.Run(C::Restore), ComputeOutcome::Unchanged);
  // Backup, an edit, Restore: the picture as it was, without an undo step of its own.
  rig.compute.Run(C::Backup);
  rig.host.picture = test::PatternPicture(10, 10, 5);
  rig.compute.Run(C::Restore);
  EXPECT_TRUE(SamePixels(rig.host.picture, before));
  EXPECT_EQ(rig.state.ImageWidth, 37);
  EXPECT_FALSE(rig.edits.UndoAvailable());

  // Low memory: nothing is copied and the running script is asked to stop.
  Rig low;
  low.edits.SetMemoryProbe({[] { return std::uint64_t{0}; }, [](std::uint64_t) { return false; }});
  const Dib keptDuplicate = low.engine.duplicate;
  Flags().AbortRequest = false;
  low.compute.Run(C::Duplicate);
  EXPECT_TRUE(Flags().AbortRequest.load());
  EXPECT_TRUE(SamePixels(low.engine.duplicate, keptDuplicate));
  Flags().AbortRequest = false;
}

TEST(ComputeCommands, EveryCommandHasItsRow) {
  for (int i = 0; i <= static_cast<int>(C::Artifacts); ++i) {
    const auto c = static_cast<C>(i);
    const Operation* op = OperationById(ComputeRowId(c));
    ASSERT_NE(op, nullptr) << i;
    EXPECT_STRNE(op->menu.name, "") << i;
    C back{};
    ASSERT_TRUE(ComputeCommandOfRow(op->id, &back));
    EXPECT_EQ(back, c);
  }
}

}  // namespace
}  // namespace pelira
