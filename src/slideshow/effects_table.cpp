#include "slideshow/effects_table.h"

#include <algorithm>
#include <cmath>
#include <set>

#include "platform/settings_store.h"

namespace pelira {

namespace {

const char* const kModes[4] = {", Scroll, PUSH background", ", Reveal, PULL background", ", Scroll, Over background",
                               ", Reveal, Over background"};
const char* const kDirections[4] = {", from Right", ", from Left", ", from Bottom", ", from Top"};
const char* const kCurtainDirections[4] = {", out Vert", ", in Vert", ", out Horz", ", in Horz"};
const char* const kSizes[6] = {", Tiny", ", Small", ", Normal", ", Medium", ", Large", ", X-Large"};
const int kSizeValues[6] = {2, 4, 8, 16, 32, 64};
const char* const kShapes[3] = {", Rectangle", ", Rounded Rectangle", ", Circle/Ellipse"};

const EffectEntry kZeroEntry{};

std::uint64_t SplitMix64(std::uint64_t& state) {
  std::uint64_t z = (state += 0x9E3779B97F4A7C15ull);
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
  return z ^ (z >> 31);
}

// 51 of 100 draws give the first choice.
int Coin(RandomSource& random, int first, int second) { return random.Draw(100) <= 50 ? first : second; }

}  // namespace

EffectsTable::EffectsTable() {
  auto add = [&](std::string name, int kind, int variant, int parameter) {
    entries_[names_.size()] = EffectEntry{kind, variant, parameter};
    names_.push_back(std::move(name));
  };
  add("None", kFxNone, 0, 0);
  add("Randomize ALL", kFxRandomAll, 0, 0);
  add("Random Wipes", kFxRandomWipes, 0, 0);
  add("Random Curtains", kFxRandomCurtains, 0, 0);
  add("Random Tiles + Mosaics", kFxRandomTiles, 0, 0);
  add("Random Blinds", kFxRandomBlinds, 0, 0);
  add("Random Implodes + Explodes", kFxRandomImplodes, 0, 0);
  add("Blur Intro", kFxBlurIntro, 1, 1);
  for (int mode = 0; mode < 4; ++mode)
    for (int dir = 0; dir < 4; ++dir)
      add(std::string("Wipe") + kModes[mode] + kDirections[dir], kFxWipeRight + dir, mode, 0);
  for (int dir = 0; dir < 4; ++dir)
    for (int mode = 0; mode < 4; ++mode)
      add(std::string("Curtains") + kModes[mode] + kCurtainDirections[dir], kFxCurtainsOutVert + dir, mode, 0);
  for (int size = 0; size < 6; ++size)
    for (int dir = 0; dir < 4; ++dir)
      add(std::string("Tile") + kSizes[size] + kDirections[dir], kFxTileRight + dir, 0, kSizeValues[size]);
  for (int size = 0; size < 6; ++size) add(std::string("Mosaic") + kSizes[size], kFxMosaic, 0, kSizeValues[size]);
  for (int size = 0; size < 6; ++size)
    for (int mode = 0; mode < 4; ++mode)
      for (int dir = 0; dir < 4; ++dir)
        add(std::string("Blinds") + kSizes[size] + kModes[mode] + kDirections[dir], kFxBlindsRight + dir, mode,
            kSizeValues[size]);
  for (int shape = 0; shape < 3; ++shape) add(std::string("Explode") + kShapes[shape], kFxExplode, 4 + shape, 0);
  for (int shape = 0; shape < 3; ++shape) add(std::string("Implode") + kShapes[shape], kFxImplode, 4 + shape, 0);
  add("Random Horizontal Lines", kFxRandomHorizontalLines, 0, 0);
  add("Random Vertical Lines", kFxRandomVerticalLines, 0, 0);
}

const EffectEntry& EffectsTable::Entry(int index) const {
  return index >= 0 && index < kEffectSlots ? entries_[static_cast<std::size_t>(index)] : kZeroEntry;
}

const EffectsTable& TheEffectsTable() {
  static const EffectsTable table;
  return table;
}

std::string EffectsDialogCaption(const EffectsTable& table) {
  return "Select from " + std::to_string(table.Count() - 1) + " Transitions Effects";
}

std::vector<std::uint8_t> EncodeEffectSelection(const std::vector<int>& indices) {
  std::set<int> unique;
  for (int i : indices)
    if (i >= 0 && i < kEffectSlots) unique.insert(i);
  std::vector<std::uint8_t> bytes(kEffectsValueSize, 0);
  std::size_t n = 0;
  for (int i : unique) {
    if (n == kEffectsValueSize - 1) break;  // byte 255 holds the count
    bytes[n++] = static_cast<std::uint8_t>(i);
  }
  bytes[kEffectsValueSize - 1] = static_cast<std::uint8_t>(n);
  return bytes;
}

std::vector<int> DecodeEffectSelection(const std::vector<std::uint8_t>& bytes) {
  if (bytes.size() != kEffectsValueSize) return {};
  const std::size_t n = bytes[kEffectsValueSize - 1];
  std::set<int> unique(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(n));
  return {unique.begin(), unique.end()};
}

std::vector<int> LoadEffectSelection(const SettingsStore& store) {
  const auto bytes = store.Read(kEffectsValue);
  return bytes ? DecodeEffectSelection(*bytes) : std::vector<int>{};
}

bool SaveEffectSelection(SettingsStore& store, const std::vector<int>& indices) {
  return store.Write(kEffectsValue, EncodeEffectSelection(indices));
}

int RandomSource::Draw(int k) {
  if (k <= 1) return 0;
  const double r = Next();
  const int v = static_cast<int>(std::floor(r * k));
  return std::clamp(v, 0, k - 1);
}

std::uint64_t RandomSource::Seed() {
  // 53 bits of the draw are all a double carries; two draws fill the seed.
  const auto a = static_cast<std::uint64_t>(Next() * 4294967296.0);
  const auto b = static_cast<std::uint64_t>(Next() * 4294967296.0);
  return (a << 32) ^ b;
}

double SeededRandom::Next() { return static_cast<double>(SplitMix64(state_) >> 11) * 0x1.0p-53; }

int ChooseInstantEntry(const std::vector<int>& selection, RandomSource& random) {
  if (selection.empty()) return 1;
  return selection[static_cast<std::size_t>(random.Draw(static_cast<int>(selection.size())))];
}

int LegacyEffectEntry(std::int64_t x, RandomSource& random) {
  switch (x) {
    case 1: return Coin(random, 23, 15);
    case 2: return Coin(random, 22, 14);
    case 3: return Coin(random, 21, 13);
    case 4: return Coin(random, 20, 12);
    case 5: case 6: case 7: case 8: return 40 + 4 * static_cast<int>(x - 5) + random.Draw(4);
    case 9: return 172;
    case 10: return 173;
    case 11: return 27;
    case 12: return 35;
    case 13: return 33;
    case 14: return 25;
    case 15: return 166;
    case 16: return 169;
    case 17: return Coin(random, 36, 28);
    case 18: return Coin(random, 32, 24);
    case 19: return 168;
    case 20: return 171;
    case 21: return 39;
    case 22: return 31;
    case 23: return 29;
    case 24: return 37;
    case 25: return 115;
    case 26: return 114;
    case 27: return 116;
    case 28: return 117;
    case 29: return 1;
    default: return 0;
  }
}

int ChooseScriptEntry(std::int64_t e, std::int64_t x, RandomSource& random) {
  if (e != 0) return e > 0 && e < kEffectSlots ? static_cast<int>(e) : 0;
  return LegacyEffectEntry(x, random);
}

EffectEntry ResolveRandomGroup(const EffectEntry& entry, int previousKind, RandomSource& random) {
  auto wipe = [&] { return EffectEntry{kFxWipeRight + random.Draw(4), random.Draw(4), 0}; };
  auto curtain = [&] { return EffectEntry{kFxCurtainsOutVert + random.Draw(4), random.Draw(4), 0}; };
  auto tile = [&] {
    const int kind = kFxMosaic + random.Draw(5);
    return EffectEntry{kind, 0, 1 << (random.Draw(5) + 1)};
  };
  auto blind = [&] {
    const int kind = kFxBlindsRight + random.Draw(4);
    const int variant = random.Draw(4);
    const int size = 8 * random.Draw(8);
    return EffectEntry{kind, variant, size == 0 ? 8 : size};
  };
  auto burst = [&] {
    const int kind = kFxImplode + random.Draw(2);
    return EffectEntry{kind, kShapeRectangle + random.Draw(3), 0};
  };
  switch (entry.kind) {
    case kFxRandomWipes: return wipe();
    case kFxRandomCurtains: return curtain();
    case kFxRandomTiles: return tile();
    case kFxRandomBlinds: return blind();
    case kFxRandomImplodes: return burst();
    case kFxRandomAll: {
      EffectEntry chosen;
      for (int attempt = 0; attempt < 64; ++attempt) {
        switch ((random.Draw(101) / 10) / 2) {
          case 0: chosen = blind(); break;
          case 1: chosen = tile(); break;
          case 2: chosen = wipe(); break;
          case 3: chosen = burst(); break;
          case 4: chosen = curtain(); break;
          default: chosen = EffectEntry{kFxBlurIntro, 1, 1}; break;
        }
        if (chosen.kind != previousKind) break;
      }
      return chosen;
    }
    default:
      return entry;
  }
}

TransitionEffect MapEffect(const EffectEntry& entry, int width, int height, int speed, int screenWidth) {
  const int s0 = std::clamp(speed, 0, 3);
  TransitionEffect fx;
  fx.kind = entry.kind;
  fx.variant = entry.variant;
  fx.parameter = entry.parameter;
  fx.speed = s0;
  // Without a screen (the command line) the picture's own width stands in for it.
  const std::int64_t screen = static_cast<std::int64_t>(screenWidth > 0 ? screenWidth : std::max(1, width)) * 65536;
  const int k = entry.kind;
  if (k >= kFxWipeRight && k <= kFxWipeTop) {
    fx.byte3 = 10; fx.byte4 = 255; fx.parameter = 1;
    const int s = (fx.variant == 1 || fx.variant == 3) ? s0 + 1 : s0;
    if (s == 1) fx.parameter = 1;
    else if (s == 2) fx.byte4 = 1;
    else if (s == 3) { fx.parameter = 1; fx.byte3 = 10; fx.byte4 = 0; }
    else if (s == 4) { fx.parameter = 1; fx.byte3 = 40; fx.byte4 = 0; }
    else fx.parameter = 2;
    if (fx.variant == 2) {
      // Over a still background a wipe is one blind as wide as the screen.
      fx.kind = k + 17;
      if (s0 == 1) fx.parameter = screen + 4;
      else if (s0 == 2) { fx.parameter = screen + 4; fx.byte3 = 10; fx.byte4 = 2; }
      else if (s0 == 3) { fx.parameter = screen + 2; fx.byte3 = 10; fx.byte4 = 0; }
      else fx.parameter = screen + 6;
    }
  } else if (k >= kFxCurtainsOutVert && k <= kFxCurtainsInHorz) {
    fx.byte3 = 10; fx.byte4 = 255;
    if (s0 == 1) fx.parameter = 2;
    else if (s0 == 2) fx.parameter = 1;
    else if (s0 == 3) { fx.parameter = 1; fx.byte3 = 10; fx.byte4 = 0; }
    else fx.parameter = 4;
  } else if (k >= kFxMosaic && k <= kFxTileTop) {
    fx.byte3 = 20; fx.variant = 1; fx.byte4 = 255;
    int s = s0;
    if ((fx.parameter & 0xFF) < 5 && s0 > 0) --s;
    if (k >= kFxTileRight) fx.parameter += 65536;
    if (s == 1) fx.byte4 = 4;
    else if (s == 2) fx.byte4 = 2;
    else if (s == 3) { fx.byte3 = 10; fx.byte4 = 0; }
  } else if (k == kFxBlurIntro) {
    fx.byte3 = 20; fx.byte4 = 255;
  } else if (k == kFxImplode || k == kFxExplode) {
    fx.byte3 = 20; fx.byte4 = 255;
    if (s0 == 1) fx.parameter = 131074;
    else if (s0 == 2) fx.parameter = 65537;
    else if (s0 == 3) { fx.parameter = 65537; fx.byte3 = 20; fx.byte4 = 0; }
    else fx.parameter = 262148;
  } else if (k >= kFxBlindsRight && k <= kFxBlindsTop) {
    if (fx.parameter < 65535) fx.parameter = fx.parameter * 65536 + 1;
    // A blind at least one pixel wide: the division below must have a divisor.
    const std::int64_t c = std::max<std::int64_t>(1, fx.parameter / 65536);
    int b3 = c >= 8 ? 50 : 200;
    b3 = s0 == 0 ? 10 : (b3 * s0) % 256;
    fx.byte3 = b3;
    fx.byte4 = static_cast<int>(100 / c);
  } else if (k == kFxRandomHorizontalLines) {
    const std::int64_t w = std::clamp(width, 1, 0xFFFF);
    fx.kind = kFxMosaic; fx.variant = 3; fx.byte3 = 1; fx.byte4 = 0; fx.parameter = w + 65536;
    if (s0 == 1) fx.byte3 = 1;
    else if (s0 == 2) fx.byte3 = 10;
    else if (s0 == 3) fx.byte3 = 20;
    else fx.parameter = w + 196608;
  } else if (k == kFxRandomVerticalLines) {
    const std::int64_t h = std::clamp(height, 1, 0xFFFF);
    fx.kind = kFxMosaic; fx.variant = 3; fx.byte4 = 0; fx.parameter = h * 65536 + 1;
    if (s0 == 1) fx.byte3 = 1;
    else if (s0 == 2) fx.byte3 = 10;
    else if (s0 == 3) fx.byte3 = 20;
    else fx.parameter = h * 65536 + 2;
  } else {
    fx = TransitionEffect{};
    fx.byte3 = 20; fx.byte4 = 255; fx.speed = s0;
  }
  if (width < 65 || height < 65) {
    fx = TransitionEffect{};
    fx.byte3 = 20; fx.byte4 = 255; fx.speed = s0;
  }
  return fx;
}

TransitionEffect EffectChooser::Choose(int entryIndex, int width, int height, int speed, int screenWidth,
                                       RandomSource& random) {
  const EffectEntry concrete = ResolveRandomGroup(TheEffectsTable().Entry(entryIndex), previousKind_, random);
  TransitionEffect fx = MapEffect(concrete, width, height, speed, screenWidth);
  if (fx.kind == kFxMosaic) fx.seed = random.Seed();
  previousKind_ = fx.kind;
  return fx;
}

}  // namespace pelira
