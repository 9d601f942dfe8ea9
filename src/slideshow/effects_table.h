#pragma once
// The transition effects table: 174 named entries (room for 256), the user's selection for
// instant shows (settings value "selFX01"), the choice of an effect for a slide and the
// mapping of an entry and the effects speed to the renderer's arguments.
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "slideshow/transition_frame.h"

namespace pelira {

class SettingsStore;

inline constexpr const char* kEffectsValue = "selFX01";
inline constexpr int kEffectSlots = 256;
inline constexpr int kEffectCount = 174;
inline constexpr std::size_t kEffectsValueSize = 256;

// Kinds of the table; 100..105 are the random groups, resolved before drawing.
enum EffectKind : int {
  kFxNone = 0,
  kFxWipeRight = 1, kFxWipeLeft = 2, kFxWipeBottom = 3, kFxWipeTop = 4,
  kFxCurtainsOutVert = 5, kFxCurtainsInVert = 6, kFxCurtainsOutHorz = 7, kFxCurtainsInHorz = 8,
  kFxMosaic = 9,
  kFxTileRight = 10, kFxTileLeft = 11, kFxTileBottom = 12, kFxTileTop = 13,
  kFxBlurIntro = 14,
  kFxImplode = 16, kFxExplode = 17,
  kFxBlindsRight = 18, kFxBlindsLeft = 19, kFxBlindsBottom = 20, kFxBlindsTop = 21,
  kFxRandomHorizontalLines = 32, kFxRandomVerticalLines = 33,
  kFxRandomAll = 100, kFxRandomWipes = 101, kFxRandomCurtains = 102, kFxRandomTiles = 103,
  kFxRandomBlinds = 104, kFxRandomImplodes = 105,
};

// Wipe, curtain and blind modes; implode/explode shapes.
enum EffectVariant : int {
  kModeScrollPush = 0, kModeRevealPull = 1, kModeScrollOver = 2, kModeRevealOver = 3,
  kShapeRectangle = 4, kShapeRounded = 5, kShapeEllipse = 6,
};

struct EffectEntry {
  int kind = 0;
  int variant = 0;
  std::int32_t parameter = 0;
  bool operator==(const EffectEntry&) const = default;
};

// Built once; index = position in the name list. Indices outside 0..255 and the slots past
// the defined ones read the zero entry (plain drawing).
class EffectsTable {
public:
  EffectsTable();
  const EffectEntry& Entry(int index) const;
  const std::vector<std::string>& Names() const { return names_; }
  int Count() const { return static_cast<int>(names_.size()); }

private:
  std::array<EffectEntry, kEffectSlots> entries_{};
  std::vector<std::string> names_;
};

const EffectsTable& TheEffectsTable();

// The dialog's caption: "Select from 173 Transitions Effects".
std::string EffectsDialogCaption(const EffectsTable& table);

// "selFX01": 256 bytes, byte 255 = n, bytes 0..n-1 the selected indices ascending, rest 0.
// Encoding keeps indices 0..255, sorted and unique, at most 255 of them. Decoding a value of
// any other length gives no selection; unsorted or repeated indices come back sorted unique.
std::vector<std::uint8_t> EncodeEffectSelection(const std::vector<int>& indices);
std::vector<int> DecodeEffectSelection(const std::vector<std::uint8_t>& bytes);
std::vector<int> LoadEffectSelection(const SettingsStore& store);
bool SaveEffectSelection(SettingsStore& store, const std::vector<int>& indices);

// Random numbers in [0, 1); Draw(k) = Trunc(R x k), kept in 0..k-1.
class RandomSource {
public:
  virtual ~RandomSource() = default;
  virtual double Next() = 0;
  int Draw(int k);
  // Seed for the mosaic orders, taken from the same source.
  std::uint64_t Seed();
};

// splitmix64 underneath: the same seed gives the same draws on every machine.
class SeededRandom : public RandomSource {
public:
  explicit SeededRandom(std::uint64_t seed) : state_(seed) {}
  double Next() override;

private:
  std::uint64_t state_;
};

// Instant show: one of the n selected indices, position Draw(n); none selected = "Randomize ALL".
int ChooseInstantEntry(const std::vector<int>& selection, RandomSource& random);
// Script slide: E when not 0 (outside 0..255: "None"), else the legacy code X.
int ChooseScriptEntry(std::int64_t e, std::int64_t x, RandomSource& random);
int LegacyEffectEntry(std::int64_t x, RandomSource& random);

// Replaces a random group by a concrete entry. "Randomize ALL" draws again while the kind
// equals previousKind, at most 64 times, so a source that repeats itself cannot hang a show.
EffectEntry ResolveRandomGroup(const EffectEntry& entry, int previousKind, RandomSource& random);

// The renderer's arguments for a concrete entry drawn on a w x h picture at speed S (0
// "Faster" .. 3 "Slowest") on a screen screenWidth wide. Pictures under 65 pixels either way,
// and kinds without a drawing, give kind 0.
TransitionEffect MapEffect(const EffectEntry& entry, int width, int height, int speed, int screenWidth);

// The whole choice for one slide, remembering the previous slide's kind for "Randomize ALL".
class EffectChooser {
public:
  TransitionEffect Choose(int entryIndex, int width, int height, int speed, int screenWidth, RandomSource& random);
  int PreviousKind() const { return previousKind_; }

private:
  int previousKind_ = -1;
};

}  // namespace pelira
