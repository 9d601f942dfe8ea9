#pragma once
// Whether a file belongs to a kind is decided by finding its upper-case extension, dot
// included, as a substring of a fixed list text such as ".JPG.JPEG.PNG". A fragment of a
// listed extension (".JP") therefore counts too; an empty extension never does.
#include <filesystem>
#include <string>
#include <string_view>

namespace pelira {

// Upper-case extension with its dot (".JPG"), or "" when the name has none or ends in a dot.
std::string UpperExt(const std::filesystem::path& path);

// True when ext (any case, with its dot) occurs in list; false for "" and for ".".
bool InKindList(std::string_view ext, std::string_view list);

// InKindList(UpperExt(path), list).
bool PathInKindList(const std::filesystem::path& path, std::string_view list);

// The ".JP" test: a JPEG is decoded at once or at a reduced scale.
bool IsJpegExtension(std::string_view upperExt);

}  // namespace pelira
