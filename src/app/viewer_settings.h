#pragma once
// The viewer's settings record, stored as the 168-byte little-endian value "VControls7500".
// Flags are one byte (0 or 1), numbers 32-bit signed, rectangles left, top, right, bottom.
#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace pelira {

inline constexpr const char* kViewerSettingsValue = "VControls7500";
inline constexpr std::size_t kViewerSettingsSize = 168;

struct BoundsRect {
  std::int32_t left = 0, top = 0, right = 0, bottom = 0;
  friend bool operator==(const BoundsRect&, const BoundsRect&) = default;
};

struct ViewerSettings {
  BoundsRect batchEditorBounds;   // 0
  BoundsRect jpegCommentBounds;   // 16
  BoundsRect windowBounds;        // 32, `WindowBounds`; zero = half the screen
  bool menuBar = true;            // 48
  bool toolBar = true;            // 49
  bool statusBar = true;          // 50
  bool buttonText = true;         // 51
  bool fitMode = false;           // 52
  bool autoReduce = false;        // 53
  bool maxFullScreen = true;      // 54
  std::int32_t faxQuality = 2;    // 56, 0..3
  std::uint32_t backgroundColor = 0;  // 64, platform colour 0x00BBGGRR
  std::int32_t logVisitedFolders = 1; // 68, 0 or 1
  bool autoSize = true;           // 72
  bool autoCenter = true;         // 73
  std::int32_t effectsSpeed = 1;  // 76, 0..3
  std::int32_t slideshowDelay = 500;  // 84, milliseconds
  bool mediaStatusLine = true;    // 88
  bool mediaTrackBar = true;      // 89
  bool mediaPlayerControls = true;  // 90
  bool mediaMaxFullScreen = true; // 91
  bool mediaAutoPlayLoop = true;  // 92
  std::int32_t mediaStatusLineHeight = 0;  // 96
  std::int32_t mediaTrackBarHeight = 0;    // 100
  std::int32_t mediaControlsHeight = 0;    // 104
  std::int32_t mediaVolume = 500;          // 108, 0..1000
  bool autoSizeVideo = true;      // 112
  bool alwaysFullScreen = true;   // 113
  std::int32_t wheelButton = 0;   // 116: 0 nothing, 1 Unmark, 2 Recycle
  std::int32_t textPosition = 0;  // 120: 0 Auto, 1 Top, 2 Bottom
  bool useScreen = false;         // 124
  bool avlJukebox = false;        // 125
  bool pathBox = true;            // 126
  bool upsampledFit = true;       // 127
  std::int32_t photoCdStep = 3;   // 128, 0..6
  std::uint32_t reserved132 = 0;  // 132, written back as it was read
  std::int32_t autoTestFilters = 1;   // 136, 0 or 1
  std::int32_t wheelNavigation = 1;   // 140, 0 or 1
  bool fastRefresh = true;        // 144
  bool mergeToolbar = false;      // 145
  bool maxFullScreenWithMenus = false;  // 146

  friend bool operator==(const ViewerSettings&, const ViewerSettings&) = default;
};

// The settings of a first run. "&Button text" starts off on a screen exactly 800 pixels wide.
ViewerSettings DefaultViewerSettings(int screenWidth);

// The stored record with the read rules applied; a missing record or one of the wrong length
// gives the defaults. Values outside their documented ranges are brought back into them.
ViewerSettings ReadViewerSettings(const std::optional<std::vector<std::uint8_t>>& record,
                                  int screenWidth);

// Applies the read rules to settings taken from a record of the right length.
ViewerSettings ApplyReadRules(ViewerSettings s);

// Field-by-field decode of exactly 168 bytes, no rules applied; nullopt for any other length.
std::optional<ViewerSettings> DecodeViewerSettings(std::span<const std::uint8_t> record);

// The record written at close: a slideshow delay above 4000 ms is stored as 500; reserved
// bytes other than those at 132 are written as zero.
std::array<std::uint8_t, kViewerSettingsSize> EncodeViewerSettings(const ViewerSettings& s);

}  // namespace pelira
