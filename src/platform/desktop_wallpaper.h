#pragma once
// The desktop's wallpaper, set and cleared through the desktop's own settings (gsettings on
// GNOME-like desktops) and read back to confirm it took. Where the desktop offers no such
// means the answer says so: never a silent success.
#include <filesystem>
#include <string>

namespace pelira {

struct DesktopResult {
  bool ok = false;
  std::string message;  // why not, for the user; empty on success
};

DesktopResult SetDesktopWallpaper(const std::filesystem::path& picture);
DesktopResult ClearDesktopWallpaper();

// "file://" and the absolute path with every byte outside [A-Za-z0-9/._~-] percent-encoded.
std::string FileUri(const std::filesystem::path& path);

}  // namespace pelira
