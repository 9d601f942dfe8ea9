#pragma once
// Where a path's volume label and identity come from. The album's volume table and the
// thumbnail cache names need them; the core asks through this interface so tests can fake it.
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

namespace pelira {

struct VolumeInfo {
  std::string label;                // "" when the filesystem has none
  std::optional<std::string> uuid;  // the filesystem UUID as the system spells it, when known
  std::uint64_t fsid = 0;           // statvfs f_fsid, the fallback identity
};

class VolumeSource {
public:
  virtual ~VolumeSource() = default;
  // The volume that holds path, or nothing when it cannot be determined.
  virtual std::optional<VolumeInfo> Lookup(const std::filesystem::path& path) = 0;
};

}  // namespace pelira
