#pragma once
// The headless volume source: the mount table (/proc/self/mountinfo) names the device that
// holds a path, the udev links under /dev/disk/by-uuid and /dev/disk/by-label give its UUID
// and label, and statvfs' f_fsid stands in when no UUID is known (tmpfs, overlay, containers).
#include <filesystem>

#include "platform/volume_source.h"

namespace pelira {

class StatvfsVolumeSource : public VolumeSource {
public:
  // The two locations can be pointed elsewhere for tests.
  explicit StatvfsVolumeSource(std::filesystem::path mountinfo = "/proc/self/mountinfo",
                               std::filesystem::path disk_dir = "/dev/disk");

  // A path that does not exist yet is looked up through its nearest existing ancestor,
  // the way a drive answers for a folder not yet made.
  std::optional<VolumeInfo> Lookup(const std::filesystem::path& path) override;

private:
  std::filesystem::path mountinfo_;
  std::filesystem::path disk_dir_;
};

}  // namespace pelira
