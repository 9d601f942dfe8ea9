#pragma once
// Colour values, palette entries and palette records shared by the working bitmap (Dib) and
// the codec images (TDibGraphic).
//
// A colour value holds blue in bits 0-7, green in 8-15 and red in 16-23 (0x00RRGGBB), the
// order the pixels are stored in. A palette entry is four bytes: blue, green, red, 0.
#include <array>
#include <cstdint>
#include <vector>

namespace pelira {

using ColorValue = std::uint32_t;

struct RgbQuad {
  std::uint8_t blue = 0, green = 0, red = 0, reserved = 0;
  friend bool operator==(const RgbQuad&, const RgbQuad&) = default;
};

constexpr ColorValue MakeColor(int red, int green, int blue) {
  return (static_cast<ColorValue>(red & 255) << 16) | (static_cast<ColorValue>(green & 255) << 8) |
         static_cast<ColorValue>(blue & 255);
}
constexpr int RedOf(ColorValue c) { return static_cast<int>((c >> 16) & 255); }
constexpr int GreenOf(ColorValue c) { return static_cast<int>((c >> 8) & 255); }
constexpr int BlueOf(ColorValue c) { return static_cast<int>(c & 255); }
constexpr ColorValue ColorOf(const RgbQuad& q) { return MakeColor(q.red, q.green, q.blue); }
constexpr RgbQuad QuadOf(ColorValue c) {
  return RgbQuad{static_cast<std::uint8_t>(BlueOf(c)), static_cast<std::uint8_t>(GreenOf(c)),
                 static_cast<std::uint8_t>(RedOf(c)), 0};
}
// Settings and dialogs keep colours the other way round (red in the low byte, 0x00BBGGRR).
constexpr ColorValue FromPlatformColor(std::uint32_t bgr) {
  return MakeColor(bgr & 255, (bgr >> 8) & 255, (bgr >> 16) & 255);
}
constexpr std::uint32_t ToPlatformColor(ColorValue c) {
  return static_cast<std::uint32_t>(RedOf(c)) | (static_cast<std::uint32_t>(GreenOf(c)) << 8) |
         (static_cast<std::uint32_t>(BlueOf(c)) << 16);
}

using Palette = std::vector<RgbQuad>;

// The form in which palettes are passed around: version 0x0300, 0..256 entries.
struct TPaletteRecord {
  std::uint16_t version = 0x0300;
  std::uint16_t count = 0;
  std::array<RgbQuad, 256> entries{};

  static TPaletteRecord From(const Palette& p);
  Palette ToPalette() const { return Palette(entries.begin(), entries.begin() + count); }
};

// Default palettes of the image formats: 2 entries black/white, the 16-level gray ramp
// (i x 17), the 256-level gray ramp, the 16-colour table and the 256-colour table.
const Palette& BlackWhitePalette();
const Palette& Gray16Palette();
const Palette& Gray256Palette();
const Palette& Color16Palette();
const Palette& Color256Palette();

// Index of the first entry with the smallest squared distance to c (-1 for an empty palette).
int NearestPaletteIndex(const RgbQuad* entries, int count, ColorValue c);

// Nearest-colour search on a palette record with a cache of 1020 slots (slot = colour mod
// 1020). Results equal NearestPaletteIndex; misses use a search ordered by green that visits
// only entries that can still beat the best one, keeping the first minimum on ties.
class TRgbToPaletteConverter {
public:
  static constexpr int kSlots = 1020;

  explicit TRgbToPaletteConverter(const TPaletteRecord* palette = nullptr) { Reset(palette); }
  // Rebinds to a palette (not owned) and empties the cache and the search order.
  void Reset(const TPaletteRecord* palette);
  int Convert(ColorValue c);

  std::uint64_t Hits() const { return hits_; }
  std::uint64_t Misses() const { return misses_; }

private:
  int Search(ColorValue c) const;

  struct Slot {
    ColorValue color = 0;
    std::int16_t index = -1;
  };
  const TPaletteRecord* palette_ = nullptr;
  std::array<Slot, kSlots> slots_{};
  std::vector<std::uint8_t> byGreen_;  // entry indices sorted by green, then index
  std::uint64_t hits_ = 0, misses_ = 0;
};

}  // namespace pelira
