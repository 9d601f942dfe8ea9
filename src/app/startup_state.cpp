#include "app/startup_state.h"

#include <filesystem>

#include "common/kind_list.h"

namespace pelira {

StartupState ParseCommandLine(const std::vector<std::string>& args,
                              const std::function<bool(const std::string&)>& fileExists) {
  StartupState s;
  if (args.empty()) return s;
  std::string joined;
  for (const std::string& a : args) {
    if (!joined.empty()) joined += ' ';
    joined += a;
  }
  if (joined.empty()) return s;
  std::error_code ec;
  std::filesystem::path p = std::filesystem::absolute(std::filesystem::path(joined), ec);
  if (ec) p = joined;
  const std::string path = p.lexically_normal().string();
  if (!fileExists(path)) return s;
  s.CommandLineFile = path;
  s.CurrentFile = path;
  s.CurrentExt = UpperExt(p);
  if (IsJpegExtension(s.CurrentExt)) {
    s.CommandLineJpeg = true;
  } else {
    s.OpenPending = true;
    s.CommandLineShow = s.CurrentExt == ".AVL";
  }
  return s;
}

}  // namespace pelira
