#include "platform/statvfs_volume_source.h"

#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/sysmacros.h>

#include <algorithm>
#include <fstream>
#include <sstream>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

namespace pelira {

namespace fs = std::filesystem;

namespace {

struct MountEntry {
  dev_t device = 0;
  std::string mount_point;
  std::string source;
};

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// The kernel writes blanks, tabs, newlines and backslashes in mount table fields as \ooo.
std::string UnescapeOctal(std::string_view s) {
  std::string out;
  out.reserve(s.size());
  for (std::size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '\\' && i + 3 < s.size()) {
      const char a = s[i + 1], b = s[i + 2], c = s[i + 3];
      if (a >= '0' && a <= '3' && b >= '0' && b <= '7' && c >= '0' && c <= '7') {
        out.push_back(static_cast<char>((a - '0') * 64 + (b - '0') * 8 + (c - '0')));
        i += 3;
        continue;
      }
    }
    out.push_back(s[i]);
  }
  return out;
}

// udev writes unsafe characters of labels in link names as \xHH ("My\x20Disk").
std::string UnescapeUdev(std::string_view s) {
  std::string out;
  out.reserve(s.size());
  for (std::size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '\\' && i + 3 < s.size() && s[i + 1] == 'x') {
      const int hi = HexValue(s[i + 2]), lo = HexValue(s[i + 3]);
      if (hi >= 0 && lo >= 0) {
        out.push_back(static_cast<char>(hi * 16 + lo));
        i += 3;
        continue;
      }
    }
    out.push_back(s[i]);
  }
  return out;
}

// Fields: id parent major:minor root mount-point options [optional...] - fstype source super.
std::vector<MountEntry> ReadMountTable(const fs::path& file) {
  std::vector<MountEntry> entries;
  std::ifstream in(file);
  std::string line;
  while (std::getline(in, line)) {
    std::istringstream fields(line);
    std::vector<std::string> f;
    for (std::string w; fields >> w;) f.push_back(std::move(w));
    if (f.size() < 7) continue;
    const auto sep = std::find(f.begin() + 6, f.end(), "-");
    if (sep == f.end() || f.end() - sep < 3) continue;
    unsigned maj = 0, min = 0;
    char colon = 0;
    std::istringstream dev(f[2]);
    if (!(dev >> maj >> colon >> min) || colon != ':') continue;
    entries.push_back({makedev(maj, min), UnescapeOctal(f[4]), UnescapeOctal(*(sep + 2))});
  }
  return entries;
}

bool MountPointHolds(const std::string& mount_point, const std::string& path) {
  if (mount_point == "/") return true;
  if (path.compare(0, mount_point.size(), mount_point) != 0) return false;
  return path.size() == mount_point.size() || path[mount_point.size()] == '/';
}

// The entry mounted at the deepest folder above path, the last one when mounts are stacked;
// entries of the path's own device are preferred over bind or overlay leftovers.
const MountEntry* FindMount(const std::vector<MountEntry>& table, const std::string& path,
                            dev_t device) {
  const MountEntry* best = nullptr;
  bool best_same_device = false;
  for (const auto& e : table) {
    if (!MountPointHolds(e.mount_point, path)) continue;
    const bool same = e.device == device;
    if (best != nullptr) {
      if (best_same_device && !same) continue;
      if (same == best_same_device && e.mount_point.size() < best->mount_point.size()) continue;
    }
    best = &e;
    best_same_device = same;
  }
  return best;
}

// The name of the link in dir that points at the volume's device: either the same node as
// the mount source, or a block device whose number is the path's device.
std::optional<std::string> FindDeviceLink(const fs::path& dir, const std::string& source_real,
                                          dev_t device) {
  std::error_code ec;
  std::vector<std::string> matches;
  for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
    std::error_code ec2;
    const fs::path target = fs::canonical(it->path(), ec2);
    bool hit = !ec2 && !source_real.empty() && target.string() == source_real;
    struct stat st {};
    if (!hit && ::stat(it->path().c_str(), &st) == 0 && S_ISBLK(st.st_mode) && st.st_rdev == device)
      hit = true;
    if (hit) matches.push_back(it->path().filename().string());
  }
  if (matches.empty()) return std::nullopt;
  std::sort(matches.begin(), matches.end());
  return UnescapeUdev(matches.front());
}

}  // namespace

StatvfsVolumeSource::StatvfsVolumeSource(fs::path mountinfo, fs::path disk_dir)
    : mountinfo_(std::move(mountinfo)), disk_dir_(std::move(disk_dir)) {}

std::optional<VolumeInfo> StatvfsVolumeSource::Lookup(const fs::path& path) {
  if (path.empty()) return std::nullopt;
  std::error_code ec;
  fs::path p = fs::absolute(path, ec);
  if (ec) return std::nullopt;
  while (!fs::exists(p, ec)) {
    if (!p.has_relative_path()) return std::nullopt;
    p = p.parent_path();
  }
  p = fs::canonical(p, ec);
  if (ec) return std::nullopt;

  struct stat st {};
  struct statvfs vfs {};
  if (::stat(p.c_str(), &st) != 0 || ::statvfs(p.c_str(), &vfs) != 0) return std::nullopt;

  VolumeInfo info;
  // Some filesystems report no fsid; the device number still tells volumes apart.
  info.fsid = vfs.f_fsid != 0 ? static_cast<std::uint64_t>(vfs.f_fsid)
                              : static_cast<std::uint64_t>(st.st_dev);

  const auto table = ReadMountTable(mountinfo_);
  const MountEntry* mount = FindMount(table, p.string(), st.st_dev);
  std::string source_real;
  if (mount != nullptr && !mount->source.empty() && mount->source.front() == '/') {
    const fs::path real = fs::canonical(mount->source, ec);
    if (!ec) source_real = real.string();
  }
  info.uuid = FindDeviceLink(disk_dir_ / "by-uuid", source_real, st.st_dev);
  if (auto label = FindDeviceLink(disk_dir_ / "by-label", source_real, st.st_dev))
    info.label = *label;
  return info;
}

}  // namespace pelira
