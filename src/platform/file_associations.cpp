#include "platform/file_associations.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "common/atomic_file.h"
#include "platform/run_program.h"

namespace pelira {

namespace fs = std::filesystem;

namespace {

std::string ReadAll(const fs::path& p) {
  std::ifstream f(p, std::ios::binary);
  std::stringstream ss;
  ss << f.rdbuf();
  return ss.str();
}

fs::path HomeFolder(const char* var, const char* fallback) {
  const char* v = std::getenv(var);
  if (v && *v == '/') return v;
  const char* home = std::getenv("HOME");
  return fs::path(home && *home ? home : "/") / fallback;
}

// Creates the folder and writes the file; the message names what failed.
DesktopResult WriteFile(const fs::path& p, const std::string& text) {
  std::error_code ec;
  fs::create_directories(p.parent_path(), ec);
  const WriteResult w = AtomicWrite(p, text);
  if (!w) return {false, w.message};
  return {true, {}};
}

std::string Joined(const std::vector<std::string>& types) {
  std::string s;
  for (const std::string& t : types) s += t + ";";
  return s;
}

// The kinds desktops do not know, with the comment shown for them.
struct OwnType {
  const char* type;
  const char* comment;
  const char* glob;
};
constexpr OwnType kOwnTypes[] = {
    {"image/x-dcx", "Intel DCX Fax", "*.dcx"},
    {"image/x-photo-cd", "Kodak Photo-CD", "*.pcd"},
    {"application/x-pelira-avl", "Pelira Slideshow", "*.avl"},
    {"application/x-pelira-avc", "Pelira Slide Catalog", "*.avc"},
    {"application/x-pelira-plp", "Pelira Picture List", "*.plp"},
    {"application/x-pelira-bip", "Batch Image Processor script", "*.bip"},
};

std::string MimePackage() {
  std::string xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                    "<mime-info xmlns=\"http://www.freedesktop.org/standards/shared-mime-info\">\n";
  for (const OwnType& t : kOwnTypes)
    xml += std::string("  <mime-type type=\"") + t.type + "\">\n    <comment>" + t.comment +
           "</comment>\n    <glob pattern=\"" + t.glob + "\"/>\n  </mime-type>\n";
  return xml + "</mime-info>\n";
}

DesktopResult SetDefaults(const XdgHomes& homes, const std::vector<std::string>& types, const std::string& id) {
  const fs::path list = homes.config / "mimeapps.list";
  return WriteFile(list, WithDefaults(ReadAll(list), types, id));
}

std::string Lower(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

}  // namespace

const std::vector<AssociationItem>& AssociationItems() {
  static const std::vector<AssociationItem> items = {
      {".AVL (Pelira Slideshow)", {".avl"}, {"application/x-pelira-avl"}},
      {".BMP and .DIB (Windows Bitmaps)", {".bmp", ".dib"}, {"image/bmp"}},
      {".DCX (Intel DCX Fax)", {".dcx"}, {"image/x-dcx"}},
      {".JPG (JPEG images)", {".jpg", ".jpe", ".jpeg"}, {"image/jpeg"}},
      {".PCD (Kodak Photo-CD)", {".pcd"}, {"image/x-photo-cd"}},
      {".PCX (ZSoft Paintbrush)", {".pcx"}, {"image/vnd.zbrush.pcx", "image/x-pcx"}},
      {".PNG (Portable Network Graphics)", {".png"}, {"image/png"}},
      {".PSD (Adobe Photoshop)", {".psd"}, {"image/vnd.adobe.photoshop"}},
      {".TGA (Targa Truevision)", {".tga"}, {"image/x-tga"}},
      {".TIF (Tagged Image File Format)", {".tif", ".tiff"}, {"image/tiff"}},
      {".WMF and .EMF (Windows MetaFile)", {".wmf", ".emf"}, {"image/wmf", "image/emf"}},
  };
  return items;
}

XdgHomes CurrentXdgHomes() { return {HomeFolder("XDG_DATA_HOME", ".local/share"), HomeFolder("XDG_CONFIG_HOME", ".config")}; }

std::string AssociationClass(std::size_t item) {
  const auto& items = AssociationItems();
  if (item >= items.size()) return {};
  std::string n = items[item].label.substr(1, 3);
  for (char& c : n) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return n + " file";
}

std::string DesktopExecQuoted(const std::string& program) {
  std::string q = "\"";
  // Inside quotes " ` $ and \ take a backslash; the string escapes then double every
  // backslash, so a literal one is written as four.
  for (const char c : program) {
    if (c == '\\') {
      q += "\\\\\\\\";
      continue;
    }
    if (c == '"' || c == '`' || c == '$') q += "\\\\";
    if (c == '%') {
      q += "%%";
      continue;
    }
    q += c;
  }
  return q + "\"";
}

std::string WithDefaults(const std::string& mimeapps, const std::vector<std::string>& types,
                         const std::string& desktopId) {
  std::vector<std::string> lines;
  {
    std::istringstream in(mimeapps);
    for (std::string l; std::getline(in, l);) {
      if (!l.empty() && l.back() == '\r') l.pop_back();
      lines.push_back(l);
    }
  }
  auto isType = [&](const std::string& line) {
    const std::size_t eq = line.find('=');
    if (eq == std::string::npos) return false;
    std::string key = line.substr(0, eq);
    while (!key.empty() && key.back() == ' ') key.pop_back();
    return std::find(types.begin(), types.end(), key) != types.end();
  };
  std::vector<std::string> out;
  bool inDefaults = false, sawDefaults = false;
  std::size_t insertAt = std::string::npos;
  for (const std::string& l : lines) {
    if (!l.empty() && l.front() == '[') {
      if (inDefaults) insertAt = out.size();
      inDefaults = l == "[Default Applications]";
      sawDefaults = sawDefaults || inDefaults;
    } else if (inDefaults && isType(l)) {
      continue;  // replaced below
    }
    out.push_back(l);
  }
  // The section ends before trailing blank lines, so new entries stay inside it.
  if (inDefaults) insertAt = out.size();
  if (!desktopId.empty()) {
    std::vector<std::string> added;
    for (const std::string& t : types) added.push_back(t + "=" + desktopId + ";");
    if (!sawDefaults) {
      if (!out.empty() && !out.back().empty()) out.push_back("");
      out.push_back("[Default Applications]");
      insertAt = out.size();
    }
    while (insertAt > 0 && out[insertAt - 1].empty()) --insertAt;
    out.insert(out.begin() + static_cast<std::ptrdiff_t>(insertAt), added.begin(), added.end());
  }
  std::string text;
  for (const std::string& l : out) text += l + "\n";
  return text;
}

DesktopResult WriteDesktopFiles(const fs::path& dataDir, const std::string& program) {
  std::vector<std::string> all;
  for (const AssociationItem& item : AssociationItems()) all.insert(all.end(), item.mimeTypes.begin(), item.mimeTypes.end());
  const std::string entry = "[Desktop Entry]\nType=Application\nName=Pelira\nGenericName=Picture Viewer\n"
                            "Comment=View, correct and present pictures\nExec=" +
                            DesktopExecQuoted(program) + " %f\nIcon=pelira\nTerminal=false\n"
                            "Categories=Graphics;Viewer;\nMimeType=" + Joined(all) + "\n";
  DesktopResult r = WriteFile(dataDir / "applications" / kProgramDesktopId, entry);
  if (!r.ok) return r;
  r = WriteFile(dataDir / "mime" / "packages" / "pelira.xml", MimePackage());
  if (!r.ok) return r;
  // The desktop learns the new kinds from its database; without the tool the known kinds still follow.
  RunProgram({"update-mime-database", (dataDir / "mime").string()});
  return r;
}

DesktopResult SetAssociations(const std::vector<std::size_t>& chosen, const std::string& program, const XdgHomes& homes) {
  const DesktopResult r = WriteDesktopFiles(homes.data, program);
  if (!r.ok) return r;
  std::vector<std::string> types;
  for (const std::size_t i : chosen)
    if (i < AssociationItems().size())
      types.insert(types.end(), AssociationItems()[i].mimeTypes.begin(), AssociationItems()[i].mimeTypes.end());
  return SetDefaults(homes, types, kProgramDesktopId);
}

DesktopResult ChangeAssociation(std::size_t item, const std::string& app, const XdgHomes& homes) {
  if (item >= AssociationItems().size()) return {false, "No such association."};
  const AssociationItem& it = AssociationItems()[item];
  if (app.empty()) return SetDefaults(homes, it.mimeTypes, "");
  std::string id;
  const fs::path chosen(app);
  const fs::path own = homes.data / "applications";
  if (chosen.extension() == ".desktop") {
    id = chosen.filename().string();
    // An entry outside the desktop's folders is only found through a copy in the user's.
    std::error_code ec;
    const bool known = chosen.parent_path() == own || chosen.parent_path() == "/usr/share/applications" ||
                       chosen.parent_path() == "/usr/local/share/applications";
    if (!known) {
      DesktopResult r = WriteFile(own / id, ReadAll(chosen));
      if (!r.ok) return r;
    }
  } else {
    std::string n = Lower(AssociationClass(item));
    std::replace(n.begin(), n.end(), ' ', '-');
    id = "pelira-" + n + ".desktop";
    const std::string entry = "[Desktop Entry]\nType=Application\nName=" + chosen.filename().string() +
                              "\nExec=" + DesktopExecQuoted(app) + " %f\nNoDisplay=true\nMimeType=" +
                              Joined(it.mimeTypes) + "\n";
    DesktopResult r = WriteFile(own / id, entry);
    if (!r.ok) return r;
  }
  return SetDefaults(homes, it.mimeTypes, id);
}

}  // namespace pelira
