#include "platform/desktop_wallpaper.h"

#include <cctype>
#include <vector>

#include "platform/run_program.h"

namespace pelira {

namespace {

constexpr const char* kSchema = "org.gnome.desktop.background";

std::string Trimmed(std::string s) {
  while (!s.empty() && std::isspace(static_cast<unsigned char>(s.back()))) s.pop_back();
  return s;
}

// The keys the schema has, or none when the desktop has no such settings.
std::vector<std::string> SchemaKeys() {
  const ProgramRun run = RunProgram({"gsettings", "list-keys", kSchema});
  std::vector<std::string> keys;
  if (!run.started || run.exitCode != 0) return keys;
  std::size_t from = 0;
  while (from < run.output.size()) {
    const std::size_t end = run.output.find('\n', from);
    const std::string key = Trimmed(run.output.substr(from, end == std::string::npos ? std::string::npos : end - from));
    if (!key.empty()) keys.push_back(key);
    if (end == std::string::npos) break;
    from = end + 1;
  }
  return keys;
}

bool Has(const std::vector<std::string>& keys, const std::string& key) {
  for (const std::string& k : keys)
    if (k == key) return true;
  return false;
}

// Sets the picture keys to value (a GVariant string, quoted) and reads the main one back.
DesktopResult SetPictureKeys(const std::string& uri, const char* noMeans) {
  const std::vector<std::string> keys = SchemaKeys();
  if (!Has(keys, "picture-uri")) return {false, noMeans};
  const std::string value = "'" + uri + "'";
  for (const char* key : {"picture-uri", "picture-uri-dark"}) {
    if (!Has(keys, key)) continue;
    const ProgramRun set = RunProgram({"gsettings", "set", kSchema, key, value});
    if (!set.started || set.exitCode != 0) return {false, "The desktop refused the wallpaper setting."};
  }
  const ProgramRun back = RunProgram({"gsettings", "get", kSchema, "picture-uri"});
  if (!back.started || back.exitCode != 0 || Trimmed(back.output) != value)
    return {false, "The desktop did not take the wallpaper setting."};
  return {true, {}};
}

}  // namespace

std::string FileUri(const std::filesystem::path& path) {
  static const char* hex = "0123456789ABCDEF";
  std::string uri = "file://";
  for (const unsigned char c : std::filesystem::absolute(path).string()) {
    if (std::isalnum(c) || c == '/' || c == '.' || c == '_' || c == '~' || c == '-') {
      uri += static_cast<char>(c);
    } else {
      uri += '%';
      uri += hex[c >> 4];
      uri += hex[c & 15];
    }
  }
  return uri;
}

DesktopResult SetDesktopWallpaper(const std::filesystem::path& picture) {
  DesktopResult r = SetPictureKeys(FileUri(picture), "This desktop offers no way to set the wallpaper.");
  if (!r.ok) r.message += "\nThe picture was saved as " + picture.string() + ".";
  return r;
}

DesktopResult ClearDesktopWallpaper() {
  return SetPictureKeys("", "This desktop offers no way to clear the wallpaper.");
}

}  // namespace pelira
