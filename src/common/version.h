#pragma once

namespace pelira {

inline constexpr const char* kProductTitle = "Pelira 7.7";
inline constexpr const char* kApplicationTitle = "Pelira Picture Utility";

}  // namespace pelira
