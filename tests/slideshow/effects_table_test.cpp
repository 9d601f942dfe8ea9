// The effects table, its settings value, the choice of an effect and its mapping.
#include <gtest/gtest.h>

#include <deque>
#include <set>

#include "platform/settings_store.h"
#include "slideshow/effects_table.h"

namespace pelira {
namespace {

// Hands out the given draws in order, then repeats the last.
class ScriptedRandom : public RandomSource {
public:
  explicit ScriptedRandom(std::deque<double> values) : values_(std::move(values)) {}
  double Next() override {
    const double v = values_.front();
    if (values_.size() > 1) values_.pop_front();
    ++calls;
    return v;
  }
  int calls = 0;

private:
  std::deque<double> values_;
};

TEST(EffectsTable, NamesAndEntriesFollowTheBuildOrder) {
  const EffectsTable& t = TheEffectsTable();
  ASSERT_EQ(t.Count(), kEffectCount);
  EXPECT_EQ(EffectsDialogCaption(t), "Select from 173 Transitions Effects");
  const std::vector<std::pair<int, const char*>> names = {
      {0, "None"},
      {1, "Randomize ALL"},
      {6, "Random Implodes + Explodes"},
      {7, "Blur Intro"},
      {8, "Wipe, Scroll, PUSH background, from Right"},
      {23, "Wipe, Reveal, Over background, from Top"},
      {24, "Curtains, Scroll, PUSH background, out Vert"},
      {27, "Curtains, Reveal, Over background, out Vert"},
      {40, "Tile, Tiny, from Right"},
      {69, "Mosaic, X-Large"},
      {70, "Blinds, Tiny, Scroll, PUSH background, from Right"},
      {115, "Blinds, Normal, Reveal, Over background, from Left"},
      {165, "Blinds, X-Large, Reveal, Over background, from Top"},
      {167, "Explode, Rounded Rectangle"},
      {168, "Explode, Circle/Ellipse"},
      {171, "Implode, Circle/Ellipse"},
      {172, "Random Horizontal Lines"},
      {173, "Random Vertical Lines"},
  };
  for (const auto& [i, name] : names) EXPECT_EQ(t.Names()[static_cast<std::size_t>(i)], name) << i;
  const std::set<std::string> unique(t.Names().begin(), t.Names().end());
  EXPECT_EQ(unique.size(), t.Names().size());

  const std::vector<std::pair<int, EffectEntry>> entries = {
      {7, {14, 1, 1}},   {8, {1, 0, 0}},    {23, {4, 3, 0}},  {24, {5, 0, 0}},   {39, {8, 3, 0}},
      {40, {10, 0, 2}},  {63, {13, 0, 64}}, {64, {9, 0, 2}},  {69, {9, 0, 64}},  {70, {18, 0, 2}},
      {114, {18, 3, 8}}, {165, {21, 3, 64}}, {166, {17, 4, 0}}, {171, {16, 6, 0}}, {172, {32, 0, 0}},
      {173, {33, 0, 0}}, {174, {0, 0, 0}},  {255, {0, 0, 0}}, {-1, {0, 0, 0}},   {256, {0, 0, 0}},
  };
  for (const auto& [i, e] : entries) EXPECT_EQ(t.Entry(i), e) << i;
}

TEST(EffectsTable, SelectionValueRoundTripsAndRejectsBadBytes) {
  MemorySettingsStore store;
  EXPECT_TRUE(LoadEffectSelection(store).empty());  // missing = no selection
  ASSERT_TRUE(SaveEffectSelection(store, {173, 8, 0, 8, 300, -1}));
  const auto bytes = store.Read(kEffectsValue);
  ASSERT_TRUE(bytes);
  ASSERT_EQ(bytes->size(), 256u);
  EXPECT_EQ((*bytes)[255], 3);
  EXPECT_EQ((*bytes)[0], 0);
  EXPECT_EQ((*bytes)[1], 8);
  EXPECT_EQ((*bytes)[2], 173);
  EXPECT_EQ((*bytes)[3], 0);
  EXPECT_EQ(LoadEffectSelection(store), (std::vector<int>{0, 8, 173}));

  // All 256 indices cannot be stored: the count byte sits where index 255's slot would be.
  std::vector<int> all(256);
  for (int i = 0; i < 256; ++i) all[static_cast<std::size_t>(i)] = i;
  EXPECT_EQ(DecodeEffectSelection(EncodeEffectSelection(all)).size(), 255u);

  std::vector<std::uint8_t> hand(256, 0);
  hand[0] = 40; hand[1] = 9; hand[2] = 40; hand[255] = 3;
  EXPECT_EQ(DecodeEffectSelection(hand), (std::vector<int>{9, 40}));
  hand[255] = 255;  // the count reaches into the zero padding: index 0 joins
  EXPECT_EQ(DecodeEffectSelection(hand), (std::vector<int>{0, 9, 40}));
  for (std::size_t size : {0u, 1u, 255u, 257u, 1000u})
    EXPECT_TRUE(DecodeEffectSelection(std::vector<std::uint8_t>(size, 7)).empty()) << size;
}

TEST(EffectsTable, InstantAndScriptChoices) {
  ScriptedRandom r({0.0, 0.5, 0.999});
  EXPECT_EQ(ChooseInstantEntry({}, r), 1);  // nothing selected: Randomize ALL
  EXPECT_EQ(r.calls, 0);
  const std::vector<int> sel = {8, 40, 172};
  EXPECT_EQ(ChooseInstantEntry(sel, r), 8);
  EXPECT_EQ(ChooseInstantEntry(sel, r), 40);
  EXPECT_EQ(ChooseInstantEntry(sel, r), 172);

  ScriptedRandom low({0.50}), high({0.51});  // Trunc(R x 100) <= 50 gives the first entry
  const std::vector<std::tuple<int, int, int>> legacy = {
      {1, 23, 15}, {2, 22, 14}, {3, 21, 13}, {4, 20, 12}, {17, 36, 28}, {18, 32, 24}};
  for (const auto& [x, first, second] : legacy) {
    EXPECT_EQ(LegacyEffectEntry(x, low), first) << x;
    EXPECT_EQ(LegacyEffectEntry(x, high), second) << x;
  }
  ScriptedRandom dir({0.75});
  EXPECT_EQ(LegacyEffectEntry(5, dir), 43);
  EXPECT_EQ(LegacyEffectEntry(8, dir), 55);
  const std::vector<std::pair<std::int64_t, int>> fixed = {
      {0, 0}, {9, 172}, {10, 173}, {11, 27}, {14, 25}, {15, 166}, {16, 169}, {19, 168}, {20, 171},
      {21, 39}, {24, 37}, {25, 115}, {26, 114}, {27, 116}, {28, 117}, {29, 1}, {30, 0}, {-3, 0}};
  for (const auto& [x, e] : fixed) EXPECT_EQ(LegacyEffectEntry(x, dir), e) << x;

  EXPECT_EQ(ChooseScriptEntry(0, 9, dir), 172);
  EXPECT_EQ(ChooseScriptEntry(0, 0, dir), 0);
  EXPECT_EQ(ChooseScriptEntry(69, 9, dir), 69);
  EXPECT_EQ(ChooseScriptEntry(256, 9, dir), 0);       // E past the table: plain
  EXPECT_EQ(ChooseScriptEntry(0xFFFF, 1, dir), 0);
  EXPECT_EQ(ChooseScriptEntry(-5, 1, dir), 0);
}

TEST(EffectsTable, RandomGroupsStayInsideTheirFamilies) {
  SeededRandom r(7);
  std::set<std::pair<int, int>> wipes;
  std::set<int> blindSizes, tileSizes;
  for (int i = 0; i < 2000; ++i) {
    const EffectEntry w = ResolveRandomGroup({kFxRandomWipes, 0, 0}, -1, r);
    ASSERT_TRUE(w.kind >= 1 && w.kind <= 4 && w.variant >= 0 && w.variant <= 3);
    wipes.insert({w.kind, w.variant});
    const EffectEntry c = ResolveRandomGroup({kFxRandomCurtains, 0, 0}, -1, r);
    ASSERT_TRUE(c.kind >= 5 && c.kind <= 8 && c.variant >= 0 && c.variant <= 3);
    const EffectEntry t = ResolveRandomGroup({kFxRandomTiles, 0, 0}, -1, r);
    ASSERT_TRUE(t.kind >= 9 && t.kind <= 13);
    tileSizes.insert(t.parameter);
    const EffectEntry b = ResolveRandomGroup({kFxRandomBlinds, 0, 0}, -1, r);
    ASSERT_TRUE(b.kind >= 18 && b.kind <= 21 && b.variant >= 0 && b.variant <= 3);
    blindSizes.insert(b.parameter);
    const EffectEntry x = ResolveRandomGroup({kFxRandomImplodes, 0, 0}, -1, r);
    ASSERT_TRUE((x.kind == 16 || x.kind == 17) && x.variant >= 4 && x.variant <= 6);
  }
  EXPECT_EQ(wipes.size(), 16u);  // "Random Wipes" alone gives every direction and mode
  EXPECT_EQ(tileSizes, (std::set<int>{2, 4, 8, 16, 32}));
  EXPECT_EQ(blindSizes, (std::set<int>{8, 16, 24, 32, 40, 48, 56}));
  // Concrete entries pass through untouched.
  EXPECT_EQ(ResolveRandomGroup({18, 2, 8}, 18, r), (EffectEntry{18, 2, 8}));
}

TEST(EffectsTable, RandomizeAllGroupsAndNoRepeatOfThePreviousKind) {
  // g = (Trunc(R x 101) div 10) div 2; each case then draws inside its group.
  const std::vector<std::pair<double, int>> groups = {
      {0.0, 18}, {0.20, 9}, {0.40, 1}, {0.60, 16}, {0.80, 5}, {0.995, 14}};
  for (const auto& [first, kind] : groups) {
    ScriptedRandom r({first, 0.0});
    EXPECT_EQ(ResolveRandomGroup({kFxRandomAll, 0, 0}, -1, r).kind, kind) << first;
  }
  // The previous kind was 14: the first draw (blur intro) is refused, the next is a wipe.
  ScriptedRandom again({0.995, 0.40, 0.0});
  EXPECT_EQ(ResolveRandomGroup({kFxRandomAll, 0, 0}, 14, again).kind, 1);
  // A source stuck on the previous kind cannot hang the show.
  ScriptedRandom stuck({0.995});
  EXPECT_EQ(ResolveRandomGroup({kFxRandomAll, 0, 0}, 14, stuck).kind, 14);
  EXPECT_LE(stuck.calls, 64);

  EffectChooser chooser;
  SeededRandom r(3);
  int previous = -1;
  for (int i = 0; i < 500; ++i) {
    const TransitionEffect fx = chooser.Choose(1, 800, 600, 1, 800, r);
    EXPECT_NE(fx.kind, 0);
    // Randomize ALL never repeats a kind it drew itself (wipes over a still background turn
    // into blinds after the draw, so only the drawn kinds count).
    if (previous >= 1 && previous <= 17) {
      EXPECT_NE(fx.kind, previous);
    }
    previous = fx.kind;
    EXPECT_EQ(chooser.PreviousKind(), fx.kind);
  }
}

TEST(EffectsTable, MappingToRendererArguments) {
  struct Case {
    EffectEntry entry;
    int speed;
    TransitionEffect expect;  // kind, variant, parameter, byte3, byte4
  };
  const std::int64_t sw = 1024 * 65536ll;
  const std::vector<Case> cases = {
      {{1, 0, 0}, 0, {1, 0, 2, 10, 255}},
      {{1, 0, 0}, 1, {1, 0, 1, 10, 255}},
      {{1, 1, 0}, 1, {1, 1, 1, 10, 1}},
      {{1, 0, 0}, 3, {1, 0, 1, 10, 0}},
      {{4, 3, 0}, 3, {4, 3, 1, 40, 0}},
      {{2, 2, 0}, 0, {19, 2, sw + 6, 10, 255}},
      {{2, 2, 0}, 1, {19, 2, sw + 4, 10, 255}},
      {{2, 2, 0}, 2, {19, 2, sw + 4, 10, 2}},
      {{2, 2, 0}, 3, {19, 2, sw + 2, 10, 0}},
      {{5, 1, 0}, 0, {5, 1, 4, 10, 255}},
      {{6, 1, 0}, 2, {6, 1, 1, 10, 255}},
      {{8, 1, 0}, 3, {8, 1, 1, 10, 0}},
      {{9, 0, 2}, 1, {9, 1, 2, 20, 255}},   // size 2 at S = 1 counts as S = 0
      {{9, 0, 8}, 1, {9, 1, 8, 20, 4}},
      {{10, 0, 4}, 3, {10, 1, 65536 + 4, 20, 2}},
      {{13, 0, 64}, 3, {13, 1, 65536 + 64, 10, 0}},
      {{14, 1, 1}, 2, {14, 1, 1, 20, 255}},
      {{17, 4, 0}, 0, {17, 4, 262148, 20, 255}},
      {{16, 6, 0}, 1, {16, 6, 131074, 20, 255}},
      {{16, 5, 0}, 3, {16, 5, 65537, 20, 0}},
      {{18, 0, 2}, 0, {18, 0, 2 * 65536 + 1, 10, 50}},
      {{18, 0, 2}, 2, {18, 0, 2 * 65536 + 1, 144, 50}},  // 400 mod 256
      {{21, 3, 64}, 3, {21, 3, 64 * 65536 + 1, 150, 1}},
      {{32, 0, 0}, 0, {9, 3, 300 + 196608, 1, 0}},
      {{32, 0, 0}, 2, {9, 3, 300 + 65536, 10, 0}},
      {{33, 0, 0}, 0, {9, 3, 200 * 65536 + 2, 0, 0}},  // byte 3 stays 0
      {{33, 0, 0}, 3, {9, 3, 200 * 65536 + 1, 20, 0}},
      {{0, 0, 0}, 1, {0, 0, 0, 20, 255}},
      {{22, 1, 5}, 1, {0, 0, 0, 20, 255}},
      {{100, 0, 0}, 1, {0, 0, 0, 20, 255}},
  };
  for (const Case& c : cases) {
    const TransitionEffect fx = MapEffect(c.entry, 300, 200, c.speed, 1024);
    const std::string what = std::to_string(c.entry.kind) + "/" + std::to_string(c.entry.variant) + " S=" +
                             std::to_string(c.speed);
    EXPECT_EQ(fx.kind, c.expect.kind) << what;
    EXPECT_EQ(fx.variant, c.expect.variant) << what;
    EXPECT_EQ(fx.parameter, c.expect.parameter) << what;
    EXPECT_EQ(fx.byte3, c.expect.byte3) << what;
    EXPECT_EQ(fx.byte4, c.expect.byte4) << what;
    EXPECT_EQ(fx.speed, c.speed) << what;
  }
  // Pictures under 65 pixels either way draw plainly; 65 is enough.
  EXPECT_EQ(MapEffect({1, 0, 0}, 60, 400, 1, 1024).kind, 0);
  EXPECT_EQ(MapEffect({1, 0, 0}, 400, 60, 1, 1024).kind, 0);
  EXPECT_EQ(MapEffect({1, 0, 0}, 65, 65, 1, 1024).kind, 1);
  // Speeds outside 0..3 are held inside.
  EXPECT_EQ(MapEffect({1, 0, 0}, 300, 200, 9, 1024).speed, 3);
}

}  // namespace
}  // namespace pelira
