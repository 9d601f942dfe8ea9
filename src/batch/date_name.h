#pragma once
// DateName: each file renamed to its last-write time "YYMMDD_HHNNSS" (seconds rounded down
// to even) + "_" + the milliseconds of its birth time, keeping its extension.
#include <cstdint>
#include <string>
#include <vector>

#include "batch/file_ops.h"

namespace pelira {

struct FileTimes {
  std::int64_t mtimeSec = 0;
  std::int64_t mtimeNsec = 0;
  bool hasBirth = false;
  std::int64_t birthNsec = 0;  // the sub-second part of the birth time
};

// statx of path (links not followed); false when it cannot be read.
bool ReadFileTimes(const std::string& path, FileTimes* times);

// The stamp of a file in local time. Without a birth time the last-write milliseconds stand in.
std::string DateStamp(const FileTimes& times);

struct DateNameOptions {
  bool keepNames = false;    // stamp + "~" + old name
  std::string addExtension;  // appended to every new name, "" for none
};

struct DateNamePlan {
  std::vector<RenameStep> steps;
  std::vector<std::string> failures;  // files that cannot be named
};

// Names in list order as if each rename happened before the next was chosen: a name held by
// another file, or taken by an earlier step, gives stamp + "~" + old name instead; a file
// whose new name equals its old one, or whose name already starts with its stamp + "~", is
// left alone, so a second run changes nothing. Missing files are passed over.
DateNamePlan PlanDateNames(const std::vector<std::string>& files, const DateNameOptions& options);

// ".jpg" for "jpg" and ".jpg"; empty stays empty. Refused (false): '/', control characters,
// "." and "..".
bool NormaliseAddedExtension(const std::string& typed, std::string* extension);

}  // namespace pelira
