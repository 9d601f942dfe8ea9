#pragma once
// Registering the program for picture file types on a freedesktop desktop: a desktop entry
// for the program, a MIME package for the kinds desktops do not know (DCX, AVL, AVC, PLP,
// BIP, Photo CD), and the defaults in the user's mimeapps.list. Every file is written
// atomically; nothing outside the user's XDG folders is touched.
#include <cstddef>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/desktop_wallpaper.h"

namespace pelira {

struct AssociationItem {
  std::string label;                    // as the list shows it: ".JPG (JPEG images)"
  std::vector<std::string> extensions;  // the item's own and its companions, lower case
  std::vector<std::string> mimeTypes;
};
// The eleven items in list order.
const std::vector<AssociationItem>& AssociationItems();

struct XdgHomes {
  std::filesystem::path data;    // $XDG_DATA_HOME, else ~/.local/share
  std::filesystem::path config;  // $XDG_CONFIG_HOME, else ~/.config
};
XdgHomes CurrentXdgHomes();

inline constexpr const char* kProgramDesktopId = "pelira.desktop";

// Writes the program's desktop entry (applications/pelira.desktop, opening program) and the
// MIME package (mime/packages/pelira.xml) under dataDir, and brings the MIME database there
// up to date where the desktop's tool is installed.
DesktopResult WriteDesktopFiles(const std::filesystem::path& dataDir, const std::string& program);

// WriteDesktopFiles in the user's data folder, and the program made the default for every
// type of the chosen items.
DesktopResult SetAssociations(const std::vector<std::size_t>& chosen, const std::string& program, const XdgHomes& homes);

// The item's types open with app: a desktop entry file, or a program that gets an entry of
// its own ("pelira-jpg-file.desktop"). An empty app leaves the types with no default.
DesktopResult ChangeAssociation(std::size_t item, const std::string& app, const XdgHomes& homes);

// The class name of an item: its extension without the dot, upper case, + " file".
std::string AssociationClass(std::size_t item);

// A value for a desktop entry's Exec key: the program quoted as the entry format wants.
std::string DesktopExecQuoted(const std::string& program);

// mimeapps.list text with the [Default Applications] entries of types set to desktopId
// (or removed when desktopId is empty); everything else kept as it was.
std::string WithDefaults(const std::string& mimeapps, const std::vector<std::string>& types,
                         const std::string& desktopId);

}  // namespace pelira
