#pragma once
// The explorer window's stored settings: the "EControls7700" block (88 bytes, little-endian)
// and the last folder ("ExploreDir"). The start-up reads the same values under its own names
// (app/stored_settings.h); these are the window's.
#include <array>
#include <cstdint>
#include <string>

namespace pelira {

inline constexpr const char* kExplorerWindowValue = "EControls7700";
inline constexpr const char* kExplorerFolderValue = "ExploreDir";
inline constexpr std::size_t kExplorerRecordSize = 88;

struct ExplorerSettings {
  std::int32_t left = 0, top = 0, right = 0, bottom = 0;  // window bounds
  bool toolBar = true, statusBar = true, tree = true, buttonText = true;
  bool autoRefresh = true, confirmDeletions = true, useViewer = true, toolTips = true;
  std::int32_t clickStyle = 0;  // 0 double click opens, 1 single click
  std::int32_t view = 0;        // 0 thumbnails, 1 large icons, 2 list, 3 details
  std::int32_t thumbStep = 8;   // 1..8
  std::int32_t sortKey = 0;     // SortKey
  std::int32_t treeSort = 0;    // 0 name +, 1 name -, 2 date +, 3 date -, 4 family
  std::int32_t treeWidth = 200;
  std::int32_t networks = 0;
  std::array<std::uint8_t, 36> rest{};  // bytes 52..87, kept as read
  bool stored = false;                  // false: the defaults (no value, or one of another length)
};

std::string EncodeExplorerSettings(const ExplorerSettings& s);
// Wrong length gives the defaults; out-of-range numbers are brought into range.
ExplorerSettings DecodeExplorerSettings(const std::string& bytes);

}  // namespace pelira
