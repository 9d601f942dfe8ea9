#pragma once
// Numbered renaming: prefix + 1 ... count, zero-padded to the width of the largest number,
// + the old extension; or number + "~" + old name.
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "batch/file_ops.h"

namespace pelira {

inline constexpr std::size_t kMaxRenumbered = 99999;
inline constexpr const char* kRenumberLimitText = "Only 99999 items can be renamed.";

struct RenumberOptions {
  std::string prefix;
  bool numericPrefix = false;               // number + "~" + old name
  std::optional<std::string> newExtension;  // ".png": replaces every old extension
};

// 1 digit up to 9 files, 2 up to 99, 3 up to 999, 4 up to 9999, else 5.
int NumberWidth(std::size_t count);

// Empty when text may be part of a file name; otherwise why not. Refused: '/', control
// characters (NUL, CR, LF ...) and the names "." and "..".
std::string NamePartProblem(const std::string& text);

struct RenumberPlan {
  std::vector<RenameStep> steps;
  std::vector<std::string> failures;  // a target held by a file outside the batch
  std::string refused;                // the whole batch refused (too many files, bad prefix)
};

RenumberPlan PlanRenumber(const std::vector<std::string>& files, const RenumberOptions& options);

}  // namespace pelira
