#include "common/kind_list.h"

#include <algorithm>
#include <cctype>

namespace pelira {

namespace {
std::string Upper(std::string_view s) {
  std::string out(s);
  std::transform(out.begin(), out.end(), out.begin(),
                 [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
  return out;
}
}  // namespace

// A name ending in a dot ("photo.") has no extension: a lone "." would be found in every list.
std::string UpperExt(const std::filesystem::path& path) {
  std::string ext = path.extension().string();
  if (ext == ".") return "";
  return Upper(ext);
}

bool InKindList(std::string_view ext, std::string_view list) {
  if (ext.empty() || ext == ".") return false;
  return Upper(list).find(Upper(ext)) != std::string::npos;
}

bool PathInKindList(const std::filesystem::path& path, std::string_view list) {
  return InKindList(UpperExt(path), list);
}

bool IsJpegExtension(std::string_view upperExt) { return upperExt.find(".JP") != std::string_view::npos; }

}  // namespace pelira
